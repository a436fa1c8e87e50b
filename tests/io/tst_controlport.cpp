// Outputs, input edges and the safety door of ControlPort, with the board words written directly
// (no board is attached: the port does not open and the poll thread only sleeps). Also the LEDs,
// the backlight and the process helpers.
#include <QtTest>

#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "app/wizardpara.h"
#include "io/controlport.h"
#include "io/iolink.h"
#include "io/iothread.h"
#include "io/ledcontrol.h"
#include "platform/serial/posix_qextserialport.h"
#include "platform/system/processexit.h"
#include "platform/system/timing.h"
#include "programdir.h"

namespace {
void setDataIn(int word) {
    QMutexLocker lock(pMutexIO);
    gDataIn = word;
}
int dataOut() {
    QMutexLocker lock(pMutexIO);
    return gDataOut;
}

struct Op {
    int i;
    int on;
};
}  // namespace
Q_DECLARE_METATYPE(QList<Op>)

class TestControlPort : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void constructorPublishesInactiveOutputs();
    void withoutPortTheProgramRunsOn();
    void outputs_data();
    void outputs();
    void setOutWithoutFlashChangesNothing();
    void heldOutput_data();
    void heldOutput();
    void edges_data();
    void edges();
    void inputMirror();
    void safetyDoor_data();
    void safetyDoor();
    void tables();
    void ledRequests_data();
    void ledRequests();
    void withoutLedDevice();
    void backlight();
    void exitStopsWatchdogFirst();
    void exitEndsTheProcess();
    void timingProbe();

private:
    ControlPort* makePort();
    ProgramDir* dir_ = nullptr;
    WizardPara para_;
    ControlPort* port_ = nullptr;
    QList<QPair<int, unsigned long>> ioctls_;
};

void TestControlPort::init() {
    dir_ = new ProgramDir;
    QVERIFY(dir_->isValid());
    resetAppGlobals();
    resetIOGlobals();
    para_ = WizardPara();
    gpWPara = &para_;
    ioctls_.clear();
    setLedIoctlHook([this](int fd, unsigned long req) {
        ioctls_.append({fd, req});
        return 0;
    });
}

void TestControlPort::cleanup() {
    delete port_;
    port_ = nullptr;
    resetIOGlobals();
    resetAppGlobals();
    setLedIoctlHook(nullptr);
    setProcessExitHook(nullptr);
    delete dir_;
    dir_ = nullptr;
}

ControlPort* TestControlPort::makePort() {
    port_ = new ControlPort;
    return port_;
}

void TestControlPort::constructorPublishesInactiveOutputs() {
    para_.output_inverted[0] = 1;
    para_.output_inverted[2] = 1;
    ControlPort* p = makePort();
    QCOMPARE(dataOut(), 5);
    QCOMPARE(gIOID, 1);
    QVERIFY(p->thread()->isRunning());
    // What the main window's initialisation does next: output 0 on.
    p->IOSetOut(0, 1);
    p->IOFlashOut();
    QCOMPARE(dataOut(), 4);
}

void TestControlPort::withoutPortTheProgramRunsOn() {
    gisCOM = 2;  // ttyS3, not there
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("IO board: cannot open .*/sysroot/dev/ttyS3"));
    ControlPort* p = makePort();
    QVERIFY(gpCom);
    QVERIFY(!gpCom->isOpen());
    QVERIFY(p->thread()->isRunning());
    p->IOSetOut(2, 1);
    p->IOFlashOut();
    QCOMPARE(dataOut(), 4);
    QCOMPARE(p->IOInTrigger(0), 0);
}

// Output polarity and mirror: a list of IOSetOut calls, then the output word and the levels of IOState.
void TestControlPort::outputs_data() {
    QTest::addColumn<int>("invertedMask");
    QTest::addColumn<int>("mirror");
    QTest::addColumn<QList<Op>>("ops");
    QTest::addColumn<int>("word");
    QTest::addColumn<QList<int>>("states");  // IOState(1, i) for i = 0..3

    QTest::newRow("normal on") << 0 << 0 << QList<Op>{{1, 1}, {8, 1}} << 0x102 << QList<int>{0, 1, 0, 0};
    QTest::newRow("on is any non-zero") << 0 << 0 << QList<Op>{{2, 7}} << 0x004 << QList<int>{0, 0, 1, 0};
    QTest::newRow("output 1 inverted, on")
        << 0x002 << 0 << QList<Op>{{1, 1}} << 0x000 << QList<int>{0, 0, 0, 0};
    QTest::newRow("output 1 inverted, off")
        << 0x002 << 0 << QList<Op>{{1, 1}, {1, 0}} << 0x002 << QList<int>{0, 1, 0, 0};
    QTest::newRow("mirror 2 copies output 1")
        << 0 << 2 << QList<Op>{{1, 1}} << 0x00A << QList<int>{0, 1, 0, 1};
    QTest::newRow("mirror 2, output 3 cleared alone")
        << 0 << 2 << QList<Op>{{1, 1}, {3, 0}} << 0x002 << QList<int>{0, 1, 0, 0};
    QTest::newRow("mirror 2, output 0 leaves 3")
        << 0 << 2 << QList<Op>{{0, 1}} << 0x001 << QList<int>{1, 0, 0, 0};
    QTest::newRow("mirror copies the level after polarity")
        << 0x00A << 2 << QList<Op>{{1, 0}} << 0x00A << QList<int>{0, 1, 0, 1};
    QTest::newRow("mirror 3 follows the alarm")
        << 0 << 3 << QList<Op>{{2, 1}, {2, 0}} << 0x000 << QList<int>{0, 0, 0, 0};
    QTest::newRow("reset all with inverted outputs")
        << 0x1F5 << 0 << QList<Op>{{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}}
        << 0x00A << QList<int>{0, 1, 0, 1};
}

void TestControlPort::outputs() {
    QFETCH(int, invertedMask);
    QFETCH(int, mirror);
    QFETCH(QList<Op>, ops);
    QFETCH(int, word);
    QFETCH(QList<int>, states);
    for (int i = 0; i < 9; ++i) para_.output_inverted[i] = (invertedMask >> i) & 1;
    para_.enable_mold_backup = mirror;
    ControlPort* p = makePort();
    for (const Op& op : ops) p->IOSetOut(op.i, op.on);
    p->IOFlashOut();
    QCOMPARE(dataOut(), word);
    for (int i = 0; i < 4; ++i) QCOMPARE(p->IOState(1, i), states[i]);
}

void TestControlPort::setOutWithoutFlashChangesNothing() {
    ControlPort* p = makePort();
    p->IOSetOut(4, 1);
    p->IOSetOut(0, 1);
    QCOMPARE(dataOut(), 0);
    QCOMPARE(p->IOState(1, 4), 1);
    p->IOResetAllOut();
    p->IOFlashOut();
    QCOMPARE(dataOut(), 0);
}

// A held output keeps its level on the board whatever the word says (polarity and mirror applied as
// IOSetOut would), IOState still reports the word, and the release hands the word back.
void TestControlPort::heldOutput_data() {
    QTest::addColumn<int>("invertedMask");
    QTest::addColumn<int>("mirror");
    QTest::addColumn<int>("heldWord");      // published while output 0 is held on and the word is all off
    QTest::addColumn<int>("releasedWord");  // the all-off word once released
    QTest::newRow("normal") << 0 << 0 << 0x001 << 0x000;
    QTest::newRow("output 0 inverted") << 0x001 << 0 << 0x000 << 0x001;
    QTest::newRow("output 0 and the alarm inverted") << 0x005 << 0 << 0x004 << 0x005;
    QTest::newRow("mirror 1 copies the held level onto output 3") << 0 << 1 << 0x009 << 0x000;
    QTest::newRow("mirror of another output is not held") << 0 << 2 << 0x001 << 0x000;
}

void TestControlPort::heldOutput() {
    QFETCH(int, invertedMask);
    QFETCH(int, mirror);
    QFETCH(int, heldWord);
    QFETCH(int, releasedWord);
    for (int i = 0; i < 9; ++i) para_.output_inverted[i] = (invertedMask >> i) & 1;
    para_.enable_mold_backup = mirror;
    ControlPort* p = makePort();
    p->holdOutput(0, 1);
    p->IOResetAllOut();
    p->IOFlashOut();
    QCOMPARE(dataOut(), heldWord);
    QCOMPARE(p->IOState(1, 0), releasedWord & 1);  // the word as the cycle built it (off)
    p->IOSetOut(4, 1);                             // the other outputs still follow the word
    p->IOFlashOut();
    QCOMPARE(dataOut(), heldWord | 0x010);
    p->releaseOutput(0);
    p->IOResetAllOut();
    p->IOFlashOut();
    QCOMPARE(dataOut(), releasedWord);
}

// Successive input words (one IOInTrigger(i) each) and the edges seen.
void TestControlPort::edges_data() {
    QTest::addColumn<int>("input");
    QTest::addColumn<bool>("inverted");
    QTest::addColumn<QList<int>>("words");
    QTest::addColumn<QList<int>>("edges");
    QTest::newRow("high level gives one edge")
        << 0 << false << QList<int>{0, 1, 1, 1} << QList<int>{0, 1, 0, 0};
    QTest::newRow("high at the first call is an edge") << 2 << false << QList<int>{4, 4} << QList<int>{1, 0};
    QTest::newRow("falling is no edge") << 0 << false << QList<int>{1, 0, 1} << QList<int>{1, 0, 1};
    QTest::newRow("other inputs do not count") << 0 << false << QList<int>{0x3FE, 0x3FE} << QList<int>{0, 0};
    QTest::newRow("input 9") << 9 << false << QList<int>{0x200, 0x200, 0, 0x200} << QList<int>{1, 0, 0, 1};
    QTest::newRow("inverted input: falling edge")
        << 3 << true << QList<int>{8, 0, 0, 8, 0} << QList<int>{0, 1, 0, 0, 1};
}

void TestControlPort::edges() {
    QFETCH(int, input);
    QFETCH(bool, inverted);
    QFETCH(QList<int>, words);
    QFETCH(QList<int>, edges);
    if (input < 9) para_.input_inverted[input] = inverted ? 1 : 0;
    ControlPort* p = makePort();
    for (int k = 0; k < words.size(); ++k) {
        setDataIn(words[k]);
        QCOMPARE(p->IOInTrigger(input), edges[k]);
        const int bit = (words[k] >> input) & 1;
        QCOMPARE(p->IOState(0, input), inverted ? 1 - bit : bit);
    }
    // A toggle between two calls is not seen.
    setDataIn(0);
    p->IOInTrigger(input);
    setDataIn(1 << input);
    setDataIn(0);
    QCOMPARE(p->IOInTrigger(input), 0);
}

void TestControlPort::inputMirror() {
    for (int k = 1; k <= 3; ++k) {
        para_.enable_output_thimble_pulse = k;
        para_.detect_mode = kDetectTwoColour;  // keep the door rule out of it
        ControlPort* p = makePort();
        setDataIn(0x008);  // only input 3 high
        QCOMPARE(p->IOInTrigger(k - 1), 1);
        QCOMPARE(p->IOInTrigger(k - 1), 0);
        QCOMPARE(p->IOState(0, k - 1), 1);
        QCOMPARE(p->IOState(0, 3), 1);
        delete port_;
        port_ = nullptr;
    }
    para_.enable_output_thimble_pulse = 0;
    ControlPort* p = makePort();
    setDataIn(0x008);
    QCOMPARE(p->IOInTrigger(0), 0);
    QCOMPARE(p->IOState(0, 0), 0);
}

// The door (input 1) opens between two passes; each pass asks for inputs 0 and 1.
void TestControlPort::safetyDoor_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("doorInverted");
    QTest::addColumn<bool>("alarmInverted");
    QTest::addColumn<bool>("acts");
    QTest::newRow("standard") << int(kDetectStandard) << false << false << true;
    QTest::newRow("automatic parts") << int(kDetectAutoParts) << false << false << true;
    QTest::newRow("multi-detection") << int(kDetectMulti) << false << false << true;
    QTest::newRow("two-colour: no rule") << int(kDetectTwoColour) << false << false << false;
    QTest::newRow("turntable: no rule") << int(kDetectTurntable) << false << false << false;
    QTest::newRow("inverted door") << int(kDetectStandard) << true << false << true;
    QTest::newRow("inverted alarm output") << int(kDetectStandard) << false << true << true;
}

void TestControlPort::safetyDoor() {
    QFETCH(int, mode);
    QFETCH(bool, doorInverted);
    QFETCH(bool, alarmInverted);
    QFETCH(bool, acts);
    para_.detect_mode = mode;
    para_.input_inverted[1] = doorInverted;
    para_.output_inverted[2] = alarmInverted;
    const int closed = doorInverted ? 0x000 : 0x002;
    const int open = doorInverted ? 0x002 : 0x000;
    const int alarmOn = alarmInverted ? 0x000 : 0x004;
    const int alarmOff = alarmInverted ? 0x004 : 0x000;

    ControlPort* p = makePort();
    setDataIn(closed);
    p->IOInTrigger(0);
    p->IOInTrigger(1);
    p->IOSetOut(2, 1);
    p->IOSetOut(4, 1);
    QCOMPARE(dataOut(), alarmOff);  // not yet published
    QVERIFY(!gisSafeDoorOpen);

    setDataIn(open);
    QCOMPARE(p->IOInTrigger(0), 0);  // a call for any input watches the door
    if (acts) {
        QVERIFY(gisSafeDoorOpen);
        QCOMPARE(dataOut(), alarmOff | 0x010);  // alarm off, the rest published as it stands
        // Input 1's previous level is updated only by its own call: the next call repeats the effects.
        gisSafeDoorOpen = false;
        p->IOSetOut(2, 1);
        QCOMPARE(p->IOInTrigger(1), 0);
        QVERIFY(gisSafeDoorOpen);
        QCOMPARE(dataOut(), alarmOff | 0x010);
        // Then nothing more while the door stays open.
        gisSafeDoorOpen = false;
        p->IOSetOut(2, 1);
        p->IOInTrigger(0);
        QVERIFY(!gisSafeDoorOpen);
        QCOMPARE(dataOut(), alarmOff | 0x010);
    } else {
        p->IOInTrigger(1);
        QVERIFY(!gisSafeDoorOpen);
        QCOMPARE(dataOut(), alarmOff);
        QCOMPARE(p->IOState(1, 2), alarmOn ? 1 : 0);
    }
}

void TestControlPort::tables() {
    const int out[8] = {2, 4, 5, 6, 7, 8, 9, 1};
    const int trig[8] = {1, 3, 4, 5, 6, 7, 8, 9};
    for (int s = 0; s < 8; ++s) {
        QCOMPARE(OutputNo[s], out[s]);
        QCOMPARE(TriginNo[s], trig[s]);
    }
}

void TestControlPort::ledRequests_data() {
    QTest::addColumn<QList<Op>>("calls");
    QTest::addColumn<QList<quint32>>("sent");
    QTest::newRow("first call clears bit 4") << QList<Op>{{4, 0}} << QList<quint32>{0x5A0180EF};
    QTest::newRow("only the lowest bit of on")
        << QList<Op>{{2, 2}, {2, 3}} << QList<quint32>{0x5A0180FB, 0x5A0180FF};
    QTest::newRow("led above 7 re-sends the mask")
        << QList<Op>{{7, 0}, {9, 1}, {-1, 0}} << QList<quint32>{0x5A01807F, 0x5A01807F, 0x5A01807F};
    QTest::newRow("result shown") << QList<Op>{{6, 0}, {7, 1}, {6, 1}}
                                  << QList<quint32>{0x5A0180BF, 0x5A0180BF, 0x5A0180FF};
}

void TestControlPort::ledRequests() {
    QFETCH(QList<Op>, calls);
    QFETCH(QList<quint32>, sent);
    gfLED = 42;
    for (const Op& c : calls) LEDOnOff(c.i, c.on);
    QCOMPARE(ioctls_.size(), sent.size());
    for (int k = 0; k < sent.size(); ++k) {
        QCOMPARE(ioctls_[k].first, 42);
        QCOMPARE(quint32(ioctls_[k].second), sent[k]);
    }
}

void TestControlPort::withoutLedDevice() {
    MainWindowBase win;
    gpWin = &win;
    gfLED = -1;
    LEDOnOff(4, 0);
    LEDOnOff(5, 0);
    LCDOnOff(0);
    QVERIFY(ioctls_.isEmpty());
    QCOMPARE(int(ledMask()), 0xCF);
    QCOMPARE(win.screenOff, 1);
    // The device appears: the next request carries the earlier changes.
    gfLED = 3;
    LEDOnOff(6, 1);
    QCOMPARE(ioctls_.size(), 1);
    QCOMPARE(quint32(ioctls_[0].second), 0x5A0180CFu);
    gpWin = nullptr;
}

void TestControlPort::backlight() {
    MainWindowBase win;
    gpWin = &win;
    gfLED = 5;
    LCDOnOff(0);
    QCOMPARE(win.screenOff, 1);
    LCDOnOff(2);
    QCOMPARE(win.screenOff, 0);
    QCOMPARE(ioctls_.size(), 2);
    QCOMPARE(quint32(ioctls_[0].second), 0x5A018A00u);
    QCOMPARE(quint32(ioctls_[1].second), 0x5A018B00u);
    gpWin = nullptr;
    LCDOnOff(0);  // before the main window exists: the request only
    QCOMPARE(ioctls_.size(), 3);
}

void TestControlPort::exitStopsWatchdogFirst() {
    setTimeOverride("wtd.stop", 1);
    QList<int> exits;
    int flagAtExit = -1;
    setProcessExitHook([&](int status) {
        exits.append(status);
        flagAtExit = gisRunWTD;
    });
    gisRunWTD = 1;
    Exit(3);
    // The flag drops at once; the end follows the pause, from the event loop.
    QCOMPARE(gisRunWTD, 0);
    QVERIFY(exits.isEmpty());
    QTRY_COMPARE(exits, QList<int>{3});
    QCOMPARE(flagAtExit, 0);
    QVERIFY(!watchdogStopping());
    // A pause whose owner is gone by its end does not go on.
    gisRunWTD = 1;
    int done = 0;
    auto* owner = new QObject;
    StopWTD(owner, [&] { ++done; });
    StopWTD(nullptr, [&] { done += 10; });
    QCOMPARE(gisRunWTD, 0);
    QVERIFY(watchdogStopping());
    delete owner;
    QTRY_VERIFY(!watchdogStopping());
    QCOMPARE(done, 10);
    QCOMPARE(exits.size(), 1);
}

void TestControlPort::exitEndsTheProcess() {
    QProcess helper;
    helper.start(QCoreApplication::applicationDirPath() + "/io_exit_helper", {"7"});
    QVERIFY(helper.waitForFinished(30000));
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 7);
    QCOMPARE(helper.readAllStandardOutput(), QByteArray("static destructors ran\n"));
}

// The timing probe measures from startT: the value, the previous one, the count, the total and the
// extremes (the minimum starts at 10000).
void TestControlPort::timingProbe() {
    resetCaclTime();
    gettimeofday(&startT, nullptr);
    startT.tv_sec -= 3;  // three seconds ago
    CaclTime();
    const int first = nextT;
    QVERIFY2(first >= 3000 && first < 3000 + 60000, qPrintable(QString::number(first)));
    QCOMPARE(numT, 1);
    QCOMPARE(lastT, 0);
    QCOMPARE(maxT, first);
    QCOMPARE(minT, first);
    startT.tv_sec -= 20;  // now more than 10000 ms: the minimum stays
    CaclTime();
    QCOMPARE(lastT, first);
    QVERIFY(nextT >= first + 20000);
    QCOMPARE(numT, 2);
    QCOMPARE(allT, qint64(first) + nextT);
    QCOMPARE(maxT, nextT);
    QCOMPARE(minT, first);
    resetCaclTime();
}

QTEST_MAIN(TestControlPort)
#include "tst_controlport.moc"
