#include "recorddb.h"

#include <QDebug>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "platform/system/sysclock.h"
#include "sqlitefile.h"

namespace {
const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS RECORD (recordtime TEXT, recordpassword TEXT, remarks TEXT)";

QSqlDatabase connection() {
    const QString name = QString::fromLatin1(RecordDb::kConnection);
    if (QSqlDatabase::contains(name)) return QSqlDatabase::database(name, false);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(QString::fromLatin1(RecordDb::kFile));
    return db;
}

// SQLite opens lazily: a real read of the table is the only proof that the file is a usable database.
bool probe(QSqlDatabase& db) {
    QSqlQuery q(db);
    return q.exec(QStringLiteral("SELECT count(*) FROM RECORD")) && q.next();
}

// Builds a database with the RECORD table at `path` through a private connection.
bool writeTable(const QString& path) {
    return withSqliteFile(path, QStringLiteral("recordTemplate"), false, [](QSqlDatabase& db) {
        QSqlQuery q(db);
        return q.exec(QString::fromLatin1(kCreateTable)) && probe(db);
    });
}

// True when `path` holds a database with a readable RECORD table.
bool usable(const QString& path) {
    return QFile::exists(path) && withSqliteFile(path, QStringLiteral("recordCheck"), true, probe);
}

// Moves a damaged file (and its journal) aside under a name that is not taken yet.
bool moveAside(const QString& file) {
    const QString stamp = SysClock::now().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString target = file + QStringLiteral(".bad-") + stamp;
    for (int n = 1; QFile::exists(target); ++n)
        target = file + QStringLiteral(".bad-") + stamp + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(file, target)) {
        qWarning().noquote() << "cannot move the damaged record database aside:" << file;
        return false;
    }
    const QString journal = file + QStringLiteral("-journal");
    if (QFile::exists(journal)) QFile::rename(journal, target + QStringLiteral("-journal"));
    qWarning().noquote() << "damaged record database kept as" << target;
    return true;
}
}  // namespace

bool RecordDb::createTemplate(const QString& path) {
    QFile::remove(path);
    return writeTable(path);
}

bool RecordDb::open() {
    QSqlDatabase db = connection();
    if (db.isOpen()) return true;
    // Opening a missing file would create an empty database without the table.
    if (!QFile::exists(QString::fromLatin1(kFile))) return false;
    db.setConnectOptions(QString());
    if (!db.open()) return false;
    if (!probe(db)) {
        db.close();
        return false;
    }
    return true;
}

bool RecordDb::createFresh() {
    const QString file = QString::fromLatin1(kFile);
    const QString tmp = file + QStringLiteral(".new");
    QFile::remove(tmp);
    // The template is copied only when it really is a record database.
    bool ok = usable(QString::fromLatin1(kTemplate)) && QFile::copy(QString::fromLatin1(kTemplate), tmp);
    if (ok)
        QFile::setPermissions(tmp,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (!ok) {
        qWarning() << "record template missing or unusable; creating the RECORD table";
        QFile::remove(tmp);
        ok = writeTable(tmp);
    }
    if (ok) ok = QFile::rename(tmp, file);
    if (!ok) {
        QFile::remove(tmp);
        qWarning() << "cannot create a fresh record database";
    }
    return ok;
}

RecordDb::OpenResult RecordDb::openOrRepair() {
    if (open()) return OpenResult::Opened;
    close();
    const QString file = QString::fromLatin1(kFile);
    // A missing database is simply made; a damaged one or a missing template is worth a word.
    const bool damaged = QFile::exists(file);
    if (damaged && !moveAside(file)) return OpenResult::Failed;
    const bool templateOk = usable(QString::fromLatin1(kTemplate));
    if (!createFresh() || !open()) return OpenResult::Failed;
    return damaged || !templateOk ? OpenResult::Repaired : OpenResult::Opened;
}

bool RecordDb::isOpen() {
    return QSqlDatabase::contains(QString::fromLatin1(kConnection)) && connection().isOpen();
}

void RecordDb::close() {
    if (!QSqlDatabase::contains(QString::fromLatin1(kConnection))) return;
    QSqlDatabase db = connection();
    if (db.isOpen()) probe(db);
    db.close();
}

bool RecordDb::insert(const QString& time, const QString& level, const QString& text) {
    if (!open()) return false;
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("INSERT INTO RECORD (recordtime, recordpassword, remarks) VALUES (?, ?, ?)"));
    q.addBindValue(time);
    q.addBindValue(level);
    q.addBindValue(text);
    if (!q.exec()) {
        qWarning().noquote() << "record not written:" << q.lastError().text();
        return false;
    }
    return true;
}
