#include <QSemaphore>
#include <QtTest>

#include "app/globals.h"
#include "platform/system/sysclock.h"
#include "app/savereport.h"
#include "programdir.h"
#include "records/savefialimagethread.h"
#include "scriptedprompter.h"

namespace {
constexpr int kW = 32, kH = 24;
const QDateTime kStart = QDateTime::fromString("2026-12-10 08:00:00", "yyyy-MM-dd hh:mm:ss");

QImage filled(QRgb c) {
    QImage img(kW, kH, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// Dated old pictures: name i is i minutes old.
void addOldPictures(const QString& dir, int n) {
    QDir().mkpath(dir);
    for (int i = 0; i < n; ++i) {
        QFile f(QString("%1/old%2.jpg").arg(dir).arg(i));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.flush();  // a later flush would stamp the time again
        QVERIFY(f.setFileTime(kStart.addSecs(-60 * (i + 1)), QFileDevice::FileModificationTime));
    }
}

QStringList jpgs(const QString& dir) {
    return QDir(dir).entryList({"*.jpg"}, QDir::Files, QDir::Name);
}

struct Saver {
    SaveFialImageThread thread;
    QStringList told;
    explicit Saver(int limitNG = 5, int limitOK = 5)
        : thread(FailImageArchive{"./alarmimage", 2, 2, limitNG, limitOK}) {
        // Pauses only move the clock.
        thread.setSleeper([](int ms) { SysClock::setFixed(SysClock::now().addMSecs(ms)); });
        thread.setPictureSink([this](const QString& abs, const QString& rel) {
            QVERIFY(QFileInfo(abs).isAbsolute());
            QVERIFY(QFile::exists(abs));  // told only once the picture is there
            told << rel;
        });
    }
};

const QString kNG = "alarmimage/camera2/detect1/NG";
const QString kOK = "alarmimage/camera2/detect1/OK";
}  // namespace

class TestFailImageSaver : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { createFrameLocks(); }
    void init() {
        allocateFailImages(2, kW, kH);
        SysClock::setFixed(kStart);
    }
    void cleanupTestCase() { resetFailImageGlobals(); }

    void foldersLimitsAndNames_data();
    void foldersLimitsAndNames();
    void newestPictureOfASlotWins();
    void sameSecondKeepsBoth();
    void unwritableFolderLosesOnlyThatPicture();
    void lockIsFreeWhileWriting();
    void foldersNamedBySlot();
};

void TestFailImageSaver::foldersLimitsAndNames_data() {
    QTest::addColumn<bool>("ng");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("failIndex");
    QTest::addColumn<int>("oldNG");  // old pictures already in the folders
    QTest::addColumn<int>("oldOK");
    QTest::addColumn<int>("limitNG");
    QTest::addColumn<int>("limitOK");
    QTest::addColumn<QStringList>("inNG");
    QTest::addColumn<QStringList>("inOK");
    QTest::newRow("NG within limit 3")
        << true << false << 0 << 3 << 0 << 3 << 5
        << QStringList{"2026-12-10_08.00.00.jpg", "old0.jpg", "old1.jpg"} << QStringList{};
    QTest::newRow("NG limit 1") << true << false << 0 << 3 << 0 << 1 << 5
                                << QStringList{"2026-12-10_08.00.00.jpg"} << QStringList{};
    QTest::newRow("NG with first NG region 3") << true << false << 3 << 0 << 0 << 5 << 5
                                               << QStringList{"3_2026-12-10_08.00.00.jpg"} << QStringList{};
    QTest::newRow("pair goes to NG, OK a second later")
        << true << true << 2 << 0 << 0 << 5 << 1
        << QStringList{"2_2026-12-10_08.00.00.jpg", "2_2026-12-10_08.00.01.jpg"} << QStringList{};
    QTest::newRow("OK alone with OK limit 2") << false << true << 0 << 0 << 4 << 5 << 2 << QStringList{}
                                              << QStringList{"2026-12-10_08.00.00.jpg", "old0.jpg"};
    QTest::newRow("limit 0 keeps nothing")
        << true << false << 0 << 2 << 0 << 0 << 5 << QStringList{"old0.jpg", "old1.jpg"} << QStringList{};
}

void TestFailImageSaver::foldersLimitsAndNames() {
    QFETCH(bool, ng);
    QFETCH(bool, ok);
    QFETCH(int, failIndex);
    QFETCH(int, oldNG);
    QFETCH(int, oldOK);
    QFETCH(int, limitNG);
    QFETCH(int, limitOK);
    QFETCH(QStringList, inNG);
    QFETCH(QStringList, inOK);
    ProgramDir dir;
    SysClock::setFixed(kStart);
    addOldPictures(kNG, oldNG);
    addOldPictures(kOK, oldOK);
    Saver s(limitNG, limitOK);
    if (ng) QVERIFY(storeFailImage(1, 0, 0, filled(qRgb(255, 0, 0)), failIndex));
    if (ok) QVERIFY(storeFailImage(1, 0, 1, filled(qRgb(0, 255, 0))));
    if (ng) markFailImagePending(1, 0, 0);
    if (ok) markFailImagePending(1, 0, 1);
    const int expected = int(ng && limitNG > 0) + int(ok && (ng ? limitNG : limitOK) > 0);
    QCOMPARE(s.thread.savePass(), expected);
    QCOMPARE(jpgs(kNG), inNG);
    QCOMPARE(jpgs(kOK), inOK);
    QCOMPARE(s.told.size(), expected);
    for (const QString& rel : s.told) QVERIFY(rel.startsWith("./alarmimage/camera2/detect1/"));
    QMutexLocker lock(pMutexSaveFail);
    QCOMPARE(int(gisSaveFail[failSlot(1, 0, 0)] + gisSaveFail[failSlot(1, 0, 1)]), 0);
    QCOMPARE(gFailIndex[1 * kMaxStep + 0], ng ? 0 : failIndex);  // reset after an NG picture
}

void TestFailImageSaver::newestPictureOfASlotWins() {
    ProgramDir dir;
    SysClock::setFixed(kStart);
    Saver s;
    storeFailImage(1, 0, 0, filled(qRgb(255, 0, 0)));
    markFailImagePending(1, 0, 0);
    storeFailImage(1, 0, 0, filled(qRgb(0, 0, 255)));  // overwritten before the saver came
    QCOMPARE(s.thread.savePass(), 1);
    QCOMPARE(s.thread.savePass(), 0);  // flag cleared when taken
    const QImage written(kNG + "/" + jpgs(kNG).first());
    QCOMPARE(written.size(), QSize(kW, kH));
    QVERIFY(qBlue(written.pixel(10, 10)) > 200 && qRed(written.pixel(10, 10)) < 60);
    QVERIFY(QDir(kNG).entryList(QDir::Files).size() == 1);  // no temporary file left
}

void TestFailImageSaver::sameSecondKeepsBoth() {
    ProgramDir dir;
    SysClock::setFixed(kStart);
    Saver s;
    s.thread.setSleeper([](int) {});  // the clock stands still
    for (int i = 0; i < 2; ++i) {
        storeFailImage(1, 0, 0, filled(qRgb(255, 0, 0)));
        markFailImagePending(1, 0, 0);
        QCOMPARE(s.thread.savePass(), 1);
    }
    QCOMPARE(jpgs(kNG), (QStringList{"2026-12-10_08.00.00-2.jpg", "2026-12-10_08.00.00.jpg"}));
}

void TestFailImageSaver::unwritableFolderLosesOnlyThatPicture() {
    ProgramDir dir;
    ScriptedPrompter prompter;
    resetSaveReports();
    SysClock::setFixed(kStart);
    QVERIFY(dir.writeFile("alarmimage/camera2/detect1", "a file where the folder belongs"));
    Saver s;
    storeFailImage(1, 0, 0, filled(qRgb(255, 0, 0)));
    markFailImagePending(1, 0, 0);
    storeFailImage(0, 1, 0, filled(qRgb(255, 0, 0)));
    markFailImagePending(0, 1, 0);
    QCOMPARE(s.thread.savePass(), 1);  // the other camera's picture is written
    QCOMPARE(s.told, QStringList{"./alarmimage/camera1/detect2/NG/2026-12-10_08.00.00.jpg"});
    {
        QMutexLocker lock(pMutexSaveFail);
        QCOMPARE(int(gisSaveFail[failSlot(1, 0, 0)]), 0);
    }
    // The lost picture is told like a failed write: one box for the kind, however many follow.
    QVERIFY(saveFailing(SavedFile::Pictures));
    QTRY_COMPARE(prompter.warnings.size(), 1);
    QVERIFY(prompter.warnings.first().contains("alarmimage/camera2/detect1/NG"));
    storeFailImage(1, 0, 0, filled(qRgb(255, 0, 0)));
    markFailImagePending(1, 0, 0);
    QCOMPARE(s.thread.savePass(), 0);
    QTest::qWait(50);
    QCOMPARE(prompter.warnings.size(), 1);
    resetSaveReports();
}

void TestFailImageSaver::lockIsFreeWhileWriting() {
    ProgramDir dir;
    SysClock::setFixed(kStart);
    Saver s;
    QSemaphore paused, resume;
    QAtomicInt first(1);
    s.thread.setSleeper([&](int) {
        if (first.testAndSetOrdered(1, 0)) {  // the pause after the first picture
            paused.release();
            resume.acquire();
        }
        QThread::msleep(1);
    });
    storeFailImage(1, 1, 0, filled(qRgb(255, 0, 0)));
    markFailImagePending(1, 1, 0);
    s.thread.start();
    QVERIFY(paused.tryAcquire(1, 10000));
    // The producer side works while the saver is busy.
    QVERIFY(pMutexSaveFail->tryLock());
    pMutexSaveFail->unlock();
    QVERIFY(storeFailImage(0, 0, 0, filled(qRgb(0, 0, 255))));
    markFailImagePending(0, 0, 0);
    resume.release();
    QTRY_COMPARE_WITH_TIMEOUT(jpgs("alarmimage/camera1/detect1/NG").size(), 1, 10000);
    s.thread.stopForTest();
    QCOMPARE(jpgs("alarmimage/camera2/detect2/NG").size(), 1);
}

void TestFailImageSaver::foldersNamedBySlot() {
    // Two cameras in use on slots 1 and 3 (the middle camera missing): the second one's pictures go
    // to the folder of its badge number.
    ProgramDir dir;
    SysClock::setFixed(kStart);
    FailImageArchive archive{"./alarmimage", 2, 2, 5, 5};
    archive.cameraSlots[1] = 2;
    SaveFialImageThread thread(archive);
    thread.setSleeper([](int ms) { SysClock::setFixed(SysClock::now().addMSecs(ms)); });
    storeFailImage(1, 0, 0, filled(qRgb(255, 0, 0)));
    markFailImagePending(1, 0, 0);
    QCOMPARE(thread.savePass(), 1);
    QCOMPARE(jpgs("alarmimage/camera3/detect1/NG").size(), 1);
    QVERIFY(!QDir("alarmimage/camera2").exists());
}

QTEST_GUILESS_MAIN(TestFailImageSaver)
#include "tst_failimagesaver.moc"
