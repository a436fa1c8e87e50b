// The bridge's records that survive a restart (manual stop, statistics, reminders), the statistics
// figures, and the network cards read from the system.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>

#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "netbridge/cnt_net.h"
#include "platform/system/sysclock.h"
#include "programdir.h"
#include "records/counters.h"

namespace {
bool writeParamDb(const QString& cntNet) {
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
        db.setDatabaseName("PARAM.db");
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec("CREATE TABLE sysparam (name TEXT PRIMARY KEY, value TEXT)");
            q.prepare("INSERT INTO sysparam VALUES ('CntNet', ?)");
            q.addBindValue(cntNet);
            ok = ok && q.exec();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase("fixture");
    return ok;
}

QJsonObject bodyOf(const QByteArray& message) {
    return QJsonDocument::fromJson(message.mid(message.indexOf(":..!") + 4)).object();
}

// A started bridge in a fresh program directory; the main window stand-in carries the run state.
struct Fixture {
    Fixture() {
        para.cnt_net_on = 1;
        qstrcpy(para.CntNet_Operator, "王工");
        gpWPara = &para;
        gpWin = &window;
        writeParamDb("1");
        CNT_Net::setListenPort(0);
    }
    ~Fixture() {
        net.reset();
        gpWin = nullptr;
        gpWPara = nullptr;
    }
    CNT_Net& start() {
        net = std::make_unique<CNT_Net>();
        return *net;
    }
    ProgramDir dir;
    WizardPara para;
    MainWindowBase window;
    std::unique_ptr<CNT_Net> net;
};
}  // namespace

class TestCntState : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void manualStopOverTime();
    void manualStopLoader_data();
    void manualStopLoader();
    void statisticsLoader_data();
    void statisticsLoader();
    void alarmsCountPerRegion();
    void statisticsFigures();
    void badKeyDropsTheTree();
    void stopDurationMean();
    void largeTreeSurvivesRestart();
    void statisticsFromAnotherThread();
    void failedWriteKeepsTheOldFile();
    void reminders();
    void netCards_data();
    void netCards();
    void macAddresses();
};

void TestCntState::cleanup() {
    SysClock::reset();
    numCamera = 0;
    resetCounterGlobals();
}

void TestCntState::manualStopOverTime() {
    Fixture f;
    CNT_Net& net = f.start();
    const QDate day(2026, 3, 2);
    SysClock::setFixed(QDateTime(day, QTime(8, 15)));
    f.window.RunState = 3;
    net.CNT_SendManualStop();
    QCOMPARE(net.manualStop().stop_check_timeslot, QString("08:15---:--"));
    QCOMPARE(net.manualStop().operator_id, QString("王工"));
    QCOMPARE(net.manualStop().disalarm_operator_id, QString("王工"));
    SysClock::setFixed(QDateTime(day, QTime(9, 30, 40)));
    f.window.RunState = 1;
    net.CNT_SendManualStop();
    QCOMPARE(net.manualStop().stop_check_timeslot, QString("08:15-09:30"));
    QCOMPARE(net.manualStop().stop_check_timelen, 75);
    // A second start without a stop changes neither.
    SysClock::setFixed(QDateTime(day, QTime(10, 0)));
    net.CNT_SendManualStop();
    QCOMPARE(net.manualStop().stop_check_timeslot, QString("08:15-09:30"));
    QCOMPARE(net.manualStop().stop_check_timelen, 75);
    // The file holds the very body of the last kind-10 message.
    const QList<QByteArray> sent = net.pendingMessages();
    QCOMPARE(sent.size(), 3);
    QCOMPARE(sent.last(), CNT_Net::frameMessage(10, f.dir.readFile("cnt_net/data/ManualStop")));
    const QJsonObject o = bodyOf(sent.last());
    QCOMPARE(o.keys().size(), 9);
    QCOMPARE(o.value("state").toInt(), 0);
    QCOMPARE(qint64(o.value("utc").toDouble()), QDateTime(day, QTime(8, 15)).toMSecsSinceEpoch());
    // Kind 11 names the operator of the record.
    net.CNT_SendDelTempPic(1, 1, "template0.bmp");
    QVERIFY(net.pendingMessages().last().endsWith("&operator=王工"));
    // A new bridge takes the record back.
    f.net.reset();
    CNT_Net& again = f.start();
    QCOMPARE(again.manualStop().stop_check_timeslot, QString("08:15-09:30"));
    QCOMPARE(again.manualStop().stop_check_timelen, 75);
}

void TestCntState::manualStopLoader_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("slot");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("fileKept");
    const QByteArray six = R"("utc": 5, "stop_check_timeslot": "07:00-07:10", "stop_check_timelen": 10,
        "timeout_time": 2, "operator_id": "a", "disalarm_operator_id": "b")";
    QTest::newRow("complete") << "{" + six + R"(, "stop_check_reason": "mould"})"
                              << "07:00-07:10"
                              << "mould" << true;
    // The six before the gap are taken, the file goes.
    QTest::newRow("reason missing") << "{" + six + "}"
                                    << "07:00-07:10"
                                    << "--" << false;
    QTest::newRow("not JSON") << QByteArray("{\"utc\": 5,") << ""
                              << "--" << true;
    QTest::newRow("text of the wrong type") << QByteArray(R"({"utc": 5, "stop_check_timeslot": 7})") << ""
                                            << "--" << false;
    // A number outside its field's range counts as missing (it would wrap or overflow).
    QTest::newRow("number out of range")
        << "{" + QByteArray(six).replace("\"utc\": 5", "\"utc\": 1e300") + "}"
        << ""
        << "--" << false;
    QTest::newRow("stopped minutes negative")
        << "{" +
               QByteArray(six).replace("\"stop_check_timelen\": 10", "\"stop_check_timelen\": -2147483648") +
               "}"
        << "07:00-07:10"  // the members before it are taken
        << "--" << false;
}

void TestCntState::manualStopLoader() {
    QFETCH(QByteArray, text);
    QFETCH(QString, slot);
    QFETCH(QString, reason);
    QFETCH(bool, fileKept);
    Fixture f;
    QVERIFY(f.dir.writeFile("cnt_net/data/ManualStop", text));
    CNT_Net& net = f.start();
    QCOMPARE(net.manualStop().stop_check_timeslot, slot);
    QCOMPARE(net.manualStop().stop_check_reason, reason);
    QCOMPARE(QFile::exists(f.dir.filePath("cnt_net/data/ManualStop")), fileKept);
}

void TestCntState::statisticsLoader_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("tree");  // camera:steps;... as loaded
    QTest::addColumn<bool>("fileKept");
    const QByteArray header = R"("product_name": "cap", "product_serial": "7", "products_num": 500,
        "start_utc": 1000, "real_produce": 4, "utc_watch_total": 9, "total_stop_alarm_timelen": 3,
        "watch_count_total": 12, "ng_count_total": 2, "ng_notification_rate": 1666, "watch_circle": 80)";
    const QByteArray det1 = R"({"time": 1, "ng_sum": 1, "produce": 1, "monitor_times": 1, "ok_num": 1,
        "ok_rate": 1, "not_ok_num": 1, "not_ok_rate": 1, "alarm": [
        {"alarm_area_num": 3, "alarm_algorithm_type": "----", "alarm_result": 4}]})";
    const QByteArray det2broken = R"({"time": 2, "ng_sum": 1})";
    const QByteArray cam = R"("disalarm_timeout_time": 1, "last_monitor_period": 0, "now_monitor_period": 0,
        "average_monitor_period": 0)";
    QTest::newRow("complete") << "{" + header + R"(, "camera": {"ng": [{"camera_id": "2", )" + cam +
                                     R"(, "ng_monitors": [)" + det1 + "]}]}}"
                              << "cap"
                              << "1:0" << true;
    QTest::newRow("header member missing")
        << QByteArray(R"({"product_name": "cap", "product_serial": "7"})") << "cap"
        << "" << false;
    // A broken camera and the ones after it are dropped; the file stays.
    QTest::newRow("camera without now_monitor_period")
        << "{" + header + R"(, "camera": {"ng": [{"camera_id": "1", )" + cam + R"(}, {"camera_id": "3",
            "disalarm_timeout_time": 1, "last_monitor_period": 0}, {"camera_id": "4", )" +
               cam + "}]}}"
        << "cap"
        << "0:" << true;
    // A broken detection is dropped, its camera kept.
    QTest::newRow("detection missing a member")
        << "{" + header + R"(, "camera": {"ng": [{"camera_id": "1", )" + cam + R"(, "ng_monitors": [)" +
               det1 + "," + det2broken + "]}]}}"
        << "cap"
        << "0:0" << true;
    // A step or region number outside the system's range drops that detection, as a missing one.
    QByteArray detWrapped = det1;
    detWrapped.replace("\"time\": 1", "\"time\": -2147483648");
    QByteArray areaWrapped = det1;
    areaWrapped.replace("\"alarm_area_num\": 3", "\"alarm_area_num\": 1e19");
    QTest::newRow("step number out of range") << "{" + header + R"(, "camera": {"ng": [{"camera_id": "1", )" +
                                                     cam + R"(, "ng_monitors": [)" + detWrapped + "]}]}}"
                                              << "cap"
                                              << "0:" << true;
    QTest::newRow("region number out of range")
        << "{" + header + R"(, "camera": {"ng": [{"camera_id": "1", )" + cam + R"(, "ng_monitors": [)" +
               areaWrapped + "]}]}}"
        << "cap"
        << "0:0" << true;
    QTest::newRow("not JSON") << QByteArray("{\"product_name\": ") << "no set"
                              << "" << true;
}

void TestCntState::statisticsLoader() {
    QFETCH(QByteArray, text);
    QFETCH(QString, product);
    QFETCH(QString, tree);
    QFETCH(bool, fileKept);
    Fixture f;
    QVERIFY(f.dir.writeFile("cnt_net/data/Statistics", text));
    CNT_Net& net = f.start();
    QCOMPARE(net.statistics().product_name, product);
    QStringList got;
    for (auto c = net.statistics().cameras.constBegin(); c != net.statistics().cameras.constEnd(); ++c) {
        QStringList steps;
        for (int k : c->detects.keys()) steps << QString::number(k);
        got << QString::number(c.key()) + ":" + steps.join(',');
    }
    QCOMPARE(got.join(';'), tree);
    QCOMPARE(QFile::exists(f.dir.filePath("cnt_net/data/Statistics")), fileKept);
    if (tree == "1:0") {
        QCOMPARE(net.statistics().cameras.value(1).detects.value(0).alarms.value(2).alarm_result, 4);
        QCOMPARE(net.statistics().watch_circle, qint64(80));
    }
}

void TestCntState::alarmsCountPerRegion() {
    Fixture f;
    CNT_Net& net = f.start();
    for (int i = 0; i < 3; ++i) net.ChkandAddStaticticsItem(0, 0, 4);
    net.ChkandAddStaticticsItem(0, 1, 0);
    numCamera = 1;
    net.CNT_SendStatistics("null");
    const QJsonArray cams =
        bodyOf(net.pendingMessages().last()).value("camera").toObject().value("ng").toArray();
    QCOMPARE(cams.size(), 1);
    QCOMPARE(cams.at(0).toObject().value("camera_id").toString(), QString("1"));
    const QJsonArray dets = cams.at(0).toObject().value("ng_monitors").toArray();
    QCOMPARE(dets.size(), 2);
    QCOMPARE(dets.at(0).toObject().value("time").toInt(), 1);
    const QJsonArray alarms = dets.at(0).toObject().value("alarm").toArray();
    QCOMPARE(alarms.size(), 1);
    QCOMPARE(alarms.at(0).toObject().value("alarm_area_num").toInt(), 5);
    QCOMPARE(alarms.at(0).toObject().value("alarm_result").toInt(), 3);
    QCOMPARE(alarms.at(0).toObject().value("alarm_algorithm_type").toString(), QString("----"));
}

void TestCntState::statisticsFigures() {
    Fixture f;
    const QDateTime t0(QDate(2026, 3, 2), QTime(6, 0));
    SysClock::setFixed(t0);
    CNT_Net& net = f.start();
    qstrcpy(f.para.CntNet_ProName, "盖子");
    f.para.product_serial = 42;
    f.para.product_count = 9000;
    f.para.cavity_count = 4;
    setCycleTimeSource([] { return 123; });
    // Counters of weeks of production: 32-bit products of them overflow.
    numCamera = 2;
    gAllNum[0] = 300000;
    gFailNum[0] = 1000;
    gAllNum[1] = 250000;
    gFailNum[1] = 250000;
    gAllNum[2] = 999999;  // not in use
    net.ChkandAddStaticticsItem(1, 0, 0);
    net.ChkandAddStaticticsItem(3, 0, 0);  // a camera whose counters are 0
    net.CNT_AddNgTimes(4000);
    net.CNT_AddNgTimes(2000);
    SysClock::setFixed(t0.addSecs(3600));
    f.window.RunState = 1;
    net.CNT_SendStatistics("/a/b.jpg");
    setCycleTimeSource(nullptr);
    const QByteArray msg = net.pendingMessages().last();
    QVERIFY(msg.startsWith("7:"));
    QCOMPARE(msg.mid(msg.indexOf(":..!") + 4), f.dir.readFile("cnt_net/data/Statistics"));
    const QJsonObject o = bodyOf(msg);
    QCOMPARE(o.value("state").toInt(), 0);
    QCOMPARE(o.value("product_name").toString(), QString("盖子"));
    QCOMPARE(o.value("product_serial").toString(), QString("42"));
    QCOMPARE(o.value("products_num").toInt(), 9000);
    QCOMPARE(o.value("watch_count_total").toDouble(), 300000.0);
    QCOMPARE(o.value("ng_count_total").toDouble(), 250000.0);
    QCOMPARE(o.value("ng_notification_rate").toDouble(), 8333.0);  // 250000 * 10000 / 300000
    QCOMPARE(o.value("real_produce").toDouble(), 200000.0);        // (300000 - 250000) * 4
    QCOMPARE(o.value("watch_circle").toDouble(), 12300.0);
    QCOMPARE(o.value("utc_watch_total").toDouble(), 3600000.0);
    QCOMPARE(o.value("total_stop_alarm_timelen").toDouble(), 6000.0);
    QCOMPARE(o.value("ng_image").toString(), QString("/a/b.jpg"));
    const QJsonArray cams = o.value("camera").toObject().value("ng").toArray();
    QCOMPARE(cams.size(), 2);
    const QJsonObject c1 = cams.at(0).toObject();
    QCOMPARE(c1.value("camera_id").toString(), QString("2"));
    QCOMPARE(c1.value("last_monitor_period").toDouble(), 6000.0);
    QCOMPARE(c1.value("now_monitor_period").toDouble(), 2000.0);
    QCOMPARE(c1.value("average_monitor_period").toDouble(), 3000.0);
    const QJsonObject d1 = c1.value("ng_monitors").toArray().at(0).toObject();
    QCOMPARE(d1.value("ok_rate").toInt(), 0);
    QCOMPARE(d1.value("not_ok_rate").toInt(), 10000);
    QCOMPARE(d1.value("produce").toInt(), 9000);
    // No inspection yet: rates 0.
    const QJsonObject d3 = cams.at(1).toObject().value("ng_monitors").toArray().at(0).toObject();
    QCOMPARE(d3.value("ok_rate").toInt(), 0);
    QCOMPARE(d3.value("not_ok_rate").toInt(), 0);
    // Product of kind 15 is that of the statistics record.
    net.CNT_SendSaveNgVideo(1, 1);
    QVERIFY(net.pendingMessages().last().contains("&product=盖子&"));
}

void TestCntState::badKeyDropsTheTree() {
    Fixture f;
    const QByteArray text = R"({"product_name": "cap", "product_serial": "7", "products_num": 500,
        "start_utc": 1000, "real_produce": 4, "utc_watch_total": 9, "total_stop_alarm_timelen": 3,
        "watch_count_total": 12, "ng_count_total": 2, "ng_notification_rate": 1666, "watch_circle": 80,
        "camera": {"ng": [{"camera_id": "9", "disalarm_timeout_time": 1, "last_monitor_period": 0,
        "now_monitor_period": 0, "average_monitor_period": 0}]}})";
    QVERIFY(f.dir.writeFile("cnt_net/data/Statistics", text));
    CNT_Net& net = f.start();
    QVERIFY(net.statistics().cameras.contains(8));
    net.CNT_SendStatistics("null");
    QVERIFY(net.pendingMessages().isEmpty());
    QVERIFY(!QFile::exists(f.dir.filePath("cnt_net/data/Statistics")));
    QCOMPARE(net.statistics().product_name, QString("no set"));
    // The next message goes out, built from a sound tree.
    net.CNT_SendStatistics("null");
    QCOMPARE(net.pendingMessages().size(), 1);
}

void TestCntState::stopDurationMean() {
    Fixture f;
    CNT_Net& net = f.start();
    QCOMPARE(net.CNT_AddCycle(), qint64(0));
    net.CNT_AddNgTimes(100000);  // the oldest, dropped once 101 are held
    for (int i = 0; i < 100; ++i) net.CNT_AddNgTimes(10);
    QCOMPARE(net.CNT_AddCycle(), qint64(10));
    QCOMPARE(net.totalStopAlarmMs(), qint64(101000));
}

void TestCntState::largeTreeSurvivesRestart() {
    Fixture f;
    CNT_Net& net = f.start();
    for (int c = 0; c < 8; ++c)
        for (int s = 0; s < 8; ++s)
            for (int r = 0; r < 10; ++r) net.ChkandAddStaticticsItem(c, s, r);
    numCamera = 8;
    net.CNT_SendStatistics("null");
    const QByteArray written = f.dir.readFile("cnt_net/data/Statistics");
    QVERIFY2(written.size() > 8191 * 4, QByteArray::number(written.size()));
    f.net.reset();
    CNT_Net& again = f.start();
    QCOMPARE(again.statistics().cameras.size(), 8);
    for (const auto& cam : again.statistics().cameras) {
        QCOMPARE(cam.detects.size(), 8);
        for (const auto& det : cam.detects) QCOMPARE(det.alarms.size(), 10);
    }
    again.CNT_SendStatistics("null");
    const QByteArray rewritten = f.dir.readFile("cnt_net/data/Statistics");
    // Same tree, only the times differ.
    auto tree = [](const QByteArray& t) {
        return QJsonDocument::fromJson(t).object().value("camera").toObject().value("ng").toArray();
    };
    QCOMPARE(tree(rewritten), tree(written));
}

void TestCntState::statisticsFromAnotherThread() {
    Fixture f;
    CNT_Net& net = f.start();
    numCamera = 1;
    // The image saver's thread asks; the record is changed on the bridge's own thread only.
    std::unique_ptr<QThread> saver(QThread::create([&net] { net.CNT_SendStatistics("/pic.jpg"); }));
    saver->start();
    QVERIFY(saver->wait(5000));
    QVERIFY(net.pendingMessages().isEmpty());
    QTRY_COMPARE(net.pendingMessages().size(), 1);
    QCOMPARE(bodyOf(net.pendingMessages().first()).value("ng_image").toString(), QString("/pic.jpg"));
}

void TestCntState::failedWriteKeepsTheOldFile() {
    Fixture f;
    CNT_Net& net = f.start();
    numCamera = 1;
    net.CNT_SendStatistics("first");
    const QByteArray before = f.dir.readFile("cnt_net/data/Statistics");
    QVERIFY(!before.isEmpty());
    // A full disk: no byte can be written. The old file stays whole.
    struct rlimit old;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit none = old;
    none.rlim_cur = 0;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &none), 0);
    net.CNT_SendStatistics("second");
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    QCOMPARE(f.dir.readFile("cnt_net/data/Statistics"), before);
    // The message still goes to the client.
    QCOMPARE(net.pendingMessages().size(), 2);
}

void TestCntState::reminders() {
    ProgramDir dir;
    QDir().mkpath("cnt_net/data");
    CNT_Path_Remind a;
    a.description = "oil the slide";
    const QByteArray first = a.object("dev");
    CNT_Path_Remind b;
    b.utc = 5;
    const QByteArray second = b.object("dev");
    QVERIFY(CNT_Path_Remind::SaveToFile(first.constData(), first.size()));
    QVERIFY(CNT_Path_Remind::SaveToFile(second.constData(), second.size()));
    QJsonArray list =
        QJsonDocument::fromJson(dir.readFile("cnt_net/data/Remind")).object().value("remind").toArray();
    QCOMPARE(list.size(), 2);
    QCOMPARE(list.at(0).toObject().value("description").toString(), QString("oil the slide"));
    QCOMPARE(qint64(list.at(0).toObject().value("notification_utc").toDouble()), 1520307723012LL + 151000);
    QCOMPARE(list.at(1).toObject().value("utc").toInt(), 5);
    // Not JSON: nothing added, the file still written.
    QVERIFY(CNT_Path_Remind::SaveToFile("{", 1));
    QCOMPARE(QJsonDocument::fromJson(dir.readFile("cnt_net/data/Remind"))
                 .object()
                 .value("remind")
                 .toArray()
                 .size(),
             2);
    // A document without "remind" is written back as it is.
    QVERIFY(dir.writeFile("cnt_net/data/Remind", R"({"other": 1})"));
    QVERIFY(CNT_Path_Remind::SaveToFile(first.constData(), first.size()));
    const QJsonObject kept = QJsonDocument::fromJson(dir.readFile("cnt_net/data/Remind")).object();
    QCOMPARE(kept.keys(), QStringList{"other"});
    // A long history is read whole.
    QVERIFY(dir.writeFile("cnt_net/data/Remind", R"({"remind": []})"));
    for (int i = 0; i < 60; ++i) QVERIFY(CNT_Path_Remind::SaveToFile(first.constData(), first.size()));
    QVERIFY(dir.readFile("cnt_net/data/Remind").size() > 8191);
    list = QJsonDocument::fromJson(dir.readFile("cnt_net/data/Remind")).object().value("remind").toArray();
    QCOMPARE(list.size(), 60);
}

void TestCntState::netCards_data() {
    QTest::addColumn<QByteArray>("interfaces");
    QTest::addColumn<QByteArray>("dev");
    QTest::addColumn<QStringList>("cards");  // name=address/mask/gateway, in name order
    const QByteArray dev =
        "Inter-|   Receive\n face |bytes\n    lo: 1 2\n  eth0: 3 4\n  eth1: 5 6\n wlan0: 7\n";
    const QString d = "192.168.0.5/255.255.255.0/192.168.0.1";
    QTest::newRow("five-line block")
        << QByteArray(
               "auto eth0\niface eth0 inet static\naddress 10.0.0.7\nnetmask 255.0.0.0\ngateway 10.0.0.1\n")
        << dev << QStringList{"eth0=10.0.0.7/255.0.0.0/10.0.0.1", "eth1=" + d, "wlan0=" + d};
    QTest::newRow("commented block") << QByteArray("#auto eth0\naddress 10.0.0.7\n") << dev
                                     << QStringList{"eth0=" + d, "eth1=" + d, "wlan0=" + d};
    QTest::newRow("staged file")
        << QByteArray(
               "auto lo\r\niface lo inet loopback\r\n\r\nauto eth0\niface eth0 inet static\n"
               "address 10.0.0.7\nnetmask 255.0.0.0\ngateway 10.0.0.1\n\nauto eth1\n"
               "iface eth1 inet static\naddress 10.1.0.7\nnetmask 255.255.0.0\ngateway 10.1.0.1\n\n")
        << dev
        << QStringList{"eth0=10.0.0.7/255.0.0.0/10.0.0.1", "eth1=10.1.0.7/255.255.0.0/10.1.0.1",
                       "wlan0=" + d};
    QTest::newRow("card not in the computer") << QByteArray("auto eth9\naddress 10.0.0.9\n") << dev
                                              << QStringList{"eth0=" + d, "eth1=" + d, "wlan0=" + d};
    QTest::newRow("wireless always default") << QByteArray("auto wlan0\naddress 10.0.0.8\n") << dev
                                             << QStringList{"eth0=" + d, "eth1=" + d, "wlan0=" + d};
    QTest::newRow("indented keyword keeps part of itself")
        << QByteArray("auto eth0\n  address 10.0.0.7\n") << QByteArray("  eth0: 1\n")
        << QStringList{"eth0=s 10.0.0.7/255.255.255.0/192.168.0.1"};
    QTest::newRow("no file") << QByteArray() << dev << QStringList{};
}

void TestCntState::netCards() {
    QFETCH(QByteArray, interfaces);
    QFETCH(QByteArray, dev);
    QFETCH(QStringList, cards);
    ProgramDir dir;
    if (!interfaces.isEmpty()) QVERIFY(dir.writeFile("sysroot/etc/network/interfaces", interfaces));
    QVERIFY(dir.writeFile("sysroot/proc/net/dev", dev));
    QStringList got;
    const QMap<QString, QStringList> map = CNT_Net::getNewNetCardInfo();
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) got << it.key() + "=" + it.value().join('/');
    QCOMPARE(got, cards);
}

void TestCntState::macAddresses() {
    ProgramDir dir;
    QVERIFY(dir.writeFile("sysroot/proc/net/dev", "    lo: 1\n  eth0: 2\n  eth1: 3\n"));
    QVERIFY(dir.writeFile("sysroot/sys/class/net/eth0/address", "00:11:22:33:44:55\n"));
    QVERIFY(dir.writeFile("sysroot/sys/class/net/lo/address", "00:00:00:00:00:00\n"));
    const QMap<QString, QString> macs = CNT_Net::getNetMac();
    QCOMPARE(macs.keys(), QStringList{"eth0"});  // no loopback, nothing for an unreadable address
    QCOMPARE(macs.value("eth0"), QString("00:11:22:33:44:55"));
}

QTEST_MAIN(TestCntState)
#include "tst_cntstate.moc"
