#include <QtTest>
#include <opencv2/imgproc.hpp>

#include "detect/miscfunc.h"

namespace {
// The shift and rotation done step by step: pad, move, rotate about the padded centre, cut.
cv::Mat steppedTransform(const cv::Mat& src, cv::Point shift, cv::Point centre, double angle) {
    const int b = int(1.414 * std::max(src.cols, src.rows));
    const int padX = std::max(0, (b - src.cols) / 2), padY = std::max(0, (b - src.rows) / 2);
    cv::Mat padded, rotated;
    cv::copyMakeBorder(src, padded, padY, padY, padX, padX, cv::BORDER_CONSTANT, cv::Scalar(0));
    cv::Mat moved(padded.size(), CV_8UC1);
    for (int y = 0; y < padded.rows; ++y)
        for (int x = 0; x < padded.cols; ++x) {
            const int sx = x - shift.x, sy = y - shift.y;
            moved.at<uchar>(y, x) =
                (sx >= 0 && sy >= 0 && sx < padded.cols && sy < padded.rows) ? padded.at<uchar>(sy, sx) : 0;
        }
    const cv::Mat rot =
        cv::getRotationMatrix2D(cv::Point2f(float(centre.x + padX), float(centre.y + padY)), angle, 1.0);
    cv::warpAffine(moved, rotated, rot, padded.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
    return rotated(cv::Rect(padX, padY, src.cols, src.rows)).clone();
}
}  // namespace

class TestTransform : public QObject {
    Q_OBJECT
private slots:
    void matchesSteppedTransform_data() {
        QTest::addColumn<QPoint>("shift");
        QTest::addColumn<QPoint>("centre");
        QTest::addColumn<double>("angle");
        QTest::newRow("shift only") << QPoint(7, -4) << QPoint(60, 40) << 0.0;
        QTest::newRow("rotation only") << QPoint(0, 0) << QPoint(60, 40) << 5.0;
        QTest::newRow("both") << QPoint(-9, 6) << QPoint(30, 70) << -12.5;
        QTest::newRow("quarter turn") << QPoint(3, 3) << QPoint(80, 50) << 90.0;
        QTest::newRow("shift past the padding") << QPoint(150, -90) << QPoint(60, 40) << 3.0;
    }
    void matchesSteppedTransform() {
        QFETCH(QPoint, shift);
        QFETCH(QPoint, centre);
        QFETCH(double, angle);
        cv::Mat src(90, 130, CV_8UC1);
        cv::randu(src, 0, 256);
        cv::GaussianBlur(src, src, cv::Size(5, 5), 0);
        cv::Mat dst(src.size(), CV_8UC1, cv::Scalar(7));
        uchar* data = dst.data;
        TransformImage(src, dst, cv::Point(shift.x(), shift.y()), cv::Point(centre.x(), centre.y()), angle);
        QVERIFY(dst.data == data);  // written in place
        const cv::Mat want =
            steppedTransform(src, cv::Point(shift.x(), shift.y()), cv::Point(centre.x(), centre.y()), angle);
        cv::Mat diff;
        cv::absdiff(dst, want, diff);
        double worst = 0;
        cv::minMaxLoc(diff, nullptr, &worst);
        // Equal but where the two warps round a sample position to different steps of the 1/32-pixel
        // interpolation grid: a few pixels, a few grey levels on steep edges.
        QVERIFY2(worst <= 8, qPrintable(QString::number(worst)));
        QVERIFY2(cv::countNonZero(diff) < int(src.total() / 100),
                 qPrintable(QString::number(cv::countNonZero(diff))));
    }
    void moveImage_data() {
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        for (int dx : {-200, -13, -1, 0, 1, 13, 200})
            for (int dy : {-100, -5, 0, 5, 100})
                QTest::newRow(qPrintable(QString("%1,%2").arg(dx).arg(dy))) << dx << dy;
    }
    void moveImage() {
        QFETCH(int, dx);
        QFETCH(int, dy);
        cv::Mat src(50, 70, CV_8UC1);
        cv::randu(src, 1, 256);
        cv::Mat dst(src.size(), CV_8UC1, cv::Scalar(7)), ref;
        MoveImage(src, dst, dx, dy);
        const cv::Mat m = (cv::Mat_<double>(2, 3) << 1, 0, dx, 0, 1, dy);
        cv::warpAffine(src, ref, m, src.size(), cv::INTER_NEAREST, cv::BORDER_CONSTANT, cv::Scalar(0));
        QCOMPARE(cv::norm(dst, ref, cv::NORM_INF), 0.0);
    }
};

QTEST_GUILESS_MAIN(TestTransform)
#include "tst_transform.moc"
