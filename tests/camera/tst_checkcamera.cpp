// Back-end detection: probe order and fallbacks over simulated configurations, the working-size table,
// the model-name colour rule, the input-device count and the GigE repair wait.
#include <QtTest>

extern "C" {
#include <libavdevice/avdevice.h>
}

#include "camera/checkcamera.h"
#include "camtestutil.h"
#include "programdir.h"

using simcam::Vendor;

namespace {
// "galaxy:SN:WxH[:c]" items separated by commas.
void addCameras(const QString& config) {
    for (const QString& item : config.split(',', Qt::SkipEmptyParts)) {
        const QStringList f = item.split(':');
        Vendor v = Vendor::Galaxy;
        if (f[0] == "ueye") v = Vendor::Ueye;
        if (f[0] == "mind") v = Vendor::MindVision;
        if (f[0] == "hik") v = Vendor::Hikvision;
        const QStringList wh = f.value(2, "64x48").split('x');
        auto s = spec(v, f[1].toLatin1(), wh[0].toInt(), wh[1].toInt(), f.value(3) == "c");
        if (v == Vendor::Hikvision) s.model = f.value(3) == "c" ? "SIM-GC" : "SIM-GM";
        simcam::Bus::instance().addCamera(s);
    }
}
int repairResult = 0;
int fakeRepair() {
    return repairResult;
}
}  // namespace

class TestCheckCamera : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { avdevice_register_all(); }
    void init() { resetCameraWorld(); }
    void cleanupTestCase() { simcam::Bus::instance().reset(); }

    void probeOrder_data() {
        QTest::addColumn<QString>("cameras");
        QTest::addColumn<QString>("inject");  // "Function=status"
        QTest::addColumn<QByteArray>("devices");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("found");
        QTest::addColumn<QStringList>("mustCall");
        QTest::addColumn<QStringList>("mustNotCall");
        QTest::newRow("galaxy before ueye")
            << "galaxy:G1:1280x1024,ueye:U1"
            << "" << QByteArray() << 4 << 1 << QStringList{"GXOpenDeviceByIndex(1)", "GXCloseDevice(G1)"}
            << QStringList{"is_", "CameraSdkInit", "MV_CC_"};
        QTest::newRow("galaxy list fails") << "galaxy:G1,ueye:U1,ueye:U2"
                                           << "GXUpdateDeviceList=-8" << QByteArray() << 5 << 2
                                           << QStringList{"CameraSdkInit(0)", "CameraUSBDeviceInit()",
                                                          "is_GetNumberOfCameras()", "is_ExitCamera(U1)"}
                                           << QStringList{"GXOpenDeviceByIndex", "CameraEnumerateDevice"};
        QTest::newRow("galaxy held elsewhere")
            << "galaxy:G1,hik:H1,hik:H2"
            << "GXOpenDeviceByIndex=-5" << QByteArray() << 7 << 2
            << QStringList{"MV_CC_EnumDevices(5)", "MV_CC_OpenDevice(H1, 1, 0)"} << QStringList{"GXGetInt"};
        QTest::newRow("ueye sensor info fails")
            << "ueye:U1,mind:M1,mind:M2"
            << "is_GetSensorInfo=-1" << QByteArray() << 6 << 2
            << QStringList{"is_ExitCamera(U1)", "CameraUnInit(M1)"} << QStringList{"MV_CC_EnumDevices"};
        QTest::newRow("mindvision init fails") << "mind:M1,hik:H1"
                                               << "CameraInit=-5" << QByteArray() << 7 << 1
                                               << QStringList{"CameraInit(M1, -1, -1)"} << QStringList{};
        QTest::newRow("hikvision only")
            << "hik:H1,hik:H2,hik:H3"
            << "" << QByteArray() << 7 << 3 << QStringList{"MV_CC_DestroyHandle(H1)"} << QStringList{};
        QTest::newRow("hikvision open fails, no webcam")
            << "hik:H1"
            << "MV_CC_OpenDevice=-3" << QByteArray() << 0 << 4 << QStringList{"MV_CC_DestroyHandle(H1)"}
            << QStringList{};
        QTest::newRow("nothing") << ""
                                 << "" << QByteArray("N: Name=\"Power Button\"\n") << 0 << 4 << QStringList{}
                                 << QStringList{};
        QTest::newRow("webcam listed, device unusable")
            << ""
            << "" << QByteArray("N: Name=\"USB Camera\"\n") << 0 << 4 << QStringList{} << QStringList{};
    }
    void probeOrder() {
        QFETCH(QString, cameras);
        QFETCH(QString, inject);
        QFETCH(QByteArray, devices);
        QFETCH(int, id);
        QFETCH(int, found);
        QFETCH(QStringList, mustCall);
        QFETCH(QStringList, mustNotCall);
        ProgramDir dir;
        QVERIFY(dir.isValid());
        if (!devices.isEmpty()) QVERIFY(dir.writeFile("sysroot/proc/bus/input/devices", devices));
        v4l2Config().devicePattern = dir.filePath("missing%d.bmp");
        v4l2Config().inputFormat = "image2";
        addCameras(cameras);
        if (!inject.isEmpty()) {
            const QStringList kv = inject.split('=');
            simcam::Bus::instance().injectStatus(kv[0].toLatin1(), kv[1].toInt());
        }
        if (inject.startsWith("GXUpdateDeviceList")) QTest::ignoreMessage(QtInfoMsg, "GX_STATUS_SUCCESS:-8");
        gisCut = 1;
        CheckCameraID();
        QCOMPARE(gCameraID, id);
        QCOMPARE(gFindCamera, found);
        if (id == 0) {
            QCOMPARE(gImageW, 1920);
            QCOMPARE(gImageH, 1080);
        }
        const QString log = simcam::Bus::instance().log().join('\n');
        for (const QString& c : mustCall) QVERIFY2(log.contains(c), qPrintable(c + " missing in\n" + log));
        for (const QString& c : mustNotCall) QVERIFY2(!log.contains(c), qPrintable(c + " called in\n" + log));
        if (id == 5) QCOMPARE(recordedSleeps(), QList<int>{3000});
        QVERIFY(simcam::Bus::instance().misuses().isEmpty());
    }

    void workingSize_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("sw");
        QTest::addColumn<int>("sh");
        QTest::addColumn<int>("cut");
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        struct Row {
            const char* name;
            int id, sw, sh, cutW, cutH, fullW, fullH;
        };
        const Row rows[] = {
            {"galaxy 1280", 4, 1280, 1024, 1120, 840, 1280, 1024},
            {"galaxy 2048", 4, 2048, 1536, 1600, 1200, 2048, 1536},
            {"galaxy 2592 ignores crop", 4, 2592, 1944, 1296, 972, 1296, 972},
            {"galaxy other", 4, 1440, 1080, 1440, 1080, 1440, 1080},
            {"mind 1280", 6, 1280, 1024, 1120, 840, 1280, 1024},
            {"mind 1600", 6, 1600, 1200, 1300, 1000, 1600, 1200},
            {"mind 2048", 6, 2048, 1536, 1600, 1200, 2048, 1536},
            {"mind 3088", 6, 3088, 2064, 2592, 1944, 3088, 2064},
            {"mind other", 6, 720, 540, 720, 540, 720, 540},
            {"ueye", 5, 2000, 1000, 1280, 1024, 1280, 1024},
            {"v4l2", 9, 0, 0, 960, 540, 960, 540},
            {"none", 0, 0, 0, 1920, 1080, 1920, 1080},
        };
        for (const Row& r : rows) {
            QTest::addRow("%s, crop", r.name) << r.id << r.sw << r.sh << 1 << r.cutW << r.cutH;
            QTest::addRow("%s, no crop", r.name) << r.id << r.sw << r.sh << 0 << r.fullW << r.fullH;
        }
    }
    void workingSize() {
        QFETCH(int, id);
        QFETCH(int, sw);
        QFETCH(int, sh);
        QFETCH(int, cut);
        QFETCH(int, w);
        QFETCH(int, h);
        int gw = 0, gh = 0;
        QVERIFY(WorkingSizeFor(id, sw, sh, cut, &gw, &gh));
        QCOMPARE(gw, w);
        QCOMPARE(gh, h);
    }

    // Detection itself, for the rows that need the camera: Galaxy sensor features and the MindVision
    // 2592 preset.
    void detectedSizes() {
        ProgramDir dir;
        auto g = spec(Vendor::Galaxy, "G1", 2592, 1944);
        simcam::Bus::instance().addCamera(g);
        gisCut = 0;
        CheckCameraID();
        QCOMPARE(gCameraID, 4);
        QCOMPARE(gOW, 2592);
        QCOMPARE(gOH, 1944);
        QCOMPARE(gImageW, 1296);
        QCOMPARE(gImageH, 972);

        resetCameraWorld();
        auto m = spec(Vendor::MindVision, "M1", 2592, 1944, true);
        for (int i = 0; i < 12; ++i) m.presets.append({2592 - 100 * i, 1944 - 80 * i});
        simcam::Bus::instance().addCamera(m);
        gisCut = 1;
        CheckCameraID();
        QCOMPARE(gCameraID, 6);
        QCOMPARE(gSensorColor, 1);
        QCOMPARE(gImageW, 1592);
        QCOMPARE(gImageH, 1144);
        QCOMPARE(gImageResolution.index, 10);
    }

    void hikModelColour_data() {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<int>("color");
        QTest::newRow("M is mono") << QByteArray("CAM-1300-GM") << 0;
        QTest::newRow("lower m is colour") << QByteArray("CAM-1300-Gm") << 1;
        QTest::newRow("C is colour") << QByteArray("CAM-1300-GC") << 1;
        QTest::newRow("empty name is colour") << QByteArray("") << 1;
    }
    void hikModelColour() {
        QFETCH(QByteArray, model);
        QFETCH(int, color);
        ProgramDir dir;
        auto s = spec(Vendor::Hikvision, "H1", 1280, 1024);
        s.model = model;
        simcam::Bus::instance().addCamera(s);
        CheckCameraID();
        QCOMPARE(gCameraID, 7);
        QCOMPARE(gSensorColor, color);
        QCOMPARE(gOW, 1280);
        QCOMPARE(gImageW, 1280);
        QCOMPARE(gImageH, 1024);
    }

    void usbCameraCount_data() {
        QTest::addColumn<QByteArray>("devices");
        QTest::addColumn<int>("count");
        QTest::newRow("no file") << QByteArray() << 0;
        QTest::newRow("lower case counts")
            << QByteArray("N: Name=\"usb camera\"\nN: Name=\"Keyboard\"\n") << 1;
        QTest::newRow("both words on a line count once") << QByteArray("N: Name=\"WebCam Camera\"\n") << 1;
        QTest::newRow("two lines") << QByteArray("N: Name=\"HD WEBCAM\"\nP: Phys=camera/input0\n") << 2;
    }
    void usbCameraCount() {
        QFETCH(QByteArray, devices);
        QFETCH(int, count);
        ProgramDir dir;
        if (!devices.isEmpty()) QVERIFY(dir.writeFile("sysroot/proc/bus/input/devices", devices));
        QCOMPARE(CheckUSBCameraNum(), count);
        QCOMPARE(dir.commands().value(0), QStringLiteral("cp -f /proc/bus/input/devices ."));
    }

    void v4l2Detected() {
        ProgramDir dir;
        QVERIFY(dir.writeFile("sysroot/proc/bus/input/devices", "N: Name=\"SIM UVC Camera (0000:0001)\"\n"));
        v4l2Config().inputFormat = "lavfi";
        v4l2Config().devicePattern = "testsrc2=size=320x240:rate=30";
        CheckCameraID();
        QCOMPARE(gCameraID, 9);
        QCOMPARE(gFindCamera, 1);
        QCOMPARE(gImageW, 960);
        QCOMPARE(gImageH, 540);
    }

    // The simulated profile's configuration file fills the bus and points the V4L2 back-end.
    void configurationFile() {
        ProgramDir dir;
        QVERIFY(dir.writeFile("sysroot/cameras.json", R"({
            "cameras": [
                {"vendor": "hikvision", "serial": "HK01", "model": "SIM-GC", "width": 320, "height": 240,
                 "color": true, "fps": 10},
                {"vendor": "hikvision", "serial": "HK02", "model": "SIM-GC", "width": 320, "height": 240}
            ],
            "v4l2": {"format": "lavfi", "device": "testsrc2=size=160x120", "options": {"framerate": "25"}}
        })"));
        CheckCameraID();
        QCOMPARE(gCameraID, 7);
        QCOMPARE(gFindCamera, 2);
        QCOMPARE(gImageW, 320);
        QCOMPARE(gSensorColor, 1);
        QCOMPARE(v4l2Config().inputFormat, QStringLiteral("lavfi"));
        QCOMPARE(v4l2Config().devicePattern, QStringLiteral("testsrc2=size=160x120"));
        QCOMPARE(v4l2Config().options.value(0).second, QStringLiteral("25"));

        resetCameraWorld();
        QVERIFY(dir.writeFile("sysroot/cameras.json", R"({"cameras": [{"vendor": "acme", "serial": "X"}]})"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("unknown camera vendor"));
        CheckCameraID();
        QCOMPARE(gCameraID, 0);
    }

    // A configured size no camera has is refused with a message, never allocated; the largest
    // allowed sizes still load.
    void absurdSizesAreRefused_data() {
        QTest::addColumn<QString>("size");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("200000 x 200000") << R"("width": 200000, "height": 200000)" << false;
        QTest::newRow("width over a side") << R"("width": 16385, "height": 10)" << false;
        QTest::newRow("too many pixels") << R"("width": 16384, "height": 8192)" << false;
        QTest::newRow("negative") << R"("width": -640, "height": 480)" << false;
        QTest::newRow("zero") << R"("width": 0, "height": 480)" << false;
        QTest::newRow("absurd preset")
            << R"("width": 640, "height": 480, "presets": [[99999, 99999]])" << false;
        QTest::newRow("largest allowed") << R"("width": 8192, "height": 8192)" << true;
    }
    void absurdSizesAreRefused() {
        QFETCH(QString, size);
        QFETCH(bool, loaded);
        QString error;
        const QByteArray json =
            QStringLiteral(R"({"cameras": [{"vendor": "mindvision", "serial": "BIG0000001", %1}]})")
                .arg(size)
                .toUtf8();
        QCOMPARE(simcam::Bus::instance().loadJson(json, &error), loaded);
        QCOMPARE(simcam::Bus::instance().cameraCount(), loaded ? 1 : 0);
        if (!loaded) {
            QVERIFY2(error.contains("BIG0000001") && error.contains("refused"), qPrintable(error));
            simcam::CameraSpec s = spec(Vendor::Galaxy, "BIG0000002", 200000, 200000);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("BIG0000002.*refused"));
            QCOMPARE(simcam::Bus::instance().addCamera(s), 0);
        }
    }

    void repairWait_data() {
        QTest::addColumn<int>("repaired");
        QTest::addColumn<QList<int>>("sleeps");
        QTest::newRow("one repaired") << 1 << QList<int>{6000};
        QTest::newRow("none") << 0 << QList<int>{};
        QTest::newRow("failure") << -1 << QList<int>{};
    }
    void repairWait() {
        QFETCH(int, repaired);
        QFETCH(QList<int>, sleeps);
        ProgramDir dir;
        repairResult = repaired;
        setGigeRepairHooks(&fakeRepair, nullptr);
        simcam::Bus::instance().addCamera(spec(Vendor::Galaxy, "G1"));
        CheckCameraID();
        QCOMPARE(recordedSleeps(), sleeps);
    }
};

QTEST_GUILESS_MAIN(TestCheckCamera)
#include "tst_checkcamera.moc"
