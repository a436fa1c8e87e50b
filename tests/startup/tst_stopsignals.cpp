// The program itself as a child process (simulated profile, one simulated camera, the simulated IO
// board on a pseudo-terminal), stopped by a signal in the middle of a machine cycle. SIGTERM and SIGINT
// stop it in order, as the exit action does: status 0, the outputs left on the board as they stood (the
// clamping cut of the unfinished cycle stays on: the machine must not close on a mould nobody checked), the
// counters of the unfinished cycle written, the stop recorded, no crash report. SIGABRT still leaves the
// crash trace. A stop signal also ends a start-up that waits for an answer to a question, at once.
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>
#include <csignal>

#include "app/factoryfiles.h"
#include "app/wizardpara.h"
#include "ioboardsim.h"
#include "programdir.h"
#include "records/recorddb.h"

namespace {
constexpr int kWait = 30000;

// Runs one statement on a database file of the program directory; the first column of its rows.
QStringList query(const QString& file, const QString& sql) {
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "peek");
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql))
                while (q.next()) rows << q.value(0).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("peek");
    return rows;
}

// The output word of a board whose every output is at its inactive level.
int inactiveOutputs() {
    const WizardPara p = factoryRecord();
    int word = 0;
    for (int o = 0; o < 9; ++o)
        if (p.output_inverted[o]) word |= 1 << o;
    return word;
}
}  // namespace

class TestStopSignals : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void stopSignal_data();
    void stopSignal();
    void stopWhileStartupQuestionOpen_data();
    void stopWhileStartupQuestionOpen();
};

void TestStopSignals::initTestCase() {
    IoBoardSim probe;
    if (!probe.start()) QSKIP(qPrintable("no pseudo-terminals here: " + probe.errorString()));
}

void TestStopSignals::stopSignal_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGABRT") << int(SIGABRT);
}

void TestStopSignals::stopSignal() {
    QFETCH(int, signal);
    const bool orderly = signal != SIGABRT;
    ProgramDir dir;
    QVERIFY(dir.installFactoryFiles(true));
    QVERIFY(RecordDb::createTemplate(dir.filePath("RECORDNULL.db")));
    QVERIFY(RecordDb::createTemplate(dir.filePath("RECORD.db")));
    // Product detection on, no semi-automatic: the product step 0.1 s after the mould opens, the
    // cavity step a minute later, so the signal comes while the cycle's counters are not yet saved.
    QStringList system1 = query(dir.filePath("PARAM.db"), "select value from sysparam where name='system1'")
                              .value(0)
                              .split(' ');
    QCOMPARE(system1.size(), 10);
    system1[0] = "0";
    system1[1] = "1";
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "setup");
        db.setDatabaseName(dir.filePath("PARAM.db"));
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec("update sysparam set value='1 600 0 0 0 0 0 0' where name='trigInDelay'"));
        QVERIFY(
            q.exec(QString("update sysparam set value='%1' where name='system1'").arg(system1.join(' '))));
        db.close();
    }
    QSqlDatabase::removeDatabase("setup");
    QVERIFY(dir.writeFile("sysroot/cameras.json", R"({"cameras": [
        {"vendor": "hikvision", "serial": "SIMCAM0001", "width": 64, "height": 48, "fps": 25, "transport": "usb"}]})"));
    QDir().mkpath(dir.filePath("sysroot/dev"));
    IoBoardSim board;
    QVERIFY(board.start(dir.filePath("sysroot/dev/ttyS0")));

    QProcess monitor;
    monitor.setWorkingDirectory(dir.path());
    monitor.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("MONITOR_PROFILE", "simulated");
    monitor.setProcessEnvironment(env);
    monitor.start(MONITOR_PROGRAM, QStringList());
    QVERIFY(monitor.waitForStarted());
    auto output = [&] { return QString::fromUtf8(monitor.readAll()); };
    QString seen;

    // Running: the board is polled; then the mould opens and the product step runs (its ejector cut
    // comes on at the cycle start and goes off once the step passed).
    QVERIFY2(QTest::qWaitFor([&] { return board.commandCount(2) > 20; }, kWait),
             qPrintable(seen += output()));
    board.clearRecords();
    board.setInput(0, true);
    auto ejectorEdges = [&] {
        int n = 0;
        for (const IoBoardSim::OutputChange& c : board.outputChanges())
            if (((c.from ^ c.to) >> 1) & 1) ++n;
        return n;
    };
    QVERIFY2(QTest::qWaitFor([&] { return ejectorEdges() >= 2; }, kWait), qPrintable(seen += output()));
    QVERIFY(!QFile::exists(dir.filePath("count.txt")));
    const int before = board.outputs();
    QVERIFY(before != inactiveOutputs());  // the clamping is cut until the cavity step

    ::kill(monitor.processId(), signal);
    QVERIFY(monitor.waitForFinished(kWait));
    seen += output();
    if (!orderly) {
        QCOMPARE(monitor.exitStatus(), QProcess::CrashExit);
        QVERIFY2(seen.contains("crashed!!!"), qPrintable(seen));
        return;
    }
    QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
    QCOMPARE(monitor.exitCode(), 0);
    QVERIFY2(!seen.contains("crashed") && !seen.contains("*** "), qPrintable(seen));
    QVERIFY(QDir(dir.filePath("cnt_net/cnt_log_app")).entryList({"logFatal*"}).isEmpty());
    QCOMPARE(board.outputs(), before);
    QVERIFY(dir.readFile("count.txt").startsWith("1 0 "));
    const QString name = signal == SIGINT ? "SIGINT" : "SIGTERM";
    const QStringList records = query(dir.filePath("RECORD.db"), "select remarks from RECORD");
    QVERIFY2(!records.filter(name).isEmpty(), qPrintable(records.join('|')));
}

void TestStopSignals::stopWhileStartupQuestionOpen_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

// No camera: the start-up asks whether to clear the camera bindings, from inside the building of the
// main window, and nobody answers. A stop signal ends the program then, in order and at once: status 0,
// the stop recorded, the clamping cut of the start-up still on, the counters left as they were.
void TestStopSignals::stopWhileStartupQuestionOpen() {
    QFETCH(int, signal);
    ProgramDir dir;
    QVERIFY(dir.installFactoryFiles(true));
    QVERIFY(RecordDb::createTemplate(dir.filePath("RECORDNULL.db")));
    QVERIFY(RecordDb::createTemplate(dir.filePath("RECORD.db")));
    QVERIFY(dir.writeFile("sysroot/cameras.json", R"({"cameras": []})"));
    QVERIFY(dir.writeFile("count.txt", "7 2 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "));
    QDir().mkpath(dir.filePath("sysroot/dev"));
    IoBoardSim board;
    QVERIFY(board.start(dir.filePath("sysroot/dev/ttyS0")));

    QProcess monitor;
    monitor.setWorkingDirectory(dir.path());
    monitor.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("MONITOR_PROFILE", "simulated");
    monitor.setProcessEnvironment(env);
    monitor.start(MONITOR_PROGRAM, QStringList());
    QVERIFY(monitor.waitForStarted());
    QString seen;
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     seen += QString::fromUtf8(monitor.readAll());
                     return seen.contains("question box:");
                 },
                 kWait),
             qPrintable(seen));
    // The board was polled and holds the clamping cut the start-up set.
    QVERIFY2(QTest::qWaitFor([&] { return board.outputs() != inactiveOutputs(); }, kWait), qPrintable(seen));
    const int held = board.outputs();

    ::kill(monitor.processId(), signal);
    const bool ended = monitor.waitForFinished(2000);
    seen += QString::fromUtf8(monitor.readAll());
    if (!ended) {
        monitor.kill();
        monitor.waitForFinished(kWait);
    }
    QVERIFY2(ended, qPrintable(seen));
    QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
    QCOMPARE(monitor.exitCode(), 0);
    QVERIFY2(!seen.contains("answer:") && !seen.contains("crashed"), qPrintable(seen));
    QCOMPARE(board.outputs(), held);
    QCOMPARE(dir.readFile("count.txt"), QByteArray("7 2 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "));
    const QString name = signal == SIGINT ? "SIGINT" : "SIGTERM";
    const QStringList records = query(dir.filePath("RECORD.db"), "select remarks from RECORD");
    QVERIFY2(!records.filter(name).isEmpty(), qPrintable(records.join('|')));
}

QTEST_GUILESS_MAIN(TestStopSignals)
#include "tst_stopsignals.moc"
