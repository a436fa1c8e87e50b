// The alarm bar and the drawing panel: the alarm bar's lists and their effect on the screen, and the
// drawing panel's calls into the region editor.
#include <QPushButton>
#include <QStackedLayout>
#include <QtTest>

#include "editor/alarmoption.h"
#include "editorworld.h"

class TestAlarmBar : public QObject {
    Q_OBJECT
private slots:
    void liveImageInAlarmReturnsToAlarmBar();
    void alarmBarCamerasAndButtons();
    void drawingPanelCallsEditor();
};

void TestAlarmBar::liveImageInAlarmReturnsToAlarmBar() {
    MonitorWorld world(2);
    MainWindow* w = world.build();
    DrawROIWidget* editor = installDrawROIWidget(w);
    w->DisplayState = 2;
    w->barStack->setCurrentIndex(2);
    QCOMPARE(w->barStack->currentWidget(), editor->alarmOption);
    emit editor->alarmOption->AlarmChangeSource(2);  // recent NG: the region page takes over
    QCOMPARE(w->barStack->currentIndex(), 1);
    QCOMPARE(gSource, 2);
    w->regiOption->CheckSource(1);
    QCOMPARE(gSource, 1);
    QCOMPARE(w->barStack->currentIndex(), 2);
    gSource = -1;
    w->setRoiEditor(nullptr);
    delete editor;
}

void TestAlarmBar::alarmBarCamerasAndButtons() {
    MonitorWorld world(3);
    MainWindow* w = world.build();
    DrawROIWidget* editor = installDrawROIWidget(w);
    AlarmOption* bar = editor->alarmOption;
    QVERIFY(bar->button(AlarmOption::BTN_IGNORE_POINT)->isHidden());
    QVERIFY(bar->button(AlarmOption::BTN_DELETE_IGNORED)->isHidden());
    bar->SetCamera(1);
    QCOMPARE(w->displayedCamera, 1);
    QVERIFY(w->camView(0)->isHidden());
    bar->SetCamera(3);  // "All Camera"
    QCOMPARE(w->displayedCamera, numCamera);
    for (int i = 0; i < 3; ++i) QVERIFY(!w->camView(i)->isHidden());
    w->setRoiEditor(nullptr);
    delete editor;
}

void TestAlarmBar::drawingPanelCallsEditor() {
    EditorWorld ew;
    roiOperation* panel = ew.e->drawingPanel();
    QVERIFY(panel);
    QCOMPARE(ew.v->drawingBar.data(), static_cast<QWidget*>(panel));
    for (int i = 0; i < 7; ++i) QVERIFY(panel->button(i)->autoRepeat());
    QTest::mouseClick(panel->button(1), Qt::LeftButton);
    QCOMPARE(ew.w->drawingTool, int(kShapeRing));
    QTest::mouseClick(panel->button(0), Qt::LeftButton);
    QCOMPARE(ew.w->drawingTool, int(kShapeRect));
}

QTEST_MAIN(TestAlarmBar)
#include "tst_alarmbar.moc"
