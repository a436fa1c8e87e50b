#pragma once
// Reachability of the Hikvision GigE cameras, run before every Hikvision enumeration: a camera on
// another subnet than the interface it was found through is moved, with the SDK's force-IP, to the
// first address of that interface's /24 (inside its subnet when the mask is narrower) that ping shows
// free; the gateway given is host 254 of the /24, or the highest host of a narrower subnet.
#include <QByteArray>
#include <cstdint>

#include "platform/camsdk/hikvision.h"

struct NET_INFO {
    char name[256];
    uint32_t ip;    // host order
    uint32_t mask;  // host order
};

struct ALL_NET_INFO {
    static constexpr int kMax = 64;
    int count;
    NET_INFO info[kMax];
};

// Every IPv4 interface address (at most 64). 0, or -1 when the interface list cannot be read.
int GetNetInfo(ALL_NET_INFO* all);
// True when an interface has address `ip`; its mask goes to `mask`.
bool GetMaskFromIp(unsigned int ip, unsigned int* mask, const ALL_NET_INFO* all);
// The command's standard output (through the command runner; empty when it cannot run).
QByteArray execCommand(const char* command);
// True when "ping <address> -w 1" (through the command runner) ended with status 1, no reply. A ping
// that answered, failed, is missing or was only recorded leaves the address taken.
bool IsFreeIp(const char* address);
// The SDK's force-IP on a device; failures are logged at debug level.
bool DoForceIp(MvDeviceInfo* device, unsigned int ip, unsigned int mask, unsigned int gateway);
// Tries host numbers start, start+1, ..., 254, then start-1, ..., 1 of `base` (each 1 to 254 at most
// once) and writes the first free address to `out`. A ping that cannot run (missing, its own error)
// ends the search without an address. With a subnet given (`netMask` not 0), addresses
// outside `netIp`/`netMask` and its network and broadcast addresses are passed over.
bool bChooseNoUseIp(unsigned int base, unsigned int start, unsigned int* out, unsigned int netIp = 0,
                    unsigned int netMask = 0);
// The number of GigE devices that were neither moved nor found accessible; -1 when the interface
// list cannot be read.
int EnsureDeviceReach();
