#include "kithost.h"

#include "app/mainwindowbase.h"

namespace {
KitHost g_host;
}

KitHost& kitHost() {
    return g_host;
}

void resetKitHost() {
    g_host = KitHost();
}

int kitCameraBackend() {
    return g_host.cameraBackend ? g_host.cameraBackend() : 0;
}

void kitBacklightOn() {
    if (g_host.backlightOn)
        g_host.backlightOn();
    else if (gpWin)
        gpWin->screenOff = 0;
}

bool kitHasRecord() {
    return g_host.screenOffSeconds && g_host.logoutSeconds;
}
