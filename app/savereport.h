#pragma once
// What the operator hears of a file that could not be written (full disk, a directory in the way, an
// unwritable folder). Every such failure is logged (a warning: on standard error when file logging is
// off). The operator is told with a warning box naming the file, and an operation record is written
// when the record database can take it:
//   - for files written by the cycle (counters, record date, pictures, raw frames) once per kind of
//     file, until a write of that kind succeeds again, so a full disk gives one box, not one per cycle;
//   - for files written by an operator's action (parameters, group index, templates and masks) at
//     every failure.
// Callable from any thread. The box and the record are made later, from the GUI thread's event loop
// (never inside the caller, which may be the polling loop), one box at a time.
#include <QByteArray>
#include <QString>

enum class SavedFile {
    Counters,    // "count.txt"
    RecordDate,  // "time.txt"
    Pictures,    // NG and OK pictures under "./alarmimage"
    RawFrames,   // raw frames under "./originalimage"
    Parameters,  // PARAM.db
    GroupIndex,  // "sysadd.txt"
    Templates,   // template pictures and ignore masks
};

// A failed write of `path`; `reason` is the system's error text.
void reportSaveFailure(SavedFile kind, const QString& path, const QString& reason);
// A write of that kind succeeded: the next failure is reported again.
void reportSaveOk(SavedFile kind);
// writeFileAtomically() followed by the report. True when the file was written whole.
bool saveFileReported(SavedFile kind, const QString& path, const QByteArray& data);
// True while the last write of that kind failed.
bool saveFailing(SavedFile kind);

// Tests: forgets every failure and drops reports not yet shown.
void resetSaveReports();
