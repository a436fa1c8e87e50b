#include "drawroiwidget.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QStackedLayout>
#include <QTimer>
#include <algorithm>
#include <cstring>

#include "app/msgbox.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "inspection/cammerwidget.h"
#include "inspection/mainwindow.h"
#include "editor/regioption.h"
#include "io/controlport.h"
#include "vieweditor.h"
#include "widgets/numberinput.h"

int chooseEditorStep(const WizardPara& p, int detectStep, bool alarmPage, int camera, int cameras,
                     int steps) {
    int d = detectStep;
    if (alarmPage) return d;
    const bool product = p.enable_prod_detect != 0;
    const bool sync = p.enabe_two_test != 0;
    switch (p.detect_mode) {
        case kDetectStandard:
        case kDetectAutoParts:
        case kDetectStandardNoRecheck:
            if (!product)
                d = 1;
            else if (sync)
                d = 0;
            break;
        case kDetectMulti:
            if (d == 0 && !product) d = 1;
            break;
        case kDetectTwoColour:
        case kDetectTurntable:
            if ((d == 2 || d == 3) && (sync || p.cavity_pos == 0)) d -= 2;
            if (p.cavity_pos == 1 && (d == 0 || d == 1)) d = product ? 2 : 3;
            if (d % 2 == 0 && !product) d += 1;
            break;
        default:
            break;
    }
    if (d < 0 || d >= steps) d = 0;
    if (p.detect_any_order && cameras > 0) {
        const bool secondHalf = camera * 2 / cameras >= 1;
        if (secondHalf && d == 0)
            d = 1;
        else if (!secondHalf && d == 1)
            d = 0;
        if (d >= steps) d = 0;
    }
    return d;
}

DrawROIWidget::DrawROIWidget(MainWindow* window) : QWidget(window), window_(window) {
    hide();
    alarmOption = new AlarmOption(window_);
    window_->setAlarmBar(alarmOption);
    connect(alarmOption, &AlarmOption::btnsToggled, this, &DrawROIWidget::AlarmtnsToggledSlot);
    connect(alarmOption, &AlarmOption::AlarmChangeSource, window_, &MainWindow::SlotChangeSource);
    for (CammerWidget* v : window_->cams) {
        if (v && v->isBuilt()) editors_.push_back(new ViewEditor(v, window_, this));
    }
}

DrawROIWidget::~DrawROIWidget() {
    // The view editors live on their views; they go with the controller.
    for (const QPointer<ViewEditor>& e : editors_) delete e.data();
}

ViewEditor* DrawROIWidget::editorOf(const CammerWidget* view) const {
    for (const QPointer<ViewEditor>& e : editors_)
        if (e && e->view() == view) return e.data();
    return nullptr;
}

ViewEditor* DrawROIWidget::currentEditor() const {
    const int cam = window_->displayedCamera;
    if (cam < 0 || cam >= numCamera || gSource != 0) return nullptr;
    return editorOf(window_->camView(cam));
}

void DrawROIWidget::viewMousePress(CammerWidget* view, QMouseEvent* event) {
    if (ViewEditor* e = editorOf(view)) e->mousePress(event);
}

void DrawROIWidget::viewMouseMove(CammerWidget* view, QMouseEvent* event) {
    if (ViewEditor* e = editorOf(view)) e->mouseMove(event);
}

void DrawROIWidget::viewMouseRelease(CammerWidget* view, QMouseEvent* event) {
    if (ViewEditor* e = editorOf(view)) e->mouseRelease(event);
}

void DrawROIWidget::viewDeselect(CammerWidget* view) {
    if (ViewEditor* e = editorOf(view)) {
        e->DeselectROI();
        e->ShowHideROIPara();
    } else if (view) {
        view->data.selectedRoi = -1;
    }
}

void DrawROIWidget::viewCavityBoxes(CammerWidget* view, int mode) {
    ViewEditor* e = editorOf(view);
    if (!e) return;
    if (mode != 0) e->SetCheckBoxState(1);
    if (mode != 2) e->ShowHideCheckBox(mode == 1);
}

void DrawROIWidget::Reset(bool) {
    ++resetCount;
    MainWindow* w = window_;
    const bool alarm = w->DisplayState == 2;
    // An alarm that interrupts the region page keeps its unsaved edits: the alarm page's re-check asks
    // whether to save them, and until the operator has answered they are offered again on every
    // visit. Edits the operator declined to save are dropped here.
    if (alarm && regionPageOpen_ && hasUnsavedEdits()) {
        carryEdits_ = true;
        qInfo("an alarm came while regions were edited: the edits are kept until the operator answers");
    }
    regionPageOpen_ = w->DisplayState == 3;
    for (const QPointer<ViewEditor>& e : editors_) {
        if (!e) continue;
        CammerWidget* v = e->view();
        const bool keep =
            carryEdits_ && v->data.savedStore && v->data.workingStore &&
            (regionsDiffer(*v->data.savedStore, *v->data.workingStore) || e->hasPendingIgnore());
        if (v->data.savedStore && v->data.workingStore) {
            if (!keep) *v->data.workingStore = *v->data.savedStore;
            // The selection of an earlier visit is not carried over.
            CammerSingleton& s = *v->data.workingStore;
            for (int d = 0; d < kStepCount; ++d) {
                for (int r = 0; r < kRoiCount; ++r) {
                    s.rect[d][r].SetSelected(false);
                    s.circle[d][r].SetSelected(false);
                    s.polygon[d][r].SetSelected(false);
                }
            }
        }
        if (!keep) {
            e->BackMask();
            e->dropPendingIgnore();
        }
        e->DeselectROI();
        // Values measured on the template in an earlier visit are not shown again.
        std::memset(v->data.testValue, 0, sizeof(v->data.testValue));
        v->data.testShown = false;
    }
    if (gpWPara)
        w->editorStep = chooseEditorStep(*gpWPara, w->DetectStep, alarm, w->displayedCamera, numCamera,
                                         std::min(gDNum, kStepCount));
    if (w->editorStep < 0 || w->editorStep >= std::min(gDNum, kStepCount)) w->editorStep = 0;
    if (w->regiOption) w->regiOption->setDetect(w->editorStep);
    if (alarm) {
        if (alarmOption) alarmOption->CheckSource(1);
        if (w->barStack) w->barStack->setCurrentIndex(2);
    } else {
        if (w->regiOption) w->regiOption->CheckSource(0);
        if (w->barStack) w->barStack->setCurrentIndex(1);
    }
}

void DrawROIWidget::Restart() {
    ++restartCount;
    regionPageOpen_ = false;
    window_->DisplayState = 0;
    hide();
    // The snapshot panel, hidden while editing, is back with the live screen.
    if (window_->indexButton) window_->indexButton->show();
    for (CammerWidget* v : window_->cams) {
        if (ViewEditor* e = editorOf(v)) {
            e->DeselectROI();
            e->ShowHideROIPara();
            e->ShowHideCheckBox(false);
        }
        v->data.selectedRoi = -1;
        // The template arrows and the drawing panel go with the page, however it ended.
        v->data.shownTemplate = 0;
        v->ShowHideTool(0);
        v->update();
    }
}

void DrawROIWidget::SlotReCheck() {
    MainWindow* w = window_;
    if (!gpWPara) return;
    const WizardPara& p = *gpWPara;
    const int s = w->DetectStep;
    // Only an alarm is re-checked: outside one the outputs below would tell the machine to stop.
    if (s < 0 || s >= kMaxStep || w->DisplayState != 2) return;
    // While this re-check's save question is open the loop runs on: its re-check edges wait for it.
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(recheckRunning_);
    const int c = w->displayedCamera;
    SlotSaveData();
    // The alarm ended while the save question was open: nothing is left to re-check.
    if (w->DisplayState != 2) return;
    w->ResetRun();

    // Position a of the step in the cycle and the last position L.
    int last = 1;
    int a = s;
    if (p.detect_mode == kDetectMulti) {
        last = gDNum - 1;
    } else if (p.detect_mode == kDetectTwoColour || p.detect_mode == kDetectTurntable) {
        a = s % 2;
    }
    w->StepArmedMask[a] = 0;
    if (ControlPort* io = gpControlIO) {
        if (p.detect_mode == kDetectStandardNoRecheck) {
            io->IOSetOut(kOutClampingCut, 0);
        } else if (a == last && !p.cut_clamp_on_mold_alarm && !p.cavity_ng_clamp) {
            io->IOSetOut(kOutClampingCut, 1);
        } else if (a == 0 && !p.enable_cutoff_ontime && !p.enable_stop_not_alarm &&
                   !p.cut_thimble_on_prod_alarm) {
            io->IOSetOut(kOutEjectorCut, 1);
        }
        io->IOFlashOut();
    }

    // Every camera the operator did not skip for this step is evaluated again.
    const int n = numCamera;
    QVector<int> again;
    for (int i = 0; i < n && i < kMaxCamera; ++i) {
        CammerWidget* v = w->camView(i);
        if (!v || v->skipFlag[s] || !p.step_enable[s]) continue;
        w->StepArmedMask[a] |= 1 << i;
        if (w->ImageState[i][s] == 3) w->ImageState[i][s] = 7;
        again.append(i);
    }
    for (int i : again) w->RunAlgorithm(i, s);
    w->CheckNG();

    if (c >= 0 && c < n && w->DisplayState == 2 && gSource == 1) {
        for (int k = 0; k < n; ++k) {
            const int i = (c + k) % n;
            CammerWidget* v = w->camView(i);
            if (v && !v->data.allOk) {
                w->displayedCamera = i;
                break;
            }
        }
        w->ChangeCammer();
        if (alarmOption) alarmOption->SetCamera(w->displayedCamera);
    }
    if (w->DisplayState != 2) gSource = -1;
}

void DrawROIWidget::ReCheckFromLoop() {
    if (recheckWaiting_ || recheckRunning_) {
        qInfo("re-check input while the last re-check waits for the operator: no second one");
        return;
    }
    if (!hasUnsavedEdits()) {
        SlotReCheck();
        return;
    }
    // The save question is a modal box: asked once this pass is over, so that the loop keeps polling
    // the inputs and taking the frames until the answer comes.
    recheckWaiting_ = true;
    QTimer::singleShot(0, this, [this] {
        SlotReCheck();
        recheckWaiting_ = false;
    });
}

void DrawROIWidget::SlotReturn() {
    MainWindow* w = window_;
    if (gpNumPad) gpNumPad->HideUpdate();
    if (gpNumCharPad) gpNumCharPad->HideUpdate();
    for (CammerWidget* v : w->cams) {
        v->data.shownTemplate = 0;
        if (ViewEditor* e = editorOf(v)) {
            e->DeselectROI();
            e->ShowHideROIPara();
            if (gpWPara && gpWPara->show_cavity_no) e->ShowHideCheckBox(false);
        }
        v->data.selectedRoi = -1;
        v->ShowHideTool(0);
    }
    if (w->DisplayState == 2) {
        SlotSaveData();
        if (alarmOption) alarmOption->CheckSource(1);
        return;
    }
    w->copyMode = 0;
    gSource = -1;
    SlotSaveData();
    Restart();
    if (gFromTrain) {
        gFromTrain = 0;
        w->BackTrain();
    }
}

void DrawROIWidget::SlotAutoChange() {
    MainWindow* w = window_;
    const int cam = w->displayedCamera;
    if (w->DisplayState != 2 || (gSource != 0 && gSource != 1) || cam < 0 || cam >= numCamera) return;
    CammerWidget* v = w->camView(cam);
    if (!v || !w->regiOption) return;
    if (gSource == 1) {
        if (w->barStack) w->barStack->setCurrentIndex(1);
        v->ShowHideTool(3);
        w->regiOption->CheckSource(0);
    } else {
        w->regiOption->CheckSource(1);
        for (CammerWidget* view : w->cams)
            if (!view->data.allOk && view->blinkTimer) view->blinkTimer->start(1000);
    }
}

void DrawROIWidget::AlarmtnsToggledSlot(AlarmOption::BTN_TYPE type, bool) {
    switch (type) {
        case AlarmOption::BTN_LIVE_TEMP:
            SlotAutoChange();
            break;
        case AlarmOption::BTN_NO_CHECK:
            SlotNoCheckCur();
            break;
        case AlarmOption::BTN_RECHECK:
            SlotReCheck();
            break;
        case AlarmOption::BTN_ADD_TEMP:
            SlotAddTemp();
            break;
        case AlarmOption::BTN_IGNORE_POINT:
            SlotIgnoreAlarmPoint();
            break;
        case AlarmOption::BTN_DELETE_IGNORED:
            SlotDeleteIgnorePoint();
            break;
        default:
            break;
    }
}

void DrawROIWidget::armTool(int tool, bool hand) {
    ViewEditor* e = currentEditor();
    if (!e) return;
    window_->copyMode = 0;
    freeHand = hand ? 1 : 0;
    e->DeselectROI();
    e->ShowHideROIPara();
    window_->drawingTool = tool;
    e->view()->update();
}

void DrawROIWidget::SlotDrawRect() {
    armTool(kShapeRect, false);
}

void DrawROIWidget::SlotDrawCircle() {
    armTool(kShapeRing, false);
}

void DrawROIWidget::SlotDrawHand() {
    armTool(kShapePolygon, true);
}

void DrawROIWidget::SlotDrawPloygn() {
    ViewEditor* e = currentEditor();
    if (!e) return;
    window_->copyMode = 0;
    freeHand = 0;
    if (window_->drawingTool == kShapePolygon) {
        e->SavePolygon();
        if (window_->drawingTool == 0) e->view()->update();
        return;
    }
    e->DeselectROI();
    e->ShowHideROIPara();
    window_->drawingTool = kShapePolygon;
}

void DrawROIWidget::SlotCopyArea() {
    if (!currentEditor()) return;
    window_->copyMode = 1;
    window_->drawingTool = 0;
}

void DrawROIWidget::SlotDeleteROI() {
    ViewEditor* e = currentEditor();
    if (!e) return;
    window_->copyMode = 0;
    CammerWidget* v = e->view();
    e->GetSelectedRect();
    const int r = v->data.selectedRoi;
    if (r < 0) {
        showWarnBox(lanText(65));
    } else if (showChooseBox(lanText(66)) && currentEditor() == e && v->data.selectedRoi == r) {
        e->DeleteROI(r);
        v->data.selectedRoi = -1;
        e->ShowHideROIPara();
    }
    v->update();
    window_->update();
}

void DrawROIWidget::SlotDeleteAllROI() {
    ViewEditor* e = currentEditor();
    if (!e) return;
    window_->copyMode = 0;
    if (showChooseBox(lanText(67)) && currentEditor() == e) {
        e->DeleteAllROI();
        e->ShowHideROIPara();
    }
    e->view()->update();
    window_->update();
}

void DrawROIWidget::ChangeDetectNum(int count) {
    if (window_->regiOption) window_->regiOption->ChangeDetectNum(count);
}

DrawROIWidget* installDrawROIWidget(MainWindow* window) {
    auto* w = new DrawROIWidget(window);
    window->setRoiEditor(w);
    return w;
}
