#include "cnt_replyreader.h"

#include <QList>
#include <algorithm>
#include <glog/logging.h>

namespace {
const QByteArray kBlank("\r\n\r\n");

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
}  // namespace

void CNT_ReplyReader::feed(const QByteArray& bytes) {
    // The front handed out goes once per read, and only when it is at least as long as what stays,
    // so that a long backlog is not moved again at every read.
    const int rest = buffer_.size() - pos_;
    if (pos_ > 0 && pos_ >= rest) {
        buffer_.remove(0, pos_);
        blankFrom_ = std::max(0, blankFrom_ - pos_);
        if (headEnd_ >= 0) headEnd_ -= pos_;
        if (bodyStart_ >= 0) bodyStart_ -= pos_;
        scan_.at = std::max(0, scan_.at - pos_);
        pos_ = 0;
    }
    buffer_.append(bytes);
}

void CNT_ReplyReader::clear() {
    buffer_.clear();
    pos_ = 0;
    restartReply();
}

void CNT_ReplyReader::restartReply() {
    blankFrom_ = pos_;
    headEnd_ = -1;
    session_ = 0;
    bodyStart_ = -1;
    scan_ = JsonScan();
}

void CNT_ReplyReader::dropOverflow() {
    const int waiting = buffered();
    if (waiting <= kMaxBuffered) return;
    discarded_ += waiting;
    LOG(WARNING) << "CNT: " << waiting << " bytes from the client make no reply; dropped";
    clear();
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

int CNT_ReplyReader::scanJson(const char* text, int size, JsonScan* s) {
    int depth = s->depth;
    bool inString = s->inString, escaped = s->escaped;
    for (int i = s->at; i < size; ++i) {
        const char c = text[i];
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
            if (--depth == 0) {
                *s = JsonScan{i + 1, 0, false, false};
                return i + 1;
            }
        }
    }
    *s = JsonScan{size, depth, inString, escaped};
    return -1;
}

int CNT_ReplyReader::jsonEnd(const QByteArray& text, int from) {
    if (from < 0 || from >= text.size()) return -1;
    const char open = text.at(from);
    if (open != '{' && open != '[') return -2;
    JsonScan s;
    s.at = from;
    return scanJson(text.constData(), text.size(), &s);
}

bool CNT_ReplyReader::next(Reply* reply) {
    const int size = buffer_.size();
    const char* data = buffer_.constData();
    if (headEnd_ < 0) {
        // Line ends between replies belong to none of them.
        if (pos_ == blankFrom_) {
            while (pos_ < size && isSpace(data[pos_])) ++pos_;
            blankFrom_ = pos_;
        }
        const int blank = buffer_.indexOf(kBlank, blankFrom_);
        if (blank < 0) {
            // A blank line may still end in the bytes to come: the last three are looked at again.
            blankFrom_ = std::max(pos_, size - (kBlank.size() - 1));
            dropOverflow();
            return false;
        }
        headEnd_ = blank + kBlank.size();
        // The head is looked at in place.
        const QByteArray head = QByteArray::fromRawData(data + pos_, blank - pos_);
        const int eol = head.indexOf("\r\n");
        const QByteArray first = QByteArray::fromRawData(head.constData(), eol < 0 ? head.size() : eol);
        Type type = Answer;
        if (first.contains("/back/"))
            type = Ack;
        else if (first.contains("/heart/"))
            type = Heart;
        else if (first.contains("/reline/"))
            type = Reline;
        if (type != Answer) {
            *reply = Reply();
            reply->type = type;
            pos_ = headEnd_;
            restartReply();
            return true;
        }
        session_ = sessionOf(head);
        scan_.at = headEnd_;
    }
    // An answer: its body, when one follows.
    if (bodyStart_ < 0) {
        int b = scan_.at;
        while (b < size && isSpace(data[b])) ++b;
        scan_.at = b;
        if (b >= size) {
            // Nothing yet that tells whether a body comes.
            dropOverflow();
            return false;
        }
        if (data[b] != '{' && data[b] != '[') {
            // Something else follows: the answer has no body.
            *reply = Reply();
            reply->session = session_;
            pos_ = headEnd_;
            restartReply();
            return true;
        }
        bodyStart_ = b;
    }
    const int end = scanJson(data, size, &scan_);
    if (end < 0) {
        // The body is still on its way.
        dropOverflow();
        return false;
    }
    *reply = Reply();
    reply->session = session_;
    reply->body = buffer_.mid(bodyStart_, end - bodyStart_);
    pos_ = end;
    restartReply();
    return true;
}
