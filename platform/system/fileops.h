#pragma once
#include <QString>

// Carries out a plain file command ("mkdir -p a/b", "cp -f x y", "cp -rf dir/* ./", "mv -f a b",
// "rm -rf d", "touch f", "sync") inside the program directory or the system root, without a shell.
// Returns false when the command is not such a command or names a path outside both (then nothing
// is touched); otherwise true with *status 0 on success and 1 on failure, as the tools would.
bool emulateFileCommand(const QString& command, int* status);

// Copies a file or, recursively, a directory. Existing files are replaced. False on any failure.
bool copyPathRecursively(const QString& from, const QString& to);

// Writes a whole file through a temporary file and a rename, so that a crash or a full disk leaves
// the old file in place. Every write, the final flush and the commit are checked: false (with the
// reason in *error) means the old file, if any, is still there and untouched.
bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);
