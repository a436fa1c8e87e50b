#include "gigesim.h"

#include <QMutexLocker>
#include <cstring>

namespace gigesim {

uint16_t get16(const char* p) {
    const auto* u = reinterpret_cast<const uint8_t*>(p);
    return uint16_t((u[0] << 8) | u[1]);
}

uint32_t get32(const char* p) {
    const auto* u = reinterpret_cast<const uint8_t*>(p);
    return (uint32_t(u[0]) << 24) | (uint32_t(u[1]) << 16) | (uint32_t(u[2]) << 8) | u[3];
}

void put16(char* p, uint16_t v) {
    p[0] = char(v >> 8);
    p[1] = char(v);
}

void put32(char* p, uint32_t v) {
    p[0] = char(v >> 24);
    p[1] = char(v >> 16);
    p[2] = char(v >> 8);
    p[3] = char(v);
}

namespace {
void putText(QByteArray* a, int offset, int size, const QByteArray& text) {
    // A text that fills its room has no terminating zero, as a device may send it.
    std::memcpy(a->data() + offset, text.constData(), size_t(qMin(size, text.size())));
}

QByteArray ack(uint16_t status, uint16_t answer, uint16_t payload, uint16_t ackId) {
    QByteArray a(8 + payload, '\0');
    put16(a.data(), status);
    put16(a.data() + 2, answer);
    put16(a.data() + 4, payload);
    put16(a.data() + 6, ackId);
    return a;
}
}  // namespace

FakeGigeCamera::FakeGigeCamera(const CameraState& state) : s_(state) {}

CameraState FakeGigeCamera::state() const {
    QMutexLocker l(&lock_);
    return s_;
}

void FakeGigeCamera::setState(const CameraState& s) {
    QMutexLocker l(&lock_);
    s_ = s;
}

void FakeGigeCamera::setFaults(unsigned faults) {
    QMutexLocker l(&lock_);
    faults_ = faults;
}

void FakeGigeCamera::setTruncateTo(int bytes) {
    QMutexLocker l(&lock_);
    truncateTo_ = bytes;
}

int FakeGigeCamera::received(uint16_t command) const {
    QMutexLocker l(&lock_);
    for (const auto& r : received_)
        if (r.first == command) return r.second;
    return 0;
}

QByteArray FakeGigeCamera::discoveryAck(uint16_t reqId) const {
    QByteArray a = ack(0, 0x0003, 248, reqId);
    char* p = a.data();
    put16(p + 8, 1);  // protocol version 1.2
    put16(p + 10, 2);
    put32(p + 12, 0x80000001u);  // big-endian device, class transmitter
    std::memcpy(p + 18, s_.mac, 6);
    put32(p + 24, 0x80000007u);  // persistent, DHCP and link-local supported
    put32(p + 28, 0x00000005u);  // persistent address in use
    put32(p + 44, s_.ip);
    put32(p + 60, s_.mask);
    put32(p + 76, s_.gateway);
    putText(&a, 80, 32, s_.maker);
    putText(&a, 112, 32, s_.model);
    putText(&a, 144, 32, "1.0.0");
    putText(&a, 176, 48, s_.makerInfo);
    putText(&a, 224, 16, s_.serial);
    putText(&a, 240, 16, s_.userName);
    return a;
}

QByteArray FakeGigeCamera::finish(QByteArray answer) const {
    if (faults_ & kTruncate) answer.truncate(truncateTo_);
    return answer;
}

QList<QByteArray> FakeGigeCamera::handle(const QByteArray& d) {
    QMutexLocker l(&lock_);
    QList<QByteArray> out;
    if (d.size() < 8 || uint8_t(d[0]) != 0x42) return out;
    const uint8_t flags = uint8_t(d[1]);
    const uint16_t command = get16(d.constData() + 2);
    const uint16_t reqId = get16(d.constData() + 6);
    bool counted = false;
    for (auto& r : received_)
        if (r.first == command) {
            ++r.second;
            counted = true;
        }
    if (!counted) received_.append({command, 1});
    if (faults_ & kNoAnswer) return out;
    const uint16_t ackId = (faults_ & kWrongAckId) ? uint16_t(reqId + 1) : reqId;
    const int copies = (faults_ & kAnswerTwice) ? 2 : 1;

    if (command == 0x0002) {
        for (int i = 0; i < copies; ++i) out.append(finish(discoveryAck(ackId)));
        if (faults_ & kMoveBetweenAnswers) {
            s_.ip += 1;
            out.append(finish(discoveryAck(ackId)));
        }
        return out;
    }

    // Force-IP: vendor layout (MAC at 8, address 14, mask 18, gateway 22) or standard layout
    // (MAC at 10, address 28, mask 44, gateway 60). Both are 64 bytes.
    const bool custom = command == 0xF008;
    if ((!custom && command != 0x0004) || d.size() < 64) return out;
    const char* p = d.constData();
    if (std::memcmp(p + (custom ? 8 : 10), s_.mac, 6) != 0) return out;
    const bool fail = faults_ & kBadStatus;
    if (!fail) {
        s_.ip = get32(p + (custom ? 14 : 28));
        s_.mask = get32(p + (custom ? 18 : 44));
        s_.gateway = get32(p + (custom ? 22 : 60));
    }
    if (!(flags & 0x01)) return out;
    uint16_t answer = custom ? 0xF009 : 0x0005;
    if (faults_ & kWrongAnswerCode) answer = custom ? 0x0005 : 0xF009;
    for (int i = 0; i < copies; ++i) out.append(finish(ack(fail ? kStatusError : 0, answer, 0, ackId)));
    return out;
}

}  // namespace gigesim
