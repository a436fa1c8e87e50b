#pragma once
// The operation record database "RECORD.db" (table RECORD: recordtime, recordpassword, remarks),
// reached through the named connection "dbRecord". The program never creates the table itself: a new
// day starts from the empty template "RECORDNULL.db" of the program directory.
#include <QString>

namespace RecordDb {
constexpr const char* kConnection = "dbRecord";
constexpr const char* kFile = "RECORD.db";
constexpr const char* kTemplate = "RECORDNULL.db";

// Writes the empty template database (factory file). False when it cannot be written.
bool createTemplate(const QString& path);
// Opens "RECORD.db" of the current directory; false when it cannot be opened or has no RECORD table.
bool open();
bool isOpen();
void close();
// Appends one row, opening the database first when it is closed. False when nothing was written.
bool insert(const QString& time, const QString& level, const QString& text);
}  // namespace RecordDb
