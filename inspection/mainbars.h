#pragma once
// The bars of the main screen. Each exists with what the main window needs of it now; their buttons,
// lists and pictures are filled in by the screens that own them.
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "optionbar.h"
#include "titlebar.h"

class ColorButton;
class ComboBox;
class QLabel;

// Region bar (index 1 of the bar stack).
class RegiOption : public QWidget {
    Q_OBJECT
public:
    enum BTN_TYPE { BTN_NONE = 0, BTN_DELETE_TEMP = 1, BTN_ADD_TEMP = 2, BTN_END_SET = 3, BTN_LIVE_TEMP = 4 };
    Q_ENUM(BTN_TYPE)
    explicit RegiOption(QWidget* parent = nullptr);
    // Takes over the picture source chosen in the alarm bar.
    void CheckSource(int source);
    BOptionButton* button(BTN_TYPE type) const { return type >= 1 && type <= 4 ? buttons_[type - 1] : nullptr; }

    // The archived OK or NG picture browsed with the record sources.
    QString picName;  // file name without ".jpg"; empty when the folder holds none
    QImage picture;
    int recordCamera = 0;
    int recordDetect = 0;
    int picCount = 0;
    int okFlag = 0;    // 1 while browsing OK records, 0 for NG records
    int picIndex = 0;  // 0 = newest
public slots:
    void SlotTempLast();
    void SlotTempNext();
signals:
    void btnsToggled(RegiOption::BTN_TYPE type, bool checked);

private:
    BOptionButton* buttons_[4] = {};
};

// Alarm bar (index 2 of the bar stack).
class AlarmOption : public QWidget {
    Q_OBJECT
public:
    enum BTN_TYPE {
        BTN_NONE = 0,
        BTN_LIVE_TEMP = 1,
        BTN_NO_CHECK = 2,
        BTN_RECHECK = 3,
        BTN_ADD_TEMP = 4,
        BTN_IGNORE_POINT = 5,
        BTN_DELETE_IGNORED = 6
    };
    Q_ENUM(BTN_TYPE)
    explicit AlarmOption(QWidget* parent = nullptr);
    // The camera whose alarm the bar acts on (a view index of the main window).
    void SetCamera(int camera) { currentCamera = camera; }
    int currentCamera = 0;
signals:
    void btnsToggled(AlarmOption::BTN_TYPE type, bool checked);
    void AlarmChangeSource(int source);
};

// The 240-pixel strip at the right of the camera area: logo, snapshot buttons and the step chooser.
// Every button is created hidden; only the product and mould snapshot buttons are ever shown here,
// by ShowHide, from the parameters. The others are reached through the option bar.
class IndexButton : public QWidget {
    Q_OBJECT
public:
    // In creation order.
    enum Button {
        BtnMultiScreen = 0,  // "Multi-screen"        -> SlotReturn()
        BtnStartStop,        // "Stop Detection"      -> SlotStartStop()
        BtnSystemParam,      // "System Param"        -> nothing
        BtnReTrain,          // "Resample"            -> SlotReTrain()
        BtnAdjustArea,       // "Area Settings"       -> SlotAdjustArea()
        BtnAccount,          // "Account management"  -> SlotAccount()
        BtnHelp,             // "Help"                -> SlotHelp()
        BtnSnapshot,         // "Snapshot"            -> SlotMuliManualTrig()
        BtnMouldSnapshot,    // "Mold snapshot"       -> SlotManualTrig1()
        BtnProductSnapshot,  // "Pro snapshot"        -> SlotManualTrig0()
        ButtonCount
    };
    Q_ENUM(Button)

    // Builds the panel at the right edge of the camera area. Each button's clicked() is connected to
    // the window's slot of the table above when the window has that slot.
    explicit IndexButton(QWidget* window = nullptr);

    // Shows the product snapshot button when manual snapshots are shown, product detection is on and
    // the procedure is not multi-detection; the mould snapshot button the same without the product
    // condition. The argument is not used.
    void ShowHide(int unused = 0);
    // ShowHide, then the step chooser.
    void Reset();
    // Fills the step chooser with "1st".."Nth" for the multi-detection step count (at most 8).
    void ResetComboChooseManualTrig();
    // The step chosen for a manual multi-detection snapshot; -1 when the chooser is empty.
    int CurChooseTrig() const;

    ColorButton* button(Button b) const { return buttons_[b]; }
    ComboBox* stepCombo() const { return stepCombo_; }
    bool hasLogo() const { return logoFlag_; }
    // The window slot a button is wired to ("SlotReturn()"), or null.
    static const char* slotOf(Button b);
    // The language id of a button's text.
    static int textIdOf(Button b);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool logoFlag_ = false;
    QPixmap logoPixmap_;
    QLabel* logo_ = nullptr;
    ColorButton* buttons_[ButtonCount] = {};
    ComboBox* stepCombo_ = nullptr;
    int toggleZone_ = 110;
};
