#include "gevforceip.h"

#include <cstring>
#include <mutex>

#include "gvcp.h"

namespace {
// Answers are received into one process-wide buffer; one exchange at a time.
constexpr int kAnswerBufferSize = 576;
std::mutex gAnswerLock;
uint8_t gAnswer[kAnswerBufferSize];
}  // namespace

CGevForceIp::CGevForceIp(unsigned int address)
    : socket_(gigeEnv().openTransport(address, kGvcpPort)), timings_(GigeTimings::current()) {}

CGevForceIp::~CGevForceIp() = default;

bool CGevForceIp::BroadCastSend(const void* data, int length) {
    return socket_ && socket_->send(data, length) > 0;
}

int CGevForceIp::BroadCastRecv(void* buffer, int size) {
    return socket_ ? socket_->recv(buffer, size, timings_.recvTimeoutMs) : -1;
}

int CGevForceIp::exchange(const uint8_t* packet, int length, uint16_t answer, uint16_t reqId,
                          bool ackRequired) {
    std::lock_guard<std::mutex> l(gAnswerLock);
    const GigeEnv& env = gigeEnv();
    for (int send = 0; send < timings_.sendAttempts; ++send) {
        if (!BroadCastSend(packet, length)) return 0;
        if (!ackRequired) return 1;
        for (int i = 0; i < timings_.recvAttempts; ++i) {
            // Cleared first: a short answer must never be read with the bytes of an earlier one.
            std::memset(gAnswer, 0, sizeof(gAnswer));
            const int n = BroadCastRecv(gAnswer, kAnswerBufferSize);
            env.sleepMs(timings_.recvPauseMs);
            if (n < kGvcpHeadSize) continue;  // nothing, or too short to be an acknowledge
            if (gvcpGet16(gAnswer + 2) != answer || gvcpGet16(gAnswer + 6) != reqId) continue;
            return gvcpGet16(gAnswer) == 0 ? 1 : 0;
        }
    }
    return 0;
}

int CGevForceIp::GevSetForceIp(const uint8_t mac[6], uint32_t ip, uint32_t mask, uint32_t gateway,
                               bool ackRequired) {
    uint8_t p[kGvcpForceIpSize] = {};
    const uint16_t id = MakeGvcpHead(p, kGvcpForceIpCmd, kGvcpForceIpSize - kGvcpHeadSize, true, ackRequired);
    std::memcpy(p + 10, mac, 6);
    gvcpPut32(p + 28, ip);
    gvcpPut32(p + 44, mask);
    gvcpPut32(p + 60, gateway);
    return exchange(p, sizeof(p), kGvcpForceIpAck, id, ackRequired);
}

int CGevForceIp::GevSetForceIpCustom(const uint8_t mac[6], uint32_t ip, uint32_t mask, uint32_t gateway,
                                     uint8_t optionA, uint8_t optionB, bool ackRequired) {
    uint8_t p[kGvcpForceIpSize] = {};
    const uint16_t id =
        MakeGvcpHead(p, kGvcpForceIpCustomCmd, kGvcpForceIpSize - kGvcpHeadSize, true, ackRequired);
    std::memcpy(p + 8, mac, 6);
    gvcpPut32(p + 14, ip);
    gvcpPut32(p + 18, mask);
    gvcpPut32(p + 22, gateway);
    p[26] = optionA;
    p[27] = optionB;
    return exchange(p, sizeof(p), kGvcpForceIpCustomAck, id, ackRequired);
}
