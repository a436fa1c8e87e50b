#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <arpa/inet.h>
#include <atomic>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "detect/cammersingleton.h"
#include "netbridge/cnt_net.h"
#include "platform/system/backgroundprocess.h"
#include "platform/system/commandrunner.h"
#include "platform/system/sysclock.h"
#include "platform/system/timing.h"
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

struct Frame {
    int kind = -1;
    QByteArray body;
};

// The network client's side: a loopback connection that splits what arrives into framed messages.
class Client {
public:
    explicit Client(quint16 port) {
        socket.connectToHost(QHostAddress::LocalHost, port);
        connected = socket.waitForConnected(5000);
    }
    // Messages received so far, complete ones only.
    QList<Frame>& frames() {
        buffer += socket.readAll();
        for (;;) {
            const int bang = buffer.indexOf(":..!");
            if (bang < 0) break;
            const QList<QByteArray> head = buffer.left(bang).split(':');
            if (head.size() != 2) break;
            const int len = head.at(1).toInt();
            if (buffer.size() < bang + 4 + len) break;
            received.append(Frame{head.at(0).toInt(), buffer.mid(bang + 4, len)});
            buffer.remove(0, bang + 4 + len);
        }
        return received;
    }
    void reply(const QByteArray& text) {
        socket.write(text);
        socket.flush();
    }
    QTcpSocket socket;
    bool connected = false;
    QByteArray buffer;
    QList<Frame> received;
};

// A started bridge on a port of its own, with a live record whose bridge switch is on.
struct Bridge {
    explicit Bridge(const QByteArray& whichSend = QByteArray()) {
        para.cnt_net_on = 1;
        para.video_share_mode = 0;
        gpWPara = &para;
        writeParamDb("1");
        if (!whichSend.isNull()) dir.writeFile("cnt_net/whichsend.config", whichSend);
        // Any free port, taken by the bridge itself: a port looked up first could be taken by a test
        // running beside this one before the bridge listens on it.
        CNT_Net::setListenPort(0);
        net = std::make_unique<CNT_Net>();
        port = net->serverPort();
        gpNet = net.get();
    }
    ~Bridge() {
        gpNet = nullptr;
        net.reset();
        gpWPara = nullptr;
    }
    ProgramDir dir;
    WizardPara para;
    quint16 port = 0;
    std::unique_ptr<CNT_Net> net;
};

QJsonObject parseObject(const QByteArray& body) {
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &err);
    return err.error == QJsonParseError::NoError ? doc.object() : QJsonObject();
}
}  // namespace

class TestCntNet : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void bridgeSwitch_data();
    void bridgeSwitch();
    void restartOnlyWithScript();
    void clientRestartsDoNotPileUp();
    void clientIgnoringSigtermIsEndedWithoutWaiting();
    void whichSendSwitches();
    void framing();
    // The sender thread and the client.
    void sendsOneAtATimeAndWaitsForAcknowledgement();
    void unacknowledgedMessageIsSentTwiceThenDropped();
    void replies_data();
    void replies();
    void replyStream_data();
    void replyStream();
    void replySplitAcrossReads();
    void replyFloodInOneRead();
    void replyFloodHandledInBoundedTurns();
    void queueIsBounded();
    void listenFailureLeavesBridgeDown();
    void acknowledgementWithNothingInFlightIsIgnored();
    void sessionAnswers_data();
    void sessionAnswers();
    void heartbeatCheck_data();
    void heartbeatCheck();
    void reconnectRequestRestartsClient();
    void queueSurvivesDisconnectAndNewestConnectionWins();
    // Message bodies.
    void keyValueBodies_data();
    void keyValueBodies();
    void parameterMessage();
    void regionMessage();
    void resultMessage();
    void cancelMessage();
};

void TestCntNet::cleanup() {
    SysClock::reset();
    clearTimeOverrides();
    setRoiStoreLookup(nullptr);
    gpWPara = nullptr;
    numCamera = 0;
    resetCounterGlobals();
    memset(gSerialNB, 0, sizeof(gSerialNB));
}

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
    CNT_Net::setListenPort(0);  // any free port
    CNT_Net net;
    const quint16 port = net.serverPort();
    QCOMPARE(net.isStarted(), started);
    QCOMPARE(net.isListening(), started);
    QCOMPARE(QFileInfo::exists(dir.filePath("cnt_net/data")), started);
    QCOMPARE(QFileInfo::exists(dir.filePath("cnt_net/chknettimes")), !started);
    QVERIFY(!QFileInfo::exists(dir.filePath("PARAM.db")) == !haveDb);  // never created by the bridge
    // A down bridge has no kind switched on, so its senders queue nothing.
    net.CNT_SendAlarmPic("x");
    QCOMPARE(net.pendingMessages().size(), started ? 1 : 0);
    if (started) {
        QCOMPARE(net.serverAddress(), QHostAddress(QHostAddress::LocalHost));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(client.waitForConnected(5000));
        QTRY_VERIFY(net.isConnected());
    }
}

void TestCntNet::restartOnlyWithScript() {
    ProgramDir dir;
    CNT_Net::CNT_ReStart();
    QVERIFY(dir.commands().isEmpty());
    QVERIFY(dir.writeFile("cnt_net/runNetClient.py", "print()"));
    CNT_Net::CNT_ReStart();
    QCOMPARE(dir.commands(), QStringList{"python3 ./cnt_net/runNetClient.py &"});
}

void TestCntNet::clientRestartsDoNotPileUp() {
    // A client that hangs is restarted every minute: each start ends the previous process first.
    ProgramDir dir;
    QVERIFY(dir.writeFile("cnt_net/runNetClient.py", "import time\ntime.sleep(60)\n"));
    CommandRunner::instance().setMode(CommandRunner::Mode::Execute);
    BackgroundProcess client;
    const QStringList args{"./cnt_net/runNetClient.py"};
    const bool started = client.restart("python3", args);
    CommandRunner::instance().reset();
    if (!started) QSKIP("no python3 here");
    const qint64 first = client.pid();
    QTRY_VERIFY(client.running());
    CommandRunner::instance().setMode(CommandRunner::Mode::Execute);
    QVERIFY(client.restart("python3", args));
    CommandRunner::instance().reset();
    QVERIFY(client.pid() != first);
    QTRY_VERIFY(client.running());
    auto cmdline = [](qint64 pid) {
        QFile f(QString("/proc/%1/cmdline").arg(pid));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    QTRY_VERIFY(!cmdline(first).contains("runNetClient.py"));  // the first one is gone
    client.stop();
    QVERIFY(!client.running());
}

// A client that ignores SIGTERM: the restart returns at once while the old client still runs; the
// event loop goes on, SIGKILL ends the old one after the grace time and the new one starts then. A
// second restart asked for meanwhile replaces the waiting one.
void TestCntNet::clientIgnoringSigtermIsEndedWithoutWaiting() {
    ProgramDir dir;
    // The marker says the trap is set: a SIGTERM before that would still end the shell.
    QVERIFY(dir.writeFile("stubborn.sh", "trap '' TERM\necho $$ >> trapped\nwhile :; do sleep 0.2; done\n"));
    auto trapped = [] {
        QFile f("trapped");
        return f.open(QIODevice::ReadOnly) ? f.readAll().count('\n') : 0;
    };
    const QStringList args{"./stubborn.sh"};
    auto isClient = [](qint64 pid) {
        QFile f(QString("/proc/%1/cmdline").arg(pid));
        return pid > 0 && f.open(QIODevice::ReadOnly) && f.readAll().contains("stubborn.sh");
    };
    BackgroundProcess client;
    CommandRunner::instance().setMode(CommandRunner::Mode::Execute);
    const bool started = client.restart("sh", args);
    CommandRunner::instance().reset();
    QVERIFY(started);
    QTRY_VERIFY(client.running());
    QTRY_COMPARE(trapped(), 1);
    const qint64 first = client.pid();
    int ticks = 0;
    QTimer tick;
    connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(5);

    CommandRunner::instance().setMode(CommandRunner::Mode::Execute);
    QVERIFY(client.restart("sh", args));
    QVERIFY(client.restart("sh", args));
    CommandRunner::instance().reset();
    QVERIFY(isClient(first));  // not waited for: it ignores SIGTERM and still runs
    QVERIFY(client.busy());
    QVERIFY(!client.running());
    QTRY_VERIFY(!isClient(first));
    QTRY_VERIFY(!QFile::exists(QString("/proc/%1").arg(first)));  // collected: no zombie left
    QTRY_VERIFY(client.running());
    QVERIFY(ticks > 0);
    const qint64 second = client.pid();
    QVERIFY(second != first);
    QTRY_COMPARE(trapped(), 2);
    client.stop();
    QVERIFY(isClient(second));
    QTRY_VERIFY(!isClient(second));
    QTRY_VERIFY(!client.busy());
    QVERIFY(!QFile::exists(QString("/proc/%1").arg(second)));
    QVERIFY(!client.running());
    QCOMPARE(client.pid(), 0);
}

void TestCntNet::whichSendSwitches() {
    {
        Bridge b(R"({"7": false, "9": 0, "18": 0, "8": false, "2": true, "14": null})");
        QVERIFY(b.net->isStarted());
        QVERIFY(!b.net->kindEnabled(SEND_STATISTICS));
        QVERIFY(!b.net->kindEnabled(SEND_ROI_PARAM));
        QVERIFY(b.net->kindEnabled(SEND_MEMORY_INFO));
        QVERIFY(b.net->kindEnabled(SEND_RESULT_ONCE));
        QVERIFY(b.net->kindEnabled(SEND_GET_PRODUCT));
        QVERIFY(b.net->kindEnabled(SEND_NONE));
        b.net->CNT_SendStatistics("null");
        QVERIFY(b.net->pendingMessages().isEmpty());
        b.net->CNT_SendStatistics_Once({param_roi{0, 0, 3, 0, 12, 0, 10, 0}}, true, 1);
        QCOMPARE(b.net->pendingMessages().size(), 1);
        QVERIFY(b.net->pendingMessages().first().startsWith("18:"));
    }
    // Not JSON: every kind stays on.
    Bridge b2("8 0");
    for (int k = 0; k <= SEND_TYPE_MAX; ++k) QVERIFY(b2.net->kindEnabled(k));
}

void TestCntNet::framing() {
    QCOMPARE(CNT_Net::frameMessage(5, "abc"), QByteArray("5:3:..!abc"));
    QCOMPARE(CNT_Net::frameMessage(14, ""), QByteArray("14:0:..!"));
    // The length counts UTF-8 bytes, not characters.
    QCOMPARE(CNT_Net::frameMessage(1, QString("检测").toUtf8()),
             QByteArray("1:6:..!") + QString("检测").toUtf8());
}

void TestCntNet::sendsOneAtATimeAndWaitsForAcknowledgement() {
    Bridge b;
    Client c(b.port);
    QVERIFY(c.connected);
    QTRY_VERIFY(b.net->isConnected());
    b.net->CNT_SendAlarmPic("abc");
    b.net->CNT_SendTempPic(QString("检测"));
    QTRY_COMPARE(c.frames().size(), 1);
    QCOMPARE(c.frames().first().kind, 5);
    QCOMPARE(c.frames().first().body, QByteArray("abc"));
    // The raw bytes on the wire, header included.
    QVERIFY(c.buffer.isEmpty());
    // Nothing more before the acknowledgement.
    QTest::qWait(200);
    QCOMPARE(c.frames().size(), 1);
    c.reply("/back/\r\n\r\n");
    QTRY_COMPARE(c.frames().size(), 2);
    QCOMPARE(c.frames().at(1).kind, 6);
    QCOMPARE(QString::fromUtf8(c.frames().at(1).body), QString("检测"));
    c.reply("/back/\r\n\r\n");
    QTRY_VERIFY(b.net->pendingMessages().isEmpty());
    // The next message starts the sender again.
    b.net->CNT_SendGetProduct();
    QTRY_COMPARE(c.frames().size(), 3);
    QCOMPARE(c.frames().at(2).kind, 14);
    QVERIFY(c.frames().at(2).body.isEmpty());
}

void TestCntNet::unacknowledgedMessageIsSentTwiceThenDropped() {
    Bridge b;
    setTimeOverride("net.ackWait", 150);
    Client c(b.port);
    QVERIFY(c.connected);
    QTRY_VERIFY(b.net->isConnected());
    b.net->CNT_SendAlarmPic("first");
    b.net->CNT_SendAlarmPic("second");
    QTRY_VERIFY_WITH_TIMEOUT(b.net->pendingMessages().isEmpty(), 10000);
    // Written before it was dropped; what the client has read by now depends on the machine's load.
    QTRY_COMPARE_WITH_TIMEOUT(c.frames().size(), 4, 10000);
    QStringList bodies;
    for (const Frame& f : c.frames()) bodies << QString::fromUtf8(f.body);
    QCOMPARE(bodies, (QStringList{"first", "first", "second", "second"}));
}

void TestCntNet::replies_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("removesHead");
    QTest::newRow("acknowledgement") << QByteArray("/back/\r\n\r\n") << true;
    QTest::newRow("acknowledgement with more head lines")
        << QByteArray("HTTP /back/ 1\r\nx: y\r\n\r\nbody") << true;
    // Several replies in one read are each taken.
    QTest::newRow("three parts") << QByteArray("/back/\r\n\r\nx\r\n\r\ny") << true;
    QTest::newRow("two replies in one read") << QByteArray("/heart/\r\n\r\n/back/\r\n\r\n") << true;
    QTest::newRow("marker in a later line") << QByteArray("x\r\n/back/\r\n\r\n") << false;
    QTest::newRow("no separator") << QByteArray("/back/") << false;
    QTest::newRow("upper case") << QByteArray("/BACK/\r\n\r\n") << false;
}

void TestCntNet::replies() {
    QFETCH(QByteArray, reply);
    QFETCH(bool, removesHead);
    Bridge b;
    Client c(b.port);
    QVERIFY(c.connected);
    QTRY_VERIFY(b.net->isConnected());
    b.net->CNT_SendAlarmPic("one");
    b.net->CNT_SendAlarmPic("two");
    QTRY_COMPARE(c.frames().size(), 1);
    b.net->ParsingBackBuf(QString::fromUtf8(reply));
    QCOMPARE(b.net->pendingMessages().size(), removesHead ? 1 : 2);
    QCOMPARE(b.net->pendingMessages().first(), CNT_Net::frameMessage(5, removesHead ? "two" : "one"));
}

void TestCntNet::replyStream_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("replies");
    QTest::newRow("acknowledgement") << QByteArray("/back/\r\n\r\n") << QStringList{"ack"};
    QTest::newRow("marker anywhere in the first line")
        << QByteArray("HTTP /back/ 1\r\nx: y\r\n\r\n") << QStringList{"ack"};
    // Answers (no marker in the first line) that nothing follows yet: their body may still come.
    QTest::newRow("marker in a later line") << QByteArray("x\r\n/back/\r\n\r\n") << QStringList{};
    QTest::newRow("upper case") << QByteArray("/BACK/\r\n\r\n/heart/\r\n\r\n")
                                << QStringList{"answer 0 ", "heart"};
    QTest::newRow("no blank line yet") << QByteArray("/heart/") << QStringList{};
    QTest::newRow("three replies") << QByteArray("/back/\r\n\r\n/heart/\r\n\r\n/reline/\r\n\r\n")
                                   << QStringList{"ack", "heart", "reline"};
    QTest::newRow("line end between replies")
        << QByteArray("/back/\r\n\r\n\r\n/heart/\r\n\r\n") << QStringList{"ack", "heart"};
    QTest::newRow("product list, then a heartbeat")
        << QByteArray("A\r\nSessionId:14\r\n\r\n{\"p\": [1, {\"n\": \"}]\\\"{\"}]}/heart/\r\n\r\n")
        << QStringList{"answer 14 {\"p\": [1, {\"n\": \"}]\\\"{\"}]}", "heart"};
    QTest::newRow("reminder list") << QByteArray("SessionId:17\r\n\r\n{}") << QStringList{"answer 17 {}"};
    QTest::newRow("list answer with no body before the next reply")
        << QByteArray("SessionId:14\r\n\r\n/back/\r\n\r\n") << QStringList{"answer 14 ", "ack"};
    QTest::newRow("later SessionId wins")
        << QByteArray("x\r\nSessionId:14\r\nSessionId:17\r\n\r\n[]") << QStringList{"answer 17 []"};
    QTest::newRow("SessionId not a number")
        << QByteArray("x\r\nSessionId:17x\r\n\r\n{}") << QStringList{"answer 0 {}"};
    QTest::newRow("SessionId with two colons")
        << QByteArray("x\r\nSessionId:14:1\r\n\r\n{}") << QStringList{"answer 0 {}"};
    QTest::newRow("list body still coming")
        << QByteArray("x\r\nSessionId:14\r\n\r\n{\"a\": [") << QStringList{};
}

void TestCntNet::replyStream() {
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, replies);
    auto text = [](const CNT_ReplyReader::Reply& r) {
        switch (r.type) {
            case CNT_ReplyReader::Ack:
                return QString("ack");
            case CNT_ReplyReader::Heart:
                return QString("heart");
            case CNT_ReplyReader::Reline:
                return QString("reline");
            default:
                return QString("answer %1 %2").arg(r.session).arg(QString::fromUtf8(r.body));
        }
    };
    // Whole, cut once at every position, and byte by byte: the same replies.
    QList<QList<QByteArray>> cuts;
    cuts.append({stream});
    for (int at = 1; at < stream.size(); ++at) cuts.append({stream.left(at), stream.mid(at)});
    QList<QByteArray> bytes;
    for (char ch : stream) bytes.append(QByteArray(1, ch));
    cuts.append(bytes);
    for (const QList<QByteArray>& chunks : cuts) {
        CNT_ReplyReader reader;
        QStringList got;
        for (const QByteArray& chunk : chunks) {
            reader.feed(chunk);
            CNT_ReplyReader::Reply r;
            while (reader.next(&r)) got << text(r);
        }
        QCOMPARE(got, replies);
    }
}

void TestCntNet::replySplitAcrossReads() {
    Bridge b;
    QSignalSpy products(b.net.get(), &CNT_Net::productListReceived);
    Client c(b.port);
    QVERIFY(c.connected);
    QTRY_VERIFY(b.net->isConnected());
    b.net->CNT_SendAlarmPic("one");
    b.net->CNT_SendAlarmPic("two");
    QTRY_COMPARE(c.frames().size(), 1);
    // An acknowledgement in two reads is still one acknowledgement.
    c.reply("/ba");
    QTest::qWait(100);
    c.reply("ck/\r\n\r\nA\r\nSessionId:14\r\n\r\n{\"product\": ");
    QTRY_COMPARE(c.frames().size(), 2);
    QCOMPARE(c.frames().at(1).body, QByteArray("two"));
    QTest::qWait(100);
    QCOMPARE(products.size(), 0);
    c.reply("[\"cap\"]}");
    QTRY_COMPARE(products.size(), 1);
    QCOMPARE(products.first().first().toString(), QString("{\"product\": [\"cap\"]}"));
}

void TestCntNet::replyFloodInOneRead() {
    // 200,000 heartbeats and an answer in one read: every one of them, in order.
    const int hearts = 200000;
    QByteArray flood;
    for (int i = 0; i < hearts; ++i) flood += "/heart/\r\n\r\n";
    flood += "A\r\nSessionId:17\r\n\r\n{\"r\": []}";
    CNT_ReplyReader reader;
    reader.feed(flood);
    int seen = 0;
    CNT_ReplyReader::Reply r;
    while (reader.next(&r) && r.type == CNT_ReplyReader::Heart) ++seen;
    QCOMPARE(seen, hearts);
    QCOMPARE(r.type, CNT_ReplyReader::Answer);
    QCOMPARE(r.session, 17);
    QCOMPARE(r.body, QByteArray("{\"r\": []}"));
    QVERIFY(!reader.next(&r));
    QCOMPARE(reader.buffered(), 0);

    // A large answer in 10-byte reads, with a heartbeat read with its last piece: one answer, whole.
    QByteArray body = "{\"products\": [";
    for (int i = 0; body.size() < 1000000; ++i)
        body += QByteArray("{\"name\": \"cap-") + QByteArray::number(i) + "\"},";
    body += "{\"name\": \"]}\\\"\"}]}";
    const QByteArray answer = "A\r\nSessionId:14\r\n\r\n" + body + "/heart/\r\n\r\n";
    CNT_ReplyReader pieces;
    QList<CNT_ReplyReader::Reply> got;
    for (int at = 0; at < answer.size(); at += 10) {
        pieces.feed(answer.mid(at, 10));
        while (pieces.next(&r)) got << r;
        if (got.isEmpty()) QVERIFY(pieces.buffered() == at + qMin(10, answer.size() - at));
    }
    QCOMPARE(got.size(), 2);
    QCOMPARE(got.at(0).session, 14);
    QCOMPARE(got.at(0).body, body);
    QCOMPARE(got.at(1).type, CNT_ReplyReader::Heart);
    QCOMPARE(pieces.discarded(), qint64(0));
}

void TestCntNet::replyFloodHandledInBoundedTurns() {
    // A client writes 400,000 heartbeats (4.4 MB, more than the socket's read buffer) as fast as the
    // connection takes them, then an answer: they are handled a bounded number per turn of the event
    // loop (a timer of the loop sees every turn), all of them, and the answer after them arrives.
    Bridge b;
    QSignalSpy products(b.net.get(), &CNT_Net::productListReceived);
    const int hearts = 400000;
    QByteArray flood;
    flood.reserve(hearts * 11 + 32);
    for (int i = 0; i < hearts; ++i) flood += "/heart/\r\n\r\n";
    flood += "A\r\nSessionId:14\r\n\r\n[\"cap\"]";
    std::atomic<bool> done{false};
    const quint16 port = b.port;
    const qint64 before = b.net->repliesHandled();
    std::thread writer([&] {
        // Blocking writes from a thread of its own, as a client process would make them.
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
            for (int sent = 0; sent < flood.size();) {
                const ssize_t n = ::write(fd, flood.constData() + sent, size_t(flood.size() - sent));
                if (n <= 0) break;
                sent += int(n);
            }
            while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (fd >= 0) ::close(fd);
    });
    QList<qint64> turns;
    QTimer probe;
    probe.setInterval(0);
    connect(&probe, &QTimer::timeout, [&] { turns << b.net->repliesHandled(); });
    probe.start();
    // The event loop runs freely (QTest's waits sleep between their turns).
    QEventLoop loop;
    connect(b.net.get(), &CNT_Net::productListReceived, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    const bool answered = products.size() == 1;
    probe.stop();
    done = true;
    writer.join();
    QVERIFY2(answered, qPrintable(QString("%1 replies handled").arg(b.net->repliesHandled() - before)));
    QCOMPARE(products.first().first().toString(), QString("[\"cap\"]"));
    QCOMPARE(b.net->repliesHandled() - before, qint64(hearts + 1));
    qint64 most = 0;
    for (int i = 1; i < turns.size(); ++i) most = qMax(most, turns.at(i) - turns.at(i - 1));
    QVERIFY2(most <= 2 * CNT_Net::kRepliesPerTurn, qPrintable(QString::number(most)));
    QVERIFY(turns.size() > hearts / (2 * CNT_Net::kRepliesPerTurn));
}

void TestCntNet::queueIsBounded() {
    // No client for a long time: the queue keeps the newest messages only, and counts the others.
    Bridge b;
    const int extra = 5;
    for (int i = 0; i < CNT_Net::kMaxQueued + extra; ++i)
        b.net->CNT_SendRecord(QDateTime::fromMSecsSinceEpoch(i), "op", QString::number(i));
    const QList<QByteArray> q = b.net->pendingMessages();
    QCOMPARE(q.size(), CNT_Net::kMaxQueued);
    QCOMPARE(b.net->droppedMessages(), qint64(extra));
    QVERIFY(q.first().endsWith("&description=" + QByteArray::number(extra)));
    QVERIFY(q.last().endsWith("&description=" + QByteArray::number(CNT_Net::kMaxQueued + extra - 1)));

    // The message in flight is never the one dropped.
    Client c(b.port);
    QVERIFY(c.connected);
    QTRY_COMPARE(c.frames().size(), 1);
    b.net->CNT_SendRecord(QDateTime::fromMSecsSinceEpoch(0), "op", "new");
    QCOMPARE(b.net->pendingMessages().first(), q.first());
    QVERIFY(b.net->pendingMessages().at(1) != q.at(1));
    QCOMPARE(b.net->droppedMessages(), qint64(extra + 1));
}

void TestCntNet::listenFailureLeavesBridgeDown() {
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
    ProgramDir dir;
    WizardPara para;
    para.cnt_net_on = 1;
    gpWPara = &para;
    QVERIFY(writeParamDb("1"));
    CNT_Net::setListenPort(taken.serverPort());
    CNT_Net net;
    QVERIFY(!net.isStarted());
    QVERIFY(!net.listenError().isEmpty());
    net.CNT_SendAlarmPic("x");
    QVERIFY(net.pendingMessages().isEmpty());
}

void TestCntNet::acknowledgementWithNothingInFlightIsIgnored() {
    // Records are queued while no client is connected; an acknowledgement must not take one of them.
    Bridge b;
    b.net->CNT_SendRecord(QDateTime::fromMSecsSinceEpoch(1000), "op", "a");
    b.net->ParsingBackBuf("/back/\r\n\r\n");
    QCOMPARE(b.net->pendingMessages().size(), 1);
    // The next client gets it, acknowledged or not.
    Client c(b.port);
    QVERIFY(c.connected);
    QTRY_COMPARE(c.frames().size(), 1);
    QCOMPARE(c.frames().first().kind, 1);
    QVERIFY(c.frames().first().body.endsWith("&description=a"));
}

void TestCntNet::sessionAnswers_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("products");
    QTest::addColumn<int>("reminders");
    QTest::newRow("product list") << QByteArray("HTTP/1.1 200\r\nSessionId:14\r\n\r\n{\"a\":1}") << 1 << 0;
    QTest::newRow("reminder list") << QByteArray("SessionId:17\r\n\r\n{}") << 0 << 1;
    QTest::newRow("later line wins") << QByteArray("x\r\nSessionId:14\r\nSessionId:17\r\n\r\n{}") << 0 << 1;
    QTest::newRow("not a number") << QByteArray("x\r\nSessionId:17x\r\n\r\n{}") << 0 << 0;
    QTest::newRow("two colons") << QByteArray("x\r\nSessionId:14:1\r\n\r\n{}") << 0 << 0;
    QTest::newRow("other session") << QByteArray("x\r\nSessionId:7\r\n\r\n{}") << 0 << 0;
}

void TestCntNet::sessionAnswers() {
    QFETCH(QByteArray, reply);
    QFETCH(int, products);
    QFETCH(int, reminders);
    Bridge b;
    QSignalSpy p(b.net.get(), &CNT_Net::productListReceived);
    QSignalSpy r(b.net.get(), &CNT_Net::remindListReceived);
    // Through the socket, as one read.
    Client c(b.port);
    QVERIFY(c.connected);
    QTRY_VERIFY(b.net->isConnected());
    c.reply(reply);
    if (products + reminders == 0) {
        QTest::qWait(200);
    } else {
        QTRY_COMPARE(p.size() + r.size(), 1);
    }
    QCOMPARE(p.size(), products);
    QCOMPARE(r.size(), reminders);
    const QSignalSpy& got = products ? p : r;
    if (!got.isEmpty())
        QCOMPARE(got.first().first().toString(), QString::fromUtf8(reply.mid(reply.indexOf("\r\n\r\n") + 4)));
}

void TestCntNet::heartbeatCheck_data() {
    QTest::addColumn<bool>("client");
    QTest::addColumn<qint64>("silentMs");
    QTest::addColumn<bool>("alive");
    QTest::newRow("59000 ms") << true << qint64(59000) << true;
    QTest::newRow("59001 ms") << true << qint64(59001) << false;
    // A fresh heartbeat time keeps nobody alive once the client has gone.
    QTest::newRow("no client, 1000 ms") << false << qint64(1000) << false;
}

void TestCntNet::heartbeatCheck() {
    QFETCH(bool, client);
    QFETCH(qint64, silentMs);
    QFETCH(bool, alive);
    const QDateTime t0 = QDateTime::fromMSecsSinceEpoch(1700000000000LL);
    Bridge b;
    QVERIFY(b.dir.writeFile("cnt_net/runNetClient.py", "print()"));
    std::unique_ptr<Client> c;
    if (client) {
        c = std::make_unique<Client>(b.port);
        QVERIFY(c->connected);
        QTRY_VERIFY(b.net->isConnected());
    }
    SysClock::setFixed(t0);
    b.net->ParsingBackBuf("/heart/\r\n\r\n");
    QCOMPARE(b.net->isConnected(), client);
    const int before = b.dir.commands().size();
    SysClock::setFixed(t0.addMSecs(silentMs));
    b.net->CheckHeartbeat();
    QCOMPARE(b.net->isConnected(), alive);
    QCOMPARE(b.dir.commands().size() - before, silentMs > 59000 ? 1 : 0);
    QCOMPARE(b.net->lastHeartbeat(), t0.addMSecs(silentMs));
    // A heartbeat reply makes a dead client alive again, if there is one.
    b.net->ParsingBackBuf("/heart/\r\n\r\n");
    QCOMPARE(b.net->isConnected(), client);
    // Messages are not queued for nobody: the callers test the flag.
    QCOMPARE(CNT_ClientReady(), client);
}

void TestCntNet::reconnectRequestRestartsClient() {
    Bridge b;
    QVERIFY(b.dir.writeFile("cnt_net/runNetClient.py", "print()"));
    Client c(b.port);
    QVERIFY(c.connected);
    QTRY_VERIFY(b.net->isConnected());
    const int before = b.dir.commands().size();
    c.reply("/reline/\r\n\r\n");
    QTRY_VERIFY(!b.net->isConnected());
    QCOMPARE(b.dir.commands().mid(before), QStringList{"python3 ./cnt_net/runNetClient.py &"});
    // With the bridge switched off in the live record nothing is started.
    b.para.cnt_net_on = 0;
    b.net->ParsingBackBuf("/reline/\r\n\r\n");
    QCOMPARE(b.dir.commands().size(), before + 1);
}

void TestCntNet::queueSurvivesDisconnectAndNewestConnectionWins() {
    Bridge b;
    auto first = std::make_unique<Client>(b.port);
    QVERIFY(first->connected);
    QTRY_VERIFY(b.net->isConnected());
    b.net->CNT_SendAlarmPic("kept");
    QTRY_COMPARE(first->frames().size(), 1);
    // The client goes while its message waits for the acknowledgement: nothing crashes, the
    // message stays for the next client.
    first->socket.abort();
    first.reset();
    QTRY_VERIFY(!b.net->isConnected());
    QCOMPARE(b.net->pendingMessages().size(), 1);

    Client second(b.port);
    QVERIFY(second.connected);
    QTRY_COMPARE(second.frames().size(), 1);
    QCOMPARE(second.frames().first().body, QByteArray("kept"));
    // A third connection replaces the second; the second closing later leaves the third in place.
    Client third(b.port);
    QVERIFY(third.connected);
    QTRY_COMPARE(third.frames().size(), 1);  // sent again to the new client
    second.socket.disconnectFromHost();
    QTest::qWait(100);
    QVERIFY(b.net->isConnected());
    third.reply("/back/\r\n\r\n");
    QTRY_VERIFY(b.net->pendingMessages().isEmpty());
    b.net->CNT_SendAlarmPic("next");
    QTRY_COMPARE(third.frames().size(), 2);
    QCOMPARE(third.frames().at(1).body, QByteArray("next"));
}

void TestCntNet::keyValueBodies_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("body");
    const QByteArray host = CNT_Net::getNetHostName().toUtf8();
    // "&" and "=" inside a value would split it: they go in their full-width forms.
    QTest::newRow("record, pair separators in the text")
        << 1 << "device_id=" + host + "&operater=管理员&utc=1600000000123&description=a＆b＝c 温度";
    QTest::newRow("template deleted")
        << 11
        << "deviceId=" + host + "&cameraId=2&detectId=1&template=template3.bmp&utc=1700000000000&operator=--";
    QTest::newRow("NG video") << 15 << "device_id=" + host + "&camera_id=1&product=no set&isng=1";
    QTest::newRow("technician") << 16
                                << "device_id=" + host +
                                       "&check_id=2&product_count=3&worker_name=Li&mobile=123";
    QTest::newRow("product list request") << 14 << QByteArray();
    QTest::newRow("reminder list request") << 17 << QByteArray();
}

void TestCntNet::keyValueBodies() {
    QFETCH(int, kind);
    QFETCH(QByteArray, body);
    Bridge b;
    SysClock::setFixed(QDateTime::fromMSecsSinceEpoch(1700000000000LL));
    qstrcpy(b.para.CntNet_MsgTechName, "Li");
    qstrcpy(b.para.CntNet_MsgTechNum, "123");
    switch (kind) {
        case 1:
            b.net->CNT_SendRecord(QDateTime::fromMSecsSinceEpoch(1600000000123LL), "管理员", "a&b=c 温度");
            break;
        case 11:
            b.net->CNT_SendDelTempPic(2, 1, "template3.bmp");
            break;
        case 15:
            b.net->CNT_SendSaveNgVideo(1, 1);
            break;
        case 16:
            b.net->CNT_SendTelInfo(1, 3);
            break;
        case 14:
            b.net->CNT_SendGetProduct();
            break;
        case 17:
            b.net->CNT_SendGetRemindList();
            break;
    }
    QCOMPARE(b.net->pendingMessages(), QList<QByteArray>{CNT_Net::frameMessage(kind, body)});
}

void TestCntNet::parameterMessage() {
    Bridge b;
    WizardPara& p = b.para;
    p.trig_in_delay[0] = 5;
    p.trig_in_delay[3] = 9;
    qstrcpy(p.password, "12ab");
    p.step_enable[0] = 1;
    p.min_spot = 7;
    p.screen_off_time = 30;
    p.output_inverted[2] = 1;
    p.is_cut_ontime_thimble = 1;
    const int32_t addr[4] = {192, 168, 3, 9};
    memcpy(p.local_addr, addr, sizeof(addr));
    p.expose_time[5] = 1234;
    p.contrast[7] = 42;
    gAllNum[6] = 100;
    gFailNum[6] = 4;
    qstrcpy(gSerialNB[1], "SN-2");
    b.net->CNT_SendParam();
    QCOMPARE(b.net->pendingMessages().size(), 1);
    const QByteArray msg = b.net->pendingMessages().first();
    QVERIFY(msg.startsWith("2:"));
    const QByteArray body = msg.mid(msg.indexOf(":..!") + 4);
    QVERIFY(body.contains("\n\t"));  // formatted
    const QJsonObject o = parseObject(body);
    QCOMPARE(o.keys().size(), 69);
    QCOMPARE(o.value("device_id").toString(), CNT_Net::getNetHostName());
    QCOMPARE(o.value("finished_product_detect").toInt(), 5);
    QCOMPARE(o.value("fourth_detect").toInt(), 9);
    QCOMPARE(o.value("password").toString(), QString("12ab"));
    QCOMPARE(o.value("enabe_one_test").toInt(), 1);
    QCOMPARE(o.value("enable_watch_dog").toInt(), 1);
    QCOMPARE(o.value("enable_stop_check").toInt(), 7);
    QCOMPARE(o.value("min_spot").toInt(), 7);
    QCOMPARE(o.value("location_level").toInt(), 30);
    QCOMPARE(o.value("report_alarm").toInt(), 1);
    QCOMPARE(o.value("is_cut_ontime_thimble").toInt(), 1);
    QCOMPARE(o.value("local_addr_1").toString(), QString("192.168.3.9"));
    QCOMPARE(o.value("local_addr_4").toString(), QString("0.0.0.0"));
    QCOMPARE(o.value("front_mold_timelen").toInt(), 0);
    const QJsonArray cams = o.value("camera").toArray();
    QCOMPARE(cams.size(), 8);
    for (int c = 0; c < 8; ++c)
        QCOMPARE(cams.at(c).toObject().value("camera_id").toString(), QString::number(c + 1));
    QCOMPARE(cams.at(5).toObject().value("expose_time").toInt(), 1234);
    QCOMPARE(cams.at(7).toObject().value("contrast").toInt(), 42);
    QCOMPARE(cams.at(6).toObject().value("num_all_detect").toInt(), 100);
    QCOMPARE(cams.at(6).toObject().value("num_fail_detect").toInt(), 4);
    QCOMPARE(cams.at(0).toObject().value("num_all_detect").toInt(), 0);
    QCOMPARE(cams.at(1).toObject().value("camera_serial").toString(), QString("SN-2"));
    // Members in the fixed order.
    const int first = body.indexOf("\"device_id\""), last = body.indexOf("\"camera\"");
    QVERIFY(first >= 0 && body.indexOf("\"prohibit_optimize\"") < last &&
            first < body.indexOf("\"finished_product_detect\""));
}

void TestCntNet::regionMessage() {
    Bridge b;
    auto store = std::make_unique<CammerSingleton>(2);
    const int step = 1;
    store->count[step] = 4;
    store->para1[step][0] = 5;
    store->sens[step][0] = 25;
    store->area[step][0] = 100;
    store->func[step][0] = 6;
    store->outN[0] = 3;
    store->shape[step][0] = kShapeRect;
    store->rect[step][0].rect = QRect(QPoint(10, 20), QPoint(50, 60));
    store->shape[step][1] = kShapeRing;
    store->circle[step][1].cx = 100;
    store->circle[step][1].cy = 200;
    store->circle[step][1].r = 300;
    store->circle[step][1].rIn = 40;
    store->shape[step][2] = kShapePolygon;
    const QPoint pts[3] = {{1, 2}, {3, 4}, {5, 6}};
    store->polygon[step][2] = RePolygon(3, pts);
    store->shape[step][3] = 0;
    const CammerSingleton* saved = store.get();
    setRoiStoreLookup([saved](int camera) { return camera == saved->camera ? saved : nullptr; });
    b.net->CNT_SendROIParam(1, step);  // no view shows camera 1: nothing
    QVERIFY(b.net->pendingMessages().isEmpty());
    b.net->CNT_SendROIParam(2, step);
    b.net->CNT_SendROIParam(2, 0);
    QCOMPARE(b.net->pendingMessages().size(), 2);
    const QByteArray msg = b.net->pendingMessages().first();
    const QJsonObject o = parseObject(msg.mid(msg.indexOf(":..!") + 4));
    QCOMPARE(o.value("camera_id").toString(), QString("3"));
    QCOMPARE(o.value("detect").toInt(), 2);
    QCOMPARE(o.value("count").toInt(), 4);
    const QJsonArray roi = o.value("roi").toArray();
    QCOMPARE(roi.size(), 4);
    const QJsonObject rect = roi.at(0).toObject();
    QCOMPARE(rect.value("roi_idx").toInt(), 1);
    QCOMPARE(rect.value("min_size").toInt(), 5);
    QCOMPARE(rect.value("sensibility").toInt(), 25);
    QCOMPARE(rect.value("max_area").toInt(), 100);
    QCOMPARE(rect.value("algorithm").toInt(), 6);
    QCOMPARE(rect.value("output_point").toInt(), 3);
    QCOMPARE(rect.value("roi_type").toInt(), 0);
    QCOMPARE(rect.value("top_point_count").toInt(), 2);
    QCOMPARE(rect.value("top_1_x").toInt(), 50);
    QCOMPARE(rect.value("top_1_y").toInt(), 60);
    const QJsonObject ring = roi.at(1).toObject();
    QCOMPARE(ring.value("roi_type").toInt(), 1);
    QCOMPARE(ring.value("top_point_count").toInt(), 1);
    QCOMPARE(ring.value("top_0_x").toInt(), 100);
    QCOMPARE(ring.value("top_0_y").toInt(), 200);
    QCOMPARE(ring.value("out_r").toInt(), 300);  // whole radii
    QCOMPARE(ring.value("in_r").toInt(), 40);
    const QJsonObject poly = roi.at(2).toObject();
    QCOMPARE(poly.value("roi_type").toInt(), 2);
    QCOMPARE(poly.value("top_point_count").toInt(), 3);
    QCOMPARE(poly.value("top_2_x").toInt(), 5);
    QCOMPARE(poly.value("in_r").toInt(), 0);
    const QJsonObject none = roi.at(3).toObject();
    QCOMPARE(none.value("roi_type").toInt(), -1);
    QCOMPARE(none.value("top_point_count").toInt(), 0);
    QVERIFY(!none.contains("top_0_x"));
    // A step without regions: an empty array.
    const QByteArray empty = b.net->pendingMessages().at(1);
    QCOMPARE(parseObject(empty.mid(empty.indexOf(":..!") + 4)).value("roi").toArray().size(), 0);
}

void TestCntNet::resultMessage() {
    Bridge b;
    qstrcpy(b.para.CntNet_ProName, "盖子");
    b.para.product_serial = 12;
    numCamera = 2;
    gAllNum[1] = 9;
    gFailNum[1] = 2;
    const QList<param_roi> list = {
        {0, 0, 0, 6, 55, 10, -1, 1}, {0, 0, 1, 0, 3, 0, 2, 0}, {0, 5, 0, 0, 1, 0, 1, 1},
        {1, 1, 4, 1, 7, 0, 5, 0},    {2, 0, 0, 0, 0, 0, 0, 1}, {-1, 0, 0, 0, 0, 0, 0, 1},
        {1, 5, 0, 0, 1, 0, 1, 1},
    };
    b.net->CNT_SendStatistics_Once(list, true, -2);
    QCOMPARE(b.net->pendingMessages().size(), 1);
    const QByteArray msg = b.net->pendingMessages().first();
    const QJsonObject o = parseObject(msg.mid(msg.indexOf(":..!") + 4));
    QCOMPARE(qint64(o.value("utc").toDouble()), b.net->lastResultUtc());
    QCOMPARE(o.value("detect_method").toString(), QString("模腔手动抓拍"));
    QCOMPARE(o.value("product_name").toString(), QString("盖子"));
    QCOMPARE(o.value("product_serial").toString(), QString("12"));
    QCOMPARE(o.value("result").toInt(), 1);
    const QJsonArray cams = o.value("array").toArray();
    QCOMPARE(cams.size(), 2);  // views 2 and -1 skipped
    const QJsonObject c0 = cams.at(0).toObject();
    QCOMPARE(c0.value("camera_id").toInt(), 1);
    const QJsonArray d0 = c0.value("detect_array").toArray();
    QCOMPARE(d0.size(), 1);  // step 6 adds no detection
    QCOMPARE(d0.at(0).toObject().value("detect_id").toInt(), 1);
    const QJsonArray rois = d0.at(0).toObject().value("roi_array").toArray();
    QCOMPARE(rois.size(), 2);
    QCOMPARE(rois.at(1).toObject().value("roi_id").toInt(), 2);
    QCOMPARE(rois.at(0).toObject().value("algorithm_premax").toInt(), -1);
    QCOMPARE(rois.at(1).toObject().value("is_alarm").toInt(), 0);
    const QJsonObject c1 = cams.at(1).toObject();
    QCOMPARE(c1.value("device_all").toInt(), 9);
    QCOMPARE(c1.value("device_ng").toInt(), 2);
    QCOMPARE(c1.value("detect_array").toArray().at(0).toObject().value("detect_id").toInt(), 2);
}

void TestCntNet::cancelMessage() {
    Bridge b;
    SysClock::setFixed(QDateTime::fromMSecsSinceEpoch(1700000000000LL));
    qstrcpy(b.para.CntNet_Operator, "张三");
    b.net->CNT_SendCancle(7);
    SysClock::setFixed(QDateTime::fromMSecsSinceEpoch(1700000005000LL));
    b.net->CNT_SendStatistics_Once({}, false, 1);
    SysClock::setFixed(QDateTime::fromMSecsSinceEpoch(1700000009000LL));
    b.net->CNT_SendCancle(3);
    const QList<QByteArray> sent = b.net->pendingMessages();
    QCOMPARE(sent.size(), 3);
    const QJsonObject before = parseObject(sent.at(0).mid(sent.at(0).indexOf(":..!") + 4));
    QCOMPARE(before.value("bind_utc").toDouble(), 0.0);
    QCOMPARE(before.value("method").toString(), QString("进行重检检测"));
    QCOMPARE(before.value("product_operator").toString(), QString("张三"));
    const QJsonObject after = parseObject(sent.at(2).mid(sent.at(2).indexOf(":..!") + 4));
    QCOMPARE(qint64(after.value("bind_utc").toDouble()), 1700000005000LL);
    QCOMPARE(qint64(after.value("utc").toDouble()), 1700000009000LL);
    QCOMPARE(after.value("method").toString(), QString());
    // The header counts the bytes of the Chinese texts.
    const QByteArray body = sent.at(0).mid(sent.at(0).indexOf(":..!") + 4);
    QVERIFY(sent.at(0).startsWith("20:" + QByteArray::number(body.size()) + ":..!"));
}

QTEST_GUILESS_MAIN(TestCntNet)
#include "tst_cntnet.moc"
