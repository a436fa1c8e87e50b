#pragma once
// An in-memory network of interfaces and fake GigE cameras behind the GvcpTransport seam: no socket,
// no packet. Each interface address sits on a cable segment; a datagram sent from an interface
// reaches every camera on its segment, and their answers come back to the sending transport.
#include <QByteArray>
#include <QList>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "gigesim.h"
#include "platform/gige/gvcptransport.h"

namespace gigesim {

class FakeGigeNetwork {
public:
    struct Datagram {
        uint32_t from;  // interface address
        QByteArray bytes;
    };

    FakeGigeNetwork();
    ~FakeGigeNetwork();
    FakeGigeNetwork(const FakeGigeNetwork&) = delete;
    FakeGigeNetwork& operator=(const FakeGigeNetwork&) = delete;

    void addInterface(uint32_t address, int segment = 0);
    FakeGigeCamera* addCamera(const CameraState& state, int segment = 0);

    // A transport on an interface address (the factory of the GigE surroundings). An address that
    // is no interface reaches nothing.
    std::unique_ptr<GvcpTransport> open(uint32_t address, uint16_t port);

    void setSendFails(bool on);
    QList<Datagram> sent() const;
    // Datagrams sent with a given command code.
    int sentCount(uint16_t command) const;
    int transportsOpened() const;
    int receives() const;
    // Waits until every answer has been taken and handled: each transport's queue is empty and a
    // transport that last returned an answer has come back to receive again (or is gone). Transports
    // that the calling thread itself receives on are left out. False on time-out.
    bool settle(int timeoutMs = 5000);

private:
    class Transport;
    friend class Transport;
    struct Port {
        Transport* transport;
        uint32_t address;
        std::deque<QByteArray> queue;
        bool handling = false;  // returned an answer, not back in recv yet
        std::thread::id receiver;
    };

    int send(Transport* t, const QByteArray& bytes);
    int recv(Transport* t, void* buffer, int size, int timeoutMs);
    void close(Transport* t);
    Port* port(Transport* t);
    int segmentOf(uint32_t address) const;

    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::pair<uint32_t, int>> interfaces_;
    std::vector<std::pair<std::unique_ptr<FakeGigeCamera>, int>> cameras_;
    std::vector<Port> ports_;
    QList<Datagram> sent_;
    bool sendFails_ = false;
    int opened_ = 0;
    int receives_ = 0;
};

}  // namespace gigesim
