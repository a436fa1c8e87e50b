#pragma once
// The operation record database "RECORD.db" (table RECORD: recordtime, recordpassword, remarks),
// reached through the named connection "dbRecord". A new day starts from the empty template
// "RECORDNULL.db" of the program directory; when the template is missing or unusable the table is
// created in place, so that a day's records are never dropped for want of a table.
#include <QString>

namespace RecordDb {
constexpr const char* kConnection = "dbRecord";
constexpr const char* kFile = "RECORD.db";
constexpr const char* kTemplate = "RECORDNULL.db";

enum class OpenResult {
    Opened,    // the database was usable as it stood, or was missing and made from the template
    Repaired,  // it was table-less or unreadable, or the template was unusable: a damaged file was
               // moved aside and a fresh database made; the operator should be told
    Failed,    // no usable database could be made (read-only or full disk)
};

// Writes the empty template database (factory file). False when it cannot be written.
bool createTemplate(const QString& path);
// Opens "RECORD.db" of the current directory as it stands; false when it is missing, cannot be read
// or has no RECORD table. Never creates a file.
bool open();
// Opens "RECORD.db"; a missing, table-less or corrupt file is replaced by a fresh database (the
// corrupt file is kept beside it as "RECORD.db.bad-<stamp>", never overwritten).
OpenResult openOrRepair();
// Makes a fresh "RECORD.db" from the template (or with its table when the template is unusable).
// The database must be closed and "RECORD.db" absent. False when nothing usable could be written.
bool createFresh();
bool isOpen();
// Closes the connection. A read runs first so that SQLite rolls back a hot journal of an earlier
// crash while the file still has its own name.
void close();
// Appends one row (bound values), opening the database first when it is closed. False when nothing
// was written.
bool insert(const QString& time, const QString& level, const QString& text);
}  // namespace RecordDb
