#pragma once
// Pages of the "System Param" and "system log" groups of the settings dialog.
#include "widgets/bwidget.h"

class BLineEdit;
class QButtonGroup;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTableView;

class SystemParamsWidget : public BWidget {
    Q_OBJECT
public:
    explicit SystemParamsWidget(QWidget* parent = nullptr);
    void WizardParaInit() {}
    void accept() {}

    QLabel* reCheck1Label;  // caption of the re-check row
};

class SystemFunctionsWidget : public BWidget {
    Q_OBJECT
public:
    explicit SystemFunctionsWidget(QWidget* parent = nullptr);
    void WizardParaInit();
    void accept() {}

    QPushButton* changePwdButton;   // 171 "Change PWD"
    QPushButton* resetCountButton;  // 172 "Reset Count"
    QPushButton* shutDownButton;    // 209 "Shut Down"
    BLineEdit* newPwdEdit;
    BLineEdit* confirmPwdEdit;
    QButtonGroup* languageGroup;  // ids 0 Simplified Chinese, 1 English, 2 Traditional Chinese

public slots:
    // Switches the interface language and restarts (a language change always ends in a reboot).
    void SlotChangeLan();
};

class SystemLogWidget : public BWidget {
    Q_OBJECT
public:
    explicit SystemLogWidget(QWidget* parent = nullptr);

    QListWidget* dayList;     // today first, then the archived days, newest first
    QTableView* recordTable;  // the records of the chosen day, read-only

public slots:
    // A day's records were loaded into the table.
    void modelChange();
};
