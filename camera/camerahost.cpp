#include "camerahost.h"

#include <QtDebug>
#include <algorithm>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/mainwindowbase.h"
#include "cameraglobals.h"

namespace {
QVector<CameraSlot*>& views() {
    static QVector<CameraSlot*> v;
    return v;
}
}  // namespace

CameraHost& cameraHost() {
    static CameraHost h;
    return h;
}

void setCameraViews(const QVector<CameraSlot*>& v) {
    views() = v;
}

int cameraViewCount() {
    return std::max(0, std::min(numCamera, int(views().size())));
}

CameraSlot* cameraView(int index) {
    if (index < 0 || index >= cameraViewCount()) return nullptr;
    return views()[index];
}

WizardPara* settingsRecord(bool exposureOrGain) {
    const CameraHost& h = cameraHost();
    bool useWorking = h.settingsVisible && h.settingsVisible();
    if (!useWorking && exposureOrGain && h.cameraPageVisible) useWorking = h.cameraPageVisible();
    if (useWorking && gpWParaBak) return gpWParaBak;
    return gpWPara;
}

WizardPara* liveRecord() {
    return gpWPara;
}

QString cameraText(int id) {
    if (id < 0 || id >= kLanIdCount) return QString();
    const int lan = (gLan >= 0 && gLan < kLanColumns) ? gLan : 1;
    return gaLanStr[id * kLanColumns + lan];
}

void cameraRecord(const QString& text) {
    if (gpWin)
        gpWin->InsertRecord(text);
    else
        qInfo().noquote() << "record:" << text;
}

void resetCameraHost() {
    cameraHost() = CameraHost();
    views().clear();
}
