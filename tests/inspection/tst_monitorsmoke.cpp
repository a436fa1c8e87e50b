// The whole program, in-process: start-up in a fixture program directory with two simulated
// cameras and the simulated IO board on a pseudo-terminal, up to the polling loop, then a clean stop
// through a reboot that the simulated profile records.
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

#include "app/lanstr.h"
#include "app/main/startup.h"
#include "camera/cameraglobals.h"
#include "inspection/mainwindow.h"
#include "platform/system/commandrunner.h"
#include "platform/system/processexit.h"
#include "ioboardsim.h"
#include "programdir.h"
#include "records/recorddb.h"

class TestMonitorSmoke : public QObject {
    Q_OBJECT
private slots:
    void startsRunsAndQuits();
};

void TestMonitorSmoke::startsRunsAndQuits() {
    ProgramDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(dir.installFactoryFiles(true));
    QVERIFY(RecordDb::createTemplate("RECORDNULL.db"));
    QVERIFY(RecordDb::createTemplate("RECORD.db"));
    QVERIFY(dir.writeFile("sysroot/cameras.json", R"({"cameras": [
        {"vendor": "hikvision", "serial": "SIMCAM0001", "width": 64, "height": 48, "fps": 50, "transport": "usb"},
        {"vendor": "hikvision", "serial": "SIMCAM0002", "width": 64, "height": 48, "fps": 50, "transport": "usb"}]})"));
    QDir().mkpath("sysroot/dev");
    IoBoardSim board;
    if (!board.start(dir.filePath("sysroot/dev/ttyS0"))) QSKIP("no pseudo-terminal here");

    struct Seen {
        int cameras = -1;
        int passes = 0;
        bool boardPolled = false;
        bool timedOut = false;
        QStringList records;
    } seen;
    char name[] = "monitor";
    char* argv[] = {name, nullptr};
    int argc = 1;
    const int status = runMonitor(argc, argv, [&] {
        auto* poll = new QTimer(qApp);
        QElapsedTimer waited;
        waited.start();
        QObject::connect(poll, &QTimer::timeout, [&, poll, waited] {
            const bool polled = board.commandCount(2) > 10;
            if ((gRunCount < 50 || !polled) && waited.elapsed() < 30000) return;
            poll->stop();
            seen.cameras = numCamera;
            seen.passes = gRunCount;
            seen.boardPolled = polled;
            seen.timedOut = waited.elapsed() >= 30000;
            QSqlQuery q(QSqlDatabase::database(RecordDb::kConnection));
            q.exec("select remarks from RECORD");
            while (q.next()) seen.records << q.value(0).toString();
            // Ends as a reboot asked for by the program does in the simulated profile: recorded,
            // then an orderly stop and the reboot status.
            setProcessExitHook([](int status) { qApp->exit(status); });
            RunCommand(QStringLiteral("reboot"));
        });
        poll->start(50);
    });
    setProcessExitHook(nullptr);
    board.stop();
    QCOMPARE(status, kExitSimulatedReboot);
    QVERIFY(!seen.timedOut);
    QCOMPARE(seen.cameras, 2);
    QVERIFY(seen.passes >= 50);
    QVERIFY(seen.boardPolled);
    // The start-up itself asked for no reboot: the one recorded is the test's own.
    QCOMPARE(dir.commands().filter(QStringLiteral("reboot")), QStringList{QStringLiteral("reboot")});
    QVERIFY2(seen.records.contains(lanText(150).arg(2)), qPrintable(seen.records.join('|')));
}

QTEST_APPLESS_MAIN(TestMonitorSmoke)
#include "tst_monitorsmoke.moc"
