// Base widgets, the vertical tab bar and the style-sheet builders.
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QProgressBar>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSlider>
#include <QSpacerItem>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <QtTest>

#include "app/globals.h"
#include "kittest.h"
#include "widgets/bverticaltabbar.h"
#include "widgets/bwidget.h"
#include "widgets/c_type_com.h"
#include "widgets/kittext.h"

using namespace kittest;

namespace {

QStringList g_sheetWarnings;
QtMessageHandler g_previousHandler = nullptr;

void catchSheetWarnings(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
    if (msg.contains("Could not parse")) g_sheetWarnings << msg;
    if (g_previousHandler) g_previousHandler(type, ctx, msg);
}

class WhitePanel : public BWidget {
    Q_OBJECT
public:
    using BWidget::BWidget;
};

class PlainPanel : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};

QColor centrePixel(QWidget* w) {
    const QImage img = w->grab().toImage();
    return img.pixelColor(img.width() / 2, img.height() / 2);
}

}  // namespace

class TestKitWidgets : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        resetAppGlobals();
        loadLanguageTable();
        g_previousHandler = qInstallMessageHandler(catchSheetWarnings);
    }
    void cleanupTestCase() { qInstallMessageHandler(g_previousHandler); }
    void init() { g_sheetWarnings.clear(); }
    void cleanup() { QVERIFY2(g_sheetWarnings.isEmpty(), qPrintable(g_sheetWarnings.join('\n'))); }

    void bwidgetDrawsSheetBackground();
    void splitLinesStayOnePixel();
    void optionButtonSize();
    void pagerPageButtonsAreExclusive();
    void pagerEntryOpensKeypad();

    void tabBarStructure();
    void tabBarSignalsBeforePageSwitch_data();
    void tabBarSignalsBeforePageSwitch();
    void tabBarIgnoresBadGroups();
    void tabBarExitAndSlideOff();
    void tabBarScrollsVertically();
    void tabBarCaptionsAlignedAndIconsVisible();

    void styleBuildersParse();
    void styleSchemeOutOfRangeLeavesSheet();
    void styleProgressChunkColoured();
    void styleFocusBorderShows();
};

void TestKitWidgets::bwidgetDrawsSheetBackground() {
    QWidget host;
    auto* row = new QHBoxLayout(&host);
    auto* painted = new WhitePanel(&host);
    auto* plain = new PlainPanel(&host);
    const QString sheet = "background-color:#ffffff;border:6px solid #ff0000;";
    painted->setStyleSheet(sheet);
    plain->setStyleSheet(sheet);
    row->addWidget(painted);
    row->addWidget(plain);
    host.resize(200, 100);
    host.show();
    QCOMPARE(centrePixel(painted), QColor(Qt::white));
    QCOMPARE(painted->grab().toImage().pixelColor(2, 2), QColor(Qt::red));
    QVERIFY(plain->grab().toImage().pixelColor(2, 2) != QColor(Qt::red));
}

void TestKitWidgets::splitLinesStayOnePixel() {
    QWidget host;
    auto* row = new QHBoxLayout(&host);
    auto* column = new QVBoxLayout;
    QWidget* v = createVerticalSplitLine(&host, "#d3d3d3");
    QWidget* h = createHorizontalSplitLine(&host, "#d3d3d3");
    row->addWidget(v, 1);
    row->addLayout(column, 1);
    column->addWidget(h, 1);
    host.resize(600, 400);
    host.show();
    QCOMPARE(v->parentWidget(), &host);
    QCOMPARE(v->width(), 1);
    QVERIFY(v->height() > 300);
    QCOMPARE(h->height(), 1);
    QVERIFY(h->width() > 200);
    const QImage img = v->grab().toImage();
    QCOMPARE(img.pixelColor(0, img.height() / 2), QColor("#d3d3d3"));
}

void TestKitWidgets::optionButtonSize() {
    BOptionButton b;
    QCOMPARE(b.size(), QSize(175, 112));
    QCOMPARE(b.toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    BComboBox combo;
    QVERIFY(qobject_cast<QListView*>(combo.view()));
}

void TestKitWidgets::pagerPageButtonsAreExclusive() {
    PageControlBar bar;
    bar.resize(1200, 70);
    bar.show();
    QCOMPARE(bar.height(), 70);
    QTest::mousePress(bar.pageButton1, Qt::LeftButton);
    QTest::mouseRelease(bar.pageButton1, Qt::LeftButton);
    QTest::mousePress(bar.pageButton3, Qt::LeftButton);
    QTest::mouseRelease(bar.pageButton3, Qt::LeftButton);
    QVERIFY(bar.pageButton3->isChecked());
    QVERIFY(!bar.pageButton1->isChecked());
    for (QPushButton* b : {bar.firstButton, bar.previousButton, bar.nextButton, bar.lastButton}) {
        QVERIFY(!b->isCheckable());
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QVERIFY(bar.pageButton3->isChecked());
    QVERIFY(!bar.pageButton2->isChecked() && !bar.pageButton4->isChecked());
}

void TestKitWidgets::pagerEntryOpensKeypad() {
    PageControlBar bar;
    bar.show();
    auto* entry = bar.findChild<QLineEdit*>("pageEdit");
    QVERIFY(entry);
    QString kind, title;
    ModalDriver drive([&](QWidget* w) {
        kind = w->metaObject()->className();
        for (QLabel* l : w->findChildren<QLabel*>())
            if (!l->text().isEmpty() && title.isEmpty()) title = l->text();
        w->findChild<QPushButton*>("cancelButton")->click();
    });
    QTest::mousePress(entry, Qt::LeftButton);
    QCOMPARE(kind, QString("DigitalKeyboard"));
    QCOMPARE(title, QString::fromUtf8("页码"));
}

namespace {
struct TabFixture {
    BVerticalTabBar bar;
    QPixmap icon{64, 64};
    QVector<QWidget*> pages;
    void addGroup(const QVector<QString>& titles) {
        QVector<QWidget*> group;
        for (int i = 0; i < titles.size(); ++i) group << new QLabel(titles[i]);
        pages += group;
        bar.addWidgetGroup(icon, titles, group);
    }
};
}  // namespace

void TestKitWidgets::tabBarStructure() {
    TabFixture f;
    f.icon.fill(Qt::red);
    f.addGroup({"a", "b", "c"});
    f.addGroup({"d", "e"});
    f.bar.resize(1500, 900);
    f.bar.show();
    QCOMPARE(f.bar.groupCount, 2);
    QCOMPARE(f.bar.tabButtons.size(), 5);
    QCOMPARE(f.bar.tabTitles, (QVector<QString>{"a", "b", "c", "d", "e"}));
    QCOMPARE(f.bar.pageStack->count(), 5);
    // b0 b1 b2 gap b3 b4 gap stretch
    QVBoxLayout* l = f.bar.tabColumnLayout;
    QCOMPARE(l->count(), 8);
    for (int i : {0, 1, 2}) QCOMPARE(l->itemAt(i)->widget(), f.bar.tabButtons[i]);
    for (int i : {3, 6}) {
        QSpacerItem* gap = l->itemAt(i)->spacerItem();
        QVERIFY(gap);
        QCOMPARE(gap->sizeHint().height(), 30);
    }
    QCOMPARE(l->itemAt(4)->widget(), f.bar.tabButtons[3]);
    QCOMPARE(l->itemAt(7)->spacerItem()->expandingDirections() & Qt::Vertical, Qt::Vertical);
    QCOMPARE(f.bar.tabButtons[0]->height(), 80);
    QCOMPARE(f.bar.titleLabel->text(), QString("a"));
    QCOMPARE(f.bar.pageStack->currentIndex(), 0);
    QVERIFY(f.bar.tabButtons[0]->isChecked());
    QCOMPARE(f.bar.exitButton->text(), kitText(590));
    // The group's icon sits left of the text, which starts at 130 pixels when every caption fits.
    auto* iconLabel = f.bar.tabButtons[0]->findChild<QLabel*>();
    QVERIFY(iconLabel);
    QCOMPARE(iconLabel->pixmap(Qt::ReturnByValue).width(), 46);
    QCOMPARE(f.bar.captionInset, 130);
    QVERIFY2(iconLabel->geometry().right() < 130, qPrintable(QString::number(iconLabel->geometry().right())));
    QVERIFY(f.bar.tabButtons[3]->findChild<QLabel*>());
    QVERIFY(!f.bar.tabButtons[1]->findChild<QLabel*>());
}

void TestKitWidgets::tabBarSignalsBeforePageSwitch_data() {
    QTest::addColumn<int>("lan");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("signal");
    for (int lan : {0, 1, 2}) {
        const QByteArray tag = QByteArray::number(lan);
        QTest::newRow("log " + tag) << lan << 575 << "recordshow";
        QTest::newRow("memo " + tag) << lan << 576 << "Memorandum";
        QTest::newRow("device " + tag) << lan << 431 << "DeviPara";
    }
    QTest::newRow("other title") << 1 << -1 << "";
}

void TestKitWidgets::tabBarSignalsBeforePageSwitch() {
    QFETCH(int, lan);
    QFETCH(int, id);
    QFETCH(QString, signal);
    gLan = lan;
    TabFixture f;
    f.addGroup({"first", id >= 0 ? kitText(id) : QString("other")});
    f.bar.show();
    QStringList emitted;
    QList<int> pageAtSignal;
    auto note = [&](const char* name) {
        emitted << name;
        pageAtSignal << f.bar.pageStack->currentIndex();
    };
    connect(&f.bar, &BVerticalTabBar::recordshow, [&] { note("recordshow"); });
    connect(&f.bar, &BVerticalTabBar::Memorandum, [&] { note("Memorandum"); });
    connect(&f.bar, &BVerticalTabBar::DeviPara, [&] { note("DeviPara"); });
    connect(&f.bar, &BVerticalTabBar::Save_changes, [&] { note("Save_changes"); });
    connect(&f.bar, &BVerticalTabBar::Exitsetup, [&] { note("Exitsetup"); });
    QTest::mousePress(f.bar.tabButtons[1], Qt::LeftButton);
    QTest::mouseRelease(f.bar.tabButtons[1], Qt::LeftButton);
    QTest::mousePress(f.bar.tabButtons[0], Qt::LeftButton);
    QTest::mouseRelease(f.bar.tabButtons[0], Qt::LeftButton);
    QTest::mousePress(f.bar.tabButtons[1], Qt::LeftButton);
    gLan = 0;
    const QStringList expected = signal.isEmpty() ? QStringList() : QStringList{signal, signal};
    QCOMPARE(emitted, expected);
    for (int page : pageAtSignal) QCOMPARE(page, 0);  // emitted before the switch
    QCOMPARE(f.bar.pageStack->currentIndex(), 1);
    QCOMPARE(f.bar.titleLabel->text(), f.bar.tabTitles[1]);
}

void TestKitWidgets::tabBarIgnoresBadGroups() {
    TabFixture f;
    QVector<QWidget*> one{new QLabel("x")};
    f.bar.addWidgetGroup(f.icon, {"a", "b"}, one);
    QVector<QWidget*> none;
    f.bar.addWidgetGroup(f.icon, {}, none);
    QCOMPARE(f.bar.groupCount, 0);
    QVERIFY(f.bar.tabButtons.isEmpty());
    QCOMPARE(f.bar.tabColumnLayout->count(), 1);
    QCOMPARE(f.bar.pageStack->count(), 0);
    delete one[0];
}

void TestKitWidgets::tabBarExitAndSlideOff() {
    TabFixture f;
    f.addGroup({"a", "b"});
    f.bar.show();
    QSignalSpy exitSpy(&f.bar, &BVerticalTabBar::Exitsetup);
    QTest::mousePress(f.bar.exitButton, Qt::LeftButton);
    QCOMPARE(exitSpy.count(), 1);
    QCOMPARE(f.bar.pageStack->currentIndex(), 0);
    QCOMPARE(f.bar.titleLabel->text(), QString("a"));
    // Press tab b and slide off: page, title and the dark tab all follow the press.
    QTest::mousePress(f.bar.tabButtons[1], Qt::LeftButton);
    QTest::mouseRelease(f.bar.tabButtons[1], Qt::LeftButton, {}, QPoint(-30, -30));
    QCOMPARE(f.bar.pageStack->currentIndex(), 1);
    QCOMPARE(f.bar.titleLabel->text(), QString("b"));
    QVERIFY(f.bar.tabButtons[1]->isChecked());
    QVERIFY(!f.bar.tabButtons[0]->isChecked());
    // A drag down the column from a to b, through the bar's window as a finger does: the page shown
    // is the pressed one and so is the highlighted tab.
    QVERIFY(QTest::qWaitForWindowExposed(&f.bar));
    QWindow* win = f.bar.windowHandle();
    const QPoint a = f.bar.tabButtons[0]->mapTo(&f.bar, f.bar.tabButtons[0]->rect().center());
    const QPoint b = f.bar.tabButtons[1]->mapTo(&f.bar, f.bar.tabButtons[1]->rect().center());
    QTest::mousePress(win, Qt::LeftButton, {}, a);
    QTest::mouseMove(win, b);
    QTest::mouseRelease(win, Qt::LeftButton, {}, b);
    QCOMPARE(f.bar.pageStack->currentIndex(), 0);
    QVERIFY(f.bar.tabButtons[0]->isChecked());
    QVERIFY(!f.bar.tabButtons[1]->isChecked());
}

void TestKitWidgets::tabBarScrollsVertically() {
    TabFixture f;
    for (int g = 0; g < 5; ++g) f.addGroup({"t1", "t2", "t3"});
    f.bar.resize(1500, 800);
    f.bar.show();
    auto* scroll = f.bar.findChild<QScrollArea*>();
    QVERIFY(scroll);
    QCOMPARE(scroll->width(), 355);
    QTRY_VERIFY(scroll->verticalScrollBar()->isVisible());
    QCOMPARE(scroll->verticalScrollBar()->width(), 40);
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
}

namespace {
// The first and last columns at or right of x0 that hold a pixel unlike `background` (-1 if none).
QPair<int, int> inkColumns(const QImage& img, int x0, QColor background) {
    int first = -1, last = -1;
    for (int x = x0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y) {
            const QColor c = img.pixelColor(x, y);
            if (qAbs(c.red() - background.red()) + qAbs(c.green() - background.green()) +
                    qAbs(c.blue() - background.blue()) >
                120) {
                if (first < 0) first = x;
                last = x;
                break;
            }
        }
    return {first, last};
}
}  // namespace

void TestKitWidgets::tabBarCaptionsAlignedAndIconsVisible() {
    // White artwork, as the settings' icons are; one caption wider than the room after 130 pixels and
    // one too wide for the column at the normal size.
    TabFixture f;
    f.icon.fill(Qt::white);
    f.addGroup({"a", "Device parameters"});
    f.addGroup({"b", "Caption", "Advanced parameter set"});
    f.bar.resize(1500, 900);
    f.bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.bar));
    const QColor white(Qt::white), grey(0x65, 0x62, 0x63);
    const int scrollBar = 40;
    // The captions of the unselected tabs without an icon start in one column and end before the
    // scroll bar; a glyph's side bearing may move the first ink a pixel or two.
    QList<int> starts;
    for (int i : {1, 3, 4}) {
        const QImage img = f.bar.tabButtons[i]->grab().toImage();
        const QPair<int, int> ink = inkColumns(img.copy(1, 2, img.width() - 2, img.height() - 4), 0, white);
        QVERIFY2(ink.first >= 0, qPrintable(f.bar.tabTitles[i]));
        QVERIFY2(ink.second + 1 < img.width() - scrollBar, qPrintable(f.bar.tabTitles[i]));
        starts << ink.first;
    }
    for (int x : starts) QVERIFY2(qAbs(x - starts.first()) <= 3, qPrintable(QString::number(x)));
    // The unselected group's white icon is drawn in grey, clear of its caption, which starts in the
    // same column; selected, the tab is dark and the icon white.
    QPushButton* head = f.bar.tabButtons[2];
    const QRect icon = head->findChild<QLabel*>()->geometry();
    QImage img = head->grab().toImage();
    QCOMPARE(img.pixelColor(icon.center()), grey);
    const QPair<int, int> caption =
        inkColumns(img.copy(1, 2, img.width() - 2, img.height() - 4), icon.right() + 1, white);
    QVERIFY(caption.first >= icon.right() + BVerticalTabBar::kIconGap);
    QVERIFY(qAbs(caption.first - starts.first()) <= 3);
    QTest::mousePress(head, Qt::LeftButton);
    QTest::mouseRelease(head, Qt::LeftButton);
    QVERIFY(head->isChecked());
    img = head->grab().toImage();
    QCOMPARE(img.pixelColor(icon.center()), white);
    QCOMPARE(img.pixelColor(icon.right() + 4, icon.center().y()), grey);
}

void TestKitWidgets::styleBuildersParse() {
    QWidget host;
    auto* row = new QVBoxLayout(&host);
    C_Type_COM com;
    for (int c = 0; c < 4; ++c) {
        auto* b = new QPushButton("b", &host);
        auto* e = new QLineEdit(&host);
        auto* s = new QSlider(Qt::Horizontal, &host);
        auto* p = new QProgressBar(&host);
        com.setBtnQss(b, c);
        com.setTxtQss(e, c);
        com.setSliderQss(s, c);
        com.setBarQss(p, "#123456", "#654321");
        for (QWidget* w : {static_cast<QWidget*>(b), static_cast<QWidget*>(e), static_cast<QWidget*>(s),
                           static_cast<QWidget*>(p)})
            row->addWidget(w);
        QVERIFY(!b->styleSheet().isEmpty() && !e->styleSheet().isEmpty() && !s->styleSheet().isEmpty());
        QCOMPARE(b->focusPolicy(), Qt::NoFocus);
    }
    host.show();
    host.grab();
    // cleanup() fails on any "Could not parse stylesheet" warning.
}

void TestKitWidgets::styleSchemeOutOfRangeLeavesSheet() {
    C_Type_COM com;
    QPushButton b;
    QLineEdit e;
    QSlider s;
    QProgressBar p;
    const QString before = "color:#010203;";
    for (QWidget* w : {static_cast<QWidget*>(&b), static_cast<QWidget*>(&e), static_cast<QWidget*>(&s),
                       static_cast<QWidget*>(&p)})
        w->setStyleSheet(before);
    com.setBtnQss(&b, 4);
    com.setTxtQss(&e, 4);
    com.setSliderQss(&s, -1);
    for (int c = 0; c < 5; ++c) com.setBarQss(&p, c);
    QCOMPARE(b.styleSheet(), before);
    QCOMPARE(e.styleSheet(), before);
    QCOMPARE(s.styleSheet(), before);
    QCOMPARE(p.styleSheet(), before);
    QCOMPARE(b.focusPolicy(), Qt::StrongFocus);
}

void TestKitWidgets::styleProgressChunkColoured() {
    C_Type_COM com;
    QProgressBar p;
    p.setRange(0, 100);
    p.setValue(100);
    p.setTextVisible(false);
    p.resize(300, 30);
    com.setBarQss(&p, "#ffffff", "#ff0000");
    p.show();
    const QImage img = p.grab().toImage();
    QCOMPARE(img.pixelColor(img.width() / 2, img.height() / 2), QColor("#ff0000"));
}

void TestKitWidgets::styleFocusBorderShows() {
    QWidget host;
    auto* e = new QLineEdit(&host);
    auto* other = new QLineEdit(&host);
    auto* col = new QVBoxLayout(&host);
    col->addWidget(e);
    col->addWidget(other);
    C_Type_COM().setTxtQss(e, 2);
    host.show();
    QApplication::setActiveWindow(&host);
    QVERIFY(QTest::qWaitForWindowActive(&host));
    e->setFocus();
    QTRY_VERIFY(e->hasFocus());
    QImage img = e->grab().toImage();
    QCOMPARE(img.pixelColor(img.width() / 2, 0), QColor("#3498DB"));
    other->setFocus();
    QTRY_VERIFY(!e->hasFocus());
    img = e->grab().toImage();
    QCOMPARE(img.pixelColor(img.width() / 2, 0), QColor("#DCE4EC"));
}

QTEST_MAIN(TestKitWidgets)
#include "tst_kitwidgets.moc"
