#include <QDir>
#include <QtTest>

#include "app/globals.h"
#include "camera/cameraglobals.h"
#include "camera/cameraloss.h"
#include "io/ioparamswidget.h"
#include "io/ledcontrol.h"
#include "platform/system/sysclock.h"
#include "platform/system/syspath.h"
#include "records/counters.h"
#include "settings/camerapages.h"
#include "settings/systempages.h"
#include "settings/systemsettingwidget.h"
#include "settingsrig.h"
#include "widgets/blineedit.h"
#include "widgets/editdatetime.h"
#include "widgets/modifytimewidget.h"

namespace {
const char kBlkid[] = "/dev/sda2: UUID=\"1\" TYPE=\"ext4\"\n/dev/sdb1: LABEL=\"STICK\" TYPE=\"vfat\"\n";

// The dialog with its two modal steps scripted.
class ScriptedDialog : public SystemSettingWidget {
public:
    QString updateFile;
    bool timeAccepted = true;
    QDateTime newTime;

protected:
    QString chooseUpdateFile() override { return updateFile; }
    bool runTimeDialog() override {
        timeWidget->dateTimeEdit->dateEdit->setDate(newTime.date());
        timeWidget->dateTimeEdit->timeEdit->setTime(newTime.time());
        return timeAccepted;
    }
};

// A USB disk that FindAU will find mounted.
void plugUsbDisk(SettingsRig& rig) {
    CommandRunner::instance().queueResult("blkid", 0, kBlkid);
    QVERIFY(rig.dir.writeFile("sysroot/proc/mounts", "/dev/sdb1 /mnt vfat rw 0 0\n"));
}
}  // namespace

class TestMaintenance : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { loadLanguageTable(); }
    void init() {
        gLan = 1;
        numCamera = 2;
        gDNum = 2;
    }
    void exportData_data();
    void exportData();
    void exportWithoutDisk();
    void updateApp_data();
    void updateApp();
    void factoryReset_data();
    void factoryReset();
    void shutDown_data();
    void shutDown();
    void shutDownWithFailingSave();
    void shutDownWithoutDetectionFunction();
    void shutDownWhileHidden();
    void exitProgram();
    void stopPathsRunOnDuringWatchdogPause_data();
    void stopPathsRunOnDuringWatchdogPause();
    void modifyTime_data();
    void modifyTime();
    void changeLanguage();
    void changeLanguageNotWritten();
    void changePassword_data();
    void changePassword();
    void resetCounters();
    void calibration();
};

void TestMaintenance::exportData_data() {
    QTest::addColumn<bool>("copyFails");
    QTest::newRow("copied") << false;
    QTest::newRow("copy fails") << true;
}

// Two cameras and two steps: after the copy exactly the four raw-image folders are emptied; a failed
// copy keeps them and says so.
void TestMaintenance::exportData() {
    QFETCH(bool, copyFails);
    SettingsRig rig;
    // The disk lies outside the program directory, as on the panel.
    QTemporaryDir root;
    setSysRoot(root.path());
    SysClock::setFixed(QDateTime(QDate(2026, 12, 10), QTime(9, 8, 7)));
    const QStringList folders = {"cammer11", "cammer12", "cammer21", "cammer22", "cammer31"};
    for (const QString& f : folders) QVERIFY(rig.dir.writeFile("originalimage/" + f + "/1.bmp", "x"));
    CommandRunner::instance().queueResult("blkid", 0, kBlkid);
    QVERIFY(QDir().mkpath(root.path() + "/proc"));
    QFile mounts(root.path() + "/proc/mounts");
    QVERIFY(mounts.open(QIODevice::WriteOnly));
    mounts.write("/dev/sdb1 /mnt vfat rw 0 0\n");
    mounts.close();
    QVERIFY(QDir().mkpath(root.path() + "/mnt"));
    if (copyFails) CommandRunner::instance().queueResult("cp ", 1);
    SystemSettingWidget w;
    rig.prompter.queueAnswer(true);
    w.SlotExportData();
    setSysRoot(QString());

    const QString folder = "2026-12-10_09.08.07";
    QStringList expected = {"blkid", "umount /mnt", "mount /dev/sdb1 /mnt", "mkdir /mnt//" + folder,
                            "cp -rf ../" + QDir::current().dirName() + " /mnt/" + folder + "/"};
    if (!copyFails)
        for (const QString& f : folders.mid(0, 4)) expected << "rm -rf ./originalimage//" + f + "//*";
    expected << "umount /mnt";
    QCOMPARE(rig.commands(), expected);
    QCOMPARE(rig.prompter.questions, QStringList{lan(324)});
    for (int k = 0; k < folders.size(); ++k)
        QCOMPARE(QFile::exists("originalimage/" + folders[k] + "/1.bmp"), copyFails || k == 4);
    if (copyFails) {
        QCOMPARE(rig.prompter.warnings, QStringList{QString::fromUtf8("数据导出失败")});
    } else {
        QCOMPARE(rig.prompter.warnings, QStringList{lan(147)});
        const QString copied = root.path() + "/mnt/" + folder + "/" + QDir::current().dirName();
        QVERIFY(QFile::exists(copied + "/originalimage/cammer11/1.bmp"));
        QVERIFY(QFile::exists(copied + "/PARAM.db"));
    }
    SysClock::reset();
}

void TestMaintenance::exportWithoutDisk() {
    SettingsRig rig;
    SystemSettingWidget w;
    rig.prompter.queueAnswer(true);   // export?
    rig.prompter.queueAnswer(true);   // no disk: again?
    rig.prompter.queueAnswer(false);  // still none: give up
    w.SlotExportData();
    QCOMPARE(rig.prompter.questions, QStringList({lan(324), lan(320), lan(320)}));
    QCOMPARE(rig.commands(), QStringList({"blkid", "blkid"}));
    QVERIFY(rig.prompter.warnings.isEmpty());
}

void TestMaintenance::updateApp_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("copy");  // the staging command; empty: nothing staged
    QTest::addColumn<bool>("present");  // false: the package vanished, the copy fails
    QTest::newRow("tar.xz") << "/mnt/pkg/monitor-2.tar.xz"
                            << "cp -rf /mnt/pkg/monitor-2.tar.xz ./newupdate.tar.xz" << true;
    QTest::newRow("tar.gz") << "/mnt/a.tar.gz"
                            << "cp -rf /mnt/a.tar.gz ./newupdate.tar.gz" << true;
    QTest::newRow("rar") << "/mnt/a.rar"
                         << "cp -rf /mnt/a.rar ./newupdate.rar" << true;
    QTest::newRow("upper case") << "/mnt/a.TAR.GZ"
                                << "" << true;
    QTest::newRow("quoted") << "/mnt/new $(reboot).tar.gz"
                            << "cp -rf '/mnt/new $(reboot).tar.gz' ./newupdate.tar.gz" << true;
    QTest::newRow("copy fails") << "/mnt/a.tar.gz"
                                << "cp -rf /mnt/a.tar.gz ./newupdate.tar.gz" << false;
}

void TestMaintenance::updateApp() {
    QFETCH(QString, file);
    QFETCH(QString, copy);
    QFETCH(bool, present);
    SettingsRig rig;
    gisRunWTD = 1;
    plugUsbDisk(rig);
    if (!copy.isEmpty() && present) QVERIFY(rig.dir.writeFile("sysroot" + file, "pkg"));
    ScriptedDialog w;
    w.updateFile = file;
    rig.prompter.queueAnswer(true);
    w.SlotUpdateApp();
    QCoreApplication::processEvents();  // the watchdog's pause (0 ms here) is over
    QCOMPARE(rig.prompter.questions, QStringList{lan(323)});
    QStringList expected = {"blkid", "umount /mnt", "mount /dev/sdb1 /mnt"};
    if (!copy.isEmpty()) expected << copy;
    if (!copy.isEmpty() && present)
        expected << "sync"
                 << "reboot";
    QCOMPARE(rig.commands(), expected);
    const bool staged = !copy.isEmpty() && present;
    QCOMPARE(rig.window.events, staged ? QStringList{"flush"} : QStringList());
    QCOMPARE(rig.prompter.warnings.size(), !copy.isEmpty() && !present ? 1 : 0);
    QCOMPARE(gisRunWTD, staged ? 0 : 1);  // a program that goes on keeps its watchdog
}

void TestMaintenance::factoryReset_data() {
    QTest::addColumn<bool>("package");
    QTest::newRow("package present") << true;
    QTest::newRow("package missing") << false;
}

void TestMaintenance::factoryReset() {
    QFETCH(bool, package);
    SettingsRig rig;
    if (package) QVERIFY(rig.dir.writeFile("paraGroup/default/20clearsh.tar.gz", "pkg"));
    SystemSettingWidget w;
    rig.prompter.queueAnswer(true);
    w.SlotRestoreFactorySet();
    QCOMPARE(rig.prompter.questions, QStringList{lan(551) + "?"});
    QStringList expected = {"cp -f paraGroup/default/20clearsh.tar.gz ./newupdate.tar.gz"};
    if (package)
        expected << "sync"
                 << "reboot";
    QCOMPARE(rig.commands(), expected);
    QCOMPARE(rig.dir.readFile("newupdate.tar.gz"), package ? QByteArray("pkg") : QByteArray());
    QCOMPARE(rig.prompter.warnings.size(), package ? 0 : 1);
    QVERIFY(rig.window.records.isEmpty());
    QVERIFY(rig.window.events.isEmpty());
}

void TestMaintenance::shutDown_data() {
    QTest::addColumn<bool>("restart");
    QTest::addColumn<QString>("command");
    QTest::newRow("restart") << true << "reboot";
    QTest::newRow("power off") << false << "init 0";
}

void TestMaintenance::shutDown() {
    QFETCH(bool, restart);
    QFETCH(QString, command);
    SettingsRig rig;
    SystemSettingWidget w;
    w.show();
    const int before = gpWPara->input_timeout_len;
    const int edited = before == 5 ? 6 : 5;
    w.ioParams->sliders[IOParamsWidget::kInputTimeout]->setValue(edited);
    rig.prompter.queueAnswer(true);     // power off?
    rig.prompter.queueAnswer(true);     // save the changes?
    rig.prompter.queueAnswer(restart);  // restart?
    w.SlotShutDown();
    QCoreApplication::processEvents();  // the watchdog's pause (0 ms here) is over
    QCOMPARE(rig.prompter.questions, QStringList({lan(291), lan(234), lan(293)}));
    const QString change = lan(235) + lan(245).arg(lan(336)).arg(before).arg(edited);
    QCOMPARE(rig.window.records, QStringList({change, lan(292)}));
    QCOMPARE(rig.window.events, QStringList{"flush"});
    QCOMPARE(rig.commands(), QStringList{command});
    QCOMPARE(rig.stored("system2").split(' ').value(17).toInt(), gpWPara->input_timeout_len);
}

// The commit's failed save is told once, and the shutdown does not save again.
void TestMaintenance::shutDownWithFailingSave() {
    SettingsRig rig;
    SystemSettingWidget w;
    w.show();
    const int before = gpWPara->input_timeout_len;
    w.ioParams->sliders[IOParamsWidget::kInputTimeout]->setValue(before + 1);
    ParameterManager::getInstance()->releaseDB();
    rig.prompter.queueAnswer(true);   // power off?
    rig.prompter.queueAnswer(true);   // save the changes?
    rig.prompter.queueAnswer(false);  // restart?
    w.SlotShutDown();
    QCoreApplication::processEvents();  // the watchdog's pause (0 ms here) is over
    QCoreApplication::processEvents();
    QCOMPARE(rig.prompter.warnings, QStringList{lan(600).arg("PARAM.db")});
    const QString change = lan(235) + lan(245).arg(lan(336)).arg(before).arg(before + 1) + lan(661);
    QCOMPARE(rig.window.records, QStringList({change, lan(292)}));
    QCOMPARE(rig.commands(), QStringList{"init 0"});
}

// The commit refuses, the shutdown still saves the unchanged live record and goes on.
void TestMaintenance::shutDownWithoutDetectionFunction() {
    SettingsRig rig;
    SystemSettingWidget w;
    w.show();
    SettingsRig::switchOffDetectionFunctions(*gpWParaBak);
    w.cameraFunctions->WizardParaInit();  // the functions page shows them off
    rig.prompter.queueAnswer(true);
    rig.prompter.queueAnswer(false);
    w.SlotShutDown();
    QCoreApplication::processEvents();  // the watchdog's pause (0 ms here) is over
    QCOMPARE(rig.prompter.warnings, QStringList{lan(232)});
    QCOMPARE(rig.prompter.questions, QStringList({lan(291), lan(293)}));
    QCOMPARE(rig.commands(), QStringList{"init 0"});
    QVERIFY(gpWPara->enable_defect_detect || gpWPara->enable_similarity || gpWPara->enable_spot_detect);
}

// The camera reorder ends in the shutdown with the dialog never shown and the working copy stale:
// nothing is asked about saving and the live record stays as it is.
void TestMaintenance::shutDownWhileHidden() {
    SettingsRig rig;
    SystemSettingWidget w;
    const WizardPara live = *gpWPara;
    *gpWParaBak = WizardPara();
    rig.prompter.queueAnswer(true);
    rig.prompter.queueAnswer(true);
    w.SlotShutDown();
    QCoreApplication::processEvents();  // the watchdog's pause (0 ms here) is over
    QCOMPARE(rig.prompter.questions, QStringList({lan(291), lan(293)}));
    QVERIFY(*gpWPara == live);
    QCOMPARE(rig.window.records, QStringList{lan(292)});
    QCOMPARE(rig.commands(), QStringList{"reboot"});
}

void TestMaintenance::exitProgram() {
    SettingsRig rig;
    SystemSettingWidget w;
    rig.prompter.queueAnswer(true);
    w.SlotExit();
    QCoreApplication::processEvents();  // the watchdog's pause (0 ms here) is over
    QCOMPARE(rig.prompter.questions, QStringList{lan(294)});
    QCOMPARE(rig.prompter.warnings, QStringList{lan(296)});
    QCOMPARE(rig.window.records, QStringList{lan(295)});
    QCOMPARE(rig.window.events, QStringList({"flush", "exit 0"}));  // the orderly stop first
    QVERIFY(rig.commands().isEmpty());
}

void TestMaintenance::stopPathsRunOnDuringWatchdogPause_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("commands");  // after the pause
    QTest::addColumn<QStringList>("events");
    QTest::newRow("shut down") << "shutdown" << QStringList{"reboot"} << QStringList{"flush"};
    QTest::newRow("exit") << "exit" << QStringList() << QStringList({"flush", "exit 0"});
}

// The watchdog's pause of a stop path does not hold the GUI thread: the flag drops at once, timers
// tick through the pause, nothing after the pause (flush, reboot, exit) has happened before it ends,
// a second stop path asked meanwhile is refused, and the path goes on once the pause is over.
void TestMaintenance::stopPathsRunOnDuringWatchdogPause() {
    QFETCH(QString, action);
    QFETCH(QStringList, commands);
    QFETCH(QStringList, events);
    SettingsRig rig;
    setTimeOverride("wtd.stop", 400);
    SystemSettingWidget w;
    gisRunWTD = 1;
    int ticks = 0;
    QTimer tick;
    connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    rig.prompter.queueAnswer(true);
    if (action == "shutdown") {
        rig.prompter.queueAnswer(true);  // restart?
        w.SlotShutDown();
    } else {
        w.SlotExit();
    }
    const QStringList asked = rig.prompter.questions;
    QCOMPARE(gisRunWTD, 0);
    QVERIFY(watchdogStopping());
    QVERIFY(rig.commands().isEmpty());
    QVERIFY(!rig.window.events.contains("flush") || action == "exit");  // the exit's orderly stop comes first
    QVERIFY(!rig.window.events.contains("exit 0"));
    w.SlotShutDown();  // refused while the pause runs: nothing asked
    w.SlotExit();
    QCOMPARE(rig.prompter.questions, asked);
    QTRY_VERIFY_WITH_TIMEOUT(!watchdogStopping(), 5000);
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    QCOMPARE(rig.commands(), commands);
    QCOMPARE(rig.window.events, events);
    QCOMPARE(rig.prompter.unexpectedQuestions, 0);
}

void TestMaintenance::modifyTime_data() {
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("commands");
    QTest::newRow("set") << QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5)) << true
                         << QStringList({"date -s '2027-01-02 03:04:05'", "hwclock --systohc", "reboot"});
    QTest::newRow("cancelled") << QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5)) << false << QStringList();
}

void TestMaintenance::modifyTime() {
    QFETCH(QDateTime, time);
    QFETCH(bool, accepted);
    QFETCH(QStringList, commands);
    SettingsRig rig;
    ScriptedDialog w;
    w.newTime = time;
    w.timeAccepted = accepted;
    if (accepted) rig.prompter.queueAnswer(true);
    w.SlotModifyTime();
    QCoreApplication::processEvents();  // the watchdog's pause (0 ms here) is over
    QCOMPARE(rig.commands(), commands);
    if (!commands.isEmpty()) {
        QCOMPARE(rig.window.records, QStringList{lan(401)});
        QCOMPARE(rig.window.events, QStringList{"flush"});
    } else {
        QVERIFY(rig.window.records.isEmpty());
        QVERIFY(rig.window.events.isEmpty());
    }
}

// The language is saved with the live record and the panel restarts; the dialog is not committed.
void TestMaintenance::changeLanguage() {
    SettingsRig rig;
    SystemSettingWidget w;
    w.show();
    const int timeout = gpWPara->input_timeout_len;
    w.ioParams->sliders[IOParamsWidget::kInputTimeout]->setValue(timeout == 5 ? 6 : 5);
    const int old = gLan;  // as the record was loaded
    const int target = old == 2 ? 1 : 2;
    w.systemFunctions->languageGroup->button(old)->click();
    QVERIFY(rig.prompter.questions.isEmpty());
    const QString leaving = lan(319);
    rig.prompter.queueAnswer(true);
    w.systemFunctions->languageGroup->button(target)->click();
    QCoreApplication::processEvents();  // the watchdog's pause (0 ms here) is over
    QCOMPARE(gLan, target);
    QCOMPARE(rig.window.records, QStringList{leaving});
    QCOMPARE(rig.window.events, QStringList{"flush"});
    QCOMPARE(rig.commands(), QStringList{"reboot"});
    QCOMPARE(rig.stored("system2").split(' ').value(12), QString::number(target));
    QCOMPARE(gpWPara->input_timeout_len, timeout);
    QCOMPARE(rig.stored("system2").split(' ').value(17).toInt(), timeout);
}

// A language that cannot be written: one box, one record of the failure, no record of a change, no
// restart.
void TestMaintenance::changeLanguageNotWritten() {
    SettingsRig rig;
    SystemSettingWidget w;
    w.show();
    const int old = gLan;
    const int target = old == 2 ? 1 : 2;
    ParameterManager::getInstance()->releaseDB();
    rig.prompter.queueAnswer(true);
    w.systemFunctions->languageGroup->button(target)->click();
    QCoreApplication::processEvents();  // the watchdog's pause (0 ms here) is over
    QCoreApplication::processEvents();
    const QString box = lan(600).arg("PARAM.db");
    QCOMPARE(rig.prompter.warnings, QStringList{box});
    QCOMPARE(rig.window.records, QStringList{box});
    QCOMPARE(gLan, old);
    QVERIFY(w.systemFunctions->languageGroup->button(old)->isChecked());
    QVERIFY(rig.commands().isEmpty());
}

void TestMaintenance::changePassword_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("warning");
    QTest::addColumn<QByteArray>("stored");
    const QString longer = QString(40, QLatin1Char('7'));
    QTest::newRow("changed") << "1234"
                             << "1234" << 279 << QByteArray("1234");
    QTest::newRow("40 characters") << longer << longer << 279 << QByteArray(32, '7');
    QTest::newRow("empty") << ""
                           << "1234" << 278 << QByteArray("old");
    QTest::newRow("different") << "1234"
                               << "1235" << 280 << QByteArray("old");
}

void TestMaintenance::changePassword() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, warning);
    QFETCH(QByteArray, stored);
    SettingsRig rig;
    SystemSettingWidget w;
    memset(gpWParaBak->password, 0, sizeof gpWParaBak->password);
    strcpy(gpWParaBak->password, "old-and-longer");
    if (stored == "old") stored = "old-and-longer";
    w.systemFunctions->newPwdEdit->setText(first);
    w.systemFunctions->confirmPwdEdit->setText(second);
    w.systemFunctions->changePwdButton->click();
    QCOMPARE(rig.prompter.warnings, QStringList{lan(warning)});
    QCOMPARE(QByteArray(gpWParaBak->password), stored);
    QCOMPARE(w.systemFunctions->confirmPwdEdit->text().isEmpty(), warning == 279);
}

void TestMaintenance::resetCounters() {
    SettingsRig rig;
    SystemSettingWidget w;
    for (int i = 0; i < kMaxCamera; ++i) gAllNum[i] = gFailNum[i] = i + 1;
    gLost = 3;
    w.systemFunctions->resetCountButton->click();
    QCOMPARE(gLost, 0);
    QVERIFY(rig.prompter.questions.isEmpty());
    QCOMPARE(rig.window.records, QStringList{lan(255)});
    QCOMPARE(rig.dir.readFile("count.txt"), QByteArray("0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "));
}

void TestMaintenance::calibration() {
    SettingsRig rig;
    SystemSettingWidget w;
    rig.prompter.queueAnswer(true);
    w.SlotCalibration();
    QCOMPARE(rig.prompter.questions, QStringList{lan(459)});
    QCOMPARE(rig.commands(), QStringList({"./tsc", "reboot"}));
    QCOMPARE(rig.window.events, QStringList{"flush"});
}

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
