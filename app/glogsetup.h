#pragma once
// Set-up of the glog library for the INFO records of start-up and the network bridge.
#include <QString>
#include <string>

class QObject;

class GLog {
public:
    // Points glog at logDir (records written at once, files of at most 100 MB, nothing to standard
    // error, logging stopped on a full disk, extension "log"), starts it with the program name from
    // argv[0], installs glog's failure signal handler and prunes logDir to its 49 newest files.
    // parent is not used.
    GLog(const std::string& logDir, char** argv, QObject* parent);
    ~GLog();
    GLog(const GLog&) = delete;
    GLog& operator=(const GLog&) = delete;

    static constexpr int kKeepFiles = 49;
    // Deletes the oldest plain files of dir until at most `keep` remain; returns how many it deleted.
    static int pruneLogDir(const QString& dir, int keep);
};

// The one instance, made by start-up; never destroyed.
extern GLog* gGlog;

// Writes the `size` bytes at `data` as one glog INFO record (a failure writer; nothing installs it).
void SignalHandle(const char* data, unsigned long size);
