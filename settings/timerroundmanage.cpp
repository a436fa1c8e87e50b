#include "timerroundmanage.h"

#include <QDebug>
#include <QFile>
#include <QThread>
#include <QTimerEvent>

#include "platform/system/commandrunner.h"
#include "platform/system/syspath.h"
#include "platform/system/timing.h"

TimerRoundManage* TimerRoundManage::__instance = nullptr;

namespace {
const char kScript[] = "/mnt/autocopy-moju.py";
}

TimerRoundManage::TimerRoundManage() : QObject(nullptr) {}

TimerRoundManage::~TimerRoundManage() {
    if (__instance == this) __instance = nullptr;
}

void TimerRoundManage::init() {
    const int id = startTimer(TimeMs("usb.autocopy", 60000), Qt::CoarseTimer);
    if (id != 0) timers_.insert(id, QStringLiteral("autocopy"));
}

void TimerRoundManage::timerEvent(QTimerEvent* e) {
    if (timers_.value(e->timerId()) == QLatin1String("autocopy")) autoCopyTick();
}

void TimerRoundManage::autoCopyTick() {
    if (!QFile::exists(SysPath(QString::fromLatin1(kScript)))) return;
    // A copy to a slow disk can take longer than a minute: never start a second one beside it.
    if (!running_.testAndSetAcquire(0, 1)) {
        qInfo("autocopy: previous run still going, tick skipped");
        return;
    }
    QThread* worker = QThread::create([this] {
        runCopyScript();
        running_.storeRelease(0);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

void TimerRoundManage::runCopyScript() {
    RunCommand(QStringLiteral("python3 %1").arg(QString::fromLatin1(kScript)), kLongCommandLimitMs);
}
