// The main screen as the operator meets it, pressed at screen positions through the top-level window:
// the password box and its keypad, a question answered while an alarm came up behind it, texts that
// fit their bars in the three languages, and the camera tiles' figures and region labels.
#include <QDialog>
#include <QLabel>
#include <QRegularExpression>
#include <QStackedLayout>
#include <QTcpSocket>
#include <QtTest>

#include "cyclesetup.h"
#include "editor/drawroiwidget.h"
#include "app/main/startup.h"
#include "inspection/optionbar.h"
#include "inspection/titlebar.h"
#include "inspection/viewpaint.h"
#include "io/controlport.h"
#include "io/iolink.h"
#include "io/ledcontrol.h"
#include "netbridge/cnt_net.h"
#include "records/accesslevel.h"
#include "records/passwordbox.h"
#include "tests/widgets/kittest.h"
#include "widgets/blineedit.h"
#include "widgets/fittext.h"

namespace {

constexpr char kPassword[] = "4711";

void showWindow(QWidget* w) {
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
}

// A press at the centre of `target`, through the top-level window that holds it.
void touch(QWidget* target) {
    QWidget* top = target->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, target->mapTo(top, target->rect().center()));
}

}  // namespace

class TestOperatorScreens : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        resetAccessGlobals();
        gLan = 0;
        gSource = -1;
    }
    void passwordBoxOnStop_data();
    void passwordBoxOnStop();
    void stopAnsweredWhileAlarmCameUp_data();
    void stopAnsweredWhileAlarmCameUp();
    void barTextsFit_data();
    void barTextsFit();
};

void TestOperatorScreens::passwordBoxOnStop_data() {
    QTest::addColumn<bool>("touchBackground");
    QTest::addColumn<QStringList>("entries");  // each typed on the keypad and confirmed there
    QTest::newRow("right entry: the keypad's confirm submits it") << false << QStringList{kPassword};
    QTest::newRow("a touch on the box judges nothing") << true << QStringList{kPassword};
    QTest::newRow("wrong entry keeps the box, then right") << false << QStringList{"12", kPassword};
}

// Stop Detection with passwords in use: the password box comes up; a touch on its background changes
// nothing, each keypad entry is judged on the keypad's own confirm key, and the right one lets the
// stop go on.
void TestOperatorScreens::passwordBoxOnStop() {
    QFETCH(bool, touchBackground);
    QFETCH(QStringList, entries);
    MonitorWorld world(1);
    world.p().is_psw_used = 1;
    qstrncpy(world.p().password, kPassword, sizeof(world.p().password));
    world.derive();
    MainWindow* w = world.build();
    showWindow(w);
    QStringList seen;  // after each step: visible, prompt state, level
    setPasswordDialogRunner([&](PasswordBox& box) -> int {
        showWindow(&box);
        auto note = [&] {
            seen
                << QStringLiteral("%1 %2 %3").arg(box.isVisible()).arg(box.promptState()).arg(w->AccessLevel);
        };
        if (touchBackground) {
            QTest::mouseClick(box.windowHandle(), Qt::LeftButton, {}, QPoint(40, box.height() - 30));
            note();
        }
        for (const QString& entry : entries) {
            QStringList keys;
            for (QChar c : entry) keys << QString(c);
            keys << "confirmButton";
            kittest::ModalDriver drive([&](QWidget* keypad) { kittest::pressAll(keypad, keys); });
            touch(box.passwordEdit());
            if (!drive.fired) seen << "the keypad did not open";
            note();
        }
        return box.result();
    });
    world.prompter.queueAnswer(true);
    touch(w->optionBar->button(OptionBar::StartStop));

    QStringList expected;
    if (touchBackground) expected << "1 0 0";  // still open, no wrong-password prompt, no level
    for (int i = 0; i + 1 < entries.size(); ++i) expected << "1 2 0";
    expected << "0 0 1";  // the right entry: accepted at once, level 1
    QCOMPARE(seen, expected);
    QCOMPARE(world.prompter.questions, QStringList{lanText(140)});
    QCOMPARE(w->RunState, 3);
    QCOMPARE(world.records().last(), lanText(141));
}

void TestOperatorScreens::stopAnsweredWhileAlarmCameUp_data() {
    QTest::addColumn<bool>("alarmBehind");
    QTest::addColumn<bool>("stopClamping");  // "Stop clamping when stopping detection"
    QTest::newRow("nothing behind the box: stopped at once") << false << false;
    QTest::newRow("an alarm came up behind the box") << true << false;
    QTest::newRow("an alarm came up behind the box, stopping cuts the clamping") << true << true;
}

// "Stop detection?" answered Yes acts. When a cavity NG brought the alarm up while the box was open,
// the alarm keeps its outputs and its bar until the operator re-checks (here with the safety door);
// then detection stays stopped instead of starting the next cycle. The stop is recorded and told to
// the network client when it takes effect, and when stopping cuts the clamping, the board never
// hears "may close" in between, not even for the pass that releases the alarm.
void TestOperatorScreens::stopAnsweredWhileAlarmCameUp() {
    QFETCH(bool, alarmBehind);
    QFETCH(bool, stopClamping);
    MonitorWorld world(1);
    quietParams(world.p());
    world.p().enable_prod_detect = 0;
    world.p().enable_stop_mold = stopClamping ? 1 : 0;
    {
        QSqlQuery q(ParameterManager::getInstance()->paramDb);
        QVERIFY(q.exec(QStringLiteral("update sysparam set value='1 0 0' where name='CntNet'")));
    }
    world.p().cnt_net_on = 1;
    CNT_Net::setListenPort(0);  // any free port
    struct Bridge {             // the network bridge with a client that never acknowledges
        std::unique_ptr<CNT_Net> net{new CNT_Net};
        QTcpSocket client;
        Bridge() { gpNet = net.get(); }
        ~Bridge() { gpNet = nullptr; }
        int manualStops() const {
            const QList<QByteArray> queued = net->pendingMessages();
            return int(std::count_if(queued.begin(), queued.end(),
                                     [](const QByteArray& m) { return m.startsWith("10:"); }));
        }
    } bridge;
    QVERIFY(bridge.net->isStarted());
    world.derive();
    MainWindow* w = world.build();
    struct Editor {  // the region and alarm editor, as the start-up installs it
        MainWindow* w;
        DrawROIWidget* e;
        ~Editor() {
            w->setRoiEditor(nullptr);
            delete e;
        }
    } editor{w, installDrawROIWidget(w)};
    bridge.client.connectToHost(QHostAddress::LocalHost, bridge.net->serverPort());
    QVERIFY(bridge.client.waitForConnected(5000));
    QTRY_VERIFY(bridge.net->isConnected());
    const int r = addRegion(w->cams[0], 1, true);
    showWindow(w);
    world.pass();
    // The clamping cut as handed to the board, whatever the output word says.
    auto clampingCutPublished = [] {
        QMutexLocker lock(pMutexIO);
        return ((gDataOut >> kOutClampingCut) & 1) ^ (gpWPara->output_inverted[kOutClampingCut] ? 1 : 0);
    };
    world.prompter.queueAnswer(true);
    world.prompter.whileAsking = [&](const QString&) {
        if (!alarmBehind) return;
        MonitorWorld::setInputs(1);  // mould open: the cavity fails
        world.pass();
    };
    touch(w->optionBar->button(OptionBar::StartStop));
    QCOMPARE(world.prompter.questions, QStringList{lanText(140)});

    // The answer is shown at once.
    QCOMPARE(w->optionBar->button(OptionBar::StartStop)->text(), lanText(136));
    QVERIFY(!((ledMask() >> 4) & 1));
    QCOMPARE(w->RunState, 3);
    if (!alarmBehind) {
        QCOMPARE(world.records().last(), lanText(141));
        QCOMPARE(bridge.manualStops(), 1);
        QCOMPARE(w->DisplayState, 0);
        QCOMPARE(MonitorWorld::out(kOutAlarm), 0);
        return;
    }
    QCOMPARE(w->DisplayState, 2);
    QCOMPARE(MonitorWorld::out(kOutAlarm), 1);  // the alarm is not switched off by the stop
    QCOMPARE(MonitorWorld::out(kOutClampingCut), 1);
    QVERIFY(w->alarmBarShown());
    QVERIFY(!world.records().contains(lanText(141)));  // not stopped yet
    QCOMPARE(bridge.manualStops(), 0);

    // The fault is removed and the door re-checks: the alarm ends, and detection stays stopped.
    CammerSingleton& s = *w->cams[0]->data.savedStore;
    s.area[1][r] = 100000000;
    *w->cams[0]->data.workingStore = s;
    w->cams[0]->recong->VarTrain(1);
    MonitorWorld::setInputs(1 | 2);
    world.pass();
    QVERIFY(w->DisplayState != 2);
    if (stopClamping) QCOMPARE(clampingCutPublished(), 1);  // the release lets nothing close
    world.pass();
    QCOMPARE(w->RunState, 3);
    QCOMPARE(world.records().last(), lanText(141));
    QCOMPARE(world.records().filter(lanText(141)).size(), 1);
    QCOMPARE(bridge.manualStops(), 1);
    QCOMPARE(MonitorWorld::out(kOutAlarm), 0);
    QCOMPARE(MonitorWorld::out(kOutClampingCut), stopClamping ? 1 : 0);  // as stopping is set to
    QCOMPARE(clampingCutPublished(), stopClamping ? 1 : 0);
    const int counted = gAllNum[0];
    MonitorWorld::setInputs(0);
    world.pass();
    MonitorWorld::setInputs(1);  // the next mould open starts no cycle
    world.pass();
    QCOMPARE(gAllNum[0], counted);
    QCOMPARE(w->StepArmedMask[1], 0);
    QCOMPARE(w->optionBar->button(OptionBar::StartStop)->text(), lanText(136));
    QCOMPARE(clampingCutPublished(), stopClamping ? 1 : 0);
}

void TestOperatorScreens::barTextsFit_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("Simplified Chinese") << 0;
    QTest::newRow("English") << 1;
    QTest::newRow("Traditional Chinese") << 2;
}

// Every text the title bar and the option bar can show fits whole at 16 px or more, in the program's
// font and style sheet, on the 1920 x 1080 window with four cameras.
void TestOperatorScreens::barTextsFit() {
    QFETCH(int, language);
    const QFont font = QApplication::font();
    setApplicationFont();
    qApp->setStyleSheet(applicationStyleSheet());
    MonitorWorld world(4);
    gLan = language;
    MainWindow* w = world.build();
    showWindow(w);
    QStringList cut;
    auto check = [&](const QWidget* widget, const QFontMetrics& fm, const QString& text, int width) {
        if (fm.horizontalAdvance(text) > width || widget->font().pixelSize() < kMinViewTextPx)
            cut << QStringLiteral("%1 \"%2\" (%3 px wide, %4 px room)")
                       .arg(widget->metaObject()->className(), text)
                       .arg(fm.horizontalAdvance(text))
                       .arg(width);
    };

    // Every status a camera strip can carry: each step of each procedure, each state of the cycle.
    QStringList messages{lanText(596).arg(4)};
    const int steps[6] = {2, 4, 4, 2, 8, 2};
    for (int mode = 0; mode < 6; ++mode)
        for (int step = 0; step < steps[mode]; ++step)
            for (int status : {310, 311, 312, 528, 529, 593}) {
                const QString text = status == 593 ? lanText(593).arg(3) : lanText(status);
                messages << lanText(313).arg("4", stepLabel(mode, step), text);
            }
    // With the clock running: its text (seconds included) takes more room than a placeholder.
    w->titleBar->dateLabel()->setText("2026-12-31");
    w->titleBar->clockLabel()->setText("23:59:59");
    QApplication::processEvents();
    for (int slot = 0; slot < TitleBar::kStrips; ++slot) {
        CameraInfo* strip = w->titleBar->strip(slot);
        for (const QString& m : messages) {
            strip->message->setText(m);
            check(strip->message, strip->message->fontMetrics(), m, strip->message->contentsRect().width());
        }
        // Clear of the icons beside it: its own on the left, the NG count's on the right.
        const QRect text = strip->message->geometry();
        QVERIFY(text.left() > strip->messageIcon->geometry().right());
        QVERIFY(strip->ngIcon->geometry().left() - text.right() > CameraInfo::kMessageGap - 2);
        for (QLabel* count : {strip->ngNum, strip->layerNum}) {
            count->setText("999999");
            QApplication::processEvents();
            check(count, count->fontMetrics(), count->text(), count->contentsRect().width());
        }
    }
    TitleBar* bar = w->titleBar;
    bar->setLocation("1919, 1079, 255, 255, 255");
    bar->setCameraInfo(0, CameraInfo::FrameRate, "120");
    QApplication::processEvents();
    for (QLabel* l : {bar->frameRateLabel(), bar->locationLabel(), bar->dateLabel(), bar->clockLabel()})
        check(l, l->fontMetrics(), l->text(), l->contentsRect().width());
    // The alarm of an IO board that does not answer, in place of the IO icons: each of its lines.
    bar->setIOLinkAlarm(true);
    QApplication::processEvents();
    QLabel* link = bar->ioLinkAlarmLabel();
    for (const QString& line : link->text().split(QRegularExpression("[\\r\\n]+")))
        check(link, link->fontMetrics(), line.trimmed(), link->contentsRect().width());
    QVERIFY(link->fontMetrics().lineSpacing() * 2 <= link->contentsRect().height());
    bar->setIOLinkAlarm(false);

    // The option bar, with both texts of the start/stop button.
    for (int b = 0; b < OptionBar::ButtonCount; ++b) {
        BOptionButton* button = w->optionBar->button(OptionBar::Button(b));
        QStringList texts{button->text()};
        if (b == OptionBar::StartStop) texts << lanText(136);
        for (const QString& t : texts) check(button, button->fontMetrics(), t, button->width() - 8);
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    qApp->setStyleSheet(QString());
    QApplication::setFont(font);
}

QTEST_MAIN(TestOperatorScreens)
#include "tst_operatorscreens.moc"
