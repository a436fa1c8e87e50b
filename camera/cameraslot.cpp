// Camera open, start, stop, close and the vendor grab passes of one view.
#include "cameraslot.h"

#include <QtDebug>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "cameraglobals.h"
#include "camerathread.h"
#include "detect/miscfunc.h"

namespace {
void record(const QString& text) {
    if (gpWin)
        gpWin->InsertRecord(text);
    else
        qInfo().noquote() << "record:" << text;
}

QByteArray boundSerial(int slot) {
    return QByteArray(gSerialNB[slot], int(strnlen(gSerialNB[slot], kSerialLen)));
}
}  // namespace

CameraSlot::CameraSlot(int s) : slot(s) {}

CameraSlot::~CameraSlot() {
    if (grabThread) {
        grabThread->running = false;
        grabThread->wait();
    }
    CameraClose();
    delete grabThread;
    grabThread = nullptr;
    freeFilterGraph();
}

void CameraSlot::AllocCameraBuffers() {
    // The hand-off buffer, and the work buffers of the back-end in use only: Galaxy grabs into its
    // own buffer and stretches the contrast into the processing buffer, MindVision processes into
    // it (3 bytes a pixel for colour), Hikvision converts Bayer frames into the RGB staging buffer;
    // V4L2 hands its decoded frames over directly.
    const size_t pixels = size_t(std::max(gImageLen, 0));
    sizeZeroed(frameBuffer, size_t(std::max(gColorLen, 0)));
    sizeZeroed(procBuffer, gCameraID == kCameraGalaxy       ? pixels
                           : gCameraID == kCameraMindVision ? pixels * 4
                                                            : 0);
    sizeZeroed(stagingBuffer, gCameraID == kCameraHikvision ? pixels * 3 : 0);
    sizeZeroed(galaxyBuffer, gCameraID == kCameraGalaxy ? pixels : 0);
}

void CameraSlot::FreeCameraBuffers() {
    for (PictureBuffer* b : {&frameBuffer, &procBuffer, &stagingBuffer, &galaxyBuffer}) sizeZeroed(*b, 0);
}

namespace {
QString filterPart(const char* format, double value, double low, double high) {
    if (!std::isfinite(value)) value = low;
    char text[64];
    snprintf(text, sizeof(text), format, std::min(high, std::max(low, value)));
    return QString::fromLatin1(text);
}
}  // namespace

QString v4l2ContrastFilter(double v) {
    return filterPart("eq=contrast=%f:", v / 100, -1000, 1000);
}
QString v4l2GammaFilter(double v) {
    return filterPart("gamma=%f,", v / 100, 0.1, 10);
}
QString v4l2SharpFilter(double v) {
    return filterPart("unsharp=5:5:%f", v * 0.05, -2, 5);
}

void CameraSlot::SetFilterTexts(double contrast, double gamma, double sharp) {
    filterContrast = v4l2ContrastFilter(contrast);
    filterGamma = v4l2GammaFilter(gamma);
    filterSharp = v4l2SharpFilter(sharp);
    filterExtra.clear();
}

QString CameraSlot::FilterDescription() const {
    return filterContrast + filterGamma + filterSharp + filterExtra;
}

bool CameraSlot::isActive() const {
    return slot >= 0 && slot < kMaxCamera && gCameraActive[slot];
}

void CameraSlot::CameraOpen() {
    if (slot < 0 || slot >= kMaxCamera) return;
    gCameraActive[slot] = false;
    if (slot >= gFindCamera) return;
    const QByteArray serial = boundSerial(slot);
    bool ok = false;
    switch (gCameraID) {
        case kCameraNone:
            ok = true;
            break;
        case kCameraGalaxy:
            ok = openGalaxy(serial);
            break;
        case kCameraUeye:
            ok = openUeye(serial);
            break;
        case kCameraMindVision:
            ok = openMindVision(serial);
            break;
        case kCameraHikvision:
            ok = openHikvision(serial);
            break;
        case kCameraV4L2:
            ok = openV4L2();
            break;
        default:
            break;
    }
    if (!ok) return;
    gCameraActive[slot] = true;
    if (grabThread) {
        grabThread->running = false;
        grabThread->wait();
        delete grabThread;
    }
    grabThread = new CameraThread(this, threadParent);
    ApplyCameraSettings();
}

bool CameraSlot::openGalaxy(const QByteArray& serial) {
    GxHandle h = nullptr;
    GxStatus st;
    if (serial.size() > 8) {
        QByteArray sn = serial;
        GxOpenParam p{sn.data(), kGxOpenBySerial, kGxAccessExclusive};
        st = GXOpenDevice(&p, &h);
    } else {
        st = GXOpenDeviceByIndex(uint32_t(slot + 1), &h);
    }
    if (st != GX_STATUS_SUCCESS) return false;
    gxHandle = h;
    GXSetInt(h, kGxIntSpeedLevel, 0);
    if (2 * gImageW == gOW) {
        for (int k = 0; k < 4; ++k) GXSetInt(h, kGxIntBinningH + k, 2);
        GXSetInt(h, kGxIntOffsetX, 0);
        GXSetInt(h, kGxIntOffsetY, 0);
    } else {
        GXSetInt(h, kGxIntOffsetX, (gOW - gImageW) / 2);
        GXSetInt(h, kGxIntOffsetY, (gOH - gImageH) / 2);
    }
    GXSetInt(h, kGxIntWidth, gImageW);
    GXSetInt(h, kGxIntHeight, gImageH);
    GXSetEnum(h, kGxEnumFeature178a, 1);
    GXSetBool(h, kGxBoolFeature1395, true);
    memset(&gxFrame, 0, sizeof(gxFrame));
    gxFrame.buffer = galaxyBuffer.data();
    return true;
}

bool CameraSlot::openUeye(const QByteArray& serial) {
    UeyeHandle h = 0;
    if (serial.size() >= 9 && serial.size() <= 19) {
        int count = 0;
        is_GetNumberOfCameras(&count);
        bool found = false;
        for (int k = 1; k <= count && !found; ++k) {
            h = UeyeHandle(k) | kUeyeUseDeviceId;
            if (is_InitCamera(&h, nullptr) != kUeyeSuccess) continue;
            UeyeCameraInfo info;
            memset(&info, 0, sizeof(info));
            is_GetCameraInfo(h, &info);
            if (QByteArray(info.serial, int(strnlen(info.serial, sizeof(info.serial)))) == serial)
                found = true;
            else
                is_ExitCamera(h);
        }
        if (!found) return false;
    } else {
        h = UeyeHandle(slot + 1) | kUeyeUseDeviceId;
        if (is_InitCamera(&h, nullptr) != kUeyeSuccess) return false;
    }
    ueyeHandle = h;
    int bpp = 0, mode = 0;
    is_GetColorDepth(h, &bpp, &mode);
    ueyeColorMode = kUeyeCmMono8;
    ueyeBitsPerPixel = 8;
    is_SetColorMode(h, ueyeColorMode);
    is_AllocImageMem(h, gImageW, gImageH, ueyeBitsPerPixel, &ueyeMemory, &ueyeMemoryId);
    is_SetImageMem(h, ueyeMemory, ueyeMemoryId);
    UeyeSize size{gImageW, gImageH};
    is_AOI(h, kUeyeAoiImageSetSize, &size, 8);
    double off = 0;
    is_SetAutoParameter(h, kUeyeSetEnableAutoGain, &off, nullptr);
    is_SetAutoParameter(h, kUeyeSetEnableAutoShutter, &off, nullptr);
    is_SetHardwareGamma(h, kUeyeSetHwGammaOn);
    unsigned clock = 5;
    is_PixelClock(h, kUeyePixelclockCmdSet, &clock, 4);
    // New images are told by the SDK's frame event: a still scene (a lens cap, a dark mould) gives the
    // same bytes frame after frame and is still a camera that delivers.
    is_EnableEvent(h, kUeyeSetEventFrame);
    lastUeyeFrame.assign(size_t(gImageLen), 0);
    return true;
}

bool CameraSlot::openMindVision(const QByteArray& serial) {
    MindDevInfo* entry = nullptr;
    if (serial.size() < 9) {
        if (slot < kMindMaxDevices) entry = &gCList[slot];
    } else {
        const int n = std::min(gFindCamera, kMindMaxDevices);
        for (int i = 0; i < n && !entry; ++i)
            if (QByteArray(gCList[i].serial, int(strnlen(gCList[i].serial, sizeof(gCList[i].serial)))) ==
                serial)
                entry = &gCList[i];
        if (!entry) {
            record(QStringLiteral("Mind Fail = %1").arg(-1));
            return false;
        }
        record(QStringLiteral("Mind Open %1 = %2").arg(slot + 1).arg(QString::fromLatin1(serial)));
    }
    if (!entry) return false;
    MindHandle h = 0;
    const MindStatus st = CameraInit(entry, -1, -1, &h);
    if (st != kMindSuccess) {
        record(QStringLiteral("Mind Fail = %1").arg(st));
        return false;
    }
    mindHandle = h;
    CameraGetCapability(h, &mindCapability);
    applyMindFormat();
    CameraSetMirror(h, 0, false);
    CameraSetMirror(h, 1, false);
    CameraSetFrameSpeed(h, 0);
    return true;
}

void CameraSlot::applyMindFormat() {
    const MindHandle h = mindHandle;
    MindResolution res;
    if (gOW == 2592 && gisCut) {
        res = gImageResolution;
    } else {
        memset(&res, 0, sizeof(res));
        res.index = kMindResolutionCustom;
        res.hOffset = (gOW - gImageW) / 2;
        res.vOffset = (gOH - gImageH) / 2;
        res.fovWidth = res.width = gImageW;
        res.fovHeight = res.height = gImageH;
    }
    CameraSetImageResolution(h, &res);
    if (gSensorColor) {
        CameraSetWbMode(h, 0);
        if (gisColor) {
            if (gOW == 2048) {
                CameraSetIspOutFormat(h, kMindIspRgb8);
                CameraSetMonochrome(h, false);
            } else {
                CameraSetMediaType(h, 0);
                CameraSetIspOutFormat(h, kMindIspRgb8);
            }
        } else if (gOW == 2048) {
            CameraSetIspOutFormat(h, kMindIspMono8);
            CameraSetMonochrome(h, true);
        } else {
            CameraSetMediaType(h, 1);
            CameraSetIspOutFormat(h, kMindIspMono8);
        }
    } else {
        CameraSetIspOutFormat(h, kMindIspMono8);
        CameraSetMonochrome(h, false);
    }
}

bool CameraSlot::openHikvision(const QByteArray& serial) {
    // Entries are looked up in the current list only, and the record is copied: a later enumeration
    // (camera check, restart) replaces gDevList.
    const unsigned count = std::min<unsigned>(gDevList.deviceNum, kMvMaxDevices);
    const MvDeviceInfo* dev = nullptr;
    if (serial.size() < 9) {
        if (unsigned(slot) < count) dev = gDevList.deviceInfo[slot];
    } else {
        for (unsigned i = 0; i < count && !dev; ++i) {
            const MvDeviceInfo* d = gDevList.deviceInfo[i];
            if (d && d->transportLayerType == kMvGigeDevice &&
                QByteArray(d->gige.serialNumber,
                           int(strnlen(d->gige.serialNumber, sizeof(d->gige.serialNumber)))) == serial)
                dev = d;
        }
    }
    if (!dev) return false;
    hikDevice = *dev;
    void* h = nullptr;
    if (MV_CC_CreateHandle(&h, &hikDevice) != MV_OK) return false;
    if (MV_CC_OpenDevice(h, kMvAccessExclusive, 0) != MV_OK) {
        MV_CC_DestroyHandle(h);
        return false;
    }
    hikHandle = h;
    makerName = QString::fromLatin1(
        hikDevice.gige.manufacturerName,
        int(strnlen(hikDevice.gige.manufacturerName, sizeof(hikDevice.gige.manufacturerName))));
    MV_CC_SetEnumValue(h, "UserSetSelector", 0);
    MV_CC_SetCommandValue(h, "UserSetLoad");
    MV_CC_SetBoolValue(h, "SharpnessEnable", true);
    MV_CC_SetBoolValue(h, "GammaEnable", true);
    memset(&hikConvert, 0, sizeof(hikConvert));
    hikConvert.width = uint16_t(gImageW);
    hikConvert.height = uint16_t(gImageH);
    hikConvert.srcDataLen = uint32_t(gImageLen);
    hikConvert.dstPixelType = kMvPixelRGB8Packed;
    hikConvert.dstBuffer = stagingBuffer.data();
    hikConvert.dstBufferSize = uint32_t(gImageLen) * 3;
    MV_CC_RegisterImageCallBack(h, &CameraSlot::ImageCallBack, this);
    MV_CC_SetEnumValue(h, "PixelFormat", hikPixelFormat());
    return true;
}

uint32_t CameraSlot::hikPixelFormat() const {
    return (gSensorColor && gisColor) ? kMvPixelBayerRG8 : kMvPixelMono8;
}

int CameraSlot::CameraStart() {
    if (!isActive()) return 0;
    switch (gCameraID) {
        case kCameraGalaxy:
            GXSendCommand(gxHandle, kGxCommandAcquisitionStart);
            break;
        case kCameraUeye:
            is_CaptureVideo(ueyeHandle, kUeyeWait);
            break;
        case kCameraMindVision:
            CameraPlay(mindHandle);
            break;
        case kCameraHikvision:
            MV_CC_StartGrabbing(hikHandle);
            break;
        default:
            break;
    }
    if (grabThread && grabThread->isRunning() && !grabThread->running) {
        // Restarted right after a stop: let the ending loop finish, or start() would find it still
        // running and the new acquisition would have no grab thread.
        grabThread->wait();
    }
    v4l2Abort = false;
    if (grabThread) {
        grabThread->running = true;
        grabThread->start(QThread::InheritPriority);
    }
    return 1;
}

void CameraSlot::CameraStop() {
    if (!isActive()) return;
    switch (gCameraID) {
        case kCameraGalaxy:
            GXSendCommand(gxHandle, kGxCommandAcquisitionStop);
            break;
        case kCameraUeye:
            is_StopLiveVideo(ueyeHandle, kUeyeForceVideoStop);
            break;
        case kCameraMindVision:
            if (mindHandle > 0) ::CameraStop(mindHandle);
            break;
        case kCameraHikvision:
            MV_CC_StopGrabbing(hikHandle);
            break;
        default:
            break;
    }
    if (grabThread) grabThread->running = false;
    v4l2Abort = true;  // a V4L2 read blocked on a silent device returns
}

void CameraSlot::CameraClose() {
    if (!isActive()) return;
    gCameraActive[slot] = false;
    if (grabThread) {
        grabThread->running = false;
        v4l2Abort = true;
        grabThread->wait();
        delete grabThread;
        grabThread = nullptr;
    }
    switch (gCameraID) {
        case kCameraGalaxy:
            GXCloseDevice(gxHandle);
            gxHandle = nullptr;
            break;
        case kCameraUeye:
            is_DisableEvent(ueyeHandle, kUeyeSetEventFrame);
            is_FreeImageMem(ueyeHandle, ueyeMemory, ueyeMemoryId);
            ueyeMemory = nullptr;
            is_ExitCamera(ueyeHandle);
            break;
        case kCameraMindVision:
            if (mindHandle > 0) CameraUnInit(mindHandle);
            mindHandle = 0;
            break;
        case kCameraHikvision:
            MV_CC_CloseDevice(hikHandle);
            MV_CC_DestroyHandle(hikHandle);
            hikHandle = nullptr;
            break;
        case kCameraV4L2:
            closeV4L2();
            break;
        default:
            break;
    }
}

void CameraSlot::handOff(const uchar* src, int bytesPerPixel) {
    QMutexLocker lock(pMutex[slot]);
    if (frameBuffer.size() < size_t(gColorLen)) return;
    if (bytesPerPixel == 3) {
        if (gisColor)
            RGB2RGBA(frameBuffer.data(), const_cast<uchar*>(src), gImageW, gImageH);
        else
            for (int i = 0; i < gImageLen; ++i) frameBuffer[size_t(i)] = src[3 * i + 1];
    } else if (gisColor) {
        // Grey frames with colour processing on become grey 32-bit pixels, filling the whole buffer.
        for (int i = 0; i < gImageLen; ++i) {
            uchar* p = &frameBuffer[size_t(i) * 4];
            p[0] = p[1] = p[2] = src[i];
            p[3] = 0;
        }
    } else {
        memcpy(frameBuffer.data(), src, size_t(gImageLen));
    }
    isImageFill[slot] = true;
}

bool CameraSlot::TakeFrame(uchar* dst) {
    if (slot < 0 || slot >= kMaxCamera || !pMutex[slot]) return false;
    QMutexLocker lock(pMutex[slot]);
    if (!isImageFill[slot]) return false;
    memcpy(dst, frameBuffer.data(), std::min(frameBuffer.size(), size_t(gColorLen)));
    isImageFill[slot] = false;
    return true;
}

bool CameraSlot::GrabOnce() {
    switch (gCameraID) {
        case kCameraGalaxy: {
            if (GXGetImage(gxHandle, &gxFrame, 100) != GX_STATUS_SUCCESS || gxFrame.status != 0) return false;
            if (gxFrame.width != gImageW || gxFrame.height != gImageH) return false;
            int factor;
            {
                QMutexLocker lock(pMutex[slot]);
                factor = gContrast[slot];
            }
            DxContrast(galaxyBuffer.data(), procBuffer.data(), gImageLen, factor);
            handOff(procBuffer.data(), 1);
            return true;
        }
        case kCameraUeye: {
            if (!ueyeMemory || lastUeyeFrame.size() != size_t(gImageLen)) return false;
            if (is_WaitEvent(ueyeHandle, kUeyeSetEventFrame, 0) != kUeyeSuccess) return false;
            memcpy(lastUeyeFrame.data(), ueyeMemory, size_t(gImageLen));
            handOff(lastUeyeFrame.data(), 1);
            return true;
        }
        case kCameraMindVision: {
            if (::CameraGetImageBuffer(mindHandle, &mindHead, &mindRaw, 100) != kMindSuccess) return false;
            bool ok = false;
            if (mindHead.width == gImageW && mindHead.height == gImageH &&
                CameraImageProcess(mindHandle, mindRaw, procBuffer.data(), &mindHead) == kMindSuccess) {
                handOff(procBuffer.data(), (gSensorColor && gisColor) ? 3 : 1);
                ok = true;
            }
            CameraReleaseImageBuffer(mindHandle, mindRaw);
            return ok;
        }
        case kCameraV4L2:
            return grabV4L2();
        default:
            return false;
    }
}

void CameraSlot::ImageCallBack(unsigned char* data, _MV_FRAME_OUT_INFO_* info, void* user) {
    auto* self = static_cast<CameraSlot*>(user);
    if (!info || !data || !self) return;
    // Only frames of the working size are taken: a camera with another size would be over-read.
    if (info->width != gImageW || info->height != gImageH || info->frameLen < uint32_t(gImageLen)) return;
    if (gSensorColor && gisColor) {
        if (info->pixelType != kMvPixelBayerRG8) return;
        self->hikConvert.srcData = data;
        self->hikConvert.srcDataLen = info->frameLen;
        self->hikConvert.srcPixelType = info->pixelType;
        self->hikConvert.dstPixelType = kMvPixelRGB8Packed;
        if (MV_CC_ConvertPixelType(self->hikHandle, &self->hikConvert) != MV_OK) return;
        self->handOff(self->stagingBuffer.data(), 3);
    } else {
        if (info->pixelType != kMvPixelMono8) return;
        self->handOff(data, 1);
    }
}
