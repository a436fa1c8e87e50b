#pragma once
#include <QThread>
#include <atomic>

class CameraSlot;

// The grab thread of one camera view: waits 300 ms after it starts, then polls its camera every 10 ms
// (the Galaxy and MindVision grab calls wait at most 100 ms) and hands each new frame to the view.
class CameraThread : public QThread {
    Q_OBJECT
public:
    explicit CameraThread(CameraSlot* view, QObject* parent = nullptr);
    ~CameraThread() override;

    CameraSlot* view;
    std::atomic<bool> running{false};  // set by CameraStart, cleared by CameraStop

protected:
    void run() override;
};
