#include "camerathread.h"

#include "cameraglobals.h"
#include "cameraslot.h"
#include "platform/system/timing.h"

CameraThread::CameraThread(CameraSlot* v, QObject* parent) : QThread(parent), view(v) {}

CameraThread::~CameraThread() {
    running = false;
    wait();
}

void CameraThread::run() {
    msleep(ulong(TimeMs("camera.grabStart", 300)));
    const ulong poll = ulong(TimeMs("camera.grabPoll", 10));
    while (running) {
        view->GrabOnce();
        // A pass that failed sleeps too, so a lost V4L2 device or an input at its end never spins.
        msleep(poll);
    }
}
