#include "broadcastsocket.h"

#include <QtDebug>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/gige/netguard.h"

namespace {
int openUdpBroadcast() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const int on = 1;
    if (::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof(on)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool bindTo(int fd, uint32_t address, uint16_t port) {
    sockaddr_in a;
    std::memset(&a, 0, sizeof(a));
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(address);
    a.sin_port = htons(port);
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof(a)) == 0;
}

// Local ports are drawn from their own generator, so that drawing one never shifts the random
// numbers of the address choice.
uint16_t drawPort() {
    static thread_local std::minstd_rand engine(
        unsigned(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (;;) {
        const uint16_t p = uint16_t(engine() & 0xFFFF);
        if (p > 10000) return p;
    }
}
}  // namespace

CBroadcastSocket::CBroadcastSocket(unsigned int address, unsigned short port)
    : address_(address), port_(port) {}

CBroadcastSocket::~CBroadcastSocket() {
    closeSockets();
}

void CBroadcastSocket::closeSockets() {
    if (sendFd_ >= 0) ::close(sendFd_);
    if (recvFd_ >= 0) ::close(recvFd_);
    sendFd_ = recvFd_ = -1;
}

int CBroadcastSocket::Init() {
    closeSockets();
    QString why;
    if (!realNetworkAllowed(&why)) {
        qWarning().noquote() << "GVCP socket not opened:" << why;
        return 1;
    }
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (sendFd_ < 0) sendFd_ = openUdpBroadcast();
        if (recvFd_ < 0) recvFd_ = openUdpBroadcast();
        if (sendFd_ < 0 || recvFd_ < 0) {
            closeSockets();
            continue;
        }
        const uint16_t p = drawPort();
        if (!bindTo(recvFd_, INADDR_BROADCAST, p)) continue;
        if (!bindTo(sendFd_, address_, p)) {
            closeSockets();
            continue;
        }
        localPort_ = p;
        return 1;
    }
    closeSockets();
    return 1;
}

int CBroadcastSocket::send(const void* data, int length) {
    if (sendFd_ < 0) return -1;
    sockaddr_in to;
    std::memset(&to, 0, sizeof(to));
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    to.sin_port = htons(port_);
    const ssize_t n = ::sendto(sendFd_, data, size_t(length), MSG_NOSIGNAL,
                               reinterpret_cast<const sockaddr*>(&to), sizeof(to));
    return n < 0 ? 0 : int(n);
}

int CBroadcastSocket::recv(void* buffer, int size, int timeoutMs) {
    if (recvFd_ < 0) return -1;
    pollfd p{recvFd_, POLLIN, 0};
    const int r = ::poll(&p, 1, timeoutMs);
    if (r <= 0 || !(p.revents & POLLIN)) return 0;
    const ssize_t n = ::recvfrom(recvFd_, buffer, size_t(size), 0, nullptr, nullptr);
    return n < 0 ? 0 : int(n);
}
