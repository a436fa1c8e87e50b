#include "savereport.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <QThread>

#include "globals.h"
#include "lanstr.h"
#include "mainwindowbase.h"
#include "msgbox.h"
#include "platform/system/fileops.h"

namespace {

constexpr int kSaveFailedText = 600;  // "Cannot save the file ... %1"
constexpr int kKinds = int(SavedFile::Templates) + 1;

// Kinds written on every cycle: told once until a write of the kind succeeds again.
bool writtenByCycle(SavedFile kind) {
    return kind == SavedFile::Counters || kind == SavedFile::RecordDate || kind == SavedFile::Pictures ||
           kind == SavedFile::RawFrames;
}

struct Reports {
    QMutex lock;
    bool failing[kKinds] = {};
    QStringList pending;  // texts waiting for their box
    bool boxOpen = false;
    quint64 generation = 0;  // bumped by reset: queued calls of an earlier generation do nothing
};

Reports& reports() {
    static Reports r;
    return r;
}

QString lan(int id) {
    const int column = gLan >= 0 && gLan < kLanColumns ? gLan : 0;
    return gaLanStr[id * kLanColumns + column];
}

// GUI thread: shows the waiting boxes one after the other.
void showPending(quint64 generation) {
    Reports& r = reports();
    for (;;) {
        QString text;
        {
            QMutexLocker l(&r.lock);
            if (generation != r.generation || r.boxOpen || r.pending.isEmpty()) return;
            text = r.pending.takeFirst();
            r.boxOpen = true;
        }
        if (gpWin) gpWin->InsertRecord(text);
        showWarnBox(text);
        QMutexLocker l(&r.lock);
        if (generation != r.generation) return;
        r.boxOpen = false;
    }
}

void tellOperator(const QString& text) {
    Reports& r = reports();
    quint64 generation;
    {
        QMutexLocker l(&r.lock);
        r.pending << text;
        generation = r.generation;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;  // no event loop to show it from (tools): the log line stays
    QMetaObject::invokeMethod(
        app, [generation] { showPending(generation); }, Qt::QueuedConnection);
}

}  // namespace

void reportSaveFailure(SavedFile kind, const QString& path, const QString& reason) {
    qWarning().noquote() << "file not saved, the previous one is kept:" << path << "-" << reason;
    const int k = int(kind);
    if (k < 0 || k >= kKinds) return;
    {
        QMutexLocker l(&reports().lock);
        const bool already = reports().failing[k];
        reports().failing[k] = true;
        if (already && writtenByCycle(kind)) return;
    }
    QString text = lan(kSaveFailedText);
    text = text.isEmpty() ? path : text.arg(path);
    tellOperator(text);
}

void reportSaveOk(SavedFile kind) {
    const int k = int(kind);
    if (k < 0 || k >= kKinds) return;
    QMutexLocker l(&reports().lock);
    if (reports().failing[k]) qInfo("files of kind %d are saved again", k);
    reports().failing[k] = false;
}

bool saveFileReported(SavedFile kind, const QString& path, const QByteArray& data) {
    QString error;
    if (!writeFileAtomically(path, data, &error)) {
        reportSaveFailure(kind, path, error);
        return false;
    }
    reportSaveOk(kind);
    return true;
}

bool saveFailing(SavedFile kind) {
    const int k = int(kind);
    if (k < 0 || k >= kKinds) return false;
    QMutexLocker l(&reports().lock);
    return reports().failing[k];
}

void resetSaveReports() {
    Reports& r = reports();
    QMutexLocker l(&r.lock);
    for (bool& f : r.failing) f = false;
    r.pending.clear();
    r.boxOpen = false;
    ++r.generation;
}
