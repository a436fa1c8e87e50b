#include "passwordbox.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "accesslevel.h"
#include "app/globals.h"
#include "app/lanstr.h"
#include "app/mainwindowbase.h"
#include "app/wizardpara.h"
#include "platform/system/sysclock.h"
#include "widgets/blineedit.h"
#include "widgets/numberinput.h"

namespace {

QString lan(int id) {
    return gaLanStr[id * kLanColumns + gLan];
}

const char* kSheet =
    "BMessageBox{border-width:1px;border-style:solid;border-color:#656263;background-color:#ffffff;}"
    "QLabel{font-size:30px;color:#656263;}"
    "QPushButton{background-color:#d3d3d3;border-style:none;color:#656263;font-size:22px;}"
    "QPushButton:pressed{color:#656263;background-color:#83636e;}";

constexpr int kWidth = 680;
constexpr int kHeight = 250;

}  // namespace

PasswordBox::PasswordBox(QString titleText, QWidget* parent) : QDialog(parent) {
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setWindowTitle(titleText);
    setStyleSheet(QString::fromLatin1(kSheet));
    setFixedSize(kWidth, kHeight);

    title = new QLabel(this);
    title->setGeometry(30, 15, kWidth - 60, 50);

    icon = new QLabel(this);
    icon->setGeometry(110, 90, 50, 50);
    icon->setScaledContents(true);
    icon->setPixmap(QPixmap(QStringLiteral(":/img/icons/password.png")));

    edit = new BLineEdit(this, titleText, lan(125), 0);
    edit->setEchoMode(QLineEdit::Password);
    edit->setGeometry(175, 90, 350, 50);
    edit->setPlaceholderText(lan(125));
    edit->setStyleSheet(QStringLiteral("font-size:26px;color:#2b418a;border:1px solid #696667;"));

    yes = new QPushButton(lan(122), this);
    yes->setGeometry(170, 175, 160, 55);
    cancel = new QPushButton(lan(124), this);
    cancel->setGeometry(350, 175, 160, 55);

    connect(yes, &QPushButton::clicked, this, &PasswordBox::accept);
    connect(cancel, &QPushButton::clicked, this, &PasswordBox::reject);
    connect(edit, &QLineEdit::textChanged, this, &PasswordBox::SlotTextChanged);
    // The keypad's confirm key submits the entry; "YES" is not needed as well.
    connect(edit, &BLineEdit::entryAccepted, this, &PasswordBox::accept);
    if (gpNumPad) connect(gpNumPad, &NumberInput::chkpassword, this, &PasswordBox::accept);
    hide();
}

PasswordBox::~PasswordBox() {
    if (gpPasswordBox == this) gpPasswordBox = nullptr;
}

void PasswordBox::accept() {
    const int level = gpWPara ? levelForEntry(edit->text(), *gpWPara, SysClock::now().date()) : kAccessNone;
    if (level != kAccessNone) {
        prompt = 0;
        edit->setPlaceholderText(lan(125));
        setAccessLevel(level);
        QDialog::accept();
        return;
    }
    // The field is emptied before the wrong-password state is set, so the prompt shows once more
    // when the operator next empties the field.
    edit->clear();
    prompt = 2;
    setAccessLevel(kAccessNone);
    edit->setPlaceholderText(lan(357));
}

void PasswordBox::SlotTextChanged(const QString& text) {
    if (!text.isEmpty()) {
        edit->setPlaceholderText(QString());
    } else if (prompt == 2) {
        edit->setPlaceholderText(lan(357));
        prompt = 0;
    } else {
        edit->setPlaceholderText(lan(125));
    }
}

void PasswordBox::mouseReleaseEvent(QMouseEvent* event) {
    // A touch beside the field only closes the keypad: the entry is judged by confirm or "YES".
    if (gpNumPad) gpNumPad->HideUpdate();
    QDialog::mouseReleaseEvent(event);
}

void PasswordBox::paintEvent(QPaintEvent*) {}

void PasswordBox::showEvent(QShowEvent* event) {
    move(gShowW / 2 - kWidth / 2, gShowH / 2 - kHeight / 2);
    title->setText(lan(356));
    // A new entry starts clean: no text and no pending wrong-password prompt.
    prompt = 0;
    edit->clear();
    edit->setPlaceholderText(lan(125));
    QDialog::showEvent(event);
}

void PasswordBox::hideEvent(QHideEvent* event) {
    if (gpWin && gpWin->currentEdit) {
        gpWin->currentEdit->clearFocus();
        gpWin->currentEdit = nullptr;
    }
    if (gpNumPad) gpNumPad->HideUpdate();
    QDialog::hideEvent(event);
}

PasswordBox* createGlobalPasswordBox(QWidget* parent) {
    if (auto* box = qobject_cast<PasswordBox*>(gpPasswordBox)) return box;
    auto* box = new PasswordBox(lan(569), parent);
    gpPasswordBox = box;
    return box;
}
