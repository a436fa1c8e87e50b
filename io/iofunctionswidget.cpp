#include "iofunctionswidget.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "iosettingsdialog.h"
#include "widgets/checkbox.h"
#include "widgets/kittext.h"

namespace {

struct Option {
    int textId;
    int32_t WizardPara::*field;
};

// Grid order: row 0 left, row 0 right, row 1 left ...
const Option kOptionTable[IOFunctionsWidget::kOptions] = {
    {179, &WizardPara::enable_stop_mold},
    {178, &WizardPara::mold_cutoff},
    {190, &WizardPara::enable_stop_not_alarm},
    {597, &WizardPara::cavity_ng_clamp},
    {202, &WizardPara::ok_ng_pulse},
    {193, &WizardPara::is_cut_ontime},
    {513, &WizardPara::is_cut_ontime_thimble},
    {265, &WizardPara::enable_trigger_safety},
    {195, &WizardPara::enable_disarm_before_open},
    {555, &WizardPara::temp_alarm_clamp},
    {515, &WizardPara::cut_thimble_on_prod_alarm},
    {589, &WizardPara::cut_clamp_on_mold_alarm},
    {592, &WizardPara::detect_any_order},
    {594, &WizardPara::cavity_trigger_recheck},
    {192, &WizardPara::enable_cutoff_ontime},
};

const int kInitialStateText[IOFunctionsWidget::kInitialStates] = {273, 274, 275, 281};
constexpr int kBreak = 204;
constexpr int kLabelPx = 22;       // caption size of the page's style sheet
constexpr int kLabelColumn = 560;  // width of a caption column on the 1565-pixel page
constexpr int kClose = 211;

QButtonGroup* radioRow(QWidget* page, QBoxLayout* row, const QList<int>& textIds) {
    auto* group = new QButtonGroup(page);
    for (int id = 0; id < textIds.size(); ++id) {
        auto* b = new QRadioButton(kitText(textIds[id]), page);
        group->addButton(b, id);
        row->addWidget(b);
    }
    return group;
}

}  // namespace

void checkGroupId(QButtonGroup* group, int id) {
    if (!group) return;
    if (QAbstractButton* b = group->button(id)) {
        b->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; let go of it for a moment to clear them all.
    const bool exclusive = group->exclusive();
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(exclusive);
}

void storeCheckedId(const QButtonGroup* group, int32_t* field) {
    if (!group || !field) return;
    const int id = group->checkedId();
    if (id >= 0) *field = id;
}

IOFunctionsWidget::IOFunctionsWidget(QWidget* parent, IOSettingsDialog* dialog)
    : BWidget(parent), m_dialog(dialog) {
    setStyleSheet("QLabel{font-size:22px;color:#656263;}");

    auto* grid = new QGridLayout;
    grid->setSpacing(20);
    grid->setContentsMargins(7, 7, 7, 7);
    for (int i = 0; i < kOptions; ++i) {
        optionLabels[i] = new QLabel(kitText(kOptionTable[i].textId), this);
        optionLabels[i]->setWordWrap(true);
        // A caption longer than its column takes two lines; give it their height, or the grid cuts it.
        QFont font = optionLabels[i]->font();
        font.setPixelSize(kLabelPx);
        if (QFontMetrics(font).horizontalAdvance(optionLabels[i]->text()) > kLabelColumn)
            optionLabels[i]->setMinimumHeight(2 * QFontMetrics(font).lineSpacing() + 4);
        options[i] = new CheckBox(this, QString());
        const int row = i / 2;
        const int col = (i % 2) * 2;
        grid->addWidget(optionLabels[i], row, col);
        grid->addWidget(options[i], row, col + 1);
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    auto* inRow = new QHBoxLayout;
    // Captions sit close to their own circles and well apart from the next (radio spacing 10 px).
    inRow->setSpacing(36);
    inRow->setContentsMargins(7, 7, 7, 7);
    inRow->addWidget(new QLabel(kitText(203), this));
    inputMirror = radioRow(this, inRow, {304, 301, 302, 303});
    inRow->addStretch();

    auto* outRow = new QHBoxLayout;
    outRow->setSpacing(36);
    outRow->setContentsMargins(7, 7, 7, 7);
    outRow->addWidget(new QLabel(kitText(334), this));
    outputMirror = radioRow(this, outRow, {304, 305, 306, 307});
    outRow->addStretch();

    QHBoxLayout* stateRows[2] = {new QHBoxLayout, new QHBoxLayout};
    for (int i = 0; i < kInitialStates; ++i) {
        QHBoxLayout* row = stateRows[i / 2];
        row->setSpacing(36);
        initialStateLabels[i] = new QLabel(kitText(kInitialStateText[i]), this);
        row->addWidget(initialStateLabels[i]);
        initialState[i] = radioRow(this, row, {kBreak, kClose});
        if (i % 2 == 0) row->addSpacing(60);
    }
    for (QHBoxLayout* row : stateRows) row->addStretch();

    auto* col = new QVBoxLayout(this);
    col->setSpacing(10);
    col->setContentsMargins(50, 20, 50, 20);  // fits the 902-pixel page area
    col->addLayout(grid);
    col->addLayout(inRow);
    col->addLayout(outRow);
    col->addWidget(createHorizontalSplitLine(this, "#f5f5f5"));
    col->addLayout(stateRows[0]);
    col->addLayout(stateRows[1]);
    col->addStretch();
}

void IOFunctionsWidget::WizardParaInit() {
    if (!gpWParaBak) return;
    const WizardPara& p = *gpWParaBak;
    for (int i = 0; i < kOptions; ++i) options[i]->setValue(p.*kOptionTable[i].field);
    checkGroupId(inputMirror, p.enable_output_thimble_pulse);
    checkGroupId(outputMirror, p.enable_mold_backup);
    for (int i = 0; i < kInitialStates; ++i) checkGroupId(initialState[i], p.output_inverted[i]);
}

void IOFunctionsWidget::accept() {
    if (!gpWParaBak) return;
    WizardPara& p = *gpWParaBak;
    // A ticked box keeps a stored non-zero value as it is: showing the page rewrites nothing.
    for (int i = 0; i < kOptions; ++i) {
        int32_t& f = p.*kOptionTable[i].field;
        f = options[i]->value() ? (f != 0 ? f : 1) : 0;
    }
    storeCheckedId(inputMirror, &p.enable_output_thimble_pulse);
    storeCheckedId(outputMirror, &p.enable_mold_backup);
    for (int i = 0; i < kInitialStates; ++i) storeCheckedId(initialState[i], &p.output_inverted[i]);
}

void IOFunctionsWidget::showEvent(QShowEvent* event) {
    const bool factory = m_dialog && m_dialog->factoryParamShown();
    for (int i = 0; i < kInitialStates; ++i) {
        initialStateLabels[i]->setVisible(factory);
        for (QAbstractButton* b : initialState[i]->buttons()) b->setVisible(factory);
    }
    BWidget::showEvent(event);
}
