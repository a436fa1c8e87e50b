// The Edit field and the two pop-up keypads that type into the program's current field.
#include <QButtonGroup>
#include <QDialog>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "app/globals.h"
#include "kittest.h"
#include "widgets/edit.h"
#include "widgets/indexbutton.h"
#include "widgets/kittext.h"
#include "widgets/numberinput.h"

using namespace kittest;

namespace {

// A field whose digits belong to an owner, like the value fields of the composite editors.
class OwnedField : public Edit {
public:
    using Edit::Edit;
    bool keypadDigit(int digit, bool firstKey) override {
        owner = firstKey ? digit : owner * 10 + digit;
        return true;
    }
    int owner = 5;
};

void tap(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

void key(QWidget* pad, const QString& name) {
    auto* b = pad->findChild<QAbstractButton*>(name);
    QVERIFY2(b, qPrintable("no key " + name));
    QTest::mouseClick(b, Qt::LeftButton);
}

QString charKeys(NumCharInput* pad, int first, int count) {
    QString s;
    for (int id = first; id < first + count; ++id) s += pad->keyGroup->button(id)->text();
    return s;
}

}  // namespace

class TestEntryKeypads : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        resetAppGlobals();
        loadLanguageTable();
    }
    void init();
    void cleanup();

    void rangeClamp_data();
    void rangeClamp();
    void valueReading();
    void keypadPosition_data();
    void keypadPosition();

    void numericTypingReplacesThenAppends();
    void eraseToEmptyStartsNewNumber();
    void confirmEndsEditing();
    void confirmWithPasswordDialogShown();
    void passwordFieldCurrentWithoutFocus();
    void digitsGoToOwner();
    void keypadPlacedInGrandparent();
    void tapOnFieldNotCurrentOpensNothing();
    void deletedCurrentFieldIsForgotten();
    void dotKeySignals();

    void charKeyboardTypesAndStaysCurrent();
    void charKeyboardPages_data();
    void charKeyboardPages();
    void keypadsNeverTakeFocus();

private:
    std::unique_ptr<FakeMainWindow> win;
    QWidget* panel = nullptr;
};

void TestEntryKeypads::init() {
    gLan = 1;
    gShowW = 1725;
    gShowH = 982;
    win = std::make_unique<FakeMainWindow>();
    win->resize(1920, 1080);
    panel = new QWidget(win.get());
    panel->setGeometry(100, 50, 1200, 900);
    gpNumPad = new NumberInput;
    gpNumCharPad = new NumCharInput;
    win->show();
    QVERIFY(QTest::qWaitForWindowActive(win.get()));
}

void TestEntryKeypads::cleanup() {
    resetKeypadGlobals();
    win.reset();
    QVERIFY(!gpNumPad && !gpNumCharPad);
}

void TestEntryKeypads::rangeClamp_data() {
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("emptied") << 1 << 100 << ""
                             << "1";
    QTest::newRow("above") << 1 << 100 << "250"
                           << "100";
    QTest::newRow("inside") << 1 << 100 << "42"
                            << "42";
    QTest::newRow("not a number") << 1 << 100 << "abc"
                                  << "1";
    QTest::newRow("bounds swapped") << 100 << 1 << "250"
                                    << "100";
    QTest::newRow("lower only") << 5 << -1 << "2"
                                << "2";
    QTest::newRow("upper only") << -1 << 50 << "250"
                                << "250";
}

void TestEntryKeypads::rangeClamp() {
    QFETCH(int, lower);
    QFETCH(int, upper);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Edit e(1, panel, 1);
    e.setText("7");
    e.setRange(lower, upper);
    QCOMPARE(e.text(), QString("7"));  // nothing is clamped until the text changes
    QSignalSpy changes(&e, &QLineEdit::textChanged);
    e.setText(typed);
    QCOMPARE(e.text(), shown);
    QVERIFY(changes.size() <= 2);  // the clamp's own change settles at once
    if (lower != -1 && upper != -1) {
        QCOMPARE(e.lowerBound(), qMin(lower, upper));
        QCOMPARE(e.upperBound(), qMax(lower, upper));
    }
}

void TestEntryKeypads::valueReading() {
    Edit e(1, panel);
    e.setValue(12.3456789);
    QCOMPARE(e.text(), QString("12.3457"));
    QCOMPARE(e.value(), 0);  // not an integer
    QCOMPARE(e.valueToDouble(), 12.3457);
    e.setValue(-42);
    QCOMPARE(e.value(), -42);
    e.init();
    QCOMPARE(e.text(), QString());
}

void TestEntryKeypads::keypadPosition_data() {
    QTest::addColumn<QPoint>("field");
    QTest::addColumn<int>("height");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<QSize>("target");
    QTest::addColumn<QPoint>("expected");
    const QSize big(1900, 1000);
    QTest::newRow("below the field") << QPoint(100, 200) << 40 << QPoint(0, 0) << big << QPoint(100, 245);
    QTest::newRow("offset by the parent")
        << QPoint(100, 200) << 40 << QPoint(30, 20) << big << QPoint(130, 265);
    // 945 + 300 reaches 933: above the field, its bottom 40 px above the field's bottom.
    QTest::newRow("near the display bottom") << QPoint(0, 900) << 40 << QPoint(0, 0) << big << QPoint(0, 600);
    // A taller field (the slider's, 60 px): still above it, not over it.
    QTest::newRow("tall field near the bottom")
        << QPoint(0, 700) << 60 << QPoint(0, 0) << big << QPoint(0, 400);
    QTest::newRow("right edge") << QPoint(1800, 100) << 40 << QPoint(0, 0) << big << QPoint(1473, 145);
    QTest::newRow("bottom of the target")
        << QPoint(0, 100) << 40 << QPoint(0, 0) << QSize(800, 400) << QPoint(0, 100);
}

void TestEntryKeypads::keypadPosition() {
    QFETCH(QPoint, field);
    QFETCH(int, height);
    QFETCH(QPoint, offset);
    QFETCH(QSize, target);
    QFETCH(QPoint, expected);
    QCOMPARE(Edit::keypadPosition(field, height, offset, QSize(427, 300), target, 982), expected);
}

void TestEntryKeypads::numericTypingReplacesThenAppends() {
    auto* e = new Edit(1, panel, 1);
    e->setGeometry(20, 30, 200, 50);
    e->setText("123");
    e->show();
    tap(e);
    QCOMPARE(gpWin->currentEdit, e);
    QVERIFY(e->hasFocus());
    QVERIFY(gpNumPad->isVisible());
    QCOMPARE(gpNumPad->parentWidget(), panel);
    QCOMPARE(gpNumPad->pos(), QPoint(20, 85));
    QCOMPARE(e->text(), QString());  // opening empties the field

    key(gpNumPad, "key_4");
    key(gpNumPad, "key_2");
    QCOMPARE(e->text(), QString("42"));
    key(gpNumPad, "eraseButton");
    QCOMPARE(e->text(), QString("4"));
    QCOMPARE(e->cursorPosition(), 0);
    key(gpNumPad, "key_7");
    QCOMPARE(e->text(), QString("47"));
    QCOMPARE(e->cursorPosition(), 2);
    QVERIFY(e->hasFocus());  // keys never took it

    // A second tap on the field that has the focus empties it again.
    tap(e);
    QCOMPARE(e->text(), QString());
    QVERIFY(gpNumPad->isVisible());
}

void TestEntryKeypads::eraseToEmptyStartsNewNumber() {
    auto* e = new Edit(1, panel);
    e->setRange(1, 100);
    e->setText("50");
    e->show();
    tap(e);
    QCOMPARE(e->text(), QString("1"));  // emptied, then held inside the range
    key(gpNumPad, "key_5");
    QCOMPARE(e->text(), QString("5"));  // the first key replaced the 1
    QVERIFY(!gpNumPad->firstKey());
    key(gpNumPad, "eraseButton");
    QVERIFY(gpNumPad->firstKey());  // erasing the last digit starts a new number
    key(gpNumPad, "key_3");
    key(gpNumPad, "key_0");
    QCOMPARE(e->text(), QString("30"));
    key(gpNumPad, "key_0");
    QCOMPARE(e->text(), QString("100"));

    Edit plain(1, panel);
    plain.show();
    tap(&plain);
    key(gpNumPad, "eraseButton");
    QCOMPARE(plain.text(), QString());
    QVERIFY(gpNumPad->firstKey());
}

void TestEntryKeypads::confirmEndsEditing() {
    auto* e = new Edit(1, panel);
    auto* other = new Edit(2, panel);
    other->move(0, 300);
    e->show();
    other->show();
    tap(other);
    QVERIFY(gpNumCharPad->isVisible());
    tap(e);  // the other field's focus-out hides its keyboard
    QVERIFY(!gpNumCharPad->isVisible());
    QVERIFY(gpNumPad->isVisible());
    key(gpNumPad, "confirmButton");
    QVERIFY(!gpNumPad->isVisible());
    QVERIFY(!e->hasFocus());
    QCOMPARE(gpWin->currentEdit, nullptr);
}

void TestEntryKeypads::confirmWithPasswordDialogShown() {
    QDialog box(win.get());
    gpPasswordBox = &box;
    auto* e = new Edit(1, panel);
    e->show();
    tap(e);
    box.show();
    e->setFocus();
    QVERIFY(e->hasFocus());
    QSignalSpy chk(gpNumPad, &NumberInput::chkpassword);
    key(gpNumPad, "confirmButton");
    QCOMPARE(chk.size(), 1);
    QVERIFY(!gpNumPad->isVisible());
    QVERIFY(e->hasFocus());  // the dialog decides; the field is left alone
    QCOMPARE(gpWin->currentEdit, e);
    gpPasswordBox = nullptr;
}

void TestEntryKeypads::passwordFieldCurrentWithoutFocus() {
    auto* e = new Edit(1, panel);
    e->setEchoMode(QLineEdit::Password);
    e->setText("secret");
    e->show();
    tap(e);
    QCOMPARE(e->text(), QString());
    QVERIFY(!e->hasFocus());
    QCOMPARE(e->placeholderText(), kitText(125));
    QCOMPARE(gpWin->currentEdit, e);
    QVERIFY(gpNumPad->isVisible());
    key(gpNumPad, "key_1");
    key(gpNumPad, "key_2");
    QCOMPARE(e->text(), QString("12"));
}

void TestEntryKeypads::digitsGoToOwner() {
    auto* e = new OwnedField(9, panel, 1);
    e->setText("5");
    e->show();
    tap(e);
    key(gpNumPad, "key_3");
    QCOMPARE(e->owner, 3);  // first key after opening
    key(gpNumPad, "key_7");
    QCOMPARE(e->owner, 37);
    QCOMPARE(e->text(), QString());  // the keypad left the text to the owner
}

void TestEntryKeypads::keypadPlacedInGrandparent() {
    auto* holder = new QWidget(panel);
    holder->setGeometry(200, 100, 600, 400);
    auto* e = new Edit(9, holder);
    e->setGeometry(10, 20, 100, 40);
    holder->show();
    tap(e);
    QCOMPARE(gpNumPad->parentWidget(), panel);
    QCOMPARE(gpNumPad->pos(), QPoint(210, 165));

    auto* e2 = new Edit(0x10, holder);
    e2->setGeometry(10, 20, 100, 40);
    e2->show();
    tap(e2);
    QCOMPARE(gpNumPad->parentWidget(), panel);
    QCOMPARE(gpNumPad->pos(), QPoint(310, 215));  // also offset by the grandparent's position
}

void TestEntryKeypads::tapOnFieldNotCurrentOpensNothing() {
    auto* current = new Edit(1, panel);
    auto* noFocus = new Edit(1, panel);
    noFocus->setFocusPolicy(Qt::NoFocus);
    noFocus->move(0, 300);
    noFocus->setText("77");
    current->show();
    noFocus->show();
    tap(current);
    key(gpNumPad, "confirmButton");
    current->setFocus();
    QCOMPARE(gpWin->currentEdit, current);
    tap(noFocus);
    QVERIFY(!gpNumPad->isVisible());
    QCOMPARE(noFocus->text(), QString("77"));
}

void TestEntryKeypads::deletedCurrentFieldIsForgotten() {
    auto* e = new Edit(1, panel);
    e->show();
    tap(e);
    QCOMPARE(gpWin->currentEdit, e);
    delete e;
    QCOMPARE(gpWin->currentEdit, nullptr);
    key(gpNumPad, "key_1");  // no field: nothing happens
}

void TestEntryKeypads::dotKeySignals() {
    Edit e(1, panel);
    e.show();
    QSignalSpy dot(&e, &Edit::sig_Dot);
    QTest::keyClick(&e, '1');
    QTest::keyClick(&e, '.');
    QCOMPARE(dot.size(), 1);
    QCOMPARE(e.text(), QString("1."));
}

void TestEntryKeypads::charKeyboardTypesAndStaysCurrent() {
    auto* e = new Edit(2, panel);
    e->setGeometry(20, 700, 200, 40);  // near the bottom: the keyboard opens above
    e->setText("AB");
    e->show();
    tap(e);
    QVERIFY(gpNumCharPad->isVisible());
    QCOMPARE(gpNumCharPad->pos(), QPoint(20, 700 + 45 - 295 - 45));
    QCOMPARE(e->text(), QString("AB"));                                     // the keyboard keeps the text
    QTest::mouseClick(gpNumCharPad->keyGroup->button(11), Qt::LeftButton);  // Q
    QTest::mouseClick(gpNumCharPad->keyGroup->button(10), Qt::LeftButton);  // _
    QCOMPARE(e->text(), QString("ABQ_"));
    key(gpNumCharPad, "eraseButton");
    QCOMPARE(e->text(), QString("ABQ"));
    QCOMPARE(e->cursorPosition(), 2);
    key(gpNumCharPad, "confirmButton");
    QVERIFY(!gpNumCharPad->isVisible());
    QVERIFY(e->hasFocus());
    QCOMPARE(gpWin->currentEdit, e);
}

void TestEntryKeypads::charKeyboardPages_data() {
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("row1");
    QTest::addColumn<int>("pageId");
    QTest::addColumn<int>("caseId");
    QTest::newRow("opened") << QStringList() << "QWERTYUIOP" << 441 << 158;
    QTest::newRow("lower") << QStringList{"caseButton"} << "qwertyuiop" << 441 << 159;
    QTest::newRow("lower, capital") << QStringList{"caseButton", "caseButton"} << "QWERTYUIOP" << 441 << 158;
    QTest::newRow("symbol") << QStringList{"pageButton"} << "-=[]\\;',./" << 442 << 158;
    QTest::newRow("symbol, lower") << QStringList{"pageButton", "caseButton"} << "qwertyuiop" << 441 << 159;
    QTest::newRow("symbol, character")
        << QStringList{"pageButton", "pageButton"} << "QWERTYUIOP" << 441 << 158;
    QTest::newRow("lower, symbol") << QStringList{"caseButton", "pageButton"} << "-=[]\\;',./" << 442 << 158;
}

void TestEntryKeypads::charKeyboardPages() {
    QFETCH(QStringList, keys);
    QFETCH(QString, row1);
    QFETCH(int, pageId);
    QFETCH(int, caseId);
    for (int lan : {0, 1}) {
        gLan = lan;
        NumCharInput pad;
        pad.show();
        for (const QString& k : keys) key(&pad, k);
        QCOMPARE(charKeys(&pad, 11, 10), row1);
        QCOMPARE(charKeys(&pad, 0, 11), QString("1234567890_"));
        QCOMPARE(pad.pageButton->text(), kitText(pageId));
        QCOMPARE(pad.caseButton->text(), kitText(caseId));
        if (keys.contains("pageButton") && pageId == 442) {
            QCOMPARE(charKeys(&pad, 21, 9), QString("@#$%^?*()"));
            QCOMPARE(charKeys(&pad, 30, 7), QString("`~!{}:\""));
        }
        // Every opening starts on the capitals page.
        pad.hide();
        pad.show();
        QCOMPARE(charKeys(&pad, 11, 10), QString("QWERTYUIOP"));
        QCOMPARE(charKeys(&pad, 30, 7), QString("ZXCVBNM"));
    }
}

void TestEntryKeypads::keypadsNeverTakeFocus() {
    QCOMPARE(gpNumPad->focusPolicy(), Qt::NoFocus);
    QCOMPARE(gpNumCharPad->focusPolicy(), Qt::NoFocus);
    for (QWidget* pad : {static_cast<QWidget*>(gpNumPad), static_cast<QWidget*>(gpNumCharPad)})
        for (QAbstractButton* b : pad->findChildren<QAbstractButton*>())
            QVERIFY2(b->focusPolicy() == Qt::NoFocus, qPrintable(b->objectName()));
    QCOMPARE(gpNumPad->size(), QSize(427, 230));
    QCOMPARE(gpNumCharPad->size(), QSize(785, 295));
    QCOMPARE(gpNumCharPad->keyGroup->buttons().size(), 37);
    QCOMPARE(gpNumCharPad->findChildren<ColorButton*>().size(), 41);
}

QTEST_MAIN(TestEntryKeypads)
#include "tst_entrykeypads.moc"
