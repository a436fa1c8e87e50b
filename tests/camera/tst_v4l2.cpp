// The V4L2 back-end on real FFmpeg, pointed at the lavfi test source and at image files: filter text,
// frames through decoder and filter graph, centring of a smaller source, device-number fallback,
// filter failures and rebuilds while grabbing.
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <QImage>
#include <QMutex>
#include <QSet>

#include "app/wizardpara.h"
#include "camera/cameraslot.h"
#include "camera/checkcamera.h"
#include "camtestutil.h"
#include "platform/system/timing.h"
#include "programdir.h"

namespace {
QMutex logLock;
QStringList ffLog;
void captureLog(void*, int level, const char* fmt, va_list args) {
    if (level > AV_LOG_ERROR) return;
    char line[1024];
    vsnprintf(line, sizeof(line), fmt, args);
    QMutexLocker l(&logLock);
    ffLog.append(QString::fromUtf8(line));
}

// A grey rectangle of `value` on the whole w x h image, saved as BMP.
bool writeBmp(const QString& path, int w, int h, int value) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(QColor(value, value, value));
    return img.save(path, "BMP");
}

bool waitFrame(CameraSlot& s, std::vector<uchar>& buf) {
    buf.assign(static_cast<size_t>(gColorLen), 0);
    QElapsedTimer t;
    t.start();
    while (!s.TakeFrame(buf.data())) {
        if (t.elapsed() > 10000) return false;
        QTest::qWait(5);
    }
    return true;
}

void setUpV4L2(int found) {
    gCameraID = kCameraV4L2;
    gFindCamera = found;
    gImageW = 960;
    gImageH = 540;
    updateFrameLengths();
}
}  // namespace

class TestV4L2 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        avdevice_register_all();
        av_log_set_callback(captureLog);
    }
    void cleanupTestCase() { av_log_set_callback(av_log_default_callback); }
    void init() {
        resetCameraWorld();
        setTimeOverride("camera.grabStart", 1);
        setTimeOverride("camera.grabPoll", 1);
        QMutexLocker l(&logLock);
        ffLog.clear();
    }

    // The record's defaults give the camera's own picture; every value is kept within its filter's
    // range, so that no stored value can leave a view without a graph.
    void filterText_data() {
        QTest::addColumn<int>("contrast");
        QTest::addColumn<int>("gamma");
        QTest::addColumn<int>("sharp");
        QTest::addColumn<QString>("text");
        QTest::newRow("defaults: identity")
            << 100 << 100 << 0 << "eq=contrast=1.000000:gamma=1.000000,unsharp=5:5:0.000000";
        QTest::newRow("slider ends") << 200 << 250 << 100
                                     << "eq=contrast=2.000000:gamma=2.500000,unsharp=5:5:5.000000";
        QTest::newRow("slider starts")
            << 1 << 0 << 0 << "eq=contrast=0.010000:gamma=0.100000,unsharp=5:5:0.000000";
        QTest::newRow("stored beyond every range")
            << 999999 << 5000 << 1000 << "eq=contrast=1000.000000:gamma=10.000000,unsharp=5:5:5.000000";
        QTest::newRow("stored below every range")
            << -999999 << -5 << -100 << "eq=contrast=-1000.000000:gamma=0.100000,unsharp=5:5:-2.000000";
    }
    void filterText() {
        QFETCH(int, contrast);
        QFETCH(int, gamma);
        QFETCH(int, sharp);
        QFETCH(QString, text);
        CameraSlot s(0);
        s.SetFilterTexts(contrast, gamma, sharp);
        QCOMPARE(s.FilterDescription(), text);
    }

    // Frames through the graph: the defaults keep the camera's picture (not one flat grey), extreme
    // stored values still build a graph that delivers, and a contrast move changes the picture at once.
    void filteredPicture() {
        ProgramDir dir;
        setUpV4L2(1);
        v4l2Config().inputFormat = "lavfi";
        v4l2Config().devicePattern = "testsrc2=size=320x240:rate=30";
        CameraSlot s(0);
        s.AllocCameraBuffers();
        s.SetFilterTexts(100, 100, 0);
        s.CameraOpen();
        QVERIFY(s.isActive());
        QCOMPARE(s.CameraStart(), 1);
        std::vector<uchar> buf;
        auto spread = [&] {
            // Grey levels seen inside the 320 x 240 picture centred in 960 x 540.
            QSet<int> levels;
            for (int y = 150; y < 390; y += 3)
                for (int x = 320; x < 640; x += 3) levels.insert(buf[size_t(y) * 960 + x]);
            return levels.size();
        };
        QVERIFY(waitFrame(s, buf));
        const int identity = spread();
        QVERIFY2(identity > 40, qPrintable(QString::number(identity)));
        s.SetFilterTexts(999999, 5000, 1000);
        QVERIFY(s.RebuildFilters() >= 0);
        QVERIFY(waitFrame(s, buf));
        // A frame filtered before a rebuild may still be on its way: the third one is new.
        auto freshFrame = [&] { return waitFrame(s, buf) && waitFrame(s, buf) && waitFrame(s, buf); };
        s.SetFilterTexts(1, 100, 0);  // contrast 0.01: nearly one grey
        QVERIFY(s.RebuildFilters() >= 0);
        QVERIFY(freshFrame());
        QVERIFY2(spread() < identity / 4, qPrintable(QString::number(spread())));

        // Restore defaults: the record's identity values in the working copy, and the camera's own
        // picture again at once.
        WizardPara work;
        work.contrast[0] = 1;
        work.gamma[0] = 7;
        work.sharp[0] = 90;
        gpWParaBak = &work;
        s.RestoreDefaultSettings();
        gpWParaBak = nullptr;
        QCOMPARE((QList<int>{work.contrast[0], work.gamma[0], work.sharp[0]}), (QList<int>{100, 100, 0}));
        QCOMPARE(s.FilterDescription(),
                 QStringLiteral("eq=contrast=1.000000:gamma=1.000000,unsharp=5:5:0.000000"));
        QVERIFY(freshFrame());
        QVERIFY2(spread() > identity / 2, qPrintable(QString::number(spread())));
        s.CameraStop();
        s.CameraClose();
    }

    void lavfiFrames_data() {
        QTest::addColumn<int>("colour");
        QTest::newRow("grey") << 0;
        QTest::newRow("colour processing") << 1;
    }
    void lavfiFrames() {
        QFETCH(int, colour);
        ProgramDir dir;
        gisColor = colour;
        setUpV4L2(1);
        v4l2Config().inputFormat = "lavfi";
        v4l2Config().devicePattern = "testsrc2=size=320x240:rate=30";
        CameraSlot s(0);
        s.AllocCameraBuffers();
        s.SetFilterTexts(140, 40, 0);
        s.CameraOpen();
        QVERIFY(s.isActive());
        QCOMPARE(s.CameraStart(), 1);
        std::vector<uchar> buf;
        QVERIFY(waitFrame(s, buf));
        const int bpp = colour ? 4 : 1;
        auto px = [&](int x, int y) { return buf[(size_t(y) * 960 + x) * bpp]; };
        // 320 x 240 centred in 960 x 540: columns 320..639, rows 150..389.
        int inside = 0;
        for (int y = 150; y < 390; y += 7)
            for (int x = 320; x < 640; x += 7) inside += px(x, y) != 0;
        QVERIFY(inside > 100);
        QCOMPARE(int(px(319, 200)), 0);
        QCOMPARE(int(px(640, 200)), 0);
        QCOMPARE(int(px(400, 149)), 0);
        QCOMPARE(int(px(400, 390)), 0);
        if (colour) {
            for (int i = 0; i < 960 * 540; i += 997) QCOMPARE(int(buf[size_t(i) * 4 + 3]), 0);
        }
        s.CameraStop();
        s.CameraClose();
        QVERIFY(!s.isActive());
    }

    // A 640 x 480 image lands at (160, 30) of the black 960 x 540 frame, pixel-exact.
    void imageFileCentred() {
        ProgramDir dir;
        setUpV4L2(1);
        QVERIFY(writeBmp(dir.filePath("frame0.bmp"), 640, 480, 200));
        v4l2Config().inputFormat = "image2";
        v4l2Config().devicePattern = "frame%d.bmp";  // relative: the program directory
        v4l2Config().options = {{"loop", "1"}, {"framerate", "30"}};
        CameraSlot s(0);
        s.AllocCameraBuffers();
        s.CameraOpen();
        QVERIFY(s.isActive());
        QVERIFY(s.init_filters("null") >= 0);
        s.CameraStart();
        std::vector<uchar> buf;
        QVERIFY(waitFrame(s, buf));
        cv::Mat m(540, 960, CV_8UC1, buf.data());
        cv::Mat expected = cv::Mat::zeros(540, 960, CV_8UC1);
        expected(cv::Rect(160, 30, 640, 480)).setTo(200);
        cv::Mat diff;
        cv::absdiff(m, expected, diff);
        double maxDiff = 0;
        cv::minMaxLoc(diff, nullptr, &maxDiff);
        QVERIFY2(maxDiff <= 2, qPrintable(QString("max difference %1").arg(maxDiff)));
        s.CameraStop();
        s.CameraClose();
    }

    // Slot 1 with two cameras counted and no device 1: devices 2 .. 63 are tried, the first that opens
    // is used.
    void deviceNumberFallback() {
        ProgramDir dir;
        setUpV4L2(2);
        QVERIFY(writeBmp(dir.filePath("frame3.bmp"), 64, 48, 90));
        QVERIFY(writeBmp(dir.filePath("frame5.bmp"), 64, 48, 90));
        v4l2Config().inputFormat = "image2";
        v4l2Config().devicePattern = "frame%d.bmp";  // relative: the program directory
        v4l2Config().options = {{"loop", "1"}, {"framerate", "30"}};
        CameraSlot s(1);
        s.AllocCameraBuffers();
        s.CameraOpen();
        QVERIFY(s.isActive());
        QVERIFY(s.fmtCtx);
        QVERIFY(QString::fromUtf8(s.fmtCtx->url).endsWith("frame3.bmp"));
        s.CameraClose();

        QFile::remove(dir.filePath("frame3.bmp"));
        QFile::remove(dir.filePath("frame5.bmp"));
        s.CameraOpen();
        QVERIFY(!s.isActive());
        QVERIFY(!s.fmtCtx);
    }

    // A device that stops sending leaves the grab thread blocked in its read: the frame lock and the
    // graph lock stay free (the inspection loop takes frames, a slider rebuilds the graph), and the next
    // frame the device sends comes through.
    void blockedReadHoldsNoLock() {
        ProgramDir dir;
        setUpV4L2(1);
        gImageW = 64;
        gImageH = 48;
        updateFrameLengths();
        const QByteArray fifo = QFile::encodeName(dir.filePath("cam.fifo"));
        QCOMPARE(mkfifo(fifo.constData(), 0600), 0);
        const int writer = open(fifo.constData(), O_RDWR | O_NONBLOCK);  // never blocks on a FIFO
        QVERIFY(writer >= 0);
        fcntl(writer, F_SETPIPE_SZ, 1 << 20);
        const std::vector<char> frame(64 * 48, char(120));
        auto send = [&](int frames) {
            for (int i = 0; i < frames; ++i)
                if (write(writer, frame.data(), frame.size()) != ssize_t(frame.size())) return false;
            return true;
        };
        QVERIFY(send(60));  // enough for the stream probe and a few frames after it
        v4l2Config().inputFormat = "rawvideo";
        v4l2Config().devicePattern = "cam.fifo";
        v4l2Config().options = {{"video_size", "64x48"}, {"pixel_format", "gray"}, {"framerate", "30"}};
        CameraSlot s(0);
        s.AllocCameraBuffers();
        s.SetFilterTexts(100, 100, 0);
        s.CameraOpen();
        QVERIFY(s.isActive());
        QCOMPARE(s.CameraStart(), 1);
        std::vector<uchar> buf;
        QVERIFY(waitFrame(s, buf));
        // Drained: nothing more arrives, the thread waits in the read.
        for (int quiet = 0; quiet < 40;) {
            if (s.TakeFrame(buf.data()))
                quiet = 0;
            else
                ++quiet;
            QTest::qWait(5);
        }
        QVERIFY(pMutex[0]->tryLock(2000));
        pMutex[0]->unlock();
        QVERIFY(s.graphLock.tryLock(2000));
        s.graphLock.unlock();
        QVERIFY(s.RebuildFilters() >= 0);
        QVERIFY(send(1));
        QVERIFY(waitFrame(s, buf));
        QVERIFY(qAbs(int(buf[size_t(24) * 64 + 32]) - 120) <= 2);  // the camera's own grey
        close(writer);  // end of stream: the read returns and the view can close
        s.CameraStop();
        s.CameraClose();
        QVERIFY(!s.isActive());
    }

    // A description FFmpeg rejects leaves the view without a graph: no crash, no frames, an error in
    // FFmpeg's log; a good description brings the frames back.
    void badFilterThenGood() {
        ProgramDir dir;
        setUpV4L2(1);
        v4l2Config().inputFormat = "lavfi";
        v4l2Config().devicePattern = "testsrc2=size=160x120:rate=30";
        CameraSlot s(0);
        s.AllocCameraBuffers();
        s.CameraOpen();
        QVERIFY(s.isActive());
        QVERIFY(s.init_filters("nosuchfilter=3") < 0);
        QVERIFY(!s.filterGraph);
        {
            QMutexLocker l(&logLock);
            QVERIFY(!ffLog.isEmpty());
        }
        QVERIFY(s.init_filters("unsharp=5:5:7.5") < 0);  // amount out of range
        s.CameraStart();
        QTest::qWait(300);
        std::vector<uchar> buf(static_cast<size_t>(gColorLen));
        QVERIFY(!s.TakeFrame(buf.data()));
        QVERIFY(s.init_filters("eq=contrast=1.0") >= 0);
        QVERIFY(waitFrame(s, buf));
        s.CameraStop();
        s.CameraClose();
    }

    // Settings change the graph while frames flow; the grab thread never sees a half-built graph.
    void rebuildWhileGrabbing() {
        ProgramDir dir;
        setUpV4L2(1);
        v4l2Config().inputFormat = "lavfi";
        v4l2Config().devicePattern = "testsrc2=size=160x120:rate=60";
        CameraSlot s(0);
        s.AllocCameraBuffers();
        s.SetFilterTexts(100, 100, 0);
        s.CameraOpen();
        s.CameraStart();
        std::vector<uchar> buf;
        for (int i = 0; i < 20; ++i) {
            s.SetFilterTexts(100 + i, 50 + i, i);
            QVERIFY(s.RebuildFilters() >= 0);
            QTest::qWait(5);
        }
        QVERIFY(waitFrame(s, buf));
        s.CameraStop();
        s.CameraClose();
    }

    // The image file disappears while grabbing: reads fail, the thread keeps polling (and sleeping), and
    // stop and close still work.
    void sourceVanishes() {
        ProgramDir dir;
        setUpV4L2(1);
        QVERIFY(writeBmp(dir.filePath("frame0.bmp"), 64, 48, 120));
        v4l2Config().inputFormat = "image2";
        v4l2Config().devicePattern = "frame%d.bmp";  // relative: the program directory
        v4l2Config().options = {{"loop", "1"}, {"framerate", "30"}};
        CameraSlot s(0);
        s.AllocCameraBuffers();
        s.SetFilterTexts(140, 40, 0);
        s.CameraOpen();
        s.CameraStart();
        std::vector<uchar> buf;
        QVERIFY(waitFrame(s, buf));
        QFile::remove(dir.filePath("frame0.bmp"));
        QTRY_VERIFY_WITH_TIMEOUT(
            [] {
                QMutexLocker l(&logLock);
                return ffLog.join("").contains("frame0.bmp");
            }(),
            5000);
        s.CameraStop();
        s.CameraClose();
        QVERIFY(!s.isActive());
    }

    void detectionNeedsVideoStream_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("id");
        QTest::newRow("video source") << "testsrc2=size=160x120:rate=30" << 9;
        QTest::newRow("audio only") << "anullsrc" << 0;
        QTest::newRow("bad graph") << "nosuchsource" << 0;
    }
    void detectionNeedsVideoStream() {
        QFETCH(QString, device);
        QFETCH(int, id);
        ProgramDir dir;
        QVERIFY(dir.writeFile("sysroot/proc/bus/input/devices", "N: Name=\"SIM USB CAMERA\"\n"));
        v4l2Config().inputFormat = "lavfi";
        v4l2Config().devicePattern = device;
        CheckCameraID();
        QCOMPARE(gCameraID, id);
        QCOMPARE(gFindCamera, id ? 1 : 4);
    }
};

QTEST_MAIN(TestV4L2)
#include "tst_v4l2.moc"
