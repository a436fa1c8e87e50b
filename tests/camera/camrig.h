#pragma once
// A few camera views over the simulated bus, registered with the camera layer as the main window
// registers its views, with a live record and a working copy.
#include <QtTest>
#include <memory>
#include <vector>

#include "app/wizardpara.h"
#include "camera/camerahost.h"
#include "camera/cameraslot.h"
#include "camera/checkcamera.h"
#include "camtestutil.h"
#include "platform/system/timing.h"

struct ViewRig {
    WizardPara live;
    WizardPara work;
    std::vector<std::unique_ptr<CameraSlot>> views;

    ViewRig() {
        gpWPara = &live;
        gpWParaBak = &work;
        setTimeOverride("camera.grabStart", 1);
        setTimeOverride("camera.grabPoll", 1);
    }
    ~ViewRig() {
        closeAll();
        gpWPara = nullptr;
        gpWParaBak = nullptr;
    }
    // Detection, then n views opened and started; the opened ones become the registered views.
    void openAll(int n) {
        gisCut = 1;
        CheckCameraID();
        updateFrameLengths();
        QVector<CameraSlot*> opened;
        for (int i = 0; i < n; ++i) {
            auto s = std::make_unique<CameraSlot>(i);
            s->AllocCameraBuffers();
            s->CameraOpen();
            if (s->isActive()) opened.append(s.get());
            s->CameraStart();
            views.push_back(std::move(s));
        }
        numCamera = opened.size();
        setCameraViews(opened);
    }
    void closeAll() {
        setCameraViews({});
        for (auto& s : views) {
            s->CameraStop();
            s->CameraClose();
        }
        views.clear();
    }
    CameraSlot& view(int i) { return *views[size_t(i)]; }
    // Waits for a frame of view i.
    bool frame(int i) {
        std::vector<uchar> buf(static_cast<size_t>(gColorLen));
        QElapsedTimer t;
        t.start();
        while (!views[size_t(i)]->TakeFrame(buf.data())) {
            if (t.elapsed() > 5000) return false;
            QTest::qWait(5);
        }
        return true;
    }
};

inline double feature(const QByteArray& serial, const QByteArray& key) {
    double v = qQNaN();
    simcam::Bus::instance().featureValue(serial, key, &v);
    return v;
}

inline bool logHas(const QString& call) {
    return simcam::Bus::instance().log().contains(call);
}
