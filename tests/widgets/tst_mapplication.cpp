// The application object: wake on touch, delay restarts and the touch-and-hold calibration.
#include <QTimer>
#include <QtTest>
#include <memory>

#include "app/globals.h"
#include "kittest.h"
#include "platform/system/commandrunner.h"
#include "platform/system/timing.h"
#include "tests/fixtures/programdir.h"
#include "widgets/bmessagebox.h"
#include "widgets/kithost.h"
#include "widgets/kittext.h"
#include "widgets/mapplication.h"

using namespace kittest;

namespace {

MApplication* mapp() {
    return static_cast<MApplication*>(qApp);
}

// Counts the mouse events that reach a widget.
class EventCounter : public QObject {
public:
    int presses = 0, releases = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress) ++presses;
        if (e->type() == QEvent::MouseButtonRelease) ++releases;
        return false;
    }
};

QList<WarnBox*> visibleNotices() {
    QList<WarnBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* b = dynamic_cast<WarnBox*>(w))
            if (b->isVisible()) boxes << b;
    return boxes;
}

class RecordingMainWindow : public FakeMainWindow {
public:
    void FLushAll() override {
        FakeMainWindow::FLushAll();
        commandsBeforeFlush = CommandRunner::instance().history();
    }
    QStringList commandsBeforeFlush;
};

}  // namespace

class TestMApplication : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { loadLanguageTable(); }
    void init();
    void cleanup();

    void wakePressReachesNoWidget();
    void pressRestartsDelays_data();
    void pressRestartsDelays();
    void calibration_data();
    void calibration();

private:
    std::unique_ptr<ProgramDir> dir;
    std::unique_ptr<QPushButton> button;
    int backlightCalls = 0;
};

void TestMApplication::init() {
    dir = std::make_unique<ProgramDir>();
    QVERIFY(dir->isValid());
    resetAppGlobals();
    resetKitHost();
    setTimeOverride("app.calibrationHold", 20);
    setTimeOverride("app.calibrationPause", 0);
    backlightCalls = 0;
    kitHost().backlightOn = [this] {
        ++backlightCalls;
        if (gpWin) gpWin->screenOff = 0;
    };
    button = std::make_unique<QPushButton>("button");
    button->resize(200, 100);
    button->show();
    QVERIFY(QTest::qWaitForWindowExposed(button.get()));
}

void TestMApplication::cleanup() {
    mapp()->holdTimer->stop();
    mapp()->calibrationArmed = false;
    for (WarnBox* b : visibleNotices()) delete b;
    button.reset();
    dir.reset();
}

void TestMApplication::wakePressReachesNoWidget() {
    FakeMainWindow win;
    win.screenOff = 1;
    // Through the window, as a touch arrives: Qt hands the press to the window, then to the widget.
    QWindow* window = button->windowHandle();
    EventCounter atWidget, atWindow;
    button->installEventFilter(&atWidget);
    window->installEventFilter(&atWindow);
    QSignalSpy pressed(button.get(), &QPushButton::pressed);
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(backlightCalls, 1);
    QCOMPARE(win.screenOff, 0);
    QCOMPARE(atWindow.presses + atWidget.presses, 0);
    QCOMPARE(pressed.count(), 0);
    // The release is passed on (Qt gives it to no widget, since none saw the press).
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(atWindow.releases, 1);
    // The screen is on: the next touch works as usual.
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(atWidget.presses, 1);
    QCOMPARE(backlightCalls, 1);
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(50, 50));
}

void TestMApplication::pressRestartsDelays_data() {
    QTest::addColumn<bool>("mainWindow");
    QTest::addColumn<bool>("record");
    QTest::addColumn<int>("logout");
    QTest::addColumn<int>("screenOff");
    QTest::addColumn<int>("logoutInterval");
    QTest::addColumn<int>("screenOffInterval");
    QTest::newRow("both") << true << true << 5 << 7 << 5000 << 7000;
    QTest::newRow("no logout delay") << true << true << 0 << 7 << 77777 << 7000;
    QTest::newRow("no screen-off delay") << true << true << 5 << 0 << 5000 << 77777;
    QTest::newRow("negative") << true << true << -1 << -1 << 77777 << 77777;
    QTest::newRow("no record yet") << true << false << 5 << 7 << 77777 << 77777;
    QTest::newRow("no main window yet") << false << true << 5 << 7 << 77777 << 77777;
}

void TestMApplication::pressRestartsDelays() {
    QFETCH(bool, mainWindow);
    QFETCH(bool, record);
    QFETCH(int, logout);
    QFETCH(int, screenOff);
    QFETCH(int, logoutInterval);
    QFETCH(int, screenOffInterval);
    QTimer logoutTimer, screenOffTimer;
    logoutTimer.start(77777);
    screenOffTimer.start(77777);
    std::unique_ptr<FakeMainWindow> win;
    if (mainWindow) {
        win = std::make_unique<FakeMainWindow>();
        win->logoutTimer = &logoutTimer;
        win->screenOffTimer = &screenOffTimer;
    }
    if (record) {
        kitHost().logoutSeconds = [=] { return logout; };
        kitHost().screenOffSeconds = [=] { return screenOff; };
    }
    QTest::mousePress(button.get(), Qt::LeftButton);
    QTest::mouseRelease(button.get(), Qt::LeftButton);
    QCOMPARE(logoutTimer.interval(), logoutInterval);
    QCOMPARE(screenOffTimer.interval(), screenOffInterval);
    QVERIFY(logoutTimer.isActive() && screenOffTimer.isActive());
}

// Steps: "press", "release", "hold" (the hold timer runs out), "camera" (a camera back-end comes up).
void TestMApplication::calibration_data() {
    QTest::addColumn<bool>("mainWindow");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("armed");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<int>("notices");
    QTest::newRow("short touch") << true << QStringList{"press", "release"} << false << QStringList{} << 0;
    QTest::newRow("hold, not yet released")
        << true << QStringList{"press", "hold"} << true << QStringList{} << 1;
    QTest::newRow("hold and release")
        << true << QStringList{"press", "hold", "release"} << false << QStringList{"./tsc", "reboot"} << 1;
    QTest::newRow("armed press starts no hold")
        << true << QStringList{"press", "hold", "press"} << true << QStringList{} << 1;
    QTest::newRow("camera in use") << true << QStringList{"camera", "press", "hold", "release"} << false
                                   << QStringList{} << 0;
    QTest::newRow("camera comes up while held")
        << true << QStringList{"press", "camera", "hold", "release"} << false << QStringList{} << 0;
    QTest::newRow("before the main window: once")
        << false << QStringList{"press", "hold", "release", "press", "release"} << false
        << QStringList{"./tsc"} << 0;
}

void TestMApplication::calibration() {
    QFETCH(bool, mainWindow);
    QFETCH(QStringList, steps);
    QFETCH(bool, armed);
    QFETCH(QStringList, commands);
    QFETCH(int, notices);
    std::unique_ptr<RecordingMainWindow> win;
    if (mainWindow) win = std::make_unique<RecordingMainWindow>();
    int backend = 0;
    kitHost().cameraBackend = [&] { return backend; };
    for (const QString& step : steps) {
        if (step == "press") {
            QTest::mousePress(button.get(), Qt::LeftButton);
        } else if (step == "release") {
            QTest::mouseRelease(button.get(), Qt::LeftButton);
        } else if (step == "camera") {
            backend = 9;
        } else if (step == "hold") {
            QTRY_VERIFY(!mapp()->holdTimer->isActive());
        }
    }
    QCOMPARE(mapp()->calibrationArmed, armed);
    QCOMPARE(dir->commands(), commands);
    QCOMPARE(visibleNotices().size(), notices);
    if (notices) QCOMPARE(visibleNotices().first()->textLabel->text(), kitText(370));
    if (win) {
        const bool rebooted = commands.contains("reboot");
        QCOMPARE(win->flushes, rebooted ? 1 : 0);
        if (rebooted) QCOMPARE(win->commandsBeforeFlush, QStringList{"./tsc"});
    }
}

int main(int argc, char** argv) {
    MApplication app(argc, argv);
    TestMApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mapplication.moc"
