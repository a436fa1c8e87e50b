#include "iothread.h"

#include <QMutexLocker>

#include "app/globals.h"
#include "iolink.h"
#include "platform/serial/posix_qextserialport.h"
#include "platform/system/timing.h"

IOThread::IOThread(QObject* parent) : QThread(parent) {}

IOThread::~IOThread() = default;

void IOThread::run() {
    while (!isInterruptionRequested()) {
        int out;
        {
            QMutexLocker lock(pMutexIO);
            out = gDataOut;
        }
        // Without an open port there is nobody to talk to: the pass only sleeps.
        if (gIOID != 0 && gpCom && gpCom->isOpen()) {
            int n = 0;
            const qint64 waiting = gpCom->bytesAvailable();
            if (waiting > 0) {
                const qint64 got =
                    gpCom->read(reinterpret_cast<char*>(sDataB),
                                waiting < IOPollEngine::kBufferSize ? waiting : IOPollEngine::kBufferSize);
                n = got > 0 ? int(got) : 0;
            }
            const IOPollEngine::Sends s = engine_.talk(sDataB, n, out);
            for (int k = 0; k < s.count; ++k) ComSend(s.code[k], s.value[k]);
        }
        msleep(static_cast<unsigned long>(TimeMs("io.poll", 5)));
    }
}
