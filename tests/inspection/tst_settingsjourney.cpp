// The settings dialog as the operator meets it on the whole main window, pressed at screen positions
// through the top-level window: open it from the option bar, walk every tab, change a switch on three
// pages and leave through "Exit setup", answering the save question yes or no.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QDir>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedLayout>
#include <QStyleOptionButton>
#include <QtTest>

#include "inspection/imagecontainer.h"
#include "camera/widgetchangecamera.h"
#include "settings/camerapages.h"
#include "inspection/mainbars.h"
#include "inspection/optionbar.h"
#include "records/passwordbox.h"
#include "widgets/blineedit.h"
#include "widgets/indexbutton.h"
#include "io/iofunctionswidget.h"
#include "monitorworld.h"
#include "netbridge/cnt_net.h"
#include "settings/networkpages.h"
#include "widgets/keyboards.h"
#include "records/accesslevel.h"
#include "settings/advancedpages.h"
#include "settings/systempages.h"
#include "settings/systemsettingwidget.h"
#include "widgets/checkbox.h"

namespace {

void touchAt(QWidget* target, QPoint local) {
    QWidget* top = target->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, target->mapTo(top, local));
}

void touch(QWidget* target) {
    touchAt(target, target->rect().center());
}

// A check box takes presses on its indicator (these boxes have no text).
void touchBox(QCheckBox* box) {
    QStyleOptionButton opt;
    opt.initFrom(box);
    touchAt(box, box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, box).center());
}

// Presses tab k; a tab below the visible part of the tab column is first brought into view by
// presses on the column's scroll bar, above or below its handle.
void showTab(SystemSettingWidget* s, int k) {
    QWidget* button = s->tabButtons[k];
    auto* area = qobject_cast<QScrollArea*>(s->tabColumn->parentWidget()->parentWidget());
    QVERIFY(area);
    QScrollBar* bar = area->verticalScrollBar();
    for (int tries = 0; tries < 20; ++tries) {
        const QRect seen = area->viewport()->rect();
        const QPoint centre = button->mapTo(area->viewport(), button->rect().center());
        if (seen.contains(centre)) break;
        const bool down = centre.y() > seen.bottom();
        touchAt(bar, QPoint(bar->width() / 2, down ? bar->height() - 50 : 50));
    }
    touch(button);
}

// Types `text` on the numeric keypad that a press on an entry field opened, key by key at screen
// positions, and confirms.
void typeOnKeypad(const QString& text) {
    auto* kb = qobject_cast<DigitalKeyboard*>(QApplication::activeModalWidget());
    QVERIFY(kb);
    QVERIFY(QTest::qWaitForWindowExposed(kb));
    for (QChar c : text) touch(kb->findChild<QPushButton*>(QStringLiteral("key_") + c));
    touch(kb->confirmButton);
}

// The computer's network as the bridge reads it: eth0 configured, eth1 on defaults, a wireless card.
// The bridge goes with the window, before the world: the views let go of it when they go.
struct ComputerNetwork {
    MonitorWorld& world;
    std::unique_ptr<CNT_Net> net;
    ~ComputerNetwork() {
        world.window.reset();
        gpNet = nullptr;
    }
};

ComputerNetwork fakeComputerNetwork(MonitorWorld& world) {
    world.dir.writeFile("sysroot/etc/network/interfaces",
                        "auto lo\niface lo inet loopback\n\nauto eth0\niface eth0 inet static\naddress "
                        "10.0.0.7\nnetmask 255.0.0.0\ngateway 10.0.0.1\n");
    world.dir.writeFile("sysroot/proc/net/dev", "    lo: 0 0\n  eth0: 0 0\n  eth1: 0 0\n wlan0: 0 0\n");
    world.dir.writeFile("sysroot/sys/class/net/eth0/address", "00:11:22:33:44:55\n");
    world.dir.writeFile("sysroot/etc/hosts", "127.0.0.1\tlocalhost\n");
    auto net = std::make_unique<CNT_Net>();
    net->liveCard.hostName = QStringLiteral("panel-1");
    gpNet = net.get();
    return ComputerNetwork{world, std::move(net)};
}

}  // namespace

class TestSettingsJourney : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { resetAccessGlobals(); }
    void exitSetup_data();
    void exitSetup();
    void networkAddress();
    void refusedValueKeepsDialog();
    void visitChangesNothing_data();
    void visitChangesNothing();
    void cameraOrderAsksFirst_data();
    void cameraOrderAsksFirst();
    void accountButtonLogsIn();
    void pictures_data();
    void pictures();
};

void TestSettingsJourney::exitSetup_data() {
    QTest::addColumn<bool>("save");
    QTest::newRow("saved") << true;
    QTest::newRow("not saved") << false;
}

void TestSettingsJourney::exitSetup() {
    QFETCH(bool, save);
    MonitorWorld world(1);
    gLan = 1;
    world.p().is_psw_used = 0;
    world.p().enable_defect_detect = 1;
    world.derive();
    const WizardPara before = world.p();
    MainWindow* w = world.build();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));

    touch(w->optionBar->button(OptionBar::Settings));
    SystemSettingWidget* s = w->settingWidget;
    QCOMPARE(w->pageStack->currentWidget(), static_cast<QWidget*>(s));
    for (int k = 0; k < s->tabButtons.size(); ++k) {
        showTab(s, k);
        QCOMPARE(s->pageStack->currentIndex(), k);
    }
    showTab(s, 1);
    touchBox(s->systemFunctions->switches[SystemFunctionsWidget::kSemiAuto]);
    showTab(s, 10);
    touchBox(w->settingWidget->ioFunctions->options[0]);  // "Stop clamping when stopping detection"
    showTab(s, 12);
    touchBox(s->advanceFunc->switches[AdvanceFuncWidget::kScreenSound]);

    world.prompter.queueAnswer(save);
    const int recordsBefore = world.records().size();
    touch(s->exitButton);
    QCOMPARE(world.prompter.questions, QStringList{lanText(234)});
    QCOMPARE(world.prompter.unexpectedQuestions, 0);
    QCOMPARE(w->pageStack->currentWidget(), static_cast<QWidget*>(w->imageContainer));

    const QStringList records = world.records().mid(recordsBefore);
    if (save) {
        QCOMPARE(world.p().semi_auto, before.semi_auto ? 0 : 1);
        QCOMPARE(world.p().enable_stop_mold, before.enable_stop_mold ? 0 : 1);
        QCOMPARE(world.p().enable_screen_alert, before.enable_screen_alert ? 0 : 1);
        QCOMPARE(records.size(), 1);
        const QString r = records[0];
        QVERIFY2(r.startsWith(lanText(235)), qPrintable(r));
        QVERIFY2(r.contains(lanText(174)) && r.contains(lanText(179)) && r.contains(lanText(256)),
                 qPrintable(r));
        // Semi-automatic acts at once: step 1 now starts on the ejector input (or back on input 0).
        QCOMPARE(world.p().step_input[1], world.p().semi_auto ? 2 : 0);
        // Saved: a fresh load gives the same record.
        WizardPara loaded;
        loaded.LoadDatafromFile(ParameterManager::getInstance()->paramQuery);
        QCOMPARE(loaded.semi_auto, world.p().semi_auto);
        QCOMPARE(loaded.enable_screen_alert, world.p().enable_screen_alert);
    } else {
        QVERIFY(world.p() == before);
        QVERIFY(records.isEmpty());
    }
    QVERIFY(*gpWParaBak == world.p());
}

// The network page: eth0's address typed on the keypad, saved with "Exit setup", installed as the
// system's interfaces file.
void TestSettingsJourney::networkAddress() {
    MonitorWorld world(1);
    gLan = 1;
    world.p().is_psw_used = 0;
    world.p().enable_defect_detect = 1;
    world.derive();
    ComputerNetwork computer = fakeComputerNetwork(world);
    MainWindow* w = world.build();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    touch(w->optionBar->button(OptionBar::Settings));
    SystemSettingWidget* s = w->settingWidget;
    showTab(s, 5);
    NetworkParamsWidget* n = s->networkParams;
    QCOMPARE(s->pageStack->currentWidget(), static_cast<QWidget*>(n));
    QCOMPARE(n->cardBox->currentText(), QString("eth0"));
    QCOMPARE(n->addressEdit->text(), QString("10.0.0.7"));
    QTimer::singleShot(0, [] { typeOnKeypad("10.0.0.9"); });
    touch(n->addressEdit);
    QCOMPARE(n->addressEdit->text(), QString("10.0.0.9"));

    world.prompter.queueAnswer(true);
    touch(s->exitButton);
    QCOMPARE(world.prompter.questions, QStringList{lanText(234)});
    QCOMPARE(world.prompter.warnings, QStringList{});
    const QByteArray installed = world.dir.readFile("sysroot/etc/network/interfaces");
    QVERIFY2(installed.contains("auto eth0\niface eth0 inet static\naddress 10.0.0.9\nnetmask 255.0.0.0\n"
                                "gateway 10.0.0.1\n\nauto eth1\n"),
             installed.constData());
    QVERIFY(!installed.contains("wlan0"));
    QCOMPARE(computer.net->liveCard.cards["eth0"][0], QString("10.0.0.9"));
}

// A gateway the commit refuses: the dialog stays open on the network page with the typed value and
// every other edit of the visit, the box names the field, nothing is saved; corrected, the same visit
// is saved whole.
void TestSettingsJourney::refusedValueKeepsDialog() {
    MonitorWorld world(1);
    gLan = 1;
    world.p().is_psw_used = 0;
    world.p().enable_defect_detect = 1;
    world.derive();
    const WizardPara before = world.p();
    ComputerNetwork computer = fakeComputerNetwork(world);
    MainWindow* w = world.build();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    touch(w->optionBar->button(OptionBar::Settings));
    SystemSettingWidget* s = w->settingWidget;
    showTab(s, 1);
    touchBox(s->systemFunctions->switches[SystemFunctionsWidget::kSemiAuto]);
    showTab(s, 5);
    NetworkParamsWidget* n = s->networkParams;
    QTimer::singleShot(0, [] { typeOnKeypad("300.1.1.1"); });
    touch(n->gatewayEdit);
    QCOMPARE(n->gatewayEdit->text(), QString("300.1.1.1"));
    showTab(s, 12);  // leaving from another page
    const QByteArray interfaces = world.dir.readFile("sysroot/etc/network/interfaces");
    const int recordsBefore = world.records().size();

    touch(s->exitButton);
    QCOMPARE(world.prompter.warnings, QStringList{lanText(735).arg("eth0 " + lanText(331), "300.1.1.1")});
    QVERIFY(world.prompter.questions.isEmpty());
    QCOMPARE(w->pageStack->currentWidget(), static_cast<QWidget*>(s));
    QCOMPARE(s->pageStack->currentWidget(), static_cast<QWidget*>(n));
    QCOMPARE(s->titleLabel->text(), lanText(262));
    QCOMPARE(n->gatewayEdit->text(), QString("300.1.1.1"));
    QVERIFY(s->systemFunctions->switches[SystemFunctionsWidget::kSemiAuto]->isChecked() !=
            (before.semi_auto != 0));
    QVERIFY(world.p() == before);
    QCOMPARE(world.records().size(), recordsBefore);
    QCOMPARE(world.dir.readFile("sysroot/etc/network/interfaces"), interfaces);

    QTimer::singleShot(0, [] { typeOnKeypad("10.0.0.2"); });
    touch(n->gatewayEdit);
    world.prompter.queueAnswer(true);
    touch(s->exitButton);
    QCOMPARE(world.prompter.questions, QStringList{lanText(234)});
    QCOMPARE(w->pageStack->currentWidget(), static_cast<QWidget*>(w->imageContainer));
    QCOMPARE(world.p().semi_auto, before.semi_auto ? 0 : 1);
    QVERIFY(world.dir.readFile("sysroot/etc/network/interfaces").contains("gateway 10.0.0.2\n"));
}

void TestSettingsJourney::visitChangesNothing_data() {
    QTest::addColumn<bool>("demo");
    QTest::newRow("values outside the controls' ranges") << false;
    QTest::newRow("the demonstration's record") << true;
}

// A record loaded as stored (values beyond the sliders' ends, switches stored as 2, choices no control
// offers, or the demonstration's record), every page opened, "Exit setup": nothing asked, recorded or
// changed.
void TestSettingsJourney::visitChangesNothing() {
    QFETCH(bool, demo);
    MonitorWorld world(1);
    gLan = 1;
    ParameterManager* pm = ParameterManager::getInstance();
    if (demo) {
#ifdef MKPROGDIR
        QProcess tool;
        tool.start(QStringLiteral(MKPROGDIR), {"--demo", "320x240", world.dir.path()});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
#else
        QSKIP("mkprogdir not built");
#endif
    } else {
        WizardPara& p = world.p();
        p.enable_defect_detect = 1;
        p.input_timeout_len = 50000;  // slider 0..10000
        p.thimble_pulse = 5000;       // slider 0..1000
        p.mold_pulse = 9999;
        p.pre_cut = 700;  // slider 0..100
        p.shake_erase_time = 10000;
        p.enable_stop_mold = 2;
        p.trig_in_delay[0] = 5000;  // system parameters: slider 0..1000
        p.minimum_area = 50000;     // 0..1000
        p.front_auto_check_time = 100;
        p.semi_auto = 2;
        p.min_spot = 50;  // advanced parameters: 1..20
        p.max_mold_num = 80;
        p.ng_max_num = 5000;
        p.auto_cancel_timelen = 5000;
        p.ignore_point_protect = 2;
        p.serial_port = 50;  // network page: COM1..COM4
        p.video_share_mode = 7;
        p.sms_on = 2;
        QVERIFY(p.SaveDatatoFile(pm->paramQuery));
    }
    world.p().LoadDatafromFile(pm->paramQuery);
    world.p().is_psw_used = 0;
    world.derive();
    const WizardPara before = world.p();
    if (!demo) {  // kept by the load
        QCOMPARE(before.pre_cut, 700);
        QCOMPARE(before.minimum_area, 50000);
        QCOMPARE(before.min_spot, 50);
        QCOMPARE(before.serial_port, 50);
        QCOMPARE(before.semi_auto, 2);
    }
    MainWindow* w = world.build();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const int recordsBefore = world.records().size();
    touch(w->optionBar->button(OptionBar::Settings));
    SystemSettingWidget* s = w->settingWidget;
    for (int k = 0; k < s->tabButtons.size(); ++k) showTab(s, k);
    touch(s->exitButton);
    QCOMPARE(world.prompter.questions, QStringList());
    QCOMPARE(world.prompter.warnings, QStringList());
    QCOMPARE(world.records().mid(recordsBefore), QStringList());
    QVERIFY(world.p() == before);
    QVERIFY(*gpWParaBak == before);
    WizardPara stored;
    stored.LoadDatafromFile(pm->paramQuery);
    QCOMPARE(stored.pre_cut, before.pre_cut);
    QCOMPARE(stored.input_timeout_len, before.input_timeout_len);
}

void TestSettingsJourney::cameraOrderAsksFirst_data() {
    QTest::addColumn<bool>("save");
    QTest::newRow("saved") << true;
    QTest::newRow("dropped") << false;
}

// The camera order dialog closes the settings: an edit not yet saved is asked about first.
void TestSettingsJourney::cameraOrderAsksFirst() {
    QFETCH(bool, save);
    MonitorWorld world(1);
    gLan = 1;
    world.p().is_psw_used = 0;
    world.p().enable_defect_detect = 1;
    world.derive();
    const WizardPara before = world.p();
    MainWindow* w = world.build();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    touch(w->optionBar->button(OptionBar::Settings));
    SystemSettingWidget* s = w->settingWidget;
    showTab(s, 1);
    touchBox(s->systemFunctions->switches[SystemFunctionsWidget::kSemiAuto]);
    showTab(s, 3);
    world.prompter.queueAnswer(save);
    const int recordsBefore = world.records().size();
    touch(s->cameraParamsSub->orderButton);
    QCOMPARE(world.prompter.questions, QStringList{lanText(234)});
    QCOMPARE(world.prompter.unexpectedQuestions, 0);
    QVERIFY(w->widgetChangeCamera->isVisible());
    QCOMPARE(world.p().semi_auto, save ? (before.semi_auto ? 0 : 1) : before.semi_auto);
    QVERIFY(*gpWParaBak == world.p());
    QCOMPARE(world.records().size(), recordsBefore + (save ? 1 : 0));
}

// "Account management" of the index panel (a button the panel keeps hidden) is wired to a login through
// the password box; the inspection display is left as it is.
void TestSettingsJourney::accountButtonLogsIn() {
    MonitorWorld world(1);
    world.p().is_psw_used = 1;
    qstrncpy(world.p().password, "4711", sizeof(world.p().password));
    world.derive();
    MainWindow* w = world.build();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    int boxes = 0;
    setPasswordDialogRunner([&](PasswordBox& box) {
        ++boxes;
        box.passwordEdit()->setText("4711");
        box.accept();
        return box.result();
    });
    w->indexButton->button(IndexButton::BtnAccount)->click();
    QCOMPARE(boxes, 1);
    QCOMPARE(w->AccessLevel, 1);
    QCOMPARE(w->DisplayState, 0);  // the inspection display goes on
}

void TestSettingsJourney::pictures_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("Simplified Chinese") << 0;
    QTest::newRow("English") << 1;
    QTest::newRow("Traditional Chinese") << 2;
}

// Pictures of every settings tab for checking by eye: MONITOR_SHOTS_DIR=<dir> runs it.
void TestSettingsJourney::pictures() {
    QFETCH(int, language);
    const QString out = qEnvironmentVariable("MONITOR_SHOTS_DIR");
    if (out.isEmpty()) QSKIP("MONITOR_SHOTS_DIR not set");
    MonitorWorld world(1);
    world.p().is_psw_used = 0;
    gLan = language;
    ComputerNetwork computer = fakeComputerNetwork(world);
    MainWindow* w = world.build();
    w->resize(1920, 1080);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QDir().mkpath(out);
    // The main window first: its title bar's camera strips.
    QVERIFY(w->grab().save(QStringLiteral("%1/main-%2.png").arg(out).arg(language)));
    touch(w->optionBar->button(OptionBar::Settings));
    SystemSettingWidget* s = w->settingWidget;
    for (int k = 0; k < s->tabButtons.size(); ++k) {
        showTab(s, k);
        QTest::qWait(50);
        QVERIFY(w->grab().save(
            QStringLiteral("%1/settings-%2-%3.png").arg(out).arg(language).arg(k, 2, 10, QChar('0'))));
    }
}

QTEST_MAIN(TestSettingsJourney)
#include "tst_settingsjourney.moc"
