// The network page and the network files of the settings commit, against a fake system root: the
// cards and the device number edited on the page, checked, staged into "./cnt_net/" and installed
// over "/etc/network/interfaces", "/etc/hostname" and "/etc/hosts".
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QtTest>
#include <memory>

#include "netbridge/cnt_net.h"
#include "platform/gige/netinterfaces.h"
#include "settings/netstaging.h"
#include "io/ioparamswidget.h"
#include "settings/networkpages.h"
#include "settings/othernetworks.h"
#include "settings/systemsettingwidget.h"
#include "settingsrig.h"
#include "widgets/blineedit.h"
#include "widgets/checkbox.h"

namespace {

const QByteArray kStockHosts =
    "127.0.0.1\tlocalhost\n127.0.1.1\told-host\n\n# The following lines are desirable for IPv6 capable "
    "hosts\n"
    "::1     localhost ip6-localhost ip6-loopback\nff02::1 ip6-allnodes\n";

// The computer of the tests: eth0 and eth1 configured, a wireless card, the loopback.
struct NetRig : SettingsRig {
    std::unique_ptr<CNT_Net> net;
    NetRig() {
        dir.writeFile(
            "sysroot/etc/network/interfaces",
            "auto lo\niface lo inet loopback\n\nauto eth0\niface eth0 inet static\naddress 10.0.0.7\n"
            "netmask 255.0.0.0\ngateway 10.0.0.1\n\nauto eth1\niface eth1 inet static\naddress "
            "192.168.5.2\nnetmask 255.255.255.0\ngateway 192.168.5.1\n");
        dir.writeFile(
            "sysroot/proc/net/dev",
            "Inter-|   Receive\n face |bytes\n    lo: 0 0\n  eth0: 0 0\n  eth1: 0 0\n wlan0: 0 0\n");
        dir.writeFile("sysroot/sys/class/net/eth0/address", "00:11:22:33:44:55\n");
        dir.writeFile("sysroot/sys/class/net/eth1/address", "00:11:22:33:44:66\n");
        dir.writeFile("sysroot/etc/hosts", kStockHosts);
        gpWPara->cnt_net_on = 1;
        qstrcpy(gpWPara->CntNet_UseName, "eth1");
        *gpWParaBak = *gpWPara;
        net = std::make_unique<CNT_Net>();
        gpNet = net.get();
        net->liveCard.hostName = QStringLiteral("old-host");
        net->editCard = net->liveCard;
    }
    ~NetRig() {
        gpNet = nullptr;
        net.reset();
    }
    QByteArray etc(const char* file) const { return dir.readFile(QStringLiteral("sysroot/etc/") + file); }
};

// A check box takes presses on its indicator (these boxes have no text).
void clickBox(QCheckBox* box) {
    QStyleOptionButton opt;
    opt.initFrom(box);
    QTest::mouseClick(box, Qt::LeftButton, {},
                      box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, box).center());
}

class FakeInterfaces : public InterfaceSource {
public:
    bool list(std::vector<NetInterface>* out) override {
        NetInterface w;
        w.name = "wlan0";
        w.ip = (192u << 24) | (168u << 16) | (9u << 8) | 33u;
        out->assign({w});
        return true;
    }
};

}  // namespace

class TestNetSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        loadLanguageTable();
        gLan = 1;
    }
    void validation_data();
    void validation();
    void systemNamesInFiles();
    void stagingMask_data();
    void stagingMask();
    void hostsRewrite_data();
    void hostsRewrite();
    void commitInstalls_data();
    void commitInstalls();
    void invalidEntryRefusesCommit_data();
    void invalidEntryRefusesCommit();
    void failedInstallIsReported_data();
    void failedInstallIsReported();
    void clientRestart_data();
    void clientRestart();
    void cardSelection();
    void wirelessCardShowsLiveValues();
    void connectionCheck_data();
    void connectionCheck();
    void loadAndStore();
};

// Every check of a text that reaches a system file, a shell command, a folder name or the bridge's
// messages, over the whole text: a line feed or another control character at the end, in the middle
// or alone never passes.
void TestNetSettings::validation_data() {
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("address") << "address"
                             << "192.168.3.5" << true;
    QTest::newRow("address empty") << "address"
                                   << "" << false;
    QTest::newRow("address part above 255") << "address"
                                            << "192.168.3.256" << false;
    QTest::newRow("address three parts") << "address"
                                         << "192.168.3" << false;
    QTest::newRow("address leading zero") << "address"
                                          << "192.168.03.5" << false;
    QTest::newRow("address with a line break") << "address"
                                               << "10.0.0.7\nup reboot" << false;
    QTest::newRow("address\\n") << "address"
                                << "10.0.0.9\n"
                                << false;
    QTest::newRow("address\\r\\n") << "address"
                                   << "10.0.0.9\r\n"
                                   << false;
    QTest::newRow("netmask") << "netmask"
                             << "255.255.254.0" << true;
    QTest::newRow("netmask with holes") << "netmask"
                                        << "255.0.255.0" << false;
    QTest::newRow("netmask zero") << "netmask"
                                  << "0.0.0.0" << false;
    QTest::newRow("netmask\\n") << "netmask"
                                << "255.255.255.0\n"
                                << false;
    QTest::newRow("host name") << "host"
                               << "panel-7.plant" << true;
    QTest::newRow("host name of digits") << "host"
                                         << "1024" << true;
    QTest::newRow("host name with a blank") << "host"
                                            << "panel 7" << false;
    QTest::newRow("host name with underscore") << "host"
                                               << "panel_7" << false;
    QTest::newRow("host name ending in a hyphen") << "host"
                                                  << "panel-" << false;
    QTest::newRow("host name with a 64-letter label") << "host" << QString(64, 'a') << false;
    QTest::newRow("host name with & for the bridge") << "host"
                                                     << "a&b=c" << false;
    QTest::newRow("host name\\n") << "host"
                                  << "panel-7\n"
                                  << false;
    QTest::newRow("host name a\\n.b\\n.c") << "host"
                                           << "a\n.b\n.c" << false;
    QTest::newRow("host name with an empty label") << "host"
                                                   << "a..b" << false;
    QTest::newRow("interface") << "interface"
                               << "enp3s0:1" << true;
    QTest::newRow("interface of 16") << "interface"
                                     << "abcdefghijklmnop" << false;
    QTest::newRow("interface with a slash") << "interface"
                                            << "../x" << false;
    QTest::newRow("interface\\n") << "interface"
                                  << "eth0\n"
                                  << false;
    QTest::newRow("interface \\neth0") << "interface"
                                       << "\neth0" << false;
    QTest::newRow("group") << "group"
                           << "mould_7-b" << true;
    QTest::newRow("group\\n") << "group"
                              << "x\n"
                              << false;
    QTest::newRow("group\\t") << "group"
                              << "x\t" << false;
    QTest::newRow("server") << "server"
                            << "192.168.3.1" << true;
    QTest::newRow("server\\n") << "server"
                               << "192.168.3.1\n"
                               << false;
    QTest::newRow("port") << "port"
                          << "8080" << true;
    QTest::newRow("port 0") << "port"
                            << "0" << false;
    QTest::newRow("port\\n") << "port"
                             << "8080\n"
                             << false;
    QTest::newRow("Wi-Fi name\\n") << "wifi name"
                                   << "shop\n"
                                   << false;
    QTest::newRow("Wi-Fi hex key") << "wifi password" << QString(64, 'a') << true;
    QTest::newRow("Wi-Fi hex key\\n") << "wifi password" << QString(64, 'a') + "\n" << false;
    QTest::newRow("Wi-Fi password\\n") << "wifi password"
                                       << "12345678\n"
                                       << false;
}

void TestNetSettings::validation() {
    QFETCH(QString, check);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const QMap<QString, bool (*)(const QString&)> checks = {{"address", &validIPv4},
                                                            {"netmask", &validNetmask},
                                                            {"host", &validHostName},
                                                            {"interface", &validInterfaceName},
                                                            {"group", &validGroupName},
                                                            {"server", &validServerAddress},
                                                            {"port", &validServerPort},
                                                            {"wifi name", &validWifiName},
                                                            {"wifi password", &validWifiPassword}};
    QVERIFY(checks.contains(check));
    QCOMPARE(checks[check](text), valid);
}

// Names and addresses read from the system: a card whose name or address carries a line feed is
// left out of the interfaces text, and a long name read from "/proc/net/dev" (its line starts
// without a blank) comes without the line feed before it.
void TestNetSettings::systemNamesInFiles() {
    NetRig rig;
    QMap<QString, QStringList> cards;
    cards.insert("eth0", {"10.0.0.7", "255.0.0.0", "10.0.0.1"});
    cards.insert("eth9\n", {"10.0.9.7", "255.0.0.0", "10.0.9.1"});
    cards.insert("eth1", {"10.0.1.7\n", "255.0.0.0", "10.0.1.1"});
    const QByteArray text = interfacesText(cards);
    QVERIFY(text.contains("auto eth0\n"));
    QVERIFY(!text.contains("eth9") && !text.contains("10.0.1.7"));
    QVERIFY(!text.contains("\n\n\n"));
    QVERIFY(
        rig.dir.writeFile("sysroot/proc/net/dev",
                          "Inter-|   Receive\n face |bytes\n    lo: 0 0\n  eth0: 0 0\nenp10s0f1u2:0 0\n"));
    const QMap<QString, QStringList> read = CNT_Net::getNewNetCardInfo();
    QCOMPARE(read.keys(), (QStringList{"enp10s0f1u2", "eth0"}));
    QVERIFY(interfacesText(read).contains("auto enp10s0f1u2\niface enp10s0f1u2 inet static\n"));
}

// The change mask and the files staged for it, from the records alone.
void TestNetSettings::stagingMask_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("mask");
    QTest::addColumn<QStringList>("staged");
    QTest::addColumn<QString>("hostAfter");
    const QString i = "./cnt_net/ls_interfaces", h = "./cnt_net/ls_hostname", hs = "./cnt_net/ls_hosts";
    QTest::newRow("nothing") << "" << 0 << QStringList{} << "old-host";
    QTest::newRow("address") << "address" << 1 << QStringList{i} << "old-host";
    QTest::newRow("host name") << "host" << 4 << QStringList{h, hs} << "new-host";
    QTest::newRow("host name, bridge off: set back, not staged")
        << "host bridge-off" << 2 << QStringList{} << "old-host";
    QTest::newRow("frame rate") << "rate" << 8 << QStringList{} << "old-host";
    QTest::newRow("bridge card") << "usename" << 8 << QStringList{} << "old-host";
    QTest::newRow("alarm SMS") << "sms" << 0 << QStringList{} << "old-host";
    QTest::newRow("bridge off") << "bridge-off" << 2 << QStringList{} << "old-host";
    QTest::newRow("servers") << "servers" << 16 << QStringList{} << "old-host";
    QTest::newRow("servers, bridge off") << "servers bridge-off" << 2 << QStringList{} << "old-host";
}

void TestNetSettings::stagingMask() {
    QFETCH(QString, change);
    QFETCH(int, mask);
    QFETCH(QStringList, staged);
    QFETCH(QString, hostAfter);
    NetRig rig;
    WizardPara work = *gpWPara;
    NetCard edit = rig.net->liveCard;
    if (change.contains("address")) edit.cards["eth0"][0] = "10.0.0.9";
    if (change.contains("host")) edit.hostName = "new-host";
    if (change.contains("bridge-off")) work.cnt_net_on = 0;
    if (change.contains("rate")) work.video_rate_index = (work.video_rate_index + 1) % 5;
    if (change.contains("usename")) qstrcpy(work.CntNet_UseName, "eth0");
    if (change.contains("sms")) work.sms_on = !work.sms_on;
    const NetStaging s = stageNetFiles(edit, rig.net->liveCard, work, *gpWPara, change.contains("servers"));
    QCOMPARE(s.mask, mask);
    QCOMPARE(s.staged, staged);
    QVERIFY(s.failed.isEmpty());
    QCOMPARE(edit.hostName, hostAfter);
    for (const char* f : {"ls_interfaces", "ls_hostname", "ls_hosts"})
        QCOMPARE(QFile::exists(QStringLiteral("./cnt_net/") + f),
                 staged.contains(QStringLiteral("./cnt_net/") + f));
}

void TestNetSettings::hostsRewrite_data() {
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("stock file: localhost and the IPv6 lines stay")
        << kStockHosts
        << QByteArray(
               "127.0.1.1\tnew-host\n127.0.0.1\tnew-host\n\n127.0.0.1\tlocalhost\n\n"
               "# The following lines are desirable for IPv6 capable hosts\n"
               "::1     localhost ip6-localhost ip6-loopback\nff02::1 ip6-allnodes\n");
    QTest::newRow("an earlier rewrite is replaced, not stacked")
        << QByteArray("127.0.1.1\told-host\n127.0.0.1\told-host\n\n127.0.0.1\tlocalhost\n# comment\n")
        << QByteArray("127.0.1.1\tnew-host\n127.0.0.1\tnew-host\n\n127.0.0.1\tlocalhost\n# comment\n");
    QTest::newRow("no comment line: every other line kept")
        << QByteArray("127.0.0.1 localhost\n10.1.1.1 mes-server\n10.1.1.2 nas")
        << QByteArray(
               "127.0.1.1\tnew-host\n127.0.0.1\tnew-host\n\n127.0.0.1 localhost\n"
               "10.1.1.1 mes-server\n10.1.1.2 nas\n");
    QTest::newRow("host name beside localhost: only the name goes")
        << QByteArray("127.0.0.1 localhost old-host # mine\n")
        << QByteArray("127.0.1.1\tnew-host\n127.0.0.1\tnew-host\n\n127.0.0.1\tlocalhost # mine\n");
    QTest::newRow("no localhost line: it is put back")
        << QByteArray("") << QByteArray("127.0.1.1\tnew-host\n127.0.0.1\tnew-host\n127.0.0.1\tlocalhost\n\n");
    QByteArray big = kStockHosts;
    for (int k = 0; k < 600; ++k)
        big += "10.2." + QByteArray::number(k / 250) + "." + QByteArray::number(k % 250) + "\tmachine-" +
               QByteArray::number(k) + "\n";
    QByteArray bigExpected =
        QByteArray("127.0.1.1\tnew-host\n127.0.0.1\tnew-host\n\n127.0.0.1\tlocalhost\n\n") +
        big.mid(big.indexOf("# The"));
    QTest::newRow("a file beyond 8 KiB is kept whole") << big << bigExpected;
}

void TestNetSettings::hostsRewrite() {
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, expected);
    QCOMPARE(hostsText(old, "old-host", "new-host"), expected);
}

// A confirmed commit through the dialog: the field changed on the page, and the system files written.
void TestNetSettings::commitInstalls_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QByteArray>("interfaces");  // empty: left as it was
    QTest::addColumn<QByteArray>("hostname");
    QTest::addColumn<bool>("hosts");
    const QByteArray eth =
        "auto lo\niface lo inet loopback\r\n\r\nauto eth0\niface eth0 inet static\naddress 10.0.0.9\n"
        "netmask 255.0.0.0\ngateway 10.0.0.1\n\nauto eth1\niface eth1 inet static\naddress 192.168.5.2\n"
        "netmask 255.255.255.0\ngateway 192.168.5.1\n\n";
    QTest::newRow("address of eth0") << "address" << eth << QByteArray() << false;
    QTest::newRow("device number") << "host" << QByteArray() << QByteArray("panel-7") << true;
    QTest::newRow("both") << "address host" << eth << QByteArray("panel-7") << true;
    QTest::newRow("bridge switch only: nothing stale installed")
        << "bridge" << QByteArray() << QByteArray() << false;
}

void TestNetSettings::commitInstalls() {
    QFETCH(QString, change);
    QFETCH(QByteArray, interfaces);
    QFETCH(QByteArray, hostname);
    QFETCH(bool, hosts);
    NetRig rig;
    const QByteArray oldInterfaces = rig.etc("network/interfaces");
    // Staged files of an earlier commit that were never installed.
    rig.dir.writeFile("cnt_net/ls_hostname", "stale");
    rig.dir.writeFile("cnt_net/ls_hosts", "stale");
    SystemSettingWidget w;
    w.show();
    NetworkParamsWidget* n = w.networkParams;
    QCOMPARE(n->cardBox->currentText(), QString("eth0"));
    if (change.contains("address")) n->addressEdit->setText("10.0.0.9");
    if (change.contains("host")) n->hostEdit->setText("panel-7");
    if (change.contains("bridge")) n->bridgeBox->setChecked(false);
    rig.prompter.queueAnswer(true);
    w.accept();
    QCOMPARE(rig.prompter.questions, QStringList{lan(234)});
    QVERIFY2(rig.prompter.warnings.isEmpty(), qPrintable(rig.prompter.warnings.join('|')));
    QCOMPARE(rig.etc("network/interfaces"), interfaces.isEmpty() ? oldInterfaces : interfaces);
    QCOMPARE(rig.etc("hostname"), hostname);
    // The simulated computer is called what was installed, also after a restart.
    if (!hostname.isEmpty()) QCOMPARE(CNT_Net::getNetHostName(), QString(hostname));
    if (hosts) {
        QVERIFY(
            rig.etc("hosts").startsWith("127.0.1.1\tpanel-7\n127.0.0.1\tpanel-7\n\n127.0.0.1\tlocalhost\n"));
        QVERIFY(rig.etc("hosts").endsWith("ff02::1 ip6-allnodes\n"));
    } else {
        QCOMPARE(rig.etc("hosts"), kStockHosts);
    }
    // Files, not shell copies.
    for (const QString& c : rig.commands()) QVERIFY2(!c.contains("/etc"), qPrintable(c));
    // The live card record is what was installed; the MAC register knows the cards.
    QCOMPARE(gpNet->liveCard.cards, gpNet->editCard.cards);
    if (change.contains("address")) {
        QCOMPARE(gpNet->liveCard.cards["eth0"][0], QString("10.0.0.9"));
        QVERIFY(rig.dir.readFile("cnt_net/registermac.txt")
                    .startsWith("00:11:22:33:44:55=10.0.0.9;255.0.0.0;10.0.0.1\n00:11:22:33:44:66="));
    }
}

void TestNetSettings::invalidEntryRefusesCommit_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("label");  // language id of the field named in the warning
    QTest::newRow("empty address") << "address"
                                   << "" << 329;
    QTest::newRow("netmask with holes") << "mask"
                                        << "255.0.255.0" << 330;
    QTest::newRow("gateway of three parts") << "gateway"
                                            << "10.0.1" << 331;
    QTest::newRow("device number with a dot at the end") << "host"
                                                         << "7." << 733;
    QTest::newRow("device number a\\n.b\\n.c") << "host"
                                               << "a\n.b\n.c" << 733;
    QTest::newRow("address\\n") << "address"
                                << "10.0.0.9\n"
                                << 329;
}

void TestNetSettings::invalidEntryRefusesCommit() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, label);
    NetRig rig;
    const QString warning = lan(735).arg(label == 733 ? lan(733) : "eth0 " + lan(label), text);
    const QByteArray oldInterfaces = rig.etc("network/interfaces");
    SystemSettingWidget w;
    w.show();
    NetworkParamsWidget* n = w.networkParams;
    BLineEdit* e = field == "address"   ? n->addressEdit
                   : field == "mask"    ? n->maskEdit
                   : field == "gateway" ? n->gatewayEdit
                                        : n->hostEdit;
    e->setText(text);
    w.accept();
    QCOMPARE(rig.prompter.questions, QStringList{});
    QCOMPARE(rig.prompter.warnings.size(), 1);
    QCOMPARE(rig.prompter.warnings[0], warning);
    QCOMPARE(rig.etc("network/interfaces"), oldInterfaces);
    QVERIFY(!QFile::exists("cnt_net/ls_interfaces") && !QFile::exists("cnt_net/ls_hostname"));
}

// A file that cannot be written is reported in one box naming every such file and one record, and the
// live card record keeps what is in force. On a full disk the parameters and the staged file fail
// together: still one box and one record.
void TestNetSettings::failedInstallIsReported_data() {
    QTest::addColumn<bool>("fullDisk");
    QTest::addColumn<QString>("failed");  // the network file named
    QTest::newRow("hosts file blocked") << false << "/etc/hosts";
    QTest::newRow("full disk") << true << "./cnt_net/ls_hostname";
}

void TestNetSettings::failedInstallIsReported() {
    QFETCH(bool, fullDisk);
    QFETCH(QString, failed);
    NetRig rig;
    if (fullDisk) {
        QVERIFY(QDir().mkpath("cnt_net/ls_hostname"));  // a directory where the staged file goes
    } else {
        QVERIFY(QFile::remove(rig.dir.filePath("sysroot/etc/hosts")));
        QVERIFY(QDir().mkpath(rig.dir.filePath("sysroot/etc/hosts")));
    }
    SystemSettingWidget w;
    w.show();
    w.networkParams->hostEdit->setText("panel-7");
    w.ioParams->sliders[IOParamsWidget::kInputTimeout]->setValue(gpWPara->input_timeout_len + 1);
    rig.prompter.queueAnswer(true);
    if (fullDisk) ParameterManager::getInstance()->releaseDB();
    w.accept();
    QCoreApplication::processEvents();  // reports queued for later would show now
    const QString files = fullDisk ? "PARAM.db\r\n" + failed : failed;
    QCOMPARE(rig.prompter.warnings, QStringList{lan(600).arg(files)});
    QCOMPARE(rig.window.records.size(), 1);
    QVERIFY(rig.window.records[0].endsWith((fullDisk ? lan(661) : QString()) + lan(670).arg(failed)));
    QCOMPARE(gpNet->liveCard.hostName, QString("old-host"));
}

// The network client is restarted for updated server settings before anything is asked, and after a
// saved commit that changed anything of the network.
void TestNetSettings::clientRestart_data() {
    QTest::addColumn<bool>("servers");
    QTest::addColumn<bool>("bridge");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("restarts");
    QTest::newRow("nothing") << false << false << 0 << 0;
    QTest::newRow("server settings alone: no question") << true << false << 0 << 1;
    QTest::newRow("bridge switch, saved") << false << true << 1 << 1;
}

void TestNetSettings::clientRestart() {
    QFETCH(bool, servers);
    QFETCH(bool, bridge);
    QFETCH(int, questions);
    QFETCH(int, restarts);
    NetRig rig;
    rig.dir.writeFile("cnt_net/runNetClient.py", "");
    SystemSettingWidget w;
    w.show();
    gpNet->serverSettingsChanged = servers;
    if (bridge) w.networkParams->bridgeBox->setChecked(false);
    rig.prompter.queueAnswer(true);
    w.accept();
    QCOMPARE(rig.prompter.questions.size(), questions);
    QCOMPARE(rig.commands().filter("runNetClient.py").size(), restarts);
    QVERIFY(!gpNet->serverSettingsChanged);
}

void TestNetSettings::cardSelection() {
    NetRig rig;
    SystemSettingWidget w;
    w.show();
    NetworkParamsWidget* n = w.networkParams;
    QCOMPARE(n->cardBox->count(), 3);  // eth0, eth1, wlan0
    QCOMPARE(n->addressEdit->text(), QString("10.0.0.7"));
    QCOMPARE(n->macLabel->text(), QString("00:11:22:33:44:55"));
    QVERIFY(!n->useCardBox->isChecked());
    n->cardBox->setCurrentIndex(1);
    QCOMPARE(n->maskEdit->text(), QString("255.255.255.0"));
    QVERIFY(n->useCardBox->isChecked());  // eth1 is the bridge's card
    n->cardBox->setCurrentIndex(0);
    QCOMPARE(QByteArray(gpWParaBak->CntNet_UseName), QByteArray("eth1"));  // selecting changes nothing

    // A press on the box, then its toggle, chooses the card; unticking stores "null".
    clickBox(n->useCardBox);
    QCOMPARE(QByteArray(gpWParaBak->CntNet_UseName), QByteArray("eth0"));
    clickBox(n->useCardBox);
    QCOMPARE(QByteArray(gpWParaBak->CntNet_UseName), QByteArray("null"));

    // The edits of a wireless card store nothing.
    n->cardBox->setCurrentIndex(2);
    n->addressEdit->setText("1.2.3.4");
    QCOMPARE(gpNet->editCard.cards["wlan0"][0], QString("192.168.0.5"));
    n->cardBox->setCurrentIndex(0);
    n->gatewayEdit->setText("10.0.0.254");
    QCOMPARE(gpNet->editCard.cards["eth0"][2], QString("10.0.0.254"));
}

void TestNetSettings::wirelessCardShowsLiveValues() {
    NetRig rig;
    qstrcpy(gpWPara->CntNet_UseName, "wlan0");
    SystemSettingWidget w;
    w.interfaces = std::make_shared<FakeInterfaces>();
    w.show();
    CommandRunner::instance().queueResult("ip route show", 0,
                                          "default via 192.168.9.1 dev wlan0 proto dhcp metric 600 \n");
    w.networkParams->cardBox->setCurrentIndex(2);
    QCOMPARE(w.networkParams->addressEdit->text(), QString("192.168.9.33"));
    QCOMPARE(w.networkParams->gatewayEdit->text(), QString("192.168.9.1"));
    QCOMPARE(w.networkParams->maskEdit->text(), QString("255.255.255.0"));
}

void TestNetSettings::connectionCheck_data() {
    QTest::addColumn<QByteArray>("route");
    QTest::addColumn<QByteArray>("lanPing");
    QTest::addColumn<QByteArray>("netPing");
    QTest::addColumn<QString>("result");  // ids joined by ","
    const QByteArray route = "default via 10.0.0.1 dev eth0 onlink \n10.0.0.0/8 dev eth0 scope link \n";
    const QByteArray ok = "64 bytes from 10.0.0.1: icmp_seq=1 ttl=64 time=0.3 ms\n";
    const QByteArray zero = "64 bytes from 10.0.0.1: icmp_seq=1 ttl=64 time=0.0 ms\n";
    QTest::newRow("no gateway") << QByteArray("10.0.0.0/8 dev eth0 scope link \n") << ok << ok << "419";
    QTest::newRow("gateway not an address")
        << QByteArray("default via ;reboot dev eth0 \n") << ok << ok << "419";
    QTest::newRow("both answer") << route << ok << ok << "420,422,440";
    QTest::newRow("times of zero") << route << zero << QByteArray() << "421,423,440";
}

void TestNetSettings::connectionCheck() {
    QFETCH(QByteArray, route);
    QFETCH(QByteArray, lanPing);
    QFETCH(QByteArray, netPing);
    QFETCH(QString, result);
    NetRig rig;
    SystemSettingWidget w;
    w.show();
    QString expected;
    for (const QString& id : result.split(',')) expected += (expected.isEmpty() ? "" : ",") + lan(id.toInt());
    for (int press = 0; press < 2; ++press) {  // a second press replaces the first result
        CommandRunner::instance().clearHistory();
        CommandRunner::instance().queueResult("ip route show", 0, route);
        CommandRunner::instance().queueResult("ping 10.0.0.1 -w 2", 0, lanPing);
        CommandRunner::instance().queueResult("ping 114.114.114.114 -w 3", 0, netPing);
        QTest::mouseClick(w.networkParams->testButton, Qt::LeftButton);
        QCOMPARE(w.networkParams->resultLabel->text(), expected);
    }
    if (result != "419")
        QCOMPARE(CommandRunner::instance().history(),
                 (QStringList{"ip route show", "ping 10.0.0.1 -w 2", "ping 114.114.114.114 -w 3"}));
    else
        QCOMPARE(CommandRunner::instance().history(), QStringList{"ip route show"});
    // The bridge switch shows and hides the result.
    QVERIFY(!w.networkParams->resultLabel->isHidden());
    w.networkParams->bridgeBox->setChecked(false);
    QVERIFY(w.networkParams->resultLabel->isHidden());
}

void TestNetSettings::loadAndStore() {
    NetRig rig;
    gpWParaBak->video_share_mode = 5;
    gpWParaBak->video_rate_index = 3;
    gpWParaBak->serial_port = 2;
    SystemSettingWidget w;
    w.show();
    NetworkParamsWidget* n = w.networkParams;
    QCOMPARE(n->videoGroup->checkedId(), -1);  // 5: no button chosen
    QCOMPARE(n->rateGroup->checkedId(), 3);
    QCOMPARE(n->comBox->currentIndex(), 2);
    QCOMPARE(n->hostEdit->text(), QString("old-host"));
    n->rateGroup->button(1)->setChecked(true);
    n->comBox->setCurrentIndex(3);
    n->hostEdit->setText("panel-7");
    n->accept();
    QCOMPARE(gpWParaBak->video_share_mode, 5);  // kept until the operator chooses one
    QCOMPARE(gpWParaBak->video_rate_index, 1);
    QCOMPARE(gpWParaBak->serial_port, 3);
    QCOMPARE(gpNet->editCard.hostName, QString("panel-7"));
}

QTEST_MAIN(TestNetSettings)
#include "tst_netsettings.moc"
