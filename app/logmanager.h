#pragma once
// File logging of the program's Qt messages.
//
// LogManager is the Qt message handler. Debug messages go to standard error only. Other messages, while
// file logging is switched on, are appended to "log.txt" in the log directory (while it is off, the
// same line goes to standard error), one line each:
//     [W 2026/12/10-12:00:00.123 file.cpp:42] text
// (level letter W, E, F or I; the source file's name and line, empty and 0 without message context).
// A new file starts with "create newlog version <version> <time>". A fatal message moves the file to
// "logFatal<yyyy-MM-dd_HH-mm-ss-zzz>.txt". When the file cannot be written (full disk, unwritable
// directory) the line goes to standard error and the program carries on.
//
// The crash handler (SIGSEGV, SIGABRT) uses only async-signal-safe calls: it appends a banner, the raw
// backtrace and a fatal line to "log.txt" (and to standard error), renames the file like a fatal
// message, restores the default action and re-raises the signal, so the process always ends.
#include <QDateTime>
#include <QObject>
#include <QString>

class LogManager : public QObject {
    Q_OBJECT
public:
    // Sets the log directory (created when missing), installs the message handler and the crash
    // handler, and deletes the oldest file of the directory when it holds 100 or more.
    explicit LogManager(QObject* parent = nullptr);

    static void outputMessage(QtMsgType type, const QMessageLogContext& context, const QString& msg);
    static void sigcrash(int sig);

    // The switch for file logging, asked on every message so that a committed change acts at once. By
    // default it is the `log_to_file` flag of the live parameter record gpWPara (off while there is no
    // record). Tests install their own; it must be safe to call from a signal handler (a plain read).
    using FileLogSwitch = bool (*)();
    static void setFileLogSwitch(FileLogSwitch fn);

    // The log directory relative to the program directory, and its file names.
    static constexpr const char* kLogDir = "./cnt_net/cnt_log_app/";
    static constexpr int kMaxFiles = 100;  // at this count the oldest file is deleted at start

    // The one LogManager, created once; never destroyed.
    static LogManager* __instance;
    // Absolute log directory, ending in "/".
    static QString __CurTaskPath;

    // Tests: the time the crash handler writes (an invalid time returns to the real clock).
    static void setCrashClockForTest(const QDateTime& t);
    // Tests: closes the open log file, forgets the directory and restores the default switch. The handlers
    // stay installed (restore them with qInstallMessageHandler(nullptr) and signal()).
    static void resetForTest();
};

// An older-style message handler that appends "<Level><yyyy.M.d-hh:mm:ss>: <text>\r\n" to
// "./cnt_net/data/mainlog.txt" (no level word for info). Nothing installs it.
void historymessage(QtMsgType type, const char* msg);
