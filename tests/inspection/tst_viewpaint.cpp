// Camera view painting: the pixel overlays by display state and source, the texts of regions, status,
// countdown, mould numbers and pointer location, and what the views report to the title bar.
#include <QLabel>
#include <QtTest>

#include "inspection/titlebar.h"
#include "widgets/fittext.h"
#include "inspection/viewpaint.h"
#include "monitorworld.h"
#include "records/counters.h"

namespace {
void rectRegion(CammerSingleton& s, int step, int r, const QRect& img, int func = 4) {
    s.shape[step][r] = kShapeRect;
    s.rect[step][r].rect = QRect(img.topLeft() * 5, img.bottomRight() * 5);
    s.rect[step][r].imgRect = img;
    s.func[step][r] = func;
    s.area[step][r] = 25;
    s.sens[step][r] = 7;
    s.para1[step][r] = 5;
}
uint32_t px(const CammerWidget* v, int x, int y) {
    return v->paintPixels[size_t(y) * size_t(gImageW) + size_t(x)] & 0xFFFFFFu;
}
}  // namespace

class TestViewPaint : public QObject {
    Q_OBJECT
private slots:
    void init() {
        if (gaLanStr[150 * kLanColumns].isEmpty()) loadLanguageTable();
        gLan = 1;
    }
    void regionLabels_data();
    void regionLabels();
    void statusTexts_data();
    void statusTexts();
    void countdown_data();
    void countdown();
    void mouldNumbersAndLocation();
    void overlays_data();
    void overlays();
    void reportsToTitleBar();
    void hiddenViewStripsCurrent();
    void resultMarkClearOfTileEdge();
    void titleBarStripsAndIcons();
    void regionAtImageEdgeClipped_data();
    void regionAtImageEdgeClipped();
    void pictureConvertedOncePerFrame();
    void paintNeverWaitsForThePush();
    void tileFiguresAndLabels_data();
    void tileFiguresAndLabels();
    void beforeBadge_data();
    void beforeBadge();
};

void TestViewPaint::regionLabels_data() {
    QTest::addColumn<int>("regions");
    QTest::addColumn<int>("func");
    QTest::addColumn<bool>("perRegion");
    QTest::addColumn<QString>("label");
    QTest::newRow("10 regions, black area") << 10 << 4 << true << "3: 25 / 42 ";
    QTest::newRow("11 regions: number and value only") << 11 << 4 << true << "3: 42";
    QTest::newRow("defect, per-region parameters") << 2 << 0 << true << "3: 25 / 42 ";
    QTest::newRow("defect, global alarm area") << 2 << 0 << false << "3: 900 / 42 ";
    QTest::newRow("spot: sensitivity and area") << 2 << 1 << false << "3: 7--25 / 42 ";
    QTest::newRow("similarity: sensitivity") << 2 << 6 << false << "3: 7 / 42 ";
}

void TestViewPaint::regionLabels() {
    QFETCH(int, regions);
    QFETCH(int, func);
    QFETCH(bool, perRegion);
    QFETCH(QString, label);
    auto s = std::make_unique<CammerSingleton>(0);
    s->count[1] = regions;
    rectRegion(*s, 1, 2, QRect(1, 1, 4, 4), func);
    QCOMPARE(regionLabel(*s, 1, 2, 42, perRegion, 900), label);
}

void TestViewPaint::statusTexts_data() {
    QTest::addColumn<int>("runState");
    QTest::addColumn<int>("phase");
    QTest::addColumn<bool>("pending");
    QTest::addColumn<int>("left");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("text");
    QTest::newRow("learning") << 2 << 1 << true << 2 << QColor(Qt::cyan) << lanText(310);
    QTest::newRow("stopped") << 3 << 1 << false << 0 << QColor(Qt::red) << lanText(311);
    QTest::newRow("second of three re-checks")
        << 1 << 1 << true << 2 << QColor(Qt::green) << lanText(593).arg(2);
    QTest::newRow("pending, none left: phase") << 1 << 2 << true << 0 << QColor(Qt::green) << lanText(528);
    QTest::newRow("detecting") << 1 << 1 << false << 1 << QColor(Qt::green) << lanText(312);
    QTest::newRow("waiting") << 1 << 3 << false << 0 << QColor(Qt::green) << lanText(529);
    QTest::newRow("other phase: empty") << 1 << 0 << false << 0 << QColor(Qt::green) << QString();
}

void TestViewPaint::statusTexts() {
    QFETCH(int, runState);
    QFETCH(int, phase);
    QFETCH(bool, pending);
    QFETCH(int, left);
    QFETCH(QColor, colour);
    QFETCH(QString, text);
    const ViewStatus st = viewStatus(runState, phase, pending, 3, left);
    QCOMPARE(st.colour, colour);
    QCOMPARE(st.text, text);
    QCOMPARE(lanText(593).arg(2), QStringLiteral("During 2 redetect"));
}

void TestViewPaint::countdown_data() {
    QTest::addColumn<QVector<int>>("active");  // per step: -1 timer stopped, else tenths left
    QTest::addColumn<QString>("text");
    QTest::newRow("first running step") << QVector<int>{-1, 15, 30} << "1.5";
    QTest::newRow("three significant digits") << QVector<int>{123, -1} << "12.3";
    QTest::newRow("0 left: nothing, later steps not looked at") << QVector<int>{-1, 0, 30} << "";
    QTest::newRow("no timer runs") << QVector<int>{-1, -1} << "";
}

void TestViewPaint::countdown() {
    QFETCH(QVector<int>, active);
    QFETCH(QString, text);
    bool on[kMaxStep] = {};
    int left[kMaxStep] = {};
    for (int s = 0; s < active.size(); ++s) {
        on[s] = active[s] >= 0;
        left[s] = std::max(0, active[s]);
    }
    QCOMPARE(countdownText(on, left, active.size()), text);
}

void TestViewPaint::mouldNumbersAndLocation() {
    const int32_t flags[8] = {2, 1, 2, 0, 0, 0, 0, 0};
    const auto texts = mouldNumberTexts(flags);
    QCOMPARE(texts.size(), 3);
    QCOMPARE(texts[0], qMakePair(352, QStringLiteral("1#")));
    QCOMPARE(texts[1], qMakePair(412, QStringLiteral(",")));
    QCOMPARE(texts[2], qMakePair(422, QStringLiteral("3#")));
    QCOMPARE(locationText(QPoint(3, 4), 77, false), QStringLiteral("3, 4, 77"));
    QCOMPARE(locationText(QPoint(3, 4), 0x102030, true), QStringLiteral("3, 4, 16, 32, 48"));
}

void TestViewPaint::overlays_data() {
    QTest::addColumn<int>("display");
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("blink");
    QTest::addColumn<bool>("testShown");
    QTest::addColumn<uint32_t>("alarmPixel");   // an alarm mark inside the NG region
    QTest::addColumn<uint32_t>("ignorePixel");  // an ignored point inside the region
    const uint32_t grey = 0x646464, red = 0xFF0000, cyan = 0x00FFFF;
    QTest::newRow("alarm, live, blink on") << 2 << 1 << 1 << false << red << grey;
    QTest::newRow("alarm, live, blink off: camera colours") << 2 << 1 << 0 << false << grey << grey;
    QTest::newRow("result shown: no blink") << 1 << 1 << 1 << false << grey << grey;
    QTest::newRow("editor, template: ignore mask") << 3 << 0 << 0 << false << grey << cyan;
    QTest::newRow("live with a parameter test") << 0 << -1 << 0 << true << cyan << grey;
}

void TestViewPaint::overlays() {
    QFETCH(int, display);
    QFETCH(int, source);
    QFETCH(int, blink);
    QFETCH(bool, testShown);
    QFETCH(uint32_t, alarmPixel);
    QFETCH(uint32_t, ignorePixel);
    MonitorWorld world(1);
    MainWindow* w = world.build();
    CammerWidget* v = w->camView(0);
    QVERIFY(v);
    std::fill(v->displayBuffer.begin(), v->displayBuffer.end(), uchar(100));
    v->displayChanged();
    for (CammerSingleton* s : {v->data.savedStore.get(), v->data.workingStore.get()}) {
        s->count[0] = 1;
        rectRegion(*s, 0, 0, QRect(QPoint(5, 5), QPoint(20, 20)));
    }
    v->data.alarmImage = cv::Mat::zeros(gImageH, gImageW, CV_8UC1);
    v->data.alarmImage.at<uchar>(10, 10) = 255;
    v->data.alarmImage.at<uchar>(40, 40) = 255;  // outside every region: never painted
    v->data.testImage = v->data.alarmImage.clone();  // a parameter test marks the same pixels
    v->data.ignoreImages[0] = cv::Mat::zeros(gImageH, gImageW, CV_8UC1);
    v->data.ignoreImages[0].at<uchar>(12, 12) = 255;
    v->data.ignoreImages[0].at<uchar>(30, 45) = 255;  // outside
    v->data.roiOk[0][0] = 0;
    v->data.allOk = false;
    v->data.testShown = testShown;
    v->data.selectedRoi = testShown ? 0 : -1;
    v->blinkPhase = blink;
    w->DisplayState = display;
    w->DetectStep = 0;
    w->editorStep = 0;
    gSource = source;
    v->resize(320, 240);
    QImage img(v->size(), QImage::Format_ARGB32);
    v->render(&img);
    QCOMPARE(px(v, 10, 10), alarmPixel);
    QCOMPARE(px(v, 12, 12), ignorePixel);
    QCOMPARE(px(v, 40, 40), 0x646464u);
    QCOMPARE(px(v, 45, 30), 0x646464u);
    gSource = -1;
}

void TestViewPaint::reportsToTitleBar() {
    MonitorWorld world(1);
    MainWindow* w = world.build();
    CammerWidget* v = w->camView(0);
    QVERIFY(v && w->titleBar);
    gAllNum[0] = 12;
    gFailNum[0] = 3;
    w->fps[0] = 25;
    w->RunState = 1;
    w->StepPhase = 1;
    w->DetectStep = 1;
    w->DisplayState = 0;
    w->displayedCamera = 0;
    w->pointerPixel = QPoint(3, 4);
    w->pointerValue = 77;
    gSource = -1;
    v->resize(320, 240);
    QImage img(v->size(), QImage::Format_ARGB32);
    v->render(&img);
    CameraInfo* strip = w->titleBar->strip(0);
    QCOMPARE(strip->message->text(),
             lanText(313).arg("1", stepLabel(world.p().detect_mode, 1), lanText(312)));
    QCOMPARE(strip->messageIconPath, QStringLiteral(":/img/icons/warning2.png"));
    QCOMPARE(strip->layerNum->text(), QStringLiteral("12"));
    QCOMPARE(strip->ngNum->text(), QStringLiteral("3"));
    QCOMPARE(w->titleBar->frameRateLabel()->text(), QStringLiteral("25"));
    QCOMPARE(w->titleBar->locationLabel()->text(), QStringLiteral("3, 4, 77"));

    // While a result is shown the location is left as it was; the tiled view has no displayed camera.
    w->pointerPixel = QPoint(9, 9);
    w->DisplayState = 1;
    v->render(&img);
    QCOMPARE(w->titleBar->locationLabel()->text(), QStringLiteral("3, 4, 77"));
    w->DisplayState = 0;
    w->displayedCamera = numCamera;
    v->render(&img);
    QCOMPARE(w->titleBar->locationLabel()->text(), QStringLiteral("3, 4, 77"));

    // A view of a camera that did not open paints nothing and reports nothing.
    CammerWidget* unused = w->views[1];
    QVERIFY(unused && unused->cameraIndex() < 0);
    unused->resize(64, 48);
    QImage other(unused->size(), QImage::Format_ARGB32);
    other.fill(Qt::white);
    unused->render(&other);
    QCOMPARE(w->titleBar->strip(1)->ngNum->text(), QStringLiteral("0"));
    gAllNum[0] = gFailNum[0] = 0;
}

// Only camera 1 is shown: camera 2's view does not paint, yet its strip follows the cycle (once a
// second, with the frame counts).
void TestViewPaint::hiddenViewStripsCurrent() {
    MonitorWorld world(2);
    MainWindow* w = world.build();
    QVERIFY(w->camView(1) && w->camView(1)->cameraIndex() >= 0);
    w->displayedCamera = 0;
    w->camView(1)->hide();
    gSource = -1;
    w->RunState = 3;
    w->SlotFPS();
    CameraInfo* strip = w->titleBar->strip(1);
    const QString stopped = strip->message->text();
    QVERIFY(!stopped.isEmpty());
    gAllNum[1] = 7;
    gFailNum[1] = 2;
    w->RunState = 1;
    w->StepPhase = 1;
    w->DetectStep = 0;
    w->SlotFPS();
    QCOMPARE(strip->message->text(),
             lanText(313).arg("2", stepLabel(world.p().detect_mode, 0), lanText(312)));
    QVERIFY(strip->message->text() != stopped);
    QCOMPARE(strip->layerNum->text(), QStringLiteral("7"));
    QCOMPARE(strip->ngNum->text(), QStringLiteral("2"));
    gAllNum[1] = gFailNum[1] = 0;
}

// The OK mark of a small tile stands clear of its left edge.
void TestViewPaint::resultMarkClearOfTileEdge() {
    MonitorWorld world(1);
    MainWindow* w = world.build();
    CammerWidget* v = w->camView(0);
    QVERIFY(v);
    gSource = -1;
    w->DisplayState = 1;
    w->displayedCamera = 0;
    v->data.allOk = true;
    v->resize(431, 245);  // a tile of four
    QImage img(v->size(), QImage::Format_RGB32);
    img.fill(Qt::black);
    v->render(&img);
    int left = -1;  // the mark's first column, right of the view's 2-pixel frame
    for (int x = 3; x < 60 && left < 0; ++x)
        for (int y = 3; y < 60; ++y) {
            const QColor c = img.pixelColor(x, y);
            if (c.green() > 60 && c.red() < 60 && c.blue() < 60) {  // anti-aliased edges too
                left = x;
                break;
            }
        }
    QVERIFY(left >= 0);                                       // the mark is drawn
    QVERIFY2(left >= 12, qPrintable(QString::number(left)));  // 10 px in, plus the glyph's own side bearing
    w->DisplayState = 0;
}

void TestViewPaint::titleBarStripsAndIcons() {
    TitleBar bar;
    QCOMPARE(bar.ioIcon(0, 2), 23);
    bar.promptSwitching_State(0, 2, 1);
    bar.promptSwitching_State(1, 0, 0);
    QCOMPARE(bar.ioIcon(0, 2), 22);
    QCOMPARE(bar.ioIcon(1, 0), 27);
    bar.promptSwitching_State(1, 3, 1);
    QCOMPARE(bar.ioIcon(1, 3), 32);

    // The frame rate is not tied to a strip; strip kinds of cameras 5 to 8 go nowhere.
    bar.setCameraInfo(5, CameraInfo::FrameRate, QStringLiteral("31"));
    bar.setCameraInfo(5, CameraInfo::NGNum, QStringLiteral("9"));
    QCOMPARE(bar.frameRateLabel()->text(), QStringLiteral("31"));
    for (int i = 0; i < TitleBar::kStrips; ++i) QCOMPARE(bar.strip(i)->ngNum->text(), QStringLiteral("0"));
    QCOMPARE(bar.strip(2)->message->text(), lanText(596).arg(3));
    bar.setCameraInfo(2, CameraInfo::Message, QStringLiteral("m"), MessageNormal);
    QCOMPARE(bar.strip(2)->messageIconPath, QStringLiteral(":/img/icons/15.png"));
    bar.setCameraInfo(2, CameraInfo::Message, QStringLiteral("m"), MessageWarning);
    QCOMPARE(bar.strip(2)->messageIconPath, QStringLiteral(":/img/icons/warning2.png"));
}

void TestViewPaint::regionAtImageEdgeClipped_data() {
    QTest::addColumn<QRect>("box");  // the region's image box, partly or wholly outside the 64 x 48 image
    QTest::addColumn<QPoint>("mark");
    QTest::addColumn<bool>("painted");
    QTest::newRow("beyond the right and bottom edges") << QRect(50, 40, 30, 30) << QPoint(63, 47) << true;
    QTest::newRow("beyond the left and top edges") << QRect(-20, -10, 30, 20) << QPoint(0, 0) << true;
    QTest::newRow("wholly outside") << QRect(70, 50, 10, 10) << QPoint(63, 47) << false;
}

// The alarm blink of a region that reaches over the image edge paints the part inside the image, and
// nothing is written outside it.
void TestViewPaint::regionAtImageEdgeClipped() {
    QFETCH(QRect, box);
    QFETCH(QPoint, mark);
    QFETCH(bool, painted);
    MonitorWorld world(1);
    MainWindow* w = world.build();
    CammerWidget* v = w->camView(0);
    std::fill(v->displayBuffer.begin(), v->displayBuffer.end(), uchar(100));
    v->displayChanged();
    CammerSingleton& s = *v->data.savedStore;
    s.count[0] = 1;
    rectRegion(s, 0, 0, box);
    v->data.alarmImage = cv::Mat(gImageH, gImageW, CV_8UC1, cv::Scalar(255));  // every pixel marked
    v->data.roiOk[0][0] = 0;
    v->data.allOk = false;
    v->blinkPhase = 1;
    w->DisplayState = 2;
    w->DetectStep = 0;
    gSource = 1;
    v->resize(320, 240);
    QImage img(v->size(), QImage::Format_ARGB32);
    v->render(&img);
    QCOMPARE(px(v, mark.x(), mark.y()), painted ? 0xFF0000u : 0x646464u);
    QCOMPARE(px(v, 30, 20), 0x646464u);  // a pixel outside the region keeps its colour
    gSource = -1;
}

// A paint converts the shown picture only when a new one came; the alarm blink's overlays are taken
// back at the next paint of the same picture, and the push sees a change only when the pixels changed.
void TestViewPaint::pictureConvertedOncePerFrame() {
    MonitorWorld world(1);
    MainWindow* w = world.build();
    CammerWidget* v = w->camView(0);
    CammerSingleton& s = *v->data.savedStore;
    s.count[0] = 1;
    rectRegion(s, 0, 0, QRect(5, 5, 10, 10));
    v->data.alarmImage = cv::Mat(gImageH, gImageW, CV_8UC1, cv::Scalar(255));
    v->data.roiOk[0][0] = 0;
    v->data.allOk = false;
    w->DisplayState = 2;
    w->DetectStep = 0;
    gSource = 1;
    v->resize(320, 240);
    QImage img(v->size(), QImage::Format_ARGB32);
    auto paint = [&](int phase) {
        v->blinkPhase = phase;
        v->render(&img);
    };
    std::fill(v->displayBuffer.begin(), v->displayBuffer.end(), uchar(100));
    v->displayChanged();
    paint(0);
    QCOMPARE(px(v, 8, 8), 0x646464u);
    const quint64 converted = v->paintSerial;
    paint(0);
    paint(0);
    QCOMPARE(v->paintSerial, converted);  // nothing new: nothing converted, nothing to push
    // Written behind the view's back (no displayChanged): the paints go on showing the converted one.
    std::fill(v->displayBuffer.begin(), v->displayBuffer.end(), uchar(50));
    paint(0);
    QCOMPARE(px(v, 30, 30), 0x646464u);
    // The blink on the same picture: the box turns red, and back at the next phase.
    paint(1);
    QCOMPARE(px(v, 8, 8), 0xFF0000u);
    QCOMPARE(px(v, 30, 30), 0x646464u);
    QVERIFY(v->paintSerial > converted);
    std::fill(v->displayBuffer.begin(), v->displayBuffer.end(), uchar(100));
    paint(0);
    QCOMPARE(px(v, 8, 8), 0x646464u);
    // A new picture is converted at the next paint.
    std::fill(v->displayBuffer.begin(), v->displayBuffer.end(), uchar(50));
    v->displayChanged();
    paint(0);
    QCOMPARE(px(v, 8, 8), 0x323232u);
    QCOMPARE(px(v, 30, 30), 0x323232u);
    gSource = -1;
}

// While the bridge's push copies the paint pixels (it holds their lock), a paint does not wait: it
// shows the picture as it stands, and the new one at the next paint.
void TestViewPaint::paintNeverWaitsForThePush() {
    MonitorWorld world(1);
    MainWindow* w = world.build();
    CammerWidget* v = w->camView(0);
    w->DisplayState = 0;
    gSource = 1;
    v->resize(320, 240);
    QImage img(v->size(), QImage::Format_ARGB32);
    std::fill(v->displayBuffer.begin(), v->displayBuffer.end(), uchar(100));
    v->displayChanged();
    v->render(&img);
    QCOMPARE(px(v, 8, 8), 0x646464u);
    std::fill(v->displayBuffer.begin(), v->displayBuffer.end(), uchar(50));
    v->displayChanged();
    v->paintLock.lock();  // the push is copying
    v->render(&img);      // returns: no wait for the lock
    QCOMPARE(px(v, 8, 8), 0x646464u);
    v->paintLock.unlock();
    v->render(&img);
    QCOMPARE(px(v, 8, 8), 0x323232u);
    gSource = -1;
}

void TestViewPaint::tileFiguresAndLabels_data() {
    QTest::addColumn<int>("cameras");
    QTest::newRow("one view") << 1;
    QTest::newRow("two side by side") << 2;
    QTest::newRow("2 x 2") << 4;
    QTest::newRow("3 x 2") << 6;
    QTest::newRow("4 x 2") << 8;
}

// On every tile of the result screen the brightness stands whole inside the view, clear of the
// camera number badge, and the region labels are drawn at 16 px or more.
void TestViewPaint::tileFiguresAndLabels() {
    QFETCH(int, cameras);
    MonitorWorld world(cameras);
    MainWindow* w = world.build();
    QCOMPARE(numCamera, cameras);
    w->DisplayState = 1;
    w->DetectStep = 1;
    gSource = -1;
    for (int c = 0; c < cameras; ++c) {
        CammerWidget* v = w->camView(c);
        v->brightness = 255;
        CammerSingleton& s = *v->data.savedStore;
        s.count[1] = 1;
        rectRegion(s, 1, 0, QRect(10, 10, 20, 20));
        QImage img(v->size(), QImage::Format_ARGB32);
        v->render(&img);
        const QRect view = v->rect();
        QVERIFY2(view.contains(v->paintedBrightness), qPrintable(QString("camera %1").arg(c + 1)));
        if (!v->cameraIcon.isNull()) {
            const QRect badge(v->width() - v->cameraIcon.width() - 10, 10, v->cameraIcon.width(),
                              v->cameraIcon.height());
            QVERIFY2(!badge.intersects(v->paintedBrightness), qPrintable(QString("camera %1").arg(c + 1)));
        }
        QVERIFY2(v->paintedLabelPx >= kMinViewTextPx, qPrintable(QString("camera %1").arg(c + 1)));
    }
}

void TestViewPaint::beforeBadge_data() {
    QTest::addColumn<int>("preferred");
    QTest::addColumn<int>("textWidth");
    QTest::addColumn<int>("viewWidth");
    QTest::addColumn<int>("badge");
    QTest::addColumn<int>("x");
    QTest::newRow("room left of the badge: where the layout puts it") << 1450 << 180 << 1725 << 48 << 1450;
    QTest::newRow("would reach the badge: ends 8 px before it") << 725 << 120 << 862 << 48 << 676;
    QTest::newRow("no badge: ends 5 px before the edge") << 400 << 100 << 431 << 0 << 326;
    QTest::newRow("narrower than the text: from the left edge") << 100 << 500 << 431 << 48 << 5;
}

void TestViewPaint::beforeBadge() {
    QFETCH(int, preferred);
    QFETCH(int, textWidth);
    QFETCH(int, viewWidth);
    QFETCH(int, badge);
    QFETCH(int, x);
    QCOMPARE(beforeBadgeX(preferred, textWidth, viewWidth, badge), x);
}

QTEST_MAIN(TestViewPaint)
#include "tst_viewpaint.moc"
