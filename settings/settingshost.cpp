#include "settingshost.h"

SettingsHost& settingsHost() {
    static SettingsHost host;
    return host;
}

void resetSettingsHost() {
    settingsHost() = SettingsHost();
}
