#include "drawroiwidget.h"

#include <QStackedLayout>

#include "inspection/cammerwidget.h"
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
    for (CammerWidget* v : window_->cams) {
        v->data.selectedRoi = -1;
        v->update();
    }
}

DrawROIWidget* installDrawROIWidget(MainWindow* window) {
    auto* w = new DrawROIWidget(window);
    window->setRoiEditor(w);
    return w;
}
