#pragma once
// GigE Vision control protocol (GVCP) messages used by the GigE address repair: discovery and the
// force-IP commands. All fields are big-endian; addresses travel in network order.
#include <cstddef>
#include <cstdint>

constexpr uint8_t kGvcpKey = 0x42;
constexpr uint8_t kGvcpFlagAck = 0x01;           // acknowledge required
constexpr uint8_t kGvcpFlagBroadcastAck = 0x10;  // the answer may be broadcast

constexpr uint16_t kGvcpDiscoveryCmd = 0x0002;
constexpr uint16_t kGvcpDiscoveryAck = 0x0003;
constexpr uint16_t kGvcpForceIpCmd = 0x0004;  // the standard force-IP
constexpr uint16_t kGvcpForceIpAck = 0x0005;
constexpr uint16_t kGvcpForceIpCustomCmd = 0xF008;  // the vendor force-IP of the repaired cameras
constexpr uint16_t kGvcpForceIpCustomAck = 0xF009;

constexpr int kGvcpHeadSize = 8;
constexpr int kGvcpForceIpSize = 64;
constexpr int kGvcpDiscoveryAckSize = 256;

// Command header.
struct gvcp_cmd_head_s {
    uint8_t key;
    uint8_t flags;
    uint8_t command[2];
    uint8_t length[2];  // payload bytes after the header
    uint8_t reqId[2];
};
static_assert(sizeof(gvcp_cmd_head_s) == 8, "GVCP command header is 8 bytes");

// Discovery acknowledge, kept whole (the standard layout).
struct gvcp_discovery_ack_s {
    uint8_t status[2];
    uint8_t answer[2];
    uint8_t length[2];
    uint8_t ackId[2];
    uint8_t specVersion[4];
    uint8_t deviceMode[4];
    uint8_t reserved1[2];
    uint8_t mac[6];
    uint8_t ipOptions[4];
    uint8_t ipCurrentConfig[4];
    uint8_t reserved2[12];
    uint8_t currentIp[4];
    uint8_t reserved3[12];
    uint8_t currentMask[4];
    uint8_t reserved4[12];
    uint8_t gateway[4];
    char manufacturer[32];
    char model[32];
    char deviceVersion[32];
    char makerInfo[48];  // manufacturer-specific information
    char serial[16];
    char userName[16];
};
static_assert(sizeof(gvcp_discovery_ack_s) == kGvcpDiscoveryAckSize, "discovery ack is 256 bytes");
static_assert(offsetof(gvcp_discovery_ack_s, mac) == 18 && offsetof(gvcp_discovery_ack_s, currentIp) == 44 &&
                  offsetof(gvcp_discovery_ack_s, currentMask) == 60 &&
                  offsetof(gvcp_discovery_ack_s, manufacturer) == 80 &&
                  offsetof(gvcp_discovery_ack_s, model) == 112 &&
                  offsetof(gvcp_discovery_ack_s, makerInfo) == 176 &&
                  offsetof(gvcp_discovery_ack_s, serial) == 224,
              "discovery ack field offsets");

// Writes the 8-byte command header of a force-IP command: flags = ackRequired, plus 0x10 with
// broadcastAck; the request id is the next value of the process-wide counter (1, 2, ...; 0 is
// skipped when it wraps). Returns that id.
unsigned short MakeGvcpHead(unsigned char* buffer, unsigned short command, unsigned short length,
                            bool broadcastAck, bool ackRequired);
// The same header with a given request id.
void WriteGvcpHead(unsigned char* buffer, unsigned short command, unsigned short length, unsigned short reqId,
                   bool broadcastAck, bool ackRequired);
// Next request id of a counter: incremented first, never 0.
unsigned short nextGvcpReqId(unsigned short* counter);

uint16_t gvcpGet16(const uint8_t* p);
uint32_t gvcpGet32(const uint8_t* p);
void gvcpPut16(uint8_t* p, uint16_t v);
void gvcpPut32(uint8_t* p, uint32_t v);

// Host-order fields of a discovery acknowledge.
inline uint32_t ackIp(const gvcp_discovery_ack_s& a) {
    return gvcpGet32(a.currentIp);
}
inline uint32_t ackMask(const gvcp_discovery_ack_s& a) {
    return gvcpGet32(a.currentMask);
}
