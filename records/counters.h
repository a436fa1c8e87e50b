#pragma once
// Per-camera cycle and NG counters and their file "count.txt": one line without a line end,
// "all0 fail0 all1 fail1 ... all7 fail7 ", every value written unsigned and followed by one blank.
#include <QString>

#include "app/globals.h"

// By the camera's slot (the number on its badge, 0-based), not its place among the opened views, so
// that a missing camera moves no other camera's counts.
extern int gAllNum[kMaxCamera];   // cycles inspected per camera
extern int gFailNum[kMaxCamera];  // NG cycles per camera

constexpr const char* kCountFile = "count.txt";
constexpr quint32 kCountLimit = 100000000u;  // larger values (negative ones included) read as 0

// Loads both arrays. A missing file gives zeros; every number that is missing, not a number or
// out of range reads as 0 without disturbing the numbers after it. False when the file was missing.
bool CountRead(const QString& path = QString::fromLatin1(kCountFile));
// Saves both arrays through a temporary file and a rename, so a crash or a full disk leaves the
// previous counters intact. False when nothing was saved; the operator is told (app/savereport.h).
bool CountWrite(const QString& path = QString::fromLatin1(kCountFile));

void resetCounterGlobals();
