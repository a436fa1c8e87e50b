#pragma once
// Daheng Galaxy camera interface: only the calls, records and constants the camera layer uses.
// This build links no vendor library; the calls are served by the simulated camera bus (simbus.h).
#include <cstddef>
#include <cstdint>

typedef int32_t GxStatus;
typedef void* GxHandle;

constexpr GxStatus GX_STATUS_SUCCESS = 0;
constexpr GxStatus kGxError = -1;
constexpr GxStatus kGxNotFound = -2;
constexpr GxStatus kGxTimeout = -3;
constexpr GxStatus kGxInvalidHandle = -4;

// Open parameters of GXOpenDevice.
constexpr int kGxOpenBySerial = 0;     // open mode: by serial number
constexpr int kGxAccessExclusive = 4;  // access mode: exclusive

struct GxOpenParam {
    char* serial;  // the serial number text
    int openMode;
    int accessMode;
};

// One frame of GXGetImage: the caller provides buffer (large enough for the frame).
struct GxFrameData {
    int32_t status;  // 0: the buffer holds a complete frame
    void* buffer;
    int32_t width;
    int32_t height;
    int32_t size;
    uint64_t frameId;
};

struct GxFloatRange {
    double min;
    double max;
};

// Feature identifiers.
constexpr int kGxIntOffsetX = 0x100003EC;
constexpr int kGxIntOffsetY = 0x100003ED;
constexpr int kGxIntWidth = 0x100003EE;
constexpr int kGxIntHeight = 0x100003EF;
constexpr int kGxIntBinningH = 0x100003F0;  // followed by binning V, decimation H, decimation V
constexpr int kGxIntBinningV = 0x100003F1;
constexpr int kGxIntDecimationH = 0x100003F2;
constexpr int kGxIntDecimationV = 0x100003F3;
constexpr int kGxIntSpeedLevel = 0x10000BBB;
constexpr int kGxEnumAcquisitionMode = 0x30000BB8;
constexpr int kGxEnumTriggerMode = 0x30000BBD;
constexpr int kGxEnumExposureAuto = 0x30000BC2;
constexpr int kGxEnumWdr = 0x300036B0;
constexpr int kGxEnumFeature178a = 0x3000178A;
constexpr int kGxBoolFeature1395 = 0x40001395;
constexpr int kGxFloatExposureTime = 0x20000BC1;
constexpr int kGxFloatGain = 0x20001393;
constexpr int kGxFloatSharpness = 0x2000178B;
constexpr int kGxFloatGamma = 0x20001397;
constexpr int kGxCommandAcquisitionStart = 0x70000BB9;
constexpr int kGxCommandAcquisitionStop = 0x70000BBA;

GxStatus GXInitLib();
GxStatus GXUpdateDeviceList(uint32_t* count, uint32_t timeoutMs);
GxStatus GXOpenDeviceByIndex(uint32_t index, GxHandle* handle);  // index counts from 1
GxStatus GXOpenDevice(GxOpenParam* param, GxHandle* handle);
GxStatus GXCloseDevice(GxHandle handle);
GxStatus GXGetInt(GxHandle handle, int featureId, int64_t* value);
GxStatus GXSetInt(GxHandle handle, int featureId, int64_t value);
GxStatus GXSetEnum(GxHandle handle, int featureId, int64_t value);
GxStatus GXSetBool(GxHandle handle, int featureId, bool value);
GxStatus GXGetFloatRange(GxHandle handle, int featureId, GxFloatRange* range);
GxStatus GXSetFloat(GxHandle handle, int featureId, double value);
GxStatus GXSendCommand(GxHandle handle, int featureId);
GxStatus GXGetImage(GxHandle handle, GxFrameData* frame, uint32_t timeoutMs);

// Software contrast of 8-bit pixels: writes len bytes of out; factor -50..100.
int DxContrast(void* in, void* out, int len, int factor);
