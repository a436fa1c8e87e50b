// The main window's start-up and its polling loop, with simulated cameras and the IO words set
// directly (no board on the line). Loop passes are run by calling Run(); timer slots are called
// directly where exact counts matter.
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "camera/cameraglobals.h"
#include "camera/camerahost.h"
#include "camera/cameraloss.h"
#include "camera/cameraslot.h"
#include "inspection/mainbars.h"
#include "widgets/indexbutton.h"
#include "app/paramkeys.h"
#include "monitorworld.h"
#include "platform/system/timing.h"
#include "records/iostatus.h"
#include "records/savefialimagethread.h"
#include "widgets/bmessagebox.h"

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startupWithCameras_data();
    void startupWithCameras();
    void noCameraBuildsFourTestViews();
    void unopenedRecordDatabaseIsRestored();
    void frameHandOffUnderLock();
    void cycleStartPerProcedure_data();
    void cycleStartPerProcedure();
    void inputConfirmation_data();
    void inputConfirmation();
    void stepDelaysAddUp_data();
    void stepDelaysAddUp();
    void noInputWarningNeverNests();
    void manualProductSnapshotWithoutProductDetection();
    void indexPanelToggleZone();
    void cycleStampDifferenceWraps();
    void silentCameraIsLostAndRestarted_data();
    void silentCameraIsLostAndRestarted();
    void networkResetOffThePollingPass();
    void absurdStoredValues_data();
    void absurdStoredValues();
};

void TestMainWindow::startupWithCameras_data() {
    QTest::addColumn<int>("cameras");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("prod");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("detectStep");
    QTest::newRow("one camera, standard, product on") << 1 << int(kDetectStandard) << 1 << 0 << 0;
    QTest::newRow("two cameras, standard, product off") << 2 << int(kDetectStandard) << 0 << 2 << 1;
    QTest::newRow("two cameras, multi-detection 5 steps") << 2 << int(kDetectMulti) << 1 << 2 << 4;
}

void TestMainWindow::startupWithCameras() {
    QFETCH(int, cameras);
    QFETCH(int, mode);
    QFETCH(int, prod);
    QFETCH(int, shown);
    QFETCH(int, detectStep);
    MonitorWorld world(cameras);
    world.p().detect_mode = mode;
    world.p().enable_prod_detect = prod;
    world.p().multi_step_count = 5;
    for (int s = 0; s < 5; ++s) world.p().multi_trig_row[s] = s;
    world.derive();
    MainWindow* w = world.build();
    QCOMPARE(numCamera, cameras);
    QCOMPARE(w->cams.size(), cameras);
    QCOMPARE(w->displayedCamera, shown);
    QCOMPARE(w->DetectStep, detectStep);
    QCOMPARE(w->manualStepRequest, gDNum);
    for (int c = 1; c <= cameras; ++c)
        for (int d = 1; d <= 8; ++d) {
            QVERIFY(QDir(QStringLiteral("alarmimage/camera%1/detect%2/NG").arg(c).arg(d)).exists());
            QVERIFY(QDir(QStringLiteral("alarmimage/camera%1/detect%2/OK").arg(c).arg(d)).exists());
            QVERIFY(QDir(QStringLiteral("cammer%1%2").arg(c).arg(d)).exists());
            QVERIFY(QDir(QStringLiteral("originalimage/cammer%1%2").arg(c).arg(d)).exists());
        }
    QVERIFY(!QDir(QStringLiteral("alarmimage/camera%1").arg(cameras + 1)).exists());
    QVERIFY(world.records().contains(lanText(150).arg(cameras)));
    QVERIFY(QFile::exists("time.txt"));
    QVERIFY(QDir("ResStatistics").exists());
    QCOMPARE(gisRunWTD, 1);
    QVERIFY(!world.dir.commands().join('\n').contains("reboot"));
    QCOMPARE(world.prompter.questions.size(), 0);
    // Views above the cameras did not open: not built, not used, and no picture memory.
    QVERIFY(!w->views[cameras]->isBuilt());
    QVERIFY(w->views[cameras]->frameBuffer.empty());
    QVERIFY(w->views[cameras]->displayBuffer.empty());
    QVERIFY(w->views[cameras]->paintPixels.empty());
    for (int c = 0; c < cameras; ++c) QVERIFY(w->cams[c]->isBuilt());
    // Only the steps of the procedure get templates: the synthetic master when there is none.
    QCOMPARE(w->cams[0]->data.templateCount[0], 1);
    QCOMPARE(w->cams[0]->data.templateCount[gDNum], 0);
    // Memory by use: a frame only for the templates that exist (here the synthetic master) and
    // buffers only for the steps of the procedure; recent NG frames once an NG is stored.
    const CammerViewData& data = w->cams[0]->data;
    QVERIFY(!data.templateImage(0, 0).empty());
    for (int k = 1; k < gTempNum; ++k) QVERIFY(data.templateImage(0, k).empty());
    QVERIFY(!data.ignoreImages[0].empty());
    QVERIFY(gpFailImage[failSlot(0, 0, 0)] != nullptr);
    if (gDNum < kMaxStep) {
        QVERIFY(data.ignoreImages[gDNum].empty());
        QVERIFY(data.templateImage(gDNum, 0).empty());
        QVERIFY(gpFailImage[failSlot(0, gDNum, 0)] == nullptr);
    }
    for (const auto& ring : w->cams[0]->recentNG[0]) QVERIFY(ring.empty());
    // The login indicator belongs to the camera page.
    QVERIFY(!w->ioStatus->isHidden());
    QCOMPARE(w->ioStatus->geometry(), QRect(700, 1030, 200, 50));
    w->pageStack->setCurrentIndex(1);
    QVERIFY(w->ioStatus->isHidden());
    w->pageStack->setCurrentIndex(0);
    QVERIFY(!w->ioStatus->isHidden());
    // The camera layer walks the used views.
    QCOMPARE(cameraViewCount(), cameras);
    // Picture filters from the stored values, scaled once: the stored defaults (contrast and
    // gamma 100) give the camera's own picture.
    const WizardPara& p = world.p();
    QCOMPARE(w->cams[0]->FilterDescription(),
             v4l2ContrastFilter(p.contrast[0]) + v4l2GammaFilter(p.gamma[0]) + v4l2SharpFilter(p.sharp[0]));
    // The snapshot panel is up; the screen-off delay switches the backlight off.
    QVERIFY(!w->indexButton->isHidden());
    w->TimerLCD();
    QCOMPARE(w->screenOff, 1);
    // The loop was armed for its first pass.
    w->runTimer->start(5);
    QTRY_VERIFY_WITH_TIMEOUT(gRunCount > 3, 10000);
}

void TestMainWindow::noCameraBuildsFourTestViews() {
    MonitorWorld world(0);
    world.prompter.queueAnswer(false);
    world.derive();
    MainWindow* w = world.build();
    QCOMPARE(gCameraID, int(kCameraNone));
    QCOMPARE(numCamera, 4);
    for (int i = 0; i < 4; ++i) {
        QVERIFY(w->cams[i]->isBuilt());
        QCOMPARE(w->cams[i]->data.rawBuffer.size(), size_t(gColorLen));
    }
    QCOMPARE(world.prompter.questions, QStringList{lanText(134)});
    world.pass();  // the cycle walks four complete views
    QVERIFY(!w->views[4]->isBuilt());
}

void TestMainWindow::unopenedRecordDatabaseIsRestored() {
    MonitorWorld world(1, false);
    world.derive();
    world.build();
    // A missing database is made from the template on the spot: no warning, no reboot.
    QVERIFY(world.prompter.warnings.isEmpty());
    QVERIFY(world.records().contains(lanText(150).arg(1)));
    QVERIFY(!world.dir.commands().join('\n').contains("reboot"));
}

void TestMainWindow::frameHandOffUnderLock() {
    MonitorWorld world(1);
    world.derive();
    MainWindow* w = world.build();
    CammerWidget* v = w->cams[0];
    auto waiting = [&] {
        QMutexLocker lock(pMutex[v->slot]);
        return isImageFill[v->slot];
    };
    QTRY_VERIFY_WITH_TIMEOUT(waiting(), 10000);
    // No further frames: the camera stalls, and a hand-off already under way ends meanwhile.
    simcam::Bus::instance().stall("SIMCAM0001");
    QTest::qWait(200);
    {
        // While the grab side cannot write, the pass takes exactly the waiting frame.
        QMutexLocker lock(pMutex[v->slot]);
        std::fill(v->frameBuffer.begin(), v->frameBuffer.end(), uchar(200));
    }
    const int before = w->frameCount[0];
    world.pass();
    QCOMPARE(w->frameCount[0], before + 1);
    QVERIFY(w->freshFrame[0]);
    QVERIFY(
        std::all_of(v->data.rawBuffer.begin(), v->data.rawBuffer.end(), [](uchar b) { return b == 200; }));
    QCOMPARE(v->brightness, 200);
    QVERIFY(std::all_of(v->displayBuffer.begin(), v->displayBuffer.end(), [](uchar b) { return b == 200; }));
}

void TestMainWindow::cycleStartPerProcedure_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("anyOrder");
    QTest::addColumn<int>("cavityPos");
    QTest::addColumn<int>("input");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<int>("clampCut");
    QTest::addColumn<int>("ejectorCut");
    QTest::addColumn<int>("mouldSide");  // -1: not checked
    QTest::newRow("standard, mould open") << int(kDetectStandard) << 0 << 0 << 0 << true << 1 << 1 << -1;
    QTest::newRow("standard, ejector back") << int(kDetectStandard) << 0 << 0 << 2 << false << 0 << 0 << -1;
    QTest::newRow("standard, safety door") << int(kDetectStandard) << 0 << 0 << 1 << false << 0 << 0 << -1;
    QTest::newRow("standard any order, mould open")
        << int(kDetectStandard) << 1 << 0 << 0 << true << 0 << 1 << -1;
    QTest::newRow("standard any order, ejector back")
        << int(kDetectStandard) << 1 << 0 << 2 << true << 1 << 0 << -1;
    QTest::newRow("auto parts, mould open") << int(kDetectAutoParts) << 0 << 0 << 0 << true << 1 << 1 << -1;
    QTest::newRow("mode 5 never cuts at start")
        << int(kDetectStandardNoRecheck) << 0 << 0 << 0 << true << 0 << 1 << -1;
    QTest::newRow("turntable all, shift left") << int(kDetectTurntable) << 0 << 2 << 0 << true << 1 << 1 << 1;
    QTest::newRow("turntable all, shift right")
        << int(kDetectTurntable) << 0 << 2 << 3 << true << 1 << 1 << 0;
    QTest::newRow("turntable right mould, shift left")
        << int(kDetectTurntable) << 0 << 1 << 0 << false << 0 << 0 << -1;
    QTest::newRow("turntable left mould, shift right")
        << int(kDetectTurntable) << 0 << 0 << 3 << false << 0 << 0 << -1;
    QTest::newRow("two-colour, mould open") << int(kDetectTwoColour) << 0 << 2 << 0 << true << 1 << 1 << -1;
    QTest::newRow("multi, mould open: no start outputs")
        << int(kDetectMulti) << 0 << 0 << 0 << true << 0 << 0 << -1;
}

void TestMainWindow::cycleStartPerProcedure() {
    QFETCH(int, mode);
    QFETCH(int, anyOrder);
    QFETCH(int, cavityPos);
    QFETCH(int, input);
    QFETCH(bool, starts);
    QFETCH(int, clampCut);
    QFETCH(int, ejectorCut);
    QFETCH(int, mouldSide);
    MonitorWorld world(1);
    WizardPara& p = world.p();
    p.detect_mode = mode;
    p.enable_prod_detect = 1;
    p.semi_auto = 0;
    p.detect_any_order = anyOrder;
    p.cavity_pos = cavityPos;
    p.pre_cut = 0;
    p.ok_ng_pulse = 0;
    p.cut_clamp_on_mold_alarm = 0;
    p.cavity_ng_clamp = 0;
    p.enable_stop_not_alarm = 0;
    p.cut_thimble_on_prod_alarm = 0;
    p.enable_cutoff_ontime = 0;
    p.shake_erase_time = 0;
    p.input_timeout_len = 0;
    p.is_cut_ontime = 0;
    p.enable_trigger_safety = 0;
    p.multi_step_count = 3;
    for (int s = 0; s < 3; ++s) {
        p.multi_trig_row[s] = s;
        p.multi_trig_choice[s] = 0;  // every row on input 0
        p.multi_cut_mode[s] = 2;     // "Not Cut": no step output at the start
    }
    for (int s = 0; s < 8; ++s) p.trig_in_delay[s] = 10;  // steps wait on their timers
    for (int o = 0; o < 9; ++o) p.output_inverted[o] = 0;
    world.derive();
    MainWindow* w = world.build();
    world.pass();
    QCOMPARE(MonitorWorld::out(0), 0);
    QCOMPARE(MonitorWorld::out(1), 0);
    const uint32_t stampBefore = w->cycleStamp;
    Q_UNUSED(stampBefore);
    MonitorWorld::setInputs(1 << input);
    world.pass();
    bool armed = false;
    for (int s = 0; s < 8; ++s) armed = armed || w->StepArmedMask[s] != 0;
    QCOMPARE(armed, starts);
    QCOMPARE(MonitorWorld::out(0), clampCut);
    QCOMPARE(MonitorWorld::out(1), ejectorCut);
    if (mouldSide >= 0) QCOMPARE(w->MouldSide, mouldSide);
    if (starts) QCOMPARE(w->DetectMethod, input + 1);
}

void TestMainWindow::inputConfirmation_data() {
    QTest::addColumn<bool>("heldAtConfirmation");
    QTest::newRow("released before the confirmation") << false;
    QTest::newRow("held until the confirmation") << true;
}

void TestMainWindow::inputConfirmation() {
    QFETCH(bool, heldAtConfirmation);
    MonitorWorld world(1);
    WizardPara& p = world.p();
    p.detect_mode = kDetectStandard;
    p.shake_erase_time = 5;
    p.trig_in_delay[0] = p.trig_in_delay[1] = 10;
    world.derive();
    MainWindow* w = world.build();
    world.pass();
    MonitorWorld::setInputs(1);
    world.pass();
    QVERIFY(w->checkInputTimer[0]->isActive());
    QCOMPARE(w->checkInputTimer[0]->interval(), 500);
    QCOMPARE(w->StepArmedMask[1], 0);
    world.pass();  // still waiting
    QCOMPARE(w->StepArmedMask[1], 0);
    if (!heldAtConfirmation) MonitorWorld::setInputs(0);
    world.pass();  // the loop reads the input levels on every pass
    w->TimerCheckInput0();
    QVERIFY(!w->checkInputTimer[0]->isActive());
    QCOMPARE(int(w->inputConfirmed[0]), heldAtConfirmation ? 1 : 0);
    world.pass();
    QCOMPARE(w->StepArmedMask[1] != 0, heldAtConfirmation);
    QCOMPARE(int(w->inputConfirmed[0]), 0);
}

void TestMainWindow::stepDelaysAddUp_data() {
    QTest::addColumn<int>("semiAuto");
    QTest::addColumn<int>("prod");
    QTest::addColumn<int>("step0");  // tenths of a second
    QTest::addColumn<int>("step1");
    QTest::newRow("product on: cumulative") << 0 << 1 << 10 << 25;
    QTest::newRow("product off: own delay") << 0 << 0 << 0 << 15;
    QTest::newRow("semi-automatic: cavity on the ejector back") << 1 << 1 << 10 << 15;
}

void TestMainWindow::stepDelaysAddUp() {
    QFETCH(int, semiAuto);
    QFETCH(int, prod);
    QFETCH(int, step0);
    QFETCH(int, step1);
    MonitorWorld world(1);
    WizardPara& p = world.p();
    p.detect_mode = kDetectStandard;
    p.semi_auto = semiAuto;
    p.enable_prod_detect = prod;
    p.shake_erase_time = 0;
    p.trig_in_delay[0] = 10;
    p.trig_in_delay[1] = 15;
    world.derive();
    MainWindow* w = world.build();
    world.pass();
    MonitorWorld::setInputs(1);  // mould open
    world.pass();
    if (semiAuto) {
        QVERIFY(!w->timerUp[1]->isActive());
        for (int s = 0; s < 8; ++s) w->timerUp[s]->stop();  // the product step ran
        MonitorWorld::setInputs(1 | 4);                     // ejector back
        world.pass();
    }
    QCOMPARE(w->remainingDelay[0], step0);
    QCOMPARE(w->remainingDelay[1], step1);
    QVERIFY(w->timerUp[1]->isActive());
    QCOMPARE(w->StepPhase, 1);
    // One tick per tenth; the step runs on the tick that finds one tenth left.
    const int ticks = step1;
    for (int i = 0; i < ticks - 1; ++i) w->TimerUp(1);
    QVERIFY(w->timerUp[1]->isActive());
    w->TimerUp(1);
    QVERIFY(!w->timerUp[1]->isActive());
    QCOMPARE(w->StepPhase, 2);
}

void TestMainWindow::noInputWarningNeverNests() {
    MonitorWorld world(1);
    WizardPara& p = world.p();
    p.detect_mode = kDetectStandard;
    p.input_timeout_len = 1;
    p.shake_erase_time = 0;
    p.trig_in_delay[0] = p.trig_in_delay[1] = 10;
    world.derive();
    MainWindow* w = world.build();
    world.pass();
    MonitorWorld::setInputs(1);
    world.pass();
    QVERIFY(w->inCheckTimer->isActive());
    QCOMPARE(w->inCheckTimer->interval(), 1000);
    w->InCheck();
    QCOMPARE(MonitorWorld::out(0), 1);
    QVERIFY(!w->inCheckTimer->isActive());
    QCOMPARE(int(w->noInputWarned), 1);
    QVERIFY(gpWarnBox->isVisible());
    QVERIFY(gpWarnBox->confirmButton->isVisible());
    QCOMPARE(gpWarnBox->textLabel->text(), lanText(335));
    QVERIFY(world.records().contains(lanText(335)));
    QVERIFY(world.prompter.warnings.isEmpty());  // no modal loop
    // The next cycle start takes the warning down instead of arming another one.
    for (int s = 0; s < 8; ++s) w->timerUp[s]->stop();
    MonitorWorld::setInputs(0);
    world.pass();
    MonitorWorld::setInputs(1);
    world.pass();
    QVERIFY(!gpWarnBox->isVisible());
    QCOMPARE(int(w->noInputWarned), 0);
    QVERIFY(!w->inCheckTimer->isActive());
}

void TestMainWindow::manualProductSnapshotWithoutProductDetection() {
    MonitorWorld world(1);
    world.p().enable_prod_detect = 0;
    world.derive();
    MainWindow* w = world.build();
    const int request = w->manualStepRequest;
    w->SlotManualTrig0();
    QCOMPARE(world.prompter.warnings, QStringList{lanText(145)});
    QCOMPARE(w->manualStepRequest, request);
}

// The snapshot panel's toggle zone on the whole window: a press in its left 110 pixels, anywhere down
// the panel and through the top-level window, applies the snapshot switch again (here changed
// without a commit); a press right of the zone does not.
void TestMainWindow::indexPanelToggleZone() {
    MonitorWorld world(1);
    world.p().snap_shot = 0;
    MainWindow* w = world.build();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    IndexButton* panel = w->indexButton;
    QVERIFY(panel->isVisible());
    QWidget* mould = panel->button(IndexButton::BtnMouldSnapshot);
    QVERIFY(!mould->isVisible());
    auto press = [w, panel](int x, int y) {
        QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {}, panel->mapTo(w, QPoint(x, y)));
    };
    world.p().snap_shot = 1;
    press(150, 500);
    QVERIFY(!mould->isVisible());
    press(60, 500);  // well below the logo
    QVERIFY(mould->isVisible());
    world.p().snap_shot = 0;
    press(100, 300);
    QVERIFY(!mould->isVisible());
}

void TestMainWindow::cycleStampDifferenceWraps() {
    MonitorWorld world(1);
    world.derive();
    MainWindow* w = world.build();
    w->cycleStamp = 0xFFFFFFF0u;  // just before the 32-bit wrap
    const uint32_t now = cycleStampNow();
    w->SlotManualTrig1();
    world.pass();
    QVERIFY(w->cycleStamp >= now);
    QCOMPARE(w->cycleTime, uint32_t(w->cycleStamp - 0xFFFFFFF0u));
}

void TestMainWindow::silentCameraIsLostAndRestarted_data() {
    QTest::addColumn<int>("trigger");  // camera trigger mode
    QTest::addColumn<int>("seconds");  // frame-rate ticks without a frame
    QTest::addColumn<bool>("lost");
    QTest::newRow("5 s silent") << 0 << 5 << false;
    QTest::newRow("6 s silent") << 0 << 6 << true;
    QTest::newRow("camera trigger mode") << 1 << 12 << false;
}

void TestMainWindow::silentCameraIsLostAndRestarted() {
    QFETCH(int, trigger);
    QFETCH(int, seconds);
    QFETCH(bool, lost);
    MonitorWorld world(2);
    world.p().external_trigger = trigger;
    world.derive();
    MainWindow* w = world.build();
    // The second camera leaves the bus; no loop pass takes frames meanwhile.
    simcam::Bus::instance().unplug("SIMCAM0002");
    for (int i = 0; i < seconds; ++i) w->SlotFPS();
    QCOMPARE(bool(gisLost), lost);
    if (!lost) return;
    QCOMPARE(MonitorWorld::out(kOutClampingCut), 1);
    QVERIFY(!w->cams[0]->data.allOk);
    // While lost the loop restarts the cameras every 3 s; it succeeds once the camera is back.
    world.pass();
    QVERIFY(gisLost);
    QCOMPARE(w->runTimer->interval(), TimeMs("run.lost", 3000));
    simcam::Bus::instance().replug("SIMCAM0002");
    world.pass();
    QVERIFY(!gisLost);
    QVERIFY(simcam::Bus::instance().isOpen("SIMCAM0002"));
}

// A MindVision system resets its network interfaces before it looks for the lost cameras again: the
// commands and their pauses run off the polling pass. Passes meanwhile start no second reset and keep
// the clamping cut on; the enumeration follows the reset, and the cameras reopen once all are back.
void TestMainWindow::networkResetOffThePollingPass() {
    MonitorWorld world(0);
    simcam::CameraSpec spec;
    spec.vendor = simcam::Vendor::MindVision;
    spec.width = 64;
    spec.height = 48;
    spec.fps = 50;
    for (const char* serial : {"MIND0001", "MIND0002"}) {
        spec.serial = serial;
        simcam::Bus::instance().addCamera(spec);
    }
    QVERIFY(world.dir.writeFile(
        "sysroot/proc/net/dev",
        "Inter-|   Receive\n face |bytes\n    lo: 1 0 0\n  eth0: 1 0 0\n  eth1: 1 0 0\n"));
    MainWindow* w = world.build();
    QCOMPARE(gCameraID, int(kCameraMindVision));
    simcam::Bus::instance().unplug("MIND0002");
    for (int i = 0; i < 6; ++i) w->SlotFPS();
    QVERIFY(gisLost);
    static std::atomic<int> pauses{0};
    pauses = 0;
    setCameraSleeper([](int) {
        ++pauses;
        QThread::msleep(60);
    });
    simcam::Bus::instance().clearLog();
    MonitorWorld::setInputs(0);
    world.pass();
    QVERIFY(cameraRestartUnderWay());
    QCOMPARE(MonitorWorld::out(kOutClampingCut), 1);
    int passes = 0;
    while (cameraRestartUnderWay() && passes < 1000) {
        world.pass();  // the loop's lost passes go on meanwhile
        QCOMPARE(MonitorWorld::out(kOutClampingCut), 1);
        QTest::qWait(5);
        ++passes;
    }
    QVERIFY(!cameraRestartUnderWay());
    QVERIFY2(passes >= 5, qPrintable(QString::number(passes)));
    QCOMPARE(int(pauses), 4);  // one reset: two pauses for each of the two interfaces
    const QStringList reset{
        "ip addr flush dev eth0 >/dev/null 2>&1", "ifdown eth0 >/dev/null 2>&1", "ifup eth0 >/dev/null 2>&1",
        "ip addr flush dev eth1 >/dev/null 2>&1", "ifdown eth1 >/dev/null 2>&1", "ifup eth1 >/dev/null 2>&1"};
    QCOMPARE(world.dir.commands().filter(QRegularExpression("^(ip addr|ifdown|ifup)")), reset);
    QVERIFY(simcam::Bus::instance().log().value(0).startsWith("CameraEnumerateDevice"));
    QVERIFY(gisLost);  // one camera short

    simcam::Bus::instance().replug("MIND0002");
    world.pass();
    QTRY_VERIFY(!cameraRestartUnderWay());
    QTRY_VERIFY(!gisLost);
    QVERIFY(simcam::Bus::instance().isOpen("MIND0002"));
    setCameraSleeper(&noSleep);
}

// Every stored integer of PARAM.db at an absurd value: the load brings what the cycle computes with into
// range, so the monitor starts, a cycle starts and every timer gets a length it can run with.
void TestMainWindow::absurdStoredValues_data() {
    QTest::addColumn<qint64>("value");
    QTest::newRow("INT_MAX") << qint64(INT_MAX);
    QTest::newRow("INT_MIN") << qint64(INT_MIN);
    QTest::newRow("-1") << qint64(-1);
    QTest::newRow("99999999") << qint64(99999999);  // within the no-input time-out's stored range
}

void TestMainWindow::absurdStoredValues() {
    QFETCH(qint64, value);
    MonitorWorld world(1);
    ParameterManager* pm = ParameterManager::getInstance();
    QSqlQuery q(pm->paramDb);
    for (const ParaIntKey& key : paraIntKeys(ParaKeyOrder::Load)) {
        QStringList values;
        for (size_t i = 0; i < key.values.size(); ++i) values << QString::number(value);
        q.prepare("update sysparam set value = ? where name = ?");
        q.addBindValue(values.join(' '));
        q.addBindValue(QString(key.name));
        QVERIFY(q.exec());
    }
    *gpWPara = WizardPara();
    gpWPara->LoadDatafromFile(pm->paramQuery);
    QVERIFY(gDNum >= 2 && gDNum <= 8);
    QVERIFY(gLan >= 0 && gLan <= 2);
    MainWindow* w = world.build();
    QVERIFY(gisCut == 0 || gisCut == 1);
    world.pass();
    MonitorWorld::setInputs(0x3FF);  // every input at once
    for (int i = 0; i < 5; ++i) world.pass();
    for (QTimer* t : w->findChildren<QTimer*>())
        QVERIFY2(t->interval() >= 0, qPrintable(QString("%1 ms").arg(t->interval())));
    for (int s = 0; s < kMaxStep; ++s) QVERIFY(w->remainingDelay[s] >= 0);
    if (value == 99999999) QCOMPARE(w->inCheckTimer->interval(), INT_MAX);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
