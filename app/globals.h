#pragma once
// Process-wide state of the application frame, created by start-up before the main window exists.
#include <QMutex>

struct WizardPara;

constexpr int kMaxCamera = 8;
constexpr int kMaxStep = 8;

extern QMutex* pMutexIO;              // guards the IO words
extern QMutex* pMutexSaveFail;        // guards the NG image slots
extern QMutex* pMutex[kMaxCamera];    // one per camera frame buffer
extern bool isImageFill[kMaxCamera];  // a fresh frame waits in the camera's buffer

extern int gfLED;      // descriptor of the LED device, -1 when absent
extern int gLan;       // user-interface language: 0 Simplified Chinese, 1 English, 2 Traditional Chinese
extern int gisRunWTD;  // watchdog flag: set by the main window's initialisation, cleared by StopWTD

// Camera display area in pixels (1725 x 982 once the main window is initialised, 0 before).
extern int gShowW;
extern int gShowH;

extern WizardPara* gpWPara;     // live parameter record
extern WizardPara* gpWParaBak;  // working copy edited by the settings pages

// Creates the locks (start-up step 7); safe to call again.
void createFrameLocks();
// Back to the state before start-up, for tests in one binary (failed-write reports included). Locks
// stay allocated.
void resetAppGlobals();
