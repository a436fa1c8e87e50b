#pragma once
// Address helpers of the GigE repair tests.
#include <QString>
#include <arpa/inet.h>
#include <cstdint>

#include "camera/cameraip.h"

// Host-order address of a dotted text (the tests' own constants).
inline uint32_t ip(const char* text) {
    in_addr a;
    if (inet_pton(AF_INET, text, &a) != 1) qFatal("bad address %s", text);
    return ntohl(a.s_addr);
}

inline QString ipText(uint32_t v) {
    char t[16];
    getStrIp(v, t);
    return QString::fromLatin1(t);
}
