#pragma once
// Pages of the "Advanced Param" group of the settings dialog. Both work on the working copy gpWParaBak
// only: WizardParaInit loads the controls, accept stores them.
#include "sliderrows.h"
#include "widgets/bwidget.h"

class BLineEdit;
class CheckBox;
class QComboBox;
class QLabel;
class QPushButton;

class AdvanceparamWidget : public BWidget {
    Q_OBJECT
public:
    // Slider order.
    enum Row {
        kOffset = 0,
        kAmplify,
        kMinSpot,
        kAngle,
        kScreenOff,
        kLogout,
        kTemplates,
        kNgRec,
        kOkRec,
        kRows
    };

    explicit AdvanceparamWidget(QWidget* parent = nullptr);
    void WizardParaInit();
    void accept();

    BLineEdit* groupNameEdit;  // the name a backup is saved under (full keyboard)
    QComboBox* groupBox;       // the parameter groups under "./paraGroup", in name order
    QPushButton* groupBackupButton;
    QPushButton* groupRestoreButton;
    QPushButton* groupDeleteButton;
    SliderRow rows[kRows];

public slots:
    // Shows the moved slider's value; "Scr Off" from 1 to 9 is raised to 10 (0 means never).
    void slotQSliderValue(int);
};

class AdvanceFuncWidget : public BWidget {
    Q_OBJECT
public:
    // Switch order: row by row, left then right.
    enum Switch {
        kFactoryParam = 0,
        kIgnorePointProtect,
        kSnapshot,
        kStopDetectProtect,
        kScreenSound,
        kTemplateIsNg,
        kAutoRegion,
        kRoiLive,
        kSaveOk,
        kCavityNo,
        kPassProtect,
        kLogToFile,
        kTemplateProtect,
        kRawImages,  // the main window's raw image saving, not a parameter
        kSwitches
    };

    explicit AdvanceFuncWidget(QWidget* parent = nullptr);
    void WizardParaInit();
    void accept();

    CheckBox* switches[kSwitches] = {};
    QLabel* switchLabels[kSwitches] = {};
    QPushButton* updateButton;      // 325 "Update PG"
    QPushButton* exportButton;      // 326 "Export DT"
    QPushButton* factoryButton;     // 551 "restore factory set"
    QPushButton* modifyTimeButton;  // 401 "Modify Time"
    QPushButton* calibrateButton;   // 458 "calibrate \n touch screen"
    QPushButton* hardwareButton;    // the hardware configuration
    QPushButton* exitButton;        // 210 "Exit" (hidden: the panel's program is not left)
};
