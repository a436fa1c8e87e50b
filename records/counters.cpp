#include "counters.h"

#include <QDebug>
#include <QFile>
#include <QStringList>

#include "app/savereport.h"

int gAllNum[kMaxCamera];
int gFailNum[kMaxCamera];

namespace {
int parseCount(const QString& token) {
    bool ok = false;
    const qlonglong v = token.toLongLong(&ok);
    if (!ok) return 0;
    // Taken as an unsigned 32-bit number, as it was written: negative values become huge.
    const quint32 u = static_cast<quint32>(v);
    if (v > qlonglong(0xFFFFFFFFu) || u > kCountLimit) return 0;
    return static_cast<int>(u);
}
}  // namespace

void resetCounterGlobals() {
    for (int i = 0; i < kMaxCamera; ++i) gAllNum[i] = gFailNum[i] = 0;
}

bool CountRead(const QString& path) {
    resetCounterGlobals();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QStringList tokens =
        QString::fromLatin1(f.read(4096)).split(QRegExp(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (int i = 0; i < kMaxCamera; ++i) {
        if (2 * i < tokens.size()) gAllNum[i] = parseCount(tokens.at(2 * i));
        if (2 * i + 1 < tokens.size()) gFailNum[i] = parseCount(tokens.at(2 * i + 1));
    }
    return true;
}

bool CountWrite(const QString& path) {
    QByteArray text;
    for (int i = 0; i < kMaxCamera; ++i) {
        text += QByteArray::number(static_cast<quint32>(gAllNum[i])) + ' ';
        text += QByteArray::number(static_cast<quint32>(gFailNum[i])) + ' ';
    }
    return saveFileReported(SavedFile::Counters, path, text);
}
