// The detection steps and the decision of the inspection cycle: tick counting, the pre-close rule,
// the immediate NG outputs, the raw frame archive, re-check and alarm, the pulse modes, the release
// of an alarm, the result display and stopping. Slots are called directly and ticks counted; the IO
// words are read back from the control port (no board on the line).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QtTest>

#include "editor/drawroiwidget.h"
#include "io/ledcontrol.h"
#include "cyclesetup.h"
#include "monitorworld.h"
#include "stderrcapture.h"
#include "records/counters.h"
#include "records/savefialimagethread.h"

namespace {

int rawWord() {
    int w = 0;
    for (int n = 0; n < 8; ++n) w |= MonitorWorld::out(n) ? 1 << n : 0;
    return w;
}

int offWord = 0;  // the levels of outputs 0..7 switched off (the procedure inverts some)

void clearOutputs() {
    gpControlIO->IOResetAllOut();
    gpControlIO->IOFlashOut();
    offWord = rawWord();
}

// Outputs 0..7 as a word, bit n set while output n is switched on.
int outWord() {
    return rawWord() ^ offWord;
}

bool led(int n) {
    return (ledMask() >> n) & 1;
}

QString alarmRecord(const QList<int>& cameras) {
    QString text;
    for (int c : cameras) text += lanText(151).arg(c);
    return lanText(640).arg(text.trimmed());
}

struct RecordingEditor : RoiEditorHooks {
    int resets = 0;
    int restarts = 0;
    void Reset(bool) override { ++resets; }
    void Restart() override { ++restarts; }
    void SlotReCheck() override {}
    // The cycle never calls the bars' commands.
    void SlotTempDeleteAll() override {}
    void SlotTempDeleteCur() override {}
    void SlotAddTemp() override {}
    void SlotReturn() override {}
    void SlotAutoChange() override {}
    void SlotNoCheckCur() override {}
    void SlotIgnoreAlarmPoint() override {}
    void SlotDeleteIgnorePoint() override {}
};

// Arms one cycle by hand: every camera armed for `step`, its picture armed, counters pending.
void armStep(MainWindow* w, int step) {
    for (int c = 0; c < numCamera; ++c) {
        w->ImageState[c][step] = 1;
        w->StepArmedMask[step & 1] |= 1 << c;
        w->allCountPending[c] = 1;
        w->failCountPending[c] = 1;
    }
}

}  // namespace

class TestCycle : public QObject {
    Q_OBJECT
private slots:
    void init() { resetCounterGlobals(); }
    void tickOfDetection_data();
    void tickOfDetection();
    void preCloseWindow();
    void immediateNgOutputs_data();
    void immediateNgOutputs();
    void rawArchive_data();
    void rawArchive();
    void twoColourRightMould();
    void learningEndsWhenEveryViewCaptured();
    void recheckTwiceThenAlarm();
    void alarmRecordListsCamerasInOrder_data();
    void alarmRecordListsCamerasInOrder();
    void pulseModes_data();
    void pulseModes();
    void cavityPulseLeavesATrace();
    void productOkReleasesAlarm();
    void laterMultiStepNgRaisesNoAlarm();
    void timerShowAdvance_data();
    void timerShowAdvance();
    void stopCancelsPendingRecheck();
    void alarmViewRecheck();
    void multiStepsWithoutDelayShareOneEdge();
    void failedCounterSaveIsToldOnce();
};

void TestCycle::tickOfDetection_data() {
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("tick");  // 0: the pass that scheduled the step
    QTest::newRow("no delay") << 0 << 0;
    QTest::newRow("0.1 s") << 1 << 1;
    QTest::newRow("0.3 s") << 3 << 3;
    QTest::newRow("2.0 s") << 20 << 20;
}

void TestCycle::tickOfDetection() {
    QFETCH(int, delay);
    QFETCH(int, tick);
    MonitorWorld world(1);
    quietParams(world.p());
    world.p().enable_prod_detect = 0;  // the cavity step alone
    world.p().trig_in_delay[1] = delay;
    world.derive();
    MainWindow* w = world.build();
    world.pass();
    MonitorWorld::setInputs(1);  // mould open
    world.pass();
    if (tick == 0) {
        QCOMPARE(gAllNum[0], 1);
        QCOMPARE(w->StepPhase, 2);
        QVERIFY(!w->timerUp[1]->isActive());
        return;
    }
    QCOMPARE(w->StepPhase, 1);
    QCOMPARE(w->remainingDelay[1], delay);
    QCOMPARE(gAllNum[0], 0);
    int ran = 0;
    for (int t = 1; t <= delay + 2 && !ran; ++t) {
        w->TimerUp(1);
        if (gAllNum[0] == 1) ran = t;
    }
    QCOMPARE(ran, tick);
    QVERIFY(!w->timerUp[1]->isActive());
    QCOMPARE(w->StepPhase, 2);
}

void TestCycle::preCloseWindow() {
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    p.enable_prod_detect = 0;
    p.pre_cut = 5;
    p.trig_in_delay[1] = 20;
    world.derive();
    MainWindow* w = world.build();
    world.pass();
    MonitorWorld::setInputs(1);
    world.pass();
    QVERIFY(w->timerUp[1]->isActive());
    QCOMPARE(MonitorWorld::out(0), 0);  // no cut at the start with a pre-close time
    int firstOn = 0;
    for (int t = 1; t <= 20; ++t) {
        w->TimerUp(1);
        if (!firstOn && MonitorWorld::out(0)) firstOn = t;
        if (firstOn && t < 20) QCOMPARE(MonitorWorld::out(0), 1);  // kept on every later tick
    }
    // Tick 16 starts with 0.5 s left.
    QCOMPARE(firstOn, 16);
    QCOMPARE(gAllNum[0], 1);
}

void TestCycle::immediateNgOutputs_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("ng");
    QTest::addColumn<int>("recheckLeft");
    QTest::addColumn<QString>("switches");
    QTest::addColumn<int>("word");     // outputs 0..7 after the evaluation
    QTest::addColumn<int>("counted");  // gFailNum of the camera
    QTest::newRow("product NG") << 0 << true << 0 << "" << 0b111 << 1;
    QTest::newRow("product NG, re-check left") << 0 << true << 1 << "" << 0b011 << 0;
    QTest::newRow("product NG, pre-close") << 0 << true << 0 << "preclose" << 0b110 << 1;
    QTest::newRow("product NG, any order") << 0 << true << 0 << "anyorder" << 0b110 << 1;
    QTest::newRow("product NG, no ejector control") << 0 << true << 0 << "noejector" << 0b100 << 1;
    QTest::newRow("product NG, ejector pulse") << 0 << true << 0 << "ejectorpulse" << 0 << 1;
    QTest::newRow("product NG, OK and NG pulses") << 0 << true << 0 << "okngpulse" << 0 << 1;
    QTest::newRow("product OK") << 0 << false << 0 << "" << 0 << 0;
    QTest::newRow("cavity NG") << 1 << true << 0 << "" << 0b101 << 1;
    QTest::newRow("cavity NG, re-check left") << 1 << true << 1 << "" << 0b001 << 0;
    QTest::newRow("cavity NG, re-check left, pre-close") << 1 << true << 1 << "preclose" << 0 << 0;
    QTest::newRow("cavity NG, cavity pulse") << 1 << true << 0 << "cavitypulse" << 0 << 1;
}

void TestCycle::immediateNgOutputs() {
    QFETCH(int, step);
    QFETCH(bool, ng);
    QFETCH(int, recheckLeft);
    QFETCH(QString, switches);
    QFETCH(int, word);
    QFETCH(int, counted);
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    world.derive();
    MainWindow* w = world.build();
    p.pre_cut = switches == "preclose" ? 5 : 0;
    p.detect_any_order = switches == "anyorder";
    p.enable_cutoff_ontime = switches == "noejector";
    p.enable_stop_not_alarm = switches == "ejectorpulse";
    p.ok_ng_pulse = switches == "okngpulse";
    p.cavity_ng_clamp = switches == "cavitypulse";
    addRegion(w->cams[0], step, ng);
    clearOutputs();
    armStep(w, step);
    w->RecheckLeft[step] = recheckLeft;
    w->RunAlgorithm(0, step);
    QCOMPARE(w->cams[0]->data.allOk, !ng);
    QCOMPARE(w->DetectStep, step);
    QCOMPARE(outWord(), word);
    QCOMPARE(gFailNum[0], counted);
    QCOMPARE(gAllNum[0], 1);
    QCOMPARE(w->StepArmedMask[step], 0);
    // Counted once per cycle.
    w->RecheckLeft[step] = 0;
    w->RunAlgorithm(0, step);
    QCOMPARE(gAllNum[0], 1);
    QCOMPARE(gFailNum[0], ng ? 1 : 0);
    // A recent NG frame is kept only when no re-check is left.
    QCOMPARE(w->cams[0]->recentNGCount[step], ng ? (recheckLeft ? 1 : 2) : 0);
}

void TestCycle::rawArchive_data() {
    QTest::addColumn<int>("files");
    QTest::addColumn<bool>("saving");
    QTest::addColumn<int>("left");
    QTest::addColumn<bool>("oldestGone");
    QTest::newRow("201 files") << 201 << false << 200 << true;
    QTest::newRow("200 files, folders not counted") << 200 << false << 200 << false;
    QTest::newRow("200 files and a saved frame") << 200 << true << 200 << true;
    QTest::newRow("few files and a saved frame") << 3 << true << 4 << false;
}

void TestCycle::rawArchive() {
    QFETCH(int, files);
    QFETCH(bool, saving);
    QFETCH(int, left);
    QFETCH(bool, oldestGone);
    MonitorWorld world(1);
    quietParams(world.p());
    world.derive();
    MainWindow* w = world.build();
    // Spread over two cameras' folders; the oldest in the second one.
    const QDateTime base = QDateTime::currentDateTime().addDays(-1);
    QString oldest;
    for (int i = 0; i < files; ++i) {
        const QString dir =
            i % 2 ? QStringLiteral("originalimage/cammer12") : QStringLiteral("originalimage/cammer21");
        QDir().mkpath(dir);
        const QString name = QStringLiteral("%1/template%2.bmp").arg(dir).arg(i);
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.flush();
        f.setFileTime(base.addSecs(files - i), QFileDevice::FileModificationTime);
        f.close();
        if (i == files - 1) oldest = name;
    }
    w->rawImageSaving = saving ? 1 : 0;
    w->RunAlgorithm(0, 0);
    QList<QFileInfo> all;
    FoundAllFile(all, QStringLiteral("./originalimage"));
    QCOMPARE(all.size(), left);
    QCOMPARE(QFile::exists(oldest), !oldestGone);
    for (int c = 1; c <= 1; ++c)
        for (int d = 1; d <= 8; ++d)
            QVERIFY(QDir(QStringLiteral("originalimage/cammer%1%2").arg(c).arg(d)).exists());
    if (saving) {
        const QStringList saved = QDir("originalimage/cammer11").entryList({"template*.bmp"}, QDir::Files);
        QCOMPARE(saved.size(), 1);
        QImage img(QStringLiteral("originalimage/cammer11/") + saved.first());
        QCOMPARE(img.size(), QSize(gImageW, gImageH));
        QCOMPARE(img.format(), QImage::Format_Indexed8);
        QCOMPARE(img.colorTable().size(), 256);
        QCOMPARE(img.colorTable().at(77), qRgb(77, 77, 77));
    }
}

void TestCycle::twoColourRightMould() {
    MonitorWorld world(1);
    quietParams(world.p());
    world.p().detect_mode = kDetectTwoColour;
    world.p().cavity_pos = 2;
    world.derive();
    MainWindow* w = world.build();
    w->MouldSide = 0;
    w->StepArmedMask[1] = 1;
    w->RunAlgorithm(0, 1);
    QCOMPARE(w->DetectStep, 3);
    QCOMPARE(w->StepArmedMask[1], 0);
    w->MouldSide = 1;
    w->StepArmedMask[0] = 1;
    w->RunAlgorithm(0, 2);  // a scheduled step 2 counts from the left mould's pair
    QCOMPARE(w->DetectStep, 0);
    QCOMPARE(w->StepArmedMask[0], 0);
}

void TestCycle::learningEndsWhenEveryViewCaptured() {
    MonitorWorld world(2);
    quietParams(world.p());
    world.derive();
    MainWindow* w = world.build();
    QVERIFY(gpWPara->step_enable[0] && gpWPara->step_enable[1]);
    w->RunState = 2;
    for (CammerWidget* v : w->cams) v->learnPending[0] = v->learnPending[1] = true;
    clearOutputs();
    const int order[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(w->RunState, 2);
        w->RunAlgorithm(order[i][0], order[i][1]);
        QVERIFY(!w->cams[order[i][0]]->learnPending[order[i][1]]);
    }
    // After all four captures region editing takes over; detection resumes when it hands back.
    QCOMPARE(w->DisplayState, 3);
    QCOMPARE(gFromTrain, 1);
    QCOMPARE(MonitorWorld::out(0), 1);
    QCOMPARE(gAllNum[0] + gAllNum[1], 0);  // nothing was inspected while learning
    gFromTrain = 0;
    w->BackTrain();
    QCOMPARE(w->RunState, 1);
    QCOMPARE(gisReTrain, 1);
}

void TestCycle::recheckTwiceThenAlarm() {
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    p.enable_prod_detect = 0;
    p.front_auto_check_time = 2;
    p.re_check_delay = 1;
    world.derive();
    MainWindow* w = world.build();
    auto editor = std::make_unique<RecordingEditor>();
    w->setRoiEditor(editor.get());
    addRegion(w->cams[0], 1, true);
    world.pass();
    MonitorWorld::setInputs(1);
    world.pass();  // cycle start; the cavity step runs at once and fails
    QCOMPARE(w->recheckPending, 1);
    QCOMPARE(w->ImageState[0][1], 1);
    QCOMPARE(MonitorWorld::out(0), 1);
    QCOMPARE(MonitorWorld::out(2), 0);
    QCOMPARE(gFailNum[0], 0);
    int rechecks = 0;
    while (w->DisplayState != 2 && rechecks < 5) {
        world.pass();
        QVERIFY(w->reCheckTimer->isActive());
        QCOMPARE(w->reCheckTimer->interval(), 100);
        world.pass();  // the timer runs: no second re-check is started meanwhile
        QCOMPARE(w->RecheckLeft[1], 1 - rechecks);
        w->ReCheck();
        ++rechecks;
    }
    QCOMPARE(rechecks, 2);
    QCOMPARE(w->DisplayState, 2);
    QCOMPARE(w->RunState, 3);
    QCOMPARE(w->recheckPending, 0);
    QCOMPARE(w->ImageState[0][1], 3);
    QCOMPARE(MonitorWorld::out(2), 1);
    QCOMPARE(MonitorWorld::out(0), 1);
    QCOMPARE(gFailNum[0], 1);
    QCOMPARE(w->stepOk[1], 0);
    QVERIFY(led(7));
    QVERIFY(!led(6));
    QCOMPARE(editor->resets, 1);
    QCOMPARE(w->displayedCamera, 0);  // the alarm shows every view: with one camera, that one alone
    QVERIFY(w->cams[0]->blinkTimer->isActive());
    QCOMPARE(world.records().filter(alarmRecord({1})).size(), 1);
    QVERIFY(w->alarmStart > 0);
    // The held picture is not handed to the saver.
    QCOMPARE(int(gisSaveFail[failSlot(0, 1, 0)]), 0);
    w->setRoiEditor(nullptr);
}

void TestCycle::alarmRecordListsCamerasInOrder_data() {
    QTest::addColumn<int>("ngMask");
    QTest::addColumn<QList<int>>("named");
    QTest::newRow("both") << 0b11 << QList<int>{1, 2};
    QTest::newRow("second only") << 0b10 << QList<int>{2};
}

void TestCycle::alarmRecordListsCamerasInOrder() {
    QFETCH(int, ngMask);
    QFETCH(QList<int>, named);
    MonitorWorld world(2);
    quietParams(world.p());
    world.derive();
    MainWindow* w = world.build();
    w->DetectStep = 1;
    armStep(w, 1);
    for (int c = 0; c < 2; ++c) w->cams[c]->data.allOk = !(ngMask & (1 << c));
    w->CheckNG();
    QCOMPARE(w->DisplayState, 2);
    QVERIFY(world.records().contains(alarmRecord(named)));
    for (int c = 0; c < 2; ++c) QCOMPARE(w->ImageState[c][1], (ngMask & (1 << c)) ? 3 : 2);
}

void TestCycle::pulseModes_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("ng");
    QTest::addColumn<int>("word");       // outputs 0..7 right after the decision
    QTest::addColumn<QString>("timer");  // the output timer that runs
    QTest::addColumn<int>("interval");   // ms
    QTest::addColumn<int>("wordAfter");  // after the timer ran
    QTest::addColumn<bool>("written");   // counters written (last step of the cycle)
    QTest::newRow("cavity NG pulse") << "cavitypulse" << 1 << true << 0b001 << "outNG1" << 300 << 0 << true;
    QTest::newRow("ejector pulse, regions 0 and 2")
        << "ejectorpulse" << 0 << true << 0b1010010 << "outNG" << 400 << 0 << false;
    QTest::newRow("OK and NG pulses, cavity OK")
        << "okngpulse" << 1 << false << 0b010 << "notAllowClose" << 300 << 0 << true;
    QTest::newRow("OK and NG pulses, cavity NG")
        << "okngpulse" << 1 << true << 0b101 << "notAllowClose" << 300 << 0 << true;
    QTest::newRow("clamping cut at fixed time after mould OK")
        << "cutontime" << 1 << false << 0 << "notAllowClose" << 300 << 0b001 << true;
    QTest::newRow("ejector cut at fixed time after product OK")
        << "cutontimethimble" << 0 << false << 0 << "notAllowThimble" << 400 << 0b010 << false;
}

void TestCycle::pulseModes() {
    QFETCH(QString, mode);
    QFETCH(int, step);
    QFETCH(bool, ng);
    QFETCH(int, word);
    QFETCH(QString, timer);
    QFETCH(int, interval);
    QFETCH(int, wordAfter);
    QFETCH(bool, written);
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    world.derive();
    MainWindow* w = world.build();
    p.thimble_pulse = 4;
    p.mold_pulse = 3;
    p.cavity_ng_clamp = mode == "cavitypulse";
    p.enable_stop_not_alarm = mode == "ejectorpulse";
    p.ok_ng_pulse = mode == "okngpulse";
    p.is_cut_ontime = mode == "cutontime";
    p.is_cut_ontime_thimble = mode == "cutontimethimble";
    if (mode == "ejectorpulse") {
        addRegion(w->cams[0], 0, true, 0);
        addRegion(w->cams[0], 0, false, 1);
        addRegion(w->cams[0], 0, true, 2);
    } else {
        addRegion(w->cams[0], step, ng);
    }
    QFile::remove(kCountFile);
    clearOutputs();
    armStep(w, step);
    w->remainingDelay[step] = 0;
    w->TimerUp(step);
    QCOMPARE(w->cams[0]->data.allOk, !ng);
    QCOMPARE(outWord(), word);
    QCOMPARE(w->DisplayState, 1);  // no alarm: the result shows
    QVERIFY(w->showTimer->isActive());
    QCOMPARE(w->showTimer->interval(), 2000);
    QCOMPARE(w->RunState, 1);
    QTimer* timers[] = {w->outTimerOutNG, w->outTimerOutNG1, w->outTimerNotAllowClose,
                        w->outTimerNotAllowThimble};
    const QStringList names = {"outNG", "outNG1", "notAllowClose", "notAllowThimble"};
    for (int i = 0; i < 4; ++i) QCOMPARE(timers[i]->isActive(), names[i] == timer);
    QTimer* t = timers[names.indexOf(timer)];
    QCOMPARE(t->interval(), interval);
    QCOMPARE(t->isSingleShot(), timer == "outNG1");
    QCOMPARE(QFile::exists(kCountFile), written);
    const bool pulseLed = p.ok_ng_pulse && ng;
    QCOMPARE(led(6), !pulseLed);
    QCOMPARE(led(7), pulseLed);
    if (timer == "outNG") w->OutTimerOutNG();
    if (timer == "outNG1") w->OutTimerOutNG1();
    if (timer == "notAllowClose") w->OutTimerNotAllowClose();
    if (timer == "notAllowThimble") w->OutTimerNotAllowThimble();
    QCOMPARE(outWord(), wordAfter);
}

void TestCycle::cavityPulseLeavesATrace() {
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    p.enable_prod_detect = 0;
    p.cavity_ng_clamp = 1;
    p.front_auto_check_time = 2;  // never used: a pulsing cavity NG is not re-checked
    p.mold_pulse = 3;
    world.derive();
    MainWindow* w = world.build();
    gpSaveFialImageThread->stopForTest();  // the hand-off stays visible
    addRegion(w->cams[0], 1, true);
    QFile::remove(kCountFile);
    world.pass();
    MonitorWorld::setInputs(1);
    world.pass();
    QCOMPARE(w->RecheckLeft[1], 0);
    QCOMPARE(w->recheckPending, 0);
    QCOMPARE(w->DisplayState, 1);
    QCOMPARE(MonitorWorld::out(0), 1);
    QCOMPARE(MonitorWorld::out(2), 0);
    QVERIFY(w->outTimerOutNG1->isActive());
    QCOMPARE(gFailNum[0], 1);  // counted,
    QCOMPARE(w->ImageState[0][1], 0);
    QCOMPARE(int(gisSaveFail[failSlot(0, 1, 0)]), 1);  // pictured and handed to the saver,
    QVERIFY(QFile::exists(kCountFile));                // and the counters written
}

void TestCycle::productOkReleasesAlarm() {
    MonitorWorld world(1);
    quietParams(world.p());
    world.p().trig_in_delay[1] = 10;
    world.derive();
    MainWindow* w = world.build();
    gpSaveFialImageThread->stopForTest();  // the hand-off stays visible
    auto editor = std::make_unique<RecordingEditor>();
    w->setRoiEditor(editor.get());
    // The alarm of a product NG is shown.
    w->DetectStep = 0;
    armStep(w, 0);
    w->cams[0]->data.allOk = false;
    w->CheckNG();
    QCOMPARE(w->DisplayState, 2);
    QCOMPARE(w->RunState, 3);
    w->StepArmedMask[1] = 1;  // the cavity step is still to run in this cycle
    gpControlIO->IOSetOut(kOutEjectorCut, 1);
    gpControlIO->IOSetOut(kOutAlarm, 1);
    gpControlIO->IOFlashOut();
    // The re-check of the product step is OK.
    w->ImageState[0][0] = 7;
    w->cams[0]->data.allOk = true;
    w->CheckNG();
    // The held NG picture is annotated, the OK picture of the passed re-check composed, and both go
    // to the saver together.
    QCOMPARE(w->ImageState[0][0], 0);
    QCOMPARE(int(gisSaveFail[failSlot(0, 0, 0)]), 1);
    QCOMPARE(int(gisSaveFail[failSlot(0, 0, 1)]), 1);
    QCOMPARE(MonitorWorld::out(kOutAlarm), 0);
    QCOMPARE(MonitorWorld::out(kOutEjectorCut), 0);
    QCOMPARE(editor->restarts, 1);
    QCOMPARE(w->RunState, 1);
    QCOMPARE(w->DisplayState, 1);
    QCOMPARE(w->forcedStep, 1);
    QCOMPARE(w->barStack->currentIndex(), 0);
    // The next pass starts the cavity step without its trigger input.
    w->showTimer->stop();
    MonitorWorld::setInputs(0);
    world.pass();
    QVERIFY(w->timerUp[1]->isActive());
    QCOMPARE(w->remainingDelay[1], 10);  // its own delay, not added to the product step's
    QCOMPARE(w->forcedStep, -1);
    w->setRoiEditor(nullptr);
}

void TestCycle::laterMultiStepNgRaisesNoAlarm() {
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    p.detect_mode = kDetectMulti;
    p.multi_step_count = 4;
    for (int s = 0; s < 4; ++s) p.multi_trig_row[s] = s;
    world.derive();
    MainWindow* w = world.build();
    clearOutputs();
    w->DetectStep = 2;
    w->multiStep = 2;
    armStep(w, 2);
    w->stepOk[2] = 1;
    w->cams[0]->data.allOk = false;
    w->CheckNG();
    // As the procedure has it: no outputs, no result display, no alarm; the picture is composed but
    // not handed to the saver.
    QCOMPARE(w->DisplayState, 0);
    QCOMPARE(w->RunState, 1);
    QVERIFY(!w->showTimer->isActive());
    QCOMPARE(outWord(), 0);
    QCOMPARE(w->ImageState[0][2], 3);
    QCOMPARE(w->stepOk[2], 0);
}

void TestCycle::timerShowAdvance_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("prod");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("display");  // DisplayState before
    QTest::addColumn<int>("pending");  // re-check pending
    QTest::addColumn<int>("to");
    QTest::newRow("standard, product -> cavity") << int(kDetectStandard) << 1 << 0 << 1 << 0 << 1;
    QTest::newRow("standard, cavity -> product") << int(kDetectStandard) << 1 << 1 << 1 << 0 << 0;
    QTest::newRow("standard without product: stays on the cavity")
        << int(kDetectStandard) << 0 << 1 << 1 << 0 << 1;
    QTest::newRow("two-colour, left cavity -> right product")
        << int(kDetectTwoColour) << 1 << 1 << 1 << 0 << 2;
    QTest::newRow("two-colour without product: -> right cavity")
        << int(kDetectTwoColour) << 0 << 1 << 1 << 0 << 3;
    QTest::newRow("multi, last -> first") << int(kDetectMulti) << 0 << 3 << 1 << 0 << 0;
    QTest::newRow("re-check pending keeps the step") << int(kDetectStandard) << 1 << 1 << 1 << 1 << 1;
    QTest::newRow("alarm keeps the step") << int(kDetectStandard) << 1 << 1 << 2 << 0 << 1;
}

void TestCycle::timerShowAdvance() {
    QFETCH(int, mode);
    QFETCH(int, prod);
    QFETCH(int, from);
    QFETCH(int, display);
    QFETCH(int, pending);
    QFETCH(int, to);
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    p.detect_mode = mode;
    p.enable_prod_detect = prod;
    p.cavity_pos = 2;
    p.multi_step_count = 4;
    for (int s = 0; s < 4; ++s) p.multi_trig_row[s] = s;
    world.derive();
    MainWindow* w = world.build();
    w->DetectStep = from;
    w->shownStep = from;
    w->DisplayState = display;
    w->recheckPending = pending;
    w->StepPhase = 2;
    w->showTimer->start(2000);
    LEDOnOff(6, 0);
    LEDOnOff(7, 0);
    gisReTrain = 1;  // retraining walks the built views only (one of eight here)
    w->TimerShow();
    QVERIFY(!w->showTimer->isActive());
    QCOMPARE(w->DetectStep, to);
    QCOMPARE(w->StepPhase, 3);
    QCOMPARE(w->DisplayState, display == 1 ? 0 : display);
    QCOMPARE(led(6), display != 2);
    QCOMPARE(led(7), display != 2);
    QCOMPARE(gisReTrain, 0);
}

void TestCycle::stopCancelsPendingRecheck() {
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    p.enable_prod_detect = 0;
    p.front_auto_check_time = 1;
    p.re_check_delay = 5;
    world.derive();
    MainWindow* w = world.build();
    addRegion(w->cams[0], 1, true);
    world.pass();
    MonitorWorld::setInputs(1);
    world.pass();
    QCOMPARE(w->recheckPending, 1);
    world.pass();
    QVERIFY(w->reCheckTimer->isActive());
    w->timerUp[0]->start(100);
    w->remainingDelay[0] = 7;
    // The operator stops detection meanwhile.
    w->SetStopDetect();
    QCOMPARE(w->RunState, 3);
    QVERIFY(!w->reCheckTimer->isActive());
    QCOMPARE(w->recheckPending, 0);
    QVERIFY(!w->timerUp[0]->isActive());
    QCOMPARE(w->remainingDelay[0], 0);
    QCOMPARE(w->StepArmedMask[1], 0);
    // Later passes only watch the stopped inputs: the cavity is never re-checked nor released.
    const int fails = gFailNum[0];
    gpControlIO->IOSetOut(kOutClampingCut, 1);
    gpControlIO->IOFlashOut();
    for (int i = 0; i < 3; ++i) world.pass();
    QCOMPARE(gFailNum[0], fails);
    QCOMPARE(MonitorWorld::out(0), 1);
    QCOMPARE(w->DisplayState, 0);
}

// The re-check of the alarm view: one camera shown, the first fixed -> the view moves to the camera
// still NG; that one skipped by the operator -> it is not evaluated again and the alarm ends.
void TestCycle::alarmViewRecheck() {
    MonitorWorld world(2);
    quietParams(world.p());
    world.p().enable_prod_detect = 0;
    world.derive();
    MainWindow* w = world.build();
    DrawROIWidget* editor = installDrawROIWidget(w);
    int region[2];
    for (int c = 0; c < 2; ++c) region[c] = addRegion(w->cams[c], 1, true);
    world.pass();
    MonitorWorld::setInputs(1);
    world.pass();  // the cavity step fails on both cameras: alarm at once
    QCOMPARE(w->DisplayState, 2);
    QCOMPARE(w->ImageState[0][1], 3);
    QCOMPARE(w->ImageState[1][1], 3);
    const int failed = gFailNum[0];

    // The operator looks at camera 1 on the live picture; its fault was removed, camera 2's was not.
    w->displayedCamera = 0;
    gSource = 1;
    CammerSingleton& s = *w->cams[0]->data.savedStore;
    s.area[1][region[0]] = 100000000;
    *w->cams[0]->data.workingStore = s;
    w->cams[0]->recong->VarTrain(1);
    editor->SlotReCheck();
    QCOMPARE(w->DisplayState, 2);
    QCOMPARE(w->ImageState[1][1], 3);  // still NG: the picture stays held
    QCOMPARE(w->displayedCamera, 1);
    QCOMPARE(editor->alarmOption->cameraList()->currentIndex(), 1);
    QCOMPARE(gSource, 1);
    QCOMPARE(MonitorWorld::out(kOutAlarm), 1);
    QCOMPARE(gFailNum[0], failed);  // a re-check counts no second NG

    // Camera 2 is skipped for this mould: only camera 1 runs, and the step passes.
    w->cams[1]->skipFlag[1] = true;
    w->ImageState[1][1] = 4;
    editor->SlotReCheck();
    QVERIFY(w->cams[1]->data.allOk);  // its region would still fail
    QVERIFY(w->DisplayState != 2);
    QVERIFY(w->RunState != 3);
    QCOMPARE(gSource, -1);
    QCOMPARE(MonitorWorld::out(kOutAlarm), 0);
    QCOMPARE(MonitorWorld::out(kOutClampingCut), 0);  // the mould may close
    w->setRoiEditor(nullptr);
    delete editor;
}

// Multi-detection, three steps on input 0 with no delay: one edge runs the first step, and the input
// it carries over starts the next steps on the following passes, each step once, in order.
void TestCycle::multiStepsWithoutDelayShareOneEdge() {
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    p.detect_mode = kDetectMulti;
    p.multi_step_count = 3;
    p.save_ok_record = 1;
    for (int s = 0; s < 8; ++s) {
        p.multi_trig_row[s] = s < 3 ? 0 : -1;
        p.multi_trig_choice[s] = 0;
        p.multi_cut_mode[s] = 0;
    }
    world.derive();
    QCOMPARE(gDNum, 3);
    MainWindow* w = world.build();
    gpSaveFialImageThread->stopForTest();  // the hand-off stays visible
    world.pass();
    MonitorWorld::setInputs(1);
    QList<int> decided;
    for (int i = 0; i < 6; ++i) {
        w->StepPhase = 0;
        world.pass();
        if (w->StepPhase == 2) decided << w->DetectStep;
    }
    QCOMPARE(decided, (QList<int>{0, 1, 2}));
    // Every step passed: its output released, its OK picture handed to the saver; the counters were
    // written at the last step, and nothing is carried over to a next edge.
    for (int s = 0; s < 3; ++s) {
        QCOMPARE(MonitorWorld::out(w->stepOutput(s)), 0);
        QCOMPARE(int(gisSaveFail[failSlot(0, s, 1)]), 1);
        QCOMPARE(w->ImageState[0][s], 0);
    }
    QVERIFY(QFile::exists(kCountFile));
    QCOMPARE(w->carriedInput, -1);
    QCOMPARE(w->DisplayState, 1);
}

// "count.txt" cannot be written (a directory in its way, as a full disk would do): the save fails on
// every cycle, yet the operator gets one box and one record, and the log line reaches standard error
// with file logging off. Once the counters are saved again, a later failure is told again.
void TestCycle::failedCounterSaveIsToldOnce() {
    MonitorWorld world(1);
    quietParams(world.p());
    world.p().log_to_file = 0;
    world.derive();
    world.build();
    const QString told = lanText(600).arg("count.txt");
    auto cycles = [&](int n) {
        for (int i = 0; i < n; ++i) {
            MonitorWorld::setInputs(1);
            world.pass();
            MonitorWorld::setInputs(0);
            world.pass();
            QCoreApplication::processEvents();
        }
    };
    QVERIFY(QDir().mkpath("count.txt"));
    StderrCapture err(world.dir.filePath("stderr.txt"));
    cycles(3);
    QCOMPARE(gAllNum[0], 3);
    QCOMPARE(world.prompter.warnings, QStringList{told});
    QCOMPARE(world.records().filter(told).size(), 1);
    const QByteArray log = err.take();
    QCOMPARE(log.count("file not saved, the previous one is kept: count.txt"), 3);

    QVERIFY(QDir("count.txt").removeRecursively());
    cycles(1);
    QVERIFY(world.dir.readFile("count.txt").startsWith("4 0 "));
    QVERIFY(QFile::remove("count.txt"));
    QVERIFY(QDir().mkpath("count.txt"));
    cycles(1);
    QCOMPARE(world.prompter.warnings, QStringList({told, told}));
}

QTEST_MAIN(TestCycle)
#include "tst_cycle.moc"
