#include "cnt_net.h"

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
#include "cnt_thread.h"
#include "platform/system/commandrunner.h"
#include "platform/system/sysclock.h"
#include "platform/system/timing.h"

CNT_Net* gpNet = nullptr;
QList<param_roi> g_listParamROI;

namespace {
quint16 g_port = 8890;
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
    return g_port;
}

CNT_Net::CNT_Net(QObject* parent) : QTcpServer(parent) {
    liveCard.hostName = getNetHostName();

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

    RunCommand(QStringLiteral("mkdir -p ./cnt_net/data/"));
    RunCommand(QStringLiteral("rm -f ./cnt_net/chknettimes"));
    if (!listen(QHostAddress::LocalHost, g_port))
        qWarning().noquote() << "CNT: cannot listen on 127.0.0.1 port" << g_port << errorString();
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
    started_ = true;
    getWhichSend();
}

CNT_Net::~CNT_Net() {
    // The sender loop ends first: nothing may wait on this object once it goes.
    sender_.reset();
    if (client_) client_->disconnect(this);
    if (memoryInfo_) cJSON_Delete(memoryInfo_);
}

QString CNT_Net::getNetHostName() {
    return QHostInfo::localHostName();
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
    if (QFile::exists(QStringLiteral("./cnt_net/runNetClient.py")))
        RunCommand(QStringLiteral("python3.4 ./cnt_net/runNetClient.py &"));
}

QByteArray CNT_Net::frameMessage(int kind, const QByteArray& body) {
    return QByteArray::number(kind) + ':' + QByteArray::number(body.size()) + ":..!" + body;
}

void CNT_Net::queueMessage(int kind, const QByteArray& body) {
    if (!kindEnabled(kind) || !sender_) return;
    {
        QMutexLocker lock(&sender_->queueLock);
        queue_.append(frameMessage(kind, body));
    }
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
    if (gpWPara && gpWPara->video_share_mode != 0) CNT_SendMemoryInfo();
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
    // The loop stops waiting for an acknowledgement that cannot come; the queue stays for the next
    // client.
    goThrough();
}

void CNT_Net::SlotReadyRead() {
    auto* socket = qobject_cast<QTcpSocket*>(sender());
    if (!socket) return;
    // One read is one reply. Everything available is taken at once, so that a long answer is not
    // cut into two replies that neither parse.
    QByteArray data = socket->readAll();
    const int nul = data.indexOf('\0');
    if (nul >= 0) data.truncate(nul);
    if (socket != client_) return;
    ParsingBackBuf(QString::fromUtf8(data));
}

void CNT_Net::ParsingBackBuf(const QString& text) {
    const QStringList parts = text.split(QStringLiteral("\r\n\r\n"), Qt::KeepEmptyParts);
    if (parts.size() != 2) return;
    const QStringList head = parts.first().split(QStringLiteral("\r\n"), Qt::KeepEmptyParts);
    const QString& first = head.first();
    if (first.contains(QLatin1String("/back/"))) {
        if (!sender_) return;
        bool taken = false;
        {
            QMutexLocker lock(&sender_->queueLock);
            taken = sender_->acknowledge();
        }
        // An acknowledgement with nothing in flight would take a message the client never saw.
        if (!taken) qInfo("CNT: acknowledgement without a message in flight ignored");
        goThrough();
    } else if (first.contains(QLatin1String("/heart/"))) {
        alive_ = true;
        lastHeart_ = SysClock::now();
    } else if (first.contains(QLatin1String("/reline/"))) {
        alive_ = false;
        if (gpWPara && gpWPara->cnt_net_on && started_) {
            LOG(INFO) << "(recv info) 'NetClinet' will restart...";
            CNT_ReStart();
        }
        lastHeart_ = SysClock::now();
    } else {
        int session = 0;
        for (const QString& line : head) {
            if (!line.contains(QLatin1String("SessionId"))) continue;
            const QStringList kv = line.split(QLatin1Char(':'), Qt::KeepEmptyParts);
            if (kv.size() == 2) session = kv.at(1).toInt();
        }
        if (session == SEND_GET_PRODUCT)
            emit productListReceived(parts.at(1));
        else if (session == SEND_GET_REMIND)
            emit remindListReceived(parts.at(1));
    }
}

void CNT_Net::CheckHeartbeat() {
    const qint64 since = nowMs() - lastHeart_.toMSecsSinceEpoch();
    if (since <= kHeartbeatLimitMs) {
        lastHeart_ = SysClock::now();
        alive_ = true;
        return;
    }
    alive_ = false;
    if (gpWPara && gpWPara->cnt_net_on && started_) {
        LOG(INFO) << "(hearttimes timeout) 'NetClinet' will restart...";
        CNT_ReStart();
    }
    lastHeart_ = SysClock::now();
}

void CNT_Net::CNT_FirstInit() {
    // Image sharing is set up by the shared-memory publisher once it exists; nothing is shared yet.
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
    if (it.value() == QLatin1String("heart_timer")) CheckHeartbeat();
    QTcpServer::timerEvent(e);
}
