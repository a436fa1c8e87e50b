#include <QtTest>

#include <opencv2/imgproc.hpp>

#include "platform/vision/graymatch.h"
#include "scenes.h"

// A defect region as the evaluation sees it: a 60 x 50 crop of a moulded surface, trained on a few
// good shots, the deviation map opened with a k x k ellipse before it is measured.
namespace {
const cv::Size kRegion(60, 50);

cv::Mat noisy(const cv::Mat& clean, double sigma, unsigned seed) {
    cv::Mat img = clean.clone();
    scenes::Look look;
    look.noise = sigma;
    look.seed = seed;
    scenes::applyLook(img, look);
    return img;
}

GrayMatch trained(const cv::Mat& clean, const cv::Mat& mask, int sens, int mult, double noise,
                  int samples = 4) {
    GrayMatch gm;
    gm.Create(kRegion.width, kRegion.height, mask, 0);
    for (int i = 0; i < samples; ++i) gm.AddTemp(noisy(clean, noise, 100 + unsigned(i)));
    gm.Train(sens, mult, 100, 150);
    return gm;
}

cv::Mat opened(const cv::Mat& map, int k) {
    cv::Mat out;
    cv::morphologyEx(map, out, cv::MORPH_OPEN, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(k, k)));
    return out;
}

cv::Mat fullMask() {
    return cv::Mat(kRegion, CV_8U, cv::Scalar(255));
}
}  // namespace

class TestGrayMatch : public QObject {
    Q_OBJECT
private slots:
    void lifecycle();
    void rejectsWrongInput();
    void cleanPartGivesEmptyMap_data();
    void cleanPartGivesEmptyMap();
    void blob_data();
    void blob();
    void nothingOutsideMask();
    void positioningResidueVanishes();
    void bandFollowsSensAndMultiplier();
};

void TestGrayMatch::lifecycle() {
    GrayMatch gm;
    QVERIFY(!gm.IsValid());
    cv::Mat res = cv::Mat::zeros(kRegion, CV_8U);
    QCOMPARE(gm.Match(scenes::patch(kRegion, 1), res), -1);
    QCOMPARE(cv::countNonZero(res), 0);
    QVERIFY(gm.Create(kRegion.width, kRegion.height, fullMask(), 0));
    QVERIFY(!gm.Train(25, 0, 100, 150));  // no sample yet
    QVERIFY(!gm.IsValid());
    QVERIFY(gm.AddTemp(scenes::patch(kRegion, 1)));
    QVERIFY(gm.Train(25, 0, 100, 150));
    QVERIFY(gm.IsValid());
    QCOMPARE(gm.SampleCount(), 1);
    QCOMPARE(gm.Match(scenes::patch(kRegion, 1), res), 0);
    gm.Clear();
    QVERIFY(!gm.IsValid());
    QCOMPARE(gm.SampleCount(), 0);
}

void TestGrayMatch::rejectsWrongInput() {
    GrayMatch gm;
    QVERIFY(!gm.Create(0, 10, cv::Mat(), 0));
    QVERIFY(!gm.Create(60, 50, cv::Mat(10, 10, CV_8U, cv::Scalar(255)), 0));
    QVERIFY(gm.Create(60, 50, fullMask(), 0));
    QVERIFY(!gm.AddTemp(cv::Mat(49, 60, CV_8U, cv::Scalar(1))));
    QVERIFY(!gm.AddTemp(cv::Mat(50, 60, CV_8UC3, cv::Scalar(1))));
    QVERIFY(gm.AddTemp(scenes::patch(kRegion, 1)));
    QVERIFY(gm.Train(25, 1, 100, 150));
    cv::Mat res = cv::Mat::zeros(kRegion, CV_8U);
    QCOMPARE(gm.Match(cv::Mat(40, 40, CV_8U, cv::Scalar(0)), res), -1);
    QCOMPARE(res.size(), kRegion);
    QCOMPARE(cv::countNonZero(res), 0);
}

void TestGrayMatch::cleanPartGivesEmptyMap_data() {
    QTest::addColumn<double>("noise");
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("mult");
    QTest::newRow("quiet, one sample") << 1.0 << 1 << 0;
    QTest::newRow("noisy, four samples") << 5.0 << 4 << 1;
    QTest::newRow("noisy, ten samples, no multiplier") << 5.0 << 10 << 0;
}

void TestGrayMatch::cleanPartGivesEmptyMap() {
    QFETCH(double, noise);
    QFETCH(int, samples);
    QFETCH(int, mult);
    const cv::Mat clean = scenes::patch(kRegion, 7);
    const GrayMatch gm = trained(clean, fullMask(), 25, mult, noise, samples);
    for (unsigned seed = 1; seed <= 3; ++seed) {
        cv::Mat res = cv::Mat::zeros(kRegion, CV_8U);
        gm.Match(noisy(clean, noise, seed), res);
        QCOMPARE(cv::countNonZero(opened(res, 3)), 0);
    }
}

void TestGrayMatch::blob_data() {
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("sens");
    QTest::addColumn<bool>("found");
    QTest::newRow("+40, default sensitivity") << 40 << 25 << true;
    QTest::newRow("-40, default sensitivity") << -40 << 25 << true;
    QTest::newRow("+40, tolerance 60") << 40 << 60 << false;
    QTest::newRow("+15, default sensitivity") << 15 << 25 << false;
}

void TestGrayMatch::blob() {
    QFETCH(int, delta);
    QFETCH(int, sens);
    QFETCH(bool, found);
    const cv::Mat clean = scenes::patch(kRegion, 7);
    const GrayMatch gm = trained(clean, fullMask(), sens, 1, 4.0);
    cv::Mat img = noisy(clean, 4.0, 9);
    const cv::Rect blob(35, 8, 8, 8);  // on a smooth stretch of the patch
    cv::Mat roi = img(blob);
    roi.convertTo(roi, CV_8U, 1.0, delta);
    cv::Mat res = cv::Mat::zeros(kRegion, CV_8U);
    const int n = gm.Match(img, res);
    QCOMPARE(n, cv::countNonZero(res));
    cv::Mat bin;
    cv::threshold(res, bin, 0, 255, cv::THRESH_BINARY);
    QCOMPARE(cv::countNonZero(bin != res), 0);  // strictly 0 or 255
    const cv::Mat o = opened(res, 3);
    if (!found) {
        QCOMPARE(cv::countNonZero(o), 0);
        return;
    }
    QVERIFY2(cv::countNonZero(o(blob)) >= 48, qPrintable(QString::number(cv::countNonZero(o(blob)))));
    cv::Mat outside = o.clone();
    outside(cv::Rect(blob.x - 1, blob.y - 1, blob.width + 2, blob.height + 2)).setTo(0);
    QCOMPARE(cv::countNonZero(outside), 0);
}

void TestGrayMatch::nothingOutsideMask() {
    const cv::Mat clean = scenes::patch(kRegion, 7);
    cv::Mat mask = cv::Mat::zeros(kRegion, CV_8U);
    cv::circle(mask, cv::Point(20, 25), 18, cv::Scalar(255), cv::FILLED);
    const GrayMatch gm = trained(clean, mask, 25, 1, 3.0);
    cv::Mat img = noisy(clean, 3.0, 5);
    img(cv::Rect(45, 5, 10, 10)).setTo(255);  // outside the circle
    img(cv::Rect(15, 20, 6, 6)).setTo(0);     // inside it
    cv::Mat res = cv::Mat::zeros(kRegion, CV_8U);
    gm.Match(img, res);
    cv::Mat outsideMask;
    cv::bitwise_and(res, ~mask, outsideMask);
    QCOMPARE(cv::countNonZero(outsideMask), 0);
    QVERIFY(cv::countNonZero(res(cv::Rect(15, 20, 6, 6))) > 0);
}

void TestGrayMatch::positioningResidueVanishes() {
    // A high-contrast edge, learnt in place, seen one pixel off in x and y.
    cv::Mat clean(kRegion, CV_8U, cv::Scalar(60));
    cv::rectangle(clean, cv::Rect(20, 15, 25, 20), cv::Scalar(200), cv::FILLED);
    const GrayMatch gm = trained(clean, fullMask(), 25, 1, 2.0, 3);
    cv::Mat shifted(kRegion, CV_8U, cv::Scalar(60));
    cv::rectangle(shifted, cv::Rect(21, 16, 25, 20), cv::Scalar(200), cv::FILLED);
    shifted = noisy(shifted, 2.0, 3);
    cv::Mat res = cv::Mat::zeros(kRegion, CV_8U);
    gm.Match(shifted, res);
    QCOMPARE(cv::countNonZero(opened(res, 3)), 0);
    // Five pixels off is a real change.
    cv::Mat moved(kRegion, CV_8U, cv::Scalar(60));
    cv::rectangle(moved, cv::Rect(25, 15, 25, 20), cv::Scalar(200), cv::FILLED);
    gm.Match(moved, res);
    QVERIFY(cv::countNonZero(opened(res, 3)) >= 40);
}

void TestGrayMatch::bandFollowsSensAndMultiplier() {
    // Flat samples 100 and 110 (mean 105, deviation 5): the band is [105 - T, 105 + T] with
    // T = sens + mult * 5.
    GrayMatch gm;
    gm.Create(20, 20, cv::Mat(), 0);
    gm.AddTemp(cv::Mat(20, 20, CV_8U, cv::Scalar(100)));
    gm.AddTemp(cv::Mat(20, 20, CV_8U, cv::Scalar(110)));
    const int cases[][4] = {{25, 0, 80, 130}, {25, 2, 70, 140}, {0, 0, 105, 105}, {250, 4, 0, 255}};
    for (const auto& c : cases) {
        QVERIFY(gm.Train(c[0], c[1], 100, 150));
        QCOMPARE(int(gm.Lower().at<uchar>(10, 10)), c[2]);
        QCOMPARE(int(gm.Upper().at<uchar>(10, 10)), c[3]);
        cv::Mat res;
        QCOMPARE(gm.Match(cv::Mat(20, 20, CV_8U, cv::Scalar(c[3])), res), 0);
        if (c[3] < 255) QCOMPARE(gm.Match(cv::Mat(20, 20, CV_8U, cv::Scalar(c[3] + 1)), res), 400);
    }
}

QTEST_APPLESS_MAIN(TestGrayMatch)
#include "tst_graymatch.moc"
