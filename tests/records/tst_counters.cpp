#include <QtTest>

#include "programdir.h"
#include "records/counters.h"

class TestCounters : public QObject {
    Q_OBJECT
private slots:
    void roundTripAndExactFormat();
    void badFiles_data();
    void badFiles();
    void failedWriteIsReported();
};

void TestCounters::roundTripAndExactFormat() {
    ProgramDir dir;
    resetCounterGlobals();
    gAllNum[0] = 12;
    gFailNum[0] = 3;
    gAllNum[7] = 100000000;
    gFailNum[5] = -5;  // written unsigned, read back as out of range
    QVERIFY(CountWrite());
    QCOMPARE(dir.readFile("count.txt"), QByteArray("12 3 0 0 0 0 0 0 0 0 0 4294967291 0 0 100000000 0 "));
    resetCounterGlobals();
    QVERIFY(CountRead());  // after a restart
    QCOMPARE(gAllNum[0], 12);
    QCOMPARE(gFailNum[0], 3);
    QCOMPARE(gAllNum[7], 100000000);
    QCOMPARE(gFailNum[5], 0);
    QVERIFY(QDir().entryList(QDir::Files | QDir::Hidden).filter("count").size() == 1);  // no temp left
}

void TestCounters::badFiles_data() {
    QTest::addColumn<QByteArray>("content");   // null: no file
    QTest::addColumn<QList<int>>("expected");  // all0 fail0 all1 fail1 ... (first six)
    QTest::newRow("missing") << QByteArray() << QList<int>{0, 0, 0, 0, 0, 0};
    QTest::newRow("empty") << QByteArray("") << QList<int>{0, 0, 0, 0, 0, 0};
    QTest::newRow("limits") << QByteArray("100000000 100000001 -5 7 ")
                            << QList<int>{100000000, 0, 0, 7, 0, 0};
    QTest::newRow("four numbers") << QByteArray("1 2 3 4") << QList<int>{1, 2, 3, 4, 0, 0};
    QTest::newRow("bad token in the middle") << QByteArray("1 2 x3 4 5 6") << QList<int>{1, 2, 0, 4, 5, 6};
    QTest::newRow("huge and binary") << QByteArray("99999999999999999999 \x01\xff 9 line\nbreak")
                                     << QList<int>{0, 0, 9, 0, 0, 0};
}

void TestCounters::badFiles() {
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, expected);
    ProgramDir dir;
    if (!content.isNull()) QVERIFY(dir.writeFile("count.txt", content));
    for (int i = 0; i < kMaxCamera; ++i) gAllNum[i] = gFailNum[i] = 42;
    QCOMPARE(CountRead(), !content.isNull());
    QList<int> got;
    for (int i = 0; i < 3; ++i) got << gAllNum[i] << gFailNum[i];
    QCOMPARE(got, expected);
    QCOMPARE(gAllNum[7], 0);
}

void TestCounters::failedWriteIsReported() {
    ProgramDir dir;
    QVERIFY(dir.writeFile("count.txt", "5 1 "));
    QVERIFY(QDir().mkdir("blocked.txt"));
    gAllNum[0] = 9;
    QVERIFY(!CountWrite("missing-dir/count.txt"));
    QVERIFY(!CountWrite("blocked.txt"));  // a directory where the file should be
    QCOMPARE(dir.readFile("count.txt"), QByteArray("5 1 "));
}

QTEST_GUILESS_MAIN(TestCounters)
#include "tst_counters.moc"
