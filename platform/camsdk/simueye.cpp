// uEye front-end of the simulated camera bus. While capturing, a writer thread of the bus overwrites
// the camera's image memory at the frame rate; the caller makes no call per frame.
#include <cstring>

#include "simcore.h"
#include "ueye.h"

using namespace simcam;

namespace {
Cam* ueyeCam(Core& k, UeyeHandle h, const char* fn) {
    auto it = k.ueyeHandles.find(h);
    if (it == k.ueyeHandles.end()) {
        k.misuse.append(QStringLiteral("%1 on closed handle %2").arg(QLatin1String(fn), hex(h)));
        return nullptr;
    }
    return it->second;
}

struct Guard {
    Core& k = core();
    std::unique_lock<std::mutex> lk{k.m};
};
}  // namespace

#define UEYE_CALL(name, handle, args)                                     \
    Guard g;                                                              \
    Core& k = g.k;                                                        \
    Cam* c = ueyeCam(k, handle, name);                                    \
    k.call(QStringLiteral(name "(%1%2)").arg(k.label(c), QString(args))); \
    int injectedStatus = 0;                                               \
    if (k.injected(name, &injectedStatus)) return injectedStatus;         \
    if (!c) return kUeyeNoSuccess;

int is_GetNumberOfCameras(int* count) {
    Guard g;
    g.k.call(QStringLiteral("is_GetNumberOfCameras()"));
    int st = 0;
    if (g.k.injected("is_GetNumberOfCameras", &st)) return st;
    if (count) *count = int(g.k.enumerate(Vendor::Ueye).size());
    return kUeyeSuccess;
}

int is_InitCamera(UeyeHandle* handle, void*) {
    Guard g;
    Core& k = g.k;
    k.call(QStringLiteral("is_InitCamera(%1)").arg(hex(handle ? *handle : 0)));
    int st = 0;
    if (k.injected("is_InitCamera", &st)) return st;
    if (!handle) return kUeyeNoSuccess;
    auto list = k.enumerate(Vendor::Ueye);
    const uint32_t id = *handle & ~kUeyeUseDeviceId;
    Cam* c = nullptr;
    uint32_t devId = 0;
    if (id == 0) {  // first free camera
        for (size_t i = 0; i < list.size() && !c; ++i)
            if (!list[i]->open) {
                c = list[i];
                devId = uint32_t(i + 1);
            }
    } else if (id <= list.size() && !list[id - 1]->open) {
        c = list[id - 1];
        devId = id;
    }
    if (!c) return kUeyeNoSuccess;
    c->open = true;
    c->outW = c->spec.width;
    c->outH = c->spec.height;
    *handle = devId | kUeyeUseDeviceId;
    k.ueyeHandles[*handle] = c;
    return kUeyeSuccess;
}

int is_ExitCamera(UeyeHandle handle) {
    Guard g;
    Core& k = g.k;
    Cam* c = ueyeCam(k, handle, "is_ExitCamera");
    k.call(QStringLiteral("is_ExitCamera(%1)").arg(k.label(c)));
    if (!c) return kUeyeNoSuccess;
    c->streaming = false;
    k.stopWorker(g.lk, c);
    c->open = false;
    k.ueyeHandles.erase(handle);
    return kUeyeSuccess;
}

int is_GetSensorInfo(UeyeHandle handle, UeyeSensorInfo* info) {
    UEYE_CALL("is_GetSensorInfo", handle, "");
    if (info) {
        memset(info, 0, sizeof(*info));
        strncpy(info->name, c->spec.model.constData(), sizeof(info->name) - 1);
        info->maxWidth = uint16_t(c->spec.width);
        info->maxHeight = uint16_t(c->spec.height);
        info->color = c->spec.color;
    }
    return kUeyeSuccess;
}

int is_GetCameraInfo(UeyeHandle handle, UeyeCameraInfo* info) {
    UEYE_CALL("is_GetCameraInfo", handle, "");
    if (info) {
        memset(info, 0, sizeof(*info));
        strncpy(info->serial, c->spec.serial.constData(), sizeof(info->serial) - 1);
    }
    return kUeyeSuccess;
}

int is_GetColorDepth(UeyeHandle handle, int* bitsPerPixel, int* colorMode) {
    UEYE_CALL("is_GetColorDepth", handle, "");
    if (bitsPerPixel) *bitsPerPixel = 8;
    if (colorMode) *colorMode = kUeyeCmMono8;
    return kUeyeSuccess;
}

int is_SetColorMode(UeyeHandle handle, int mode) {
    UEYE_CALL("is_SetColorMode", handle, QStringLiteral(", %1").arg(mode));
    c->features["ColorMode"] = mode;
    return kUeyeSuccess;
}

int is_AllocImageMem(UeyeHandle handle, int width, int height, int bitsPerPixel, char** memory,
                     int* memoryId) {
    UEYE_CALL("is_AllocImageMem", handle,
              QStringLiteral(", %1, %2, %3").arg(width).arg(height).arg(bitsPerPixel));
    if (width <= 0 || height <= 0 || !memory || !memoryId) return kUeyeNoSuccess;
    c->ueyeMem.assign(size_t(width) * height * size_t((bitsPerPixel + 7) / 8), 0);
    *memory = c->ueyeMem.data();
    *memoryId = c->id;
    return kUeyeSuccess;
}

int is_SetImageMem(UeyeHandle handle, char* memory, int memoryId) {
    UEYE_CALL("is_SetImageMem", handle, QStringLiteral(", %1").arg(memoryId));
    return memory == c->ueyeMem.data() ? kUeyeSuccess : kUeyeNoSuccess;
}

int is_FreeImageMem(UeyeHandle handle, char* memory, int memoryId) {
    UEYE_CALL("is_FreeImageMem", handle, QStringLiteral(", %1").arg(memoryId));
    if (memory != c->ueyeMem.data()) return kUeyeNoSuccess;
    c->streaming = false;
    k.stopWorker(g.lk, c);
    c->ueyeMem.clear();
    c->ueyeMem.shrink_to_fit();
    return kUeyeSuccess;
}

int is_AOI(UeyeHandle handle, unsigned int command, void* param, unsigned int size) {
    auto* s = static_cast<UeyeSize*>(param);
    UEYE_CALL("is_AOI", handle,
              QStringLiteral(", %1, %2x%3, %4")
                  .arg(command)
                  .arg(s ? s->width : 0)
                  .arg(s ? s->height : 0)
                  .arg(size));
    if (command == kUeyeAoiImageSetSize && s) {
        c->outW = s->width;
        c->outH = s->height;
    }
    return kUeyeSuccess;
}

int is_SetAutoParameter(UeyeHandle handle, int param, double* value1, double*) {
    UEYE_CALL("is_SetAutoParameter", handle,
              QStringLiteral(", %1, %2").arg(hex(param)).arg(value1 ? *value1 : 0));
    return kUeyeSuccess;
}

int is_SetHardwareGamma(UeyeHandle handle, int mode) {
    UEYE_CALL("is_SetHardwareGamma", handle, QStringLiteral(", %1").arg(mode));
    return kUeyeSuccess;
}

int is_PixelClock(UeyeHandle handle, unsigned int command, void* param, unsigned int size) {
    const unsigned v = param ? *static_cast<unsigned*>(param) : 0;
    UEYE_CALL("is_PixelClock", handle, QStringLiteral(", %1, %2, %3").arg(command).arg(v).arg(size));
    if (command == kUeyePixelclockCmdSet) c->features["PixelClock"] = v;
    return kUeyeSuccess;
}

int is_CaptureVideo(UeyeHandle handle, int wait) {
    UEYE_CALL("is_CaptureVideo", handle, QStringLiteral(", %1").arg(wait));
    if (c->ueyeMem.empty()) return kUeyeNoSuccess;
    c->streaming = true;
    if (!c->worker.joinable()) {
        k.startWorker(
            c, [&k](Cam* cam) { return k.prepare(cam, cam->outW, cam->outH, 1, false); },
            [&k](Cam* cam, const FrameJob& job, std::vector<uint8_t>& frame) {
                // Written into the image memory, as the camera's driver does.
                std::lock_guard<std::mutex> lock(k.m);
                if (cam->ueyeMem.size() >= frame.size() && cam->outW == job.w && cam->outH == job.h) {
                    memcpy(cam->ueyeMem.data(), frame.data(), frame.size());
                    ++cam->ueyeFramesWritten;
                }
            });
    }
    k.cv.notify_all();
    return kUeyeSuccess;
}

int is_StopLiveVideo(UeyeHandle handle, int wait) {
    UEYE_CALL("is_StopLiveVideo", handle, QStringLiteral(", %1").arg(hex(wait)));
    c->streaming = false;
    k.stopWorker(g.lk, c);
    return kUeyeSuccess;
}

int is_Exposure(UeyeHandle handle, unsigned int command, void* param, unsigned int size) {
    const double v = param ? *static_cast<double*>(param) : 0;
    UEYE_CALL("is_Exposure", handle, QStringLiteral(", %1, %2, %3").arg(command).arg(v).arg(size));
    c->features["Exposure"] = v;
    return kUeyeSuccess;
}

int is_SetHardwareGain(UeyeHandle handle, int master, int red, int green, int blue) {
    UEYE_CALL("is_SetHardwareGain", handle,
              QStringLiteral(", %1, %2, %3, %4").arg(master).arg(red).arg(green).arg(blue));
    c->features["Gain"] = master;
    return kUeyeSuccess;
}

int is_Gamma(UeyeHandle handle, unsigned int command, void* param, unsigned int size) {
    const int v = param ? *static_cast<int*>(param) : 0;
    UEYE_CALL("is_Gamma", handle, QStringLiteral(", %1, %2, %3").arg(command).arg(v).arg(size));
    c->features["Gamma"] = v;
    return kUeyeSuccess;
}

int is_EnableEvent(UeyeHandle handle, int event) {
    UEYE_CALL("is_EnableEvent", handle, QStringLiteral(", %1").arg(event));
    if (event != kUeyeSetEventFrame) return kUeyeNoSuccess;
    c->ueyeFrameEvent = true;
    c->ueyeFramesTold = c->ueyeFramesWritten;
    return kUeyeSuccess;
}

int is_DisableEvent(UeyeHandle handle, int event) {
    UEYE_CALL("is_DisableEvent", handle, QStringLiteral(", %1").arg(event));
    if (event != kUeyeSetEventFrame) return kUeyeNoSuccess;
    c->ueyeFrameEvent = false;
    return kUeyeSuccess;
}

int is_WaitEvent(UeyeHandle handle, int event, int timeoutMs) {
    // Polled by the grab loop: not logged, or the log would grow by a line every 10 ms per camera.
    Guard g;
    Core& k = g.k;
    auto it = k.ueyeHandles.find(handle);
    if (it == k.ueyeHandles.end()) {
        k.misuse.append(QStringLiteral("is_WaitEvent on closed handle %1").arg(hex(handle)));
        return kUeyeNoSuccess;
    }
    Cam* c = it->second;
    int injectedStatus = 0;
    if (k.injected("is_WaitEvent", &injectedStatus)) return injectedStatus;
    if (event != kUeyeSetEventFrame || !c->ueyeFrameEvent) return kUeyeNoSuccess;
    if (c->ueyeFramesWritten == c->ueyeFramesTold && timeoutMs > 0)
        k.cv.wait_for(g.lk, std::chrono::milliseconds(timeoutMs));
    if (c->ueyeFramesWritten == c->ueyeFramesTold) return kUeyeTimedOut;
    c->ueyeFramesTold = c->ueyeFramesWritten;
    return kUeyeSuccess;
}
