#pragma once
// A network client for the monitor's local bridge, written from the protocol alone:
//  - the server sends "<kind>:<length>:..!<body>", the length in bytes of the body;
//  - the client acknowledges every message with "/back/\r\n\r\n", sends "/heart/\r\n\r\n" at least
//    once a minute, and answers the product list (kind 14) and reminder list (kind 17) requests
//    with a head line "SessionId:14" or "SessionId:17", a blank line and a JSON body;
//  - kind 9 lists shared-memory images ({"memoryinfo": [{shmid, semid, cameraid, size, width,
//    height, fps}]}): segment key ftok(dir, 1000 + cameraid), lock key ftok(dir, 2000 + cameraid),
//    one semaphore taken (-1) and given back (+1) around each read, frames in I420.
// It logs every message, reconnects when the connection goes, and can keep the latest frame of every
// source as a file.
#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

class NetClientSim : public QObject {
    Q_OBJECT
public:
    struct Options {
        quint16 port = 8890;
        QString keyDir = QStringLiteral("/tmp");  // where the shared-memory keys are made from
        QString logFile;                          // empty: standard output
        QString framesDir;                        // empty: frames are read but not kept
        int heartbeatMs = 30000;
        int frameReadMs = 200;
        int reconnectMs = 1000;
        bool acknowledge = true;
        // The answers: {"result": [{"product_name": ...}]} and {"result": [{"operator", "create_utc",
        // "notify_utc" (milliseconds since 1970, UTC), "duration" (minutes), "reminder_name"}]}.
        QByteArray productList =
            u8R"({"result": [{"product_name": "cap-28"}, {"product_name": "lid-40"}, {"product_name": "瓶盖-12"}]})";
        QByteArray remindList =
            u8R"({"result": [{"operator": "op-7", "create_utc": 1765425600000, "notify_utc": 1765432800000,)"
            u8R"( "duration": 30, "reminder_name": "Change the nozzle heater"}, {"operator": "张伟",)"
            u8R"( "create_utc": 1765429200000, "notify_utc": 1765436400000, "duration": 15,)"
            u8R"( "reminder_name": "清理模具"}]})";
    };
    struct Shared {
        int shmid = -1, semid = -1, source = 0, size = 0, width = 0, height = 0, fps = 0;
        const uchar* addr = nullptr;
        bool verified = false;  // the ids match the keys
        qint64 frames = 0;
    };

    explicit NetClientSim(const Options& options, QObject* parent = nullptr);
    ~NetClientSim() override;
    void start();

    qint64 received(int kind) const { return counts_.value(kind); }
    qint64 receivedTotal() const { return total_; }
    QByteArray lastBody(int kind) const { return last_.value(kind); }
    const QMap<int, Shared>& shared() const { return shared_; }
    bool isConnected() const { return socket_.state() == QAbstractSocket::ConnectedState; }
    QByteArray latestFrame(int source) const { return frames_.value(source); }

signals:
    void messageReceived(int kind, const QByteArray& body);
    void frameRead(int source);

private:
    void onReadyRead();
    void handle(int kind, const QByteArray& body);
    void send(const QByteArray& reply);
    void attach(const QByteArray& body);
    void detachAll();
    void readFrames();
    void log(const QString& line);

    Options opt_;
    QTcpSocket socket_;
    QTimer heartbeat_, frameTimer_, reconnect_;
    QByteArray in_;
    QMap<int, qint64> counts_;
    QMap<int, QByteArray> last_;
    qint64 total_ = 0;
    QMap<int, Shared> shared_;
    QMap<int, QByteArray> frames_;
    QFile logFile_;
};
