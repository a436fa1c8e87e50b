#pragma once
// Local TCP bridge to the network client process that runs beside the monitor.
//
// CNT_Net listens on 127.0.0.1 port 8890 for the client, queues the messages of the senders below as
// framed texts ("<kind>:<utf-8 byte length>:..!<body>") and hands them to its sender thread
// (CNT_Thread), which sends one at a time and waits for the client's acknowledgement. The client's
// replies are "<head lines>\r\n\r\n<body>" (CNT_ReplyReader cuts them out of the stream): "/back/"
// acknowledges the message in flight, "/heart/" is the heartbeat, "/reline/" asks for a restart of
// the client, and a head line "SessionId:<n>" answers the product (14) or reminder (17) list request.
//
// The bridge also keeps the manual-stop and statistics records with their state files
// (cnt_statistics.h), publishes images through System V shared memory (kind 9 announces them) and
// reads the computer's network cards (netcard.h).
//
// Threads: everything runs on the GUI thread except the sender loop and the push of the camera
// pictures (CNT_SharePusher); the senders may also be called from the image saver's thread (the
// statistics are then handed to the GUI thread). All writes to the client connection are made on the
// GUI thread.
#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QTcpServer>
#include <atomic>
#include <functional>
#include <memory>

#include "cnt_replyreader.h"
#include "cnt_semaphore.h"
#include "cnt_statistics.h"
#include "netcard.h"
#include "param_roi.h"

class QTcpSocket;
class CNT_Thread;
class CNT_SharePusher;
class CammerSingleton;
struct cJSON;

// Message kinds of the bridge (SendType), 0 to 20; each has a switch in "./cnt_net/whichsend.config".
enum SendType {
    SEND_NONE = 0,
    SEND_RECORD = 1,
    SEND_PARAM = 2,
    SEND_ALARM_PIC = 5,
    SEND_TEMP_PIC = 6,
    SEND_STATISTICS = 7,
    SEND_ROI_PARAM = 8,
    SEND_MEMORY_INFO = 9,
    SEND_MANUAL_STOP = 10,
    SEND_DEL_TEMP_PIC = 11,
    SEND_GET_PRODUCT = 14,
    SEND_SAVE_NG_VIDEO = 15,
    SEND_TEL_INFO = 16,
    SEND_GET_REMIND = 17,
    SEND_RESULT_ONCE = 18,
    SEND_CANCEL = 20,
    SEND_TYPE_MAX = 20,
};

// One published image source (camera number, or 0 for the screen): its segment, lock and size, and
// the buffers its frames are converted in (sized once at registration).
struct VideoShareInfo {
    int source = 0;
    int width = 0, height = 0;
    int size = 0;       // bytes of one I420 frame
    int stride = 0;     // bytes per row of the source pixels (an odd width is published one pixel less)
    key_t shmKey = -1;  // the segment's key (ftok of the key folder)
    int shmid = -1;
    int semid = -1;
    void* addr = nullptr;  // the segment attached in this process
    CNT_Semaphore sem;
    int fps = 5;
    QByteArray i420;         // the converted frame before it is copied under the lock
    QByteArray slab;         // a few rows of I420 on their way into i420 (see CNT_Net::toI420)
    QImage stamp;            // the bottom rows with the time painted in (camera images)
    QByteArray stampSource;  // the bottom rows of the picture in i420, before the time was painted
    QString stampText;       // the time painted into i420
    QImage stampLayer;       // the time alone, drawn once a second, laid over the bottom rows
    QRect stampRect;         // where stampLayer has the text
    QImage screen;           // the screen grabbed at the registered size
    // The registered picture that i420 was converted from (its owner's change count), and whether
    // the segment holds i420 as it is: a push with nothing new converts and copies nothing.
    quint64 convertedSerial = 0;
    bool converted = false;
    bool published = false;
    // The picture is pushed every everyPasses-th pass of the 50 ms push, at least at the frame rate
    // the client was told; pushPass is the pass it was last pushed in (0: never).
    int everyPasses = 1;
    quint64 pushPass = 0;
};

class CNT_Net : public QTcpServer {
    Q_OBJECT
public:
    explicit CNT_Net(QObject* parent = nullptr);
    ~CNT_Net() override;

    // Bridge-up flag: the bridge switch was on at construction and the server was started.
    bool isStarted() const { return started_; }
    // Client-alive flag: a client is connected and its heartbeat is fresh.
    bool isConnected() const { return alive_; }
    // Why the server did not start although the bridge was switched on (the listen error), else empty.
    QString listenError() const { return listenError_; }
    bool memoryInfoSent() const { return memoryInfoSent_; }
    bool hasShareMemory() const { return shareMemory_; }
    QDateTime lastHeartbeat() const { return lastHeart_; }

    NetCard liveCard;  // filled from the system at construction
    NetCard editCard;  // edited by the network page
    bool serverSettingsChanged = false;

    // Hands the client connection to the sender thread and starts it when messages wait.
    void StartSend();
    // Wakes the sender thread from its acknowledgement wait.
    void goThrough();
    // Starts the network client script "./cnt_net/runNetClient.py" with the system's Python 3 when it
    // exists, ending the client this program started before, so that restarts never pile up.
    static void CNT_ReStart();
    // Loads the kind switches from "./cnt_net/whichsend.config" (all on unless named false).
    void getWhichSend();
    // Interprets one reply of the client.
    void ParsingBackBuf(const QString& text);
    // The heartbeat check of "heart_timer".
    void CheckHeartbeat();
    // Image sharing at start-up: registers the screen in video sharing mode 1 and starts the 50 ms
    // push when anything is shared; tells a client that is already there.
    void CNT_FirstInit();

    // Network cards (read from the system; see netcard.h).
    static QMap<QString, QStringList> getNewNetCardInfo();
    static QMap<QString, QString> getNetMac();
    static QString getNetHostName();

    // Senders, one per message kind. Each does nothing when its kind is switched off; the callers
    // test the bridge switch, isStarted() and (most) isConnected() first.
    // Kind 1: one operation record ("device_id=..&operater=..&utc=..&description=..").
    void CNT_SendRecord(const QDateTime& time, const QString& oper, const QString& description);
    // Kind 2: the live parameter record.
    void CNT_SendParam();
    // Kind 5: the path of an NG picture that was written.
    void CNT_SendAlarmPic(const QString& path);
    // Kind 6: the absolute path of a template or ignore mask that was written.
    void CNT_SendTempPic(const QString& path);
    // Kind 7: recomputes the statistics, writes "./cnt_net/data/Statistics" and queues the document
    // naming the picture just written ("null" for none). Called from another thread, it runs on the
    // bridge's own thread.
    void CNT_SendStatistics(const QString& ngImage);
    // Kind 8: the saved regions of one camera (store camera number) and detection step (0-based).
    void CNT_SendROIParam(int camera, int step);
    // Kind 9: the shared-memory layout, once per client connection, when something is shared.
    void CNT_SendMemoryInfo();
    // Kind 10: the operator stopped or started detection: updates the manual-stop record, writes
    // "./cnt_net/data/ManualStop" and queues the same text.
    void CNT_SendManualStop();
    // Kind 11: a template was deleted ("deviceId=..&cameraId=..&detectId=..&template=..&utc=..&operator=..").
    void CNT_SendDelTempPic(int camera, int step, const QString& name);
    // Kinds 14 and 17: ask for the product list and the reminder list (answered with SessionId 14, 17).
    void CNT_SendGetProduct();
    void CNT_SendGetRemindList();
    // Kind 15: record the NG video of `camera` (isng 1 on an alarm, 0 on its release).
    void CNT_SendSaveNgVideo(int camera, int isng);
    // Kind 16: tell the technician that `count` regions of step `step` failed.
    void CNT_SendTelInfo(int step, int count);
    // Kind 18: the region results of one decision (ng 1 NG, 0 OK; method the DetectMethod).
    void CNT_SendStatistics_Once(const QList<param_roi>& list, bool ng, int method);
    // Kind 20: the alarm was released. `releaseState` is the image state of the first camera's first
    // step, which names the way the alarm was released.
    void CNT_SendCancle(int releaseState);

    // Statistics record: one alarm of region `area` of camera and step.
    void ChkandAddStaticticsItem(int camera, int step, int area);
    // Adds the length of one alarm stop (milliseconds) to the total and the recent stop durations.
    void CNT_AddNgTimes(qint64 milliseconds);
    // The integer mean of the recent stop durations (at most the last 100; 0 when none).
    qint64 CNT_AddCycle();
    // Load the records from their state files (start, production reset).
    void InitManualStop();
    void InitStatistics();

    // Shared memory (video sharing): registers image source `source` of width x height 32-bit BGRA
    // pixels (`pixels` may be null for the screen) with its segment and lock. `pixelsLock`, when
    // given, is held by the owner of the pixels while it writes them: the push copies them under it.
    // `pixelsSerial`, when given, is counted up by the owner (under `pixelsLock`) at every change of
    // the pixels: an unchanged picture is not converted again.
    void CNT_AddUseMemory(int source, int width, int height, void* pixels, QMutex* pixelsLock = nullptr,
                          const quint64* pixelsSerial = nullptr);
    // Converts one image to I420 and copies it into its segment under the lock; false when nothing
    // was copied (not announced, no client, lock not free in time). Any thread.
    // `stride`: bytes per row of `pixels` (0: those of the registration); null pixels: the registered
    // ones, copied under their lock first.
    bool CNT_UpdateMemory(int source, const void* pixels = nullptr, int stride = 0);
    // The push of every registered source, made on the calling thread.
    void pushFrames();
    // The 50 ms push: camera pictures are converted and copied on the pusher thread (the GUI thread
    // only wakes it); the screen of mode 1 is grabbed and published on the GUI thread.
    void pushFramesInBackground();
    // Waits until the pusher thread has no pass asked for or running (tests, benches).
    void waitForPush();
    // Detaches and removes every segment and lock.
    void CNT_FreeShareMemory();
    // A view that goes away takes its pixels out of the push.
    void forgetPixels(int source);
    const QMap<int, VideoShareInfo*>& shareTable() const { return share_; }
    QByteArray memoryInfoText() const;
    static int fpsOfIndex(int index);
    // The directory the shared-memory keys are made from (ftok); default "/tmp" of the system root.
    static void setShareKeyPath(const QString& path);
    static QString shareKeyPath();

    qint64 lastResultUtc() const { return lastResultUtc_; }  // "utc" of the last kind 18, 0 before
    qint64 totalStopAlarmMs() const { return stats_.total_stop_alarm_timelen; }
    const CNT_Path_ManualStop& manualStop() const { return manualStop_; }
    const CNT_Path_Statistics& statistics() const { return stats_; }
    // Messages dropped because the queue was full while no client took them.
    qint64 droppedMessages() const { return dropped_; }
    static constexpr int kMaxQueued = 1000;
    // Replies handled in one turn of the event loop; more wait for the next turn, so that a flood
    // from the client never holds up the machine loop that shares the GUI thread.
    static constexpr int kRepliesPerTurn = 256;
    // Replies of the client handled since the start (tests, benches).
    qint64 repliesHandled() const { return repliesHandled_; }

    // Frames one message: "<kind>:<utf-8 byte length>:..!<body>".
    static QByteArray frameMessage(int kind, const QByteArray& body);
    // The body of kind 8 for one step of a region store.
    static QByteArray roiParamBody(const CammerSingleton& store, int step, const QString& hostName);
    // What is waiting to be sent, oldest first (the head may be in flight).
    QList<QByteArray> pendingMessages() const;
    bool kindEnabled(int kind) const { return whichSend_.value(kind, false); }

    // Loopback port; tests choose a free one so that parallel runs don't collide.
    static void setListenPort(quint16 port);
    static quint16 listenPort();
    // Key=value bodies: a value may hold no "&" or "=" (they would split the pair list). Fields the
    // operator types that reach such bodies are checked with this at entry.
    static bool keyValueTextOk(const QString& text);
    static QByteArray keyValueText(const QString& text);

signals:
    // Body of the client's answer to the product list (SessionId 14) and reminder list (17) requests.
    void productListReceived(const QString& body);
    void remindListReceived(const QString& body);

public slots:
    void SlotDisConnetced();
    void SlotReadyRead();

protected:
    void incomingConnection(qintptr socketDescriptor) override;
    void timerEvent(QTimerEvent* e) override;

private:
    friend class CNT_Thread;
    void queueMessage(int kind, const QByteArray& body);
    void queueJson(int kind, cJSON* root);  // prints formatted, queues, deletes root
    QByteArray hostLatin1() const;
    // Writes one message to `socket` when it is still the client connection (GUI thread); reports
    // to the sender thread once the bytes are written or could not be.
    void writeToClient(QTcpSocket* socket, const QByteArray& message, quint64 token);
    void onBytesWritten();
    void handleReply(const CNT_ReplyReader::Reply& reply);
    // Handles at most kRepliesPerTurn replies of the client connection, reading from it only while
    // the reader has no whole reply, and asks for another turn when more wait.
    void handleReplies();
    int runStateCode() const;  // 1 stopped, 0 detecting, 2 otherwise
    void statisticsBadKey();
    // Draws `text` into e->stampLayer (once a second).
    void drawStamp(VideoShareInfo* e, const QString& text);
    // Lays the time over the bottom rows of the picture last converted (e->stampSource) and puts
    // them into e->i420.
    void stampTime(VideoShareInfo* e);
    // Converts `rows` rows of BGRA pixels into rows dstRow.. of e's I420 frame, a few rows at a time:
    // OpenCV converts a picture this small on the calling thread, where a whole one would be spread
    // over its worker threads, which then spin between the pushes.
    static void toI420(VideoShareInfo* e, const uchar* pixels, int stride, int rows, int dstRow);
    // One push of every registered camera picture (pusher thread, or the caller of pushFrames).
    void pushCameraPictures();
    // GUI thread, before a push: a segment or lock that was removed or replaced is made again and the
    // client told the new ids (kind 9).
    void reviveShares();

    QString listenError_;
    CNT_ReplyReader reader_;
    bool repliesTurnAsked_ = false;  // handleReplies() is queued
    qint64 repliesHandled_ = 0;
    CNT_Path_ManualStop manualStop_;
    CNT_Path_Statistics stats_;  // GUI thread only
    // Guards share_, framePixels_ and the conversion buffers: the GUI thread registers and frees,
    // the pusher thread converts.
    mutable QMutex shareLock_;
    QMap<int, VideoShareInfo*> share_;
    struct SharedPixels {
        const void* pixels = nullptr;
        QMutex* lock = nullptr;           // held by the owner while it writes the pixels; may be null
        const quint64* serial = nullptr;  // the owner's change count of the pixels; may be null
    };
    QMap<int, SharedPixels> framePixels_;
    QByteArray pixelCopy_;  // a registered picture copied under its lock, converted outside it
    std::unique_ptr<CNT_SharePusher> pusher_;
    quint64 pushPass_ = 0;  // passes of the camera picture push (under shareLock_)
    qint64 dropped_ = 0;
    bool connecting_ = false;  // a new client is being taken: what was in flight went to the old one
    std::atomic<bool> started_{false};
    std::atomic<bool> alive_{false};
    std::atomic<bool> memoryInfoSent_{false};
    bool shareMemory_ = false;
    QDateTime lastHeart_;
    QList<qint64> stopDurations_;
    qint64 lastResultUtc_ = 0;
    QMap<int, QString> timerNames_;
    QTcpSocket* client_ = nullptr;  // changed under the queue lock
    QList<QByteArray> queue_;       // under the queue lock
    std::unique_ptr<CNT_Thread> sender_;
    int sendAttempts_ = 0;  // under the queue lock
    quint64 pendingWrite_ = 0;
    cJSON* memoryInfo_ = nullptr;
    QMap<int, bool> whichSend_;
};

extern CNT_Net* gpNet;

// The callers' tests before a message: the bridge switched on (CntNet value 1 of the live record)
// and its server running; CNT_ClientReady also wants the network client connected.
bool CNT_BridgeUp();
bool CNT_ClientReady();

// Kind 8 reads the saved region store of the view showing a camera (by store camera number); the
// main window installs the lookup. Without one, or for a camera without a store, nothing is sent.
void setRoiStoreLookup(std::function<const CammerSingleton*(int camera)> lookup);
// The statistics' cycle time: the main window installs the last cycle time in tenths of a second.
void setCycleTimeSource(std::function<int()> tenths);
