// Message boxes and the real boxes behind showWarnBox/showChooseBox.
#include <QGuiApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include "app/globals.h"
#include "app/msgbox.h"
#include "kittest.h"
#include "widgets/bmessagebox.h"
#include "widgets/keyboards.h"
#include "widgets/kithost.h"
#include "widgets/kittext.h"

using namespace kittest;

namespace {
QStringList g_sheetWarnings;
QtMessageHandler g_previousHandler = nullptr;

void catchSheetWarnings(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
    if (msg.contains("Could not parse")) g_sheetWarnings << msg;
    if (g_previousHandler) g_previousHandler(type, ctx, msg);
}

QStringList buttonTexts(QWidget* box) {
    QList<QPushButton*> buttons = box->findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(), [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    QStringList texts;
    for (QPushButton* b : buttons) texts << b->text();
    return texts;
}
}  // namespace

class TestKitBoxes : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        loadLanguageTable();
        g_previousHandler = qInstallMessageHandler(catchSheetWarnings);
    }
    void cleanupTestCase() { qInstallMessageHandler(g_previousHandler); }
    void init() {
        resetAppGlobals();
        resetKitHost();
        setBoxProvider(nullptr);
        g_sheetWarnings.clear();
    }
    // Every style sheet of the boxes and keyboards parses.
    void cleanup() { QVERIFY2(g_sheetWarnings.isEmpty(), qPrintable(g_sheetWarnings.join('\n'))); }

    void boxesCentreOnDisplayArea();
    void boxesBeforeMainWindowStayOnScreen();
    void longMessageIsNotCut();
    void captionsFitInEveryLanguage_data();
    void captionsFitInEveryLanguage();
    void questionsFlow_data();
    void questionsFlow();
    void buttonTextsFollowLanguage_data();
    void buttonTextsFollowLanguage();
    void messageBoxMasks_data();
    void messageBoxMasks();
    void messageBoxIcon();
    void warnBoxWakesDarkScreen_data();
    void warnBoxWakesDarkScreen();
    void showBoxesUseRealBoxes_data();
    void showBoxesUseRealBoxes();
};

void TestKitBoxes::boxesCentreOnDisplayArea() {
    gShowW = 1725;
    gShowH = 982;
    WarnBox warn("T");
    warn.setText("m");
    warn.show();
    QCOMPARE(warn.geometry(), QRect(522, 366, 680, 250));
    ChooseBox choose("T");
    QVERIFY(choose.isHidden());
    choose.show();
    QCOMPARE(choose.geometry(), QRect(522, 336, 680, 310));
    choose.hide();
    gShowW = 1000;
    gShowH = 800;
    choose.show();
    QCOMPARE(choose.geometry(), QRect(160, 245, 680, 310));
    BMessageBox box("T", "m", 3, 0);
    QCOMPARE(box.geometry(), QRect(160, 275, 680, 250));
}

void TestKitBoxes::boxesBeforeMainWindowStayOnScreen() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    WarnBox warn("T");  // built and shown before the display size is known
    warn.setText("SN.db");
    warn.show();
    QVERIFY(screen.contains(warn.geometry()));
    QVERIFY(qAbs(warn.geometry().center().x() - screen.center().x()) <= 1);
    ChooseBox choose("T");
    choose.show();
    QVERIFY(screen.contains(choose.geometry()));
}

void TestKitBoxes::longMessageIsNotCut() {
    gShowW = 1725;
    gShowH = 982;
    WarnBox warn(kitText(568));
    warn.setText(
        "The camera was unavailable, \r\n please check the connection! \r\nWhether to eliminate the "
        "SN of \r\n camera? And a fourth line \r\n and a fifth line");
    warn.show();
    QVERIFY(warn.height() > 250);
    QVERIFY(warn.textLabel->height() >= warn.textLabel->heightForWidth(warn.textLabel->width()));
    QVERIFY(warn.confirmButton->geometry().bottom() < warn.height());
    ChooseBox choose(kitText(566));
    choose.setText(warn.textLabel->text());
    choose.show();
    QVERIFY(choose.height() > 310);
    QVERIFY(choose.textLabel->height() >= choose.textLabel->heightForWidth(choose.textLabel->width()));
    QVERIFY(choose.yesButton->geometry().bottom() < choose.height());
    QVERIFY(qAbs(warn.geometry().center().y() - 491) <= 1);
}

void TestKitBoxes::captionsFitInEveryLanguage_data() {
    QTest::addColumn<int>("lan");
    QTest::newRow("zh") << 0;
    QTest::newRow("en") << 1;
    QTest::newRow("tw") << 2;
}

// No caption of a box or of the keypad is cut off: every button's text fits on its face, and every
// word of a wrapped title fits its column.
void TestKitBoxes::captionsFitInEveryLanguage() {
    QFETCH(int, lan);
    gLan = lan;
    gShowW = 1725;
    gShowH = 982;
    WarnBox warn(kitText(568));
    ChooseBox choose(kitText(566));
    BMessageBox all(kitText(566), "m", 0x1F, 1);
    DigitalKeyboard keypad("T", "H", "");
    FullKeyboard keyboard("T", "H", "");
    for (QDialog* d : std::initializer_list<QDialog*>{&warn, &choose, &all, &keypad, &keyboard}) {
        d->show();
        for (QPushButton* b : d->findChildren<QPushButton*>()) {
            const int room = b->contentsRect().width() - 2;
            QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) <= room,
                     qPrintable(QString("%1 on a %2 px key").arg(b->text()).arg(room)));
        }
        for (QLabel* l : d->findChildren<QLabel*>()) {
            const bool titleColumn = l->wordWrap() && l->minimumWidth() == l->maximumWidth();
            if (!titleColumn || l->text().isEmpty()) continue;
            for (const QString& word : l->text().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts))
                QVERIFY2(l->fontMetrics().horizontalAdvance(word) <= l->width(), qPrintable(word));
        }
    }
}

void TestKitBoxes::questionsFlow_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("lan");
    QTest::addColumn<QString>("shown");
    QTest::newRow("zh, one question") << 234 << 0 << QString::fromUtf8("是否保存系统参数？");
    QTest::newRow("tw, one question") << 234 << 2 << QString::fromUtf8("是否儲存系統參數？");
    QTest::newRow("en, one question") << 234 << 1 << "Whether to save the system parameter?";
    QTest::newRow("zh, sentences") << 134 << 0
                                   << QString::fromUtf8("相机不可用，请检查连接！\n是否清除相机的序列号？");
    QTest::newRow("en, sentences")
        << 134 << 1
        << "The camera was unavailable, please check the connection!\nWhether to eliminate the SN of camera?";
}

// A question reads as sentences, wrapped by the box, not at the table's early breaks; the title is
// whole at a readable size.
void TestKitBoxes::questionsFlow() {
    QFETCH(int, id);
    QFETCH(int, lan);
    QFETCH(QString, shown);
    gLan = lan;
    gShowW = 1725;
    gShowH = 982;
    ChooseBox box(kitText(566));
    box.setText(kitText(id));
    box.show();
    QCOMPARE(box.textLabel->text(), shown);
    if (!shown.contains('\n') && lan != 1) {
        // One line: as high as the font's line.
        QVERIFY(box.textLabel->height() < 2 * box.textLabel->fontMetrics().lineSpacing());
    }
    QVERIFY2(box.titleLabel->font().pixelSize() >= 24 || box.titleLabel->font().pointSize() >= 18,
             qPrintable(QString::number(box.titleLabel->font().pixelSize())));
    QVERIFY(!box.titleLabel->text().contains('\n'));
}

void TestKitBoxes::buttonTextsFollowLanguage_data() {
    QTest::addColumn<int>("lan");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<QString>("yes");
    QTest::newRow("zh") << 0 << QString::fromUtf8("确定") << QString::fromUtf8("是");
    QTest::newRow("en") << 1 << "Confirm"
                        << "YES";
    QTest::newRow("tw") << 2 << QString::fromUtf8("確定") << QString::fromUtf8("是");
}

void TestKitBoxes::buttonTextsFollowLanguage() {
    QFETCH(int, lan);
    QFETCH(QString, confirm);
    QFETCH(QString, yes);
    gLan = lan;
    WarnBox warn("T");
    ChooseBox choose("T");
    QCOMPARE(warn.confirmButton->text(), confirm);
    QCOMPARE(choose.yesButton->text(), yes);
    QCOMPARE(choose.noButton->text(), kitText(123));
}

void TestKitBoxes::messageBoxMasks_data() {
    QTest::addColumn<int>("mask");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("results");
    QTest::newRow("no yes") << 12 << QStringList{"NO", "YES"} << QList<int>{0, 1};
    QTest::newRow("cancel confirm") << 3 << QStringList{"Cancel", "Confirm"} << QList<int>{0, 1};
    QTest::newRow("all") << 0x1F << QStringList{"Cancel", "Confirm", "NO", "YES", QString::fromUtf8("关闭")}
                         << QList<int>{0, 1, 0, 1, 0};
}

void TestKitBoxes::messageBoxMasks() {
    QFETCH(int, mask);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, results);
    gLan = 1;
    for (int i = 0; i < texts.size(); ++i) {
        BMessageBox box("Title", "Text", mask, 1);
        box.show();
        QCOMPARE(buttonTexts(&box), texts);
        QList<QPushButton*> buttons = box.findChildren<QPushButton*>();
        std::sort(buttons.begin(), buttons.end(),
                  [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
        int result = -1;
        connect(&box, &QDialog::finished, [&](int r) { result = r; });
        QTest::mousePress(buttons[i], Qt::LeftButton);  // a press alone closes it
        QCOMPARE(result, results[i]);
        QVERIFY(!box.isVisible());
    }
}

void TestKitBoxes::messageBoxIcon() {
    for (int icon : {1, 4, 0, 7}) {
        BMessageBox box("Title", "Text", 1, icon);
        QLabel* iconLabel = nullptr;
        for (QLabel* l : box.findChildren<QLabel*>())
            if (l->size() == QSize(48, 48)) iconLabel = l;
        QVERIFY(iconLabel);
        const bool shown = !iconLabel->pixmap(Qt::ReturnByValue).isNull();
        QCOMPARE(shown, icon >= 1 && icon <= 4);
    }
}

void TestKitBoxes::warnBoxWakesDarkScreen_data() {
    QTest::addColumn<bool>("mainWindow");
    QTest::addColumn<int>("screenOff");
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("backlightCalls");
    QTest::addColumn<int>("interval");  // timer interval after the show, -1 timer not running
    QTest::newRow("off, 30 s") << true << 1 << 30 << 1 << 30000;
    QTest::newRow("off, no delay") << true << 1 << 0 << 1 << -1;
    QTest::newRow("on") << true << 0 << 30 << 0 << 12345;
    QTest::newRow("no main window") << false << 1 << 30 << 0 << -1;
}

void TestKitBoxes::warnBoxWakesDarkScreen() {
    QFETCH(bool, mainWindow);
    QFETCH(int, screenOff);
    QFETCH(int, delay);
    QFETCH(int, backlightCalls);
    QFETCH(int, interval);
    std::unique_ptr<FakeMainWindow> win;
    QTimer timer;
    if (mainWindow) {
        win = std::make_unique<FakeMainWindow>();
        win->screenOff = screenOff;
        win->screenOffTimer = &timer;
        if (!screenOff) timer.start(12345);
    }
    int calls = 0;
    kitHost().backlightOn = [&] {
        ++calls;
        if (gpWin) gpWin->screenOff = 0;
    };
    kitHost().screenOffSeconds = [&] { return delay; };
    kitHost().logoutSeconds = [] { return 0; };
    WarnBox box("T");
    box.show();
    QCOMPARE(calls, backlightCalls);
    QCOMPARE(timer.isActive() ? timer.interval() : -1, interval);
    if (win) QCOMPARE(win->screenOff, 0);
}

void TestKitBoxes::showBoxesUseRealBoxes_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("answer");
    QTest::newRow("yes") << "yes" << true;
    QTest::newRow("no") << "no" << false;
    QTest::newRow("closed") << "reject" << false;
}

void TestKitBoxes::showBoxesUseRealBoxes() {
    QFETCH(QString, button);
    QFETCH(bool, answer);
    gLan = 1;
    installKitBoxes();
    QString title, question;
    ModalDriver drive([&](QWidget* w) {
        auto* box = static_cast<ChooseBox*>(w);
        title = box->titleLabel->text();
        question = box->textLabel->text();
        if (button == "yes")
            QTest::mouseClick(box->yesButton, Qt::LeftButton);
        else if (button == "no")
            QTest::mouseClick(box->noButton, Qt::LeftButton);
        else
            box->reject();
    });
    QCOMPARE(showChooseBox("Clear the bindings?"), answer);
    QCOMPARE(title, QString("Confirm"));
    QCOMPARE(question, QString("Clear the bindings?"));

    ModalDriver confirm([&](QWidget* w) {
        auto* box = static_cast<WarnBox*>(w);
        title = box->titleLabel->text();
        question = box->textLabel->text();
        QTest::mouseClick(box->confirmButton, Qt::LeftButton);
    });
    showWarnBox("SN.db cannot be opened");
    QCOMPARE(title, QString("Warning!"));
    QCOMPARE(question, QString("SN.db cannot be opened"));
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(TestKitBoxes)
#include "tst_kitboxes.moc"
