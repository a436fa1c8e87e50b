#include "systempages.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTableView>
#include <QVBoxLayout>

#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "app/msgbox.h"
#include "app/parametermanager.h"
#include "app/wizardpara.h"
#include "io/ledcontrol.h"
#include "platform/system/commandrunner.h"
#include "settingstext.h"
#include "widgets/blineedit.h"
#include "widgets/checkbox.h"

namespace {

constexpr int kSeconds = 540;
const char* const kPageStyle =
    "QLabel{font-size:22px;color:#656263;}QPushButton{color:#656263;font-size:22px;}"
    "QRadioButton{font-size:22px;color:#656263;}";

bool multiDetection() {
    return gpWPara && gpWPara->detect_mode == kDetectMulti;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// System Param

SystemParamsWidget::SystemParamsWidget(QWidget* parent) : BWidget(parent) {
    setStyleSheet(kPageStyle);
    const bool multi = multiDetection();
    const struct {
        int text;
        int min, max, scale;
        bool seconds;
    } table[kRows] = {
        {multi ? 508 : 161, 0, 1000, 10, true},
        {multi ? 509 : 162, 0, 1000, 10, true},
        {22, 1, 10, 1, false},
        {24, 0, 1000, 1, false},
        {167, 0, 10, 1, false},
        {222, 0, 1000, 10, true},
    };
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(40);
    grid->setHorizontalSpacing(20);
    for (int i = 0; i < kRows; ++i) {
        rows[i] = addSliderRow(this, grid, i, setText(table[i].text), table[i].min, table[i].max,
                               table[i].scale, table[i].seconds ? setText(kSeconds) : QString());
        connect(rows[i].slider, &QSlider::valueChanged, this, &SystemParamsWidget::slotQSliderValue);
    }
    grid->setColumnMinimumWidth(0, 220);
    grid->setColumnStretch(4, 1);
    reCheck1Label = rows[kReCheck].caption;
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(100, 80, 50, 50);
    col->addLayout(grid);
    col->addStretch();
    paraInit();
}

void SystemParamsWidget::paraInit() {
    if (multiDetection())
        reCheck1Label->setText(setText(511).arg(setText(476 + qBound(2, gpWPara->multi_step_count, 8))));
    else
        reCheck1Label->setText(setText(167));
}

void SystemParamsWidget::slotQSliderValue(int) {
    for (const SliderRow& r : rows)
        if (sender() == r.slider) r.showValue();
}

void SystemParamsWidget::WizardParaInit() {
    if (!gpWParaBak) return;
    const WizardPara& p = *gpWParaBak;
    const int values[kRows] = {p.trig_in_delay[0], p.trig_in_delay[1],      p.minimum_size,
                               p.minimum_area,     p.front_auto_check_time, p.re_check_delay};
    for (int i = 0; i < kRows; ++i) rows[i].load(values[i]);
}

void SystemParamsWidget::accept() {
    if (!gpWParaBak) return;
    WizardPara& p = *gpWParaBak;
    p.trig_in_delay[0] = rows[kProdDelay].storedValue(p.trig_in_delay[0]);
    p.trig_in_delay[1] = rows[kMoldDelay].storedValue(p.trig_in_delay[1]);
    p.minimum_size = rows[kFilter].storedValue(p.minimum_size);
    p.minimum_area = rows[kArea].storedValue(p.minimum_area);
    p.front_auto_check_time = rows[kReCheck].storedValue(p.front_auto_check_time);
    p.re_check_delay = rows[kReCheckDelay].storedValue(p.re_check_delay);
}

// ---------------------------------------------------------------------------------------------------
// system function

namespace {
int32_t* switchField(WizardPara& p, int i) {
    int32_t* fields[SystemFunctionsWidget::kSwitches] = {&p.enable_prod_detect, &p.semi_auto,
                                                         &p.enabe_two_test,     &p.enable_correct,
                                                         &p.is_psw_used,        &p.template_auto_update};
    return fields[i];
}
}  // namespace

SystemFunctionsWidget::SystemFunctionsWidget(QWidget* parent) : BWidget(parent) {
    setStyleSheet(kPageStyle);
    const int texts[kSwitches] = {multiDetection() ? 510 : 175, 174, 177, 176, 170, 400};
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(20);
    grid->setVerticalSpacing(30);
    for (int i = 0; i < kSwitches; ++i) {
        switchLabels[i] = new QLabel(setText(texts[i]), this);
        switches[i] = new CheckBox(this, QString());
        grid->addWidget(switchLabels[i], i / 2, (i % 2) * 2);
        grid->addWidget(switches[i], i / 2, (i % 2) * 2 + 1);
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    // Template auto update belongs to the automatic-parts procedure only.
    const bool autoParts = gpWPara && gpWPara->detect_mode == kDetectAutoParts;
    switchLabels[kAutoUpdate]->setVisible(autoParts);
    switches[kAutoUpdate]->setVisible(autoParts);

    auto* lanRow = new QHBoxLayout;
    lanRow->setSpacing(40);
    auto* lanLabel = new QLabel(setText(587), this);
    lanLabel->setMinimumWidth(260);
    lanRow->addWidget(lanLabel);
    languageGroup = new QButtonGroup(this);
    const char* names[3] = {"简体中文", "English", "繁体中文"};
    for (int id = 0; id < 3; ++id) {
        auto* b = new QRadioButton(QString::fromUtf8(names[id]), this);
        languageGroup->addButton(b, id);
        lanRow->addWidget(b);
        connect(b, &QRadioButton::clicked, this, &SystemFunctionsWidget::SlotChangeLan);
    }
    lanRow->addStretch();

    auto* funcRow = new QHBoxLayout;
    funcRow->setSpacing(40);
    auto* funcLabel = new QLabel(setText(228), this);
    funcLabel->setMinimumWidth(260);
    resetCountButton = new QPushButton(setText(172), this);
    shutDownButton = new QPushButton(setText(209), this);
    funcRow->addWidget(funcLabel);
    for (QPushButton* b : {resetCountButton, shutDownButton}) {
        b->setMinimumSize(200, 50);
        funcRow->addWidget(b);
    }
    funcRow->addStretch();

    auto* pwdRow = new QHBoxLayout;
    pwdRow->setSpacing(20);
    newPwdEdit = new BLineEdit(this, tr("设置密码"), tr("建议设置6个以上字符"), 0);
    confirmPwdEdit = new BLineEdit(this, tr("设置密码"), tr("建议设置6个以上字符"), 0);
    changePwdButton = new QPushButton(setText(171), this);
    changePwdButton->setMinimumSize(200, 50);
    pwdRow->addWidget(new QLabel(setText(226), this));
    pwdRow->addWidget(newPwdEdit);
    pwdRow->addSpacing(20);
    pwdRow->addWidget(new QLabel(tr("确认:"), this));
    pwdRow->addWidget(confirmPwdEdit);
    pwdRow->addSpacing(20);
    pwdRow->addWidget(changePwdButton);
    pwdRow->addStretch();
    for (BLineEdit* e : {newPwdEdit, confirmPwdEdit}) {
        e->setEchoMode(QLineEdit::Password);
        e->setFixedSize(220, 50);
    }

    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(100, 60, 100, 50);
    col->setSpacing(40);
    col->addLayout(grid);
    col->addLayout(lanRow);
    col->addLayout(funcRow);
    col->addLayout(pwdRow);
    col->addStretch();
}

void SystemFunctionsWidget::WizardParaInit() {
    if (gpWParaBak) {
        WizardPara& p = *gpWParaBak;
        for (int i = 0; i < kSwitches; ++i) {
            const int v = *switchField(p, i);
            switches[i]->setValue(i == kPositioning ? v + 1 : v);
        }
    }
    if (QAbstractButton* b = languageGroup->button(gLan)) b->setChecked(true);
    newPwdEdit->clear();
    confirmPwdEdit->clear();
}

void SystemFunctionsWidget::accept() {
    if (!gpWParaBak) return;
    WizardPara& p = *gpWParaBak;
    for (int i = 0; i < kSwitches; ++i) {
        const int v = switches[i]->value();
        int32_t& f = *switchField(p, i);
        f = i == kPositioning ? v - 1 : storedSwitch(v != 0, f);
    }
}

void SystemFunctionsWidget::SlotChangeLan() {
    const int lan = languageGroup->checkedId();
    if (lan == gLan || lan < 0 || lan > 2) return;
    if (watchdogStopping()) {  // a stop path is under way: the language in use stays shown
        if (QAbstractButton* b = languageGroup->button(gLan)) b->setChecked(true);
        return;
    }
    if (!showChooseBox(setText(318))) {
        // Declined: the buttons show the language in use again.
        if (QAbstractButton* b = languageGroup->button(gLan)) b->setChecked(true);
        return;
    }
    // Only the language is stored: the language change does not commit the dialog.
    if (gpWPara && !gpWPara->WriteRows(ParameterManager::getInstance()->paramQuery, lan)) {
        const QString text = setText(600).arg(QStringLiteral("PARAM.db"));
        if (gpWin) gpWin->InsertRecord(text);
        showWarnBox(text);
        if (QAbstractButton* b = languageGroup->button(gLan)) b->setChecked(true);
        return;
    }
    if (gpWin) gpWin->InsertRecord(setText(319));  // written, in the language being left
    gLan = lan;
    StopWTD(this, [] {
        if (gpWin) gpWin->FLushAll();
        RunCommand(QStringLiteral("reboot"));
    });
}

// ---------------------------------------------------------------------------------------------------
// system log

SystemLogWidget::SystemLogWidget(QWidget* parent) : BWidget(parent) {
    dayList = new QListWidget(this);
    dayList->setFixedWidth(200);
    QFont listFont(QStringLiteral("wqy-microhei"));
    listFont.setPixelSize(15);
    dayList->setFont(listFont);
    recordTable = new QTableView(this);
    recordTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    recordTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    recordTable->setFont(listFont);
    recordTable->verticalScrollBar()->setStyleSheet(QStringLiteral("QScrollBar:vertical{width:30px;}"));
    statusLabel = new QLabel(this);
    statusLabel->setStyleSheet(QStringLiteral("font-size:20px;color:#656263;"));
    pageBar = new PageControlBar(this);

    auto* right = new QVBoxLayout;
    right->addWidget(recordTable, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(statusLabel);
    bottom->addStretch();
    bottom->addWidget(pageBar);
    right->addLayout(bottom);
    auto* box = new QHBoxLayout(this);
    box->addWidget(dayList);
    box->addLayout(right, 1);

    QScrollBar* bar = recordTable->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &SystemLogWidget::slotQSliderValue);
    connect(pageBar->firstButton, &QPushButton::clicked, this, [bar] { bar->setValue(bar->minimum()); });
    connect(pageBar->lastButton, &QPushButton::clicked, this, [bar] { bar->setValue(bar->maximum()); });
    connect(pageBar->previousButton, &QPushButton::clicked, this,
            [this, bar] { bar->setValue(bar->value() - qMax(1, pageRange)); });
    connect(pageBar->nextButton, &QPushButton::clicked, this,
            [this, bar] { bar->setValue(bar->value() + qMax(1, pageRange)); });
    QPushButton* numbered[4] = {pageBar->pageButton1, pageBar->pageButton2, pageBar->pageButton3,
                                pageBar->pageButton4};
    for (int k = 0; k < 4; ++k)
        connect(numbered[k], &QPushButton::clicked, this, [this, bar, k] {
            if (k < pages) bar->setValue(k * pageRange);
        });
}

int SystemLogWidget::pageCountFor(int rows, int rowHeight, int visibleHeight) {
    if (rows <= 0) return 0;
    const int perPage = rowHeight > 0 ? qMax(1, visibleHeight / rowHeight - 1) : 1;
    return (rows + perPage - 1) / perPage;
}

void SystemLogWidget::pageCount(QTableView* table) {
    const int rows = table && table->model() ? table->model()->rowCount() : 0;
    const int rowHeight = rows > 0 ? table->rowHeight(0) : 0;
    pages = pageCountFor(rows, rowHeight, table ? table->viewport()->height() : 0);
    pageRange = pages > 0 ? table->verticalScrollBar()->maximum() / pages : 0;
    // Only the pages there are get a numbered button.
    QPushButton* numbered[4] = {pageBar->pageButton1, pageBar->pageButton2, pageBar->pageButton3,
                                pageBar->pageButton4};
    for (int k = 0; k < 4; ++k) numbered[k]->setVisible(k < pages);
    statusLabel->setText(rows > 0 ? QStringLiteral("%1 / %2").arg(qMax(1, currentPage)).arg(pages)
                                  : QString());
}

void SystemLogWidget::modelChange() {
    pageCount(recordTable);
    currentPage = pages > 0 ? 1 : 0;
    recordTable->scrollToTop();
    slotQSliderValue(recordTable->verticalScrollBar()->value());
}

void SystemLogWidget::slotQSliderValue(int value) {
    if (pages <= 0) {
        currentPage = 0;
        statusLabel->clear();
        return;
    }
    currentPage = pageRange > 0 ? qBound(1, value / pageRange + 1, pages) : 1;
    QPushButton* numbered[4] = {pageBar->pageButton1, pageBar->pageButton2, pageBar->pageButton3,
                                pageBar->pageButton4};
    numbered[qMin(currentPage, 4) - 1]->setChecked(true);
    statusLabel->setText(QStringLiteral("%1 / %2").arg(currentPage).arg(pages));
}

void SystemLogWidget::showEvent(QShowEvent* event) {
    BWidget::showEvent(event);
    pageCount(recordTable);
}
