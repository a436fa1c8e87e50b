#pragma once
// Force-IP commands on one interface: the GigE Vision standard one and the vendor one (0xF008) that the
// address repair sends. Each command with an acknowledge is sent up to 4 times; after each send up to
// 200 receives (each with a 5 ms pause after it) wait for an answer with the right code and the same
// id. Success is such an answer with status 0; without the acknowledge flag, a sent packet.
#include <cstdint>
#include <memory>

#include "gigeenv.h"

class CGevForceIp {
public:
    explicit CGevForceIp(unsigned int address);  // interface address, host order
    ~CGevForceIp();

    bool BroadCastSend(const void* data, int length);
    int BroadCastRecv(void* buffer, int size);

    // Addresses in host order. Return 1 on success, else 0.
    int GevSetForceIp(const uint8_t mac[6], uint32_t ip, uint32_t mask, uint32_t gateway, bool ackRequired);
    int GevSetForceIpCustom(const uint8_t mac[6], uint32_t ip, uint32_t mask, uint32_t gateway,
                            uint8_t optionA, uint8_t optionB, bool ackRequired);

private:
    int exchange(const uint8_t* packet, int length, uint16_t answer, uint16_t reqId, bool ackRequired);

    std::unique_ptr<GvcpTransport> socket_;
    GigeTimings timings_;
};
