// The other-network, production and memorandum pages: the Wi-Fi block they write and install, the
// client's server rows, the technician and operator texts in the record, and the product and
// reminder lists answered by the network client.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

#include "app/paratext.h"
#include "netbridge/cnt_net.h"
#include "settings/othernetworks.h"
#include "settings/productionpages.h"
#include "widgets/blineedit.h"
#include "widgets/bwidget.h"
#include "widgets/checkbox.h"
#include "widgets/keyboards.h"
#include "settingsrig.h"

namespace {

const char* const kInstalled = "sysroot/etc/wpa_supplicant/wlanpwd.conf";

// The client's settings database with the rows given (key, value) and one row the page never touches.
bool makeServerDb(const QString& path, const QList<QPair<QString, QString>>& rows) {
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
        db.setDatabaseName(path);
        QSqlQuery q(db);
        ok = db.open() && q.exec("create table info_sysconf (信息名称 text, 值 text)");
        for (const auto& r : rows) {
            q.prepare("insert into info_sysconf values (?, ?)");
            q.addBindValue(r.first);
            q.addBindValue(r.second);
            ok = ok && q.exec();
        }
        ok = ok && q.exec("insert into info_sysconf values ('device_name', 'press-3')");
        db.close();
    }
    QSqlDatabase::removeDatabase("fixture");
    return ok;
}

QMap<QString, QString> serverRows(const QString& path) {
    QMap<QString, QString> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
        db.setDatabaseName(path);
        QSqlQuery q(db);
        if (db.open() && q.exec("select 信息名称, 值 from info_sysconf"))
            while (q.next()) rows[q.value(0).toString()] = q.value(1).toString();
        db.close();
    }
    QSqlDatabase::removeDatabase("fixture");
    return rows;
}

QStringList items(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

QStringList rows(const QStandardItemModel* m) {
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c) cells << m->item(r, c)->text();
        out << cells.join('|');
    }
    return out;
}

QString reminder(const QString& who, qint64 created, int minutes, const QString& name) {
    return QString(R"({"operator":"%1","create_utc":%2,"notify_utc":%3,"duration":%4,"reminder_name":"%5"})")
        .arg(who)
        .arg(created)
        .arg(created + 60000)
        .arg(minutes)
        .arg(name);
}

QString localText(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toLocalTime().toString("yy-MM-dd hh:mm:ss");
}

}  // namespace

class TestBridgePages : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        loadLanguageTable();
        gLan = 1;
    }
    void wifiChecks_data();
    void wifiChecks();
    void wifiUpdate_data();
    void wifiUpdate();
    void wifiReadBack();
    void wifiPasswordEntry();
    void serverRows();
    void serverRowsRefused();
    void recordTexts_data();
    void recordTexts();
    void keyValueEntryRefused();
    void productReply_data();
    void productReply();
    void remindReply_data();
    void remindReply();
    void remindPages();
    void statisticsReset_data();
    void statisticsReset();
};

void TestBridgePages::wifiChecks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("nameOk");
    QTest::addColumn<bool>("passwordOk");
    QTest::newRow("plain") << "shop_floor"
                           << "12345678" << true << true;
    QTest::newRow("Chinese name, symbols") << "车间二号"
                                           << "a b!#$%&'()*+" << true << true;
    QTest::newRow("quote in name") << "a\"b"
                                   << "1234567" << false << false;
    QTest::newRow("line break, backslash") << "x\nnetwork={"
                                           << "abc\\defgh" << false << false;
    QTest::newRow("33 bytes, 64 characters") << QString(33, 'n') << QString(64, 'p') << false << false;
    QTest::newRow("32 bytes, 63 characters") << QString(32, 'n') << QString(63, 'p') << true << true;
    QTest::newRow("11 Chinese (33 bytes)") << QString(11, QChar(0x8F66)) << QString(64, 'A') << false << true;
    QTest::newRow("empty, non-ASCII password") << ""
                                               << "passwört1" << false << false;
    QTest::newRow("tab, 64 non-hex") << "a\tb" << QString(63, 'a') + "g" << false << false;
}

void TestBridgePages::wifiChecks() {
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(bool, nameOk);
    QFETCH(bool, passwordOk);
    QCOMPARE(validWifiName(name), nameOk);
    QCOMPARE(validWifiPassword(password), passwordOk);
}

void TestBridgePages::wifiUpdate_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<int>("warning");      // 0 none
    QTest::addColumn<QByteArray>("file");  // empty: the old files stay
    QTest::newRow("written") << "shop_floor"
                             << "12345678" << true << 0
                             << QByteArray(
                                    "network={\r\n\tssid=\"shop_floor\"\r\n\tpsk=\"12345678\"\r\n"
                                    "\tproto=RSN\r\n}\r\n");
    QTest::newRow("UTF-8 name") << "车间"
                                << "pass word" << true << 0
                                << QByteArray(
                                       "network={\r\n\tssid=\"\xe8\xbd\xa6\xe9\x97\xb4\"\r\n"
                                       "\tpsk=\"pass word\"\r\n\tproto=RSN\r\n}\r\n");
    const QString hex = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789ABCDEF";
    QTest::newRow("raw key unquoted")
        << "k" << hex << true << 0
        << "network={\r\n\tssid=\"k\"\r\n\tpsk=" + hex.toLatin1() + "\r\n\tproto=RSN\r\n}\r\n";
    QTest::newRow("answered no") << "shop_floor"
                                 << "12345678" << false << 0 << QByteArray();
    QTest::newRow("injected name") << "x\"\r\n\tkey_mgmt=NONE\r\n#"
                                   << "12345678" << true << 750 << QByteArray();
    QTest::newRow("short password") << "shop_floor"
                                    << "1234" << true << 751 << QByteArray();
}

// The button on the page: checked, asked, staged beside the program and installed under the root.
void TestBridgePages::wifiUpdate() {
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(bool, yes);
    QFETCH(int, warning);
    QFETCH(QByteArray, file);
    SettingsRig rig;
    const QByteArray old = "network={\r\n\tssid=\"old\"\r\n\tpsk=\"oldpassword\"\r\n\tproto=RSN\r\n}\r\n";
    QVERIFY(rig.dir.writeFile(kInstalled, old));
    OtherNetworksWidget page;
    page.wifiNameEdit->setText(name);
    page.wifiPasswordEdit->setText(password);
    if (!warning) rig.prompter.queueAnswer(yes);
    page.wifiButton->click();
    QCOMPARE(rig.prompter.warnings, warning ? QStringList{lan(warning)} : QStringList());
    QCOMPARE(rig.prompter.questions, warning ? QStringList() : QStringList{lan(448)});
    QCOMPARE(rig.dir.readFile(kInstalled), file.isEmpty() ? old : file);
    QCOMPARE(rig.dir.readFile("cnt_net/wlanpwd.conf"), file);
    QVERIFY(rig.commands().isEmpty());  // installed by the program itself, no shell copy
    // The passphrase is for root's eyes only, though the file it replaced was readable by everyone.
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!file.isEmpty()) {
        for (const char* path : {kInstalled, "cnt_net/wlanpwd.conf"})
            QCOMPARE(QFile::permissions(rig.dir.filePath(path)) & 0xf0ff, ownerOnly);  // less the user's
    }
}

// Shown again, the page reads the installed block: a value with a quote inside runs to the last quote
// of its line; a file without a password keeps the password edit's text.
void TestBridgePages::wifiReadBack() {
    SettingsRig rig;
    QVERIFY(
        rig.dir.writeFile(kInstalled, "network={\r\n\tssid=\"say \"hi\" now\" # x\r\n\tproto=RSN\r\n}\r\n"));
    OtherNetworksWidget page;
    page.wifiPasswordEdit->setText("typed");
    page.show();
    QCOMPARE(page.wifiNameEdit->text(), QString("say \"hi\" now"));
    QCOMPARE(page.wifiPasswordEdit->text(), QString("typed"));
    // What the page writes it reads back the same, the raw key included.
    const QString hex(64, 'e');
    const WifiCredentials c = readWifiBlock(wifiBlock("车间", hex));
    QCOMPARE(c.name, QString("车间"));
    QCOMPARE(c.password, hex);
}

// A tap on the password field opens the full keyboard (a passphrase has letters), its field masked
// like the page's; the confirmed passphrase is kept and shown masked, and checked as before.
void TestBridgePages::wifiPasswordEntry() {
    SettingsRig rig;
    OtherNetworksWidget page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QCOMPARE(page.wifiPasswordEdit->echoMode(), QLineEdit::Password);
    bool fullKeyboard = false;
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    QTimer::singleShot(0, [&] {
        auto* kb = qobject_cast<FullKeyboard*>(QApplication::activeModalWidget());
        if (!kb) return;
        fullKeyboard = true;
        echo = kb->textEdit->echoMode();
        kb->textEdit->setText("Shop Floor 5a!");
        kb->confirmButton->click();
    });
    QTest::mouseClick(page.wifiPasswordEdit, Qt::LeftButton);
    QVERIFY(fullKeyboard);
    QCOMPARE(echo, QLineEdit::Password);
    QCOMPARE(page.wifiPasswordEdit->text(), QString("Shop Floor 5a!"));
    QVERIFY(validWifiPassword(page.wifiPasswordEdit->text()));
    QVERIFY(!validWifiPassword("short"));
}

// The client's rows: three of the four exist. Shown, the page reads them; updated, exactly those three
// change, the missing one is not created, and the bridge's flag asks for a client restart.
void TestBridgePages::serverRows() {
    SettingsRig rig;
    QVERIFY(QDir().mkpath("cnt_net"));
    QVERIFY(makeServerDb(
        "cnt_net/sysconf.db",
        {{"serverip_info", "10.0.0.1"}, {"serverip_file", "10.0.0.2"}, {"serverport_info", "8000"}}));
    OtherNetworksWidget page;
    page.show();
    QCOMPARE(page.infoServerEdit->text(), QString("10.0.0.1"));
    QCOMPARE(page.fileServerEdit->text(), QString("10.0.0.2"));
    QCOMPARE(page.infoPortEdit->text(), QString("8000"));
    QCOMPARE(page.filePortEdit->text(), QString());

    page.infoServerEdit->setText("192.168.3.1");
    page.fileServerEdit->setText("192.168.3.2");
    page.infoPortEdit->setText("8100");
    page.filePortEdit->setText("8200");
    rig.prompter.queueAnswer(false);
    page.serverButton->click();
    QCOMPARE(::serverRows("cnt_net/sysconf.db").value("serverip_info"), QString("10.0.0.1"));
    rig.prompter.queueAnswer(true);
    page.serverButton->click();
    QCOMPARE(rig.prompter.questions, (QStringList{lan(454), lan(454)}));
    QVERIFY(rig.prompter.warnings.isEmpty());
    const QMap<QString, QString> expected{{"serverip_info", "192.168.3.1"},
                                          {"serverip_file", "192.168.3.2"},
                                          {"serverport_info", "8100"},
                                          {"device_name", "press-3"}};
    QCOMPARE(::serverRows("cnt_net/sysconf.db"), expected);
}

void TestBridgePages::serverRowsRefused() {
    SettingsRig rig;
    {
        // Without the client's database nothing can be written: the operator is told so.
        OtherNetworksWidget page;
        page.infoServerEdit->setText("10.0.0.1");
        page.fileServerEdit->setText("10.0.0.2");
        page.infoPortEdit->setText("8000");
        page.filePortEdit->setText("8001");
        rig.prompter.queueAnswer(true);
        page.serverButton->click();
        QCOMPARE(rig.prompter.warnings.takeLast(), lan(754).arg("./cnt_net/sysconf.db"));
        QVERIFY(!QFile::exists("cnt_net/sysconf.db"));
        rig.prompter.questions.clear();
    }
    QVERIFY(QDir().mkpath("cnt_net"));
    QVERIFY(makeServerDb("cnt_net/sysconf.db", {{"serverip_info", "10.0.0.1"}, {"serverport_info", "8000"}}));
    OtherNetworksWidget page;
    page.show();
    const struct {
        const char *info, *port;
        int warning;
    } cases[] = {{"10.0.0.1' or '1'='1", "8000", 752},
                 {"256.1.1.1", "8000", 752},
                 {"10.0.0.9", "80a", 753},
                 {"10.0.0.9", "70000", 753}};
    for (const auto& c : cases) {
        page.infoServerEdit->setText(c.info);
        page.fileServerEdit->setText("10.0.0.3");
        page.infoPortEdit->setText(c.port);
        page.filePortEdit->setText("9000");
        page.serverButton->click();
        QCOMPARE(rig.prompter.warnings.takeLast(), lan(c.warning));
    }
    QVERIFY(rig.prompter.questions.isEmpty());
    QCOMPARE(::serverRows("cnt_net/sysconf.db").value("serverip_info"), QString("10.0.0.1"));
}

void TestBridgePages::recordTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");
    QTest::newRow("Chinese") << "张伟"
                             << "张伟";
    QTest::newRow("Latin-1 accents") << "José Müller"
                                     << "José Müller";
    // 100-byte fields: 40 three-byte characters are cut to the 33 that fit before the terminating zero.
    QTest::newRow("cut at a character") << QString(40, QChar(0x4EA7)) << QString(33, QChar(0x4EA7));
    QTest::newRow("ASCII cut") << QString(120, 'a') << QString(99, 'a');
}

// The technician's contact, the product name and the operator go into the record as UTF-8 and come
// back the same when the pages load again.
void TestBridgePages::recordTexts() {
    QFETCH(QString, text);
    QFETCH(QString, stored);
    SettingsRig rig;
    OtherNetworksWidget other;
    other.techNameEdit->setText(text);
    other.techPhoneEdit->setText(text);
    other.smsBox->setChecked(true);
    other.accept();
    DeviceParamsWidget device;
    device.productBox->addItem(text);
    device.operatorEdit->setText(text);
    device.cavityEdit->setText(" 12abc");
    device.capacityEdit->setText("abc");
    device.batchEdit->setText("-7");
    device.accept();
    QCOMPARE(QByteArray(gpWParaBak->CntNet_MsgTechName), stored.toUtf8());
    QCOMPARE(QByteArray(gpWParaBak->CntNet_Operator), stored.toUtf8());
    QCOMPARE(gpWParaBak->sms_on, 1);
    QCOMPARE(gpWParaBak->cavity_count, 12);
    QCOMPARE(gpWParaBak->product_count, 0);
    QCOMPARE(gpWParaBak->product_serial, -7);
    OtherNetworksWidget other2;
    other2.WizardParaInit();
    DeviceParamsWidget device2;
    device2.WizardParaInit();
    QCOMPARE(other2.techNameEdit->text(), stored);
    QCOMPARE(other2.techPhoneEdit->text(), stored);
    QCOMPARE(items(device2.productBox), QStringList{stored});
    QCOMPARE(device2.operatorEdit->text(), stored);
    QCOMPARE(device2.cavityEdit->text(), QString("12"));
    QCOMPARE(leadingInt("99999999999"), 2147483647);
    QCOMPARE(leadingInt(" -99999999999x"), int(-2147483648LL));
}

// Texts that reach the bridge's key=value messages keep their last good value when "&" or "=" is typed.
void TestBridgePages::keyValueEntryRefused() {
    SettingsRig rig;
    gpWParaBak->CntNet_Operator[0] = 0;
    qstrcpy(gpWParaBak->CntNet_Operator, "op-7");
    DeviceParamsWidget device;
    device.WizardParaInit();
    emit device.operatorEdit->entryAccepted("a&b=c");
    QCOMPARE(device.operatorEdit->text(), QString("op-7"));
    QCOMPARE(rig.prompter.warnings, QStringList{lan(755)});
    OtherNetworksWidget other;
    other.WizardParaInit();
    other.techNameEdit->setText("x=1");
    emit other.techNameEdit->entryAccepted("x=1");
    QCOMPARE(other.techNameEdit->text(), QString());
    QCOMPARE(rig.prompter.warnings.size(), 2);
}

void TestBridgePages::productReply_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("after");
    const QStringList cur{"cap-28"};
    QTest::newRow("empty result") << cur << R"({"result": []})" << cur;
    QTest::newRow("current first")
        << cur << R"({"result":[{"product_name":"lid"},{"product_name":"cap-28"},{"product_name":"瓶"}]})"
        << QStringList{"cap-28", "lid", "瓶"};
    QTest::newRow("current twice") << cur
                                   << R"({"result":[{"product_name":"cap-28"},{"PRODUCT_NAME":"cap-28"}]})"
                                   << QStringList{"cap-28", "cap-28"};
    QTest::newRow("member missing") << cur << R"({"result":[{"product_name":"lid"},{"name":"x"}]})" << cur;
    QTest::newRow("result missing") << cur << R"({"product":[{"product_name":"lid"}]})" << cur;
    QTest::newRow("not JSON") << cur << "<html>busy</html>" << cur;
    QTest::newRow("not a string") << cur << R"({"Result":[{"product_name":7}]})" << QStringList{"cap-28", ""};
    QTest::newRow("nothing chosen before")
        << QStringList() << R"({"result":[{"product_name":"lid"}]})" << QStringList{"lid"};
}

void TestBridgePages::productReply() {
    QFETCH(QStringList, before);
    QFETCH(QString, body);
    QFETCH(QStringList, after);
    SettingsRig rig;
    DeviceParamsWidget page;
    page.productBox->addItems(before);
    page.cnt_reset_product(body);
    QCOMPARE(items(page.productBox), after);
    QCOMPARE(page.productBox->currentIndex(), after.isEmpty() ? -1 : 0);
}

void TestBridgePages::remindReply_data() {
    QTest::addColumn<bool>("visible");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("after");
    const qint64 t = 1765430000000;
    const QString r1 = reminder("op-7", 0, 30, "Change nozzle"), r2 = reminder("张伟", t, 5, "清理模具"),
                  r3 = reminder("op-9", t + 1000, 0, "Oil");
    const QString row1 = "op-7|" + localText(0) + "|" + localText(60000) + "|30|Change nozzle";
    const QStringList old{"old|||1|x"};
    QTest::newRow("three in order")
        << true << "{\"result\":[" + r1 + "," + r2 + "," + r3 + "]}"
        << QStringList{row1, "张伟|" + localText(t) + "|" + localText(t + 60000) + "|5|清理模具",
                       "op-9|" + localText(t + 1000) + "|" + localText(t + 61000) + "|0|Oil"};
    QString broken = r2;
    broken.replace("\"duration\":5,", "");
    QTest::newRow("second incomplete")
        << true << "{\"result\":[" + r1 + "," + broken + "," + r3 + "]}" << QStringList{row1};
    QTest::newRow("while hidden") << false << "{\"result\":[" + r1 + "]}" << old;
    QTest::newRow("empty result") << true << R"({"result":[]})" << old;
    QTest::newRow("not JSON") << true << "result" << old;
}

void TestBridgePages::remindReply() {
    QFETCH(bool, visible);
    QFETCH(QString, body);
    QFETCH(QStringList, after);
    SettingsRig rig;
    MemorandumWidget page;
    page.model->appendRow({new QStandardItem("old"), new QStandardItem(), new QStandardItem(),
                           new QStandardItem("1"), new QStandardItem("x")});
    if (visible) page.show();
    page.cnt_reset_remind(body);
    QCOMPARE(rows(page.model), after);
}

// The reminder page's bar pages the table: a numbered button for each page there is, and the
// arrows and numbers move the table, pressed where they are on the screen.
void TestBridgePages::remindPages() {
    SettingsRig rig;
    MemorandumWidget page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    PageControlBar* bar = page.pageBar;
    QPushButton* numbered[4] = {bar->pageButton1, bar->pageButton2, bar->pageButton3, bar->pageButton4};
    for (QPushButton* b : numbered) QVERIFY(!b->isVisible());  // no reminders, no pages

    QStringList many;
    for (int i = 0; i < 60; ++i) many << reminder(QString("op-%1").arg(i), 0, i, "Oil");
    page.cnt_reset_remind("{\"result\":[" + many.join(',') + "]}");
    QCOMPARE(page.model->rowCount(), 60);
    const int perPage = bar->rowsPerPage(), pages = bar->pageCount();
    QVERIFY(pages >= 2);
    QCOMPARE(pages, (60 + perPage - 1) / perPage);
    for (int k = 0; k < 4; ++k) QCOMPARE(numbered[k]->isVisible(), k < pages);
    auto press = [&page](QWidget* w) {
        QTest::mouseClick(page.windowHandle(), Qt::LeftButton, {}, w->mapTo(&page, w->rect().center()));
    };
    press(bar->nextButton);
    QTRY_COMPARE(page.table->rowAt(0), perPage);
    QVERIFY(bar->pageButton2->isChecked());
    press(bar->lastButton);
    QTRY_COMPARE(bar->currentPage(), pages);
    QVERIFY(page.table->rowAt(0) > (pages - 2) * perPage);
    QVERIFY(pages > 4 || numbered[pages - 1]->isChecked());
    press(bar->previousButton);
    QTRY_COMPARE(page.table->rowAt(0), (pages - 2) * perPage);
    press(bar->pageButton1);
    QTRY_COMPARE(page.table->rowAt(0), 0);
    QVERIFY(bar->pageButton1->isChecked());
    press(bar->previousButton);  // already on the first page
    QCOMPARE(page.table->rowAt(0), 0);
}

void TestBridgePages::statisticsReset_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("no") << false;
    QTest::newRow("yes") << true;
}

void TestBridgePages::statisticsReset() {
    QFETCH(bool, yes);
    SettingsRig rig;
    for (const char* f : {"cnt_net/data/Statistics", "cnt_net/data/ManualStop", "cnt_net/cnt_fail/a.jpg",
                          "cnt_net/cnt_alarmimage/b.jpg", "cnt_net/data/Remind"})
        QVERIFY(rig.dir.writeFile(f, "x"));
    CNT_Net net;
    gpNet = &net;
    net.CNT_AddNgTimes(5000);
    DeviceParamsWidget page;
    rig.prompter.queueAnswer(yes);
    QTest::mouseClick(page.resetButton, Qt::LeftButton);
    gpNet = nullptr;
    // The bridge loaded its records again: without their files, the statistics start over.
    QCOMPARE(net.totalStopAlarmMs(), yes ? 0 : 5000);
    QCOMPARE(rig.prompter.questions, QStringList{lan(447)});
    QCOMPARE(QFile::exists("cnt_net/data/Statistics"), !yes);
    QCOMPARE(QFile::exists("cnt_net/data/ManualStop"), !yes);
    QCOMPARE(QFile::exists("cnt_net/cnt_fail"), !yes);
    QCOMPARE(QFile::exists("cnt_net/cnt_alarmimage"), !yes);
    QVERIFY(QFile::exists("cnt_net/data/Remind"));
    QCOMPARE(rig.commands(),
             yes ? (QStringList{"rm -rf ./cnt_net/cnt_alarmimage", "rm -rf ./cnt_net/cnt_tempimage",
                                "rm -rf ./cnt_net/cnt_fail"})
                 : QStringList());
    QVERIFY(rig.prompter.warnings.isEmpty());
}

QTEST_MAIN(TestBridgePages)
#include "tst_bridgepages.moc"
