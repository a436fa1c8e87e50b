// The region and alarm bars: their lists, the picture sources and their effect on the screen, template
// browsing, and the drawing panel's calls into the region editor.
#include <QPushButton>
#include <QStackedLayout>
#include <QtTest>

#include "monitorworld.h"

namespace {
// A region editor that records the drawing-panel calls.
class RecordingEditor : public QObject, public RoiEditorHooks {
    Q_OBJECT
public:
    QStringList calls;
    void Reset(bool) override {}
    void Restart() override {}
    void SlotReCheck() override {}
public slots:
    void SlotDrawRect() { calls << "rect"; }
    void SlotDeleteAllROI() { calls << "deleteAll"; }
};
}  // namespace

class TestEditorBars : public QObject {
    Q_OBJECT
private slots:
    void cameraListEntries_data();
    void cameraListEntries();
    void templateBrowsingSkipsEmptySlots();
    void liveImageInAlarmReturnsToAlarmBar();
    void alarmBarCamerasAndButtons();
    void drawingPanelCallsEditor();
};

void TestEditorBars::cameraListEntries_data() {
    QTest::addColumn<int>("cameras");
    QTest::addColumn<int>("entries");
    QTest::newRow("one camera: no all-cameras entry") << 1 << 1;
    QTest::newRow("three cameras and all") << 3 << 4;
}

void TestEditorBars::cameraListEntries() {
    QFETCH(int, cameras);
    QFETCH(int, entries);
    if (gaLanStr[150 * kLanColumns].isEmpty()) loadLanguageTable();
    BComboBox list;
    fillCameraList(&list, cameras);
    QCOMPARE(list.count(), entries);
    QCOMPARE(list.itemText(0), lanText(43).arg(1));
    if (cameras > 1) QCOMPARE(list.itemText(cameras), lanText(44));
}

void TestEditorBars::templateBrowsingSkipsEmptySlots() {
    MonitorWorld world(1);
    MainWindow* w = world.build();
    CammerWidget* v = w->camView(0);
    w->editorStep = 1;
    gTempNum = 5;
    v->data.templates[1].resize(5);
    v->data.templateLoaded[1].assign(5, 0);
    for (int k : {0, 3}) {
        v->data.templates[1][size_t(k)] = cv::Mat(gImageH, gImageW, CV_8UC1, cv::Scalar(10 * (k + 1)));
        v->data.templateLoaded[1][size_t(k)] = 1;
    }
    gSource = 0;
    v->data.shownTemplate = 0;
    QList<int> shown;
    for (int i = 0; i < 2; ++i) {
        w->regiOption->SlotTempNext();
        shown << v->data.shownTemplate;
    }
    QCOMPARE(shown, (QList<int>{3, 0}));
    QCOMPARE(int(v->displayBuffer[0]), 10);
    w->regiOption->SlotTempLast();
    QCOMPARE(v->data.shownTemplate, 3);
    QCOMPARE(int(v->displayBuffer[0]), 40);
    gSource = -1;
}

void TestEditorBars::liveImageInAlarmReturnsToAlarmBar() {
    MonitorWorld world(2);
    MainWindow* w = world.build();
    w->DisplayState = 2;
    w->barStack->setCurrentIndex(2);
    emit w->alarmOption->AlarmChangeSource(2);  // recent NG: the region page takes over
    QCOMPARE(w->barStack->currentIndex(), 1);
    QCOMPARE(gSource, 2);
    w->regiOption->CheckSource(1);
    QCOMPARE(gSource, 1);
    QCOMPARE(w->barStack->currentIndex(), 2);
    gSource = -1;
}

void TestEditorBars::alarmBarCamerasAndButtons() {
    MonitorWorld world(3);
    MainWindow* w = world.build();
    AlarmOption* bar = w->alarmOption;
    QVERIFY(bar->button(AlarmOption::BTN_IGNORE_POINT)->isHidden());
    QVERIFY(bar->button(AlarmOption::BTN_DELETE_IGNORED)->isHidden());
    bar->SetCamera(1);
    QCOMPARE(w->displayedCamera, 1);
    QVERIFY(w->camView(0)->isHidden());
    bar->SetCamera(3);  // "All Camera"
    QCOMPARE(w->displayedCamera, numCamera);
    for (int i = 0; i < 3; ++i) QVERIFY(!w->camView(i)->isHidden());
}

void TestEditorBars::drawingPanelCallsEditor() {
    MonitorWorld world(1);
    MainWindow* w = world.build();
    RecordingEditor editor;
    w->setRoiEditor(&editor);
    roiOperation* panel = w->camView(0)->drawingBar;
    QVERIFY(panel);
    QTest::mousePress(panel->button(0), Qt::LeftButton);
    QTest::mouseRelease(panel->button(0), Qt::LeftButton);
    QTest::mousePress(panel->button(6), Qt::LeftButton);
    QTest::mouseRelease(panel->button(6), Qt::LeftButton);
    QTest::mouseClick(panel->button(1), Qt::LeftButton);  // a tool the editor lacks: nothing
    QCOMPARE(editor.calls, (QStringList{"rect", "deleteAll"}));
    w->setRoiEditor(nullptr);
}

QTEST_MAIN(TestEditorBars)
#include "tst_editorbars.moc"
