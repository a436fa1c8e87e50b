#include "iothread.h"

#include <QDebug>
#include <QMutexLocker>

#include "app/globals.h"
#include "iolink.h"
#include "platform/serial/posix_qextserialport.h"
#include "platform/system/timing.h"

IOThread::IOThread(QObject* parent) : QThread(parent) {}

IOThread::~IOThread() = default;

void IOThread::run() {
    // Link watch: talking passes since the last valid reply, and passes since the last reopen.
    int silent = 0;
    int sinceReopen = 0;
    unsigned replies = engine_.validReplies();
    while (!isInterruptionRequested()) {
        int out;
        {
            QMutexLocker lock(pMutexIO);
            out = gDataOut;
        }
        if (gIOID != 0) {
            if (gpCom && gpCom->isOpen()) {
                int n = 0;
                const qint64 waiting = gpCom->bytesAvailable();
                if (waiting > 0) {
                    const qint64 got = gpCom->read(
                        reinterpret_cast<char*>(sDataB),
                        waiting < IOPollEngine::kBufferSize ? waiting : IOPollEngine::kBufferSize);
                    n = got > 0 ? int(got) : 0;
                }
                const IOPollEngine::Sends s = engine_.talk(sDataB, n, out);
                for (int k = 0; k < s.count; ++k) ComSend(s.code[k], s.value[k]);
            }
            if (engine_.validReplies() != replies) {
                replies = engine_.validReplies();
                silent = 0;
                if (IOLinkLost()) {
                    setIOLinkLost(false);
                    qInfo("IO board answers again");
                }
            } else if (++silent >= kLinkLostPasses && !IOLinkLost()) {
                // A board that stopped answering (cable, power, a device that went away): the port is
                // opened afresh from now on, until the board answers.
                setIOLinkLost(true);
                sinceReopen = kLinkReopenPasses;
                qWarning("IO board does not answer: reopening its port until it does");
            }
            if (IOLinkLost() && ++sinceReopen >= kLinkReopenPasses) {
                sinceReopen = 0;
                engine_.reset();
                ComReopen();
            }
        }
        msleep(static_cast<unsigned long>(TimeMs("io.poll", 5)));
    }
}
