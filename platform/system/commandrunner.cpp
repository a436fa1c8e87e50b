#include "commandrunner.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSaveFile>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fileops.h"
#include "profile.h"
#include "syspath.h"
#include "spawnattr.h"

CommandRunner& CommandRunner::instance() {
    static CommandRunner runner;
    return runner;
}

CommandRunner::CommandRunner() : mode_(isSimulated() ? Mode::Record : Mode::Execute) {}

CommandRunner::Mode CommandRunner::mode() const {
    QMutexLocker l(&lock_);
    return mode_;
}

void CommandRunner::setMode(Mode m) {
    QMutexLocker l(&lock_);
    mode_ = m;
}

void CommandRunner::setEmulateFileCommands(bool on) {
    QMutexLocker l(&lock_);
    emulate_ = on;
}

void CommandRunner::queueResult(const QString& prefix, int exitCode, const QByteArray& output) {
    QMutexLocker l(&lock_);
    Canned c;
    c.prefix = prefix;
    c.result.exitCode = exitCode;
    c.result.output = output;
    canned_.append(c);
}

void CommandRunner::queueHang(const QString& prefix) {
    QMutexLocker l(&lock_);
    Canned c;
    c.prefix = prefix;
    c.hang = true;
    canned_.append(c);
}

QStringList CommandRunner::history() const {
    QMutexLocker l(&lock_);
    return history_;
}

void CommandRunner::clearHistory() {
    QMutexLocker l(&lock_);
    history_.clear();
}

void CommandRunner::reset() {
    QMutexLocker l(&lock_);
    mode_ = isSimulated() ? Mode::Record : Mode::Execute;
    emulate_ = true;
    canned_.clear();
    history_.clear();
}

bool CommandRunner::takeCanned(const QString& command, CommandResult* out, bool* hang) {
    for (int i = 0; i < canned_.size(); ++i) {
        if (command.startsWith(canned_[i].prefix)) {
            *out = canned_[i].result;
            *hang = canned_[i].hang;
            canned_.removeAt(i);
            return true;
        }
    }
    return false;
}

void CommandRunner::record(const QString& command) {
    const QString dir = sysRoot();
    QDir().mkpath(dir);
    QFile log(dir + QStringLiteral("/commands.log"));
    if (log.open(QIODevice::Append | QIODevice::Text)) {
        const QString line =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
            QLatin1Char(' ') + command + QLatin1Char('\n');
        log.write(line.toUtf8());
    }
}

namespace {

// Runs `command` through /bin/sh in a new process group and waits for it on the calling thread, at
// most limitMs; at the limit the whole group is killed. Standard input is /dev/null; standard output
// is read when captured, else shared with the program.
CommandResult executeShell(const QString& command, bool capture, int limitMs) {
    CommandResult r;
    r.exitCode = -1;
    const QByteArray cmd = command.toLocal8Bit();
    int out[2] = {-1, -1};
    if (capture && ::pipe2(out, O_CLOEXEC) != 0) return r;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (capture) posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawnattr_t attr;
    initChildAttributes(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    char sh[] = "/bin/sh";
    char dashC[] = "-c";
    char* argv[] = {sh, dashC, const_cast<char*>(cmd.constData()), nullptr};
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, sh, &actions, &attr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (capture) ::close(out[1]);
    if (spawned != 0) {
        if (capture) ::close(out[0]);
        qWarning().noquote() << "command could not be started:" << command << "-" << strerror(spawned);
        return r;
    }
    r.executed = true;

    QElapsedTimer clock;
    clock.start();
    bool open = capture;  // the read end, until end of file
    int status = 0;
    bool exited = false;
    char buf[4096];
    while (!exited) {
        const qint64 left = limitMs - clock.elapsed();
        if (left <= 0) break;
        const int slice = int(qMin<qint64>(left, 10));
        if (open) {
            pollfd p{out[0], POLLIN, 0};
            if (::poll(&p, 1, slice) > 0) {
                const ssize_t n = ::read(out[0], buf, sizeof buf);
                if (n > 0)
                    r.output.append(buf, int(n));
                else if (n == 0 || (errno != EINTR && errno != EAGAIN))
                    open = false;
            }
        } else {
            ::usleep(useconds_t(slice) * 1000);
        }
        const pid_t w = ::waitpid(pid, &status, WNOHANG);
        exited = w == pid || (w < 0 && errno == ECHILD);
    }
    if (!exited) {
        ::kill(-pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        r.timedOut = true;
        qWarning().noquote() << "command ended at its time limit of" << limitMs << "ms:" << command;
    }
    if (open) {
        // What the shell wrote before it ended; a child it left behind does not hold the call.
        ::fcntl(out[0], F_SETFL, O_NONBLOCK);
        ssize_t n;
        while ((n = ::read(out[0], buf, sizeof buf)) > 0) r.output.append(buf, int(n));
    }
    if (capture) ::close(out[0]);
    if (!r.timedOut && WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    return r;
}

// A command that never ends by itself (tests): it holds its thread until its limit.
CommandResult hangUntilLimit(const QString& command, int limitMs) {
    QThread::msleep(ulong(qMax(0, limitMs)));
    CommandResult r;
    r.exitCode = -1;
    r.executed = true;
    r.timedOut = true;
    qWarning().noquote() << "command ended at its time limit of" << limitMs << "ms:" << command;
    return r;
}

bool onGuiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// Runs `job` on a worker thread; the GUI thread's event loop goes on meanwhile, without the
// operator's input (a touch waits until the command is done).
CommandResult offGuiThread(const std::function<CommandResult()>& job) {
    CommandResult result;
    QEventLoop loop;
    QThread* worker = QThread::create([&result, &job] { result = job(); });
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    delete worker;
    return result;
}

}  // namespace

CommandResult CommandRunner::run(const QString& command, bool captureOutput, int limitMs) {
    Mode mode;
    bool emulate;
    CommandResult result;
    bool canned;
    bool hang = false;
    {
        QMutexLocker l(&lock_);
        history_.append(command);
        canned = takeCanned(command, &result, &hang);
        mode = mode_;
        emulate = emulate_;
    }
    if (canned && !hang) {
        if (mode == Mode::Record) record(command);
        qInfo().noquote() << "command (canned result" << result.exitCode << "):" << command;
        return result;
    }
    if (hang || mode == Mode::Execute) {
        if (hang && mode == Mode::Record) record(command);
        const std::function<CommandResult()> job = [&] {
            return hang ? hangUntilLimit(command, limitMs) : executeShell(command, captureOutput, limitMs);
        };
        return onGuiThread() ? offGuiThread(job) : job();
    }

    record(command);
    if (emulate) {
        int status = 0;
        if (emulateFileCommand(command, &status)) {
            qInfo().noquote() << "command (recorded, done in the program directory):" << command << "->"
                              << status;
            result.exitCode = status;
            return result;
        }
    }
    qInfo().noquote() << "command (recorded, not executed):" << command;
    const MachineCommand machine = machineCommandOf(command);
    if (machine != MachineCommand::None) {
        std::function<void(MachineCommand)> hook;
        {
            QMutexLocker l(&lock_);
            hook = machineHook_;
        }
        if (hook) hook(machine);
    }
    return result;
}

void CommandRunner::setMachineHook(std::function<void(MachineCommand)> hook) {
    QMutexLocker l(&lock_);
    machineHook_ = std::move(hook);
}

MachineCommand machineCommandOf(const QString& command) {
    const QStringList words = command.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) return MachineCommand::None;
    const QString& verb = words.first();
    if (verb == QLatin1String("reboot")) return MachineCommand::Reboot;
    if (verb == QLatin1String("poweroff") || verb == QLatin1String("halt")) return MachineCommand::PowerOff;
    if (verb == QLatin1String("init") && words.size() == 2) {
        if (words[1] == QLatin1String("6")) return MachineCommand::Reboot;
        if (words[1] == QLatin1String("0")) return MachineCommand::PowerOff;
        return MachineCommand::None;
    }
    if (verb == QLatin1String("shutdown"))
        return words.contains(QStringLiteral("-r")) ? MachineCommand::Reboot : MachineCommand::PowerOff;
    return MachineCommand::None;
}

void setMachineCommandHook(std::function<void(MachineCommand)> hook) {
    CommandRunner::instance().setMachineHook(std::move(hook));
}

int RunCommand(const QString& command, int limitMs) {
    return CommandRunner::instance().run(command, false, limitMs).exitCode;
}

CommandResult RunCommandCapture(const QString& command, int limitMs) {
    return CommandRunner::instance().run(command, true, limitMs);
}

QString shellQuote(const QString& arg) {
    QString s = arg;
    s.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}
