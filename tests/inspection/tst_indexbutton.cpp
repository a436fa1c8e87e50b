#include <QImage>
#include <QLabel>
#include <QtTest>
#include <cstring>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/wizardpara.h"
#include "inspection/mainbars.h"
#include "programdir.h"
#include "widgets/indexbutton.h"

// Stands in for the main window: the slots the panel wires, except SlotHelp, which it lacks.
class PanelReceiver : public QWidget {
    Q_OBJECT
public:
    QStringList calls;
public slots:
    void SlotReturn() { calls << "SlotReturn"; }
    void SlotStartStop() { calls << "SlotStartStop"; }
    void SlotReTrain() { calls << "SlotReTrain"; }
    void SlotAdjustArea() { calls << "SlotAdjustArea"; }
    void SlotAccount() { calls << "SlotAccount"; }
    void SlotMuliManualTrig() { calls << "SlotMuliManualTrig"; }
    void SlotManualTrig1() { calls << "SlotManualTrig1"; }
    void SlotManualTrig0() { calls << "SlotManualTrig0"; }
};

// Counts the presses a widget receives.
struct PressCounter : QObject {
    int* n;
    explicit PressCounter(int* count) : n(count) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress) ++*n;
        return false;
    }
};

class TestIndexButton : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void buildsHiddenButtonsAtTheRightEdge();
    void buttonsReachTheWindowSlots();
    void snapshotVisibility_data();
    void snapshotVisibility();
    void toggleZoneReappliesVisibility();
    void pressesPassThroughAllButTheShownButtons();
    void stepChooser_data();
    void stepChooser();
    void logo_data();
    void logo();

private:
    WizardPara para_;
};

void TestIndexButton::initTestCase() {
    loadLanguageTable();
    gLan = 1;
    gShowW = 1725;
    gShowH = 982;
}

void TestIndexButton::init() {
    para_ = WizardPara();
    para_.multi_step_count = 2;
    gpWPara = &para_;
}

void TestIndexButton::cleanup() {
    gpWPara = nullptr;
}

void TestIndexButton::buildsHiddenButtonsAtTheRightEdge() {
    PanelReceiver win;
    IndexButton panel(&win);
    QCOMPARE(panel.geometry(), QRect(1725 - 240, 0, 240, 982));
    const QStringList texts = {"Multi-screen",  "Stop Detection",     "System Param", "Resample",
                               "Area Settings", "Account management", "Help",         "Snapshot",
                               "Mold snapshot", "Pro snapshot"};
    for (int i = 0; i < IndexButton::ButtonCount; ++i) {
        ColorButton* b = panel.button(IndexButton::Button(i));
        QCOMPARE(b->text(), texts[i]);
        QCOMPARE(b->type(), 4);
        QVERIFY(b->isHidden());
    }
    QVERIFY(panel.stepCombo()->isHidden());
    QCOMPARE(panel.stepCombo()->geometry(), QRect(140, 698, 100, 83));
}

void TestIndexButton::buttonsReachTheWindowSlots() {
    PanelReceiver win;
    IndexButton panel(&win);
    for (int i = 0; i < IndexButton::ButtonCount; ++i) panel.button(IndexButton::Button(i))->click();
    QCOMPARE(win.calls,
             (QStringList{"SlotReturn", "SlotStartStop", "SlotReTrain", "SlotAdjustArea", "SlotAccount",
                          "SlotMuliManualTrig", "SlotManualTrig1", "SlotManualTrig0"}));
    IndexButton orphan;  // no window: nothing to reach, nothing breaks
    orphan.button(IndexButton::BtnStartStop)->click();
}

// Which snapshot buttons show: manual snapshots shown, product detection, procedure.
void TestIndexButton::snapshotVisibility_data() {
    QTest::addColumn<int>("snapShot");
    QTest::addColumn<int>("product");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("productShown");
    QTest::addColumn<bool>("mouldShown");
    QTest::newRow("all on") << 1 << 1 << int(kDetectStandard) << true << true;
    QTest::newRow("product detection off") << 1 << 0 << int(kDetectStandard) << false << true;
    QTest::newRow("snapshots off") << 0 << 1 << int(kDetectStandard) << false << false;
    QTest::newRow("two-colour") << 1 << 1 << int(kDetectTwoColour) << true << true;
    QTest::newRow("multi-detection") << 1 << 1 << int(kDetectMulti) << false << false;
    QTest::newRow("multi-detection, product off") << 1 << 0 << int(kDetectMulti) << false << false;
}

void TestIndexButton::snapshotVisibility() {
    QFETCH(int, snapShot);
    QFETCH(int, product);
    QFETCH(int, mode);
    QFETCH(bool, productShown);
    QFETCH(bool, mouldShown);
    para_.snap_shot = snapShot;
    para_.enable_prod_detect = product;
    para_.detect_mode = mode;
    IndexButton panel;
    QCOMPARE(!panel.button(IndexButton::BtnProductSnapshot)->isHidden(), productShown);
    QCOMPARE(!panel.button(IndexButton::BtnMouldSnapshot)->isHidden(), mouldShown);
    for (int i = 0; i < IndexButton::BtnMouldSnapshot; ++i)
        QVERIFY(panel.button(IndexButton::Button(i))->isHidden());
    // The settings commit turns everything off again.
    para_.snap_shot = 0;
    panel.ShowHide(0);
    QVERIFY(panel.button(IndexButton::BtnProductSnapshot)->isHidden());
    QVERIFY(panel.button(IndexButton::BtnMouldSnapshot)->isHidden());
}

// The toggle zone is the panel's left 110 pixels over its whole height: a press there, through the
// window, applies the snapshot switches again (here changed without a commit) and still reaches the
// widget below; a press right of the zone changes nothing.
void TestIndexButton::toggleZoneReappliesVisibility() {
    PanelReceiver win;
    win.resize(1725, 982);
    QWidget below(&win);
    below.setGeometry(0, 0, 1725, 982);
    int belowPresses = 0;
    PressCounter counter(&belowPresses);
    below.installEventFilter(&counter);
    IndexButton panel(&win);
    panel.raise();
    win.show();
    QVERIFY(QTest::qWaitForWindowExposed(&win));
    QVERIFY(panel.button(IndexButton::BtnMouldSnapshot)->isHidden());

    para_.snap_shot = 1;
    const int left = 1725 - 240;
    QTest::mouseClick(win.windowHandle(), Qt::LeftButton, {}, QPoint(left + 110, 300));
    QVERIFY(panel.button(IndexButton::BtnMouldSnapshot)->isHidden());
    QCOMPARE(belowPresses, 1);
    // Far from the logo (the zone's top 110 rows), near the foot of the panel.
    QTest::mouseClick(win.windowHandle(), Qt::LeftButton, {}, QPoint(left + 109, 600));
    QVERIFY(!panel.button(IndexButton::BtnMouldSnapshot)->isHidden());
    QCOMPARE(belowPresses, 2);

    // Hidden (the region editor is open), the panel has no zone.
    para_.snap_shot = 0;
    panel.hide();
    QTest::mouseClick(win.windowHandle(), Qt::LeftButton, {}, QPoint(left + 10, 300));
    QVERIFY(!panel.button(IndexButton::BtnMouldSnapshot)->isHidden());
    panel.show();
    QTest::mouseClick(win.windowHandle(), Qt::LeftButton, {}, QPoint(left + 10, 300));
    QVERIFY(panel.button(IndexButton::BtnMouldSnapshot)->isHidden());
    QCOMPARE(belowPresses, 4);
}

// The panel lies over the right edge of whatever the window shows: a press anywhere but on a shown
// button reaches the widget below, as a touch would.
void TestIndexButton::pressesPassThroughAllButTheShownButtons() {
    PanelReceiver win;
    win.resize(1725, 982);
    QWidget below(&win);
    below.setGeometry(0, 0, 1725, 982);
    int belowPresses = 0;
    PressCounter counter(&belowPresses);
    below.installEventFilter(&counter);
    IndexButton panel(&win);
    panel.raise();
    win.show();
    QVERIFY(QTest::qWaitForWindowExposed(&win));

    const QPoint strip(1725 - 120, 300);
    QTest::mouseClick(win.windowHandle(), Qt::LeftButton, {}, strip);
    QCOMPARE(belowPresses, 1);

    para_.snap_shot = 1;
    panel.ShowHide(0);
    QTest::mouseClick(win.windowHandle(), Qt::LeftButton, {}, strip);
    QCOMPARE(belowPresses, 2);
    const QRect mould = panel.button(IndexButton::BtnMouldSnapshot)->geometry().translated(panel.pos());
    QTest::mouseClick(win.windowHandle(), Qt::LeftButton, {}, mould.center());
    QCOMPARE(belowPresses, 2);
    QCOMPARE(win.calls, QStringList{"SlotManualTrig1"});
}

void TestIndexButton::stepChooser_data() {
    QTest::addColumn<bool>("record");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("five steps") << true << 5 << QStringList{"1st", "2nd", "3rd", "4th", "5th"};
    QTest::newRow("two steps") << true << 2 << QStringList{"1st", "2nd"};
    QTest::newRow("none") << true << 0 << QStringList{};
    QTest::newRow("beyond eight") << true << 12
                                  << QStringList{"1st", "2nd", "3rd", "4th", "5th", "6th", "7th", "8th"};
    QTest::newRow("no record") << false << 5 << QStringList{};
}

void TestIndexButton::stepChooser() {
    QFETCH(bool, record);
    QFETCH(int, count);
    QFETCH(QStringList, items);
    para_.multi_step_count = 3;
    IndexButton panel;
    para_.multi_step_count = count;
    if (!record) gpWPara = nullptr;
    panel.stepCombo()->setCurrentIndex(2);
    panel.Reset();
    QStringList got;
    for (int i = 0; i < panel.stepCombo()->count(); ++i) got << panel.stepCombo()->itemText(i);
    QCOMPARE(got, items);
    QCOMPARE(panel.CurChooseTrig(), items.isEmpty() ? -1 : 0);
    if (items.size() > 3) {
        panel.stepCombo()->setCurrentIndex(3);
        QCOMPARE(panel.CurChooseTrig(), 3);
    }
}

void TestIndexButton::logo_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("logo");
    QTest::newRow("none") << QStringList{} << false;
    QTest::newRow("png") << QStringList{"images/logo2.png"} << true;
    QTest::newRow("bmp") << QStringList{"images/logo2.bmp"} << true;
    QTest::newRow("not a picture") << QStringList{"images/logo2.bmp!"} << false;
}

void TestIndexButton::logo() {
    QFETCH(QStringList, files);
    QFETCH(bool, logo);
    ProgramDir dir;
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(Qt::blue);
    for (QString f : files) {
        if (f.endsWith('!')) {
            f.chop(1);
            QVERIFY(dir.writeFile(f, "not a picture"));
        } else {
            QVERIFY(QDir().mkpath("images"));
            QVERIFY(img.save(f));
        }
    }
    IndexButton panel;
    QCOMPARE(panel.hasLogo(), logo);
    const auto labels = panel.findChildren<QLabel*>();
    QCOMPARE(labels.size(), logo ? 1 : 0);
    if (logo) QCOMPARE(labels.first()->geometry(), QRect(0, 0, 230, 110));
}

QTEST_MAIN(TestIndexButton)
#include "tst_indexbutton.moc"
