// Paths of the polling loop that the whole-cycle tests do not take: the camera-trigger start, the
// manual snapshot from the option bar, the mould-side arming of two-colour and turntable, the cut
// modes of multi-detection, the automatic template renewal, cameras that did not open among those that
// did, the safety-door trigger, and the brightness of a colour frame. The IO words are set directly
// (no board on the line); loop passes are run by calling Run().
#include <QImage>
#include <QSet>
#include <QtTest>

#include "cyclesetup.h"
#include "editor/drawroiwidget.h"
#include "inspection/optionbar.h"
#include "records/savefialimagethread.h"

namespace {

// Stops the simulated cameras and drops any frame already handed over: from here on the views get
// only the frames the test hands them.
void takeOverFrames(MainWindow* w, const QList<QByteArray>& serials) {
    for (const QByteArray& s : serials) simcam::Bus::instance().stall(s);
    QTest::qWait(200);  // a grab under way ends
    for (CammerWidget* v : w->cams) {
        QMutexLocker lock(pMutex[v->slot]);
        isImageFill[v->slot] = false;
    }
}

// Hands camera c a frame whose every byte is `value`, as the grab side does.
void handFrame(MainWindow* w, int c, uchar value) {
    CammerWidget* v = w->cams[c];
    QMutexLocker lock(pMutex[v->slot]);
    std::fill(v->frameBuffer.begin(), v->frameBuffer.end(), value);
    isImageFill[v->slot] = true;
}

void clearOutputs() {
    gpControlIO->IOResetAllOut();
    gpControlIO->IOFlashOut();
}

// The window on screen, so that presses go through its top-level window as touches do.
void showWindow(MainWindow* w) {
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
}

void press(MainWindow* w, QWidget* target) {
    QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {}, target->mapTo(w, target->rect().center()));
}

QString alarmRecord(int camera) {
    return lanText(640).arg(lanText(151).arg(camera).trimmed());
}

}  // namespace

class TestLoopPaths : public QObject {
    Q_OBJECT
private slots:
    void cameraTriggerStart_data();
    void cameraTriggerStart();
    void manualSnapshotFromOptionBar_data();
    void manualSnapshotFromOptionBar();
    void mouldSideArming_data();
    void mouldSideArming();
    void multiCutModes_data();
    void multiCutModes();
    void automaticTemplateRenewal_data();
    void automaticTemplateRenewal();
    void camerasThatDidNotOpen_data();
    void camerasThatDidNotOpen();
    void safetyDoorRunsLastStepAtOnce_data();
    void safetyDoorRunsLastStepAtOnce();
    void colourFrameBrightness_data();
    void colourFrameBrightness();
    void noJudgingWithoutBoard();
};

void TestLoopPaths::cameraTriggerStart_data() {
    QTest::addColumn<int>("frames");  // bit c: camera c delivered a frame
    QTest::addColumn<bool>("duringAlarm");
    QTest::addColumn<bool>("starts");
    QTest::newRow("no frame") << 0 << false << false;
    QTest::newRow("one camera of two") << 1 << false << false;
    QTest::newRow("both cameras") << 3 << false << true;
    QTest::newRow("both, while the alarm was shown") << 3 << true << false;
}

// In camera-trigger mode the cameras' frames are the mould-open signal: a cycle starts once every
// camera delivered a frame since the last start; frames taken while the alarm is shown do not count.
void TestLoopPaths::cameraTriggerStart() {
    QFETCH(int, frames);
    QFETCH(bool, duringAlarm);
    QFETCH(bool, starts);
    MonitorWorld world(2);
    quietParams(world.p());
    world.p().external_trigger = 1;
    world.p().trig_in_delay[0] = world.p().trig_in_delay[1] = 10;  // the steps wait on their timers
    world.derive();
    MainWindow* w = world.build();
    takeOverFrames(w, {"SIMCAM0001", "SIMCAM0002"});
    w->cameraTrigBits = 0;
    if (duringAlarm) w->DisplayState = 2;
    for (int c = 0; c < 2; ++c)
        if (frames & (1 << c)) handFrame(w, c, 100);
    world.pass();
    if (duringAlarm) {  // the alarm ends; no new frame comes
        w->DisplayState = 0;
        world.pass();
    }
    QCOMPARE(w->StepArmedMask[0] != 0, starts);
    QCOMPARE(w->timerUp[0]->isActive(), starts);
    if (starts) {
        QCOMPARE(w->DetectMethod, 1);  // as a mould-open edge
        QCOMPARE(w->cameraTrigBits, 0);
    }
}

void TestLoopPaths::manualSnapshotFromOptionBar_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("ng");
    QTest::addColumn<int>("noEjectorControl");
    QTest::addColumn<int>("display");  // DisplayState after the pass
    QTest::addColumn<int>("clampCut");
    QTest::addColumn<int>("ejectorCut");
    QTest::newRow("mould snapshot, OK: result shown") << 1 << false << 0 << 1 << 0 << 0;
    QTest::newRow("mould snapshot, NG: alarm, clamping cut") << 1 << true << 0 << 2 << 1 << 0;
    QTest::newRow("product snapshot, NG: both cuts") << 0 << true << 0 << 2 << 1 << 1;
    QTest::newRow("product snapshot, NG, no ejector control") << 0 << true << 1 << 2 << 1 << 0;
}

// The snapshot buttons of the option bar ask for a step; the next pass runs it at once, without its
// delay, and a failed snapshot holds the machine like a failed cycle.
void TestLoopPaths::manualSnapshotFromOptionBar() {
    QFETCH(int, step);
    QFETCH(bool, ng);
    QFETCH(int, noEjectorControl);
    QFETCH(int, display);
    QFETCH(int, clampCut);
    QFETCH(int, ejectorCut);
    MonitorWorld world(1);
    quietParams(world.p());
    world.p().enable_cutoff_ontime = noEjectorControl;
    world.p().trig_in_delay[0] = world.p().trig_in_delay[1] = 30;
    world.derive();
    MainWindow* w = world.build();
    addRegion(w->cams[0], step, ng);
    showWindow(w);
    world.pass();
    clearOutputs();
    press(w, w->optionBar->button(step == 0 ? OptionBar::ProductSnapshot : OptionBar::MouldSnapshot));
    QCOMPARE(w->manualStepRequest, step);
    world.pass();
    QCOMPARE(w->manualStepRequest, gDNum);
    QCOMPARE(w->StepPhase, 2);
    QCOMPARE(w->DetectStep, step);
    QVERIFY(!w->timerUp[step]->isActive());
    QCOMPARE(int(w->manualStart), 0);
    QCOMPARE(w->DisplayState, display);
    QCOMPARE(MonitorWorld::out(kOutClampingCut), clampCut);
    QCOMPARE(MonitorWorld::out(kOutEjectorCut), ejectorCut);
    if (ng) QCOMPARE(world.records().last(), alarmRecord(1));
}

void TestLoopPaths::mouldSideArming_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("cavityPos");
    QTest::addColumn<int>("semiAuto");
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("sideBefore");
    QTest::addColumn<int>("sideAfter");
    QTest::addColumn<bool>("rearmed");  // the cavity step armed again, with its clamping cut
    const int two = kDetectTwoColour, turn = kDetectTurntable, std = kDetectStandard;
    QTest::newRow("two-colour, left mould") << two << 2 << 0 << 2 << 0 << 1 << true;
    QTest::newRow("two-colour, right mould") << two << 2 << 0 << 3 << 1 << 0 << true;
    QTest::newRow("two-colour on the right mould only: left ignored")
        << two << 1 << 0 << 2 << 0 << 0 << false;
    QTest::newRow("two-colour on the left mould only: right ignored")
        << two << 0 << 0 << 3 << 1 << 1 << false;
    QTest::newRow("turntable, start key") << turn << 2 << 0 << 2 << 1 << 1 << true;
    QTest::newRow("standard, semi-automatic: ejector back") << std << 0 << 1 << 2 << 0 << 0 << true;
    QTest::newRow("standard, automatic: ejector back ignored") << std << 0 << 0 << 2 << 0 << 0 << false;
}

// During a cycle, the mould-side inputs of two-colour and the ejector-back or start key re-arm the
// cavity step (and choose the mould side where the procedure has two).
void TestLoopPaths::mouldSideArming() {
    QFETCH(int, mode);
    QFETCH(int, cavityPos);
    QFETCH(int, semiAuto);
    QFETCH(int, input);
    QFETCH(int, sideBefore);
    QFETCH(int, sideAfter);
    QFETCH(bool, rearmed);
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    p.detect_mode = mode;
    p.cavity_pos = cavityPos;
    p.semi_auto = semiAuto;
    for (int s = 0; s < 8; ++s) p.trig_in_delay[s] = 30;
    world.derive();
    MainWindow* w = world.build();
    world.pass();
    MonitorWorld::setInputs(1);  // mould open (turntable: shift left) starts the cycle
    world.pass();
    QVERIFY(w->StepArmedMask[1] != 0);
    for (int s = 0; s < 8; ++s) w->timerUp[s]->stop();  // the steps before ran
    w->MouldSide = sideBefore;
    w->cams[0]->skipFlag[1] = true;
    clearOutputs();
    MonitorWorld::setInputs(1 | (1 << input));
    world.pass();
    QCOMPARE(w->MouldSide, sideAfter);
    QCOMPARE(MonitorWorld::out(kOutClampingCut), rearmed ? 1 : 0);
    QCOMPARE(w->cams[0]->skipFlag[1], !rearmed);
    QVERIFY(w->StepArmedMask[1] != 0);
}

void TestLoopPaths::multiCutModes_data() {
    QTest::addColumn<int>("cutMode");
    QTest::addColumn<int>("product");
    QTest::addColumn<QList<int>>("cutSteps");  // the steps whose outputs the cycle start switches on
    QTest::newRow("cut all") << 0 << 1 << QList<int>{0, 1, 2, 3};
    QTest::newRow("cut self: the next step's group") << 1 << 1 << QList<int>{0, 1};
    QTest::newRow("not cut") << 2 << 1 << QList<int>{};
    QTest::newRow("cut all, product detection off") << 0 << 0 << QList<int>{1, 2, 3};
}

// Multi-detection, four steps in two groups of trigger rows (0, 0, 1, 1): the mould-open edge after the
// last step changes the group, and the cut mode of the new group says whose outputs come on.
void TestLoopPaths::multiCutModes() {
    QFETCH(int, cutMode);
    QFETCH(int, product);
    QFETCH(QList<int>, cutSteps);
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    p.detect_mode = kDetectMulti;
    p.multi_step_count = 4;
    p.enable_prod_detect = product;
    const int rows[8] = {0, 0, 1, 1, -1, -1, -1, -1};
    for (int s = 0; s < 8; ++s) {
        p.multi_trig_row[s] = rows[s];
        p.multi_trig_choice[s] = 0;  // every row on input 0
        p.multi_cut_mode[s] = cutMode;
        p.trig_in_delay[s] = 30;
    }
    world.derive();
    // A commit deferred to the next start leaves an edited table beside the running one: the cycle
    // follows the running copy.
    for (int s = 0; s < 8; ++s) p.multi_trig_row[s] = s;
    MainWindow* w = world.build();
    QCOMPARE(w->multiStep, 3);
    world.pass();
    clearOutputs();
    MonitorWorld::setInputs(1);
    world.pass();
    QCOMPARE(w->multiStep, product ? 0 : 1);  // the first step switched on counts down
    QSet<int> outputs;
    for (int s = 0; s < 4; ++s) outputs << w->stepOutput(s);
    QCOMPARE(outputs.size(), 4);  // four different outputs: each step is seen on its own
    for (int s = 0; s < 4; ++s)
        QVERIFY2(MonitorWorld::out(w->stepOutput(s)) == (cutSteps.contains(s) ? 1 : 0),
                 qPrintable(QString("step %1").arg(s)));
}

void TestLoopPaths::automaticTemplateRenewal_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("autoUpdate");
    QTest::addColumn<bool>("ng");
    QTest::addColumn<bool>("renews");
    QTest::newRow("automatic parts, switch on, OK") << int(kDetectAutoParts) << 1 << false << true;
    QTest::newRow("automatic parts, switch off") << int(kDetectAutoParts) << 0 << false << false;
    QTest::newRow("standard procedure") << int(kDetectStandard) << 1 << false << false;
    QTest::newRow("automatic parts, NG") << int(kDetectAutoParts) << 1 << true << false;
}

// In the automatic-parts procedure a good last step becomes the master template of the cavity step,
// and the matching models are rebuilt when the result display ends.
void TestLoopPaths::automaticTemplateRenewal() {
    QFETCH(int, mode);
    QFETCH(int, autoUpdate);
    QFETCH(bool, ng);
    QFETCH(bool, renews);
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    p.detect_mode = mode;
    p.template_auto_update = autoUpdate;
    p.enable_prod_detect = 0;  // the cavity step alone
    world.derive();
    MainWindow* w = world.build();
    CammerWidget* v = w->cams[0];
    addRegion(v, 1, ng);
    takeOverFrames(w, {"SIMCAM0001"});
    world.pass();
    QFile::remove(QStringLiteral("cammer12/template0.bmp"));
    handFrame(w, 0, 77);
    MonitorWorld::setInputs(1);
    world.pass();  // the frame and the edge in one pass: the step runs on this frame
    QCOMPARE(w->StepPhase, 2);
    QCOMPARE(gisReShape, renews ? 1 : 0);
    QCOMPARE(int(v->data.templates[1][0].at<uchar>(0, 0)) == 77, renews);
    const QImage file(QStringLiteral("cammer12/template0.bmp"));
    QCOMPARE(!file.isNull() && qGray(file.pixel(0, 0)) == 77, renews);
    w->TimerShow();
    QCOMPARE(gisReShape, 0);
}

void TestLoopPaths::camerasThatDidNotOpen_data() {
    QTest::addColumn<int>("missing");  // the slot bound to a camera that is not there
    QTest::addColumn<QList<int>>("used");
    QTest::newRow("middle of three") << 1 << QList<int>{0, 2};
    QTest::newRow("last of three") << 2 << QList<int>{0, 1};
}

// A slot whose bound camera is missing stays unbuilt and hidden; the cycle, the layout and the alarm
// record work on the views whose cameras opened, each named by its slot.
void TestLoopPaths::camerasThatDidNotOpen() {
    QFETCH(int, missing);
    QFETCH(QList<int>, used);
    MonitorWorld world(0);
    // GigE cameras: a bound serial number finds the camera among them.
    for (int slot = 0; slot < 3; ++slot) {
        simcam::CameraSpec spec;
        spec.vendor = simcam::Vendor::Hikvision;
        spec.serial = "SIMCAM000" + QByteArray::number(slot + 1);
        spec.width = 64;
        spec.height = 48;
        simcam::Bus::instance().addCamera(spec);
    }
    quietParams(world.p());
    world.p().enable_prod_detect = 0;
    world.derive();
    for (int slot = 0; slot < 3; ++slot) {
        const QByteArray serial =
            slot == missing ? QByteArray("NOSUCHCAMERA") : "SIMCAM000" + QByteArray::number(slot + 1);
        memset(gSerialNB[slot], 0, kSerialLen);
        memcpy(gSerialNB[slot], serial.constData(), size_t(serial.size()));
    }
    MainWindow* w = world.build();
    QCOMPARE(numCamera, used.size());
    for (int c = 0; c < used.size(); ++c) QCOMPARE(w->cams[c], w->views[used[c]]);
    QVERIFY(!w->views[missing]->isBuilt());
    QVERIFY(w->views[missing]->isHidden());
    // Two views side by side, in slot order.
    QCOMPARE(w->cams[0]->geometry().x(), 0);
    QCOMPARE(w->cams[1]->geometry().x(), gShowW / 2);
    QVERIFY(!w->cams[1]->isHidden());
    // The second used camera fails the cavity step: the record, its counters and its picture folders
    // name it by its slot (the number on its badge), whatever camera is missing before it.
    addRegion(w->cams[1], 1, true);
    world.pass();
    MonitorWorld::setInputs(1);
    world.pass();
    QCOMPARE(w->DisplayState, 2);
    QCOMPARE(world.records().last(), alarmRecord(used[1] + 1));
    QCOMPARE(gAllNum[used[0]], 1);
    QCOMPARE(gAllNum[used[1]], 1);
    QCOMPARE(gFailNum[used[1]], 1);
    QCOMPARE(gFailNum[used[0]], 0);
    QCOMPARE(gAllNum[missing], 0);
    for (int slot = 0; slot < 3; ++slot)
        QCOMPARE(QDir(QString("alarmimage/camera%1/detect1/NG").arg(slot + 1)).exists(), slot != missing);
}

void TestLoopPaths::safetyDoorRunsLastStepAtOnce_data() {
    QTest::addColumn<int>("delay");  // of the cavity step, tenths of a second
    QTest::newRow("0.1 s") << 1;
    QTest::newRow("0.2 s") << 2;
    QTest::newRow("3 s") << 30;
}

// With "Safety door trigger detection" the door asks for the cavity step now: it runs in the pass of
// the door's edge whatever is left of its delay.
void TestLoopPaths::safetyDoorRunsLastStepAtOnce() {
    QFETCH(int, delay);
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    p.enable_prod_detect = 0;
    p.enable_trigger_safety = 1;
    p.trig_in_delay[1] = delay;
    world.derive();
    MainWindow* w = world.build();
    addRegion(w->cams[0], 1, false);
    world.pass();
    MonitorWorld::setInputs(1);  // mould open: the cavity step counts down
    world.pass();
    QVERIFY(w->timerUp[1]->isActive());
    QCOMPARE(w->remainingDelay[1], delay);
    QCOMPARE(w->StepPhase, 1);
    MonitorWorld::setInputs(1 | 2);  // the safety door
    world.pass();
    QVERIFY(!w->timerUp[1]->isActive());
    QCOMPARE(w->remainingDelay[1], 0);
    QCOMPARE(w->StepPhase, 2);
    QCOMPARE(w->DisplayState, 1);
    QCOMPARE(gAllNum[0], 1);
    QCOMPARE(w->safeDoorTrigger, 0);
}

void TestLoopPaths::colourFrameBrightness_data() {
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("brightness");  // the grey level of the colour
    QTest::newRow("red") << QColor(255, 0, 0) << 76;
    QTest::newRow("green") << QColor(0, 255, 0) << 150;
    QTest::newRow("blue") << QColor(0, 0, 255) << 29;
    QTest::newRow("white") << QColor(255, 255, 255) << 255;
    QTest::newRow("dark grey") << QColor(40, 40, 40) << 40;
}

// The "Aver" figure of a colour camera is the mean grey level of the whole frame.
void TestLoopPaths::colourFrameBrightness() {
    QFETCH(QColor, colour);
    QFETCH(int, brightness);
    MonitorWorld world(0);
    simcam::CameraSpec spec;
    spec.vendor = simcam::Vendor::Hikvision;
    spec.serial = "SIMCOLOUR1";
    spec.width = 64;
    spec.height = 48;
    spec.color = true;
    spec.gige = false;
    simcam::Bus::instance().addCamera(spec);
    world.p().enable_color_camera = 1;
    world.derive();
    MainWindow* w = world.build();
    QCOMPARE(numCamera, 1);
    QVERIFY(gisColor);
    takeOverFrames(w, {spec.serial});
    CammerWidget* v = w->cams[0];
    {
        QMutexLocker lock(pMutex[v->slot]);
        // Blue, green, red, 0 per pixel.
        for (size_t i = 0; i + 3 < v->frameBuffer.size(); i += 4) {
            v->frameBuffer[i] = uchar(colour.blue());
            v->frameBuffer[i + 1] = uchar(colour.green());
            v->frameBuffer[i + 2] = uchar(colour.red());
            v->frameBuffer[i + 3] = 0;
        }
        isImageFill[v->slot] = true;
    }
    world.pass();
    QCOMPARE(v->brightness, brightness);
}

// The IO board goes while the cavity step counts down: the step is not judged, counted or archived,
// and the record says it was not acted on.
void TestLoopPaths::noJudgingWithoutBoard() {
    MonitorWorld world(1);
    WizardPara& p = world.p();
    quietParams(p);
    p.enable_prod_detect = 0;
    p.trig_in_delay[1] = 3;
    world.derive();
    MainWindow* w = world.build();
    addRegion(w->cams[0], 1, true);  // it would be NG
    world.pass();
    MonitorWorld::setInputs(1);  // mould open: the cavity step counts down
    world.pass();
    QVERIFY(w->timerUp[1]->isActive());
    setIOLinkLost(true);
    world.pass();
    QCOMPARE(world.records().last(), lanText(601));
    for (int tick = 0; tick < 10 && w->timerUp[1]->isActive(); ++tick) w->TimerUp(1);
    QVERIFY(!w->timerUp[1]->isActive());
    QCOMPARE(w->StepPhase, 2);
    QCOMPARE(w->StepArmedMask[1], 0);
    QVERIFY(w->DisplayState != 2);  // no alarm
    QCOMPARE(gAllNum[0], 0);
    QCOMPARE(gFailNum[0], 0);
    {
        QMutexLocker lock(pMutexSaveFail);
        QCOMPARE(int(gisSaveFail[failSlot(0, 1, 0)]), 0);
    }
    QCOMPARE(world.records().last(), lanText(611).arg(2));
    // The board back: the next cycle is judged again.
    setIOLinkLost(false);
    world.pass();
    MonitorWorld::setInputs(0);
    world.pass();
    MonitorWorld::setInputs(1);
    world.pass();
    for (int tick = 0; tick < 10 && w->timerUp[1]->isActive(); ++tick) w->TimerUp(1);
    QCOMPARE(gAllNum[0], 1);
    QCOMPARE(w->DisplayState, 2);
}

QTEST_MAIN(TestLoopPaths)
#include "tst_looppaths.moc"
