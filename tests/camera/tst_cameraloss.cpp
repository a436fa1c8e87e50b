// Lost-camera watch and restart over the simulated bus: when a loss is declared (per back-end), what
// it does (record, output 0, views closed, one warning), and the restart after the cameras come back,
// including the network reset of the MindVision back-end and a camera that does not reopen.
#include <QtTest>

#include "app/lanstr.h"
#include "camera/cameraloss.h"
#include "camera/camerasettings.h"
#include "camrig.h"
#include "io/controlport.h"
#include "io/iolink.h"
#include "programdir.h"
#include "scriptedprompter.h"

using simcam::Vendor;
Q_DECLARE_METATYPE(simcam::Vendor)

namespace {
struct HostSpy {
    QList<int> failed;
    int stallResets = 0;
    int warnBoxHides = 0;
    HostSpy() {
        cameraHost().markViewFailed = [this](int i) { failed.append(i); };
        cameraHost().resetStallCounters = [this] { ++stallResets; };
        cameraHost().hideWarnBox = [this] { ++warnBoxHides; };
    }
};

int ensureReachCalls = 0;

// A pause that takes real time (on the thread that pauses), recorded as the others are.
void shortSleep(int ms) {
    recordSleep(ms);
    QThread::msleep(40);
}
void countEnsureReach() {
    ++ensureReachCalls;
}

// A warning box whose modal loop runs the inspection loop's restart once, as the real one does while
// the operator has not confirmed it yet.
class RestartingPrompter : public BoxProvider {
public:
    std::function<void()> duringFirstWarning;
    QStringList warnings;
    RestartingPrompter() : previous_(boxProvider()) { setBoxProvider(this); }
    ~RestartingPrompter() override { setBoxProvider(previous_); }
    void warn(const QString& text) override {
        warnings.append(text);
        if (duringFirstWarning) {
            auto f = std::move(duringFirstWarning);
            duringFirstWarning = nullptr;
            f();
        }
    }
    bool choose(const QString&) override { return false; }

private:
    BoxProvider* previous_;
};

QString lost(int event, int camera) {
    return QStringLiteral("The %1th Camera Lost, %2").arg(event).arg(camera);
}
}  // namespace

class TestCameraLoss : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { loadLanguageTable(); }
    void init() {
        resetCameraWorld();
        resetIOGlobals();
        gLan = 1;
        ensureReachCalls = 0;
    }
    void cleanup() {
        delete gpControlIO;
        gpControlIO = nullptr;
        resetIOGlobals();
    }
    void cleanupTestCase() { simcam::Bus::instance().reset(); }

    void lossDeclared_data() {
        QTest::addColumn<Vendor>("vendor");
        QTest::addColumn<int>("runState");
        QTest::newRow("galaxy detecting") << Vendor::Galaxy << 1;
        QTest::newRow("ueye learning") << Vendor::Ueye << 2;
        QTest::newRow("mind detecting") << Vendor::MindVision << 1;
        QTest::newRow("mind stopped") << Vendor::MindVision << 3;
    }
    void lossDeclared() {
        QFETCH(Vendor, vendor);
        QFETCH(int, runState);
        ProgramDir dir;
        RecordingWindow win;
        win.RunState = runState;
        ScriptedPrompter prompter;
        HostSpy spy;
        gisCOM = 2;  // no board: the outputs stay in the port's word
        gpControlIO = new ControlPort;
        QCOMPARE(gpControlIO->IOState(1, kOutClampingCut), 0);
        auto& bus = simcam::Bus::instance();
        const bool ueye = vendor == Vendor::Ueye;
        bus.addCamera(spec(vendor, "L1", ueye ? 1280 : 64, ueye ? 1024 : 48));
        bus.addCamera(spec(vendor, "L2", ueye ? 1280 : 64, ueye ? 1024 : 48));
        ViewRig rig;
        rig.openAll(2);
        QCOMPARE(cameraViewCount(), 2);

        CameraCheck(1);
        QVERIFY(gisLost);
        QCOMPARE(gLost, 1);
        QCOMPARE(win.records, QStringList{lost(1, 2)});
        QCOMPARE(gpControlIO->IOState(1, kOutClampingCut), runState == 3 ? 0 : 1);
        QCOMPARE(spy.failed, (QList<int>{0, 1}));
        QVERIFY(!rig.view(0).isActive() && !rig.view(1).isActive());
        QVERIFY(!bus.isOpen("L1") && !bus.isOpen("L2"));
        QCOMPARE(prompter.warnings, QStringList{gaLanStr[39 * 3 + 1]});

        // A second silent camera in the same second: the same loss event.
        CameraCheck(0);
        QCOMPARE(gLost, 1);
        QCOMPARE(win.records.size(), 1);
        QCOMPARE(prompter.warnings.size(), 1);
        QCOMPARE(bus.misuses(), QStringList());
    }

    void testModeNeverLost() {
        ProgramDir dir;
        RecordingWindow win;
        ScriptedPrompter prompter;
        ViewRig rig;
        rig.openAll(4);
        QCOMPARE(gCameraID, int(kCameraNone));
        QCOMPARE(cameraViewCount(), 4);
        CameraCheck(0);
        QVERIFY(!gisLost);
        QCOMPARE(gLost, 0);
        QVERIFY(win.records.isEmpty());
        QVERIFY(prompter.warnings.isEmpty());
        QVERIFY(rig.view(0).isActive());
    }

    // Hikvision: a silent camera that still enumerates is not lost; one that left the bus is.
    void hikvisionCountRule() {
        ProgramDir dir;
        RecordingWindow win;
        ScriptedPrompter prompter;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(Vendor::Hikvision, "H1"));
        bus.addCamera(spec(Vendor::Hikvision, "H2"));
        ViewRig rig;
        rig.openAll(2);
        // A camera that still enumerates but sends nothing is lost all the same.
        bus.stall("H2");
        CameraCheck(1);
        QVERIFY(gisLost);
        QCOMPARE(win.records, QStringList{lost(1, 2)});
        QVERIFY(!rig.view(1).isActive());

        // Gone from the bus: the restart finds one camera short and waits.
        setGigeRepairHooks(nullptr, &countEnsureReach);
        bus.stall("H2", false);
        bus.unplug("H2");
        CameraRestart();
        QVERIFY(gisLost);
        QCOMPARE(ensureReachCalls, 1);

        // Back: EnsureDeviceReach runs before the enumeration, and everything reopens.
        bus.replug("H2");
        CameraRestart();
        QCOMPARE(ensureReachCalls, 2);
        QVERIFY(!gisLost);
        QVERIFY(rig.view(0).isActive() && rig.view(1).isActive());
        QVERIFY(rig.frame(1));
        QCOMPARE(bus.misuses(), QStringList());
    }

    // MindVision: every interface but loopback is reset before the enumeration; the cameras reopen only
    // when all of them are listed again.
    void mindRestartAfterReplug() {
        ProgramDir dir;
        QVERIFY(dir.writeFile("sysroot/proc/net/dev",
                              "Inter-|   Receive                            |  Transmit\n"
                              " face |bytes    packets errs drop fifo frame compressed multicast|bytes\n"
                              "    lo: 1234 10 0 0 0 0 0 0 1234 10 0 0 0 0 0 0\n"
                              "  eth0:98765432 1000 0 0 0 0 0 0 5678 50 0 0 0 0 0 0\n"
                              "  wlo1: 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"
                              "enp3s0: 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"
                              " a;b`c: 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"));
        RecordingWindow win;
        ScriptedPrompter prompter;
        HostSpy spy;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(Vendor::MindVision, "M1"));
        bus.addCamera(spec(Vendor::MindVision, "M2"));
        ViewRig rig;
        rig.openAll(2);
        rig.live.capture_speed = 2;
        CameraCheck(0);
        QVERIFY(gisLost);
        bus.unplug("M2");
        recordedSleeps().clear();
        bus.clearLog();
        // The reset's pauses take real time here: the call returns at once, timers tick meanwhile, a
        // second call starts nothing, and nothing reaches the camera layer before the reset is over.
        setCameraSleeper(&shortSleep);
        int ticks = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(5);
        CameraRestart();
        QVERIFY(cameraRestartUnderWay());
        CameraRestart();
        QVERIFY(gisLost);
        QCOMPARE(bus.log(), QStringList());
        QTRY_VERIFY(!cameraRestartUnderWay());
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        setCameraSleeper(&recordSleep);
        QVERIFY(gisLost);
        QVERIFY(!rig.view(0).isActive());
        QCOMPARE(win.records.size(), 1);
        const QStringList reset{"ip addr flush dev eth0 >/dev/null 2>&1",
                                "ifdown eth0 >/dev/null 2>&1",
                                "ifup eth0 >/dev/null 2>&1",
                                "ip addr flush dev wlo1 >/dev/null 2>&1",
                                "ifdown wlo1 >/dev/null 2>&1",
                                "ifup wlo1 >/dev/null 2>&1",
                                "ip addr flush dev enp3s0 >/dev/null 2>&1",
                                "ifdown enp3s0 >/dev/null 2>&1",
                                "ifup enp3s0 >/dev/null 2>&1"};
        QCOMPARE(dir.commands(), reset);
        QCOMPARE(recordedSleeps(), (QList<int>{1000, 1000, 1000, 1000, 1000, 1000}));
        QVERIFY(bus.log().value(0).startsWith("CameraEnumerateDevice"));

        bus.replug("M2");
        CameraRestart();
        QTRY_VERIFY(!cameraRestartUnderWay());
        QVERIFY(!gisLost);
        QCOMPARE(win.records, (QStringList{lost(1, 1), "Camera Restart"}));
        QVERIFY(rig.view(0).isActive() && rig.view(1).isActive());
        QCOMPARE(spy.warnBoxHides, 1);
        QCOMPARE(spy.stallResets, 1);
        QCOMPARE(feature("M1", "FrameSpeed"), 2.0);  // capture speed applied last
        QVERIFY(rig.frame(0));
        QVERIFY(rig.frame(1));
        QCOMPARE(bus.misuses(), QStringList());
    }

    // All cameras listed, one does not reopen: the restart is recorded, then that camera's loss.
    void restartWithOneFailing() {
        ProgramDir dir;
        RecordingWindow win;
        ScriptedPrompter prompter;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(Vendor::MindVision, "M1"));
        bus.addCamera(spec(Vendor::MindVision, "M2"));
        ViewRig rig;
        rig.openAll(2);
        CameraCheck(1);
        bus.injectStatus("CameraInit", -7, 1);  // the first reopen (view 0) fails
        CameraRestart();
        QTRY_VERIFY(!cameraRestartUnderWay());
        QVERIFY(gisLost);
        QCOMPARE(gLost, 2);
        QCOMPARE(win.records, (QStringList{lost(1, 2), "Mind Fail = -7", "Camera Restart", lost(2, 1)}));
        QCOMPARE(prompter.warnings.size(), 2);
        QVERIFY(!rig.view(0).isActive() && !rig.view(1).isActive());
        QVERIFY(!bus.isOpen("M2"));
        QCOMPARE(bus.misuses(), QStringList());
    }

    // A restart inside the open warning's modal loop that finds a camera missing again records the loss
    // but puts no second warning on top of the first.
    void noNestedWarning() {
        ProgramDir dir;
        RecordingWindow win;
        RestartingPrompter prompter;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(Vendor::MindVision, "M1"));
        bus.addCamera(spec(Vendor::MindVision, "M2"));
        ViewRig rig;
        rig.openAll(2);
        prompter.duringFirstWarning = [&bus] {
            bus.injectStatus("CameraInit", -7, 1);
            CameraRestart();
            QTRY_VERIFY(!cameraRestartUnderWay());  // the box's own loop runs meanwhile
        };
        CameraCheck(0);
        QCOMPARE(gLost, 2);
        QCOMPARE(win.records.last(), lost(2, 1));
        QCOMPARE(prompter.warnings.size(), 1);
        QVERIFY(gisLost);
    }

    // Galaxy: nothing is re-enumerated; the system stays lost.
    void galaxyStaysLost() {
        ProgramDir dir;
        RecordingWindow win;
        ScriptedPrompter prompter;
        HostSpy spy;
        simcam::Bus::instance().addCamera(spec(Vendor::Galaxy, "G1"));
        ViewRig rig;
        rig.openAll(1);
        CameraCheck(0);
        auto& bus = simcam::Bus::instance();
        bus.clearLog();
        CameraRestart();
        QVERIFY(gisLost);
        QCOMPARE(bus.log(), QStringList());
        QCOMPARE(win.records.size(), 1);
        QCOMPARE(spy.stallResets, 1);
    }

    void ueyeRestartCountsCameras() {
        ProgramDir dir;
        RecordingWindow win;
        ScriptedPrompter prompter;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(Vendor::Ueye, "U1", 1280, 1024));
        ViewRig rig;
        rig.openAll(1);
        CameraCheck(0);
        bus.unplug("U1");
        CameraRestart();
        QVERIFY(gisLost);
        bus.replug("U1");
        CameraRestart();
        QVERIFY(!gisLost);
        QVERIFY(rig.frame(0));
    }

    void sdkVersionText() { QCOMPARE(cameraSdkVersionText(), QStringLiteral("simulated 1.0")); }
};

QTEST_MAIN(TestCameraLoss)
#include "tst_cameraloss.moc"
