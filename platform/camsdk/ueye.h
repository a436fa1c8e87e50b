#pragma once
// IDS uEye camera interface: only the calls, records and constants the camera layer uses.
// This build links no vendor library; the calls are served by the simulated camera bus (simbus.h).
#include <cstdint>

typedef uint32_t UeyeHandle;

constexpr int kUeyeSuccess = 0;
constexpr int kUeyeNoSuccess = -1;
constexpr UeyeHandle kUeyeUseDeviceId = 0x8000;  // the handle holds a device identifier
constexpr int kUeyeCmMono8 = 6;
constexpr int kUeyeAoiImageSetSize = 5;
constexpr int kUeyeSetEnableAutoGain = 0x8800;
constexpr int kUeyeSetEnableAutoShutter = 0x8802;
constexpr int kUeyeSetHwGammaOn = 1;
constexpr int kUeyePixelclockCmdSet = 6;
constexpr int kUeyeExposureCmdSetExposure = 12;
constexpr int kUeyeGammaCmdSet = 1;
constexpr int kUeyeWait = 1;
constexpr int kUeyeForceVideoStop = 0x4000;
constexpr int kUeyeSetEventFrame = 2;  // event: a new image was written into the image memory
constexpr int kUeyeTimedOut = 122;

struct UeyeSize {
    int32_t width;
    int32_t height;
};

struct UeyeSensorInfo {
    char name[32];
    uint16_t maxWidth;
    uint16_t maxHeight;
    int32_t color;
};

struct UeyeCameraInfo {
    char serial[32];
    char id[32];
};

int is_GetNumberOfCameras(int* count);
int is_InitCamera(UeyeHandle* handle, void* window);
int is_ExitCamera(UeyeHandle handle);
int is_GetSensorInfo(UeyeHandle handle, UeyeSensorInfo* info);
int is_GetCameraInfo(UeyeHandle handle, UeyeCameraInfo* info);
int is_GetColorDepth(UeyeHandle handle, int* bitsPerPixel, int* colorMode);
int is_SetColorMode(UeyeHandle handle, int mode);
int is_AllocImageMem(UeyeHandle handle, int width, int height, int bitsPerPixel, char** memory,
                     int* memoryId);
int is_SetImageMem(UeyeHandle handle, char* memory, int memoryId);
int is_FreeImageMem(UeyeHandle handle, char* memory, int memoryId);
int is_AOI(UeyeHandle handle, unsigned int command, void* param, unsigned int size);
int is_SetAutoParameter(UeyeHandle handle, int param, double* value1, double* value2);
int is_SetHardwareGamma(UeyeHandle handle, int mode);
int is_PixelClock(UeyeHandle handle, unsigned int command, void* param, unsigned int size);
int is_CaptureVideo(UeyeHandle handle, int wait);
int is_StopLiveVideo(UeyeHandle handle, int wait);
int is_Exposure(UeyeHandle handle, unsigned int command, void* param, unsigned int size);
int is_SetHardwareGain(UeyeHandle handle, int master, int red, int green, int blue);
int is_Gamma(UeyeHandle handle, unsigned int command, void* param, unsigned int size);
int is_EnableEvent(UeyeHandle handle, int event);
int is_DisableEvent(UeyeHandle handle, int event);
// kUeyeSuccess once per new image since the last call; kUeyeTimedOut when none came within timeoutMs.
int is_WaitEvent(UeyeHandle handle, int event, int timeoutMs);
