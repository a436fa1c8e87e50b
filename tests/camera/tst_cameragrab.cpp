// Opening cameras by bound serial or position, the frame hand-off under the slot's lock, trigger mode,
// lost cameras and the open/start/stop/close life cycle, over the simulated camera bus.
#include <QtTest>
#include <memory>

#include "camera/cameraslot.h"
#include "camera/camerathread.h"
#include "camera/checkcamera.h"
#include "camtestutil.h"
#include "platform/system/timing.h"
#include "programdir.h"

using simcam::Vendor;
Q_DECLARE_METATYPE(simcam::Vendor)

namespace {
struct Rig {
    std::vector<std::unique_ptr<CameraSlot>> views;
    ~Rig() { closeAll(); }
    void openAll(int n) {
        gisCut = 1;
        CheckCameraID();
        updateFrameLengths();
        for (int i = 0; i < n; ++i) {
            auto s = std::make_unique<CameraSlot>(i);
            s->AllocCameraBuffers();
            s->CameraOpen();
            if (s->isActive()) ++numCamera;
            s->CameraStart();
            views.push_back(std::move(s));
        }
    }
    void closeAll() {
        for (auto& s : views) {
            s->CameraStop();
            s->CameraClose();
        }
        views.clear();
    }
    int bpp() const { return gisColor ? 4 : 1; }
    // Waits for a frame of slot i; returns its stamp (camera id, counter).
    bool frame(int i, int* id, uint32_t* counter, std::vector<uchar>* out = nullptr) {
        std::vector<uchar> buf(static_cast<size_t>(gColorLen));
        QElapsedTimer t;
        t.start();
        while (!views[size_t(i)]->TakeFrame(buf.data())) {
            if (t.elapsed() > 5000) return false;
            QTest::qWait(5);
        }
        if (out) *out = buf;
        return simcam::readStamp(buf.data(), gImageW, bpp(), id, counter);
    }
    // True when no frame arrives on slot i within ms (after draining the one waiting).
    bool silent(int i, int ms) {
        std::vector<uchar> buf(static_cast<size_t>(gColorLen));
        views[size_t(i)]->TakeFrame(buf.data());
        QTest::qWait(ms);
        return !views[size_t(i)]->TakeFrame(buf.data());
    }
};

void bind(int slot, const QByteArray& serial) {
    memset(gSerialNB[slot], 0, sizeof(gSerialNB[slot]));
    memcpy(gSerialNB[slot], serial.constData(), size_t(serial.size()));
}
}  // namespace

class TestCameraGrab : public QObject {
    Q_OBJECT
private slots:
    void init() {
        resetCameraWorld();
        setTimeOverride("camera.grabStart", 1);
        setTimeOverride("camera.grabPoll", 1);
    }
    void cleanupTestCase() { simcam::Bus::instance().reset(); }

    void openBySerial_data() {
        QTest::addColumn<Vendor>("vendor");
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<bool>("bound");
        QTest::addColumn<QString>("expectCall");
        // Cameras 1 (S1) and 2 (S2); the bus lists S2 first. Bound: slot 0 = S1, slot 1 = S2.
        const QByteArray s1 = "SN00000001";
        QTest::newRow("galaxy bound")
            << Vendor::Galaxy << 64 << 48 << true << "GXOpenDevice(SN00000001, 0, 4)";
        QTest::newRow("galaxy by index") << Vendor::Galaxy << 64 << 48 << false << "GXOpenDeviceByIndex(1)";
        QTest::newRow("ueye bound") << Vendor::Ueye << 1280 << 1024 << true << "is_GetCameraInfo(SN00000002)";
        QTest::newRow("ueye by id") << Vendor::Ueye << 1280 << 1024 << false << "is_InitCamera(0x8001)";
        QTest::newRow("mindvision bound")
            << Vendor::MindVision << 64 << 48 << true << "CameraInit(SN00000001, -1, -1)";
        QTest::newRow("mindvision by entry")
            << Vendor::MindVision << 64 << 48 << false << "CameraInit(SN00000002, -1, -1)";
        QTest::newRow("hikvision bound")
            << Vendor::Hikvision << 64 << 48 << true << "MV_CC_CreateHandle(SN00000001)";
        QTest::newRow("hikvision by entry")
            << Vendor::Hikvision << 64 << 48 << false << "MV_CC_CreateHandle(SN00000002)";
    }
    void openBySerial() {
        QFETCH(Vendor, vendor);
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(bool, bound);
        QFETCH(QString, expectCall);
        ProgramDir dir;
        RecordingWindow win;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(vendor, "SN00000001", w, h));
        bus.addCamera(spec(vendor, "SN00000002", w, h));
        bus.setEnumerationOrder({"SN00000002", "SN00000001"});
        if (bound) {
            bind(0, "SN00000001");
            bind(1, "SN00000002");
        }
        Rig rig;
        rig.openAll(2);
        QVERIFY(gCameraActive[0]);
        QVERIFY(gCameraActive[1]);
        QCOMPARE(numCamera, 2);
        QVERIFY2(bus.log().join('\n').contains(expectCall), qPrintable(bus.log().join('\n')));
        int id0 = 0, id1 = 0;
        QVERIFY(rig.frame(0, &id0, nullptr));
        QVERIFY(rig.frame(1, &id1, nullptr));
        // Bound: each slot shows its own camera whatever the bus order; unbound: the bus order.
        QCOMPARE(id0, bound ? 1 : 2);
        QCOMPARE(id1, bound ? 2 : 1);
        if (vendor == Vendor::MindVision && bound)
            QCOMPARE(win.records, (QStringList{"Mind Open 1 = SN00000001", "Mind Open 2 = SN00000002"}));
        rig.closeAll();
        QVERIFY(!bus.isOpen("SN00000001"));
        QVERIFY(!bus.isOpen("SN00000002"));
        QCOMPARE(bus.misuses(), QStringList());
    }

    void framesAdvance_data() {
        QTest::addColumn<Vendor>("vendor");
        QTest::newRow("galaxy") << Vendor::Galaxy;
        QTest::newRow("ueye") << Vendor::Ueye;
        QTest::newRow("mindvision") << Vendor::MindVision;
        QTest::newRow("hikvision") << Vendor::Hikvision;
    }
    void framesAdvance() {
        QFETCH(Vendor, vendor);
        ProgramDir dir;
        const int w = vendor == Vendor::Ueye ? 1280 : 64, h = vendor == Vendor::Ueye ? 1024 : 48;
        simcam::Bus::instance().addCamera(spec(vendor, "A", w, h));
        Rig rig;
        rig.openAll(1);
        int id = 0;
        uint32_t c1 = 0, c2 = 0;
        QVERIFY(rig.frame(0, &id, &c1));
        QVERIFY(rig.frame(0, &id, &c2));
        QCOMPARE(id, 1);
        QVERIFY2(c2 > c1, "the second frame is a new one");
        QVERIFY(!isImageFill[0]);
    }

    // A still scene (lens cap, dark mould) gives the same picture every time: each new frame is still
    // handed over, so the watch never takes the camera for lost.
    void stillSceneKeepsDelivering_data() { framesAdvance_data(); }
    void stillSceneKeepsDelivering() {
        QFETCH(Vendor, vendor);
        ProgramDir dir;
        const int w = vendor == Vendor::Ueye ? 1280 : 64, h = vendor == Vendor::Ueye ? 1024 : 48;
        auto s = spec(vendor, "A", w, h);
        s.staticScene = true;
        simcam::Bus::instance().addCamera(s);
        Rig rig;
        rig.openAll(1);
        std::vector<uchar> buf(static_cast<size_t>(gColorLen));
        for (int k = 0; k < 3; ++k) {
            QElapsedTimer t;
            t.start();
            while (!rig.views[0]->TakeFrame(buf.data()) && t.elapsed() < 5000) QTest::qWait(5);
            QVERIFY2(t.elapsed() < 5000, qPrintable(QString("frame %1").arg(k)));
        }
    }

    // Frame layout in the hand-off buffer: B, G, R, 0 with colour processing; grey frames of a mono
    // camera are spread over the whole 32-bit buffer instead of filling its first quarter.
    void colourLayout_data() {
        QTest::addColumn<Vendor>("vendor");
        QTest::addColumn<bool>("colourCamera");
        QTest::newRow("hikvision colour") << Vendor::Hikvision << true;
        QTest::newRow("hikvision mono") << Vendor::Hikvision << false;
        QTest::newRow("mindvision colour") << Vendor::MindVision << true;
        QTest::newRow("mindvision mono") << Vendor::MindVision << false;
        QTest::newRow("galaxy mono") << Vendor::Galaxy << false;
    }
    void colourLayout() {
        QFETCH(Vendor, vendor);
        QFETCH(bool, colourCamera);
        ProgramDir dir;
        auto s = spec(vendor, "C1", 64, 48, colourCamera);
        s.model = colourCamera ? "SIM-GC" : "SIM-GM";
        simcam::Bus::instance().addCamera(s);
        gisColor = 1;
        Rig rig;
        rig.openAll(1);
        QCOMPARE(gColorLen, 64 * 48 * 4);
        std::vector<uchar> buf;
        int id = 0;
        QVERIFY(rig.frame(0, &id, nullptr, &buf));
        QCOMPARE(id, 1);
        bool alpha0 = true, grey = true, tinted = false;
        for (int i = 0; i < 64 * 48; ++i) {
            const uchar* p = &buf[size_t(i) * 4];
            alpha0 = alpha0 && p[3] == 0;
            grey = grey && p[0] == p[1] && p[1] == p[2];
            // The synthetic colour scene has red = g, blue = 255 - g: in memory blue comes first.
            if (p[2] != p[0]) tinted = true;
        }
        QVERIFY(alpha0);
        QCOMPARE(grey, !colourCamera);
        QCOMPARE(tinted, colourCamera);
        if (colourCamera) {
            // Pixel in the lower right of the gradient: red (byte 2) high, blue (byte 0) low.
            const uchar* p = &buf[size_t(47 * 64 + 60) * 4];
            QVERIFY2(p[2] > p[0], "bytes are B, G, R, 0");
        }
    }

    void triggerOneFramePerPulse_data() {
        QTest::addColumn<Vendor>("vendor");
        QTest::newRow("galaxy (pull)") << Vendor::Galaxy;
        QTest::newRow("hikvision (callback)") << Vendor::Hikvision;
    }
    void triggerOneFramePerPulse() {
        QFETCH(Vendor, vendor);
        ProgramDir dir;
        auto s = spec(vendor, "T1");
        s.trigger = true;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(s);
        Rig rig;
        rig.openAll(1);
        QVERIFY(rig.silent(0, 300));
        bus.pulse("T1");
        int id = 0;
        uint32_t c = 0;
        QVERIFY(rig.frame(0, &id, &c));
        QVERIFY(rig.silent(0, 300));
        bus.pulse("T1");
        uint32_t c2 = 0;
        QVERIFY(rig.frame(0, &id, &c2));
        QCOMPARE(c2, c + 1);
    }

    void stallAndUnplug_data() {
        QTest::addColumn<Vendor>("vendor");
        QTest::addColumn<bool>("unplug");
        QTest::newRow("mindvision stall") << Vendor::MindVision << false;
        QTest::newRow("hikvision unplug") << Vendor::Hikvision << true;
        QTest::newRow("galaxy unplug") << Vendor::Galaxy << true;
    }
    void stallAndUnplug() {
        QFETCH(Vendor, vendor);
        QFETCH(bool, unplug);
        ProgramDir dir;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(vendor, "L1"));
        Rig rig;
        rig.openAll(1);
        QVERIFY(rig.frame(0, nullptr, nullptr));
        if (unplug)
            bus.unplug("L1");
        else
            bus.stall("L1");
        QTest::qWait(300);  // a frame in flight may still land
        QVERIFY(rig.silent(0, 300));
        if (unplug)
            bus.replug("L1");
        else
            bus.stall("L1", false);
        QVERIFY(rig.frame(0, nullptr, nullptr));
        rig.closeAll();
        QCOMPARE(bus.misuses(), QStringList());
    }

    void mindVisionFailures() {
        ProgramDir dir;
        RecordingWindow win;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(Vendor::MindVision, "MV0000001"));
        bus.addCamera(spec(Vendor::MindVision, "MV0000002"));
        bind(0, "MV9999999");  // no such camera
        bind(1, "MV0000002");
        gisCut = 1;
        CheckCameraID();
        updateFrameLengths();
        CameraSlot s0(0), s1(1);
        s0.AllocCameraBuffers();
        s1.AllocCameraBuffers();
        s0.CameraOpen();
        bus.injectStatus("CameraInit", -5);
        s1.CameraOpen();
        QCOMPARE(win.records, (QStringList{"Mind Fail = -1", "Mind Open 2 = MV0000002", "Mind Fail = -5"}));
        QVERIFY(!gCameraActive[0]);
        QVERIFY(!gCameraActive[1]);
        QCOMPARE(s0.CameraStart(), 0);
        QVERIFY(!s0.grabThread);
        s0.CameraStop();
        s0.CameraClose();
        QCOMPARE(bus.misuses(), QStringList());
    }

    // A slot whose bound camera is missing stays inactive while a later slot opens: the active flags,
    // not the view count, say which views carry a camera.
    void laterSlotOpensAlone() {
        ProgramDir dir;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(Vendor::Hikvision, "HK0000001"));
        bus.addCamera(spec(Vendor::Hikvision, "HK0000002"));
        bind(0, "HK0000777");
        bind(1, "HK0000002");
        Rig rig;
        rig.openAll(2);
        QVERIFY(!gCameraActive[0]);
        QVERIFY(gCameraActive[1]);
        QCOMPARE(numCamera, 1);
        int id = 0;
        QVERIFY(rig.frame(1, &id, nullptr));
        QCOMPARE(id, 2);
    }

    // A second camera smaller than the working size (taken from the first) delivers no frames instead
    // of being over-read.
    void smallerSecondCameraDropped() {
        ProgramDir dir;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(Vendor::Hikvision, "BIG", 64, 48));
        bus.addCamera(spec(Vendor::Hikvision, "SMALL", 32, 24));
        Rig rig;
        rig.openAll(2);
        QVERIFY(rig.frame(0, nullptr, nullptr));
        QVERIFY(rig.silent(1, 300));
        QVERIFY(bus.framesProduced("SMALL") > 0);
    }

    void galaxyGeometry_data() {
        QTest::addColumn<int>("sw");
        QTest::addColumn<int>("sh");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("2592: binning")
            << 2592 << 1944 << QStringList{"GXSetInt(G1, 0x10000BBB, 0)",   "GXSetInt(G1, 0x100003F0, 2)",
                                           "GXSetInt(G1, 0x100003F1, 2)",   "GXSetInt(G1, 0x100003F2, 2)",
                                           "GXSetInt(G1, 0x100003F3, 2)",   "GXSetInt(G1, 0x100003EC, 0)",
                                           "GXSetInt(G1, 0x100003ED, 0)",   "GXSetInt(G1, 0x100003EE, 1296)",
                                           "GXSetInt(G1, 0x100003EF, 972)", "GXSetEnum(G1, 0x3000178A, 1)",
                                           "GXSetBool(G1, 0x40001395, 1)"};
        QTest::newRow("2048: centred window")
            << 2048 << 1536 << QStringList{"GXSetInt(G1, 0x10000BBB, 0)",    "GXSetInt(G1, 0x100003EC, 224)",
                                           "GXSetInt(G1, 0x100003ED, 168)",  "GXSetInt(G1, 0x100003EE, 1600)",
                                           "GXSetInt(G1, 0x100003EF, 1200)", "GXSetEnum(G1, 0x3000178A, 1)",
                                           "GXSetBool(G1, 0x40001395, 1)"};
    }
    void galaxyGeometry() {
        QFETCH(int, sw);
        QFETCH(int, sh);
        QFETCH(QStringList, calls);
        ProgramDir dir;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(Vendor::Galaxy, "G1", sw, sh));
        gisCut = 1;
        CheckCameraID();
        updateFrameLengths();
        bus.clearLog();
        CameraSlot s(0);
        s.AllocCameraBuffers();
        s.CameraOpen();
        QStringList setters;
        for (const QString& l : bus.log())
            if (l.startsWith("GXSet")) setters.append(l);
        QCOMPARE(setters, calls);
        QCOMPARE(s.CameraStart(), 1);
        int id = 0;
        std::vector<uchar> buf(static_cast<size_t>(gColorLen));
        bool got = false;
        QTRY_VERIFY_WITH_TIMEOUT((got = got || s.TakeFrame(buf.data())), 5000);
        QVERIFY(simcam::readStamp(buf.data(), gImageW, 1, &id, nullptr));
        s.CameraStop();
        s.CameraClose();
    }

    // A camera fed from a folder cycles its images, in name order.
    void imageFolderSource() {
        ProgramDir dir;
        for (int k = 0; k < 2; ++k) {
            QImage img(64, 48, QImage::Format_Grayscale8);
            img.fill(k ? 150 : 50);
            QDir().mkpath(dir.filePath("scene"));
            QVERIFY(img.save(dir.filePath(QString("scene/%1.bmp").arg(k)), "BMP"));
        }
        auto s = spec(Vendor::Galaxy, "F1");
        s.folder = dir.filePath("scene");
        simcam::Bus::instance().addCamera(s);
        Rig rig;
        rig.openAll(1);
        QList<int> seen;
        std::vector<uchar> buf;
        for (int i = 0; i < 4; ++i) {
            rig.frame(0, nullptr, nullptr, &buf);
            if (buf.empty()) QFAIL("no frame");
            seen.append(buf[100]);
        }
        QVERIFY(seen.contains(50));
        QVERIFY(seen.contains(150));
        for (int v : seen) QVERIFY(v == 50 || v == 150);
    }

    // Stop directly followed by start (a speed change): grabbing goes on.
    void stopThenStart() {
        ProgramDir dir;
        simcam::Bus::instance().addCamera(spec(Vendor::MindVision, "S1"));
        Rig rig;
        rig.openAll(1);
        for (int i = 0; i < 5; ++i) {
            QVERIFY(rig.frame(0, nullptr, nullptr));
            rig.views[0]->CameraStop();
            QCOMPARE(rig.views[0]->CameraStart(), 1);
        }
        QVERIFY(rig.frame(0, nullptr, nullptr));
    }

    void testModeSlots() {
        ProgramDir dir;
        Rig rig;
        rig.openAll(8);
        QCOMPARE(gCameraID, 0);
        QCOMPARE(gFindCamera, 4);
        for (int i = 0; i < 8; ++i) QCOMPARE(gCameraActive[i], i < 4);
        QCOMPARE(numCamera, 4);
        QVERIFY(rig.views[0]->grabThread && rig.views[0]->grabThread->isRunning());
        QVERIFY(!rig.views[5]->grabThread);
        rig.closeAll();
        for (int i = 0; i < 8; ++i) QVERIFY(!gCameraActive[i]);
    }

    // Stop then close, repeatedly, while frames flow: no call on a closed handle, no Hikvision callback
    // once the grab was stopped, and the bus sees every camera released.
    void restartCycles() {
        ProgramDir dir;
        auto& bus = simcam::Bus::instance();
        bus.addCamera(spec(Vendor::Hikvision, "R1"));
        bus.addCamera(spec(Vendor::Hikvision, "R2"));
        Rig rig;
        rig.openAll(2);
        for (int round = 0; round < 3; ++round) {
            QVERIFY(rig.frame(0, nullptr, nullptr));
            for (auto& s : rig.views) s->CameraStop();
            for (auto& s : rig.views) s->CameraClose();
            QVERIFY(!bus.isOpen("R1"));
            memset(&gDevList, 0, sizeof(gDevList));
            QCOMPARE(MV_CC_EnumDevices(5, &gDevList), MV_OK);
            for (auto& s : rig.views) {
                s->CameraOpen();
                s->CameraStart();
            }
        }
        QVERIFY(rig.frame(1, nullptr, nullptr));
        rig.closeAll();
        QCOMPARE(bus.misuses(), QStringList());
    }
};

QTEST_MAIN(TestCameraGrab)
#include "tst_cameragrab.moc"
