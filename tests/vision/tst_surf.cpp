#include <QtTest>

#include <opencv2/imgproc.hpp>

#include "platform/vision/surf.h"
#include "scenes.h"

namespace {
const cv::Size kRegion(64, 48);

SURF trained(const std::vector<cv::Mat>& samples, const cv::Mat& mask = cv::Mat()) {
    SURF s;
    s.Create(kRegion.width, kRegion.height, mask);
    for (const cv::Mat& m : samples) s.AddTemp(m.clone(), 1, 50, 80);
    s.Train(0, 0, 0, 0);
    return s;
}

cv::Mat look(const cv::Mat& img, double gain, double offset, double noise, unsigned seed = 3) {
    cv::Mat out = img.clone();
    scenes::Look l;
    l.gain = gain;
    l.offset = offset;
    l.noise = noise;
    l.seed = seed;
    scenes::applyLook(out, l);
    return out;
}
}  // namespace

class TestSurf : public QObject {
    Q_OBJECT
private slots:
    void untrainedScoresZero();
    void identicalScores100();
    void scores_data();
    void scores();
    void mapMarksChangedPixels();
};

void TestSurf::untrainedScoresZero() {
    SURF s;
    QVERIFY(!s.IsValid());
    cv::Mat img = scenes::patch(kRegion, 1), res = cv::Mat::zeros(kRegion, CV_8U);
    QCOMPARE(s.Match(img, res), 0.f);
    s.Create(kRegion.width, kRegion.height, cv::Mat());
    QVERIFY(!s.Train(0, 0, 0, 0));
    QVERIFY(!s.IsValid());
    s = trained({img});
    QVERIFY(s.IsValid());
    cv::Mat wrong(10, 10, CV_8U, cv::Scalar(0));
    QCOMPARE(s.Match(wrong, res), 0.f);
    s.Clear();
    QVERIFY(!s.IsValid());
}

void TestSurf::identicalScores100() {
    // The caller truncates the score: an identical crop must give exactly 100, so that a minimum
    // score of 100 passes it. Small and large regions, textured and flat, with and without mask.
    for (const cv::Size size : {cv::Size(8, 6), kRegion, cv::Size(200, 200)}) {
        for (unsigned seed : {1u, 2u}) {
            const cv::Mat img = scenes::patch(size, seed);
            SURF s;
            s.Create(size.width, size.height, cv::Mat());
            s.AddTemp(img.clone(), 1, 50, 80);
            s.Train(0, 0, 0, 0);
            cv::Mat copy = img.clone(), res = cv::Mat::zeros(size, CV_8U);
            QCOMPARE(int(s.Match(copy, res)), 100);
            QCOMPARE(cv::countNonZero(res), 0);
        }
    }
    cv::Mat flat(kRegion, CV_8U, cv::Scalar(90)), res;
    QCOMPARE(int(trained({flat}).Match(flat, res)), 100);
}

void TestSurf::scores_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::newRow("noisy copy") << 0 << 90.0 << 100.0;
    QTest::newRow("gain 1.1 offset 10") << 1 << 90.0 << 100.0;
    QTest::newRow("20 % darker") << 2 << 90.0 << 100.0;
    QTest::newRow("shifted 2 px") << 3 << 90.0 << 100.0;
    QTest::newRow("different pattern") << 4 << 0.0 << 50.0;
    QTest::newRow("blank") << 5 << 0.0 << 50.0;
    QTest::newRow("object on flat region") << 6 << 0.0 << 50.0;
    QTest::newRow("flat region, noisy") << 7 << 90.0 << 100.0;
    QTest::newRow("far darker") << 8 << 0.0 << 80.0;
    QTest::newRow("flat region, strong camera noise") << 9 << 90.0 << 100.0;
    QTest::newRow("strong camera noise") << 10 << 90.0 << 100.0;
}

void TestSurf::scores() {
    QFETCH(int, kind);
    QFETCH(double, low);
    QFETCH(double, high);
    const cv::Mat base = scenes::patch(kRegion, 4);
    const cv::Mat flat(kRegion, CV_8U, cv::Scalar(120));
    SURF s = trained({look(base, 1, 0, 2, 11), look(base, 1, 0, 2, 12)});
    cv::Mat img;
    switch (kind) {
        case 0:
            img = look(base, 1, 0, 4);
            break;
        case 1:
            img = look(base, 1.1, 10, 2);
            break;
        case 2:
            img = look(base, 0.8, 0, 2);
            break;
        case 3: {
            cv::Mat m = (cv::Mat_<double>(2, 3) << 1, 0, 2, 0, 1, -2);
            cv::warpAffine(base, img, m, kRegion, cv::INTER_LINEAR, cv::BORDER_REPLICATE);
            break;
        }
        case 4:
            img = look(scenes::patch(kRegion, 9), 1, 0, 2);
            break;
        case 5:
            img = look(cv::Mat(kRegion, CV_8U, cv::Scalar(cv::mean(base)[0])), 1, 0, 3);
            break;
        case 6:
        case 7:
            s = trained({look(flat, 1, 0, 2, 11), look(flat, 1, 0, 2, 12)});
            img = look(flat, 1, 0, 3);
            if (kind == 6) cv::circle(img, cv::Point(30, 24), 14, cv::Scalar(220), cv::FILLED);
            break;
        case 8:
            img = look(base, 0.3, 0, 2);
            break;
        case 9:
            s = trained({look(flat, 1, 0, 6, 11), look(flat, 1, 0, 6, 12)});
            img = look(flat, 1, 0, 6);
            break;
        case 10:
            s = trained({look(base, 1, 0, 6, 11), look(base, 1, 0, 6, 12)});
            img = look(base, 1, 0, 6);
            break;
    }
    cv::Mat res = cv::Mat::zeros(kRegion, CV_8U);
    const float v = s.Match(img, res);
    QVERIFY2(v >= low && v <= high, qPrintable(QString::number(v)));
}

void TestSurf::mapMarksChangedPixels() {
    const cv::Mat base = scenes::patch(kRegion, 4);
    cv::Mat mask = cv::Mat::zeros(kRegion, CV_8U);
    mask(cv::Rect(0, 0, 40, 48)).setTo(255);
    SURF s = trained({base}, mask);
    cv::Mat img = look(base, 1.05, 5, 2);
    img(cv::Rect(10, 10, 6, 6)).setTo(255);
    img(cv::Rect(50, 30, 6, 6)).setTo(255);  // outside the mask: not marked
    img.at<uchar>(0, 0) = 0;
    cv::Mat res = cv::Mat::zeros(kRegion, CV_8U);
    s.Match(img, res);
    cv::Mat diff;
    cv::absdiff(base, 255, diff);
    const int expected = cv::countNonZero(diff(cv::Rect(10, 10, 6, 6)) > 60);
    QVERIFY(cv::countNonZero(res(cv::Rect(10, 10, 6, 6))) >= expected - 2);
    QCOMPARE(cv::countNonZero(res(cv::Rect(40, 0, 24, 48))), 0);
    QVERIFY(cv::countNonZero(res) <= 36 + 2);
}

QTEST_APPLESS_MAIN(TestSurf)
#include "tst_surf.moc"
