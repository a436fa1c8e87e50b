#include "settingstext.h"

#include "app/globals.h"

QString setText(int id) {
    if (id < 0 || id >= kLanIdCount || gLan < 0 || gLan >= kLanColumns) return QString();
    return gaLanStr[id * kLanColumns + gLan];
}
