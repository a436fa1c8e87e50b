// Pop-up keyboards and the touch-entry fields that open them.
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

#include "app/globals.h"
#include "kittest.h"
#include "widgets/blineedit.h"
#include "widgets/keyboards.h"
#include "widgets/kittext.h"

using namespace kittest;

class TestKeyboards : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        resetAppGlobals();
        loadLanguageTable();
    }

    void keypadSequences_data();
    void keypadSequences();
    void keypadBackspaceRemovesLastCharacter();
    void keypadCaptionsFollowLanguage_data();
    void keypadCaptionsFollowLanguage();
    void keysNeverTakeFocus();
    void fullKeyboardCaseKey();
    void fullKeyboardCaseKeySlideOff();
    void fullKeyboardSymbolKeyIsInertAndKeysAreSafe();

    void lineEditEntry_data();
    void lineEditEntry();
    void lineEditRightPressDoesNothing();
    void labelEntry_data();
    void labelEntry();
    void labelRepeatedEntryRewritesLabel();
    void labelWordOnFullKeyboard();
};

// Result -1: the keyboard was still open after the keys (the test then closes it).
void TestKeyboards::keypadSequences_data() {
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("text");
    QTest::newRow("number") << "" << QStringList{"1", "2", ".", "5", "confirmButton"} << 1 << "12.5";
    QTest::newRow("confirm empty stays") << "" << QStringList{"confirmButton"} << -1 << "";
    QTest::newRow("confirm blank stays") << "   " << QStringList{"confirmButton"} << -1 << "   ";
    QTest::newRow("backspace on empty") << "" << QStringList{"backspaceButton"} << -1 << "";
    QTest::newRow("blanks kept") << " 7 " << QStringList{"confirmButton"} << 1 << " 7 ";
    QTest::newRow("any digits and points") << "" << QStringList{"0", ".", ".", "confirmButton"} << 1 << "0..";
    QTest::newRow("close") << "9" << QStringList{"closeButton"} << 0 << "9";
    QTest::newRow("cancel") << "" << QStringList{"3", "cancelButton"} << 0 << "3";
}

void TestKeyboards::keypadSequences() {
    QFETCH(QString, initial);
    QFETCH(QStringList, keys);
    QFETCH(int, result);
    QFETCH(QString, text);
    DigitalKeyboard kb("T", "H", initial);
    bool stillOpen = false;
    ModalDriver drive([&](QWidget* w) {
        QCOMPARE(w, &kb);
        pressAll(w, keys);
        stillOpen = kb.isVisible();
        if (stillOpen) kb.done(-1);
    });
    const int r = kb.exec();
    QCOMPARE(stillOpen ? -1 : r, result);
    QCOMPARE(kb.getText(), text);
}

void TestKeyboards::keypadBackspaceRemovesLastCharacter() {
    DigitalKeyboard kb("T", "H", "123");
    kb.show();
    kb.textEdit->deselect();
    kb.textEdit->setCursorPosition(0);  // the operator touched the start of the field
    press(&kb, "key_4");
    QCOMPARE(kb.getText(), QString("4123"));
    press(&kb, "backspaceButton");
    QCOMPARE(kb.getText(), QString("412"));
}

void TestKeyboards::keypadCaptionsFollowLanguage_data() {
    QTest::addColumn<int>("lan");
    QTest::addColumn<QString>("confirm");
    QTest::newRow("zh") << 0 << QString::fromUtf8("确定");
    QTest::newRow("en") << 1 << "Confirm";
    QTest::newRow("tw") << 2 << QString::fromUtf8("確定");
}

void TestKeyboards::keypadCaptionsFollowLanguage() {
    QFETCH(int, lan);
    QFETCH(QString, confirm);
    gLan = lan;
    DigitalKeyboard kb("T", "H", "");
    gLan = 0;
    QCOMPARE(kb.confirmButton->text(), confirm);
    QCOMPARE(kb.cancelButton->text(), gaLanStr[124 * 3 + lan]);
}

void TestKeyboards::keysNeverTakeFocus() {
    DigitalKeyboard digital("T", "H", "");
    FullKeyboard full("T", "H", "");
    for (QDialog* d : {static_cast<QDialog*>(&digital), static_cast<QDialog*>(&full)}) {
        const auto keys = d->findChildren<QPushButton*>();
        QVERIFY(keys.size() >= 15);
        for (QPushButton* k : keys) QCOMPARE(k->focusPolicy(), Qt::NoFocus);
    }
}

namespace {
QString letters(FullKeyboard& kb) {
    QString s;
    for (char c = 'A'; c <= 'Z'; ++c) s += kb.findChild<QPushButton*>(QStringLiteral("key_") + c)->text();
    return s;
}
const QString kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
}  // namespace

void TestKeyboards::fullKeyboardCaseKey() {
    FullKeyboard kb("T", "H", "");
    kb.show();
    QCOMPARE(letters(kb), kUpper);
    QVERIFY(kb.caseButton->isChecked());
    click(&kb, "caseButton");
    QCOMPARE(letters(kb), kUpper.toLower());
    QCOMPARE(kb.caseButton->text(), QString::fromUtf8("大写"));
    QCOMPARE(kb.findChild<QPushButton*>("key__")->text(), QString("_"));
    QCOMPARE(kb.findChild<QPushButton*>("key_7")->text(), QString("7"));
    press(&kb, "key_Q");
    click(&kb, "caseButton");
    QCOMPARE(letters(kb), kUpper);
    QCOMPARE(kb.caseButton->text(), QString::fromUtf8("小写"));
    press(&kb, "key_Q");
    QCOMPARE(kb.getText(), QString("qQ"));
}

void TestKeyboards::fullKeyboardCaseKeySlideOff() {
    FullKeyboard kb("T", "H", "");
    kb.show();
    QTest::mousePress(kb.caseButton, Qt::LeftButton);
    QTest::mouseRelease(kb.caseButton, Qt::LeftButton, {}, QPoint(-20, -20));
    QCOMPARE(letters(kb), kUpper.toLower());
    QVERIFY(kb.caseButton->isChecked());
    click(&kb, "caseButton");  // still checked at press: lowers again
    QCOMPARE(letters(kb), kUpper.toLower());
    click(&kb, "caseButton");
    QCOMPARE(letters(kb), kUpper);
}

void TestKeyboards::fullKeyboardSymbolKeyIsInertAndKeysAreSafe() {
    FullKeyboard kb("T", "H", "ab");
    kb.show();
    const auto keys = kb.findChildren<QPushButton*>();
    QStringList before;
    for (QPushButton* k : keys) before << k->text();
    press(&kb, "symbolButton");
    QCOMPARE(kb.getText(), QString("ab"));
    QStringList after;
    for (QPushButton* k : keys) after << k->text();
    QCOMPARE(after, before);
    // Every character the keyboard can type is safe in a file name or a command argument.
    const QRegularExpression safe("^[A-Za-z0-9_]$");
    int characterKeys = 0;
    for (QPushButton* k : keys)
        if (k->objectName().startsWith("key_")) {
            ++characterKeys;
            QVERIFY2(safe.match(k->text()).hasMatch(), qPrintable(k->text()));
        }
    QCOMPARE(characterKeys, 37);
}

void TestKeyboards::lineEditEntry_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("changes");
    QTest::newRow("cancel restores") << 1 << QStringList{"X", "cancelButton"} << "abc"
                                     << QStringList{"", "abc"};
    QTest::newRow("close restores") << 0 << QStringList{"closeButton"} << "abc" << QStringList{"", "abc"};
    QTest::newRow("full keyboard") << 1 << QStringList{"X", "Y", "Z", "confirmButton"} << "XYZ"
                                   << QStringList{"", "XYZ"};
    QTest::newRow("keypad") << 0 << QStringList{"4", "2", "confirmButton"} << "42" << QStringList{"", "42"};
}

void TestKeyboards::lineEditEntry() {
    QFETCH(int, type);
    QFETCH(QStringList, keys);
    QFETCH(QString, text);
    QFETCH(QStringList, changes);
    QWidget owner;
    BLineEdit edit(&owner, "Title", "Hint", type);
    edit.setText("abc");
    QSignalSpy spy(&edit, &QLineEdit::textChanged);
    QString openedWith = "?";
    QString openedAs;
    ModalDriver drive([&](QWidget* w) {
        openedWith = w->findChild<QLineEdit*>("textEdit")->text();
        openedAs = w->metaObject()->className();
        pressAll(w, keys);
    });
    QTest::mousePress(&edit, Qt::LeftButton);
    QCOMPARE(openedWith, QString());
    QCOMPARE(openedAs, QString(type == 0 ? "DigitalKeyboard" : "FullKeyboard"));
    QCOMPARE(edit.text(), text);
    QStringList seen;
    for (const auto& args : spy) seen << args.at(0).toString();
    QCOMPARE(seen, changes);
}

void TestKeyboards::lineEditRightPressDoesNothing() {
    QWidget owner;
    BLineEdit edit(&owner, "Title", "Hint", 0);
    BlineLabel label(new QSlider(&owner), &owner, "Title", "Hint", 0);
    edit.setText("abc");
    label.setText("7");
    bool opened = false;
    ModalDriver drive([&](QWidget* w) {
        opened = true;
        press(w, "closeButton");
    });
    QTest::mousePress(&edit, Qt::RightButton);
    QTest::mousePress(&label, Qt::RightButton);
    QVERIFY(!opened);
    QCOMPARE(edit.text(), QString("abc"));
    QCOMPARE(label.text(), QString("7"));
}

void TestKeyboards::labelEntry_data() {
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("shown");
    // Scale 1: slider 1..10 at 5, shown plainly. Scale 10: tenths 0..1000 at 50, shown in seconds.
    QTest::newRow("plain") << 1 << "8" << 8 << "8";
    QTest::newRow("above range") << 1 << "50" << 10 << "10";
    QTest::newRow("below range") << 1 << "0" << 1 << "1";
    QTest::newRow("fraction rounds") << 1 << "6.5" << 7 << "7";
    QTest::newRow("beyond int range") << 1 << "99999999999999999999" << 10 << "10";
    QTest::newRow("not a number") << 1 << "1..2" << 1 << "1";
    QTest::newRow("seconds") << 10 << "3" << 30 << "3";
    QTest::newRow("seconds fraction") << 10 << "2.5" << 25 << "2.5";
    QTest::newRow("tenth") << 10 << "0.3" << 3 << "0.3";
    QTest::newRow("seconds above range") << 10 << "5000" << 1000 << "100";
}

void TestKeyboards::labelEntry() {
    QFETCH(int, scale);
    QFETCH(QString, entry);
    QFETCH(int, value);
    QFETCH(QString, shown);
    QWidget owner;
    auto* slider = new QSlider(&owner);
    slider->setRange(scale == 1 ? 1 : 0, scale == 1 ? 10 : 1000);
    slider->setValue(scale == 1 ? 5 : 50);
    BlineLabel label(slider, &owner, "Title", "Hint", 0);
    label.setDisplayScale(scale);
    connect(slider, &QSlider::valueChanged, &label,
            [&](int v) { label.setText(scale == 1 ? QString::number(v) : QString::number(v / 10.0)); });
    QStringList keys;
    for (QChar c : entry) keys << QString(c);
    keys << "confirmButton";
    ModalDriver drive([&](QWidget* w) { pressAll(w, keys); });
    QTest::mousePress(&label, Qt::LeftButton);
    QCOMPARE(slider->value(), value);
    QCOMPARE(label.text(), shown);
}

void TestKeyboards::labelRepeatedEntryRewritesLabel() {
    QWidget owner;
    auto* slider = new QSlider(&owner);
    slider->setRange(1, 10);
    slider->setValue(5);
    BlineLabel label(slider, &owner, "Title", "Hint", 0);
    int handled = 0;
    connect(slider, &QSlider::valueChanged, &label, [&](int v) {
        ++handled;
        label.setText(QString::number(v));
    });
    for (int i = 0; i < 2; ++i) {
        ModalDriver drive([&](QWidget* w) { pressAll(w, {"8", "confirmButton"}); });
        QTest::mousePress(&label, Qt::LeftButton);
    }
    QCOMPARE(slider->value(), 8);
    QCOMPARE(handled, 2);
    QCOMPARE(label.text(), QString("8"));
    // Cancelling puts the text back and leaves the slider alone.
    ModalDriver cancel([&](QWidget* w) { pressAll(w, {"3", "cancelButton"}); });
    QTest::mousePress(&label, Qt::LeftButton);
    QCOMPARE(slider->value(), 8);
    QCOMPARE(handled, 2);
    QCOMPARE(label.text(), QString("8"));
}

void TestKeyboards::labelWordOnFullKeyboard() {
    QWidget owner;
    auto* slider = new QSlider(&owner);
    slider->setRange(2, 10);
    slider->setValue(5);
    BlineLabel label(slider, &owner, "Title", "Hint", 1);
    connect(slider, &QSlider::valueChanged, &label, [&](int v) { label.setText(QString::number(v)); });
    ModalDriver drive([&](QWidget* w) { pressAll(w, {"A", "B", "confirmButton"}); });
    QTest::mousePress(&label, Qt::LeftButton);
    QCOMPARE(slider->value(), 2);
    QCOMPARE(label.text(), QString("2"));
}

QTEST_MAIN(TestKeyboards)
#include "tst_keyboards.moc"
