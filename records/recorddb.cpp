#include "recorddb.h"

#include <QDebug>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {
QSqlDatabase connection() {
    const QString name = QString::fromLatin1(RecordDb::kConnection);
    if (QSqlDatabase::contains(name)) return QSqlDatabase::database(name, false);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(QString::fromLatin1(RecordDb::kFile));
    return db;
}
}  // namespace

bool RecordDb::createTemplate(const QString& path) {
    QFile::remove(path);
    const QString name = QStringLiteral("recordTemplate");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec(
                QStringLiteral("CREATE TABLE RECORD (recordtime TEXT, recordpassword TEXT, remarks TEXT)"));
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool RecordDb::open() {
    QSqlDatabase db = connection();
    if (db.isOpen()) return true;
    // Opening a missing file would create an empty database without the table.
    if (!QFile::exists(QString::fromLatin1(kFile)) || !db.open()) return false;
    if (!db.tables().contains(QStringLiteral("RECORD"))) {
        db.close();
        return false;
    }
    return true;
}

bool RecordDb::isOpen() {
    return QSqlDatabase::contains(QString::fromLatin1(kConnection)) && connection().isOpen();
}

void RecordDb::close() {
    if (QSqlDatabase::contains(QString::fromLatin1(kConnection))) connection().close();
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
