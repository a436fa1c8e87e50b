// The painted button, the combo box that reports presses and the labelled slider.
#include <QListView>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "app/globals.h"
#include "kittest.h"
#include "platform/system/timing.h"
#include "widgets/edit.h"
#include "widgets/indexbutton.h"
#include "widgets/kittext.h"
#include "widgets/numberinput.h"
#include "widgets/slider.h"

using namespace kittest;

namespace {

// Logs the order in which Reset changes the slider.
class LoggingSlider : public Slider {
public:
    LoggingSlider() : Slider(0, 1000, 10, 50, nullptr, "old") {
        connect(this, &QObject::objectNameChanged, this, [this] { log << "name"; });
    }
    QStringList log;

protected:
    void sliderChange(SliderChange change) override {
        if (change == SliderRangeChange) log << "range";
        if (change == SliderStepsChange) log << "step";
        if (change == SliderValueChange) log << "value";
        Slider::sliderChange(change);
    }
};

}  // namespace

class TestKitControls : public QObject {
    Q_OBJECT
private slots:
    void sliderCaptionWhole_data();
    void sliderCaptionWhole();
    void initTestCase() {
        resetAppGlobals();
        loadLanguageTable();
    }
    void cleanup() {
        clearTimeOverrides();
        resetKeypadGlobals();
        gLan = 0;
    }

    void buttonTextSize_data();
    void buttonTextSize();
    void buttonRepeats();
    void buttonPaintsWithoutSharedImages();

    void comboNoFocusAndItemHeight();
    void comboPressSignalsAndOpens();

    void sliderConstructionClampsAndLaysOut();
    void sliderButtonsStepAndClamp();
    void sliderResetOrder();
    void sliderTypedText_data();
    void sliderTypedText();
    void sliderDragAddsUpSteps();
    void sliderPressAwayFromHandleStartsNoDrag_data();
    void sliderPressAwayFromHandleStartsNoDrag();
    void sliderValueBoxOpensKeypad();
};

void TestKitControls::buttonTextSize_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("lan");
    QTest::addColumn<int>("px");
    QTest::newRow("type 3 Simplified Chinese") << 3 << 0 << 27;
    QTest::newRow("type 3 English") << 3 << 1 << 22;
    QTest::newRow("type 3 Traditional Chinese") << 3 << 2 << 22;
    QTest::newRow("type 4") << 4 << 0 << 24;
    QTest::newRow("type 5") << 5 << 1 << 24;
}

void TestKitControls::buttonTextSize() {
    QFETCH(int, type);
    QFETCH(int, lan);
    QFETCH(int, px);
    gLan = lan;
    QCOMPARE(ColorButton::textPixelSize(type), px);
    ColorButton b("OK", nullptr, type);
    QCOMPARE(b.type(), type);
    QCOMPARE(ColorButton::captionPixelSize("OK", 80, type), px);
    // A long caption on a narrow key is set smaller rather than cut.
    const int longPx = ColorButton::captionPixelSize("character", 80, type);
    QVERIFY(longPx < px);
    QFont f("wqy-microhei");
    f.setPixelSize(longPx);
    QVERIFY(QFontMetrics(f).horizontalAdvance("character") <= 76);
    QCOMPARE(b.focusPolicy(), Qt::NoFocus);
}

void TestKitControls::buttonRepeats() {
    {
        ColorButton b("+ 1");
        b.SetRepeat();
        QVERIFY(b.autoRepeat());
        QCOMPARE(b.autoRepeatDelay(), 300);
        QCOMPARE(b.autoRepeatInterval(), 50);
    }
    setTimeOverride("kit.repeatDelay", 20);
    setTimeOverride("kit.repeatInterval", 2);
    Slider s(0, 10, 1, 0, nullptr, "T");
    s.resize(800, 60);
    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    QSignalSpy clicks(s.plusButton(), &QAbstractButton::clicked);
    QTest::mousePress(s.plusButton(), Qt::LeftButton);
    QCOMPARE(s.value(), 0);  // a press alone adds nothing
    QTRY_COMPARE(s.value(), 10);
    QTRY_VERIFY(clicks.size() >= 12);  // repeats go on at the maximum
    QTest::mouseRelease(s.plusButton(), Qt::LeftButton);
    const int held = clicks.size();
    QTest::qWait(30);
    QCOMPARE(clicks.size(), held);  // released: no more repeats
    QCOMPARE(s.value(), 10);
}

void TestKitControls::buttonPaintsWithoutSharedImages() {
    // Before the shared images are loaded (or when one is missing) the button still has a face.
    ColorButton b("Confirm", nullptr, 3);
    b.resize(80, 65);
    const QImage up = b.grab().toImage();
    QVERIFY(up.pixelColor(40, 10).alpha() > 0);
    b.setDown(true);
    const QImage down = b.grab().toImage();
    QVERIFY(up != down);
}

void TestKitControls::comboNoFocusAndItemHeight() {
    ComboBox c;
    QCOMPARE(c.focusPolicy(), Qt::NoFocus);
    QCOMPARE(c.view(), c.listView());
    c.addItems({"1", "2", "3"});
    c.setItemHeight(50);
    QCOMPARE(c.styleSheet(),
             QString("QComboBox QAbstractItemView::item{height:50px;}QComboBox::tab-bar{border-width:0px;}"));
    c.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c));
    c.showPopup();
    QTRY_VERIFY(c.view()->isVisible());
    QCOMPARE(c.view()->visualRect(c.model()->index(0, 0)).height(), 50);
    c.hidePopup();
    c.setItemHeight(73);
    c.showPopup();
    QTRY_VERIFY(c.view()->isVisible());
    QCOMPARE(c.view()->visualRect(c.model()->index(1, 0)).height(), 73);
    c.hidePopup();
}

void TestKitControls::comboPressSignalsAndOpens() {
    ComboBox c;
    c.addItems({"4", "9", "25"});
    c.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c));
    QSignalSpy clicked(&c, &ComboBox::clicked);
    QTest::mousePress(&c, Qt::LeftButton);
    QCOMPARE(clicked.size(), 1);
    QTRY_VERIFY(c.view()->isVisible());
    QVERIFY(!c.hasFocus());
    c.hidePopup();
}

void TestKitControls::sliderConstructionClampsAndLaysOut() {
    Slider s(0, 10, 1, 25, nullptr, "Sim");
    QCOMPARE(s.value(), 10);
    QCOMPARE(s.objectName(), QString("Sim"));
    QCOMPARE(s.orientation(), Qt::Horizontal);
    QCOMPARE(s.focusPolicy(), Qt::NoFocus);
    s.resize(1000, 60);
    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    QCOMPARE(s.trackLength(), 630);
    QCOMPARE(s.trackSpan(), 598);
    QCOMPARE(s.plusButton()->geometry(), QRect(930, 10, 70, 41));
    QCOMPARE(s.minusButton()->geometry(), QRect(220, 10, 70, 41));
    QCOMPARE(s.valueField()->width(), 0);
    QCOMPARE(s.handleX(), 295 + 18 + 598);  // at the maximum
}

void TestKitControls::sliderButtonsStepAndClamp() {
    Slider s(0, 255, 10, 254, nullptr, "Gray");
    QSignalSpy changed(&s, &QAbstractSlider::valueChanged);
    s.plusButton()->click();
    s.plusButton()->click();
    QCOMPARE(s.value(), 255);
    QCOMPARE(changed.size(), 1);
    s.setValue(1);
    s.minusButton()->click();
    s.minusButton()->click();
    QCOMPARE(s.value(), 0);
}

void TestKitControls::sliderResetOrder() {
    LoggingSlider s;
    s.log.clear();
    QSignalSpy values(&s, &QAbstractSlider::valueChanged);
    // From 0..1000 at 50 to 300..400 at 350: every change is seen with the new label, and the
    // listeners hear the final value only (not the 300 the range held it at on the way).
    s.Reset(300, 400, 5, 350, "Area");
    QCOMPARE(s.objectName(), QString("Area"));
    QCOMPARE(s.minimum(), 300);
    QCOMPARE(s.maximum(), 400);
    QCOMPARE(s.pageStep(), 5);
    QCOMPARE(s.value(), 350);
    QVERIFY(!s.log.isEmpty());
    QCOMPARE(s.log.first(), QString("name"));
    const int step = s.log.indexOf("step");
    QVERIFY(step > 0);
    QCOMPARE(s.log.indexOf("range"), 1);
    QVERIFY(s.log.lastIndexOf("range") < step);
    QCOMPARE(s.log.last(), QString("value"));
    QVERIFY(s.log.lastIndexOf("value") > step);
    QCOMPARE(values.size(), 1);
    QCOMPARE(values.at(0).at(0).toInt(), 350);
    s.Reset(0, 1000, 10, 350, "Gap");  // the value stays: nothing to hear
    QCOMPARE(values.size(), 1);
}

void TestKitControls::sliderTypedText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("inside") << "42" << 42;
    QTest::newRow("above") << "250" << 100;
    QTest::newRow("empty keeps the value") << "" << 60;
    QTest::newRow("not a number") << "x" << 5;
    QTest::newRow("negative") << "-3" << 5;
    QTest::newRow("beyond int") << "3000000000" << 100;
    QTest::newRow("beyond 64 bits") << "123456789012345678901234" << 100;
}

void TestKitControls::sliderTypedText() {
    QFETCH(QString, text);
    QFETCH(int, value);
    Slider s(5, 100, 1, 50, nullptr, "T");
    s.valueField()->setText("60");
    QCOMPARE(s.value(), 60);
    s.valueField()->setText(text);
    QCOMPARE(s.value(), value);
}

void TestKitControls::sliderDragAddsUpSteps() {
    Slider s(0, 100, 1, 0, nullptr, "T");
    s.resize(1000, 60);  // span 598: one step is 5.98 px
    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    const int hx = s.handleX();
    QTest::mousePress(&s, Qt::LeftButton, Qt::NoModifier, QPoint(hx + 5, 30));
    QVERIFY(s.dragging());
    QMouseEvent m1(QEvent::MouseMove, QPointF(hx + 8, 30), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&s, &m1);
    QCOMPARE(s.value(), 0);  // less than a step
    QMouseEvent m2(QEvent::MouseMove, QPointF(hx + 12, 30), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&s, &m2);
    QCOMPARE(s.value(), 1);  // 7 px from the press point
    QMouseEvent m3(QEvent::MouseMove, QPointF(hx + 72, 30), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&s, &m3);
    QCOMPARE(s.value(), 11);  // 60 px from the last change point
    QTest::mouseRelease(&s, Qt::LeftButton, Qt::NoModifier, QPoint(hx + 72, 30));
    QVERIFY(!s.dragging());
}

void TestKitControls::sliderPressAwayFromHandleStartsNoDrag_data() {
    QTest::addColumn<int>("dx");
    QTest::addColumn<bool>("drags");
    QTest::newRow("20 left") << -20 << true;
    QTest::newRow("21 left") << -21 << false;
    QTest::newRow("29 right") << 29 << true;
    QTest::newRow("30 right") << 30 << false;
}

void TestKitControls::sliderPressAwayFromHandleStartsNoDrag() {
    QFETCH(int, dx);
    QFETCH(bool, drags);
    Slider s(0, 100, 1, 50, nullptr, "T");
    s.resize(1000, 60);
    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    s.setValue(49);
    s.setValue(50);  // the press works from the value, also before a repaint
    const int hx = s.handleX();
    QTest::mousePress(&s, Qt::LeftButton, Qt::NoModifier, QPoint(hx + dx, 30));
    QCOMPARE(s.dragging(), drags);
    QMouseEvent m(QEvent::MouseMove, QPointF(hx + dx + 100, 30), Qt::NoButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(&s, &m);
    QCOMPARE(s.value() != 50, drags);
}

void TestKitControls::sliderValueBoxOpensKeypad() {
    gShowW = 1725;
    gShowH = 982;
    FakeMainWindow win;
    win.resize(1920, 1080);
    auto* panel = new QWidget(&win);
    panel->setGeometry(0, 0, 1725, 982);
    auto* s = new Slider(0, 100, 1, 40, panel, "T");
    s->setGeometry(100, 200, 1000, 60);
    gpNumPad = new NumberInput;
    win.show();
    QVERIFY(QTest::qWaitForWindowExposed(&win));

    QTest::mouseClick(s, Qt::LeftButton, Qt::NoModifier, QPoint(170, 30));
    QCOMPARE(win.currentEdit, s->valueField());
    QVERIFY(!s->valueField()->hasFocus());
    QVERIFY(gpNumPad->isVisible());
    QCOMPARE(gpNumPad->parentWidget(), panel);
    QCOMPARE(gpNumPad->pos(), QPoint(100, 200 + 65));
    QCOMPARE(s->value(), 40);  // the field was empty: opening changes nothing
    auto typeKey = [](const char* name) {
        QTest::mouseClick(gpNumPad->findChild<QAbstractButton*>(name), Qt::LeftButton);
    };
    typeKey("key_2");
    QCOMPARE(s->value(), 2);
    typeKey("key_5");
    QCOMPARE(s->value(), 25);
    typeKey("key_5");
    QCOMPARE(s->value(), 100);  // 255, held at the maximum
    typeKey("confirmButton");
    QVERIFY(!gpNumPad->isVisible());
    QCOMPARE(win.currentEdit, s->valueField());  // current without the focus: it stays

    // Opening again empties the field that still holds 255; the value stays until a digit is typed,
    // and erasing every digit brings no new value either.
    s->setValue(60);
    QTest::mouseClick(s, Qt::LeftButton, Qt::NoModifier, QPoint(170, 30));
    QVERIFY(gpNumPad->isVisible());
    QCOMPARE(s->value(), 60);
    typeKey("key_7");
    QCOMPARE(s->value(), 7);
    typeKey("eraseButton");
    QCOMPARE(s->value(), 7);
    typeKey("key_3");
    QCOMPARE(s->value(), 3);
    typeKey("confirmButton");

    // On a small display the value box opens nothing.
    gShowW = 1024;
    QTest::mouseClick(s, Qt::LeftButton, Qt::NoModifier, QPoint(170, 30));
    QVERIFY(!gpNumPad->isVisible());
    resetKeypadGlobals();
}

void TestKitControls::sliderCaptionWhole_data() {
    QTest::addColumn<QString>("caption");
    for (const char* c : {"Max Gray", "Min Gray", "Min Area", "Sensitivity", "最大灰度", "最大灰階"})
        QTest::newRow(c) << QString::fromUtf8(c);
}

// A region panel slider's caption ends before its value box (drawn in green; the gap between them stays
// free of it), shrunk where it must be.
void TestKitControls::sliderCaptionWhole() {
    QFETCH(QString, caption);
    // An application font narrower than the caption's own family (the caption is drawn in that one).
    const QFont before = QApplication::font();
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans Condensed")));
    Slider s(0, 255, 1, 25, nullptr, caption);
    s.resize(1000, 45);
    QImage img(s.size(), QImage::Format_RGB32);
    img.fill(Qt::black);
    s.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    int lastGreen = -1;
    for (int x = 0; x < 135; ++x)
        for (int y = 0; y < img.height(); ++y) {
            const QColor c = img.pixelColor(x, y);
            if (c.green() > 120 && c.red() < 80 && c.blue() < 80) lastGreen = x;
        }
    QApplication::setFont(before);
    QVERIFY(lastGreen > 20);  // drawn at all
    QVERIFY2(lastGreen < 120, qPrintable(QString::number(lastGreen)));
}

QTEST_MAIN(TestKitControls)
#include "tst_kitcontrols.moc"
