#pragma once
// The thread that makes the 50 ms push of the shared-memory images, so that converting eight camera
// pictures never holds up the GUI thread and the machine loop that runs on it: the bridge's timer only
// wakes it. A pass that is asked for while one runs is made once after it; requests never pile up.
#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <functional>

class CNT_SharePusher : public QThread {
    Q_OBJECT
public:
    // `pass` is one push of every source; it runs on this thread.
    explicit CNT_SharePusher(std::function<void()> pass);
    ~CNT_SharePusher() override;

    // Asks for one pass (started with the thread when it does not run yet).
    void request();
    // Waits until no pass is asked for or running.
    void waitIdle();
    // Ends the thread after the pass in hand.
    void stop();
    // Passes made since the start (for tests and benches).
    int passes() const;

protected:
    void run() override;

private:
    std::function<void()> pass_;
    mutable QMutex lock_;
    QWaitCondition wake_;
    QWaitCondition idle_;
    bool pending_ = false;
    bool busy_ = false;
    bool stop_ = false;
    int passes_ = 0;
};
