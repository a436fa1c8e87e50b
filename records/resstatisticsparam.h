#pragma once
// Production statistics of one production day in "ResStatistics.db" (table resstatistics, connection
// "dbResStatistics"): per hour slot, the OK and NG cycles of every camera and detection step (rows
// "C<camera>_D<step>") and of every detection step on its own (rows "Detect<step>"), plus the day's
// planned output (row "plan"). A count value is the 24 slot counts separated by single blanks; slot k
// is the hour (k + 8) mod 24, so slots 0 to 11 are the morning shift and 12 to 23 the night shift.
//
// At a change of day the file goes to "./ResStatistics/<closed day>.db" (a day archived already gets
// "<day>_2.db" and so on) and a copy of the empty template "ResStatisticsNULL.db" takes its place.
// GUI thread only. One instance is meant to exist, reached through gpResStatisticsParam.
//
// A step or camera index is 0 to 7; 8 means all eight where an operation says so.
#include <QDate>
#include <QList>
#include <QString>

// What the store tells the statistics window when a per-step count changes.
class ResStatisticsView {
public:
    virtual ~ResStatisticsView() = default;
    virtual bool isToday() = 0;
    virtual void updateData() = 0;
};

class ResStatisticsParam {
public:
    static constexpr const char* kConnection = "dbResStatistics";
    static constexpr const char* kFile = "ResStatistics.db";
    static constexpr const char* kTemplate = "ResStatisticsNULL.db";
    static constexpr const char* kArchiveDir = "ResStatistics";
    static constexpr int kSlots = 24;
    static constexpr int kAll = 8;

    enum ShiftType { kMorning = 0, kNight = 1, kWholeDay = 2 };

    // Opens "ResStatistics.db" of the current directory and loads every row (missing rows are
    // inserted with zeros). `day` is the production day the file holds (invalid: today). A missing or
    // empty file is restored from the template (or made together with the template) and used at once.
    explicit ResStatisticsParam(const QDate& day = QDate());
    ~ResStatisticsParam();
    ResStatisticsParam(const ResStatisticsParam&) = delete;
    ResStatisticsParam& operator=(const ResStatisticsParam&) = delete;

    bool createDatabase();
    bool createTable();
    bool load(int step, int camera);
    bool loadTotal(int step);
    bool loadPlan();
    bool save(int step, int camera);
    bool saveTotal(int step);
    bool insert(int step, int camera);
    bool insertTotal(int step);
    bool insertPlan();
    bool savePlan();

    void setCurPlan(int plan);
    void setPlan(int plan);
    void setPlan();
    int getPlan() const { return m_plan; }
    int getCurPlan() const { return m_curPlan; }
    QString getCurDate() const { return m_curDate; }

    // One cycle of a camera at a step ended OK or NG in hour slot `hour` (0 to 23).
    void add(int hour, bool ok, int step, int camera);
    // One cycle of a step ended OK or NG in hour slot `hour`.
    void addTotal(int hour, bool ok, int step);

    // What the statistics window shows: copies of a step's totals, of a camera's lists, or given lists.
    void setFindResAll(int step);
    void setFindRes(int step, int camera);
    void setFindRes(const QList<int>& okList, const QList<int>& ngList);
    void clcCount();
    int getCount(int shift, bool ok) const;
    QList<int> getRes(int shift, bool ok) const;

    // Zeroes the OK lists (bit 0 of which) and/or the NG lists (bit 1).
    void reset(int which, int step, int camera);
    void resetTotal(int which, int step);

    // Closes the current day: every list is written, the file is archived under the day it holds and
    // a fresh file is made for `date`. False when the day could not be closed; then the file, the
    // lists and the current date stay as they were.
    bool nextDay(const QDate& date);

    // The lists as the store holds them (camera by step).
    const QList<int>& okList(int step, int camera) const { return m_camOk[camera][step]; }
    const QList<int>& ngList(int step, int camera) const { return m_camNg[camera][step]; }
    const QList<int>& okTotal(int step) const { return m_ok[step]; }
    const QList<int>& ngTotal(int step) const { return m_ng[step]; }

    void setView(ResStatisticsView* view) { m_view = view; }
    ResStatisticsView* view() const { return m_view; }

    // Parses a stored count value into exactly 24 slots (missing slots 0, extra values dropped).
    static QList<int> parseSlots(const QString& text);
    static QString formatSlots(const QList<int>& values);

private:
    bool openDb();
    void closeDb();
    bool readPair(const QString& name, QList<int>* ok, QList<int>* ng, bool* found);
    bool writePair(const QString& name, const QList<int>& ok, const QList<int>& ng, bool update);
    // The camera-and-step rows (or the step rows) chosen by step and camera (-1: all), updated or
    // inserted in one transaction.
    bool writeCameraRows(int step, int camera, bool update);
    bool writeStepRows(int step, bool update);
    bool restoreMissingFile();
    bool makeFreshFile();

    QList<int> m_ok[8];
    QList<int> m_ng[8];
    QList<int> m_camOk[8][8];
    QList<int> m_camNg[8][8];
    int m_curPlan = 0;
    int m_plan = 0;
    QList<int> m_findOk;
    QList<int> m_findNg;
    int m_morningOk = 0;
    int m_morningNg = 0;
    int m_nightOk = 0;
    int m_nightNg = 0;
    int m_dayOk = 0;
    int m_dayNg = 0;
    QString m_curDate;
    ResStatisticsView* m_view = nullptr;
};

extern ResStatisticsParam* gpResStatisticsParam;

// The archive target for a closed day: "<dir>/<day>.db", or "<day>_2.db", "<day>_3.db" ... when
// that name is taken.
QString resStatisticsArchiveTarget(const QString& dir, const QString& day);
