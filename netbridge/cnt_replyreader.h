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
//
// The work is linear in the bytes received: replies are taken from a read position (the handed-out
// front is removed at most once per read), and the search for a head's blank line and the scan of an
// unfinished body go on where they stopped, so a body that comes in small pieces is not scanned again
// from its start at every read.
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
    void clear();
    // Bytes received and not handed out yet.
    int buffered() const { return buffer_.size() - pos_; }
    // Bytes thrown away because no reply completed within kMaxBuffered.
    qint64 discarded() const { return discarded_; }

    // The SessionId of a head (lines joined by "\r\n"), as the client's answers carry it.
    static int sessionOf(const QByteArray& head);
    // Where the JSON object or array that starts at `from` ends (one past its closing bracket); -1
    // while it is incomplete, -2 when the text there starts no object or array.
    static int jsonEnd(const QByteArray& text, int from);

private:
    // Where the scan of a JSON body stands: the next byte to look at and what was open before it.
    struct JsonScan {
        int at = 0;
        int depth = 0;
        bool inString = false;
        bool escaped = false;
    };
    // Goes on scanning text[s->at, size): one past the closing bracket of the document, or -1 (all
    // of it scanned, s->at == size).
    static int scanJson(const char* text, int size, JsonScan* s);
    void restartReply();  // the reply at pos_ is looked at from its start
    void dropOverflow();

    QByteArray buffer_;
    int pos_ = 0;  // first byte not handed out
    // The reply at pos_ as far as it was looked at (positions in buffer_):
    int blankFrom_ = 0;   // no blank line of its head starts before this
    int headEnd_ = -1;    // one past its head's blank line once found
    int session_ = 0;     // an answer's SessionId
    int bodyStart_ = -1;  // an answer's JSON document, once its first byte came
    JsonScan scan_;       // before bodyStart_: where the blanks after the head were skipped to
    qint64 discarded_ = 0;
};
