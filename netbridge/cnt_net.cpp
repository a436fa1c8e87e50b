#include "cnt_net.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTimerEvent>
#include <cjson/cJSON.h>
#include <glog/logging.h>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "cnt_sharepusher.h"
#include "cnt_thread.h"
#include "platform/system/backgroundprocess.h"
#include "platform/system/commandrunner.h"
#include "platform/system/profile.h"
#include "platform/system/sysclock.h"
#include "platform/system/timing.h"

CNT_Net* gpNet = nullptr;
QList<param_roi> g_listParamROI;

namespace {
int g_port = -1;  // -1: not set by a test
// A heartbeat older than this at the check marks the client dead.
constexpr qint64 kHeartbeatLimitMs = 59000;

qint64 nowMs() {
    return SysClock::now().toMSecsSinceEpoch();
}
}  // namespace

void CNT_Net::setListenPort(quint16 port) {
    g_port = port;
}
quint16 CNT_Net::listenPort() {
    if (g_port >= 0) return quint16(g_port);
    // A simulated monitor beside others (end-to-end tests, demos) may be given its own port.
    bool ok = false;
    const uint env = qEnvironmentVariable("MONITOR_NET_PORT").toUInt(&ok);
    if (ok && env > 0 && env < 65536 && isSimulated()) return quint16(env);
    return 8890;
}

CNT_Net::CNT_Net(QObject* parent) : QTcpServer(parent) {
    liveCard.cards = getNewNetCardInfo();
    liveCard.hostName = getNetHostName();
    liveCard.macs = getNetMac();

    const QString conn = QStringLiteral("isopen");
    bool on = false;
    {
        QSqlDatabase db = QSqlDatabase::contains(conn)
                              ? QSqlDatabase::database(conn, false)
                              : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
        db.setDatabaseName(QStringLiteral("PARAM.db"));
        // Opening would create an empty file: a missing database means "off".
        if (!QFile::exists(QStringLiteral("PARAM.db")) || !db.open()) {
            qWarning("ErrorOpen");
            return;
        }
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("select value from sysparam where name='CntNet'")) && q.next()) {
            const QStringList v = q.value(0).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            on = !v.isEmpty() && v.first().toInt() != 0;
        }
        db.close();
    }
    if (!on) return;

    QDir().mkpath(QStringLiteral("./cnt_net/data/"));
    QFile::remove(QStringLiteral("./cnt_net/chknettimes"));
    if (!listen(QHostAddress::LocalHost, listenPort())) {
        // The bridge stays down: nothing is queued for a client that cannot come.
        listenError_ = errorString();
        LOG(ERROR) << "CNT: cannot listen on 127.0.0.1 port " << listenPort() << ": "
                   << listenError_.toStdString();
        return;
    }
    LOG(INFO) << "CNT: server is alread open...";
    sender_ = std::make_unique<CNT_Thread>(this);
    {
        QMutexLocker lock(&sender_->queueLock);
        queue_.clear();
    }
    lastHeart_ = SysClock::now();
    const int id = startTimer(TimeMs("net.heartbeat", 60000), Qt::VeryCoarseTimer);
    timerNames_.insert(id, QStringLiteral("heart_timer"));
    alive_ = false;
    memoryInfoSent_ = false;
    shareMemory_ = false;
    memoryInfo_ = cJSON_CreateObject();
    cJSON_AddItemToObject(memoryInfo_, "memoryinfo", cJSON_CreateArray());
    sendAttempts_ = 0;
    serverSettingsChanged = false;
    InitManualStop();
    InitStatistics();
    started_ = true;
    getWhichSend();
}

CNT_Net::~CNT_Net() {
    // The sender loop and the pusher end first: nothing may wait on this object once it goes.
    sender_.reset();
    pusher_.reset();
    if (client_) client_->disconnect(this);
    CNT_FreeShareMemory();
    if (memoryInfo_) cJSON_Delete(memoryInfo_);
}

void CNT_Net::getWhichSend() {
    // Every kind is on unless the which-send JSON names it with the literal false.
    whichSend_.clear();
    for (int k = 0; k <= SEND_TYPE_MAX; ++k) whichSend_.insert(k, true);
    QFile f(QStringLiteral("./cnt_net/whichsend.config"));
    if (!f.open(QIODevice::ReadOnly)) return;
    QByteArray text = f.readAll();
    const int nul = text.indexOf('\0');
    if (nul >= 0) text.truncate(nul);
    cJSON* root = cJSON_Parse(QString::fromUtf8(text).toLatin1().constData());
    if (!root) return;
    for (int k = 0; k <= SEND_TYPE_MAX; ++k) {
        const cJSON* item = cJSON_GetObjectItem(root, QByteArray::number(k).constData());
        if (item && cJSON_IsFalse(item)) whichSend_.insert(k, false);
    }
    cJSON_Delete(root);
}

void CNT_Net::CNT_ReStart() {
    // One client at a time: a client that hangs is ended before the next one starts, without the
    // GUI thread waiting for it. Made once and kept to the end of the process.
    static BackgroundProcess& client = *new BackgroundProcess;
    if (!QFile::exists(QStringLiteral("./cnt_net/runNetClient.py"))) return;
    if (!client.restart(QStringLiteral("python3"), {QStringLiteral("./cnt_net/runNetClient.py")}))
        LOG(ERROR) << "CNT: the network client could not be started";
}

QByteArray CNT_Net::frameMessage(int kind, const QByteArray& body) {
    return QByteArray::number(kind) + ':' + QByteArray::number(body.size()) + ":..!" + body;
}

void CNT_Net::queueMessage(int kind, const QByteArray& body) {
    if (!kindEnabled(kind) || !sender_) return;
    qint64 dropped = 0;
    {
        QMutexLocker lock(&sender_->queueLock);
        // Bounded while no client takes the messages: the oldest go first, never the one in flight.
        while (queue_.size() >= kMaxQueued) {
            queue_.removeAt(sender_->headInFlight() ? 1 : 0);
            dropped = ++dropped_;
        }
        queue_.append(frameMessage(kind, body));
    }
    if (dropped && (dropped == 1 || dropped % 100 == 0))
        LOG(WARNING) << "CNT: send queue full (" << kMaxQueued << "), oldest message dropped; " << dropped
                     << " dropped so far";
    StartSend();
}

QList<QByteArray> CNT_Net::pendingMessages() const {
    if (!sender_) return {};
    QMutexLocker lock(&sender_->queueLock);
    return queue_;
}

void CNT_Net::StartSend() {
    if (!sender_) return;
    {
        QMutexLocker lock(&sender_->queueLock);
        sender_->setSocket(client_);
        if (queue_.isEmpty() || sender_->active()) return;
    }
    // A loop that has just decided to end is on its way out; let it go, then start a new one, so that
    // a message queued at that moment does not wait for the next one.
    sender_->wait();
    {
        QMutexLocker lock(&sender_->queueLock);
        if (sender_->active()) return;  // another thread started it meanwhile
        sender_->prepareStart();
    }
    sender_->start(QThread::InheritPriority);
}

void CNT_Net::goThrough() {
    if (sender_) sender_->wake();
}

void CNT_Net::incomingConnection(qintptr socketDescriptor) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(socketDescriptor)) {
        qWarning().noquote() << "CNT: connection not taken:" << socket->errorString();
        delete socket;
        return;
    }
    alive_ = true;
    lastHeart_ = SysClock::now();
    reader_.clear();  // a reply cut off by the old connection does not belong to the new one
    LOG(INFO) << "CNT: new connected";
    QTcpSocket* previous = nullptr;
    {
        QMutexLocker lock(&sender_->queueLock);
        previous = client_;
        client_ = socket;
        if (previous) {
            // The newest connection is the client; a write still pending on the older one failed.
            if (pendingWrite_) sender_->writeDone(pendingWrite_, false);
            pendingWrite_ = 0;
        }
    }
    if (previous) {
        previous->disconnect(this);
        previous->abort();
        previous->deleteLater();
        memoryInfoSent_ = false;  // the new client has not been told yet
    }
    connect(socket, &QTcpSocket::disconnected, this, &CNT_Net::SlotDisConnetced);
    connect(socket, &QTcpSocket::readyRead, this, &CNT_Net::SlotReadyRead);
    connect(socket, &QTcpSocket::bytesWritten, this, &CNT_Net::onBytesWritten);
    if (gpWPara && gpWPara->video_share_mode != 0) {
        connecting_ = true;
        CNT_SendMemoryInfo();
        connecting_ = false;
    }
    StartSend();
    // A message in flight to the replaced connection goes to the new one without waiting.
    if (previous) goThrough();
}

void CNT_Net::writeToClient(QTcpSocket* socket, const QByteArray& message, quint64 token) {
    // Runs on the GUI thread, the only one that changes client_ and pendingWrite_.
    bool ok = false;
    if (socket && socket == client_ && socket->state() == QAbstractSocket::ConnectedState) {
        pendingWrite_ = token;
        ok = socket->write(message) == message.size();
        socket->flush();  // may report the write at once through onBytesWritten
        if (ok && (pendingWrite_ != token || socket->bytesToWrite() > 0)) return;
        pendingWrite_ = 0;
    }
    QMutexLocker lock(&sender_->queueLock);
    sender_->writeDone(token, ok);
}

void CNT_Net::onBytesWritten() {
    if (!pendingWrite_ || !client_ || client_->bytesToWrite() > 0) return;
    const quint64 token = pendingWrite_;
    pendingWrite_ = 0;
    QMutexLocker lock(&sender_->queueLock);
    sender_->writeDone(token, true);
}

void CNT_Net::SlotDisConnetced() {
    auto* socket = qobject_cast<QTcpSocket*>(sender());
    if (!socket || socket != client_) return;  // an older connection already replaced
    LOG(INFO) << "CNT: has disconnect";
    socket->disconnect(this);
    socket->deleteLater();
    {
        QMutexLocker lock(&sender_->queueLock);
        client_ = nullptr;
        sender_->clearSocket();
        if (pendingWrite_) sender_->writeDone(pendingWrite_, false);
        pendingWrite_ = 0;
    }
    alive_ = false;
    memoryInfoSent_ = false;
    reader_.clear();
    // Whatever the client left taken, the locks are free for the next one.
    for (VideoShareInfo* e : qAsConst(share_)) e->sem.retInitPV();
    // The loop stops waiting for an acknowledgement that cannot come; the queue stays for the next
    // client.
    goThrough();
}

void CNT_Net::SlotReadyRead() {
    auto* socket = qobject_cast<QTcpSocket*>(sender());
    if (!socket) return;
    if (socket != client_) {
        socket->readAll();  // an older connection's last words
        return;
    }
    if (!repliesTurnAsked_) handleReplies();  // else the turn asked for reads on
}

void CNT_Net::handleReplies() {
    QTcpSocket* socket = client_;
    if (!socket) return;
    // A read may hold part of a reply or several: the reader cuts the stream into whole replies. The
    // socket's buffer is read in pieces, only when the reader holds no whole reply, so that the
    // reader's backlog stays small.
    constexpr qint64 kReadPiece = 64 * 1024;
    constexpr int kReadsPerTurn = 4;
    int handled = 0, reads = 0;
    // Heartbeats in a row are taken as one: reading the clock costs a system call (the time zone is
    // looked at), which a flood of heartbeats would pay for each.
    bool heart = false;
    CNT_ReplyReader::Reply reply;
    while (handled < kRepliesPerTurn && socket == client_) {
        if (reader_.next(&reply)) {
            ++handled;
            ++repliesHandled_;
            if (reply.type == CNT_ReplyReader::Heart) {
                heart = true;
                continue;
            }
            if (heart) handleReply(CNT_ReplyReader::Reply{CNT_ReplyReader::Heart, 0, {}});
            heart = false;
            handleReply(reply);
        } else if (reads < kReadsPerTurn && socket->bytesAvailable() > 0) {
            ++reads;
            reader_.feed(socket->read(kReadPiece));
        } else {
            break;
        }
    }
    if (heart && socket == client_) handleReply(CNT_ReplyReader::Reply{CNT_ReplyReader::Heart, 0, {}});
    if (socket != client_ || repliesTurnAsked_) return;
    if (handled == kRepliesPerTurn || (reads == kReadsPerTurn && socket->bytesAvailable() > 0)) {
        repliesTurnAsked_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                repliesTurnAsked_ = false;
                handleReplies();
            },
            Qt::QueuedConnection);
    }
}

void CNT_Net::ParsingBackBuf(const QString& text) {
    // One whole reply given as text (as the client sends it, without what follows it).
    CNT_ReplyReader one;
    one.feed(text.toUtf8());
    CNT_ReplyReader::Reply reply;
    while (one.next(&reply)) handleReply(reply);
}

void CNT_Net::handleReply(const CNT_ReplyReader::Reply& reply) {
    switch (reply.type) {
        case CNT_ReplyReader::Ack: {
            if (!sender_) return;
            bool taken = false;
            {
                QMutexLocker lock(&sender_->queueLock);
                taken = sender_->acknowledge();
            }
            // An acknowledgement with nothing in flight would take a message the client never saw.
            if (!taken) qInfo("CNT: acknowledgement without a message in flight ignored");
            goThrough();
            break;
        }
        case CNT_ReplyReader::Heart:
            // Alive means a client is there to take messages.
            if (!client_) return;
            alive_ = true;
            lastHeart_ = SysClock::now();
            break;
        case CNT_ReplyReader::Reline:
            alive_ = false;
            if (gpWPara && gpWPara->cnt_net_on && started_) {
                LOG(INFO) << "(recv info) 'NetClinet' will restart...";
                CNT_ReStart();
            }
            lastHeart_ = SysClock::now();
            break;
        case CNT_ReplyReader::Answer:
            if (reply.session == SEND_GET_PRODUCT)
                emit productListReceived(QString::fromUtf8(reply.body));
            else if (reply.session == SEND_GET_REMIND)
                emit remindListReceived(QString::fromUtf8(reply.body));
            break;
    }
}

void CNT_Net::CheckHeartbeat() {
    const qint64 since = nowMs() - lastHeart_.toMSecsSinceEpoch();
    if (since <= kHeartbeatLimitMs) {
        lastHeart_ = SysClock::now();
        // A fresh heartbeat of a client that has gone keeps nobody alive.
        alive_ = client_ != nullptr;
        return;
    }
    alive_ = false;
    if (gpWPara && gpWPara->cnt_net_on && started_) {
        LOG(INFO) << "(hearttimes timeout) 'NetClinet' will restart...";
        CNT_ReStart();
    }
    lastHeart_ = SysClock::now();
}

bool CNT_BridgeUp() {
    return gpWPara && gpWPara->cnt_net_on == 1 && gpNet && gpNet->isStarted();
}

bool CNT_ClientReady() {
    return CNT_BridgeUp() && gpNet->isConnected();
}

void CNT_Net::timerEvent(QTimerEvent* e) {
    const auto it = timerNames_.constFind(e->timerId());
    if (it == timerNames_.constEnd()) return;
    if (it.value() == QLatin1String("heart_timer"))
        CheckHeartbeat();
    else if (it.value() == QLatin1String("send_timer"))
        pushFramesInBackground();
    QTcpServer::timerEvent(e);
}
