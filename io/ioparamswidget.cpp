#include "ioparamswidget.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "iofunctionswidget.h"
#include "iosettingsdialog.h"
#include "widgets/blineedit.h"
#include "widgets/kittext.h"

namespace {

struct SliderRow {
    int textId;
    int maximum;
    int scale;  // 1: shown as it is; 10: tenths shown in seconds
    int32_t WizardPara::*field;
};

const SliderRow kSliderTable[IOParamsWidget::kSliders] = {
    {336, 10000, 1, &WizardPara::input_timeout_len}, {168, 1000, 10, &WizardPara::thimble_pulse},
    {169, 1000, 10, &WizardPara::mold_pulse},        {166, 100, 10, &WizardPara::pre_cut},
    {524, 100, 10, &WizardPara::shake_erase_time},
};

const int kProcedureText[5] = {384, 385, 386, 399, 472};
const int kCavityText[3] = {376, 377, 383};
constexpr int kSeconds = 540;
constexpr int kBreak = 204;
constexpr int kClose = 211;
constexpr int kMultiDet = 4;

const char* const kValueStyle =
    "font-size:32px;color:#1f3f8d;border-width:0px 0px 2px 0px;border-style:solid;border-color:#1f3f8d;";
const char* const kUnitStyle = "font-size:16px;color:#656263;";

}  // namespace

IOParamsWidget::IOParamsWidget(QWidget* parent, IOSettingsDialog* dialog)
    : BWidget(parent), m_dialog(dialog), m_multi(gpWPara && gpWPara->detect_mode == kDetectMulti) {
    setStyleSheet("QLabel{font-size:22px;color:#656263;}");

    auto* procRow = new QHBoxLayout;
    // Each caption sits close to its own circle and well apart from the next one, so that the circle
    // an operator reads as ticked is the one of the caption beside it; the five procedures still fit
    // beside the row's caption in every language.
    procRow->setSpacing(36);
    procRow->addWidget(new QLabel(kitText(584), this));
    procedureGroup = new QButtonGroup(this);
    for (int id = 0; id < 5; ++id) {
        auto* b = new QRadioButton(kitText(kProcedureText[id]), this);
        procedureGroup->addButton(b, id);
        procRow->addWidget(b);
    }
    procRow->addStretch();
    connect(procedureGroup, &QButtonGroup::idClicked, this, &IOParamsWidget::showProcedureControls);

    auto* grid = new QGridLayout;
    // The top margin leaves the line at y 150 to the cavity row and the two buttons placed there.
    grid->setContentsMargins(0, 130, 100, 50);
    grid->setVerticalSpacing(40);
    grid->setHorizontalSpacing(0);
    for (int i = 0; i < kSliders; ++i) {
        const SliderRow& r = kSliderTable[i];
        auto* caption = new QLabel(kitText(r.textId), this);
        sliders[i] = new QSlider(Qt::Horizontal, this);
        sliders[i]->setRange(0, r.maximum);
        sliders[i]->setFixedWidth(600);
        valueLabels[i] = new BlineLabel(sliders[i], this, kitText(r.textId), QString(), 0);
        valueLabels[i]->setDisplayScale(r.scale);
        valueLabels[i]->setStyleSheet(kValueStyle);
        valueLabels[i]->setAlignment(Qt::AlignCenter);
        valueLabels[i]->setMinimumWidth(120);
        auto* unit = new QLabel(kitText(kSeconds), this);
        if (i == kInputTimeout || i == kClampPulse || i == kShakeErase) unit->setStyleSheet(kUnitStyle);
        grid->addWidget(caption, i, 0);
        grid->addWidget(sliders[i], i, 1);
        grid->addWidget(valueLabels[i], i, 2);
        grid->addWidget(unit, i, 3);
        connect(sliders[i], &QSlider::valueChanged, this, &IOParamsWidget::slotQSliderValue);
    }
    grid->setColumnMinimumWidth(0, 220);
    grid->setColumnStretch(4, 1);

    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(40, 50, 20, 50);
    col->addLayout(procRow);
    col->addLayout(grid);
    if (m_multi) {
        auto* stateRow = new QHBoxLayout;
        stateRow->setSpacing(20);
        initialStateLabel = new QLabel(kitText(586), this);
        stateRow->addWidget(initialStateLabel);
        for (int k = 0; k < kMultiOutputs; ++k) {
            initialStateBoxes[k] = new QComboBox(this);
            initialStateBoxes[k]->addItems({kitText(kBreak), kitText(kClose)});
            initialStateBoxes[k]->setFixedSize(180, 50);
            stateRow->addWidget(initialStateBoxes[k]);
        }
        stateRow->addStretch();
        col->addLayout(stateRow);
    }
    col->addStretch();

    // Placed, not laid out: the cavity row and the two buttons share the line at y 150 and are shown
    // alternately by procedure. Each control is as wide as its caption and starts after the one before
    // it, so that no language cuts or covers a caption.
    QFont font = this->font();
    font.setPixelSize(22);
    const QFontMetrics metrics(font);
    auto textWidth = [&metrics](const QString& t) { return metrics.horizontalAdvance(t); };
    cavityLabel = new QLabel(kitText(585), this);
    const int labelW = qMax(100, textWidth(cavityLabel->text()) + 8);
    cavityLabel->setGeometry(96, 150, labelW, 50);
    const int afterLabel = 96 + labelW;
    cavityGroup = new QButtonGroup(this);
    int x = qMax(210, afterLabel + 14);
    for (int id = 0; id < 3; ++id) {
        auto* b = new QRadioButton(kitText(kCavityText[id]), this);
        const int w = 50 + 10 + textWidth(b->text()) + 10;  // indicator, spacing, caption
        b->setGeometry(x, 150, w, 50);
        x += w + 36;
        cavityGroup->addButton(b, id);
    }
    customIOButton = new QPushButton(kitText(473), this);
    const int customX = qMax(220, afterLabel + 24);
    customIOButton->setGeometry(customX, 150, qMax(200, textWidth(customIOButton->text()) + 30), 50);
    ioNameButton = new QPushButton(kitText(498), this);
    const int nameX = qMax(510, customIOButton->geometry().right() + 90);
    ioNameButton->setGeometry(nameX, 150, qMax(200, textWidth(ioNameButton->text()) + 30), 50);
}

void IOParamsWidget::showValue(int i) {
    if (i < 0 || i >= kSliders) return;
    const int v = sliders[i]->value();
    if (kSliderTable[i].scale == 1)
        valueLabels[i]->setText(QString::number(v));
    else
        valueLabels[i]->setText(QString::number(v / 10.0, 'g', 6));
}

void IOParamsWidget::slotQSliderValue(int) {
    for (int i = 0; i < kSliders; ++i) {
        if (sender() != sliders[i]) continue;
        m_moved[i] = true;
        showValue(i);
    }
}

void IOParamsWidget::WizardParaInit() {
    if (!gpWParaBak) return;
    const WizardPara& p = *gpWParaBak;
    for (int i = 0; i < kSliders; ++i) {
        const bool blocked = sliders[i]->blockSignals(true);
        sliders[i]->setValue(p.*kSliderTable[i].field);  // clamped to the slider's range for the eye only
        sliders[i]->blockSignals(blocked);
        m_moved[i] = false;
        showValue(i);
    }
    checkGroupId(procedureGroup, p.detect_mode_next);
    checkGroupId(cavityGroup, p.cavity_pos);
    if (p.detect_mode == kDetectMulti) {
        for (int k = 0; k < kMultiOutputs; ++k)
            if (initialStateBoxes[k]) initialStateBoxes[k]->setCurrentIndex(p.output_inverted[4 + k]);
    }
}

void IOParamsWidget::accept() {
    if (!gpWParaBak) return;
    WizardPara& p = *gpWParaBak;
    storeCheckedId(procedureGroup, &p.detect_mode_next);
    for (int i = 0; i < kSliders; ++i)
        if (m_moved[i]) p.*kSliderTable[i].field = sliders[i]->value();
    storeCheckedId(cavityGroup, &p.cavity_pos);
    if (p.detect_mode == kDetectMulti && m_multi) {
        for (int k = 0; k < kMultiOutputs; ++k) {
            const int v = initialStateBoxes[k]->currentIndex();
            if (v >= 0) p.output_inverted[4 + k] = v;
        }
        p.enable_prod_detect = 1;
    }
}

void IOParamsWidget::showProcedureControls(int id) {
    cavityLabel->hide();
    for (QAbstractButton* b : cavityGroup->buttons()) b->hide();
    customIOButton->hide();
    ioNameButton->hide();
    if (id == kDetectTwoColour || id == kDetectTurntable) {
        cavityLabel->show();
        for (QAbstractButton* b : cavityGroup->buttons()) b->show();
    } else if (id == kMultiDet) {
        cavityLabel->show();
        customIOButton->show();
        ioNameButton->show();
    }
}

void IOParamsWidget::showEvent(QShowEvent* event) {
    showProcedureControls(procedureGroup->checkedId());
    const bool multiRows = m_multi && m_dialog && m_dialog->factoryParamShown() && gpWParaBak &&
                           gpWParaBak->detect_mode == kMultiDet;
    if (initialStateLabel) initialStateLabel->setVisible(multiRows);
    for (int k = 0; k < kMultiOutputs; ++k) {
        if (!initialStateBoxes[k]) continue;
        initialStateBoxes[k]->setVisible(multiRows && gpWParaBak->multi_step_count > 3 + k);
    }
    BWidget::showEvent(event);
}
