#pragma once
// Pages of the "Advanced Param" group of the settings dialog.
#include "widgets/bwidget.h"

class QComboBox;
class QLineEdit;
class QPushButton;

class AdvanceparamWidget : public BWidget {
    Q_OBJECT
public:
    explicit AdvanceparamWidget(QWidget* parent = nullptr);
    void WizardParaInit() {}
    void accept() {}

    QComboBox* groupBox;  // the parameter groups under "./paraGroup"
    QLineEdit* groupNameEdit;
    QPushButton* groupBackupButton;
    QPushButton* groupRestoreButton;
    QPushButton* groupDeleteButton;
};

class AdvanceFuncWidget : public BWidget {
    Q_OBJECT
public:
    explicit AdvanceFuncWidget(QWidget* parent = nullptr);
    void WizardParaInit() {}
    void accept() {}

    QPushButton* updateButton;      // 325 "Update PG"
    QPushButton* exportButton;      // 326 "Export DT"
    QPushButton* factoryButton;     // 551 "restore factory set"
    QPushButton* modifyTimeButton;  // 401 "Modify Time"
    QPushButton* calibrateButton;   // 458 "calibrate \n touch screen"
    QPushButton* hardwareButton;    // hardware configuration (hidden)
    QPushButton* exitButton;        // 210 "Exit" (hidden)
};
