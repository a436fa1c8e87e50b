// Template, ignore-mask and test-picture reading of the camera views: size and depth checks, format
// conversion and row-by-row copies (no over-read, no skewed rows).
#include <QImage>
#include <QtTest>

#include "app/imageglobals.h"
#include "inspection/cammerwidget.h"
#include "inspection/mainwindow.h"
#include "programdir.h"

namespace {
QImage greyPicture(int w, int h) {
    QImage img(w, h, QImage::Format_Indexed8);
    QVector<QRgb> table(256);
    for (int i = 0; i < 256; ++i) table[i] = qRgb(i, i, i);
    img.setColorTable(table);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.scanLine(y)[x] = uchar((x * 7 + y * 13) & 0xFF);
    return img;
}
QImage colourPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x + y) & 0xFF));
    return img;
}
}  // namespace

class TestViewImages : public QObject {
    Q_OBJECT
private slots:
    void init() { resetImageGlobals(); }
    void templateDepthAndSize_data();
    void templateDepthAndSize();
    void syntheticMasterBounds();
    void ignoreMaskAnyDepth();
    void testPictureConvertedToFrameFormat_data();
    void testPictureConvertedToFrameFormat();
};

void TestViewImages::templateDepthAndSize_data() {
    QTest::addColumn<bool>("colour");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("width");  // odd widths have padded scan lines
    QTest::addColumn<int>("imageW");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("grey 8-bit, padded rows") << false << "grey" << 37 << 37 << true;
    QTest::newRow("grey 8-bit, width multiple of 4") << false << "grey" << 40 << 40 << true;
    QTest::newRow("32-bit while grey processing") << false << "colour" << 37 << 37 << false;
    QTest::newRow("colour 32-bit") << true << "colour" << 37 << 37 << true;
    QTest::newRow("8-bit while colour processing") << true << "grey" << 37 << 37 << false;
    QTest::newRow("wrong size") << false << "grey" << 36 << 37 << false;
    QTest::newRow("missing") << false << "none" << 37 << 37 << false;
}

void TestViewImages::templateDepthAndSize() {
    QFETCH(bool, colour);
    QFETCH(QString, kind);
    QFETCH(int, width);
    QFETCH(int, imageW);
    QFETCH(bool, accepted);
    ProgramDir dir;
    setImageGeometry(imageW, 21, colour);
    QImage img = kind == "grey" ? greyPicture(width, 21) : colourPicture(width, 21);
    if (kind != "none") QVERIFY(img.save("t.bmp"));
    cv::Mat out;
    QCOMPARE(loadTemplateImage("t.bmp", out), accepted);
    if (!accepted) {
        QVERIFY(out.empty());
        return;
    }
    QCOMPARE(out.cols, imageW);
    QCOMPARE(out.channels(), colour ? 4 : 1);
    for (int y : {0, 10, 20})
        for (int x : {0, 17, imageW - 1}) {
            if (colour) {
                const cv::Vec4b px = out.at<cv::Vec4b>(y, x);
                QCOMPARE(int(px[2]), x & 0xFF);  // B, G, R order
                QCOMPARE(int(px[1]), y & 0xFF);
            } else {
                QCOMPARE(int(out.at<uchar>(y, x)), (x * 7 + y * 13) & 0xFF);
            }
        }
}

void TestViewImages::syntheticMasterBounds() {
    setImageGeometry(1920, 1080, false);
    cv::Mat m;
    makeSyntheticMaster(m);
    QCOMPARE(cv::countNonZero(m), (1440 - 480 + 1) * (810 - 270 + 1));
    QCOMPARE(int(m.at<uchar>(270, 480)), 255);
    QCOMPARE(int(m.at<uchar>(810, 1440)), 255);
    QCOMPARE(int(m.at<uchar>(269, 480)), 0);
    QCOMPARE(int(m.at<uchar>(270, 479)), 0);
    QCOMPARE(int(m.at<uchar>(811, 1440)), 0);
    QCOMPARE(int(m.at<uchar>(810, 1441)), 0);
}

void TestViewImages::ignoreMaskAnyDepth() {
    ProgramDir dir;
    setImageGeometry(33, 9, false);
    // 8-bit: byte for byte.
    QImage grey = greyPicture(33, 9);
    QVERIFY(grey.save("grey.bmp"));
    cv::Mat out;
    QVERIFY(loadIgnoreMask("grey.bmp", out));
    QCOMPARE(int(out.at<uchar>(8, 32)), (32 * 7 + 8 * 13) & 0xFF);
    // 1-bit of the right size: converted, never read as bytes.
    QImage mono(33, 9, QImage::Format_Mono);
    mono.fill(0);
    mono.setPixel(5, 3, 1);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    QVERIFY(mono.save("mono.bmp"));
    QVERIFY(loadIgnoreMask("mono.bmp", out));
    QCOMPARE(cv::countNonZero(out), 1);
    QVERIFY(out.at<uchar>(3, 5) != 0);
    // Missing or mis-sized: not loaded.
    QVERIFY(!loadIgnoreMask("none.bmp", out));
    QVERIFY(greyPicture(32, 9).save("small.bmp"));
    QVERIFY(!loadIgnoreMask("small.bmp", out));
}

void TestViewImages::testPictureConvertedToFrameFormat_data() {
    QTest::addColumn<bool>("colour");
    QTest::addColumn<bool>("greyFile");
    QTest::newRow("8-bit picture, colour processing") << true << true;
    QTest::newRow("32-bit picture, grey processing") << false << false;
    QTest::newRow("8-bit picture, grey processing") << false << true;
}

void TestViewImages::testPictureConvertedToFrameFormat() {
    QFETCH(bool, colour);
    QFETCH(bool, greyFile);
    ProgramDir dir;
    setImageGeometry(41, 7, colour);
    QImage img = greyFile ? greyPicture(41, 7) : colourPicture(41, 7);
    QVERIFY(img.save("p.bmp"));
    PictureBuffer buffer(size_t(gColorLen) + 16, 0xAB);  // guard bytes after the frame
    QVERIFY(loadTestPicture("p.bmp", buffer));
    for (size_t i = size_t(gColorLen); i < buffer.size(); ++i) QCOMPARE(int(buffer[i]), 0xAB);
    const QImage expect = img.convertToFormat(colour ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    const int bpp = colour ? 4 : 1;
    QCOMPARE(memcmp(buffer.data() + 6 * 41 * bpp, expect.constScanLine(6), size_t(41 * bpp)), 0);
    // Another size leaves the buffer alone.
    QVERIFY(greyPicture(40, 7).save("q.bmp"));
    PictureBuffer untouched(size_t(gColorLen), 7);
    QVERIFY(!loadTestPicture("q.bmp", untouched));
    QCOMPARE(int(untouched[0]), 7);
}

QTEST_MAIN(TestViewImages)
#include "tst_viewimages.moc"
