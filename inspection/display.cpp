// The main window's commands of its bars, the layout of the camera views, and the zoom and pan of
// the enlarged view.
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedLayout>
#include <QStackedWidget>
#include <QTimer>

#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "camera/widgetchangecamera.h"
#include "cammerwidget.h"
#include "imagecontainer.h"
#include "io/customionamewidget.h"
#include "mainwindow.h"
#include "netbridge/cnt_net.h"
#include "platform/system/timing.h"
#include "records/accesslevel.h"
#include "settings/systemsettingwidget.h"

namespace {
constexpr double kMaxZoom = 32.0;
constexpr double kZoomStep = 1.2;
int toolTimeoutMs() {
    return TimeMs("zoom.toolTimeout", 30000);
}
}  // namespace

bool MainWindow::settingsShown() const {
    return pageStack && settingWidget && pageStack->currentWidget() == settingWidget;
}
bool MainWindow::optionBarShown() const {
    return barStack && barStack->currentIndex() == 0;
}
bool MainWindow::regionBarShown() const {
    return barStack && barStack->currentIndex() == 1;
}
bool MainWindow::alarmBarShown() const {
    return barStack && barStack->currentIndex() == 2;
}
bool MainWindow::dialogsShown() const {
    return (widgetChangeCamera && widgetChangeCamera->isVisible()) ||
           (customIONameWidget && customIONameWidget->isVisible());
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    // A field being edited loses the focus when the operator touches elsewhere.
    setFocus();
    MainWindowBase::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------------------------------------------
// Bars

void MainWindow::OptBtnsToggledSlot(OptionBar::BTN_TYPE type, bool) {
    if (type == OptionBar::BTN_SETTINGS) {
        if (gpWPara && gpWParaBak) *gpWParaBak = *gpWPara;
        if (gpNet) gpNet->editCard = gpNet->liveCard;
        if (accessCheckForSettings() == 0) {
            if (optionBar) optionBar->SetTLast();
            return;
        }
        if (DisplayState != 2 && pageStack && settingWidget) pageStack->setCurrentWidget(settingWidget);
        return;
    }
    if (pageStack && imageContainer) pageStack->setCurrentWidget(imageContainer);
    switch (type) {
        case OptionBar::BTN_MULTI_SCREEN:
            displayedCamera = numCamera;
            ChangeCammer();
            break;
        case OptionBar::BTN_START_STOP:
            SlotStartStop();
            break;
        case OptionBar::BTN_RESAMPLE:
            SlotReTrain();
            break;
        case OptionBar::BTN_AREA:
            SlotAdjustArea();
            break;
        case OptionBar::BTN_MOULD_SNAPSHOT:
            SlotManualTrig1();
            break;
        default:
            break;
    }
}

void MainWindow::RegionBtnsToggledSlot(RegiOption::BTN_TYPE type, bool) {
    if (!drawROIWidget) return;
    switch (type) {
        case RegiOption::BTN_DELETE_TEMP:
            drawROIWidget->SlotTempDeleteCur();
            break;
        case RegiOption::BTN_ADD_TEMP:
            drawROIWidget->SlotAddTemp();
            break;
        case RegiOption::BTN_END_SET:
            drawROIWidget->SlotReturn();
            if (barStack) barStack->setCurrentIndex(DisplayState == 2 ? 2 : 0);
            break;
        case RegiOption::BTN_LIVE_TEMP:
            drawROIWidget->SlotAutoChange();
            break;
        default:
            break;
    }
}

void MainWindow::setAlarmBar(QWidget* bar) {
    if (!barStack || !bar) return;
    const int current = barStack->currentIndex();
    QWidget* old = barStack->widget(2);
    barStack->insertWidget(2, bar);
    if (old) {
        barStack->removeWidget(old);
        old->deleteLater();
    }
    barStack->setCurrentIndex(current);
}

void MainWindow::SlotChangeSource(int source) {
    if (barStack) barStack->setCurrentIndex(1);
    if (regiOption)
        regiOption->CheckSource(source);
    else
        gSource = source;
}

void MainWindow::SlotReturn() {
    if (settingsShown() || alarmBarShown() || regionBarShown()) return;
    if (numCamera == 1) {
        displayedCamera = 0;
        zoomScale = 1.0;
        zoomOffX = zoomOffY = 0;
        for (CammerWidget* v : cams) v->update();
    } else {
        displayedCamera = numCamera;
        ChangeCammer();
    }
}

void MainWindow::cameraPramsAdjust(bool enter) {
    if (!pageStack || !imageContainer) return;
    if (enter) {
        savedPage = pageStack->currentIndex();
        pageStack->setCurrentWidget(imageContainer);
        imageContainer->showSplit(false);
    } else {
        pageStack->setCurrentIndex(savedPage);
        imageContainer->showSplit(savedSplit);
    }
}

void MainWindow::setcontentLayout() {
    if (pageStack && imageContainer) pageStack->setCurrentWidget(imageContainer);
}

// ---------------------------------------------------------------------------------------------------
// Layout

void MainWindow::ChangeCammer() {
    zoomScale = 1.0;
    zoomOffX = zoomOffY = 0;
    if (cams.isEmpty() || gShowW <= 0 || gShowH <= 0) return;
    const int W = gShowW, H = gShowH;
    int tileW = W, tileH = H;
    if (numCamera == 1) {
        displayedCamera = 0;
        cams[0]->setGeometry(0, 0, W, H);
        cams[0]->show();
        MShowHide(1);
    } else if (displayedCamera >= numCamera) {
        displayedCamera = numCamera;
        const int n = cams.size();
        const int cols = n <= 2 ? n : (n <= 4 ? 2 : (n <= 6 ? 3 : 4));
        const int rows = n <= 2 ? 1 : 2;
        tileW = W / cols;
        tileH = H / rows;
        for (int i = 0; i < n; ++i) {
            cams[i]->setGeometry((i % cols) * tileW, (i / cols) * tileH, tileW, tileH);
            cams[i]->show();
        }
        MShowHide(4);
        MShowHide(0);
    } else {
        const int shown = qMax(0, displayedCamera);
        for (int i = 0; i < cams.size(); ++i) {
            if (i == shown) continue;
            cams[i]->hide();
        }
        cams[shown]->setGeometry(0, 0, W, H);
        cams[shown]->show();
        cams[shown]->raise();
        MShowHide(3);
        MShowHide(1);
    }
    zoomX = float(tileW) / float(W);
    zoomY = float(tileH) / float(H);
    for (CammerWidget* v : cams) v->update();
}

// ---------------------------------------------------------------------------------------------------
// Zoom and pan

void MainWindow::MShowHide(int mode) {
    CammerWidget* shown = camView(displayedCamera);
    QWidget* pad = optionBar ? optionBar->fineTuningPad : nullptr;
    if (shown) {
        for (QWidget* tool :
             {static_cast<QWidget*>(zoomInButton), static_cast<QWidget*>(zoomOutButton), pad}) {
            if (tool && tool->parentWidget() != shown) tool->setParent(shown);
        }
    }
    auto setShown = [](QWidget* wdg, bool on) {
        if (wdg) wdg->setVisible(on);
    };
    switch (mode) {
        case 0:
            setShown(zoomInButton, false);
            setShown(zoomOutButton, false);
            setShown(pad, false);
            zoomToolMode = 0;
            break;
        case 1:
            setShown(zoomInButton, shown != nullptr);
            setShown(zoomOutButton, false);
            setShown(pad, false);
            zoomToolMode = 1;
            break;
        case 2:
            setShown(zoomInButton, shown != nullptr);
            setShown(zoomOutButton, shown != nullptr);
            setShown(pad, shown != nullptr);
            zoomToolMode = 2;
            break;
        case 3:
            if (shown) shown->ShowHideTool(1);
            break;
        case 4:
            for (int i = 0; i < displayedCamera && i < cams.size(); ++i) cams[i]->ShowHideTool(0);
            break;
        default:
            break;
    }
    if (shown) {
        if (zoomInButton) zoomInButton->raise();
        if (zoomOutButton) zoomOutButton->raise();
        if (pad) pad->raise();
    }
}

void MainWindow::MHideAll() {
    MShowHide(1);
}

void MainWindow::MScale(int step) {
    const double ux = (zoomAnchor.x() - zoomOffX) / zoomScale;
    const double uy = (zoomAnchor.y() - zoomOffY) / zoomScale;
    if (step == 0) {
        zoomScale = 1.0;
        zoomOffX = zoomOffY = 0;
    } else {
        if (step > 0)
            zoomScale = qMin(zoomScale * kZoomStep, kMaxZoom);
        else if ((zoomScale /= kZoomStep) < 1.1)
            zoomScale = 1.0;
        // The anchor stays where it is on the screen.
        zoomOffX = zoomAnchor.x() - ux * zoomScale;
        zoomOffY = zoomAnchor.y() - uy * zoomScale;
    }
    if (zoomScale == 1.0) zoomOffX = zoomOffY = 0;
    update();
    if (CammerWidget* v = camView(displayedCamera)) v->update();
}

void MainWindow::MEnlargeScale() {
    if (scaleTimer) scaleTimer->start(toolTimeoutMs());
    if (zoomToolMode == 1)
        MShowHide(2);
    else if (zoomToolMode == 2)
        MScale(1);
}

void MainWindow::MReductionScale() {
    if (scaleTimer) scaleTimer->start(toolTimeoutMs());
    MScale(-1);
}

void MainWindow::MRecovery() {
    if (scaleTimer) scaleTimer->start(toolTimeoutMs());
    MScale(0);
}

void MainWindow::SlotMove(int dx, int dy) {
    if (zoomScale <= 1.0) return;
    zoomOffX += dx * zoomScale;
    zoomOffY += dy * zoomScale;
    update();
    if (CammerWidget* v = camView(displayedCamera)) v->update();
}

void MainWindow::panStep(int dx, int dy) {
    if (scaleTimer) scaleTimer->start(toolTimeoutMs());
    SlotMove(dx, dy);
}

void MainWindow::MTimerScale() {
    if (scaleTimer) scaleTimer->stop();
    if (zoomToolMode == 2) MHideAll();
}
