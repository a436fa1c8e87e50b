#include "blineedit.h"

#include <QMouseEvent>
#include <QSlider>
#include <cmath>
#include <memory>

#include "keyboards.h"

namespace {

// Runs the keyboard of `type` modally with an empty field. True with `text` set when the entry was
// accepted with a non-empty text. The keyboard's own field echoes like the caller's (a password
// stays hidden while it is typed).
bool runKeyboard(KeyboardType type, const QString& title, const QString& hint, QString* text,
                 QLineEdit::EchoMode echo = QLineEdit::Normal) {
    bool accepted = false;
    if (type != 0) {
        auto kb = std::make_unique<FullKeyboard>(title, hint, QString(), nullptr);
        kb->textEdit->setEchoMode(echo);
        accepted = kb->exec() == QDialog::Accepted;
        *text = kb->getText();
    } else {
        auto kb = std::make_unique<DigitalKeyboard>(title, hint, QString(), nullptr);
        kb->textEdit->setEchoMode(echo);
        accepted = kb->exec() == QDialog::Accepted;
        *text = kb->getText();
    }
    return accepted && !text->isEmpty();
}

bool isLeftPress(QEvent* event) {
    return event->type() == QEvent::MouseButtonPress &&
           static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
}

}  // namespace

BLineEdit::BLineEdit(QWidget* parent, QString title, QString hint, KeyboardType type)
    : QLineEdit(parent), title(title), hint(hint), keyboardType(type) {
    installEventFilter(this);
}

bool BLineEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this && isLeftPress(event)) {
        savedText = text();
        clear();
        QString t;
        if (runKeyboard(keyboardType, title, hint, &t, echoMode())) {
            setText(t);
            emit entryAccepted(t);
        } else {
            setText(savedText);
        }
    }
    return QObject::eventFilter(watched, event);
}

BlineLabel::BlineLabel(QSlider* slider, QWidget* parent, QString title, QString hint, KeyboardType type)
    : QLabel(parent), slider(slider), title(title), hint(hint), keyboardType(type) {
    setText(QString::number(slider ? slider->value() : 0));
    installEventFilter(this);
}

void BlineLabel::setDisplayScale(int s) {
    scale = s > 0 ? s : 1;
}

int BlineLabel::valueFor(const QString& text, int scale, int minimum, int maximum) {
    bool ok = false;
    double x = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(x)) x = 0;
    // Clamp in floating point first: converting a double beyond the int range is undefined.
    const double v = std::round(x * scale);
    if (v <= minimum) return minimum;
    if (v >= maximum) return maximum;
    return static_cast<int>(v);
}

void BlineLabel::apply(const QString& t) {
    const int before = slider->value();
    if (keyboardType != 0) {
        setText(t);
        slider->setValue(valueFor(t, scale, slider->minimum(), slider->maximum()));
        if (slider->value() == before) emit slider->valueChanged(slider->value());
        return;
    }
    setText(t == lastEntry ? savedText : t);
    slider->setValue(valueFor(t, scale, slider->minimum(), slider->maximum()));
    // An unchanged value emits nothing by itself; the owner's handler must still rewrite the label
    // from the slider (a typed 50 on a slider that ends at 10 shows 10).
    if (slider->value() == before) emit slider->valueChanged(slider->value());
    lastEntry = t;
    lastValue = slider->value();
}

bool BlineLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this && slider && isLeftPress(event)) {
        savedText = text();
        clear();
        QString t;
        if (runKeyboard(keyboardType, title, hint, &t))
            apply(t);
        else
            setText(savedText);
    }
    return QObject::eventFilter(watched, event);
}
