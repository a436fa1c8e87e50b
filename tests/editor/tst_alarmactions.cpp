// The alarm page's actions below the screen: the ignore-point fill, the ignore mask file, the re-check's
// output rule, skipping the mould and the region value limit of ignoring.
#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QtTest>

#include "app/savereport.h"
#include "editor/alarmactions.h"
#include "editor/drawroiwidget.h"
#include "netbridge/cnt_net.h"
#include "tests/inspection/cyclesetup.h"

namespace {
RoiBoxes boxesOf(std::initializer_list<QRect> rects) {
    RoiBoxes b;
    for (const QRect& r : rects) {
        int32_t* x = b.box[b.count++];
        x[0] = r.left();
        x[1] = r.top();
        x[2] = r.right() + 1;  // stored exclusive, as the recogniser stores them
        x[3] = r.bottom() + 1;
    }
    return b;
}

// A main window of one camera in the alarm state on the cavity step, its camera shown alone, with the
// region editor installed.
struct AlarmWorld {
    MonitorWorld world;
    MainWindow* w = nullptr;
    DrawROIWidget* editor = nullptr;
    CammerWidget* v = nullptr;
    explicit AlarmWorld(int cameras = 1, int width = 64, int height = 48)
        : world(cameras, true, width, height) {
        quietParams(world.p());
        world.p().is_psw_used = 0;
        world.derive();
        w = world.build();
        editor = installDrawROIWidget(w);
        v = w->cams[0];
    }
    ~AlarmWorld() {
        w->setRoiEditor(nullptr);
        delete editor;
    }
    // Two failed regions of step 1 with the given measured values; each has a 10 x 10 alarm box with
    // 12 alarm pixels in it.
    void twoFailedRegions(int value0, int value1) {
        for (int r = 0; r < 2; ++r) addRegion(v, 1, true);
        CammerViewData& d = v->data;
        d.alarmImage = cv::Mat::zeros(gImageH, gImageW, CV_8UC1);
        const int values[2] = {value0, value1};
        for (int r = 0; r < 2; ++r) {
            const QRect box(2 + 20 * r, 2, 10, 10);
            d.roiBoxes[1][r] = boxesOf({box});
            d.roiOk[1][r] = 0;
            d.roiValue[1][r] = values[r];
            for (int i = 0; i < 12; ++i) d.alarmImage.at<uchar>(box.top() + i % 10, box.left() + i / 2) = 200;
        }
        d.alarmImage.at<uchar>(30, 5) = 200;  // outside every box: never ignored
        d.allOk = false;
        w->DisplayState = 2;
        w->DetectStep = 1;
        w->displayedCamera = 0;
    }
    int ignored(int step) const { return cv::countNonZero(v->data.ignoreImages[step]); }
};
}  // namespace

class TestAlarmActions : public QObject {
    Q_OBJECT
private slots:
    void ignoreFill_data();
    void ignoreFill();
    void ignoreRefusesLargeRegionsOnly();
    void maskFileRoundTrip_data();
    void maskFileRoundTrip();
    void maskWriteFailureIsReported();
    void ignoredMaskGoesToNetworkClient();
    void recheckOutputRule_data();
    void recheckOutputRule();
    void skipGuards_data();
    void skipGuards();
    void ignoreAfterSliderMoves_data();
    void ignoreAfterSliderMoves();
    void oneRecheckWhileAsking();
    void answerAfterAlarmEnded_data();
    void answerAfterAlarmEnded();
};

void TestAlarmActions::ignoreFill_data() {
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QVector<QRect>>("alarmed");  // alarm-map pixels set
    QTest::addColumn<int>("count");               // box count given
    QTest::addColumn<QVector<QRect>>("boxes");    // boxes as (x1, y1, x2 + 1, y2 + 1), raw
    QTest::addColumn<int>("added");
    // 12 alarm pixels in a 10 x 10 box and 5 more outside it.
    QTest::newRow("only alarm pixels inside the box")
        << QSize(40, 30) << QVector<QRect>{QRect(5, 5, 4, 3), QRect(20, 5, 5, 1)} << 1
        << QVector<QRect>{QRect(QPoint(2, 2), QPoint(12, 12))} << 12;
    // Right and bottom are exclusive: a box (0, 0, 3, 3) holds 9 pixels, not 16.
    QTest::newRow("right and bottom exclusive") << QSize(40, 30) << QVector<QRect>{QRect(0, 0, 10, 10)} << 1
                                                << QVector<QRect>{QRect(QPoint(0, 0), QPoint(3, 3))} << 9;
    // A defect at the last column and row of an image 30 wide: the box ends at the image edge.
    QTest::newRow("box at the bottom right edge")
        << QSize(30, 20) << QVector<QRect>{QRect(0, 0, 30, 20)} << 1
        << QVector<QRect>{QRect(QPoint(25, 15), QPoint(30, 20))} << 25;
    QTest::newRow("box past the image is clamped")
        << QSize(30, 20) << QVector<QRect>{QRect(0, 0, 30, 20)} << 2
        << QVector<QRect>{QRect(QPoint(27, 17), QPoint(40, 31)), QRect(QPoint(-5, -5), QPoint(2, 1))}
        << 9 + 2;
    QTest::newRow("empty and inverted boxes")
        << QSize(30, 20) << QVector<QRect>{QRect(0, 0, 30, 20)} << 2
        << QVector<QRect>{QRect(QPoint(5, 5), QPoint(5, 9)), QRect(QPoint(9, 9), QPoint(4, 4))} << 0;
    // A count beyond the 99 boxes held reads 99 boxes only.
    QVector<QRect> many;
    for (int i = 0; i < kMaxRoiBoxes; ++i) many << QRect(QPoint(i, 0), QPoint(i + 1, 1));
    QTest::newRow("box count capped at 99")
        << QSize(120, 4) << QVector<QRect>{QRect(0, 0, 120, 4)} << 150 << many << kMaxRoiBoxes;
}

void TestAlarmActions::ignoreFill() {
    QFETCH(QSize, image);
    QFETCH(QVector<QRect>, alarmed);
    QFETCH(int, count);
    QFETCH(QVector<QRect>, boxes);
    QFETCH(int, added);
    // The pictures lie inside larger buffers whose border must stay untouched.
    const int pad = 8;
    cv::Mat alarmBuf = cv::Mat::zeros(image.height() + 2 * pad, image.width() + 2 * pad, CV_8UC1);
    cv::Mat ignoreBuf = cv::Mat::zeros(alarmBuf.size(), CV_8UC1);
    alarmBuf.setTo(77);
    const cv::Rect inner(pad, pad, image.width(), image.height());
    cv::Mat alarm = alarmBuf(inner);
    cv::Mat ignore = ignoreBuf(inner);
    alarm.setTo(0);
    for (const QRect& r : alarmed) alarm(cv::Rect(r.x(), r.y(), r.width(), r.height())).setTo(200);
    RoiBoxes b;
    for (int i = 0; i < boxes.size(); ++i) {
        b.box[i][0] = boxes[i].left();
        b.box[i][1] = boxes[i].top();
        b.box[i][2] = boxes[i].right();  // QRect(QPoint, QPoint): right() is the second point
        b.box[i][3] = boxes[i].bottom();
    }
    b.count = count;
    QCOMPARE(ignoreBoxedAlarmPixels(b, alarm, ignore), added);
    QCOMPARE(cv::countNonZero(ignore), added);
    QCOMPARE(cv::countNonZero(ignoreBuf), added);  // nothing written outside the picture
    cv::Mat both;
    cv::bitwise_and(ignore, alarm, both);
    QCOMPARE(cv::countNonZero(both), added);                // only alarm pixels
    QCOMPARE(ignoreBoxedAlarmPixels(b, alarm, ignore), 0);  // a second time adds nothing
}

// Region 0 measures 2001: refused with the limit named; region 1 (2000) is still ignored.
void TestAlarmActions::ignoreRefusesLargeRegionsOnly() {
    AlarmWorld a;
    a.twoFailedRegions(2001, 2000);
    a.world.prompter.queueAnswer(true);
    a.editor->SlotIgnoreAlarmPoint();
    QCOMPARE(a.world.prompter.questions, QStringList{lanText(113)});
    QCOMPARE(a.world.prompter.warnings, QStringList{lanText(115).arg(2000)});
    QCOMPARE(a.ignored(1), 12);
    QCOMPARE(cv::countNonZero(a.v->data.ignoreImages[1](cv::Rect(22, 2, 10, 10))), 12);
    QVERIFY(a.world.records().contains(lanText(114).arg(1)));
    // The detection mask of the next evaluation leaves them out.
    QCOMPARE(cv::countNonZero(a.v->recong->detMask[1](cv::Rect(22, 2, 10, 10))), 100 - 12);

    // Deleting the ignored points: asked, recorded, cleared, written.
    a.world.prompter.queueAnswer(true);
    a.editor->SlotDeleteIgnorePoint();
    QCOMPARE(a.world.prompter.questions.last(), lanText(116));
    QCOMPARE(a.ignored(1), 0);
    QVERIFY(a.world.records().contains(lanText(117).arg(1)));
    cv::Mat back;
    QVERIFY(loadIgnoreMask(QStringLiteral("cammer12/ignorepoint.bmp"), back));
    QCOMPARE(cv::countNonZero(back), 0);

    // On a camera that is OK, or with all cameras shown: the operator is sent to the alarm camera.
    a.w->displayedCamera = numCamera + 1;
    a.editor->SlotIgnoreAlarmPoint();
    a.editor->SlotDeleteIgnorePoint();
    QCOMPARE(a.world.prompter.warnings.mid(1), (QStringList{lanText(107), lanText(107)}));
}

void TestAlarmActions::maskFileRoundTrip_data() {
    QTest::addColumn<int>("width");
    QTest::newRow("width a multiple of 4") << 64;
    QTest::newRow("width not a multiple of 4") << 62;
}

// The mask is read back at the next start when the picture size is unchanged, pixel for pixel, as an
// 8-bit grey picture; with another size it starts empty.
void TestAlarmActions::maskFileRoundTrip() {
    QFETCH(int, width);
    AlarmWorld a(1, width, 47);
    cv::Mat& mask = a.v->data.ignoreImages[1];
    for (int i = 0; i < 40; ++i) mask.at<uchar>(i % 47, (i * 7) % width) = 255;
    mask.at<uchar>(46, width - 1) = 255;  // the last pixel of the last row
    const cv::Mat written = mask.clone();
    QVERIFY(a.v->SaveIgnorePoint(1));
    QImage file(QStringLiteral("cammer12/ignorepoint.bmp"));
    QCOMPARE(file.format(), QImage::Format_Indexed8);
    QCOMPARE(file.colorTable().value(200), qRgb(200, 200, 200));
    mask.setTo(0);
    a.v->LoadIgnorePoint();
    QCOMPARE(cv::countNonZero(a.v->data.ignoreImages[1] != written), 0);

    QImage other(width + 4, 47, QImage::Format_Grayscale8);
    other.fill(255);
    QVERIFY(other.save(QStringLiteral("cammer12/ignorepoint.bmp")));
    a.v->LoadIgnorePoint();
    QCOMPARE(cv::countNonZero(a.v->data.ignoreImages[1]), 0);
}

// A mask that cannot be written (a folder where the file should be) is reported to the operator with
// one box and one record; the mask in use keeps its old points, as the file does, and no success is
// recorded.
void TestAlarmActions::maskWriteFailureIsReported() {
    resetSaveReports();
    AlarmWorld a;
    a.twoFailedRegions(10, 10);
    a.v->data.ignoreImages[1].at<uchar>(40, 40) = 255;
    QVERIFY(QDir().mkpath(QStringLiteral("cammer12/ignorepoint.bmp")));
    const int records = a.world.records().size();
    a.world.prompter.queueAnswer(true);
    a.editor->SlotIgnoreAlarmPoint();
    QCOMPARE(a.ignored(1), 1);
    QVERIFY(saveFailing(SavedFile::Templates));
    QTRY_COMPARE(a.world.prompter.warnings.filter(QStringLiteral("ignorepoint.bmp")).size(), 1);
    QCOMPARE(a.world.prompter.warnings.size(), 1);
    QCOMPARE(a.world.records().mid(records), a.world.prompter.warnings);

    a.world.prompter.queueAnswer(true);
    a.editor->SlotDeleteIgnorePoint();
    QCOMPARE(a.ignored(1), 1);
    QTRY_COMPARE(a.world.prompter.warnings.size(), 2);
    QVERIFY(!a.world.records().contains(lanText(117).arg(1)));
    resetSaveReports();
}

// With the bridge on and the client connected, each written mask is named to the client (kind 6).
void TestAlarmActions::ignoredMaskGoesToNetworkClient() {
    AlarmWorld a;
    {
        QSqlQuery q(ParameterManager::getInstance()->paramDb);
        QVERIFY(q.exec(QStringLiteral("update sysparam set value='1 0 0' where name='CntNet'")));
    }
    a.world.p().cnt_net_on = 1;
    CNT_Net::setListenPort(0);
    CNT_Net net;
    gpNet = &net;
    struct Unset {
        ~Unset() { gpNet = nullptr; }
    } unset;
    QVERIFY(net.isStarted());
    QTcpSocket client;
    client.connectToHost(QStringLiteral("127.0.0.1"), net.serverPort());
    QVERIFY(client.waitForConnected(5000));
    QTRY_VERIFY(net.isConnected());
    a.twoFailedRegions(10, 10);
    a.world.prompter.queueAnswer(true);
    a.editor->SlotIgnoreAlarmPoint();
    // Every message waits for its acknowledgement; the client acknowledges each.
    QByteArray seen;
    const QByteArray want = CNT_Net::frameMessage(
        6, QFileInfo(QStringLiteral("cammer12/ignorepoint.bmp")).absoluteFilePath().toUtf8());
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            if (client.bytesAvailable() > 0) {
                seen += client.readAll();
                client.write("/back/\r\n\r\n");
                client.flush();
            }
            return seen.contains(want);
        }(),
        15000);
}

void TestAlarmActions::recheckOutputRule_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("steps");  // multi-detection step count
    QTest::addColumn<int>("step");   // the step of the alarm
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("out0");  // clamping cut after the rule (both start off; procedure 5: on)
    QTest::addColumn<int>("out1");  // ejector cut
    QTest::newRow("procedure 5: clamping cut off only")
        << int(kDetectStandardNoRecheck) << 2 << 1 << "" << 0 << 1;
    QTest::newRow("procedure 5, product step too") << int(kDetectStandardNoRecheck) << 2 << 0 << "" << 0 << 1;
    QTest::newRow("standard, mould step: clamping cut") << int(kDetectStandard) << 2 << 1 << "" << 1 << 0;
    QTest::newRow("mould step, cut clamp on mould alarm")
        << int(kDetectStandard) << 2 << 1 << "cutClamp" << 0 << 0;
    QTest::newRow("mould step, cavity NG pulse") << int(kDetectStandard) << 2 << 1 << "cavityPulse" << 0 << 0;
    QTest::newRow("mould step, ejector options do not matter")
        << int(kDetectStandard) << 2 << 1 << "noEjector" << 1 << 0;
    QTest::newRow("standard, product step: ejector cut") << int(kDetectStandard) << 2 << 0 << "" << 0 << 1;
    QTest::newRow("product step, no ejector control")
        << int(kDetectStandard) << 2 << 0 << "noEjector" << 0 << 0;
    QTest::newRow("product step, ejector pulse on NG")
        << int(kDetectStandard) << 2 << 0 << "ejectorPulse" << 0 << 0;
    QTest::newRow("product step, cut ejector on product alarm")
        << int(kDetectStandard) << 2 << 0 << "cutEjector" << 0 << 0;
    QTest::newRow("product step, clamp options do not matter")
        << int(kDetectStandard) << 2 << 0 << "cutClamp" << 0 << 1;
    QTest::newRow("two-colour, step 3 is the last position")
        << int(kDetectTwoColour) << 2 << 3 << "" << 1 << 0;
    QTest::newRow("two-colour, step 2 is position 0") << int(kDetectTwoColour) << 2 << 2 << "" << 0 << 1;
    QTest::newRow("multi-detection, last of 3 steps") << int(kDetectMulti) << 3 << 2 << "" << 1 << 0;
    QTest::newRow("multi-detection, middle step: nothing") << int(kDetectMulti) << 3 << 1 << "" << 0 << 0;
    QTest::newRow("multi-detection, first step") << int(kDetectMulti) << 3 << 0 << "" << 0 << 1;
}

// The outputs the re-check sets before the cameras run again, flushed to the board in every case.
void TestAlarmActions::recheckOutputRule() {
    QFETCH(int, mode);
    QFETCH(int, steps);
    QFETCH(int, step);
    QFETCH(QString, option);
    QFETCH(int, out0);
    QFETCH(int, out1);
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    p.detect_mode = mode;
    p.multi_step_count = steps;
    p.cut_clamp_on_mold_alarm = option == "cutClamp";
    p.cavity_ng_clamp = option == "cavityPulse";
    p.enable_cutoff_ontime = option == "noEjector";
    p.enable_stop_not_alarm = option == "ejectorPulse";
    p.cut_thimble_on_prod_alarm = option == "cutEjector";
    world.derive();
    MainWindow* w = world.build();
    DrawROIWidget* editor = installDrawROIWidget(w);
    QVERIFY(step < gDNum);
    w->DisplayState = 2;
    w->DetectStep = step;
    gpControlIO->IOResetAllOut();
    if (mode == kDetectStandardNoRecheck) gpControlIO->IOSetOut(kOutClampingCut, 1);
    gpControlIO->IOSetOut(kOutEjectorCut, mode == kDetectStandardNoRecheck ? 1 : 0);
    // Only the rule acts: the camera is skipped and the decision waits (as while learning).
    w->cams[0]->skipFlag[step] = true;
    gFromTrain = 1;
    editor->SlotReCheck();
    gFromTrain = 0;
    QCOMPARE(MonitorWorld::out(kOutClampingCut), out0);
    QCOMPARE(MonitorWorld::out(kOutEjectorCut), out1);
    int flushed;
    {
        QMutexLocker lock(pMutexIO);
        flushed = gDataOut;
    }
    QCOMPARE(flushed & 3, out0 | out1 << 1);  // no output is inverted here
    w->setRoiEditor(nullptr);
    delete editor;
}

void TestAlarmActions::skipGuards_data() {
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("warning");
    QTest::newRow("door release on, door not opened") << "door" << lanText(195);
    QTest::newRow("an OK camera while another is NG") << "okCamera" << lanText(107);
}

// "Don't Detect" refused: nothing is asked, skipped or recorded.
void TestAlarmActions::skipGuards() {
    QFETCH(QString, situation);
    QFETCH(QString, warning);
    AlarmWorld a(2);
    a.twoFailedRegions(10, 10);
    if (situation == "door") {
        a.world.p().enable_disarm_before_open = 1;
        gisSafeDoorOpen = false;
    } else {
        a.w->displayedCamera = 1;
        a.w->cams[1]->data.allOk = true;
    }
    const int records = a.world.records().size();
    a.editor->SlotNoCheckCur();
    QCOMPARE(a.world.prompter.warnings, QStringList{warning});
    QVERIFY(a.world.prompter.questions.isEmpty());
    QCOMPARE(a.world.records().size(), records);
    QVERIFY(!a.v->skipFlag[1] && !a.w->cams[1]->skipFlag[1]);
    QCOMPARE(a.w->DisplayState, 2);
}

void TestAlarmActions::ignoreAfterSliderMoves_data() {
    QTest::addColumn<int>("moves");     // slider moves on the template before going back to live
    QTest::addColumn<int>("value0");    // measured values of the two failed regions
    QTest::addColumn<bool>("noMarks");  // the alarm map holds no defect pixel
    QTest::addColumn<int>("ignored");
    QTest::addColumn<QList<int>>("warnings");  // language ids of the warnings shown
    QTest::newRow("no slider move") << 0 << 10 << false << 24 << QList<int>{};
    QTest::newRow("one slider move") << 1 << 10 << false << 24 << QList<int>{};
    QTest::newRow("five slider moves") << 5 << 10 << false << 24 << QList<int>{};
    QTest::newRow("refused: both regions too large") << 2 << 2001 << false << 0 << QList<int>{115, 115};
    QTest::newRow("nothing to ignore") << 2 << 10 << true << 0 << QList<int>{kNothingToIgnoreText};
}

// The operator opens the template from the alarm page (Live<->Temp), moves a slider of a region's panel
// (each move re-tests the region on the template), goes back to the live picture and ignores the alarm
// points: exactly the alarm's defect pixels are ignored, however often the slider moved. A refused or
// empty ignore writes no success record, no file and no message to the network client.
void TestAlarmActions::ignoreAfterSliderMoves() {
    QFETCH(int, moves);
    QFETCH(int, value0);
    QFETCH(bool, noMarks);
    QFETCH(int, ignored);
    QFETCH(QList<int>, warnings);
    AlarmWorld a;
    a.twoFailedRegions(value0, value0);
    if (noMarks) a.v->data.alarmImage.setTo(0);
    a.v->data.templateSlot(1, 0).setTo(0);
    a.v->data.templateLoaded[1][0] = 1;
    a.editor->Reset(false);  // the alarm page opens, as at the alarm
    QCOMPARE(gSource, 1);
    a.editor->SlotAutoChange();
    QCOMPARE(gSource, 0);
    ViewEditor* e = a.editor->editorOf(a.v);
    QVERIFY(e);
    a.v->data.selectedRoi = 0;
    for (int i = 0; i < moves; ++i) {
        e->SlotSensitivity(100 + i);
        QVERIFY(a.v->data.testShown);
    }
    a.editor->SlotAutoChange();
    QCOMPARE(gSource, 1);
    const int records = a.world.records().size();
    a.world.prompter.queueAnswer(true);
    a.editor->SlotIgnoreAlarmPoint();
    QStringList texts;
    for (int id : warnings) texts << lanText(id).arg(kMaxIgnoreValue);
    QCOMPARE(a.world.prompter.warnings, texts);
    QCOMPARE(a.ignored(1), ignored);
    QCOMPARE(a.world.records().mid(records), ignored ? QStringList{lanText(114).arg(1)} : QStringList{});
    QCOMPARE(QFileInfo::exists(QStringLiteral("cammer12/ignorepoint.bmp")), ignored > 0);
    gSource = -1;
}

// "Re-detected" pressed with unsaved region edits: while its save question is open, re-check edges
// from the loop start no second re-check (and no second question).
void TestAlarmActions::oneRecheckWhileAsking() {
    AlarmWorld a;
    a.twoFailedRegions(10, 10);
    a.v->data.workingStore->sens[1][0] += 1;  // an unsaved edit
    QVERIFY(a.editor->hasUnsavedEdits());
    int edges = 0;
    a.world.prompter.whileAsking = [&](const QString&) {
        QVERIFY(a.editor->reCheckWaiting());
        for (int i = 0; i < 3; ++i, ++edges) a.editor->ReCheckFromLoop();
        QCoreApplication::processEvents();
    };
    a.world.prompter.queueAnswer(false);
    a.editor->SlotReCheck();
    QCOMPARE(edges, 3);
    QCOMPARE(a.world.prompter.questions, QStringList{lanText(72)});
    QVERIFY(!a.editor->reCheckWaiting());
    QCoreApplication::processEvents();
    QCOMPARE(a.world.prompter.questions.size(), 1);
}

void TestAlarmActions::answerAfterAlarmEnded_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("don't detect, one camera") << "skipOne";
    QTest::newRow("don't detect, all cameras") << "skipAll";
    QTest::newRow("ignore alarm points") << "ignore";
    QTest::newRow("delete ignored points") << "deleteIgnored";
    QTest::newRow("add the live alarm picture") << "addTemplate";
}

// The alarm ends (a door re-check passed) while the operator's question is open: the Yes is not carried
// out and the operator is told so; nothing is skipped, written or recorded.
void TestAlarmActions::answerAfterAlarmEnded() {
    QFETCH(QString, action);
    AlarmWorld a;
    a.world.p().max_mold_num = 3;
    a.twoFailedRegions(10, 10);
    a.v->data.ignoreImages[1].at<uchar>(40, 40) = 255;
    gSource = 1;
    gisSafeDoorOpen = true;
    a.w->ImageState[0][1] = 3;
    if (action == "skipAll") a.w->displayedCamera = numCamera;
    a.world.prompter.whileAsking = [&](const QString&) {
        a.w->DisplayState = 0;
        a.v->data.allOk = true;
        gSource = -1;
    };
    const int records = a.world.records().size();
    a.world.prompter.queueAnswer(true);
    if (action.startsWith("skip"))
        a.editor->SlotNoCheckCur();
    else if (action == "ignore")
        a.editor->SlotIgnoreAlarmPoint();
    else if (action == "deleteIgnored")
        a.editor->SlotDeleteIgnorePoint();
    else
        a.editor->SlotAddTemp();
    QCOMPARE(a.world.prompter.questions.size(), 1);
    QCOMPARE(a.world.prompter.warnings, QStringList{lanText(kAlarmEndedText)});
    QCOMPARE(a.world.records().size(), records);
    QVERIFY(!a.v->skipFlag[1]);
    QCOMPARE(a.ignored(1), 1);
    QVERIFY(!QFileInfo::exists(QStringLiteral("cammer12/ignorepoint.bmp")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("cammer12/template1.bmp")));
    QCOMPARE(a.w->ImageState[0][1], 3);
    gSource = -1;
}

QTEST_MAIN(TestAlarmActions)
#include "tst_alarmactions.moc"
