#pragma once
// Runs the copy script of a plugged-in USB disk ("/mnt/autocopy-moju.py") once a minute.
#include <QAtomicInt>
#include <QMap>
#include <QObject>

class TimerRoundManage : public QObject {
    Q_OBJECT
public:
    TimerRoundManage();
    ~TimerRoundManage() override;

    static TimerRoundManage* __instance;

    // Starts the 60 s "autocopy" timer.
    void init();
    // One tick of the timer: starts the script when it is present and no earlier run is still going.
    void autoCopyTick();
    bool copyRunning() const { return running_.loadAcquire() != 0; }

protected:
    void timerEvent(QTimerEvent* e) override;
    // Runs the script and waits for it; called on a worker thread.
    virtual void runCopyScript();

private:
    QMap<int, QString> timers_;
    QAtomicInt running_{0};
};
