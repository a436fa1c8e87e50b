#include "imagecontainer.h"

#include "cammerwidget.h"
#include "mainwindow.h"

ImageContainer::ImageContainer(CammerWidget* views[8], QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("ImageContainer{background-color:#000000;}"));
    for (int i = 0; i < 8; ++i) views[i] = new CammerWidget(i, this);
}

void ImageContainer::showSplit(bool) {
    if (auto* w = qobject_cast<MainWindow*>(gpWin)) w->ChangeCammer();
}

void ImageContainer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    showSplit();
}
