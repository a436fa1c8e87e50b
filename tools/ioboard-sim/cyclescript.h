#pragma once
// A machine cycle for the simulated IO board: a list of input changes and pauses, played in a loop.
//
// One step per line; '#' starts a comment; blank lines are skipped.
//   on <input>          input (0..9) goes high       e.g. "on 0   # mould open end"
//   off <input>         input goes low
//   inputs <word>       the whole input word (decimal or 0x...)
//   wait <ms>           pause
//   log <text>          a line in the simulator's log
//   until <output> on|off [<ms> <input>]
//                       wait until the board applied output bit <output> (0..15) at that level, the way
//                       a machine waits for the monitor (the mould does not close while the clamping
//                       cut is on). With <ms> and <input>: each <ms> spent waiting, input <input> goes
//                       low and 300 ms later high again (an operator opening and closing the door).
#include <QList>
#include <QString>
#include <atomic>
#include <functional>
#include <thread>

class IoBoardSim;

struct CycleStep {
    enum Kind { On, Off, Inputs, Wait, Log, Until } kind;
    int value = 0;
    QString text;
    int level = 0;    // Until: the output level waited for
    int everyMs = 0;  // Until: period of the input toggle, 0 none
    int input = -1;   // Until: the input toggled
};

// Parses a script; on an error returns false and names the line in *error.
bool parseCycleScript(const QString& text, QList<CycleStep>* steps, QString* error);

// Plays a script on a board in its own thread until stopped (or once, without loop).
class CyclePlayer {
public:
    explicit CyclePlayer(IoBoardSim* board) : board_(board) {}
    ~CyclePlayer() { stop(); }
    CyclePlayer(const CyclePlayer&) = delete;
    CyclePlayer& operator=(const CyclePlayer&) = delete;

    void setLogger(std::function<void(const QString&)> log) { log_ = std::move(log); }
    void play(const QList<CycleStep>& steps, bool loop);
    void stop();
    bool finished() const { return finished_; }
    int cycles() const { return cycles_; }

private:
    void run(QList<CycleStep> steps, bool loop);
    void waitForOutput(const CycleStep& step);

    IoBoardSim* board_;
    std::function<void(const QString&)> log_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{true};
    std::atomic<int> cycles_{0};
};
