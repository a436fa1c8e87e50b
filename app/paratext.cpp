#include "paratext.h"

#include <QByteArray>
#include <cstring>
#include <limits>

QString paraText(const char (&field)[kParaTextLen]) {
    return QString::fromUtf8(field, int(qstrnlen(field, kParaTextLen)));
}

QByteArray utf8Prefix(const QString& text, int maxBytes) {
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= maxBytes) return bytes;
    int cut = qMax(0, maxBytes);
    // Step back over continuation bytes (10xxxxxx) to the start of the character that did not fit.
    while (cut > 0 && (uchar(bytes.at(cut)) & 0xC0) == 0x80) --cut;
    bytes.truncate(cut);
    return bytes;
}

void setParaText(char (&field)[kParaTextLen], const QString& text) {
    const QByteArray bytes = utf8Prefix(text, kParaTextLen - 1);
    std::memset(field, 0, kParaTextLen);
    std::memcpy(field, bytes.constData(), size_t(bytes.size()));
}

int leadingInt(const QString& text) {
    int i = 0;
    const int n = text.size();
    while (i < n && text.at(i).isSpace()) ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        negative = text.at(i++) == QLatin1Char('-');
    qint64 value = 0;
    const qint64 limit =
        negative ? -qint64(std::numeric_limits<int>::min()) : std::numeric_limits<int>::max();
    for (; i < n && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i)
        value = qMin(limit, value * 10 + (text.at(i).unicode() - '0'));
    return int(negative ? -value : value);
}
