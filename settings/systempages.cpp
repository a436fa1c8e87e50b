#include "systempages.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "app/msgbox.h"
#include "app/parametermanager.h"
#include "app/wizardpara.h"
#include "io/ledcontrol.h"
#include "platform/system/commandrunner.h"
#include "settingstext.h"
#include "widgets/blineedit.h"

SystemParamsWidget::SystemParamsWidget(QWidget* parent) : BWidget(parent) {
    reCheck1Label = new QLabel(this);
}

SystemFunctionsWidget::SystemFunctionsWidget(QWidget* parent) : BWidget(parent) {
    auto* grid = new QGridLayout(this);
    newPwdEdit = new BLineEdit(this, setText(171), QString(), 0);
    confirmPwdEdit = new BLineEdit(this, setText(171), QString(), 0);
    newPwdEdit->setEchoMode(QLineEdit::Password);
    confirmPwdEdit->setEchoMode(QLineEdit::Password);
    changePwdButton = new QPushButton(setText(171), this);
    resetCountButton = new QPushButton(setText(172), this);
    shutDownButton = new QPushButton(setText(209), this);
    grid->addWidget(newPwdEdit, 0, 0);
    grid->addWidget(confirmPwdEdit, 0, 1);
    grid->addWidget(changePwdButton, 0, 2);
    grid->addWidget(resetCountButton, 1, 0);
    grid->addWidget(shutDownButton, 1, 1);

    languageGroup = new QButtonGroup(this);
    const char* names[3] = {"简体中文", "English", "繁体中文"};
    for (int id = 0; id < 3; ++id) {
        auto* b = new QRadioButton(QString::fromUtf8(names[id]), this);
        languageGroup->addButton(b, id);
        grid->addWidget(b, 2, id);
        connect(b, &QRadioButton::clicked, this, &SystemFunctionsWidget::SlotChangeLan);
    }
    grid->setRowStretch(3, 1);
}

void SystemFunctionsWidget::WizardParaInit() {
    if (QAbstractButton* b = languageGroup->button(gLan)) b->setChecked(true);
}

void SystemFunctionsWidget::SlotChangeLan() {
    const int lan = languageGroup->checkedId();
    if (lan == gLan || lan < 0 || lan > 2) return;
    if (!showChooseBox(setText(318))) return;
    if (gpWin) gpWin->InsertRecord(setText(319));  // in the language being left
    gLan = lan;
    // Only this page is stored: the language change does not commit the dialog.
    accept();
    if (gpWPara && !gpWPara->SaveDatatoFile(ParameterManager::getInstance()->paramQuery))
        qWarning("language change: the parameters could not be saved");
    StopWTD();
    if (gpWin) gpWin->FLushAll();
    RunCommand(QStringLiteral("reboot"));
}

SystemLogWidget::SystemLogWidget(QWidget* parent) : BWidget(parent) {
    dayList = new QListWidget(this);
    dayList->setFixedWidth(200);
    recordTable = new QTableView(this);
    recordTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    recordTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* box = new QHBoxLayout(this);
    box->addWidget(dayList);
    box->addWidget(recordTable, 1);
}

void SystemLogWidget::modelChange() {
    recordTable->scrollToTop();
}
