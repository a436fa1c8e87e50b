#pragma once
// Cuts the network client's byte stream into replies.
//
// A reply is "<head lines>\r\n\r\n<body>". The first head line decides its type: "/back/" (the
// message in flight is acknowledged), "/heart/" (heartbeat) or "/reline/" (the client asks to be
// started again); the markers are case-sensitive and may stand anywhere in the line. Any other first
// line makes the reply an answer to a request: a head line "SessionId:<n>" names the request (14 the
// product list, 17 the reminder list; a later line overrides an earlier one; a value that is not a
// whole decimal number gives 0) and the body is the JSON document that follows the blank line.
//
// TCP keeps no reply boundaries: one read may hold part of a reply or several. The reader keeps what
// it was given and hands out each reply once it is complete: a marker reply at its blank line, an
// answer once its JSON body is complete (objects and arrays are followed to their closing bracket;
// an answer followed by anything else has an empty body; until something follows, it waits). Text that never
// makes a reply is dropped once more than kMaxBuffered bytes wait.
#include <QByteArray>

class CNT_ReplyReader {
public:
    enum Type { Ack, Heart, Reline, Answer };
    struct Reply {
        Type type = Answer;
        int session = 0;  // answers only
        QByteArray body;  // answers only: the JSON text
    };
    static constexpr int kMaxBuffered = 1 << 20;

    // Appends what the connection delivered.
    void feed(const QByteArray& bytes);
    // The next complete reply, oldest first; false when none is complete yet.
    bool next(Reply* reply);
    void clear() { buffer_.clear(); }
    int buffered() const { return buffer_.size(); }
    // Bytes thrown away because no reply completed within kMaxBuffered.
    qint64 discarded() const { return discarded_; }

    // The SessionId of a head (lines joined by "\r\n"), as the client's answers carry it.
    static int sessionOf(const QByteArray& head);
    // Where the JSON object or array that starts at `from` ends (one past its closing bracket); -1
    // while it is incomplete, -2 when the text there starts no object or array.
    static int jsonEnd(const QByteArray& text, int from);

private:
    void dropOverflow();
    QByteArray buffer_;
    qint64 discarded_ = 0;
};
