#include "ledcontrol.h"

#include <QCoreApplication>
#include <QDebug>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <sys/ioctl.h>
#include <climits>

#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "platform/system/processexit.h"
#include "platform/system/timing.h"

namespace {
std::function<int(int, unsigned long)>& ledHook() {
    static std::function<int(int, unsigned long)> hook;
    return hook;
}
unsigned char g_led = 0xFF;
int g_wtdPauses = 0;  // StopWTD pauses under way (GUI thread only)
}  // namespace

void resetLedState() {
    g_led = 0xFF;
}

int LedIoctl(int fd, unsigned long request) {
    if (ledHook()) return ledHook()(fd, request);
    return ::ioctl(fd, request);
}

void setLedIoctlHook(std::function<int(int, unsigned long)> hook) {
    ledHook() = std::move(hook);
}

void LCDOnOff(int on) {
    if (gfLED > 0) LedIoctl(gfLED, on ? kLedBacklightOn : kLedBacklightOff);
    if (gpWin) gpWin->screenOff = on ? 0 : 1;
}

void LEDOnOff(int n, int on) {
    if (n >= 0 && n < 8) {
        if (on & 1)
            g_led = static_cast<unsigned char>(g_led | (1u << n));
        else
            g_led = static_cast<unsigned char>(g_led & ~(1u << n));
    }
    if (gfLED > 0) LedIoctl(gfLED, kLedMask | g_led);
}

unsigned char ledMask() {
    return g_led;
}

void StopWTD(QObject* context, std::function<void()> then) {
    gisRunWTD = 0;
    const int ms = TimeMs("wtd.stop", 1000);
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        QThread::msleep(static_cast<unsigned long>(ms));
        if (then) then();
        return;
    }
    ++g_wtdPauses;
    const bool bound = context != nullptr;
    QPointer<QObject> guard(context);
    QTimer::singleShot(ms, app, [bound, guard, then = std::move(then)] {
        --g_wtdPauses;
        if (bound && !guard) return;
        if (then) then();
    });
}

bool watchdogStopping() {
    return g_wtdPauses > 0;
}

void Exit(int status) {
    StopWTD(nullptr, [status] { ProcessExit(status); });
}

timeval startT{};
timeval finishT{};
long long allT = 0;
int numT = 0;
int maxT = 0;
int minT = 10000;
int lastT = 0;
int nextT = 0;

void CaclTime() {
    gettimeofday(&finishT, nullptr);
    const long long ms = (static_cast<long long>(finishT.tv_sec) - startT.tv_sec) * 1000 +
                         (static_cast<long long>(finishT.tv_usec) - startT.tv_usec) / 1000;
    allT += ms;
    ++numT;
    const int value = static_cast<int>(qBound<long long>(INT_MIN, ms, INT_MAX));
    if (value > maxT) maxT = value;
    if (value < minT) minT = value;
    lastT = nextT;
    nextT = value;
    qDebug("%f\n", double(nextT));
}

void resetCaclTime() {
    startT = finishT = timeval{};
    allT = 0;
    numT = maxT = lastT = nextT = 0;
    minT = 10000;
}
