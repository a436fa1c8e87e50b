#include "checkcamera.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <QDir>
#include <QFile>
#include <QtDebug>
#include <cstring>

#include "platform/camsdk/galaxy.h"
#include "platform/camsdk/hikvision.h"
#include "platform/camsdk/mindvision.h"
#include "platform/camsdk/simbus.h"
#include "platform/camsdk/ueye.h"
#include "platform/system/commandrunner.h"
#include "platform/system/profile.h"
#include "platform/system/syspath.h"

bool WorkingSizeFor(int id, int sw, int sh, int cut, int* w, int* h) {
    auto set = [w, h](int a, int b) {
        *w = a;
        *h = b;
        return true;
    };
    switch (id) {
        case kCameraGalaxy:
            if (sw == 2592) return set(1296, sh / 2);
            if (cut && sw == 1280) return set(1120, 840);
            if (cut && sw == 2048) return set(1600, 1200);
            return set(sw, sh);
        case kCameraMindVision:
            if (cut && sw == 1280) return set(1120, 840);
            if (cut && sw == 1600) return set(1300, 1000);
            if (cut && sw == 2048) return set(1600, 1200);
            if (cut && sw == 3088) return set(2592, 1944);
            return set(sw, sh);
        case kCameraUeye:
            return set(1280, 1024);
        case kCameraV4L2:
            return set(960, 540);
        case kCameraNone:
            return set(1920, 1080);
        default:
            return false;
    }
}

int CheckUSBCameraNum() {
    RunCommand(QStringLiteral("cp -f /proc/bus/input/devices ."));
    QFile f(QStringLiteral("devices"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    int count = 0;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().toLower();
        if (line.contains("camera") || line.contains("webcam")) ++count;
    }
    return count;
}

namespace {
bool probeGalaxy() {
    GXInitLib();
    uint32_t count = 0;
    GxStatus st = GXUpdateDeviceList(&count, 20);
    if (st != GX_STATUS_SUCCESS) {
        qInfo().noquote() << "GX_STATUS_SUCCESS:" + QString::number(st);
        return false;
    }
    if (count == 0) {
        qInfo().noquote() << "find 0 MerCamera ";
        return false;
    }
    GxHandle h = nullptr;
    st = GXOpenDeviceByIndex(1, &h);
    if (st != GX_STATUS_SUCCESS) {
        qInfo().noquote() << "Open MerCamera Error : " + QString::number(st);
        return false;
    }
    int64_t v = 0;
    st = GXGetInt(h, kGxIntWidth, &v);
    if (st != GX_STATUS_SUCCESS) {
        qInfo().noquote() << "Get MerCamera width Error : " + QString::number(st);
        GXCloseDevice(h);
        return false;
    }
    gOW = int(v);
    st = GXGetInt(h, kGxIntHeight, &v);
    if (st != GX_STATUS_SUCCESS) {
        qInfo().noquote() << "Get MerCamera height Error : " + QString::number(st);
        GXCloseDevice(h);
        return false;
    }
    gOH = int(v);
    WorkingSizeFor(kCameraGalaxy, gOW, gOH, gisCut, &gImageW, &gImageH);
    qInfo().noquote() << "find MerCamera count : " + QString::number(count);
    gCameraID = kCameraGalaxy;
    gFindCamera = int(count);
    GXCloseDevice(h);
    return true;
}

bool probeUeye() {
    UeyeHandle h = kUeyeUseDeviceId;
    int n = 0;
    if (is_GetNumberOfCameras(&n) != kUeyeSuccess || n <= 0) return false;
    if (is_InitCamera(&h, nullptr) != kUeyeSuccess) return false;
    UeyeSensorInfo info;
    if (is_GetSensorInfo(h, &info) != kUeyeSuccess) {
        is_ExitCamera(h);
        return false;
    }
    gImageW = 1280;
    gImageH = 1024;
    gCameraID = kCameraUeye;
    CameraSleepMs(3000);
    is_GetNumberOfCameras(&n);
    gFindCamera = n;
    is_ExitCamera(h);
    return true;
}

bool probeMindVision() {
    int count = kMindMaxDevices;
    CameraEnumerateDevice(gCList, &count);
    if (count < 1) return false;
    MindHandle h = 0;
    if (CameraInit(&gCList[0], -1, -1, &h) != kMindSuccess) return false;
    MindCapability cap;
    memset(&cap, 0, sizeof(cap));
    CameraGetCapability(h, &cap);
    gSensorColor = cap.isMono ? 0 : 1;
    gOW = cap.maxWidth;
    gOH = cap.maxHeight;
    if (gOW == 2592 && gisCut) {
        if (cap.presets && cap.presetCount > 10) {
            gImageResolution = cap.presets[10];
            gImageW = gImageResolution.width;
            gImageH = gImageResolution.height;
        } else {
            // No eleventh preset: the full sensor, as a custom resolution.
            memset(&gImageResolution, 0, sizeof(gImageResolution));
            gImageResolution.index = kMindResolutionCustom;
            gImageResolution.fovWidth = gImageResolution.width = gOW;
            gImageResolution.fovHeight = gImageResolution.height = gOH;
            gImageW = gOW;
            gImageH = gOH;
        }
    } else {
        WorkingSizeFor(kCameraMindVision, gOW, gOH, gisCut, &gImageW, &gImageH);
    }
    gCameraID = kCameraMindVision;
    gFindCamera = count;
    CameraUnInit(h);
    count = kMindMaxDevices;
    CameraEnumerateDevice(gCList, &count);
    return true;
}

bool probeHikvision() {
    RunEnsureDeviceReach();
    memset(&gDevList, 0, sizeof(gDevList));
    if (MV_CC_EnumDevices(kMvGigeDevice | kMvUsbDevice, &gDevList) != MV_OK || gDevList.deviceNum == 0)
        return false;
    void* h = nullptr;
    if (MV_CC_CreateHandle(&h, gDevList.deviceInfo[0]) != MV_OK) return false;
    if (MV_CC_OpenDevice(h, kMvAccessExclusive, 0) != MV_OK) {
        MV_CC_DestroyHandle(h);
        return false;
    }
    MvStringValue model;
    memset(&model, 0, sizeof(model));
    MV_CC_GetStringValue(h, "DeviceModelName", &model);
    const size_t len = strnlen(model.current, sizeof(model.current));
    // An empty or unread model name counts as colour (the default for any other last character).
    gSensorColor = (len > 0 && model.current[len - 1] == 'M') ? 0 : 1;
    MvIntValue v{};
    if (MV_CC_GetIntValue(h, "WidthMax", &v) == MV_OK) gOW = int(v.current);
    if (MV_CC_GetIntValue(h, "HeightMax", &v) == MV_OK) gOH = int(v.current);
    if (MV_CC_GetIntValue(h, "Width", &v) == MV_OK) gImageW = int(v.current);
    if (MV_CC_GetIntValue(h, "Height", &v) == MV_OK) gImageH = int(v.current);
    MV_CC_CloseDevice(h);
    MV_CC_DestroyHandle(h);
    gCameraID = kCameraHikvision;
    gFindCamera = int(gDevList.deviceNum);
    return true;
}

bool probeV4L2() {
    gFindCamera = CheckUSBCameraNum();
    if (gFindCamera < 1) return false;
    const V4L2Config& cfg = v4l2Config();
    const AVInputFormat* fmt = av_find_input_format(cfg.inputFormat.toLatin1().constData());
    if (!fmt) return false;
    QString path = cfg.devicePattern;
    if (path.contains(QLatin1String("%d"))) path.replace(QLatin1String("%d"), QStringLiteral("0"));
    if (QDir::isAbsolutePath(path)) path = SysPath(path);
    AVFormatContext* ctx = avformat_alloc_context();
    if (!ctx) return false;
    if (avformat_open_input(&ctx, path.toLocal8Bit().constData(), fmt, nullptr) < 0)
        return false;  // ctx freed
    bool video = false;
    if (avformat_find_stream_info(ctx, nullptr) >= 0) {
        for (unsigned i = 0; i < ctx->nb_streams; ++i)
            if (ctx->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) video = true;
    }
    avformat_close_input(&ctx);
    if (!video) return false;
    gCameraID = kCameraV4L2;
    WorkingSizeFor(kCameraV4L2, 0, 0, gisCut, &gImageW, &gImageH);
    return true;
}
}  // namespace

void CheckCameraID() {
    if (isSimulated() && simcam::Bus::instance().cameraCount() == 0) loadSimulatedCameras();
    if (RunRepairAllCameraIP() >= 1) CameraSleepMs(6000);
    if (probeGalaxy()) return;
    CameraSdkInit(0);
    CameraUSBDeviceInit();
    if (probeUeye()) return;
    if (probeMindVision()) return;
    if (probeHikvision()) return;
    if (probeV4L2()) return;
    gFindCamera = 4;
    gCameraID = kCameraNone;
    WorkingSizeFor(kCameraNone, 0, 0, gisCut, &gImageW, &gImageH);
}
