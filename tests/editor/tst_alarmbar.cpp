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
    void heldDeleteAsksOnce_data();
    void heldDeleteAsksOnce();
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
    // All six actions are offered, the ignore-point ones included.
    for (int t = AlarmOption::BTN_LIVE_TEMP; t <= AlarmOption::BTN_DELETE_IGNORED; ++t) {
        QVERIFY(!bar->button(AlarmOption::BTN_TYPE(t))->isHidden());
        QVERIFY(bar->layout()->indexOf(bar->button(AlarmOption::BTN_TYPE(t))) >= 0);
    }
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

void TestAlarmBar::heldDeleteAsksOnce_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("question");
    QTest::newRow("delete, nothing selected") << 5 << lanText(65) << false;
    QTest::newRow("delete all") << 6 << lanText(67) << true;
}

// A deletion button held down past several auto-repeat intervals asks once; the next press asks again.
void TestAlarmBar::heldDeleteAsksOnce() {
    QFETCH(int, button);
    QFETCH(QString, asked);
    QFETCH(bool, question);
    EditorWorld ew;
    QPushButton* b = ew.e->drawingPanel()->button(button);
    const auto asks = [&] {
        return (question ? ew.world.prompter.questions : ew.world.prompter.warnings).count(asked);
    };
    for (int press = 1; press <= 2; ++press) {
        QTest::mousePress(b, Qt::LeftButton);
        QTest::qWait(b->autoRepeatDelay() + 6 * b->autoRepeatInterval());
        QTest::mouseRelease(b, Qt::LeftButton);
        QCOMPARE(asks(), press);
    }
    QCOMPARE(ew.count(), 0);
}

QTEST_MAIN(TestAlarmBar)
#include "tst_alarmbar.moc"
