// The IO link end to end: ControlPort and its poll thread on a real pseudo-terminal, with the
// simulated IO board on the other side (linked where the program opens its serial device).
#include <QFile>
#include <QtTest>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "cyclescript.h"
#include "io/controlport.h"
#include "io/iolink.h"
#include "io/iothread.h"
#include "ioboardsim.h"
#include "platform/serial/posix_qextserialport.h"
#include "platform/system/timing.h"
#include "programdir.h"

namespace {
constexpr int kWait = 10000;  // generous: a loaded two-core machine

int dataIn() {
    QMutexLocker lock(pMutexIO);
    return gDataIn;
}

// Waits until the board answered this many more polls, so that the thread surely went round.
bool waitPolls(const IoBoardSim& board, int more) {
    const int target = board.commandCount(2) + more;
    QElapsedTimer t;
    t.start();
    while (board.commandCount(2) < target) {
        if (t.hasExpired(kWait)) return false;
        QTest::qWait(5);
    }
    return true;
}
}  // namespace

class TestIOBoard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void opensTheLinkedDevice();
    void inputOnTheBoardIsOneEdge();
    void flashedOutputsReachTheBoard();
    void silentBoardNeverGetsOutputs();
    void linkWatch_data();
    void linkWatch();
    void lineFaults_data();
    void lineFaults();
    void analogueChannels();
    void noTalkWhileIOIdIsZero();
    void serialPortBasics();
    void cycleScripts_data();
    void cycleScripts();
    void cyclePlayer();
    void cyclePlayerWaitsForAnOutput();
    void simulatorProgram();

private:
    bool startBoard(int port = 0);
    ProgramDir* dir_ = nullptr;
    WizardPara para_;
    IoBoardSim* board_ = nullptr;
    ControlPort* port_ = nullptr;
};

void TestIOBoard::initTestCase() {
    IoBoardSim probe;
    if (!probe.start()) QSKIP(qPrintable("no pseudo-terminals here: " + probe.errorString()));
}

void TestIOBoard::init() {
    dir_ = new ProgramDir;
    QVERIFY(dir_->isValid());
    resetAppGlobals();
    resetIOGlobals();
    para_ = WizardPara();
    gpWPara = &para_;
    setTimeOverride("io.poll", 1);
    board_ = new IoBoardSim;
}

void TestIOBoard::cleanup() {
    delete port_;
    port_ = nullptr;
    delete board_;
    board_ = nullptr;
    resetIOGlobals();
    resetAppGlobals();
    delete dir_;
    dir_ = nullptr;
}

bool TestIOBoard::startBoard(int port) {
    const QString link = comDeviceName(port);
    if (!link.startsWith(dir_->path())) return false;  // never outside the test's directory
    if (!board_->start(link)) {
        qWarning() << board_->errorString();
        return false;
    }
    return true;
}

void TestIOBoard::opensTheLinkedDevice() {
    gisCOM = 1;  // ttyS2
    QVERIFY(startBoard(1));
    QCOMPARE(board_->linkPath(), dir_->filePath("sysroot/dev/ttyS2"));
    port_ = new ControlPort;
    QVERIFY(gpCom && gpCom->isOpen());
    QVERIFY(waitPolls(*board_, 3));
}

void TestIOBoard::inputOnTheBoardIsOneEdge() {
    QVERIFY(startBoard());
    port_ = new ControlPort;
    QVERIFY(waitPolls(*board_, 3));
    QCOMPARE(port_->IOInTrigger(0), 0);

    board_->setInput(0, true);
    int edges = 0;
    QTRY_VERIFY_WITH_TIMEOUT((edges += port_->IOInTrigger(0)) > 0, kWait);
    QCOMPARE(port_->IOState(0, 0), 1);
    // The level stays high over many more polls: no second edge.
    QVERIFY(waitPolls(*board_, 20));
    for (int k = 0; k < 5; ++k) edges += port_->IOInTrigger(0);
    QCOMPARE(edges, 1);
    QCOMPARE(dataIn(), 0x001);

    board_->setInputs(0x200);
    QTRY_COMPARE_WITH_TIMEOUT(dataIn(), 0x200, kWait);
    QCOMPARE(port_->IOInTrigger(0), 0);
    QCOMPARE(port_->IOInTrigger(9), 1);
}

void TestIOBoard::flashedOutputsReachTheBoard() {
    para_.output_inverted[2] = 1;
    QVERIFY(startBoard());
    port_ = new ControlPort;
    // The inactive outputs (alarm inverted) come first.
    QVERIFY(board_->waitForCommand(1, 0x004, kWait));
    QCOMPARE(board_->outputs(), 0x004);

    port_->IOSetOut(0, 1);
    port_->IOSetOut(5, 1);
    port_->IOSetOut(8, 1);
    QVERIFY(waitPolls(*board_, 10));
    QCOMPARE(board_->outputs(), 0x004);  // not flashed yet
    port_->IOFlashOut();
    QVERIFY(board_->waitForCommand(1, 0x125, kWait));
    QTRY_COMPARE_WITH_TIMEOUT(board_->outputs(), 0x125, kWait);

    // Polls already on the way may still carry the old echo and bring the word once more; once the
    // echo agrees, it is not sent again.
    QVERIFY(waitPolls(*board_, 10));
    const auto sets = [&] {
        int n = 0;
        for (const IoBoardSim::Command& c : board_->commands()) n += c.code == 1 && c.value == 0x125;
        return n;
    };
    const int settled = sets();
    QVERIFY(settled >= 1);
    QVERIFY(waitPolls(*board_, 30));
    QCOMPARE(sets(), settled);
    const QList<IoBoardSim::OutputChange> changes = board_->outputChanges();
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes.last().from, 0x004);
    QCOMPARE(changes.last().to, 0x125);
}

// A board that goes away, is not there at start, or stops answering: the link is reported lost, the
// port is opened again until the board answers, and then the outputs the program wants reach it.
void TestIOBoard::linkWatch_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("device gone and back") << "gone";
    QTest::newRow("no board at start") << "absent";
    QTest::newRow("board silent, then answering") << "silent";
}

void TestIOBoard::linkWatch() {
    QFETCH(QString, how);
    if (how != "absent") QVERIFY(startBoard());
    port_ = new ControlPort;
    port_->IOSetOut(2, 1);
    port_->IOFlashOut();
    if (how != "absent") {
        QTRY_COMPARE_WITH_TIMEOUT(board_->outputs(), 1 << 2, kWait);
        QVERIFY(!IOLinkLost());
        if (how == "gone") board_->stop();  // the pseudo-terminal and its link vanish
        if (how == "silent") board_->setSilent(true);
    }
    QTRY_VERIFY_WITH_TIMEOUT(IOLinkLost(), kWait);

    if (how == "silent") {
        board_->setInputs(0x5);
        board_->setSilent(false);
    } else {
        delete board_;  // a new board behind the same path, driving nothing yet
        board_ = new IoBoardSim;
        board_->setInputs(0x5);
        QVERIFY(startBoard());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!IOLinkLost(), kWait);
    QTRY_COMPARE_WITH_TIMEOUT(board_->outputs(), 1 << 2, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(dataIn(), 0x5, kWait);
}

void TestIOBoard::silentBoardNeverGetsOutputs() {
    board_->setSilent(true);
    board_->setInputs(0x3FF);
    QVERIFY(startBoard());
    port_ = new ControlPort;
    port_->IOSetOut(0, 1);
    port_->IOSetOut(2, 1);
    port_->IOFlashOut();
    QVERIFY(waitPolls(*board_, 50));
    QCOMPARE(board_->commandCount(1), 0);
    QCOMPARE(dataIn(), 0);
    QCOMPARE(port_->IOInTrigger(0), 0);
}

// Faults on the line before the board's replies; the link must recover and carry both directions.
void TestIOBoard::lineFaults_data() {
    QTest::addColumn<QByteArray>("stray");
    QTest::addColumn<bool>("split");
    QTest::addColumn<int>("corrupt");
    QTest::addColumn<QByteArray>("raw");
    QTest::newRow("stray bytes") << QByteArray::fromHex("005f5f00f5") << false << 0 << QByteArray();
    QTest::newRow("split replies") << QByteArray() << true << 0 << QByteArray();
    QTest::newRow("bad sums") << QByteArray() << false << 5 << QByteArray();
    QTest::newRow("unknown code") << QByteArray() << false << 0
                                  << IoBoardSim::replyFrame(7, 0xFF, 3, 0xFF, 3);
    QTest::newRow("half a frame") << QByteArray() << false << 0
                                  << IoBoardSim::replyFrame(2, 0xFF, 3, 0, 0).left(4);
    QTest::newRow("noise burst") << QByteArray(3000, char(0x5F)) << false << 0 << QByteArray();
}

void TestIOBoard::lineFaults() {
    QFETCH(QByteArray, stray);
    QFETCH(bool, split);
    QFETCH(int, corrupt);
    QFETCH(QByteArray, raw);
    QVERIFY(startBoard());
    port_ = new ControlPort;
    QVERIFY(waitPolls(*board_, 3));

    board_->setSplitReplies(split);
    board_->corruptNextReplies(corrupt);
    if (!stray.isEmpty()) board_->injectBeforeNextReply(stray);
    if (!raw.isEmpty()) board_->sendRaw(raw);
    board_->setInputs(0x006);
    port_->IOSetOut(1, 1);
    port_->IOSetOut(7, 1);
    port_->IOFlashOut();

    QVERIFY(board_->waitForCommand(1, 0x082, kWait));
    QTRY_COMPARE_WITH_TIMEOUT(dataIn(), 0x006, kWait);
    QCOMPARE(port_->IOInTrigger(1), 1);
    QCOMPARE(port_->IOInTrigger(2), 1);
    QCOMPARE(port_->IOInTrigger(0), 0);
    QCOMPARE(board_->skippedBytes(), 0);  // the monitor's own frames stay clean
}

void TestIOBoard::analogueChannels() {
    for (int c = 0; c < 16; ++c) board_->setAnalog(c, c < 8 ? -100 - c : 0x01000000 * c);
    board_->setAnalogReplies(9);  // one too many each time: the surplus is dropped
    QVERIFY(startBoard());
    port_ = new ControlPort;
    QVERIFY(board_->waitForCommand(4, 0, kWait));
    QVERIFY(waitPolls(*board_, 5));
    // The board has answered; the poll thread takes the values in on its own time.
    for (int c = 0; c < 8; ++c) QTRY_COMPARE_WITH_TIMEOUT(gFTemp[c].load(), -100 - c, kWait);
    for (int c = 8; c < 16; ++c) QTRY_COMPARE_WITH_TIMEOUT(gFTemp[c].load(), 0x01000000 * c, kWait);
}

void TestIOBoard::noTalkWhileIOIdIsZero() {
    QVERIFY(startBoard());
    gIOID = 0;
    ComInit();
    QVERIFY(gpCom->isOpen());
    IOThread thread;
    thread.start();
    QTest::qWait(300);
    thread.requestInterruption();
    thread.wait();
    QVERIFY(board_->commands().isEmpty());
}

void TestIOBoard::serialPortBasics() {
    QVERIFY(startBoard());
    Posix_QextSerialPort port(board_->slavePath());
    QVERIFY(!port.isOpen());
    QCOMPARE(port.bytesAvailable(), qint64(-1));
    char buf[64];
    QCOMPARE(port.read(buf, 8), qint64(-1));
    QVERIFY(port.open(QIODevice::ReadWrite));
    QVERIFY(port.setBaudRate(BAUD115200));
    QVERIFY(port.setParity(PAR_NONE));
    QCOMPARE(port.bytesAvailable(), qint64(0));
    QCOMPARE(port.read(buf, sizeof buf), qint64(0));  // nothing waiting: returns at once
    // Raw mode: every byte value passes untouched (no CR/LF mapping, no signals, no echo).
    QByteArray all;
    for (int v = 0; v < 256; ++v) all.append(char(v));
    board_->sendRaw(all);
    QTRY_COMPARE_WITH_TIMEOUT(port.bytesAvailable(), qint64(256), kWait);
    QCOMPARE(port.read(buf, 64), qint64(64));
    QCOMPARE(QByteArray(buf, 64), all.left(64));
    // A poll written by us is seen by the board.
    const QByteArray poll = IoBoardSim::commandFrame(2, 0);
    QCOMPARE(port.write(poll.constData(), poll.size()), qint64(6));
    QVERIFY(board_->waitForCommand(2, 0, kWait));

    Posix_QextSerialPort missing(dir_->filePath("sysroot/dev/none"));
    QVERIFY(!missing.open(QIODevice::ReadWrite));
    QCOMPARE(missing.lastError(), ENOENT);
    QCOMPARE(missing.write("x", 1), qint64(-1));
}

void TestIOBoard::cycleScripts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("steps");  // -1: rejected
    QTest::newRow("cycle") << "# c\non 0 # mould open\nwait 20\n\ninputs 0x002\noff 0\nlog mould closing\n"
                           << 5;
    QTest::newRow("unknown step") << "jump 3\n" << -1;
    QTest::newRow("input out of range") << "on 10\n" << -1;
    QTest::newRow("missing number") << "wait\n" << -1;
    QTest::newRow("two numbers") << "wait 1 2\n" << -1;
    QTest::newRow("negative wait") << "wait -5\n" << -1;
    QTest::newRow("until") << "until 0 off\nuntil 2 on 6000 1\n" << 2;
    QTest::newRow("until without level") << "until 0\n" << -1;
    QTest::newRow("until, bad level") << "until 0 high\n" << -1;
    QTest::newRow("until, output out of range") << "until 16 off\n" << -1;
    QTest::newRow("until, toggle too often") << "until 0 off 100 1\n" << -1;
    QTest::newRow("until, period without input") << "until 0 off 6000\n" << -1;
    // The scripts the demonstration plays (scripts/run, MONITOR_IOBOARD_SCRIPT).
    for (const char* name : {"standard-cycle.txt", "calm-cycle.txt"}) {
        QFile f(QStringLiteral(IOBOARD_SCRIPT_DIR "/") + QLatin1String(name));
        QVERIFY2(f.open(QIODevice::ReadOnly), name);
        QTest::newRow(name) << QString::fromUtf8(f.readAll()) << 14;
    }
}

void TestIOBoard::cycleScripts() {
    QFETCH(QString, text);
    QFETCH(int, steps);
    QList<CycleStep> parsed;
    QString error;
    const bool ok = parseCycleScript(text, &parsed, &error);
    QCOMPARE(ok, steps >= 0);
    if (ok)
        QCOMPARE(parsed.size(), steps);
    else
        QVERIFY(error.startsWith("line 1"));
}

// A script on the board drives the monitor through one cycle of edges.
void TestIOBoard::cyclePlayer() {
    QVERIFY(startBoard());
    port_ = new ControlPort;
    QVERIFY(waitPolls(*board_, 3));
    QList<CycleStep> steps;
    QVERIFY(parseCycleScript("inputs 0x002\nwait 200\non 0\nwait 200\non 2\nwait 200\noff 2\noff 0\n", &steps,
                             nullptr));
    CyclePlayer player(board_);
    QStringList log;
    QMutex logLock;
    player.setLogger([&](const QString& line) {
        QMutexLocker l(&logLock);
        log << line;
    });
    player.play(steps, false);
    QTRY_VERIFY_WITH_TIMEOUT(player.finished(), kWait);
    QCOMPARE(player.cycles(), 1);
    QCOMPARE(board_->inputs(), 0x002);
    QMutexLocker l(&logLock);
    QCOMPARE(log, (QStringList{"inputs 0x002", "input 0 on", "input 2 on", "input 2 off", "input 0 off"}));
}

// "until": the script waits for the monitor's output, toggling the door input while it waits.
void TestIOBoard::cyclePlayerWaitsForAnOutput() {
    QVERIFY(startBoard());
    port_ = new ControlPort;
    QVERIFY(waitPolls(*board_, 3));
    port_->IOSetOut(0, 1);
    port_->IOFlashOut();
    QVERIFY(board_->waitForCommand(1, 0x001, kWait));
    QList<CycleStep> steps;
    QVERIFY(parseCycleScript("inputs 0x002\nuntil 0 off 400 1\non 3\n", &steps, nullptr));
    CyclePlayer player(board_);
    QStringList log;
    QMutex logLock;
    player.setLogger([&](const QString& line) {
        QMutexLocker l(&logLock);
        log << line;
    });
    player.play(steps, false);
    const auto logged = [&](const QString& line) {
        QMutexLocker l(&logLock);
        return log.contains(line);
    };
    QTRY_VERIFY_WITH_TIMEOUT(logged("input 1 on"), kWait);  // the door was opened and closed
    QVERIFY(logged("input 1 off (still waiting)"));
    QVERIFY(!player.finished());
    QCOMPARE(board_->inputs() & 0x008, 0);
    port_->IOSetOut(0, 0);
    port_->IOFlashOut();
    QTRY_VERIFY_WITH_TIMEOUT(player.finished(), kWait);
    QCOMPARE(board_->inputs(), 0x00A);
}

// The simulator as a program beside the monitor: link, looping script, output log, clean stop.
void TestIOBoard::simulatorProgram() {
    QVERIFY(dir_->writeFile("cycle.txt", "on 0\nwait 60\noff 0\nwait 60\n"));
    const QString link = comDeviceName(0);
    QProcess sim;
    sim.start(IOBOARD_SIM_PROGRAM, {"--link", link, "--script", dir_->filePath("cycle.txt"), "--quiet"});
    QVERIFY(sim.waitForStarted(kWait));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(link).isSymLink(), kWait);
    port_ = new ControlPort;
    QVERIFY(gpCom->isOpen());
    int edges = 0;
    QTRY_VERIFY_WITH_TIMEOUT((edges += port_->IOInTrigger(0)) >= 2, kWait);  // the script loops
    port_->IOSetOut(1, 1);
    port_->IOFlashOut();
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += sim.readAllStandardOutput()).contains("outputs 0x000 -> 0x002"), kWait);
    QVERIFY(QRegularExpression(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} outputs 0x000 -> 0x002)")
                .match(QString::fromLatin1(out))
                .hasMatch());
    sim.terminate();
    QVERIFY(sim.waitForFinished(kWait));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());

    // A file that is not a link is never replaced.
    QVERIFY(dir_->writeFile("sysroot/dev/ttyS3", "keep"));
    IoBoardSim other;
    QVERIFY(!other.start(comDeviceName(2)));
    QCOMPARE(dir_->readFile("sysroot/dev/ttyS3"), QByteArray("keep"));

    QProcess bad;
    bad.start(IOBOARD_SIM_PROGRAM, {"--script", dir_->filePath("missing.txt")});
    QVERIFY(bad.waitForFinished(kWait));
    QCOMPARE(bad.exitCode(), 2);
}

QTEST_GUILESS_MAIN(TestIOBoard)
#include "tst_ioboard.moc"
