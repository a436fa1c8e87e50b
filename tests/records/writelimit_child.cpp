// Helper process for tst_writelimit: prepares one of the program's whole-file writes in the current
// directory, lowers the file size limit (RLIMIT_FSIZE, SIGXFSZ ignored, as a full disk behaves),
// then runs the write. Usage: writelimit_child <case> <limit in bytes, -1 for none>.
// Prints what happened; exit status 0 when the writer reported success, 1 when it reported failure,
// 2 when the case could not be prepared.
#include <QCoreApplication>
#include <QImage>
#include <QSqlQuery>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/parametermanager.h"
#include "app/wizardpara.h"
#include "platform/system/fileops.h"
#include "platform/system/sysclock.h"
#include "records/counters.h"
#include "records/recordstore.h"
#include "records/resstatisticsparam.h"
#include "records/savefialimagethread.h"
#include "records/statisticswidget.h"

namespace {

void limitFileSize(long long bytes) {
    if (bytes < 0) return;
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit rl{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    if (setrlimit(RLIMIT_FSIZE, &rl) != 0) std::perror("setrlimit");
}

int status(bool ok) {
    std::printf("%s\n", ok ? "reported success" : "reported failure");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) return 2;
    const QByteArray which = argv[1];
    const long long limit = QByteArray(argv[2]).toLongLong();
    createFrameLocks();

    if (which == "small" || which == "large") {
        const QByteArray data(which == "small" ? 100 : 200000, 'n');
        limitFileSize(limit);
        return status(writeFileAtomically(QStringLiteral("file.bin"), data));
    }
    if (which == "counters") {
        CountRead();
        gAllNum[0] += 1;
        limitFileSize(limit);
        return status(CountWrite());
    }
    if (which == "date") {
        limitFileSize(limit);
        return status(RecordStore::writeDate(QStringLiteral("2030-01-01")));
    }
    if (which == "param") {
        ParameterManager* pm = ParameterManager::getInstance();
        pm->init();
        if (!pm->paramDb.isOpen()) return 2;
        pm->livePara->pre_cut = 77;
        limitFileSize(limit);
        return status(pm->livePara->SaveDatatoFile(pm->paramQuery));
    }
    if (which == "picture") {
        allocateFailImages(1, 64, 48);
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::red);
        if (!storeFailImage(0, 0, 0, picture)) return 2;
        markFailImagePending(0, 0, 0);
        SaveFialImageThread saver(FailImageArchive{QStringLiteral("alarmimage"), 1, 1, 5, 5});
        saver.setSleeper([](int) {});
        int announced = 0;
        saver.setPictureSink([&](const QString&, const QString&) { ++announced; });
        limitFileSize(limit);
        const int written = saver.savePass();
        std::printf("announced %d\n", announced);
        return status(written == 1);
    }
    if (which == "records") {
        // Records made while the disk is full wait in memory and are written, in order and with their
        // own time, by the first record after space came back. Prints the rows kept and dropped.
        const QDateTime t0(QDate(2026, 12, 9), QTime(8, 0, 0));
        SysClock::setFixed(t0);
        loadLanguageTable();
        RecordStore store;
        if (store.start() == RecordDb::OpenResult::Failed || !store.insertRecord(QStringLiteral("before"), 0))
            return 2;
        // The soft limit only, so that it can be raised again.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit full{};
        getrlimit(RLIMIT_FSIZE, &full);
        const rlim_t hard = full.rlim_max;
        full.rlim_cur = static_cast<rlim_t>(qMax(0LL, limit));
        if (setrlimit(RLIMIT_FSIZE, &full) != 0) std::perror("setrlimit");
        const int n = RecordStore::kMaxPending + 3;
        int failed = 0;
        for (int i = 1; i <= n; ++i) {
            SysClock::setFixed(t0.addSecs(i));
            failed += store.insertRecord(QStringLiteral("while full %1").arg(i), 0) ? 0 : 1;
        }
        std::printf("failed %d kept %d dropped %lld\n", failed, store.pendingCount(),
                    static_cast<long long>(store.droppedCount()));
        // Space again: the soft limit goes back up.
        rlimit rl{hard, hard};
        if (setrlimit(RLIMIT_FSIZE, &rl) != 0) std::perror("setrlimit");
        SysClock::setFixed(t0.addSecs(n + 1));
        const bool after = store.insertRecord(QStringLiteral("after"), 0);
        std::printf("after %d kept %d\n", after ? 1 : 0, store.pendingCount());
        store.flush();
        return status(failed == 0 && after);
    }
    if (which == "export") {
        ResStatisticsParam store(QDate(2026, 12, 10));
        store.add(3, true, 1, 0);
        store.setFindRes(1, 0);
        limitFileSize(limit);
        return status(
            writeStatisticsExport(QStringLiteral("export.xls"), QStringLiteral("2026-12-10"), &store));
    }
    return 2;
}
