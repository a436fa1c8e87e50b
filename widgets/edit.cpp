#include "edit.h"

#include <QEvent>
#include <QKeyEvent>

#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "c_type_com.h"
#include "kittext.h"
#include "numberinput.h"

namespace {
constexpr int kAlphanumeric = 0x2;
constexpr int kInGrandparent = 0x8;
constexpr int kInGrandparentOffset2 = 0x10;
}  // namespace

Edit::Edit(int flags, QWidget* parent, int style) : QLineEdit(parent), m_flags(flags) {
    if (style == 1) {
        C_Type_COM com;
        com.setTxtQss(this, C_Type_COM::C_Color2);
    }
    connect(this, SIGNAL(textChanged(QString)), this, SLOT(SlotRange(QString)));
}

Edit::~Edit() {
    // A field deleted while current must not leave the keypads a dangling target.
    if (gpWin && gpWin->currentEdit == this) gpWin->currentEdit = nullptr;
}

int Edit::value() const {
    return text().toInt();
}

double Edit::valueToDouble() const {
    return text().toDouble();
}

void Edit::setValue(int v) {
    setText(QString::number(v));
}

void Edit::setValue(double v) {
    setText(QString::number(v, 'g', 6));
}

void Edit::setRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
}

void Edit::init() {
    setText(QString());
}

bool Edit::keypadDigit(int, bool) {
    return false;
}

void Edit::SlotRange(QString text) {
    if (m_lower == -1 || m_upper == -1) return;
    if (m_upper < m_lower) std::swap(m_lower, m_upper);
    int v = text.toInt();
    v = qMin(v, m_upper);
    v = qMax(v, m_lower);
    setText(QString::number(v));
}

bool Edit::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::FocusIn:
            if (echoMode() == QLineEdit::Password) {
                // The password is typed on the keypad from the start: the field gives the focus up at
                // once and stays the current field without it.
                setText(QString());
                clearFocus();
                setPlaceholderText(kitText(125));
            }
            if (gpWin) gpWin->currentEdit = this;
            break;
        case QEvent::FocusOut:
            if (gpWin) gpWin->currentEdit = nullptr;
            if (gpNumPad) gpNumPad->hide();
            if (gpNumCharPad) gpNumCharPad->hide();
            break;
        case QEvent::MouseButtonRelease:
            showKeypad();
            break;
        default:
            break;
    }
    return QLineEdit::event(e);
}

void Edit::keyPressEvent(QKeyEvent* e) {
    if (e->key() == 0x2E || e->key() == 13) emit sig_Dot();
    QLineEdit::keyPressEvent(e);
}

QPoint Edit::keypadPosition(QPoint fieldPos, int fieldHeight, QPoint offset, QSize padSize, QSize target,
                            int showH) {
    int px = fieldPos.x() + offset.x();
    const int below = fieldPos.y() + offset.y() + fieldHeight + 5;
    if (px + padSize.width() > target.width()) px = target.width() - padSize.width();
    int py = below;
    // Near the bottom of the display the keypad opens above the field, its bottom edge on the
    // field's top edge, so that it never covers the field it types into (a 60-px field included).
    if (below + padSize.height() >= showH - 49) py = fieldPos.y() + offset.y() - padSize.height();
    if (py + padSize.height() > target.height()) py = target.height() - padSize.height();
    return QPoint(px, py);
}

void Edit::showKeypad() {
    // Only the current field opens a keypad: the keys type into the current field, so a keypad shown
    // under any other would type somewhere else.
    if (!gpWin || gpWin->currentEdit != this) return;
    QWidget* pad = (m_flags & kAlphanumeric) ? static_cast<QWidget*>(gpNumCharPad) : gpNumPad;
    if (!pad) return;
    if (!(m_flags & kAlphanumeric)) gpNumPad->eraseAll();

    QWidget* parent = parentWidget();
    if (!parent) return;
    QWidget* target = parent;
    QPoint offset(0, 0);
    if ((m_flags & (kInGrandparent | kInGrandparentOffset2)) && parent->parentWidget()) {
        target = parent->parentWidget();
        offset = parent->pos();
        if (!(m_flags & kInGrandparent)) offset += target->pos();
    }
    const QPoint at = keypadPosition(pos(), height(), offset, pad->size(), target->size(), gShowH);
    if (pad->parentWidget() != target) pad->setParent(target);
    pad->move(at);
    pad->show();
    pad->raise();
}
