// The region bar: its lists and template browsing.
#include <QtTest>

#include "monitorworld.h"

class TestEditorBars : public QObject {
    Q_OBJECT
private slots:
    void cameraListEntries_data();
    void cameraListEntries();
    void templateBrowsingSkipsEmptySlots();
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

QTEST_MAIN(TestEditorBars)
#include "tst_editorbars.moc"
