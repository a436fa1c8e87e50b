#include "timing.h"

#include <QHash>
#include <QMutex>

namespace {
QMutex g_lock;
QHash<QByteArray, int>& overrides() {
    static QHash<QByteArray, int> table;
    return table;
}
}  // namespace

int TimeMs(const char* key, int systemMs) {
    QMutexLocker lock(&g_lock);
    auto& t = overrides();
    if (t.isEmpty()) return systemMs;
    auto it = t.constFind(QByteArray(key));
    return it == t.constEnd() ? systemMs : it.value();
}

void setTimeOverride(const char* key, int ms) {
    QMutexLocker lock(&g_lock);
    overrides().insert(QByteArray(key), ms);
}

void clearTimeOverrides() {
    QMutexLocker lock(&g_lock);
    overrides().clear();
}
