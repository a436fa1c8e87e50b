#pragma once
// What the settings dialog needs of the main window that holds it. The main window installs the hooks
// when it creates the dialog; tests install fakes. An unset hook does nothing. Operation records and
// closing the databases go through gpWin (app/mainwindowbase.h).
#include <functional>

struct SettingsHost {
    std::function<void()> showImagePage;              // page stack back to the camera views (page 0)
    std::function<void(int)> showHideViewTools;       // MainWindow::MShowHide
    std::function<void()> repaintViews;               // update() on every view in use
    std::function<void()> showCustomIONames;          // the custom IO names dialog
    std::function<void()> showHardwareConfiguration;  // the hardware configuration dialog

    // What a saved commit re-applies.
    std::function<void(int)> setMouldSide;           // 1 left, 0 right (two-colour, turntable)
    std::function<void(int)> restartScreenOffTimer;  // seconds, above 0
    std::function<void()> refreshIndexPanel;         // IndexButton::ShowHide
    // The main window's raw image saving switch ("Save all as test images"), off after every start.
    std::function<bool()> rawImageSaving;
    std::function<void(bool)> setRawImageSaving;
    std::function<void()> askProductList;  // the bridge asks its client (kind 14)
    std::function<void()> askRemindList;   // the bridge asks its client (kind 17)
};

SettingsHost& settingsHost();
void resetSettingsHost();
