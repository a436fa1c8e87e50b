#include "backgroundprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <sys/types.h>
#include <sys/wait.h>

#include "commandrunner.h"

namespace {
// The command line of a running process, NUL-separated; empty when it is gone.
QByteArray cmdlineOf(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

bool BackgroundProcess::running() const {
    if (pid_ <= 0) return false;
    // Only the process this object started: a recycled process id runs something else.
    const QByteArray cmd = cmdlineOf(pid_);
    return !args_.isEmpty() && cmd.contains(args_.last().toLocal8Bit());
}

void BackgroundProcess::stop(int graceMs) {
    // Just started, the process may not have loaded its program yet: give it a moment to show it.
    QElapsedTimer started;
    started.start();
    while (pid_ > 0 && !running() && ::kill(pid_t(pid_), 0) == 0 && started.elapsed() < 500)
        QThread::msleep(10);
    if (!running()) {
        // Still a copy of this program that has not loaded the client yet (a loaded machine): it
        // would load it later and run beside the next one, so it ends here.
        if (pid_ > 0 && ::kill(pid_t(pid_), 0) == 0 &&
            cmdlineOf(pid_) == cmdlineOf(QCoreApplication::applicationPid()))
            ::kill(pid_t(pid_), SIGKILL);
        pid_ = 0;
        return;
    }
    ::kill(pid_t(pid_), SIGTERM);
    QElapsedTimer t;
    t.start();
    while (running() && t.elapsed() < graceMs) QThread::msleep(20);
    if (running()) ::kill(pid_t(pid_), SIGKILL);
    pid_ = 0;
}

bool BackgroundProcess::restart(const QString& program, const QStringList& args) {
    CommandRunner& runner = CommandRunner::instance();
    if (runner.mode() == CommandRunner::Mode::Record) {
        RunCommand(QStringList(QStringList{program} + args).join(QLatin1Char(' ')) + QStringLiteral(" &"));
        return true;
    }
    stop();
    program_ = program;
    args_ = args;
    qint64 pid = 0;
    if (!QProcess::startDetached(program, args, QString(), &pid)) return false;
    pid_ = pid;
    return true;
}
