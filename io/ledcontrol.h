#pragma once
// The panel's indicator LEDs and LCD backlight ("/dev/led", descriptor gfLED), and the process helpers.
#include <sys/time.h>

#include <functional>

class QObject;

// Request codes of the LED device; the whole meaning is in the code, no argument.
constexpr unsigned long kLedBacklightOn = 0x5A018B00UL;
constexpr unsigned long kLedBacklightOff = 0x5A018A00UL;
constexpr unsigned long kLedMask = 0x5A018000UL;  // OR the 8-bit LED mask

// The one call that reaches the LED device. Tests install a hook to record the requests instead.
int LedIoctl(int fd, unsigned long request);
void setLedIoctlHook(std::function<int(int fd, unsigned long request)> hook);

// Backlight on (non-zero) or off; sets the main window's screen-off flag even without the device.
void LCDOnOff(int on);
// LED n (0..7) takes the lowest bit of on; the whole mask is then sent. Without the device the mask
// still changes, so the next request carries every earlier change.
void LEDOnOff(int n, int on);
// The current LED mask (0xFF at start).
unsigned char ledMask();
// Back to 0xFF (tests; part of resetIOGlobals).
void resetLedState();

// Clears the watchdog flag gisRunWTD (app/globals.h) at once, then pauses 1 s before a controlled
// shutdown goes on with `then`. On the application's thread the pause is a timer: the GUI thread and
// the machine loop run on meanwhile, and `then` runs from the event loop afterwards (not at all when
// `context` was given and is gone by then). Elsewhere (no application object, another thread) the
// pause is waited on the calling thread and `then` runs before StopWTD returns.
void StopWTD(QObject* context = nullptr, std::function<void()> then = {});
// True while a StopWTD pause is under way: a second stop path started meanwhile is refused.
bool watchdogStopping();
// StopWTD, then ends the process with status (normal exit: static destructors run) after the pause.
void Exit(int status);

// A timing probe: the milliseconds from startT to now go into nextT (the previous value into lastT),
// are added to allT, counted in numT and kept as maxT and minT (10000 at start), and logged as a debug
// line. Nothing sets startT but a caller that wants a measurement.
extern timeval startT;
extern timeval finishT;
extern long long allT;
extern int numT, maxT, minT, lastT, nextT;
void CaclTime();
// Back to the start values (tests).
void resetCaclTime();
