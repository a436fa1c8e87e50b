#pragma once
#include <functional>

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

enum class MachineCommand { None, Reboot, PowerOff };

// The one place where the program runs shell commands ("reboot", "sync", "cp -f ...", "ip addr flush ...").
//
// Execute mode (panel profile): the command runs through /bin/sh in a process group of its own, with
// a time limit: a command still running at its limit is ended (the whole group, SIGKILL) and reported
// as failed. Called on the GUI thread, the command runs on a worker thread while the GUI thread's event
// loop goes on (timers, the machine loop, sockets; the operator's input waits); elsewhere it runs on
// the calling thread.
// Record mode (simulated profile, tests): nothing is executed. The command is appended to
// <system root>/commands.log and to the log. Plain file commands (mkdir, cp, mv, rm, touch, sync) whose
// every path lies inside the program directory or the system root are carried out by the runner
// itself, so that the program directory changes as it would on the panel; anything else (reboot, init,
// mount, ip, date, hwclock, ifup ...) only succeeds on paper.
//
// Tests can queue canned results (matched by the start of the command) and read the history.
struct CommandResult {
    int exitCode = 0;       // the command's exit status; -1 when it could not be run or was ended
    QByteArray output;      // standard output (RunCommandCapture only; what came before an end)
    bool executed = false;  // true when a shell really ran it
    bool timedOut = false;  // ended at its time limit
};

// Time limits. Every command has one; callers pass the longer ones where a command needs them.
constexpr int kCommandLimitMs = 1000;  // the default: quick system commands
// Network commands, the USB disk (blkid, mount, umount, a file onto it), sync, the hardware clock,
// local copies and removals of files that a killed command would leave half done.
constexpr int kSlowCommandLimitMs = 30000;
// Whole folders copied to or from a disk, the copy script of a USB disk, the calibration program.
constexpr int kLongCommandLimitMs = 30 * 60 * 1000;

class CommandRunner {
public:
    enum class Mode { Execute, Record };

    static CommandRunner& instance();

    CommandResult run(const QString& command, bool captureOutput, int limitMs = kCommandLimitMs);

    Mode mode() const;
    void setMode(Mode m);
    void setEmulateFileCommands(bool on);

    // The next command starting with `prefix` gets this result instead of running or being emulated.
    void queueResult(const QString& prefix, int exitCode, const QByteArray& output = QByteArray());
    // The next command starting with `prefix` never ends by itself: it runs (off the GUI thread) until
    // its time limit ends it, as a hung command on the panel would.
    void queueHang(const QString& prefix);
    QStringList history() const;
    void clearHistory();
    // Back to the profile's mode, emulation on, no queued results, empty history.
    void reset();
    void setMachineHook(std::function<void(MachineCommand)> hook);

private:
    CommandRunner();
    struct Canned {
        QString prefix;
        CommandResult result;
        bool hang = false;
    };
    bool takeCanned(const QString& command, CommandResult* out, bool* hang);
    void record(const QString& command);

    mutable QMutex lock_;
    Mode mode_;
    bool emulate_ = true;
    QList<Canned> canned_;
    QStringList history_;
    std::function<void(MachineCommand)> machineHook_;
};

// What a recorded machine command stands for: a reboot ("reboot", "init 6", "shutdown -r ..."), a
// power-off ("init 0", "poweroff", "halt", "shutdown ..."), or neither.
MachineCommand machineCommandOf(const QString& command);

// Called (from the thread that ran the command) after a reboot or power-off was recorded instead of
// carried out. The program installs one in the simulated profile so that it ends as the panel would;
// tests install none, so a recorded reboot only lands in the history.
void setMachineCommandHook(std::function<void(MachineCommand)> hook);

// system()-like: runs (or records) the command, waits for it up to its limit, returns its exit status
// (-1 when it could not run or was ended at its limit).
int RunCommand(const QString& command, int limitMs = kCommandLimitMs);
// popen()-like: also returns what the command printed.
CommandResult RunCommandCapture(const QString& command, int limitMs = kCommandLimitMs);

// Quotes one argument for /bin/sh (single quotes). Use it for every text that an operator typed.
QString shellQuote(const QString& arg);
