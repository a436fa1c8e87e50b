#include "gvcp.h"

#include <mutex>

uint16_t gvcpGet16(const uint8_t* p) {
    return uint16_t((p[0] << 8) | p[1]);
}

uint32_t gvcpGet32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void gvcpPut16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}

void gvcpPut32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

unsigned short nextGvcpReqId(unsigned short* counter) {
    if (++*counter == 0) ++*counter;
    return *counter;
}

unsigned short MakeGvcpHead(unsigned char* buffer, unsigned short command, unsigned short length,
                            bool broadcastAck, bool ackRequired) {
    static std::mutex lock;
    static unsigned short counter = 0;
    unsigned short id;
    {
        std::lock_guard<std::mutex> l(lock);
        id = nextGvcpReqId(&counter);
    }
    WriteGvcpHead(buffer, command, length, id, broadcastAck, ackRequired);
    return id;
}

void WriteGvcpHead(unsigned char* buffer, unsigned short command, unsigned short length, unsigned short reqId,
                   bool broadcastAck, bool ackRequired) {
    buffer[0] = kGvcpKey;
    buffer[1] = uint8_t((ackRequired ? kGvcpFlagAck : 0) | (broadcastAck ? kGvcpFlagBroadcastAck : 0));
    gvcpPut16(buffer + 2, command);
    gvcpPut16(buffer + 4, length);
    gvcpPut16(buffer + 6, reqId);
}
