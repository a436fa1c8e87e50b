#include <QListWidget>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QtTest>
#include <cstring>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/parametermanager.h"
#include "app/wizardpara.h"
#include "io/iolink.h"
#include "platform/system/commandrunner.h"
#include "platform/system/sysclock.h"
#include "platform/system/timing.h"
#include "programdir.h"
#include "records/resstatisticsparam.h"
#include "records/statisticswidget.h"
#include "records/tempalarm.h"
#include "scriptedprompter.h"
#include "settings/usbdisk.h"
#include "widgets/edit.h"
#include "widgets/editbox.h"
#include "widgets/indexbutton.h"

namespace {
const QDate kDay(2026, 12, 10);

QString lan(int id) {
    return gaLanStr[id * kLanColumns + gLan];
}

void setBoardTemp(int channel, float degrees) {
    int raw;
    std::memcpy(&raw, &degrees, sizeof raw);
    gFTemp[channel] = raw;
}

// Green or red bar pixels below the legend.
int barPixels(const QImage& img) {
    int n = 0;
    for (int y = 40; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if ((c.green() > 200 && c.red() < 100) || (c.red() > 200 && c.green() < 100)) ++n;
        }
    return n;
}

// A program directory with a statistics store published as gpResStatisticsParam.
struct StoreFixture {
    ProgramDir dir;
    ScriptedPrompter prompter;
    ResStatisticsParam* store = nullptr;
    StoreFixture() {
        setTimeOverride("stats.reboot", 0);
        setTimeOverride("stats.nextDay", 0);
        setTimeOverride("stats.export", 0);
        { ResStatisticsParam first(kDay); }  // makes the empty day and its template
        prompter.warnings.clear();
        CommandRunner::instance().clearHistory();
        store = new ResStatisticsParam(kDay);
        gpResStatisticsParam = store;
    }
    ~StoreFixture() {
        delete store;
        gisTempAlarm = false;
    }
};
}  // namespace

class TestStatisticsWidget : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        loadLanguageTable();
        gLan = 1;
        setUsbDiskFinder(&FindAU);  // as the settings layer installs it
    }
    void init() {
        for (auto& v : gFTemp) v = 0;
    }

    void chartOfZerosDrawsNoBars();
    void showsTodayAndArchivedDays();
    void temperatureAlarmFollowsLimits_data();
    void temperatureAlarmFollowsLimits();
    void leavingTemperatureTabSavesLimits();
    void exportToUsbDisk_data();
    void exportToUsbDisk();
};

void TestStatisticsWidget::chartOfZerosDrawsNoBars() {
    Histogram chart(nullptr, {8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19});
    chart.resize(1600, 420);
    QCOMPARE(chart.series1(), QVector<int>(12, 0).toList());
    QCOMPARE(chart.maxY(), 0);
    QCOMPARE(barPixels(chart.grab().toImage()), 0);

    chart.modifyDataAxisY({5, 0, 3}, QVector<int>(20, 1).toList());  // short series padded, long one cut
    QCOMPARE(chart.series1().size(), 12);
    QCOMPARE(chart.series1().mid(0, 4), QList<int>({5, 0, 3, 0}));
    QCOMPARE(chart.series2(), QVector<int>(12, 1).toList());
    QCOMPARE(chart.maxY(), 5);
    QVERIFY(barPixels(chart.grab().toImage()) > 0);

    chart.modifyDataAxisY({}, {});
    QCOMPARE(chart.maxY(), 0);
    QCOMPARE(barPixels(chart.grab().toImage()), 0);
}

void TestStatisticsWidget::showsTodayAndArchivedDays() {
    StoreFixture f;
    // Yesterday: 3 OK in the morning, 1 NG at night, plan 500; then today: 1 OK, 1 NG in the morning.
    f.store->setCurPlan(500);
    for (int i = 0; i < 3; ++i) f.store->addTotal(1, true, 1);
    f.store->addTotal(14, false, 1);
    QVERIFY(f.store->nextDay(kDay.addDays(1)));
    f.store->setCurPlan(800);
    f.store->addTotal(2, true, 1);
    f.store->addTotal(2, false, 1);
    f.store->addTotal(2, false, 0);  // another step: not shown

    StatisticsWidget::setCycleTimeSource([] { return 15u; });
    StatisticsWidget w;
    w.show();
    QCOMPARE(w.dayList()->count(), 2);
    QCOMPARE(w.dayList()->item(0)->text(), QString("2026-12-11"));
    QCOMPARE(w.dayList()->item(1)->text(), QString("2026-12-10"));
    QVERIFY(w.isToday());
    QCOMPARE(w.valueTexts(), QStringList({"1", "1", "0", "0", "2", "1", "50%"}));
    QCOMPARE(w.morningChart()->series1().mid(0, 3), QList<int>({0, 0, 1}));
    QCOMPARE(w.planEdit()->text(), QString("800"));
    QVERIFY(w.planEdit()->isEnabled());
    QCOMPARE(w.cycleText(), QString::fromUtf8("周期  1.5"));

    // A cycle counted while today is shown reaches the window at once.
    f.store->addTotal(15, true, 1);
    QCOMPARE(w.valueTexts(), QStringList({"1", "1", "1", "0", "3", "1", "33.3333%"}));

    // The plan typed in is today's and goes to the file.
    w.planEdit()->setText("1200");
    QCOMPARE(f.store->getCurPlan(), 1200);

    // The archived day: its counts and plan; the plan cannot be edited.
    w.dayList()->setCurrentRow(1);
    emit w.dayList()->itemClicked(w.dayList()->item(1));
    QVERIFY(!w.isToday());
    QVERIFY(!w.planEdit()->isEnabled());
    QCOMPARE(w.valueTexts(), QStringList({"3", "0", "0", "1", "4", "1", "25%"}));
    QCOMPARE(w.nightChart()->series2().mid(0, 3), QList<int>({0, 0, 1}));
    QCOMPARE(w.planEdit()->text(), QString("500"));
    QCOMPARE(f.store->getCurPlan(), 1200);
    f.store->addTotal(3, true, 1);  // today goes on counting without disturbing the archived view
    w.updateData();
    QCOMPARE(w.valueTexts().at(0), QString("3"));

    // Shown again, the window returns to today.
    w.hide();
    w.show();
    QVERIFY(w.isToday());
    QCOMPARE(w.valueTexts(), QStringList({"2", "1", "1", "0", "4", "1", "25%"}));
    QCOMPARE(w.planEdit()->text(), QString("1200"));
    StatisticsWidget::setCycleTimeSource({});
}

void TestStatisticsWidget::temperatureAlarmFollowsLimits_data() {
    QTest::addColumn<float>("degrees");
    QTest::addColumn<int>("lower");
    QTest::addColumn<bool>("alarm");
    QTest::newRow("at the lower limit") << 25.0f << 250 << false;
    QTest::newRow("at the upper limit") << 30.0f << 250 << false;
    QTest::newRow("at a limit, not a round float") << 25.3f << 253 << false;  // 25.2999... as a float
    QTest::newRow("a tenth below") << 24.9f << 250 << true;
    QTest::newRow("a tenth above") << 30.1f << 250 << true;
}

void TestStatisticsWidget::temperatureAlarmFollowsLimits() {
    QFETCH(float, degrees);
    QFETCH(int, lower);
    QFETCH(bool, alarm);
    StoreFixture f;
    WizardPara record;
    WizardPara* const saved = gpWPara;
    gpWPara = &record;
    for (int k = 0; k < 8; ++k) {
        record.temp_limit_min[k] = 0;
        record.temp_limit_max[k] = 1000;
    }
    record.temp_limit_min[5] = lower;
    record.temp_limit_max[5] = 300;
    for (int k = 0; k < 8; ++k) setBoardTemp(k, k == 5 ? 27.5f : 20.0f);
    setTimeOverride("stats.refresh", 50);

    StatisticsWidget w;
    w.show();
    w.tabs()->setCurrentIndex(1);  // the tab loads the limits when shown
    QCOMPARE(w.temperatures()->box(5)->getMaxValue(), 300);
    w.updateData();
    QVERIFY(!gisTempAlarm);

    setBoardTemp(5, degrees);
    w.updateData();
    QCOMPARE(gisTempAlarm, alarm);
    setBoardTemp(5, 27.5f);
    QTRY_COMPARE_WITH_TIMEOUT(gisTempAlarm, false, 5000);  // the refresh timer clears it, shown or not
    gpWPara = saved;
    w.hide();
}

void TestStatisticsWidget::leavingTemperatureTabSavesLimits() {
    StoreFixture f;
    QVERIFY(f.dir.installFactoryFiles(true));
    ParameterManager::getInstance()->init();
    QVERIFY(gpWPara);
    for (int k = 0; k < 8; ++k) {
        gpWPara->temp_limit_min[k] = 100 + k;
        gpWPara->temp_limit_max[k] = 900 + k;
    }
    {
        StatisticsWidget w;
        w.show();
        w.tabs()->setCurrentIndex(1);
        w.temperatures()->box(0)->setMaxValue(555);
        w.tabs()->setCurrentIndex(0);
        w.hide();
    }
    QCOMPARE(gpWPara->temp_limit_max[0], 555);
    QString stored;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "peek");
        db.setDatabaseName(f.dir.filePath("PARAM.db"));
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec("select value from sysparam where name='system11'") && q.next());
        stored = q.value(0).toString();
        db.close();
    }
    QSqlDatabase::removeDatabase("peek");
    QCOMPARE(stored.split(' ').mid(0, 16),
             QStringList({"100", "101", "102", "103", "104", "105", "106", "107", "555", "901", "902", "903",
                          "904", "905", "906", "907"}));
    ParameterManager::destroyInstance();
}

void TestStatisticsWidget::exportToUsbDisk_data() {
    QTest::addColumn<bool>("disk");
    QTest::addColumn<int>("mvStatus");
    QTest::newRow("disk, moved") << true << 0;
    QTest::newRow("disk, move fails") << true << 1;
    QTest::newRow("no disk, give up") << false << 0;
}

void TestStatisticsWidget::exportToUsbDisk() {
    QFETCH(bool, disk);
    QFETCH(int, mvStatus);
    StoreFixture f;
    f.store->addTotal(0, false, 1);
    SysClock::setFixed(QDateTime(QDate(2026, 12, 10), QTime(14, 5, 6)));
    StatisticsWidget w;
    w.show();
    CommandRunner::instance().clearHistory();
    const QString name = "2026-12-10_14.05.06";
    f.prompter.queueAnswer(true);  // export?
    if (disk) {
        CommandRunner::instance().queueResult("blkid", 0,
                                              "/dev/sda2: UUID=\"1\" TYPE=\"ext4\"\n"
                                              "/dev/sdb1: LABEL=\"STICK\" TYPE=\"vfat\"\n");
        QVERIFY(f.dir.writeFile("sysroot/proc/mounts", "/dev/sdb1 /mnt vfat rw 0 0\n"));
        QVERIFY(QDir().mkpath(f.dir.filePath("sysroot/mnt")));
        if (mvStatus) CommandRunner::instance().queueResult("mv ", mvStatus);
    } else {
        f.prompter.queueAnswer(false);  // no disk: try again?
    }
    ColorButton* exportButton = nullptr;
    for (ColorButton* b : w.findChildren<ColorButton*>())
        if (b->text() == lan(326)) exportButton = b;
    QVERIFY(exportButton);
    exportButton->click();

    if (!disk) {
        QCOMPARE(f.prompter.questions, QStringList({lan(324), lan(320)}));
        QCOMPARE(f.dir.commands(), QStringList{"blkid"});
        QVERIFY(f.prompter.warnings.isEmpty());
        return;
    }
    QCOMPARE(f.prompter.questions, QStringList{lan(324)});
    QCOMPARE(f.dir.commands(), QStringList({"blkid", "umount /mnt", "mount /dev/sdb1 /mnt",
                                            "mv " + name + " /mnt/" + name + ".xls", "umount /mnt"}));
    if (mvStatus == 0) {
        QCOMPARE(f.prompter.warnings, QStringList{lan(147)});
        const QByteArray exported = f.dir.readFile("sysroot/mnt/" + name + ".xls");
        QVERIFY(exported.startsWith("2026-12-10\nhour\tOK\tNG\n08\t0\t1\n"));
        QVERIFY(!QFile::exists(name));
    } else {
        QCOMPARE(f.prompter.warnings, QStringList{QString::fromUtf8("数据导出失败")});
        QVERIFY(!QFile::exists(name));
    }
    QCOMPARE(f.prompter.unexpectedQuestions, 0);
}

QTEST_MAIN(TestStatisticsWidget)
#include "tst_statisticswidget.moc"
