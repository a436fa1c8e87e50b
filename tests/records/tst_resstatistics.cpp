#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "app/globals.h"
#include "app/lanstr.h"
#include "platform/system/commandrunner.h"
#include "platform/system/timing.h"
#include "programdir.h"
#include "records/resstatisticsparam.h"
#include "scriptedprompter.h"

namespace {
const QDate kDay(2026, 12, 10);

// name -> "value1|value2" of every row of a statistics file.
QMap<QString, QString> rowsOf(const QString& path) {
    QMap<QString, QString> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "peek");
        db.setDatabaseName(path);
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec("SELECT name, value1, value2 FROM resstatistics"))
                while (q.next())
                    rows[q.value(0).toString()] = q.value(1).toString() + "|" + q.value(2).toString();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase("peek");
    return rows;
}

// n copies of a number, separated by blanks.
QString repeated(int n, const char* v) {
    QStringList l;
    for (int i = 0; i < n; ++i) l << v;
    return l.join(' ');
}

QString zeros24() {
    return repeated(24, "0");
}

QList<int> slotsWith(int index, int value) {
    QList<int> l;
    for (int i = 0; i < 24; ++i) l << (i == index ? value : 0);
    return l;
}

// A program directory holding an empty day (file and template, made by a first store).
struct StatsFixture {
    ProgramDir dir;
    ScriptedPrompter prompter;
    StatsFixture() { setTimeOverride("stats.nextDay", 0); }
    void makeEmptyDay() {
        { ResStatisticsParam first(kDay); }
        prompter.warnings.clear();
        CommandRunner::instance().clearHistory();
    }
};
}  // namespace

class TestResStatistics : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        loadLanguageTable();
        gLan = 1;
    }

    void missingFileIsMadeAndUsedAtOnce_data();
    void missingFileIsMadeAndUsedAtOnce();
    void countsRoundTripAndShiftSums();
    void nextDayArchivesAndStartsFresh();
    void failedMoveKeepsTheDay();
    void unreadableFileIsReported();
};

void TestResStatistics::missingFileIsMadeAndUsedAtOnce_data() {
    QTest::addColumn<bool>("withTemplate");
    QTest::addColumn<bool>("emptyFile");
    QTest::newRow("nothing there") << false << false;
    QTest::newRow("empty file, no template") << false << true;
    QTest::newRow("template only") << true << false;
}

// A missing or empty statistics file is made again and counts at once, with no box and no restart.
void TestResStatistics::missingFileIsMadeAndUsedAtOnce() {
    QFETCH(bool, withTemplate);
    QFETCH(bool, emptyFile);
    StatsFixture f;
    QByteArray templateBytes;
    if (withTemplate) {
        f.makeEmptyDay();
        QVERIFY(QFile::remove(ResStatisticsParam::kFile));
        templateBytes = f.dir.readFile(ResStatisticsParam::kTemplate);
        QVERIFY(!templateBytes.isEmpty());
    }
    if (emptyFile) QVERIFY(f.dir.writeFile(ResStatisticsParam::kFile, QByteArray()));

    QByteArray fileBefore;
    {
        ResStatisticsParam store(kDay);
        fileBefore = f.dir.readFile(ResStatisticsParam::kFile);
        store.add(3, false, 1, 2);
        QCOMPARE(store.ngList(1, 2), slotsWith(3, 1));
    }
    QVERIFY(f.prompter.warnings.isEmpty());
    QVERIFY(f.dir.commands().isEmpty());
    QCOMPARE(rowsOf(ResStatisticsParam::kFile).value("C2_D1"), zeros24() + "|0 0 0 1 " + repeated(20, "0"));
    // The template holds an empty day: plan 0 and every count row with 24 zeros.
    const auto rows = rowsOf(ResStatisticsParam::kTemplate);
    QCOMPARE(rows.size(), 1 + 8 + 64);
    QCOMPARE(rows.value("plan"), QString("0|"));
    for (int s = 0; s < 8; ++s) {
        QCOMPARE(rows.value(QString("Detect%1").arg(s)), zeros24() + "|" + zeros24());
        for (int c = 0; c < 8; ++c)
            QCOMPARE(rows.value(QString("C%1_D%2").arg(c).arg(s)), zeros24() + "|" + zeros24());
    }
    if (withTemplate) QCOMPARE(fileBefore, templateBytes);
}

void TestResStatistics::countsRoundTripAndShiftSums() {
    StatsFixture f;
    f.makeEmptyDay();
    {
        ResStatisticsParam store(kDay);
        QVERIFY(f.prompter.warnings.isEmpty());
        QCOMPARE(store.getCurDate(), QString("2026-12-10"));
        store.add(0, true, 1, 2);
        store.add(0, true, 1, 2);
        store.add(23, false, 1, 2);
        store.add(5, true, 1, 8);   // camera 8: nothing
        store.add(24, true, 1, 2);  // no such hour slot
        store.add(-1, false, 1, 2);
        store.addTotal(3, true, 1);
        store.addTotal(11, false, 1);
        store.addTotal(12, true, 1);
        store.addTotal(20, false, 1);
        store.addTotal(20, false, 1);
        store.addTotal(2, true, 0);  // another step does not reach step 1's totals
        store.setCurPlan(1200);
    }
    // Every change is in the file at once: a new store reads it back.
    ResStatisticsParam store(kDay);
    QCOMPARE(store.okList(1, 2), slotsWith(0, 2));
    QCOMPARE(store.ngList(1, 2), slotsWith(23, 1));
    for (int c = 0; c < 8; ++c)
        if (c != 2) QCOMPARE(store.okList(1, c), slotsWith(0, 0));
    QCOMPARE(store.getCurPlan(), 1200);
    const auto rows = rowsOf(ResStatisticsParam::kFile);
    QCOMPARE(rows.value("C2_D1"), "2 " + repeated(23, "0") + "|" + repeated(23, "0") + " 1");
    QCOMPARE(rows.value("plan"), QString("1200|"));

    // The selection is step 1's totals: morning 08-19 is slots 0-11, night 20-07 slots 12-23.
    QCOMPARE(store.getCount(ResStatisticsParam::kMorning, true), 1);
    QCOMPARE(store.getCount(ResStatisticsParam::kMorning, false), 1);
    QCOMPARE(store.getCount(ResStatisticsParam::kNight, true), 1);
    QCOMPARE(store.getCount(ResStatisticsParam::kNight, false), 2);
    QCOMPARE(store.getCount(ResStatisticsParam::kWholeDay, true), 2);
    QCOMPARE(store.getCount(ResStatisticsParam::kWholeDay, false), 3);
    QCOMPARE(store.getCount(3, true), 0);
    QCOMPARE(store.getRes(ResStatisticsParam::kNight, false), slotsWith(8, 2).mid(0, 12));
    QCOMPARE(store.getRes(ResStatisticsParam::kWholeDay, true).size(), 24);
    QVERIFY(store.getRes(-1, true).isEmpty());

    store.setFindRes(1, 2);
    QCOMPARE(store.getCount(ResStatisticsParam::kMorning, true), 2);
    store.setFindRes(QList<int>(), QList<int>());
    for (int shift = 0; shift < 3; ++shift) {
        QCOMPARE(store.getCount(shift, true), 0);
        QCOMPARE(store.getCount(shift, false), 0);
    }

    // Stored values with too few or too many numbers are read as 24 slots.
    QCOMPARE(ResStatisticsParam::parseSlots("1 2  3\t4"), QList<int>({1, 2, 3, 4}) + slotsWith(-1, 0).mid(4));
    QCOMPARE(ResStatisticsParam::parseSlots(repeated(30, "7")).size(), 24);
}

void TestResStatistics::nextDayArchivesAndStartsFresh() {
    StatsFixture f;
    f.makeEmptyDay();
    const QByteArray templateBytes = f.dir.readFile(ResStatisticsParam::kTemplate);
    {
        ResStatisticsParam store(kDay);
        store.add(4, false, 0, 3);
        store.addTotal(4, false, 0);
        QVERIFY(store.nextDay(kDay.addDays(1)));
        QCOMPARE(store.getCurDate(), QString("2026-12-11"));
        QCOMPARE(store.ngList(0, 3), slotsWith(0, 0));
        QCOMPARE(store.ngTotal(0), slotsWith(0, 0));
        // The new day counts into the new file.
        store.addTotal(6, true, 2);
    }
    const auto archived = rowsOf("ResStatistics/2026-12-10.db");
    QCOMPARE(archived.size(), 73);
    QCOMPARE(archived.value("C3_D0"), zeros24() + "|" + ResStatisticsParam::formatSlots(slotsWith(4, 1)));
    QCOMPARE(archived.value("Detect0"), zeros24() + "|" + ResStatisticsParam::formatSlots(slotsWith(4, 1)));
    auto current = rowsOf(ResStatisticsParam::kFile);
    QCOMPARE(current.size(), 73);
    QCOMPARE(current.value("C3_D0"), zeros24() + "|" + zeros24());
    QCOMPARE(current.value("Detect2"), ResStatisticsParam::formatSlots(slotsWith(6, 1)) + "|" + zeros24());
    QCOMPARE(f.dir.readFile(ResStatisticsParam::kTemplate), templateBytes);

    // After a restart the store is told the same day again: the archive of that day is kept and the
    // second one gets a name of its own.
    const QByteArray firstArchive = f.dir.readFile("ResStatistics/2026-12-10.db");
    {
        ResStatisticsParam store(kDay);
        QVERIFY(store.nextDay(kDay.addDays(1)));
    }
    QCOMPARE(f.dir.readFile("ResStatistics/2026-12-10.db"), firstArchive);
    QCOMPARE(rowsOf("ResStatistics/2026-12-10_2.db").value("Detect2"),
             ResStatisticsParam::formatSlots(slotsWith(6, 1)) + "|" + zeros24());
    QCOMPARE(QDir("ResStatistics").entryList({"*.db"}, QDir::Files, QDir::Name),
             QStringList({"2026-12-10.db", "2026-12-10_2.db"}));

    // Without a usable template the new day still gets its table and rows.
    QVERIFY(f.dir.writeFile(ResStatisticsParam::kTemplate, "not a database"));
    {
        ResStatisticsParam store(kDay.addDays(1));
        QVERIFY(store.nextDay(kDay.addDays(2)));
    }
    current = rowsOf(ResStatisticsParam::kFile);
    QCOMPARE(current.size(), 73);
    QCOMPARE(current.value("plan"), QString("0|"));
    QVERIFY(QFile::exists("ResStatistics/2026-12-11.db"));
}

void TestResStatistics::failedMoveKeepsTheDay() {
    StatsFixture f;
    f.makeEmptyDay();
    // A plain file where the archive directory belongs: the day cannot be moved there.
    QVERIFY(f.dir.writeFile("ResStatistics", "in the way"));
    ResStatisticsParam store(kDay);
    store.addTotal(7, true, 1);
    QVERIFY(!store.nextDay(kDay.addDays(1)));
    QCOMPARE(store.getCurDate(), QString("2026-12-10"));
    QCOMPARE(store.okTotal(1), slotsWith(7, 1));
    // The file is still the day's and still written to.
    store.addTotal(7, true, 1);
    QCOMPARE(rowsOf(ResStatisticsParam::kFile).value("Detect1"),
             ResStatisticsParam::formatSlots(slotsWith(7, 2)) + "|" + zeros24());
    QCOMPARE(f.dir.readFile("ResStatistics"), QByteArray("in the way"));
}

void TestResStatistics::unreadableFileIsReported() {
    StatsFixture f;
    QVERIFY(f.dir.writeFile(ResStatisticsParam::kFile, QByteArray(4096, 'x')));
    ResStatisticsParam store(kDay);
    QCOMPARE(f.prompter.warnings, QStringList{gaLanStr[544 * 3 + 1]});
    QVERIFY(f.dir.commands().isEmpty());
    // Counting goes on in memory; nothing is written and nothing breaks.
    store.addTotal(0, true, 1);
    QCOMPARE(store.okTotal(1), slotsWith(0, 1));
    QVERIFY(!store.saveTotal(1));
    QVERIFY(!store.nextDay(kDay.addDays(1)));
    QCOMPARE(f.dir.readFile(ResStatisticsParam::kFile), QByteArray(4096, 'x'));
}

QTEST_MAIN(TestResStatistics)
#include "tst_resstatistics.moc"
