#pragma once
// A pair of UDP sockets on one interface for GVCP: the send socket is bound to the interface address
// and a random local port above 10000; the receive socket is bound to 255.255.255.255 and the same
// port, so that it receives the cameras' broadcast answers. Datagrams go to 255.255.255.255:port.
//
// Outside the panel profile Init() opens nothing unless the process sits in a network namespace made
// by a test (platform/gige/netguard.h): sends then fail and receives return -1.
#include <cstdint>

#include "platform/gige/gvcptransport.h"

class CBroadcastSocket : public GvcpTransport {
public:
    CBroadcastSocket(unsigned int address, unsigned short port);  // address in host order
    ~CBroadcastSocket() override;
    CBroadcastSocket(const CBroadcastSocket&) = delete;
    CBroadcastSocket& operator=(const CBroadcastSocket&) = delete;

    // Up to 1000 attempts to bind both sockets to a random port. Returns 1.
    int Init();
    int send(const void* data, int length) override;
    int recv(void* buffer, int size, int timeoutMs) override;
    // The 200 ms receive of the GVCP exchanges.
    int recv(void* buffer, int size) { return recv(buffer, size, 200); }

    bool isOpen() const { return sendFd_ >= 0 && recvFd_ >= 0; }
    unsigned short localPort() const { return localPort_; }

private:
    void closeSockets();

    int sendFd_ = -1;
    int recvFd_ = -1;
    unsigned int address_;
    unsigned short port_;
    unsigned short localPort_ = 0;
};
