// The production, memorandum and other-network pages on the whole main window, with the network
// bridge switched on and tools/netclient-sim running as a second process against it: the settings are
// opened and the tabs pressed at screen positions through the top-level window; the product and
// reminder lists the client answers show; a server address is typed on the keypad and written into the
// client's database. With MONITOR_SHOTS_DIR set, "pictures" saves the three pages in each language.
#include <QComboBox>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTcpServer>
#include <QtTest>

#include "inspection/optionbar.h"
#include "monitorworld.h"
#include "netbridge/cnt_net.h"
#include "settings/othernetworks.h"
#include "settings/productionpages.h"
#include "settings/systemsettingwidget.h"
#include "widgets/blineedit.h"
#include "widgets/bwidget.h"

namespace {
constexpr int kWait = 20000;
// Tabs of the dialog, in order (first group: system, functions, device; ...; log group: log, memorandum).
constexpr int kDeviceTab = 2;
constexpr int kOtherNetworksTab = 6;
constexpr int kMemorandumTab = 8;

void touchAt(QWidget* target, QPoint local) {
    QWidget* top = target->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, target->mapTo(top, local));
}

void touch(QWidget* target) {
    touchAt(target, target->rect().center());
}

void showTab(SystemSettingWidget* s, int k) {
    QWidget* button = s->tabButtons[k];
    auto* area = qobject_cast<QScrollArea*>(s->tabColumn->parentWidget()->parentWidget());
    QVERIFY(area);
    QScrollBar* bar = area->verticalScrollBar();
    for (int tries = 0; tries < 20; ++tries) {
        const QRect seen = area->viewport()->rect();
        const QPoint centre = button->mapTo(area->viewport(), button->rect().center());
        if (seen.contains(centre)) break;
        touchAt(bar, QPoint(bar->width() / 2, centre.y() > seen.bottom() ? bar->height() - 50 : 50));
    }
    touch(button);
}

// Presses the keys of `text` on the keypad that is open, then its confirm key, from its own loop.
class KeypadTyper : public QObject {
public:
    explicit KeypadTyper(const QString& text) : text_(text) {
        connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* pad = QApplication::activeModalWidget();
            if (!pad) return;
            timer_.stop();
            for (QChar c : text_)
                if (auto* key = pad->findChild<QPushButton*>(QStringLiteral("key_") + c)) touch(key);
            if (auto* ok = pad->findChild<QPushButton*>(QStringLiteral("confirmButton"))) touch(ok);
            typed = true;
        });
        timer_.start(5);
    }
    bool typed = false;

private:
    QString text_;
    QTimer timer_;
};

QStringList items(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

// The bridge on (the switch as the bridge reads it at its start), the simulated client attached.
struct BridgeWorld {
    MonitorWorld world{1};
    std::unique_ptr<CNT_Net> net;
    QProcess client;
    MainWindow* w = nullptr;

    bool start(int language) {
        gLan = language;
        WizardPara& p = world.p();
        p.is_psw_used = 0;
        p.cnt_net_on = 1;
        qstrcpy(p.CntNet_ProName, "cap-28");
        world.derive();
        QSqlQuery q(ParameterManager::getInstance()->paramDb);
        if (!q.exec("update sysparam set value='1 0 0 0 0 6 1 10000' where name='CntNet'")) return false;
        CNT_Net::setListenPort(0);  // any free port, so that tests beside this one cannot take it
        net.reset(new CNT_Net);
        const quint16 port = net->serverPort();
        gpNet = net.get();
        if (!net->isStarted()) return false;
        w = world.build();
        w->resize(1920, 1080);
        w->show();
        if (!QTest::qWaitForWindowExposed(w)) return false;
        client.setProcessChannelMode(QProcess::MergedChannels);
        client.start(NETCLIENT_PROGRAM,
                     {"--port", QString::number(port), "--key-dir", CNT_Net::shareKeyPath(), "--log",
                      world.dir.filePath("netclient.log")});
        return client.waitForStarted();
    }
    ~BridgeWorld() {
        client.kill();
        client.waitForFinished();
        world.window.reset();
        gpNet = nullptr;
        net.reset();
    }
};
}  // namespace

class TestBridgeJourney : public QObject {
    Q_OBJECT
private slots:
    void listsFromTheClient();
    void serverAddressTyped();
    void pictures_data();
    void pictures();
};

void TestBridgeJourney::listsFromTheClient() {
    BridgeWorld b;
    QVERIFY(b.start(1));
    QTRY_VERIFY_WITH_TIMEOUT(b.net->isConnected(), kWait);
    touch(b.w->optionBar->button(OptionBar::Settings));
    SystemSettingWidget* s = b.w->settingWidget;
    QCOMPARE(b.w->pageStack->currentWidget(), static_cast<QWidget*>(s));

    showTab(s, kDeviceTab);
    QCOMPARE(s->pageStack->currentWidget(), static_cast<QWidget*>(s->deviceParams));
    // The stored product stays first; the client's names follow.
    QTRY_COMPARE_WITH_TIMEOUT(items(s->deviceParams->productBox),
                              (QStringList{"cap-28", "lid-40", QString::fromUtf8("瓶盖-12")}), kWait);
    QCOMPARE(s->deviceParams->productBox->currentText(), QString("cap-28"));

    showTab(s, kMemorandumTab);
    QCOMPARE(s->pageStack->currentWidget(), static_cast<QWidget*>(s->memorandum));
    QStandardItemModel* m = s->memorandum->model;
    QTRY_COMPARE_WITH_TIMEOUT(m->rowCount(), 2, kWait);
    QCOMPARE(m->item(0, 0)->text(), QString("op-7"));
    QCOMPARE(m->item(0, 3)->text(), QString("30"));
    QCOMPARE(m->item(1, 4)->text(), QString::fromUtf8("清理模具"));
}

// The info server's address typed on the keypad of its edit and written with the button: the
// client's row changes and the next commit will restart the client.
void TestBridgeJourney::serverAddressTyped() {
    BridgeWorld b;
    QVERIFY(QDir().mkpath("cnt_net"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
        db.setDatabaseName("cnt_net/sysconf.db");
        QSqlQuery q(db);
        QVERIFY(db.open());
        QVERIFY(q.exec("create table info_sysconf (信息名称 text, 值 text)"));
        QVERIFY(q.exec(
            "insert into info_sysconf values ('serverip_info','10.0.0.1'),('serverip_file','10.0.0.2'),"
            "('serverport_info','8000'),('serverport_file','8001')"));
        db.close();
    }
    QSqlDatabase::removeDatabase("fixture");
    QVERIFY(b.start(1));
    touch(b.w->optionBar->button(OptionBar::Settings));
    SystemSettingWidget* s = b.w->settingWidget;
    showTab(s, kOtherNetworksTab);
    OtherNetworksWidget* page = s->otherNetworks;
    QCOMPARE(page->infoServerEdit->text(), QString("10.0.0.1"));
    {
        KeypadTyper typer("192.168.3.7");
        touch(page->infoServerEdit);
        QVERIFY(typer.typed);
    }
    QCOMPARE(page->infoServerEdit->text(), QString("192.168.3.7"));
    b.world.prompter.queueAnswer(true);
    touch(page->serverButton);
    QCOMPARE(b.world.prompter.questions.last(), lanText(454));
    QVERIFY(b.world.prompter.warnings.isEmpty());
    QVERIFY(b.net->serverSettingsChanged);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
        db.setDatabaseName("cnt_net/sysconf.db");
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec("select 值 from info_sysconf where 信息名称='serverip_info'") && q.next());
        QCOMPARE(q.value(0).toString(), QString("192.168.3.7"));
        db.close();
    }
    QSqlDatabase::removeDatabase("fixture");
}

void TestBridgeJourney::pictures_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("Simplified Chinese") << 0;
    QTest::newRow("English") << 1;
    QTest::newRow("Traditional Chinese") << 2;
}

void TestBridgeJourney::pictures() {
    QFETCH(int, language);
    const QString out = qEnvironmentVariable("MONITOR_SHOTS_DIR");
    if (out.isEmpty()) QSKIP("MONITOR_SHOTS_DIR not set");
    BridgeWorld b;
    QVERIFY(b.start(language));
    QTRY_VERIFY_WITH_TIMEOUT(b.net->isConnected(), kWait);
    touch(b.w->optionBar->button(OptionBar::Settings));
    SystemSettingWidget* s = b.w->settingWidget;
    QDir().mkpath(out);
    for (int tab : {kDeviceTab, kOtherNetworksTab, kMemorandumTab}) {
        showTab(s, tab);
        if (tab == kDeviceTab) QTRY_COMPARE_WITH_TIMEOUT(s->deviceParams->productBox->count(), 3, kWait);
        if (tab == kMemorandumTab) QTRY_COMPARE_WITH_TIMEOUT(s->memorandum->model->rowCount(), 2, kWait);
        QTest::qWait(50);
        QVERIFY(b.w->grab().save(QStringLiteral("%1/bridge-%2-%3.png").arg(out).arg(language).arg(tab)));
    }
}

QTEST_MAIN(TestBridgeJourney)
#include "tst_bridgejourney.moc"
