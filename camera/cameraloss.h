#pragma once
// Lost-camera flag: set by the frame-rate check when a camera stopped delivering; the inspection loop
// then cuts the clamping and restarts the cameras. Cleared when every camera is running again.
#include <atomic>

extern std::atomic<bool> gisLost;
