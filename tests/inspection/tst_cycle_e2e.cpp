// Whole machine cycles from the input edge on the simulated IO board to the outputs it applies, with
// the monitor's own loop, timers, IO thread and image saver running (see cycleworld.h). Results are
// read from the board's output history, the cycle state, the record database, the counters and the
// picture folders. Durations are only compared with generous margins.
#include <QLabel>
#include <QtTest>

#include "camera/camerahost.h"
#include "camera/cameraloss.h"
#include "cycleworld.h"
#include "inspection/mainbars.h"
#include "inspection/optionbar.h"
#include "inspection/titlebar.h"
#include "io/ledcontrol.h"
#include "records/accesslevel.h"
#include "records/passwordbox.h"
#include "widgets/blineedit.h"
#include "widgets/bmessagebox.h"

namespace {
constexpr int kWait = 15000;

// Pairs of (output, level) in the order the board applied them.
QList<QPair<int, int>> sequence(const CycleWorld& w, std::initializer_list<int> outputs) {
    QList<QPair<qint64, QPair<int, int>>> all;
    for (int n : outputs)
        for (const auto& e : w.edges(n)) all << qMakePair(e.first, qMakePair(n, e.second));
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<QPair<int, int>> out;
    for (const auto& a : all) out << a.second;
    return out;
}

QString show(const QList<QPair<int, int>>& s) {
    QStringList t;
    for (const auto& p : s) t << QStringLiteral("%1%2").arg(p.first).arg(p.second ? "+" : "-");
    return t.join(' ');
}
}  // namespace

class TestCycleE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void okCycle();
    void cavityNgRecheckedThenAlarmThenReleased();
    void orderlyStopDuringAlarmHoldsOutputs_data();
    void orderlyStopDuringAlarmHoldsOutputs();
    void pulseModes_data();
    void pulseModes();
    void inputConfirmation();
    void noInputTimeout();
    void multiDetectionThreeSteps();
    void ioBoardLinkLostAndRestored();
    void learningEndPasswordKeepsTheLoopRunning_data();
    void learningEndPasswordKeepsTheLoopRunning();
};

void TestCycleE2E::initTestCase() {
    IoBoardSim probe;
    if (!probe.start()) QSKIP(qPrintable("no pseudo-terminals here: " + probe.errorString()));
}

// Mould open with good frames: clamping and ejector cut at the edge, the ejector released after the
// product step, the clamping after the cavity step; counted, counters saved, OK pictures archived.
void TestCycleE2E::okCycle() {
    CycleWorld w(1);
    QVERIFY(w.writeRegions(0, cycle::standardRegions(2)));
    QVERIFY(w.start());
    QVERIFY(w.showAll(cycle::good()));
    w.board.clearRecords();

    w.board.setInput(0, true);  // mould open, held
    QTRY_COMPARE_WITH_TIMEOUT(w.edges(0).size(), 2, kWait);
    const auto seq = sequence(w, {0, 1, 2});
    QVERIFY2(seq == (QList<QPair<int, int>>{{0, 1}, {1, 1}, {1, 0}, {0, 0}}) ||
                 seq == (QList<QPair<int, int>>{{1, 1}, {0, 1}, {1, 0}, {0, 0}}),
             qPrintable(show(seq) + " / " + w.history()));
    QCOMPARE(gAllNum[0], 1);
    QCOMPARE(gFailNum[0], 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists("count.txt"), kWait);
    QVERIFY(w.dir.readFile("count.txt").startsWith("1 0 "));
    // The result display ends and the cycle goes back to the product step.
    QTRY_COMPARE_WITH_TIMEOUT(w.window->DisplayState, 0, kWait);
    QCOMPARE(w.window->DetectStep, 0);
    QCOMPARE(w.window->RunState, 1);
    // OK pictures of both steps (the product OK picture switch is on); no NG picture, no alarm record.
    QTRY_COMPARE_WITH_TIMEOUT(w.files("alarmimage/camera1/detect2/OK"), 1, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(w.files("alarmimage/camera1/detect1/OK"), 1, kWait);
    QCOMPARE(w.files("alarmimage/camera1/detect2/NG"), 0);
    for (const QString& r : w.records()) QVERIFY2(!r.contains(lanText(152)), qPrintable(r));
    w.board.setInput(0, false);
}

// A part left in the cavity: two re-checks, then the alarm; a good frame and a safety-door edge
// re-check and release it, and the NG picture is archived with the OK picture of the re-check.
void TestCycleE2E::cavityNgRecheckedThenAlarmThenReleased() {
    CycleWorld w(1);
    w.p().front_auto_check_time = 2;
    w.p().re_check_delay = 1;
    w.derive();
    QVERIFY(w.writeRegions(0, cycle::standardRegions(2)));
    QVERIFY(w.start());
    QVERIFY(w.show(0, cycle::cavityBad()));
    w.board.clearRecords();

    w.pulse(0, 50);
    QTRY_COMPARE_WITH_TIMEOUT(w.boardOut(2), 1, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(w.window->RunState, 3, kWait);
    QCOMPARE(w.window->DisplayState, 2);
    QCOMPARE(w.window->RecheckLeft[1], 0);
    QCOMPARE(w.window->ImageState[0][1], 3);
    QCOMPARE(w.boardOut(0), 1);
    QCOMPARE(w.boardOut(1), 0);  // the product step passed
    QCOMPARE((ledMask() >> 6) & 1, 0);
    QCOMPARE((ledMask() >> 7) & 1, 1);
    QCOMPARE(gFailNum[0], 1);
    QCOMPARE(gAllNum[0], 1);
    const QString alarm = lanText(640).arg(lanText(151).arg(1).trimmed());
    QTRY_VERIFY_WITH_TIMEOUT(w.records().contains(alarm), kWait);
    QCOMPARE(w.records().filter(lanText(152)).size(), 1);
    // The alarm output came on once, after the re-checks (never while re-checks were left).
    QCOMPARE(w.edges(2).size(), 1);
    QCOMPARE(w.files("alarmimage/camera1/detect2/NG"), 0);  // held until the alarm ends

    QVERIFY(w.show(0, cycle::good()));
    w.pulse(1, 50);
    QTRY_COMPARE_WITH_TIMEOUT(w.boardOut(2), 0, kWait);  // the door opened: the alarm output goes off
    QTRY_COMPARE_WITH_TIMEOUT(w.boardOut(0), 0, kWait);
    QTRY_VERIFY_WITH_TIMEOUT(w.window->DisplayState != 2, kWait);
    QVERIFY(w.window->RunState != 3);
    QTRY_COMPARE_WITH_TIMEOUT(w.files("alarmimage/camera1/detect2/NG"), 2, kWait);
    QCOMPARE(w.window->ImageState[0][1], 0);
}

void TestCycleE2E::orderlyStopDuringAlarmHoldsOutputs_data() {
    QTest::addColumn<bool>("stopClamping");  // "Stop clamping when stopping detection"
    QTest::newRow("stop clamping off") << false;
    QTest::newRow("stop clamping on") << true;
}

// The program is stopped in order (exit action, SIGTERM) while a part left in the cavity holds the
// alarm: the board keeps the clamping cut and the alarm output on, the counters are written.
void TestCycleE2E::orderlyStopDuringAlarmHoldsOutputs() {
    QFETCH(bool, stopClamping);
    CycleWorld w(1);
    w.p().front_auto_check_time = 0;
    w.p().enable_stop_mold = stopClamping ? 1 : 0;
    w.derive();
    QVERIFY(w.writeRegions(0, cycle::standardRegions(2)));
    QVERIFY(w.start());
    QVERIFY(w.show(0, cycle::cavityBad()));
    w.pulse(0, 50);
    QTRY_COMPARE_WITH_TIMEOUT(w.boardOut(kOutAlarm), 1, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(w.window->DisplayState, 2, kWait);
    QCOMPARE(w.boardOut(kOutClampingCut), 1);
    QFile::remove("count.txt");
    w.board.clearRecords();

    w.window->StopInOrder();
    QCOMPARE(w.boardOut(kOutAlarm), 1);
    QCOMPARE(w.boardOut(kOutClampingCut), 1);
    QTest::qWait(100);  // nothing acts on them afterwards
    QVERIFY2(w.board.outputChanges().isEmpty(), qPrintable(w.history()));
    QFile count("count.txt");
    QVERIFY(count.open(QIODevice::ReadOnly));
    QVERIFY(count.readAll().startsWith("1 1 "));
}

void TestCycleE2E::pulseModes_data() {
    QTest::addColumn<bool>("product");
    QTest::addColumn<QString>("scene");  // "good", "cavity" (cavity NG) or "product" (N1 and N3 NG)
    QTest::addColumn<int>("cavityNgPulse");
    QTest::addColumn<int>("ejectorPulseNoAlarm");
    QTest::addColumn<int>("okNgPulses");
    QTest::addColumn<QList<int>>("pulsed");  // outputs that come on for the pulse and go off again
    QTest::addColumn<int>("pulseMs");
    QTest::addColumn<QList<int>>("quiet");  // outputs that never come on
    // Clamp pulse 4 (400 ms), ejector pulse 2 (200 ms).
    QTest::newRow("cavity NG pulse switch")
        << false << "cavity" << 1 << 0 << 0 << QList<int>{0} << 400 << QList<int>{1, 2};
    QTest::newRow("ejector pulse when NG in prod")
        << true << "product" << 0 << 1 << 0 << QList<int>{1, 4, 6} << 200 << QList<int>{2, 5, 7};
    QTest::newRow("OK and NG pulses, OK")
        << false << "good" << 0 << 0 << 1 << QList<int>{1} << 400 << QList<int>{0, 2};
    QTest::newRow("OK and NG pulses, NG")
        << false << "cavity" << 0 << 0 << 1 << QList<int>{0, 2} << 400 << QList<int>{1};
}

// The no-alarm pulse modes: on-times taken from the board's history; no alarm state is entered.
void TestCycleE2E::pulseModes() {
    QFETCH(bool, product);
    QFETCH(QString, scene);
    QFETCH(int, cavityNgPulse);
    QFETCH(int, ejectorPulseNoAlarm);
    QFETCH(int, okNgPulses);
    QFETCH(QList<int>, pulsed);
    QFETCH(int, pulseMs);
    QFETCH(QList<int>, quiet);
    CycleWorld w(1);
    w.p().enable_prod_detect = product ? 1 : 0;
    w.p().cavity_ng_clamp = cavityNgPulse;
    w.p().enable_stop_not_alarm = ejectorPulseNoAlarm;
    w.p().ok_ng_pulse = okNgPulses;
    w.p().mold_pulse = 4;
    w.p().thimble_pulse = 2;
    w.derive();
    QVERIFY(w.writeRegions(0, cycle::standardRegions(2)));
    QVERIFY(w.start());
    QVERIFY(w.show(0, scene == "cavity"    ? cycle::cavityBad()
                      : scene == "product" ? cycle::productBad({0, 2})
                                           : cycle::good()));
    w.board.clearRecords();

    w.pulse(0, 50);
    for (int n : pulsed) {
        QTRY_VERIFY2_WITH_TIMEOUT(w.edges(n).size() == 2, qPrintable(w.history()), kWait);
        const qint64 on = w.firstOnTime(n);
        QVERIFY2(on >= pulseMs - 50 && on <= pulseMs + 300,
                 qPrintable(QStringLiteral("output %1 on for %2 ms").arg(n).arg(on)));
    }
    QTest::qWait(200);
    for (int n : pulsed) QCOMPARE(w.boardOut(n), 0);
    for (int n : quiet)
        QVERIFY2(w.edges(n).isEmpty(), qPrintable(QStringLiteral("output %1 switched").arg(n)));
    QVERIFY(w.window->DisplayState != 2);
    QVERIFY(w.window->RunState != 3);
    QCOMPARE(gAllNum[0], 1);
    QCOMPARE(gFailNum[0], scene == "good" ? 0 : 1);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists("count.txt"), kWait);
    if (scene != "good") {
        // Counted and pictured like any NG that does not stop the machine.
        const QString folder =
            scene == "product" ? "alarmimage/camera1/detect1/NG" : "alarmimage/camera1/detect2/NG";
        QTRY_COMPARE_WITH_TIMEOUT(w.files(folder), 1, kWait);
    }
}

// Confirmation time 5: a 300 ms mould-open pulse starts nothing, an 800 ms one starts a cycle.
void TestCycleE2E::inputConfirmation() {
    CycleWorld w(1);
    w.p().shake_erase_time = 5;
    w.derive();
    QVERIFY(w.writeRegions(0, cycle::standardRegions(2)));
    QVERIFY(w.start());
    QVERIFY(w.showAll(cycle::good()));
    w.board.clearRecords();

    w.pulse(0, 300);
    QTest::qWait(800);
    QCOMPARE(gAllNum[0], 0);
    QVERIFY2(w.board.outputChanges().isEmpty(), "outputs changed after a short pulse");

    w.pulse(0, 800);
    QTRY_COMPARE_WITH_TIMEOUT(gAllNum[0], 1, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(w.edges(0).size(), 2, kWait);
    QCOMPARE(w.boardOut(0), 0);
}

// No input within the time-out after a cycle start: clamping cut, record 335, the warning shown
// without a modal loop; the next cycle start hides it.
void TestCycleE2E::noInputTimeout() {
    CycleWorld w(1);
    w.p().input_timeout_len = 1;
    w.derive();
    QVERIFY(w.writeRegions(0, cycle::standardRegions(2)));
    QVERIFY(w.start());
    QVERIFY(w.showAll(cycle::good()));
    w.board.clearRecords();

    w.pulse(0, 50);
    QTRY_VERIFY_WITH_TIMEOUT(w.edges(0).size() >= 2, kWait);  // the OK cycle released the clamping
    QTRY_COMPARE_WITH_TIMEOUT(w.boardOut(0), 1, kWait);       // ... and the time-out cut it again
    QTRY_VERIFY_WITH_TIMEOUT(w.records().contains(lanText(335)), kWait);
    QVERIFY(gpWarnBox && gpWarnBox->isVisible());
    QCOMPARE(w.records().filter(lanText(335)).size(), 1);

    w.pulse(0, 50);
    QTRY_COMPARE_WITH_TIMEOUT(gAllNum[0], 2, kWait);
    QTRY_VERIFY_WITH_TIMEOUT(!gpWarnBox->isVisible(), kWait);
    QCOMPARE(w.records().filter(lanText(335)).size(), 1);
}

// Multi-detection, three steps started by mould open ("Cut All"): every step output comes on at the
// edge and each goes off as its step passes, the last step's output (clamping) last.
void TestCycleE2E::multiDetectionThreeSteps() {
    CycleWorld w(1);
    WizardPara& p = w.p();
    p.detect_mode = kDetectMulti;
    p.multi_step_count = 3;
    for (int s = 0; s < 8; ++s) {
        p.multi_trig_row[s] = s < 3 ? 0 : -1;
        p.multi_trig_choice[s] = 0;  // input 0
        p.multi_cut_mode[s] = 0;     // Cut All
        p.trig_in_delay[s] = 1;
    }
    w.derive();
    QCOMPARE(gDNum, 3);
    QVERIFY(w.writeRegions(0, cycle::standardRegions(3)));
    QVERIFY(w.start());
    QVERIFY(w.showAll(cycle::good()));
    w.board.clearRecords();

    // Step 0 drives output 1, step 1 output 3, the last step output 0.
    w.board.setInput(0, true);
    QTRY_COMPARE_WITH_TIMEOUT(w.edges(0).size(), 2, kWait);
    const auto seq = sequence(w, {0, 1, 2, 3});
    QVERIFY2(seq.size() == 6, qPrintable(show(seq)));
    QVERIFY2(seq.mid(3) == (QList<QPair<int, int>>{{1, 0}, {3, 0}, {0, 0}}), qPrintable(show(seq)));
    for (int i = 0; i < 3; ++i) QVERIFY2(seq[i].second == 1, qPrintable(show(seq)));
    QCOMPARE(gAllNum[0], 1);
    QCOMPARE(gFailNum[0], 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists("count.txt"), kWait);
    w.board.setInput(0, false);
}

// The board's device goes away while cycles run: the title bar shows the link alarm and a record is
// written; the port is opened again until the board is back, the alarm ends with a record, and the
// next mould opening is inspected and released as before.
void TestCycleE2E::ioBoardLinkLostAndRestored() {
    CycleWorld w(1);
    QVERIFY(w.writeRegions(0, cycle::standardRegions(2)));
    QVERIFY(w.start());
    QVERIFY(w.showAll(cycle::good()));
    auto cycle = [&](int count) {
        w.board.clearRecords();
        w.board.setInput(0, true);
        const bool done =
            QTest::qWaitFor([&] { return gAllNum[0] == count && w.edges(0).size() == 2; }, kWait);
        w.board.setInput(0, false);
        return done;
    };
    QVERIFY2(cycle(1), qPrintable(w.history()));
    QVERIFY(!w.window->titleBar->ioLinkAlarmShown());

    w.board.stop();  // the pseudo-terminal and the link to it are gone
    QTRY_VERIFY_WITH_TIMEOUT(w.window->titleBar->ioLinkAlarmShown(), kWait);
    QCOMPARE(w.window->titleBar->ioLinkAlarmLabel()->text(), lanText(601));
    QTRY_VERIFY_WITH_TIMEOUT(w.records().contains(lanText(601)), kWait);
    QTest::qWait(500);  // the port is tried again meanwhile
    QCOMPARE(w.records().filter(lanText(601)).size(), 1);

    QVERIFY(w.board.start(w.dir.filePath("sysroot/dev/ttyS0")));
    QTRY_VERIFY_WITH_TIMEOUT(!w.window->titleBar->ioLinkAlarmShown(), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(w.records().contains(lanText(602)), kWait);
    QVERIFY2(cycle(2), qPrintable(w.history()));
    QCOMPARE(gFailNum[0], 0);
}

void TestCycleE2E::learningEndPasswordKeepsTheLoopRunning_data() {
    QTest::addColumn<bool>("rightPassword");
    QTest::newRow("right password: region editing takes over") << true;
    QTest::newRow("cancelled: detection resumes with the cycle's decision") << false;
}

// Resample with passwords in use; the login runs out before the learning cycle ends, so its end asks
// for the password. The box comes up after the polling pass and is held open 10 s: the loop polls on
// (passes, frames, an input edge taken), no camera is declared lost, the clamping cut stays on and no
// decision is taken; then the answer acts: region editing, or detection with the mould released.
void TestCycleE2E::learningEndPasswordKeepsTheLoopRunning() {
    QFETCH(bool, rightPassword);
    const char* const kPassword = "2468";
    CycleWorld w(1);
    w.p().is_psw_used = 1;
    qstrncpy(w.p().password, kPassword, sizeof(w.p().password));
    w.p().trig_in_delay[0] = w.p().trig_in_delay[1] = 0;  // the steps run inside the polling pass
    w.derive();
    QVERIFY(w.writeRegions(0, cycle::standardRegions(2)));
    QVERIFY(w.start());
    MainWindow* win = w.window.get();
    win->show();
    QVERIFY(QTest::qWaitForWindowExposed(win));
    QVERIFY(w.showAll(cycle::good()));
    auto press = [&](QWidget* t) {
        QTest::mouseClick(win->windowHandle(), Qt::LeftButton, {}, t->mapTo(win, t->rect().center()));
    };

    int boxes = 0, passes = 0, frames = 0;
    bool edgeTaken = false, clampHeld = false, decisionWaited = false, askingSeen = false;
    struct RunnerReset {
        ~RunnerReset() { setPasswordDialogRunner(nullptr); }
    } runnerReset;
    setPasswordDialogRunner([&](PasswordBox& box) -> int {
        if (++boxes == 2) {  // the end of learning: held open while the machine goes on
            askingSeen = win->learningEndAsking != 0;
            const int passes0 = gRunCount, frames0 = win->frameCount[0];
            QTest::qWait(3000);
            w.pulse(2, 50);
            QTest::qWait(7000);
            passes = gRunCount - passes0;
            frames = win->frameCount[0] - frames0;
            edgeTaken = gpControlIO->IOInTrigger(2) == 0;  // the loop took it meanwhile
            clampHeld = w.boardOut(kOutClampingCut) == 1;
            decisionWaited = win->RunState == 2 && win->DisplayState != 3 && !gFromTrain;
            if (!rightPassword) {
                box.reject();
                return box.result();
            }
        }
        box.passwordEdit()->setText(QString::fromLatin1(kPassword));
        box.accept();
        return box.result();
    });
    w.prompter.queueAnswer(true);  // "Resample?"
    press(win->optionBar->button(OptionBar::Resample));
    QCOMPARE(w.prompter.questions, QStringList{lanText(137)});
    QCOMPARE(win->RunState, 2);
    win->TimerLogout();  // the login runs out while the templates are learnt
    QCOMPARE(accessLevel(), int(kAccessNone));

    const int lost = gLost;
    const int records = w.records().size();
    w.board.clearRecords();
    w.pulse(0, 50);  // the learning cycle
    QTRY_VERIFY_WITH_TIMEOUT(boxes == 2 && !win->learningEndAsking, 30000);
    QVERIFY2(passes > 50, qPrintable(QString::number(passes)));
    QVERIFY2(frames > 20, qPrintable(QString::number(frames)));
    QVERIFY(edgeTaken);
    QVERIFY(askingSeen);
    QVERIFY2(clampHeld, qPrintable(w.history()));
    QVERIFY(decisionWaited);
    QCOMPARE(gLost, lost);
    QVERIFY(!w.records().mid(records).join('|').contains(cameraText(332).arg(1).arg(1)));
    QVERIFY(!win->cams[0]->learnPending[0] && !win->cams[0]->learnPending[1]);  // both steps learnt

    if (rightPassword) {
        QCOMPARE(win->DisplayState, 3);
        QVERIFY(win->regionBarShown());
        QCOMPARE(gFromTrain, 1);
        QCOMPARE(w.boardOut(kOutClampingCut), 1);
        press(win->regiOption->button(RegiOption::BTN_END_SET));  // the editor hands back
        QCOMPARE(gFromTrain, 0);
    }
    QCOMPARE(win->RunState, 1);
    QTRY_COMPARE_WITH_TIMEOUT(w.boardOut(kOutClampingCut), 0, kWait);
    QCOMPARE(w.boardOut(kOutAlarm), 0);
    QCOMPARE(boxes, 2);
    QCOMPARE(w.prompter.unexpectedQuestions, 0);
}

QTEST_MAIN(TestCycleE2E)
#include "tst_cycle_e2e.moc"
