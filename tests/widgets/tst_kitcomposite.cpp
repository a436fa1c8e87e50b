// Composite editors on the entry field: the integer stepper, the limit pair,
// the address editor and the calibration point chooser.
#include <QSignalSpy>
#include <QtTest>

#include "app/globals.h"
#include "app/lanstr.h"
#include "kittest.h"
#include "widgets/choosecalinumwidget.h"
#include "widgets/editbox.h"
#include "widgets/editip.h"
#include "widgets/indexbutton.h"

using namespace kittest;

namespace {
QStringList g_sheetWarnings;
QtMessageHandler g_previousHandler = nullptr;

void catchSheetWarnings(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
    if (msg.contains("Could not parse")) g_sheetWarnings << msg;
    if (g_previousHandler) g_previousHandler(type, ctx, msg);
}

// Moves the keyboard focus into `field` and then out of it again.
void focusInAndOut(QWidget* field, QWidget* elsewhere) {
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    elsewhere->setFocus();
    QTRY_VERIFY(!field->hasFocus());
}
}  // namespace

class TestKitComposite : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        loadLanguageTable();
        g_previousHandler = qInstallMessageHandler(catchSheetWarnings);
    }
    void cleanupTestCase() { qInstallMessageHandler(g_previousHandler); }
    void init() {
        resetAppGlobals();
        gShowW = 1725;
        gShowH = 982;
        g_sheetWarnings.clear();
    }
    void cleanup() { QVERIFY2(g_sheetWarnings.isEmpty(), qPrintable(g_sheetWarnings.join('\n'))); }

    void editBoxLimits_data();
    void editBoxLimits();
    void editBoxStepping_data();
    void editBoxStepping();
    void editBoxScaledDisplay();
    void editBoxSizes_data();
    void editBoxSizes();
    void editBoxKeypadDigits();
    void unitLabelFollowsText();
    void tempBoxLimitPair_data();
    void tempBoxLimitPair();
    void tempBoxValue();
    void editIPOctets_data();
    void editIPOctets();
    void editIPDotMovesOn();
    void caliChooser_data();
    void caliChooser();
};

// Clamping by setValue: the minimum, the maximum, and 0 kept below the minimum
// only with use0.
void TestKitComposite::editBoxLimits_data() {
    QTest::addColumn<bool>("use0");
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("value");
    QTest::newRow("0 to minimum") << false << 0 << 5;
    QTest::newRow("0 kept with use0") << true << 0 << 0;
    QTest::newRow("below, use0") << true << 3 << 5;
    QTest::newRow("negative") << false << -7 << 5;
    QTest::newRow("above") << false << 70 << 50;
    QTest::newRow("inside") << false << 17 << 17;
    QTest::newRow("at maximum") << false << 50 << 50;
}

void TestKitComposite::editBoxLimits() {
    QFETCH(bool, use0);
    QFETCH(int, set);
    QFETCH(int, value);
    QWidget host;
    EditBox box(5, 50, &host, "T", "", 0, 1);
    box.setUse0(use0);
    QSignalSpy spy(&box, &EditBox::valueChanged);
    box.setValue(set);
    QCOMPARE(box.value(), value);
    QCOMPARE(box.entry->text(), QString::number(value));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), value);
}

// The four buttons step by 5 and 1 and stop at the limits; auto-repeat is on
// for all of them.
void TestKitComposite::editBoxStepping_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("value");
    QTest::newRow("+5 at 48") << 48 << "+5" << 1 << 50;
    QTest::newRow("+1 twice") << 20 << "+1" << 2 << 22;
    QTest::newRow("-1 at minimum") << 5 << "-1" << 1 << 5;
    QTest::newRow("-5 at 7") << 7 << "-5" << 1 << 5;
    QTest::newRow("-5 three times") << 30 << "-5" << 3 << 15;
}

void TestKitComposite::editBoxStepping() {
    QFETCH(int, start);
    QFETCH(QString, button);
    QFETCH(int, clicks);
    QFETCH(int, value);
    QWidget host;
    EditBox box(5, 50, &host, "T", "", 0, 1);
    box.setValue(start);
    ColorButton* b = button == "+5"   ? box.addFiveButton
                     : button == "+1" ? box.addOneButton
                     : button == "-1" ? box.subOneButton
                                      : box.subFiveButton;
    QVERIFY(b->autoRepeat());
    QCOMPARE(b->autoRepeatDelay(), 300);
    QCOMPARE(b->autoRepeatInterval(), 50);
    for (int i = 0; i < clicks; ++i) b->click();
    QCOMPARE(box.value(), value);
    QCOMPARE(box.entry->text(), QString::number(value));
}

void TestKitComposite::editBoxScaledDisplay() {
    QWidget host;
    EditBox box(0, 1000, &host, "T", "", 2, 10);
    box.setValue(125);
    QCOMPARE(box.entry->text(), QString("12.5"));
    QCOMPARE(box.subFiveButton->text(), QString("- 0.5"));
    QCOMPARE(box.subOneButton->text(), QString("- 0.1"));
    QCOMPARE(box.addOneButton->text(), QString("+ 0.1"));
    QCOMPARE(box.addFiveButton->text(), QString("+ 0.5"));
    box.AddOne();
    QCOMPARE(box.entry->text(), QString("12.6"));
    // Another display type stores without showing; scale 0 shows the raw value.
    EditBox hidden(0, 10, &host, "T", "", 1, 1);
    hidden.setValue(3);
    QCOMPARE(hidden.entry->text(), QString());
    EditBox zero(0, 100, &host, "T", "", 2, 0);
    zero.setValue(42);
    QCOMPARE(zero.entry->text(), QString("42"));
    QCOMPARE(zero.addFiveButton->text(), QString("+ 5"));
}

void TestKitComposite::editBoxSizes_data() {
    QTest::addColumn<int>("showW");
    QTest::addColumn<QSize>("button");
    QTest::addColumn<QSize>("title");
    QTest::addColumn<QSize>("entry");
    QTest::newRow("panel") << 1725 << QSize(130, 50) << QSize(135, 50) << QSize(150, 50);
    QTest::newRow("small") << 1024 << QSize(40, 28) << QSize(65, 28) << QSize(60, 28);
}

void TestKitComposite::editBoxSizes() {
    QFETCH(int, showW);
    QFETCH(QSize, button);
    QFETCH(QSize, title);
    QFETCH(QSize, entry);
    gShowW = showW;
    QWidget host;
    EditBox box(0, 100, &host, "T", "mm", 0, 1);
    box.setValue(10);
    host.show();
    QCOMPARE(box.addOneButton->size(), button);
    QCOMPARE(box.titleLabel->size(), title);
    QCOMPARE(box.entry->size(), entry);
    // Title, -5, -1, entry, +1, +5 from left to right.
    QList<QWidget*> order{box.titleLabel, box.subFiveButton, box.subOneButton,
                          box.entry,      box.addOneButton,  box.addFiveButton};
    for (int i = 1; i < order.size(); ++i) QVERIFY(order[i]->x() >= order[i - 1]->geometry().right());
    box.setSampleShow();
    QVERIFY(box.addOneButton->isHidden() && box.subFiveButton->isHidden());
    QVERIFY(box.entry->isVisible());
}

// The numeric keypad feeds digits to the owner box: the first replaces, later
// ones append.
void TestKitComposite::editBoxKeypadDigits() {
    QWidget host;
    EditBox box(0, 500, &host, "T", "", 0, 1);
    box.setValue(9);
    QVERIFY(box.entry->keypadDigit(4, true));
    QVERIFY(box.entry->keypadDigit(2, false));
    QCOMPARE(box.value(), 42);
    box.entry->keypadDigit(7, false);
    QCOMPARE(box.value(), 427);
    QCOMPARE(box.entry->text(), QString("427"));
    box.entry->keypadDigit(1, false);  // 4271 is past the maximum
    QCOMPARE(box.value(), 500);
}

// The unit label sits at (width - label width + text length x 13.5) / 2.
void TestKitComposite::unitLabelFollowsText() {
    QWidget host;
    EditBox box(0, 1000, &host, "T", "mm", 0, 1);
    EditParam* e = box.entry;
    QVERIFY(e->unitLabel());
    QCOMPARE(e->unitLabel()->size(), QSize(64, 50));
    QCOMPARE(e->textMargins().right(), 64);
    e->setText("123");
    QCOMPARE(e->width(), 150);
    QCOMPARE(e->labelX(), 63);
    QCOMPARE(e->unitLabel()->pos(), QPoint(63, 1));
    EditBox plain(0, 10, &host, "T", "", 0, 1);
    QVERIFY(!plain.entry->unitLabel());
}

void TestKitComposite::tempBoxLimitPair_data() {
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");
    QTest::addColumn<bool>("upperField");
    QTest::addColumn<int>("lowerAfter");
    QTest::addColumn<int>("upperAfter");
    QTest::addColumn<QString>("lowerText");
    QTest::addColumn<QString>("upperText");
    QTest::newRow("both out, lower field") << -5 << 1200 << false << 0 << 1000 << "0"
                                           << "100";
    QTest::newRow("both out, upper field") << -5 << 1200 << true << 0 << 1000 << "0"
                                           << "100";
    QTest::newRow("crossed stay") << 600 << 400 << false << 600 << 400 << "60"
                                  << "40";
    QTest::newRow("inside") << 125 << 875 << true << 125 << 875 << "12.5"
                            << "87.5";
}

// Limits are clamped into the allowed range when either field loses the focus;
// nothing orders them.
void TestKitComposite::tempBoxLimitPair() {
    QFETCH(int, lower);
    QFETCH(int, upper);
    QFETCH(bool, upperField);
    QFETCH(int, lowerAfter);
    QFETCH(int, upperAfter);
    QFETCH(QString, lowerText);
    QFETCH(QString, upperText);
    QWidget host;
    auto* box = new EditTempBox(0, 1000, 0, 0, &host, "T", "", 2, 10);
    auto* other = new QLineEdit(&host);
    other->move(0, 100);
    host.show();
    QVERIFY(QTest::qWaitForWindowActive(&host));
    box->setValueRange(lower, upper);
    focusInAndOut(upperField ? box->upperEdit : box->lowerEdit, other);
    QCOMPARE(box->getMinValue(), lowerAfter);
    QCOMPARE(box->getMaxValue(), upperAfter);
    QCOMPARE(box->lowerEdit->text(), lowerText);
    QCOMPARE(box->upperEdit->text(), upperText);
    int l = -1, u = -1;
    box->valueRange(l, u);
    QCOMPARE(QPoint(l, u), QPoint(lowerAfter, upperAfter));
    QVERIFY(box->checkFocus(box->upperEdit));
    QVERIFY(!box->checkFocus(box->lowerEdit));
}

void TestKitComposite::tempBoxValue() {
    QWidget host;
    EditTempBox box(0, 1000, 0, 0, &host, "T", "", 2, 10);
    box.setValueRange(200, 300);
    box.setValue(250);
    QCOMPARE(box.valueLabel->text(), QString("25"));
    QVERIFY(box.judgeValue());
    box.setValue(300);
    QVERIFY(box.judgeValue());
    box.setValue(301);
    QVERIFY(!box.judgeValue());
    box.setValue(199);
    QVERIFY(!box.judgeValue());
    // Digits from the keypad go to the limit of the field typed into.
    box.upperEdit->keypadDigit(4, true);
    box.upperEdit->keypadDigit(5, false);
    box.lowerEdit->keypadDigit(1, true);
    QCOMPARE(box.getMaxValue(), 45);
    QCOMPARE(box.getMinValue(), 1);
    QCOMPARE(box.upperEdit->text(), QString("4.5"));
}

void TestKitComposite::editIPOctets_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::newRow("over 255") << ""
                              << "10.1.2.300"
                              << "10.1.2.255";
    // A new address leaves nothing of the old one: the octets it does not give are 0.
    QTest::newRow("one octet") << "192.168.1.10"
                               << "7"
                               << "7.0.0.0";
    QTest::newRow("empty part") << "192.168.1.10"
                                << "1..3"
                                << "1.0.3.0";
    QTest::newRow("extra dots restart last") << ""
                                             << "1.2.3.4.5"
                                             << "1.2.3.5";
    QTest::newRow("letters read 0") << ""
                                    << "a.b.c.d"
                                    << "0.0.0.0";
    QTest::newRow("negative clamps to 0") << ""
                                          << "-5.1.1.1"
                                          << "0.1.1.1";
    QTest::newRow("shell text") << ""
                                << "1;reboot.2.3.4"
                                << "0.2.3.4";
}

// Every octet that reaches a field reads 0 to 255, whatever text came in.
void TestKitComposite::editIPOctets() {
    QFETCH(QString, start);
    QFETCH(QString, text);
    QFETCH(QString, result);
    EditIP ip("IP");
    if (!start.isEmpty()) ip.setTextIP(start);
    QSignalSpy spy(&ip, &EditIP::textchange);
    ip.setTextIP(text);
    QCOMPARE(ip.getTextIP(), result);
    QCOMPARE(ip.composedText(), result);
    QVERIFY(!spy.isEmpty());
    QCOMPARE(spy.last().at(0).toString(), result);
    for (int i = 0; i < 4; ++i) QCOMPARE(ip.field(i)->text(), result.split('.').at(i));
}

void TestKitComposite::editIPDotMovesOn() {
    EditIP ip("IP");
    ip.show();
    QVERIFY(QTest::qWaitForWindowActive(&ip));
    ip.setTextIP("10.20.30.40");
    ip.field(1)->setFocus();
    QTest::keyClick(ip.field(1), Qt::Key_Period);
    QCOMPARE(ip.field(2)->text(), QString("0"));
    QTRY_VERIFY(ip.field(2)->hasFocus());
    QCOMPARE(ip.field(1)->text(),
             QString("20"));  // the validator keeps the dot out
    ip.field(0)->setText("");
    QCOMPARE(ip.field(0)->text(), QString("0"));
}

void TestKitComposite::caliChooser_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("points");
    QTest::newRow("4") << 0 << 4;
    QTest::newRow("9") << 1 << 9;
    QTest::newRow("25") << 2 << 25;
}

// The three point counts, the combo and buttons where the box places them,
// centred when shown.
void TestKitComposite::caliChooser() {
    QFETCH(int, index);
    QFETCH(int, points);
    gLan = 1;
    ChooseCaliNumWidget box;
    QVERIFY(box.isHidden());
    QCOMPARE(box.pointCombo->count(), 3);
    QCOMPARE(box.pointCombo->itemText(2), QString(" 25 "));
    box.pointCombo->setCurrentIndex(index);
    QCOMPARE(box.pointCount(), points);
    QCOMPARE(box.pointCombo->geometry(), QRect(440, 47, 200, 80));
    box.setText(gaLanStr[459 * 3 + gLan]);
    ModalDriver driver([&](QWidget* w) {
        QCOMPARE(w->geometry(), QRect(522, 336, 680, 310));
        QCOMPARE(box.yesButton->geometry(), QRect(66, 156, 220, 100));
        QCOMPARE(box.noButton->geometry(), QRect(392, 156, 220, 100));
        click(w, "yes");
    });
    box.yesButton->setObjectName("yes");
    QCOMPARE(box.exec(), 1);
    QVERIFY(driver.fired);
}

QTEST_MAIN(TestKitComposite)
#include "tst_kitcomposite.moc"
