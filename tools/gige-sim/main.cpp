// gige-camera-sim: one fake GigE camera on a real UDP socket, for the address repair's tests in
// network namespaces. It takes an interface that the test moved into its namespace, gives it the
// camera's address, answers discovery and force-IP on port 3956 (broadcast answers, as the cameras
// do) and moves the interface's address when a force-IP arrives. The kernel of its namespace answers
// ARP for the camera's address and for an optional extra "busy" address.
//
// It refuses to run outside a network namespace made by the test harness (MONITOR_HOST_NETNS).
//
//   gige-camera-sim --iface cam0 --address 198.51.100.7/24 [--busy 192.0.2.77] [--serial SN]
//                   [--maker-info F622-SIM] [--ready FILE] [--lifetime SECONDS]
#include <QByteArray>
#include <QFile>
#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include "gigesim.h"
#include "platform/gige/gvcptransport.h"
#include "platform/gige/netguard.h"
#include "platform/system/profile.h"

namespace {
volatile sig_atomic_t gStop = 0;
void onSignal(int) {
    gStop = 1;
}

bool parseAddress(const char* text, uint32_t* ip, uint32_t* mask) {
    QByteArray t(text);
    int bits = 32;
    const int slash = t.indexOf('/');
    if (slash >= 0) {
        bits = t.mid(slash + 1).toInt();
        t = t.left(slash);
    }
    in_addr a;
    if (bits < 0 || bits > 32 || inet_pton(AF_INET, t.constData(), &a) != 1) return false;
    *ip = ntohl(a.s_addr);
    *mask = bits == 0 ? 0 : ~uint32_t(0) << (32 - bits);
    return true;
}

bool ifreqCall(int fd, unsigned long request, const char* name, ifreq* req) {
    std::strncpy(req->ifr_name, name, IFNAMSIZ - 1);
    return ::ioctl(fd, request, req) == 0;
}

bool setAddress(const char* name, uint32_t ip, uint32_t mask) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    ifreq req;
    std::memset(&req, 0, sizeof(req));
    auto* sin = reinterpret_cast<sockaddr_in*>(&req.ifr_addr);
    sin->sin_family = AF_INET;
    sin->sin_addr.s_addr = htonl(ip);
    bool ok = ifreqCall(fd, SIOCSIFADDR, name, &req);
    sin->sin_addr.s_addr = htonl(mask);
    ok = ok && ifreqCall(fd, SIOCSIFNETMASK, name, &req);
    std::memset(&req, 0, sizeof(req));
    ok = ok && ifreqCall(fd, SIOCGIFFLAGS, name, &req);
    req.ifr_flags = short(req.ifr_flags | IFF_UP);
    ok = ok && ifreqCall(fd, SIOCSIFFLAGS, name, &req);
    ::close(fd);
    return ok;
}

bool readMac(const char* name, uint8_t mac[6]) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    ifreq req;
    std::memset(&req, 0, sizeof(req));
    const bool ok = ifreqCall(fd, SIOCGIFHWADDR, name, &req);
    if (ok) std::memcpy(mac, req.ifr_hwaddr.sa_data, 6);
    ::close(fd);
    return ok;
}

void writeSysctl(const QByteArray& path, const char* value) {
    QFile f(QString::fromLatin1(path));
    if (f.open(QIODevice::WriteOnly)) f.write(value);
}

void logLine(const char* what, uint32_t ip) {
    char t[INET_ADDRSTRLEN];
    const in_addr a{htonl(ip)};
    inet_ntop(AF_INET, &a, t, sizeof(t));
    std::fprintf(stderr, "gige-camera-sim: %s %s\n", what, t);
}
}  // namespace

int main(int argc, char* argv[]) {
    QByteArray iface = "cam0", readyFile;
    const char* address = nullptr;
    const char* busy = nullptr;
    gigesim::CameraState state;
    int lifetime = 120;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray k(argv[i]);
        const char* v = argv[i + 1];
        if (k == "--iface")
            iface = v;
        else if (k == "--address")
            address = v;
        else if (k == "--busy")
            busy = v;
        else if (k == "--serial")
            state.serial = v;
        else if (k == "--maker-info")
            state.makerInfo = v;
        else if (k == "--ready")
            readyFile = v;
        else if (k == "--lifetime")
            lifetime = atoi(v);
    }
    if (!address || !parseAddress(address, &state.ip, &state.mask)) {
        std::fprintf(stderr, "gige-camera-sim: --address a.b.c.d/len is required\n");
        return 2;
    }
    // Ends with the harness that started it.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);

    setProfile(Profile::Simulated);
    QString why;
    if (!realNetworkAllowed(&why)) {
        std::fprintf(stderr, "gige-camera-sim: refusing to run: %s\n", qPrintable(why));
        return 3;
    }
    // The interface arrives once the harness has moved it into this namespace.
    for (int waited = 0; ::if_nametoindex(iface.constData()) == 0; waited += 10) {
        if (waited > 10000 || gStop) {
            std::fprintf(stderr, "gige-camera-sim: no interface %s\n", iface.constData());
            return 4;
        }
        ::usleep(10000);
    }
    if (!readMac(iface.constData(), state.mac)) return 4;
    // Accept requests from any subnet, as a camera does.
    writeSysctl("/proc/sys/net/ipv4/conf/all/rp_filter", "0");
    writeSysctl("/proc/sys/net/ipv4/conf/default/rp_filter", "0");
    writeSysctl("/proc/sys/net/ipv4/conf/" + iface + "/rp_filter", "0");
    if (!setAddress(iface.constData(), state.ip, state.mask)) {
        std::perror("gige-camera-sim: address");
        return 4;
    }
    uint32_t busyIp = 0, busyMask = 0;
    if (busy && (!parseAddress(busy, &busyIp, &busyMask) ||
                 !setAddress((iface + ":1").constData(), busyIp, 0xFFFFFFFFu))) {
        std::perror("gige-camera-sim: busy address");
        return 4;
    }

    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    sockaddr_in local;
    std::memset(&local, 0, sizeof(local));
    local.sin_family = AF_INET;
    local.sin_port = htons(kGvcpPort);
    if (fd < 0 || ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof(on)) != 0 ||
        ::setsockopt(fd, SOL_SOCKET, SO_BINDTODEVICE, iface.constData(), socklen_t(iface.size())) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0) {
        std::perror("gige-camera-sim: socket");
        return 4;
    }
    gigesim::FakeGigeCamera camera(state);
    logLine("answering at", state.ip);
    if (!readyFile.isEmpty()) {
        QFile f(QString::fromLocal8Bit(readyFile));
        if (!f.open(QIODevice::WriteOnly) || f.write("ready\n") != 6) return 4;
    }

    const time_t end = ::time(nullptr) + lifetime;
    char buf[1500];
    while (!gStop && ::time(nullptr) < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        sockaddr_in from;
        socklen_t fromLen = sizeof(from);
        const ssize_t n = ::recvfrom(fd, buf, sizeof(buf), 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n <= 0) continue;
        const QByteArray request(buf, int(n));
        const gigesim::CameraState before = camera.state();
        const QList<QByteArray> answers = camera.handle(request);
        sockaddr_in to = from;
        if (n >= 2 && (uint8_t(buf[1]) & 0x10)) to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
        for (const QByteArray& a : answers)
            ::sendto(fd, a.constData(), size_t(a.size()), 0, reinterpret_cast<const sockaddr*>(&to),
                     sizeof(to));
        const gigesim::CameraState after = camera.state();
        if (after.ip != before.ip || after.mask != before.mask) {
            logLine("moved to", after.ip);
            setAddress(iface.constData(), after.ip, after.mask);
        }
    }
    ::close(fd);
    return 0;
}
