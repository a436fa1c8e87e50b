#include <QSemaphore>
#include <QtTest>

#include "programdir.h"
#include "settings/timerroundmanage.h"

namespace {
// Holds each script run until the test lets it go.
class SlowCopy : public TimerRoundManage {
public:
    QSemaphore release;
    QAtomicInt runs{0};

protected:
    void runCopyScript() override {
        runs.fetchAndAddOrdered(1);
        release.acquire();
    }
};
}  // namespace

class TestTimerRound : public QObject {
    Q_OBJECT
private slots:
    void tickRunsScriptOnlyWhenPresent();
    void overlappingRunIsSkipped();
};

void TestTimerRound::tickRunsScriptOnlyWhenPresent() {
    ProgramDir dir;
    TimerRoundManage m;
    m.autoCopyTick();
    QVERIFY(dir.commands().isEmpty());
    QVERIFY(dir.writeFile("sysroot/mnt/autocopy-moju.py", "pass"));
    m.autoCopyTick();
    QTRY_VERIFY(!m.copyRunning());
    QCOMPARE(dir.commands(), QStringList{"python3 /mnt/autocopy-moju.py"});
}

void TestTimerRound::overlappingRunIsSkipped() {
    ProgramDir dir;
    QVERIFY(dir.writeFile("sysroot/mnt/autocopy-moju.py", "pass"));
    SlowCopy m;
    m.autoCopyTick();
    QTRY_COMPARE(m.runs.loadAcquire(), 1);
    m.autoCopyTick();  // still copying
    m.autoCopyTick();
    m.release.release();
    QTRY_VERIFY(!m.copyRunning());
    QCOMPARE(m.runs.loadAcquire(), 1);
    m.autoCopyTick();
    QTRY_COMPARE(m.runs.loadAcquire(), 2);
    m.release.release();
    QTRY_VERIFY(!m.copyRunning());
}

QTEST_GUILESS_MAIN(TestTimerRound)
#include "tst_timerround.moc"
