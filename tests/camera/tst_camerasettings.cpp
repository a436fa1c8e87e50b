// Image settings over the simulated camera bus: the value mapping of each setter per back-end, the
// record a view reads, white balance, trigger mode, capture speed, factory defaults and the feature
// names per camera maker.
#include <QtTest>

#include "camera/camerasettings.h"
#include "camrig.h"
#include "programdir.h"

using simcam::Vendor;
Q_DECLARE_METATYPE(simcam::Vendor)

namespace {
// "name=min:max" items separated by commas.
QList<std::pair<QByteArray, std::pair<double, double>>> ranges(const QString& text) {
    QList<std::pair<QByteArray, std::pair<double, double>>> out;
    for (const QString& item : text.split(',', Qt::SkipEmptyParts)) {
        const QStringList kv = item.split('=');
        const QStringList mm = kv.value(1).split(':');
        out.append({kv[0].toLatin1(), {mm.value(0).toDouble(), mm.value(1).toDouble()}});
    }
    return out;
}

int* field(WizardPara& p, const QString& name) {
    if (name == "expose") return p.expose_time;
    if (name == "gain") return p.adjust_plus;
    if (name == "sharp") return p.sharp;
    if (name == "contrast") return p.contrast;
    return p.gamma;
}

void apply(CameraSlot& v, const QString& name) {
    if (name == "expose") v.SetExposeTime();
    if (name == "gain") v.SetAdjustPlus();
    if (name == "sharp") v.SetSharp();
    if (name == "contrast") v.SetContrast();
    if (name == "gamma") v.SetGamma();
}

// One camera "S1" of the vendor (uEye at its fixed working size), opened in slot 0.
void addOne(Vendor v, const QByteArray& maker = "SIM", const QString& rangeText = QString(),
            bool colour = false) {
    const bool ueye = v == Vendor::Ueye;
    auto s = spec(v, "S1", ueye ? 1280 : 64, ueye ? 1024 : 48, colour);
    s.maker = maker;
    s.model = colour ? "SIM-GC" : "SIM-GM";
    s.ranges = ranges(rangeText);
    simcam::Bus::instance().addCamera(s);
}
}  // namespace

class TestCameraSettings : public QObject {
    Q_OBJECT
private slots:
    void init() { resetCameraWorld(); }
    void cleanupTestCase() { simcam::Bus::instance().reset(); }

    void setterMapping_data() {
        QTest::addColumn<Vendor>("vendor");
        QTest::addColumn<QByteArray>("maker");
        QTest::addColumn<QString>("ranges");
        QTest::addColumn<QByteArray>("failRange");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<double>("expected");
        const QByteArray none;
        // Galaxy: percent of the exposure range, 1/64 gain, 1/100 sharpness, 1/250 gamma (not truncated).
        QTest::newRow("galaxy exposure %") << Vendor::Galaxy << none << "0x20000BC1=0:999" << none << "expose"
                                           << 33 << QByteArray("0x20000BC1") << 329.0;
        QTest::newRow("galaxy exposure raw") << Vendor::Galaxy << none << "" << QByteArray("0x20000BC1")
                                             << "expose" << 37 << QByteArray("0x20000BC1") << 37.0;
        QTest::newRow("galaxy gain") << Vendor::Galaxy << none << "0x20001393=0:24" << none << "gain" << 10
                                     << QByteArray("0x20001393") << 3.0;
        QTest::newRow("galaxy sharp") << Vendor::Galaxy << none << "0x2000178B=1:8" << none << "sharp" << 33
                                      << QByteArray("0x2000178B") << 3.0;
        QTest::newRow("galaxy gamma") << Vendor::Galaxy << none << "0x20001397=0:4" << none << "gamma" << 100
                                      << QByteArray("0x20001397") << 1.6;
        // uEye: the values themselves.
        QTest::newRow("ueye exposure")
            << Vendor::Ueye << none << "" << none << "expose" << 30 << QByteArray("Exposure") << 30.0;
        QTest::newRow("ueye gain") << Vendor::Ueye << none << "" << none << "gain" << 7 << QByteArray("Gain")
                                   << 7.0;
        QTest::newRow("ueye gamma") << Vendor::Ueye << none << "" << none << "gamma" << 160
                                    << QByteArray("Gamma") << 160.0;
        // MindVision: milliseconds to microseconds; gain range from the SDK, the others from the capability.
        QTest::newRow("mind exposure") << Vendor::MindVision << none << "" << none << "expose" << 20
                                       << QByteArray("ExposureTime") << 20000.0;
        QTest::newRow("mind gain") << Vendor::MindVision << none << "gain=16:128" << none << "gain" << 33
                                   << QByteArray("AnalogGain") << 73.0;
        QTest::newRow("mind sharp") << Vendor::MindVision << none << "sharpness=0:255" << none << "sharp"
                                    << 50 << QByteArray("Sharpness") << 127.0;
        QTest::newRow("mind contrast") << Vendor::MindVision << none << "contrast=0:100" << none << "contrast"
                                       << 150 << QByteArray("Contrast") << 75.0;
        QTest::newRow("mind gamma") << Vendor::MindVision << none << "gamma=0:1000" << none << "gamma" << 33
                                    << QByteArray("Gamma") << 132.0;
        // Hikvision: feature names by maker.
        QTest::newRow("hik exposure") << Vendor::Hikvision << QByteArray("Hik") << "" << none << "expose"
                                      << 20 << QByteArray("ExposureTime") << 20000.0;
        QTest::newRow("cognex exposure") << Vendor::Hikvision << QByteArray("COGNEX") << "" << none
                                         << "expose" << 20 << QByteArray("ExposureTimeAbs") << 20000.0;
        QTest::newRow("hik gain") << Vendor::Hikvision << QByteArray("Hik") << "Gain=0:17" << none << "gain"
                                  << 32 << QByteArray("Gain") << 8.5;
        QTest::newRow("cognex gain rounded") << Vendor::Hikvision << QByteArray("COGNEX") << "GainRaw=0:1023"
                                             << none << "gain" << 32 << QByteArray("GainRaw") << 512.0;
        QTest::newRow("hik sharp") << Vendor::Hikvision << QByteArray("Hik") << "Sharpness=0:255" << none
                                   << "sharp" << 33 << QByteArray("Sharpness") << 84.0;
        QTest::newRow("hik gamma") << Vendor::Hikvision << QByteArray("Hik") << "Gamma=0:4" << none << "gamma"
                                   << 100 << QByteArray("Gamma") << 1.6;
    }
    void setterMapping() {
        QFETCH(Vendor, vendor);
        QFETCH(QByteArray, maker);
        QFETCH(QString, ranges);
        QFETCH(QByteArray, failRange);
        QFETCH(QString, setting);
        QFETCH(int, value);
        QFETCH(QByteArray, key);
        QFETCH(double, expected);
        ProgramDir dir;
        initParamIndex();
        addOne(vendor, maker.isEmpty() ? QByteArray("SIM") : maker, ranges);
        if (!failRange.isEmpty()) simcam::Bus::instance().failRange("S1", failRange);
        ViewRig rig;
        rig.openAll(1);
        QVERIFY(rig.view(0).isActive());
        field(rig.live, setting)[0] = value;
        apply(rig.view(0), setting);
        const double got = feature("S1", key);
        QVERIFY2(qAbs(got - expected) < 1e-4, qPrintable(QString("%1 = %2").arg(QString(key)).arg(got)));
        QCOMPARE(simcam::Bus::instance().misuses(), QStringList());
    }

    void galaxyContrast_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("factor");
        QTest::newRow("151") << 151 << 100;
        QTest::newRow("150") << 150 << 100;
        QTest::newRow("40") << 40 << -10;
    }
    void galaxyContrast() {
        QFETCH(int, value);
        QFETCH(int, factor);
        ProgramDir dir;
        addOne(Vendor::Galaxy);
        ViewRig rig;
        rig.openAll(1);
        rig.live.contrast[0] = value;
        rig.view(0).SetContrast();
        QMutexLocker lock(pMutex[0]);
        QCOMPARE(gContrast[0], factor);
    }

    // Automatic exposure and wide dynamic range switch the camera's own functions.
    void autoExposureAndWdr() {
        ProgramDir dir;
        auto& bus = simcam::Bus::instance();
        addOne(Vendor::MindVision);
        bus.addCamera(spec(Vendor::MindVision, "S2"));
        ViewRig rig;
        rig.openAll(2);
        rig.live.auto_exposure = 1;
        rig.live.auto_shading = 2;  // a ticked check box stores its state
        bus.clearLog();
        rig.view(0).SetExposeTime();
        QVERIFY(logHas("CameraSetAeState(S1, 1)"));
        QVERIFY(logHas("CameraCommonCall(S1, set_awdr_enable(true))"));
        QVERIFY(!bus.log().join('\n').contains("CameraSetExposureTime"));
        rig.live.auto_exposure = 0;
        rig.live.auto_shading = 0;
        rig.live.expose_time[1] = 5;
        bus.clearLog();
        rig.view(1).SetExposeTime();
        QCOMPARE(feature("S2", "ExposureTime"), 5000.0);
        QVERIFY(logHas("CameraSetAeState(S2, 0)"));
        QVERIFY(logHas("CameraCommonCall(S2, set_awdr_enable(false))"));
    }

    void galaxyAutoExposure() {
        ProgramDir dir;
        addOne(Vendor::Galaxy);
        ViewRig rig;
        rig.openAll(1);
        rig.live.auto_exposure = 1;
        rig.live.auto_shading = 1;
        simcam::Bus::instance().clearLog();
        rig.view(0).SetExposeTime();
        QCOMPARE(feature("S1", "0x30000BC2"), 1.0);
        QCOMPARE(feature("S1", "0x300036B0"), 1.0);
        QVERIFY(!simcam::Bus::instance().log().join('\n').contains("0x20000BC1"));
    }

    // The working copy while the dialog is shown; exposure and gain also while the camera sub-page
    // window is shown; trigger mode always from the live record.
    void recordChoice_data() {
        QTest::addColumn<bool>("dialog");
        QTest::addColumn<bool>("page");
        QTest::addColumn<double>("exposure");
        QTest::addColumn<double>("sharp");
        QTest::newRow("hidden") << false << false << 10000.0 << 10.0;
        QTest::newRow("dialog") << true << false << 20000.0 << 20.0;
        QTest::newRow("camera page only") << false << true << 20000.0 << 10.0;
    }
    void recordChoice() {
        QFETCH(bool, dialog);
        QFETCH(bool, page);
        QFETCH(double, exposure);
        QFETCH(double, sharp);
        ProgramDir dir;
        initParamIndex();
        addOne(Vendor::Hikvision);
        ViewRig rig;
        rig.openAll(1);
        rig.live.expose_time[0] = 10;
        rig.live.sharp[0] = 10;
        rig.work.expose_time[0] = 20;
        rig.work.sharp[0] = 20;
        rig.work.external_trigger = 1;
        cameraHost().settingsVisible = [dialog] { return dialog; };
        cameraHost().cameraPageVisible = [page] { return page; };
        rig.view(0).SetExposeTime();
        rig.view(0).SetSharp();
        rig.view(0).CameraChangeTrig(false);
        QCOMPARE(feature("S1", "ExposureTime"), exposure);
        QCOMPARE(feature("S1", "Sharpness"), sharp);
        QCOMPARE(feature("S1", "TriggerMode"), 0.0);
    }

    // One-shot white balance after exposure and gain, only with colour processing.
    void whiteBalance_data() {
        QTest::addColumn<Vendor>("vendor");
        QTest::addColumn<int>("colour");
        QTest::addColumn<QString>("call");
        QTest::newRow("mind colour") << Vendor::MindVision << 1 << "CameraSetOnceWB(S1)";
        QTest::newRow("mind grey") << Vendor::MindVision << 0 << "";
        QTest::newRow("hik colour") << Vendor::Hikvision << 1 << "MV_CC_SetBalanceWhiteAuto(S1, 2)";
        QTest::newRow("galaxy colour") << Vendor::Galaxy << 1 << "";
    }
    void whiteBalance() {
        QFETCH(Vendor, vendor);
        QFETCH(int, colour);
        QFETCH(QString, call);
        ProgramDir dir;
        initParamIndex();
        addOne(vendor, "SIM", QString(), true);
        gisColor = colour;
        ViewRig rig;
        rig.openAll(1);
        auto& bus = simcam::Bus::instance();
        bus.clearLog();
        rig.view(0).SetAdjustPlus();
        const QString log = bus.log().join('\n');
        if (call.isEmpty())
            QVERIFY2(!log.contains("WB") && !log.contains("BalanceWhite"), qPrintable(log));
        else
            QVERIFY2(bus.log().contains(call), qPrintable(log));
        bus.clearLog();
        rig.view(0).SetWB();
        QCOMPARE(bus.log().size(), call.isEmpty() ? 0 : 1);
    }

    void changeTrig_data() {
        QTest::addColumn<Vendor>("vendor");
        QTest::addColumn<int>("external");
        QTest::addColumn<bool>("restart");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("galaxy restart")
            << Vendor::Galaxy << 1 << true
            << QStringList{"GXSendCommand(S1, 0x70000BBA)", "GXSetEnum(S1, 0x30000BB8, 2)",
                           "GXSetEnum(S1, 0x30000BBD, 0)", "GXSendCommand(S1, 0x70000BB9)"};
        QTest::newRow("galaxy no restart")
            << Vendor::Galaxy << 0 << false
            << QStringList{"GXSetEnum(S1, 0x30000BB8, 2)", "GXSetEnum(S1, 0x30000BBD, 0)"};
        QTest::newRow("mind hardware")
            << Vendor::MindVision << 1 << false << QStringList{"CameraSetTriggerMode(S1, 2)"};
        QTest::newRow("mind continuous")
            << Vendor::MindVision << 0 << true << QStringList{"CameraSetTriggerMode(S1, 0)"};
        QTest::newRow("hik hardware") << Vendor::Hikvision << 1 << false
                                      << QStringList{"MV_CC_SetEnumValue(S1, TriggerMode, 1)",
                                                     "MV_CC_SetEnumValue(S1, TriggerSource, 0)"};
        QTest::newRow("hik free") << Vendor::Hikvision << 0 << false
                                  << QStringList{"MV_CC_SetEnumValue(S1, TriggerMode, 0)"};
        QTest::newRow("ueye") << Vendor::Ueye << 1 << true << QStringList{};
    }
    void changeTrig() {
        QFETCH(Vendor, vendor);
        QFETCH(int, external);
        QFETCH(bool, restart);
        QFETCH(QStringList, calls);
        ProgramDir dir;
        addOne(vendor);
        ViewRig rig;
        rig.openAll(1);
        rig.live.external_trigger = external;
        auto& bus = simcam::Bus::instance();
        bus.clearLog();
        rig.view(0).CameraChangeTrig(restart);
        QCOMPARE(bus.log(), calls);
    }

    void captureSpeed_data() {
        QTest::addColumn<Vendor>("vendor");
        QTest::addColumn<int>("colour");
        QTest::addColumn<int>("speed");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<double>("expected");
        QTest::newRow("hik slow gives 20")
            << Vendor::Hikvision << 0 << 3 << QByteArray("AcquisitionFrameRate") << 20.0;
        QTest::newRow("hik 5") << Vendor::Hikvision << 0 << 5 << QByteArray("AcquisitionFrameRate") << 5.0;
        QTest::newRow("mind colour +1") << Vendor::MindVision << 1 << 2 << QByteArray("FrameSpeed") << 3.0;
        QTest::newRow("mind grey") << Vendor::MindVision << 0 << 2 << QByteArray("FrameSpeed") << 2.0;
        QTest::newRow("ueye pixel clock") << Vendor::Ueye << 0 << 4 << QByteArray("PixelClock") << 4.0;
    }
    void captureSpeed() {
        QFETCH(Vendor, vendor);
        QFETCH(int, colour);
        QFETCH(int, speed);
        QFETCH(QByteArray, key);
        QFETCH(double, expected);
        ProgramDir dir;
        addOne(vendor);
        simcam::Bus::instance().addCamera(
            spec(vendor, "S2", vendor == Vendor::Ueye ? 1280 : 64, vendor == Vendor::Ueye ? 1024 : 48));
        gisColor = colour;
        ViewRig rig;
        rig.openAll(2);
        QCOMPARE(cameraViewCount(), 2);
        rig.live.capture_speed = speed;
        rig.work.capture_speed = speed + 7;  // never read
        CameraSetSpeed();
        QCOMPARE(feature("S1", key), expected);
        QCOMPARE(feature("S2", key), expected);
        if (vendor == Vendor::Hikvision) QCOMPARE(feature("S1", "AcquisitionFrameRateEnable"), 1.0);
        // Stopped and started again: frames flow.
        QVERIFY(rig.frame(0));
        QVERIFY(rig.frame(1));
        QCOMPARE(simcam::Bus::instance().misuses(), QStringList());
    }

    // Factory defaults: the camera's values come back into the working copy in record steps, so
    // that the values applied before are found again; the trigger mode of the live record (and the
    // Hikvision sharpness and gamma processing) is applied again, as at open, before the restart:
    // the defaults themselves run free with that processing off.
    void restoreDefaults_data() {
        QTest::addColumn<Vendor>("vendor");
        QTest::addColumn<QString>("ranges");
        QTest::addColumn<int>("trigger");  // the live record's external_trigger
        QTest::addColumn<QStringList>("reapplied");
        const QString mindRanges = "gain=16:128,sharpness=0:300,contrast=0:400,gamma=0:1000";
        const QString hikRanges = "Gain=0:64,Sharpness=0:200,Gamma=0:500";
        const QStringList hikEnables{"MV_CC_SetBoolValue(S1, SharpnessEnable, 1)",
                                     "MV_CC_SetBoolValue(S1, GammaEnable, 1)"};
        QTest::newRow("mind, free running")
            << Vendor::MindVision << mindRanges << 0 << QStringList{"CameraSetTriggerMode(S1, 0)"};
        QTest::newRow("mind, external trigger")
            << Vendor::MindVision << mindRanges << 1 << QStringList{"CameraSetTriggerMode(S1, 2)"};
        QTest::newRow("hik, free running")
            << Vendor::Hikvision << hikRanges << 0
            << (QStringList(hikEnables) << "MV_CC_SetEnumValue(S1, TriggerMode, 0)");
        QTest::newRow("hik, external trigger")
            << Vendor::Hikvision << hikRanges << 1
            << (QStringList(hikEnables) << "MV_CC_SetEnumValue(S1, TriggerMode, 1)"
                                        << "MV_CC_SetEnumValue(S1, TriggerSource, 0)");
    }
    void restoreDefaults() {
        QFETCH(Vendor, vendor);
        QFETCH(QString, ranges);
        QFETCH(int, trigger);
        QFETCH(QStringList, reapplied);
        ProgramDir dir;
        initParamIndex();
        addOne(vendor, "Hik", ranges);
        ViewRig rig;
        rig.live.external_trigger = trigger;
        rig.openAll(1);
        rig.live.expose_time[0] = 12;
        rig.live.adjust_plus[0] = 32;
        rig.live.sharp[0] = 40;
        rig.live.contrast[0] = 100;
        rig.live.gamma[0] = 50;
        rig.view(0).ApplyCameraSettings();
        rig.work = WizardPara();
        rig.work.contrast[0] = -1;
        auto& bus = simcam::Bus::instance();
        bus.clearLog();
        rig.view(0).RestoreDefaultSettings();
        QCOMPARE(rig.work.expose_time[0], 12);
        QCOMPARE(rig.work.adjust_plus[0], 32);
        QCOMPARE(rig.work.sharp[0], 40);
        QCOMPARE(rig.work.gamma[0], 50);
        const QStringList log = bus.log();
        if (vendor == Vendor::MindVision) {
            QCOMPARE(rig.work.contrast[0], 100);
            QVERIFY(log.contains("CameraLoadParameter(S1, 255)"));
            QVERIFY(log.contains("CameraSetMirror(S1, 1, 1)"));  // narrow grey sensor
            QVERIFY(log.contains("CameraSetIspOutFormat(S1, 0x1080001)"));
        } else {
            QCOMPARE(rig.work.contrast[0], -1);  // untouched
            QVERIFY(log.contains("MV_CC_SetCommandValue(S1, UserSetLoad)"));
            QVERIFY(log.contains("MV_CC_SetEnumValue(S1, PixelFormat, 0x1080001)"));
        }
        // Each re-applied call comes after the defaults were loaded and before acquisition restarts.
        const bool mind = vendor == Vendor::MindVision;
        const int loaded =
            log.indexOf(mind ? "CameraLoadParameter(S1, 255)" : "MV_CC_SetCommandValue(S1, UserSetLoad)");
        const int started = log.indexOf(mind ? "CameraPlay(S1)" : "MV_CC_StartGrabbing(S1)", loaded);
        QVERIFY(loaded >= 0 && started > loaded);
        for (const QString& call : reapplied) {
            const int at = log.indexOf(call, loaded);
            QVERIFY2(at > loaded && at < started, qPrintable(call + "\n" + log.join('\n')));
        }
        if (!mind) {
            QCOMPARE(feature("S1", "SharpnessEnable"), 1.0);
            QCOMPARE(feature("S1", "GammaEnable"), 1.0);
            QCOMPARE(feature("S1", "TriggerMode"), double(trigger));
        }
        if (trigger) bus.pulse("S1");
        QVERIFY(rig.frame(0));
        QCOMPARE(bus.misuses(), QStringList());
    }

    // A MindVision range narrower than the step count stores 0 rather than dividing by zero.
    void restoreNarrowRange() {
        ProgramDir dir;
        addOne(Vendor::MindVision, "SIM", "sharpness=0:50");
        ViewRig rig;
        rig.openAll(1);
        rig.live.sharp[0] = 100;
        rig.view(0).SetSharp();
        rig.work.sharp[0] = 77;
        rig.view(0).RestoreDefaultSettings();
        QCOMPARE(rig.work.sharp[0], 0);
    }

    // A Hikvision feature whose range is empty (min = max) reads back as 0 instead of dividing by 0.
    void restoreEmptyRange() {
        ProgramDir dir;
        initParamIndex();
        addOne(Vendor::Hikvision, "SIM", "Gain=5:5,Sharpness=7:7,Gamma=1:1");
        ViewRig rig;
        rig.openAll(1);
        rig.work.adjust_plus[0] = rig.work.sharp[0] = rig.work.gamma[0] = 77;
        rig.view(0).RestoreDefaultSettings();
        QCOMPARE((QList<int>{rig.work.adjust_plus[0], rig.work.sharp[0], rig.work.gamma[0]}),
                 (QList<int>{0, 0, 0}));
        QVERIFY(rig.frame(0));
    }

    void paramIndex_data() {
        QTest::addColumn<QString>("maker");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::newRow("hik exposure") << "Hik"
                                      << "ExposureTime"
                                      << "ExposureTime";
        QTest::newRow("other maker") << "Acme Vision"
                                     << "Gain"
                                     << "Gain";
        QTest::newRow("cognex exposure") << "COGNEX"
                                         << "ExposureTime"
                                         << "ExposureTimeAbs";
        QTest::newRow("cognex gain") << "COGNEX"
                                     << "Gain"
                                     << "GainRaw";
        QTest::newRow("cognex sharp") << "COGNEX"
                                      << "sharp"
                                      << "Sharpness";
        QTest::newRow("lower-case cognex") << "cognex"
                                           << "Gain"
                                           << "Gain";
        QTest::newRow("unknown key") << "COGNEX"
                                     << "Width"
                                     << "";
    }
    void paramIndex() {
        QFETCH(QString, maker);
        QFETCH(QString, key);
        QFETCH(QString, name);
        QCOMPARE(getPararmIndex(maker, key), QString());  // empty before initParamIndex
        initParamIndex();
        QCOMPARE(getPararmIndex(maker, key), name);
    }

    // An inactive slot is never touched.
    void inactiveSlot() {
        ProgramDir dir;
        addOne(Vendor::MindVision);
        ViewRig rig;
        rig.openAll(2);  // slot 1 has no camera
        QVERIFY(!rig.view(1).isActive());
        auto& bus = simcam::Bus::instance();
        bus.clearLog();
        CameraSlot& v = rig.view(1);
        v.SetExposeTime();
        v.SetAdjustPlus();
        v.SetSharp();
        v.SetContrast();
        v.SetGamma();
        v.SetWB();
        v.CameraChangeTrig(true);
        v.RestoreDefaultSettings();
        QCOMPARE(bus.log(), QStringList());
        QCOMPARE(v.ReadSerial(), QByteArray());
    }
};

QTEST_MAIN(TestCameraSettings)
#include "tst_camerasettings.moc"
