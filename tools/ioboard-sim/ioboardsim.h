#pragma once
// A simulated IO board on a pseudo-terminal pair.
//
// The board side holds the master; the program under test opens the slave (directly, or through a
// symbolic link placed where it looks for its serial device). The board speaks the IO board protocol:
//   command (monitor -> board), 6 bytes: 5F code valueLo valueHi sum F5   (sum of bytes 0..3)
//   reply   (board -> monitor), 8 bytes: 5F code d0 d1 d2 d3 sum F5       (sum of bytes 0..5)
// It answers a poll (2) with its input bits and the echo of the outputs it applied, applies a set
// outputs command (1) and answers analogue reads (3, 4) with a configurable number of replies. Unknown
// commands and bad frames are skipped. Faults can be injected: stray bytes, replies split in two
// writes, replies with a wrong sum, and silence (no replies at all).
//
// One worker thread serves the line; every public function may be called from any thread.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class IoBoardSim {
public:
    struct Command {
        qint64 ms;  // since start()
        int code;
        int value;
    };
    struct OutputChange {
        QDateTime time;
        qint64 ms;  // since start()
        int from;
        int to;
    };

    IoBoardSim();
    ~IoBoardSim();
    IoBoardSim(const IoBoardSim&) = delete;
    IoBoardSim& operator=(const IoBoardSim&) = delete;

    // Opens the pseudo-terminal pair and starts serving it. With a link path, a symbolic link to the
    // slave is placed there (its directory is created; a stale link is replaced, anything else refused).
    // False, with errorString() set, when the pair or the link cannot be made.
    bool start(const QString& linkPath = QString());
    // Stops serving, closes the pair and removes the link it made.
    void stop();
    bool isRunning() const { return running_; }
    QString slavePath() const { return slave_; }
    QString linkPath() const { return link_; }
    QString errorString() const { return error_; }

    // Board state.
    void setInputs(int word);
    void setInput(int i, bool on);
    int inputs() const;
    int outputs() const;                        // the outputs the board applied (last command 1)
    void setAnalog(int channel, qint32 value);  // channels 0..15
    void setAnalogReplies(int n);               // replies per analogue read, 8 unless told

    // Faults.
    void setSilent(bool silent);       // reads and applies commands, answers nothing
    void setSplitReplies(bool split);  // every reply in two writes (5 + 3 bytes) a moment apart
    void corruptNextReplies(int n);    // the next n replies carry a wrong sum
    void injectBeforeNextReply(const QByteArray& bytes);  // sent just before the next reply
    void sendRaw(const QByteArray& bytes);                // written to the line now

    // What the board saw.
    QList<Command> commands() const;
    int commandCount(int code) const;
    QList<OutputChange> outputChanges() const;
    int skippedBytes() const;  // bytes of bad or stray command data
    void clearRecords();
    // Called on the worker thread for every change of the applied outputs.
    void setOutputListener(std::function<void(const OutputChange&)> listener);
    // Waits until a command with this code (and value, when value >= 0) arrived after the record was
    // last cleared; false when the time ran out.
    bool waitForCommand(int code, int value, int timeoutMs) const;

    // Frame builders, written from the protocol (independent of the monitor's own code).
    static quint8 sum(const QByteArray& bytes, int count);
    static QByteArray commandFrame(int code, int value);
    static QByteArray replyFrame(int code, quint8 d0, quint8 d1, quint8 d2, quint8 d3);

private:
    void serve();
    void handle(int code, int value);
    void sendReply(QByteArray frame);
    void writeAll(const QByteArray& bytes);
    qint64 sinceStart() const;

    int master_ = -1;
    int slaveKeep_ = -1;  // keeps the pair alive while the monitor has the slave closed
    QString slave_;
    QString link_;
    QString error_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    std::thread worker_;
    qint64 startMs_ = 0;

    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    int inputs_ = 0;
    int outputs_ = 0;
    qint32 analog_[16] = {};
    int analogReplies_ = 8;
    bool silent_ = false;
    bool split_ = false;
    int corrupt_ = 0;
    QByteArray inject_;
    QList<Command> commands_;
    QList<OutputChange> changes_;
    int skipped_ = 0;
    std::function<void(const OutputChange&)> listener_;
    std::mutex writeLock_;
};
