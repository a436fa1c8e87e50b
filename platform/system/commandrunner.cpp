#include "commandrunner.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

#include "fileops.h"
#include "profile.h"
#include "syspath.h"

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

bool CommandRunner::takeCanned(const QString& command, CommandResult* out) {
    for (int i = 0; i < canned_.size(); ++i) {
        if (command.startsWith(canned_[i].prefix)) {
            *out = canned_[i].result;
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

static CommandResult executeShell(const QString& command, bool capture) {
    CommandResult r;
    const QByteArray cmd = command.toLocal8Bit();
    if (!capture) {
        const int status = std::system(cmd.constData());
        r.executed = true;
        if (status == -1)
            r.exitCode = -1;
        else
            r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return r;
    }
    FILE* pipe = ::popen(cmd.constData(), "r");
    if (!pipe) {
        r.exitCode = -1;
        return r;
    }
    r.executed = true;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.output.append(buf, static_cast<int>(n));
    const int status = ::pclose(pipe);
    r.exitCode = (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    return r;
}

CommandResult CommandRunner::run(const QString& command, bool captureOutput) {
    Mode mode;
    bool emulate;
    CommandResult result;
    bool canned;
    {
        QMutexLocker l(&lock_);
        history_.append(command);
        canned = takeCanned(command, &result);
        mode = mode_;
        emulate = emulate_;
    }
    if (canned) {
        if (mode == Mode::Record) record(command);
        qInfo().noquote() << "command (canned result" << result.exitCode << "):" << command;
        return result;
    }
    if (mode == Mode::Execute) return executeShell(command, captureOutput);

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

int RunCommand(const QString& command) {
    return CommandRunner::instance().run(command, false).exitCode;
}

CommandResult RunCommandCapture(const QString& command) {
    return CommandRunner::instance().run(command, true);
}

QString shellQuote(const QString& arg) {
    QString s = arg;
    s.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}
