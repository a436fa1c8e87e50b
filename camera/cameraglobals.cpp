#include "cameraglobals.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QtDebug>
#include <cJSON.h>
#include <cstring>

#include "camerahost.h"
#include "cameraloss.h"
#include "camerasettings.h"
#include "platform/camsdk/simbus.h"
#include "platform/system/profile.h"
#include "platform/system/syspath.h"

int gCameraID = 0;
int gFindCamera = 0;
int gOW = 0, gOH = 0;
int gImageW = 0, gImageH = 0;
int gSensorColor = 0;
int gisCut = 0;
int gisColor = 0;
int gImageLen = 0;
int gColorLen = 0;
int numCamera = 0;
int gContrast[kMaxCamera] = {};
bool gCameraActive[kMaxCamera] = {};
MindResolution gImageResolution = {};
MindDevInfo gCList[kMindMaxDevices] = {};
MvDeviceInfoList gDevList = {};

namespace {
CameraSleeper gSleeper = nullptr;
RepairAllFn gRepair = nullptr;
EnsureReachFn gEnsureReach = nullptr;
}  // namespace

void updateFrameLengths() {
    gImageLen = gImageW * gImageH;
    gColorLen = gisColor ? gImageLen * 4 : gImageLen;
}

V4L2Config& v4l2Config() {
    static V4L2Config c;
    return c;
}

void loadSimulatedCameras() {
    if (!isSimulated()) return;
    simcam::Bus::instance().loadDefaultConfig();
    QFile f(SysPath("/cameras.json"));
    if (!f.open(QIODevice::ReadOnly)) return;
    const QByteArray json = f.readAll();
    cJSON* root = cJSON_Parse(json.constData());
    if (!root) return;
    const cJSON* v = cJSON_GetObjectItemCaseSensitive(root, "v4l2");
    if (cJSON_IsObject(v)) {
        V4L2Config& c = v4l2Config();
        const cJSON* fmt = cJSON_GetObjectItemCaseSensitive(v, "format");
        const cJSON* dev = cJSON_GetObjectItemCaseSensitive(v, "device");
        if (cJSON_IsString(fmt)) c.inputFormat = QString::fromUtf8(fmt->valuestring);
        if (cJSON_IsString(dev)) c.devicePattern = QString::fromUtf8(dev->valuestring);
        const cJSON* opts = cJSON_GetObjectItemCaseSensitive(v, "options");
        if (cJSON_IsObject(opts)) {
            c.options.clear();
            const cJSON* o = nullptr;
            cJSON_ArrayForEach(o, opts) {
                if (cJSON_IsString(o) && o->string)
                    c.options.append({QString::fromUtf8(o->string), QString::fromUtf8(o->valuestring)});
            }
        }
    }
    cJSON_Delete(root);
}

void setCameraSleeper(CameraSleeper sleeper) {
    gSleeper = sleeper;
}

void CameraSleepMs(int ms) {
    if (gSleeper)
        gSleeper(ms);
    else
        QThread::msleep(ulong(ms));
}

void setGigeRepairHooks(RepairAllFn repair, EnsureReachFn ensureReach) {
    gRepair = repair;
    gEnsureReach = ensureReach;
}

int RunRepairAllCameraIP() {
    return gRepair ? gRepair() : 0;
}

void RunEnsureDeviceReach() {
    if (gEnsureReach) gEnsureReach();
}

void resetCameraGlobals() {
    gCameraID = 0;
    gFindCamera = 0;
    gOW = gOH = 0;
    gImageW = gImageH = 0;
    gSensorColor = 0;
    gisCut = 0;
    gisColor = 0;
    gImageLen = gColorLen = 0;
    numCamera = 0;
    for (int i = 0; i < kMaxCamera; ++i) {
        gContrast[i] = 0;
        gCameraActive[i] = false;
    }
    memset(&gImageResolution, 0, sizeof(gImageResolution));
    memset(gCList, 0, sizeof(gCList));
    memset(&gDevList, 0, sizeof(gDevList));
    v4l2Config() = V4L2Config();
    gSleeper = nullptr;
    gRepair = nullptr;
    gEnsureReach = nullptr;
    resetCameraHost();
    resetCameraSettingsGlobals();
    resetCameraLossGlobals();
}
