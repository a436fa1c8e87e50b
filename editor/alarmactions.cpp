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

bool DrawROIWidget::alarmGone(int step, const CammerWidget* camera) const {
    // While a question was open the loop ran on: a door re-check may have ended the alarm.
    const bool gone = window_->DisplayState != 2 || window_->DetectStep != step ||
                      (camera && (alarmCamera() != camera || camera->data.allOk));
    if (gone) {
        qInfo("an answer came after its alarm had ended: not carried out");
        showWarnBox(lanText(kAlarmEndedText));
    }
    return gone;
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
        if (!showChooseBox(lanText(102)) || alarmGone(s, nullptr)) return;
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
    if (!showChooseBox(lanText(105).arg(v->slot + 1)) || alarmGone(s, nullptr)) return;
    if (w->displayedCamera != c) {
        // The view moved on to another camera meanwhile: the answer named camera c.
        showWarnBox(lanText(kAlarmEndedText));
        return;
    }
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
    if (!showChooseBox(lanText(113)) || alarmGone(s, v)) return;
    CammerViewData& data = v->data;
    cv::Mat& mask = data.ignoreImages[s];
    if (mask.empty()) mask = cv::Mat::zeros(gImageH, gImageW, CV_8UC1);
    const cv::Mat before = mask.clone();
    const CammerSingleton& store = *data.savedStore;
    const int regions = std::clamp(int(store.count[s]), 0, kRoiCount);
    int added = 0;
    bool refused = false;
    for (int r = 0; r < regions; ++r) {
        if (data.roiOk[s][r]) continue;
        if (data.roiValue[s][r] > kMaxIgnoreValue) {
            showWarnBox(lanText(115).arg(kMaxIgnoreValue));
            refused = true;
            continue;
        }
        added += ignoreBoxedAlarmPixels(data.roiBoxes[s][r], data.alarmImage, mask);
    }
    qInfo("camera %d step %d: %d alarm points ignored", v->slot + 1, s + 1, added);
    if (added == 0) {
        // Nothing changed: no record, no file, no message to the network client.
        if (!refused) showWarnBox(lanText(kNothingToIgnoreText));
        return;
    }
    // The mask in use always equals its file: a failed write (told by the writer) keeps the old points.
    if (!v->SaveIgnorePoint(s)) {
        before.copyTo(mask);
        return;
    }
    w->InsertRecord(lanText(114).arg(v->slot + 1));
    v->update();
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
    if (!showChooseBox(lanText(116)) || alarmGone(s, v)) return;
    cv::Mat& mask = v->data.ignoreImages[s];
    const cv::Mat before = mask.clone();
    mask = cv::Mat::zeros(gImageH, gImageW, CV_8UC1);
    if (!v->SaveIgnorePoint(s)) {
        mask = before;
        return;
    }
    w->InsertRecord(lanText(117).arg(v->slot + 1));
    v->update();
    if (v->recong) v->recong->VarTrain(s);
}
