// The operator's whole road through region editing, on the shown 1920 x 1080 main window, every press
// going through the top-level window at a screen position so that whatever lies there receives it:
// Area Settings, three shapes drawn, one moved, resized, copied and deleted, a function and a
// sensitivity chosen in the panel, a cavity ticked, End Set saving with one record per region, and the
// regions back after a restart of the program.
#include <QDir>
#include <QtTest>

#include "editor/drawroiwidget.h"
#include "editor/vieweditor.h"
#include "inspection/optionbar.h"
#include "editor/regioption.h"
#include "tests/inspection/cyclesetup.h"
#include "widgets/checkbox.h"
#include "widgets/indexbutton.h"
#include "widgets/slider.h"

namespace {
// Presses on the window at the position of `p` in `target`'s coordinates.
struct Screen {
    QWidget* top;
    QPoint at(QWidget* target, QPoint p) const { return target->mapTo(top, p); }
    void press(QWidget* t, QPoint p) {
        QTest::mousePress(top->windowHandle(), Qt::LeftButton, {}, at(t, p), 40);
    }
    void move(QWidget* t, QPoint p) { QTest::mouseMove(top->windowHandle(), at(t, p), 40); }
    void release(QWidget* t, QPoint p) {
        QTest::mouseRelease(top->windowHandle(), Qt::LeftButton, {}, at(t, p), 40);
    }
    void tap(QWidget* t, QPoint p) {
        press(t, p);
        release(t, p);
    }
    void tap(QWidget* t) { tap(t, t->rect().center()); }
    void drag(QWidget* t, const QVector<QPoint>& pts) {
        press(t, pts.first());
        for (int i = 1; i < pts.size(); ++i) move(t, pts[i]);
        release(t, pts.last());
    }
};

void uninstall(MainWindow* w, DrawROIWidget* e) {
    w->setRoiEditor(nullptr);
    delete e;
}

MainWindow* buildShown(MonitorWorld& world) {
    MainWindow* w = world.build();
    w->setFixedSize(1920, 1080);
    w->show();
    if (!QTest::qWaitForWindowExposed(w)) return nullptr;
    return w;
}
}  // namespace

class TestEditorJourney : public QObject {
    Q_OBJECT
private slots:
    void areaSettingsToRestart();
    void automaticRegionSavedAtEndSet();
    void pictures_data();
    void pictures();
};

void TestEditorJourney::areaSettingsToRestart() {
    MonitorWorld world(1);
    quietParams(world.p());
    world.p().is_psw_used = 0;
    world.p().enable_prod_detect = 0;  // the cavity step only
    world.p().show_cavity_no = 1;
    world.p().enable_display_detail = 1;
    WizardPara& p = world.p();
    p.enable_defect_detect = p.enable_spot_detect = 1;
    p.enable_ignore_area = p.enable_manual_edit = p.enable_black_area = p.enable_white_area = 0;
    p.enable_similarity = p.enable_white_num = p.enable_direction = 0;
    world.derive();
    MainWindow* w = buildShown(world);
    QVERIFY(w);
    DrawROIWidget* editor = installDrawROIWidget(w);
    Screen screen{w};
    CammerWidget* v = w->cams[0];
    ViewEditor* e = editor->editorOf(v);

    screen.tap(w->optionBar->button(OptionBar::Area));
    QVERIFY(w->regionBarShown());
    QCOMPARE(gSource, 0);
    QCOMPARE(w->editorStep, 1);
    QVERIFY(v->drawingBar->isVisible());
    const CammerSingleton& s = *v->data.workingStore;

    // A rectangle, a ring and a click-polygon.
    screen.tap(e->drawingPanel()->button(0));
    screen.drag(v, {{200, 200}, {300, 250}, {400, 350}});
    screen.tap(e->drawingPanel()->button(1));
    screen.drag(v, {{600, 200}, {650, 250}, {800, 400}});
    screen.tap(e->drawingPanel()->button(2));
    for (QPoint p : {QPoint(1000, 200), QPoint(1300, 200), QPoint(1150, 450)}) screen.tap(v, p);
    screen.tap(v, {1004, 204});  // near the first point: closed
    QCOMPARE(s.count[1], 3);
    QCOMPARE(s.shape[1][0], int(kShapeRect));
    QCOMPARE(s.shape[1][1], int(kShapeRing));
    QCOMPARE(s.shape[1][2], int(kShapePolygon));

    // Select and move the rectangle, then pull its bottom right corner. The first tap only deselects
    // the polygon just made.
    screen.tap(v, {300, 300});
    QCOMPARE(v->data.selectedRoi, -1);
    screen.tap(v, {300, 300});
    QCOMPARE(v->data.selectedRoi, 0);
    screen.drag(v, {{300, 300}, {350, 330}, {400, 400}});
    QCOMPARE(s.rect[1][0].rect.topLeft(), QPoint(300, 300));
    screen.drag(v, {{500, 450}, {520, 480}, {550, 500}});
    QCOMPARE(s.rect[1][0].rect.bottomRight(), QPoint(550, 500));

    // The panel: the first region got Spot (switched on); the function button makes it Defect, and
    // its sensitivity one more.
    QCOMPARE(s.func[1][0], int(kFuncSpot));
    QVERIFY(e->funcButton->isVisible());
    screen.tap(e->funcButton);
    QCOMPARE(s.func[1][0], int(kFuncDefect));
    const int sens = s.sens[1][0];
    screen.tap(e->sensSlider->plusButton());
    QCOMPARE(s.sens[1][0], sens + 1);

    // Copy it to the right, then delete the copy.
    world.prompter.queueAnswer(true);
    screen.tap(e->drawingPanel()->button(4));
    screen.tap(v, {1400, 700});
    QCOMPARE(s.count[1], 4);
    QCOMPARE(v->data.selectedRoi, 3);
    world.prompter.queueAnswer(true);
    screen.tap(e->drawingPanel()->button(5));
    QCOMPARE(s.count[1], 3);

    // Cavity 2 ticked.
    QVERIFY(e->cavityBoxes[1]->isVisible());
    screen.tap(e->cavityBoxes[1]);
    QCOMPARE(s.flags[1][1], 2);

    // End Set: one question, one record per region, the table written.
    const int records = world.records().size();
    world.prompter.queueAnswer(true);
    screen.tap(w->regiOption->button(RegiOption::BTN_END_SET));
    QCOMPARE(world.prompter.questions.last(), lanText(72));
    QCOMPARE(world.records().size(), records + 3);
    QCOMPARE(w->DisplayState, 0);
    QVERIFY(w->optionBarShown());
    const QRect rect = s.rect[1][0].rect;
    QCOMPARE(world.prompter.unexpectedQuestions, 0);

    // The program starts again in the same program directory: the regions are there.
    uninstall(w, editor);
    world.window.reset();
    w = buildShown(world);
    QVERIFY(w);
    editor = installDrawROIWidget(w);
    const CammerSingleton& again = *w->cams[0]->data.savedStore;
    QCOMPARE(again.count[1], 3);
    QCOMPARE(again.rect[1][0].rect, rect);
    QCOMPARE(again.func[1][0], int(kFuncDefect));
    QCOMPARE(again.flags[1][1], 2);
    QCOMPARE(again.shape[1][2], int(kShapePolygon));

    // The next cycle judges the cavity step with exactly these three regions.
    CammerViewData& data = w->cams[0]->data;
    for (int r = 0; r < 4; ++r) data.roiOk[1][r] = 7;
    world.pass();
    MonitorWorld::setInputs(1);
    world.pass();
    QVERIFY(w->DisplayState == 1 || w->DisplayState == 2);
    for (int r = 0; r < 3; ++r) QVERIFY(data.roiOk[1][r] == 0 || data.roiOk[1][r] == 1);
    QCOMPARE(int(data.roiOk[1][3]), 7);
    uninstall(w, editor);
}

// Area Settings on a step without regions, with the automatic region switched on: the operator is
// asked (354); Yes makes one region around what differs between the product and the mould master
// templates, and End Set saves it with its record.
void TestEditorJourney::automaticRegionSavedAtEndSet() {
    MonitorWorld world(1, true, 320, 240);
    quietParams(world.p());
    world.p().is_psw_used = 0;
    world.p().auto_region = 1;
    world.p().enabe_two_test = 0;
    world.derive();
    MainWindow* w = buildShown(world);
    QVERIFY(w);
    DrawROIWidget* editor = installDrawROIWidget(w);
    Screen screen{w};
    CammerWidget* v = w->cams[0];
    v->data.templateSlot(0, 0).setTo(100);
    cv::Mat& mould = v->data.templateSlot(1, 0);
    mould.setTo(100);
    mould(cv::Rect(40, 40, 60, 50)).setTo(140);
    v->data.templateLoaded[0][0] = v->data.templateLoaded[1][0] = 1;
    QCOMPARE(v->data.savedStore->count[w->DetectStep], 0);

    world.prompter.queueAnswer(true);
    screen.tap(w->optionBar->button(OptionBar::Area));
    QVERIFY(w->regionBarShown());
    QCOMPARE(world.prompter.questions, QStringList{lanText(354)});
    const int d = w->editorStep;
    QCOMPARE(v->data.workingStore->count[d], 1);
    QCOMPARE(v->data.workingStore->shape[d][0], int(kShapePolygon));
    QCOMPARE(v->data.savedStore->count[d], 0);

    world.prompter.queueAnswer(true);
    const int records = world.records().size();
    screen.tap(w->regiOption->button(RegiOption::BTN_END_SET));
    QCOMPARE(world.prompter.questions.last(), lanText(72));
    QCOMPARE(v->data.savedStore->count[d], 1);
    QCOMPARE(v->data.savedStore->shape[d][0], int(kShapePolygon));
    const QStringList added = world.records().mid(records);
    QCOMPARE(added.size(), 1);
    QVERIFY(added.first().contains(lanText(76)));
    QCOMPARE(world.prompter.unexpectedQuestions, 0);
    uninstall(w, editor);
}

void TestEditorJourney::pictures_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("Simplified Chinese") << 0;
    QTest::newRow("English") << 1;
    QTest::newRow("Traditional Chinese") << 2;
}

// Pictures of the editor for checking by eye (MONITOR_SHOTS_DIR=<dir> runs it): each shape selected,
// then the panel for every function that the function button steps through.
void TestEditorJourney::pictures() {
    QFETCH(int, language);
    const QString out = qEnvironmentVariable("MONITOR_SHOTS_DIR");
    if (out.isEmpty()) QSKIP("MONITOR_SHOTS_DIR not set");
    QDir().mkpath(out);
    MonitorWorld world(1);
    quietParams(world.p());
    WizardPara& p = world.p();
    p.is_psw_used = 0;
    p.enable_prod_detect = 0;
    p.show_cavity_no = 1;
    p.enable_display_detail = 1;
    p.enable_defect_detect = p.enable_spot_detect = p.enable_ignore_area = p.enable_manual_edit = 1;
    p.enable_black_area = p.enable_white_area = p.enable_similarity = p.enable_white_num = 1;
    p.enable_direction = 1;
    world.derive();
    gLan = language;
    MainWindow* w = buildShown(world);
    QVERIFY(w);
    DrawROIWidget* editor = installDrawROIWidget(w);
    Screen screen{w};
    CammerWidget* v = w->cams[0];
    ViewEditor* e = editor->editorOf(v);
    const auto shot = [&](const QString& name) {
        QTest::qWait(50);
        QVERIFY(w->grab().save(QStringLiteral("%1/editor-%2-%3.png").arg(out).arg(language).arg(name)));
    };
    screen.tap(w->optionBar->button(OptionBar::Area));
    screen.tap(e->drawingPanel()->button(0));
    screen.drag(v, {{200, 200}, {300, 250}, {400, 350}});
    shot(QStringLiteral("rect"));
    screen.tap(e->drawingPanel()->button(1));
    screen.drag(v, {{600, 200}, {650, 250}, {800, 400}});
    shot(QStringLiteral("ring"));
    screen.tap(e->drawingPanel()->button(2));
    for (QPoint q : {QPoint(1000, 200), QPoint(1300, 200), QPoint(1150, 450)}) screen.tap(v, q);
    screen.tap(v, {1004, 204});
    screen.tap(v, {1150, 300});
    shot(QStringLiteral("polygon"));
    screen.tap(v, {300, 300});
    screen.tap(v, {300, 300});
    for (int k = 0; k < 9; ++k) {
        shot(QStringLiteral("function-%1").arg(k));
        screen.tap(e->funcButton);
    }
    w->setRoiEditor(nullptr);
    delete editor;
}

QTEST_MAIN(TestEditorJourney)
#include "tst_editorjourney.moc"
