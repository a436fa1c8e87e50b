#pragma once
// Lost-camera watch and restart. The main window's once-per-second frame-rate watch reports a camera
// that stayed silent for more than five seconds to CameraCheck, which declares the cameras lost: it
// records the event, holds the machine (output 0, the clamping cut, on and flushed: the mould may not
// close while nothing looks into it; left as it stands when detection is stopped), stops and closes
// every camera and warns the operator. While gisLost is set the inspection loop calls CameraRestart every
// 3 s; it re-enumerates the camera family and, when the expected cameras are back, reopens and
// restarts them. Views and main-window hooks come through camerahost.h. GUI thread only.
#include <QString>
#include <atomic>

// Set while the cameras are lost; cleared by CameraRestart when the enumeration is complete again.
extern std::atomic<bool> gisLost;
// Loss events since the counters were last reset (the settings dialog's counter reset zeroes it).
extern int gLost;

// A camera (view index) delivered no frame: declares the loss, for every back-end (a camera that still
// enumerates but sends nothing is as blind as one that is gone; enumeration only gates the restart).
// Nothing when the cameras are already lost or in test mode (back-end 0).
void CameraCheck(int camera);
// One restart attempt (see above); a view that does not reopen is declared lost again. MindVision
// first resets the network interfaces on a worker thread: the call returns at once and the attempt
// goes on from the event loop once the reset is over (calls meanwhile do nothing).
void CameraRestart();
// True while a restart attempt waits for its network reset.
bool cameraRestartUnderWay();

// The MindVision SDK's version text (for the start record with back-end 6).
QString cameraSdkVersionText();

// Back to the state before start-up (tests).
void resetCameraLossGlobals();
