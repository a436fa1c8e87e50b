#pragma once
// Back-end detection: probes the camera families in a fixed order at start-up and publishes gCameraID,
// gFindCamera, the sensor and working sizes and gSensorColor (cameraglobals.h).
//
// Order: GigE address repair (6 s wait after a repair), Galaxy, MindVision SDK start, uEye,
// MindVision, Hikvision, V4L2 (only when the input-device list names a camera), none (1920 x 1080).
// In the panel profile this build links no vendor library, so only V4L2 can be found; in the simulated
// profile the simulated camera bus answers for all four vendors.
#include "cameraglobals.h"

// In the simulated profile an empty simulated bus is first filled from "./sysroot/cameras.json"
// (loadSimulatedCameras). FFmpeg's devices must be registered (avdevice_register_all) before.
void CheckCameraID();
// Number of lines of the kernel's input-device list (copied as "devices" into the program directory)
// that name a "Camera" or "WebCam", case-insensitively.
int CheckUSBCameraNum();

// Working image size for a back-end and sensor width (the MindVision 2592 case needs the preset and is
// handled by CheckCameraID). Returns false when the table has no row (use the sensor size).
bool WorkingSizeFor(int cameraId, int sensorW, int sensorH, int cut, int* w, int* h);
