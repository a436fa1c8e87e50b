// Hikvision front-end of the simulated camera bus. Frames reach the registered callback on a thread of
// the bus; MV_CC_StopGrabbing joins that thread, so no callback runs once it has returned.
#include <algorithm>
#include <cstring>

#include "hikvision.h"
#include "simcore.h"

using namespace simcam;

namespace {
struct Guard {
    Core& k = core();
    std::unique_lock<std::mutex> lk{k.m};
};

struct HikHandle {
    Cam* cam = nullptr;
    bool opened = false;
};
std::map<uintptr_t, HikHandle>& hikHandles() {
    static std::map<uintptr_t, HikHandle> h;
    return h;
}

HikHandle* hh(Core& k, void* handle, const char* fn) {
    auto it = hikHandles().find(uintptr_t(handle));
    if (it == hikHandles().end()) {
        k.misuse.append(
            QStringLiteral("%1 on destroyed handle %2").arg(QLatin1String(fn), hex(uintptr_t(handle))));
        return nullptr;
    }
    return &it->second;
}

double rangeMin(Cam* c, const char* name, double def) {
    for (const auto& r : c->spec.ranges)
        if (r.first == name) return r.second.first;
    return def;
}
double rangeMax(Cam* c, const char* name, double def) {
    for (const auto& r : c->spec.ranges)
        if (r.first == name) return r.second.second;
    return def;
}
}  // namespace

// Calls that need an opened device.
#define HIK_CALL(name, handle, args)                                           \
    Guard g;                                                                   \
    Core& k = g.k;                                                             \
    HikHandle* h = hh(k, handle, name);                                        \
    Cam* c = h ? h->cam : nullptr;                                             \
    k.call(QStringLiteral(name "(%1%2)").arg(k.label(c), QString(args)));      \
    int injectedStatus = 0;                                                    \
    if (k.injected(name, &injectedStatus)) return injectedStatus;              \
    if (!h) return kMvInvalidHandle;                                           \
    if (!h->opened) {                                                          \
        k.misuse.append(QStringLiteral(name " on a device that is not open")); \
        return kMvError;                                                       \
    }

int MV_CC_EnumDevices(unsigned layerTypes, MvDeviceInfoList* list) {
    Guard g;
    Core& k = g.k;
    k.call(QStringLiteral("MV_CC_EnumDevices(%1)").arg(layerTypes));
    int st = 0;
    if (k.injected("MV_CC_EnumDevices", &st)) return st;
    if (!list) return kMvError;
    memset(list, 0, sizeof(*list));
    // The records stay valid until the next enumeration replaces them, as with the real library.
    k.hikRecords.clear();
    for (Cam* c : k.enumerate(Vendor::Hikvision)) {
        const unsigned type = c->spec.gige ? kMvGigeDevice : kMvUsbDevice;
        if (!(layerTypes & type) || list->deviceNum >= kMvMaxDevices) continue;
        auto rec = std::make_unique<MvDeviceInfo>();
        memset(rec.get(), 0, sizeof(MvDeviceInfo));
        rec->transportLayerType = type;
        if (c->spec.gige) {
            rec->gige.currentIp = c->spec.ip;
            rec->gige.currentSubnetMask = c->spec.mask;
            rec->gige.netExport = c->spec.netExport;
            strncpy(rec->gige.manufacturerName, c->spec.maker.constData(),
                    sizeof(rec->gige.manufacturerName) - 1);
            strncpy(rec->gige.modelName, c->spec.model.constData(), sizeof(rec->gige.modelName) - 1);
            // As the SDK fills it: a serial as long as the field leaves no terminating NUL.
            memcpy(rec->gige.serialNumber, c->spec.serial.constData(),
                   std::min(sizeof(rec->gige.serialNumber), size_t(c->spec.serial.size())));
        } else {
            strncpy(rec->usb.manufacturerName, c->spec.maker.constData(),
                    sizeof(rec->usb.manufacturerName) - 1);
            strncpy(rec->usb.modelName, c->spec.model.constData(), sizeof(rec->usb.modelName) - 1);
            strncpy(rec->usb.serialNumber, c->spec.serial.constData(), sizeof(rec->usb.serialNumber) - 1);
        }
        list->deviceInfo[list->deviceNum++] = rec.get();
        k.hikRecords.push_back(std::move(rec));
    }
    return MV_OK;
}

namespace {
Cam* camOfRecord(Core& k, const MvDeviceInfo* d) {
    if (!d) return nullptr;
    const QByteArray sn =
        d->transportLayerType == kMvGigeDevice
            ? QByteArray(d->gige.serialNumber,
                         int(strnlen(d->gige.serialNumber, sizeof(d->gige.serialNumber))))
            : QByteArray(d->usb.serialNumber, int(strnlen(d->usb.serialNumber, sizeof(d->usb.serialNumber))));
    const int field = d->transportLayerType == kMvGigeDevice ? int(sizeof(d->gige.serialNumber))
                                                             : int(sizeof(d->usb.serialNumber)) - 1;
    for (auto& c : k.cams)
        if (c->spec.vendor == Vendor::Hikvision && c->spec.serial.left(field) == sn) return c.get();
    return nullptr;
}
}  // namespace

int MV_CC_IsDeviceAccessible(MvDeviceInfo* device, unsigned accessMode) {
    Guard g;
    Core& k = g.k;
    Cam* c = camOfRecord(k, device);
    k.call(QStringLiteral("MV_CC_IsDeviceAccessible(%1, %2)").arg(k.label(c)).arg(accessMode));
    int st = 0;
    if (k.injected("MV_CC_IsDeviceAccessible", &st)) return st;
    if (!c || !c->present || c->open) return 0;
    if (c->spec.gige && c->spec.netExport && c->spec.mask &&
        (c->spec.ip & c->spec.mask) != (c->spec.netExport & c->spec.mask))
        return 0;  // on another subnet than the interface it was found through
    return 1;
}

int MV_CC_CreateHandle(void** handle, const MvDeviceInfo* device) {
    Guard g;
    Core& k = g.k;
    Cam* c = camOfRecord(k, device);
    k.call(QStringLiteral("MV_CC_CreateHandle(%1)").arg(k.label(c)));
    int st = 0;
    if (k.injected("MV_CC_CreateHandle", &st)) return st;
    if (!handle || !c) return kMvError;
    const uintptr_t h = k.nextHandle++;
    hikHandles()[h] = HikHandle{c, false};
    *handle = reinterpret_cast<void*>(h);
    return MV_OK;
}

int MV_CC_DestroyHandle(void* handle) {
    Guard g;
    Core& k = g.k;
    HikHandle* h = hh(k, handle, "MV_CC_DestroyHandle");
    k.call(QStringLiteral("MV_CC_DestroyHandle(%1)").arg(k.label(h ? h->cam : nullptr)));
    if (!h) return kMvInvalidHandle;
    if (h->opened) {
        h->cam->streaming = false;
        k.stopWorker(g.lk, h->cam);
        h->cam->open = false;
    }
    hikHandles().erase(uintptr_t(handle));
    return MV_OK;
}

int MV_CC_OpenDevice(void* handle, unsigned accessMode, unsigned short switchoverKey) {
    Guard g;
    Core& k = g.k;
    HikHandle* h = hh(k, handle, "MV_CC_OpenDevice");
    k.call(QStringLiteral("MV_CC_OpenDevice(%1, %2, %3)")
               .arg(k.label(h ? h->cam : nullptr))
               .arg(accessMode)
               .arg(switchoverKey));
    int st = 0;
    if (k.injected("MV_CC_OpenDevice", &st)) return st;
    if (!h) return kMvInvalidHandle;
    Cam* c = h->cam;
    if (!c->present || c->open) return kMvAccessDenied;
    c->open = true;
    h->opened = true;
    c->outW = c->spec.width;
    c->outH = c->spec.height;
    c->format = c->spec.color ? kMvPixelBayerRG8 : kMvPixelMono8;
    c->features.clear();
    c->callback = nullptr;
    return MV_OK;
}

int MV_CC_CloseDevice(void* handle) {
    HIK_CALL("MV_CC_CloseDevice", handle, "");
    c->streaming = false;
    k.stopWorker(g.lk, c);
    c->open = false;
    h->opened = false;
    k.cv.notify_all();
    return MV_OK;
}

int MV_CC_GetStringValue(void* handle, const char* key, MvStringValue* value) {
    HIK_CALL("MV_CC_GetStringValue", handle, QStringLiteral(", %1").arg(QLatin1String(key)));
    if (!value) return kMvError;
    memset(value, 0, sizeof(*value));
    if (QByteArray(key) == "DeviceModelName")
        strncpy(value->current, c->spec.model.constData(), sizeof(value->current) - 1);
    else
        return kMvError;
    return MV_OK;
}

int MV_CC_GetIntValue(void* handle, const char* key, MvIntValue* value) {
    HIK_CALL("MV_CC_GetIntValue", handle, QStringLiteral(", %1").arg(QLatin1String(key)));
    if (!value) return kMvError;
    const QByteArray kk(key);
    if (kk == "WidthMax")
        *value = {c->spec.width, c->spec.width, 1};
    else if (kk == "HeightMax")
        *value = {c->spec.height, c->spec.height, 1};
    else if (kk == "Width")
        *value = {c->outW, c->spec.width, 1};
    else if (kk == "Height")
        *value = {c->outH, c->spec.height, 1};
    else {
        auto it = c->features.find(kk);
        *value = {it == c->features.end() ? 0 : int64_t(it->second), int64_t(rangeMax(c, key, 1023)),
                  int64_t(rangeMin(c, key, 0))};
    }
    return MV_OK;
}

int MV_CC_SetIntValue(void* handle, const char* key, int64_t value) {
    HIK_CALL("MV_CC_SetIntValue", handle, QStringLiteral(", %1, %2").arg(QLatin1String(key)).arg(value));
    c->features[key] = double(value);
    return MV_OK;
}

int MV_CC_SetEnumValue(void* handle, const char* key, unsigned value) {
    HIK_CALL("MV_CC_SetEnumValue", handle,
             QStringLiteral(", %1, %2")
                 .arg(QLatin1String(key), value > 255 ? hex(value) : QString::number(value)));
    const QByteArray kk(key);
    c->features[kk] = value;
    if (kk == "PixelFormat") c->format = value;
    if (kk == "TriggerMode") {
        c->spec.trigger = value == 1;
        c->pulses = 0;
        k.cv.notify_all();
    }
    return MV_OK;
}

int MV_CC_SetCommandValue(void* handle, const char* key) {
    HIK_CALL("MV_CC_SetCommandValue", handle, QStringLiteral(", %1").arg(QLatin1String(key)));
    if (QByteArray(key) == "UserSetLoad") {
        // The default user set: the trigger mode as configured, sharpness and gamma processing off
        // (the image values themselves are kept, so a read-back finds what was applied).
        c->features["TriggerMode"] = c->defaultTrigger ? 1 : 0;
        c->features["SharpnessEnable"] = 0;
        c->features["GammaEnable"] = 0;
        c->spec.trigger = c->defaultTrigger;
        c->pulses = 0;
        k.cv.notify_all();
    }
    return MV_OK;
}

int MV_CC_SetBoolValue(void* handle, const char* key, bool value) {
    HIK_CALL("MV_CC_SetBoolValue", handle, QStringLiteral(", %1, %2").arg(QLatin1String(key)).arg(value));
    c->features[key] = value;
    return MV_OK;
}

int MV_CC_SetFloatValue(void* handle, const char* key, float value) {
    HIK_CALL("MV_CC_SetFloatValue", handle,
             QStringLiteral(", %1, %2").arg(QLatin1String(key)).arg(double(value)));
    c->features[key] = value;
    return MV_OK;
}

namespace {
int floatRange(Core& k, Cam* c, const char* key, double defMin, double defMax, MvFloatValue* v) {
    (void)k;
    if (!v) return kMvError;
    if (c->failedRanges.contains(key)) return kMvError;
    auto it = c->features.find(key);
    v->min = float(rangeMin(c, key, defMin));
    v->max = float(rangeMax(c, key, defMax));
    v->current = it == c->features.end() ? v->min : float(it->second);
    return MV_OK;
}
}  // namespace

int MV_CC_GetGain(void* handle, MvFloatValue* value) {
    HIK_CALL("MV_CC_GetGain", handle, "");
    return floatRange(k, c, "Gain", 0, 17, value);
}

int MV_CC_GetGamma(void* handle, MvFloatValue* value) {
    HIK_CALL("MV_CC_GetGamma", handle, "");
    return floatRange(k, c, "Gamma", 0, 4, value);
}

int MV_CC_GetExposureTime(void* handle, MvFloatValue* value) {
    HIK_CALL("MV_CC_GetExposureTime", handle, "");
    return floatRange(k, c, "ExposureTime", 15, 1000000, value);
}

int MV_CC_GetSharpness(void* handle, MvIntValue* value) {
    HIK_CALL("MV_CC_GetSharpness", handle, "");
    if (!value || c->failedRanges.contains("Sharpness")) return kMvError;
    auto it = c->features.find("Sharpness");
    value->min = int64_t(rangeMin(c, "Sharpness", 0));
    value->max = int64_t(rangeMax(c, "Sharpness", 100));
    value->current = it == c->features.end() ? value->min : int64_t(it->second);
    return MV_OK;
}

int MV_CC_SetBalanceWhiteAuto(void* handle, unsigned mode) {
    HIK_CALL("MV_CC_SetBalanceWhiteAuto", handle, QStringLiteral(", %1").arg(mode));
    return MV_OK;
}

int MV_CC_RegisterImageCallBack(void* handle, MvImageCallback callback, void* user) {
    HIK_CALL("MV_CC_RegisterImageCallBack", handle, "");
    if (c->worker.joinable()) return kMvError;
    c->callback = callback;
    c->user = user;
    return MV_OK;
}

int MV_CC_StartGrabbing(void* handle) {
    HIK_CALL("MV_CC_StartGrabbing", handle, "");
    c->streaming = true;
    if (!c->worker.joinable() && c->callback) {
        k.startWorker(
            c,
            [&k](Cam* cam) {
                return k.prepare(cam, cam->outW, cam->outH, 1, cam->format == kMvPixelBayerRG8);
            },
            [&k](Cam* cam, const FrameJob& job, std::vector<uint8_t>& frame) {
                _MV_FRAME_OUT_INFO_ info{};
                info.width = uint16_t(job.w);
                info.height = uint16_t(job.h);
                info.pixelType = job.format;
                info.frameNum = job.counter;
                info.frameLen = uint32_t(frame.size());
                MvImageCallback callback;
                void* user;
                {
                    std::lock_guard<std::mutex> lk(k.m);
                    if (cam->stopReturned)
                        k.misuse.append(QStringLiteral("callback after MV_CC_StopGrabbing"));
                    callback = cam->callback;
                    user = cam->user;
                }
                if (callback) callback(frame.data(), &info, user);
            });
    }
    k.cv.notify_all();
    return MV_OK;
}

int MV_CC_StopGrabbing(void* handle) {
    HIK_CALL("MV_CC_StopGrabbing", handle, "");
    c->streaming = false;
    k.stopWorker(g.lk, c);
    c->stopReturned = true;
    return MV_OK;
}

int MV_CC_ConvertPixelType(void* handle, MvConvertParam* p) {
    HIK_CALL("MV_CC_ConvertPixelType", handle, "");
    (void)c;
    if (!p || !p->srcData || !p->dstBuffer || p->srcPixelType != kMvPixelBayerRG8 ||
        p->dstPixelType != kMvPixelRGB8Packed)
        return kMvError;
    const int w = p->width, hgt = p->height;
    if (p->srcDataLen < uint32_t(w * hgt) || p->dstBufferSize < uint32_t(w * hgt * 3)) return kMvError;
    // Each 2x2 cell R G / G B gives one colour to its four pixels.
    for (int y = 0; y < hgt; ++y)
        for (int x = 0; x < w; ++x) {
            const int x0 = x & ~1, y0 = y & ~1;
            const int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, hgt - 1);
            const uint8_t* s = p->srcData;
            uint8_t* d = p->dstBuffer + (size_t(y) * w + x) * 3;
            d[0] = s[size_t(y0) * w + x0];
            d[1] = uint8_t((s[size_t(y0) * w + x1] + s[size_t(y1) * w + x0] + 1) / 2);
            d[2] = s[size_t(y1) * w + x1];
        }
    p->dstLen = uint32_t(w * hgt * 3);
    return MV_OK;
}

int MV_GIGE_ForceIpEx(void* handle, uint32_t ip, uint32_t mask, uint32_t gateway) {
    Guard g;
    Core& k = g.k;
    HikHandle* h = hh(k, handle, "MV_GIGE_ForceIpEx");
    k.call(QStringLiteral("MV_GIGE_ForceIpEx(%1, %2, %3, %4)")
               .arg(k.label(h ? h->cam : nullptr))
               .arg(ip)
               .arg(mask)
               .arg(gateway));
    int st = 0;
    if (k.injected("MV_GIGE_ForceIpEx", &st)) return st;
    if (!h) return kMvInvalidHandle;
    h->cam->spec.ip = ip;
    h->cam->spec.mask = mask;
    return MV_OK;
}
