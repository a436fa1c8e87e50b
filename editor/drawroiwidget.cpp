#include "drawroiwidget.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QStackedLayout>
#include <algorithm>

#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "inspection/cammerwidget.h"
#include "io/controlport.h"
#include "inspection/mainwindow.h"

DrawROIWidget::DrawROIWidget(MainWindow* window) : QWidget(window), window_(window) {
    hide();
}

void DrawROIWidget::Reset(bool) {
    ++resetCount;
    if (window_->barStack) window_->barStack->setCurrentIndex(window_->DisplayState == 2 ? 2 : 1);
}

void DrawROIWidget::Restart() {
    ++restartCount;
    window_->DisplayState = 0;
    hide();
    // The snapshot panel, hidden while editing, is back with the live screen.
    if (window_->indexButton) window_->indexButton->show();
    for (CammerWidget* v : window_->cams) {
        v->data.selectedRoi = -1;
        v->update();
    }
}

void DrawROIWidget::SlotReCheck() {
    MainWindow* w = window_;
    if (!gpWPara) return;
    const WizardPara& p = *gpWPara;
    const int s = w->DetectStep;
    if (s < 0 || s >= kMaxStep) return;
    const int c = w->displayedCamera;
    SlotSaveData();
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
        } else if (a == 0 && !p.enable_cutoff_ontime && !p.enable_stop_not_alarm && !p.cut_thimble_on_prod_alarm) {
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
        if (w->alarmOption) w->alarmOption->SetCamera(w->displayedCamera);
    }
    if (w->DisplayState != 2) gSource = -1;
}

void DrawROIWidget::SlotTempDeleteAll() {
    MainWindow* w = window_;
    const int steps = std::min(gDNum, kMaxStep);
    for (CammerWidget* v : w->cams) {
        for (int d = 0; d < steps; ++d) {
            v->data.templateCount[d] = 1;
            std::vector<int>& loaded = v->data.templateLoaded[d];
            for (size_t k = 1; k < loaded.size(); ++k) loaded[k] = 0;
            const QDir dir(QStringLiteral("./cammer%1%2").arg(v->slot + 1).arg(d + 1));
            const QStringList files =
                dir.entryList(QStringList{QStringLiteral("template*")}, QDir::Files, QDir::Name);
            for (int i = 1; i < files.size(); ++i) {
                if (!QFile::remove(dir.filePath(files[i])))
                    qWarning().noquote() << "template not deleted:" << dir.filePath(files[i]);
            }
        }
        v->data.shownTemplate = 0;
    }
    gisReTrain = 1;
    w->InsertRecord(lanText(71));
}

void DrawROIWidget::SlotReturn() {
    MainWindow* w = window_;
    for (CammerWidget* v : w->cams) {
        v->data.shownTemplate = 0;
        v->data.selectedRoi = -1;
        v->ShowHideTool(0);
    }
    if (w->DisplayState == 2) {
        SlotSaveData();
        gSource = 1;
        return;
    }
    gSource = -1;
    SlotSaveData();
    Restart();
    if (gFromTrain) {
        gFromTrain = 0;
        w->BackTrain();
    }
}

DrawROIWidget* installDrawROIWidget(MainWindow* window) {
    auto* w = new DrawROIWidget(window);
    window->setRoiEditor(w);
    return w;
}
