// The bodies of the bridge's messages, one sender per kind.
//
// Body forms: key=value pairs joined by "&" (values as they stand), a bare path, an empty body, or
// one JSON object printed by cJSON in its formatted form, members in a fixed order. Texts the
// system holds as wide strings (host name, camera ids) are reduced to Latin-1 ("?" for anything
// else); texts held as 8-bit strings (product, operator, password, the fixed state texts) go out as
// their UTF-8 bytes.
#include <QDateTime>
#include <cjson/cJSON.h>
#include <glog/logging.h>

#include "app/mainwindowbase.h"
#include "app/globals.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "camera/camerahost.h"
#include "camera/cameraslot.h"
#include "cnt_net.h"
#include "cnt_thread.h"
#include "detect/cammersingleton.h"
#include "platform/system/sysclock.h"
#include "records/counters.h"

namespace {
std::function<const CammerSingleton*(int)> g_roiStores;

qint64 nowMs() {
    return SysClock::now().toMSecsSinceEpoch();
}

// A wide text as the client receives it: Latin-1 characters kept, others "?", sent as UTF-8.
QByteArray latin1Text(const QString& s) {
    return QString::fromLatin1(s.toLatin1()).toUtf8();
}

// A fixed 8-bit text field of the parameter record (always NUL-terminated within its size).
QByteArray recordText(const char (&field)[kParaTextLen]) {
    return QByteArray(field, int(qstrnlen(field, kParaTextLen)));
}

void addText(cJSON* o, const char* name, const QByteArray& utf8) {
    cJSON_AddStringToObject(o, name, utf8.constData());
}
void addInt(cJSON* o, const char* name, double v) {
    cJSON_AddNumberToObject(o, name, v);
}

// A camera slot (badge number - 1) of a camera in use. With a camera missing, a slot may pass the
// number of cameras in use; without views (tools, tests of this layer) slots are the places.
bool slotInUse(int slot) {
    if (slot < 0 || slot >= kMaxCamera) return false;
    const int views = cameraViewCount();
    if (views == 0) return slot < numCamera;
    for (int c = 0; c < views; ++c)
        if (const CameraSlot* view = cameraView(c); view && view->slot == slot) return true;
    return false;
}

QByteArray dotted(const int32_t (&v)[4]) {
    return QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]).toLatin1();
}
}  // namespace

void setRoiStoreLookup(std::function<const CammerSingleton*(int camera)> lookup) {
    g_roiStores = std::move(lookup);
}

QByteArray CNT_Net::hostLatin1() const {
    return latin1Text(liveCard.hostName);
}

bool CNT_Net::keyValueTextOk(const QString& text) {
    return !text.contains(QLatin1Char('&')) && !text.contains(QLatin1Char('='));
}

QByteArray CNT_Net::keyValueText(const QString& text) {
    // The client splits key=value bodies at every "&" and "=" and knows no escape. A text that holds
    // them anyway (a record describing a change, a name stored before the check existed) goes with
    // their full-width forms, so that the pairs stay whole and the text stays readable.
    if (keyValueTextOk(text)) return text.toUtf8();
    QString t = text;
    t.replace(QLatin1Char('&'), QChar(0xFF06)).replace(QLatin1Char('='), QChar(0xFF1D));
    return t.toUtf8();
}

void CNT_Net::queueJson(int kind, cJSON* root) {
    char* text = cJSON_Print(root);
    if (text) queueMessage(kind, QByteArray(text));
    cJSON_free(text);
    cJSON_Delete(root);
}

void CNT_Net::CNT_SendRecord(const QDateTime& time, const QString& oper, const QString& description) {
    if (!kindEnabled(SEND_RECORD)) return;
    // Joined, not substituted: the texts may hold "%" themselves.
    const QByteArray body = "device_id=" + hostLatin1() + "&operater=" + keyValueText(oper) +
                            "&utc=" + QByteArray::number(time.toMSecsSinceEpoch()) +
                            "&description=" + keyValueText(description);
    queueMessage(SEND_RECORD, body);
}

void CNT_Net::CNT_SendParam() {
    if (!kindEnabled(SEND_PARAM) || !gpWPara) return;
    const WizardPara& p = *gpWPara;
    cJSON* o = cJSON_CreateObject();
    addText(o, "device_id", hostLatin1());
    addInt(o, "finished_product_detect", p.trig_in_delay[0]);
    addInt(o, "cavity_detect", p.trig_in_delay[1]);
    addInt(o, "neutron_detect", p.trig_in_delay[2]);
    addInt(o, "fourth_detect", p.trig_in_delay[3]);
    addInt(o, "is_psw_used", p.is_psw_used);
    addText(o, "password", recordText(p.password));
    addInt(o, "semi_auto", p.semi_auto);
    addInt(o, "enabe_one_test", p.step_enable[0]);
    addInt(o, "enabe_two_test", p.enabe_two_test);
    addInt(o, "enable_correct", p.enable_correct);
    addInt(o, "enable_stop_mold", p.enable_stop_mold);
    addInt(o, "enable_screen_alert", p.enable_screen_alert);
    addInt(o, "front_mold_timelen", p.front_mold_timelen);  // never set: 0
    addInt(o, "front_auto_check_time", p.front_auto_check_time);
    addInt(o, "ok_record_max_num", p.ok_record_max_num);
    addInt(o, "enable_watch_dog", 1);
    addInt(o, "mold_cutoff", p.mold_cutoff);
    addInt(o, "max_mold_num", p.max_mold_num);
    addInt(o, "enable_stop_check", p.min_spot);
    addInt(o, "ng_max_num", p.ng_max_num);
    addInt(o, "thimble_pulse", p.thimble_pulse);
    addInt(o, "mold_pulse", p.mold_pulse);
    addInt(o, "enable_stop_not_alarm", p.enable_stop_not_alarm);
    addInt(o, "is_cut_ontime", p.is_cut_ontime);
    addInt(o, "is_cut_ontime_thimble", p.is_cut_ontime_thimble);
    addInt(o, "enable_cutoff_ontime", p.enable_cutoff_ontime);
    addInt(o, "enable_pass_protect", p.enable_pass_protect);
    addInt(o, "language", gLan);
    addInt(o, "enable_mold_backup", p.enable_mold_backup);
    addInt(o, "location_adge", p.location_adge);
    addInt(o, "location_level", p.screen_off_time);
    addInt(o, "capture_speed", p.capture_speed);
    addInt(o, "input_timeout_len", p.input_timeout_len);
    addInt(o, "enable_output_thimble_pulse", p.enable_output_thimble_pulse);
    addInt(o, "enable_disarm_before_open", p.enable_disarm_before_open);
    addInt(o, "difference_multiplier", p.difference_multiplier);
    addInt(o, "enable_defect_detect", p.enable_defect_detect);
    addInt(o, "enable_spot_detect", p.enable_spot_detect);
    addInt(o, "enable_ignore_area", p.enable_ignore_area);
    addInt(o, "enable_manual_edit", p.enable_manual_edit);
    addInt(o, "enable_display_detail", p.enable_display_detail);
    addInt(o, "auto_cancel_timelen", p.auto_cancel_timelen);
    addInt(o, "enable_one_not_mold", p.enable_one_not_mold);
    addInt(o, "enable_trigger_safety", p.enable_trigger_safety);
    addInt(o, "enable_network", p.enable_network);  // never set: 0
    static const char* const kSecond[] = {"2", "3", "4"};
    addText(o, "local_addr_1", dotted(p.local_addr));
    for (const char* n : kSecond) addText(o, ("local_addr_" + QByteArray(n)).constData(), "0.0.0.0");
    addText(o, "mask_1", dotted(p.mask));
    for (const char* n : kSecond) addText(o, ("mask_" + QByteArray(n)).constData(), "0.0.0.0");
    addText(o, "gateway_1", dotted(p.gateway));
    for (const char* n : kSecond) addText(o, ("gateway_" + QByteArray(n)).constData(), "0.0.0.0");
    addInt(o, "minimum_size", p.minimum_size);
    addInt(o, "minimum_area", p.minimum_area);
    addInt(o, "serial_port", p.serial_port);
    addInt(o, "enable_color_camera", p.enable_color_camera);
    addInt(o, "enable_gray_channel", p.enable_gray_channel);
    addInt(o, "snap_shot", p.snap_shot);
    addInt(o, "min_spot", p.min_spot);
    addInt(o, "factory_param", p.factory_param);
    addInt(o, "report_alarm", p.output_inverted[2]);
    addInt(o, "prohibit_optimize", p.prohibit_optimize);
    // Always eight cameras, whatever the number in use.
    cJSON* cams = cJSON_AddArrayToObject(o, "camera");
    for (int c = 0; c < 8; ++c) {
        cJSON* cam = cJSON_CreateObject();
        addText(cam, "camera_id", QByteArray::number(c + 1));
        addInt(cam, "expose_time", p.expose_time[c]);
        addInt(cam, "adjust_plus", p.adjust_plus[c]);
        addInt(cam, "num_fail_detect", gFailNum[c]);
        addInt(cam, "num_all_detect", gAllNum[c]);
        addInt(cam, "sharp", p.sharp[c]);
        addInt(cam, "contrast", p.contrast[c]);
        addText(cam, "camera_serial",
                latin1Text(QString::fromLatin1(gSerialNB[c], int(qstrnlen(gSerialNB[c], kSerialLen)))));
        cJSON_AddItemToArray(cams, cam);
    }
    queueJson(SEND_PARAM, o);
}

void CNT_Net::CNT_SendAlarmPic(const QString& path) {
    queueMessage(SEND_ALARM_PIC, path.toUtf8());
}

void CNT_Net::CNT_SendTempPic(const QString& path) {
    queueMessage(SEND_TEMP_PIC, path.toUtf8());
}

QByteArray CNT_Net::roiParamBody(const CammerSingleton& s, int step, const QString& hostName) {
    cJSON* o = cJSON_CreateObject();
    addText(o, "device_id", latin1Text(hostName));
    addText(o, "camera_id", QByteArray::number(s.camera + 1));
    addInt(o, "detect", step + 1);
    const int count = qBound(0, int(s.count[step]), kRoiCount);
    addInt(o, "count", count);
    cJSON* arr = cJSON_AddArrayToObject(o, "roi");
    for (int r = 0; r < count; ++r) {
        cJSON* roi = cJSON_CreateObject();
        addInt(roi, "roi_idx", r + 1);
        addInt(roi, "min_size", s.para1[step][r]);
        addInt(roi, "sensibility", s.sens[step][r]);
        addInt(roi, "max_area", s.area[step][r]);
        addInt(roi, "algorithm", s.func[step][r]);
        addInt(roi, "output_point", s.outN[r]);
        QVector<QPoint> points;
        int type = -1;
        int inR = 0, outR = 0;
        switch (s.shape[step][r]) {
            case kShapeRect: {
                const QRect& rc = s.rect[step][r].rect;
                type = 0;
                points = {rc.topLeft(), rc.bottomRight()};
                break;
            }
            case kShapeRing: {
                const Circle& c = s.circle[step][r];
                type = 1;
                points = {QPoint(c.cx, c.cy)};
                inR = c.rIn;
                outR = c.r;
                break;
            }
            case kShapePolygon: {
                const RePolygon& pg = s.polygon[step][r];
                type = 2;
                const int n = qBound(0, int(pg.count), kMaxPolygonPoints);
                for (int i = 0; i < n; ++i) points.append(pg.pts[i]);
                break;
            }
            default:
                break;
        }
        addInt(roi, "roi_type", type);
        addInt(roi, "top_point_count", points.size());
        for (int i = 0; i < points.size(); ++i) {
            addInt(roi, QByteArray("top_" + QByteArray::number(i) + "_x").constData(), points[i].x());
            addInt(roi, QByteArray("top_" + QByteArray::number(i) + "_y").constData(), points[i].y());
        }
        // The ring's radii in screen pixels, whole.
        addInt(roi, "in_r", inR);
        addInt(roi, "out_r", outR);
        cJSON_AddItemToArray(arr, roi);
    }
    char* text = cJSON_Print(o);
    QByteArray body(text ? text : "");
    cJSON_free(text);
    cJSON_Delete(o);
    return body;
}

void CNT_Net::CNT_SendROIParam(int camera, int step) {
    if (!kindEnabled(SEND_ROI_PARAM) || !g_roiStores || step < 0 || step >= kStepCount) return;
    const CammerSingleton* store = g_roiStores(camera);
    if (!store) return;
    queueMessage(SEND_ROI_PARAM, roiParamBody(*store, step, liveCard.hostName));
}

void CNT_Net::CNT_SendMemoryInfo() {
    if (!kindEnabled(SEND_MEMORY_INFO) || memoryInfoSent_ || !shareMemory_ || !memoryInfo_) return;
    LOG(INFO) << "send shared memory info";
    char* text = cJSON_Print(memoryInfo_);
    if (text && sender_) {
        // Ahead of what waited for the client (a message in flight to the same client stays first):
        // the client learns the layout before anything else.
        // One announcement at most waits: an earlier copy not yet delivered is replaced by this one,
        // which describes the layout as it is now. The message in flight is never removed (its
        // acknowledgement takes the head), but when it is an announcement its bytes are renewed, so
        // that the new client gets the current layout first.
        const QByteArray message = frameMessage(SEND_MEMORY_INFO, QByteArray(text));
        const QByteArray kindPrefix = QByteArray::number(SEND_MEMORY_INFO) + ':';
        qint64 dropped = 0;
        QMutexLocker lock(&sender_->queueLock);
        const bool headBusy = sender_->headInFlight() && !queue_.isEmpty();
        for (int i = queue_.size() - 1; i >= (headBusy ? 1 : 0); --i)
            if (queue_.at(i).startsWith(kindPrefix)) queue_.removeAt(i);
        // Renewed in place only when it went to a replaced connection (it goes again to the new
        // client); one the current client has received keeps its bytes and the new one follows it.
        const bool renewedHead = headBusy && connecting_ && queue_.first().startsWith(kindPrefix);
        int after = 1;  // the first index that may be dropped to keep the bound
        if (renewedHead) {
            queue_[0] = message;
        } else {
            const bool inFlightHere = headBusy && !connecting_;
            queue_.insert(inFlightHere ? 1 : 0, message);
            after = headBusy ? 2 : 1;
        }
        while (queue_.size() > kMaxQueued && queue_.size() > after) {
            queue_.removeAt(after);
            dropped = ++dropped_;
        }
        lock.unlock();
        if (dropped)
            LOG(WARNING) << "CNT: send queue full (" << kMaxQueued << "), oldest message dropped; " << dropped
                         << " dropped so far";
    }
    cJSON_free(text);
    memoryInfoSent_ = true;
    StartSend();
}

void CNT_Net::CNT_SendDelTempPic(int camera, int step, const QString& name) {
    if (!kindEnabled(SEND_DEL_TEMP_PIC)) return;
    const QByteArray body = "deviceId=" + hostLatin1() + "&cameraId=" + QByteArray::number(camera) +
                            "&detectId=" + QByteArray::number(step) + "&template=" + keyValueText(name) +
                            "&utc=" + QByteArray::number(nowMs()) +
                            "&operator=" + keyValueText(manualStop_.operator_id);
    queueMessage(SEND_DEL_TEMP_PIC, body);
}

void CNT_Net::CNT_SendGetProduct() {
    queueMessage(SEND_GET_PRODUCT, QByteArray());
}

void CNT_Net::CNT_SendGetRemindList() {
    queueMessage(SEND_GET_REMIND, QByteArray());
}

void CNT_Net::CNT_SendSaveNgVideo(int camera, int isng) {
    if (!kindEnabled(SEND_SAVE_NG_VIDEO)) return;
    const QByteArray product = keyValueText(stats_.product_name);
    const QByteArray body = "device_id=" + hostLatin1() + "&camera_id=" + QByteArray::number(camera) +
                            "&product=" + product + "&isng=" + QByteArray::number(isng);
    queueMessage(SEND_SAVE_NG_VIDEO, body);
}

void CNT_Net::CNT_SendTelInfo(int step, int count) {
    if (!kindEnabled(SEND_TEL_INFO)) return;
    const QByteArray tech = gpWPara ? recordText(gpWPara->CntNet_MsgTechName) : QByteArray();
    const QByteArray phone = gpWPara ? recordText(gpWPara->CntNet_MsgTechNum) : QByteArray();
    // Stored as UTF-8 by the other-network page.
    const QByteArray body = "device_id=" + hostLatin1() + "&check_id=" + QByteArray::number(step + 1) +
                            "&product_count=" + QByteArray::number(count) +
                            "&worker_name=" + keyValueText(QString::fromUtf8(tech)) +
                            "&mobile=" + keyValueText(QString::fromUtf8(phone));
    queueMessage(SEND_TEL_INFO, body);
}

void CNT_Net::CNT_SendStatistics_Once(const QList<param_roi>& list, bool ng, int method) {
    if (!kindEnabled(SEND_RESULT_ONCE)) return;
    lastResultUtc_ = nowMs();
    const char* state = "";
    switch (gpWin ? gpWin->RunState : 0) {
        case 2:
            state = "模板训练中";
            break;
        case 3:
            state = "停止检测";
            break;
        case 1:
            state = "正在检测";
            break;
        default:
            break;
    }
    const char* methodText = "";
    switch (method) {
        case 1:
            methodText = "开模到位";
            break;
        case 2:
            methodText = "安全门";
            break;
        case 3:
            methodText = "顶针";
            break;
        case -2:
            methodText = "模腔手动抓拍";
            break;
        case -1:
            methodText = "成品手动抓拍";
            break;
        default:
            break;
    }
    const WizardPara* p = gpWPara;
    cJSON* o = cJSON_CreateObject();
    addText(o, "device_id", hostLatin1());
    addInt(o, "utc", double(lastResultUtc_));
    addText(o, "state", state);
    addText(o, "detect_method", methodText);
    addText(o, "product_name", p ? recordText(p->CntNet_ProName) : QByteArray());
    addText(o, "product_serial", QByteArray::number(p ? p->product_serial : 0));
    addInt(o, "product_num", p ? p->product_count : 0);
    addInt(o, "product_moldcavity", p ? p->cavity_count : 0);
    addText(o, "product_operator", p ? recordText(p->CntNet_Operator) : QByteArray());
    addInt(o, "result", ng ? 1 : 0);
    cJSON* cams = cJSON_AddArrayToObject(o, "array");
    auto findById = [](cJSON* arr, const char* key, int id) -> cJSON* {
        cJSON* it = nullptr;
        cJSON_ArrayForEach(it, arr) {
            const cJSON* v = cJSON_GetObjectItemCaseSensitive(it, key);
            if (v && cJSON_IsNumber(v) && v->valueint == id) return it;
        }
        return nullptr;
    };
    for (const param_roi& r : list) {
        const int v = r.camera;
        if (!slotInUse(v)) continue;
        cJSON* cam = findById(cams, "camera_id", v + 1);
        if (!cam) {
            cam = cJSON_CreateObject();
            addInt(cam, "camera_id", v + 1);
            addInt(cam, "device_ng", gFailNum[v]);
            addInt(cam, "device_all", gAllNum[v]);
            cJSON_AddArrayToObject(cam, "detect_array");
            cJSON_AddItemToArray(cams, cam);
        }
        if (r.detect < 0 || r.detect > 4) continue;
        cJSON* detects = cJSON_GetObjectItemCaseSensitive(cam, "detect_array");
        cJSON* det = findById(detects, "detect_id", r.detect + 1);
        if (!det) {
            det = cJSON_CreateObject();
            addInt(det, "detect_id", r.detect + 1);
            cJSON_AddArrayToObject(det, "roi_array");
            cJSON_AddItemToArray(detects, det);
        }
        cJSON* roi = cJSON_CreateObject();
        addInt(roi, "roi_id", r.roi + 1);
        addInt(roi, "algorithm_type", r.type);
        addInt(roi, "algorithm_result", r.value);
        addInt(roi, "algorithm_premin", r.min);
        addInt(roi, "algorithm_premax", r.max);
        addInt(roi, "is_alarm", r.ok);
        cJSON_AddItemToArray(cJSON_GetObjectItemCaseSensitive(det, "roi_array"), roi);
    }
    queueJson(SEND_RESULT_ONCE, o);
}

void CNT_Net::CNT_SendCancle(int releaseState) {
    if (!kindEnabled(SEND_CANCEL)) return;
    const char* method = "";
    switch (releaseState) {
        case 4:
            method = "不检测此模解除";
            break;
        case 5:
            method = "添加为模板解除";
            break;
        case 6:
            method = "重新检测切换到模腔检测";
            break;
        case 7:
            method = "进行重检检测";
            break;
        case 8:
            method = "重检检测OK";
            break;
        default:
            break;
    }
    cJSON* o = cJSON_CreateObject();
    addText(o, "device_id", hostLatin1());
    addInt(o, "bind_utc", double(lastResultUtc_));
    addInt(o, "utc", double(nowMs()));
    addText(o, "method", method);
    addText(o, "product_operator", gpWPara ? recordText(gpWPara->CntNet_Operator) : QByteArray());
    queueJson(SEND_CANCEL, o);
}
