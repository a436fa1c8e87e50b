// Whole-file writes when the disk is full: a child process (writelimit_child) lowers its file size
// limit with SIGXFSZ ignored, which makes write() and the final flush fail as a full disk does, and
// runs one of the program's writes. Every writer must report the failure and leave the previous file
// as it was, with no temporary file behind and no truncated picture announced. Without a limit the
// same writes succeed (the control rows).
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "programdir.h"

namespace {
// Every file below the program directory, with its content.
QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        files[QDir(root).relativeFilePath(path)] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    return files;
}

QString storedPreCut() {
    QString value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "peek");
        db.setDatabaseName("PARAM.db");
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec("select value from sysparam where name='system1'") && q.next())
                value = q.value(0).toString().split(' ').value(6);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("peek");
    return value;
}
}  // namespace

class TestWriteLimit : public QObject {
    Q_OBJECT
private slots:
    void fullDiskKeepsThePreviousFile_data();
    void fullDiskKeepsThePreviousFile();
    void recordsWaitForSpace();
};

void TestWriteLimit::fullDiskKeepsThePreviousFile_data() {
    QTest::addColumn<QString>("which");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("target");  // the file (or the folder of the files) written
    const struct {
        const char* which;
        int limit;
        const char* target;
    } cases[] = {
        // Small writes stay in the file's buffer and fail at the final flush; large ones in write().
        {"small", 10, "file.bin"},     {"large", 1000, "file.bin"}, {"counters", 0, "count.txt"},
        {"date", 0, "time.txt"},       {"param", 0, "PARAM.db"},    {"picture", 100, "alarmimage/"},
        {"export", 100, "export.xls"},
    };
    for (const auto& c : cases) {
        QTest::addRow("%s, full", c.which) << c.which << c.limit << c.target;
        QTest::addRow("%s, no limit", c.which) << c.which << -1 << c.target;
    }
}

void TestWriteLimit::fullDiskKeepsThePreviousFile() {
    QFETCH(QString, which);
    QFETCH(int, limit);
    QFETCH(QString, target);
    ProgramDir dir;
    QVERIFY(dir.installFactoryFiles(true));
    QVERIFY(dir.writeFile("file.bin", "old file"));
    QVERIFY(dir.writeFile("count.txt", "5 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "));
    QVERIFY(dir.writeFile("time.txt", "2026-12-09"));
    const QString preCut = storedPreCut();
    QVERIFY(!preCut.isEmpty() && preCut != "77");
    const auto before = snapshot(dir.path());

    QProcess child;
    child.setWorkingDirectory(dir.path());
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(WRITELIMIT_CHILD, {which, QString::number(limit)});
    QVERIFY(child.waitForFinished(60000));
    const QByteArray out = child.readAll();
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    const bool full = limit >= 0;
    QVERIFY2(child.exitCode() == (full ? 1 : 0), out.constData());

    const auto after = snapshot(dir.path());
    // What the write left: the target's content, or the files that came under the target's name.
    QStringList written;
    for (const QString& f : after.keys())
        if (f.startsWith(target) && !before.contains(f)) written << f;
    if (which == "param") {
        QCOMPARE(storedPreCut(), full ? preCut : QString("77"));
    } else if (before.contains(target)) {
        QCOMPARE(after.value(target) == before.value(target), full);
    } else {
        QCOMPARE(written.size(), full ? 0 : 1);
    }
    if (which == "picture") QVERIFY2(out.contains(full ? "announced 0" : "announced 1"), out.constData());
    if (!full) return;
    // No temporary file or journal left beside the target.
    for (const QString& f : after.keys())
        QVERIFY2(before.contains(f) || !f.startsWith(target.section('.', 0, 0)), qPrintable(f));
}

void TestWriteLimit::recordsWaitForSpace() {
    ProgramDir dir;
    QVERIFY(dir.installFactoryFiles(true));
    QVERIFY(dir.writeFile("time.txt", "2026-12-09"));
    QProcess child;
    child.setWorkingDirectory(dir.path());
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(WRITELIMIT_CHILD, {"records", "0"});
    QVERIFY(child.waitForFinished(120000));
    const QByteArray out = child.readAll();
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QVERIFY2(child.exitCode() == 1, out.constData());  // the records were not written at once
    const int kept = 500, dropped = 3;                 // RecordStore::kMaxPending and the 3 beyond it
    QVERIFY2(
        out.contains(
            QString("failed %1 kept %2 dropped %3").arg(kept + dropped).arg(kept).arg(dropped).toLatin1()),
        out.constData());
    QVERIFY2(out.contains("after 1 kept 0"), out.constData());

    QStringList times, texts;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "peek");
        db.setDatabaseName("RECORD.db");
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec("select recordtime, remarks from RECORD order by rowid"));
        while (q.next()) {
            times << q.value(0).toString();
            texts << q.value(1).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("peek");
    // Before the full disk, the count of the dropped ones where they were, the kept ones in order
    // with their own time, then the record that found space again.
    QCOMPARE(texts.size(), 1 + 1 + kept + 1);
    QCOMPARE(texts.first(), QString("before"));
    QVERIFY2(texts.at(1).startsWith(QString::number(dropped)), qPrintable(texts.at(1)));
    const QTime t0(8, 0, 0);
    QCOMPARE(times.at(1), t0.addSecs(dropped + 1).toString("hh.mm.ss"));
    for (int k = 0; k < kept; ++k) {
        const int i = dropped + 1 + k;
        QCOMPARE(texts.at(2 + k), QString("while full %1").arg(i));
        QCOMPARE(times.at(2 + k), t0.addSecs(i).toString("hh.mm.ss"));
    }
    QCOMPARE(texts.last(), QString("after"));
}

QTEST_GUILESS_MAIN(TestWriteLimit)
#include "tst_writelimit.moc"
