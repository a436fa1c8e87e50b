#pragma once
// A fake GigE camera of the kind the address repair looks after. It answers GVCP discovery with the
// standard 256-byte acknowledge and takes the vendor force-IP (0xF008, answered with 0xF009) and the
// standard force-IP (0x0004 / 0x0005) when they carry its MAC. Written from the protocol, on its own:
// it shares no packet code with the camera layer, so the two check each other.
//
// Faults for error tests change how it answers.
#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QPair>
#include <cstdint>

namespace gigesim {

struct CameraState {
    uint8_t mac[6] = {0x02, 0x00, 0x5E, 0x10, 0x00, 0x01};
    uint32_t ip = 0;  // host order
    uint32_t mask = 0;
    uint32_t gateway = 0;
    QByteArray maker = "SIMCAM";
    QByteArray model = "GE-SIM-130";
    QByteArray makerInfo = "F622-SIM";  // manufacturer-specific information
    QByteArray serial = "SIM0001";
    QByteArray userName;
};

enum Fault : unsigned {
    kNoAnswer = 1u << 0,            // hears nothing, answers nothing
    kWrongAckId = 1u << 1,          // answers with the request id + 1
    kBadStatus = 1u << 2,           // answers a force-IP with a failure status and keeps its address
    kAnswerTwice = 1u << 3,         // every answer is sent twice
    kMoveBetweenAnswers = 1u << 4,  // answers a discovery, moves to the next address, answers again
    kTruncate = 1u << 5,            // answers are cut short (setTruncateTo)
    kWrongAnswerCode = 1u << 6,     // answers a force-IP with the code of another command
};

constexpr uint16_t kStatusError = 0x8001;

class FakeGigeCamera {
public:
    explicit FakeGigeCamera(const CameraState& state = CameraState());

    // The camera's answers to one datagram that reached its control port.
    QList<QByteArray> handle(const QByteArray& datagram);

    CameraState state() const;
    void setState(const CameraState& s);
    void setFaults(unsigned faults);
    void setTruncateTo(int bytes);
    // Commands received, by command code.
    int received(uint16_t command) const;

    // The 256-byte discovery acknowledge for a request id.
    QByteArray discoveryAck(uint16_t reqId) const;

private:
    QByteArray finish(QByteArray answer) const;

    mutable QMutex lock_;
    CameraState s_;
    unsigned faults_ = 0;
    int truncateTo_ = 7;
    QList<QPair<uint16_t, int>> received_;
};

// Big-endian helpers of the wire format.
uint16_t get16(const char* p);
uint32_t get32(const char* p);
void put16(char* p, uint16_t v);
void put32(char* p, uint32_t v);

}  // namespace gigesim
