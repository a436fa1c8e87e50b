#include "netinterfaces.h"

#include <arpa/inet.h>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
void readHardwareAddress(const char* name, uint8_t mac[6]) {
    std::memset(mac, 0, 6);
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    struct ifreq req;
    std::memset(&req, 0, sizeof(req));
    std::strncpy(req.ifr_name, name, IFNAMSIZ - 1);
    if (::ioctl(fd, SIOCGIFHWADDR, &req) == 0) std::memcpy(mac, req.ifr_hwaddr.sa_data, 6);
    ::close(fd);
}
}  // namespace

bool SystemInterfaceSource::list(std::vector<NetInterface>* out) {
    out->clear();
    struct ifaddrs* all = nullptr;
    if (::getifaddrs(&all) != 0) return false;
    for (struct ifaddrs* a = all; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET || !a->ifa_name) continue;
        NetInterface n;
        n.name = QByteArray(a->ifa_name);
        n.ip = ntohl(reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr.s_addr);
        if (a->ifa_netmask)
            n.mask = ntohl(reinterpret_cast<const sockaddr_in*>(a->ifa_netmask)->sin_addr.s_addr);
        readHardwareAddress(a->ifa_name, n.mac);
        out->push_back(n);
    }
    ::freeifaddrs(all);
    return true;
}
