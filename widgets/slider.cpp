#include "slider.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <climits>

#include "app/globals.h"
#include "app/lanstr.h"
#include "edit.h"
#include "fittext.h"
#include "indexbutton.h"
#include "kiticons.h"

namespace {

constexpr int kTrackX = 295;
constexpr int kBoxLeft = 135;
constexpr int kBoxRight = 214;

// A shared image loaded at start, or the kit's own while it is missing.
QPixmap image(const QPixmap* shared, const char* fallback) {
    if (shared && !shared->isNull()) return *shared;
    return kitPixmap(QString::fromLatin1(fallback));
}

}  // namespace

Slider::Slider(int minimum, int maximum, int pageStep, int value, QWidget* parent, const QString& name)
    : QAbstractSlider(parent) {
    // A touch control: pressing it leaves the field being edited current.
    setFocusPolicy(Qt::NoFocus);
    setOrientation(Qt::Horizontal);
    setObjectName(name);
    setMinimum(minimum);
    setMaximum(maximum);
    setPageStep(pageStep);
    setValue(value);
    m_handle = QRect(0, 3, 10, qMax(0, height() - 6));

    m_plus = new ColorButton("+ 1", this, 3);
    m_plus->resize(70, 41);
    m_plus->SetRepeat();
    connect(m_plus, SIGNAL(clicked()), this, SLOT(Add()));
    m_minus = new ColorButton("- 1", this, 3);
    m_minus->resize(70, 41);
    m_minus->SetRepeat();
    connect(m_minus, SIGNAL(clicked()), this, SLOT(Sub()));

    m_field = new Edit(9, this, 1);
    m_field->setGeometry(0, 0, 0, 60);
    // Never seen and only typed into by the keypad: it must not take the focus (on window
    // activation, by Tab) from the field being edited.
    m_field->setFocusPolicy(Qt::NoFocus);
    connect(m_field, SIGNAL(textChanged(const QString&)), this, SLOT(SetText(const QString&)));
}

void Slider::Reset(int minimum, int maximum, int pageStep, int value, const QString& name) {
    setObjectName(name);
    const int before = this->value();
    const int minBefore = this->minimum(), maxBefore = this->maximum();
    {
        // The intermediate values on the way to the new range are nobody's business: a listener that
        // writes the value into a region parameter must see the final one only.
        const QSignalBlocker quiet(this);
        setMinimum(minimum);
        setMaximum(maximum);
        setPageStep(pageStep);
        setValue(value);
    }
    m_drag = QPoint(-1, -1);
    if (this->minimum() != minBefore || this->maximum() != maxBefore)
        emit rangeChanged(this->minimum(), this->maximum());
    if (this->value() != before) emit valueChanged(this->value());
    update();
}

void Slider::Add() {
    setValue(value() + 1);
}

void Slider::Sub() {
    setValue(value() - 1);
}

void Slider::SetText(const QString& text) {
    // The keypad empties the field when it opens and the erase key may empty it: no digit typed means
    // no new value.
    if (text.isEmpty()) return;
    bool digits = true;
    for (const QChar c : text) digits = digits && c.isDigit();
    int v = 0;
    if (digits) {
        // However many digits: beyond the int range the number counts as the largest value.
        bool ok = false;
        const qulonglong n = text.toULongLong(&ok);
        v = !ok || n > qulonglong(INT_MAX) ? INT_MAX : int(n);
    }
    setValue(v);  // held within the range
}

int Slider::fill() const {
    const int range = maximum() - minimum();
    if (range <= 0 || m_trackSpan <= 0) return 0;
    return int(float(value() - minimum()) / float(range) * float(m_trackSpan));
}

int Slider::handleX() const {
    return kTrackX + m_trackOffset + fill();
}

void Slider::resizeEvent(QResizeEvent* event) {
    const int W = width() - 1;
    const int H = height() - 1;
    m_trackLength = W - 369;
    m_trackOffset = int(0.03 * m_trackLength);
    m_trackSpan = int(0.95 * m_trackLength);
    m_handle.setHeight(height() - 6);
    const int y = (H - 27) / 2 - 6;
    m_plus->move(W - 69, y);
    m_minus->move(220, y);
    QAbstractSlider::resizeEvent(event);
}

void Slider::paintEvent(QPaintEvent*) {
    const int H = height() - 1;
    QPainter p(this);
    QFont f(QStringLiteral("wqy-microhei"));
    // A long caption ("Sensitivity", "Min Area") shrinks to stay whole in its column.
    if (m_captionFor != objectName()) {
        m_captionFor = objectName();
        // Measured in the font it is drawn in (the application font's widths differ).
        m_captionPx = 30;
        for (; m_captionPx > 16; --m_captionPx) {
            f.setPixelSize(m_captionPx);
            if (QFontMetrics(f).horizontalAdvance(m_captionFor) <= 118) break;
        }
    }
    f.setPixelSize(m_captionPx);
    p.setFont(f);
    p.setPen(Qt::green);

    p.drawText(QRect(QPoint(0, 0), QPoint(119, H)), Qt::AlignLeft | Qt::AlignVCenter, objectName());
    f.setPixelSize(30);
    p.setFont(f);

    p.drawPixmap(QRect(kBoxLeft, 3, 80, H - 5), image(gpPixmapEdit, "./images/edit.png"));
    p.drawText(QRect(QPoint(kBoxLeft, 3), QPoint(kBoxRight, H - 3)), Qt::AlignCenter,
               QString::number(value()));

    if (m_trackLength > 0)
        p.drawPixmap(QRect(kTrackX, 3, m_trackLength, H - 5),
                     image(gpPixmapSliderd, ":/img/icons/sliderd.png"));
    const int f_ = fill();
    if (f_ > 0)
        p.drawPixmap(QRect(kTrackX + m_trackOffset, 11, f_, H - 21),
                     image(gpPixmapSlideru, ":/img/icons/slideru.png"));
    m_handle.moveLeft(kTrackX + m_trackOffset + f_);
    p.drawPixmap(QRect(m_handle.x(), 3, 10, H - 5), image(gpPixmapSlidert, ":/img/icons/slidert.png"));
}

void Slider::mousePressEvent(QMouseEvent* event) {
    // Where the handle stands now, also before the first paint.
    m_handle.moveLeft(handleX());
    const QPoint at = event->localPos().toPoint();
    if (at.x() >= m_handle.x() - 20 && at.x() <= m_handle.x() + m_handle.width() + 19)
        m_drag = at;
    else
        m_drag = QPoint(-1, -1);
}

void Slider::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag.x() <= 0 || m_trackSpan <= 0) return;
    const QPoint at = event->localPos().toPoint();
    const int dx = at.x() - m_drag.x();
    const int step = int(float(dx) / float(m_trackSpan) * float(maximum() - minimum()));
    if (step == 0) return;  // slow movements add up until they make a whole step
    setValue(value() + step);
    m_drag = at;
}

void Slider::mouseReleaseEvent(QMouseEvent* event) {
    m_drag = QPoint(-1, -1);
    const int x = event->localPos().toPoint().x();
    if (x >= kBoxLeft && x <= kBoxRight && gShowW > 1024) {
        // The value field becomes the current field without taking the focus, and opens the
        // numeric keypad beside the slider.
        QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(m_field, &focusIn);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(0, 0), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(m_field, &release);
    }
}
