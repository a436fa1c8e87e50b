#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include "netbridge/cnt_net.h"
#include "programdir.h"

namespace {
bool writeParamDb(const QString& cntNet) {
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
        db.setDatabaseName("PARAM.db");
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec("CREATE TABLE sysparam (name TEXT PRIMARY KEY, value TEXT)");
            if (!cntNet.isNull()) {
                q.prepare("INSERT INTO sysparam VALUES ('CntNet', ?)");
                q.addBindValue(cntNet);
                ok = ok && q.exec();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase("fixture");
    return ok;
}

quint16 freePort() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}
}  // namespace

class TestCntNet : public QObject {
    Q_OBJECT
private slots:
    void bridgeSwitch_data();
    void bridgeSwitch();
    void restartOnlyWithScript();
    void whichSendSwitches();
    void framing();
};

void TestCntNet::bridgeSwitch_data() {
    QTest::addColumn<bool>("haveDb");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("started");
    QTest::newRow("no database") << false << QString() << false;
    QTest::newRow("no row") << true << QString() << false;
    QTest::newRow("off") << true << "0 1 2" << false;
    QTest::newRow("on") << true << "1 0 0" << true;
    QTest::newRow("garbage") << true << "x" << false;
}

void TestCntNet::bridgeSwitch() {
    QFETCH(bool, haveDb);
    QFETCH(QString, value);
    QFETCH(bool, started);
    ProgramDir dir;
    if (haveDb) QVERIFY(writeParamDb(value));
    QVERIFY(dir.writeFile("cnt_net/chknettimes", "3"));
    const quint16 port = freePort();
    CNT_Net::setListenPort(port);
    CNT_Net net;
    QCOMPARE(net.isStarted(), started);
    QCOMPARE(net.isListening(), started);
    QCOMPARE(QFileInfo::exists(dir.filePath("cnt_net/data")), started);
    QCOMPARE(QFileInfo::exists(dir.filePath("cnt_net/chknettimes")), !started);
    QVERIFY(!QFileInfo::exists(dir.filePath("PARAM.db")) == !haveDb);  // never created by the bridge
    if (started) {
        QCOMPARE(net.serverAddress(), QHostAddress(QHostAddress::LocalHost));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(client.waitForConnected(5000));
    }
}

void TestCntNet::restartOnlyWithScript() {
    ProgramDir dir;
    CNT_Net::CNT_ReStart();
    QVERIFY(dir.commands().isEmpty());
    QVERIFY(dir.writeFile("cnt_net/runNetClient.py", "print()"));
    CNT_Net::CNT_ReStart();
    QCOMPARE(dir.commands(), QStringList{"python3.4 ./cnt_net/runNetClient.py &"});
}

void TestCntNet::whichSendSwitches() {
    ProgramDir dir;
    QVERIFY(writeParamDb("1"));
    CNT_Net::setListenPort(freePort());
    QVERIFY(dir.writeFile("cnt_net/whichsend.config", R"({"8": false, "18": 0, "2": true})"));
    CNT_Net net;
    QVERIFY(net.isStarted());
    QVERIFY(!net.kindEnabled(SEND_ROI_PARAM));
    QVERIFY(net.kindEnabled(SEND_RESULT_ONCE));
    net.CNT_SendROIParam(0, 0);
    QVERIFY(net.pendingMessages().isEmpty());
    net.CNT_SendStatistics_Once({param_roi{1, 0, 3, 0, 12, 0, 10, 0}});
    QCOMPARE(net.pendingMessages().size(), 1);
    QVERIFY(net.pendingMessages().first().startsWith("18:"));
    QVERIFY(net.pendingMessages().first().contains("\"roi_id\":3"));

    // Not JSON: every kind stays on.
    QVERIFY(dir.writeFile("cnt_net/whichsend.config", "8 0"));
    CNT_Net::setListenPort(freePort());
    CNT_Net net2;
    QVERIFY(net2.kindEnabled(SEND_ROI_PARAM));
}

void TestCntNet::framing() {
    QCOMPARE(CNT_Net::frameMessage(5, "abc"), QByteArray("5:3:..!abc"));
    QCOMPARE(CNT_Net::frameMessage(14, ""), QByteArray("14:0:..!"));
    // The length counts UTF-8 bytes, not characters.
    QCOMPARE(CNT_Net::frameMessage(1, QString("温度").toUtf8()),
             QByteArray("1:6:..!") + QString("温度").toUtf8());
}

QTEST_GUILESS_MAIN(TestCntNet)
#include "tst_cntnet.moc"
