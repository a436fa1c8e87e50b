#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QtTest>

#include "app/globals.h"
#include "app/lanstr.h"
#include "platform/system/sysclock.h"
#include "programdir.h"
#include "records/recordstore.h"

namespace {
QDateTime at(const QString& s) {
    return QDateTime::fromString(s, "yyyy-MM-dd hh:mm:ss");
}

// Rows of a record database file, "time|label|text", in file order.
QStringList rowsOf(const QString& path) {
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "peek");
        db.setDatabaseName(path);
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec("SELECT recordtime, recordpassword, remarks FROM RECORD ORDER BY rowid"))
                while (q.next())
                    rows << q.value(0).toString() + "|" + q.value(1).toString() + "|" + q.value(2).toString();
            else
                rows << "<no table>";
            db.close();
        } else {
            rows << "<no file>";
        }
    }
    QSqlDatabase::removeDatabase("peek");
    return rows;
}

// A program directory with the record template, the clock fixed at `now` and "time.txt" holding `date`.
struct RecordFixture {
    ProgramDir dir;
    RecordStore store;
    explicit RecordFixture(const QString& now, const QByteArray& date = QByteArray(),
                           bool withTemplate = true) {
        if (withTemplate) RecordDb::createTemplate(RecordDb::kTemplate);
        if (!date.isNull()) dir.writeFile("time.txt", date);
        SysClock::setFixed(at(now));
    }
    ~RecordFixture() { RecordDb::close(); }
};
}  // namespace

class TestRecordStore : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        loadLanguageTable();
        gLan = 1;
    }

    void insertKeepsTextLabelAndTellsBridgeFirst_data();
    void insertKeepsTextLabelAndTellsBridgeFirst();
    void rotationAtMidnight();
    void longPauseArchivesUnderStoredDate();
    void existingArchiveIsNeverOverwritten();
    void missingTemplateOrCorruptDatabaseStillRecords();
    void damagedOrMissingDateFile_data();
    void damagedOrMissingDateFile();
    void failedArchiveKeepsTheDay();
    void viewerDayListAndModels();
};

void TestRecordStore::insertKeepsTextLabelAndTellsBridgeFirst_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    QTest::newRow("unlogged quote") << 0 << "it's"
                                    << "Unlogged";
    QTest::newRow("primary injection") << 1 << "'); DROP TABLE RECORD; --"
                                       << "Primary";
    QTest::newRow("advanced") << 2 << "Alarm"
                              << "Advanced";
}

void TestRecordStore::insertKeepsTextLabelAndTellsBridgeFirst() {
    QFETCH(int, level);
    QFETCH(QString, text);
    QFETCH(QString, label);
    RecordFixture f("2026-12-10 08:15:07", "2026-12-10");
    QCOMPARE(f.store.start(), RecordDb::OpenResult::Opened);
    QStringList told;
    f.store.setBridgeSink([&](const QDateTime& t, const QString& l, const QString& x) {
        told << t.toString("hh.mm.ss") + "|" + l + "|" + x + "|rows " +
                    QString::number(rowsOf("RECORD.db").size());
    });
    QVERIFY(f.store.insertRecord(text, level));
    QCOMPARE(told, QStringList{"08.15.07|" + label + "|" + text + "|rows 0"});  // before the row
    RecordDb::close();
    QVERIFY(f.store.insertRecord("again", level));  // reopened on demand
    QCOMPARE(rowsOf("RECORD.db"),
             (QStringList{"08.15.07|" + label + "|" + text, "08.15.07|" + label + "|again"}));
}

void TestRecordStore::rotationAtMidnight() {
    RecordFixture f("2026-12-09 23:59:30", "2026-12-09");
    f.store.start();
    QVERIFY(f.store.insertRecord("late", 1));
    SysClock::setFixed(at("2026-12-09 23:59:59"));
    QVERIFY(!f.store.checkDate());
    SysClock::setFixed(at("2026-12-10 00:00:30"));
    QVERIFY(f.store.checkDate());
    QCOMPARE(rowsOf("RECORD/2026-12-09.db"), QStringList{"23.59.30|Primary|late"});
    QCOMPARE(rowsOf("RECORD.db"), QStringList());
    QCOMPARE(f.dir.readFile("time.txt"), QByteArray("2026-12-10"));
    QCOMPARE(f.store.recordDate(), QString("2026-12-10"));
    QVERIFY(!QFile::exists("RECORD.db-journal"));
    QVERIFY(!f.store.checkDate());  // once a day

    // A record after the next midnight goes into its own day even before the timer's check.
    SysClock::setFixed(at("2026-12-11 00:00:05"));
    QVERIFY(f.store.insertRecord("early", 0));
    QCOMPARE(rowsOf("RECORD/2026-12-10.db"), QStringList());
    QCOMPARE(rowsOf("RECORD.db"), QStringList{"00.00.05|Unlogged|early"});
}

void TestRecordStore::longPauseArchivesUnderStoredDate() {
    RecordFixture f("2026-11-20 10:00:00", "2026-11-20");
    f.store.start();
    f.store.insertRecord("old day", 2);
    f.store.flush();
    RecordStore restarted;  // first start three weeks later
    SysClock::setFixed(at("2026-12-10 07:00:00"));
    QCOMPARE(restarted.start(), RecordDb::OpenResult::Opened);
    QVERIFY(restarted.checkDate());
    QCOMPARE(rowsOf("RECORD/2026-11-20.db"), QStringList{"10.00.00|Advanced|old day"});
    QVERIFY(!QFile::exists("RECORD/2026-12-09.db"));
}

void TestRecordStore::existingArchiveIsNeverOverwritten() {
    RecordFixture f("2026-12-09 12:00:00", "2026-12-09");
    f.store.start();
    f.store.insertRecord("first", 0);
    QVERIFY(QFile::copy("RECORD.db", "RECORD/2026-12-09.db"));  // clock set back and forth
    f.store.insertRecord("second", 0);
    SysClock::setFixed(at("2026-12-10 00:01:00"));
    QVERIFY(f.store.checkDate());
    QCOMPARE(rowsOf("RECORD/2026-12-09.db"), QStringList{"12.00.00|Unlogged|first"});
    QCOMPARE(rowsOf("RECORD/2026-12-09_2.db").size(), 2);
}

void TestRecordStore::missingTemplateOrCorruptDatabaseStillRecords() {
    {
        RecordFixture f("2026-12-09 12:00:00", "2026-12-09", false);
        QCOMPARE(f.store.start(), RecordDb::OpenResult::Repaired);  // no RECORD.db, no template
        QVERIFY(f.store.insertRecord("a", 0));
        SysClock::setFixed(at("2026-12-10 00:01:00"));
        QVERIFY(f.store.checkDate());
        QVERIFY(f.store.insertRecord("b", 0));
        QCOMPARE(rowsOf("RECORD.db"), QStringList{"00.01.00|Unlogged|b"});
    }
    {
        RecordFixture f("2026-12-09 12:00:00", "2026-12-09");
        QVERIFY(f.dir.writeFile("RECORD.db", QByteArray(4096, 'x')));
        QCOMPARE(f.store.start(), RecordDb::OpenResult::Repaired);
        const QStringList aside = QDir().entryList({"RECORD.db.bad-*"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(f.dir.readFile(aside.first()), QByteArray(4096, 'x'));  // kept for inspection
        QVERIFY(f.store.insertRecord("after repair", 0));
        QCOMPARE(rowsOf("RECORD.db").size(), 1);
    }
}

void TestRecordStore::damagedOrMissingDateFile_data() {
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("archive");  // expected archive name after the check, empty: none
    QTest::newRow("missing") << false << QByteArray() << QString();
    QTest::newRow("empty") << true << QByteArray("") << QString("2026-12-07.db");
    QTest::newRow("garbage") << true << QByteArray("\x01\x02zz") << QString("2026-12-07.db");
    QTest::newRow("impossible date") << true << QByteArray("2026-13-45") << QString("2026-12-07.db");
}

void TestRecordStore::damagedOrMissingDateFile() {
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QFETCH(QString, archive);
    RecordFixture f("2026-12-10 09:00:00", present ? content : QByteArray());
    QVERIFY(QFile::copy(RecordDb::kTemplate, RecordDb::kFile));
    QFile db(RecordDb::kFile);
    QVERIFY(db.open(QIODevice::ReadWrite));
    QVERIFY(db.setFileTime(at("2026-12-07 18:00:00"), QFileDevice::FileModificationTime));
    db.close();
    f.store.start();
    f.store.checkDate();
    const QStringList archived = QDir("RECORD").entryList(QDir::Files);
    QCOMPARE(archived, archive.isEmpty() ? QStringList() : QStringList{archive});
    QCOMPARE(f.dir.readFile("time.txt"), QByteArray("2026-12-10"));
}

void TestRecordStore::failedArchiveKeepsTheDay() {
    RecordFixture f("2026-12-09 12:00:00", "2026-12-09");
    f.store.start();
    f.store.insertRecord("keep me", 0);
    RecordDb::close();
    QVERIFY(QDir("RECORD").removeRecursively());
    QVERIFY(f.dir.writeFile("RECORD", "a file where the archive folder belongs"));
    SysClock::setFixed(at("2026-12-10 00:01:00"));
    QVERIFY(!f.store.checkDate());
    QCOMPARE(rowsOf("RECORD.db"), QStringList{"12.00.00|Unlogged|keep me"});
    QCOMPARE(f.dir.readFile("time.txt"), QByteArray("2026-12-09"));  // tried again later
}

void TestRecordStore::viewerDayListAndModels() {
    RecordFixture f("2026-12-10 09:00:00", "2026-12-10");
    f.store.start();
    for (const char* d : {"2026-11-30", "2026-12-08", "2026-12-01"})
        QVERIFY(RecordDb::createTemplate(QString("RECORD/%1.db").arg(d)));
    QCOMPARE(recordDayList(QDate(2026, 12, 10)),
             (QStringList{"2026-12-10", "2026-12-08", "2026-12-01", "2026-11-30"}));

    // An archived day, latest time first, headers from the language table.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fill");
        db.setDatabaseName("RECORD/2026-12-08.db");
        QVERIFY(db.open());
        QSqlQuery q(db);
        for (const char* t : {"08.00.00", "17.30.00", "12.00.00"})
            QVERIFY(q.exec(QString("INSERT INTO RECORD VALUES ('%1', 'Primary', 'x')").arg(t)));
        db.close();
    }
    QSqlDatabase::removeDatabase("fill");
    const QByteArray before = f.dir.readFile("RECORD/2026-12-08.db");
    QSqlTableModel* m = openRecordDay(1, "2026-12-08", this);
    QVERIFY(m);
    QCOMPARE(m->rowCount(), 3);
    QCOMPARE(m->data(m->index(0, 0)).toString(), QString("17.30.00"));
    QCOMPARE(m->data(m->index(2, 0)).toString(), QString("08.00.00"));
    QCOMPARE(m->headerData(2, Qt::Horizontal).toString(), QString("Operation content"));
    delete m;
    QCOMPARE(f.dir.readFile("RECORD/2026-12-08.db"), before);

    // Today through the record connection.
    f.store.insertRecord("today", 0);
    m = openRecordDay(0, "2026-12-10", this);
    QVERIFY(m);
    QCOMPARE(m->rowCount(), 1);
    delete m;

    // A vanished day shows nothing and leaves no file behind.
    QVERIFY(!openRecordDay(2, "2026-12-02", this));
    QVERIFY(!QFile::exists("RECORD/2026-12-02.db"));
}

QTEST_GUILESS_MAIN(TestRecordStore)
#include "tst_recordstore.moc"
