#pragma once
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTimer>

// A program started in the background that the caller may end again (the network client). In the
// panel profile it is started in a session of its own and its process id kept (a child of this
// process, collected once it has ended); in record mode (simulated profile, tests) the command line
// "<program> <args> &" is only recorded by the command runner.
//
// Nothing here waits: ending a process sends SIGTERM and returns, a timer of the calling thread's
// event loop sends SIGKILL once the grace time has passed, and a restart asked for meanwhile starts
// when the old process has gone.
class BackgroundProcess {
public:
    BackgroundProcess();
    // Starts the program. One started before that still runs is ended first, and the new one
    // follows once it has gone; a later restart replaces one still waiting. False when the program
    // could not be started at once (a start that waits reports its failure in the log).
    bool restart(const QString& program, const QStringList& args);
    // Ends the process started last, if it still runs and is still that program: SIGTERM now, SIGKILL
    // when it still runs `graceMs` later. Returns at once; a start still waiting is dropped.
    void stop(int graceMs = 1000);
    // The process started last (0 while none runs or a start waits for the old process to go).
    qint64 pid() const { return pid_; }
    bool running() const;
    // A process is being ended, or a start waits for it.
    bool busy() const { return ending_.pid > 0 || waiting_; }

private:
    bool startNow(const QString& program, const QStringList& args);
    void watch();

    qint64 pid_ = 0;
    QString program_;
    QStringList args_;
    struct Ending {
        enum Phase { Loading, Terminating, Killed };
        qint64 pid = 0;
        QByteArray name;  // what its command line shows once it runs the program
        Phase phase = Loading;
        int graceMs = 0;
        QElapsedTimer clock;
    } ending_;
    bool waiting_ = false;  // a start waits for the ending process
    QString nextProgram_;
    QStringList nextArgs_;
    QTimer watch_;
};
