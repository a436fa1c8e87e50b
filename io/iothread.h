#pragma once
#include <QThread>

#include "iopollengine.h"

// The IO board's poll thread: every 5 ms it takes the output word, reads what the board sent, lets the
// engine parse it and sends the engine's frames. It runs until the process ends; only tests ask it to
// stop (requestInterruption), after which the current pass finishes.
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
