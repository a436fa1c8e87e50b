#pragma once
// What one pass of the IO poll thread does with the bytes it read, without threads, ports or time:
// frames the board's replies, publishes the input word, stores analogue values and decides which
// command frames the pass sends. IOThread owns one and feeds it; tests feed it directly.
class IOPollEngine {
public:
    static constexpr int kBufferSize = 1024;

    struct Sends {
        int count = 0;
        int code[2] = {0, 0};
        int value[2] = {0, 0};
    };

    // One pass that talks to the board. data/len: the bytes read in this pass (len may be 0);
    // outWord: the output word copied at the start of the pass. Returns the frames to send, in order:
    // the output word (only when a poll reply reported different outputs), then the pass's request.
    Sends talk(const unsigned char* data, int len, int outWord);

    // Valid replies (poll or analogue) handled since construction; never reset.
    unsigned validReplies() const { return replies_; }
    int passCounter() const { return sCT; }
    int analogIndex() const { return sCTIdx; }
    int held() const { return sLen; }
    // Forgets the bytes held and restarts the pass schedule (a fresh link).
    void reset();

private:
    // Parses what is held; true when a poll reply's output echo differed from outWord.
    bool parse(int outWord);
    void handleFrame(const unsigned char* f, int outWord, bool* sendOutputs);

    unsigned char sData[kBufferSize] = {};
    int sLen = 0;
    int sCT = 0;
    int sCTIdx = 0;
    unsigned replies_ = 0;
};
