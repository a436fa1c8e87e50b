#include "cnt_sharepusher.h"

#include <utility>

CNT_SharePusher::CNT_SharePusher(std::function<void()> pass) : pass_(std::move(pass)) {
    setObjectName(QStringLiteral("SharePusher"));
}

CNT_SharePusher::~CNT_SharePusher() {
    stop();
}

void CNT_SharePusher::request() {
    {
        QMutexLocker lock(&lock_);
        if (stop_) return;
        pending_ = true;
        wake_.wakeOne();
    }
    if (!isRunning()) start(QThread::InheritPriority);
}

void CNT_SharePusher::waitIdle() {
    QMutexLocker lock(&lock_);
    while ((pending_ || busy_) && isRunning()) idle_.wait(&lock_, 100);
}

void CNT_SharePusher::stop() {
    {
        QMutexLocker lock(&lock_);
        stop_ = true;
        wake_.wakeAll();
    }
    wait();
}

int CNT_SharePusher::passes() const {
    QMutexLocker lock(&lock_);
    return passes_;
}

void CNT_SharePusher::run() {
    QMutexLocker lock(&lock_);
    while (!stop_) {
        if (!pending_) {
            wake_.wait(&lock_);
            continue;
        }
        pending_ = false;
        busy_ = true;
        lock.unlock();
        pass_();
        lock.relock();
        busy_ = false;
        ++passes_;
        idle_.wakeAll();
    }
    pending_ = false;
    idle_.wakeAll();
}
