// MindVision front-end of the simulated camera bus.
#include <cstring>

#include "mindvision.h"
#include "simcore.h"

using namespace simcam;

namespace {
struct Guard {
    Core& k = core();
    std::unique_lock<std::mutex> lk{k.m};
};

// Presets of a camera: from its configuration, else a list of twelve shrinking centred windows.
std::vector<MindResolution>& presetsOf(Cam* c) {
    static std::map<int, std::vector<MindResolution>> store;
    auto& v = store[c->id];
    v.clear();
    QList<std::pair<int, int>> sizes = c->spec.presets;
    if (sizes.isEmpty())
        for (int i = 0; i < 12; ++i) sizes.append({c->spec.width - 64 * i, c->spec.height - 48 * i});
    for (int i = 0; i < sizes.size(); ++i) {
        MindResolution r{};
        r.index = i;
        r.width = r.fovWidth = sizes[i].first;
        r.height = r.fovHeight = sizes[i].second;
        r.hOffset = (c->spec.width - r.width) / 2;
        r.vOffset = (c->spec.height - r.height) / 2;
        v.push_back(r);
    }
    return v;
}

std::pair<double, double> rangeOf(Cam* c, const char* name, double min, double max) {
    for (const auto& r : c->spec.ranges)
        if (r.first == name) return r.second;
    return {min, max};
}
}  // namespace

#define MIND_CALL(name, handle, args)                                     \
    Guard g;                                                              \
    Core& k = g.k;                                                        \
    Cam* c = k.byHandle(uintptr_t(handle), name);                         \
    k.call(QStringLiteral(name "(%1%2)").arg(k.label(c), QString(args))); \
    int injectedStatus = 0;                                               \
    if (k.injected(name, &injectedStatus)) return injectedStatus;         \
    if (!c) return kMindFailed;

#define MIND_SET(fn, key, type)                                    \
    MindStatus fn(MindHandle handle, type value) {                 \
        MIND_CALL(#fn, handle, QStringLiteral(", %1").arg(value)); \
        c->features[key] = double(value);                          \
        return kMindSuccess;                                       \
    }

#define MIND_GET(fn, key, type)                                             \
    MindStatus fn(MindHandle handle, type* value) {                         \
        MIND_CALL(#fn, handle, "");                                         \
        auto it = c->features.find(key);                                    \
        if (value) *value = type(it == c->features.end() ? 0 : it->second); \
        return kMindSuccess;                                                \
    }

MindStatus CameraSdkInit(int language) {
    Guard g;
    g.k.call(QStringLiteral("CameraSdkInit(%1)").arg(language));
    int st = 0;
    return g.k.injected("CameraSdkInit", &st) ? st : kMindSuccess;
}

MindStatus CameraUSBDeviceInit() {
    Guard g;
    g.k.call(QStringLiteral("CameraUSBDeviceInit()"));
    int st = 0;
    return g.k.injected("CameraUSBDeviceInit", &st) ? st : kMindSuccess;
}

MindStatus CameraEnumerateDevice(MindDevInfo* list, int* count) {
    Guard g;
    Core& k = g.k;
    k.call(QStringLiteral("CameraEnumerateDevice(%1)").arg(count ? *count : -1));
    int st = 0;
    if (k.injected("CameraEnumerateDevice", &st)) return st;
    if (!list || !count) return kMindFailed;
    auto cams = k.enumerate(Vendor::MindVision);
    const int n = std::min<int>(*count, int(cams.size()));
    for (int i = 0; i < n; ++i) {
        memset(&list[i], 0, sizeof(MindDevInfo));
        strncpy(list[i].productName, cams[i]->spec.model.constData(), sizeof(list[i].productName) - 1);
        strncpy(list[i].serial, cams[i]->spec.serial.constData(), sizeof(list[i].serial) - 1);
        strncpy(list[i].portType, cams[i]->spec.gige ? "NET" : "USB", sizeof(list[i].portType) - 1);
        list[i].index = cams[i]->id;
    }
    *count = n;
    return n > 0 ? kMindSuccess : kMindNoDevice;
}

MindStatus CameraInit(MindDevInfo* info, int paramMode, int team, MindHandle* handle) {
    Guard g;
    Core& k = g.k;
    k.call(QStringLiteral("CameraInit(%1, %2, %3)")
               .arg(QString::fromLatin1(info ? info->serial : ""))
               .arg(paramMode)
               .arg(team));
    int st = 0;
    if (k.injected("CameraInit", &st)) return st;
    if (!info || !handle) return kMindFailed;
    Cam* c = nullptr;
    for (Cam* x : k.enumerate(Vendor::MindVision))
        if (x->id == info->index && x->spec.serial == QByteArray(info->serial)) c = x;
    if (!c) return kMindNoDevice;
    if (c->open) return kMindFailed;
    c->open = true;
    c->outW = c->spec.width;
    c->outH = c->spec.height;
    c->format = c->spec.color ? kMindIspRgb8 : kMindIspMono8;
    c->features.clear();
    *handle = MindHandle(k.addHandle(c));
    return kMindSuccess;
}

MindStatus CameraUnInit(MindHandle handle) {
    MIND_CALL("CameraUnInit", handle, "");
    c->open = false;
    c->streaming = false;
    k.dropHandle(uintptr_t(handle));
    k.cv.notify_all();
    return kMindSuccess;
}

MindStatus CameraGetCapability(MindHandle handle, MindCapability* cap) {
    MIND_CALL("CameraGetCapability", handle, "");
    if (!cap) return kMindFailed;
    memset(cap, 0, sizeof(*cap));
    cap->isMono = c->spec.color ? 0 : 1;
    cap->maxWidth = c->spec.width;
    cap->maxHeight = c->spec.height;
    auto& presets = presetsOf(c);
    cap->presets = presets.data();
    cap->presetCount = int(presets.size());
    auto s = rangeOf(c, "sharpness", 0, 100), ct = rangeOf(c, "contrast", 0, 200),
         gm = rangeOf(c, "gamma", 0, 250);
    cap->sharpness = {int(s.first), int(s.second)};
    cap->contrast = {int(ct.first), int(ct.second)};
    cap->gamma = {int(gm.first), int(gm.second)};
    return kMindSuccess;
}

MindStatus CameraSetImageResolution(MindHandle handle, MindResolution* r) {
    MIND_CALL("CameraSetImageResolution", handle,
              r ? QStringLiteral(", %1, %2, %3, %4x%5")
                      .arg(hex(r->index))
                      .arg(r->hOffset)
                      .arg(r->vOffset)
                      .arg(r->width)
                      .arg(r->height)
                : QString());
    if (!r || r->width <= 0 || r->height <= 0) return kMindFailed;
    c->outW = r->width;
    c->outH = r->height;
    return kMindSuccess;
}

MindStatus CameraSetIspOutFormat(MindHandle handle, uint32_t format) {
    MIND_CALL("CameraSetIspOutFormat", handle, QStringLiteral(", %1").arg(hex(format)));
    if (format != kMindIspRgb8 && format != kMindIspMono8) return kMindFailed;
    c->format = format;
    return kMindSuccess;
}

MIND_SET(CameraSetWbMode, "WbMode", int)
MIND_SET(CameraSetMediaType, "MediaType", int)
MIND_SET(CameraSetMonochrome, "Monochrome", bool)
MIND_SET(CameraSetFrameSpeed, "FrameSpeed", int)
MIND_SET(CameraSetAeState, "AeState", int)
MIND_SET(CameraSetExposureTime, "ExposureTime", double)
MIND_GET(CameraGetExposureTime, "ExposureTime", double)
MIND_SET(CameraSetAnalogGain, "AnalogGain", int)
MIND_GET(CameraGetAnalogGain, "AnalogGain", int)
MIND_SET(CameraSetSharpness, "Sharpness", int)
MIND_GET(CameraGetSharpness, "Sharpness", int)
MIND_SET(CameraSetContrast, "Contrast", int)
MIND_GET(CameraGetContrast, "Contrast", int)
MIND_SET(CameraSetGamma, "Gamma", int)
MIND_GET(CameraGetGamma, "Gamma", int)
MIND_SET(CameraSetAeTarget, "AeTarget", int)
MIND_SET(CameraSetAntiFlick, "AntiFlick", int)

MindStatus CameraSetMirror(MindHandle handle, int direction, bool on) {
    MIND_CALL("CameraSetMirror", handle, QStringLiteral(", %1, %2").arg(direction).arg(on));
    c->features[direction ? "MirrorV" : "MirrorH"] = on;
    return kMindSuccess;
}

MindStatus CameraLoadParameter(MindHandle handle, int team) {
    MIND_CALL("CameraLoadParameter", handle, QStringLiteral(", %1").arg(team));
    c->features["LoadParameter"] = team;
    if (team == kMindFactoryDefaults) {  // the trigger mode as configured (image values are kept)
        c->spec.trigger = c->defaultTrigger;
        c->pulses = 0;
        k.cv.notify_all();
    }
    return kMindSuccess;
}

MindStatus CameraSetTriggerMode(MindHandle handle, int mode) {
    MIND_CALL("CameraSetTriggerMode", handle, QStringLiteral(", %1").arg(mode));
    c->spec.trigger = mode == kMindTriggerHardware;
    c->pulses = 0;
    k.cv.notify_all();
    return kMindSuccess;
}

MindStatus CameraPlay(MindHandle handle) {
    MIND_CALL("CameraPlay", handle, "");
    c->streaming = true;
    k.cv.notify_all();
    return kMindSuccess;
}

MindStatus CameraStop(MindHandle handle) {
    MIND_CALL("CameraStop", handle, "");
    c->streaming = false;
    k.cv.notify_all();
    return kMindSuccess;
}

MindStatus CameraGetImageBuffer(MindHandle handle, MindFrameHead* head, uint8_t** raw, unsigned timeoutMs) {
    Guard g;
    Core& k = g.k;
    Cam* c = k.byHandle(uintptr_t(handle), "CameraGetImageBuffer");
    int st = 0;
    if (k.injected("CameraGetImageBuffer", &st)) return st;
    if (!c || !head || !raw) return kMindFailed;
    if (c->rawLent) return kMindFailed;
    if (!k.waitFrame(g.lk, c, int(timeoutMs))) return kMindTimeout;
    if (k.handles.find(uintptr_t(handle)) == k.handles.end()) return kMindFailed;
    const int bpp = c->spec.color ? 3 : 1;
    c->raw.resize(size_t(c->outW) * c->outH * bpp);
    const FrameJob job = k.prepare(c, c->outW, c->outH, bpp, false);
    c->rawLent = true;  // the buffer is this caller's until released
    head->width = c->outW;
    head->height = c->outH;
    head->mediaType = c->spec.color ? kMindIspRgb8 : kMindIspMono8;
    head->bytes = uint32_t(c->raw.size());
    head->frameId = job.counter;
    *raw = c->raw.data();
    g.lk.unlock();
    Core::render(job, *raw);
    return kMindSuccess;
}

MindStatus CameraImageProcess(MindHandle handle, uint8_t* raw, uint8_t* out, MindFrameHead* head) {
    Guard g;
    Core& k = g.k;
    Cam* c = k.byHandle(uintptr_t(handle), "CameraImageProcess");
    if (!c || !raw || !out || !head || raw != c->raw.data()) return kMindFailed;
    const size_t px = size_t(head->width) * head->height;
    const bool srcRgb = head->mediaType == kMindIspRgb8;
    if (c->format == kMindIspRgb8) {  // R, G, B
        for (size_t i = 0; i < px; ++i) {
            if (srcRgb)
                memcpy(out + i * 3, raw + i * 3, 3);
            else
                memset(out + i * 3, raw[i], 3);
        }
    } else {
        for (size_t i = 0; i < px; ++i)
            out[i] = srcRgb ? uint8_t((raw[i * 3] * 299 + raw[i * 3 + 1] * 587 + raw[i * 3 + 2] * 114) / 1000)
                            : raw[i];
    }
    return kMindSuccess;
}

MindStatus CameraReleaseImageBuffer(MindHandle handle, uint8_t* raw) {
    Guard g;
    Cam* c = g.k.byHandle(uintptr_t(handle), "CameraReleaseImageBuffer");
    if (!c || raw != c->raw.data()) return kMindFailed;
    c->rawLent = false;
    return kMindSuccess;
}

MindStatus CameraCommonCall(MindHandle handle, const char* command, char* result, int resultSize) {
    MIND_CALL("CameraCommonCall", handle, QStringLiteral(", %1").arg(QLatin1String(command ? command : "")));
    if (result && resultSize > 0) result[0] = 0;
    return kMindSuccess;
}

MindStatus CameraGetAeAnalogGainRange(MindHandle handle, int* min, int* max) {
    MIND_CALL("CameraGetAeAnalogGainRange", handle, "");
    if (c->failedRanges.contains("gain")) return kMindFailed;
    auto r = rangeOf(c, "gain", 16, 128);
    if (min) *min = int(r.first);
    if (max) *max = int(r.second);
    return kMindSuccess;
}

MindStatus CameraSetOnceWB(MindHandle handle) {
    MIND_CALL("CameraSetOnceWB", handle, "");
    return kMindSuccess;
}

MindStatus CameraSetAeExposureRange(MindHandle handle, double minUs, double maxUs) {
    MIND_CALL("CameraSetAeExposureRange", handle, QStringLiteral(", %1, %2").arg(minUs).arg(maxUs));
    return kMindSuccess;
}

MindStatus CameraReadSN(MindHandle handle, uint8_t* buffer, int level) {
    MIND_CALL("CameraReadSN", handle, QStringLiteral(", %1").arg(level));
    if (!buffer) return kMindFailed;
    memset(buffer, 0, 32);
    strncpy(reinterpret_cast<char*>(buffer), c->spec.serial.constData(), 31);
    return kMindSuccess;
}

MindStatus CameraSdkGetVersionString(char* text) {
    Guard g;
    g.k.call(QStringLiteral("CameraSdkGetVersionString()"));
    if (text) strcpy(text, "simulated 1.0");
    return kMindSuccess;
}
