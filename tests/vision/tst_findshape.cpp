#include <QtTest>

#include <opencv2/imgproc.hpp>

#include "platform/vision/findshape.h"
#include "scenes.h"

// The positioning set-up of one detection step on a 320 x 240 camera: the positioning box around
// the part of the master template, the search rectangle grown by a margin.
namespace {
const cv::Size kFrame(320, 240);
const cv::Point2d kCentre(160, 120);
const double kScale = 55;
const cv::Rect kBox(90, 70, 140, 100);  // centre (160, 120)
const int kMargin = 60;

cv::Rect searchRect() {
    return cv::Rect(kBox.x - kMargin, kBox.y - kMargin, kBox.width + 2 * kMargin, kBox.height + 2 * kMargin) &
           cv::Rect(0, 0, kFrame.width, kFrame.height);
}

cv::Mat master() {
    return scenes::scene(kFrame, kCentre, kScale, scenes::Pose());
}

FindShape makeModel(int range, int speed = 10, const cv::Mat& mask = cv::Mat()) {
    FindShape fs;
    const cv::Mat crop = master()(kBox).clone();
    const cv::Mat m = mask.empty() ? cv::Mat(kBox.size(), CV_8U, cv::Scalar(255)) : mask;
    fs.CreateShape(crop, 0.0, 0, range, kBox.x + kBox.width / 2, kBox.y + kBox.height / 2, false, 255,
                   m.clone(), speed, 0);
    return fs;
}

// What the positioning code does with Find's answer: move by (dx, dy), then rotate by angle about
// the model centre.
cv::Mat align(const cv::Mat& raw, int dx, int dy, double angle, cv::Point2f centre) {
    cv::Mat a = cv::getRotationMatrix2D(centre, angle, 1.0);
    a.at<double>(0, 2) += a.at<double>(0, 0) * dx + a.at<double>(0, 1) * dy;
    a.at<double>(1, 2) += a.at<double>(1, 0) * dx + a.at<double>(1, 1) * dy;
    cv::Mat out;
    cv::warpAffine(raw, out, a, raw.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
    return out;
}
}  // namespace

class TestFindShape : public QObject {
    Q_OBJECT
private slots:
    void emptyUntilCreated();
    void blankCropGivesNoModel();
    void findsPart_data();
    void findsPart();
    void alignedImageMatchesMaster_data();
    void alignedImageMatchesMaster();
    void oddSearchImages();
    void maskChoosesWhatIsFollowed();
    void sameAnswerOnAnyThreadCount();
    void rejectsWrongScene_data();
    void rejectsWrongScene();
    void partReachingBeyondSearchImage();
    void hardPoses_data();
    void hardPoses();
};

void TestFindShape::emptyUntilCreated() {
    FindShape fs;
    QVERIFY(!fs.IsValid());
    cv::Mat img = master();
    int x = 7, y = 8;
    double a = 1, angle = 1;
    QVERIFY(!fs.Find(img, 0, &x, &y, &a, &angle));
    QCOMPARE(x, 7);
    QCOMPARE(y, 8);
    QCOMPARE(angle, 0.0);
    fs = makeModel(30);
    QVERIFY(fs.IsValid());
    QCOMPARE(fs.CentreX(), 160);
    QCOMPARE(fs.CentreY(), 120);
    fs.Clear();
    QVERIFY(!fs.IsValid());
}

void TestFindShape::blankCropGivesNoModel() {
    FindShape fs;
    cv::Mat flat(kBox.size(), CV_8U, cv::Scalar(100));
    QVERIFY(!fs.CreateShape(flat, 0.0, 0, 30, 160, 120, false, 255, cv::Mat(), 10, 0));
    QVERIFY(!fs.IsValid());
    cv::Mat colour(kBox.size(), CV_8UC3, cv::Scalar(1, 2, 3));
    QVERIFY(!fs.CreateShape(colour, 0.0, 0, 30, 160, 120, false, 255, cv::Mat(), 10, 0));
}

void TestFindShape::findsPart_data() {
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("speed");
    QTest::addColumn<double>("tx");
    QTest::addColumn<double>("ty");
    QTest::addColumn<double>("phi");
    QTest::addColumn<double>("noise");
    QTest::addColumn<double>("blur");
    QTest::addColumn<double>("gain");
    QTest::addColumn<bool>("occluded");
    QTest::addColumn<bool>("clutter");  // the part lies among foreign rings and bars
    // range speed tx ty phi noise blur gain occluded clutter
    QTest::newRow("in place") << 30 << 10 << 0.0 << 0.0 << 0.0 << 0.0 << 0.0 << 1.0 << false << false;
    QTest::newRow("shift") << 30 << 10 << 13.0 << -7.0 << 0.0 << 3.0 << 0.0 << 1.0 << false << false;
    QTest::newRow("shift and turn") << 30 << 10 << -40.0 << 25.0 << 8.0 << 3.0 << 0.0 << 1.0 << false
                                    << false;
    QTest::newRow("turn -25") << 30 << 5 << 5.0 << 9.0 << -25.0 << 3.0 << 0.0 << 1.0 << false << false;
    QTest::newRow("noise blur dimmer")
        << 30 << 10 << -7.3 << 3.4 << 17.5 << 6.0 << 1.2 << 0.8 << false << false;
    QTest::newRow("brighter") << 30 << 10 << 20.0 << 15.0 << 4.3 << 4.0 << 0.7 << 1.2 << false << false;
    QTest::newRow("occluded") << 30 << 10 << 10.0 << -5.0 << -12.0 << 3.0 << 0.0 << 1.0 << true << false;
    QTest::newRow("sub-degree") << 30 << 1 << 2.6 << -1.4 << 0.7 << 2.0 << 0.0 << 1.0 << false << false;
    QTest::newRow("range 0 shift") << 0 << 10 << 21.0 << -16.0 << 0.0 << 4.0 << 0.8 << 0.9 << false << false;
    QTest::newRow("half turn") << 180 << 10 << -15.0 << 10.0 << 135.0 << 3.0 << 0.0 << 1.0 << false << false;
    QTest::newRow("clutter") << 30 << 10 << 12.0 << -9.0 << -7.0 << 3.0 << 0.0 << 1.0 << false << true;
    QTest::newRow("clutter, half turn")
        << 180 << 5 << -6.0 << 4.0 << 95.0 << 3.0 << 0.0 << 1.0 << false << true;
    QTest::newRow("nearly upside down")
        << 180 << 10 << 0.0 << 0.0 << -170.0 << 3.0 << 0.0 << 1.0 << false << false;
}

void TestFindShape::findsPart() {
    QFETCH(int, range);
    QFETCH(int, speed);
    QFETCH(double, tx);
    QFETCH(double, ty);
    QFETCH(double, phi);
    QFETCH(double, noise);
    QFETCH(double, blur);
    QFETCH(double, gain);
    QFETCH(bool, occluded);
    QFETCH(bool, clutter);
    const FindShape fs = makeModel(range, speed);
    QVERIFY(fs.IsValid());

    scenes::Look look;
    look.noise = noise;
    look.blur = blur;
    look.gain = gain;
    if (occluded)  // a dark block over the right end: about a quarter of the part's edges gone
        look.occluder = cv::Rect(int(kCentre.x + tx) + 35, int(kCentre.y + ty) - 40, 40, 80);
    const cv::Mat raw = scenes::scene(kFrame, kCentre, kScale, {tx, ty, phi}, look,
                                      clutter ? scenes::foreign(kFrame, 21) : cv::Mat());
    const cv::Rect sr = searchRect();
    cv::Mat search = raw(sr).clone();
    int x = -1, y = -1;
    double a = 0, angle = 99;
    QVERIFY(fs.Find(search, 0, &x, &y, &a, &angle));
    const int dx = x - sr.x, dy = y - sr.y;
    QVERIFY2(std::abs(dx + tx) <= 1.0 && std::abs(dy + ty) <= 1.0,
             qPrintable(QString("dx %1 dy %2 for shift %3 %4").arg(dx).arg(dy).arg(tx).arg(ty)));
    QVERIFY2(std::abs(angle + phi) <= 0.5, qPrintable(QString("angle %1 for turn %2").arg(angle).arg(phi)));
    if (range == 0) QCOMPARE(angle, 0.0);
    QVERIFY(a >= 100 * FindShape::MinScore() && a <= 100);

    // The finer answer behind it: centre in search-image pixels to a fraction of a pixel.
    FindShape::Result r;
    QVERIFY(fs.Locate(search, &r));
    const double tol = occluded ? 0.75 : 0.3;
    QVERIFY2(std::abs(r.x - (kCentre.x + tx - sr.x)) <= tol && std::abs(r.y - (kCentre.y + ty - sr.y)) <= tol,
             qPrintable(QString("centre %1 %2").arg(r.x).arg(r.y)));
    QVERIFY2(std::abs(r.rotation - (range ? phi : 0.0)) <= (occluded ? 0.5 : 0.2),
             qPrintable(QString("rotation %1").arg(r.rotation)));
}

void TestFindShape::alignedImageMatchesMaster_data() {
    QTest::addColumn<QRect>("box");
    QTest::addColumn<bool>("mouldFeature");  // a fixed insert inside the box, masked out of the model
    QTest::addColumn<double>("phi");
    QTest::newRow("centred box") << QRect(90, 70, 140, 100) << false << 14.0;
    QTest::newRow("off-centre box") << QRect(70, 62, 150, 121) << false << -21.0;
    QTest::newRow("masked mould feature") << QRect(80, 60, 170, 130) << true << 9.0;
}

void TestFindShape::alignedImageMatchesMaster() {
    QFETCH(QRect, box);
    QFETCH(bool, mouldFeature);
    QFETCH(double, phi);
    const cv::Rect b(box.x(), box.y(), box.width(), box.height());
    const cv::Rect insert(b.x + 4, b.y + b.height - 26, 40, 20);
    cv::Mat mst = master();
    cv::Mat mask(b.size(), CV_8U, cv::Scalar(255));
    if (mouldFeature) {
        scenes::addMouldFeature(mst, insert);
        mask(insert - b.tl() + cv::Point(-3, -3) + cv::Size(6, 6)).setTo(0);
    }
    FindShape fs;
    const cv::Point centre(b.x + b.width / 2, b.y + b.height / 2);
    QVERIFY(fs.CreateShape(mst(b).clone(), 0.0, 0, 30, centre.x, centre.y, false, 255, mask, 10, 0));

    cv::Mat raw = scenes::scene(kFrame, kCentre, kScale, {-18, 11, phi});
    if (mouldFeature) scenes::addMouldFeature(raw, insert);
    scenes::Look look;
    look.noise = 2;
    scenes::applyLook(raw, look);
    const cv::Rect sr =
        cv::Rect(b.x - kMargin, b.y - kMargin, b.width + 2 * kMargin, b.height + 2 * kMargin) &
        cv::Rect(0, 0, kFrame.width, kFrame.height);
    cv::Mat search = raw(sr).clone();
    int x = 0, y = 0;
    double a = 0, angle = 0;
    QVERIFY(fs.Find(search, 0, &x, &y, &a, &angle));
    const cv::Mat aligned = align(raw, x - sr.x, y - sr.y, angle, centre);
    // Compare where the part is (the insert does not move with it).
    cv::Mat part, alpha;
    scenes::drawPart(kFrame, kCentre, kScale, part, alpha);
    cv::erode(alpha, alpha, cv::Mat(), cv::Point(-1, -1), 2);
    cv::Mat diff;
    cv::absdiff(aligned, mst, diff);
    const double err = cv::mean(diff, alpha)[0];
    QVERIFY2(err < 6.0, qPrintable(QString::number(err)));
    // Unaligned, the same comparison is far off.
    cv::absdiff(raw, mst, diff);
    QVERIFY(cv::mean(diff, alpha)[0] > 15.0);
}

void TestFindShape::rejectsWrongScene_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("range");
    QTest::newRow("blank") << 0 << 30;
    QTest::newRow("black") << 1 << 30;
    QTest::newRow("part missing") << 2 << 30;
    QTest::newRow("foreign 1") << 3 << 30;
    QTest::newRow("foreign 2") << 4 << 180;
    QTest::newRow("foreign 3") << 5 << 0;
}

void TestFindShape::rejectsWrongScene() {
    QFETCH(int, kind);
    QFETCH(int, range);
    const FindShape fs = makeModel(range);
    cv::Mat img;
    scenes::Look look;
    look.noise = 5;
    switch (kind) {
        case 0:
            img = cv::Mat(kFrame, CV_8U, cv::Scalar(110));
            break;
        case 1:
            img = cv::Mat::zeros(kFrame, CV_8U);
            break;
        case 2:
            img = scenes::background(kFrame);
            break;
        default:
            img = scenes::foreign(kFrame, unsigned(kind));
            break;
    }
    scenes::applyLook(img, look);
    cv::Mat search = img(searchRect()).clone();
    int x = 5, y = 6;
    double a = 1, angle = 1;
    QVERIFY(!fs.Find(search, 0, &x, &y, &a, &angle));
    QCOMPARE(angle, 0.0);
    QCOMPARE(a, 0.0);
}

void TestFindShape::partReachingBeyondSearchImage() {
    // A search margin of 10 and a part moved by 25: a fifth of it lies outside the search image.
    const FindShape fs = makeModel(0);
    const cv::Mat raw = scenes::scene(kFrame, kCentre, kScale, {25, 0, 0});
    const cv::Rect sr(kBox.x - 10, kBox.y - 10, kBox.width + 20, kBox.height + 20);
    cv::Mat search = raw(sr).clone();
    int x = 0, y = 0;
    double a = 0, angle = 0;
    QVERIFY(fs.Find(search, 0, &x, &y, &a, &angle));
    QVERIFY(std::abs(x - sr.x + 25) <= 1);
    QVERIFY(std::abs(y - sr.y) <= 1);
}

void TestFindShape::oddSearchImages() {
    const FindShape fs = makeModel(30);
    int x = 3, y = 4;
    double a = 1, angle = 1;
    for (cv::Mat img : {cv::Mat(), cv::Mat(1, 1, CV_8U, cv::Scalar(9)), cv::Mat(5, 300, CV_8U, cv::Scalar(9)),
                        cv::Mat(kFrame, CV_8UC3, cv::Scalar(1, 2, 3))}) {
        QVERIFY(!fs.Find(img, 0, &x, &y, &a, &angle));
        QCOMPARE(x, 3);
        QCOMPARE(angle, 0.0);
    }
    // A search image smaller than the model, the part's middle inside it.
    const cv::Mat raw = scenes::scene(kFrame, kCentre, kScale, {3, -2, 0});
    const cv::Rect sr(120, 90, 90, 60);
    cv::Mat search = raw(sr).clone();
    QVERIFY(fs.Find(search, 0, &x, &y, &a, &angle));
    QVERIFY(std::abs(x - sr.x + 3) <= 1 && std::abs(y - sr.y - 2) <= 1);
    QVERIFY(fs.Find(search, 0, nullptr, nullptr, nullptr, nullptr));
}

void TestFindShape::maskChoosesWhatIsFollowed() {
    // The box holds the part and a fixed insert; the part moves, the insert does not. The model
    // follows whichever of the two its mask keeps.
    const cv::Rect b(60, 50, 200, 150), insert(70, 60, 70, 40);
    cv::Mat mst = master();
    scenes::addMouldFeature(mst, insert);
    cv::Mat raw = scenes::scene(kFrame, kCentre, kScale, {22, 14, 0});
    scenes::addMouldFeature(raw, insert);
    const cv::Rect near = insert - b.tl() + cv::Point(-4, -4) + cv::Size(8, 8);
    for (bool followInsert : {true, false}) {
        cv::Mat mask(b.size(), CV_8U, cv::Scalar(followInsert ? 0 : 255));
        mask(near).setTo(followInsert ? 255 : 0);
        FindShape fs;
        QVERIFY(fs.CreateShape(mst(b).clone(), 0.0, 0, 0, b.x + b.width / 2, b.y + b.height / 2, false, 255,
                               mask, 10, 0));
        cv::Mat search = raw.clone();
        int x = 0, y = 0;
        double a = 0, angle = 0;
        QVERIFY(fs.Find(search, 0, &x, &y, &a, &angle));
        QCOMPARE(x, followInsert ? 0 : -22);
        QCOMPARE(y, followInsert ? 0 : -14);
    }
}

void TestFindShape::sameAnswerOnAnyThreadCount() {
    const FindShape fs = makeModel(180);
    scenes::Look look;
    look.noise = 4;
    const cv::Mat raw = scenes::scene(kFrame, kCentre, kScale, {-9, 6, 71}, look, scenes::foreign(kFrame, 4));
    const int threads = cv::getNumThreads();
    FindShape::Result one, many;
    cv::setNumThreads(1);
    QVERIFY(fs.Locate(raw, &one));
    cv::setNumThreads(7);
    QVERIFY(fs.Locate(raw, &many));
    cv::setNumThreads(threads);
    QCOMPARE(many.x, one.x);
    QCOMPARE(many.y, one.y);
    QCOMPARE(many.rotation, one.rotation);
    QCOMPARE(many.score, one.score);
}

void TestFindShape::hardPoses_data() {
    // A camera-sized frame of mould clutter searched whole; the model is a 300 x 300 box around the
    // part in the middle of the master.
    QTest::addColumn<int>("range");
    QTest::addColumn<double>("x");  // part centre in the frame
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("phi");
    QTest::addColumn<double>("gain");
    QTest::newRow("seen lost: +175.5 in clutter") << 180 << 660.1 << 739.2 << 175.5 << 1.0;
    QTest::newRow("seen clamped: +179.7") << 180 << 1210.4 << 380.8 << 179.7 << 1.0;
    QTest::newRow("-179.6") << 180 << 433.0 << 301.5 << -179.6 << 0.85;
    QTest::newRow("upside down") << 180 << 1500.2 << 820.7 << 180.0 << 1.15;
    QTest::newRow("-175.2, dimmer") << 180 << 905.5 << 540.3 << -175.2 << 0.8;
    QTest::newRow("range 30, at +30") << 30 << 640.0 << 500.0 << 30.0 << 1.0;
    QTest::newRow("range 30, at -29.8") << 30 << 1320.6 << 610.1 << -29.8 << 1.2;
    QTest::newRow("range 15, at +14.9") << 15 << 800.3 << 300.9 << 14.9 << 0.9;
    QTest::newRow("range 1, at -1") << 1 << 1111.1 << 777.7 << -1.0 << 1.0;
}

void TestFindShape::hardPoses() {
    QFETCH(int, range);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, phi);
    QFETCH(double, gain);
    const cv::Size frame(1920, 1080);
    const cv::Point2d centre(960, 540);
    const cv::Rect box(810, 390, 300, 300);
    const cv::Mat mst = scenes::scene(frame, centre, 135, scenes::Pose());
    FindShape fs;
    QVERIFY(fs.CreateShape(mst(box).clone(), 0.0, 0, range, 960, 540, false, 255,
                           cv::Mat(box.size(), CV_8U, cv::Scalar(255)), 10, 0));
    scenes::Look look;
    look.noise = 4;
    look.gain = gain;
    const cv::Mat raw = scenes::scene(frame, centre, 135, {x - centre.x, y - centre.y, phi}, look,
                                      scenes::foreign(frame, 17));
    int dx = 0, dy = 0;
    double a = 0, angle = 0;
    QVERIFY(fs.Find(raw, 0, &dx, &dy, &a, &angle));
    // The correction brings the part back: the model centre minus where it was found, the angle
    // undoing the turn, always within -180..180.
    QVERIFY2(std::abs(960 - dx - x) <= 1.0 && std::abs(540 - dy - y) <= 1.0,
             qPrintable(QString("found at %1 %2").arg(960 - dx).arg(540 - dy)));
    QVERIFY2(angle >= -180.0 && angle <= 180.0, qPrintable(QString::number(angle)));
    double off = std::fmod(angle + phi, 360.0);
    if (off > 180) off -= 360;
    if (off < -180) off += 360;
    QVERIFY2(std::abs(off) <= 0.5, qPrintable(QString("angle %1 for turn %2").arg(angle).arg(phi)));
}

QTEST_APPLESS_MAIN(TestFindShape)
#include "tst_findshape.moc"
