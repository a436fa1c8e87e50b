// Region editing on a camera view: shapes drawn, selected, moved, resized, copied and deleted with
// presses, moves and releases; the limits; the new regions' defaults.
#include <QtTest>

#include "editorworld.h"
#include "editor/regioption.h"
#include "widgets/slider.h"

namespace {
using Points = QVector<QPoint>;

struct Region {
    int shape;
    QRect rect;  // screen rectangle (ring: bounding square)
};

QRect screenRect(const CammerSingleton& s, int d, int r) {
    switch (s.shape[d][r]) {
        case kShapeRect:
            return s.rect[d][r].rect;
        case kShapeRing:
            return s.circle[d][r].rect;
        case kShapePolygon:
            return QRect(s.polygon[d][r].pts[0], s.polygon[d][r].pts[0]);
        default:
            return QRect();
    }
}

// Puts a rectangle region straight into the working store (and the saved one when `saved`).
int putRect(EditorWorld& ew, QRect r, bool saved = false) {
    CammerSingleton& s = ew.work();
    const int d = ew.step();
    const int i = s.count[d]++;
    s.shape[d][i] = kShapeRect;
    s.rect[d][i] = ClustomRect();
    s.rect[d][i].rect = r;
    s.func[d][i] = kFuncDefect;
    s.para1[d][i] = 5;
    s.sens[d][i] = 25;
    s.area[d][i] = 100;
    ew.v->data.workingMasks[d][i] = s.updateRegion(d, i);
    if (saved) {
        *ew.v->data.savedStore = s;
        ew.v->data.savedMasks[d][i] = ew.v->data.workingMasks[d][i];
    }
    return i;
}

int putPolygon(EditorWorld& ew, const Points& pts) {
    CammerSingleton& s = ew.work();
    const int d = ew.step();
    const int i = s.count[d]++;
    s.shape[d][i] = kShapePolygon;
    RePolygon& p = s.polygon[d][i];
    p.count = pts.size();
    for (int k = 0; k < pts.size(); ++k) p.pts[k] = pts[k];
    ew.v->data.workingMasks[d][i] = s.updateRegion(d, i);
    return i;
}
}  // namespace

class TestRegionEdit : public QObject {
    Q_OBJECT
private slots:
    void entersOnTemplateWithSavedRegions();
    void newShapes_data();
    void newShapes();
    void regionLimit();
    void clickPolygon_data();
    void clickPolygon();
    void freeHand_data();
    void freeHand();
    void moveAndResize_data();
    void moveAndResize();
    void polygonMoves();
    void selectionCycles();
    void copyLandsOnPress_data();
    void copyLandsOnPress();
    void newRegionDefaults_data();
    void newRegionDefaults();
    void deleteShiftsDown();
    void zoomedTemplatePans_data();
    void zoomedTemplatePans();
    void hoverCursor_data();
    void hoverCursor();
    void polygonPointLimit();
    void stepsAddedAtRunTime();
};

// Area Settings fills the working store from the saved one and shows the template with the tools.
void TestRegionEdit::entersOnTemplateWithSavedRegions() {
    EditorWorld ew;
    ew.w->regiOption->button(RegiOption::BTN_END_SET)->click();
    QCOMPARE(ew.w->DisplayState, 0);
    QCOMPARE(gSource, -1);
    CammerSingleton& s = ew.saved();
    s.count[1] = 1;
    s.shape[1][0] = kShapeRect;
    s.rect[1][0].rect = QRect(100, 100, 200, 150);
    ew.w->SlotAdjustArea();
    QCOMPARE(ew.w->DisplayState, 3);
    QCOMPARE(gSource, 0);
    QVERIFY(ew.w->regionBarShown());
    QCOMPARE(ew.work().count[1], 1);
    QCOMPARE(ew.work().rect[1][0].rect, QRect(100, 100, 200, 150));
    QVERIFY(!ew.v->drawingBar->isHidden());
    QCOMPARE(ew.w->drawingTool, 0);
}

void TestRegionEdit::newShapes_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("tool");
    QTest::addColumn<Points>("path");
    QTest::addColumn<bool>("made");
    QTest::addColumn<QRect>("rect");
    const int W = 1725, H = 982;
    QTest::newRow("9 px wide: none") << W << H << 1 << Points{{100, 100}, {109, 200}} << false << QRect();
    QTest::newRow("10 px wide: one") << W << H << 1 << Points{{100, 100}, {110, 200}} << true
                                     << QRect(QPoint(100, 100), QPoint(110, 200));
    QTest::newRow("towards the top left: none")
        << W << H << 1 << Points{{200, 200}, {100, 100}} << false << QRect();
    QTest::newRow("no move: none") << W << H << 1 << Points{{200, 200}} << false << QRect();
    QTest::newRow("double tap: none") << W << H << 1 << Points{} << false << QRect();
    QTest::newRow("past the edge: clamped") << W << H << 1 << Points{{1600, 900}, {1800, 1000}} << true
                                            << QRect(QPoint(1600, 900), QPoint(W - 3, H - 3));
    QTest::newRow("ring: largest circle from the top left")
        << W << H << 4 << Points{{100, 100}, {300, 200}} << true << QRect(QPoint(100, 100), QPoint(199, 199));
    QTest::newRow("other aspect ratio") << 1280 << 960 << 1 << Points{{100, 100}, {300, 400}} << true
                                        << QRect(QPoint(100, 100), QPoint(300, 400));
}

// A drag with the rectangle or ring tool makes one selected region in the next slot, its image
// geometry the screen geometry scaled to the picture and its mask computed; the tool is used up.
void TestRegionEdit::newShapes() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, tool);
    QFETCH(Points, path);
    QFETCH(bool, made);
    QFETCH(QRect, rect);
    EditorWorld ew(width, height);
    QCOMPARE(ew.v->size(), QSize(gShowW, gShowH));
    if (tool == kShapeRect)
        ew.editor->SlotDrawRect();
    else
        ew.editor->SlotDrawCircle();
    if (path.isEmpty()) {
        // A quick second tap: the base widget treats it as a press.
        ew.touch.press({300, 300});
        ew.touch.release({300, 300});
        ew.touch.doubleTap({300, 300});
        ew.touch.release({300, 300});
    } else {
        ew.touch.press(path.first());
        for (int i = 1; i < path.size(); ++i) ew.touch.move(path[i]);
        ew.touch.release(path.last());
    }
    QCOMPARE(ew.w->drawingTool, 0);
    QCOMPARE(ew.count(), made ? 1 : 0);
    if (!made) return;
    const CammerSingleton& s = ew.work();
    QCOMPARE(s.shape[ew.step()][0], tool);
    QCOMPARE(screenRect(s, ew.step(), 0), rect);
    QCOMPARE(ew.v->data.selectedRoi, 0);
    const QRect img = s.imageRect(ew.step(), 0);
    QVERIFY(std::abs(img.left() - int(std::lround(rect.left() / gShowAW))) <= 1);
    QVERIFY(std::abs(img.bottom() - int(std::lround((rect.bottom() + 1) / gShowAH)) + 1) <= 1);
    QVERIFY(!ew.v->data.workingMasks[ew.step()][0].empty());
    if (tool == kShapeRing) QCOMPARE(s.circle[ew.step()][0].rIn, 0);
    QVERIFY(!ew.e->sensSlider->isHidden());  // the panel of the new region
}

// At 50 regions a drawn shape, a polygon and a copy warn and change nothing; the tool stays armed.
void TestRegionEdit::regionLimit() {
    EditorWorld ew;
    for (int i = 0; i < kRoiCount; ++i) putRect(ew, QRect(100 + i, 100, 50, 50));
    ew.editor->SlotDrawRect();
    ew.touch.drag({{300, 300}, {400, 400}});
    QCOMPARE(ew.world.prompter.warnings, QStringList{lanText(36)});
    QCOMPARE(ew.w->drawingTool, int(kShapeRect));
    ew.touch.drag({{300, 300}, {400, 400}});
    QCOMPARE(ew.world.prompter.warnings.size(), 2);
    ew.editor->SlotDrawPloygn();
    for (QPoint p : {QPoint(500, 500), QPoint(600, 500), QPoint(600, 600)}) ew.touch.tap(p);
    ew.editor->SlotDrawPloygn();
    QCOMPARE(ew.world.prompter.warnings.size(), 3);
    QCOMPARE(ew.w->drawingTool, int(kShapePolygon));
    ew.world.prompter.queueAnswer(true);
    ew.editor->SlotCopyArea();
    ew.touch.tap({800, 500});
    QCOMPARE(ew.world.prompter.warnings.size(), 4);
    QCOMPARE(ew.count(), kRoiCount);
    QCOMPARE(ew.world.prompter.warnings.count(lanText(36)), 4);
}

void TestRegionEdit::clickPolygon_data() {
    QTest::addColumn<Points>("taps");
    QTest::addColumn<bool>("secondButtonPress");
    QTest::addColumn<int>("vertices");  // of the region made; 0: none, the tool still armed
    QTest::newRow("closes within 9 px of the first point")
        << Points{{100, 100}, {300, 100}, {300, 300}, {109, 91}} << false << 3;
    QTest::newRow("10 px away is another point")
        << Points{{100, 100}, {300, 100}, {300, 300}, {110, 100}} << true << 4;
    QTest::newRow("two points and the button: nothing") << Points{{100, 100}, {300, 100}} << true << 0;
    QTest::newRow("three points and the button") << Points{{100, 100}, {300, 100}, {300, 300}} << true << 3;
}

void TestRegionEdit::clickPolygon() {
    QFETCH(Points, taps);
    QFETCH(bool, secondButtonPress);
    QFETCH(int, vertices);
    EditorWorld ew;
    ew.editor->SlotDrawPloygn();
    for (int i = 0; i < taps.size(); ++i) {
        ew.touch.press(taps[i]);
        ew.touch.release(taps[i]);
        if (i == 1) {  // a quick second tap on the same point adds nothing new that matters
            ew.touch.doubleTap(taps[i]);
            ew.touch.release(taps[i]);
            ew.v->polyPoints.removeLast();
        }
    }
    if (secondButtonPress) ew.editor->SlotDrawPloygn();
    QCOMPARE(ew.count(), vertices ? 1 : 0);
    QCOMPARE(ew.w->drawingTool, vertices ? 0 : int(kShapePolygon));
    if (!vertices) return;
    const RePolygon& p = ew.work().polygon[ew.step()][0];
    QCOMPARE(ew.work().shape[ew.step()][0], int(kShapePolygon));
    QCOMPARE(int(p.count), vertices);
    QCOMPARE(p.pts[0], taps[0]);
    QVERIFY(p.IsSelected());
    QVERIFY(!ew.v->data.workingMasks[ew.step()][0].empty());
}

void TestRegionEdit::freeHand_data() {
    QTest::addColumn<int>("moves");
    QTest::addColumn<bool>("made");
    QTest::newRow("5 points dropped") << 5 << false;
    QTest::newRow("6 points saved") << 6 << true;
}

void TestRegionEdit::freeHand() {
    QFETCH(int, moves);
    QFETCH(bool, made);
    EditorWorld ew;
    ew.editor->SlotDrawHand();
    ew.touch.press({200, 200});
    for (int i = 0; i < moves; ++i) ew.touch.move(QPoint(200 + 40 * i, 200 + (i % 2) * 150));
    ew.touch.release({200 + 40 * moves, 300});
    QCOMPARE(ew.count(), made ? 1 : 0);
    QCOMPARE(ew.w->drawingTool, 0);
    QVERIFY(ew.v->polyPoints.isEmpty());
    if (made) QCOMPARE(int(ew.work().polygon[ew.step()][0].count), moves);
}

void TestRegionEdit::moveAndResize_data() {
    QTest::addColumn<bool>("selectFirst");
    QTest::addColumn<Points>("path");
    QTest::addColumn<QRect>("expected");
    const QRect r(QPoint(400, 300), QPoint(599, 449));
    QTest::newRow("press on an unselected region moves it at once")
        << false << Points{{500, 350}, {600, 450}} << r.translated(100, 100);
    // 64 x 48 pixels on 1725 x 982: one image pixel is about 27 x 20 display pixels.
    QTest::newRow("below 3 image pixels: nothing") << false << Points{{500, 350}, {560, 400}} << r;
    QTest::newRow("pushed back inside, size kept")
        << true << Points{{500, 350}, {1700, 350}} << QRect(QPoint(1722 - 199, 300), QPoint(1722, 449));
    QTest::newRow("corner handle 7 resizes")
        << true << Points{{599, 449}, {700, 500}} << QRect(QPoint(400, 300), QPoint(700, 500));
}

void TestRegionEdit::moveAndResize() {
    QFETCH(bool, selectFirst);
    QFETCH(Points, path);
    QFETCH(QRect, expected);
    EditorWorld ew;
    putRect(ew, QRect(QPoint(400, 300), QPoint(599, 449)));
    if (selectFirst) ew.touch.tap({500, 350});
    ew.touch.drag(path);
    const CammerSingleton& s = ew.work();
    QCOMPARE(s.rect[ew.step()][0].rect, expected);
    QCOMPARE(ew.v->data.selectedRoi, 0);
    // Released: image geometry and mask follow the screen geometry.
    const QRect img = s.rect[ew.step()][0].imgRect;
    const cv::Mat& mask = ew.v->data.workingMasks[ew.step()][0];
    QCOMPARE(mask.cols, img.width());
    QCOMPARE(mask.rows, img.height());
    QCOMPARE(img.left(), int(std::lround(expected.left() / gShowAW)));
}

// Polygon drags: followed at most every 30 ms by the events' time stamps, refused as a whole when a
// vertex would leave the area.
void TestRegionEdit::polygonMoves() {
    EditorWorld ew;
    const Points pts{{400, 300}, {700, 300}, {700, 600}, {400, 600}};
    putPolygon(ew, pts);
    ew.touch.press({550, 450});
    ew.touch.move({650, 450}, 10);  // 10 ms after the press: the first move counts
    QCOMPARE(ew.work().polygon[ew.step()][0].pts[0], QPoint(500, 300));
    ew.touch.move({750, 450}, 10);  // 10 ms later: ignored
    QCOMPARE(ew.work().polygon[ew.step()][0].pts[0], QPoint(500, 300));
    ew.touch.move({750, 450}, 30);  // 40 ms after the last followed move
    QCOMPARE(ew.work().polygon[ew.step()][0].pts[0], QPoint(600, 300));
    ew.touch.move({750, 50}, 50);  // the top vertices would leave the area: nothing moves
    QCOMPARE(ew.work().polygon[ew.step()][0].pts[0], QPoint(600, 300));
    ew.touch.release({750, 50});
    QVERIFY(!ew.v->data.workingMasks[ew.step()][0].empty());
}

// Three overlapping regions under one touch: the switch selects them in index order, wrapping; a
// press outside deselects and remembers the last selected region.
void TestRegionEdit::selectionCycles() {
    EditorWorld ew;
    for (int i = 0; i < 3; ++i) putRect(ew, QRect(300 + 20 * i, 300, 200, 200));
    ew.touch.tap({400, 400});
    QCOMPARE(ew.v->data.selectedRoi, 0);
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
        ew.e->SlotNextROI();
        seen << QString::number(ew.v->data.selectedRoi);
    }
    QCOMPARE(seen, (QStringList{"1", "2", "0", "1"}));
    ew.touch.tap({1200, 800});
    QCOMPARE(ew.v->data.selectedRoi, -1);
    QCOMPARE(ew.e->lastSelected, 1);
    QVERIFY(!ew.work().rect[ew.step()][1].IsSelected());
}

void TestRegionEdit::copyLandsOnPress_data() {
    QTest::addColumn<bool>("polygon");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QPoint>("expectedFirst");  // top left (rectangle) or first vertex (polygon)
    QTest::newRow("rectangle centred on the press") << false << QPoint(800, 500) << QPoint(751, 476);
    QTest::newRow("rectangle pushed inside at the edge")
        << false << QPoint(1710, 970) << QPoint(1722 - 99, 979 - 49);
    QTest::newRow("polygon's first vertex on the press") << true << QPoint(800, 500) << QPoint(800, 500);
    QTest::newRow("polygon clamped vertex by vertex") << true << QPoint(1700, 500) << QPoint(1700, 500);
}

// Copy without a selection takes the last selected region; the copy is selected.
void TestRegionEdit::copyLandsOnPress() {
    QFETCH(bool, polygon);
    QFETCH(QPoint, at);
    QFETCH(QPoint, expectedFirst);
    EditorWorld ew;
    if (polygon)
        putPolygon(ew, {{200, 200}, {300, 200}, {300, 300}});
    else
        putRect(ew, QRect(200, 200, 100, 50));
    putRect(ew, QRect(900, 100, 40, 40));
    ew.touch.tap({280, 220});
    QCOMPARE(ew.v->data.selectedRoi, 0);
    ew.touch.tap({1200, 800});  // deselects; region 0 is the last selected
    ew.world.prompter.queueAnswer(true);
    ew.editor->SlotCopyArea();
    ew.touch.tap(at);
    QCOMPARE(ew.world.prompter.questions, QStringList{lanText(38)});
    QCOMPARE(ew.count(), 3);
    QCOMPARE(ew.v->data.selectedRoi, 2);
    const CammerSingleton& s = ew.work();
    if (polygon) {
        const RePolygon& p = s.polygon[ew.step()][2];
        QCOMPARE(p.pts[0], expectedFirst);
        QCOMPARE(p.pts[1].x(), std::min(expectedFirst.x() + 100, gShowW - 3));
    } else {
        QCOMPARE(s.rect[ew.step()][2].rect.topLeft(), expectedFirst);
        QCOMPARE(s.rect[ew.step()][2].rect.size(), QSize(100, 50));
    }
    QCOMPARE(s.shape[ew.step()][2], s.shape[ew.step()][0]);
}

void TestRegionEdit::newRegionDefaults_data() {
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<int>("func");
    QTest::addColumn<int>("para1");
    QTest::addColumn<int>("sens");
    QTest::addColumn<int>("area");
    QTest::newRow("defect only") << QStringList{"defect"} << 0 << 5 << 25 << 100;
    QTest::newRow("spot first") << QStringList{"defect", "spot", "black"} << 1 << 12800 << 80 << 500;
    QTest::newRow("black area") << QStringList{"defect", "black"} << 4 << -1 << 50 << 100;
    QTest::newRow("white area") << QStringList{"white"} << 5 << -1 << 200 << 100;
    QTest::newRow("similarity") << QStringList{"similarity"} << 6 << -1 << 80 << -1;
    QTest::newRow("white num") << QStringList{"whitenum"} << 7 << 5 << 128 << 1;
    QTest::newRow("direction, rectangle") << QStringList{"direction"} << 8 << 1 << 5000 << 10000;
    QTest::newRow("defect off: ignore area") << QStringList{"ignore", "position"} << 2 << 5 << 25 << 100;
}

// The first region of a step gets the defaults of the first switched-on type (never a type that is
// switched off while another is on); the second copies the first.
void TestRegionEdit::newRegionDefaults() {
    QFETCH(QStringList, switches);
    QFETCH(int, func);
    QFETCH(int, para1);
    QFETCH(int, sens);
    QFETCH(int, area);
    EditorWorld ew(64, 48, [&](WizardPara& p) {
        p.enable_defect_detect = switches.contains("defect");
        p.enable_spot_detect = switches.contains("spot");
        p.enable_ignore_area = switches.contains("ignore");
        p.enable_manual_edit = switches.contains("position");
        p.enable_black_area = switches.contains("black");
        p.enable_white_area = switches.contains("white");
        p.enable_similarity = switches.contains("similarity");
        p.enable_white_num = switches.contains("whitenum");
        p.enable_direction = switches.contains("direction");
    });
    const int d = ew.step();
    ew.work().para1[d][0] = -1;  // "kept" shows as the value already there
    ew.work().sens[d][0] = -1;
    ew.work().area[d][0] = -1;
    ew.drawRect({100, 100}, {300, 300});
    ew.drawRect({400, 100}, {600, 300});
    const CammerSingleton& s = ew.work();
    QCOMPARE(ew.count(), 2);
    for (int r = 0; r < 2; ++r) {
        QCOMPARE(s.func[d][r], func);
        QCOMPARE(s.para1[d][r], para1);
        QCOMPARE(s.sens[d][r], sens);
        QCOMPARE(s.area[d][r], area);
    }
}

// Deleting region 2 of 5 shifts 3 and 4 down with their masks, parameters and output numbers; the
// ignore points inside its box are cleared only when the deletion is saved.
void TestRegionEdit::deleteShiftsDown() {
    EditorWorld ew(64, 48, [](WizardPara& p) { p.enable_prod_detect = 1; });
    ew.w->editorStep = 0;
    for (int i = 0; i < 5; ++i) {
        const int r = putRect(ew, QRect(100 + 300 * i, 100, 200, 200));
        ew.work().sens[0][r] = 10 + i;
        ew.work().outN[r] = i % 4;
    }
    // Ignore points everywhere, saved.
    ew.v->data.ignoreImages[0].setTo(255);
    QVERIFY(ew.v->SaveIgnorePoint(0));
    const QRect box = ew.work().imageRect(0, 2);
    const cv::Mat mask3 = ew.v->data.workingMasks[0][3];
    ew.touch.tap({800, 200});
    QCOMPARE(ew.v->data.selectedRoi, 2);
    ew.world.prompter.queueAnswer(true);
    ew.editor->SlotDeleteROI();
    QCOMPARE(ew.world.prompter.questions, QStringList{lanText(66)});
    const CammerSingleton& s = ew.work();
    QCOMPARE(ew.count(), 4);
    QCOMPARE(s.sens[0][2], 13);
    QCOMPARE(s.sens[0][3], 14);
    QCOMPARE(s.outN[2], 3);
    QCOMPARE(s.outN[3], 0);
    QCOMPARE(s.rect[0][2].rect.left(), 1000);
    QCOMPARE(ew.v->data.workingMasks[0][2].data, mask3.data);
    QCOMPARE(ew.v->data.selectedRoi, -1);

    auto fileIgnored = [&](QPoint p) {
        cv::Mat m;
        if (!loadIgnoreMask(QStringLiteral("./cammer11/ignorepoint.bmp"), m)) return -1;
        return int(m.at<uchar>(p.y(), p.x()));
    };
    const QPoint inside = box.center();
    QCOMPARE(fileIgnored(inside), 255);  // not yet: the deletion is not saved
    ew.world.prompter.queueAnswer(true);
    ew.w->regiOption->button(RegiOption::BTN_END_SET)->click();
    QCOMPARE(fileIgnored(inside), 0);
    QCOMPARE(fileIgnored(QPoint(1, 1)), 255);
    QCOMPARE(ew.saved().count[0], 4);
}

void TestRegionEdit::hoverCursor_data() {
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("cursor");
    QTest::newRow("top left corner") << QPoint(400, 300) << int(Qt::SizeFDiagCursor);
    QTest::newRow("top edge") << QPoint(500, 300) << int(Qt::SizeVerCursor);
    QTest::newRow("right edge") << QPoint(599, 375) << int(Qt::SizeHorCursor);
    QTest::newRow("bottom left corner") << QPoint(400, 449) << int(Qt::SizeBDiagCursor);
    QTest::newRow("inside another region") << QPoint(1050, 350) << int(Qt::SizeAllCursor);
    QTest::newRow("elsewhere") << QPoint(1500, 800) << int(Qt::ArrowCursor);
}

void TestRegionEdit::hoverCursor() {
    QFETCH(QPoint, at);
    QFETCH(int, cursor);
    EditorWorld ew;
    putRect(ew, QRect(QPoint(400, 300), QPoint(599, 449)));
    putRect(ew, QRect(1000, 300, 100, 100));
    ew.touch.tap({500, 375});
    ew.touch.hover(at);
    QCOMPARE(int(ew.v->cursor().shape()), cursor);
}

// A click-polygon keeps at most 8095 points: a press at 8096 drops one and warns.
void TestRegionEdit::polygonPointLimit() {
    EditorWorld ew;
    ew.editor->SlotDrawPloygn();
    ew.touch.tap({500, 500});
    QVector<QPoint>& pts = ew.v->polyPoints;
    while (pts.size() < kMaxPolygonPoints) pts.append(QPoint(500 + pts.size() % 300, 500 + pts.size() / 300));
    ew.touch.tap({900, 900});
    QCOMPARE(ew.world.prompter.warnings, QStringList{lanText(35)});
    QCOMPARE(pts.size(), kMaxPolygonPoints - 1);
    ew.editor->SlotDrawPloygn();
    QCOMPARE(ew.count(), 1);
    QCOMPARE(int(ew.work().polygon[ew.step()][0].count), kMaxPolygonPoints - 1);
}

// The multi-detection step count raised while the monitor runs: regions of the new last step are
// drawn, deleted and saved on buffers that exist.
void TestRegionEdit::stepsAddedAtRunTime() {
    EditorWorld ew(64, 48, [](WizardPara& p) {
        p.detect_mode = kDetectMulti;
        p.multi_step_count = 2;
    });
    gDNum = 8;
    ew.w->regiOption->ChangeDetectNum(8);
    ew.w->regiOption->detectList()->setCurrentIndex(7);
    QCOMPARE(ew.step(), 7);
    ew.drawRect({100, 100}, {300, 300});
    ew.drawRect({400, 100}, {600, 300});
    QCOMPARE(ew.v->data.selectedRoi, 1);
    ew.world.prompter.queueAnswer(true);
    ew.editor->SlotDeleteROI();
    QCOMPARE(ew.count(), 1);
    ew.world.prompter.queueAnswer(true);
    ew.editor->SlotSaveData();
    QCOMPARE(ew.saved().count[7], 1);
}

void TestRegionEdit::zoomedTemplatePans_data() {
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QString>("start");  // where the drag starts: "empty", "region", "tool" (armed)
    QTest::addColumn<QPoint>("panned");
    QTest::addColumn<bool>("regionMoved");
    QTest::addColumn<int>("regions");
    QTest::newRow("zoomed, outside the regions: the picture pans")
        << 2.0 << "empty" << QPoint(400, 300) << false << 1;
    QTest::newRow("not zoomed: nothing pans") << 1.0 << "empty" << QPoint(0, 0) << false << 1;
    QTest::newRow("zoomed, on a region: the region moves") << 2.0 << "region" << QPoint(0, 0) << true << 1;
    QTest::newRow("zoomed, rectangle tool armed: a shape is drawn")
        << 2.0 << "tool" << QPoint(0, 0) << false << 2;
}

// On the enlarged template a drag that starts no drawing, move or resize pans the picture; one that
// does edits as at any zoom.
void TestRegionEdit::zoomedTemplatePans() {
    QFETCH(double, zoom);
    QFETCH(QString, start);
    QFETCH(QPoint, panned);
    QFETCH(bool, regionMoved);
    QFETCH(int, regions);
    EditorWorld ew;
    ew.drawRect({100, 100}, {300, 300});
    const QRect before = ew.work().rect[ew.step()][0].rect;
    ew.w->zoomScale = zoom;
    ew.w->zoomOffX = ew.w->zoomOffY = 0;
    if (start == "tool") ew.editor->SlotDrawRect();
    const QPoint a =
        start == "region" ? QPoint(400, 400) : QPoint(1000, 800);  // display (200, 200) is inside
    ew.touch.drag({a, a + QPoint(200, 150), a + QPoint(400, 300)});
    QCOMPARE(QPoint(int(ew.w->zoomOffX), int(ew.w->zoomOffY)), panned);
    QCOMPARE(ew.work().rect[ew.step()][0].rect != before, regionMoved);
    QCOMPARE(ew.count(), regions);
}

QTEST_MAIN(TestRegionEdit)
#include "tst_regionedit.moc"
