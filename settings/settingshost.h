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
    std::function<void()> askProductList;             // the bridge asks its client (kind 14)
    std::function<void()> askRemindList;              // the bridge asks its client (kind 17)
};

SettingsHost& settingsHost();
void resetSettingsHost();
