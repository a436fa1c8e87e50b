#include "memorynetwork.h"

#include <chrono>
#include <cstring>

namespace gigesim {

class FakeGigeNetwork::Transport : public GvcpTransport {
public:
    explicit Transport(FakeGigeNetwork* net) : net_(net) {}
    ~Transport() override { net_->close(this); }
    int send(const void* data, int length) override {
        return net_->send(this, QByteArray(static_cast<const char*>(data), length));
    }
    int recv(void* buffer, int size, int timeoutMs) override {
        return net_->recv(this, buffer, size, timeoutMs);
    }

private:
    FakeGigeNetwork* net_;
};

FakeGigeNetwork::FakeGigeNetwork() = default;
FakeGigeNetwork::~FakeGigeNetwork() = default;

void FakeGigeNetwork::addInterface(uint32_t address, int segment) {
    std::lock_guard<std::mutex> l(lock_);
    interfaces_.emplace_back(address, segment);
}

FakeGigeCamera* FakeGigeNetwork::addCamera(const CameraState& state, int segment) {
    std::lock_guard<std::mutex> l(lock_);
    cameras_.emplace_back(std::make_unique<FakeGigeCamera>(state), segment);
    return cameras_.back().first.get();
}

int FakeGigeNetwork::segmentOf(uint32_t address) const {
    for (const auto& i : interfaces_)
        if (i.first == address) return i.second;
    return -1;
}

std::unique_ptr<GvcpTransport> FakeGigeNetwork::open(uint32_t address, uint16_t) {
    auto t = std::make_unique<Transport>(this);
    std::lock_guard<std::mutex> l(lock_);
    Port p;
    p.transport = t.get();
    p.address = address;
    ports_.push_back(p);
    ++opened_;
    return t;
}

FakeGigeNetwork::Port* FakeGigeNetwork::port(Transport* t) {
    for (Port& p : ports_)
        if (p.transport == t) return &p;
    return nullptr;
}

void FakeGigeNetwork::close(Transport* t) {
    std::lock_guard<std::mutex> l(lock_);
    for (auto it = ports_.begin(); it != ports_.end(); ++it)
        if (it->transport == t) {
            ports_.erase(it);
            break;
        }
    changed_.notify_all();
}

void FakeGigeNetwork::setSendFails(bool on) {
    std::lock_guard<std::mutex> l(lock_);
    sendFails_ = on;
}

int FakeGigeNetwork::send(Transport* t, const QByteArray& bytes) {
    std::lock_guard<std::mutex> l(lock_);
    Port* p = port(t);
    if (!p) return -1;
    if (sendFails_) return 0;
    sent_.append({p->address, bytes});
    const int segment = segmentOf(p->address);
    if (segment >= 0) {
        for (auto& c : cameras_)
            if (c.second == segment)
                for (const QByteArray& answer : c.first->handle(bytes)) p->queue.push_back(answer);
    }
    changed_.notify_all();
    return bytes.size();
}

int FakeGigeNetwork::recv(Transport* t, void* buffer, int size, int timeoutMs) {
    std::unique_lock<std::mutex> l(lock_);
    ++receives_;
    Port* p = port(t);
    if (!p) return -1;
    p->handling = false;
    p->receiver = std::this_thread::get_id();
    changed_.notify_all();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    changed_.wait_until(l, deadline, [&] {
        p = port(t);
        return !p || !p->queue.empty();
    });
    if (!p) return -1;
    if (p->queue.empty()) return 0;
    const QByteArray d = p->queue.front();
    p->queue.pop_front();
    p->handling = true;
    const int n = qMin(size, d.size());
    std::memcpy(buffer, d.constData(), size_t(n));
    return n;
}

bool FakeGigeNetwork::settle(int timeoutMs) {
    std::unique_lock<std::mutex> l(lock_);
    return changed_.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] {
        for (const Port& p : ports_)
            if (p.receiver != std::this_thread::get_id() && (!p.queue.empty() || p.handling)) return false;
        return true;
    });
}

QList<FakeGigeNetwork::Datagram> FakeGigeNetwork::sent() const {
    std::lock_guard<std::mutex> l(lock_);
    return sent_;
}

int FakeGigeNetwork::sentCount(uint16_t command) const {
    std::lock_guard<std::mutex> l(lock_);
    int n = 0;
    for (const Datagram& d : sent_)
        if (d.bytes.size() >= 4 && get16(d.bytes.constData() + 2) == command) ++n;
    return n;
}

int FakeGigeNetwork::transportsOpened() const {
    std::lock_guard<std::mutex> l(lock_);
    return opened_;
}

int FakeGigeNetwork::receives() const {
    std::lock_guard<std::mutex> l(lock_);
    return receives_;
}

}  // namespace gigesim
