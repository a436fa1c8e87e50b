#pragma once
#include <QString>
#include <QStringList>

// A program started in the background that the caller may end again (the network client). In the
// panel profile it is started detached and its process id kept; in record mode (simulated profile,
// tests) the command line "<program> <args> &" is only recorded by the command runner.
class BackgroundProcess {
public:
    // Ends the process started before (if it still runs), then starts the new one. False when it
    // could not be started.
    bool restart(const QString& program, const QStringList& args);
    // Ends the process started last, if it still runs and is still that program: SIGTERM, then
    // SIGKILL after `graceMs`.
    void stop(int graceMs = 1000);
    qint64 pid() const { return pid_; }
    bool running() const;

private:
    qint64 pid_ = 0;
    QString program_;
    QStringList args_;
};
