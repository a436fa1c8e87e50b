#include "mainbars.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPainter>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/wizardpara.h"
#include "io/controlport.h"

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

IndexButton::IndexButton(QWidget* parent) : QWidget(parent) {
    logo_ = new QLabel(this);
    for (const char* name : {"./images/logo2.bmp", "./images/logo2.png"}) {
        QPixmap pm(QString::fromLatin1(name));
        if (!pm.isNull()) {
            logo_->setPixmap(pm.scaledToWidth(220, Qt::SmoothTransformation));
            break;
        }
    }
    logo_->move(10, 10);
    stepCombo_ = new QComboBox(this);
    stepCombo_->setFixedSize(100, 83);
    stepCombo_->move(70, 600);
    stepCombo_->hide();
    ResetComboChooseManualTrig();
}

void IndexButton::ResetComboChooseManualTrig() {
    stepCombo_->clear();
    if (!gpWPara || gpWPara->detect_mode != kDetectMulti) return;
    for (int i = 0; i < gDNum && i < 8; ++i) stepCombo_->addItem(gaLanStr[(477 + i) * 3 + gLan], i);
}

int IndexButton::CurChooseTrig() const {
    return stepCombo_->count() == 0 ? -1 : stepCombo_->currentIndex();
}
