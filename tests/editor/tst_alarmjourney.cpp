// The operator's road through an alarm, on the shown main window with whole machine cycles on the
// simulated IO board: every press goes through the top-level window at a screen position. Live
// picture and template, ignoring the alarm's points so that the same defect passes in the next cycle,
// deleting them again, and skipping the mould for all cameras or for one.
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QtTest>

#include "camera/camerahost.h"
#include "camera/cameraloss.h"
#include "editor/alarmoption.h"
#include "editor/drawroiwidget.h"
#include "editor/regioption.h"
#include "editor/vieweditor.h"
#include "inspection/optionbar.h"
#include "tests/inspection/cycleworld.h"

namespace {
constexpr int kWait = 10000;

struct Screen {
    QWidget* top;
    QPoint at(QWidget* target, QPoint p) const { return target->mapTo(top, p); }
    void tap(QWidget* t, QPoint p) {
        QTest::mousePress(top->windowHandle(), Qt::LeftButton, {}, at(t, p), 40);
        QTest::mouseRelease(top->windowHandle(), Qt::LeftButton, {}, at(t, p), 40);
    }
    void tap(QWidget* t) { tap(t, t->rect().center()); }
    // A drag with the button held, through the window.
    void drag(QWidget* t, const QVector<QPoint>& pts) {
        QTest::mousePress(top->windowHandle(), Qt::LeftButton, {}, at(t, pts.first()), 40);
        for (int i = 1; i < pts.size(); ++i) QTest::mouseMove(top->windowHandle(), at(t, pts[i]), 40);
        QTest::mouseRelease(top->windowHandle(), Qt::LeftButton, {}, at(t, pts.last()), 40);
    }
    // Opens a list and taps its entry `index` in the list's pop-up.
    void choose(QComboBox* list, int index) {
        tap(list);
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup) return;
        QAbstractItemView* view = list->view();
        const QPoint p =
            view->viewport()->mapTo(popup, view->visualRect(list->model()->index(index, 0)).center());
        QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {}, p, 40);
    }
};

// A cycle world of `cameras` cameras with the standard regions of the product and cavity steps, an
// alarm at the first NG, started and shown.
struct AlarmRoad {
    CycleWorld w;
    MainWindow* win = nullptr;
    DrawROIWidget* editor = nullptr;
    AlarmOption* bar = nullptr;
    Screen screen{nullptr};
    explicit AlarmRoad(int cameras) : w(cameras) {
        w.p().front_auto_check_time = 0;
        w.p().is_psw_used = 0;
        w.derive();
    }
    bool start() {
        for (int c = 0; c < w.serials.size(); ++c)
            if (!w.writeRegions(c, cycle::standardRegions(2))) return false;
        if (!w.start()) return false;
        win = w.window.get();
        editor = dynamic_cast<DrawROIWidget*>(win->drawROIWidget);
        bar = editor ? editor->alarmOption : nullptr;
        screen.top = win;
        win->show();
        return bar && QTest::qWaitForWindowExposed(win);
    }
    // One machine cycle (mould open); true once the cycle has ended in an alarm.
    bool alarmCycle() {
        w.pulse(0, 50);
        return QTest::qWaitFor([&] { return win->DisplayState == 2; }, kWait);
    }
    bool alarmEnded() {
        return QTest::qWaitFor([&] { return win->DisplayState != 2 && w.boardOut(kOutAlarm) == 0; }, kWait);
    }
    void tap(AlarmOption::BTN_TYPE b) { screen.tap(bar->button(b)); }
};
}  // namespace

class TestAlarmJourney : public QObject {
    Q_OBJECT
private slots:
    void liveTemplateIgnoreAndNextCycle();
    void skipAllThenOneCamera();
    void recheckQuestionKeepsTheLoopRunning();
    void regionEditsSurviveAnAlarm();
    void skippedCameraJudgedInTheNextAlarm();
    void pictures_data();
    void pictures();
};

void TestAlarmJourney::liveTemplateIgnoreAndNextCycle() {
    AlarmRoad road(1);
    if (!road.start()) QSKIP("no pseudo-terminal for the simulated IO board");
    CycleWorld& w = road.w;
    MainWindow* win = road.win;
    CammerWidget* v = win->cams[0];
    QVERIFY(w.show(0, cycle::cavityBad()));
    QVERIFY(road.alarmCycle());
    QVERIFY(win->alarmBarShown());
    QCOMPARE(gSource, 1);
    for (int b = AlarmOption::BTN_LIVE_TEMP; b <= AlarmOption::BTN_DELETE_IGNORED; ++b)
        QVERIFY(road.bar->button(AlarmOption::BTN_TYPE(b))->isVisible());

    // Live picture -> template with the drawing tools, and back.
    road.tap(AlarmOption::BTN_LIVE_TEMP);
    QVERIFY(win->regionBarShown());
    QCOMPARE(gSource, 0);
    QVERIFY(v->drawingBar && v->drawingBar->isVisible());
    road.screen.tap(win->regiOption->button(RegiOption::BTN_LIVE_TEMP));
    QVERIFY(win->alarmBarShown());
    QCOMPARE(gSource, 1);
    QCOMPARE(win->DisplayState, 2);

    // The defect's points are ignored: asked, recorded, written, and the re-check passes.
    w.prompter.queueAnswer(true);
    road.tap(AlarmOption::BTN_IGNORE_POINT);
    QCOMPARE(w.prompter.questions.last(), lanText(113));
    QVERIFY(w.records().contains(lanText(114).arg(1)));
    const int ignored = cv::countNonZero(v->data.ignoreImages[1]);
    // Exactly the defect's alarm pixels (the patch less what the evaluation's opening took off).
    QVERIFY(ignored > 30 * 30 * 9 / 10);
    QCOMPARE(ignored, cv::countNonZero(v->data.alarmImage));
    cv::Mat file;
    QVERIFY(loadIgnoreMask(QStringLiteral("cammer12/ignorepoint.bmp"), file));
    QCOMPARE(cv::countNonZero(file), ignored);
    QCOMPARE(win->DisplayState, 2);  // decided by the re-check only
    road.tap(AlarmOption::BTN_RECHECK);
    QVERIFY(road.alarmEnded());
    QTRY_COMPARE_WITH_TIMEOUT(w.boardOut(kOutClampingCut), 0, kWait);

    // The next cycle shows the same defect: it passes.
    const int failed = gFailNum[0];
    const int all = gAllNum[0];
    w.board.clearRecords();
    w.pulse(0, 50);
    QTRY_VERIFY_WITH_TIMEOUT(gAllNum[0] > all && w.edges(kOutClampingCut).size() >= 2, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(w.boardOut(kOutClampingCut), 0, kWait);
    QVERIFY(win->DisplayState != 2);
    QCOMPARE(gFailNum[0], failed);
    QCOMPARE(w.boardOut(kOutAlarm), 0);
    QVERIFY2(w.edges(kOutAlarm).isEmpty(), qPrintable(w.history()));

    // Another defect raises an alarm; the ignored points are deleted there.
    QVERIFY(w.show(0, {cycle::Patch{QRect(210, 70, 20, 20), cycle::kWhite}}));
    QVERIFY(road.alarmCycle());
    w.prompter.queueAnswer(true);
    road.tap(AlarmOption::BTN_DELETE_IGNORED);
    QCOMPARE(w.prompter.questions.last(), lanText(116));
    QVERIFY(w.records().contains(lanText(117).arg(1)));
    QCOMPARE(cv::countNonZero(v->data.ignoreImages[1]), 0);
    QVERIFY(loadIgnoreMask(QStringLiteral("cammer12/ignorepoint.bmp"), file));
    QCOMPARE(cv::countNonZero(file), 0);
    QVERIFY(w.show(0, cycle::good()));
    road.tap(AlarmOption::BTN_RECHECK);
    QVERIFY(road.alarmEnded());
    QCOMPARE(w.prompter.unexpectedQuestions, 0);
}

void TestAlarmJourney::skipAllThenOneCamera() {
    AlarmRoad road(3);
    if (!road.start()) QSKIP("no pseudo-terminal for the simulated IO board");
    CycleWorld& w = road.w;
    MainWindow* win = road.win;

    // All cameras NG, all shown: the mould is accepted for every camera.
    QVERIFY(w.showAll(cycle::cavityBad()));
    QVERIFY(road.alarmCycle());
    QCOMPARE(win->displayedCamera, numCamera);
    w.prompter.queueAnswer(true);
    road.tap(AlarmOption::BTN_NO_CHECK);
    QCOMPARE(w.prompter.questions.last(), lanText(102));
    QVERIFY(road.alarmEnded());
    QVERIFY(w.records().contains(lanText(103)));
    QCOMPARE(gSource, -1);
    // The held pictures are stamped and handed to the saver.
    QTRY_COMPARE_WITH_TIMEOUT(w.files("alarmimage/camera2/detect2/NG"), 1, kWait);

    // Cameras 1 and 2 NG, camera 3 OK. Camera 3 cannot be skipped.
    QVERIFY(w.show(2, cycle::good()));
    QVERIFY(road.alarmCycle());
    road.screen.tap(win->cams[2]);
    QCOMPARE(win->displayedCamera, 2);
    QCOMPARE(road.bar->cameraList()->currentIndex(), 2);
    road.tap(AlarmOption::BTN_NO_CHECK);
    QCOMPARE(w.prompter.warnings.last(), lanText(107));

    // Camera 2 chosen on the bar's list and skipped: camera 1 runs again, still NG, and is shown.
    road.screen.choose(road.bar->cameraList(), 1);
    QCOMPARE(win->displayedCamera, 1);
    w.prompter.queueAnswer(true);
    road.tap(AlarmOption::BTN_NO_CHECK);
    QCOMPARE(w.prompter.questions.last(), lanText(105).arg(2));
    QVERIFY(w.records().contains(lanText(106).arg(2)));
    QCOMPARE(win->DisplayState, 2);
    QVERIFY(win->cams[1]->skipFlag[1]);
    QVERIFY(win->cams[1]->data.allOk);
    QCOMPARE(win->ImageState[1][1], 9);  // stamped "Don't Detect"
    QCOMPARE(win->ImageState[0][1], 3);  // evaluated again: NG held
    QCOMPARE(win->displayedCamera, 0);
    QCOMPARE(road.bar->cameraList()->currentIndex(), 0);

    // Camera 1 cleared: the re-check ends the alarm; camera 2 is not looked at again.
    QVERIFY(w.show(0, cycle::good()));
    road.tap(AlarmOption::BTN_RECHECK);
    QVERIFY(road.alarmEnded());
    QCOMPARE(w.prompter.unexpectedQuestions, 0);
}

// An alarm with a region drawn on the alarm page's template and not saved; the door re-check asks
// whether to save it, after the polling pass: while the question stays open 10 s the loop polls on
// (frames taken, input edges taken, no camera declared lost, a second re-check edge starts no second
// re-check), and the answer still acts: the region is saved and the re-check ends the alarm.
void TestAlarmJourney::recheckQuestionKeepsTheLoopRunning() {
    AlarmRoad road(1);
    if (!road.start()) QSKIP("no pseudo-terminal for the simulated IO board");
    CycleWorld& w = road.w;
    MainWindow* win = road.win;
    CammerWidget* v = win->cams[0];
    QVERIFY(w.show(0, cycle::cavityBad()));
    QVERIFY(road.alarmCycle());
    road.tap(AlarmOption::BTN_LIVE_TEMP);
    QCOMPARE(gSource, 0);
    const int d = win->editorStep;
    const int regions = v->data.workingStore->count[d];
    road.screen.tap(road.editor->editorOf(v)->drawingPanel()->button(0));
    road.screen.drag(v, {{200, 200}, {300, 250}, {400, 350}});
    QCOMPARE(v->data.workingStore->count[d], regions + 1);
    road.screen.tap(win->regiOption->button(RegiOption::BTN_LIVE_TEMP));
    QCOMPARE(gSource, 1);
    QVERIFY(w.show(0, cycle::good()));

    const int lost = gLost;
    int passes = 0, frames = 0;
    bool secondEdgeTaken = false, otherEdgeTaken = false;
    w.prompter.whileAsking = [&](const QString& question) {
        if (question != lanText(72)) return;
        const int passes0 = gRunCount, frames0 = win->frameCount[0];
        w.board.setInput(1, false);
        QTest::qWait(3000);
        w.pulse(1, 50);  // the door again
        w.pulse(2, 50);
        QTest::qWait(7000);
        passes = gRunCount - passes0;
        frames = win->frameCount[0] - frames0;
        secondEdgeTaken = gpControlIO->IOInTrigger(1) == 0;  // the loop took them meanwhile
        otherEdgeTaken = gpControlIO->IOInTrigger(2) == 0;
        QVERIFY(road.editor->reCheckWaiting());
        QCOMPARE(win->DisplayState, 2);
    };
    w.prompter.queueAnswer(true);
    const int records = w.records().size();
    w.pulse(1, 50);
    QVERIFY(road.alarmEnded());
    QCOMPARE(w.prompter.questions.filter(lanText(72)).size(), 1);
    QVERIFY2(passes > 50, qPrintable(QString::number(passes)));
    QVERIFY2(frames > 20, qPrintable(QString::number(frames)));
    QVERIFY(secondEdgeTaken);
    QVERIFY(otherEdgeTaken);
    QCOMPARE(gLost, lost);
    QVERIFY(!w.records().mid(records).join('|').contains(cameraText(332).arg(1).arg(1)));
    QCOMPARE(v->data.savedStore->count[d], regions + 1);
    QVERIFY(!road.editor->reCheckWaiting());
    QCOMPARE(w.prompter.unexpectedQuestions, 0);
}

// A region drawn on the region page is not saved yet when an NG comes: the alarm page keeps it, the
// re-check asks whether to save it, and Yes saves it before the mould is judged again.
void TestAlarmJourney::regionEditsSurviveAnAlarm() {
    AlarmRoad road(1);
    if (!road.start()) QSKIP("no pseudo-terminal for the simulated IO board");
    CycleWorld& w = road.w;
    MainWindow* win = road.win;
    CammerWidget* v = win->cams[0];
    road.screen.tap(win->optionBar->button(OptionBar::Area));
    QVERIFY(win->regionBarShown());
    QCOMPARE(gSource, 0);
    const int d = win->editorStep;
    const int regions = v->data.workingStore->count[d];
    road.screen.tap(road.editor->editorOf(v)->drawingPanel()->button(0));
    road.screen.drag(v, {{200, 200}, {300, 250}, {400, 350}});
    QCOMPARE(v->data.workingStore->count[d], regions + 1);
    const QRect drawn = v->data.workingStore->rect[d][regions].rect;

    QVERIFY(w.show(0, cycle::cavityBad()));
    QVERIFY(road.alarmCycle());
    QVERIFY(win->alarmBarShown());
    QCOMPARE(v->data.workingStore->count[d], regions + 1);
    QCOMPARE(v->data.workingStore->rect[d][regions].rect, drawn);
    QCOMPARE(v->data.savedStore->count[d], regions);
    QVERIFY(w.prompter.questions.isEmpty());

    QVERIFY(w.show(0, cycle::good()));
    w.prompter.queueAnswer(true);
    road.tap(AlarmOption::BTN_RECHECK);
    QCOMPARE(w.prompter.questions, QStringList{lanText(72)});
    QVERIFY(road.alarmEnded());
    QCOMPARE(v->data.savedStore->count[d], regions + 1);
    QCOMPARE(v->data.savedStore->rect[d][regions].rect, drawn);
    QCOMPARE(w.prompter.unexpectedQuestions, 0);
}

// Camera 2 is skipped in one alarm ("Don't Detect"); the skip lasts for that mould only: in the next
// cycle the same defect raises the next alarm on camera 2.
void TestAlarmJourney::skippedCameraJudgedInTheNextAlarm() {
    AlarmRoad road(2);
    if (!road.start()) QSKIP("no pseudo-terminal for the simulated IO board");
    CycleWorld& w = road.w;
    MainWindow* win = road.win;
    QVERIFY(w.show(1, cycle::cavityBad()));
    QVERIFY(road.alarmCycle());
    road.screen.tap(win->cams[1]);
    QCOMPARE(win->displayedCamera, 1);
    w.prompter.queueAnswer(true);
    road.tap(AlarmOption::BTN_NO_CHECK);
    QVERIFY(road.alarmEnded());
    QVERIFY(w.records().contains(lanText(106).arg(2)));

    // The next mould: camera 2 still sees the defect and is judged: the alarm names it.
    QVERIFY(road.alarmCycle());
    QVERIFY(!win->cams[1]->skipFlag[1]);
    QVERIFY(!win->cams[1]->data.allOk);
    QVERIFY(win->cams[0]->data.allOk);
    // Cleared, the door re-check ends it.
    QVERIFY(w.show(1, cycle::good()));
    w.pulse(1, 50);
    QVERIFY(road.alarmEnded());
    QCOMPARE(w.prompter.unexpectedQuestions, 0);
}

void TestAlarmJourney::pictures_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("Simplified Chinese") << 0;
    QTest::newRow("English") << 1;
    QTest::newRow("Traditional Chinese") << 2;
}

// Pictures of the alarm page for checking by eye (MONITOR_SHOTS_DIR=<dir>): all cameras, one camera,
// its points ignored, and the template with the drawing tools.
void TestAlarmJourney::pictures() {
    QFETCH(int, language);
    const QString out = qEnvironmentVariable("MONITOR_SHOTS_DIR");
    if (out.isEmpty()) QSKIP("MONITOR_SHOTS_DIR not set");
    QDir().mkpath(out);
    AlarmRoad road(2);
    gLan = language;
    if (!road.start()) QSKIP("no pseudo-terminal for the simulated IO board");
    const auto shot = [&](const QString& name) {
        QTest::qWait(100);
        QVERIFY(road.win->grab().save(QStringLiteral("%1/alarm-%2-%3.png").arg(out).arg(language).arg(name)));
    };
    QVERIFY(road.w.showAll(cycle::cavityBad()));
    QVERIFY(road.alarmCycle());
    shot(QStringLiteral("all"));
    road.screen.tap(road.win->cams[0]);
    shot(QStringLiteral("camera"));
    road.w.prompter.queueAnswer(true);
    road.tap(AlarmOption::BTN_IGNORE_POINT);
    shot(QStringLiteral("ignored"));
    road.tap(AlarmOption::BTN_LIVE_TEMP);
    shot(QStringLiteral("template"));
    gLan = 0;
}

QTEST_MAIN(TestAlarmJourney)
#include "tst_alarmjourney.moc"
