// The manual-stop and statistics records of the bridge: updating, sending (kinds 7 and 10) and their
// state files.
#include <QDateTime>
#include <QFile>
#include <QThread>
#include <glog/logging.h>

#include "app/mainwindowbase.h"
#include "app/globals.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "camera/camerahost.h"
#include "camera/cameraslot.h"
#include "cnt_net.h"
#include "platform/system/sysclock.h"
#include "records/counters.h"

namespace {
std::function<int()> g_cycleTenths;

qint64 nowMs() {
    return SysClock::now().toMSecsSinceEpoch();
}

QString recordString(const char (&field)[kParaTextLen]) {
    return QString::fromUtf8(field, int(qstrnlen(field, kParaTextLen)));
}
}  // namespace

void setCycleTimeSource(std::function<int()> tenths) {
    g_cycleTenths = std::move(tenths);
}

int CNT_Net::runStateCode() const {
    const int run = gpWin ? gpWin->RunState : 3;
    return run == 3 ? 1 : run == 1 ? 0 : 2;
}

void CNT_Net::InitManualStop() {
    QByteArray text;
    if (!CNT_ReadStateFile(kManualStopFile, &text)) return;
    bool complete = false;
    if (!manualStop_.load(text, &complete)) {
        LOG(WARNING) << "CNT: " << kManualStopFile << " is not JSON; kept, not used";
        return;
    }
    if (!complete) {
        LOG(WARNING) << "CNT: " << kManualStopFile << " incomplete; removed";
        QFile::remove(QString::fromLatin1(kManualStopFile));
    }
}

void CNT_Net::InitStatistics() {
    stats_.resetHeader(nowMs());
    QByteArray text;
    if (!CNT_ReadStateFile(kStatisticsFile, &text)) return;
    bool complete = false;
    if (!stats_.load(text, &complete)) {
        LOG(WARNING) << "CNT: " << kStatisticsFile << " is not JSON; kept, not used";
        return;
    }
    if (!complete) {
        LOG(WARNING) << "CNT: " << kStatisticsFile << " incomplete; removed";
        QFile::remove(QString::fromLatin1(kStatisticsFile));
    }
}

void CNT_Net::CNT_SendManualStop() {
    if (!kindEnabled(SEND_MANUAL_STOP)) return;
    const QDateTime now = SysClock::now();
    CNT_Path_ManualStop& m = manualStop_;
    if (gpWin && gpWin->RunState == 3) {
        m.utc = now.toMSecsSinceEpoch();
        m.stop_check_timeslot = now.toString(QStringLiteral("hh:mm")) + QStringLiteral("---:--");
    } else if (m.stop_check_timeslot.contains(QLatin1String("--:--"))) {
        // Bounded: a clock set back or a stop time from a damaged file never wraps the total.
        const qint64 minutes =
            qBound<qint64>(0, (now.toMSecsSinceEpoch() - m.utc) / 60000, kCntMaxStopMinutes);
        m.stop_check_timelen = qint32(qMin<qint64>(m.stop_check_timelen + minutes, kCntMaxStopMinutes));
        m.stop_check_timeslot = QDateTime::fromMSecsSinceEpoch(m.utc).toString(QStringLiteral("hh:mm")) +
                                QLatin1Char('-') + now.toString(QStringLiteral("hh:mm"));
    }
    const QString oper = gpWPara ? recordString(gpWPara->CntNet_Operator) : QString();
    m.operator_id = oper;
    m.disalarm_operator_id = oper;
    const QByteArray body = m.document(hostLatin1(), runStateCode());
    m.SaveToFile(body.constData(), body.size());
    queueMessage(SEND_MANUAL_STOP, body);
}

void CNT_Net::ChkandAddStaticticsItem(int camera, int step, int area) {
    stats_.addAlarm(camera, step, area);
}

void CNT_Net::CNT_AddNgTimes(qint64 milliseconds) {
    stats_.total_stop_alarm_timelen += milliseconds;
    stopDurations_.append(milliseconds);
}

qint64 CNT_Net::CNT_AddCycle() {
    while (stopDurations_.size() > 100) stopDurations_.removeFirst();
    if (stopDurations_.isEmpty()) return 0;
    qint64 sum = 0;
    for (qint64 d : qAsConst(stopDurations_)) sum += d;
    return sum / stopDurations_.size();
}

void CNT_Net::statisticsBadKey() {
    // A tree with a camera or step the system cannot have came from a damaged file: it is dropped
    // with the file, so that the next message is built from a sound tree.
    LOG(WARNING) << "CNT: statistics key out of range; " << kStatisticsFile << " removed";
    QFile::remove(QString::fromLatin1(kStatisticsFile));
    stats_.cameras.clear();
    InitStatistics();
}

void CNT_Net::CNT_SendStatistics(const QString& ngImage) {
    if (!kindEnabled(SEND_STATISTICS)) return;
    if (QThread::currentThread() != thread()) {
        // The image saver's thread: the record belongs to the GUI thread.
        QMetaObject::invokeMethod(
            this, [this, ngImage] { CNT_SendStatistics(ngImage); }, Qt::QueuedConnection);
        return;
    }
    CNT_Path_Statistics& s = stats_;
    const int cams = qBound(0, numCamera, kMaxCamera);
    if (cams > 0) {
        qint64 all = 0, fail = 0;
        for (int c = 0; c < cams; ++c) {
            // The counters go by the cameras' slots.
            const CameraSlot* view = cameraView(c);
            const int slot = view && view->slot >= 0 && view->slot < kMaxCamera ? view->slot : c;
            all = qMax<qint64>(all, gAllNum[slot]);
            fail = qMax<qint64>(fail, gFailNum[slot]);
        }
        s.watch_count_total = all;
        s.ng_count_total = fail;
        s.ng_notification_rate = CNT_RatePer10000(fail, all);
    } else {
        s.watch_count_total = 0;
        s.ng_count_total = 0;
    }
    const qint64 now = nowMs();
    s.utc_watch_total = now - s.start_utc - qint64(manualStop_.stop_check_timelen) * 60000;
    const WizardPara* p = gpWPara;
    s.real_produce = (s.watch_count_total - s.ng_count_total) * qint64(p ? p->cavity_count : 0);
    s.watch_circle = qint64(g_cycleTenths ? g_cycleTenths() : 0) * 100;
    const qint64 latest = stopDurations_.isEmpty() ? 0 : stopDurations_.last();
    const qint64 mean = CNT_AddCycle();
    if (p) {
        s.product_name = recordString(p->CntNet_ProName);
        s.product_serial = QString::number(p->product_serial);
        s.products_num = p->product_count;
    }
    for (auto cam = s.cameras.begin(); cam != s.cameras.end(); ++cam) {
        if (cam.key() < 0 || cam.key() >= kMaxCamera) return statisticsBadKey();
        cam->disalarm_timeout_time = 1;
        cam->last_monitor_period = s.total_stop_alarm_timelen;
        cam->now_monitor_period = latest;
        cam->average_monitor_period = mean;
        const qint64 all = gAllNum[cam.key()], fail = gFailNum[cam.key()];
        for (auto det = cam->detects.begin(); det != cam->detects.end(); ++det) {
            if (det.key() < 0 || det.key() >= kMaxStep) return statisticsBadKey();
            det->ng_sum = qint32(fail);
            det->produce = s.products_num;
            det->monitor_times = qint32(all);
            det->ok_num = qint32(all - fail);
            det->ok_rate = qint32(CNT_RatePer10000(all - fail, all));
            det->not_ok_num = qint32(fail);
            det->not_ok_rate = qint32(CNT_RatePer10000(fail, all));
        }
    }
    const QByteArray body = s.document(hostLatin1(), runStateCode(), now,
                                       ngImage.isEmpty() ? QByteArray("null") : ngImage.toUtf8());
    s.SaveToFile(body.constData(), body.size());
    queueMessage(SEND_STATISTICS, body);
}
