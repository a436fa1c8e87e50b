#include "netclientsim.h"

#include <QDateTime>
#include <QDir>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>

NetClientSim::NetClientSim(const Options& options, QObject* parent) : QObject(parent), opt_(options) {
    if (!opt_.logFile.isEmpty()) {
        logFile_.setFileName(opt_.logFile);
        if (!logFile_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
            std::fprintf(stderr, "netclient-sim: cannot write %s\n", qPrintable(opt_.logFile));
    }
    connect(&socket_, &QTcpSocket::readyRead, this, &NetClientSim::onReadyRead);
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        log(QStringLiteral("connected to 127.0.0.1:%1").arg(opt_.port));
        send("/heart/\r\n\r\n");
        heartbeat_.start(opt_.heartbeatMs);
    });
    connect(&socket_, &QTcpSocket::disconnected, this, [this] {
        log(QStringLiteral("disconnected"));
        heartbeat_.stop();
        in_.clear();
        detachAll();
        reconnect_.start(opt_.reconnectMs);
    });
    connect(&socket_, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        if (socket_.state() != QAbstractSocket::ConnectedState) reconnect_.start(opt_.reconnectMs);
    });
    heartbeat_.setTimerType(Qt::CoarseTimer);
    connect(&heartbeat_, &QTimer::timeout, this, [this] { send("/heart/\r\n\r\n"); });
    connect(&frameTimer_, &QTimer::timeout, this, &NetClientSim::readFrames);
    reconnect_.setSingleShot(true);
    connect(&reconnect_, &QTimer::timeout, this, &NetClientSim::start);
}

NetClientSim::~NetClientSim() {
    // The connection outlives the members its signals touch: no signal of it may reach them now.
    socket_.disconnect(this);
    socket_.abort();
    detachAll();
}

void NetClientSim::start() {
    if (socket_.state() != QAbstractSocket::UnconnectedState) socket_.abort();
    socket_.connectToHost(QHostAddress::LocalHost, opt_.port);
}

void NetClientSim::log(const QString& line) {
    const QByteArray text = QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz ")).toUtf8() +
                            line.toUtf8() + '\n';
    if (logFile_.isOpen()) {
        logFile_.write(text);
        logFile_.flush();
    } else {
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        std::fflush(stdout);
    }
}

void NetClientSim::send(const QByteArray& reply) {
    if (socket_.state() != QAbstractSocket::ConnectedState) return;
    socket_.write(reply);
    socket_.flush();
}

void NetClientSim::onReadyRead() {
    in_ += socket_.readAll();
    // "<kind>:<length>:..!" then exactly <length> bytes.
    for (;;) {
        int i = 0;
        auto digits = [&](int* value) {
            const int from = i;
            qint64 v = 0;
            while (i < in_.size() && in_.at(i) >= '0' && in_.at(i) <= '9' && i - from < 10)
                v = v * 10 + (in_.at(i++) - '0');
            *value = int(v);
            return i > from;
        };
        int kind = 0, length = 0;
        if (!digits(&kind)) break;
        if (i >= in_.size()) return;
        if (in_.at(i) != ':') break;
        ++i;
        if (!digits(&length)) break;
        if (in_.size() < i + 4) return;
        if (in_.mid(i, 4) != ":..!") break;
        i += 4;
        if (in_.size() < i + length) return;
        const QByteArray body = in_.mid(i, length);
        in_.remove(0, i + length);
        handle(kind, body);
        if (in_.isEmpty()) return;
    }
    if (!in_.isEmpty()) {
        log(QStringLiteral("protocol error: %1 bytes without a header; connection dropped").arg(in_.size()));
        in_.clear();
        socket_.abort();
    }
}

void NetClientSim::handle(int kind, const QByteArray& body) {
    ++total_;
    counts_[kind] += 1;
    last_[kind] = body;
    QByteArray shown = body.left(4000);
    shown.replace('\\', "\\\\").replace('\n', "\\n").replace('\r', "\\r").replace('\t', "");
    log(QStringLiteral("kind=%1 len=%2 body=%3").arg(kind).arg(body.size()).arg(QString::fromUtf8(shown)));
    if (opt_.acknowledge) send("/back/\r\n\r\n");
    if (kind == 14) send("ANSWER\r\nSessionId:14\r\n\r\n" + opt_.productList);
    if (kind == 17) send("ANSWER\r\nSessionId:17\r\n\r\n" + opt_.remindList);
    if (kind == 9) attach(body);
    emit messageReceived(kind, body);
}

void NetClientSim::detachAll() {
    for (const Shared& s : qAsConst(shared_))
        if (s.addr) shmdt(s.addr);
    shared_.clear();
    frameTimer_.stop();
}

void NetClientSim::attach(const QByteArray& body) {
    detachAll();
    const QJsonArray list =
        QJsonDocument::fromJson(body).object().value(QStringLiteral("memoryinfo")).toArray();
    const QByteArray dir = QFile::encodeName(opt_.keyDir);
    for (const QJsonValue& v : list) {
        const QJsonObject o = v.toObject();
        Shared s;
        s.shmid = o.value(QStringLiteral("shmid")).toInt(-1);
        s.semid = o.value(QStringLiteral("semid")).toInt(-1);
        s.source = o.value(QStringLiteral("cameraid")).toInt();
        s.size = o.value(QStringLiteral("size")).toInt();
        s.width = o.value(QStringLiteral("width")).toInt();
        s.height = o.value(QStringLiteral("height")).toInt();
        s.fps = o.value(QStringLiteral("fps")).toInt();
        const key_t shmKey = ftok(dir.constData(), 1000 + s.source);
        const key_t semKey = ftok(dir.constData(), 2000 + s.source);
        const int shmid = shmKey == -1 ? -1 : shmget(shmKey, 0, 0);
        const int semid = semKey == -1 ? -1 : semget(semKey, 1, 0);
        s.verified =
            s.shmid >= 0 && shmid == s.shmid && semid == s.semid && s.size == s.width * s.height * 3 / 2;
        if (s.verified) {
            void* addr = shmat(s.shmid, nullptr, SHM_RDONLY);
            if (addr != reinterpret_cast<void*>(-1)) s.addr = static_cast<const uchar*>(addr);
        }
        log(QStringLiteral("memoryinfo source=%1 shmid=%2 semid=%3 %4x%5 fps=%6 %7")
                .arg(s.source)
                .arg(s.shmid)
                .arg(s.semid)
                .arg(s.width)
                .arg(s.height)
                .arg(s.fps)
                .arg(s.addr
                         ? QStringLiteral("attached")
                         : QStringLiteral("NOT attached (keys give shm %1 sem %2)").arg(shmid).arg(semid)));
        shared_.insert(s.source, s);
    }
    if (!shared_.isEmpty()) frameTimer_.start(opt_.frameReadMs);
}

void NetClientSim::readFrames() {
    for (Shared& s : shared_) {
        if (!s.addr) continue;
        struct sembuf take = {0, -1, SEM_UNDO};
        struct timespec wait = {1, 0};
        if (semtimedop(s.semid, &take, 1, &wait) != 0) {
            log(QStringLiteral("frame source=%1 lock not taken (%2)").arg(s.source).arg(strerror(errno)));
            continue;
        }
        QByteArray& frame = frames_[s.source];
        frame.resize(s.size);
        memcpy(frame.data(), s.addr, size_t(s.size));
        struct sembuf give = {0, 1, SEM_UNDO};
        semop(s.semid, &give, 1);
        ++s.frames;
        if (s.frames == 1 || s.frames % 100 == 0)
            log(QStringLiteral("frame source=%1 count=%2").arg(s.source).arg(s.frames));
        if (!opt_.framesDir.isEmpty()) {
            QDir().mkpath(opt_.framesDir);
            QSaveFile out(QStringLiteral("%1/source%2.yuv").arg(opt_.framesDir).arg(s.source));
            if (out.open(QIODevice::WriteOnly) && out.write(frame) == frame.size() && out.flush())
                out.commit();
        }
        emit frameRead(s.source);
    }
}
