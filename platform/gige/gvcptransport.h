#pragma once
// The datagram link of the GigE discovery and force-IP: one local port on one interface, sending to
// 255.255.255.255 on the control port, receiving the broadcast answers. The camera layer's
// CBroadcastSocket is the real one; tests put an in-memory network with fake cameras behind it.
#include <cstdint>

constexpr uint16_t kGvcpPort = 3956;

class GvcpTransport {
public:
    virtual ~GvcpTransport() = default;
    // Broadcasts one datagram. Returns the byte count sent, 0 or less on failure, -1 without a socket.
    virtual int send(const void* data, int length) = 0;
    // Receives one datagram into `buffer` (a longer one is cut to `size`), waiting at most
    // `timeoutMs`. Returns its byte count, 0 on time-out or error, -1 without a socket.
    virtual int recv(void* buffer, int size, int timeoutMs) = 0;
};
