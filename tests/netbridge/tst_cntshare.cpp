// Images published through System V shared memory, read by tools/netclient-sim as a second process
// the way the network client reads them: keys from ftok, the lock taken around each copy, I420.
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <memory>
#include <opencv2/imgproc.hpp>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <vector>

#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "app/wizardpara.h"
#include "netbridge/cnt_net.h"
#include "platform/system/sysclock.h"
#include "programdir.h"

namespace {
bool writeParamDb() {
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
        db.setDatabaseName("PARAM.db");
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec("CREATE TABLE sysparam (name TEXT PRIMARY KEY, value TEXT)") &&
                 q.exec("INSERT INTO sysparam VALUES ('CntNet', '1 2 3')");
            db.close();
        }
    }
    QSqlDatabase::removeDatabase("fixture");
    return ok;
}

unsigned shmMode(int shmid) {
    struct shmid_ds ds;
    return shmctl(shmid, IPC_STAT, &ds) == 0 ? ds.shm_perm.mode & 0777 : 0;
}

unsigned semMode(int semid) {
    struct semid_ds ds;
    union {
        int val;
        struct semid_ds* buf;
    } arg;
    arg.buf = &ds;
    return semctl(semid, 0, IPC_STAT, arg) == 0 ? ds.sem_perm.mode & 0777 : 0;
}

key_t keyOf(int project) {
    return ftok(QFile::encodeName(CNT_Net::shareKeyPath()).constData(), project);
}

// Camera pixels (BGRA in memory): left half black, right half white; or one grey.
std::vector<uint32_t> picture(int w, int h, bool halves) {
    std::vector<uint32_t> px(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[size_t(y) * w + x] = !halves ? 0xFF808080u : x < w / 2 ? 0xFF000000u : 0xFFFFFFFFu;
    return px;
}

// The I420 of the picture as published: an odd width loses its last column.
QByteArray i420Of(const std::vector<uint32_t>& px, int width, int h) {
    const int w = width & ~1;
    QByteArray out(w * h * 3 / 2, 0);
    const cv::Mat src(h, w, CV_8UC4, const_cast<uint32_t*>(px.data()), size_t(width) * 4);
    cv::Mat dst(h * 3 / 2, w, CV_8UC1, out.data());
    cv::cvtColor(src, dst, cv::COLOR_BGRA2YUV_I420);
    return out;
}

struct Bridge {
    explicit Bridge(int mode) {
        para.cnt_net_on = 1;
        para.video_share_mode = mode;
        para.video_rate_index = 3;
        qstrcpy(para.CntNet_UseName, "eth0");
        gpWPara = &para;
        writeParamDb();
        CNT_Net::setListenPort(0);  // any free port, so that tests beside this one cannot take it
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
}  // namespace

class TestCntShare : public QObject {
    Q_OBJECT
private slots:
    void registration();
    void gating();
    void oneAnnouncementWaits();
    void hungReaderCostsAFrameOnly();
    void repairedWithinOnePush();
    void backgroundPushWaitsForThePainter();
    void screenInModeOne();
    void viewPictureConvertedWhenItChanged();
    void pushAtTheToldRate_data();
    void pushAtTheToldRate();
    void readerProcess_data();
    void readerProcess();
};

void TestCntShare::registration() {
    key_t shmKey, semKey;
    {
        Bridge b(2);
        std::vector<uint32_t> px = picture(1920, 1080, false);
        b.net->CNT_AddUseMemory(1, 1920, 1080, px.data());
        const VideoShareInfo* e = b.net->shareTable().value(1);
        QVERIFY(e);
        QCOMPARE(e->size, 3110400);
        shmKey = keyOf(1001);
        semKey = keyOf(2001);
        QCOMPARE(shmget(shmKey, 0, 0), e->shmid);
        QCOMPARE(semget(semKey, 1, 0), e->semid);
        QCOMPARE(semctl(e->semid, 0, GETVAL), 1);
        // Owner and group only: the client runs as the same user.
        QCOMPARE(shmMode(e->shmid), 0660u);
        QCOMPARE(semMode(e->semid), 0660u);
        QVERIFY(b.net->hasShareMemory());
        // The same source again replaces the entry and appends a second description.
        b.net->CNT_AddUseMemory(1, 1920, 1080, px.data());
        const QJsonArray info =
            QJsonDocument::fromJson(b.net->memoryInfoText()).object().value("memoryinfo").toArray();
        QCOMPARE(info.size(), 2);
        const QJsonObject o = info.at(0).toObject();
        QCOMPARE(o.value("fps").toInt(), 20);
        QCOMPARE(o.value("cameraid").toInt(), 1);
        QCOMPARE(o.value("width").toInt(), 1920);
        const QByteArray text = b.net->memoryInfoText();
        QVERIFY(text.indexOf("\"shmid\"") < text.indexOf("\"semid\"") &&
                text.indexOf("\"semid\"") < text.indexOf("\"cameraid\"") &&
                text.indexOf("\"size\"") < text.indexOf("\"width\"") &&
                text.indexOf("\"height\"") < text.indexOf("\"fps\""));
        QCOMPARE(CNT_Net::fpsOfIndex(0), 5);
        QCOMPARE(CNT_Net::fpsOfIndex(4), 25);
        // A segment left too small by an earlier run is made again at the size asked for.
        const int small = shmget(keyOf(1002), 100, IPC_CREAT | 0600);
        QVERIFY(small >= 0);
        b.net->CNT_AddUseMemory(2, 64, 48, nullptr);
        QVERIFY(b.net->shareTable().value(2)->shmid >= 0);
        QVERIFY(b.net->shareTable().value(2)->shmid != small);
        // One left open to everybody by an earlier run is narrowed.
        const int open = shmget(keyOf(1003), 64 * 48 * 3 / 2, IPC_CREAT | 0666);
        const int openLock = semget(keyOf(2003), 1, IPC_CREAT | 0666);
        QVERIFY(open >= 0 && openLock >= 0);
        b.net->CNT_AddUseMemory(3, 64, 48, nullptr);
        QCOMPARE(b.net->shareTable().value(3)->shmid, open);
        QCOMPARE(shmMode(open), 0660u);
        QCOMPARE(semMode(openLock), 0660u);
    }
    // Released with the bridge.
    QCOMPARE(shmget(shmKey, 0, 0), -1);
    QCOMPARE(semget(semKey, 1, 0), -1);
}

void TestCntShare::gating() {
    Bridge b(2);
    std::vector<uint32_t> px = picture(64, 48, false);
    b.net->CNT_AddUseMemory(0, 64, 48, px.data());
    // No client, not announced: nothing copied.
    QVERIFY(!b.net->CNT_UpdateMemory(0));
    b.net->CNT_SendRecord(QDateTime::fromMSecsSinceEpoch(0), "op", "waiting");
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, b.port);
    QVERIFY(client.waitForConnected(5000));
    QTRY_VERIFY(b.net->memoryInfoSent());
    // The new client hears of the layout first, then what waited for it.
    QTRY_VERIFY(client.bytesAvailable() > 0 || client.waitForReadyRead(100));
    QVERIFY(client.readAll().startsWith("9:"));
    QCOMPARE(b.net->pendingMessages().size(), 2);
    QVERIFY(b.net->pendingMessages().at(1).startsWith("1:"));
    QVERIFY(b.net->CNT_UpdateMemory(0));
    // The card name "null" stops the push.
    const VideoShareInfo* e = b.net->shareTable().value(0);
    auto* seg = static_cast<uchar*>(e->addr);
    memset(seg, 7, size_t(e->size));
    qstrcpy(b.para.CntNet_UseName, "null");
    b.net->pushFrames();
    QCOMPARE(int(seg[0]), 7);
    qstrcpy(b.para.CntNet_UseName, "eth0");
    b.net->pushFrames();
    QVERIFY(seg[0] != 7);
    // After the client went, nothing until the next client has been told.
    client.abort();
    QTRY_VERIFY(!b.net->isConnected());
    QVERIFY(!b.net->memoryInfoSent());
    QVERIFY(!b.net->CNT_UpdateMemory(0));
}

void TestCntShare::oneAnnouncementWaits() {
    // Clients that connect and go without acknowledging leave one announcement waiting, at the head,
    // within the queue's bound, whatever waited before them.
    Bridge b(2);
    std::vector<uint32_t> px = picture(64, 48, false);
    b.net->CNT_AddUseMemory(0, 64, 48, px.data());
    for (int i = 0; i < CNT_Net::kMaxQueued; ++i)
        b.net->CNT_SendRecord(QDateTime::fromMSecsSinceEpoch(i), "op", QString::number(i));
    const qint64 droppedBefore = b.net->droppedMessages();
    const auto announcements = [&] {
        int n = 0;
        for (const QByteArray& m : b.net->pendingMessages()) n += m.startsWith("9:") ? 1 : 0;
        return n;
    };
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int c = 0; c < 4; ++c) {
        clients.push_back(std::make_unique<QTcpSocket>());
        clients.back()->connectToHost(QHostAddress::LocalHost, b.port);
        QVERIFY(clients.back()->waitForConnected(5000));
        QTRY_VERIFY(b.net->memoryInfoSent());
        QTRY_VERIFY(clients.back()->bytesAvailable() > 0 || clients.back()->waitForReadyRead(100));
        QVERIFY(clients.back()->readAll().startsWith("9:"));
        QCOMPARE(announcements(), 1);
        QVERIFY(b.net->pendingMessages().first().startsWith("9:"));
        QVERIFY(b.net->pendingMessages().size() <= CNT_Net::kMaxQueued);
    }
    // Room was made for the one announcement only, and counted.
    QCOMPARE(b.net->droppedMessages(), droppedBefore + 1);
    QVERIFY(b.net->pendingMessages().at(1).endsWith("&description=1"));
}

void TestCntShare::hungReaderCostsAFrameOnly() {
    Bridge b(2);
    std::vector<uint32_t> px = picture(64, 48, false);
    b.net->CNT_AddUseMemory(0, 64, 48, px.data());
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, b.port);
    QVERIFY(client.waitForConnected(5000));
    QTRY_VERIFY(b.net->memoryInfoSent());
    const int semid = b.net->shareTable().value(0)->semid;
    // A reader takes the lock and never gives it back.
    struct sembuf take = {0, -1, 0};
    QCOMPARE(semop(semid, &take, 1), 0);
    QElapsedTimer t;
    t.start();
    QVERIFY(!b.net->CNT_UpdateMemory(0));
    QVERIFY(t.elapsed() < 2000);
    // The reader goes: the lock is free again, and only once (value 1, not 2).
    client.abort();
    QTRY_VERIFY(!b.net->isConnected());
    QCOMPARE(semctl(semid, 0, GETVAL), 1);
    b.net->shareTable().value(0)->sem.retInitPV();
    QCOMPARE(semctl(semid, 0, GETVAL), 1);
}

void TestCntShare::repairedWithinOnePush() {
    Bridge b(2);
    std::vector<uint32_t> px = picture(64, 48, false);
    b.net->CNT_AddUseMemory(0, 64, 48, px.data());
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, b.port);
    QVERIFY(client.waitForConnected(5000));
    QTRY_VERIFY(b.net->memoryInfoSent());
    QTRY_VERIFY(client.bytesAvailable() > 0 || client.waitForReadyRead(100));
    QVERIFY(client.readAll().startsWith("9:"));
    client.write("/back/\r\n\r\n");  // the announcement acknowledged
    client.flush();
    QTRY_VERIFY(b.net->pendingMessages().isEmpty());

    // A lock raised by another process (a give without a take): reset by the next push, so that the
    // client and the monitor never copy at the same time.
    const int semid = b.net->shareTable().value(0)->semid;
    struct sembuf give = {0, 1, 0};
    QCOMPARE(semop(semid, &give, 1), 0);
    QCOMPARE(semctl(semid, 0, GETVAL), 2);
    b.net->pushFrames();
    QCOMPARE(semctl(semid, 0, GETVAL), 1);

    // The segment and the lock removed behind the monitor's back: made again at the next push, and
    // the client told the new ids.
    const int shmid = b.net->shareTable().value(0)->shmid;
    QCOMPARE(shmctl(shmid, IPC_RMID, nullptr), 0);
    QCOMPARE(semctl(semid, 0, IPC_RMID), 0);
    b.net->pushFrames();
    const VideoShareInfo* e = b.net->shareTable().value(0);
    QVERIFY(e->shmid >= 0 && e->shmid != shmid);
    QVERIFY(e->semid >= 0);
    QCOMPARE(shmget(keyOf(1000), 0, 0), e->shmid);
    QCOMPARE(semget(keyOf(2000), 1, 0), e->semid);
    QCOMPARE(semctl(e->semid, 0, GETVAL), 1);
    QCOMPARE(shmMode(e->shmid), 0660u);
    QByteArray told;
    QTRY_VERIFY((told += client.readAll()).contains("}"));
    QVERIFY(told.startsWith("9:"));
    const QJsonObject o = QJsonDocument::fromJson(told.mid(told.indexOf('{'))).object();
    const QJsonObject info = o.value("memoryinfo").toArray().at(0).toObject();
    QCOMPARE(info.value("shmid").toInt(), e->shmid);
    QCOMPARE(info.value("semid").toInt(), e->semid);
    // The next push fills the new segment.
    memset(e->addr, 7, size_t(e->size));
    b.net->pushFrames();
    QVERIFY(static_cast<uchar*>(e->addr)[0] != 7);
    // Removed again while that announcement waits for its acknowledgement: the client has it
    // already, so the newer one follows it rather than taking its place.
    const int second = e->shmid;
    QCOMPARE(shmctl(second, IPC_RMID, nullptr), 0);
    b.net->pushFrames();
    QVERIFY(e->shmid >= 0 && e->shmid != second);
    client.write("/back/\r\n\r\n");
    client.flush();
    QByteArray again;
    QTRY_VERIFY((again += client.readAll()).contains("}"));
    QVERIFY(again.startsWith("9:"));
    const QJsonObject newest = QJsonDocument::fromJson(again.mid(again.indexOf('{'))).object();
    QCOMPARE(newest.value("memoryinfo").toArray().at(0).toObject().value("shmid").toInt(), e->shmid);
}

void TestCntShare::backgroundPushWaitsForThePainter() {
    // The timer's push runs on the pusher thread and publishes what the synchronous push does; it
    // copies a view's pixels only while the view is not writing them (the view holds the lock).
    Bridge b(2);
    std::vector<uint32_t> px = picture(64, 200, true);
    QMutex paintLock;
    b.net->CNT_AddUseMemory(0, 64, 200, px.data(), &paintLock);
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, b.port);
    QVERIFY(client.waitForConnected(5000));
    QTRY_VERIFY(b.net->memoryInfoSent());
    const VideoShareInfo* e = b.net->shareTable().value(0);
    auto* seg = static_cast<uchar*>(e->addr);
    const int aboveStamp = 64 * 100;  // the Y rows above the time stamp
    b.net->pushFrames();
    const QByteArray direct(reinterpret_cast<const char*>(seg), aboveStamp);
    QCOMPARE(direct, i420Of(px, 64, 200).left(aboveStamp));

    memset(seg, 7, size_t(e->size));
    paintLock.lock();  // the view is painting
    b.net->pushFramesInBackground();
    QTest::qWait(100);
    QCOMPARE(int(seg[0]), 7);
    paintLock.unlock();
    b.net->waitForPush();
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(seg), aboveStamp), direct);
    // The view goes: its pixels are no longer read.
    b.net->forgetPixels(0);
    memset(seg, 7, size_t(e->size));
    b.net->pushFramesInBackground();
    b.net->waitForPush();
    QCOMPARE(int(seg[0]), 7);
}

void TestCntShare::screenInModeOne() {
    // Mode 1 publishes the window at the display area's size (an odd width one column less), grabbed
    // and scaled to that size whatever the window's own size.
    Bridge b(1);
    MainWindowBase window;
    window.resize(300, 200);
    window.setStyleSheet("background-color: white;");
    gShowW = 173;
    gShowH = 98;
    b.net->CNT_FirstInit();
    const VideoShareInfo* e = b.net->shareTable().value(0);
    QVERIFY(e);
    QCOMPARE(e->width, 172);
    QCOMPARE(e->height, 98);
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, b.port);
    QVERIFY(client.waitForConnected(5000));
    QTRY_VERIFY(b.net->memoryInfoSent());
    auto* seg = static_cast<uchar*>(e->addr);
    memset(seg, 0, size_t(e->size));
    b.net->pushFrames();
    QVERIFY(seg[0] > 128);                                     // white above the stamp rows
    QVERIFY(qAbs(int(seg[e->width * e->height]) - 128) <= 2);  // no colour
    gShowW = 0;
    gShowH = 0;
}

// A view's picture is converted and copied when it changed (its owner counts the changes), and its
// time stamp once a second; a push with nothing new writes nothing.
void TestCntShare::viewPictureConvertedWhenItChanged() {
    Bridge b(2);
    std::vector<uint32_t> px = picture(64, 200, true);
    QMutex paintLock;
    quint64 changes = 1;
    b.net->CNT_AddUseMemory(0, 64, 200, px.data(), &paintLock, &changes);
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, b.port);
    QVERIFY(client.waitForConnected(5000));
    QTRY_VERIFY(b.net->memoryInfoSent());
    const VideoShareInfo* e = b.net->shareTable().value(0);
    auto* seg = static_cast<uchar*>(e->addr);
    const int aboveStamp = 64 * 100;
    const QDateTime t0(QDate(2026, 5, 4), QTime(10, 0, 0));
    SysClock::setFixed(t0);
    b.net->pushFrames();
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(seg), aboveStamp),
             i420Of(px, 64, 200).left(aboveStamp));
    memset(seg, 7, size_t(e->size));
    b.net->pushFrames();
    QCOMPARE(int(seg[0]), 7);  // the same picture in the same second: nothing written
    // The next second: the picture is published again with the new time.
    SysClock::setFixed(t0.addSecs(1));
    b.net->pushFrames();
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(seg), aboveStamp),
             i420Of(px, 64, 200).left(aboveStamp));
    // A new picture, counted by its owner under its lock.
    {
        QMutexLocker lock(&paintLock);
        const std::vector<uint32_t> grey = picture(64, 200, false);
        std::copy(grey.begin(), grey.end(), px.begin());
        ++changes;
    }
    b.net->pushFrames();
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(seg), aboveStamp),
             i420Of(px, 64, 200).left(aboveStamp));
    SysClock::reset();
}

void TestCntShare::pushAtTheToldRate_data() {
    QTest::addColumn<int>("rateIndex");
    QTest::addColumn<QString>("written");  // of eight pushes of 50 ms, those that wrote a frame
    QTest::newRow("5 per second") << 0 << "10001000";
    QTest::newRow("10 per second") << 1 << "10101010";
    QTest::newRow("15 per second") << 2 << "11111111";
    QTest::newRow("20 per second") << 3 << "11111111";
}

// Each picture is pushed at the frame rate told to the client, not at every 50 ms push.
void TestCntShare::pushAtTheToldRate() {
    QFETCH(int, rateIndex);
    QFETCH(QString, written);
    Bridge b(2);
    b.para.video_rate_index = rateIndex;
    std::vector<uint32_t> px = picture(64, 48, false);
    b.net->CNT_AddUseMemory(0, 64, 48, px.data());
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, b.port);
    QVERIFY(client.waitForConnected(5000));
    QTRY_VERIFY(b.net->memoryInfoSent());
    const VideoShareInfo* e = b.net->shareTable().value(0);
    QCOMPARE(e->fps, CNT_Net::fpsOfIndex(rateIndex));
    auto* seg = static_cast<uchar*>(e->addr);
    QString got;
    for (int i = 0; i < written.size(); ++i) {
        memset(seg, 7, size_t(e->size));
        b.net->pushFrames();
        got += seg[0] != 7 ? '1' : '0';
    }
    QCOMPARE(got, written);
}

void TestCntShare::readerProcess_data() {
    QTest::addColumn<bool>("halves");
    QTest::addColumn<int>("width");
    QTest::newRow("black and white halves") << true << 64;
    QTest::newRow("uniform grey") << false << 64;
    QTest::newRow("odd width") << true << 65;
}

void TestCntShare::readerProcess() {
    QFETCH(bool, halves);
    QFETCH(int, width);
    Bridge b(2);
    const int w = width & ~1, h = 160, source = 3;
    std::vector<uint32_t> px = picture(width, h, halves);
    b.net->CNT_AddUseMemory(source, width, h, px.data());
    b.net->CNT_FirstInit();  // starts the 50 ms push

    QProcess reader;
    reader.setProcessChannelMode(QProcess::MergedChannels);
    const QString frames = b.dir.filePath("frames");
    reader.start(NETCLIENT_PROGRAM,
                 {"--port", QString::number(b.port), "--key-dir", CNT_Net::shareKeyPath(), "--frames", frames,
                  "--frame-read", "50", "--log", b.dir.filePath("client.log")});
    QVERIFY(reader.waitForStarted());
    const QString file = frames + QString("/source%1.yuv").arg(source);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(file) && QFileInfo(file).size() == w * h * 3 / 2, 15000);
    QTest::qWait(200);  // a frame written after the first push
    reader.terminate();
    QVERIFY(reader.waitForFinished(5000));
    const QByteArray log = b.dir.readFile("client.log");
    QVERIFY2(log.contains("kind=9") && log.contains("attached"), log.constData());

    const QByteArray got = b.dir.readFile(QString("frames/source%1.yuv").arg(source));
    QCOMPARE(got.size(), w * h * 3 / 2);
    const QByteArray expected = i420Of(px, width, h);
    const int stampTop = h - 100;
    // Above the time stamp the client has the camera's picture exactly; the stamp changes the rest.
    QCOMPARE(got.left(stampTop * w), expected.left(stampTop * w));
    QVERIFY(got.mid(stampTop * w, 100 * w) != expected.mid(stampTop * w, 100 * w));
    const uchar* y = reinterpret_cast<const uchar*>(got.constData());
    const uchar* u = y + w * h;
    const uchar* v = u + (w / 2) * (h / 2);
    if (halves) {
        QVERIFY(y[10 * w + 2] + 100 < y[10 * w + w - 3]);  // Y rises from left to right
    } else {
        QCOMPARE(int(y[0]), int(y[stampTop * w - 1]));
        QVERIFY(qAbs(int(u[0]) - 128) <= 2 && qAbs(int(v[0]) - 128) <= 2);
    }
}

QTEST_MAIN(TestCntShare)
#include "tst_cntshare.moc"
