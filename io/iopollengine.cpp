#include "iopollengine.h"

#include <QMutexLocker>
#include <cstring>

#include "app/globals.h"
#include "iolink.h"

void IOPollEngine::reset() {
    sLen = 0;
    sCT = 0;
    sCTIdx = 0;
}

IOPollEngine::Sends IOPollEngine::talk(const unsigned char* data, int len, int outWord) {
    Sends s;
    if (len > 0) {
        // Of what does not fit, the tail is dropped.
        const int take = len < kBufferSize - sLen ? len : kBufferSize - sLen;
        std::memcpy(sData + sLen, data, static_cast<size_t>(take));
        sLen += take;
        if (sLen >= 8 && parse(outWord)) {
            s.code[s.count] = kCmdSetOutputs;
            s.value[s.count] = outWord;
            ++s.count;
        }
    }
    int request = kCmdPoll;
    if (++sCT == 200) {
        sCTIdx = 0;
        request = kCmdAnalogLow;
    } else if (sCT == 210) {
        sCTIdx = 8;
        sCT = 0;
        request = kCmdAnalogHigh;
    }
    s.code[s.count] = request;
    s.value[s.count] = 0;
    ++s.count;
    return s;
}

bool IOPollEngine::parse(int outWord) {
    bool sendOutputs = false;
    int pos = 0;
    while (sLen - pos >= 8) {
        const unsigned char* f = sData + pos;
        if (f[0] == 0x5F && f[6] == calcLRC(f, 6) && f[7] == 0xF5) {
            handleFrame(f, outWord, &sendOutputs);
            pos += 8;
        } else {
            ++pos;  // resynchronise one byte at a time
        }
    }
    std::memmove(sData, sData + pos, static_cast<size_t>(sLen - pos));
    sLen -= pos;
    return sendOutputs;
}

void IOPollEngine::handleFrame(const unsigned char* f, int outWord, bool* sendOutputs) {
    switch (f[1]) {
        case kCmdPoll: {
            ++replies_;
            const int in = ((f[3] & 3) << 8) | f[2];
            {
                QMutexLocker lock(pMutexIO);
                gDataIn = in;
            }
            const int echo = ((f[5] & 3) << 8) | f[4];
            gOutputEcho = echo;
            if (echo != outWord) *sendOutputs = true;
            break;
        }
        case kCmdAnalogLow:
        case kCmdAnalogHigh:
            ++replies_;
            // A board sending more replies than there are channels: the surplus is dropped.
            if (sCTIdx >= 0 && sCTIdx < kAnalogCount) {
                const unsigned v =
                    unsigned(f[2]) | unsigned(f[3]) << 8 | unsigned(f[4]) << 16 | unsigned(f[5]) << 24;
                gFTemp[sCTIdx++] = static_cast<int>(v);
            }
            break;
        default:
            break;  // a set-outputs acknowledgement or an unknown code: nothing to do
    }
}
