#pragma once
// Hikvision MVS camera interface: only the calls, records and constants the camera layer uses.
// This build links no vendor library; the calls are served by the simulated camera bus (simbus.h).
#include <cstdint>

constexpr int MV_OK = 0;
constexpr int kMvError = -1;
constexpr int kMvNoData = -2;
constexpr int kMvAccessDenied = -3;
constexpr int kMvInvalidHandle = -4;
constexpr unsigned kMvGigeDevice = 1;
constexpr unsigned kMvUsbDevice = 4;
constexpr unsigned kMvMaxDevices = 256;
constexpr int kMvAccessExclusive = 1;
constexpr uint32_t kMvPixelMono8 = 0x01080001;
constexpr uint32_t kMvPixelBayerRG8 = 0x01080009;
constexpr uint32_t kMvPixelRGB8Packed = 0x02180014;

struct MvGigeInfo {
    uint32_t currentIp;
    uint32_t currentSubnetMask;
    uint32_t defaultGateway;
    char manufacturerName[32];
    char modelName[32];
    char serialNumber[16];
    uint32_t netExport;  // address of the host interface the device was found through
};

struct MvUsbInfo {
    char manufacturerName[64];
    char modelName[64];
    char serialNumber[64];
};

struct MvDeviceInfo {
    unsigned transportLayerType;  // kMvGigeDevice or kMvUsbDevice
    MvGigeInfo gige;
    MvUsbInfo usb;
};

struct MvDeviceInfoList {
    unsigned deviceNum;
    MvDeviceInfo* deviceInfo[kMvMaxDevices];
};

struct MvIntValue {
    int64_t current;
    int64_t max;
    int64_t min;
};

struct MvFloatValue {
    float current;
    float max;
    float min;
};

struct MvStringValue {
    char current[256];
};

struct _MV_FRAME_OUT_INFO_ {
    uint16_t width;
    uint16_t height;
    uint32_t pixelType;
    uint32_t frameNum;
    uint32_t frameLen;
};

struct MvConvertParam {
    uint16_t width;
    uint16_t height;
    uint32_t srcPixelType;
    uint8_t* srcData;
    uint32_t srcDataLen;
    uint32_t dstPixelType;
    uint8_t* dstBuffer;
    uint32_t dstLen;
    uint32_t dstBufferSize;
};

typedef void (*MvImageCallback)(unsigned char* data, _MV_FRAME_OUT_INFO_* info, void* user);

int MV_CC_EnumDevices(unsigned layerTypes, MvDeviceInfoList* list);
int MV_CC_IsDeviceAccessible(MvDeviceInfo* device, unsigned accessMode);
int MV_CC_CreateHandle(void** handle, const MvDeviceInfo* device);
int MV_CC_DestroyHandle(void* handle);
int MV_CC_OpenDevice(void* handle, unsigned accessMode, unsigned short switchoverKey);
int MV_CC_CloseDevice(void* handle);
int MV_CC_GetStringValue(void* handle, const char* key, MvStringValue* value);
int MV_CC_GetIntValue(void* handle, const char* key, MvIntValue* value);
int MV_CC_SetIntValue(void* handle, const char* key, int64_t value);
int MV_CC_SetEnumValue(void* handle, const char* key, unsigned value);
int MV_CC_SetCommandValue(void* handle, const char* key);
int MV_CC_SetBoolValue(void* handle, const char* key, bool value);
int MV_CC_SetFloatValue(void* handle, const char* key, float value);
int MV_CC_GetGain(void* handle, MvFloatValue* value);
int MV_CC_GetSharpness(void* handle, MvIntValue* value);
int MV_CC_GetGamma(void* handle, MvFloatValue* value);
int MV_CC_GetExposureTime(void* handle, MvFloatValue* value);
int MV_CC_SetBalanceWhiteAuto(void* handle, unsigned mode);
int MV_CC_RegisterImageCallBack(void* handle, MvImageCallback callback, void* user);
int MV_CC_StartGrabbing(void* handle);
int MV_CC_StopGrabbing(void* handle);  // no callback runs once it has returned
int MV_CC_ConvertPixelType(void* handle, MvConvertParam* param);
int MV_GIGE_ForceIpEx(void* handle, uint32_t ip, uint32_t mask, uint32_t gateway);
