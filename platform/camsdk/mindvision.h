#pragma once
// MindVision camera interface: only the calls, records and constants the camera layer uses.
// This build links no vendor library; the calls are served by the simulated camera bus (simbus.h).
#include <cstdint>

typedef int MindHandle;
typedef int MindStatus;

constexpr MindStatus kMindSuccess = 0;
constexpr MindStatus kMindFailed = -1;
constexpr MindStatus kMindTimeout = -12;
constexpr MindStatus kMindNoDevice = -5;
constexpr uint32_t kMindIspRgb8 = 0x02180014;
constexpr uint32_t kMindIspMono8 = 0x01080001;
constexpr int kMindResolutionCustom = 0xFF;
constexpr int kMindMaxDevices = 12;
constexpr int kMindTriggerContinuous = 0;
constexpr int kMindTriggerHardware = 2;
constexpr int kMindFactoryDefaults = 255;

struct MindDevInfo {
    char productName[32];
    char serial[32];  // the camera's serial number text
    char portType[32];
    int index;  // position on the bus, used by the simulated bus
};

struct MindResolution {
    int index;  // 0xFF: custom
    char description[32];
    uint32_t binSumMode;
    uint32_t binAverageMode;
    int hOffset;
    int vOffset;
    int fovWidth;
    int fovHeight;
    int width;
    int height;
};

struct MindRange {
    int min;
    int max;
};

struct MindCapability {
    int isMono;
    int maxWidth;
    int maxHeight;
    MindResolution* presets;  // preset resolution list
    int presetCount;
    MindRange sharpness;
    MindRange contrast;
    MindRange gamma;
};

struct MindFrameHead {
    int width;
    int height;
    uint32_t mediaType;
    uint32_t bytes;
    uint32_t frameId;
};

MindStatus CameraSdkInit(int language);
MindStatus CameraUSBDeviceInit();
MindStatus CameraEnumerateDevice(MindDevInfo* list, int* count);  // count: capacity in, found out
MindStatus CameraInit(MindDevInfo* info, int paramMode, int team, MindHandle* handle);
MindStatus CameraUnInit(MindHandle handle);
MindStatus CameraGetCapability(MindHandle handle, MindCapability* capability);
MindStatus CameraSetImageResolution(MindHandle handle, MindResolution* resolution);
MindStatus CameraSetWbMode(MindHandle handle, int mode);
MindStatus CameraSetIspOutFormat(MindHandle handle, uint32_t format);
MindStatus CameraSetMonochrome(MindHandle handle, bool on);
MindStatus CameraSetMediaType(MindHandle handle, int type);
MindStatus CameraSetMirror(MindHandle handle, int direction, bool on);
MindStatus CameraSetFrameSpeed(MindHandle handle, int speed);
MindStatus CameraPlay(MindHandle handle);
MindStatus CameraStop(MindHandle handle);
MindStatus CameraGetImageBuffer(MindHandle handle, MindFrameHead* head, uint8_t** raw, unsigned timeoutMs);
MindStatus CameraImageProcess(MindHandle handle, uint8_t* raw, uint8_t* out, MindFrameHead* head);
MindStatus CameraReleaseImageBuffer(MindHandle handle, uint8_t* raw);
MindStatus CameraSetAeState(MindHandle handle, int on);
MindStatus CameraSetExposureTime(MindHandle handle, double us);
MindStatus CameraGetExposureTime(MindHandle handle, double* us);
MindStatus CameraCommonCall(MindHandle handle, const char* command, char* result, int resultSize);
MindStatus CameraGetAeAnalogGainRange(MindHandle handle, int* min, int* max);
MindStatus CameraSetAnalogGain(MindHandle handle, int gain);
MindStatus CameraGetAnalogGain(MindHandle handle, int* gain);
MindStatus CameraSetSharpness(MindHandle handle, int value);
MindStatus CameraGetSharpness(MindHandle handle, int* value);
MindStatus CameraSetContrast(MindHandle handle, int value);
MindStatus CameraGetContrast(MindHandle handle, int* value);
MindStatus CameraSetGamma(MindHandle handle, int value);
MindStatus CameraGetGamma(MindHandle handle, int* value);
MindStatus CameraSetOnceWB(MindHandle handle);
MindStatus CameraSetTriggerMode(MindHandle handle, int mode);
MindStatus CameraLoadParameter(MindHandle handle, int team);
MindStatus CameraSetAeTarget(MindHandle handle, int target);
MindStatus CameraSetAeExposureRange(MindHandle handle, double minUs, double maxUs);
MindStatus CameraSetAntiFlick(MindHandle handle, int on);
MindStatus CameraReadSN(MindHandle handle, uint8_t* buffer, int level);  // buffer of 32 bytes
MindStatus CameraSdkGetVersionString(char* text);
