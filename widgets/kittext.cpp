#include "kittext.h"

#include "app/globals.h"

QString kitText(int id) {
    if (id < 0 || id >= kLanIdCount) return QString();
    const int lan = (gLan >= 0 && gLan < kLanColumns) ? gLan : 0;
    return gaLanStr[id * kLanColumns + lan];
}
