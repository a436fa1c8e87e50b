#include "recordstore.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QSqlDatabase>
#include <QSqlTableModel>
#include <QTableView>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/savereport.h"
#include "platform/system/sysclock.h"

namespace {
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");

QString lan(int id) {
    return gaLanStr[id * kLanColumns + gLan];
}

// The record that stands for the rows dropped while none could be written.
QString droppedText(qint64 count) {
    const QString text = lan(610);
    return text.isEmpty() ? QString::number(count) : text.arg(count);
}

QString archiveDir() {
    return QDir(QString::fromLatin1(RecordStore::kArchiveDir)).absolutePath();
}

// "./RECORD/<date>.db", or "<date>_2.db", "<date>_3.db" ... when that day is archived already.
QString archiveTarget(const QString& date) {
    const QString dir = archiveDir();
    QString target = dir + QLatin1Char('/') + date + QStringLiteral(".db");
    for (int n = 2; QFile::exists(target) || QFile::exists(target + QStringLiteral("-journal")); ++n)
        target =
            dir + QLatin1Char('/') + date + QLatin1Char('_') + QString::number(n) + QStringLiteral(".db");
    return target;
}
}  // namespace

QString RecordStore::levelLabel(int accessLevel) {
    return lan(accessLevel == 2 ? 154 : accessLevel == 1 ? 155 : 156);
}

bool RecordStore::writeDate(const QString& date) {
    return saveFileReported(SavedFile::RecordDate, QString::fromLatin1(kDateFile), date.toLatin1());
}

RecordDb::OpenResult RecordStore::start() {
    if (!QDir().mkpath(QString::fromLatin1(kArchiveDir))) qWarning() << "cannot create ./RECORD";
    const QString today = SysClock::now().date().toString(kDateFormat);
    QFile f(QString::fromLatin1(kDateFile));
    if (f.open(QIODevice::ReadOnly)) {
        const QStringList words =
            QString::fromLatin1(f.read(256)).split(QRegExp(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        const QDate date = words.isEmpty() ? QDate() : QDate::fromString(words.first(), kDateFormat);
        if (date.isValid()) {
            recordDate_ = words.first();
        } else {
            // A damaged date file: the database covers the day it was last written.
            const QFileInfo db(QString::fromLatin1(RecordDb::kFile));
            const QDate changed = db.exists() ? db.lastModified().date() : QDate();
            recordDate_ = changed.isValid() ? changed.toString(kDateFormat) : today;
            qWarning().noquote() << kDateFile << "holds no date; the record database covers" << recordDate_;
            writeDate(recordDate_);
        }
    } else {
        recordDate_ = today;
        writeDate(recordDate_);
    }
    const RecordDb::OpenResult r = RecordDb::openOrRepair();
    if (r == RecordDb::OpenResult::Repaired)
        qWarning() << "record database was missing or damaged: made afresh";
    if (r == RecordDb::OpenResult::Failed) qWarning() << "record database cannot be opened";
    return r;
}

bool RecordStore::checkDate() {
    const QString today = SysClock::now().date().toString(kDateFormat);
    // Rows kept from a failed write belong to the day they were made: written before it is filed.
    if (!pending_.empty() && ensureOpen()) writePending();
    if (recordDate_ == today) return false;
    if (recordDate_.isEmpty()) {  // start() not run: nothing to file yet
        recordDate_ = today;
        writeDate(today);
        return false;
    }
    RecordDb::close();
    const QString file = QString::fromLatin1(RecordDb::kFile);
    if (QFile::exists(file)) {
        if (!QDir().mkpath(archiveDir())) qWarning() << "cannot create ./RECORD";
        const QString target = archiveTarget(recordDate_);
        if (!QFile::rename(file, target)) {
            // Keep the day's records where they are and try again at the next check.
            qWarning().noquote() << "cannot archive the record database as" << target;
            return false;
        }
        // A journal that survived the closing read belongs to the archived file.
        const QString journal = file + QStringLiteral("-journal");
        if (QFile::exists(journal) && !QFile::rename(journal, target + QStringLiteral("-journal")))
            qWarning() << "cannot move the record journal beside its archive";
        qInfo().noquote() << "record database archived as" << target;
    }
    if (!RecordDb::createFresh()) qWarning() << "no fresh record database; the next record retries";
    recordDate_ = today;
    writeDate(today);
    return true;
}

bool RecordStore::ensureOpen() {
    if (RecordDb::isOpen()) return true;
    const RecordDb::OpenResult r = RecordDb::openOrRepair();
    if (r == RecordDb::OpenResult::Failed) return false;
    if (r == RecordDb::OpenResult::Repaired) qWarning() << "record database was damaged: made afresh";
    return true;
}

void RecordStore::keep(const QDateTime& time, const QString& label, const QString& text) {
    if (int(pending_.size()) >= kMaxPending) {
        pending_.pop_front();
        ++dropped_;
        ++droppedTotal_;
        if (droppedTotal_ == 1 || droppedTotal_ % 100 == 0)
            qWarning() << "records waiting to be written:" << kMaxPending << "- the oldest dropped;"
                       << droppedTotal_ << "dropped so far";
    }
    pending_.push_back(Pending{time, label, text});
}

bool RecordStore::writePending() {
    if (pending_.empty()) return true;
    // One transaction: a disk that has just come back is not asked for one sync per row, and a
    // write that fails halfway leaves every row waiting, none twice.
    QSqlDatabase db = QSqlDatabase::database(QString::fromLatin1(RecordDb::kConnection), false);
    const bool transaction = db.isOpen() && db.transaction();
    const QString timeFormat = QStringLiteral("hh.mm.ss");
    bool ok = true;
    bool countWritten = false;
    if (dropped_ > 0) {
        // Where the dropped rows were: before the oldest row kept, with its time.
        const Pending& first = pending_.front();
        ok = countWritten =
            RecordDb::insert(first.time.toString(timeFormat), first.label, droppedText(dropped_));
    }
    size_t written = 0;
    for (; ok && written < pending_.size(); ++written) {
        const Pending& row = pending_[written];
        ok = RecordDb::insert(row.time.toString(timeFormat), row.label, row.text);
    }
    if (transaction) {
        if (ok && !db.commit()) ok = false;
        if (!ok) {
            db.rollback();
            return false;
        }
    } else if (!ok && written > 0) {
        --written;  // the row that failed stays
    }
    if (countWritten) dropped_ = 0;
    pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(written));
    if (ok) qInfo() << "the records kept while they could not be written are written";
    return ok;
}

bool RecordStore::insertRecord(const QString& text, int accessLevel) {
    checkDate();
    const QDateTime now = SysClock::now();
    const QString label = levelLabel(accessLevel);
    if (sink_) sink_(now, label, text);
    if (!ensureOpen() || !writePending() ||
        !RecordDb::insert(now.toString(QStringLiteral("hh.mm.ss")), label, text)) {
        // Kept in memory: a full disk or a database that cannot be opened loses no record for good.
        qWarning().noquote() << "record not written now, kept to be written later:" << text;
        keep(now, label, text);
        return false;
    }
    return true;
}

void RecordStore::flush() {
    if (!pending_.empty() && ensureOpen()) writePending();
    RecordDb::close();
}

QStringList recordDayList(const QDate& today) {
    QStringList days{today.toString(kDateFormat)};
    const QStringList files =
        QDir(archiveDir()).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name | QDir::Reversed);
    for (const QString& f : files) days << f.left(f.size() - 3);
    return days;
}

QSqlTableModel* openRecordDay(int row, const QString& day, QObject* parent) {
    QSqlDatabase db;
    if (row == 0) {
        if (!RecordDb::open()) return nullptr;
        db = QSqlDatabase::database(QString::fromLatin1(RecordDb::kConnection), false);
    } else {
        const QString name = QStringLiteral("dbList");
        db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.close();
        const QString path = archiveDir() + QLatin1Char('/') + day + QStringLiteral(".db");
        // Read-only: the viewer never changes an archive, nor creates a file for a vanished day.
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (day.contains(QLatin1Char('/')) || !QFile::exists(path) || !db.open()) return nullptr;
    }
    auto* model = new QSqlTableModel(parent, db);
    model->setTable(QStringLiteral("RECORD"));
    model->setEditStrategy(QSqlTableModel::OnManualSubmit);
    model->setSort(0, Qt::DescendingOrder);
    if (model->columnCount() < 3 || !model->select()) {
        delete model;
        return nullptr;
    }
    for (int c = 0; c < 3; ++c) model->setHeaderData(c, Qt::Horizontal, lan(288 + c));
    return model;
}

void showRecordModel(QTableView* view, QSqlTableModel* model) {
    view->setModel(model);
    view->verticalHeader()->hide();
    const int widths[3] = {120, 125, 1330};
    for (int c = 0; c < 3; ++c) view->setColumnWidth(c, widths[c]);
}
