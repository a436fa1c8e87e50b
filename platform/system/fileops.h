#pragma once
#include <QFileDevice>
#include <QString>

// Carries out a plain file command ("mkdir -p a/b", "cp -f x y", "cp -rf dir/* ./", "mv -f a b",
// "rm -rf d", "touch f", "sync") inside the program directory or the system root, without a shell.
// Returns false when the command is not such a command or names a path outside both (then nothing
// is touched); otherwise true with *status 0 on success and 1 on failure, as the tools would.
bool emulateFileCommand(const QString& command, int* status);

// Copies a file or, recursively, a directory. Existing files are replaced. A symbolic link is copied
// as a link with the same target and never followed (as `cp -r` does). False on any failure.
bool copyPathRecursively(const QString& from, const QString& to);

// Puts the complete directory `staged` in the place of `target`: an existing target is first renamed
// aside (".<name>.old" beside it), and put back if the staged tree cannot take its place; it is removed
// only once the new tree is in place. False (nothing replaced) on failure; `staged` is then left for the
// caller to remove.
bool replaceTree(const QString& staged, const QString& target);

// Writes a whole file through a temporary file and a rename, so that a crash or a full disk leaves
// the old file in place. Every write, the final flush and the commit are checked: false (with the
// reason in *error) means the old file, if any, is still there and untouched. With `permissions`, the
// new file has those (set on the temporary file before any byte is written, so a secret is never
// readable by others, not even for a moment); without, it keeps the old file's.
bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr,
                         QFileDevice::Permissions permissions = {});
