#pragma once
// What the widget kit needs of the layers above it (camera layer, parameter record, backlight).
// The start-up installs the hooks once those layers exist; tests install fakes. Main-window state
// (screen-off flag and timer, logout timer, current field) is read through gpWin.
#include <functional>

struct KitHost {
    // The camera back-end in use (gCameraID); unset: 0, no back-end.
    std::function<int()> cameraBackend;
    // Switches the LCD backlight on (LCDOnOff(1)), which clears gpWin->screenOff.
    // Unset: only the flag is cleared.
    std::function<void()> backlightOn;
    // Delays of the live parameter record in seconds (screen_off_time, auto_cancel_timelen).
    // Unset while the record does not exist yet: no delay timer is touched.
    std::function<int()> screenOffSeconds;
    std::function<int()> logoutSeconds;
};

KitHost& kitHost();
void resetKitHost();

int kitCameraBackend();
void kitBacklightOn();
bool kitHasRecord();  // both delay hooks installed
