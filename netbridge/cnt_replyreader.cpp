#include "cnt_replyreader.h"

#include <QList>
#include <glog/logging.h>

namespace {
const QByteArray kBlank("\r\n\r\n");

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
}  // namespace

void CNT_ReplyReader::feed(const QByteArray& bytes) {
    buffer_.append(bytes);
}

void CNT_ReplyReader::dropOverflow() {
    if (buffer_.size() <= kMaxBuffered) return;
    discarded_ += buffer_.size();
    LOG(WARNING) << "CNT: " << buffer_.size() << " bytes from the client make no reply; dropped";
    buffer_.clear();
}

int CNT_ReplyReader::sessionOf(const QByteArray& head) {
    int session = 0;
    int from = 0;
    while (from <= head.size()) {
        int eol = head.indexOf("\r\n", from);
        if (eol < 0) eol = head.size();
        const QByteArray l = head.mid(from, eol - from);
        from = eol + 2;
        if (!l.contains("SessionId")) continue;
        const QList<QByteArray> kv = l.split(':');
        if (kv.size() != 2) continue;
        bool ok = false;
        const int v = kv.at(1).toInt(&ok);
        session = ok ? v : 0;
    }
    return session;
}

int CNT_ReplyReader::jsonEnd(const QByteArray& text, int from) {
    if (from >= text.size()) return -1;
    const char open = text.at(from);
    if (open != '{' && open != '[') return -2;
    int depth = 0;
    bool inString = false, escaped = false;
    for (int i = from; i < text.size(); ++i) {
        const char c = text.at(i);
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            if (--depth == 0) return i + 1;
        }
    }
    return -1;
}

bool CNT_ReplyReader::next(Reply* reply) {
    // Line ends between replies belong to none of them.
    int start = 0;
    while (start < buffer_.size() && isSpace(buffer_.at(start))) ++start;
    if (start) buffer_.remove(0, start);
    const int blank = buffer_.indexOf(kBlank);
    if (blank < 0) {
        dropOverflow();
        return false;
    }
    const QByteArray head = buffer_.left(blank);
    const int eol = head.indexOf("\r\n");
    const QByteArray first = eol < 0 ? head : head.left(eol);
    Reply r;
    int consumed = blank + kBlank.size();
    if (first.contains("/back/")) {
        r.type = Ack;
    } else if (first.contains("/heart/")) {
        r.type = Heart;
    } else if (first.contains("/reline/")) {
        r.type = Reline;
    } else {
        r.type = Answer;
        r.session = sessionOf(head);
        int body = consumed;
        while (body < buffer_.size() && isSpace(buffer_.at(body))) ++body;
        const int end = jsonEnd(buffer_, body);
        if (end == -1) {
            // The body is still on its way (or nothing follows yet that tells it has none).
            dropOverflow();
            return false;
        }
        if (end >= 0) {
            r.body = buffer_.mid(body, end - body);
            consumed = end;
        }
    }
    buffer_.remove(0, consumed);
    *reply = r;
    return true;
}
