#include <QPainter>
#include <QtTest>

#include "app/globals.h"
#include "app/lanstr.h"
#include "programdir.h"
#include "records/ngcomposition.h"
#include "records/savefialimagethread.h"

namespace {
constexpr int kW = 200, kH = 160;

bool isRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool isGreen(QRgb c) {
    return qGreen(c) > 200 && qRed(c) < 60 && qBlue(c) < 60;
}
int count(const QImage& img, const QRect& area, bool (*pred)(QRgb)) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += pred(img.pixel(x, y));
    return n;
}

QImage greyFrame() {
    QImage img(kW, kH, QImage::Format_Grayscale8);
    img.fill(40);
    return img;
}

FailRegionDraw rectRegion(bool ok, const QRect& r) {
    FailRegionDraw d;
    d.ok = ok;
    d.shape = FailRegionDraw::Shape::Rect;
    d.rect = r;
    d.limitText = "5";
    d.valueText = "7";
    return d;
}
}  // namespace

class TestNgComposition : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        loadLanguageTable();
        createFrameLocks();
    }
    void cleanupTestCase() { resetFailImageGlobals(); }

    void marksBoxesAndFirstNg_data();
    void marksBoxesAndFirstNg();
    void slotKeepsFirstNgAndStampsClearing_data();
    void slotKeepsFirstNgAndStampsClearing();
    void limitTexts();
    void templateBitmaps();
};

void TestNgComposition::marksBoxesAndFirstNg_data() {
    QTest::addColumn<bool>("okMark");
    QTest::newRow("NG picture") << false;
    QTest::newRow("OK picture of a failed step") << true;
}

void TestNgComposition::marksBoxesAndFirstNg() {
    QFETCH(bool, okMark);
    FailComposition c;
    c.okMark = okMark;
    c.regions << rectRegion(true, QRect(20, 120, 40, 30));   // region 1 OK
    c.regions << rectRegion(false, QRect(90, 120, 50, 35));  // region 2 NG, with an alarm box
    c.regions.last().alarmBoxes << FailAlarmBox{100, 128, 120, 143};
    c.regions << rectRegion(false, QRect(150, 120, 30, 30));  // region 3 NG
    FailRegionDraw ring;
    ring.ok = false;
    ring.shape = FailRegionDraw::Shape::Custom;
    ring.drawCustom = [](QPainter& p) { p.drawEllipse(QPoint(180, 20), 10, 10); };
    ring.anchor = QPoint(170, 10);
    c.regions << ring;
    int firstNg = -1;
    const QImage out = composeFailImage(greyFrame(), c, &firstNg);
    QCOMPARE(out.size(), QSize(kW, kH));
    QCOMPARE(out.format(), QImage::Format_RGB32);
    QCOMPARE(firstNg, 2);
    // The mark in its colour left of x 50 above the base line 80.
    const QRect mark(0, 50, 50, 32);
    QVERIFY(count(out, mark, okMark ? isGreen : isRed) > 20);
    QCOMPARE(count(out, mark, okMark ? isRed : isGreen), 0);
    // Outlines at the image coordinates given, whatever the mark.
    QVERIFY(isGreen(out.pixel(20, 135)));  // left edge of region 1
    QVERIFY(isRed(out.pixel(90, 140)));    // left edge of region 2
    QVERIFY(isRed(out.pixel(100, 135)));   // left edge of the alarm box
    QVERIFY(isRed(out.pixel(119, 135)));   // right edge: right - 1
    QVERIFY(!isRed(out.pixel(120, 135)));
    QVERIFY(isRed(out.pixel(190, 20)));      // the ring
    QCOMPARE(qRed(out.pixel(70, 157)), 40);  // untouched grey
}

void TestNgComposition::slotKeepsFirstNgAndStampsClearing_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("next");
    QTest::addColumn<bool>("stamped");
    QTest::newRow("skip") << 4 << 9 << true;
    QTest::newRow("add as template") << 5 << 9 << true;
    QTest::newRow("switch to mould") << 6 << 9 << true;
    QTest::newRow("re-detected") << 7 << 8 << true;
    QTest::newRow("OK re-detect") << 8 << 10 << true;
    QTest::newRow("alarm shown") << 3 << 3 << false;
    QTest::newRow("done") << 10 << 10 << false;
}

void TestNgComposition::slotKeepsFirstNgAndStampsClearing() {
    QFETCH(int, state);
    QFETCH(int, next);
    QFETCH(bool, stamped);
    gLan = 1;
    allocateFailImages(1, kW, kH);
    QImage black(kW, kH, QImage::Format_RGB32);
    black.fill(Qt::black);
    QVERIFY(storeFailImage(0, 2, 0, black, 1));
    QVERIFY(storeFailImage(0, 2, 0, black, 3));  // a later NG region does not replace the first
    QCOMPARE(gFailIndex[2], 1);
    QVERIFY(!storeFailImage(0, 2, 0, QImage(10, 10, QImage::Format_RGB32)));  // wrong size
    QVERIFY(!storeFailImage(1, 2, 0, black));                                 // camera without slots
    QCOMPARE(stampFailImage(0, 2, 0, state), next);
    const QImage after = failImageCopy(0, 2, 0);
    QCOMPARE(count(after, QRect(55, 50, 140, 32), isRed) > 20, stamped);
    QCOMPARE(count(after, QRect(0, 0, 55, kH), isRed), 0);
    {
        QMutexLocker lock(pMutexSaveFail);
        QCOMPARE(int(gisSaveFail[failSlot(0, 2, 0)]), 0);  // handing over is the decision's business
    }
}

void TestNgComposition::limitTexts() {
    QCOMPARE(failLimitText(0, false, 30, 5, 100), QString("30"));
    QCOMPARE(failLimitText(0, true, 30, 5, 100), QString("100"));
    QCOMPARE(failLimitText(6, false, 30, 5, 100), QString("5"));
    QCOMPARE(failLimitText(1, false, 30, 5, 100), QString("5--100"));
    QCOMPARE(failLimitText(4, false, 30, 5, 100), QString("100"));
}

void TestNgComposition::templateBitmaps() {
    ProgramDir dir;
    QByteArray grey(16 * 8, 0);
    for (int i = 0; i < grey.size(); ++i) grey[i] = char(i);
    QVERIFY(saveTemplateBitmap("cammer11/template0.bmp", reinterpret_cast<const uchar*>(grey.constData()), 16,
                               8, true) == false);  // folder missing: reported
    QVERIFY(QDir().mkdir("cammer11"));
    QVERIFY(saveTemplateBitmap("cammer11/template0.bmp", reinterpret_cast<const uchar*>(grey.constData()), 16,
                               8, true));
    QImage g("cammer11/template0.bmp");
    QCOMPARE(g.format(), QImage::Format_Indexed8);
    QCOMPARE(g.colorCount(), 256);
    QCOMPARE(g.color(77), qRgb(77, 77, 77));
    QCOMPARE(qGray(g.pixel(5, 2)), 2 * 16 + 5);
    QImage colour(16, 8, QImage::Format_RGB32);
    colour.fill(qRgb(10, 200, 30));
    QVERIFY(saveTemplateBitmap("cammer11/template1.bmp", colour.constBits(), 16, 8, false));
    QImage c("cammer11/template1.bmp");
    QCOMPARE(c.depth(), 32);
    QCOMPARE(c.pixel(3, 3), qRgb(10, 200, 30));
}

QTEST_MAIN(TestNgComposition)
#include "tst_ngcomposition.moc"
