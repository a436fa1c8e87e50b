#pragma once
// Pages of the "System Param" and "system log" groups of the settings dialog. The two editing pages
// work on the working copy gpWParaBak only: WizardParaInit loads the controls, accept stores them.
#include "sliderrows.h"
#include "widgets/bwidget.h"

class BLineEdit;
class CheckBox;
class PageControlBar;
class QButtonGroup;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTableView;

class SystemParamsWidget : public BWidget {
    Q_OBJECT
public:
    // Row order: step 1 delay, step 2 delay, filter size, alarm area, re-check count, re-check delay.
    enum Row { kProdDelay = 0, kMoldDelay, kFilter, kArea, kReCheck, kReCheckDelay, kRows };

    explicit SystemParamsWidget(QWidget* parent = nullptr);
    void WizardParaInit();
    void accept();
    // Names the re-check row: "Re-Mold", or in multi-detection "re-detect" with the last step.
    void paraInit();

    SliderRow rows[kRows];
    QLabel* reCheck1Label;  // caption of the re-check row

public slots:
    // Rewrites the shown value of the slider that sent valueChanged(int).
    void slotQSliderValue(int);
};

class SystemFunctionsWidget : public BWidget {
    Q_OBJECT
public:
    // Switch order (label and box pairs, row by row).
    enum Switch { kProdDetect = 0, kSemiAuto, kSameParams, kPositioning, kPassword, kAutoUpdate, kSwitches };

    explicit SystemFunctionsWidget(QWidget* parent = nullptr);
    void WizardParaInit();
    void accept();

    CheckBox* switches[kSwitches] = {};
    QLabel* switchLabels[kSwitches] = {};
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
    QLabel* statusLabel;
    PageControlBar* pageBar;
    int pages = 0;        // pages of the day shown
    int currentPage = 0;  // 1-based; 0 without pages
    int pageRange = 0;    // scroll range of one page

    // Pages of `table`: 0 without rows; otherwise the rows that fit in the visible height (at least
    // one) make one page.
    static int pageCountFor(int rows, int rowHeight, int visibleHeight);
    void pageCount(QTableView* table);

public slots:
    // A day's records were loaded into the table.
    void modelChange();
    // Follows the scroll position: the page shown is marked on the page bar.
    void slotQSliderValue(int value);

protected:
    void showEvent(QShowEvent* event) override;
};
