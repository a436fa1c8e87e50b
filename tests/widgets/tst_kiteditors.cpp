// The zoom control, the light settings frame, the check box, the date and time editor with its
// clock commands, and the small clickable widgets.
#include <QDateEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimeEdit>
#include <QtTest>
#include <memory>

#include "app/globals.h"
#include "app/lanstr.h"
#include "kittest.h"
#include "platform/system/commandrunner.h"
#include "platform/system/sysclock.h"
#include "tests/fixtures/programdir.h"
#include "widgets/checkbox.h"
#include "widgets/editdatetime.h"
#include "widgets/label.h"
#include "widgets/lightsettingdialog.h"
#include "widgets/modifytimewidget.h"
#include "widgets/zoomwidget.h"

using namespace kittest;

namespace {
QStringList g_sheetWarnings;
QtMessageHandler g_previousHandler = nullptr;

void catchSheetWarnings(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
    if (msg.contains("Could not parse")) g_sheetWarnings << msg;
    if (g_previousHandler) g_previousHandler(type, ctx, msg);
}
}  // namespace

class TestKitEditors : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        loadLanguageTable();
        g_previousHandler = qInstallMessageHandler(catchSheetWarnings);
    }
    void cleanupTestCase() { qInstallMessageHandler(g_previousHandler); }
    void init() {
        dir = std::make_unique<ProgramDir>();
        QVERIFY(dir->isValid());
        resetAppGlobals();
        g_sheetWarnings.clear();
    }
    void cleanup() {
        dir.reset();
        QVERIFY2(g_sheetWarnings.isEmpty(), qPrintable(g_sheetWarnings.join('\n')));
    }

    void zoomMapping_data();
    void zoomMapping();
    void zoomDrag();
    void zoomPressOutsideKnobDoesNotDrag();
    void lightDialogResult_data();
    void lightDialogResult();
    void checkBoxValue_data();
    void checkBoxValue();
    void clockCommands_data();
    void clockCommands();
    void clockFromEditors();
    void showDateTimeLoadsClock();
    void timeDialog_data();
    void timeDialog();
    void sliderJumpsToRelease_data();
    void sliderJumpsToRelease();
    void labelClick();

private:
    std::unique_ptr<ProgramDir> dir;
};

void TestKitEditors::zoomMapping_data() {
    QTest::addColumn<int>("dy");
    QTest::addColumn<int>("zoom");
    QTest::newRow("rest") << 0 << 0;
    QTest::newRow("1 up") << -1 << 1;
    QTest::newRow("26 up") << -26 << 49;
    QTest::newRow("53 up") << -53 << 100;
    QTest::newRow("far up") << -200 << 100;
    QTest::newRow("1 down") << 1 << -1;
    QTest::newRow("26 down") << 26 << -49;
    QTest::newRow("53 down") << 53 << -100;
    QTest::newRow("far down") << 54 << -100;
}

void TestKitEditors::zoomMapping() {
    QFETCH(int, dy);
    QFETCH(int, zoom);
    QCOMPARE(ZoomWidget::zoomForDrag(dy), zoom);
}

// Drag on the knob: the knob follows within +-53, the value goes out, release recentres silently.
void TestKitEditors::zoomDrag() {
    ZoomWidget w;
    QCOMPARE(w.size(), QSize(86, 192));
    QSignalSpy spy(&w, &ZoomWidget::zoomSignal);
    QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, QPoint(43, 96));
    QCOMPARE(w.pressPoint(), QPoint(43, 96));
    QMouseEvent move(QEvent::MouseMove, QPointF(43, 70), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
    QMouseEvent far(QEvent::MouseMove, QPointF(43, 180), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &far);
    QCOMPARE(w.knobOffset(), 53);
    QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, QPoint(43, 180));
    QCOMPARE(w.knobOffset(), 0);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toInt(), 49);
    QCOMPARE(spy.at(1).at(0).toInt(), -100);
}

// A press beside the knob or with another button neither moves the press point nor starts a drag.
void TestKitEditors::zoomPressOutsideKnobDoesNotDrag() {
    ZoomWidget w;
    QSignalSpy spy(&w, &ZoomWidget::zoomSignal);
    QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, QPoint(43, 96));
    QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, QPoint(43, 96));
    QTest::mousePress(&w, Qt::LeftButton, Qt::NoModifier, QPoint(43, 150));  // 54 from the centre
    QCOMPARE(w.pressPoint(), QPoint(43, 96));
    QMouseEvent move(QEvent::MouseMove, QPointF(43, 10), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(w.knobOffset(), 0);
    QTest::mouseRelease(&w, Qt::LeftButton, Qt::NoModifier, QPoint(43, 10));
    QTest::mousePress(&w, Qt::RightButton, Qt::NoModifier, QPoint(50, 100));
    QCOMPARE(w.pressPoint(), QPoint(43, 96));
    QMouseEvent rmove(QEvent::MouseMove, QPointF(50, 10), Qt::NoButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &rmove);
    QCOMPARE(spy.count(), 0);
}

void TestKitEditors::lightDialogResult_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("ok") << "okButton" << 1;
    QTest::newRow("cancel") << "cancelButton" << 0;
}

void TestKitEditors::lightDialogResult() {
    QFETCH(QString, button);
    QFETCH(int, result);
    lightsettingdialog d;
    d.setText("Light");
    QCOMPARE(d.titleLabel->text(), QString("Light"));
    ModalDriver driver([&](QWidget* w) { press(w, button); });
    QCOMPARE(d.exec(), result);
    QVERIFY(driver.fired);
}

void TestKitEditors::checkBoxValue_data() {
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("value");
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("-1 checks") << -1 << 1;
    QTest::newRow("7 checks") << 7 << 1;
}

void TestKitEditors::checkBoxValue() {
    QFETCH(int, set);
    QFETCH(int, value);
    CheckBox box(nullptr, "x");
    box.setValue(set);
    QCOMPARE(box.value(), value);
    box.setTristate(true);
    box.setCheckState(Qt::PartiallyChecked);
    QCOMPARE(box.value(), 0);
}

void TestKitEditors::clockCommands_data() {
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QStringList>("commands");
    const QStringList none;
    QTest::newRow("leap day") << QDateTime(QDate(2024, 2, 29), QTime(13, 5, 9))
                              << QStringList{"date -s '2024-02-29 13:05:09'", "hwclock --systohc"};
    QTest::newRow("midnight") << QDateTime(QDate(2026, 12, 31), QTime(0, 0, 0))
                              << QStringList{"date -s '2026-12-31 00:00:00'", "hwclock --systohc"};
    QTest::newRow("invalid") << QDateTime() << none;
    QTest::newRow("before 1970") << QDateTime(QDate(1969, 12, 31), QTime(23, 0, 0)) << none;
    QTest::newRow("after 2099") << QDateTime(QDate(2100, 1, 1), QTime(0, 0, 0)) << none;
}

// The exact commands reach the runner (recorded, never executed here); a date that cannot be set
// runs nothing at all, not even the hardware clock.
void TestKitEditors::clockCommands() {
    QFETCH(QDateTime, when);
    QFETCH(QStringList, commands);
    QCOMPARE(EditDateTime::setSystemClock(when), !commands.isEmpty());
    QCOMPARE(CommandRunner::instance().history(), commands);
    QCOMPARE(dir->commands(), commands);
}

void TestKitEditors::clockFromEditors() {
    EditDateTime e("");
    e.dateEdit->setDate(QDate(2028, 2, 29));
    e.timeEdit->setTime(QTime(23, 59, 58));
    QVERIFY(e.setSysDateTime());
    QCOMPARE(e.workingDateTime, QDateTime(QDate(2028, 2, 29), QTime(23, 59, 58)));
    QCOMPARE(CommandRunner::instance().history(),
             (QStringList{"date -s '2028-02-29 23:59:58'", "hwclock --systohc"}));
    // The editor offers no date the clock cannot take.
    e.dateEdit->setDate(QDate(1900, 1, 1));
    QCOMPARE(e.dateEdit->date(), EditDateTime::earliestDate());
}

void TestKitEditors::showDateTimeLoadsClock() {
    SysClock::setFixed(QDateTime(QDate(2025, 7, 4), QTime(8, 9, 10)));
    EditDateTime e("");
    e.dateEdit->setDate(QDate(2030, 1, 1));
    e.ShowDateTime();
    QCOMPARE(e.dateEdit->date(), QDate(2025, 7, 4));
    QCOMPARE(e.timeEdit->time(), QTime(8, 9, 10));
    QCOMPARE(e.timeEdit->text(), QString("08 : 09 : 10"));
    QCOMPARE(e.dateEdit->text(), QString("2025 - 07 - 04"));
    SysClock::reset();
}

void TestKitEditors::timeDialog_data() {
    QTest::addColumn<int>("lan");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("ok") << 1 << "okButton" << 1;
    QTest::newRow("cancel") << 1 << "cancelButton" << 0;
    QTest::newRow("ok, Chinese") << 0 << "okButton" << 1;
}

// Confirm and Cancel in the current language; the whole editor fits inside the box, which is
// centred on the display area.
void TestKitEditors::timeDialog() {
    QFETCH(int, lan);
    QFETCH(QString, button);
    QFETCH(int, result);
    gLan = lan;
    gShowW = 1725;
    gShowH = 982;
    ModifyTimeWidget d(gaLanStr[401 * 3 + gLan]);
    QCOMPARE(d.okButton->text(), gaLanStr[121 * 3 + gLan]);
    QCOMPARE(d.cancelButton->text(), gaLanStr[124 * 3 + gLan]);
    QRect box, editor;
    ModalDriver driver([&](QWidget* w) {
        box = w->geometry();
        editor = QRect(d.dateTimeEdit->mapTo(w, QPoint(0, 0)), d.dateTimeEdit->size());
        click(w, button);
    });
    QCOMPARE(d.exec(), result);
    QVERIFY(driver.fired);
    QVERIFY2(QRect(QPoint(0, 0), box.size()).contains(editor), "editor cut off");
    QVERIFY2((box.center() - QPoint(1725 / 2, 982 / 2)).manhattanLength() <= 2, "not centred");
    QCOMPARE(box.height(), 400);
    QVERIFY(CommandRunner::instance().history().isEmpty());  // the dialog alone sets no clock
}

void TestKitEditors::sliderJumpsToRelease_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("value");
    QTest::newRow("left margin") << 5 << 0;
    QTest::newRow("right margin") << 495 << 100;
    QTest::newRow("middle") << 250 << 50;
    QTest::newRow("just inside") << 10 << 2;
}

void TestKitEditors::sliderJumpsToRelease() {
    QFETCH(int, x);
    QFETCH(int, value);
    C_Slider s;
    s.setRange(0, 100);
    s.resize(500, 30);
    QSignalSpy spy(&s, &C_Slider::cChgValue);
    QTest::mouseRelease(&s, Qt::LeftButton, Qt::NoModifier, QPoint(x, 15));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), value);
    QCOMPARE(s.value(), value);
    QCOMPARE(C_Slider::valueAt(x, 0, 0, 100), 0);  // no width yet: no division by zero
}

void TestKitEditors::labelClick() {
    QPixmap pm(10, 10);
    pm.fill(Qt::red);
    Label l(nullptr, pm);
    QSignalSpy spy(&l, &Label::clicked);
    QTest::mousePress(&l, Qt::RightButton);
    QCOMPARE(spy.count(), 0);
    QTest::mousePress(&l, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
}

QTEST_MAIN(TestKitEditors)
#include "tst_kiteditors.moc"
