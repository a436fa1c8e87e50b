#pragma once
// The bars of the main screen. Each exists with what the main window needs of it now; their buttons,
// lists and pictures are filled in by the screens that own them.
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include "optionbar.h"
#include "editor/regioption.h"
#include "titlebar.h"

class ColorButton;
class ComboBox;
class QLabel;

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
    // A press in the toggle zone (the left 110 pixels of the panel, over its whole height) applies
    // ShowHide again. The panel takes presses only on what it shows, so the zone is watched on the
    // top-level window (an event filter that lets every press go on to the widget below it).
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool inToggleZone(const QPoint& local) const;

    QPointer<QWindow> watchedWindow_;
    bool logoFlag_ = false;
    QPixmap logoPixmap_;
    QLabel* logo_ = nullptr;
    ColorButton* buttons_[ButtonCount] = {};
    ComboBox* stepCombo_ = nullptr;
    int toggleZone_ = 110;
};
