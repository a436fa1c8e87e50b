#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "programdir.h"
#include "records/recorddb.h"

class TestRecordDb : public QObject {
    Q_OBJECT
private slots:
    void insertKeepsTextAndReopens();
    void missingDatabaseWritesNothing();
};

void TestRecordDb::insertKeepsTextAndReopens() {
    ProgramDir dir;
    QVERIFY(RecordDb::createTemplate(RecordDb::kTemplate));
    QVERIFY(QFile::copy(RecordDb::kTemplate, RecordDb::kFile));
    QVERIFY(RecordDb::insert("08.15.00", "Primary", "it's a 'quote'; DROP TABLE RECORD"));
    RecordDb::close();
    QVERIFY(!RecordDb::isOpen());
    QVERIFY(RecordDb::insert("08.15.01", "Primary", "second"));  // reopened on demand
    QSqlQuery q(QSqlDatabase::database(RecordDb::kConnection));
    QVERIFY(q.exec("SELECT recordtime, recordpassword, remarks FROM RECORD ORDER BY recordtime"));
    QVERIFY(q.next());
    QCOMPARE(q.value(2).toString(), QString("it's a 'quote'; DROP TABLE RECORD"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QString("08.15.01"));
    RecordDb::close();
}

void TestRecordDb::missingDatabaseWritesNothing() {
    ProgramDir dir;
    QVERIFY(!RecordDb::insert("08.15.00", "Primary", "lost"));
    QVERIFY(!QFile::exists(RecordDb::kFile));  // no empty database left behind
    QVERIFY(dir.writeFile(RecordDb::kFile, "not a database"));
    QVERIFY(!RecordDb::insert("08.15.00", "Primary", "lost"));
    RecordDb::close();
}

QTEST_GUILESS_MAIN(TestRecordDb)
#include "tst_recorddb.moc"
