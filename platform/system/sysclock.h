#pragma once
#include <QDateTime>

// The wall clock as the program sees it. Tests may fix it or shift it; the program never sets it
// (setting the computer's clock is a shell command through the command runner).
namespace SysClock {
QDateTime now();
void setFixed(const QDateTime& t);  // an invalid QDateTime returns to the real clock
void setOffsetSecs(qint64 secs);
void reset();
}  // namespace SysClock
