// The camera view's NG and OK pictures, the stamp of the alarm clearing, the master template renewal,
// and the operation records, date check and counters as the main window wires them.
#include <QDir>
#include <cstring>
#include <QSqlQuery>
#include <QtTest>

#include "monitorworld.h"
#include "detect/detecthooks.h"
#include "netbridge/cnt_net.h"
#include "records/counters.h"
#include "records/savefialimagethread.h"
#include "platform/system/sysclock.h"

namespace {
constexpr int kW = 320, kH = 240;

bool isRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool isReddish(QRgb c) {
    return qRed(c) > 100 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool isGreen(QRgb c) {
    return qGreen(c) > 200 && qRed(c) < 60 && qBlue(c) < 60;
}
int count(const QImage& img, const QRect& area, bool (*pred)(QRgb)) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += pred(img.pixel(x, y));
    return n;
}

// A window with one simulated camera of 320 x 240 pixels (room for the marks and labels).
MainWindow* buildLarge(MonitorWorld& world, bool colour = false) {
    simcam::CameraSpec s;
    s.vendor = simcam::Vendor::Hikvision;
    s.serial = "SIMCAM0001";
    s.width = kW;
    s.height = kH;
    s.color = colour;
    s.fps = 50;
    s.gige = false;
    simcam::Bus::instance().addCamera(s);
    world.p().enable_color_camera = colour ? 1 : 0;
    world.derive();
    return world.build();
}

void rectRegion(CammerSingleton& s, int step, int r, const QRect& img) {
    s.shape[step][r] = kShapeRect;
    s.rect[step][r].imgRect = img;
    s.func[step][r] = 4;
    s.area[step][r] = 25;
}
}  // namespace

class TestNgViews : public QObject {
    Q_OBJECT
private slots:
    void failPictureOfAView();
    void failPictureOfAPositionedFrame();
    void clearingStampThroughTheView();
    void retrainWritesTheMaster_data();
    void retrainWritesTheMaster();
    void alarmBlinkStopsWhenOk();
    void recordsDateCheckAndCounters();
    void bridgeHooksAtStartUp();
    void damagedRecordDatabaseIsReplacedWithoutReboot_data();
    void damagedRecordDatabaseIsReplacedWithoutReboot();
};

void TestNgViews::failPictureOfAView() {
    MonitorWorld world(0);
    MainWindow* w = buildLarge(world);
    CammerWidget* v = w->cams[0];
    QCOMPARE(v->cameraIndex(), 0);
    QCOMPARE(w->views[1]->cameraIndex(), -1);
    const int step = 1;
    CammerSingleton& s = *v->data.savedStore;
    s.count[step] = 4;
    rectRegion(s, step, 0, QRect(20, 150, 60, 40));   // NG, with an alarm box
    rectRegion(s, step, 1, QRect(100, 150, 40, 40));  // OK
    rectRegion(s, step, 2, QRect(160, 150, 40, 40));  // NG: must not become the first NG
    // A ring of image radius 20 around (260, 120), drawn from its screen geometry.
    Circle& ring = s.circle[step][3];
    s.shape[step][3] = kShapeRing;
    ring.cx = int(260 * gShowAW);
    ring.cy = int(120 * gShowAH);
    ring.r = int(20 * gShowAW);
    ring.rIn = 0;
    ring.rect = QRect(QPoint(ring.cx - ring.r, ring.cy - ring.r), QPoint(ring.cx + ring.r, ring.cy + ring.r));
    ring.imgRect = QRect(240, 100, 40, 40);
    v->data.roiOk[step][0] = 0;
    v->data.roiOk[step][1] = 1;
    v->data.roiOk[step][2] = 0;
    v->data.roiOk[step][3] = 0;
    v->data.roiBoxes[step][0].count = 1;
    const int32_t box[4] = {30, 160, 50, 175};
    std::copy(box, box + 4, v->data.roiBoxes[step][0].box[0]);
    std::fill(v->data.alignedBuffer.begin(), v->data.alignedBuffer.end(), uchar(40));

    v->SaveFailImage(step, 1);  // an OK picture of a step whose regions failed
    QCOMPARE(gFailIndex[0 * kMaxStep + step], 1);
    const QImage out = failImageCopy(0, step, 1);
    QCOMPARE(out.size(), QSize(kW, kH));
    QCOMPARE(out.format(), QImage::Format_RGB32);
    QVERIFY(count(out, QRect(0, 50, 50, 32), isGreen) > 20);  // "OK" whatever failed
    QCOMPARE(count(out, QRect(0, 50, 50, 32), isRed), 0);
    QVERIFY(isRed(out.pixel(20, 170)));     // region 1 outline at its image coordinates
    QVERIFY(isGreen(out.pixel(100, 170)));  // region 2 OK
    QVERIFY(isRed(out.pixel(30, 168)));     // alarm box: left edge
    QVERIFY(isRed(out.pixel(49, 168)));     // right edge at right - 1
    QVERIFY(!isRed(out.pixel(50, 168)));
    // The ring's right edge in image pixels; its pen, scaled down with the ring, blends with the frame.
    QVERIFY(count(out, QRect(277, 117, 6, 6), isReddish) > 0);
    QVERIFY(count(out, QRect(20, 124, 200, 24), isRed) > 0);  // a label above region 1
    QCOMPARE(qRed(out.pixel(300, 230)), 40);                  // the frame itself
    {
        QMutexLocker lock(pMutexSaveFail);
        QCOMPARE(int(gisSaveFail[failSlot(0, step, 1)]), 0);  // handing over is the decision's
    }
    // The NG picture of the safety-door re-check carries its title; the first NG stays region 1.
    w->safeDoorTrigger = 1;
    v->SaveFailImage(step, 0);
    const QImage ng = failImageCopy(0, step, 0);
    QVERIFY(count(ng, QRect(0, 50, 50, 32), isRed) > 20);
    QVERIFY(count(ng, QRect(0, 86, 230, 28), isRed) > 20);
    QCOMPARE(count(out, QRect(0, 86, 230, 28), isRed), 0);
    QCOMPARE(gFailIndex[0 * kMaxStep + step], 1);
}

// Positioning aligns only the region boxes; the picture shows the whole aligned frame, made from the
// frame that was judged even when a newer one has been taken since.
void TestNgViews::failPictureOfAPositionedFrame() {
    MonitorWorld world(0);
    MainWindow* w = buildLarge(world);
    CammerWidget* v = w->cams[0];
    const int step = 0;
    v->data.savedStore->count[step] = 0;
    cv::Mat judged(kH, kW, CV_8UC1, cv::Scalar(40));
    judged(cv::Rect(200, 0, 5, kH)).setTo(200);  // a bright stripe
    sizeZeroed(v->data.judgedBuffer, size_t(kW * kH));
    std::memcpy(v->data.judgedBuffer.data(), judged.data, size_t(kW * kH));
    std::fill(v->data.rawBuffer.begin(), v->data.rawBuffer.end(), uchar(90));         // a newer frame
    std::fill(v->data.alignedBuffer.begin(), v->data.alignedBuffer.end(), uchar(7));  // boxes only
    v->data.alignment = {true, step, false, cv::Point(60, 0), cv::Point(160, 120), 0.0};
    v->SaveFailImage(step, 0);
    QVERIFY(!v->data.alignment.pending);
    const QImage ng = failImageCopy(0, step, 0);
    QCOMPARE(qRed(ng.pixel(262, 230)), 200);  // the stripe, moved by 60
    QCOMPARE(qRed(ng.pixel(300, 230)), 40);
    QCOMPARE(qRed(ng.pixel(30, 230)), 0);  // moved in from outside the frame
}

void TestNgViews::clearingStampThroughTheView() {
    MonitorWorld world(0);
    MainWindow* w = buildLarge(world);
    CammerWidget* v = w->cams[0];
    const struct {
        int state, next;
        bool stamped;
    } rows[] = {{4, 9, true},  {5, 9, true},  {6, 9, true}, {7, 8, true},
                {8, 10, true}, {3, 3, false}, {9, 9, false}};
    QImage black(kW, kH, QImage::Format_RGB32);
    black.fill(Qt::black);
    for (const auto& row : rows) {
        QVERIFY(storeFailImage(0, 1, 0, black));
        w->ImageState[0][1] = row.state;
        v->UpdateFailImage(1, 0);
        QCOMPARE(w->ImageState[0][1], row.next);
        QCOMPARE(count(failImageCopy(0, 1, 0), QRect(55, 50, 250, 32), isRed) > 20, row.stamped);
        QCOMPARE(w->ImageState[0][0], 0);  // other steps untouched
    }
    // 7 moves to 8 and a second call stamps "OK Image Re-detect" on the OK picture, then 10.
    QVERIFY(storeFailImage(0, 1, 1, black));
    w->ImageState[0][1] = 8;
    v->UpdateFailImage(1, 1);
    QCOMPARE(w->ImageState[0][1], 10);
    QVERIFY(count(failImageCopy(0, 1, 1), QRect(55, 50, 250, 32), isRed) > 20);
}

void TestNgViews::retrainWritesTheMaster_data() {
    QTest::addColumn<bool>("colour");
    QTest::newRow("grey") << false;
    QTest::newRow("colour") << true;
}

void TestNgViews::retrainWritesTheMaster() {
    QFETCH(bool, colour);
    MonitorWorld world(0);
    MainWindow* w = buildLarge(world, colour);
    QCOMPARE(bool(gisColor), colour);
    CammerWidget* v = w->cams[0];
    for (size_t i = 0; i < v->data.rawBuffer.size(); ++i) v->data.rawBuffer[i] = uchar((i * 7) % 251);
    if (colour)
        for (size_t i = 3; i < v->data.rawBuffer.size(); i += 4) v->data.rawBuffer[i] = 255;
    const PictureBuffer frame = v->data.rawBuffer;

    v->SaveReTrainImage(0);
    QVERIFY(v->data.alignedBuffer == frame);
    QVERIFY(v->displayBuffer == frame);
    const cv::Mat& master = v->data.templates[0][0];
    QVERIFY(std::equal(frame.begin(), frame.end(), master.data));
    const QString file = QStringLiteral("cammer11/template0.bmp");
    QImage written(file);
    QCOMPARE(written.size(), QSize(kW, kH));
    if (colour) {
        QCOMPARE(written.depth(), 32);
    } else {
        QCOMPARE(written.format(), QImage::Format_Indexed8);
        QCOMPARE(written.colorCount(), 256);
        for (int i = 0; i < 256; ++i) QCOMPARE(written.color(i), qRgb(i, i, i));
    }
    // The file is what the view loads as its master at the next start.
    cv::Mat loaded;
    QVERIFY(loadTemplateImage(file, loaded));
    const size_t bytes = frame.size();
    QVERIFY(loaded.isContinuous());
    if (colour) {
        // The padding byte is not kept by the bitmap; compare the colour channels.
        for (size_t i = 0; i < bytes; ++i)
            if (i % 4 != 3) QCOMPARE(loaded.data[i], frame[i]);
    } else {
        QVERIFY(std::equal(frame.begin(), frame.end(), loaded.data));
    }

    // A folder that cannot take the file: the master is replaced in memory, nothing is written.
    QVERIFY(QDir(QStringLiteral("cammer12")).removeRecursively());
    QVERIFY(world.dir.writeFile("cammer12", "not a folder"));
    std::fill(v->data.rawBuffer.begin(), v->data.rawBuffer.end(), uchar(9));
    v->SaveReTrainImage(1);
    QCOMPARE(v->data.templates[1][0].data[0], uchar(9));
    QVERIFY(!QFile::exists(QStringLiteral("cammer12/template0.bmp")));
}

void TestNgViews::alarmBlinkStopsWhenOk() {
    MonitorWorld world(1);
    world.derive();
    MainWindow* w = world.build();
    CammerWidget* v = w->cams[0];
    v->data.allOk = false;
    v->blinkTimer->start(1000);
    v->TimerShowAlarm();
    QCOMPARE(v->blinkPhase, 1);
    v->TimerShowAlarm();
    QCOMPARE(v->blinkPhase, 0);
    v->TimerShowAlarm();
    QVERIFY(v->blinkTimer->isActive());
    v->data.allOk = true;
    v->TimerShowAlarm();
    QCOMPARE(v->blinkPhase, 0);
    QVERIFY(!v->blinkTimer->isActive());
}

void TestNgViews::recordsDateCheckAndCounters() {
    MonitorWorld world(1);
    SysClock::setFixed(QDateTime(QDate(2026, 12, 9), QTime(23, 59, 30)));
    QVERIFY(world.dir.writeFile("count.txt", "12 3 7 1 "));
    world.derive();
    MainWindow* w = world.build();
    QCOMPARE(gAllNum[0], 12);
    QCOMPARE(gFailNum[0], 3);
    QCOMPARE(gAllNum[1], 7);
    QCOMPARE(gFailNum[2], 0);

    const QString text = QStringLiteral("it's 100% done'); DROP TABLE RECORD; --");
    w->AccessLevel = 2;
    w->InsertRecord(text);
    {
        QSqlQuery q(QSqlDatabase::database(RecordDb::kConnection));
        q.prepare(QStringLiteral("select recordtime, recordpassword from RECORD where remarks = ?"));
        q.addBindValue(text);
        QVERIFY(q.exec() && q.next());
        QCOMPARE(q.value(0).toString(), QString("23.59.30"));
        QCOMPARE(q.value(1).toString(), lanText(154));
    }

    // Past midnight the date check files the day under the date it covered.
    SysClock::setFixed(QDateTime(QDate(2026, 12, 10), QTime(0, 0, 40)));
    w->SlotCheckDate();
    QVERIFY(QFile::exists(QStringLiteral("RECORD/2026-12-09.db")));
    QCOMPARE(world.dir.readFile("time.txt"), QByteArray("2026-12-10"));
    QVERIFY(!world.records().contains(text));
    w->InsertRecord(QStringLiteral("next day"));
    QCOMPARE(world.records(), QStringList{"next day"});
    QVERIFY(!world.dir.commands().join('\n').contains("reboot"));
}

void TestNgViews::bridgeHooksAtStartUp() {
    MonitorWorld world(1);
    {
        QSqlQuery q(ParameterManager::getInstance()->paramDb);
        QVERIFY(q.exec(QStringLiteral("update sysparam set value='1 0 0' where name='CntNet'")));
    }
    world.p().cnt_net_on = 1;
    CNT_Net::setListenPort(0);  // any free port
    gpNet = new CNT_Net;
    QVERIFY(gpNet->isStarted());
    world.derive();
    MainWindow* w = world.build();
    // Records go to the bridge (no client needed) as well as into RECORD.db.
    w->InsertRecord(QStringLiteral("to the bridge"));
    QVERIFY(world.records().contains(QStringLiteral("to the bridge")));
    const QList<QByteArray> sent = gpNet->pendingMessages();
    QVERIFY(std::any_of(sent.begin(), sent.end(), [](const QByteArray& m) {
        return m.startsWith("1:") && m.endsWith("description=to the bridge");
    }));
    // Region results of the recogniser are gathered for the decision.
    g_listParamROI.clear();
    emitRoiRecord(RoiRecord{0, 1, 2, 6, 55, 0, -1, 1});
    QCOMPARE(g_listParamROI.size(), 1);
    QCOMPARE(g_listParamROI.first().roi, 2);
    QCOMPARE(g_listParamROI.first().max, -1);
    g_listParamROI.clear();
    // Signal names that came from the defaults are filled once the namer is installed.
    QCOMPARE(gaName[0], lanText(301));
    QCOMPARE(gaName[6], lanText(307));
    delete gpNet;
    gpNet = nullptr;
}

void TestNgViews::damagedRecordDatabaseIsReplacedWithoutReboot_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("templateOk");
    QTest::newRow("not a database") << QByteArray("garbage, not SQLite at all") << true;
    QTest::newRow("no database, no template") << QByteArray() << false;
}

void TestNgViews::damagedRecordDatabaseIsReplacedWithoutReboot() {
    QFETCH(QByteArray, content);
    QFETCH(bool, templateOk);
    MonitorWorld world(1, false);
    if (!content.isNull()) QVERIFY(world.dir.writeFile("RECORD.db", content));
    if (!templateOk) QVERIFY(QFile::remove("RECORDNULL.db"));
    world.derive();
    world.build();
    QCOMPARE(world.prompter.warnings, QStringList{lanText(135)});
    QVERIFY(world.records().contains(lanText(150).arg(1)));
    QVERIFY(!world.dir.commands().join('\n').contains("reboot"));
    const QStringList aside = QDir().entryList({QStringLiteral("RECORD.db.bad-*")}, QDir::Files);
    QCOMPARE(aside.size(), content.isNull() ? 0 : 1);
    if (!aside.isEmpty()) QCOMPARE(world.dir.readFile(aside.first()), content);
}

QTEST_MAIN(TestNgViews)
#include "tst_ngviews.moc"
