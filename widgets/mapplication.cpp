#include "mapplication.h"

#include <QEvent>
#include <QThread>
#include <QTimer>

#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "bmessagebox.h"
#include "kithost.h"
#include "kittext.h"
#include "platform/system/commandrunner.h"
#include "platform/system/timing.h"

MApplication::MApplication(int& argc, char** argv) : QApplication(argc, argv) {
    calibrationArmed = false;
    holdTimer = new QTimer(this);
    holdTimer->setSingleShot(true);
    connect(holdTimer, &QTimer::timeout, this, &MApplication::holdTimeout);
}

void MApplication::onPress() {
    if (kitCameraBackend() == 0 && !holdTimer->isActive() && !calibrationArmed)
        holdTimer->start(TimeMs("app.calibrationHold", 5000));
    if (!gpWin || !kitHasRecord()) return;
    const int logout = kitHost().logoutSeconds();
    if (gpWin->logoutTimer && logout > 0) gpWin->logoutTimer->start(logout * 1000);
    const int screenOff = kitHost().screenOffSeconds();
    if (gpWin->screenOffTimer && screenOff > 0) gpWin->screenOffTimer->start(screenOff * 1000);
}

// The press that wakes a dark screen switches the backlight on and reaches no widget.
bool MApplication::wakeSwallows() {
    if (!gpWin || !gpWin->screenOff) return false;
    kitBacklightOn();
    gpWin->screenOff = 0;
    return true;
}

void MApplication::onRelease() {
    if (!calibrationArmed) {
        holdTimer->stop();
        return;
    }
    // Cleared first: the calibration runs once, also when it was armed before the main window.
    calibrationArmed = false;
    RunCommand("./tsc", kLongCommandLimitMs);
    if (!gpWin) return;
    gisRunWTD = 0;  // a controlled restart follows
    QThread::msleep(TimeMs("app.calibrationPause", 500));
    gpWin->FLushAll();
    RunCommand("reboot");
}

bool MApplication::notify(QObject* receiver, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            onPress();
            if (wakeSwallows()) return true;
            break;
        case QEvent::MouseButtonRelease:
            onRelease();
            break;
        default:
            break;
    }
    return QApplication::notify(receiver, event);
}

void MApplication::holdTimeout() {
    holdTimer->stop();
    if (kitCameraBackend() != 0) return;
    calibrationArmed = true;
    if (gpWin) showNoticeBox(kitText(370));
}
