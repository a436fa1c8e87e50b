#include <QtTest>

#include "detect/areagen.h"
#include "detect/miscfunc.h"
#include "recongrig.h"

namespace {
const QRect kBox(QPoint(50, 50), QPoint(249, 189));  // 200 x 140 region used by the evaluation table

// A scene inside the region box on a grey-128 frame.
cv::Mat scene(const QString& name, int grey, int size) {
    cv::Mat img = flatImage(128);
    const cv::Point o(kBox.left() + 20, kBox.top() + 20);
    if (name == "square") {
        img(cv::Rect(o.x, o.y, size, size)).setTo(grey);
    } else if (name == "blobs") {  // `size` blobs of 5 x 5, 8 pixels apart
        for (int i = 0; i < size; ++i)
            img(cv::Rect(kBox.left() + 4 + 8 * (i % 24), kBox.top() + 4 + 8 * (i / 24), 5, 5)).setTo(grey);
    } else if (name == "L" || name == "J" || name == "full") {
        img(cv::Rect(kBox.left(), kBox.top(), kBox.width(), kBox.height())).setTo(20);
        const cv::Rect bounds(o.x, o.y, 40, 40);
        if (name == "full") {
            img(bounds).setTo(200);
        } else {
            const int barX = name == "L" ? 0 : 30;  // L: vertical bar left, J: right
            img(cv::Rect(o.x + barX, o.y, 10, 40)).setTo(200);
            img(cv::Rect(o.x, o.y + 30, 40, 10)).setTo(200);
        }
    }
    return img;
}

double lShapeArea() {
    cv::Mat img = scene("L", 0, 0)(cv::Rect(kBox.left(), kBox.top(), kBox.width(), kBox.height())).clone();
    cv::threshold(img, img, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    std::vector<std::vector<cv::Point>> c;
    cv::findContours(img, c, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    return c.empty() ? 0 : cv::contourArea(c[0]);
}

// A textured picture with distinct parts, for positioning.
cv::Mat partPicture() {
    cv::Mat img = flatImage(60);
    cv::rectangle(img, cv::Rect(90, 60, 140, 110), cv::Scalar(190), cv::FILLED);
    cv::circle(img, cv::Point(130, 100), 18, cv::Scalar(40), cv::FILLED);
    cv::rectangle(img, cv::Rect(170, 120, 40, 30), cv::Scalar(110), cv::FILLED);
    cv::line(img, cv::Point(100, 160), cv::Point(220, 70), cv::Scalar(250), 3);
    cv::GaussianBlur(img, img, cv::Size(3, 3), 0);
    return img;
}

double meanAbsDiff(const cv::Mat& a, const cv::Mat& b, const cv::Rect& r) {
    cv::Mat d;
    cv::absdiff(a(r), b(r), d);
    return cv::mean(d)[0];
}
}  // namespace

class TestRecong : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { rig_ = std::make_unique<RecongRig>(5, 2); }
    void init() { rig_->reset(); }
    void cleanupTestCase() {
        rig_.reset();
        resetImageGlobals();
        resetAppGlobals();
    }

    void thresholdFunction();
    void evaluate_data();
    void evaluate();
    void boxesCappedValueNot();
    void errorCodes();
    void paramRoiCollection();
    void alarmMarksCombine();
    void ringPastImageEdge();
    void zeroKernelFromTable();
    void trainingCrops();
    void ignoreAreas();
    void positioningOff();
    void positioningModelSource();
    void alignsShiftedFrame();
    void alignsRotatedFrame();
    void alignedRegionsJudgeAsWholeFrame_data();
    void alignedRegionsJudgeAsWholeFrame();
    void runTest();
    void autoRegion();
    void colourCamera();

private:
    std::unique_ptr<RecongRig> rig_;
};

void TestRecong::thresholdFunction() {
    cv::Mat img(1, 256, CV_8UC1);
    for (int i = 0; i < 256; ++i) img.at<uchar>(0, i) = uchar(i);
    for (auto [lo, hi] : {std::pair{0, 50}, {44, 44}, {200, 255}, {0, 255}}) {
        cv::Mat out, a, b, want, inv;
        ThresholdFUNC(img, out, lo, hi);
        cv::bitwise_not(img, inv);
        cv::threshold(inv, a, 255 - lo, 255, cv::THRESH_BINARY_INV);
        cv::threshold(img, b, hi, 255, cv::THRESH_BINARY_INV);
        cv::bitwise_and(a, b, want);
        QCOMPARE(cv::countNonZero(out != want), 0);
        QCOMPARE(cv::countNonZero(out), hi - lo + 1);
    }
}

void TestRecong::evaluate_data() {
    QTest::addColumn<int>("func");
    QTest::addColumn<int>("p1");
    QTest::addColumn<int>("sens");
    QTest::addColumn<int>("area");
    QTest::addColumn<QString>("scene");
    QTest::addColumn<int>("grey");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("detail");   // enable_display_detail
    QTest::addColumn<int>("inverse");  // template_is_ng
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("minLimit");
    QTest::addColumn<int>("maxLimit");
    // Contour areas: a filled s x s square measures (s - 1)^2.
    QTest::newRow("defect equal to limit")
        << 0 << 1 << 25 << 100 << "square" << 20 << 11 << 1 << 0 << 100 << true << 0 << 100;
    QTest::newRow("defect over limit")
        << 0 << 1 << 25 << 100 << "square" << 20 << 12 << 1 << 0 << 121 << false << 0 << 100;
    QTest::newRow("defect within tolerance")
        << 0 << 1 << 25 << 100 << "square" << 110 << 30 << 1 << 0 << 0 << true << 0 << 100;
    QTest::newRow("defect inverted equal")
        << 0 << 1 << 25 << 100 << "square" << 20 << 11 << 1 << 1 << 100 << true << 0 << 100;
    QTest::newRow("defect inverted under")
        << 0 << 1 << 25 << 100 << "square" << 20 << 10 << 1 << 1 << 81 << false << 0 << 100;
    QTest::newRow("defect global limits")
        << 0 << 9 << 25 << 5000 << "square" << 20 << 12 << 0 << 0 << 121 << false << 0 << 5000;
    QTest::newRow("spot 0x3200 inside")
        << 1 << 0x3200 << 80 << 100 << "square" << 50 << 11 << 1 << 0 << 100 << true << 80 << 100;
    QTest::newRow("spot 0x0032 inside")
        << 1 << 0x0032 << 80 << 100 << "square" << 0 << 11 << 1 << 0 << 100 << true << 80 << 100;
    QTest::newRow("spot over max") << 1 << 0x3200 << 80 << 100 << "square" << 50 << 12 << 1 << 0 << 121
                                   << false << 80 << 100;
    QTest::newRow("spot under min") << 1 << 0x0032 << 82 << 100 << "square" << 10 << 10 << 1 << 0 << 81
                                    << false << 82 << 100;
    QTest::newRow("spot min equal") << 1 << 0x0032 << 81 << 100 << "square" << 10 << 10 << 1 << 0 << 81
                                    << true << 81 << 100;
    QTest::newRow("spot grey outside range")
        << 1 << 0x0032 << 0 << 100 << "square" << 51 << 30 << 1 << 0 << 0 << true << 0 << 100;
    QTest::newRow("black 300 means 44: 44 counts")
        << 4 << 0 << 300 << 100 << "square" << 44 << 12 << 1 << 0 << 121 << false << 0 << 100;
    QTest::newRow("black 300 means 44: 45 not")
        << 4 << 0 << 300 << 100 << "square" << 45 << 12 << 1 << 0 << 0 << true << 0 << 100;
    QTest::newRow("black equal") << 4 << 0 << 50 << 100 << "square" << 20 << 11 << 1 << 0 << 100 << true << 0
                                 << 100;
    QTest::newRow("white over") << 5 << 0 << 200 << 100 << "square" << 230 << 12 << 1 << 0 << 121 << false
                                << 0 << 100;
    QTest::newRow("white equal") << 5 << 0 << 200 << 100 << "square" << 200 << 11 << 1 << 0 << 100 << true
                                 << 0 << 100;
    QTest::newRow("white count equal")
        << 7 << 1 << 200 << 3 << "blobs" << 230 << 3 << 1 << 0 << 3 << true << 0 << 3;
    QTest::newRow("white count over")
        << 7 << 1 << 200 << 3 << "blobs" << 230 << 4 << 1 << 0 << 4 << false << 0 << 3;
    QTest::newRow("white count 150 blobs")
        << 7 << 1 << 200 << 100 << "blobs" << 230 << 150 << 1 << 0 << 150 << false << 0 << 100;
    QTest::newRow("white count closing joins")
        << 7 << 5 << 200 << 1 << "blobs" << 230 << 2 << 1 << 0 << 1 << true << 0 << 1;
    QTest::newRow("similarity same") << 6 << 0 << 100 << 0 << "same" << 0 << 0 << 1 << 0 << 100 << true << 100
                                     << -1;
    QTest::newRow("similarity changed")
        << 6 << 0 << 80 << 0 << "square" << 250 << 100 << 1 << 0 << -1 << false << 80 << -1;
    QTest::newRow("direction L side 0")
        << 8 << 0 << 100 << 1000 << "L" << 0 << 0 << 1 << 0 << 1 << false << 100 << 1000;
    QTest::newRow("direction L side 1")
        << 8 << 1 << 100 << 1000 << "L" << 0 << 0 << 1 << 0 << 0 << true << 100 << 1000;
    QTest::newRow("direction J side 1")
        << 8 << 1 << 1000 << 100 << "J" << 0 << 0 << 1 << 0 << 1 << false << 100 << 1000;
    QTest::newRow("direction full box")
        << 8 << 0 << 100 << 5000 << "full" << 0 << 0 << 1 << 0 << 0 << true << 100 << 5000;
    QTest::newRow("direction area under lower limit")
        << 8 << 0 << -1 << 1000 << "L" << 0 << 0 << 1 << 0 << 0 << true << -1 << 1000;
    QTest::newRow("direction area over lower limit")
        << 8 << 0 << -2 << 1000 << "L" << 0 << 0 << 1 << 0 << 1 << false << -1 << 1000;
}

void TestRecong::evaluate() {
    QFETCH(int, func);
    QFETCH(int, p1);
    QFETCH(int, sens);
    QFETCH(int, area);
    QFETCH(QString, scene);
    QFETCH(int, grey);
    QFETCH(int, size);
    QFETCH(int, detail);
    QFETCH(int, inverse);
    QFETCH(int, value);
    QFETCH(bool, ok);
    QFETCH(int, minLimit);
    QFETCH(int, maxLimit);
    RecongRig& rig = *rig_;
    rig.para.enable_display_detail = detail;
    rig.para.template_is_ng = inverse;
    rig.para.minimum_size = 1;
    rig.para.minimum_area = 100;
    rig.para.cnt_net_on = 1;
    if (sens < 0) {  // limits around the direction blob's own area (621.5): -1 just above, -2 just below
        sens = sens == -1 ? int(std::ceil(lShapeArea())) : int(std::floor(lShapeArea()));
        minLimit = sens;
    }
    const int r = rig.addRect(0, func, kBox, p1, sens, area);
    // Master template: textured for similarity, flat grey 128 otherwise.
    cv::Mat master = flatImage(128);
    if (func == kFuncSimilarity) cv::randu(master, 0, 255);
    rig.setTemplate(0, 0, master);
    QList<RoiRecord> records;
    setRoiRecordSink([&](const RoiRecord& rec) { records << rec; });
    auto rec = rig.recogniser();
    rec->VarTrain(0);
    rig.setFrame(scene == "same" ? master : ::scene(scene, grey, size));
    rec->Run(0);
    if (value >= 0) {
        QCOMPARE(rig.view->roiValue[0][r], value);
    } else {
        QVERIFY(rig.view->roiValue[0][r] < sens);
    }
    QCOMPARE(bool(rig.view->roiOk[0][r]), ok);
    QCOMPARE(rig.view->allOk, ok);
    QCOMPARE(records.size(), 1);
    const RoiRecord& got = records.first();
    QCOMPARE(got.camera, 2);
    QCOMPARE(got.detect, 0);
    QCOMPARE(got.roi, r);
    QCOMPARE(got.func, func);
    QCOMPARE(got.value, rig.view->roiValue[0][r]);
    QCOMPARE(got.minLimit, minLimit);
    QCOMPARE(got.maxLimit, maxLimit);
    QCOMPARE(got.ok, ok ? 1 : 0);
    // NG regions leave their marks and boxes; OK threshold regions with nothing found leave none.
    if (!ok && func != kFuncSimilarity) {
        QVERIFY(rig.view->roiBoxes[0][r].count >= 1);
        QVERIFY(cv::countNonZero(rig.view->alarmImage) > 0);
        const int32_t* b = rig.view->roiBoxes[0][r].box[0];
        QVERIFY(b[0] >= kBox.left() && b[1] >= kBox.top() && b[2] <= kBox.right() + 1 &&
                b[3] <= kBox.bottom() + 1);
    }
}

void TestRecong::boxesCappedValueNot() {
    RecongRig& rig = *rig_;
    const int r = rig.addRect(0, kFuncWhite, kBox, 0, 200, 100000);
    auto rec = rig.recogniser();
    rec->VarTrain(0);
    rig.setFrame(scene("blobs", 230, 150));
    rec->Run(0);
    QCOMPARE(rig.view->roiValue[0][r], 150 * 16);  // every blob counts
    QCOMPARE(rig.view->roiBoxes[0][r].count, 99);
    const int32_t* first = rig.view->roiBoxes[0][r].box[0];
    QCOMPARE(first[2] - first[0], 5);
    QCOMPARE(first[3] - first[1], 5);
}

void TestRecong::errorCodes() {
    RecongRig& rig = *rig_;
    const int noMask = rig.addRect(0, kFuncWhite, kBox, 0, 200, 100);
    rig.view->savedMasks[0][noMask].release();
    const int outside = rig.addRect(0, kFuncBlack, QRect(QPoint(10, 10), QPoint(19, 19)), 0, 50, 100);
    rig.store->rect[0][outside].imgRect = QRect(QPoint(400, 300), QPoint(409, 309));  // beyond the image
    const int passing = rig.addRect(0, kFuncWhite, kBox, 0, 200, 100);
    rig.para.cnt_net_on = 1;
    QList<RoiRecord> records;
    setRoiRecordSink([&](const RoiRecord& rec) { records << rec; });
    auto rec = rig.recogniser();
    rig.setFrame(flatImage(128));
    rec->Run(0);  // not trained: no inspection mask
    QCOMPARE(rig.window.records, QStringList({"REG RUN ERROR = 2, 0, -1", "REG RUN ERROR = 2, 0, -2",
                                              "REG RUN ERROR = 2, 0, -2"}));
    rig.window.records.clear();
    records.clear();
    rec->VarTrain(0);
    rec->Run(0);
    QCOMPARE(rig.window.records, QStringList({"REG RUN ERROR = 2, 0, -1", "REG RUN ERROR = 2, 0, -3"}));
    QVERIFY(!rig.view->allOk);
    QCOMPARE(int(rig.view->roiOk[0][noMask]), 1);  // the region's own flag stays
    QCOMPARE(int(rig.view->roiOk[0][passing]), 1);
    QCOMPARE(records.size(), 1);  // failed regions send nothing
    QCOMPARE(records[0].roi, passing);
    QCOMPARE(records[0].ok, 0);  // passed, but the view is already NG
}

void TestRecong::paramRoiCollection() {
    RecongRig& rig = *rig_;
    rig.addRect(0, kFuncWhite, kBox, 0, 200, 100);
    rig.addRect(0, kFuncIgnore, QRect(QPoint(5, 5), QPoint(20, 20)), 0, 0, 0);
    rig.addRect(0, kFuncPosition, QRect(QPoint(5, 5), QPoint(20, 20)), 10, 10, 10);
    int appended = 0;
    setRoiRecordSink([&](const RoiRecord&) { ++appended; });
    auto rec = rig.recogniser();
    rec->VarTrain(0);
    rig.setFrame(flatImage(128));
    struct Case {
        int method, bridge, expected;
    };
    for (const Case& c : {Case{0, 1, 0}, Case{1, 0, 0}, Case{3, 1, 1}}) {
        appended = 0;
        rig.window.DetectMethod = c.method;
        rig.para.cnt_net_on = c.bridge;
        rec->Run(0);
        QCOMPARE(appended, c.expected);
    }
}

void TestRecong::alarmMarksCombine() {
    RecongRig& rig = *rig_;
    const int ng = rig.addRect(0, kFuncBlack, kBox, 0, 50, 10);
    const int ok = rig.addRect(0, kFuncWhite, kBox, 0, 200, 10);  // same box, passes
    auto rec = rig.recogniser();
    rec->VarTrain(0);
    rig.setFrame(scene("square", 20, 12));
    rec->Run(0);
    QCOMPARE(int(rig.view->roiOk[0][ng]), 0);
    QCOMPARE(int(rig.view->roiOk[0][ok]), 1);
    QCOMPARE(cv::countNonZero(rig.view->alarmImage), 144);  // the later OK region keeps the NG marks
    // A clean frame leaves no mark of the last one, nor of an alarm image put in its place since.
    rig.setFrame(flatImage(128));
    rec->Run(0);
    QVERIFY(rig.view->allOk);
    QCOMPARE(cv::countNonZero(rig.view->alarmImage), 0);
    rig.view->alarmImage = cv::Mat(rig.view->alarmImage.size(), CV_8UC1, cv::Scalar(9));
    rec->Run(0);
    QCOMPARE(cv::countNonZero(rig.view->alarmImage), 0);
}

void TestRecong::ringPastImageEdge() {
    RecongRig& rig = *rig_;
    gShowW = 1725;  // display ratios that differ from the image's
    gShowH = 982;
    setImageGeometry(RecongRig::W, RecongRig::H, false);
    const int r = rig.addRing(0, kFuncDefect, QPoint(1700, 900), 0, 60);
    const int black = rig.addRing(0, kFuncBlack, QPoint(1650, 940), 0, 40);
    rig.store->sens[0][black] = 50;
    rig.setTemplate(0, 0, flatImage(128));
    auto rec = rig.recogniser();
    rec->VarTrain(0);
    rig.setFrame(flatImage(10));
    rec->Run(0);  // must not crop outside the image
    QVERIFY(rig.window.records.isEmpty());
    QVERIFY(rec->grayModels[0][r].IsValid());
    QCOMPARE(int(rig.view->roiOk[0][black]), 0);
}

void TestRecong::zeroKernelFromTable() {
    RecongRig& rig = *rig_;
    const int r = rig.addRect(0, kFuncDefect, kBox, 0, 25, 100);
    const int w = rig.addRect(0, kFuncWhiteCount, kBox, -4, 200, 100);
    rig.setTemplate(0, 0, flatImage(128));
    auto rec = rig.recogniser();
    rec->VarTrain(0);
    rig.setFrame(scene("square", 250, 12));
    rec->Run(0);  // a kernel of 0 or less counts as 1
    QCOMPARE(rig.view->roiValue[0][r], 121);
    QCOMPARE(rig.view->roiValue[0][w], 1);
}

void TestRecong::trainingCrops() {
    RecongRig& rig = *rig_;
    const int defect = rig.addRect(0, kFuncDefect, kBox, 1, 0, 100);
    const int similar = rig.addRect(0, kFuncSimilarity, kBox, 0, 80, 0);
    rig.setTemplate(0, 0, flatImage(10));
    rig.setTemplate(0, 2, flatImage(30));
    rig.setTemplate(0, 4, flatImage(50));
    flatImage(200).copyTo(rig.view->templates[0][1]);  // present but not loaded
    flatImage(200).copyTo(rig.view->templates[0][3]);
    auto rec = rig.recogniser();
    rec->VarTrain(0);
    const GrayMatch& g = rec->grayModels[0][defect];
    QVERIFY(g.IsValid());
    QCOMPARE(g.SampleCount(), 3);
    QCOMPARE(g.Width(), kBox.width());
    QCOMPARE(g.Height(), kBox.height());
    // With no tolerance the band is the mean of the crops taken: (10 + 30 + 50) / 3.
    auto band = [&](double want) {
        double lo = 0, hi = 0;
        cv::minMaxLoc(rec->grayModels[0][defect].Lower(), &lo);
        cv::minMaxLoc(rec->grayModels[0][defect].Upper(), nullptr, &hi);
        return lo == want && hi == want;
    };
    QVERIFY(band(30));
    QCOMPARE(rec->surfModels[0][similar].SampleCount(), 3);
    // Retraining with fewer templates starts from cleared models.
    rig.view->templateLoaded[0][4] = 0;
    rig.view->templateCount[0] = 2;
    rec->VarTrain(0);
    QCOMPARE(rec->grayModels[0][defect].SampleCount(), 2);
    QVERIFY(band(20));
    // Count 1: stops after the first loaded template.
    rig.view->templateCount[0] = 1;
    rec->VarTrain(0);
    QCOMPARE(rec->grayModels[0][defect].SampleCount(), 1);
    QVERIFY(band(10));
}

void TestRecong::ignoreAreas() {
    RecongRig& rig = *rig_;
    // Operator ignore points: one inside the ring's square but outside the ring, one inside the
    // rectangle ignore area, one free.
    cv::Mat& ignore = rig.view->ignoreImages[0];
    ignore.at<uchar>(101, 101) = 255;  // ring square corner (ring centre 140,140, r 40)
    ignore.at<uchar>(30, 30) = 255;    // inside the rectangle (20,20)-(60,60)
    ignore.at<uchar>(200, 300) = 255;
    rig.addRing(0, kFuncIgnore, QPoint(140, 140), 0, 40);
    rig.addRect(0, kFuncIgnore, QRect(QPoint(20, 20), QPoint(60, 60)), 0, 0, 0);
    const int hidden = rig.addRect(0, kFuncDefect, QRect(QPoint(25, 25), QPoint(50, 50)), 1, 25, 0);
    rig.setTemplate(0, 0, flatImage(128));
    auto rec = rig.recogniser();
    rec->VarTrain(0);
    const cv::Mat& m = rec->detMask[0];
    QCOMPARE(int(m.at<uchar>(101, 101)), 0);    // stays ignored
    QCOMPARE(int(m.at<uchar>(140, 140)), 0);    // inside the ring
    QCOMPARE(int(m.at<uchar>(102, 102)), 255);  // ring square, outside the ring, no ignore point
    QCOMPARE(int(m.at<uchar>(60, 60)), 0);
    QCOMPARE(int(m.at<uchar>(200, 300)), 0);
    QCOMPARE(int(m.at<uchar>(10, 10)), 255);
    // A defect region inside an ignore area inspects nothing.
    rig.setFrame(flatImage(0));
    rec->Run(0);
    QCOMPARE(rig.view->roiValue[0][hidden], 0);
    QCOMPARE(int(rig.view->roiOk[0][hidden]), 1);
}

void TestRecong::positioningOff() {
    RecongRig& rig = *rig_;
    rig.para.enable_correct = 0;
    rig.para.step_enable[0] = 1;
    rig.setTemplate(0, 0, partPicture());
    auto rec = rig.recogniser();  // builds the model
    QVERIFY(rec->shapeModels[0].IsValid());
    rig.para.enable_correct = -1;
    cv::Mat raw = partPicture();
    MoveImage(partPicture(), raw, 5, 3);
    rig.setFrame(raw);
    std::fill(rig.view->alignedBuffer.begin(), rig.view->alignedBuffer.end(), 7);
    rec->ShapeMatch();
    QVERIFY(rig.view->alignedBuffer == rig.view->rawBuffer);
    // No match: a blank frame is copied unchanged.
    rig.para.enable_correct = 0;
    rig.setFrame(flatImage(90));
    std::fill(rig.view->alignedBuffer.begin(), rig.view->alignedBuffer.end(), 7);
    rec->ShapeMatch();
    QVERIFY(rig.view->alignedBuffer == rig.view->rawBuffer);
}

void TestRecong::positioningModelSource() {
    RecongRig& rig = *rig_;
    rig.para.enable_correct = 0;
    rig.para.location_adge = 40;
    rig.setTemplate(0, 0, partPicture());
    rig.setTemplate(1, 0, partPicture());
    rig.setTemplate(2, 0, partPicture());
    rig.addRect(1, kFuncWhite, QRect(QPoint(5, 5), QPoint(30, 30)), 0, 0, 0);
    rig.addRect(1, kFuncPosition, QRect(QPoint(80, 50), QPoint(239, 179)), 8, 0, 0);
    rig.addRect(1, kFuncPosition, QRect(QPoint(100, 100), QPoint(149, 149)), 3, 0, 0);
    rig.addRect(2, kFuncPosition, QRect(QPoint(10, 200), QPoint(109, 229)), 8, 0, 0);
    auto rec = rig.recogniser();
    rec->CreateShape(0);  // no position region: the default box
    QCOMPARE(rec->modelCx[0], 80 + 240 / 2);
    QCOMPARE(rec->modelCy[0], 60 + 180 / 2);
    QCOMPARE(rec->searchRect[0], cv::Rect(40, 20, 280, 220));
    QVERIFY(rec->shapeModels[0].IsValid());
    rec->CreateShape(1);  // the first position region
    QCOMPARE(rec->modelCx[1], 80 + 160 / 2);
    QCOMPARE(rec->modelCy[1], 50 + 130 / 2);
    QCOMPARE(rec->searchRect[1], cv::Rect(40, 10, 240, 210));
    rec->CreateShape(2);  // margin past the edges: cut at the image
    QCOMPARE(rec->searchRect[2], cv::Rect(0, 160, 150, 80));
    // Colour camera: the model stays as it was.
    gisColor = 1;
    rig.store->count[1] = 0;
    rec->CreateShape(1);
    gisColor = 0;
    QCOMPARE(rec->modelCx[1], 160);
}

void TestRecong::alignsShiftedFrame() {
    RecongRig& rig = *rig_;
    rig.para.enable_correct = 0;
    rig.para.match_angle = 0;
    rig.para.step_enable[0] = 1;
    const cv::Mat tmpl = partPicture();
    rig.setTemplate(0, 0, tmpl);
    rig.addRect(0, kFuncPosition, QRect(QPoint(80, 50), QPoint(239, 179)), 5, 0, 0);
    auto rec = rig.recogniser();
    QVERIFY(rec->shapeModels[0].IsValid());
    cv::Mat raw = tmpl.clone();
    MoveImage(tmpl, raw, 9, -6);
    rig.setFrame(raw);
    rig.window.DetectStep = 0;
    rec->ShapeMatch();
    rig.view->completeAlignment();  // no region to evaluate: nothing was aligned yet
    const cv::Mat aligned = rig.view->alignedImage();
    const cv::Rect inner(90, 60, 140, 110);
    QCOMPARE(meanAbsDiff(aligned, tmpl, inner), 0.0);
    QVERIFY(meanAbsDiff(raw, tmpl, inner) > 10);
}

void TestRecong::alignsRotatedFrame() {
    RecongRig& rig = *rig_;
    rig.para.enable_correct = 0;
    rig.para.match_angle = 15;
    rig.para.step_enable[3] = 1;
    const cv::Mat tmpl = partPicture();
    rig.setTemplate(3, 0, tmpl);
    rig.addRect(3, kFuncPosition, QRect(QPoint(80, 50), QPoint(239, 179)), 5, 0, 0);
    auto rec = rig.recogniser();
    QVERIFY(rec->shapeModels[3].IsValid());
    // The part turned by 6 degrees about an off-centre point and shifted.
    cv::Mat raw = tmpl.clone();
    TransformImage(tmpl, raw, cv::Point(-7, 5), cv::Point(140, 100), 6.0);
    rig.setFrame(raw);
    rig.window.DetectStep = 3;
    rec->ShapeMatch();
    rig.view->completeAlignment();
    const cv::Mat aligned = rig.view->alignedImage();
    const cv::Rect inner(100, 70, 120, 90);
    const double before = meanAbsDiff(raw, tmpl, inner), after = meanAbsDiff(aligned, tmpl, inner);
    QVERIFY2(after < 4.0 && after < before / 4, qPrintable(QString("%1 -> %2").arg(before).arg(after)));
}

void TestRecong::alignedRegionsJudgeAsWholeFrame_data() {
    QTest::addColumn<int>("range");
    QTest::addColumn<double>("angle");
    QTest::addColumn<QPoint>("shift");
    QTest::newRow("turned 6") << 15 << 6.0 << QPoint(-7, 5);
    QTest::newRow("turned -11") << 15 << -11.0 << QPoint(4, 9);
    QTest::newRow("turned 0.4") << 15 << 0.4 << QPoint(12, -3);
    QTest::newRow("whole turn, 140") << 180 << 140.0 << QPoint(-3, -2);
    QTest::newRow("shifted only") << 0 << 0.0 << QPoint(9, -6);
}

// Positioning aligns only the boxes the regions read; the regions judge exactly as on the whole
// aligned frame, and the whole frame, made afterwards for a picture, is that of the judged frame
// even when a newer one has come in.
void TestRecong::alignedRegionsJudgeAsWholeFrame() {
    QFETCH(int, range);
    QFETCH(double, angle);
    QFETCH(QPoint, shift);
    RecongRig& rig = *rig_;
    rig.para.enable_correct = 0;
    rig.para.match_angle = range;
    rig.para.step_enable[0] = 1;
    rig.para.min_spot = 1;
    const cv::Mat tmpl = partPicture();
    rig.setTemplate(0, 0, tmpl);
    rig.addRect(0, kFuncPosition, QRect(QPoint(80, 50), QPoint(239, 179)), 5, 0, 0);
    // Overlapping and separate boxes of every kind, some near the edges.
    const int first = rig.store->count[0];
    rig.addRect(0, kFuncDefect, QRect(QPoint(95, 65), QPoint(225, 165)), 1, 25, 20);
    rig.addRect(0, kFuncDefect, QRect(QPoint(0, 0), QPoint(60, 45)), 1, 25, 20);
    rig.addRect(0, kFuncBlack, QRect(QPoint(120, 80), QPoint(150, 120)), 0, 60, 10);
    rig.addRect(0, kFuncWhite, QRect(QPoint(140, 90), QPoint(230, 170)), 0, 220, 5);
    rig.addRect(0, kFuncSpot, QRect(QPoint(160, 110), QPoint(219, 159)), 0x9664, 0, 20000);
    rig.addRect(0, kFuncWhiteCount, QRect(QPoint(90, 60), QPoint(235, 175)), 1, 230, 0);
    rig.addRect(0, kFuncDirection, QRect(QPoint(100, 55), QPoint(240, 180)), 0, 50, 20000);
    rig.addRect(0, kFuncSimilarity, QRect(QPoint(100, 70), QPoint(219, 159)), 0, 60, 0);
    rig.addRing(0, kFuncDefect, QPoint(280, 200), 10, 35);
    rig.addRect(0, kFuncIgnore, QRect(QPoint(200, 10), QPoint(260, 40)), 0, 0, 0);
    const int last = rig.store->count[0];
    auto rec = rig.recogniser();
    QVERIFY(rec->shapeModels[0].IsValid());

    // The part moved and turned, with a dark spot on it and a bright scratch near a corner.
    cv::Mat raw = tmpl.clone();
    if (range > 0)
        TransformImage(tmpl, raw, cv::Point(shift.x(), shift.y()), cv::Point(160, 115), angle);
    else
        MoveImage(tmpl, raw, shift.x(), shift.y());
    cv::circle(raw, cv::Point(150, 95), 6, cv::Scalar(5), cv::FILLED);
    cv::line(raw, cv::Point(10, 10), cv::Point(40, 30), cv::Scalar(255), 2);
    rig.setFrame(raw);
    rig.view->alignedImage().setTo(99);  // what a region reads outside its box would show
    rig.window.DetectStep = 0;
    rec->ShapeMatch();
    QVERIFY2(rig.view->alignment.pending, "the part was not found");
    rec->Run(0);
    struct Judged {
        int ok, value, boxes;
    };
    std::vector<Judged> parts;
    for (int r = first; r < last; ++r)
        parts.push_back({rig.view->roiOk[0][r], rig.view->roiValue[0][r], rig.view->roiBoxes[0][r].count});
    const bool partsOk = rig.view->allOk;

    // A newer frame comes in before the picture is made.
    const cv::Mat judged = raw.clone();
    rig.view->rawImage().setTo(33);
    rig.view->completeAlignment();
    const cv::Rect sr = rec->searchRect[0];
    int x = 0, y = 0;
    double a = 0, turn = 0;
    QVERIFY(rec->shapeModels[0].Find(judged(sr), 0, &x, &y, &a, &turn));
    cv::Mat whole(raw.size(), CV_8UC1);
    if (range > 0)
        TransformImage(judged, whole, cv::Point(x - sr.x, y - sr.y),
                       cv::Point(rec->modelCx[0], rec->modelCy[0]), turn);
    else
        MoveImage(judged, whole, x - sr.x, y - sr.y);
    QCOMPARE(cv::norm(rig.view->alignedImage(), whole, cv::NORM_INF), 0.0);

    // The same regions judged on the whole aligned frame.
    rec->Run(0);
    QCOMPARE(rig.view->allOk, partsOk);
    for (int r = first; r < last; ++r) {
        const Judged& p = parts[size_t(r - first)];
        const QString what = QString("region %1").arg(r);
        QVERIFY2(p.ok == rig.view->roiOk[0][r], qPrintable(what));
        QVERIFY2(p.value == rig.view->roiValue[0][r], qPrintable(what));
        QVERIFY2(p.boxes == rig.view->roiBoxes[0][r].count, qPrintable(what));
    }
    QVERIFY(!partsOk);  // the spot and the scratch are found
}

void TestRecong::runTest() {
    RecongRig& rig = *rig_;
    CammerSingleton& w = *rig.view->workingStore;
    int repaints = 0;
    rig.view->repaint = [&] { ++repaints; };
    auto add = [&](int func, int p1, int sens, int area) {
        const int i = w.count[0]++;
        w.shape[0][i] = kShapeRect;
        w.rect[0][i].rect = kBox;
        w.func[0][i] = func;
        w.para1[0][i] = p1;
        w.sens[0][i] = sens;
        w.area[0][i] = area;
        rig.view->workingMasks[0][i] = w.updateRegion(0, i);
        return i;
    };
    const int count = add(kFuncWhiteCount, 1, 200, 1);
    const int defect = add(kFuncDefect, 1, 25, 100);
    const int black = add(kFuncBlack, 0, 50, 1);
    rig.view->shownTemplate = 2;
    rig.setTemplate(0, 2, scene("blobs", 230, 150));
    auto rec = rig.recogniser();
    rec->VarTrain(0);
    // The evaluation's results stand for an alarm: the re-test writes buffers of its own.
    rig.view->alarmImage.setTo(7);
    rig.view->roiValue[0][count] = 4321;
    rig.view->roiBoxes[0][count].count = 3;
    rec->RunTest(0, count);
    QCOMPARE(rig.view->testValue[0][count], 150);  // number of contours, no cap
    QVERIFY(rig.view->testShown);
    QCOMPARE(repaints, 1);
    QCOMPARE(cv::countNonZero(rig.view->testImage), 150 * 25);
    QCOMPARE(int(rig.view->roiOk[0][count]), 0);  // no judgement
    QCOMPARE(rig.view->roiValue[0][count], 4321);
    QCOMPARE(rig.view->roiBoxes[0][count].count, 3);
    QCOMPARE(cv::countNonZero(rig.view->alarmImage != 7), 0);
    rig.view->testShown = false;
    rec->RunTest(0, defect);
    QCOMPARE(repaints, 2);
    QVERIFY(!rig.view->testShown);
    QCOMPARE(cv::countNonZero(rig.view->testImage), 0);
    rig.setTemplate(0, 2, scene("square", 20, 12));
    rec->RunTest(0, black);
    QCOMPARE(rig.view->testValue[0][black], 121);
    rec->RunTest(0, 3);  // beyond the count: nothing
    QCOMPARE(repaints, 3);
}

void TestRecong::autoRegion() {
    RecongRig& rig = *rig_;
    CammerSingleton& w = *rig.view->workingStore;
    int tool = 5;
    rig.para.minimum_size = 4;
    rig.para.minimum_area = 77;
    rig.setTemplate(0, 0, flatImage(100));
    rig.setTemplate(1, 0, flatImage(100));
    QVERIFY(!AutogenerationRegion(rig.view.get(), 2, &tool));  // identical
    QCOMPARE(w.count[2], 0);
    cv::Mat b = flatImage(100);
    b.at<uchar>(100, 100) = 255;
    rig.setTemplate(1, 0, b);
    QVERIFY(!AutogenerationRegion(rig.view.get(), 2, &tool));  // one pixel does not survive the opening
    QCOMPARE(tool, 5);
    // Two separate blocks differing by 40: one convex region around both.
    b = flatImage(100);
    b(cv::Rect(40, 40, 60, 50)).setTo(140);
    b(cv::Rect(200, 150, 70, 40)).setTo(140);
    rig.setTemplate(1, 0, b);
    QVERIFY(AutogenerationRegion(rig.view.get(), 2, &tool));
    QCOMPARE(w.count[2], 1);
    QCOMPARE(w.shape[2][0], int(kShapePolygon));
    QCOMPARE(w.func[2][0], 0);
    QCOMPARE(w.para1[2][0], 4);
    QCOMPARE(w.area[2][0], 77);
    QVERIFY(w.polygon[2][0].selected);
    QCOMPARE(tool, 0);
    QCOMPARE(rig.view->selectedRoi, -1);
    const cv::Mat& mask = rig.view->workingMasks[2][0];
    const QRect box = w.polygon[2][0].imgRect;
    QCOMPARE(mask.cols, box.width());
    for (cv::Point p : {cv::Point(40, 40), cv::Point(99, 89), cv::Point(269, 189), cv::Point(150, 120)})
        QVERIFY(mask.at<uchar>(p.y - box.top(), p.x - box.left()) == 255);
    // A fifth of the mean difference of the differing pixels (40), the mean over the box taken as an
    // integer first.
    QVERIFY2(w.sens[2][0] >= 6 && w.sens[2][0] <= 8, qPrintable(QString::number(w.sens[2][0])));
}

void TestRecong::colourCamera() {
    RecongRig& rig = *rig_;
    rig.para.enable_correct = 0;
    setImageGeometry(RecongRig::W, RecongRig::H, true);
    auto view = std::make_unique<CammerViewData>();
    view->allocate(4);
    CammerSingleton& s = *view->savedStore;
    auto add = [&](int func, int sens, int area) {
        const int i = s.count[0]++;
        s.shape[0][i] = kShapeRect;
        s.rect[0][i].rect = kBox;
        s.func[0][i] = func;
        s.sens[0][i] = sens;
        s.area[0][i] = area;
        view->savedMasks[0][i] = s.updateRegion(0, i);
        return i;
    };
    const int white = add(kFuncWhite, 200, 100);
    const int black = add(kFuncBlack, 10, 100);
    // 32-bit pixels, byte 0 taken as red: a white square and a red square on green.
    cv::Mat frame(RecongRig::H, RecongRig::W, CV_8UC4, cv::Scalar(0, 160, 0, 0));
    frame(cv::Rect(60, 60, 12, 12)).setTo(cv::Scalar(255, 255, 255, 0));
    frame(cv::Rect(120, 100, 11, 11)).setTo(cv::Scalar(200, 0, 0, 0));
    std::memcpy(view->rawBuffer.data(), frame.data, view->rawBuffer.size());
    CammerRecong rec(&s, view.get());
    rec.CreateShape(0);
    QVERIFY(!rec.shapeModels[0].IsValid());  // no positioning for colour cameras
    rec.VarTrain(0);
    rec.ShapeMatch();
    QVERIFY(view->alignedBuffer == view->rawBuffer);
    gisGrayHue = 1;  // grey: the white square only is bright
    rec.Run(0);
    QCOMPARE(view->roiValue[0][white], 121);
    gisGrayHue = 0;  // hue: red is 0, green 85; white has no hue (0) either
    rec.Run(0);
    QCOMPARE(view->roiValue[0][black], 121 + 100);
    gisGrayHue = 0;
    view.reset();
    setImageGeometry(RecongRig::W, RecongRig::H, false);
}

QTEST_MAIN(TestRecong)
#include "tst_recong.moc"
