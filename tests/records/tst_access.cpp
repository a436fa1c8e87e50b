#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>
#include <cstring>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/mainwindowbase.h"
#include "app/wizardpara.h"
#include "platform/system/sysclock.h"
#include "records/accesslevel.h"
#include "records/iostatus.h"
#include "records/passwordbox.h"
#include "widgets/blineedit.h"
#include "widgets/numberinput.h"
#include "../widgets/kittest.h"

namespace {

const char* kUserPassword = "4711";
const QDateTime kToday(QDate(2026, 12, 10), QTime(9, 30));

QString lan(int id) {
    return gaLanStr[id * kLanColumns + gLan];
}

// Collects every log line, so a test can show that no password reached the log.
QStringList* g_log = nullptr;
void collect(QtMsgType, const QMessageLogContext&, const QString& msg) {
    if (g_log) g_log->append(msg);
}

}  // namespace

class TestAccess : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void entryLevels_data();
    void entryLevels();
    void serviceCodeIsTenDigitsPerDay();
    void dialogEntry_data();
    void dialogEntry();
    void wrongPromptShowsOnceThenPasswordHint();
    void keypadEntryStaysHidden();
    void checkPassword_data();
    void checkPassword();
    void openingSettings_data();
    void openingSettings();
    void logoutTimerDropsLevel();
    void indicator_data();
    void indicator();
    void indicatorPressLogsOutAndRepaints();
    void keypadConfirmAndHide();

private:
    WizardPara para_;
    MainWindowBase* win_ = nullptr;
};

void TestAccess::initTestCase() {
    loadLanguageTable();
    gLan = 1;
    gShowW = 1725;
    gShowH = 982;
}

void TestAccess::init() {
    para_ = WizardPara();
    para_.is_psw_used = 1;
    std::strcpy(para_.password, kUserPassword);
    gpWPara = &para_;
    SysClock::setFixed(kToday);
    win_ = new MainWindowBase;
    resetAccessGlobals();
}

void TestAccess::cleanup() {
    resetAccessGlobals();
    delete win_;
    win_ = nullptr;
    gpWPara = nullptr;
    SysClock::reset();
}

void TestAccess::entryLevels_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("level");
    const QString code = serviceCode(kToday.date());
    QTest::newRow("user password") << "4711"
                                   << "4711" << 1;
    QTest::newRow("service code") << code << "4711" << 2;
    QTest::newRow("service code wins over an equal user password") << code << code << 2;
    QTest::newRow("yesterday's code") << serviceCode(kToday.date().addDays(-1)) << "4711" << 0;
    QTest::newRow("prefix") << "471"
                            << "4711" << 0;
    QTest::newRow("longer") << "47110"
                            << "4711" << 0;
    QTest::newRow("empty entry") << ""
                                 << "4711" << 0;
    QTest::newRow("99 characters") << QString(99, 'x') << QString(99, 'x') << 1;
    QTest::newRow("non-ASCII") << QString::fromUtf8("pässwort") << QString::fromUtf8("pässwort") << 1;
}

void TestAccess::entryLevels() {
    QFETCH(QString, entry);
    QFETCH(QString, stored);
    QFETCH(int, level);
    const QByteArray bytes = stored.toUtf8();
    QVERIFY(bytes.size() < kParaTextLen);
    std::memset(para_.password, 0, sizeof(para_.password));
    std::memcpy(para_.password, bytes.constData(), size_t(bytes.size()));
    QCOMPARE(levelForEntry(entry, para_, kToday.date()), level);
}

void TestAccess::serviceCodeIsTenDigitsPerDay() {
    const QString a = serviceCode(QDate(2026, 12, 10));
    QCOMPARE(a.size(), 10);
    QVERIFY(QRegularExpression("^[0-9]{10}$").match(a).hasMatch());
    QCOMPARE(serviceCode(QDate(2026, 12, 10)), a);
    QVERIFY(serviceCode(QDate(2026, 12, 11)) != a);
}

// One entry in the dialog, pressed with "YES": level, dialog result and what the field shows.
void TestAccess::dialogEntry_data() {
    QTest::addColumn<int>("startLevel");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("prompt");
    QTest::addColumn<int>("placeholderId");
    QTest::newRow("right") << 0 << "4711" << 1 << true << 0 << 125;
    QTest::newRow("service code") << 0 << serviceCode(kToday.date()) << 2 << true << 0 << 125;
    QTest::newRow("wrong") << 0 << "1234" << 0 << false << 2 << 357;
    QTest::newRow("wrong drops a level") << 1 << "1234" << 0 << false << 2 << 357;
    QTest::newRow("empty") << 0 << "" << 0 << false << 2 << 357;
}

void TestAccess::dialogEntry() {
    QFETCH(int, startLevel);
    QFETCH(QString, entry);
    QFETCH(int, level);
    QFETCH(bool, accepted);
    QFETCH(int, prompt);
    QFETCH(int, placeholderId);
    win_->AccessLevel = startLevel;
    PasswordBox box(lan(569), win_);
    box.show();
    QCOMPARE(box.titleLabel()->text(), lan(356));
    QCOMPARE(box.passwordEdit()->echoMode(), QLineEdit::Password);
    QStringList log;
    g_log = &log;
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    box.passwordEdit()->setText(entry);
    QTest::mouseClick(box.yesButton(), Qt::LeftButton);
    qInstallMessageHandler(previous);
    g_log = nullptr;
    QCOMPARE(win_->AccessLevel, level);
    QCOMPARE(box.result() == QDialog::Accepted, accepted);
    QCOMPARE(box.isVisible(), !accepted);
    QCOMPARE(box.promptState(), prompt);
    QCOMPARE(box.passwordEdit()->placeholderText(), lan(placeholderId));
    if (!accepted) QVERIFY(box.passwordEdit()->text().isEmpty());
    if (!entry.isEmpty())
        for (const QString& line : log) QVERIFY2(!line.contains(entry), qPrintable(line));
}

void TestAccess::wrongPromptShowsOnceThenPasswordHint() {
    PasswordBox box(lan(569), win_);
    box.show();
    QLineEdit* edit = box.passwordEdit();
    edit->setText("9");
    box.accept();
    QCOMPARE(edit->placeholderText(), lan(357));
    edit->setText("12");
    QVERIFY(edit->placeholderText().isEmpty());
    edit->clear();  // the keypad empties the field when it opens
    QCOMPARE(edit->placeholderText(), lan(357));
    QCOMPARE(box.promptState(), 0);
    edit->setText("3");
    edit->clear();
    QCOMPARE(edit->placeholderText(), lan(125));
    // Cancel leaves the level at 0; showing the dialog again starts clean.
    QTest::mouseClick(box.cancelButton(), Qt::LeftButton);
    QCOMPARE(box.result(), int(QDialog::Rejected));
    edit->setText("5");
    box.accept();
    box.hide();
    box.show();
    QCOMPARE(box.promptState(), 0);
    QVERIFY(edit->text().isEmpty());
    QCOMPARE(edit->placeholderText(), lan(125));
}

// The password is typed on the pop-up keypad, whose own field hides it as well, and confirmed there.
void TestAccess::keypadEntryStaysHidden() {
    PasswordBox box(lan(569), win_);
    box.show();
    QLineEdit::EchoMode keypadEcho = QLineEdit::Normal;
    kittest::ModalDriver drive([&](QWidget* w) {
        keypadEcho = w->findChild<QLineEdit*>("textEdit")->echoMode();
        kittest::pressAll(w, {"4", "7", "1", "1", "confirmButton"});
    });
    QTest::mousePress(box.passwordEdit(), Qt::LeftButton);
    QVERIFY(drive.fired);
    QCOMPARE(keypadEcho, QLineEdit::Password);
    QCOMPARE(box.passwordEdit()->text(), QString(kUserPassword));
    // The keypad's confirm submits the entry: no "YES" is needed as well.
    QCOMPARE(win_->AccessLevel, 1);
    QCOMPARE(box.result(), int(QDialog::Accepted));
    QVERIFY(!box.isVisible());
}

// CheckPassword: whether the dialog is shown and the level it returns.
void TestAccess::checkPassword_data() {
    QTest::addColumn<int>("pswUsed");
    QTest::addColumn<int>("startLevel");
    QTest::addColumn<QStringList>("entries");  // typed and confirmed in turn; "" ends with Cancel
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("levelAfter");
    QTest::newRow("passwords off") << 0 << 0 << QStringList{} << 0 << 2 << 0;
    QTest::newRow("already primary") << 1 << 1 << QStringList{} << 0 << 1 << 1;
    QTest::newRow("already advanced") << 1 << 2 << QStringList{} << 0 << 2 << 2;
    QTest::newRow("right") << 1 << 0 << QStringList{"4711"} << 1 << 1 << 1;
    QTest::newRow("service code") << 1 << 0 << QStringList{serviceCode(kToday.date())} << 1 << 2 << 2;
    QTest::newRow("cancelled") << 1 << 0 << QStringList{""} << 1 << 0 << 0;
    QTest::newRow("wrong, then right") << 1 << 0 << QStringList{"1", "4711"} << 1 << 1 << 1;
    QTest::newRow("wrong, then cancelled") << 1 << 0 << QStringList{"1", ""} << 1 << 0 << 0;
}

void TestAccess::checkPassword() {
    QFETCH(int, pswUsed);
    QFETCH(int, startLevel);
    QFETCH(QStringList, entries);
    QFETCH(int, dialogs);
    QFETCH(int, result);
    QFETCH(int, levelAfter);
    para_.is_psw_used = pswUsed;
    win_->AccessLevel = startLevel;
    int shown = 0;
    setPasswordDialogRunner([&](PasswordBox& box) {
        ++shown;
        box.show();
        for (const QString& e : entries) {
            if (e.isEmpty()) {
                box.reject();
                break;
            }
            box.passwordEdit()->setText(e);
            box.accept();
            if (!box.isVisible()) break;
        }
        return box.result();
    });
    QCOMPARE(accessCheckPassword(), result);
    QCOMPARE(shown, dialogs);
    QCOMPARE(win_->AccessLevel, levelAfter);
}

void TestAccess::openingSettings_data() {
    QTest::addColumn<int>("pswUsed");
    QTest::addColumn<int>("startLevel");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("levelAfter");
    QTest::newRow("in use, advanced becomes primary") << 1 << 2 << 1 << 1;
    QTest::newRow("in use, primary stays") << 1 << 1 << 1 << 1;
    QTest::newRow("not in use, advanced becomes 0") << 0 << 2 << 2 << 0;
    QTest::newRow("in use, not logged in, cancelled") << 1 << 0 << 0 << 0;
}

void TestAccess::openingSettings() {
    QFETCH(int, pswUsed);
    QFETCH(int, startLevel);
    QFETCH(int, result);
    QFETCH(int, levelAfter);
    para_.is_psw_used = pswUsed;
    win_->AccessLevel = startLevel;
    setPasswordDialogRunner([](PasswordBox&) { return int(QDialog::Rejected); });
    QCOMPARE(accessCheckForSettings(), result);
    QCOMPARE(win_->AccessLevel, levelAfter);
}

void TestAccess::logoutTimerDropsLevel() {
    win_->logoutTimer = new QTimer(win_);
    connect(win_->logoutTimer, &QTimer::timeout, win_, [] { accessLogout(); });
    QSignalSpy changed(accessNotifier(), &AccessNotifier::levelChanged);
    setAccessLevel(1);
    win_->logoutTimer->start(1);
    QTRY_COMPARE_WITH_TIMEOUT(win_->AccessLevel, 0, 5000);
    QVERIFY(!win_->logoutTimer->isActive());
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed.last().at(0).toInt(), 0);
}

void TestAccess::indicator_data() {
    QTest::addColumn<int>("pswUsed");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("textId");  // -1: nothing painted
    QTest::newRow("off, logged out") << 0 << 0 << -1;
    QTest::newRow("off, primary") << 0 << 1 << -1;
    QTest::newRow("on, logged out") << 1 << 0 << 156;
    QTest::newRow("on, primary") << 1 << 1 << 308;
    QTest::newRow("on, advanced") << 1 << 2 << 308;
}

void TestAccess::indicator() {
    QFETCH(int, pswUsed);
    QFETCH(int, level);
    QFETCH(int, textId);
    para_.is_psw_used = pswUsed;
    win_->AccessLevel = level;
    IOStatusWidget w(win_);
    QCOMPARE(w.size(), QSize(200, 50));
    QCOMPARE(w.statusText(), textId < 0 ? QString() : lan(textId));
    // Painted pixels: green for logged in, red for logged out, none while passwords are off.
    const QImage img = w.grab().toImage();
    int green = 0, red = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.green() > 200 && c.red() < 60 && c.blue() < 60) ++green;
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++red;
        }
    QCOMPARE(green > 0, textId == 308);
    QCOMPARE(red > 0, textId == 156);
}

void TestAccess::indicatorPressLogsOutAndRepaints() {
    win_->resize(400, 200);
    auto* w = new IOStatusWidget(win_);
    win_->show();
    QVERIFY(QTest::qWaitForWindowExposed(win_));
    setAccessLevel(1);
    QCOMPARE(w->statusText(), lan(308));
    QTest::mouseClick(w, Qt::LeftButton);
    QCOMPARE(win_->AccessLevel, 0);
    QCOMPARE(w->statusText(), lan(156));
    // Passwords off: the press still logs out, nothing is shown.
    para_.is_psw_used = 0;
    setAccessLevel(2);
    QTest::mouseClick(w, Qt::LeftButton);
    QCOMPARE(win_->AccessLevel, 0);
    QVERIFY(w->statusText().isEmpty());
}

// The numeric keypad's confirm key checks the entry of the shown password dialog, closing the keypad
// otherwise checks nothing; hiding the dialog ends the editing of the current field and closes the
// keypad.
void TestAccess::keypadConfirmAndHide() {
    gpNumPad = new NumberInput;
    PasswordBox* box = createGlobalPasswordBox(win_);
    QCOMPARE(gpPasswordBox, box);
    QCOMPARE(createGlobalPasswordBox(win_), box);
    QCOMPARE(box->windowTitle(), lan(569));
    box->show();
    // Closing the keypad beside the dialog (a touch on its background) judges nothing.
    box->passwordEdit()->setText("9");
    gpNumPad->show();
    gpNumPad->HideUpdate();
    QVERIFY(!gpNumPad->isVisible());
    QVERIFY(box->isVisible());
    QCOMPARE(box->promptState(), 0);
    QCOMPARE(box->passwordEdit()->text(), QString("9"));
    box->passwordEdit()->setText(kUserPassword);
    gpNumPad->show();
    gpNumPad->Confirm();
    QCOMPARE(win_->AccessLevel, 1);
    QVERIFY(!box->isVisible());
    QVERIFY(!gpNumPad->isVisible());

    auto* field = new QLineEdit(win_);
    win_->currentEdit = field;
    box->show();
    gpNumPad->show();
    box->hide();
    QVERIFY(win_->currentEdit == nullptr);
    QVERIFY(!gpNumPad->isVisible());
    QCOMPARE(win_->AccessLevel, 1);  // hiding checks nothing

    delete box;
    QVERIFY(gpPasswordBox == nullptr);
    resetKeypadGlobals();
}

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
