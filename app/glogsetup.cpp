#include "glogsetup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <glog/logging.h>

GLog* gGlog = nullptr;

GLog::GLog(const std::string& logDir, char** argv, QObject* /*parent*/) {
    const QString dir = QString::fromStdString(logDir);
    QDir().mkpath(dir);
    FLAGS_log_dir = logDir;
    FLAGS_logbufsecs = 0;
    FLAGS_max_log_size = 100;
    FLAGS_stop_logging_if_full_disk = true;
    FLAGS_logtostderr = false;
    google::SetLogFilenameExtension("log");
    // glog may be started once per process.
    if (!google::IsGoogleLoggingInitialized()) {
        google::InitGoogleLogging(argv && argv[0] ? argv[0] : "monitor");
        google::InstallFailureSignalHandler();
    }
    pruneLogDir(dir, kKeepFiles);
}

GLog::~GLog() {
    if (google::IsGoogleLoggingInitialized()) google::ShutdownGoogleLogging();
}

int GLog::pruneLogDir(const QString& dir, int keep) {
    // Newest first: the files past `keep` are the oldest.
    QFileInfoList files = QDir(dir).entryInfoList(QStringList{QStringLiteral("*")}, QDir::Files, QDir::Time);
    int deleted = 0;
    while (files.size() > keep) {
        if (QFile::remove(files.takeLast().absoluteFilePath())) ++deleted;
    }
    return deleted;
}

void SignalHandle(const char* data, unsigned long size) {
    LOG(INFO) << std::string(data, size);
}
