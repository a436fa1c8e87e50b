#include "cnt_thread.h"

#include <QDeadlineTimer>

#include "cnt_net.h"
#include "platform/system/timing.h"

CNT_Thread::CNT_Thread(CNT_Net* owner) : owner_(owner) {}

CNT_Thread::~CNT_Thread() {
    requestStop();
    wait();
}

void CNT_Thread::requestStop() {
    QMutexLocker lock(&queueLock);
    stop_ = true;
    ackWait_.wakeAll();
    writeWait_.wakeAll();
}

void CNT_Thread::wake() {
    QMutexLocker lock(&queueLock);
    ackWait_.wakeAll();
    writeWait_.wakeAll();
}

bool CNT_Thread::acknowledge() {
    if (!awaitingAck_ || owner_->queue_.isEmpty()) return false;
    owner_->queue_.removeFirst();
    // The next message starts with a full budget of two sendings, whenever the acknowledgement came.
    owner_->sendAttempts_ = 0;
    awaitingAck_ = false;
    acked_ = true;
    ackWait_.wakeAll();
    writeWait_.wakeAll();
    return true;
}

void CNT_Thread::writeDone(quint64 token, bool ok) {
    writtenToken_ = token;
    writeOk_ = ok;
    writeWait_.wakeAll();
}

bool CNT_Thread::writeHead() {
    const QByteArray message = owner_->queue_.first();
    QTcpSocket* socket = socket_;
    writtenTo_ = socket;
    const quint64 token = ++writeToken_;
    awaitingAck_ = true;
    acked_ = false;
    // The connection belongs to the GUI thread: the write is made there.
    CNT_Net* owner = owner_;
    QMetaObject::invokeMethod(
        owner_, [owner, socket, message, token] { owner->writeToClient(socket, message, token); },
        Qt::QueuedConnection);
    QDeadlineTimer deadline(TimeMs("net.writeWait", 5000));
    // A client that went or was replaced while the write waited is not waited for any longer.
    while (writtenToken_ != token && !acked_ && !stop_ && socket_ == socket) {
        if (!writeWait_.wait(&queueLock, deadline)) break;
    }
    if (stop_) return false;
    if (writtenToken_ == token && !writeOk_) {
        awaitingAck_ = false;  // the client never got it
        return false;
    }
    return true;
}

bool CNT_Thread::waitForAck() {
    QDeadlineTimer deadline(TimeMs("net.ackWait", 5000));
    // A client that went or was replaced cannot acknowledge any more.
    while (!acked_ && !stop_ && socket_ && socket_ == writtenTo_) {
        if (!ackWait_.wait(&queueLock, deadline)) break;
    }
    const bool ok = acked_;
    acked_ = false;
    return ok;
}

void CNT_Thread::run() {
    QMutexLocker lock(&queueLock);
    owner_->sendAttempts_ = 0;
    awaitingAck_ = false;
    if (!owner_->isConnected() || stop_) return end();
    for (;;) {
        if (owner_->queue_.isEmpty()) {
            owner_->sendAttempts_ = 0;
            return end();
        }
        if (owner_->sendAttempts_ <= 1) {
            if (!socket_) return end();
            if (!writeHead()) {
                // Written to a connection that was replaced meanwhile: the new client gets it.
                if (socket_ && socket_ != writtenTo_ && !stop_ && owner_->isConnected()) continue;
                return end();
            }
            if (waitForAck())
                owner_->sendAttempts_ = 0;
            else if (socket_ && socket_ == writtenTo_)
                owner_->sendAttempts_ += 1;  // the client stayed and did not answer
            // A client that went or was replaced before it could answer costs no attempt: the
            // message goes to the next client as if it had not been sent.
        } else {
            // Sent twice without an acknowledgement: dropped.
            owner_->queue_.removeFirst();
            owner_->sendAttempts_ = 0;
            awaitingAck_ = false;
        }
        if (!owner_->isConnected() || stop_) return end();
    }
}
