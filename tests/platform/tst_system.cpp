#include <QDir>
#include <QFile>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "platform/system/commandrunner.h"
#include "platform/system/fileops.h"
#include "platform/system/profile.h"
#include "platform/system/syspath.h"
#include "platform/system/timing.h"
#include "programdir.h"

class TestSystem : public QObject {
    Q_OBJECT
private slots:
    void defaultProfileIsSimulated();
    void sysPathStaysUnderRoot_data();
    void sysPathStaysUnderRoot();
    void machineCommandsAreOnlyRecorded();
    void machineCommandsEndTheSimulatedProgram_data();
    void machineCommandsEndTheSimulatedProgram();
    void fileCommands_data();
    void fileCommands();
    void pathsOutsideAreNeverTouched();
    void cannedResults();
    void executeModeRunsShell();
    void hungCommandEndsAtItsLimit_data();
    void hungCommandEndsAtItsLimit();
    void timeOverrides();
    void copyNeverFollowsLinks();
    void replaceTree_data();
    void replaceTree();
};

void TestSystem::defaultProfileIsSimulated() {
    // CTest sets MONITOR_PROFILE=simulated; unset must mean the same.
    QCOMPARE(currentProfile(), Profile::Simulated);
    qunsetenv("MONITOR_PROFILE");
    setProfile(Profile::Panel);
    QVERIFY(!isSimulated());
    setProfile(Profile::Simulated);
}

void TestSystem::sysPathStaysUnderRoot_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");  // relative to the system root; empty: unchanged
    QTest::newRow("device") << "/dev/led"
                            << "/dev/led";
    QTest::newRow("etc") << "/etc/hostname"
                         << "/etc/hostname";
    QTest::newRow("climb") << "/../../etc/passwd"
                           << "/etc/passwd";
    QTest::newRow("relative") << "PARAM.db" << QString();
}

void TestSystem::sysPathStaysUnderRoot() {
    QFETCH(QString, path);
    QFETCH(QString, expected);
    ProgramDir dir;
    QVERIFY(dir.isValid());
    if (expected.isEmpty())
        QCOMPARE(SysPath(path), path);
    else
        QCOMPARE(SysPath(path), dir.path() + "/sysroot" + expected);
}

void TestSystem::machineCommandsAreOnlyRecorded() {
    ProgramDir dir;
    for (const char* c : {"reboot", "init 0", "hwclock -w", "date -s 2020-01-01", "ip addr flush dev eth0"})
        QCOMPARE(RunCommand(QString::fromLatin1(c)), 0);
    QCOMPARE(dir.commands().size(), 5);
    const QByteArray log = dir.readFile("sysroot/commands.log");
    QVERIFY(log.contains(" reboot\n"));
    QVERIFY(log.contains(" init 0\n"));
}

void TestSystem::machineCommandsEndTheSimulatedProgram_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("kind");  // MachineCommand
    QTest::newRow("reboot") << "reboot" << int(MachineCommand::Reboot);
    QTest::newRow("init 6") << "init 6" << int(MachineCommand::Reboot);
    QTest::newRow("shutdown -r") << "shutdown -r now" << int(MachineCommand::Reboot);
    QTest::newRow("init 0") << "init 0" << int(MachineCommand::PowerOff);
    QTest::newRow("poweroff") << "  poweroff" << int(MachineCommand::PowerOff);
    QTest::newRow("shutdown") << "shutdown -h now" << int(MachineCommand::PowerOff);
    QTest::newRow("init 3") << "init 3" << int(MachineCommand::None);
    QTest::newRow("word inside") << "echo reboot" << int(MachineCommand::None);
    QTest::newRow("prefix only") << "rebooted" << int(MachineCommand::None);
    QTest::newRow("hwclock") << "hwclock -w" << int(MachineCommand::None);
}

// The program installs a hook that ends it as the panel would; it is told of a recorded reboot or
// power-off and of nothing else, and never of a canned one (tests answer those themselves).
void TestSystem::machineCommandsEndTheSimulatedProgram() {
    QFETCH(QString, command);
    QFETCH(int, kind);
    ProgramDir dir;
    QCOMPARE(int(machineCommandOf(command)), kind);
    QList<int> told;
    setMachineCommandHook([&](MachineCommand c) { told << int(c); });
    QCOMPARE(RunCommand(command), 0);
    CommandRunner::instance().queueResult(command.trimmed(), 0);
    RunCommand(command.trimmed());
    setMachineCommandHook(nullptr);
    RunCommand(command);
    QCOMPARE(told, kind == int(MachineCommand::None) ? QList<int>() : QList<int>{kind});
}

void TestSystem::fileCommands_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    QTest::newRow("mkdir -p") << "mkdir -p ./cnt_net/cnt_log_app/" << 0 << QStringList{"cnt_net/cnt_log_app"}
                              << QStringList{};
    QTest::newRow("cp -f") << "cp -f ./paraGroup/default/PARAM.db ./" << 0 << QStringList{"PARAM.db"}
                           << QStringList{};
    QTest::newRow("cp missing") << "cp -f ./paraGroup/none/PARAM.db ./" << 1 << QStringList{}
                                << QStringList{"PARAM.db"};
    QTest::newRow("cp -rf glob") << "cp -rf ./paraGroup/default/* ./" << 0
                                 << QStringList{"PARAM.db", "cammer00/template0.bmp"} << QStringList{};
    QTest::newRow("dir without -r") << "cp ./paraGroup/default/cammer00 ./x" << 1 << QStringList{}
                                    << QStringList{"x"};
    QTest::newRow("rm -rf") << "rm -rf ./paraGroup/default/cammer00" << 0 << QStringList{}
                            << QStringList{"paraGroup/default/cammer00"};
    QTest::newRow("mv -f") << "mv -f ./paraGroup/default/PARAM.db ./moved.db >/dev/null 2>&1" << 0
                           << QStringList{"moved.db"} << QStringList{"paraGroup/default/PARAM.db"};
    QTest::newRow("sync") << "sync" << 0 << QStringList{} << QStringList{};
    QTest::newRow("dir into itself") << "cp -rf ./paraGroup ./paraGroup/default/" << 1 << QStringList{}
                                     << QStringList{"paraGroup/default/paraGroup"};
}

void TestSystem::fileCommands() {
    QFETCH(QString, command);
    QFETCH(int, status);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    ProgramDir dir;
    QVERIFY(dir.writeFile("paraGroup/default/PARAM.db", "db"));
    QVERIFY(dir.writeFile("paraGroup/default/cammer00/template0.bmp", "bmp"));
    QCOMPARE(RunCommand(command), status);
    for (const QString& p : present) QVERIFY2(QFileInfo::exists(dir.filePath(p)), qPrintable(p));
    for (const QString& p : absent) QVERIFY2(!QFileInfo::exists(dir.filePath(p)), qPrintable(p));
    QVERIFY(dir.readFile("sysroot/commands.log").contains(command.toUtf8()));
}

void TestSystem::pathsOutsideAreNeverTouched() {
    ProgramDir dir;
    QTemporaryDir outside;
    const QString victim = outside.filePath("keep.txt");
    QFile f(victim);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    // Outside the program directory, with a shell meta character, or climbing out: recorded only.
    for (const QString& c : {"rm -f " + victim, QString("rm -rf ../" + QFileInfo(outside.path()).fileName()),
                             QString("rm -f keep.txt; rm -f " + victim)})
        QCOMPARE(RunCommand(c), 0);
    QVERIFY(QFile::exists(victim));
    QCOMPARE(dir.commands().size(), 3);
}

void TestSystem::cannedResults() {
    ProgramDir dir;
    CommandRunner::instance().queueResult("ping ", 1);
    CommandRunner::instance().queueResult("blkid", 0, "/dev/sdb1: UUID=\"x\"\n");
    QCOMPARE(RunCommand("ping 192.168.1.20 -w 1"), 1);
    QCOMPARE(RunCommand("ping 192.168.1.20 -w 1"), 0);  // consumed once
    const CommandResult r = RunCommandCapture("blkid");
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.output, QByteArray("/dev/sdb1: UUID=\"x\"\n"));
    QVERIFY(!r.executed);
}

void TestSystem::executeModeRunsShell() {
    ProgramDir dir;
    CommandRunner::instance().setMode(CommandRunner::Mode::Execute);
    const CommandResult r = RunCommandCapture("printf %s " + shellQuote("it's; $HOME"));
    QVERIFY(r.executed);
    QCOMPARE(r.output, QByteArray("it's; $HOME"));
    QCOMPARE(RunCommand("exit 3"), 3);
    QVERIFY(!QFile::exists(dir.filePath("sysroot/commands.log")));
}

void TestSystem::hungCommandEndsAtItsLimit_data() {
    QTest::addColumn<bool>("execute");     // a real shell (test-only executing profile) or the canned hang
    QTest::addColumn<bool>("fromWorker");  // called on a worker thread instead of the GUI thread
    QTest::newRow("executed, GUI thread") << true << false;
    QTest::newRow("executed, worker thread") << true << true;
    QTest::newRow("canned hang, GUI thread") << false << false;
}

// A command that never ends is ended at its time limit and reported as failed; on the GUI thread the
// event loop goes on meanwhile (a timer keeps firing), and an executed command's whole process group
// goes with it (a child it started in the background included).
void TestSystem::hungCommandEndsAtItsLimit() {
    QFETCH(bool, execute);
    QFETCH(bool, fromWorker);
    ProgramDir dir;
    const QString command = "sleep 600 & echo $! > bg.pid; wait";
    if (execute)
        CommandRunner::instance().setMode(CommandRunner::Mode::Execute);
    else
        CommandRunner::instance().queueHang("sleep ");
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(5);
    CommandResult r;
    if (fromWorker) {
        std::unique_ptr<QThread> worker(QThread::create([&] { r = RunCommandCapture(command, 300); }));
        worker->start();
        QVERIFY(worker->wait(30000));
    } else {
        r = RunCommandCapture(command, 300);
        QVERIFY(ticks > 0);
    }
    QVERIFY(r.timedOut);
    QCOMPARE(r.exitCode, -1);
    QVERIFY(r.executed);
    QCOMPARE(CommandRunner::instance().history(), QStringList{command});
    if (execute) {
        QVERIFY(!QFile::exists(dir.filePath("sysroot/commands.log")));
        QTRY_VERIFY(QFile::exists(dir.filePath("bg.pid")));
        const QByteArray pid = dir.readFile("bg.pid").trimmed();
        QVERIFY(!pid.isEmpty());
        // Gone, or a zombie waiting for its reaper.
        auto alive = [&] {
            QFile stat("/proc/" + pid + "/stat");
            if (!stat.open(QIODevice::ReadOnly)) return false;
            const QByteArray s = stat.readAll();
            return !s.mid(s.lastIndexOf(')') + 2, 1).startsWith('Z');
        };
        QTRY_VERIFY(!alive());
        // A command that ends in time is not touched.
        QCOMPARE(RunCommand("sleep 0.05; exit 4", 5000), 4);
    } else {
        QVERIFY(dir.commands().contains(command));
    }
}

void TestSystem::timeOverrides() {
    ProgramDir dir;
    QCOMPARE(TimeMs("run.loop", 3), 3);
    setTimeOverride("cycle.show", 20);
    QCOMPARE(TimeMs("cycle.show", 2000), 20);
    QCOMPARE(TimeMs("run.loop", 3), 3);
    clearTimeOverrides();
    QCOMPARE(TimeMs("cycle.show", 2000), 2000);
}

// A template folder with a link back to itself, a link to a folder outside and a dangling link: the
// copy ends, takes nothing from outside and keeps every link as a link.
void TestSystem::copyNeverFollowsLinks() {
    ProgramDir dir;
    QTemporaryDir outside;
    QVERIFY(QDir().mkpath(outside.filePath("secret")));
    QVERIFY(dir.writeFile("tree/0.bmp", "bmp"));
    QVERIFY(QDir().mkpath(dir.filePath("tree/sub")));
    QVERIFY(QFile::link(".", dir.filePath("tree/loop")));
    QVERIFY(QFile::link("../tree", dir.filePath("tree/sub/back")));
    QVERIFY(QFile::link(outside.filePath("secret"), dir.filePath("tree/out")));
    QVERIFY(QFile::link("gone.bmp", dir.filePath("tree/dangling")));
    QVERIFY(copyPathRecursively(dir.filePath("tree"), dir.filePath("copy")));
    QCOMPARE(dir.readFile("copy/0.bmp"), QByteArray("bmp"));
    for (const char* link : {"copy/loop", "copy/sub/back", "copy/out", "copy/dangling"})
        QVERIFY2(QFileInfo(dir.filePath(link)).isSymLink(), link);
    QCOMPARE(QFile::symLinkTarget(dir.filePath("copy/out")),
             QFileInfo(outside.filePath("secret")).canonicalFilePath());
    QCOMPARE(
        QDir(dir.filePath("copy")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(),
        5);
    // Through the file command as well.
    QCOMPARE(RunCommand("cp -rf ./tree ./again"), 0);
    QVERIFY(QFileInfo(dir.filePath("again/loop")).isSymLink());
}

void TestSystem::replaceTree_data() {
    QTest::addColumn<bool>("oldTree");
    QTest::addColumn<bool>("staged");
    QTest::addColumn<bool>("leftover");  // an aside copy left by an earlier attempt
    QTest::addColumn<bool>("replaced");
    QTest::newRow("new name") << false << true << false << true;
    QTest::newRow("over an old tree") << true << true << false << true;
    QTest::newRow("over a leftover") << true << true << true << true;
    QTest::newRow("nothing staged") << true << false << false << false;
}

void TestSystem::replaceTree() {
    QFETCH(bool, oldTree);
    QFETCH(bool, staged);
    QFETCH(bool, leftover);
    QFETCH(bool, replaced);
    ProgramDir dir;
    if (oldTree) QVERIFY(dir.writeFile("groups/g/PARAM.db", "old"));
    if (staged) QVERIFY(dir.writeFile("groups/.g.new/PARAM.db", "new"));
    if (leftover) QVERIFY(dir.writeFile("groups/.g.old/x/PARAM.db", "older"));
    QCOMPARE(::replaceTree(dir.filePath("groups/.g.new"), dir.filePath("groups/g")), replaced);
    QCOMPARE(dir.readFile("groups/g/PARAM.db"), QByteArray(replaced ? "new" : "old"));
    if (replaced)
        QCOMPARE(
            QDir(dir.filePath("groups")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{"g"});
}

QTEST_GUILESS_MAIN(TestSystem)
#include "tst_system.moc"
