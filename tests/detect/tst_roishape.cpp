#include <QtTest>
#include <memory>
#include <utility>
#include <opencv2/imgproc.hpp>
#include <random>

#include "app/globals.h"
#include "app/imageglobals.h"
#include "detect/roishape.h"

Q_DECLARE_METATYPE(QVector<QPoint>)

namespace {
void setDisplay(int imageW, int imageH) {
    gShowW = 1725;
    gShowH = 982;
    setImageGeometry(imageW, imageH, false);
}

ClustomRect makeRect(int x1, int y1, int x2, int y2, bool selected = true) {
    ClustomRect r;
    r.rect.setCoords(x1, y1, x2, y2);
    r.selected = selected;
    return r;
}

// Reference mask: the per-pixel test over the box.
cv::Mat referenceMask(const QVector<QPoint>& pts, const QRect& box) {
    std::vector<cv::Point> contour;
    for (const QPoint& p : pts) contour.emplace_back(p.x(), p.y());
    cv::Mat m = cv::Mat::zeros(box.height(), box.width(), CV_8UC1);
    for (int i = 0; i < m.rows; ++i)
        for (int j = 0; j < m.cols; ++j)
            if (cv::pointPolygonTest(contour, cv::Point2f(float(box.left() + j), float(box.top() + i)),
                                     false) > 0)
                m.at<uchar>(i, j) = 255;
    return m;
}

QVector<QPoint> randomPolygon(std::mt19937& rng, int n, int span, bool star) {
    QVector<QPoint> pts;
    std::uniform_int_distribution<int> coord(5, 5 + span);
    if (!star) {
        for (int i = 0; i < n; ++i) pts << QPoint(coord(rng), coord(rng));
        return pts;
    }
    std::uniform_real_distribution<double> rad(0.2, 1.0);
    for (int i = 0; i < n; ++i) {
        const double a = 2 * M_PI * i / n, r = rad(rng) * span / 2;
        pts << QPoint(int(std::lround(5 + span / 2 + r * std::cos(a))),
                      int(std::lround(5 + span / 2 + r * std::sin(a))));
    }
    return pts;
}
}  // namespace

class TestRoiShape : public QObject {
    Q_OBJECT
private slots:
    void init() { setDisplay(1725, 982); }
    void cleanupTestCase() {
        resetImageGlobals();
        resetAppGlobals();
    }

    void helpers();
    void rectHandles_data();
    void rectHandles();
    void rectResize();
    void ringHandles_data();
    void ringHandles();
    void ringLimits();
    void ringStaysInsideImage_data();
    void ringStaysInsideImage();
    void ringMask();
    void rectImageGeometry_data();
    void rectImageGeometry();
    void polygonHitAndDrag();
    void polygonBounds();
    void polygonMaskMatchesPointTest_data();
    void polygonMaskMatchesPointTest();
    void shapesCompare();
};

void TestRoiShape::helpers() {
    QVERIFY(PointAround(QPoint(10, 10), QPoint(12, 12), 1));  // tolerance raised to 3
    QVERIFY(!PointAround(QPoint(10, 10), QPoint(13, 10), 1));
    QVERIFY(LineAround(0, 49, 500));  // tolerance limited to 50
    QVERIFY(!LineAround(0, 50, 500));
    QVERIFY(LineAround(5, 6, 7, 7, 9, 3));
    QVERIFY(!LineAround(5, 6, 10, 7, 9, 3));
    int v = 2;
    CheckInRange(&v, 1);
    QCOMPARE(v, 3);
    v = 1723;
    CheckInRange(&v, 1);
    QCOMPARE(v, 1722);
    v = 980;
    CheckInRange(&v, 0);
    QCOMPARE(v, 979);
    QRect r(QPoint(-10, 5), QPoint(100, 50));
    CheckInRange(&r, true);
    QCOMPARE(r, QRect(QPoint(3, 5), QPoint(113, 50)));
    r.setCoords(1750, 990, 1600, 900);  // reversed corners, past the right and bottom edges
    CheckInRange(&r, true);
    QCOMPARE(r, QRect(QPoint(1572, 889), QPoint(1722, 979)));
    r = QRect(QPoint(-10, 5), QPoint(1800, 50));
    CheckInRange(&r, false);
    QCOMPARE(r, QRect(QPoint(3, 5), QPoint(1722, 50)));
}

void TestRoiShape::rectHandles_data() {
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QPoint>("p");
    QTest::addColumn<int>("handle");
    const QRect big(QPoint(100, 100), QPoint(499, 399));
    QTest::newRow("unselected") << big << false << QPoint(100, 100) << -1;
    QTest::newRow("top-left corner") << big << true << QPoint(110, 110) << 0;
    QTest::newRow("top-right corner") << big << true << QPoint(490, 95) << 2;
    QTest::newRow("bottom-left corner") << big << true << QPoint(100, 399) << 5;
    QTest::newRow("bottom-right corner") << big << true << QPoint(519, 419) << -1;  // 20 away: outside
    QTest::newRow("bottom-right inside tol") << big << true << QPoint(518, 418) << 7;
    QTest::newRow("left edge") << big << true << QPoint(140, 250) << 3;
    QTest::newRow("right edge") << big << true << QPoint(520, 250) << 4;
    QTest::newRow("top edge") << big << true << QPoint(300, 140) << 1;
    QTest::newRow("bottom edge") << big << true << QPoint(300, 370) << 6;
    QTest::newRow("400 wide: tol 50") << big << true << QPoint(150, 250) << -1;
    QTest::newRow("400 wide: 49 off") << big << true << QPoint(149, 250) << 3;
    const QRect w40(QPoint(100, 100), QPoint(139, 599));  // 40 wide: tolerance 10
    QTest::newRow("40 wide: 9 off") << w40 << true << QPoint(109, 300) << 3;
    QTest::newRow("40 wide: 10 off") << w40 << true << QPoint(110, 300) << -1;
    const QRect w8(QPoint(100, 100), QPoint(107, 599));  // 8 wide: tolerance raised to 3
    QTest::newRow("8 wide: 2 off") << w8 << true << QPoint(98, 300) << 3;
    QTest::newRow("8 wide: 3 off") << w8 << true << QPoint(97, 300) << -1;
    QTest::newRow("edge outside span") << big << true << QPoint(140, 450) << -1;
}

void TestRoiShape::rectHandles() {
    QFETCH(QRect, rect);
    QFETCH(bool, selected);
    QFETCH(QPoint, p);
    QFETCH(int, handle);
    ClustomRect r = makeRect(rect.left(), rect.top(), rect.right(), rect.bottom(), selected);
    int h = 99;
    QCOMPARE(r.PtInCtrl(p, &h), handle >= 0);
    QCOMPARE(h, handle);
}

void TestRoiShape::rectResize() {
    ClustomRect r = makeRect(100, 100, 200, 200);
    r.Resize(0, QPoint(0, 0), QPoint(5, -7));
    QCOMPARE(r.rect, QRect(QPoint(105, 93), QPoint(200, 200)));
    QCOMPARE(r.dx, 5);
    QCOMPARE(r.dy, -7);
    r.Resize(6, QPoint(0, 0), QPoint(30, 11));  // bottom edge: only y2 and dy
    QCOMPARE(r.rect, QRect(QPoint(105, 93), QPoint(200, 211)));
    QCOMPARE(r.dx, 5);
    QCOMPARE(r.dy, 11);
    r.Resize(8, QPoint(0, 0), QPoint(30, 30));
    QCOMPARE(r.rect, QRect(QPoint(105, 93), QPoint(200, 211)));
    QVERIFY(r.Contains(QPoint(85, 231)));
    QVERIFY(!r.Contains(QPoint(84, 231)));
}

void TestRoiShape::ringHandles_data() {
    QTest::addColumn<QPoint>("p");
    QTest::addColumn<int>("handle");
    // centre (500, 400), r 100
    QTest::newRow("below centre") << QPoint(505, 500) << 1;
    QTest::newRow("above centre") << QPoint(495, 300) << 6;
    QTest::newRow("left") << QPoint(400, 410) << 3;
    QTest::newRow("right") << QPoint(600, 390) << 4;
    QTest::newRow("lower left") << QPoint(430, 470) << 0;
    QTest::newRow("upper left") << QPoint(430, 330) << 5;
    QTest::newRow("lower right") << QPoint(570, 470) << 2;
    QTest::newRow("upper right") << QPoint(570, 330) << 7;
    QTest::newRow("inside band edge") << QPoint(500, 520) << 1;
    QTest::newRow("beyond band") << QPoint(500, 521) << -1;
    QTest::newRow("centre") << QPoint(500, 400) << -1;
}

void TestRoiShape::ringHandles() {
    QFETCH(QPoint, p);
    QFETCH(int, handle);
    Circle c;
    c.cx = 500;
    c.cy = 400;
    c.r = 100;
    c.UpdateRect();
    int h = 99;
    QVERIFY(!c.PtInCtrl(p, &h));
    QCOMPARE(h, -1);
    c.selected = true;
    QCOMPARE(c.PtInCtrl(p, &h), handle >= 0);
    QCOMPARE(h, handle);
}

void TestRoiShape::ringLimits() {
    Circle c;
    QCOMPARE(c.cx, 0);
    QCOMPARE(c.r, 0);
    QCOMPARE(c.rect, QRect());
    c.cx = 30;
    c.cy = 200;
    c.r = 50;
    c.rIn = 80;
    c.UpdateRect();
    QCOMPARE(c.r, 30);
    QCOMPARE(c.rIn, 30);  // cut to the outer radius, also after the outer one shrank
    QCOMPARE(c.rect, QRect(QPoint(0, 170), QPoint(59, 229)));
    c.cx = 1700;  // right edge: 25 pixels left
    c.Resize(0, QPoint(), QPoint(1700, 300));
    QCOMPARE(c.r, 25);
    QVERIFY(c.rect.right() < gShowW);
    c.rect.setCoords(100, 100, 299, 179);
    c.UpdateAll();
    QCOMPARE(c.r, 40);
    QCOMPARE(c.cx, 140);
    QCOMPARE(c.cy, 140);
}

void TestRoiShape::ringStaysInsideImage_data() {
    QTest::addColumn<int>("imageW");
    QTest::addColumn<int>("imageH");
    QTest::addColumn<QPoint>("centre");
    QTest::addColumn<int>("r");
    QTest::newRow("1280x1024 right edge") << 1280 << 1024 << QPoint(1622, 500) << 100;
    QTest::newRow("1280x1024 bottom") << 1280 << 1024 << QPoint(800, 960) << 21;
    QTest::newRow("640x480 corner") << 640 << 480 << QPoint(1700, 960) << 20;
    QTest::newRow("2592x1944") << 2592 << 1944 << QPoint(1680, 940) << 40;
}

void TestRoiShape::ringStaysInsideImage() {
    QFETCH(int, imageW);
    QFETCH(int, imageH);
    QFETCH(QPoint, centre);
    QFETCH(int, r);
    setDisplay(imageW, imageH);
    Circle c;
    c.cx = centre.x();
    c.cy = centre.y();
    c.r = r;
    c.rIn = r;
    c.UpdateRect();
    c.setImageRect();
    QVERIFY(c.imgRect.left() >= 0 && c.imgRect.top() >= 0);
    QVERIFY2(c.imgRect.right() < imageW, qPrintable(QString::number(c.imgRect.right())));
    QVERIFY(c.imgRect.bottom() < imageH);
    QVERIFY(c.imgRIn <= c.imgR);
    const cv::Mat m = c.UpdateMask();
    QCOMPARE(m.cols, c.imgRect.width());
    QCOMPARE(m.rows, c.imgRect.height());
}

void TestRoiShape::ringMask() {
    setDisplay(1280, 1024);  // non-integer ratios
    Circle c;
    c.cx = 600;
    c.cy = 500;
    c.r = 80;
    c.rIn = 0;
    c.UpdateRect();
    c.setImageRect();
    QCOMPARE(c.imgR, int(std::lround((80 / gShowAW + 80 / gShowAH) * 0.5f)));
    QCOMPARE(c.imgCx, int(600 / gShowAW));
    cv::Mat m = c.UpdateMask();
    QCOMPARE(m.rows, 2 * c.imgR);
    QCOMPARE(m.cols, 2 * c.imgR);
    QCOMPARE(int(m.at<uchar>(c.imgR, c.imgR)), 255);  // centre set with no inner circle
    QCOMPARE(int(m.at<uchar>(c.imgR, 0)), 0);         // the outer edge is excluded
    QCOMPARE(int(m.at<uchar>(c.imgR, 1)), 255);
    c.rIn = 80;
    c.setImageRect();
    QCOMPARE(cv::countNonZero(c.UpdateMask()), 0);
    c.rIn = 40;
    c.setImageRect();
    m = c.UpdateMask();
    QCOMPARE(int(m.at<uchar>(c.imgR, c.imgR)), 0);
    QCOMPARE(int(m.at<uchar>(c.imgR, c.imgR - c.imgRIn)), 255);  // inner edge included
    QCOMPARE(int(m.at<uchar>(c.imgR, c.imgR - c.imgRIn + 1)), 0);
}

void TestRoiShape::rectImageGeometry_data() {
    QTest::addColumn<int>("imageW");
    QTest::addColumn<int>("imageH");
    QTest::newRow("same size") << 1725 << 982;
    QTest::newRow("1280x1024") << 1280 << 1024;
    QTest::newRow("2592x1944") << 2592 << 1944;
    QTest::newRow("640x480") << 640 << 480;
}

void TestRoiShape::rectImageGeometry() {
    QFETCH(int, imageW);
    QFETCH(int, imageH);
    setDisplay(imageW, imageH);
    ClustomRect r = makeRect(101, 57, 333, 250);
    r.setImageRect();
    const int x = int(std::lround(101 / gShowAW)), y = int(std::lround(57 / gShowAH));
    const int w = int(std::lround(233 / gShowAW)), h = int(std::lround(194 / gShowAH));
    QCOMPARE(r.imgRect, QRect(x, y, w, h));
    const cv::Mat m = r.UpdateMask();
    QCOMPARE(m.cols, w);
    QCOMPARE(m.rows, h);
    QCOMPARE(cv::countNonZero(m), w * h);
}

void TestRoiShape::polygonHitAndDrag() {
    const QPoint narrow[] = {QPoint(100, 100), QPoint(159, 100), QPoint(159, 300), QPoint(100, 300)};
    auto p = std::make_unique<RePolygon>(4, narrow);
    p->setImageRect();
    QPoint q(101, 101);
    QVERIFY(p->Contains(q));  // 59 wide: the bounding rectangle counts, corner included
    q = QPoint(80, 80);
    QVERIFY(p->Contains(q));  // inside the 20-pixel margin
    const QPoint wide[] = {QPoint(100, 100), QPoint(160, 100), QPoint(160, 300), QPoint(100, 300)};
    *p = RePolygon(4, wide);
    p->setImageRect();
    q = QPoint(100, 150);
    QVERIFY(!p->Contains(q));  // on the outline
    q = QPoint(101, 150);
    QVERIFY(p->Contains(q));
    q = QPoint(80, 80);
    QVERIFY(!p->Contains(q));

    int h = 7;
    QVERIFY(!p->PtInCtrl(QPoint(160, 100), &h));
    QCOMPARE(h, -1);
    p->selected = true;
    QVERIFY(p->PtInCtrl(QPoint(170, 110), &h));
    QCOMPARE(h, 1);

    // A drag to x = 2 does not move the vertex; a drag inside moves it and its image vertex.
    p->Resize(0, QPoint(10, 10), QPoint(-88, 10), gShowAW, gShowAH);
    QCOMPARE(p->pts[0], QPoint(100, 100));
    QCOMPARE(p->dx, -98);
    p->Resize(0, QPoint(10, 10), QPoint(-87, 10), gShowAW, gShowAH);
    QCOMPARE(p->pts[0], QPoint(3, 100));
    QCOMPARE(p->imgPts[0], QPoint(3, 100));
}

void TestRoiShape::polygonBounds() {
    const QPoint tri[] = {QPoint(10, 10), QPoint(60, 10), QPoint(30, 40)};
    auto p = std::make_unique<RePolygon>(3, tri);
    p->setImageRect();
    QCOMPARE(p->imgRect, QRect(QPoint(10, 10), QPoint(59, 39)));
    QCOMPARE(p->rect, QRect(QPoint(-10, -10), QPoint(59, 39)));
    const QPoint one[] = {QPoint(50, 70)};
    *p = RePolygon(1, one);
    p->setImageRect();
    QVERIFY(p->imgRect.isEmpty());
    QVERIFY(p->UpdateMask().empty());
    QCOMPARE(p->rect, QRect(QPoint(30, 50), QPoint(49, 69)));
}

void TestRoiShape::polygonMaskMatchesPointTest_data() {
    QTest::addColumn<QVector<QPoint>>("pts");
    QTest::newRow("triangle") << QVector<QPoint>{{10, 10}, {60, 10}, {30, 40}};
    QTest::newRow("square") << QVector<QPoint>{{5, 5}, {40, 5}, {40, 40}, {5, 40}};
    QTest::newRow("concave") << QVector<QPoint>{{5, 5}, {50, 5}, {50, 50}, {30, 20}, {5, 50}};
    QTest::newRow("spike vertex touching a row")
        << QVector<QPoint>{{5, 5}, {60, 5}, {60, 40}, {33, 20}, {30, 40}, {5, 40}};
    QTest::newRow("horizontal steps")
        << QVector<QPoint>{{5, 5}, {20, 5}, {20, 15}, {35, 15}, {35, 5}, {50, 5}, {50, 30}, {5, 30}};
    QTest::newRow("self-intersecting bow tie") << QVector<QPoint>{{5, 5}, {45, 40}, {45, 5}, {5, 40}};
    QTest::newRow("pentagram") << QVector<QPoint>{{30, 3}, {48, 57}, {2, 22}, {58, 22}, {12, 57}};
    QTest::newRow("collinear and repeated")
        << QVector<QPoint>{{5, 5}, {5, 5}, {20, 5}, {40, 5}, {40, 30}, {40, 30}, {5, 30}};
    QTest::newRow("thin sliver") << QVector<QPoint>{{5, 5}, {80, 7}, {6, 8}};
    QTest::newRow("segment") << QVector<QPoint>{{5, 5}, {40, 30}};
    std::mt19937 rng(1234);
    for (int i = 0; i < 6; ++i)
        QTest::newRow(qPrintable(QString("random %1").arg(i))) << randomPolygon(rng, 5 + 3 * i, 90, false);
    for (int i = 0; i < 4; ++i)
        QTest::newRow(qPrintable(QString("star %1").arg(i))) << randomPolygon(rng, 40 + 80 * i, 150, true);
}

void TestRoiShape::polygonMaskMatchesPointTest() {
    QFETCH(QVector<QPoint>, pts);
    auto p = std::make_unique<RePolygon>();
    p->count = pts.size();
    for (int i = 0; i < pts.size(); ++i) p->imgPts[i] = pts[i];
    p->BoundingRect();
    const cv::Mat got = p->UpdateMask();
    QCOMPARE(got.rows, p->imgRect.height());
    QCOMPARE(got.cols, p->imgRect.width());
    const cv::Mat want = referenceMask(pts, p->imgRect);
    QCOMPARE(cv::countNonZero(got != want), 0);
    // A box wider than the polygon (the outline and the outside included).
    const QRect wide = p->imgRect.adjusted(-3, -3, 3, 3);
    const cv::Mat gotWide = PolygonMask(pts.constData(), pts.size(), wide);
    QCOMPARE(cv::countNonZero(gotWide != referenceMask(pts, wide)), 0);
}

void TestRoiShape::shapesCompare() {
    // Rectangles and rings are compared byte by byte: their constructors zero their padding.
    ClustomRect r1, r2;
    QCOMPARE(std::memcmp(&r1, &r2, sizeof(ClustomRect)), 0);
    Circle c1, c2;
    QCOMPARE(std::memcmp(&c1, &c2, sizeof(Circle)), 0);
    r2.selected = true;
    QVERIFY(std::memcmp(&r1, &r2, sizeof(ClustomRect)) != 0);

    // Polygons compare as the vertex arrays they stand for: a vertex never written reads (0, 0), an
    // index outside the array reads (0, 0) and writes nowhere.
    RePolygon a, b;
    QVERIFY(a == b);
    b.pts[5] = QPoint();
    QVERIFY(a == b);
    QCOMPARE(std::as_const(b).pts[3], QPoint());
    QCOMPARE(b.pts.first(8)[7], QPoint());
    b.pts[kMaxPolygonPoints] = QPoint(9, 9);
    b.pts[-1] = QPoint(9, 9);
    QVERIFY(a == b);
    QCOMPARE(std::as_const(b).pts[kMaxPolygonPoints], QPoint());
    b.imgPts[kMaxPolygonPoints - 1] = QPoint(1, 0);
    QVERIFY(a != b);
    a = b;
    QVERIFY(a == b);
    a.selected = true;
    QVERIFY(a != b);
}

QTEST_GUILESS_MAIN(TestRoiShape)
#include "tst_roishape.moc"
