// The alarm page through the region editor: every alarm of a run shows the held picture with its NG
// marks (the live source), and "Resample" ends on the template with the drawing tools.
#include <QDir>
#include <QStackedLayout>
#include <QtTest>
#include <algorithm>

#include "app/savereport.h"
#include "editor/drawroiwidget.h"
#include "editor/regioption.h"
#include "tests/inspection/cyclesetup.h"

class TestAlarmView : public QObject {
    Q_OBJECT
private slots:
    void everyAlarmShowsItsMarks();
    void resampleEndsOnTemplate();
    void recheckWithTemplateOpen();
    void relearningKeepsAMaskItCannotWrite();
};

// Two alarms in one run: each comes up on the alarm bar with the live source, so the view paints the
// NG mark, the red regions and the alarm boxes; a re-check that passes ends the alarm.
void TestAlarmView::everyAlarmShowsItsMarks() {
    MonitorWorld world(1);
    quietParams(world.p());
    world.p().enable_prod_detect = 0;
    world.derive();
    MainWindow* w = world.build();
    DrawROIWidget* editor = installDrawROIWidget(w);
    const int region = addRegion(w->cams[0], 1, true);
    CammerWidget* v = w->cams[0];
    for (int alarm = 0; alarm < 2; ++alarm) {
        MonitorWorld::setInputs(0);
        world.pass();
        MonitorWorld::setInputs(1);
        world.pass();
        QCOMPARE(w->DisplayState, 2);
        QCOMPARE(gSource, 1);
        QVERIFY(w->alarmBarShown());
        QVERIFY(!v->data.allOk);
        QVERIFY(v->data.roiBoxes[1][region].count > 0);
        // The fault is removed and the mould re-checked: the alarm ends.
        CammerSingleton& s = *v->data.savedStore;
        s.area[1][region] = 100000000;
        v->recong->VarTrain(1);
        editor->SlotReCheck();
        QVERIFY(w->DisplayState != 2);
        QCOMPARE(gSource, -1);
        s.area[1][region] = 10;
        v->recong->VarTrain(1);
    }
    w->setRoiEditor(nullptr);
    delete editor;
}

// "Resample" confirmed: the learning pass hands over to region editing, which opens on the template
// with the browse buttons and the drawing bar of the displayed view.
void TestAlarmView::resampleEndsOnTemplate() {
    MonitorWorld world(1);
    quietParams(world.p());
    world.p().is_psw_used = 0;
    world.derive();
    MainWindow* w = world.build();
    DrawROIWidget* editor = installDrawROIWidget(w);
    world.prompter.queueAnswer(true);
    w->SlotReTrain();
    QCOMPARE(w->RunState, 2);
    w->CheckArea(false);
    QCOMPARE(w->DisplayState, 3);
    QVERIFY(w->regionBarShown());
    QCOMPARE(gSource, 0);
    QVERIFY(!w->cams[0]->drawingBar->isHidden());
    QVERIFY(!w->cams[0]->prevTemplateButton->isHidden());
    QCOMPARE(gFromTrain, 1);
    w->regiOption->button(RegiOption::BTN_END_SET)->click();
    QCOMPARE(gFromTrain, 0);
    QCOMPARE(w->RunState, 1);
    QCOMPARE(gSource, -1);
    w->setRoiEditor(nullptr);
    delete editor;
}

// The alarm page with the template open (Live<->Temp): a re-check that stays NG leaves the template on
// the view (the frame judged is not shown under the template's title); one that passes ends the alarm
// and takes the drawing panel and the template arrows off the view with the page.
void TestAlarmView::recheckWithTemplateOpen() {
    MonitorWorld world(1);
    quietParams(world.p());
    world.p().enable_prod_detect = 0;
    world.p().is_psw_used = 0;
    world.derive();
    MainWindow* w = world.build();
    DrawROIWidget* editor = installDrawROIWidget(w);
    const int region = addRegion(w->cams[0], 1, true);
    CammerWidget* v = w->cams[0];
    v->data.templateSlot(1, 0).setTo(77);
    v->data.templateLoaded[1][0] = 1;
    MonitorWorld::setInputs(0);
    world.pass();
    MonitorWorld::setInputs(1);
    world.pass();
    QCOMPARE(w->DisplayState, 2);
    w->displayedCamera = 0;
    w->ChangeCammer();
    editor->SlotAutoChange();
    QCOMPARE(gSource, 0);
    QVERIFY(!v->drawingBar->isHidden());
    QVERIFY(!v->nextTemplateButton->isHidden());
    auto shows = [&](int value) {
        const auto* px = v->displayBuffer.data();
        return std::all_of(px, px + gImageLen, [value](uchar b) { return b == value; });
    };
    QVERIFY(shows(77));

    std::fill(v->data.rawBuffer.data(), v->data.rawBuffer.data() + gImageLen, uchar(200));
    editor->SlotReCheck();
    QCOMPARE(w->DisplayState, 2);
    QCOMPARE(gSource, 0);
    QVERIFY(shows(77));

    // The fault is gone: the re-check ends the alarm and the page with its tools.
    v->data.savedStore->area[1][region] = 100000000;
    v->recong->VarTrain(1);
    editor->SlotReCheck();
    QVERIFY(w->DisplayState != 2);
    QCOMPARE(gSource, -1);
    QVERIFY(v->drawingBar->isHidden());
    QVERIFY(v->prevTemplateButton->isHidden());
    QVERIFY(v->nextTemplateButton->isHidden());
    w->setRoiEditor(nullptr);
    delete editor;
}

// Relearning clears the ignored points of every step, mask and file alike; a mask file that cannot be
// written keeps its points in memory too, so that what is used is what comes back at the next start.
void TestAlarmView::relearningKeepsAMaskItCannotWrite() {
    resetSaveReports();
    MonitorWorld world(1);
    quietParams(world.p());
    world.p().is_psw_used = 0;
    world.derive();
    MainWindow* w = world.build();
    DrawROIWidget* editor = installDrawROIWidget(w);
    CammerWidget* v = w->cams[0];
    for (int d = 0; d < 2; ++d) v->data.ignoreImages[d].at<uchar>(5, 5) = 255;
    QVERIFY(QDir().mkpath(QStringLiteral("cammer12/ignorepoint.bmp")));  // step 2's file cannot be written
    world.prompter.queueAnswer(true);
    w->SlotReTrain();
    QCOMPARE(cv::countNonZero(v->data.ignoreImages[0]), 0);
    cv::Mat file;
    QVERIFY(loadIgnoreMask(QStringLiteral("cammer11/ignorepoint.bmp"), file));
    QCOMPARE(cv::countNonZero(file), 0);
    QCOMPARE(cv::countNonZero(v->data.ignoreImages[1]), 1);
    QTRY_COMPARE(world.prompter.warnings.filter(QStringLiteral("ignorepoint.bmp")).size(), 1);
    resetSaveReports();
    w->setRoiEditor(nullptr);
    delete editor;
}

QTEST_MAIN(TestAlarmView)
#include "tst_alarmview.moc"
