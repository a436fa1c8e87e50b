#include "arping.h"

#include <QtDebug>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "gigeenv.h"
#include "gvcp.h"
#include "platform/gige/netguard.h"

namespace {
constexpr uint16_t kArpRequest = 1;
constexpr uint16_t kArpReply = 2;
// Offsets in the Ethernet frame.
constexpr int kEthType = 12;
constexpr int kArp = 14;
constexpr int kArpOp = kArp + 6;
constexpr int kArpSenderMac = kArp + 8;
constexpr int kArpSenderIp = kArp + 14;
constexpr int kArpTargetMac = kArp + 18;
constexpr int kArpTargetIp = kArp + 24;
}  // namespace

void buildArpRequest(uint8_t frame[kArpFrameSize], uint32_t target, uint32_t own, const uint8_t mac[6]) {
    std::memset(frame, 0, kArpFrameSize);
    std::memset(frame, 0xFF, 6);
    std::memcpy(frame + 6, mac, 6);
    gvcpPut16(frame + kEthType, ETH_P_ARP);
    gvcpPut16(frame + kArp, 1);           // Ethernet
    gvcpPut16(frame + kArp + 2, 0x0800);  // IPv4
    frame[kArp + 4] = 6;
    frame[kArp + 5] = 4;
    gvcpPut16(frame + kArpOp, kArpRequest);
    std::memcpy(frame + kArpSenderMac, mac, 6);
    gvcpPut32(frame + kArpSenderIp, own);
    gvcpPut32(frame + kArpTargetIp, target);
}

bool isArpReplyFrom(const uint8_t* frame, int length, uint32_t target, const uint8_t mac[6]) {
    if (length < kArpTargetIp + 4) return false;
    return gvcpGet16(frame + kEthType) == ETH_P_ARP && gvcpGet16(frame + kArpOp) == kArpReply &&
           std::memcmp(frame + kArpTargetMac, mac, 6) == 0 && gvcpGet32(frame + kArpSenderIp) == target;
}

int arpping(unsigned int target, unsigned int own, const unsigned char* mac, const char* name) {
    QString why;
    if (!realNetworkAllowed(&why)) {
        qWarning().noquote() << "ARP probe not sent:" << why;
        return -1;
    }
    const int fd = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, htons(ETH_P_ARP));
    if (fd < 0) return -1;
    const int on = 1;
    if (::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof(on)) != 0) {
        ::close(fd);
        return -1;
    }
    const unsigned index = name ? ::if_nametoindex(name) : 0;
    sockaddr_ll link;
    std::memset(&link, 0, sizeof(link));
    link.sll_family = AF_PACKET;
    link.sll_protocol = htons(ETH_P_ARP);
    link.sll_ifindex = int(index);
    if (index == 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&link), sizeof(link)) != 0) {
        ::close(fd);
        return 0;
    }
    uint8_t frame[kArpFrameSize];
    buildArpRequest(frame, target, own, mac);
    link.sll_halen = 6;
    std::memset(link.sll_addr, 0xFF, 6);
    if (::sendto(fd, frame, sizeof(frame), 0, reinterpret_cast<const sockaddr*>(&link), sizeof(link)) !=
        ssize_t(sizeof(frame))) {
        ::close(fd);
        return 0;
    }
    int result = 1;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(GigeTimings::current().arpWaitMs);
    uint8_t in[1514];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, int(left));
        if (r < 0) {
            if (errno == EINTR) continue;
            result = 0;
            break;
        }
        if (r == 0) break;
        const ssize_t n = ::recv(fd, in, sizeof(in), 0);
        if (n < 0) {
            result = 0;
            break;
        }
        if (isArpReplyFrom(in, int(n), target, mac)) {
            result = 0;
            break;
        }
    }
    ::close(fd);
    return result;
}
