#include "cnt_net.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QHostAddress>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTimerEvent>
#include <cjson/cJSON.h>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "platform/system/commandrunner.h"
#include "platform/system/timing.h"

CNT_Net* gpNet = nullptr;
QList<param_roi> g_listParamROI;

namespace {
quint16 g_port = 8890;
ParamJsonBuilder g_paramJson = nullptr;
}  // namespace

void setParamJsonBuilder(ParamJsonBuilder builder) {
    g_paramJson = builder;
}
void CNT_Net::setListenPort(quint16 port) {
    g_port = port;
}
quint16 CNT_Net::listenPort() {
    return g_port;
}

CNT_Net::CNT_Net(QObject* parent) : QTcpServer(parent) {
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
    qInfo("CNT: server is alread open...");
    const int id = startTimer(TimeMs("net.heartbeat", 60000), Qt::VeryCoarseTimer);
    timerNames_.insert(id, QStringLiteral("heart_timer"));
    getWhichSend();
    started_ = isListening();
}

CNT_Net::~CNT_Net() = default;

void CNT_Net::getWhichSend() {
    // Every kind is on unless the which-send JSON names it with the literal false.
    whichSend_.clear();
    for (int k = 0; k <= SEND_TYPE_MAX; ++k) whichSend_.insert(k, true);
    QFile f(QStringLiteral("./cnt_net/whichsend.config"));
    if (!f.open(QIODevice::ReadOnly)) return;
    QByteArray text = f.readAll();
    const int nul = text.indexOf('\0');
    if (nul >= 0) text.truncate(nul);
    cJSON* root = cJSON_Parse(text.constData());
    if (!root) return;
    for (int k = 0; k <= SEND_TYPE_MAX; ++k) {
        const cJSON* item = cJSON_GetObjectItem(root, QByteArray::number(k).constData());
        if (item && cJSON_IsFalse(item)) whichSend_.insert(k, false);
    }
    cJSON_Delete(root);
}

void CNT_Net::CNT_FirstInit() {
    // Image sharing is set up by the shared-memory publisher once it exists; nothing is shared yet.
}

void CNT_Net::CNT_ReStart() {
    if (QFile::exists(QStringLiteral("./cnt_net/runNetClient.py")))
        RunCommand(QStringLiteral("python3.4 ./cnt_net/runNetClient.py &"));
}

QByteArray CNT_Net::frameMessage(int kind, const QByteArray& body) {
    return QByteArray::number(kind) + ':' + QByteArray::number(body.size()) + ":..!" + body;
}

void CNT_Net::queueMessage(int kind, const QByteArray& body) {
    if (!kindEnabled(kind)) return;
    QMutexLocker lock(&queueLock_);
    queue_.append(frameMessage(kind, body));
}

QList<QByteArray> CNT_Net::pendingMessages() const {
    QMutexLocker lock(&queueLock_);
    return queue_;
}

void CNT_Net::CNT_SendParam() {
    if (!kindEnabled(SEND_PARAM) || !g_paramJson) return;
    queueMessage(SEND_PARAM, g_paramJson());
}

void CNT_Net::CNT_SendRecord(const QDateTime& time, const QString& oper, const QString& description) {
    // Joined, not substituted: the texts may hold "%" themselves.
    const QString body = QStringLiteral("device_id=") + QSysInfo::machineHostName() +
                         QStringLiteral("&operater=") + oper + QStringLiteral("&utc=") +
                         QString::number(time.toMSecsSinceEpoch()) + QStringLiteral("&description=") +
                         description;
    queueMessage(SEND_RECORD, body.toUtf8());
}

void CNT_Net::CNT_SendAlarmPic(const QString& path) {
    queueMessage(SEND_ALARM_PIC, path.toUtf8());
}

void CNT_Net::CNT_SendROIParam(int camera, int step) {
    cJSON* root = cJSON_CreateObject();
    cJSON_AddNumberToObject(root, "camera_id", camera);
    cJSON_AddNumberToObject(root, "detect_id", step);
    char* text = cJSON_PrintUnformatted(root);
    queueMessage(SEND_ROI_PARAM, QByteArray(text));
    cJSON_free(text);
    cJSON_Delete(root);
}

void CNT_Net::CNT_SendStatistics_Once(const QList<param_roi>& list) {
    lastResultUtc_ = QDateTime::currentMSecsSinceEpoch();
    if (list.isEmpty()) return;
    cJSON* arr = cJSON_CreateArray();
    for (const param_roi& p : list) {
        cJSON* o = cJSON_CreateObject();
        cJSON_AddNumberToObject(o, "camera_id", p.camera);
        cJSON_AddNumberToObject(o, "detect_id", p.detect);
        cJSON_AddNumberToObject(o, "roi_id", p.roi);
        cJSON_AddNumberToObject(o, "algorithm_type", p.type);
        cJSON_AddNumberToObject(o, "algorithm_result", p.value);
        cJSON_AddNumberToObject(o, "algorithm_premin", p.min);
        cJSON_AddNumberToObject(o, "algorithm_premax", p.max);
        cJSON_AddNumberToObject(o, "is_alarm", p.ok);
        cJSON_AddItemToArray(arr, o);
    }
    char* out = cJSON_PrintUnformatted(arr);
    queueMessage(SEND_RESULT_ONCE, QByteArray(out));
    cJSON_free(out);
    cJSON_Delete(arr);
}

void CNT_Net::CNT_SendSaveNgVideo(int camera, int isng) {
    // Kind 15: "device_id=..&camera_id=..&product=..&isng=..", the product taken from the statistics
    // record once that exists.
    Q_UNUSED(camera);
    Q_UNUSED(isng);
}

void CNT_Net::CNT_SendTelInfo(int step, int count) {
    const QString tech = QString::fromUtf8(gpWPara ? gpWPara->CntNet_MsgTechName : "");
    const QString phone = QString::fromUtf8(gpWPara ? gpWPara->CntNet_MsgTechNum : "");
    const QString body = QStringLiteral("device_id=") + QSysInfo::machineHostName() +
                         QStringLiteral("&check_id=") + QString::number(step + 1) +
                         QStringLiteral("&product_count=") + QString::number(count) +
                         QStringLiteral("&worker_name=") + tech + QStringLiteral("&mobile=") + phone;
    queueMessage(SEND_TEL_INFO, body.toUtf8());
}

void CNT_Net::ChkandAddStaticticsItem(int camera, int step, int area) {
    // Counts one alarm of the region in the statistics record (kind 7 document).
    Q_UNUSED(camera);
    Q_UNUSED(step);
    Q_UNUSED(area);
}

void CNT_Net::CNT_SendStatistics(const QString& ngImage) {
    // Kind 7: the statistics document, written to "./cnt_net/data/Statistics" and sent.
    Q_UNUSED(ngImage);
}

void CNT_Net::CNT_AddNgTimes(qint64 milliseconds) {
    totalStopAlarmMs_ += milliseconds;
    stopDurations_.append(milliseconds);
    while (stopDurations_.size() > 100) stopDurations_.removeFirst();
}

void CNT_Net::CNT_SendCancle(int releaseState) {
    if (!kindEnabled(SEND_CANCEL)) return;
    const char* method = "";
    switch (releaseState) {
        case 4:
            method = "不检测此模解除";
            break;
        case 5:
            method = "添加为模板解除";
            break;
        case 6:
            method = "重新检测切换到模腔检测";
            break;
        case 7:
            method = "进行重检检测";
            break;
        case 8:
            method = "重检检测OK";
            break;
        default:
            break;
    }
    cJSON* root = cJSON_CreateObject();
    cJSON_AddStringToObject(root, "device_id", QSysInfo::machineHostName().toLatin1().constData());
    cJSON_AddNumberToObject(root, "bind_utc", double(lastResultUtc_));
    cJSON_AddNumberToObject(root, "utc", double(QDateTime::currentMSecsSinceEpoch()));
    cJSON_AddStringToObject(root, "method", method);
    cJSON_AddStringToObject(root, "product_operator", gpWPara ? gpWPara->CntNet_Operator : "");
    char* text = cJSON_Print(root);
    queueMessage(SEND_CANCEL, QByteArray(text));
    cJSON_free(text);
    cJSON_Delete(root);
}

void CNT_Net::timerEvent(QTimerEvent* e) {
    if (!timerNames_.contains(e->timerId())) return;
    QTcpServer::timerEvent(e);
}
