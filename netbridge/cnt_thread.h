#pragma once
// The bridge's sender: sends the queued messages to the network client one at a time, waits for the
// client's acknowledgement and sends a message a second time when none came; a message without an
// acknowledgement after its second sending is dropped. The thread ends when the queue runs empty or
// the client is gone; the bridge starts it again with the next message.
#include <QByteArray>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

class CNT_Net;
class QTcpSocket;

class CNT_Thread : public QThread {
    Q_OBJECT
public:
    explicit CNT_Thread(CNT_Net* owner);
    ~CNT_Thread() override;

    // The client connection the messages go to. Called with the queue lock held.
    void setSocket(QTcpSocket* socket) { socket_ = socket; }
    void clearSocket() { socket_ = nullptr; }
    QTcpSocket* socket() const { return socket_; }

    // Guards the bridge's send queue, the connection pointer and the state below.
    QMutex queueLock;

    // Called by the bridge with the queue lock held.
    // An acknowledgement came: true when a message was waiting for one (it has been removed from the
    // queue); false when nothing had been sent that it could acknowledge.
    bool acknowledge();
    // The bridge wrote (or could not write) message `token`; wakes the write wait.
    void writeDone(quint64 token, bool ok);
    // Wakes every wait so that the loop looks at the client flag and the stop request again.
    void wake();
    // True while the loop runs and has not yet decided to end; a message queued now is sent by it.
    bool active() const { return isRunning() && !ending_; }
    void prepareStart() { ending_ = false; }
    // The head of the queue was written and waits for its acknowledgement. Queue lock held.
    bool headInFlight() const { return awaitingAck_; }
    // Ends the loop (destruction of the bridge).
    void requestStop();

protected:
    void run() override;

private:
    // Writes the head of the queue through the bridge and waits for the write; false when no write
    // reached the client. Entered and left with the queue lock held.
    bool writeHead();
    // Waits for the acknowledgement of the written head; true when it came. Queue lock held.
    bool waitForAck();
    void end() {
        ending_ = true;
        awaitingAck_ = false;
    }

    CNT_Net* owner_;
    QTcpSocket* socket_ = nullptr;
    QTcpSocket* writtenTo_ = nullptr;  // the connection the head was last written to
    QWaitCondition ackWait_;
    QWaitCondition writeWait_;
    bool ending_ = true;
    bool stop_ = false;
    bool awaitingAck_ = false;  // the head was written and waits for its acknowledgement
    bool acked_ = false;
    quint64 writeToken_ = 0;
    quint64 writtenToken_ = 0;
    bool writeOk_ = false;
};
