#pragma once
// What the GigE address repair takes from its surroundings, replaceable as a whole by tests: the
// datagram link per interface, the interface list, the ARP probe, the monotonic clock, sleeping, the
// random numbers, and its time-outs. Shell commands (ping) go through the command runner.
//
// Defaults follow the profile: the panel sees its interfaces and sends for real; the simulated profile
// sees no interfaces, so the repair returns at once and sends nothing. The real sockets also refuse to
// send outside the panel profile unless the process sits in a network namespace made by a test
// (platform/gige/netguard.h).
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/gige/gvcptransport.h"
#include "platform/gige/netinterfaces.h"

// Time-outs, read from the timing table (keys "gige.*"), and the fixed retry counts.
struct GigeTimings {
    int discoveryWaitMs = 200;  // after the discovery broadcasts, before reading the tables
    int recvTimeoutMs = 200;    // one receive
    int recvPauseMs = 5;        // after each receive of a force-IP exchange
    int recvAttempts = 200;     // receives after each force-IP send
    int sendAttempts = 4;       // force-IP sends
    int arpWaitMs = 1000;       // ARP probe: how long to wait for a reply
    int threadPeriodMs = 1000;  // background discovery and expiry
    int threadPollMs = 100;     // how often those threads look at their quit flag
    int expiryMs = 3000;        // a device not seen for this long becomes invalid
    static GigeTimings current();
};

// arpping's contract: 1 address free, 0 answered or error, -1 no packet socket.
using ArpProber = std::function<int(uint32_t target, uint32_t own, const uint8_t* mac, const char* name)>;
using GvcpTransportFactory = std::function<std::unique_ptr<GvcpTransport>(uint32_t address, uint16_t port)>;

struct GigeEnv {
    GvcpTransportFactory openTransport;
    std::shared_ptr<InterfaceSource> interfaces;
    ArpProber arpProbe;
    std::function<int64_t()> monotonicMs;
    std::function<void(int ms)> sleepMs;
    std::function<void(unsigned seed)> seedRandom;
    std::function<int()> random;  // 0 .. RAND_MAX, like rand()
};

// The live surroundings; built from the profile on first use.
GigeEnv& gigeEnv();
// Back to the profile's defaults (tests).
void resetGigeEnv();
// The profile's defaults.
GigeEnv defaultGigeEnv();
