#pragma once
// Process-wide state of the camera layer. Written on the GUI thread during start-up (CheckCameraID and
// the main window's initialisation), read-only afterwards except where the lost-camera restart says
// otherwise.
#include <QString>
#include <QList>
#include <QPair>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "platform/camsdk/hikvision.h"
#include "platform/camsdk/mindvision.h"

// Value of gCameraID: the one camera family in use for the whole run.
enum CameraID : int {
    kCameraNone = 0,  // four test views show stored test images
    kCameraGalaxy = 4,
    kCameraUeye = 5,
    kCameraMindVision = 6,
    kCameraHikvision = 7,
    kCameraV4L2 = 9,
};

extern int gCameraID;
extern int gFindCamera;            // cameras the chosen back-end reported; 4 when none was found
extern int gOW, gOH;               // full sensor size as the SDK reports it
extern int gImageW, gImageH;       // working image size: every frame handed to the inspection
extern int gSensorColor;           // 1 when the sensor delivers colour
extern int gisCut;                 // crop switch: 1 - prohibit_optimize
extern int gisColor;               // colour processing (enable_color_camera)
extern int gImageLen;              // gImageW * gImageH
extern int gColorLen;              // gImageLen * 4 with colour processing, else gImageLen
extern int numCamera;              // views whose camera opened
extern int gContrast[kMaxCamera];  // Galaxy software contrast factor per slot, under pMutex[slot]
// Camera-active flag per slot: set when the slot's camera opened (or in test mode). Every "for each
// camera" loop walks these flags, not 0..numCamera-1: a slot may fail while a later one opens.
extern bool gCameraActive[kMaxCamera];
extern MindResolution gImageResolution;
extern MindDevInfo gCList[kMindMaxDevices];
extern MvDeviceInfoList gDevList;

// Camera bindings gSerialNB (serial bound to each screen slot, "0" for none) and gCamNO come with the
// parameter record (app/wizardpara.h).

// Derives gImageLen and gColorLen from the working size and gisColor.
void updateFrameLengths();

// How the V4L2 back-end reaches its devices. The defaults are the panel's; the simulated profile and
// tests point them at FFmpeg's lavfi test source or an image file.
struct V4L2Config {
    QString inputFormat = QStringLiteral("video4linux2");
    QString devicePattern =
        QStringLiteral("/dev/video%d");  // %d: device number; absolute paths go through SysPath
    QList<QPair<QString, QString>> options = {{QStringLiteral("framerate"), QStringLiteral("30")}};
    int maxDevice = 63;
};
V4L2Config& v4l2Config();
// Simulated profile: fills the simulated camera bus and the V4L2 configuration from
// "./sysroot/cameras.json" ("v4l2": {"format": ..., "device": ..., "options": {...}}).
void loadSimulatedCameras();

// Waits used by detection (6 s after an address repair, 3 s in the uEye probe). Tests replace the
// sleeper to record the waits instead.
using CameraSleeper = void (*)(int ms);
void setCameraSleeper(CameraSleeper sleeper);  // nullptr: the real sleep
void CameraSleepMs(int ms);

// GigE address repair hooks run by detection; installed by the GigE repair code. Unset: nothing
// repaired, nothing to reach.
using RepairAllFn = int (*)();
using EnsureReachFn = void (*)();
void setGigeRepairHooks(RepairAllFn repair, EnsureReachFn ensureReach);
int RunRepairAllCameraIP();
void RunEnsureDeviceReach();

// Back to the state before detection, for tests in one binary (also the host hooks, the registered
// views, the settings globals and the loss state).
void resetCameraGlobals();
