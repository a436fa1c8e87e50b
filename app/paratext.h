#pragma once
// Text fields of the parameter record (kParaTextLen bytes, terminating zero included) hold UTF-8.
#include <QString>

#include "wizardpara.h"

// The field's text, decoded as UTF-8 up to its terminating zero (or the end of the field).
QString paraText(const char (&field)[kParaTextLen]);
// Stores `text` as UTF-8; a text longer than the field is cut before the last whole character that
// fits, never inside one. The rest of the field is zero-filled.
void setParaText(char (&field)[kParaTextLen], const QString& text);
// The UTF-8 bytes of `text`, at most `maxBytes` long, cut at a character boundary.
QByteArray utf8Prefix(const QString& text, int maxBytes);

// A typed number as the settings pages read it: leading white space skipped, an optional sign, the
// digits up to the first other character; no digits gives 0 (" 12abc" is 12, "abc" is 0). A number
// beyond the range of int is held at its limit.
int leadingInt(const QString& text);
