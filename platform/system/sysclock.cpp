#include "sysclock.h"

#include <QMutex>

namespace {
QMutex g_lock;
QDateTime g_fixed;
qint64 g_offset = 0;
}  // namespace

QDateTime SysClock::now() {
    QMutexLocker lock(&g_lock);
    if (g_fixed.isValid()) return g_fixed;
    return QDateTime::currentDateTime().addSecs(g_offset);
}

void SysClock::setFixed(const QDateTime& t) {
    QMutexLocker lock(&g_lock);
    g_fixed = t;
}

void SysClock::setOffsetSecs(qint64 secs) {
    QMutexLocker lock(&g_lock);
    g_offset = secs;
}

void SysClock::reset() {
    QMutexLocker lock(&g_lock);
    g_fixed = QDateTime();
    g_offset = 0;
}
