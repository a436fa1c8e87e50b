#include <QtTest>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <glog/logging.h>

#include "app/globals.h"
#include "app/glogsetup.h"
#include "app/logmanager.h"
#include "app/wizardpara.h"
#include "platform/system/sysclock.h"
#include "programdir.h"
#include "stderrcapture.h"

namespace {

std::atomic<bool> gLogToFile{true};
bool logSwitch() {
    return gLogToFile.load();
}

const QString kDir = QStringLiteral("cnt_net/cnt_log_app/");
const QDateTime kFixed(QDate(2026, 3, 4), QTime(5, 6, 7, 89));
const QString kStamp = QStringLiteral("2026/03/04-05:06:07.089");
const QString kVersionLine = QStringLiteral("create newlog version 26.0.1.2 ") + kStamp;
const QByteArray kStars(105, '*');

// Files of `dir` with ascending modification times, the first the oldest.
void makeAgedFiles(ProgramDir& pd, const QString& dir, int count) {
    const QDateTime base = QDateTime::currentDateTime().addDays(-10);
    for (int i = 0; i < count; ++i) {
        const QString rel = dir + QStringLiteral("f%1.txt").arg(i, 3, 10, QLatin1Char('0'));
        QVERIFY(pd.writeFile(rel, "x"));
        QFile f(pd.filePath(rel));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(base.addSecs(60 * i), QFileDevice::FileModificationTime));
    }
}

QStringList listDir(const QString& dir) {
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

}  // namespace

class TestLogging : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void lineFormat_data();
    void lineFormat();
    void lineFromQtMacroCarriesSourcePosition();
    void existingFileGetsNoVersionLine();
    void debugGoesToStderrOnly();
    void switchedOffGoesToStderrOnly();
    void defaultSwitchIsTheLiveRecord();
    void fatalRenamesFile();
    void unwritableLogFallsBackToStderr();
    void managerDeletesOneFileAtHundred_data();
    void managerDeletesOneFileAtHundred();
    void glogKeepsNewest49();
    void concurrentMessagesStayWhole();
    void fatalMessageThenAbortKeepsBothFiles();
    void crashLeavesTraceAndEndsProcess_data();
    void crashLeavesTraceAndEndsProcess();

private:
    void startManager();
    QByteArray logText() const { return pd_->readFile(kDir + QStringLiteral("log.txt")); }

    ProgramDir* pd_ = nullptr;
};

void TestLogging::init() {
    pd_ = new ProgramDir;
    QVERIFY(pd_->isValid());
    gLogToFile = true;
    SysClock::setFixed(kFixed);
}

void TestLogging::cleanup() {
    std::signal(SIGSEGV, SIG_DFL);
    std::signal(SIGABRT, SIG_DFL);
    LogManager::resetForTest();
    SysClock::reset();
    delete pd_;
    pd_ = nullptr;
}

void TestLogging::startManager() {
    LogManager::resetForTest();
    LogManager::setFileLogSwitch(&logSwitch);
    const QtMessageHandler framework = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(framework);
    new LogManager;  // lives as long as the process, as in the program
    // The tests feed the handler directly; the test framework keeps its own for its output.
    qInstallMessageHandler(framework);
}

void TestLogging::lineFormat_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("warning with context")
        << int(QtWarningMsg) << QByteArray("/src/app/sub/view.cpp") << 42 << QStringLiteral("camera %1 lost")
        << "[W " + kStamp + " view.cpp:42] camera %1 lost";
    QTest::newRow("critical") << int(QtCriticalMsg) << QByteArray("x.cpp") << 7
                              << QStringLiteral("open failed") << "[E " + kStamp + " x.cpp:7] open failed";
    QTest::newRow("info, UTF-8 text") << int(QtInfoMsg) << QByteArray("a/b.cpp") << 1
                                      << QStringLiteral("相机就绪") << "[I " + kStamp + " b.cpp:1] 相机就绪";
    QTest::newRow("no context") << int(QtWarningMsg) << QByteArray() << 99 << QStringLiteral("from Qt")
                                << "[W " + kStamp + " :0] from Qt";
}

void TestLogging::lineFormat() {
    QFETCH(int, type);
    QFETCH(QByteArray, file);
    QFETCH(int, line);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    startManager();
    const QMessageLogContext ctx(file.isEmpty() ? nullptr : file.constData(), line, "f", "default");
    LogManager::outputMessage(QtMsgType(type), ctx, text);
    QCOMPARE(QString::fromUtf8(logText()), kVersionLine + "\n" + expected + "\n");
}

void TestLogging::lineFromQtMacroCarriesSourcePosition() {
    startManager();
    QtMessageHandler test = qInstallMessageHandler(&LogManager::outputMessage);
    const int line = __LINE__ + 1;
    qWarning("through the macro");
    qInstallMessageHandler(test);
    QVERIFY2(logText().endsWith(QStringLiteral("tst_logging.cpp:%1] through the macro\n").arg(line).toUtf8()),
             logText().constData());
}

void TestLogging::existingFileGetsNoVersionLine() {
    QVERIFY(pd_->writeFile(kDir + "log.txt", "earlier run\n"));
    startManager();
    LogManager::outputMessage(QtWarningMsg, QMessageLogContext(), QStringLiteral("again"));
    QCOMPARE(logText(), ("earlier run\n[W " + kStamp + " :0] again\n").toUtf8());
}

void TestLogging::debugGoesToStderrOnly() {
    startManager();
    StderrCapture err(pd_->filePath("stderr.txt"));
    LogManager::outputMessage(QtDebugMsg, QMessageLogContext("d.cpp", 3, "f", "default"),
                              QStringLiteral("dbg 调试"));
    QCOMPARE(err.take(), QByteArray("dbg 调试\n"));
    QVERIFY(!QFile::exists(pd_->filePath(kDir + "log.txt")));

    gLogToFile = false;
    StderrCapture err2(pd_->filePath("stderr2.txt"));
    LogManager::outputMessage(QtDebugMsg, QMessageLogContext(), QStringLiteral("still shown"));
    QCOMPARE(err2.take(), QByteArray("still shown\n"));
}

void TestLogging::switchedOffGoesToStderrOnly() {
    gLogToFile = false;
    startManager();
    StderrCapture err(pd_->filePath("stderr.txt"));
    for (QtMsgType t : {QtWarningMsg, QtCriticalMsg, QtInfoMsg})
        LogManager::outputMessage(t, QMessageLogContext("s.cpp", 4, "f", "default"), QStringLiteral("shown"));
    QCOMPARE(err.take(), ("[W " + kStamp + " s.cpp:4] shown\n[E " + kStamp + " s.cpp:4] shown\n[I " + kStamp +
                          " s.cpp:4] shown\n")
                             .toUtf8());
    QCOMPARE(listDir(pd_->filePath(kDir)), QStringList());
    // The switch is asked on every message.
    gLogToFile = true;
    LogManager::outputMessage(QtWarningMsg, QMessageLogContext(), QStringLiteral("kept"));
    QVERIFY(logText().endsWith(" :0] kept\n"));
}

void TestLogging::defaultSwitchIsTheLiveRecord() {
    LogManager::resetForTest();  // the program's switch: gpWPara->log_to_file
    const QtMessageHandler framework = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(framework);
    new LogManager;
    qInstallMessageHandler(framework);
    WizardPara* const saved = gpWPara;
    WizardPara record{};
    gpWPara = nullptr;
    LogManager::outputMessage(QtWarningMsg, QMessageLogContext(), QStringLiteral("no record yet"));
    gpWPara = &record;
    record.log_to_file = 0;
    LogManager::outputMessage(QtWarningMsg, QMessageLogContext(), QStringLiteral("switched off"));
    QCOMPARE(listDir(pd_->filePath(kDir)), QStringList());
    record.log_to_file = 1;
    LogManager::outputMessage(QtWarningMsg, QMessageLogContext(), QStringLiteral("switched on"));
    gpWPara = saved;
    QCOMPARE(logText(), (kVersionLine + "\n[W " + kStamp + " :0] switched on\n").toUtf8());
}

void TestLogging::fatalRenamesFile() {
    startManager();
    LogManager::outputMessage(QtWarningMsg, QMessageLogContext(), QStringLiteral("before"));
    // Called directly: Qt's own abort after a fatal message is not part of the handler.
    LogManager::outputMessage(QtFatalMsg, QMessageLogContext("m.cpp", 5, "f", "default"),
                              QStringLiteral("gone"));
    const QString fatalName = QStringLiteral("logFatal2026-03-04_05-06-07-089.txt");
    QCOMPARE(listDir(pd_->filePath(kDir)), QStringList{fatalName});
    const QList<QByteArray> lines = pd_->readFile(kDir + fatalName).split('\n');
    QCOMPARE(lines.size(), 4);  // version, warning, fatal, empty after the last line break
    QCOMPARE(lines.at(2), ("[F " + kStamp + " m.cpp:5] gone").toUtf8());

    // The next message starts a new file with the version line.
    LogManager::outputMessage(QtInfoMsg, QMessageLogContext(), QStringLiteral("after"));
    QCOMPARE(logText(), (kVersionLine + "\n[I " + kStamp + " :0] after\n").toUtf8());
}

void TestLogging::unwritableLogFallsBackToStderr() {
    // A directory in the way of "log.txt" makes every open fail, as a read-only or full disk would.
    QVERIFY(QDir().mkpath(pd_->filePath(kDir + "log.txt")));
    startManager();
    StderrCapture err(pd_->filePath("stderr.txt"));
    LogManager::outputMessage(QtWarningMsg, QMessageLogContext("w.cpp", 9, "f", "default"),
                              QStringLiteral("kept"));
    LogManager::outputMessage(QtCriticalMsg, QMessageLogContext(), QStringLiteral("also kept"));
    QCOMPARE(err.take(), ("[W " + kStamp + " w.cpp:9] kept\n[E " + kStamp + " :0] also kept\n").toUtf8());

    // Once the way is clear, logging to the file resumes.
    QVERIFY(QDir(pd_->filePath(kDir + "log.txt")).removeRecursively());
    LogManager::outputMessage(QtWarningMsg, QMessageLogContext(), QStringLiteral("back"));
    QVERIFY(logText().startsWith(kVersionLine.toUtf8()));
}

void TestLogging::managerDeletesOneFileAtHundred_data() {
    QTest::addColumn<int>("present");
    QTest::addColumn<int>("remaining");
    QTest::newRow("99 stay") << 99 << 99;
    QTest::newRow("100 lose the oldest") << 100 << 99;
    QTest::newRow("120 lose only one") << 120 << 119;
}

void TestLogging::managerDeletesOneFileAtHundred() {
    QFETCH(int, present);
    QFETCH(int, remaining);
    makeAgedFiles(*pd_, kDir, present);
    startManager();
    const QStringList left = listDir(pd_->filePath(kDir));
    QCOMPARE(left.size(), remaining);
    QCOMPARE(left.contains(QStringLiteral("f000.txt")), present == remaining);
}

void TestLogging::glogKeepsNewest49() {
    // The pruning alone, on more files than the start keeps.
    makeAgedFiles(*pd_, kDir, 60);
    QCOMPARE(GLog::pruneLogDir(pd_->filePath(kDir), GLog::kKeepFiles), 11);
    QStringList left = listDir(pd_->filePath(kDir));
    QCOMPARE(left.size(), 49);
    QCOMPARE(left.first(), QStringLiteral("f011.txt"));  // the 11 oldest are gone
    QCOMPARE(GLog::pruneLogDir(pd_->filePath(kDir), GLog::kKeepFiles), 0);

    // The set-up as the program runs it (glog starts once per process): it prunes first, then glog
    // writes its INFO records into the directory; the message handler's set-up deletes nothing at 50.
    makeAgedFiles(*pd_, kDir, 60);
    char arg0[] = "monitor";
    char* argv[] = {arg0, nullptr};
    gGlog = new GLog(kDir.toStdString(), argv, nullptr);
    QCOMPARE(listDir(pd_->filePath(kDir)).size(), 49);
    LOG(INFO) << "CNT: new connected";
    google::FlushLogFiles(google::GLOG_INFO);
    const QStringList withGlog = listDir(pd_->filePath(kDir));
    QVERIFY(withGlog.size() > 49);  // glog's file (and glog's link to it)
    startManager();
    QCOMPARE(listDir(pd_->filePath(kDir)), withGlog);
    QString glogFile;
    for (const QString& f : withGlog)
        if (f.contains(QStringLiteral(".log.INFO."))) glogFile = f;
    QVERIFY2(!glogFile.isEmpty(), qPrintable(withGlog.join(' ')));
    QVERIFY(pd_->readFile(kDir + glogFile).contains("CNT: new connected"));
}

void TestLogging::concurrentMessagesStayWhole() {
    startManager();
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    QList<QThread*> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads << QThread::create([t] {
            for (int i = 0; i < kEach; ++i)
                LogManager::outputMessage(
                    QtWarningMsg, QMessageLogContext("t.cpp", t, "f", "default"),
                    QStringLiteral("thread %1 message %2 with some length to it").arg(t).arg(i));
        });
        threads.last()->start();
    }
    for (QThread* th : threads) {
        QVERIFY(th->wait(60000));
        delete th;
    }
    const QList<QByteArray> lines = logText().split('\n');
    QCOMPARE(lines.size(), 1 + kThreads * kEach + 1);
    QCOMPARE(lines.first(), kVersionLine.toUtf8());
    const QRegularExpression re(
        QStringLiteral("^\\[W \\S+ t\\.cpp:(\\d)\\] thread \\1 message \\d+ with some length to it$"));
    for (int i = 1; i <= kThreads * kEach; ++i)
        QVERIFY2(re.match(QString::fromUtf8(lines.at(i))).hasMatch(), lines.at(i).constData());
}

// The program's real path: qFatal goes through the handler (rename), then Qt aborts and the crash
// handler writes the trace into a new file; neither file may replace the other.
void TestLogging::fatalMessageThenAbortKeepsBothFiles() {
    const QByteArray errPath = QFile::encodeName(pd_->filePath("child-stderr.txt"));
    const pid_t pid = ::fork();
    QVERIFY(pid >= 0);
    if (pid == 0) {
        const int fd = ::open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, STDERR_FILENO);
        LogManager::resetForTest();
        LogManager::setCrashClockForTest(kFixed);  // both files named in the same millisecond
        LogManager::setFileLogSwitch(&logSwitch);
        new LogManager;
        qFatal("mould data lost");
        ::_exit(99);
    }
    int status = 0;
    QCOMPARE(::waitpid(pid, &status, 0), pid);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(WTERMSIG(status), SIGABRT);
    const QStringList files = listDir(pd_->filePath(kDir));
    QCOMPARE(files.size(), 2);
    QByteArray fatal, trace;
    for (const QString& f : files) {
        QVERIFY(f.startsWith(QStringLiteral("logFatal")));
        const QByteArray text = pd_->readFile(kDir + f);
        (text.contains("crashed!!!") ? trace : fatal) = text;
    }
    QVERIFY(fatal.trimmed().endsWith("] mould data lost"));
    QVERIFY(fatal.contains("tst_logging.cpp:"));
    QVERIFY(trace.startsWith(kVersionLine.toUtf8()));
    QVERIFY(files.contains(QStringLiteral("logFatal2026-03-04_05-06-07-089.txt")));
    QVERIFY(files.contains(QStringLiteral("logFatal2026-03-04_05-06-07-089-1.txt")));
}

void TestLogging::crashLeavesTraceAndEndsProcess_data() {
    QTest::addColumn<int>("sig");
    QTest::addColumn<bool>("fileLog");
    QTest::newRow("SIGSEGV, file logging on") << int(SIGSEGV) << true;
    QTest::newRow("SIGABRT, file logging on") << int(SIGABRT) << true;
    QTest::newRow("SIGSEGV, file logging off") << int(SIGSEGV) << false;
}

void TestLogging::crashLeavesTraceAndEndsProcess() {
    QFETCH(int, sig);
    QFETCH(bool, fileLog);
    gLogToFile = fileLog;
    QVERIFY(pd_->writeFile(kDir + "log.txt", "earlier line\n"));
    const QByteArray errPath = QFile::encodeName(pd_->filePath("child-stderr.txt"));
    const pid_t pid = ::fork();
    QVERIFY(pid >= 0);
    if (pid == 0) {
        const int fd = ::open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, STDERR_FILENO);
        LogManager::resetForTest();
        LogManager::setFileLogSwitch(&logSwitch);
        new LogManager;
        if (sig == SIGABRT)
            std::abort();
        else
            ::raise(sig);
        ::_exit(99);  // the handler returned without ending the process
    }
    int status = 0;
    QCOMPARE(::waitpid(pid, &status, 0), pid);
    QVERIFY2(WIFSIGNALED(status), qPrintable(QStringLiteral("status %1").arg(status)));
    QCOMPARE(WTERMSIG(status), sig);

    const QByteArray err = pd_->readFile("child-stderr.txt");
    QVERIFY(err.contains("crashed!!!"));
    const QStringList files = listDir(pd_->filePath(kDir));
    if (!fileLog) {
        QCOMPARE(files, QStringList{QStringLiteral("log.txt")});
        QCOMPARE(logText(), QByteArray("earlier line\n"));
        return;
    }
    QCOMPARE(files.size(), 1);
    QVERIFY(files.first().startsWith(QStringLiteral("logFatal")));
    const QByteArray trace = pd_->readFile(kDir + files.first());
    QVERIFY(trace.startsWith("earlier line\n"));
    const QList<QByteArray> lines = trace.trimmed().split('\n');
    const QRegularExpression head(
        QStringLiteral("^\\[E \\d{4}/\\d\\d/\\d\\d-\\d\\d:\\d\\d:\\d\\d\\.\\d{3} :0\\] "));
    QVERIFY(head.match(QString::fromUtf8(lines.at(1))).hasMatch());
    QVERIFY(lines.at(2).endsWith("] " + kStars));
    QVERIFY(lines.at(3).endsWith("] crashed!!!"));
    QVERIFY(lines.at(4).contains(":0] 0 "));  // first frame
    QVERIFY(trace.contains("tst_logging"));   // frames of the crashing program
    QVERIFY(lines.last().startsWith("[F "));
    QVERIFY(lines.last().endsWith("] " + kStars));
}

QTEST_GUILESS_MAIN(TestLogging)
#include "tst_logging.moc"
