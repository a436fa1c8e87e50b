#pragma once
// How often the IO board's link state goes into the operation records. A board that answers now and
// then would otherwise write a record every second without end: each kind ("does not answer",
// "answers again") is written at most once per kIntervalMs. A change that comes sooner is counted,
// and the state the link ends in is written once the interval is over (unless the link went back to
// the state last written); the record then tells how many changes got no record of their own.
#include <QDateTime>

class LinkRecordLimiter {
public:
    static constexpr qint64 kIntervalMs = 60000;

    // The link's state at a look (true: lost). True when its record is to be written now;
    // *unrecorded is then the number of changes since the previous record that got none.
    bool update(bool lost, int* unrecorded);
    // A change waits for its record (the caller looks again at its next pass).
    bool waiting() const { return current_ != written_; }

private:
    bool current_ = false;  // the link is taken as answering at the start
    bool written_ = false;  // the state the records last told
    int changes_ = 0;       // changes since the last record
    QDateTime last_[2];     // when each kind was last written (index: lost)
};
