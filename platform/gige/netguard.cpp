#include "netguard.h"

#include <QByteArray>
#include <cstdlib>
#include <sys/stat.h>

#include "platform/system/profile.h"

unsigned long long netNamespaceId(const char* procNsPath) {
    struct stat st;
    if (::stat(procNsPath, &st) != 0) return 0;
    return static_cast<unsigned long long>(st.st_ino);
}

bool realNetworkAllowed(QString* why) {
    auto refuse = [why](const QString& reason) {
        if (why) *why = reason;
        return false;
    };
    if (currentProfile() == Profile::Panel) return true;
    const unsigned long long own = netNamespaceId();
    if (own == 0) return refuse(QStringLiteral("own network namespace unknown"));
    const unsigned long long init = netNamespaceId("/proc/1/ns/net");
    if (init != 0 && init == own) return refuse(QStringLiteral("in the network namespace of process 1"));
    const char* host = std::getenv("MONITOR_HOST_NETNS");
    if (!host || !*host) return refuse(QStringLiteral("not inside a network namespace made for a test"));
    bool ok = false;
    const unsigned long long hostId = QByteArray(host).toULongLong(&ok);
    if (!ok || hostId == 0) return refuse(QStringLiteral("MONITOR_HOST_NETNS is not a namespace id"));
    if (hostId == own) return refuse(QStringLiteral("in the machine's own network namespace"));
    return true;
}
