// The alarm page's actions on the mould and the ignore masks: skip the mould for one camera or for
// all ("Don't Detect"), ignore the alarm's defect pixels, clear the ignored pixels.
#include "alarmactions.h"

#include <QDebug>
#include <algorithm>

#include "app/msgbox.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "drawroiwidget.h"
#include "inspection/cammerwidget.h"
#include "inspection/mainwindow.h"
#include "io/controlport.h"
#include "records/accesslevel.h"

int ignoreBoxedAlarmPixels(const RoiBoxes& boxes, const cv::Mat& alarm, cv::Mat& ignore) {
    if (alarm.empty() || alarm.type() != CV_8UC1 || ignore.type() != CV_8UC1 || alarm.size() != ignore.size())
        return 0;
    const cv::Rect image(0, 0, alarm.cols, alarm.rows);
    const int n = std::clamp(int(boxes.count), 0, kMaxRoiBoxes);
    int added = 0;
    for (int b = 0; b < n; ++b) {
        const int32_t* box = boxes.box[b];
        if (box[2] <= box[0] || box[3] <= box[1]) continue;  // empty or inverted
        const cv::Rect r = cv::Rect(box[0], box[1], box[2] - box[0], box[3] - box[1]) & image;
        if (r.empty()) continue;
        for (int y = r.y; y < r.y + r.height; ++y) {
            const uchar* a = alarm.ptr<uchar>(y);
            uchar* m = ignore.ptr<uchar>(y);
            for (int x = r.x; x < r.x + r.width; ++x) {
                if (a[x] == 0 || m[x] == 255) continue;
                m[x] = 255;
                ++added;
            }
        }
    }
    return added;
}

namespace {
const WizardPara& params() {
    static const WizardPara fallback{};
    return gpWPara ? *gpWPara : fallback;
}

// The step of the alarm, within the steps that have ignore masks.
int alarmStep(const MainWindow* w) {
    const int s = w->DetectStep;
    return s >= 0 && s < kMaxStep && s < gDNum ? s : -1;
}
}  // namespace

CammerWidget* DrawROIWidget::alarmCamera() const {
    const int c = window_->displayedCamera;
    CammerWidget* v = c >= 0 && c < numCamera ? window_->camView(c) : nullptr;
    return v && v->isBuilt() ? v : nullptr;
}

void DrawROIWidget::SlotNoCheckCur() {
    MainWindow* w = window_;
    const WizardPara& p = params();
    const int s = alarmStep(w);
    if (w->DisplayState != 2 || s < 0) return;
    if (p.enable_pass_protect && accessCheckPassword() == 0) return;
    if (p.enable_disarm_before_open && !gisSafeDoorOpen) {
        showWarnBox(lanText(195));
        return;
    }
    const int c = w->displayedCamera;
    if (c < 0 || c >= numCamera) {
        if (!showChooseBox(lanText(102)) || w->DisplayState != 2) return;
        SlotSaveData();
        gSource = -1;
        w->ResetRun();
        for (int i = 0; i < numCamera && i < kMaxCamera; ++i)
            if (w->ImageState[i][s] == 3) w->ImageState[i][s] = 4;
        w->CheckNG();
        w->InsertRecord(lanText(103));
        return;
    }
    CammerWidget* v = w->camView(c);
    if (!v) return;
    bool otherNg = false;
    for (CammerWidget* o : w->cams) otherNg = otherNg || (o != v && !o->data.allOk);
    if (v->data.allOk && otherNg) {
        showWarnBox(lanText(107));
        return;
    }
    if (!showChooseBox(lanText(105).arg(v->slot + 1)) || w->DisplayState != 2) return;
    v->skipFlag[s] = true;
    if (w->ImageState[c][s] == 3) w->ImageState[c][s] = 4;
    w->InsertRecord(lanText(106).arg(v->slot + 1));
    SlotReCheck();
}

void DrawROIWidget::SlotIgnoreAlarmPoint() {
    MainWindow* w = window_;
    const int s = alarmStep(w);
    CammerWidget* v = alarmCamera();
    if (!v || v->data.allOk || s < 0) {
        showWarnBox(lanText(107));
        return;
    }
    if (params().ignore_point_protect && accessCheckPassword() == 0) return;
    if (!showChooseBox(lanText(113))) return;
    w->InsertRecord(lanText(114).arg(v->slot + 1));
    CammerViewData& data = v->data;
    cv::Mat& mask = data.ignoreImages[s];
    if (mask.empty()) mask = cv::Mat::zeros(gImageH, gImageW, CV_8UC1);
    const CammerSingleton& store = *data.savedStore;
    const int regions = std::clamp(int(store.count[s]), 0, kRoiCount);
    int added = 0;
    for (int r = 0; r < regions; ++r) {
        if (data.roiOk[s][r]) continue;
        if (data.roiValue[s][r] > kMaxIgnoreValue) {
            showWarnBox(lanText(115).arg(kMaxIgnoreValue));
            continue;
        }
        added += ignoreBoxedAlarmPixels(data.roiBoxes[s][r], data.alarmImage, mask);
    }
    qInfo("camera %d step %d: %d alarm points ignored", v->slot + 1, s + 1, added);
    v->update();
    v->SaveIgnorePoint(s);  // a failed write is reported to the operator; the mask is in use all the same
    if (v->recong) v->recong->VarTrain(s);
}

void DrawROIWidget::SlotDeleteIgnorePoint() {
    MainWindow* w = window_;
    const int s = alarmStep(w);
    CammerWidget* v = alarmCamera();
    if (!v || v->data.allOk || s < 0) {
        showWarnBox(lanText(107));
        return;
    }
    if (!showChooseBox(lanText(116))) return;
    w->InsertRecord(lanText(117).arg(v->slot + 1));
    v->data.ignoreImages[s] = cv::Mat::zeros(gImageH, gImageW, CV_8UC1);
    v->update();
    v->SaveIgnorePoint(s);
    if (v->recong) v->recong->VarTrain(s);
}
