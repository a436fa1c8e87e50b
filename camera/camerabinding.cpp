#include "camerabinding.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>
#include <algorithm>
#include <cstring>

#include "app/globals.h"
#include "app/parametermanager.h"
#include "app/wizardpara.h"
#include "cameraglobals.h"
#include "camerahost.h"
#include "cameraslot.h"

namespace {
void setBinding(int slot, const QByteArray& serial) {
    memset(gSerialNB[slot], 0, kSerialLen);
    memcpy(gSerialNB[slot], serial.constData(), size_t(std::min(int(serial.size()), kSerialLen - 1)));
}

// Writes one row; inserts it when it is missing, so that a binding is never dropped silently.
bool writeRow(QSqlQuery& q, int slot) {
    const QString name = QStringLiteral("serialNB%1").arg(slot);
    const QString value = QString::fromLatin1(gSerialNB[slot]);
    q.prepare(QStringLiteral("update sysparam set value=? where name=?"));
    q.addBindValue(value);
    q.addBindValue(name);
    if (!q.exec()) return false;
    if (q.numRowsAffected() > 0) return true;
    q.prepare(QStringLiteral("insert into sysparam (name, value) values (?, ?)"));
    q.addBindValue(name);
    q.addBindValue(value);
    return q.exec();
}
}  // namespace

bool SaveSN(int clear) {
    for (int k = 0; k < kMaxCamera; ++k) setBinding(k, QByteArrayLiteral("0"));
    const int n = cameraViewCount();
    if (clear == 0) {
        for (int i = 0; i < n && i < kMaxCamera; ++i) {
            CameraSlot* v = cameraView(i);
            if (!v || !v->isActive()) continue;
            const int target = gCamNO[i];
            if (target < 0 || target >= kMaxCamera) {
                qWarning() << "camera binding: camera" << i << "has no valid slot" << target;
                continue;
            }
            const QByteArray serial = v->ReadSerial();
            if (gCameraID == kCameraUeye || gCameraID == kCameraMindVision || gCameraID == kCameraHikvision)
                setBinding(target, serial);
        }
    }

    ParameterManager* pm = ParameterManager::getInstance();
    bool ok = pm && pm->snDb.isOpen();
    if (ok) {
        QSqlQuery q(pm->snDb);
        ok = pm->snDb.transaction();
        for (int k = 0; ok && k < kMaxCamera; ++k) ok = writeRow(q, k);
        if (ok) ok = pm->snDb.commit();
        if (!ok) {
            qWarning().noquote() << "camera bindings not stored:" << q.lastError().text()
                                 << pm->snDb.lastError().text();
            pm->snDb.rollback();
        }
    } else {
        qWarning() << "camera bindings not stored: SN.db is not open";
    }
    for (int k = 0; k < n && k < kMaxCamera; ++k)
        cameraRecord(cameraText(641).arg(k + 1).arg(QString::fromLatin1(gSerialNB[k])));
    return ok;
}
