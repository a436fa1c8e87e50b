// Camera image settings: the per-view setters, trigger mode, capture speed, factory defaults and the
// Hikvision feature-name table.
#include "camerasettings.h"

#include <QMutexLocker>
#include <cmath>
#include <cstring>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "cameraglobals.h"
#include "camerahost.h"
#include "cameraslot.h"

QJsonObject gJsonParamIndex;
int outSet = 0;

namespace {
// Whole part (truncation towards zero) as an int.
int whole(double v) {
    return int(std::trunc(v));
}

bool validSlot(int slot) {
    return slot >= 0 && slot < kMaxCamera;
}

// Read-back of a device value into record steps: whole part of (value - min) / divisor; 0 when the
// range gives no steps (a divisor of 0).
int steps(double value, double min, double divisor) {
    if (divisor == 0 || !std::isfinite(divisor)) return 0;
    return whole((value - min) / divisor);
}

QByteArray nameOf(const QString& maker, const char* key) {
    // A view opened before the start-up filled the table still writes the right features.
    if (gJsonParamIndex.isEmpty()) initParamIndex();
    return getPararmIndex(maker, QLatin1String(key)).toLatin1();
}
}  // namespace

void initParamIndex() {
    QJsonObject hik;
    hik.insert(QStringLiteral("ExposureTime"), QStringLiteral("ExposureTime"));
    hik.insert(QStringLiteral("Gain"), QStringLiteral("Gain"));
    hik.insert(QStringLiteral("sharp"), QStringLiteral("Sharpness"));
    hik.insert(QStringLiteral("Gamma"), QStringLiteral("Gamma"));
    QJsonObject cognex;
    cognex.insert(QStringLiteral("ExposureTime"), QStringLiteral("ExposureTimeAbs"));
    cognex.insert(QStringLiteral("Gain"), QStringLiteral("GainRaw"));
    cognex.insert(QStringLiteral("sharp"), QStringLiteral("Sharpness"));
    cognex.insert(QStringLiteral("Gamma"), QStringLiteral("Gamma"));
    gJsonParamIndex = QJsonObject();
    gJsonParamIndex.insert(QStringLiteral("Hik"), hik);
    gJsonParamIndex.insert(QStringLiteral("COGNEX"), cognex);
}

QString getPararmIndex(const QString& maker, const QString& key) {
    const QString table = maker == QLatin1String("COGNEX") ? QStringLiteral("COGNEX") : QStringLiteral("Hik");
    return gJsonParamIndex.value(table).toObject().value(key).toString();
}

void resetCameraSettingsGlobals() {
    gJsonParamIndex = QJsonObject();
    outSet = 0;
}

// ---- per-view setters ----

void CameraSlot::ApplyCameraSettings() {
    if (!settingsRecord()) {
        if (gCameraID == kCameraV4L2) RebuildFilters();
        return;
    }
    CameraChangeTrig(true);
    SetAdjustPlus();
    SetExposeTime();
    SetContrast();
    SetSharp();
    SetGamma();
}

void CameraSlot::SetExposeTime() {
    if (!isActive()) return;
    const WizardPara* p = settingsRecord(true);
    if (!p) return;
    const double v = p->expose_time[slot];
    switch (gCameraID) {
        case kCameraGalaxy:
            if (p->auto_exposure) {
                GXSetEnum(gxHandle, kGxEnumExposureAuto, 1);
            } else {
                GXSetEnum(gxHandle, kGxEnumExposureAuto, 0);
                GxFloatRange r{};
                double value = v;
                if (GXGetFloatRange(gxHandle, kGxFloatExposureTime, &r) == GX_STATUS_SUCCESS)
                    value = whole(r.min + (r.max - r.min) / 100 * v);
                GXSetFloat(gxHandle, kGxFloatExposureTime, value);
            }
            GXSetEnum(gxHandle, kGxEnumWdr, p->auto_shading ? 1 : 0);
            break;
        case kCameraUeye: {
            double ms = v;
            is_Exposure(ueyeHandle, kUeyeExposureCmdSetExposure, &ms, 8);
            break;
        }
        case kCameraMindVision:
            if (p->auto_exposure) {
                CameraSetAeState(mindHandle, 1);
            } else {
                CameraSetAeState(mindHandle, 0);
                CameraSetExposureTime(mindHandle, v * 1000);
            }
            CameraCommonCall(mindHandle, p->auto_shading ? "set_awdr_enable(true)" : "set_awdr_enable(false)",
                             nullptr, 0);
            break;
        case kCameraHikvision:
            MV_CC_SetEnumValue(hikHandle, "ExposureMode", 0);
            MV_CC_SetEnumValue(hikHandle, "ExposureAuto", 0);
            MV_CC_SetFloatValue(hikHandle, nameOf(makerName, "ExposureTime").constData(), float(v * 1000));
            break;
        default:
            break;
    }
    SetWB();
}

void CameraSlot::SetAdjustPlus() {
    if (!isActive()) return;
    const WizardPara* p = settingsRecord(true);
    if (!p) return;
    const double v = p->adjust_plus[slot];
    switch (gCameraID) {
        case kCameraGalaxy: {
            // A range that cannot be read leaves the gain as it is rather than writing an invented value.
            GxFloatRange r{};
            if (GXGetFloatRange(gxHandle, kGxFloatGain, &r) == GX_STATUS_SUCCESS)
                GXSetFloat(gxHandle, kGxFloatGain, double(whole(r.min + (r.max - r.min) * v / 64)));
            break;
        }
        case kCameraUeye: {
            const int g = whole(v);
            is_SetHardwareGain(ueyeHandle, g, g, g, g);
            break;
        }
        case kCameraMindVision: {
            int min = 0, max = 0;
            if (CameraGetAeAnalogGainRange(mindHandle, &min, &max) == kMindSuccess)
                CameraSetAnalogGain(mindHandle, whole(min + double(max - min) / 64 * v));
            break;
        }
        case kCameraHikvision: {
            MV_CC_SetEnumValue(hikHandle, "GainAuto", 0);
            const QByteArray name = nameOf(makerName, "Gain");
            if (makerName != QLatin1String("COGNEX")) {
                MvFloatValue r{};
                if (MV_CC_GetGain(hikHandle, &r) == MV_OK)
                    MV_CC_SetFloatValue(hikHandle, name.constData(),
                                        (r.max - r.min) / 64.0f * float(v) + r.min);
            } else {
                MvIntValue r{};
                if (MV_CC_GetIntValue(hikHandle, name.constData(), &r) == MV_OK)
                    MV_CC_SetIntValue(hikHandle, name.constData(),
                                      std::llround(double(r.max - r.min) / 64 * v + double(r.min)));
            }
            break;
        }
        default:
            break;
    }
    SetWB();
}

void CameraSlot::SetSharp() {
    if (!isActive()) return;
    const WizardPara* p = settingsRecord();
    if (!p) return;
    const double v = p->sharp[slot];
    switch (gCameraID) {
        case kCameraGalaxy: {
            GxFloatRange r{};
            if (GXGetFloatRange(gxHandle, kGxFloatSharpness, &r) == GX_STATUS_SUCCESS)
                GXSetFloat(gxHandle, kGxFloatSharpness, double(whole((r.max - r.min) / 100 * v + r.min)));
            break;
        }
        case kCameraMindVision: {
            const MindRange& r = mindCapability.sharpness;
            CameraSetSharpness(mindHandle, whole(double(r.max - r.min) / 100 * v + r.min));
            break;
        }
        case kCameraHikvision: {
            MvIntValue r{};
            if (MV_CC_GetSharpness(hikHandle, &r) == MV_OK) {
                const float value = float(v) * float(r.max - r.min) / 100.0f + float(r.min);
                MV_CC_SetIntValue(hikHandle, nameOf(makerName, "sharp").constData(), whole(double(value)));
            }
            break;
        }
        case kCameraV4L2:
            filterSharp = v4l2SharpFilter(v);
            RebuildFilters();
            break;
        default:
            break;
    }
}

void CameraSlot::SetContrast() {
    if (!isActive()) return;
    const WizardPara* p = settingsRecord();
    if (!p) return;
    const double v = p->contrast[slot];
    switch (gCameraID) {
        case kCameraGalaxy: {
            // The grab thread reads the factor under the same lock before each frame.
            QMutexLocker lock(pMutex[slot]);
            gContrast[slot] = v > 150 ? 100 : whole(v - 50);
            break;
        }
        case kCameraMindVision: {
            const MindRange& r = mindCapability.contrast;
            CameraSetContrast(mindHandle, whole(r.min + v * (r.max - r.min) / 200));
            break;
        }
        case kCameraV4L2:
            filterContrast = v4l2ContrastFilter(v);
            RebuildFilters();
            break;
        default:
            break;
    }
}

void CameraSlot::SetGamma() {
    if (!isActive()) return;
    const WizardPara* p = settingsRecord();
    if (!p) return;
    const double v = p->gamma[slot];
    switch (gCameraID) {
        case kCameraGalaxy: {
            GxFloatRange r{};
            if (GXGetFloatRange(gxHandle, kGxFloatGamma, &r) == GX_STATUS_SUCCESS)
                GXSetFloat(gxHandle, kGxFloatGamma, r.min + (r.max - r.min) / 250 * v);
            break;
        }
        case kCameraUeye: {
            int g = whole(v);
            is_Gamma(ueyeHandle, kUeyeGammaCmdSet, &g, 4);
            break;
        }
        case kCameraMindVision: {
            const MindRange& r = mindCapability.gamma;
            CameraSetGamma(mindHandle, whole(r.min + double(r.max - r.min) / 250 * v));
            break;
        }
        case kCameraHikvision: {
            MvFloatValue r{};
            if (MV_CC_GetGamma(hikHandle, &r) == MV_OK)
                MV_CC_SetFloatValue(hikHandle, nameOf(makerName, "Gamma").constData(),
                                    (r.max - r.min) / 250.0f * float(v) + r.min);
            break;
        }
        case kCameraV4L2:
            filterGamma = v4l2GammaFilter(v);
            RebuildFilters();
            break;
        default:
            break;
    }
}

void CameraSlot::SetWB() {
    if (!isActive() || !gisColor) return;
    if (gCameraID == kCameraMindVision)
        CameraSetOnceWB(mindHandle);
    else if (gCameraID == kCameraHikvision)
        MV_CC_SetBalanceWhiteAuto(hikHandle, 2);
}

void CameraSlot::CameraChangeTrig(bool restart) {
    if (!isActive()) return;
    const WizardPara* live = liveRecord();
    const bool external = live && live->external_trigger != 0;
    switch (gCameraID) {
        case kCameraGalaxy:
            if (restart) GXSendCommand(gxHandle, kGxCommandAcquisitionStop);
            GXSetEnum(gxHandle, kGxEnumAcquisitionMode, 2);
            GXSetEnum(gxHandle, kGxEnumTriggerMode, 0);
            if (restart) GXSendCommand(gxHandle, kGxCommandAcquisitionStart);
            break;
        case kCameraMindVision:
            CameraSetTriggerMode(mindHandle, external ? kMindTriggerHardware : kMindTriggerContinuous);
            break;
        case kCameraHikvision:
            if (!external) {
                MV_CC_SetEnumValue(hikHandle, "TriggerMode", 0);
            } else {
                MV_CC_SetEnumValue(hikHandle, "TriggerMode", 1);
                MV_CC_SetEnumValue(hikHandle, "TriggerSource", 0);
            }
            break;
        default:
            break;
    }
}

void CameraSlot::RestoreDefaultSettings() {
    if (!isActive() || !validSlot(slot)) return;
    WizardPara* work = gpWParaBak;
    const WizardPara* live = liveRecord();
    const int c = slot;
    switch (gCameraID) {
        case kCameraMindVision: {
            CameraStop();
            const MindHandle h = mindHandle;
            CameraLoadParameter(h, kMindFactoryDefaults);
            applyMindFormat();
            CameraSetAeState(h, (live && live->auto_exposure) ? 1 : 0);
            CameraSetMirror(h, 0, false);
            CameraSetMirror(h, 1, gOW < 2048 && !gisColor);
            CameraSetFrameSpeed(h, 0);
            // The factory set runs free: the trigger mode comes back as at open, before the start.
            CameraChangeTrig(false);
            if (work) {
                double us = 0;
                CameraGetExposureTime(h, &us);
                work->expose_time[c] = whole(us / 1000);
                int g = 0, gmin = 0, gmax = 0;
                CameraGetAnalogGain(h, &g);
                CameraGetAeAnalogGainRange(h, &gmin, &gmax);
                work->adjust_plus[c] = steps(g, gmin, double(gmax - gmin) / 64);
                int s = 0, k = 0, gm = 0;
                CameraGetSharpness(h, &s);
                CameraGetContrast(h, &k);
                CameraGetGamma(h, &gm);
                const MindCapability& cap = mindCapability;
                work->sharp[c] = steps(s, cap.sharpness.min, (cap.sharpness.max - cap.sharpness.min) / 100);
                work->contrast[c] = steps(k, cap.contrast.min, (cap.contrast.max - cap.contrast.min) / 200);
                work->gamma[c] = steps(gm, cap.gamma.min, (cap.gamma.max - cap.gamma.min) / 250);
            }
            CameraStart();
            CameraSetSpeed();
            break;
        }
        case kCameraHikvision: {
            CameraStop();
            MV_CC_SetEnumValue(hikHandle, "UserSetSelector", 0);
            MV_CC_SetCommandValue(hikHandle, "UserSetLoad");
            // The user set switches sharpness and gamma processing off and the trigger to free
            // running: both come back as at open, before the start.
            MV_CC_SetBoolValue(hikHandle, "SharpnessEnable", true);
            MV_CC_SetBoolValue(hikHandle, "GammaEnable", true);
            MV_CC_SetEnumValue(hikHandle, "PixelFormat", hikPixelFormat());
            CameraChangeTrig(false);
            CameraStart();
            if (work) {
                MvFloatValue e{}, g{}, gm{};
                MvIntValue s{};
                if (MV_CC_GetExposureTime(hikHandle, &e) == MV_OK)
                    work->expose_time[c] = whole(e.current / 1000);
                if (MV_CC_GetGain(hikHandle, &g) == MV_OK)
                    work->adjust_plus[c] = steps(g.current, g.min, (g.max - g.min) / 64.0);
                if (MV_CC_GetSharpness(hikHandle, &s) == MV_OK)
                    work->sharp[c] = steps(double(s.current), double(s.min), double(s.max - s.min) / 100);
                if (MV_CC_GetGamma(hikHandle, &gm) == MV_OK)
                    work->gamma[c] = steps(gm.current, gm.min, (gm.max - gm.min) / 250.0);
            }
            break;
        }
        case kCameraV4L2:
            // The camera's own picture; the graph is rebuilt here, so the defaults act even when the
            // sliders already stood at these values.
            if (work) {
                work->contrast[c] = kV4L2DefaultContrast;
                work->gamma[c] = kV4L2DefaultGamma;
                work->sharp[c] = kV4L2DefaultSharp;
            }
            SetFilterTexts(kV4L2DefaultContrast, kV4L2DefaultGamma, kV4L2DefaultSharp);
            RebuildFilters();
            break;
        default:
            break;
    }
}

void CameraSlot::AutoChangeExposeTime(int brightness) {
    WizardPara* live = liveRecord();
    if (!live || !validSlot(slot)) return;
    if (brightness > 130)
        live->expose_time[slot] -= 1;
    else if (brightness <= 125)
        live->expose_time[slot] += 1;
    SetExposeTime();
}

bool CameraSlot::StartAutoExposure() {
    if (!isActive() || gCameraID != kCameraMindVision) return false;
    CameraSetAeState(mindHandle, 1);
    CameraSetAeTarget(mindHandle, 120);
    CameraSetAeExposureRange(mindHandle, 0, 100000);
    CameraSetAntiFlick(mindHandle, 1);
    return true;
}

bool CameraSlot::StopAutoExposure(int* exposeMs, int* gain) {
    if (!isActive() || gCameraID != kCameraMindVision) return false;
    CameraSetAeState(mindHandle, 0);
    double us = 0;
    int g = 0;
    if (CameraGetExposureTime(mindHandle, &us) != kMindSuccess ||
        CameraGetAnalogGain(mindHandle, &g) != kMindSuccess)
        return false;
    // Gain in record steps (1/64 of the range), as the gain slider and SetAdjustPlus count it.
    int gmin = 0, gmax = 0;
    CameraGetAeAnalogGainRange(mindHandle, &gmin, &gmax);
    if (exposeMs) *exposeMs = whole(us / 1000);
    if (gain) *gain = steps(g, gmin, double(gmax - gmin) / 64);
    return true;
}

QByteArray CameraSlot::ReadSerial() {
    if (!isActive()) return QByteArray();
    switch (gCameraID) {
        case kCameraUeye: {
            UeyeCameraInfo info;
            memset(&info, 0, sizeof(info));
            if (is_GetCameraInfo(ueyeHandle, &info) != kUeyeSuccess) return QByteArray();
            return QByteArray(info.serial, int(strnlen(info.serial, sizeof(info.serial))));
        }
        case kCameraMindVision: {
            uint8_t buffer[32];
            memset(buffer, 0, sizeof(buffer));
            if (CameraReadSN(mindHandle, buffer, 0) != kMindSuccess) return QByteArray();
            const char* text = reinterpret_cast<const char*>(buffer);
            return QByteArray(text, int(strnlen(text, sizeof(buffer))));
        }
        case kCameraHikvision: {
            if (hikDevice.transportLayerType != kMvGigeDevice) return QByteArray();
            // The serial field is not NUL-terminated when it is full.
            const char* sn = hikDevice.gige.serialNumber;
            return QByteArray(sn, int(strnlen(sn, sizeof(hikDevice.gige.serialNumber))));
        }
        default:
            return QByteArray();
    }
}

// ---- all views ----

void CameraSetSpeed() {
    const WizardPara* live = liveRecord();
    const int s = live ? live->capture_speed : 0;
    const int n = cameraViewCount();
    for (int i = 0; i < n; ++i) {
        CameraSlot* v = cameraView(i);
        if (!v) continue;
        v->CameraStop();
        if (v->isActive()) {
            switch (gCameraID) {
                case kCameraUeye: {
                    unsigned clock = unsigned(s);
                    is_PixelClock(v->ueyeHandle, kUeyePixelclockCmdSet, &clock, 4);
                    break;
                }
                case kCameraMindVision:
                    CameraSetFrameSpeed(v->mindHandle, gisColor ? s + 1 : s);
                    break;
                case kCameraHikvision: {
                    const int r = s < 5 ? 20 : s;
                    MV_CC_SetBoolValue(v->hikHandle, "AcquisitionFrameRateEnable", true);
                    MV_CC_SetFloatValue(v->hikHandle, "AcquisitionFrameRate", float(r));
                    break;
                }
                default:
                    break;
            }
        }
        v->CameraStart();
    }
}
