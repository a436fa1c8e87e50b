// The region parameter panel beside the selected region, the cavity boxes, the step a visit of the
// editor opens on, and the copying of regions between the steps that share them.
#include <QLabel>
#include <QtTest>
#include <memory>

#include "editorworld.h"
#include "records/accesslevel.h"
#include "records/iostatus.h"
#include "widgets/checkbox.h"
#include "widgets/indexbutton.h"
#include "widgets/slider.h"

namespace {
void allFunctions(WizardPara& p, bool on) {
    p.enable_defect_detect = p.enable_spot_detect = p.enable_ignore_area = p.enable_manual_edit = on;
    p.enable_black_area = p.enable_white_area = p.enable_similarity = p.enable_white_num =
        p.enable_direction = on;
}

// The selected rectangle region of function `func` in the editor step.
void selectRegion(EditorWorld& ew, int func, int para1 = 5) {
    ew.drawRect({400, 300}, {700, 500});
    const int d = ew.step();
    ew.work().func[d][0] = func;
    ew.work().para1[d][0] = para1;
    ew.e->ShowHideROIPara();
}

// "<language id> <range>" with the id's text in the current language.
QString expand(const QString& spec) {
    if (spec == "-") return spec;
    const int space = spec.indexOf(' ');
    return lanText(spec.left(space).toInt()) + spec.mid(space);
}

QString sliderText(const Slider* s) {
    if (s->isHidden()) return QStringLiteral("-");
    return QStringLiteral("%1 %2..%3").arg(s->objectName()).arg(s->minimum()).arg(s->maximum());
}
}  // namespace

class TestRegionPanel : public QObject {
    Q_OBJECT
private slots:
    void init() { gLan = 1; }
    void cleanup() { gLan = 0; }
    void sliders_data();
    void sliders();
    void spotGreyBytes();
    void functionButton_data();
    void functionButton();
    void sizeButtons();
    void moveModesAndOutput();
    void moveButtonsPressedThroughWindow();
    void cavityBoxesWriteStepOne();
    void copyBetweenSteps_data();
    void copyBetweenSteps();
    void editorStep_data();
    void editorStep();
};

void TestRegionPanel::sliders_data() {
    QTest::addColumn<int>("func");
    QTest::addColumn<bool>("allParams");
    QTest::addColumn<QString>("sens");
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("first");
    // "<language id> <range>", or "-" for a hidden slider.
    QTest::newRow("defect") << 0 << true << "23 0..255"
                            << "24 0..1000"
                            << "22 1..10";
    QTest::newRow("spot") << 1 << true << "13 0..99999"
                          << "14 0..99999"
                          << "10 0..255";
    QTest::newRow("ignore") << 2 << true << "16 0..255"
                            << "16 0..255"
                            << "16 0..255";
    QTest::newRow("position") << 3 << true << "16 1..32"
                              << "16 1..100"
                              << "20 1..100";
    QTest::newRow("position, sensitivity only") << 3 << false << "16 1..32"
                                                << "-"
                                                << "-";
    QTest::newRow("black area") << 4 << true << "11 0..255"
                                << "24 0..50000"
                                << "-";
    QTest::newRow("white area") << 5 << true << "10 0..255"
                                << "24 0..50000"
                                << "-";
    QTest::newRow("similarity") << 6 << true << "362 0..100"
                                << "-"
                                << "-";
    QTest::newRow("white num") << 7 << true << "10 0..255"
                               << "522 0..100"
                               << "22 1..100";
    QTest::newRow("direction") << 8 << true << "13 0..50000"
                               << "14 0..50000"
                               << "22 0..1";
}

void TestRegionPanel::sliders() {
    QFETCH(int, func);
    QFETCH(bool, allParams);
    QFETCH(QString, sens);
    QFETCH(QString, area);
    QFETCH(QString, first);
    EditorWorld ew(64, 48, [&](WizardPara& p) {
        allFunctions(p, true);
        p.enable_display_detail = allParams;
    });
    selectRegion(ew, func);
    QCOMPARE(sliderText(ew.e->sensSlider), expand(sens));
    QCOMPARE(sliderText(ew.e->areaSlider), expand(area));
    QCOMPARE(sliderText(ew.e->firstSlider), expand(first));
    QCOMPARE(ew.e->greyButton->isHidden(), func != kFuncSpot);
    // Every shown control lies on the view, below or above the region, clear of the move buttons.
    for (QWidget* c : std::initializer_list<QWidget*>{ew.e->sensSlider, ew.e->funcButton, ew.e->partButton}) {
        QVERIFY(!c->isHidden());
        QVERIFY(ew.v->rect().contains(c->geometry()));
        QVERIFY(!c->geometry().intersects(ew.e->moveButtons[0]->geometry()));
    }
}

// A Spot region packs the two grey limits into the low and high byte of its first parameter.
void TestRegionPanel::spotGreyBytes() {
    EditorWorld ew(64, 48, [](WizardPara& p) {
        allFunctions(p, true);
        p.enable_display_detail = 1;
    });
    selectRegion(ew, kFuncSpot, 12800);
    const int d = ew.step();
    QCOMPARE(ew.e->firstSlider->value(), 0);
    QCOMPARE(ew.e->firstSlider->objectName(), lanText(10));
    ew.e->greyButton->click();
    QCOMPARE(ew.e->firstSlider->value(), 50);
    QCOMPARE(ew.e->firstSlider->objectName(), lanText(11));
    ew.e->firstSlider->setValue(80);
    QCOMPARE(ew.work().para1[d][0], 20480);
    ew.e->ShowHideROIPara();  // a refresh goes back to the low byte
    ew.e->firstSlider->setValue(7);
    QCOMPARE(ew.work().para1[d][0], 20480 + 7);
    ew.e->sensSlider->setValue(33);
    QCOMPARE(ew.work().sens[d][0], 33);
    QVERIFY(ew.v->data.testShown);  // re-tested
}

void TestRegionPanel::functionButton_data() {
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QList<int>>("cycle");  // the functions after each press, from Defect
    QTest::addColumn<bool>("shown");
    QTest::newRow("defect and spot") << QStringList{"defect", "spot"} << QList<int>{1, 0, 1} << true;
    QTest::newRow("position and white num")
        << QStringList{"defect", "position", "whitenum"} << QList<int>{3, 7, 0} << true;
    QTest::newRow("defect only: hidden") << QStringList{"defect"} << QList<int>{0} << false;
    QTest::newRow("all off: no hang, kept") << QStringList{} << QList<int>{0, 0} << false;
}

void TestRegionPanel::functionButton() {
    QFETCH(QStringList, switches);
    QFETCH(QList<int>, cycle);
    QFETCH(bool, shown);
    EditorWorld ew(64, 48, [&](WizardPara& p) {
        allFunctions(p, false);
        p.enable_defect_detect = switches.contains("defect");
        p.enable_spot_detect = switches.contains("spot");
        p.enable_manual_edit = switches.contains("position");
        p.enable_white_num = switches.contains("whitenum");
    });
    selectRegion(ew, kFuncDefect);
    QCOMPARE(!ew.e->funcButton->isHidden(), shown);
    const int d = ew.step();
    QList<int> seen;
    for (int i = 0; i < cycle.size(); ++i) {
        ew.e->SlotChangeFunc();
        seen << ew.work().func[d][0];
    }
    QCOMPARE(seen, cycle);
    if (cycle.contains(kFuncPosition)) {
        ew.work().func[d][0] = kFuncDefect;
        ew.e->SlotChangeFunc();
        QCOMPARE(ew.work().para1[d][0], 10);
        QCOMPARE(ew.work().sens[d][0], 10);
        QCOMPARE(ew.work().area[d][0], 10);
    }
}

// The size buttons move the edited part; the region is kept inside and its mask follows.
void TestRegionPanel::sizeButtons() {
    EditorWorld ew;
    const int d = ew.step();
    selectRegion(ew, kFuncDefect);
    QCOMPARE(ew.e->partButton->text(), lanText(30));
    QVERIFY(ew.e->sizeButtons[0]->autoRepeat());
    ew.e->sizeButtons[1]->click();  // "X -1" on the top left corner
    QCOMPARE(ew.work().rect[d][0].rect.left(), 399);
    ew.e->partButton->click();
    QCOMPARE(ew.e->partButton->text(), lanText(29));
    ew.e->sizeButtons[2]->click();  // "Y +1" on the bottom right corner
    QCOMPARE(ew.work().rect[d][0].rect.bottom(), 501);
    QCOMPARE(ew.v->data.workingMasks[d][0].cols, ew.work().rect[d][0].imgRect.width());

    // A ring: the inner radius never passes the outer one.
    ew.editor->SlotDrawCircle();
    ew.touch.drag({{900, 300}, {950, 350}, {1000, 400}});
    QCOMPARE(ew.v->data.selectedRoi, 1);
    QCOMPARE(ew.e->sizeButtons[0]->text(), QString("+10"));
    QCOMPARE(ew.e->partButton->text(), lanText(28));
    for (int i = 0; i < 10; ++i) ew.e->SlotAdd10();
    const Circle& c = ew.work().circle[d][1];
    QCOMPARE(c.rIn, c.r);
    ew.e->SlotChangeObject();
    ew.e->SlotChangeObject();
    QCOMPARE(ew.e->partButton->text(), lanText(27));
    QCOMPARE(ew.e->sizeButtons[0]->text(), QString("Y -1"));
    const int cx = c.cx;
    ew.e->SlotSub10();  // "X +1" on the centre
    QCOMPARE(c.cx, cx + 1);
}

// Move modes relabel their button; mode 2 moves every region and hides the panel. The output box
// shows on step 0 with the NG pulse switch only.
void TestRegionPanel::moveModesAndOutput() {
    EditorWorld ew(64, 48, [](WizardPara& p) { p.enable_stop_not_alarm = 1; });
    ew.w->editorStep = 0;
    selectRegion(ew, kFuncDefect);
    ew.drawRect({900, 300}, {1100, 500});
    QVERIFY(!ew.e->outBox->isHidden());
    ew.e->outBox->setCurrentIndex(2);
    QCOMPARE(ew.work().outN[1], 2);
    QStringList labels{ew.e->moveModeButton->text()};
    ew.e->moveModeButton->click();
    labels << ew.e->moveModeButton->text();
    ew.e->moveModeButton->click();
    labels << ew.e->moveModeButton->text();
    QCOMPARE(labels, (QStringList{lanText(12), lanText(32), lanText(34)}));
    QVERIFY(ew.e->sensSlider->isHidden());
    QVERIFY(ew.e->moveButtons[0]->autoRepeat());
    ew.e->moveButtons[3]->click();  // right
    QCOMPARE(ew.work().rect[0][0].rect.left(), 401);
    QCOMPARE(ew.work().rect[0][1].rect.left(), 901);
    ew.w->editorStep = 1;
    ew.e->DeselectROI();
    selectRegion(ew, kFuncDefect);
    QVERIFY(ew.e->outBox->isHidden());
}

// With passwords on and the operator logged in, "Move R" and "Hide Set" pressed where they show on the
// whole window act (the login indicator below the views lies clear of them) and the operator stays
// logged in; every move button lies whole on the screen.
void TestRegionPanel::moveButtonsPressedThroughWindow() {
    EditorWorld ew(640, 480);
    gpWPara->is_psw_used = 1;
    setAccessLevel(kAccessPrimary);
    ew.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(ew.w));
    selectRegion(ew, kFuncDefect);
    QVERIFY(ew.w->ioStatus && ew.w->ioStatus->isVisible());
    const QRect screen = ew.w->rect();
    const QRect indicator = ew.w->ioStatus->geometry();
    QList<ColorButton*> row(std::begin(ew.e->moveButtons), std::end(ew.e->moveButtons));
    row << ew.e->moveModeButton;
    for (ColorButton* b : row) {
        QVERIFY(b->isVisible());
        const QRect onWindow(b->mapTo(ew.w, QPoint(0, 0)), b->size());
        QVERIFY2(screen.contains(onWindow), qPrintable(b->text()));
        QVERIFY2(!onWindow.intersects(indicator), qPrintable(b->text()));
        // Nor over the drawing panel's tools.
        const QRect tools(ew.v->drawingBar->mapTo(ew.w, QPoint(0, 0)), ew.v->drawingBar->size());
        QVERIFY2(!onWindow.intersects(tools), qPrintable(b->text()));
    }
    auto press = [&](QWidget* b) {
        const QPoint at = b->mapTo(ew.w, b->rect().center());
        QTest::mouseClick(ew.w->windowHandle(), Qt::LeftButton, {}, at);
    };
    const int left = ew.work().rect[ew.step()][0].rect.left();
    press(ew.e->moveButtons[3]);  // "Move R"
    QCOMPARE(ew.work().rect[ew.step()][0].rect.left(), left + 1);
    QCOMPARE(accessLevel(), int(kAccessPrimary));
    press(ew.e->moveModeButton);  // "Hide Set"
    QCOMPARE(ew.e->moveModeButton->text(), lanText(32));
    QCOMPARE(accessLevel(), int(kAccessPrimary));
    // The indicator itself still logs out where it is.
    press(ew.w->ioStatus);
    QCOMPARE(accessLevel(), int(kAccessNone));
}

// Every view's box k writes step 1's cavity flag k (2 when ticked), whatever the editor step.
void TestRegionPanel::cavityBoxesWriteStepOne() {
    EditorWorld ew(64, 48, [](WizardPara& p) { p.show_cavity_no = 1; });
    ew.w->editorStep = 0;
    QVERIFY(!ew.e->cavityBoxes[2]->isHidden());
    ew.e->cavityBoxes[2]->click();
    QCOMPARE(ew.work().flags[1][2], 2);
    QCOMPARE(ew.work().flags[0][2], 0);
    ew.e->cavityBoxes[2]->click();
    QCOMPARE(ew.work().flags[1][2], 0);
}

void TestRegionPanel::copyBetweenSteps_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("counts");  // of steps 0..3 after the copy
    QTest::newRow("standard: 1 := 0") << int(kDetectStandard) << QList<int>{2, 2, 0, 1};
    QTest::newRow("two-colour: 3 := 1, 2 := 0") << int(kDetectTwoColour) << QList<int>{2, 3, 2, 3};
    QTest::newRow("multi-detection: nothing") << int(kDetectMulti) << QList<int>{2, 3, 0, 1};
}

void TestRegionPanel::copyBetweenSteps() {
    QFETCH(int, mode);
    QFETCH(QList<int>, counts);
    auto s = std::make_unique<CammerSingleton>(0);
    cv::Mat masks[kStepCount][kRoiCount];
    const int start[4] = {2, 3, 0, 1};
    for (int d = 0; d < 4; ++d) {
        s->count[d] = start[d];
        for (int r = 0; r < start[d]; ++r) {
            s->shape[d][r] = kShapeRect;
            s->rect[d][r].rect = QRect(10 * d + 100 * r, 10, 50, 50);
            s->rect[d][r].SetSelected(true);
            s->sens[d][r] = 10 * d + r;
            masks[d][r] = cv::Mat(3, 3, CV_8UC1, cv::Scalar(d));
        }
    }
    s->outN[0] = 3;
    copySharedSteps(*s, masks, mode);
    QList<int> got;
    for (int d = 0; d < 4; ++d) got << s->count[d];
    QCOMPARE(got, counts);
    QCOMPARE(s->outN[0], 3);
    if (mode == kDetectStandard) {
        QCOMPARE(s->rect[1][1].rect, s->rect[0][1].rect);
        QVERIFY(!s->rect[1][1].IsSelected());
        QVERIFY(s->rect[0][1].IsSelected());
        QCOMPARE(s->sens[1][1], 1);
        QCOMPARE(masks[1][0].data, masks[0][0].data);
    }
}

void TestRegionPanel::editorStep_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("product");
    QTest::addColumn<int>("sync");
    QTest::addColumn<int>("cavity");
    QTest::addColumn<int>("anyOrder");
    QTest::addColumn<int>("detectStep");
    QTest::addColumn<bool>("alarm");
    QTest::addColumn<int>("camera");  // of 2 cameras
    QTest::addColumn<int>("expected");
    QTest::newRow("standard, product off") << 0 << 0 << 0 << 2 << 0 << 0 << false << 0 << 1;
    QTest::newRow("standard, product and sync on") << 0 << 1 << 1 << 2 << 0 << 1 << false << 0 << 0;
    QTest::newRow("standard, product on, no sync") << 0 << 1 << 0 << 2 << 0 << 1 << false << 0 << 1;
    QTest::newRow("alarm page keeps the step") << 0 << 0 << 0 << 2 << 0 << 0 << true << 0 << 0;
    QTest::newRow("multi, product off") << 4 << 0 << 0 << 2 << 0 << 0 << false << 0 << 1;
    QTest::newRow("two-colour, right mould") << 1 << 1 << 0 << 1 << 0 << 0 << false << 0 << 2;
    QTest::newRow("two-colour, right mould, product off") << 1 << 0 << 0 << 1 << 0 << 0 << false << 0 << 3;
    QTest::newRow("two-colour, sync maps right back") << 1 << 1 << 1 << 2 << 0 << 3 << false << 0 << 1;
    QTest::newRow("outside the steps") << 4 << 1 << 0 << 2 << 0 << 9 << false << 0 << 0;
    QTest::newRow("any order, second camera") << 0 << 1 << 1 << 2 << 1 << 0 << false << 1 << 1;
    QTest::newRow("any order, first camera") << 0 << 1 << 0 << 2 << 1 << 1 << false << 0 << 0;
}

void TestRegionPanel::editorStep() {
    QFETCH(int, mode);
    QFETCH(int, product);
    QFETCH(int, sync);
    QFETCH(int, cavity);
    QFETCH(int, anyOrder);
    QFETCH(int, detectStep);
    QFETCH(bool, alarm);
    QFETCH(int, camera);
    QFETCH(int, expected);
    auto p = std::make_unique<WizardPara>();
    p->detect_mode = mode;
    p->enable_prod_detect = product;
    p->enabe_two_test = sync;
    p->cavity_pos = cavity;
    p->detect_any_order = anyOrder;
    const int steps = mode == kDetectTwoColour ? 4 : mode == kDetectMulti ? 3 : 2;
    QCOMPARE(chooseEditorStep(*p, detectStep, alarm, camera, 2, steps), expected);
}

QTEST_MAIN(TestRegionPanel)
#include "tst_regionpanel.moc"
