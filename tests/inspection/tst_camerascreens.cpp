// The camera pages as the operator meets them on the whole main window, pressed at screen positions
// through the top-level window: open the settings, choose a camera, move its image values (the camera
// gets them at once), leave with "Exit setup" and answer the question; detach the camera panel over
// the live picture and move exposure there; open the camera order dialog.
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QStackedLayout>
#include <QStackedWidget>
#include <QtTest>

#include "camera/camerasettings.h"
#include "camera/widgetchangecamera.h"
#include "inspection/imagecontainer.h"
#include "inspection/optionbar.h"
#include "monitorworld.h"
#include "settings/camerapages.h"
#include "settings/systemsettingwidget.h"
#include "widgets/blineedit.h"

namespace {

void showWindow(QWidget* w) {
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
}

// A press at `local` of `target` (its centre by default), through the top-level window that holds it.
void touch(QWidget* target, QPoint local = QPoint(-1, -1)) {
    if (local.x() < 0) local = target->rect().center();
    QWidget* top = target->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, target->mapTo(top, local));
}

// A press on a slider's track near its right end: one page step up.
void touchRightOfHandle(QSlider* s) {
    touch(s, QPoint(s->width() - 4, s->height() / 2));
}

double feature(int camera, const QByteArray& key) {
    double v = qQNaN();
    simcam::Bus::instance().featureValue(QByteArray("SIMCAM000") + QByteArray::number(camera + 1), key, &v);
    return v;
}

}  // namespace

class TestCameraScreens : public QObject {
    Q_OBJECT
private slots:
    void init() { gLan = 1; }
    void cleanup() { outSet = 0; }
    void imageValuesThenExit_data();
    void imageValuesThenExit();
    void detachedPanelAndOrder();
    void backEndFoundNoCameraOpens();
    void oneButtonPerCamera_data();
    void oneButtonPerCamera();
    void showingValuesChangesNothing();
};

void TestCameraScreens::imageValuesThenExit_data() {
    QTest::addColumn<bool>("save");
    QTest::newRow("Exit setup, Yes: stored and kept") << true;
    QTest::newRow("Exit setup, No: the cameras go back") << false;
}

void TestCameraScreens::imageValuesThenExit() {
    QFETCH(bool, save);
    MonitorWorld world(2);
    world.p().factory_param = 1;         // "Display factory param": the clarity, gamma and truth rows show
    world.p().enable_defect_detect = 1;  // a record the commit accepts
    for (int c = 0; c < 2; ++c) {
        world.p().expose_time[c] = 20;
        world.p().sharp[c] = 30;
    }
    MainWindow* w = world.build();
    showWindow(w);
    SystemSettingWidget* s = w->settingWidget;
    touch(w->optionBar->button(OptionBar::Settings));
    QCOMPARE(w->pageStack->currentWidget(), static_cast<QWidget*>(s));
    touch(s->tabButtons[3]);
    QCOMPARE(s->pageStack->currentWidget(), static_cast<QWidget*>(s->cameraParams));
    CameraParamsSubWidget* sub = s->cameraParamsSub;
    QVERIFY(sub->exposureSlider->isVisible());

    touch(sub->cameraButtons[1]);
    QCOMPARE(outSet, 1);
    QCOMPARE(w->displayedCamera, 1);
    touchRightOfHandle(sub->exposureSlider);
    QCOMPARE(sub->exposureValue->text(), QStringLiteral("30"));
    QCOMPARE(gpWParaBak->expose_time[1], 30);
    QCOMPARE(feature(1, "ExposureTime"), 30000.0);  // camera 2 at once
    QCOMPARE(feature(0, "ExposureTime"), 20000.0);  // camera 1 untouched
    touchRightOfHandle(s->cameraParams->sharpSlider);
    QCOMPARE(gpWParaBak->sharp[1], 40);
    QCOMPARE(feature(1, "Sharpness"), 40.0);
    QCOMPARE(gpWPara->expose_time[1], 20);  // nothing live before the commit

    world.prompter.queueAnswer(save);
    touch(s->exitButton);
    QCOMPARE(world.prompter.questions, QStringList{lanText(234)});
    QCOMPARE(w->pageStack->currentWidget(), static_cast<QWidget*>(w->imageContainer));
    const int exposure = save ? 30 : 20;
    QCOMPARE(gpWPara->expose_time[1], exposure);
    QCOMPARE(gpWParaBak->expose_time[1], exposure);
    QCOMPARE(feature(1, "ExposureTime"), exposure * 1000.0);
    QCOMPARE(feature(1, "Sharpness"), save ? 40.0 : 30.0);
    if (save) {  // what was saved is what the next start loads
        WizardPara stored;
        stored.LoadDatafromFile(ParameterManager::getInstance()->paramQuery);
        QCOMPARE(stored.expose_time[1], 30);
    }
}

void TestCameraScreens::detachedPanelAndOrder() {
    MonitorWorld world(2);
    world.p().expose_time[0] = 20;
    world.p().enable_defect_detect = 1;  // a record the commit accepts
    MainWindow* w = world.build();
    showWindow(w);
    SystemSettingWidget* s = w->settingWidget;
    touch(w->optionBar->button(OptionBar::Settings));
    touch(s->tabButtons[3]);
    CameraParamsSubWidget* sub = s->cameraParamsSub;

    // Detached: the panel floats over the live picture; exposure still goes to the working copy and
    // to the camera at once.
    touch(sub->viewButton);
    QVERIFY(sub->isWindow());
    QVERIFY(QTest::qWaitForWindowExposed(sub));
    QCOMPARE(w->pageStack->currentWidget(), static_cast<QWidget*>(w->imageContainer));
    touchRightOfHandle(sub->exposureSlider);
    QCOMPARE(gpWParaBak->expose_time[0], 30);
    QCOMPARE(gpWPara->expose_time[0], 20);
    QCOMPARE(feature(0, "ExposureTime"), 30000.0);
    touch(sub->nextButton);
    QCOMPARE(outSet, 1);
    touch(sub->viewButton);
    QVERIFY(!sub->isWindow());
    QCOMPARE(w->pageStack->currentWidget(), static_cast<QWidget*>(s));

    // Restore defaults asks first; declined, nothing moves.
    world.prompter.queueAnswer(false);
    touch(sub->restoreButton);
    QCOMPARE(world.prompter.questions, QStringList{lanText(527)});
    QCOMPARE(gpWParaBak->expose_time[0], 30);

    // The order button: the unsaved exposure is asked about first (declined: dropped), then back to
    // the picture, and the order dialog on top of it.
    world.prompter.queueAnswer(false);
    touch(sub->orderButton);
    QCOMPARE(world.prompter.questions, (QStringList{lanText(527), lanText(234)}));
    QCOMPARE(gpWParaBak->expose_time[0], 20);
    QCOMPARE(w->pageStack->currentWidget(), static_cast<QWidget*>(w->imageContainer));
    QVERIFY(w->widgetChangeCamera->isVisible());
    QCOMPARE(w->widgetChangeCamera->rowCount(), 2);
}

// A camera family is found but its camera does not open: the monitor runs with the four test views
// (every one built and shown), offers to clear the bindings, and the camera pages act on nothing.
void TestCameraScreens::backEndFoundNoCameraOpens() {
    MonitorWorld world(1);
    world.p().factory_param = 1;
    simcam::Bus::instance().injectStatus("MV_CC_OpenDevice", -1, 100);
    world.prompter.queueAnswer(false);  // keep the bindings
    MainWindow* w = world.build();
    showWindow(w);
    QCOMPARE(gCameraID, int(kCameraNone));
    QCOMPARE(numCamera, 4);
    QCOMPARE(w->cams.size(), 4);
    for (CammerWidget* v : w->cams) {
        QVERIFY(v->isBuilt());
        QVERIFY(v->isVisible());
    }
    QCOMPARE(world.prompter.questions, QStringList{lanText(134)});
    SystemSettingWidget* s = w->settingWidget;
    touch(w->optionBar->button(OptionBar::Settings));
    touch(s->tabButtons[3]);
    touchRightOfHandle(s->cameraParamsSub->exposureSlider);
    touchRightOfHandle(s->cameraParams->gammaSlider);
    QCOMPARE(s->cameraParamsSub->exposureValue->text(), QString::number(gpWParaBak->expose_time[0]));
}

// The camera choice offers one button per camera: with one camera nothing can highlight a camera the
// sliders do not act on, and "next" on the detached panel stays on the last camera.
void TestCameraScreens::oneButtonPerCamera_data() {
    QTest::addColumn<int>("cameras");
    QTest::newRow("one camera") << 1;
    QTest::newRow("two cameras") << 2;
}

void TestCameraScreens::oneButtonPerCamera() {
    QFETCH(int, cameras);
    MonitorWorld world(cameras);
    MainWindow* w = world.build();
    showWindow(w);
    SystemSettingWidget* s = w->settingWidget;
    touch(w->optionBar->button(OptionBar::Settings));
    touch(s->tabButtons[3]);
    CameraParamsSubWidget* sub = s->cameraParamsSub;
    for (int i = 0; i < kCameraPageButtons; ++i) QCOMPARE(sub->cameraButtons[i]->isVisible(), i < cameras);
    touch(sub->viewButton);
    QVERIFY(QTest::qWaitForWindowExposed(sub));
    touch(sub->nextButton);
    touch(sub->nextButton);
    QCOMPARE(outSet, cameras - 1);
    QCOMPARE(sub->cameraGroup->checkedId(), cameras - 1);
    touch(sub->viewButton);
}

// Stored values of camera 1 outside the sliders' ranges (exposure 150 ms, gain 70, clarity 120, gamma
// 300, truth 250, speed 40), camera 2 inside them: showing them, switching cameras and restoring a camera's
// defaults show them clamped and write nothing, neither to the working copy nor to the cameras; after "Exit
// setup" and Yes the record is as it was. The first slider the operator moves is stored as shown.
void TestCameraScreens::showingValuesChangesNothing() {
    MonitorWorld world(2);
    world.p().factory_param = 1;
    world.p().enable_defect_detect = 1;
    const int outOfRange[5] = {150, 70, 120, 300, 250};  // exposure, gain, clarity, gamma, truth
    const int inRange[5] = {20, 10, 30, 100, 50};        // camera 2
    int32_t* fields[5] = {world.p().expose_time, world.p().adjust_plus, world.p().sharp, world.p().gamma,
                          world.p().contrast};
    for (int f = 0; f < 5; ++f) {
        fields[f][0] = outOfRange[f];
        fields[f][1] = inRange[f];
    }
    world.p().capture_speed = 40;
    QVERIFY(world.p().SaveDatatoFile(ParameterManager::getInstance()->paramQuery));
    MainWindow* w = world.build();
    showWindow(w);
    const WizardPara stored = *gpWPara;
    auto& bus = simcam::Bus::instance();
    bus.clearLog();
    SystemSettingWidget* s = w->settingWidget;
    touch(w->optionBar->button(OptionBar::Settings));
    touch(s->tabButtons[3]);
    CameraParamsSubWidget* sub = s->cameraParamsSub;
    CameraParamsWidget* page = s->cameraParams;
    auto shown = [&] {
        return QStringList{sub->exposureValue->text(),   sub->gainValue->text(),
                           page->valueLabels[0]->text(), page->valueLabels[1]->text(),
                           page->valueLabels[2]->text(), page->valueLabels[3]->text()};
    };
    const QStringList clamped{"100", "64", "100", "250", "200", "32"};
    QCOMPARE(shown(), clamped);
    touch(sub->cameraButtons[1]);
    QCOMPARE(outSet, 1);
    QCOMPARE(shown(), (QStringList{"20", "10", "30", "100", "50", "32"}));
    touch(sub->cameraButtons[0]);
    QCOMPARE(shown(), clamped);
    auto imageValues = [](const WizardPara& p, int c) {
        return QList<int>{p.expose_time[c], p.adjust_plus[c], p.sharp[c], p.gamma[c], p.contrast[c]};
    };
    QCOMPARE(imageValues(*gpWParaBak, 0), imageValues(stored, 0));
    QCOMPARE(imageValues(*gpWParaBak, 1), imageValues(stored, 1));
    // Camera 1 back to its defaults: the values read back from the camera (here what it was given at
    // open) are shown clamped, not written back.
    world.prompter.queueAnswer(true);
    touch(sub->restoreButton);
    QCOMPARE(shown(), clamped);
    QCOMPARE(gpWParaBak->expose_time[0], 150);
    QCOMPARE(gpWParaBak->contrast[0], 250);
    const QStringList setters = bus.log().filter(QRegularExpression("SetFloatValue|SetIntValue"));
    QVERIFY2(setters.filter(QRegularExpression("ExposureTime|Gain|Sharpness|Gamma")).isEmpty(),
             qPrintable(setters.join('\n')));

    // Nothing changed: "Exit setup" has nothing to ask and nothing to store.
    touch(s->exitButton);
    QCOMPARE(w->pageStack->currentWidget(), static_cast<QWidget*>(w->imageContainer));
    QCOMPARE(world.prompter.questions, QStringList{lanText(527)});
    WizardPara saved;
    saved.LoadDatafromFile(ParameterManager::getInstance()->paramQuery);
    for (const WizardPara* p : {gpWPara, &saved}) {
        QCOMPARE(p->expose_time[0], 150);
        QCOMPARE(p->contrast[0], 250);
        QCOMPARE(imageValues(*p, 1), imageValues(stored, 1));
        QCOMPARE(p->capture_speed, 40);
    }

    // Moved by the operator, a slider stores what it shows.
    touch(w->optionBar->button(OptionBar::Settings));
    touch(s->tabButtons[3]);
    touch(page->speedSlider, QPoint(4, page->speedSlider->height() / 2));
    const int speed = page->speedSlider->value();
    QVERIFY(speed < 32);
    touch(sub->exposureSlider, QPoint(4, sub->exposureSlider->height() / 2));
    const int exposure = sub->exposureSlider->value();
    QVERIFY(exposure < 100);
    QCOMPARE(gpWParaBak->expose_time[0], exposure);
    QCOMPARE(gpWParaBak->expose_time[1], 20);
    world.prompter.queueAnswer(true);
    touch(s->exitButton);
    QCOMPARE(gpWPara->capture_speed, speed);
    QCOMPARE(gpWPara->expose_time[0], exposure);
    QCOMPARE(gpWPara->contrast[0], 250);
}

QTEST_MAIN(TestCameraScreens)
#include "tst_camerascreens.moc"
