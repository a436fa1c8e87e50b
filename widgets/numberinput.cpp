#include "numberinput.h"

#include <QButtonGroup>
#include <QDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "app/mainwindowbase.h"
#include "edit.h"
#include "fittext.h"
#include "indexbutton.h"
#include "kittext.h"

NumberInput* gpNumPad = nullptr;
NumCharInput* gpNumCharPad = nullptr;
QDialog* gpPasswordBox = nullptr;

QLineEdit* keypadField() {
    return gpWin ? qobject_cast<QLineEdit*>(gpWin->currentEdit) : nullptr;
}

void resetKeypadGlobals() {
    delete gpNumPad;  // their destructors clear the pointers
    delete gpNumCharPad;
    gpNumPad = nullptr;
    gpNumCharPad = nullptr;
    gpPasswordBox = nullptr;
}

namespace {

const QColor kPadFill(200, 251, 240);

const char* kNumberInputSheet =
    "NumberInput{background-color:#e9e9e9;}QLabel{font-size:26px;color:#656263;}QLineEdit{height:60px;"
    "font-size:36px;color:#2b418a;background-color:#ffffff;border-width:1px;border-style:solid;"
    "border-color:#696667;}QPushButton{width:73px;height:73px;background-color:#ffffff;border-width:1px;"
    "border-style:solid;border-color:#696667;color:#575455;font-size:22px;}"
    "QPushButton:pressed{background-color:#656263;color:#ffffff;}";

// Erase leaves the cursor one place before the end (at the start of an empty text).
void eraseLast(QLineEdit* e, const QString& remaining) {
    e->setText(remaining);
    e->setCursorPosition(qMax(0, e->text().size() - 1));
}

void paintPad(QWidget* pad, QPaintEvent* event, const QColor& outline) {
    QPainter p(pad);
    p.fillRect(event->rect(), kPadFill);
    p.setPen(outline);
    p.drawRect(QRect(QPoint(0, 0), QPoint(pad->width() - 2, pad->height() - 2)));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Numeric keypad

NumberInput::NumberInput(QWidget* parent) : QWidget(parent, Qt::CustomizeWindowHint) {
    setObjectName("NumberInput");
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(kNumberInputSheet);
    setGeometry(0, 0, 427, 230);

    keyGroup = new QButtonGroup(this);
    const int xs[4] = {5, 110, 215, 320};
    const int ys[3] = {5, 80, 155};
    for (int id = 0; id < 10; ++id) {
        const QString digit = QString::number((id + 1) % 10);
        auto* key = new QPushButton(digit, this);
        key->setObjectName("key_" + digit);
        key->setFocusPolicy(Qt::NoFocus);
        key->setGeometry(xs[id % 4], ys[id / 4], 100, 70);
        keyGroup->addButton(key, id);
    }
    eraseButton = new QPushButton(kitText(157), this);
    eraseButton->setObjectName("eraseButton");
    eraseButton->setGeometry(xs[2], ys[2], 100, 70);
    confirmButton = new QPushButton(kitText(121), this);
    confirmButton->setObjectName("confirmButton");
    confirmButton->setGeometry(xs[3], ys[2], 100, 70);
    for (QPushButton* b : {eraseButton, confirmButton}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setStyleSheet("background-color:#d2d2d2;");
        fitCaption(b, b->text(), 94, 22);
    }

    connect(keyGroup, SIGNAL(buttonClicked(int)), this, SLOT(setContent(int)));
    connect(eraseButton, SIGNAL(clicked()), this, SLOT(eraseContent()));
    connect(confirmButton, SIGNAL(clicked()), this, SLOT(Confirm()));
    hide();
}

NumberInput::~NumberInput() {
    if (gpNumPad == this) gpNumPad = nullptr;
}

void NumberInput::setContent(int id) {
    QLineEdit* field = keypadField();
    QAbstractButton* key = keyGroup->button(id);
    if (!field || !key || key->text().isEmpty()) return;
    const int d = key->text().toInt();
    const QChar c = key->text().at(0);
    const bool first = m_firstKey;
    auto* edit = qobject_cast<Edit*>(field);
    if (edit && edit->keypadDigit(d, first)) {
        m_firstKey = false;
    } else if (first) {
        m_firstKey = false;
        field->setText(QString(c));
    } else {
        field->setText(field->text() + c);
    }
    field->setCursorPosition(field->text().size());
}

void NumberInput::eraseContent() {
    QLineEdit* field = keypadField();
    if (!field) return;
    QString t = field->text();
    t.chop(1);
    // Judged on the erased text, not on what the field's range turns it into: erasing the last
    // digit always starts a new number.
    if (t.isEmpty()) m_firstKey = true;
    eraseLast(field, t);
}

void NumberInput::eraseAll() {
    m_firstKey = true;
    QLineEdit* field = keypadField();
    if (!field) return;
    field->setText(QString());
    field->setCursorPosition(0);
}

void NumberInput::HideUpdate() {
    if (isVisible()) {
        hide();
        if (gpWin) gpWin->update();
    }
    if (gpPasswordBox && gpPasswordBox->isVisible()) return;
    if (gpWin && gpWin->currentEdit) gpWin->currentEdit->clearFocus();
}

void NumberInput::Confirm() {
    HideUpdate();
    if (gpPasswordBox && gpPasswordBox->isVisible()) emit chkpassword();
}

void NumberInput::mousePressEvent(QMouseEvent*) {}
void NumberInput::mouseReleaseEvent(QMouseEvent*) {}

void NumberInput::paintEvent(QPaintEvent* event) {
    paintPad(this, event, QColor("#e9e9e9"));
}

// ---------------------------------------------------------------------------------------------
// Alphanumeric keyboard

namespace {

const int kRowKeys[4] = {11, 10, 9, 7};
const int kRowX[4] = {10, 42, 62, 106};
const int kRowY[4] = {10, 80, 150, 220};
const char* const kDigitRow = "1234567890_";
// Rows 1 to 3 of each page.
const char* const kPages[3][3] = {
    {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"},
    {"qwertyuiop", "asdfghjkl", "zxcvbnm"},
    {"-=[]\\;',./", "@#$%^?*()", "`~!{}:\""},
};

ColorButton* makeCharKey(QWidget* parent, const QString& text, int x, int y, int w) {
    auto* b = new ColorButton(text, parent, 3);
    b->setGeometry(x, y, w, 65);
    return b;
}

}  // namespace

NumCharInput::NumCharInput(QWidget* parent) : QWidget(parent, Qt::CustomizeWindowHint) {
    setObjectName("NumCharInput");
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 785, 295);

    keyGroup = new QButtonGroup(this);
    int id = 0;
    for (int row = 0; row < 4; ++row)
        for (int k = 0; k < kRowKeys[row]; ++k, ++id) {
            const QString text = row == 0 ? QString(QLatin1Char(kDigitRow[k])) : QString();
            ColorButton* key = makeCharKey(this, text, kRowX[row] + 70 * k, kRowY[row], 65);
            key->setObjectName(QString("charKey%1").arg(id));
            keyGroup->addButton(key, id);
        }
    pageButton = makeCharKey(this, kitText(441), 695, 150, 80);
    pageButton->setObjectName("pageButton");
    caseButton = makeCharKey(this, kitText(158), 10, 220, 80);
    caseButton->setObjectName("caseButton");
    eraseButton = makeCharKey(this, kitText(157), 605, 220, 80);
    eraseButton->setObjectName("eraseButton");
    confirmButton = makeCharKey(this, kitText(121), 695, 220, 80);
    confirmButton->setObjectName("confirmButton");
    showPage(Capitals);

    connect(keyGroup, SIGNAL(buttonClicked(int)), this, SLOT(setContent(int)));
    connect(pageButton, SIGNAL(clicked(bool)), this, SLOT(SlotChgChar_Punc()));
    connect(caseButton, SIGNAL(clicked(bool)), this, SLOT(SlotCap()));
    connect(eraseButton, SIGNAL(clicked()), this, SLOT(eraseContent()));
    connect(confirmButton, SIGNAL(clicked()), this, SLOT(HideUpdate()));
    hide();
}

NumCharInput::~NumCharInput() {
    if (gpNumCharPad == this) gpNumCharPad = nullptr;
}

void NumCharInput::showPage(Page page) {
    int id = kRowKeys[0];
    for (int row = 1; row < 4; ++row) {
        const char* text = kPages[page][row - 1];
        for (int k = 0; k < kRowKeys[row]; ++k, ++id) {
            QAbstractButton* key = keyGroup->button(id);
            const QString label(QLatin1Char(text[k]));
            if (key->text() != label) {
                key->setText(label);  // repaints the key
            }
        }
    }
}

void NumCharInput::SlotCap() {
    if (caseButton->text() == kitText(158)) {
        showPage(SmallLetters);
        pageButton->setText(kitText(441));
        caseButton->setText(kitText(159));
    } else {
        showPage(Capitals);
        pageButton->setText(kitText(441));
        caseButton->setText(kitText(158));
    }
}

void NumCharInput::SlotChgChar_Punc() {
    if (pageButton->text() == kitText(441)) {
        showPage(Symbols);
        pageButton->setText(kitText(442));
        caseButton->setText(kitText(158));
    } else {
        showPage(Capitals);
        pageButton->setText(kitText(441));
        caseButton->setText(kitText(158));
    }
}

void NumCharInput::setContent(int id) {
    QLineEdit* field = keypadField();
    QAbstractButton* key = keyGroup->button(id);
    if (!field || !key || key->text().isEmpty()) return;
    field->setText(field->text() + key->text().at(0));
    field->setCursorPosition(field->text().size());
}

void NumCharInput::eraseContent() {
    QLineEdit* field = keypadField();
    if (!field) return;
    QString t = field->text();
    t.chop(1);
    eraseLast(field, t);
}

void NumCharInput::HideUpdate() {
    if (!isVisible()) return;
    hide();
    if (parentWidget()) parentWidget()->update();
}

void NumCharInput::mousePressEvent(QMouseEvent*) {}
void NumCharInput::mouseReleaseEvent(QMouseEvent*) {}

void NumCharInput::paintEvent(QPaintEvent* event) {
    paintPad(this, event, QColor("#191532"));
}

void NumCharInput::showEvent(QShowEvent* event) {
    // Every opening starts on the capitals page.
    pageButton->setText(kitText(442));
    caseButton->setText(kitText(158));
    SlotChgChar_Punc();
    QWidget::showEvent(event);
}
