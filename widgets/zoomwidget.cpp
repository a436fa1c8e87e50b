#include "zoomwidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "kiticons.h"

namespace {
constexpr int kWidth = 86;
constexpr int kHeight = 192;
constexpr int kKnobRadius = 43;
}  // namespace

ZoomWidget::ZoomWidget(QWidget* parent) : QWidget(parent) {
    track_ = kitPixmap(QStringLiteral(":/img/icons/6.png")).scaledToHeight(kHeight, Qt::SmoothTransformation);
    knob_ = kitPixmap(QStringLiteral(":/img/icons/7.png")).scaledToWidth(kWidth, Qt::SmoothTransformation);
    setFixedSize(kWidth, kHeight);
}

int ZoomWidget::zoomForDrag(int dy) {
    if (dy < -kTravel) return 100;
    if (dy > kTravel) return -100;
    return (dy * -100) / kTravel;  // C++ division truncates toward zero
}

void ZoomWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap((width() - track_.width()) / 2, 0, track_);
    p.drawPixmap(0, (height() - knob_.height()) / 2 + knobOffset_, knob_);
}

void ZoomWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint pos = event->localPos().toPoint();
    const double dx = pos.x() - kWidth / 2;
    const double dy = pos.y() - kHeight / 2;
    if (static_cast<int>(std::sqrt(dx * dx + dy * dy)) > kKnobRadius) return;
    pressX_ = pos.x();
    pressY_ = pos.y();
    dragging_ = true;
}

void ZoomWidget::mouseMoveEvent(QMouseEvent* event) {
    // Only a drag that began on the knob moves it: a press beside it must not zoom from an old
    // press point.
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return;
    const int d = event->localPos().toPoint().y() - pressY_;
    knobOffset_ = qBound(-kTravel, d, kTravel);
    emit zoomSignal(zoomForDrag(d));
    update();
}

void ZoomWidget::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
    knobOffset_ = 0;
    update();
}
