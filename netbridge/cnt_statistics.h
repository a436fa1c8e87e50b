#pragma once
// The records the bridge keeps for the network client across restarts: the manual-stop record
// (message kind 10, "./cnt_net/data/ManualStop"), the production statistics (kind 7,
// "./cnt_net/data/Statistics") and the reminder record ("./cnt_net/data/Remind"). Each file holds the
// formatted JSON text of its message body alone, replaced whole through a temporary file and a
// rename, and is read back whole at the bridge's start.
#include <QByteArray>
#include <QMap>
#include <QString>

struct cJSON;

constexpr const char* kManualStopFile = "./cnt_net/data/ManualStop";
constexpr const char* kStatisticsFile = "./cnt_net/data/Statistics";
constexpr const char* kRemindFile = "./cnt_net/data/Remind";

// What a state file may hold: a number outside its field's range is taken as missing.
constexpr double kCntMaxUtc = 253402300799999.0;  // 9999-12-31 23:59:59.999 in ms since the epoch
constexpr int kCntMaxStopMinutes = 100000000;     // stopped minutes, far beyond a machine's life
constexpr int kCntMaxAlarmArea = 99;              // regions per step (1-based in the file)
constexpr int kCntMaxCount = 1000000000;          // alarms per region

// Writes a state file through a temporary file and a rename; false (logged) when nothing was saved.
bool CNT_SaveStateFile(const char* path, const QByteArray& text);
// The whole content of a state file; false when it does not open.
bool CNT_ReadStateFile(const char* path, QByteArray* text);

struct CNT_Path_ManualStop {
    CNT_Path_ManualStop();
    bool loaded = true;
    qint64 utc = 0;  // when detection was last stopped, ms since the epoch
    QString stop_check_timeslot;
    qint32 stop_check_timelen = 0;  // total stopped minutes
    qint32 timeout_time = 0;
    QString operator_id = QStringLiteral("--");
    QString disalarm_operator_id = QStringLiteral("--");
    QString stop_check_reason = QStringLiteral("--");

    // The message body: "device_id", "state" and the fields in order (formatted JSON).
    QByteArray document(const QByteArray& hostLatin1, int state) const;
    // Takes the members of a saved document in order, each only while all before it were there.
    // Returns false when the text is not JSON (nothing changed); *complete tells whether all seven
    // members were there.
    bool load(const QByteArray& text, bool* complete);
    bool SaveToFile(const char* data, int length) const;
};

struct CNT_Path_Statistics_Alarm {
    qint32 alarm_area_num = 0;  // region index + 1
    QString alarm_algorithm_type = QStringLiteral("----");
    qint32 alarm_result = 0;  // alarms counted for the region
};

struct CNT_Path_Statistics_Detect {
    qint32 time = 0;  // detection step, 1-based
    qint32 ng_sum = 0, produce = 0, monitor_times = 0, ok_num = 0, ok_rate = 0, not_ok_num = 0,
           not_ok_rate = 0;
    QMap<int, CNT_Path_Statistics_Alarm> alarms;  // by region index
};

struct CNT_Path_Statistics_Camera {
    QString id = QStringLiteral("1");
    qint64 disalarm_timeout_time = 0, last_monitor_period = 0, now_monitor_period = 0,
           average_monitor_period = 0;
    QMap<int, CNT_Path_Statistics_Detect> detects;  // by detection step, 0-based
};

struct CNT_Path_Statistics {
    CNT_Path_Statistics();
    bool loaded = true;
    QString product_name = QStringLiteral("no set");
    QString product_serial = QStringLiteral("1");
    qint32 products_num = 10000;
    qint64 start_utc = 0;
    qint64 real_produce = 0;
    qint64 utc_watch_total = 0;
    qint64 total_stop_alarm_timelen = 0;
    qint64 watch_count_total = 0;
    qint64 ng_count_total = 0;
    qint64 ng_notification_rate = 0;                // NG per ten thousand inspected
    qint64 watch_circle = 0;                        // cycle time, ms
    QMap<int, CNT_Path_Statistics_Camera> cameras;  // by camera number, 0-based

    // The header fields back to their defaults (start time `now`); the tree, the real production
    // and the cycle time stay.
    void resetHeader(qint64 now);
    // Loads a saved document by the member rules: false when the text is not JSON; *headerComplete
    // false when a header member was missing (the file is then to be removed).
    bool load(const QByteArray& text, bool* headerComplete);
    // Counts one alarm of region `area` of `camera` in `step`.
    void addAlarm(int camera, int step, int area);
    // The message body (formatted JSON). The tree's numbers are written as they are held.
    QByteArray document(const QByteArray& hostLatin1, int state, qint64 utc, const QByteArray& ngImage) const;
    bool SaveToFile(const char* data, int length) const;
};

struct CNT_Path_Remind {
    CNT_Path_Remind();
    qint64 utc = 1520307723012LL;
    qint64 notification_utc = 1520307723012LL + 151000;
    qint64 duration = 3600000;
    QString description = QStringLiteral("reminder");
    QString operator_id = QStringLiteral("--");

    // One reminder object: "device_id", "utc", "notification_utc", "duration", "description",
    // "operator_id".
    QByteArray object(const QByteArray& hostLatin1) const;
    // Appends the reminder given as JSON text to the "remind" array of the file. A file that is not
    // JSON (or missing) starts a new document; a document without "remind" is written back as it is.
    static bool SaveToFile(const char* data, int length);
};

// Integer rate per ten thousand, in 64 bits; 0 when there is nothing to divide by.
inline qint64 CNT_RatePer10000(qint64 part, qint64 whole) {
    return whole > 0 ? part * 10000 / whole : 0;
}
