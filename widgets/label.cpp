#include "label.h"

#include <QMouseEvent>

Label::Label(QWidget* parent, QPixmap pixmap) : QLabel(parent) {
    setPixmap(pixmap);
    setScaledContents(true);
}

void Label::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit clicked();
    QLabel::mousePressEvent(event);
}

C_Slider::C_Slider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setStyleSheet(QStringLiteral(
        "QSlider{border-color: #bcbcbc;}QSlider::groove:horizontal {border: 1px solid #999999;height: 10px}"
        "QSlider::handle:horizontal {width: 8px;background: rgb(0, 160, 230); margin: -7px -7px -7px "
        "-7px;border-radius: 1px;}"
        "QSlider::sub-page:horizontal{background: qlineargradient(spread:pad, x1:0, y1:1, x2:0, y2:0, "
        "stop:0 #439cf3, stop:0.25 #439cf3, stop:0.5 #439cf3, stop:1 #439cf3);}"
        "QSlider::add-page:horizontal{background: qlineargradient(spread:pad, x1:0, y1:1, x2:0, y2:0, "
        "stop:0 #bcbcbc, stop:0.25 #bcbcbc, stop:0.5 #bcbcbc, stop:1 #bcbcbc);}"));
}

int C_Slider::valueAt(int x, int width, int minimum, int maximum) {
    if (width <= 0) return minimum;
    const int margin = width / 50;
    int pos = x;
    if (x > width - margin)
        pos = width;
    else if (x < margin)
        pos = 0;
    // 64-bit product: a wide range times a wide slider does not overflow.
    return minimum + static_cast<int>(static_cast<qint64>(pos) * (maximum - minimum) / width);
}

void C_Slider::mouseReleaseEvent(QMouseEvent* event) {
    const int v = valueAt(qRound(event->localPos().x()), width(), minimum(), maximum());
    setValue(v);
    emit cChgValue(v);
    QSlider::mouseReleaseEvent(event);
}
