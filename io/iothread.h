#pragma once
#include <QThread>

#include "iopollengine.h"

// The IO board's poll thread: every 5 ms it takes the output word, reads what the board sent, lets the
// engine parse it and sends the engine's frames. It also watches the link (iolink.h): a board that
// gives no valid reply for kLinkLostPasses passes is reported lost and its port is reopened until it
// answers. It runs until the program stops in order or the process ends (requestInterruption: the
// current pass finishes).
class IOThread : public QThread {
    Q_OBJECT
public:
    explicit IOThread(QObject* parent = nullptr);
    ~IOThread() override;

protected:
    void run() override;

private:
    IOPollEngine engine_;
    unsigned char sDataB[IOPollEngine::kBufferSize] = {};
};
