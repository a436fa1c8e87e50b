#pragma once
#include <QByteArray>
#include <QString>

// Every absolute system path the program touches ("/etc/hostname", "/dev/led", "/dev/ttyS%1", "/mnt",
// "/proc/net/dev", "/sys/class/net/...") goes through SysPath. In the panel profile it is returned as it
// stands; in the simulated profile it is placed under the system root, by default "./sysroot" in the
// program directory. Relative paths are returned unchanged.
QString SysPath(const QString& path);
QByteArray SysPathC(const char* path);

// The directory standing for "/" (an absolute path), creating nothing.
QString sysRoot();
// Tests may point the system root elsewhere; an empty string restores the default.
void setSysRoot(const QString& dir);
// An absolute path placed under root, never above it.
QString rootedPath(const QString& root, const QString& absolutePath);
