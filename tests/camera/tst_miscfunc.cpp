// Image helpers: conversions, shift and rotation, against hand values and OpenCV references.
#include <QtTest>
#include <opencv2/imgproc.hpp>

#include "detect/miscfunc.h"

namespace {
int pack(int b0, int b1, int b2) {
    return b0 | (b1 << 8) | (b2 << 16);
}
}  // namespace

class TestMiscFunc : public QObject {
    Q_OBJECT
private slots:
    void grey_data() {
        QTest::addColumn<int>("pixel");
        QTest::addColumn<int>("grey");
        QTest::newRow("white") << pack(255, 255, 255) << 254;
        QTest::newRow("black") << pack(0, 0, 0) << 0;
        QTest::newRow("byte 0 weighted as red") << pack(200, 0, 0) << int(200 * 1024 * 0.299) / 1024;
        QTest::newRow("mixed") << pack(10, 100, 250)
                               << (int(10 * 1024 * 0.299) + int(100 * 1024 * 0.587) +
                                   int(250 * 1024 * 0.114)) /
                                      1024;
    }
    void grey() {
        QFETCH(int, pixel);
        QFETCH(int, grey);
        int in[2] = {pixel, pixel};
        uchar out[2] = {1, 1};
        RGB2Gray(out, in, 2, 1);
        QCOMPARE(int(out[0]), grey);
        QCOMPARE(int(out[1]), grey);
        RGBA2Gray(out, in, 1, 1);
        QCOMPARE(int(out[0]), grey);
    }

    void hue_data() {
        QTest::addColumn<int>("c0");
        QTest::addColumn<int>("c1");
        QTest::addColumn<int>("c2");
        QTest::addColumn<int>("hue");
        QTest::newRow("red") << 255 << 0 << 0 << 0;
        QTest::newRow("green") << 0 << 255 << 0 << 85;
        QTest::newRow("blue") << 0 << 0 << 255 << 170;
        QTest::newRow("magenta") << 255 << 0 << 255 << 212;
        QTest::newRow("grey") << 128 << 128 << 128 << 0;
        QTest::newRow("black") << 0 << 0 << 0 << 0;
    }
    void hue() {
        QFETCH(int, c0);
        QFETCH(int, c1);
        QFETCH(int, c2);
        QFETCH(int, hue);
        QCOMPARE(int(RGB2HueByte(uchar(c0), uchar(c1), uchar(c2))), hue);
        int in = pack(c0, c1, c2);
        uchar out = 99;
        RGBA2Hue(&out, &in, 1, 1);
        QCOMPARE(int(out), hue);
    }

    void packing() {
        uchar rgb[6] = {10, 20, 30, 1, 2, 3};
        uchar rgba[8];
        memset(rgba, 0xFF, sizeof(rgba));
        RGB2RGBA(rgba, rgb, 2, 1);
        const uchar want[8] = {30, 20, 10, 0, 3, 2, 1, 0};
        QVERIFY(memcmp(rgba, want, 8) == 0);

        uchar g[2] = {7, 200};
        int px[2];
        Gray2RGBA(g, px, 2, 1);
        QCOMPARE(px[0], 7 * 65793);
        QCOMPARE(px[1], pack(200, 200, 200));

        uchar p0[2], p1[2], p2[2], joined[8];
        ExtractRGBA(p0, p1, p2, rgba, 2, 1);
        QCOMPARE(int(p0[1]), 3);
        QCOMPARE(int(p2[0]), 10);
        GenRGBA(p0, p1, p2, joined, 2, 1);
        QVERIFY(memcmp(joined, rgba, 8) == 0);

        uchar g8[2];
        Gray24To8(g8, rgb, 2, 1);
        QCOMPARE(int(g8[0]), 10);
        QCOMPARE(int(g8[1]), 1);
    }

    // A flat colour mosaic must demosaic back to that colour everywhere, borders included.
    void bayerFlat() {
        const int w = 8, h = 6;
        const uchar c0 = 200, g = 100, c2 = 30;
        std::vector<uchar> mosaic(w * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                mosaic[y * w + x] = (y % 2 == 0) ? (x % 2 == 0 ? g : c0) : (x % 2 == 0 ? c2 : g);
        std::vector<uchar> out(w * h * 4, 0xEE);
        Bayer2RGBA(mosaic.data(), out.data(), w, h);
        for (int i = 0; i < w * h; ++i) {
            QCOMPARE(int(out[i * 4]), int(c0));
            QCOMPARE(int(out[i * 4 + 1]), int(g));
            QCOMPARE(int(out[i * 4 + 2]), int(c2));
            QCOMPARE(int(out[i * 4 + 3]), 0);
        }
    }

    void moveImage_data() {
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::newRow("right 5, up 3") << 5 << -3;
        QTest::newRow("left 2, down 4") << -2 << 4;
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("beyond the image") << 40 << 0;
    }
    void moveImage() {
        QFETCH(int, dx);
        QFETCH(int, dy);
        cv::Mat src(20, 30, CV_8UC1);
        cv::randu(src, 1, 255);
        cv::Mat dst(20, 30, CV_8UC1, cv::Scalar(77));
        MoveImage(src, dst, dx, dy);
        // Reference: an integer translation with OpenCV, zero border.
        cv::Mat m = (cv::Mat_<double>(2, 3) << 1, 0, dx, 0, 1, dy);
        cv::Mat ref;
        cv::warpAffine(src, ref, m, src.size(), cv::INTER_NEAREST, cv::BORDER_CONSTANT, cv::Scalar(0));
        QCOMPARE(cv::norm(dst, ref, cv::NORM_INF), 0.0);
        if (dx == 5 && dy == -3) {
            QCOMPARE(cv::countNonZero(dst.colRange(0, 5)), 0);
            QCOMPARE(cv::countNonZero(dst.rowRange(17, 20)), 0);
        }
    }

    void moveImageHonoursStride() {
        cv::Mat src(4, 4, CV_8UC1, cv::Scalar(9));
        cv::Mat big(10, 10, CV_8UC1, cv::Scalar(5));
        cv::Mat roi = big(cv::Rect(2, 2, 4, 4));
        MoveImage(src, roi, 1, 0);
        QCOMPARE(int(big.at<uchar>(2, 2)), 0);
        QCOMPARE(int(big.at<uchar>(2, 3)), 9);
        QCOMPARE(int(big.at<uchar>(2, 6)), 5);  // outside the view: untouched
    }

    void transformIdentity() {
        cv::Mat src(40, 60, CV_8UC1);
        cv::randu(src, 0, 256);
        cv::Mat dst;
        TransformImage(src, dst, cv::Point(0, 0), cv::Point(30, 20), 0.0);
        QCOMPARE(dst.size(), src.size());
        QCOMPARE(cv::norm(dst, src, cv::NORM_INF), 0.0);
    }

    void transformRotate90() {
        // A centred square with a marked corner, rotated a quarter turn about the image centre.
        cv::Mat src = cv::Mat::zeros(61, 61, CV_8UC1);
        src(cv::Rect(20, 20, 21, 21)).setTo(200);
        src(cv::Rect(20, 20, 5, 5)).setTo(255);
        cv::Mat dst;
        TransformImage(src, dst, cv::Point(0, 0), cv::Point(30, 30), 90.0);
        cv::Mat ref;
        cv::rotate(src, ref, cv::ROTATE_90_COUNTERCLOCKWISE);
        cv::Mat diff;
        cv::absdiff(dst, ref, diff);
        QVERIFY2(cv::countNonZero(diff > 2) == 0, "rotation differs from cv::rotate");
    }

    void transformShiftThenRotate() {
        cv::Mat src = cv::Mat::zeros(50, 50, CV_8UC1);
        src.at<uchar>(10, 10) = 255;
        cv::Mat dst;
        TransformImage(src, dst, cv::Point(5, 7), cv::Point(25, 25), 0.0);
        QCOMPARE(int(dst.at<uchar>(17, 15)), 255);
        QCOMPARE(cv::countNonZero(dst), 1);
    }
};

QTEST_GUILESS_MAIN(TestMiscFunc)
#include "tst_miscfunc.moc"
