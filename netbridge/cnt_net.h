#pragma once
// Local TCP bridge to the network client process that runs beside the monitor.
#include <QDateTime>
#include <QMap>
#include <QMutex>
#include <QStringList>
#include <QTcpServer>

#include "param_roi.h"

class QTcpSocket;

// Message kinds of the bridge.
enum SendType {
    SEND_RECORD = 1,
    SEND_PARAM = 2,
    SEND_ALARM_PIC = 5,
    SEND_STATISTICS = 7,
    SEND_ROI_PARAM = 8,
    SEND_SAVE_NG_VIDEO = 15,
    SEND_TEL_INFO = 16,
    SEND_RESULT_ONCE = 18,
    SEND_CANCEL = 20,
    SEND_TYPE_MAX = 20,
};

class CNT_Net : public QTcpServer {
    Q_OBJECT
public:
    explicit CNT_Net(QObject* parent = nullptr);
    ~CNT_Net() override;

    bool isStarted() const { return started_; }      // switched on and listening
    bool isConnected() const { return connected_; }  // a client answers on the local connection

    void CNT_FirstInit();
    static void CNT_ReStart();
    void CNT_SendParam();
    // Kind 1: one operation record ("device_id=..&operater=..&utc=..&description=..").
    void CNT_SendRecord(const QDateTime& time, const QString& oper, const QString& description);
    // Kind 5: the path of an NG picture that was written.
    void CNT_SendAlarmPic(const QString& path);
    void CNT_SendROIParam(int camera, int step);
    void CNT_SendStatistics_Once(const QList<param_roi>& list);

    // Calls of the inspection decision. Callers test the bridge switch, isStarted() and (most)
    // isConnected() first.
    // Kind 15: record the NG video of `camera` (isng 1 on an alarm, 0 on its release). Its body names
    // the product of the statistics record, which comes with the statistics; nothing is sent yet.
    void CNT_SendSaveNgVideo(int camera, int isng);
    // Kind 16: tell the technician that `count` regions of step `step` failed.
    void CNT_SendTelInfo(int step, int count);
    // Statistics record (kind 7 document): one alarm of region `area` of camera and step; the NG
    // statistics message. Both come with the statistics record; they do nothing yet.
    void ChkandAddStaticticsItem(int camera, int step, int area);
    void CNT_SendStatistics(const QString& ngImage);
    // Adds the length of one alarm stop (milliseconds) to the stop durations.
    void CNT_AddNgTimes(qint64 milliseconds);
    // Kind 20: the alarm was released. `releaseState` is the image state of the first camera's first
    // step, which names the way the alarm was released.
    void CNT_SendCancle(int releaseState);

    qint64 lastResultUtc() const { return lastResultUtc_; }  // "utc" of the last kind 18, 0 before
    qint64 totalStopAlarmMs() const { return totalStopAlarmMs_; }

    // Frames one message: "<kind>:<utf-8 byte length>:..!<body>".
    static QByteArray frameMessage(int kind, const QByteArray& body);
    // What is waiting to be sent, oldest first.
    QList<QByteArray> pendingMessages() const;
    bool kindEnabled(int kind) const { return whichSend_.value(kind, false); }

    // Loopback port; tests choose a free one so that parallel runs don't collide.
    static void setListenPort(quint16 port);
    static quint16 listenPort();

protected:
    void timerEvent(QTimerEvent* e) override;

private:
    void queueMessage(int kind, const QByteArray& body);
    void getWhichSend();

    bool started_ = false;
    bool connected_ = false;
    QMap<int, QString> timerNames_;
    QMap<int, bool> whichSend_;
    mutable QMutex queueLock_;
    QList<QByteArray> queue_;
    qint64 lastResultUtc_ = 0;
    qint64 totalStopAlarmMs_ = 0;
    QList<qint64> stopDurations_;
};

extern CNT_Net* gpNet;

// Builds the JSON body of the parameter message from the live record; installed by the parameter layer.
using ParamJsonBuilder = QByteArray (*)();
void setParamJsonBuilder(ParamJsonBuilder builder);
