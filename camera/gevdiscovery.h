#pragma once
// GVCP discovery on one interface with a table of the devices that answered.
//
// A receive thread files every discovery acknowledge into the table (at most 250 entries, kept by MAC
// and current address; a device answering again only refreshes its time). With background threads
// the object also broadcasts a discovery every second and invalidates entries not seen for 3 s;
// without, SendDiscovery empties the table before each broadcast. A filter text keeps only devices
// whose manufacturer-specific information begins with it.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "gigeenv.h"
#include "gvcp.h"

class CGevDiscovery {
public:
    static constexpr int kMaxDevices = 250;

    // filter may be null (no filter); address is the interface address in host order.
    CGevDiscovery(const char* filter, unsigned int address, bool threads);
    ~CGevDiscovery();  // stops and joins its threads
    CGevDiscovery(const CGevDiscovery&) = delete;
    CGevDiscovery& operator=(const CGevDiscovery&) = delete;

    bool SendDiscovery();
    // Copies every valid entry in table order (at most `room`); returns their count.
    int GetDiscoveryList(gvcp_discovery_ack_s* out, int room = kMaxDevices);
    // Files one acknowledge; false when the filter or the full table turned it away.
    bool DeviceListAdd(const gvcp_discovery_ack_s& ack);
    // Invalidates entries last seen more than the expiry time ago.
    void DeviceListChk();
    void MakeDiscoveryCmd(uint8_t out[kGvcpHeadSize]);

private:
    struct Entry {
        gvcp_discovery_ack_s ack;
        bool valid;
        uint32_t seenMs;
    };
    // One receive; an acknowledge goes to the table.
    void DiscoveryReceive();
    void receiveLoop();
    void periodicLoop(bool send);
    uint32_t nowMs() const;

    std::unique_ptr<GvcpTransport> socket_;
    GigeTimings timings_;
    std::recursive_mutex lock_;
    std::vector<char> filter_;  // empty: no filter
    bool hasFilter_ = false;
    uint16_t reqId_ = 0;
    bool threaded_;
    std::atomic<bool> quit_{false};
    std::vector<Entry> table_;  // grows to at most kMaxDevices
    std::thread receiveThread_, sendThread_, expiryThread_;
};
