#pragma once
// ARP probe of one address before the address repair gives it to a camera.
#include <cstdint>

constexpr int kArpFrameSize = 60;

// The broadcast ARP request "who has target, tell own" from `mac` (addresses in host order), padded
// with zeros to 60 bytes.
void buildArpRequest(uint8_t frame[kArpFrameSize], uint32_t target, uint32_t own, const uint8_t mac[6]);
// True when `frame` is an ARP reply whose sender address is `target` and whose target MAC is `mac`.
bool isArpReplyFrom(const uint8_t* frame, int length, uint32_t target, const uint8_t mac[6]);

// Sends the request on interface `name` (found by its index, so any valid interface name works) and
// waits one second of the monotonic clock for the reply. Returns 1 when nobody answered (the address
// is free), 0 when somebody answered or something failed, -1 when no packet socket could be opened
// (missing rights, or outside the panel profile and a test's own network namespace).
int arpping(unsigned int target, unsigned int own, const unsigned char* mac, const char* name);
