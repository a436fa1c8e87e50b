#pragma once
// The operation record of the current day and its daily rotation, plus what the record viewer needs.
// Lives on the GUI thread, owned by the main window:
//   start-up          RecordStore::start()      (creates "./RECORD", reads "time.txt", opens RECORD.db)
//   InsertRecord      RecordStore::insertRecord(text, AccessLevel)
//   SlotCheckDate     RecordStore::checkDate()   (60000 ms timer and once at start)
//   FLushAll          RecordStore::flush()
//   viewer            recordDayList(), openRecordDay(), showRecordModel()
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

#include "recorddb.h"

class QObject;
class QSqlTableModel;
class QTableView;

class RecordStore {
public:
    // Told every record before its row is written (time, access-level label, text); the main window
    // forwards it to the network bridge when the bridge is switched on and up.
    using BridgeSink = std::function<void(const QDateTime&, const QString&, const QString&)>;

    static constexpr const char* kArchiveDir = "RECORD";
    static constexpr const char* kDateFile = "time.txt";

    // Creates "./RECORD", reads the record date from "time.txt" and opens RECORD.db, repairing a
    // missing or damaged one (Repaired or Failed: tell the operator). A missing "time.txt" is written
    // with today; an unreadable date is taken from RECORD.db's last change.
    RecordDb::OpenResult start();
    // The date check: when today differs from the record date, RECORD.db goes to
    // "./RECORD/<record date>.db" (never over an existing archive: "<date>_2.db" and so on), a fresh
    // RECORD.db is made and today is written to "time.txt". True when it rotated.
    bool checkDate();
    // One row (time "hh.mm.ss", level label, text). Runs the date check first so that a record
    // after midnight goes into the new day. False when the row could not be written now: it is then
    // kept in memory and written, in order and with its own time, as soon as a write succeeds again
    // (the next record, the next date check or flush()). At most kMaxPending rows wait; beyond that
    // the oldest are dropped and counted, and the count is written as a record of its own (id 610)
    // where they were.
    bool insertRecord(const QString& text, int accessLevel);
    // Writes what waits, then closes RECORD.db before a reboot (reopened by the next record).
    void flush();

    static constexpr int kMaxPending = 500;
    int pendingCount() const { return int(pending_.size()); }
    qint64 droppedCount() const { return droppedTotal_; }

    QString recordDate() const { return recordDate_; }
    void setBridgeSink(BridgeSink sink) { sink_ = std::move(sink); }

    // Language-table label of an access level: 2 "Advanced", 1 "Primary", otherwise "Unlogged".
    static QString levelLabel(int accessLevel);

    // Writes "time.txt" (checked; a failure is told to the operator). False when it was not written.
    static bool writeDate(const QString& date);

private:
    struct Pending {
        QDateTime time;
        QString label;
        QString text;
    };
    // Opens the database when it is closed; false when none can be had.
    bool ensureOpen();
    // Writes the waiting rows in order (the count of dropped ones first); false when one failed
    // (it and those after it keep waiting).
    bool writePending();
    void keep(const QDateTime& time, const QString& label, const QString& text);

    QString recordDate_;
    BridgeSink sink_;
    std::deque<Pending> pending_;
    qint64 dropped_ = 0;       // dropped since the last count was written
    qint64 droppedTotal_ = 0;  // for the log
};

// The viewer's day list: today first, then the archived days of "./RECORD", newest first.
QStringList recordDayList(const QDate& today);
// A read-only table model of one day: row 0 (today) reads RECORD.db through "dbRecord", any other
// row opens "./RECORD/<day>.db" read-only through "dbList". Sorted by time, latest first, with the
// column headers of the language table. nullptr when the day cannot be opened.
QSqlTableModel* openRecordDay(int row, const QString& day, QObject* parent);
// Shows the model in the log page's table: no row header, columns 120, 125 and 1330 pixels wide.
void showRecordModel(QTableView* view, QSqlTableModel* model);
