#include "logmanager.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>

#include "app/globals.h"
#include "app/version.h"
#include "app/wizardpara.h"
#include "platform/system/sysclock.h"

LogManager* LogManager::__instance = nullptr;
QString LogManager::__CurTaskPath;

namespace {

// The live record's flag, read on every message (plain reads: safe in the crash handler too).
bool liveRecordLogsToFile() {
    return gpWPara && gpWPara->log_to_file != 0;
}

std::atomic<LogManager::FileLogSwitch> gFileLogSwitch{&liveRecordLogsToFile};

bool fileLogOn() {
    const LogManager::FileLogSwitch fn = gFileLogSwitch.load();
    return fn && fn();
}

const char kStars[] =
    "*****************************************************************************************************"
    "****";  // 105
static_assert(sizeof(kStars) == 106, "the banner line has 105 asterisks");

// The open "log.txt" (created on the first written message) and the lock of the file part.
QFile* gLogFile = nullptr;
QMutex& logMutex() {
    static QMutex m;
    return m;
}

char levelLetter(QtMsgType type) {
    switch (type) {
        case QtWarningMsg:
            return 'W';
        case QtCriticalMsg:
            return 'E';
        case QtFatalMsg:
            return 'F';
        case QtInfoMsg:
            return 'I';
        case QtDebugMsg:
            break;
    }
    return 'D';
}

void writeStderr(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

// ---- Crash handler state, prepared before any signal can arrive --------------------------------
// The handler may only use async-signal-safe calls: no allocation, no locks, no Qt.
int gCrashDirFd = -1;                 // the log directory, opened beforehand
std::atomic<long> gUtcOffsetSecs{0};  // local time = UTC + offset (refreshed by every message)
void* gCrashFrames[1024];
constexpr size_t kAltStackSize = 64 * 1024;
alignas(16) char gAltStack[kAltStackSize];  // lets the handler run after a stack overflow

// A fixed-size line builder.
struct SafeText {
    char buf[256];
    size_t n = 0;
    void add(const char* s) {
        while (*s && n < sizeof(buf)) buf[n++] = *s++;
    }
    void addChar(char c) {
        if (n < sizeof(buf)) buf[n++] = c;
    }
    void addNum(long v, int width) {
        char tmp[24];
        int k = 0;
        const bool neg = v < 0;
        unsigned long u = neg ? static_cast<unsigned long>(-v) : static_cast<unsigned long>(v);
        do {
            tmp[k++] = static_cast<char>('0' + u % 10);
            u /= 10;
        } while (u && k < 20);
        while (k < width && k < 20) tmp[k++] = '0';
        if (neg) addChar('-');
        while (k) addChar(tmp[--k]);
    }
};

void writeAll(int fd, const char* p, size_t n) {
    while (fd >= 0 && n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return;
        p += w;
        n -= static_cast<size_t>(w);
    }
}

// Local civil time from the real clock and the last known UTC offset, without the C library's
// time-zone code (not async-signal-safe).
struct CivilTime {
    long year;
    int month, day, hour, minute, second, msec;
};

std::atomic<long long> gCrashClockMs{-1};  // tests: a fixed time for the crash handler, UTC ms

CivilTime civilNow() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    const long long fixedMs = gCrashClockMs.load();
    if (fixedMs >= 0) {
        ts.tv_sec = static_cast<time_t>(fixedMs / 1000);
        ts.tv_nsec = static_cast<long>(fixedMs % 1000) * 1000000L;
    }
    long long secs = static_cast<long long>(ts.tv_sec) + gUtcOffsetSecs.load();
    long long days = secs / 86400;
    long long rem = secs % 86400;
    if (rem < 0) {
        rem += 86400;
        --days;
    }
    // Days since 1970-01-01 to a proleptic Gregorian date (H. Hinnant's civil_from_days).
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    CivilTime t{};
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<long>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
    t.hour = static_cast<int>(rem / 3600);
    t.minute = static_cast<int>(rem / 60 % 60);
    t.second = static_cast<int>(rem % 60);
    t.msec = static_cast<int>(ts.tv_nsec / 1000000);
    return t;
}

// "yyyy/MM/dd-HH:mm:ss.zzz"
void addLogTime(SafeText& s, const CivilTime& t) {
    s.addNum(t.year, 4);
    s.addChar('/');
    s.addNum(t.month, 2);
    s.addChar('/');
    s.addNum(t.day, 2);
    s.addChar('-');
    s.addNum(t.hour, 2);
    s.addChar(':');
    s.addNum(t.minute, 2);
    s.addChar(':');
    s.addNum(t.second, 2);
    s.addChar('.');
    s.addNum(t.msec, 3);
}

// "[L time :0] " : the crash lines carry no source position.
SafeText crashPrefix(char letter) {
    SafeText s;
    s.addChar('[');
    s.addChar(letter);
    s.addChar(' ');
    addLogTime(s, civilNow());
    s.add(" :0] ");
    return s;
}

void crashWrite(int fd, const SafeText& s) {
    writeAll(fd, s.buf, s.n);
    writeAll(STDERR_FILENO, s.buf, s.n);
}

void crashLine(int fd, char letter, const char* text) {
    SafeText s = crashPrefix(letter);
    s.add(text);
    s.addChar('\n');
    crashWrite(fd, s);
}

// Opens "log.txt" for the crash handler; a new file gets the version line. -1 when file logging is
// off or the file cannot be opened.
int openCrashLog() {
    if (gCrashDirFd < 0 || !fileLogOn()) return -1;
    int fd = ::openat(gCrashDirFd, "log.txt", O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
        SafeText s;
        s.add("create newlog version ");
        s.add(kMonitorVersion);
        s.addChar(' ');
        addLogTime(s, civilNow());
        s.addChar('\n');
        writeAll(fd, s.buf, s.n);
        return fd;
    }
    return ::openat(gCrashDirFd, "log.txt", O_WRONLY | O_APPEND | O_CLOEXEC);
}

void installCrashHandler(int sig) {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof(sa));
    sa.sa_handler = &LogManager::sigcrash;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_ONSTACK;
    sigaction(sig, &sa, nullptr);
}

void prepareCrashHandler(const QString& dir) {
    if (gCrashDirFd >= 0) ::close(gCrashDirFd);
    gCrashDirFd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    gUtcOffsetSecs = QDateTime::currentDateTime().offsetFromUtc();
    // The first backtrace() loads the unwinder, which allocates: do it now, not in the handler.
    backtrace(gCrashFrames, 1);
    stack_t ss;
    std::memset(&ss, 0, sizeof(ss));
    ss.ss_sp = gAltStack;
    ss.ss_size = kAltStackSize;
    sigaltstack(&ss, nullptr);
    installCrashHandler(SIGSEGV);
    installCrashHandler(SIGABRT);
}

// Moves "log.txt" to "logFatal<yyyy-MM-dd_HH-mm-ss-zzz>.txt" (async-signal-safe). A fatal message
// is followed by Qt's abort within the same millisecond: the trace file then gets "-1" (or a higher
// number) before ".txt" rather than replacing the file that holds the fatal message.
void crashRename() {
    if (gCrashDirFd < 0) return;
    const CivilTime t = civilNow();
    SafeText s;
    s.add("logFatal");
    s.addNum(t.year, 4);
    s.addChar('-');
    s.addNum(t.month, 2);
    s.addChar('-');
    s.addNum(t.day, 2);
    s.addChar('_');
    s.addNum(t.hour, 2);
    s.addChar('-');
    s.addNum(t.minute, 2);
    s.addChar('-');
    s.addNum(t.second, 2);
    s.addChar('-');
    s.addNum(t.msec, 3);
    const size_t stem = s.n;
    for (int k = 0; k < 100; ++k) {
        s.n = stem;
        if (k > 0) {
            s.addChar('-');
            s.addNum(k, 0);
        }
        s.add(".txt");
        s.addChar('\0');
        if (::faccessat(gCrashDirFd, s.buf, F_OK, 0) != 0) break;
    }
    ::renameat(gCrashDirFd, "log.txt", gCrashDirFd, s.buf);
}

}  // namespace

LogManager::LogManager(QObject* parent) : QObject(parent) {
    __CurTaskPath = QDir::currentPath() + QStringLiteral("/cnt_net/cnt_log_app/");
    QDir().mkpath(__CurTaskPath);
    qInstallMessageHandler(&LogManager::outputMessage);
    prepareCrashHandler(__CurTaskPath);

    const QFileInfoList files =
        QDir(__CurTaskPath)
            .entryInfoList(QStringList{QStringLiteral("*")}, QDir::Files, QDir::Time | QDir::Reversed);
    if (files.size() >= kMaxFiles) QFile::remove(files.first().absoluteFilePath());
    if (!__instance) __instance = this;
}

void LogManager::setFileLogSwitch(FileLogSwitch fn) {
    gFileLogSwitch = fn;
}

void LogManager::outputMessage(QtMsgType type, const QMessageLogContext& context, const QString& msg) {
    if (type == QtDebugMsg) {
        writeStderr(msg.toUtf8() + '\n');
        return;
    }
    const bool toFile = fileLogOn();

    const QDateTime now = SysClock::now();
    gUtcOffsetSecs = now.offsetFromUtc();
    const QString stamp = now.toString(QStringLiteral("yyyy/MM/dd-HH:mm:ss.zzz"));
    QString file;
    if (context.file) {
        file = QString::fromUtf8(context.file);
        file = file.mid(file.lastIndexOf(QLatin1Char('/')) + 1);
    }
    // One multi-argument arg(): placeholders inside the message text stay as they are.
    const QByteArray line = QStringLiteral("[%1 %2 %3:%4] %5\n")
                                .arg(QString(QLatin1Char(levelLetter(type))), stamp, file,
                                     QString::number(context.file ? context.line : 0), msg)
                                .toUtf8();
    // Without file logging the line still reaches standard error, so that a warning is never lost.
    if (!toFile) {
        writeStderr(line);
        return;
    }

    bool written = false;
    {
        QMutexLocker lock(&logMutex());
        if (!gLogFile) gLogFile = new QFile(__CurTaskPath + QStringLiteral("log.txt"));
        if (!gLogFile->exists()) {
            if (gLogFile->isOpen()) gLogFile->close();
            if (gLogFile->open(QIODevice::WriteOnly | QIODevice::Append)) {
                const QByteArray head =
                    QByteArray("create newlog version ") + kMonitorVersion + ' ' + stamp.toUtf8() + '\n';
                gLogFile->write(head);
            }
        } else if (!gLogFile->isOpen()) {
            gLogFile->open(QIODevice::WriteOnly | QIODevice::Append);
        }
        if (gLogFile->isOpen()) {
            written = gLogFile->write(line) == line.size() && gLogFile->flush();
            // A failed write (full disk) closes the file so that the next message tries afresh.
            if (!written) gLogFile->close();
        }
        if (type == QtFatalMsg && gLogFile->isOpen()) {
            gLogFile->close();
            const QString target = __CurTaskPath + QStringLiteral("logFatal") +
                                   now.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss-zzz")) +
                                   QStringLiteral(".txt");
            // Replaces an existing target, as "mv -f" does; a failure leaves "log.txt" to be continued.
            ::rename(QFile::encodeName(gLogFile->fileName()).constData(),
                     QFile::encodeName(target).constData());
        }
    }
    // The log cannot be written (unwritable directory, full disk): keep the line on standard error.
    if (!written) writeStderr(line);
}

void LogManager::sigcrash(int sig) {
    const int savedErrno = errno;
    struct sigaction sa;
    std::memset(&sa, 0, sizeof(sa));
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);

    const int fd = openCrashLog();
    crashLine(fd, 'E', "");
    crashLine(fd, 'E', kStars);
    crashLine(fd, 'E', "crashed!!!");
    const int frames = backtrace(gCrashFrames, 1024);
    for (int i = 0; i < frames; ++i) {
        // "[E time :0] <i> module(symbol+offset) [address]"; demangle offline (c++filt).
        SafeText s = crashPrefix('E');
        s.addNum(i, 0);
        s.addChar(' ');
        crashWrite(fd, s);
        backtrace_symbols_fd(&gCrashFrames[i], 1, fd);
        backtrace_symbols_fd(&gCrashFrames[i], 1, STDERR_FILENO);
    }
    crashLine(fd, 'F', kStars);
    if (fd >= 0) {
        ::close(fd);
        crashRename();
    }
    errno = savedErrno;
    // The default action is back in place: the re-raised signal ends the process once we return.
    raise(sig);
}

void LogManager::setCrashClockForTest(const QDateTime& t) {
    gCrashClockMs = t.isValid() ? t.toMSecsSinceEpoch() : -1;
    if (t.isValid()) gUtcOffsetSecs = t.offsetFromUtc();
}

void LogManager::resetForTest() {
    gCrashClockMs = -1;
    QMutexLocker lock(&logMutex());
    delete gLogFile;
    gLogFile = nullptr;
    __CurTaskPath.clear();
    gFileLogSwitch = &liveRecordLogsToFile;
    if (gCrashDirFd >= 0) ::close(gCrashDirFd);
    gCrashDirFd = -1;
}

void historymessage(QtMsgType type, const char* msg) {
    QString line =
        QStringLiteral("%1: %2\r\n")
            .arg(SysClock::now().toString(QStringLiteral("yyyy.M.d-hh:mm:ss")), QString::fromUtf8(msg));
    switch (type) {
        case QtDebugMsg:
            line.prepend(QStringLiteral("Debug"));
            break;
        case QtWarningMsg:
            line.prepend(QStringLiteral("Warning"));
            break;
        case QtCriticalMsg:
            line.prepend(QStringLiteral("Critical"));
            break;
        case QtFatalMsg:
            line.prepend(QStringLiteral("Fatal"));
            break;
        case QtInfoMsg:
            break;
    }
    QFile file(QStringLiteral("./cnt_net/data/mainlog.txt"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) file.write(line.toUtf8());
}
