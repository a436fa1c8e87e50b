#include "cnt_statistics.h"

#include <QDateTime>
#include <QFile>
#include <cjson/cJSON.h>
#include <cmath>
#include <limits>
#include <glog/logging.h>

#include "app/globals.h"
#include "platform/system/fileops.h"

namespace {
QByteArray printed(cJSON* root) {
    char* text = cJSON_Print(root);
    QByteArray out(text ? text : "");
    cJSON_free(text);
    cJSON_Delete(root);
    return out;
}

void addText(cJSON* o, const char* name, const QString& text) {
    cJSON_AddStringToObject(o, name, text.toUtf8().constData());
}
void addNumber(cJSON* o, const char* name, double v) {
    cJSON_AddNumberToObject(o, name, v);
}

// The members of a saved document are read in order, each only while every one before it was there.
class MemberReader {
public:
    explicit MemberReader(const cJSON* object) : o_(object) {}
    bool ok() const { return ok_; }
    // A number outside [lo, hi] (or not finite) counts as missing, as the parameter loader takes it:
    // a damaged file never turns into wrapped values or arithmetic that overflows. Fractions are cut.
    template <typename T>
    void number(const char* name, T* out, double lo = double(std::numeric_limits<T>::min()),
                double hi = double(std::numeric_limits<T>::max())) {
        if (!ok_) return;
        const cJSON* item = cJSON_GetObjectItemCaseSensitive(o_, name);
        const double v = cJSON_IsNumber(item) ? std::trunc(item->valuedouble) : 0.0;
        // The upper end of a 64-bit type is not a double: 2^63 itself is already outside.
        const bool inType = v >= double(std::numeric_limits<T>::min()) &&
                            v < double(std::numeric_limits<T>::max() / 2 + 1) * 2.0;
        if (!cJSON_IsNumber(item) || !std::isfinite(item->valuedouble) || !inType || v < lo || v > hi) {
            ok_ = false;
            return;
        }
        *out = T(v);
    }
    void text(const char* name, QString* out) {
        if (!ok_) return;
        const cJSON* item = cJSON_GetObjectItemCaseSensitive(o_, name);
        if (!cJSON_IsString(item) || !item->valuestring) {
            ok_ = false;
            return;
        }
        *out = QString::fromUtf8(item->valuestring);
    }

private:
    const cJSON* o_;
    bool ok_ = true;
};

const cJSON* arrayOf(const cJSON* o, const char* name) {
    const cJSON* a = cJSON_GetObjectItemCaseSensitive(o, name);
    return cJSON_IsArray(a) ? a : nullptr;
}
}  // namespace

bool CNT_SaveStateFile(const char* path, const QByteArray& text) {
    QString error;
    if (writeFileAtomically(QString::fromLatin1(path), text, &error)) return true;
    LOG(ERROR) << "CNT: " << path << " not saved: " << error.toStdString();
    return false;
}

bool CNT_ReadStateFile(const char* path, QByteArray* text) {
    QFile f(QString::fromLatin1(path));
    if (!f.open(QIODevice::ReadOnly)) return false;
    *text = f.readAll();  // whole: a large statistics tree must come back as it was written
    const int nul = text->indexOf('\0');
    if (nul >= 0) text->truncate(nul);
    return true;
}

// ---- manual stop ----

CNT_Path_ManualStop::CNT_Path_ManualStop() {
    utc = QDateTime::fromString(QStringLiteral("1970-11-12 13:14:15"), QStringLiteral("yyyy-MM-dd hh:mm:ss"))
              .toMSecsSinceEpoch();
}

QByteArray CNT_Path_ManualStop::document(const QByteArray& hostLatin1, int state) const {
    cJSON* o = cJSON_CreateObject();
    cJSON_AddStringToObject(o, "device_id", hostLatin1.constData());
    addNumber(o, "state", state);
    addNumber(o, "utc", double(utc));
    addText(o, "stop_check_timeslot", stop_check_timeslot);
    addNumber(o, "stop_check_timelen", stop_check_timelen);
    addNumber(o, "timeout_time", timeout_time);
    addText(o, "operator_id", operator_id);
    addText(o, "disalarm_operator_id", disalarm_operator_id);
    addText(o, "stop_check_reason", stop_check_reason);
    return printed(o);
}

bool CNT_Path_ManualStop::load(const QByteArray& text, bool* complete) {
    cJSON* root = cJSON_ParseWithLength(text.constData(), size_t(text.size()));
    if (!root) return false;
    loaded = false;
    MemberReader r(root);
    r.number("utc", &utc, 0, kCntMaxUtc);
    r.text("stop_check_timeslot", &stop_check_timeslot);
    r.number("stop_check_timelen", &stop_check_timelen, 0, kCntMaxStopMinutes);
    r.number("timeout_time", &timeout_time);
    r.text("operator_id", &operator_id);
    r.text("disalarm_operator_id", &disalarm_operator_id);
    r.text("stop_check_reason", &stop_check_reason);
    cJSON_Delete(root);
    *complete = r.ok();
    loaded = r.ok();
    return true;
}

bool CNT_Path_ManualStop::SaveToFile(const char* data, int length) const {
    return CNT_SaveStateFile(kManualStopFile, QByteArray(data, length));
}

// ---- statistics ----

CNT_Path_Statistics::CNT_Path_Statistics() {
    resetHeader(QDateTime::currentMSecsSinceEpoch());
}

void CNT_Path_Statistics::resetHeader(qint64 now) {
    product_name = QStringLiteral("no set");
    product_serial = QStringLiteral("1");
    products_num = 10000;
    start_utc = now;
    total_stop_alarm_timelen = 0;
    utc_watch_total = now - start_utc;
    watch_count_total = 0;
    ng_count_total = 0;
    ng_notification_rate = 0;
}

bool CNT_Path_Statistics::load(const QByteArray& text, bool* headerComplete) {
    cJSON* root = cJSON_ParseWithLength(text.constData(), size_t(text.size()));
    if (!root) return false;
    loaded = false;
    MemberReader h(root);
    h.text("product_name", &product_name);
    h.text("product_serial", &product_serial);
    h.number("products_num", &products_num);
    h.number("start_utc", &start_utc, 0, kCntMaxUtc);
    h.number("real_produce", &real_produce);
    h.number("utc_watch_total", &utc_watch_total);
    h.number("total_stop_alarm_timelen", &total_stop_alarm_timelen, 0, kCntMaxUtc);
    h.number("watch_count_total", &watch_count_total);
    h.number("ng_count_total", &ng_count_total);
    h.number("ng_notification_rate", &ng_notification_rate);
    h.number("watch_circle", &watch_circle);
    *headerComplete = h.ok();
    if (!h.ok()) {
        cJSON_Delete(root);
        return true;
    }
    // A document without the camera tree counts as one with no cameras.
    const cJSON* cams = arrayOf(cJSON_GetObjectItemCaseSensitive(root, "camera"), "ng");
    const cJSON* camItem = nullptr;
    cJSON_ArrayForEach(camItem, cams) {
        CNT_Path_Statistics_Camera cam;
        MemberReader c(camItem);
        c.text("camera_id", &cam.id);
        c.number("disalarm_timeout_time", &cam.disalarm_timeout_time);
        c.number("last_monitor_period", &cam.last_monitor_period);
        c.number("now_monitor_period", &cam.now_monitor_period);
        c.number("average_monitor_period", &cam.average_monitor_period);
        if (!c.ok()) break;  // this camera and the ones after it are dropped
        int digits = 0;
        while (digits < cam.id.size() && cam.id.at(digits).isDigit()) ++digits;
        const int camKey = cam.id.leftRef(digits).toInt() - 1;
        const cJSON* detItem = nullptr;
        cJSON_ArrayForEach(detItem, arrayOf(camItem, "ng_monitors")) {
            CNT_Path_Statistics_Detect det;
            MemberReader d(detItem);
            d.number("time", &det.time, 1, kMaxStep);
            d.number("ng_sum", &det.ng_sum);
            d.number("produce", &det.produce);
            d.number("monitor_times", &det.monitor_times);
            d.number("ok_num", &det.ok_num);
            d.number("ok_rate", &det.ok_rate);
            d.number("not_ok_num", &det.not_ok_num);
            d.number("not_ok_rate", &det.not_ok_rate);
            if (!d.ok()) break;  // this detection and the camera's later ones are dropped
            const cJSON* alarmItem = nullptr;
            cJSON_ArrayForEach(alarmItem, arrayOf(detItem, "alarm")) {
                CNT_Path_Statistics_Alarm alarm;
                MemberReader a(alarmItem);
                a.number("alarm_area_num", &alarm.alarm_area_num, 1, kCntMaxAlarmArea);
                a.text("alarm_algorithm_type", &alarm.alarm_algorithm_type);
                a.number("alarm_result", &alarm.alarm_result, 0, kCntMaxCount);
                if (!a.ok()) break;
                det.alarms.insert(alarm.alarm_area_num - 1, alarm);
            }
            cam.detects.insert(det.time - 1, det);
        }
        cameras.insert(camKey, cam);
    }
    cJSON_Delete(root);
    loaded = true;
    return true;
}

void CNT_Path_Statistics::addAlarm(int camera, int step, int area) {
    if (!cameras.contains(camera)) {
        CNT_Path_Statistics_Camera cam;
        cam.id = QString::number(camera + 1);
        cameras.insert(camera, cam);
    }
    CNT_Path_Statistics_Camera& cam = cameras[camera];
    if (!cam.detects.contains(step)) {
        CNT_Path_Statistics_Detect det;
        det.time = step + 1;
        cam.detects.insert(step, det);
    }
    CNT_Path_Statistics_Detect& det = cam.detects[step];
    auto it = det.alarms.find(area);
    if (it != det.alarms.end()) {
        if (it->alarm_result < kCntMaxCount) it->alarm_result += 1;
        return;
    }
    CNT_Path_Statistics_Alarm alarm;
    alarm.alarm_area_num = area + 1;
    alarm.alarm_result = 1;
    det.alarms.insert(area, alarm);
}

QByteArray CNT_Path_Statistics::document(const QByteArray& hostLatin1, int state, qint64 utc,
                                         const QByteArray& ngImage) const {
    cJSON* o = cJSON_CreateObject();
    cJSON_AddStringToObject(o, "device_id", hostLatin1.constData());
    addNumber(o, "state", state);
    addText(o, "product_name", product_name);
    addText(o, "product_serial", product_serial);
    addNumber(o, "products_num", products_num);
    addNumber(o, "start_utc", double(start_utc));
    addNumber(o, "real_produce", double(real_produce));
    addNumber(o, "utc_watch_total", double(utc_watch_total));
    addNumber(o, "total_stop_alarm_timelen", double(total_stop_alarm_timelen));
    addNumber(o, "watch_count_total", double(watch_count_total));
    addNumber(o, "ng_count_total", double(ng_count_total));
    addNumber(o, "ng_notification_rate", double(ng_notification_rate));
    addNumber(o, "watch_circle", double(watch_circle));
    addNumber(o, "utc", double(utc));
    cJSON_AddStringToObject(o, "ng_image", ngImage.constData());
    cJSON* camera = cJSON_AddObjectToObject(o, "camera");
    cJSON* ng = cJSON_AddArrayToObject(camera, "ng");
    for (const CNT_Path_Statistics_Camera& cam : cameras) {
        cJSON* c = cJSON_CreateObject();
        addText(c, "camera_id", cam.id);
        addNumber(c, "disalarm_timeout_time", double(cam.disalarm_timeout_time));
        addNumber(c, "last_monitor_period", double(cam.last_monitor_period));
        addNumber(c, "now_monitor_period", double(cam.now_monitor_period));
        addNumber(c, "average_monitor_period", double(cam.average_monitor_period));
        cJSON* monitors = cJSON_AddArrayToObject(c, "ng_monitors");
        for (const CNT_Path_Statistics_Detect& det : cam.detects) {
            cJSON* d = cJSON_CreateObject();
            addNumber(d, "time", det.time);
            addNumber(d, "ng_sum", det.ng_sum);
            addNumber(d, "produce", det.produce);
            addNumber(d, "monitor_times", det.monitor_times);
            addNumber(d, "ok_num", det.ok_num);
            addNumber(d, "ok_rate", det.ok_rate);
            addNumber(d, "not_ok_num", det.not_ok_num);
            addNumber(d, "not_ok_rate", det.not_ok_rate);
            cJSON* alarms = cJSON_AddArrayToObject(d, "alarm");
            for (const CNT_Path_Statistics_Alarm& alarm : det.alarms) {
                cJSON* a = cJSON_CreateObject();
                addNumber(a, "alarm_area_num", alarm.alarm_area_num);
                addText(a, "alarm_algorithm_type", alarm.alarm_algorithm_type);
                addNumber(a, "alarm_result", alarm.alarm_result);
                cJSON_AddItemToArray(alarms, a);
            }
            cJSON_AddItemToArray(monitors, d);
        }
        cJSON_AddItemToArray(ng, c);
    }
    return printed(o);
}

bool CNT_Path_Statistics::SaveToFile(const char* data, int length) const {
    return CNT_SaveStateFile(kStatisticsFile, QByteArray(data, length));
}

// ---- reminder ----

CNT_Path_Remind::CNT_Path_Remind() = default;

QByteArray CNT_Path_Remind::object(const QByteArray& hostLatin1) const {
    cJSON* o = cJSON_CreateObject();
    cJSON_AddStringToObject(o, "device_id", hostLatin1.constData());
    addNumber(o, "utc", double(utc));
    addNumber(o, "notification_utc", double(notification_utc));
    addNumber(o, "duration", double(duration));
    addText(o, "description", description);
    addText(o, "operator_id", operator_id);
    return printed(o);
}

bool CNT_Path_Remind::SaveToFile(const char* data, int length) {
    QByteArray old;
    cJSON* doc = nullptr;
    if (CNT_ReadStateFile(kRemindFile, &old))
        doc = cJSON_ParseWithLength(old.constData(), size_t(old.size()));
    if (!doc) {
        doc = cJSON_CreateObject();
        cJSON_AddArrayToObject(doc, "remind");
    }
    cJSON* item = cJSON_ParseWithLength(data, size_t(qMax(0, length)));
    cJSON* list = cJSON_GetObjectItemCaseSensitive(doc, "remind");
    if (item && cJSON_IsArray(list))
        cJSON_AddItemToArray(list, item);
    else
        cJSON_Delete(item);
    return CNT_SaveStateFile(kRemindFile, printed(doc));
}
