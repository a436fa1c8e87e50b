#pragma once
// Shared set-up of the camera tests: a clean camera layer, a clean simulated bus, recorded waits and
// operation records.
#include <QStringList>

#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "camera/cameraglobals.h"
#include "platform/camsdk/simbus.h"

class RecordingWindow : public MainWindowBase {
public:
    QStringList records;
    void InsertRecord(QString text) override { records.append(text); }
};

inline QList<int>& recordedSleeps() {
    static QList<int> s;
    return s;
}

inline void recordSleep(int ms) {
    recordedSleeps().append(ms);
}

inline void resetCameraWorld() {
    simcam::Bus::instance().reset();
    resetAppGlobals();
    resetCameraGlobals();
    recordedSleeps().clear();
    setCameraSleeper(&recordSleep);
}

inline simcam::CameraSpec spec(simcam::Vendor v, const QByteArray& serial, int w = 64, int h = 48,
                               bool color = false) {
    simcam::CameraSpec s;
    s.vendor = v;
    s.serial = serial;
    s.width = w;
    s.height = h;
    s.color = color;
    s.fps = 100;
    return s;
}
