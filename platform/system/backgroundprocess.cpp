#include "backgroundprocess.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "commandrunner.h"
#include "spawnattr.h"

namespace {
// The command line of a running process, NUL-separated; empty when it is gone (or a zombie).
QByteArray cmdlineOf(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Just started, the process may not have loaded its program yet: it is still a copy of this one.
bool copyOfThisProgram(qint64 pid) {
    const QByteArray cmd = cmdlineOf(pid);
    return !cmd.isEmpty() && cmd == cmdlineOf(QCoreApplication::applicationPid());
}

// Starts the program without copying this process: posix_spawn shares the address space until the
// program is loaded, where a fork (QProcess::startDetached) copies the page tables of every camera
// buffer and leaves every thread copy-on-write faults until the exec; that held the GUI thread 50 to
// 75 ms per start. The program runs in a session of its own with default signal handling; it is this
// process's child, and childState() collects it once it has ended. 0 when it could not be started.
qint64 spawn(const QString& program, const QStringList& args) {
    std::vector<QByteArray> words;
    words.push_back(QFile::encodeName(program));
    for (const QString& a : args) words.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawnattr_t attr;
    initChildAttributes(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int failed = ::posix_spawnp(&pid, argv[0], nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (failed) {
        qWarning().noquote() << "background process not started:" << program << "-" << strerror(failed);
        return 0;
    }
    return pid;
}

// A child of this process that has ended is collected here (it leaves no zombie). While it has not
// been collected its process id cannot be given to another process.
enum class ChildState { Running, Ended, NotChild };
ChildState childState(qint64 pid) {
    const pid_t r = ::waitpid(pid_t(pid), nullptr, WNOHANG);
    if (r == pid_t(pid)) return ChildState::Ended;
    return r == 0 ? ChildState::Running : ChildState::NotChild;
}

constexpr int kWatchMs = 20;
constexpr int kLoadMs = 500;     // how long a copy may take to load the program
constexpr int kReapedMs = 5000;  // after SIGKILL: gone by then, or given up on
}  // namespace

BackgroundProcess::BackgroundProcess() {
    watch_.setInterval(kWatchMs);
    QObject::connect(&watch_, &QTimer::timeout, [this] { watch(); });
}

bool BackgroundProcess::running() const {
    if (pid_ <= 0) return false;
    // Only the process this object started: a recycled process id runs something else.
    const QByteArray cmd = cmdlineOf(pid_);
    return !args_.isEmpty() && cmd.contains(args_.last().toLocal8Bit());
}

void BackgroundProcess::stop(int graceMs) {
    waiting_ = false;  // a start still waiting is not wanted any more
    if (pid_ <= 0) return;
    ending_.pid = pid_;
    ending_.name = args_.isEmpty() ? QByteArray() : args_.last().toLocal8Bit();
    ending_.graceMs = graceMs;
    ending_.phase = Ending::Loading;
    ending_.clock.start();
    pid_ = 0;
    watch();  // SIGTERM now when it runs the program
    if (ending_.pid > 0) watch_.start();
}

void BackgroundProcess::watch() {
    if (ending_.pid > 0) {
        const pid_t pid = pid_t(ending_.pid);
        // Our own child is known by its state; anything else by what its command line shows.
        const ChildState state = childState(ending_.pid);
        const bool client =
            state == ChildState::Running || (state == ChildState::NotChild && !ending_.name.isEmpty() &&
                                             cmdlineOf(ending_.pid).contains(ending_.name));
        const bool loading = state == ChildState::NotChild && !client && copyOfThisProgram(ending_.pid);
        switch (ending_.phase) {
            case Ending::Loading:
                if (client) {
                    ::kill(pid, SIGTERM);
                    ending_.phase = Ending::Terminating;
                    ending_.clock.start();
                } else if (loading && ending_.clock.elapsed() >= kLoadMs) {
                    // Still a copy of this program: it would load the client later and run beside
                    // the next one.
                    ::kill(pid, SIGKILL);
                    ending_.phase = Ending::Killed;
                    ending_.clock.start();
                } else if (!loading) {
                    ending_.pid = 0;  // gone
                }
                break;
            case Ending::Terminating:
                if (!client) {
                    ending_.pid = 0;
                } else if (ending_.clock.elapsed() >= ending_.graceMs) {
                    qWarning().noquote()
                        << "background process" << ending_.pid << "ignored SIGTERM: ended with SIGKILL";
                    ::kill(pid, SIGKILL);
                    ending_.phase = Ending::Killed;
                    ending_.clock.start();
                }
                break;
            case Ending::Killed:
                if ((!client && !loading) || ending_.clock.elapsed() >= kReapedMs) ending_.pid = 0;
                break;
        }
    }
    if (ending_.pid <= 0 && waiting_) {
        waiting_ = false;
        if (!startNow(nextProgram_, nextArgs_))
            qWarning().noquote() << "background process could not be started:" << nextProgram_ << nextArgs_;
    }
    if (ending_.pid <= 0 && !waiting_) watch_.stop();
}

bool BackgroundProcess::startNow(const QString& program, const QStringList& args) {
    program_ = program;
    args_ = args;
    pid_ = spawn(program, args);
    return pid_ > 0;
}

bool BackgroundProcess::restart(const QString& program, const QStringList& args) {
    CommandRunner& runner = CommandRunner::instance();
    if (runner.mode() == CommandRunner::Mode::Record) {
        RunCommand(QStringList(QStringList{program} + args).join(QLatin1Char(' ')) + QStringLiteral(" &"));
        return true;
    }
    stop();
    if (ending_.pid > 0) {
        waiting_ = true;
        nextProgram_ = program;
        nextArgs_ = args;
        watch_.start();
        return true;
    }
    waiting_ = false;
    return startNow(program, args);
}
