#include "imagewidget.h"

ImageWidget::ImageWidget(int slot, QWidget* parent)
    : QWidget(parent), slot_(slot), cameraIcon_(QStringLiteral(":/img/icons/camera.png")) {
    const QPixmap number(QStringLiteral(":/img/icons/camNum%1.png").arg(slot + 1));
    if (!number.isNull()) numberIcon_ = number.scaledToWidth(48, Qt::SmoothTransformation);
}
