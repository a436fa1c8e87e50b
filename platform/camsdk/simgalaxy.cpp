// Galaxy front-end of the simulated camera bus.
#include <cstring>

#include "galaxy.h"
#include "simcore.h"

using namespace simcam;

namespace {
uintptr_t H(GxHandle h) {
    return reinterpret_cast<uintptr_t>(h);
}

GxStatus openCam(Core& k, Cam* c, GxHandle* handle) {
    if (!c || c->open) return kGxNotFound;
    c->open = true;
    c->outW = c->spec.width;
    c->outH = c->spec.height;
    c->features.clear();
    *handle = reinterpret_cast<GxHandle>(k.addHandle(c));
    return GX_STATUS_SUCCESS;
}

#define GX_ENTER(name, text)              \
    Core& k = core();                     \
    std::unique_lock<std::mutex> lk(k.m); \
    k.call(text);                         \
    int injectedStatus = 0;               \
    if (k.injected(name, &injectedStatus)) return injectedStatus;
}  // namespace

GxStatus GXInitLib() {
    GX_ENTER("GXInitLib", QStringLiteral("GXInitLib()"));
    return GX_STATUS_SUCCESS;
}

GxStatus GXUpdateDeviceList(uint32_t* count, uint32_t timeoutMs) {
    GX_ENTER("GXUpdateDeviceList", QStringLiteral("GXUpdateDeviceList(%1)").arg(timeoutMs));
    if (count) *count = uint32_t(k.enumerate(Vendor::Galaxy).size());
    return GX_STATUS_SUCCESS;
}

GxStatus GXOpenDeviceByIndex(uint32_t index, GxHandle* handle) {
    GX_ENTER("GXOpenDeviceByIndex", QStringLiteral("GXOpenDeviceByIndex(%1)").arg(index));
    auto list = k.enumerate(Vendor::Galaxy);
    if (index < 1 || index > list.size()) return kGxNotFound;
    return openCam(k, list[index - 1], handle);
}

GxStatus GXOpenDevice(GxOpenParam* param, GxHandle* handle) {
    GX_ENTER("GXOpenDevice", QStringLiteral("GXOpenDevice(%1, %2, %3)")
                                 .arg(QString::fromLatin1(param && param->serial ? param->serial : ""))
                                 .arg(param ? param->openMode : -1)
                                 .arg(param ? param->accessMode : -1));
    if (!param || !param->serial || param->openMode != kGxOpenBySerial) return kGxError;
    for (Cam* c : k.enumerate(Vendor::Galaxy))
        if (c->spec.serial == QByteArray(param->serial)) return openCam(k, c, handle);
    return kGxNotFound;
}

GxStatus GXCloseDevice(GxHandle handle) {
    Core& k = core();
    std::unique_lock<std::mutex> lk(k.m);
    Cam* c = k.byHandle(H(handle), "GXCloseDevice");
    k.call(QStringLiteral("GXCloseDevice(%1)").arg(k.label(c)));
    int st = 0;
    if (k.injected("GXCloseDevice", &st)) return st;
    if (!c) return kGxInvalidHandle;
    c->open = false;
    c->streaming = false;
    k.dropHandle(H(handle));
    k.cv.notify_all();
    return GX_STATUS_SUCCESS;
}

GxStatus GXGetInt(GxHandle handle, int featureId, int64_t* value) {
    Core& k = core();
    std::unique_lock<std::mutex> lk(k.m);
    Cam* c = k.byHandle(H(handle), "GXGetInt");
    k.call(QStringLiteral("GXGetInt(%1, %2)").arg(k.label(c), hex(featureId)));
    int st = 0;
    if (k.injected("GXGetInt", &st)) return st;
    if (!c || !value) return kGxInvalidHandle;
    if (featureId == kGxIntWidth)
        *value = c->outW;
    else if (featureId == kGxIntHeight)
        *value = c->outH;
    else {
        auto it = c->features.find(hex(featureId).toLatin1());
        *value = it == c->features.end() ? 0 : int64_t(it->second);
    }
    return GX_STATUS_SUCCESS;
}

namespace {
GxStatus setFeature(const char* fn, GxHandle handle, int featureId, double value) {
    Core& k = core();
    std::unique_lock<std::mutex> lk(k.m);
    Cam* c = k.byHandle(H(handle), fn);
    k.call(QStringLiteral("%1(%2, %3, %4)").arg(QLatin1String(fn), k.label(c), hex(featureId)).arg(value));
    int st = 0;
    if (k.injected(fn, &st)) return st;
    if (!c) return kGxInvalidHandle;
    c->features[hex(featureId).toLatin1()] = value;
    // Size follows width/height and binning (binning and decimation halve the sensor each).
    if (featureId == kGxIntWidth) c->outW = int(value);
    if (featureId == kGxIntHeight) c->outH = int(value);
    if (featureId == kGxIntBinningH && value == 2) c->outW = c->spec.width / 2;
    if (featureId == kGxIntBinningV && value == 2) c->outH = c->spec.height / 2;
    return GX_STATUS_SUCCESS;
}
}  // namespace

GxStatus GXSetInt(GxHandle handle, int featureId, int64_t value) {
    return setFeature("GXSetInt", handle, featureId, double(value));
}
GxStatus GXSetEnum(GxHandle handle, int featureId, int64_t value) {
    return setFeature("GXSetEnum", handle, featureId, double(value));
}
GxStatus GXSetBool(GxHandle handle, int featureId, bool value) {
    return setFeature("GXSetBool", handle, featureId, value ? 1 : 0);
}
GxStatus GXSetFloat(GxHandle handle, int featureId, double value) {
    return setFeature("GXSetFloat", handle, featureId, value);
}

GxStatus GXGetFloatRange(GxHandle handle, int featureId, GxFloatRange* range) {
    Core& k = core();
    std::unique_lock<std::mutex> lk(k.m);
    Cam* c = k.byHandle(H(handle), "GXGetFloatRange");
    k.call(QStringLiteral("GXGetFloatRange(%1, %2)").arg(k.label(c), hex(featureId)));
    int st = 0;
    if (k.injected("GXGetFloatRange", &st)) return st;
    if (!c || !range) return kGxInvalidHandle;
    const QByteArray key = hex(featureId).toLatin1();
    if (c->failedRanges.contains(key)) return kGxError;
    range->min = 0;
    range->max = 100;
    if (featureId == kGxFloatExposureTime) range->max = 1000000;
    if (featureId == kGxFloatGain) range->max = 24;
    if (featureId == kGxFloatGamma) range->max = 4;
    for (const auto& r : c->spec.ranges)
        if (r.first == key) {
            range->min = r.second.first;
            range->max = r.second.second;
        }
    return GX_STATUS_SUCCESS;
}

GxStatus GXSendCommand(GxHandle handle, int featureId) {
    Core& k = core();
    std::unique_lock<std::mutex> lk(k.m);
    Cam* c = k.byHandle(H(handle), "GXSendCommand");
    k.call(QStringLiteral("GXSendCommand(%1, %2)").arg(k.label(c), hex(featureId)));
    int st = 0;
    if (k.injected("GXSendCommand", &st)) return st;
    if (!c) return kGxInvalidHandle;
    if (featureId == kGxCommandAcquisitionStart) c->streaming = true;
    if (featureId == kGxCommandAcquisitionStop) c->streaming = false;
    k.cv.notify_all();
    return GX_STATUS_SUCCESS;
}

GxStatus GXGetImage(GxHandle handle, GxFrameData* frame, uint32_t timeoutMs) {
    Core& k = core();
    std::unique_lock<std::mutex> lk(k.m);
    Cam* c = k.byHandle(H(handle), "GXGetImage");
    int st = 0;
    if (k.injected("GXGetImage", &st)) return st;
    if (!c || !frame || !frame->buffer) return kGxInvalidHandle;
    if (!k.waitFrame(lk, c, int(timeoutMs))) return kGxTimeout;
    if (k.handles.find(H(handle)) == k.handles.end()) return kGxInvalidHandle;
    k.render(c, static_cast<uint8_t*>(frame->buffer), c->outW, c->outH, 1, false);
    frame->status = 0;
    frame->width = c->outW;
    frame->height = c->outH;
    frame->size = c->outW * c->outH;
    frame->frameId = c->counter;
    return GX_STATUS_SUCCESS;
}

int DxContrast(void* in, void* out, int len, int factor) {
    {
        Core& k = core();
        std::lock_guard<std::mutex> lk(k.m);
        k.call(QStringLiteral("DxContrast(%1, %2)").arg(len).arg(factor));
    }
    if (!in || !out || len <= 0) return -1;
    // A lookup table around mid grey: factor -50..100 maps to a gain of 0.5..2.
    uint8_t lut[256];
    const double gain = 1.0 + factor / 100.0;
    for (int i = 0; i < 256; ++i) {
        int v = int((i - 128) * gain + 128.5);
        lut[i] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
    const uint8_t* s = static_cast<const uint8_t*>(in);
    uint8_t* d = static_cast<uint8_t*>(out);
    for (int i = 0; i < len; ++i) d[i] = lut[s[i]];
    return 0;
}
