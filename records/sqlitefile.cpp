#include "sqlitefile.h"

bool withSqliteFile(const QString& path, const QString& connection, bool readOnly,
                    const std::function<bool(QSqlDatabase&)>& work) {
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (readOnly) db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            ok = work(db);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}
