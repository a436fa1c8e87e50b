#include "advancedpages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "settingshost.h"
#include "settingstext.h"
#include "widgets/blineedit.h"
#include "widgets/checkbox.h"

namespace {

const char* const kPageStyle =
    "QLabel{font-size:22px;color:#656263;}QPushButton{color:#656263;font-size:20px;padding:0px 12px;}"
    "QComboBox{font-size:22px;}QComboBox QAbstractItemView::item{min-height:60px;}";

struct SliderDef {
    int text;
    int min, max;
    int unit;  // language id, 0 none, -1 "个"
    int32_t WizardPara::*field;
};

const SliderDef kSliders[AdvanceparamWidget::kRows] = {
    {213, 1, 8000, 0, &WizardPara::location_adge},
    {188, 0, 4, 0, &WizardPara::difference_multiplier},
    {181, 1, 20, -1, &WizardPara::min_spot},
    {403, 0, 180, 0, &WizardPara::match_angle},
    {243, 0, 9999, 540, &WizardPara::screen_off_time},
    {189, 0, 1000, 540, &WizardPara::auto_cancel_timelen},
    {185, 0, 50, 570, &WizardPara::max_mold_num},
    {186, 0, 500, 570, &WizardPara::ng_max_num},
    {187, 0, 500, 570, &WizardPara::ok_record_max_num},
};

struct SwitchDef {
    int text;
    int32_t WizardPara::*field;  // null: the raw image saving switch
};

const SwitchDef kSwitchTable[AdvanceFuncWidget::kSwitches] = {
    {254, &WizardPara::factory_param},       {342, &WizardPara::ignore_point_protect},
    {272, &WizardPara::snap_shot},           {556, &WizardPara::stop_detect_protect},
    {256, &WizardPara::enable_screen_alert}, {457, &WizardPara::template_is_ng},
    {191, &WizardPara::auto_region},         {470, &WizardPara::show_roi_live},
    {389, &WizardPara::save_ok_record},      {471, &WizardPara::show_cavity_no},
    {194, &WizardPara::enable_pass_protect}, {558, &WizardPara::log_to_file},
    {341, &WizardPara::temp_add_protect},    {201, nullptr},
};

QPushButton* fixedButton(const QString& text, int w, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setMinimumSize(w, 50);
    return b;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Advanced Param

AdvanceparamWidget::AdvanceparamWidget(QWidget* parent) : BWidget(parent) {
    setStyleSheet(kPageStyle);
    auto* saveRow = new QHBoxLayout;
    saveRow->setSpacing(20);
    auto* nameLabel = new QLabel(setText(261), this);
    nameLabel->setMinimumSize(130, 50);
    groupNameEdit = new BLineEdit(this, setText(261), QString(), 1);
    groupNameEdit->setFixedSize(200, 50);
    groupBackupButton = fixedButton(setText(182), 100, this);
    saveRow->addWidget(nameLabel);
    saveRow->addWidget(groupNameEdit);
    saveRow->addWidget(groupBackupButton);
    saveRow->addStretch();

    auto* readRow = new QHBoxLayout;
    readRow->setSpacing(20);
    auto* listLabel = new QLabel(setText(571), this);
    listLabel->setMinimumSize(130, 50);
    groupBox = new QComboBox(this);
    groupBox->setItemDelegate(new QStyledItemDelegate(groupBox));
    groupBox->setFixedSize(200, 50);
    groupRestoreButton = fixedButton(setText(183), 100, this);
    groupDeleteButton = fixedButton(setText(184), 100, this);
    readRow->addWidget(listLabel);
    readRow->addWidget(groupBox);
    readRow->addWidget(groupRestoreButton);
    readRow->addWidget(groupDeleteButton);
    readRow->addStretch();
    // The two captions share one column width so that the fields line up in every language.
    const int captionW = qMax(nameLabel->sizeHint().width(), listLabel->sizeHint().width());
    nameLabel->setMinimumWidth(qMax(130, captionW));
    listLabel->setMinimumWidth(qMax(130, captionW));

    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(20);
    grid->setHorizontalSpacing(20);
    for (int i = 0; i < kRows; ++i) {
        const SliderDef& d = kSliders[i];
        const QString unit = d.unit > 0 ? setText(d.unit) : d.unit < 0 ? tr("个") : QString();
        rows[i] = addSliderRow(this, grid, i, setText(d.text), d.min, d.max, 1, unit);
        connect(rows[i].slider, &QSlider::valueChanged, this, &AdvanceparamWidget::slotQSliderValue);
    }
    grid->setColumnMinimumWidth(0, 220);
    grid->setColumnStretch(4, 1);

    auto* col = new QVBoxLayout(this);
    col->setSpacing(20);
    col->setContentsMargins(100, 40, 50, 30);
    col->addLayout(saveRow);
    col->addLayout(readRow);
    col->addLayout(grid);
    col->addStretch();
}

void AdvanceparamWidget::slotQSliderValue(int value) {
    for (int i = 0; i < kRows; ++i) {
        if (sender() != rows[i].slider) continue;
        if (i == kScreenOff && value > 0 && value < 10) {
            rows[i].slider->setValue(10);  // comes back here with 10
            return;
        }
        rows[i].showValue();
    }
}

void AdvanceparamWidget::WizardParaInit() {
    if (gpWParaBak) {
        for (int i = 0; i < kRows; ++i) rows[i].load(gpWParaBak->*kSliders[i].field);
    }
    // The active group is shown chosen, its name in the field (the list's change handler copies it).
    groupNameEdit->clear();
    groupBox->setCurrentIndex(0);
    groupNameEdit->clear();
    const int active = gpWPara ? gpWPara->para_group_index : -1;
    if (active >= 0 && active < groupBox->count()) {
        groupBox->setCurrentIndex(-1);
        groupBox->setCurrentIndex(active);
    }
}

void AdvanceparamWidget::accept() {
    if (!gpWParaBak) return;
    for (int i = 0; i < kRows; ++i) {
        int32_t& f = gpWParaBak->*kSliders[i].field;
        f = rows[i].storedValue(f);
    }
}

// ---------------------------------------------------------------------------------------------------
// Advanced features

AdvanceFuncWidget::AdvanceFuncWidget(QWidget* parent) : BWidget(parent) {
    setStyleSheet(kPageStyle);
    auto* grid = new QGridLayout;
    grid->setSpacing(20);
    for (int i = 0; i < kSwitches; ++i) {
        switchLabels[i] = new QLabel(setText(kSwitchTable[i].text), this);
        switchLabels[i]->setWordWrap(true);
        switches[i] = new CheckBox(this, QString());
        grid->addWidget(switchLabels[i], i / 2, (i % 2) * 2);
        grid->addWidget(switches[i], i / 2, (i % 2) * 2 + 1);
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    updateButton = fixedButton(setText(325), 200, this);
    modifyTimeButton = fixedButton(setText(401), 200, this);
    calibrateButton = fixedButton(setText(458).replace(QLatin1String(" \n "), QLatin1String(" ")), 200, this);
    exportButton = fixedButton(setText(326), 200, this);
    factoryButton = fixedButton(setText(551), 200, this);
    hardwareButton = fixedButton(setText(660), 200, this);
    exitButton = fixedButton(setText(210), 200, this);
    exitButton->hide();
    auto* row1 = new QHBoxLayout;
    auto* row2 = new QHBoxLayout;
    for (QHBoxLayout* r : {row1, row2}) {
        r->setSpacing(20);
        r->setContentsMargins(0, 30, 0, 0);
    }
    for (QPushButton* b : {updateButton, modifyTimeButton, calibrateButton}) row1->addWidget(b);
    for (QPushButton* b : {exportButton, factoryButton, hardwareButton}) row2->addWidget(b);
    row1->addStretch();
    row2->addStretch();

    auto* col = new QVBoxLayout(this);
    col->setSpacing(0);
    col->setContentsMargins(30, 15, 5, 5);
    col->addLayout(grid);
    col->addLayout(row1);
    col->addLayout(row2);
    col->addStretch();
}

void AdvanceFuncWidget::WizardParaInit() {
    for (int i = 0; i < kSwitches; ++i) {
        if (kSwitchTable[i].field) {
            if (gpWParaBak) switches[i]->setValue(gpWParaBak->*kSwitchTable[i].field);
        } else {
            const SettingsHost& host = settingsHost();
            switches[i]->setValue(host.rawImageSaving && host.rawImageSaving());
        }
    }
}

void AdvanceFuncWidget::accept() {
    // The raw image switch is no parameter: the commit applies it once the operator has not declined.
    if (!gpWParaBak) return;
    for (int i = 0; i < kSwitches; ++i)
        if (kSwitchTable[i].field) {
            int32_t& f = gpWParaBak->*kSwitchTable[i].field;
            f = storedSwitch(switches[i]->value() != 0, f);
        }
}
