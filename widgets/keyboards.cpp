#include "keyboards.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "fittext.h"
#include "kiticons.h"
#include "kittext.h"

namespace {

QString keyboardSheet(const char* className) {
    return QString::fromLatin1(className) +
           "{background-color:#e9e9e9;}QLabel{font-size:26px;color:#656263;}QLineEdit{height:60px;"
           "font-size:36px;color:#2b418a;background-color:#ffffff;border-width:1px;border-style:solid;"
           "border-color:#696667;}QPushButton{width:73px;height:73px;background-color:#ffffff;"
           "border-width:1px;border-style:solid;border-color:#696667;color:#575455;font-size:22px;}"
           "QPushButton:pressed{background-color:#656263;color:#ffffff;}";
}

const char* kCloseSheet = "width:32px;height:32px;icon-size: 32px 32px;border-style:none;";
const char* kFunctionSheet = "background-color:#d2d2d2;";
// Room for a caption on a 73-pixel key inside its 1-pixel border.
constexpr int kKeyTextWidth = 68;

QPushButton* makeKey(QWidget* parent, const QString& text, QObject* receiver, const char* slot) {
    auto* b = new QPushButton(text, parent);
    b->setFocusPolicy(Qt::NoFocus);  // the field keeps the focus and its cursor
    b->setAutoDefault(false);
    QObject::connect(b, SIGNAL(pressed()), receiver, slot);
    return b;
}

QPushButton* makeCloseKey(QWidget* parent, QObject* receiver, const char* slot) {
    QPushButton* b = makeKey(parent, QString(), receiver, slot);
    b->setObjectName("closeButton");
    b->setIcon(QIcon(kitPixmap(":/img/icons/close.png")));
    b->setStyleSheet(kCloseSheet);
    return b;
}

QLineEdit* makeField(QWidget* parent, const QString& text) {
    auto* e = new QLineEdit(text, parent);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setObjectName("textEdit");
    return e;
}

// Backspace of both keyboards removes the last character, wherever the cursor stands.
void removeLast(QLineEdit* e) {
    QString t = e->text();
    if (!t.isEmpty()) {
        t.chop(1);
        e->setText(t);
    }
}

}  // namespace

DigitalKeyboard::DigitalKeyboard(QString title, QString hint, QString text, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setStyleSheet(keyboardSheet("DigitalKeyboard"));
    setFixedSize(416, 586);

    closeButton = makeCloseKey(this, this, SLOT(btnPressed()));
    cancelButton = makeKey(this, kitText(124), this, SLOT(btnPressed()));
    confirmButton = makeKey(this, kitText(121), this, SLOT(btnPressed()));
    backspaceButton = makeKey(this, kitText(157), this, SLOT(btnPressed()));
    cancelButton->setObjectName("cancelButton");
    confirmButton->setObjectName("confirmButton");
    backspaceButton->setObjectName("backspaceButton");
    for (QPushButton* b : {cancelButton, confirmButton, backspaceButton}) {
        b->setStyleSheet(kFunctionSheet);
        fitCaption(b, b->text(), kKeyTextWidth, 22);
    }
    backspaceButton->setFixedHeight(168);
    confirmButton->setFixedHeight(168);
    textEdit = makeField(this, text);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(25, 25, 25, 25);
    grid->setHorizontalSpacing(22);
    grid->setVerticalSpacing(22);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(new QLabel(title, this), 0, Qt::AlignLeft);
    top->addStretch();
    top->addWidget(closeButton, 0, Qt::AlignRight);
    grid->addLayout(top, 0, 0, 1, 4);
    grid->addWidget(textEdit, 1, 0, 1, 4);

    const char* digits[3][3] = {{"7", "8", "9"}, {"4", "5", "6"}, {"1", "2", "3"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            QPushButton* k = makeKey(this, QString::fromLatin1(digits[r][c]), this, SLOT(btnPressed()));
            k->setObjectName(QStringLiteral("key_") + digits[r][c]);
            grid->addWidget(k, 2 + r, c);
        }
    grid->addWidget(backspaceButton, 2, 3, 2, 1);
    grid->addWidget(confirmButton, 4, 3, 2, 1);
    grid->addWidget(cancelButton, 5, 0);
    QPushButton* zero = makeKey(this, "0", this, SLOT(btnPressed()));
    zero->setObjectName("key_0");
    grid->addWidget(zero, 5, 1);
    QPushButton* point = makeKey(this, ".", this, SLOT(btnPressed()));
    point->setObjectName("key_.");
    grid->addWidget(point, 5, 2);

    auto* hintRow = new QHBoxLayout;
    hintRow->setContentsMargins(0, 0, 0, 0);
    auto* hintLabel = new QLabel(hint, this);
    hintLabel->setStyleSheet("font-size:18px;");
    hintLabel->setWordWrap(true);
    hintRow->addWidget(hintLabel, 1, Qt::AlignLeft);
    grid->addLayout(hintRow, 6, 0, 1, 4);
    textEdit->setFocus();
}

QString DigitalKeyboard::getText() const {
    return textEdit->text();
}

void DigitalKeyboard::btnPressed() {
    auto* b = qobject_cast<QPushButton*>(sender());
    if (!b) return;
    if (b == closeButton || b == cancelButton) {
        reject();
    } else if (b == confirmButton) {
        if (!textEdit->text().trimmed().isEmpty()) accept();
    } else if (b == backspaceButton) {
        removeLast(textEdit);
    } else {
        textEdit->insert(b->text());
    }
}

FullKeyboard::FullKeyboard(QString title, QString hint, QString text, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint) {
    setStyleSheet(keyboardSheet("FullKeyboard"));
    setFixedSize(1112, 520);

    closeButton = makeCloseKey(this, this, SLOT(btnPressed()));
    caseButton = makeKey(this, tr("小写"), this, SLOT(btnPressed()));
    caseButton->setCheckable(true);
    caseButton->setChecked(true);
    symbolButton = makeKey(this, tr("符号"), this, SLOT(btnPressed()));
    cancelButton = makeKey(this, tr("取消"), this, SLOT(btnPressed()));
    confirmButton = makeKey(this, tr("确定"), this, SLOT(btnPressed()));
    backspaceButton = makeKey(this, tr("退格"), this, SLOT(btnPressed()));
    caseButton->setObjectName("caseButton");
    symbolButton->setObjectName("symbolButton");
    cancelButton->setObjectName("cancelButton");
    confirmButton->setObjectName("confirmButton");
    backspaceButton->setObjectName("backspaceButton");
    for (QPushButton* b : {caseButton, symbolButton, cancelButton, confirmButton, backspaceButton}) {
        b->setStyleSheet(kFunctionSheet);
        fitCaption(b, b->text(), (b == cancelButton || b == confirmButton) ? 116 : kKeyTextWidth, 22);
    }
    cancelButton->setFixedWidth(122);
    confirmButton->setFixedWidth(122);
    textEdit = makeField(this, text);
    textEdit->setFixedWidth(380);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(25, 25, 25, 10);
    column->setSpacing(18);

    auto row = []() {
        auto* r = new QHBoxLayout;
        r->setContentsMargins(0, 0, 0, 0);
        r->setSpacing(23);
        return r;
    };
    auto keys = [this](QHBoxLayout* r, const char* chars) {
        for (const char* c = chars; *c; ++c) {
            QPushButton* k = makeKey(this, QString(QChar::fromLatin1(*c)), this, SLOT(btnPressed()));
            k->setObjectName(QStringLiteral("key_") + QChar::fromLatin1(*c));
            r->addWidget(k);
        }
    };

    QHBoxLayout* top = row();
    top->addWidget(new QLabel(title, this), 0, Qt::AlignLeft);
    top->addWidget(textEdit, 1);
    top->addWidget(closeButton, 0, Qt::AlignRight);
    column->addLayout(top);
    column->addStretch();

    QHBoxLayout* r1 = row();
    keys(r1, "1234567890_");
    column->addLayout(r1);

    QHBoxLayout* r2 = row();
    r2->addSpacing(48);
    keys(r2, "QWERTYUIOP");
    r2->addSpacing(48);
    column->addLayout(r2);

    QHBoxLayout* r3 = row();
    r3->addWidget(caseButton);
    keys(r3, "ASDFGHJKL");
    r3->addWidget(symbolButton);
    column->addLayout(r3);

    QHBoxLayout* r4 = row();
    r4->addWidget(cancelButton);
    keys(r4, "ZXCVBNM");
    r4->addWidget(backspaceButton);
    r4->addWidget(confirmButton);
    column->addLayout(r4);

    auto* hintRow = new QHBoxLayout;
    hintRow->setContentsMargins(0, 0, 0, 0);
    auto* hintLabel = new QLabel(hint, this);
    hintLabel->setStyleSheet("font-size:18px;");
    hintRow->addWidget(hintLabel, 1, Qt::AlignLeft);
    column->addLayout(hintRow);
    textEdit->setFocus();
}

QString FullKeyboard::getText() const {
    return textEdit->text();
}

void FullKeyboard::btnPressed() {
    auto* b = qobject_cast<QPushButton*>(sender());
    if (!b) return;
    if (b == closeButton || b == cancelButton) {
        reject();
    } else if (b == confirmButton) {
        if (!textEdit->text().trimmed().isEmpty()) accept();
    } else if (b == backspaceButton) {
        removeLast(textEdit);
    } else if (b == caseButton) {
        // The checked state toggles when the press completes as a click, so it is read before.
        const bool lower = caseButton->isChecked();
        const QList<QPushButton*> all = findChildren<QPushButton*>();
        for (QPushButton* k : all)
            if (k->text().size() == 1) k->setText(lower ? k->text().toLower() : k->text().toUpper());
        caseButton->setText(lower ? tr("大写") : tr("小写"));
    } else if (b == symbolButton) {
        // No symbol page: punctuation and blanks would reach file names and commands.
    } else {
        textEdit->insert(b->text());
    }
}
