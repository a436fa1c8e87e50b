#include "cameraloss.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QtDebug>
#include <cstring>
#include <thread>

#include "app/mainwindowbase.h"
#include "app/msgbox.h"
#include "cameraglobals.h"
#include "camerahost.h"
#include "camerasettings.h"
#include "cameraslot.h"
#include "checkcamera.h"
#include "io/controlport.h"
#include "platform/system/commandrunner.h"
#include "platform/system/syspath.h"

std::atomic<bool> gisLost{false};
int gLost = 0;

namespace {
bool gWarningOpen = false;  // the loss warning is on screen (its modal loop runs timers)

// Flushes and restarts every network interface but loopback, so that GigE cameras are found again.
void resetNetworkInterfaces() {
    QFile f(SysPath(QStringLiteral("/proc/net/dev")));
    if (!f.open(QIODevice::ReadOnly)) return;
    const QString text = QString::fromLatin1(f.readAll());
    f.close();
    static const QRegularExpression nameRe(QStringLiteral("\\s+(\\S+):"));
    // Interface names go into shell commands: anything but the kernel's usual characters is refused.
    static const QRegularExpression safeRe(QStringLiteral("\\A[A-Za-z0-9_.@-]+\\z"));
    auto it = nameRe.globalMatch(text);
    while (it.hasNext()) {
        const QString name = it.next().captured(1);
        if (name == QLatin1String("lo")) continue;  // loopback only: "wlo1" is a real interface
        if (!safeRe.match(name).hasMatch()) {
            qWarning().noquote() << "network interface name refused:" << name;
            continue;
        }
        RunCommand(QStringLiteral("ip addr flush dev %1 >/dev/null 2>&1").arg(name), kSlowCommandLimitMs);
        CameraSleepMs(1000);
        RunCommand(QStringLiteral("ifdown %1 >/dev/null 2>&1").arg(name), kSlowCommandLimitMs);
        RunCommand(QStringLiteral("ifup %1 >/dev/null 2>&1").arg(name), kSlowCommandLimitMs);
        CameraSleepMs(1000);
    }
}

// The network reset of a MindVision restart runs on a worker thread: its commands and its pauses
// (1 s twice per interface) never hold the polling pass. The enumeration and everything the camera
// layer is told follow on the GUI thread once the reset has ended, in the order they always had.
struct NetworkReset {
    std::thread worker;
    bool running = false;  // GUI thread: a reset is under way
    bool done = false;     // GUI thread: a reset ended, the next restart step enumerates
    int generation = 0;    // a reset of an earlier generation (before a test's reset) is ignored
    ~NetworkReset() {
        if (worker.joinable()) worker.join();
    }
};
NetworkReset& networkReset() {
    static NetworkReset r;
    return r;
}

// Starts the reset; true when it runs on the worker (false: there is no application to come back to,
// and the reset was done here).
bool startNetworkReset() {
    NetworkReset& r = networkReset();
    if (r.worker.joinable()) r.worker.join();  // the last one has ended: its result came back
    if (!QCoreApplication::instance()) {
        resetNetworkInterfaces();
        return false;
    }
    r.running = true;
    const int generation = r.generation;
    r.worker = std::thread([generation] {
        resetNetworkInterfaces();
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) return;
        QMetaObject::invokeMethod(
            app,
            [generation] {
                NetworkReset& back = networkReset();
                if (back.generation != generation) return;
                back.running = false;
                back.done = true;
                if (gisLost) CameraRestart();  // the rest of the attempt, outside the polling pass
            },
            Qt::QueuedConnection);
    });
    return true;
}
}  // namespace

bool cameraRestartUnderWay() {
    return networkReset().running;
}

void CameraCheck(int camera) {
    if (gisLost) return;
    const int n = cameraViewCount();
    switch (gCameraID) {
        case kCameraGalaxy:
        case kCameraUeye:
        case kCameraMindVision:
        case kCameraHikvision:  // a GigE camera often stops streaming while it still enumerates
        case kCameraV4L2:
            break;
        default:
            return;  // test mode: nothing to lose
    }
    gisLost = true;
    ++gLost;
    const CameraSlot* lost = cameraView(camera);
    cameraRecord(cameraText(332).arg(gLost).arg((lost ? lost->slot : camera) + 1));  // its badge number
    if (!gpWin || gpWin->RunState != 3) {
        if (gpControlIO) {
            gpControlIO->IOSetOut(kOutClampingCut, 1);
            gpControlIO->IOFlashOut();
        }
    }
    for (int i = 0; i < n; ++i) {
        if (cameraHost().markViewFailed) cameraHost().markViewFailed(i);
        if (CameraSlot* v = cameraView(i)) {
            v->CameraStop();
            v->CameraClose();
        }
    }
    // Restart attempts run in the box's modal loop: a loss found by one of them is recorded, and the
    // operator confirms the warning already on screen rather than a second one on top of it.
    if (gWarningOpen) return;
    gWarningOpen = true;
    showWarnBox(cameraText(39));
    gWarningOpen = false;
}

void CameraRestart() {
    const int n = cameraViewCount();
    bool reopen = true;
    switch (gCameraID) {
        case kCameraUeye: {
            int count = 0;
            is_GetNumberOfCameras(&count);
            if (count != n) return;
            gisLost = false;
            break;
        }
        case kCameraMindVision: {
            NetworkReset& r = networkReset();
            if (r.running) return;  // the interfaces are still being reset: the loop polls on
            if (!r.done && startNetworkReset()) return;  // the attempt goes on when the reset is over
            r.done = false;
            int count = kMindMaxDevices;
            CameraEnumerateDevice(gCList, &count);
            if (count != n) return;
            gisLost = false;
            break;
        }
        case kCameraHikvision:
            RunEnsureDeviceReach();
            MV_CC_EnumDevices(kMvGigeDevice | kMvUsbDevice, &gDevList);
            if (int(gDevList.deviceNum) != n) return;
            gisLost = false;
            break;
        case kCameraV4L2:
            if (CheckUSBCameraNum() != n) return;
            gisLost = false;
            break;
        case kCameraGalaxy:
        case kCameraNone:
            // Nothing is re-enumerated: a lost Galaxy system stays lost until the program restarts.
            reopen = !gisLost;
            break;
        default:
            return;
    }
    if (reopen) {
        if (cameraHost().hideWarnBox) cameraHost().hideWarnBox();
        for (int i = 0; i < n; ++i) {
            CameraSlot* v = cameraView(i);
            if (!v) continue;
            // A camera still open (nothing closed it) is closed first: opening it again would take a
            // second handle on a camera opened for exclusive access.
            v->CameraStop();
            v->CameraClose();
            v->CameraOpen();
            v->CameraStart();
        }
        cameraRecord(cameraText(642));
    }
    if (n <= 0) {
        CameraSetSpeed();
        return;
    }
    if (cameraHost().resetStallCounters) cameraHost().resetStallCounters();
    for (int i = n - 1; i >= 0; --i) {
        CameraSlot* v = cameraView(i);
        if (v && !v->isActive()) {
            CameraCheck(i);
            return;
        }
    }
    CameraSetSpeed();
}

QString cameraSdkVersionText() {
    char text[256];
    memset(text, 0, sizeof(text));
    CameraSdkGetVersionString(text);
    text[sizeof(text) - 1] = 0;
    return QString::fromLatin1(text);
}

void resetCameraLossGlobals() {
    NetworkReset& r = networkReset();
    if (r.worker.joinable()) r.worker.join();
    r.running = r.done = false;
    ++r.generation;
    gisLost = false;
    gLost = 0;
    gWarningOpen = false;
}
