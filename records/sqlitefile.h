#pragma once
// Work on an SQLite file through a private, short-lived connection (template checks and rebuilds),
// apart from the named connection the store keeps open.
#include <QSqlDatabase>
#include <QString>
#include <functional>

// Opens `path` on the connection `connection` (read-only when asked), runs `work` and removes the
// connection again. False when the file cannot be opened or `work` returns false.
bool withSqliteFile(const QString& path, const QString& connection, bool readOnly,
                    const std::function<bool(QSqlDatabase&)>& work);
