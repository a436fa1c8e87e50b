// libFuzzer target for the reader of the network client's replies (netbridge/cnt_replyreader.h).
// The input is a byte stream from the client; its first byte chooses where the stream is cut into
// reads. Checked: no crash or undefined behaviour, the buffer stays bounded, and the replies do not
// depend on how the stream was cut (whole versus in pieces).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "netbridge/cnt_replyreader.h"

namespace {
struct Seen {
    int type;
    int session;
    QByteArray body;
    bool operator==(const Seen& o) const { return type == o.type && session == o.session && body == o.body; }
};

std::vector<Seen> drain(CNT_ReplyReader& r, std::vector<Seen> out) {
    CNT_ReplyReader::Reply reply;
    while (r.next(&reply)) {
        out.push_back({int(reply.type), reply.session, reply.body});
        if (r.buffered() > CNT_ReplyReader::kMaxBuffered) std::abort();
    }
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 65536) return 0;
    const int step = 1 + data[0] % 17;
    const QByteArray stream(reinterpret_cast<const char*>(data + 1), int(size - 1));

    CNT_ReplyReader whole;
    whole.feed(stream);
    const std::vector<Seen> a = drain(whole, {});

    CNT_ReplyReader pieces;
    std::vector<Seen> b;
    for (int i = 0; i < stream.size(); i += step) {
        pieces.feed(stream.mid(i, step));
        b = drain(pieces, std::move(b));
    }
    if (!(a == b) || whole.buffered() != pieces.buffered()) std::abort();

    // The JSON scanner alone, from every start.
    for (int i = 0; i < stream.size() && i < 64; ++i) {
        const int end = CNT_ReplyReader::jsonEnd(stream, i);
        if (end > stream.size() || end == 0 || (end > 0 && end <= i)) std::abort();
    }
    return 0;
}
