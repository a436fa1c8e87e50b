#include "linkrecords.h"

#include "platform/system/sysclock.h"

bool LinkRecordLimiter::update(bool lost, int* unrecorded) {
    if (lost != current_) {
        current_ = lost;
        ++changes_;
    }
    if (current_ == written_) return false;
    const QDateTime now = SysClock::now();
    const QDateTime& last = last_[lost ? 1 : 0];
    // A clock set back does not hold the record back.
    if (last.isValid() && now >= last && last.msecsTo(now) < kIntervalMs) return false;
    if (unrecorded) *unrecorded = changes_ - 1;
    changes_ = 0;
    written_ = current_;
    last_[lost ? 1 : 0] = now;
    return true;
}
