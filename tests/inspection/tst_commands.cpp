// The operator commands of the main window: start and stop, template relearning with its hand-over
// to region editing and back, region editing from the tiled screen, the settings button, the layout
// of the camera views, zoom and pan, and the option bar's buttons and fine-tuning pad.
#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QStackedLayout>
#include <QStackedWidget>
#include <QtTest>

#include "editor/drawroiwidget.h"
#include "inspection/optionbar.h"
#include "monitorworld.h"
#include "records/accesslevel.h"
#include "records/passwordbox.h"

namespace {
// Stands in for the main window as the receiver of the pad's and snapshot button's actions.
class PadWindow : public QWidget {
    Q_OBJECT
public:
    int up = 0, fit = 0, productSnapshot = 0;
public slots:
    void SlotMoveT() { ++up; }
    void SlotMoveB() {}
    void SlotMoveL() {}
    void SlotMoveR() {}
    void MRecovery() { ++fit; }
    void SlotManualTrig0() { ++productSnapshot; }
};

MainWindow* buildWithoutPasswords(MonitorWorld& world) {
    world.p().is_psw_used = 0;
    world.derive();
    return world.build();
}
}  // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { resetAccessGlobals(); }
    void stopAndStart_data();
    void stopAndStart();
    void resampleHandsOverToEditingAndBack();
    void resampleRefusedWhileAlarmShown();
    void areaSettingsFromTiledScreen();
    void settingsButton_data();
    void settingsButton();
    void layoutGrid_data();
    void layoutGrid();
    void zoomAndPan();
    void optionBarButtonsAndPad();
};

void TestCommands::stopAndStart_data() {
    QTest::addColumn<bool>("stopClamping");
    QTest::addColumn<bool>("cutEjector");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<int>("outputsAfterStop");  // bits 0-3
    QTest::addColumn<int>("outputsAfterStart");
    QTest::newRow("stop clamping when stopping") << true << false << true << 0x1 << 0x0;
    QTest::newRow("plain stop, ejector cut on start") << false << true << true << 0x0 << 0x2;
    QTest::newRow("stop declined") << true << false << false << -1 << -1;
}

void TestCommands::stopAndStart() {
    QFETCH(bool, stopClamping);
    QFETCH(bool, cutEjector);
    QFETCH(bool, confirm);
    QFETCH(int, outputsAfterStop);
    QFETCH(int, outputsAfterStart);
    MonitorWorld world(1);
    world.p().enable_stop_mold = stopClamping;
    world.p().mold_cutoff = cutEjector;
    MainWindow* w = buildWithoutPasswords(world);
    // Outputs 0, 1 and 3 as driven (output 2 is inverted by the factory parameters: left out).
    auto outputs = [] {
        int bits = 0;
        for (int n : {0, 1, 3}) bits |= MonitorWorld::out(n) << n;
        return bits;
    };
    QCOMPARE(w->RunState, 1);
    w->timerUp[1]->start(100000);
    w->remainingDelay[1] = 30;

    world.prompter.queueAnswer(confirm);
    w->SlotStartStop();
    QCOMPARE(world.prompter.questions.value(0), lanText(140));
    if (!confirm) {
        QCOMPARE(w->RunState, 1);
        QVERIFY(w->timerUp[1]->isActive());
        return;
    }
    QCOMPARE(w->RunState, 3);
    QVERIFY(!w->timerUp[1]->isActive());
    QCOMPARE(w->remainingDelay[1], 0);
    QCOMPARE(outputs(), outputsAfterStop);
    QCOMPARE(world.records().last(), lanText(141));
    BOptionButton* button = w->optionBar->button(OptionBar::StartStop);
    QCOMPARE(button->text(), lanText(136));
    QVERIFY(w->titleBar->styleSheet().contains("#ee2329"));

    w->SlotStartStop();  // starting asks nothing
    QCOMPARE(world.prompter.questions.size(), 1);
    QCOMPARE(w->RunState, 1);
    QCOMPARE(outputs(), outputsAfterStart);
    QCOMPARE(world.records().last(), lanText(142));
    QCOMPARE(button->text(), lanText(127));
    QVERIFY(w->titleBar->styleSheet().contains("#1f3f8d"));
}

void TestCommands::resampleHandsOverToEditingAndBack() {
    MonitorWorld world(2);
    world.p().enable_prod_detect = 1;
    MainWindow* w = buildWithoutPasswords(world);
    DrawROIWidget* editor = installDrawROIWidget(w);
    QVERIFY(numCamera == 2 && gDNum >= 2);
    // Old templates beside the master; an ignored point.
    for (const char* f : {"cammer11/template0.bmp", "cammer11/template1.bmp", "cammer11/template2.bmp"}) {
        QFile file(f);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    w->camView(0)->data.ignoreImages[1].at<uchar>(3, 3) = 255;

    world.prompter.queueAnswer(true);
    w->SlotReTrain();
    QCOMPARE(world.prompter.questions.value(0), lanText(137));
    QCOMPARE(w->RunState, 2);
    for (int c = 0; c < 2; ++c)
        for (int d = 0; d < 2; ++d) QVERIFY(w->camView(c)->learnPending[d]);
    QVERIFY(QFile::exists("cammer11/template0.bmp"));
    QVERIFY(!QFile::exists("cammer11/template1.bmp") && !QFile::exists("cammer11/template2.bmp"));
    QCOMPARE(cv::countNonZero(w->camView(0)->data.ignoreImages[1]), 0);
    cv::Mat saved;
    QVERIFY(loadIgnoreMask("cammer12/ignorepoint.bmp", saved));
    QCOMPARE(cv::countNonZero(saved), 0);
    QVERIFY(world.records().contains(lanText(139)));

    // Learning done: region editing takes over and the decision waits.
    w->CheckArea(false);
    QCOMPARE(w->DisplayState, 3);
    QCOMPARE(gFromTrain, 1);
    QCOMPARE(w->barStack->currentIndex(), 1);
    QVERIFY(w->indexButton->isHidden());

    // "End Set" hands back to detection.
    w->regiOption->button(RegiOption::BTN_END_SET)->toggle();
    QCOMPARE(gFromTrain, 0);
    QCOMPARE(w->RunState, 1);
    QVERIFY(w->DisplayState != 3);
    QCOMPARE(gisReTrain, 1);
    QCOMPARE(w->barStack->currentIndex(), 0);
    QVERIFY(!w->indexButton->isHidden());
    w->setRoiEditor(nullptr);
    delete editor;
    gFromTrain = gisReTrain = 0;
}

void TestCommands::resampleRefusedWhileAlarmShown() {
    MonitorWorld world(1);
    MainWindow* w = buildWithoutPasswords(world);
    w->DisplayState = 2;
    world.prompter.queueAnswer(true);
    w->SlotReTrain();
    QCOMPARE(world.prompter.questions.size(), 1);  // asked, then nothing
    QCOMPARE(w->RunState, 1);
    QVERIFY(!w->camView(0)->learnPending[1]);
}

void TestCommands::areaSettingsFromTiledScreen() {
    MonitorWorld world(3);
    MainWindow* w = buildWithoutPasswords(world);
    QCOMPARE(w->displayedCamera, 3);
    w->SlotAdjustArea();
    QCOMPARE(w->displayedCamera, 0);
    QCOMPARE(w->DisplayState, 3);
    QCOMPARE(w->barStack->currentIndex(), 1);
    QVERIFY(!w->camView(0)->isHidden());
    QVERIFY(w->camView(1)->isHidden() && w->camView(2)->isHidden());
    QCOMPARE(w->camView(0)->geometry(), QRect(0, 0, gShowW, gShowH));
    QVERIFY(w->indexButton->isHidden());
    // A second press while the region bar is shown does nothing.
    w->DisplayState = 0;
    w->SlotAdjustArea();
    QCOMPARE(w->DisplayState, 0);
}

void TestCommands::settingsButton_data() {
    QTest::addColumn<bool>("alarm");
    QTest::addColumn<bool>("passwordRefused");
    QTest::addColumn<int>("page");
    QTest::newRow("opens") << false << false << 1;
    QTest::newRow("alarm shown: checked, copied, not opened") << true << false << 0;
    QTest::newRow("password refused") << false << true << 0;
}

void TestCommands::settingsButton() {
    QFETCH(bool, alarm);
    QFETCH(bool, passwordRefused);
    QFETCH(int, page);
    MonitorWorld world(1);
    world.p().is_psw_used = passwordRefused ? 1 : 0;
    world.derive();
    MainWindow* w = world.build();
    setPasswordDialogRunner([](PasswordBox&) { return int(QDialog::Rejected); });
    w->DisplayState = alarm ? 2 : 0;
    gpWParaBak->re_check_delay = gpWPara->re_check_delay + 7;
    BOptionButton* settings = w->optionBar->button(OptionBar::Settings);
    settings->setChecked(true);  // the press
    QCOMPARE(w->pageStack->currentIndex(), page);
    QCOMPARE(gpWParaBak->re_check_delay, gpWPara->re_check_delay);
    QCOMPARE(settings->isChecked(), !passwordRefused);
    QCOMPARE(w->optionBar->currentType(), passwordRefused ? 0 : int(OptionBar::BTN_SETTINGS));
}

void TestCommands::layoutGrid_data() {
    QTest::addColumn<int>("cameras");
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("rows");
    QTest::newRow("two side by side") << 2 << 2 << 1;
    QTest::newRow("three in 2 x 2") << 3 << 2 << 2;
    QTest::newRow("five in 3 x 2, sixth cell empty") << 5 << 3 << 2;
    QTest::newRow("seven in 4 x 2") << 7 << 4 << 2;
}

void TestCommands::layoutGrid() {
    QFETCH(int, cameras);
    QFETCH(int, cols);
    QFETCH(int, rows);
    MonitorWorld world(cameras);
    MainWindow* w = world.build();
    QCOMPARE(numCamera, cameras);
    w->zoomScale = 4;
    w->ChangeCammer();
    QCOMPARE(w->zoomScale, 1.0);
    const int tw = gShowW / cols, th = gShowH / rows;
    for (int i = 0; i < cameras; ++i) {
        QCOMPARE(w->camView(i)->geometry(), QRect((i % cols) * tw, (i / cols) * th, tw, th));
        QVERIFY(!w->camView(i)->isHidden());
    }
    QCOMPARE(w->zoomX, float(tw) / gShowW);
    QCOMPARE(w->zoomToolMode, 0);
    // One view enlarged: the others hide, the zoom-in button is offered on it.
    w->displayedCamera = 1;
    w->ChangeCammer();
    QCOMPARE(w->camView(1)->geometry(), QRect(0, 0, gShowW, gShowH));
    QVERIFY(w->camView(0)->isHidden());
    QCOMPARE(w->zoomToolMode, 1);
    QCOMPARE(w->zoomInButton->parentWidget(), static_cast<QWidget*>(w->camView(1)));
    QVERIFY(!w->zoomInButton->isHidden() && w->zoomOutButton->isHidden());
}

void TestCommands::zoomAndPan() {
    MonitorWorld world(1);
    MainWindow* w = world.build();
    QCOMPARE(w->displayedCamera, 0);
    QCOMPARE(w->zoomToolMode, 1);
    w->SlotMove(5, 5);  // nothing to pan at scale 1
    QCOMPARE(w->zoomOffX, 0.0);

    w->MEnlargeScale();  // first press offers the whole tool
    QCOMPARE(w->zoomToolMode, 2);
    QCOMPARE(w->zoomScale, 1.0);
    w->zoomAnchor = QPoint(300, 200);
    w->MEnlargeScale();
    QVERIFY(qAbs(w->zoomScale - 1.2) < 1e-9);
    // The anchor keeps its place: its unzoomed point maps back onto it.
    QVERIFY(qAbs((300 - w->zoomOffX) / w->zoomScale - 300) < 1e-9);
    for (int i = 0; i < 20; ++i) w->MScale(1);
    QCOMPARE(w->zoomScale, 32.0);
    const double x = w->zoomOffX;
    w->SlotMoveR();
    QCOMPARE(w->zoomOffX, x + 32.0);
    while (w->zoomScale > 1.0) w->MScale(-1);
    QCOMPARE(w->zoomOffX, 0.0);
    QCOMPARE(w->zoomOffY, 0.0);
    w->MTimerScale();  // 30 s unused: back to the zoom-in button alone
    QCOMPARE(w->zoomToolMode, 1);
}

void TestCommands::optionBarButtonsAndPad() {
    PadWindow window;
    OptionBar bar(&window);
    QList<int> types;
    connect(&bar, &OptionBar::btnsToggled, [&types](OptionBar::BTN_TYPE type, bool) { types << type; });
    bar.button(OptionBar::ProductSnapshot)->click();
    QCOMPARE(window.productSnapshot, 1);
    QVERIFY(types.isEmpty());
    QCOMPARE(bar.currentType(), 0);

    QVERIFY(bar.button(OptionBar::Statistics)->isHidden());
    bar.button(OptionBar::Statistics)->setChecked(true);
    QCOMPARE(types, QList<int>{OptionBar::BTN_STATISTICS});
    QCOMPARE(bar.currentType(), 6);
    bar.button(OptionBar::MouldSnapshot)->toggle();
    QCOMPARE(types.last(), int(OptionBar::BTN_MOULD_SNAPSHOT));

    // A tap on an arrow acts on press and on release.
    QTest::mouseClick(bar.fineTuningPad->upButton, Qt::LeftButton);
    QCOMPARE(window.up, 2);
    QTest::mouseClick(bar.fineTuningPad->fitButton, Qt::LeftButton);
    QCOMPARE(window.fit, 2);
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
