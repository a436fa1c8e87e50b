#include "gevdiscovery.h"

#include <cstring>

CGevDiscovery::CGevDiscovery(const char* filter, unsigned int address, bool threads)
    : socket_(gigeEnv().openTransport(address, kGvcpPort)),
      timings_(GigeTimings::current()),
      threaded_(threads) {
    if (filter) {
        hasFilter_ = true;
        filter_.assign(filter, filter + std::strlen(filter));
    }
    receiveThread_ = std::thread(&CGevDiscovery::receiveLoop, this);
    if (threaded_) {
        sendThread_ = std::thread(&CGevDiscovery::periodicLoop, this, true);
        expiryThread_ = std::thread(&CGevDiscovery::periodicLoop, this, false);
    }
}

CGevDiscovery::~CGevDiscovery() {
    quit_ = true;
    for (std::thread* t : {&receiveThread_, &sendThread_, &expiryThread_})
        if (t->joinable()) t->join();
}

uint32_t CGevDiscovery::nowMs() const {
    return uint32_t(gigeEnv().monotonicMs());
}

void CGevDiscovery::MakeDiscoveryCmd(uint8_t out[kGvcpHeadSize]) {
    WriteGvcpHead(out, kGvcpDiscoveryCmd, 0, nextGvcpReqId(&reqId_), true, true);
}

bool CGevDiscovery::SendDiscovery() {
    uint8_t cmd[kGvcpHeadSize];
    {
        std::lock_guard<std::recursive_mutex> l(lock_);
        if (!threaded_) table_.clear();
        MakeDiscoveryCmd(cmd);
    }
    return socket_ && socket_->send(cmd, sizeof(cmd)) > 0;
}

bool CGevDiscovery::DeviceListAdd(const gvcp_discovery_ack_s& ack) {
    if (hasFilter_ && (filter_.size() > sizeof(ack.makerInfo) ||
                       std::memcmp(ack.makerInfo, filter_.data(), filter_.size()) != 0))
        return false;
    std::lock_guard<std::recursive_mutex> l(lock_);
    const uint32_t now = nowMs();
    for (Entry& e : table_) {
        if (e.valid && std::memcmp(e.ack.mac, ack.mac, sizeof(ack.mac)) == 0 &&
            std::memcmp(e.ack.currentIp, ack.currentIp, sizeof(ack.currentIp)) == 0) {
            e.seenMs = now;
            return true;
        }
    }
    if (int(table_.size()) >= kMaxDevices) return false;
    table_.push_back(Entry{ack, true, now});
    return true;
}

void CGevDiscovery::DeviceListChk() {
    std::lock_guard<std::recursive_mutex> l(lock_);
    const uint32_t now = nowMs();
    for (Entry& e : table_)
        if (e.valid && now - e.seenMs > uint32_t(timings_.expiryMs)) e.valid = false;
}

int CGevDiscovery::GetDiscoveryList(gvcp_discovery_ack_s* out, int room) {
    std::lock_guard<std::recursive_mutex> l(lock_);
    int n = 0;
    for (const Entry& e : table_) {
        if (!e.valid) continue;
        if (n >= room) break;
        out[n++] = e.ack;
    }
    return n;
}

void CGevDiscovery::DiscoveryReceive() {
    gvcp_discovery_ack_s ack;
    // Cleared first; only a whole acknowledge is filed, never one padded with stale bytes.
    std::memset(&ack, 0, sizeof(ack));
    const int n = socket_ ? socket_->recv(&ack, sizeof(ack), timings_.recvTimeoutMs) : -1;
    if (n < 0) {
        // No socket: nothing will ever arrive; wait as a receive would.
        std::this_thread::sleep_for(std::chrono::milliseconds(timings_.recvTimeoutMs));
        return;
    }
    if (n == int(sizeof(ack)) && gvcpGet16(ack.answer) == kGvcpDiscoveryAck) DeviceListAdd(ack);
}

void CGevDiscovery::receiveLoop() {
    while (!quit_) DiscoveryReceive();
}

void CGevDiscovery::periodicLoop(bool send) {
    while (!quit_) {
        for (int waited = 0; waited < timings_.threadPeriodMs && !quit_; waited += timings_.threadPollMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(timings_.threadPollMs));
        if (quit_) break;
        if (send)
            SendDiscovery();
        else
            DeviceListChk();
    }
}
