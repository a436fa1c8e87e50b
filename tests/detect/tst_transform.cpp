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

    // Aligning only parts of a frame gives, inside them, exactly the pixels of aligning the whole
    // frame, and leaves the rest alone: for many turns, shifts and parts, including parts at and
    // past the image edges, one pixel wide and larger than a tile of the maps.
    void partsMatchWholeFrame_data() {
        QTest::addColumn<double>("angle");
        QTest::addColumn<QPoint>("shift");
        for (double angle : {0.0, 0.37, -1.9, 6.0, -14.99, 15.0, 33.3, 90.0, -179.5, 180.0})
            for (QPoint shift : {QPoint(0, 0), QPoint(13, -7), QPoint(-260, 190)})
                QTest::newRow(qPrintable(QString("%1 deg, %2,%3").arg(angle).arg(shift.x()).arg(shift.y())))
                    << angle << shift;
    }
    void partsMatchWholeFrame() {
        QFETCH(double, angle);
        QFETCH(QPoint, shift);
        cv::Mat src(411, 643, CV_8UC1);
        cv::randu(src, 0, 256);
        cv::GaussianBlur(src, src, cv::Size(3, 3), 0);
        const cv::Point sh(shift.x(), shift.y()), centre(300, 190);
        cv::Mat whole(src.size(), CV_8UC1), moved(src.size(), CV_8UC1);
        TransformImage(src, whole, sh, centre, angle);
        MoveImage(src, moved, sh.x, sh.y);
        const cv::Rect parts[] = {{0, 0, 643, 411},    {17, 23, 200, 150}, {600, 380, 100, 100},
                                  {-20, -30, 70, 90},  {321, 5, 1, 400},   {5, 200, 630, 1},
                                  {130, 64, 257, 129}, {642, 410, 1, 1}};
        for (const cv::Rect& part : parts) {
            cv::Mat dst(src.size(), CV_8UC1, cv::Scalar(7)), dstMoved(src.size(), CV_8UC1, cv::Scalar(7));
            TransformImagePart(src, dst, sh, centre, angle, part);
            MoveImagePart(src, dstMoved, sh.x, sh.y, part);
            const cv::Rect in = part & cv::Rect(0, 0, src.cols, src.rows);
            cv::Mat want(src.size(), CV_8UC1, cv::Scalar(7)), wantMoved = want.clone();
            whole(in).copyTo(want(in));
            moved(in).copyTo(wantMoved(in));
            const QString where =
                QString("part %1,%2 %3x%4").arg(part.x).arg(part.y).arg(part.width).arg(part.height);
            QVERIFY2(cv::norm(dst, want, cv::NORM_INF) == 0, qPrintable(where));
            QVERIFY2(cv::norm(dstMoved, wantMoved, cv::NORM_INF) == 0, qPrintable(where));
        }
    }
};

QTEST_GUILESS_MAIN(TestTransform)
#include "tst_transform.moc"
