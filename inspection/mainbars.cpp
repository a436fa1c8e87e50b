#include "mainbars.h"

#include <QFile>
#include <QLabel>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/wizardpara.h"
#include "io/controlport.h"
#include "widgets/indexbutton.h"
#include "widgets/kittext.h"

TitleBar::TitleBar(QWidget* parent) : QWidget(parent) {
    setFixedHeight(98);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("background-color:#273d88;"));
}

void TitleBar::updateIO() {
    if (!gpControlIO) return;
    int in = 0;
    int out = 0;
    for (int i = 0; i < 8; ++i) {
        if (gpControlIO->IOState(0, i)) in |= 1 << i;
        if (gpControlIO->IOState(1, i)) out |= 1 << i;
    }
    if (in == inBits_ && out == outBits_) return;
    inBits_ = in;
    outBits_ = out;
    update();
}

void TitleBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0x27, 0x3d, 0x88));
    p.setPen(Qt::white);
    QFont f = font();
    f.setPixelSize(30);
    p.setFont(f);
    p.drawText(QRect(30, 0, 800, height()), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("In-mould monitor"));
    // IO indicators: inputs on the upper row, outputs below; green when on.
    f.setPixelSize(16);
    p.setFont(f);
    for (int row = 0; row < 2; ++row) {
        const int bits = row == 0 ? inBits_ : outBits_;
        p.setPen(Qt::white);
        p.drawText(QRect(1200, 14 + row * 40, 50, 30), Qt::AlignVCenter, row == 0 ? "IN" : "OUT");
        for (int i = 0; i < 8; ++i) {
            const bool on = bits > 0 && ((bits >> i) & 1);
            p.setBrush(on ? QColor(0x4c, 0xaf, 0x50) : QColor(0x60, 0x60, 0x60));
            p.setPen(Qt::NoPen);
            p.drawEllipse(QRect(1260 + i * 40, 18 + row * 40, 24, 24));
        }
    }
}

OptionBar::OptionBar(QWidget* parent) : QWidget(parent) {
    setFixedWidth(175);
    fineTuningPad = new QWidget(parent ? parent : this);
    fineTuningPad->resize(150, 280);
    fineTuningPad->hide();
}

RegiOption::RegiOption(QWidget* parent) : QWidget(parent) {
    setFixedWidth(175);
}

void RegiOption::SlotTempLast() {}
void RegiOption::SlotTempNext() {}

AlarmOption::AlarmOption(QWidget* parent) : QWidget(parent) {
    setFixedWidth(175);
}

namespace {

struct IndexButtonDef {
    int textId;
    const char* slot;
};
const IndexButtonDef kIndexButtons[IndexButton::ButtonCount] = {
    {126, "SlotReturn()"},      {127, "SlotStartStop()"},  {215, nullptr},      {129, "SlotReTrain()"},
    {130, "SlotAdjustArea()"},  {562, "SlotAccount()"},    {111, "SlotHelp()"}, {516, "SlotMuliManualTrig()"},
    {132, "SlotManualTrig1()"}, {131, "SlotManualTrig0()"}};

QFont panelFont() {
    QFont f(QStringLiteral("wqy-microhei"));
    f.setPointSize(33);
    return f;
}

}  // namespace

const char* IndexButton::slotOf(Button b) {
    return b >= 0 && b < ButtonCount ? kIndexButtons[b].slot : nullptr;
}

int IndexButton::textIdOf(Button b) {
    return b >= 0 && b < ButtonCount ? kIndexButtons[b].textId : -1;
}

IndexButton::IndexButton(QWidget* window) : QWidget(window) {
    toggleZone_ = 110;
    logoFlag_ = false;
    for (const char* name : {"./images/logo2.bmp", "./images/logo2.png"}) {
        if (!QFile::exists(QString::fromLatin1(name))) continue;
        if (logoPixmap_.load(QString::fromLatin1(name))) {
            logo_ = new QLabel(this);
            logo_->setGeometry(0, 0, 230, 110);
            logo_->setScaledContents(true);
            logo_->setPixmap(logoPixmap_);
            logoFlag_ = true;
        }
        break;
    }

    const QFont font = panelFont();
    for (int i = 0; i < ButtonCount; ++i) {
        if (i == BtnMouldSnapshot) {
            stepCombo_ = new ComboBox(this);
            stepCombo_->hide();
            stepCombo_->setGeometry(140, 698, 100, 83);
            stepCombo_->setFont(font);
            stepCombo_->setItemHeight(73);
        }
        auto* b = new ColorButton(kitText(kIndexButtons[i].textId), this, 4);
        b->hide();
        b->setFont(font);
        if (window && kIndexButtons[i].slot) {
            const QMetaObject* mo = window->metaObject();
            const int slot = mo->indexOfSlot(kIndexButtons[i].slot);
            if (slot >= 0)
                connect(b, QMetaMethod::fromSignal(&QPushButton::clicked), window, mo->method(slot));
        }
        buttons_[i] = b;
    }
    // The only buttons this panel ever shows: the two snapshot buttons, at the foot of the panel.
    buttons_[BtnSnapshot]->setGeometry(5, 698, 130, 83);
    buttons_[BtnMouldSnapshot]->setGeometry(5, 790, 230, 83);
    buttons_[BtnProductSnapshot]->setGeometry(5, 882, 230, 83);

    setGeometry(gShowW - 240, 0, 240, gShowH);
    Reset();
}

void IndexButton::ShowHide(int) {
    const WizardPara* p = gpWPara;
    const bool snapshots = p && p->snap_shot == 1 && p->detect_mode != kDetectMulti;
    buttons_[BtnProductSnapshot]->setVisible(snapshots && p->enable_prod_detect == 1);
    buttons_[BtnMouldSnapshot]->setVisible(snapshots);
}

void IndexButton::Reset() {
    ShowHide(0);
    ResetComboChooseManualTrig();
}

void IndexButton::ResetComboChooseManualTrig() {
    stepCombo_->clear();
    if (!gpWPara) return;
    // Eight step names exist ("1st".."8th"); a count beyond them is not a step.
    const int count = qBound(0, gpWPara->multi_step_count, kMaxStep);
    for (int i = 0; i < count; ++i) stepCombo_->addItem(QStringLiteral("%1").arg(kitText(477 + i)));
}

int IndexButton::CurChooseTrig() const {
    return stepCombo_->count() == 0 ? -1 : stepCombo_->currentIndex();
}

void IndexButton::mousePressEvent(QMouseEvent* e) {
    if (qRound(e->localPos().x()) < toggleZone_) ShowHide(0);
    QWidget::mousePressEvent(e);
}

void IndexButton::paintEvent(QPaintEvent*) {}
