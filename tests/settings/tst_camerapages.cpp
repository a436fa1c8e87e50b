// The camera pages of the settings dialog over simulated cameras: the image values go to the camera
// being shown at once and into the working copy only, the camera buttons, the detachable sub-page, the
// functions page's store rule, restore defaults, and the camera half of the commit (Yes re-applies
// trigger mode and speed, No puts the moved values back into the cameras).
#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>
#include <vector>

#include "camera/cameraglobals.h"
#include "settings/advancedpages.h"
#include "widgets/checkbox.h"
#include "camera/camerahost.h"
#include "camera/camerasettings.h"
#include "camera/cameraslot.h"
#include "camera/checkcamera.h"
#include "platform/camsdk/simbus.h"
#include "settings/camerapages.h"
#include "settings/systemsettingwidget.h"
#include "settingsrig.h"
#include "widgets/blineedit.h"
#include "widgets/checkbox.h"

using simcam::Vendor;

namespace {
// n simulated cameras of one vendor, opened and registered as the main window's views.
struct Cameras {
    std::vector<std::unique_ptr<CameraSlot>> views;
    explicit Cameras(int n, Vendor vendor = Vendor::Hikvision) {
        auto& bus = simcam::Bus::instance();
        bus.reset();
        for (int i = 0; i < n; ++i) {
            simcam::CameraSpec s;
            s.vendor = vendor;
            s.serial = QByteArray("SIMCAM000") + QByteArray::number(i + 1);
            s.width = 64;
            s.height = 48;
            s.fps = 50;
            s.gige = false;
            bus.addCamera(s);
        }
        memset(gSerialNB, 0, sizeof(gSerialNB));
        setTimeOverride("camera.grabStart", 1);
        setTimeOverride("camera.grabPoll", 1);
        gisCut = 1;
        CheckCameraID();
        updateFrameLengths();
        QVector<CameraSlot*> opened;
        for (int i = 0; i < n; ++i) {
            auto v = std::make_unique<CameraSlot>(i);
            v->AllocCameraBuffers();
            v->CameraOpen();
            v->CameraStart();
            if (v->isActive()) opened.append(v.get());
            views.push_back(std::move(v));
        }
        numCamera = opened.size();
        setCameraViews(opened);
        bus.clearLog();
    }
    ~Cameras() {
        setCameraViews({});
        for (auto& v : views) {
            v->CameraStop();
            v->CameraClose();
        }
        views.clear();
        resetCameraGlobals();
        simcam::Bus::instance().reset();
    }
    static double feature(int camera, const QByteArray& key) {
        double v = qQNaN();
        simcam::Bus::instance().featureValue(QByteArray("SIMCAM000") + QByteArray::number(camera + 1), key,
                                             &v);
        return v;
    }
    // The SDK calls on camera `camera` (1-based serial) since the last clearLog.
    static QStringList calls(int camera) {
        const QString serial = QStringLiteral("SIMCAM000%1").arg(camera + 1);
        QStringList out;
        for (const QString& c : simcam::Bus::instance().log())
            if (c.contains(serial)) out << c;
        return out;
    }
};

// The dialog shown, with the camera views reading the working copy while it is.
struct Dialog {
    SystemSettingWidget w;
    Dialog() {
        cameraHost().settingsVisible = [this] { return w.isVisible(); };
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
    ~Dialog() { cameraHost().settingsVisible = nullptr; }
};
}  // namespace

class TestCameraPages : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        loadLanguageTable();
        gLan = 1;
    }
    void cleanup() {
        resetCameraPagesHost();
        outSet = 0;
    }

    // The pages' style sheets use only properties Qt knows: showing them prints no warning (at
    // start-up each unknown one printed a line per widget that used it).
    void styleSheetsWithoutWarnings() {
        SettingsRig rig;
        Cameras cams(2);
        static QStringList warnings;
        warnings.clear();
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& msg) {
                if (msg.contains(QLatin1String("Unknown property"))) warnings << msg;
            });
        {
            Dialog d;
            d.w.changeWidget(3);  // the camera parameters page
            QVERIFY(d.w.cameraParamsSub->restoreButton->isVisible());
        }
        qInstallMessageHandler(previous);
        QCOMPARE(warnings, QStringList());
    }

    // A slider moved on camera 2 writes that camera's value of the working copy and sets it in that
    // camera, once; camera 1 and the live record keep theirs.
    void sliderActsOnShownCamera_data() {
        QTest::addColumn<QString>("slider");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("feature");
        QTest::addColumn<double>("expected");
        QTest::newRow("exposure (ms)") << "exposure" << 37 << QByteArray("ExposureTime") << 37000.0;
        QTest::newRow("gain (1/64 of 0..17)") << "gain" << 16 << QByteArray("Gain") << 4.25;
        QTest::newRow("clarity (1/100 of 0..100)") << "sharp" << 40 << QByteArray("Sharpness") << 40.0;
        QTest::newRow("gamma (1/250 of 0..4)") << "gamma" << 125 << QByteArray("Gamma") << 2.0;
    }
    void sliderActsOnShownCamera() {
        QFETCH(QString, slider);
        QFETCH(int, value);
        QFETCH(QByteArray, feature);
        QFETCH(double, expected);
        SettingsRig rig;
        Cameras cams(2);
        Dialog d;
        CameraParamsSubWidget* sub = d.w.cameraParamsSub;
        sub->cameraButtons[1]->click();
        QCOMPARE(outSet, 1);
        simcam::Bus::instance().clearLog();
        const WizardPara liveBefore = *gpWPara;
        QSlider* s = slider == "exposure" ? sub->exposureSlider
                     : slider == "gain"   ? sub->gainSlider
                     : slider == "sharp"  ? d.w.cameraParams->sharpSlider
                                          : d.w.cameraParams->gammaSlider;
        s->setValue(value);
        int32_t* arr = slider == "exposure" ? gpWParaBak->expose_time
                       : slider == "gain"   ? gpWParaBak->adjust_plus
                       : slider == "sharp"  ? gpWParaBak->sharp
                                            : gpWParaBak->gamma;
        QCOMPARE(arr[1], value);
        QVERIFY(*gpWPara == liveBefore);
        QVERIFY2(qAbs(Cameras::feature(1, feature) - expected) < 1e-3,
                 qPrintable(QString::number(Cameras::feature(1, feature))));
        QVERIFY(Cameras::calls(0).isEmpty());
        int sets = 0;
        for (const QString& c : Cameras::calls(1))
            if (c.startsWith("MV_CC_Set") && c.contains(", " + QLatin1String(feature) + ",")) ++sets;
        QCOMPARE(sets, 1);
    }

    // Camera buttons: one per camera (one camera: button 1 alone, and button 2, hidden, changes
    // nothing); three cameras show buttons 1 to 3. Previous on camera 1 and next on the last camera
    // do nothing.
    void cameraButtons_data() {
        QTest::addColumn<int>("cameras");
        QTest::newRow("one camera") << 1;
        QTest::newRow("three cameras") << 3;
    }
    void cameraButtons() {
        QFETCH(int, cameras);
        SettingsRig rig;
        Cameras cams(cameras);
        for (int i = 0; i < cameras; ++i) gpWParaBak->expose_time[i] = 10 * (i + 1);
        int shown = -1;
        cameraPagesHost().showCamera = [&](int c) { shown = c; };
        Dialog d;
        d.w.changeWidget(3);  // the camera parameters page
        CameraParamsSubWidget* sub = d.w.cameraParamsSub;
        QList<bool> visible;
        for (QPushButton* b : sub->cameraButtons) visible << b->isVisible();
        QCOMPARE(visible, (QList<bool>{true, cameras > 1, cameras > 2, false}));
        sub->cameraButtons[1]->click();
        if (cameras == 1) {
            QCOMPARE(outSet, 0);
            QCOMPARE(shown, -1);
            QCOMPARE(sub->exposureSlider->value(), 10);
            return;
        }
        QCOMPARE(outSet, 1);
        QCOMPARE(shown, 1);
        QCOMPARE(sub->exposureSlider->value(), 20);
        QCOMPARE(sub->exposureValue->text(), QStringLiteral("20"));
        // Previous and next step through the cameras without wrapping round.
        sub->viewBtnToggled(true);
        QTest::mouseClick(sub->nextButton, Qt::LeftButton);
        QCOMPARE(outSet, 2);
        QTest::mouseClick(sub->nextButton, Qt::LeftButton);
        QCOMPARE(outSet, 2);
        QTest::mouseClick(sub->previousButton, Qt::LeftButton);
        QTest::mouseClick(sub->previousButton, Qt::LeftButton);
        QCOMPARE(outSet, 0);
        QTest::mouseClick(sub->previousButton, Qt::LeftButton);
        QCOMPARE(outSet, 0);
        QCOMPARE(sub->exposureSlider->value(), 10);
        sub->viewBtnToggled(false);
    }

    // Detached, the sub-page floats at its place over the live picture, window-modal, and exposure
    // still reads the working copy; re-attached it is back on top of its page at its former size.
    void detachAndReattach() {
        SettingsRig rig;
        Cameras cams(1);
        QList<bool> adjust;
        cameraPagesHost().cameraPramsAdjust = [&](bool enter) { adjust << enter; };
        Dialog d;
        d.w.changeWidget(3);
        CameraParamsSubWidget* sub = d.w.cameraParamsSub;
        auto* page = qobject_cast<QVBoxLayout*>(d.w.cameraParams->layout());
        QVERIFY(page);
        QCOMPARE(page->indexOf(sub), 0);
        const QSize before = sub->size();
        sub->viewButton->click();
        QVERIFY(sub->isWindow());
        QCOMPARE(sub->size(), QSize(1105, 325));
        QCOMPARE(sub->pos(), QPoint(342, 653));
        QCOMPARE(sub->windowModality(), Qt::WindowModal);
        QVERIFY(sub->previousButton->isVisible() && sub->splitLine->isVisible());
        // The dialog itself is out of sight now (the main window shows its picture).
        d.w.hide();
        QVERIFY(!cameraHost().settingsVisible());
        QCOMPARE(settingsRecord(true), gpWParaBak);
        QCOMPARE(settingsRecord(false), gpWPara);
        d.w.show();
        sub->viewButton->click();
        QVERIFY(!sub->isWindow());
        QCOMPARE(page->indexOf(sub), 0);
        QCOMPARE(sub->size(), before);
        QVERIFY(!sub->previousButton->isVisible() && !sub->splitLine->isVisible());
        QCOMPARE(adjust, (QList<bool>{true, false}));
    }

    // "Display all the parameters" is ticked and stored with any of the functions whose parameters
    // need it; the functions page and the image rows show only with the factory box ticked.
    void functionsPage_data() {
        QTest::addColumn<int>("textId");
        QTest::addColumn<int>("displayAll");
        QTest::newRow("spot") << 197 << 1;
        QTest::newRow("white area") << 391 << 1;
        QTest::newRow("black area") << 390 << 1;
        QTest::newRow("white number") << 520 << 1;
        QTest::newRow("direction") << 583 << 1;
        QTest::newRow("similarity: not needed") << 397 << 0;
    }
    void functionsPage() {
        QFETCH(int, textId);
        QFETCH(int, displayAll);
        SettingsRig rig;
        WizardPara& p = *gpWPara;
        p.enable_spot_detect = p.enable_white_area = p.enable_black_area = p.enable_white_num = 0;
        p.enable_direction = p.enable_similarity = p.enable_display_detail = 0;
        p.factory_param = 0;
        *gpWParaBak = p;
        SystemSettingWidget w;
        w.show();
        w.changeWidget(4);
        CameraFunctionsWidget* f = w.cameraFunctions;
        QVERIFY(!f->box(textId)->isVisible());
        w.changeWidget(3);
        QVERIFY(!w.cameraParams->sharpSlider->isVisible());
        QVERIFY(w.cameraParamsSub->exposureSlider->isVisible());
        w.advanceFunc->switches[AdvanceFuncWidget::kFactoryParam]->setChecked(
            true);  // the factory box ticked
        w.changeWidget(4);
        QVERIFY(f->box(textId)->isVisible());
        f->box(textId)->setChecked(true);
        rig.prompter.queueAnswer(true);
        w.accept();
        QCOMPARE(gpWPara->enable_display_detail, displayAll);
        QCOMPARE(f->box(200)->isChecked(), displayAll == 1);
    }

    // Automatic shading stores the check state and re-applies the exposure of every camera.
    void autoShading() {
        SettingsRig rig;
        Cameras cams(2, Vendor::MindVision);
        Dialog d;
        simcam::Bus::instance().clearLog();
        d.w.cameraFunctions->wdrBox->setChecked(true);
        QCOMPARE(gpWParaBak->auto_shading, 2);
        for (int c = 0; c < 2; ++c)
            QVERIFY2(Cameras::calls(c).filter("set_awdr_enable(true)").size() == 1,
                     qPrintable(Cameras::calls(c).join('\n')));
    }

    // Restore defaults asks first; on yes the camera's defaults land in the working copy and the
    // sliders, on no nothing is loaded.
    void restoreDefaults_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void restoreDefaults() {
        QFETCH(bool, yes);
        SettingsRig rig;
        Cameras cams(1);
        gpWParaBak->expose_time[0] = 3;
        Dialog d;
        QCOMPARE(d.w.cameraParamsSub->exposureSlider->value(), 3);
        simcam::Bus::instance().clearLog();
        rig.prompter.queueAnswer(yes);
        d.w.cameraParamsSub->restoreButton->click();
        QCOMPARE(rig.prompter.questions, QStringList{lan(527)});
        QCOMPARE(Cameras::calls(0).filter("UserSetLoad").size(), yes ? 1 : 0);
        if (!yes) {
            QCOMPARE(gpWParaBak->expose_time[0], 3);
            return;
        }
        // The camera's value lands in the working copy as it is; the slider shows it within its range.
        const int restored = int(Cameras::feature(0, "ExposureTime") / 1000);
        QSlider* exposure = d.w.cameraParamsSub->exposureSlider;
        QCOMPARE(gpWParaBak->expose_time[0], restored);
        QCOMPARE(exposure->value(), qBound(exposure->minimum(), restored, exposure->maximum()));
        QCOMPARE(d.w.cameraParams->speedSlider->value(), gpWParaBak->capture_speed);
    }

    // The camera half of the commit. Yes: trigger mode and speed are re-applied when they changed.
    // No: the working copy is the live record again and only the moved value of camera 2 goes back.
    void commitYes() {
        SettingsRig rig;
        gpWPara->capture_speed = 3;
        gpWPara->external_trigger = 0;
        *gpWParaBak = *gpWPara;
        Cameras cams(2);
        Dialog d;
        d.w.cameraFunctions->box(519)->setChecked(true);  // external trigger
        d.w.cameraParams->speedSlider->setValue(7);
        simcam::Bus::instance().clearLog();
        rig.prompter.queueAnswer(true);
        d.w.accept();
        QCOMPARE(gpWPara->external_trigger, 1);
        QCOMPARE(gpWPara->capture_speed, 7);
        for (int c = 0; c < 2; ++c) {
            QCOMPARE(Cameras::feature(c, "TriggerMode"), 1.0);
            QCOMPARE(Cameras::feature(c, "AcquisitionFrameRate"), 7.0);
        }
    }
    void commitNo() {
        SettingsRig rig;
        Cameras cams(2);
        gpWPara->expose_time[0] = gpWPara->expose_time[1] = 20;
        *gpWParaBak = *gpWPara;
        Dialog d;
        d.w.cameraParamsSub->cameraButtons[1]->click();
        d.w.cameraParamsSub->exposureSlider->setValue(55);
        QCOMPARE(Cameras::feature(1, "ExposureTime"), 55000.0);
        simcam::Bus::instance().clearLog();
        rig.prompter.queueAnswer(false);
        d.w.accept();
        QVERIFY(*gpWParaBak == *gpWPara);
        QCOMPARE(gpWPara->expose_time[1], 20);
        QCOMPARE(Cameras::feature(1, "ExposureTime"), 20000.0);
        QVERIFY(Cameras::calls(0).isEmpty());
    }

    // The dialog's automatic exposure (MindVision): the camera finds its exposure for a while, then
    // what it found lands in the working copy and on the two sliders.
    void autoExposure() {
        SettingsRig rig;
        gpWPara->expose_time[0] = 25;
        *gpWParaBak = *gpWPara;
        Cameras cams(1, Vendor::MindVision);
        Dialog d;
        simcam::Bus::instance().clearLog();
        d.w.SlotAutoExposeTime();
        const QStringList started = Cameras::calls(0);
        QVERIFY2(started.filter("CameraSetAeState").size() == 1 &&
                     started.filter("CameraSetAeTarget").size() == 1 &&
                     started.filter("CameraSetAeExposureRange").size() == 1 &&
                     started.filter("CameraSetAntiFlick").size() == 1,
                 qPrintable(started.join('\n')));
        QCOMPARE(Cameras::feature(0, "AeState"), 1.0);
        const double us = Cameras::feature(0, "ExposureTime");
        // The camera's own choice, in the middle of its gain range.
        simcam::Bus::instance().clearLog();
        d.w.SlotAutoExposeTimeTimeout();
        QCOMPARE(Cameras::feature(0, "AeState"), 0.0);
        QCOMPARE(gpWParaBak->expose_time[0], int(us / 1000));
        QCOMPARE(d.w.cameraParamsSub->exposureSlider->value(), int(us / 1000));
        // The gain comes back in record steps: applying it again gives the camera's gain.
        const int steps = gpWParaBak->adjust_plus[0];
        QCOMPARE(d.w.cameraParamsSub->gainSlider->value(), steps);
        QVERIFY(steps >= 0 && steps <= 64);
    }

    // The order button hands over to the main window's camera order dialog.
    void orderButton() {
        SettingsRig rig;
        int shown = 0;
        cameraPagesHost().showCameraOrder = [&] { ++shown; };
        SystemSettingWidget w;
        w.show();
        w.cameraParamsSub->orderButton->click();
        QCOMPARE(shown, 1);
    }
};

QTEST_MAIN(TestCameraPages)
#include "tst_camerapages.moc"
