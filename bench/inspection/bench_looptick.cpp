// How regularly the machine loop runs while the program works: the main window (shown at the panel's
// 1920 x 1080, painting, with the program's pixmaps, compiled-in icons, font and style sheet) with
// 8 simulated grey cameras on the simulated bus, grabbing 20 frames a second each through the real
// grab threads, the simulated IO board polled by the IO thread, the network bridge on with the
// shared-memory push of the camera pictures at the frame rate told to the client, and
// tools/netclient-sim as the client in its own process, reading the frames. No machine cycle runs:
// what is measured is the loop beside the picture traffic.
//
// A sampling thread (real-time priority where it may have it) watches the loop's pass counter and
// notes when it moves; the intervals between passes are the loop's ticks (3 ms plus the pass itself
// plus whatever held the GUI thread). Printed: tick percentiles, ticks over 20 and 50 ms, and the CPU
// time of the program's threads by name (the push is the "SharePusher" thread; threads without a name
// of their own, such as the simulated cameras' grab threads, appear under the program's name), as
// shares of one core.
//
//     bench_looptick [--size 1280x1024|2592x1944] [--seconds 20] [--cameras 8] [--push on|off]
//                    [--rate 0..4]   (the push's frame-rate index: 5, 10, 15, 20, 25 per second)
//                    [--flood MB]    (instead of netclient-sim, a local client that writes MB of
//                                     heartbeats at once, 2 s into the measurement)
//                    [--hung-command] (the USB disk search (FindAU) from the GUI thread, 1 s into the
//                                     measurement and again whenever it returned, with "blkid" never
//                                     ending: each call holds until the command's 30 s limit ends it;
//                                     the measurement lasts until the last one returned)
//                    [--stubborn-client] (the network client restarted every 3 s as on the client's
//                                     "/reline/" (CNT_ReStart), the client being a script that ignores
//                                     SIGTERM: each restart ends the previous one with SIGKILL after
//                                     the grace time)
// Quote the figures with the core count and the load printed at the start and the end.
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QScreen>
#include <QSqlQuery>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "app/lanstr.h"
#include "app/main/startup.h"
#include "cycleworld.h"
#include "netbridge/cnt_net.h"
#include "platform/system/commandrunner.h"
#include "settings/usbdisk.h"

namespace {
using Clock = std::chrono::steady_clock;

struct Options {
    int width = 1280, height = 1024;
    int seconds = 20;
    int cameras = 8;
    bool push = true;
    int rate = 0;  // the program's default
    int floodMb = 0;
    bool hungCommand = false;
    bool stubbornClient = false;
};

bool parse(const QStringList& args, Options* o) {
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const QString v = i + 1 < args.size() ? args.at(i + 1) : QString();
        if (a == "--size") {
            const QStringList wh = v.split('x');
            if (wh.size() != 2) return false;
            o->width = wh.at(0).toInt();
            o->height = wh.at(1).toInt();
        } else if (a == "--seconds") {
            o->seconds = v.toInt();
        } else if (a == "--cameras") {
            o->cameras = v.toInt();
        } else if (a == "--push") {
            o->push = v != "off";
        } else if (a == "--rate") {
            o->rate = v.toInt();
        } else if (a == "--flood") {
            o->floodMb = v.toInt();
        } else if (a == "--hung-command") {
            o->hungCommand = true;
            continue;
        } else if (a == "--stubborn-client") {
            o->stubbornClient = true;
            continue;
        } else {
            return false;
        }
        ++i;
    }
    return o->width >= 64 && o->height >= 48 && o->seconds > 0 && o->cameras >= 1 &&
           o->cameras <= kMaxCamera && o->rate >= 0 && o->rate <= 4;
}

QString loadAverage() {
    QFile f("/proc/loadavg");
    if (!f.open(QIODevice::ReadOnly)) return "?";
    return QString::fromLatin1(f.readAll()).section(' ', 0, 2);
}

// CPU time (seconds) of every thread of this process, summed by thread name; the main thread (the GUI
// thread, which runs the loop) on its own.
std::map<std::string, double> threadTimes() {
    std::map<std::string, double> out;
    const double tick = double(sysconf(_SC_CLK_TCK));
    const QStringList tasks = QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& t : tasks) {
        QFile stat("/proc/self/task/" + t + "/stat");
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray s = stat.readAll();
        const int open = s.indexOf('('), close = s.lastIndexOf(')');
        if (open < 0 || close < open) continue;
        const std::string name =
            t.toLongLong() == getpid() ? "(GUI thread)" : s.mid(open + 1, close - open - 1).toStdString();
        const QList<QByteArray> f = s.mid(close + 2).split(' ');
        if (f.size() < 13) continue;
        out[name] += (f.at(11).toDouble() + f.at(12).toDouble()) / tick;  // utime, stime
    }
    return out;
}

// A client that connects to the bridge and writes `bytes` of heartbeats in one go (blocking writes),
// then stays connected until `done`.
void flood(quint16 port, qint64 bytes, const std::atomic<bool>& done) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        QByteArray block;
        while (block.size() < (1 << 20)) block += "/heart/\r\n\r\n";
        for (qint64 sent = 0; sent < bytes;) {
            const ssize_t n = ::write(fd, block.constData(), size_t(block.size()));
            if (n <= 0) break;
            sent += n;
        }
        while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::close(fd);
}

// The network client's start script (CNT_ReStart runs "python3 ./cnt_net/runNetClient.py") as a client
// that ignores SIGTERM. It notes its process id once the trap is set and ends by itself when this
// program has gone.
bool writeStubbornClient() {
    const QByteArray script = QByteArrayLiteral(
                                  "import os, signal, time\n"
                                  "signal.signal(signal.SIGTERM, signal.SIG_IGN)\n"
                                  "with open('stubborn.log', 'a') as f: f.write('%d\\n' % os.getpid())\n"
                                  "while os.path.exists('/proc/") +
                              QByteArray::number(qint64(getpid())) +
                              QByteArrayLiteral("'): time.sleep(0.2)\n");
    if (!QDir().mkpath(QStringLiteral("cnt_net"))) return false;
    QFile f(QStringLiteral("cnt_net/runNetClient.py"));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(script) == script.size();
}

// Stubborn clients started here (ids noted by the script) and how many of them still run.
std::pair<int, int> stubbornClients() {
    QFile f(QStringLiteral("stubborn.log"));
    if (!f.open(QIODevice::ReadOnly)) return {0, 0};
    const QList<QByteArray> ids = f.readAll().split('\n');
    int started = 0, running = 0;
    for (const QByteArray& id : ids) {
        if (id.isEmpty()) continue;
        ++started;
        QFile cmd("/proc/" + QString::fromLatin1(id) + "/cmdline");
        if (cmd.open(QIODevice::ReadOnly) && cmd.readAll().contains("runNetClient.py")) ++running;
    }
    return {started, running};
}

// Runs the event loop for `ms` (QTest::qWait would sleep 10 ms between its turns and hold the loop).
void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0;
    const size_t i = std::min(sorted.size() - 1, size_t(p / 100.0 * double(sorted.size())));
    return sorted[i];
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("MONITOR_PROFILE", "simulated");
    QApplication app(argc, argv);
    Options o;
    if (!parse(app.arguments(), &o)) {
        std::fprintf(stderr,
                     "usage: bench_looptick [--size WxH] [--seconds N] [--cameras N] [--push on|off]\n");
        return 2;
    }
    const int visionThreads = limitVisionThreads();  // as the program's start-up does
    std::printf("cores %d, load %s, OpenCV threads %d; %d cameras %dx%d, push %s (%d per second), %d s%s%s\n",
                QThread::idealThreadCount(), qPrintable(loadAverage()), visionThreads, o.cameras, o.width,
                o.height, o.push ? "on" : "off", CNT_Net::fpsOfIndex(o.rate), o.seconds,
                o.hungCommand ? ", hung command" : "", o.stubbornClient ? ", stubborn client" : "");
    std::fflush(stdout);

    CycleWorld w(o.cameras, o.width, o.height);
    // As the program starts: the pixmaps of "./images/" (installed beside the program) and the
    // compiled-in ones, the application font and style sheet.
    QDir().mkpath(QStringLiteral("images"));
    for (const QString& name : QDir(MONITOR_IMAGES_DIR).entryList({QStringLiteral("*.png")}, QDir::Files))
        QFile::copy(QStringLiteral(MONITOR_IMAGES_DIR "/") + name, QStringLiteral("images/") + name);
    Data_Init();
    if (!gpPixmapTitle || gpPixmapTitle->isNull() || !gpPixmapLogo || gpPixmapLogo->isNull()) {
        std::fprintf(stderr, "the program's pixmaps are missing\n");
        return 1;
    }
    setApplicationFont();
    clearTimeOverrides();  // the production periods: the loop at 3 ms, the push at 50 ms
    WizardPara& p = w.p();
    p.is_psw_used = 0;
    p.cnt_net_on = o.push ? 1 : 0;
    p.video_share_mode = o.push ? 2 : 0;
    p.video_rate_index = o.rate;
    qstrcpy(p.CntNet_UseName, "eth0");
    w.derive();
    std::unique_ptr<CNT_Net> net;
    QProcess client;
    if (o.push) {
        QSqlQuery q(ParameterManager::getInstance()->paramDb);
        if (!q.exec(QStringLiteral("update sysparam set value='1 2 %1 0 0 1 10000 1' where name='CntNet'")
                        .arg(o.rate))) {
            std::fprintf(stderr, "the bridge switch could not be set\n");
            return 1;
        }
        CNT_Net::setListenPort(0);
        CNT_Net::setShareKeyPath(w.dir.path());
        net = std::make_unique<CNT_Net>();
        gpNet = net.get();
        if (!net->isStarted()) {
            std::fprintf(stderr, "the bridge did not start\n");
            return 1;
        }
    }
    for (int c = 0; c < o.cameras; ++c)
        if (!w.writeRegions(c, cycle::standardRegions(2))) return 1;
    // As CycleWorld::start, but the cameras grab on their own (no frame pump).
    QDir().mkpath(QStringLiteral("sysroot/dev"));
    if (!w.board.start(w.dir.filePath(QStringLiteral("sysroot/dev/ttyS0")))) {
        std::fprintf(stderr, "no pseudo-terminal for the IO board\n");
        return 1;
    }
    w.build();
    installDrawROIWidget(w.window.get());
    w.window->runTimer->start(5);
    if (!QTest::qWaitFor([&] { return w.board.commandCount(2) > 5; }, 10000)) {
        std::fprintf(stderr, "the IO board is not polled\n");
        return 1;
    }
    if (net) net->CNT_FirstInit();
    app.setStyleSheet(applicationStyleSheet());
    // Full screen on the panel's 1920 x 1080 screen; the offscreen platform's screen is smaller, and
    // there the window is shown at the panel's size, so that it paints as much as on the panel.
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    if (screen.width() >= 1920 && screen.height() >= 1080) {
        w.window->showFullScreen();
    } else {
        w.window->setFixedSize(1920, 1080);
        w.window->show();
    }
    if (!QTest::qWaitForWindowExposed(w.window.get())) return 1;
    std::printf("window %dx%d on the \"%s\" platform\n", w.window->width(), w.window->height(),
                qPrintable(QGuiApplication::platformName()));
    if (net && o.floodMb == 0) {
        client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        client.setStandardOutputFile(QProcess::nullDevice());
        client.start(NETCLIENT_PROGRAM, {"--port", QString::number(net->serverPort()), "--key-dir",
                                         CNT_Net::shareKeyPath(), "--frame-read", "50"});
        if (!client.waitForStarted() ||
            !QTest::qWaitFor([&] { return net->isConnected() && net->memoryInfoSent(); }, 10000)) {
            std::fprintf(stderr, "the client did not connect\n");
            return 1;
        }
    }
    // The stubborn client: restarted as the bridge does on the client's "/reline/". The runner records
    // instead of starting processes in this profile; the restart itself is let through.
    int restarts = 0;
    double restartMaxMs = 0;
    const auto restartClient = [&restarts, &restartMaxMs] {
        const Clock::time_point t0 = Clock::now();
        CommandRunner::instance().setMode(CommandRunner::Mode::Execute);
        CNT_Net::CNT_ReStart();
        CommandRunner::instance().setMode(CommandRunner::Mode::Record);
        restartMaxMs =
            std::max(restartMaxMs, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        ++restarts;
    };
    if (o.stubbornClient) {
        if (!writeStubbornClient()) {
            std::fprintf(stderr, "the client script could not be written\n");
            return 1;
        }
        restartClient();  // the first one runs before the measurement starts
    }
    runFor(2000);  // settle: first paints, first pushes

    // The sampler.
    std::atomic<bool> sampling{true};
    std::vector<Clock::time_point> passes;
    passes.reserve(size_t(o.seconds) * 1000);
    std::thread sampler([&] {
        sched_param sp{};
        sp.sched_priority = 10;
        const bool realtime = pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp) == 0;
        if (!realtime) std::fprintf(stderr, "sampler at normal priority (its delays add to the ticks)\n");
        int last = __atomic_load_n(&gRunCount, __ATOMIC_RELAXED);
        while (sampling.load(std::memory_order_relaxed)) {
            const int now = __atomic_load_n(&gRunCount, __ATOMIC_RELAXED);
            if (now != last) {
                const Clock::time_point t = Clock::now();
                for (int k = last; k != now && passes.size() < passes.capacity(); ++k) passes.push_back(t);
                last = now;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });
    const std::map<std::string, double> cpuBefore = threadTimes();
    const Clock::time_point start = Clock::now();
    const QTime startedAt = QTime::currentTime();
    std::thread flooder;
    std::atomic<bool> floodDone{false};
    if (net && o.floodMb > 0) {
        const quint16 port = net->serverPort();
        const qint64 bytes = qint64(o.floodMb) << 20;
        flooder = std::thread([port, bytes, &floodDone] {
            std::this_thread::sleep_for(std::chrono::seconds(2));
            flood(port, bytes, floodDone);
        });
    }
    QTimer restartTimer;
    if (o.stubbornClient) {
        restarts = 0;
        restartMaxMs = 0;
        QObject::connect(&restartTimer, &QTimer::timeout, restartClient);
        restartTimer.start(3000);
    }
    // The hung command: FindAU waits for "blkid" on the GUI thread's event loop until the command's
    // limit ends it, then again while the measurement's time is not over.
    const Clock::time_point end = start + std::chrono::seconds(o.seconds);
    QTimer hungTimer;
    hungTimer.setSingleShot(true);
    int hungCalls = 0;
    double hungHeld = 0;
    if (o.hungCommand) {
        QObject::connect(&hungTimer, &QTimer::timeout, [&] {
            CommandRunner::instance().queueHang(QStringLiteral("blkid"));
            const Clock::time_point t0 = Clock::now();
            const QString disk = FindAU();
            hungHeld += std::chrono::duration<double>(Clock::now() - t0).count();
            ++hungCalls;
            if (!disk.isEmpty()) std::fprintf(stderr, "a disk was found: %s\n", qPrintable(disk));
            if (Clock::now() < end) hungTimer.start(100);
        });
        hungTimer.start(1000);
    }
    runFor(o.seconds * 1000);  // longer while a hung command still holds its call
    restartTimer.stop();
    hungTimer.stop();
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const std::map<std::string, double> cpuAfter = threadTimes();
    sampling = false;
    sampler.join();
    if (o.stubbornClient) runFor(1500);  // the last client settles (not measured)
    floodDone = true;
    if (flooder.joinable()) flooder.join();

    std::vector<double> ticks;
    for (size_t i = 1; i < passes.size(); ++i)
        ticks.push_back(std::chrono::duration<double, std::milli>(passes[i] - passes[i - 1]).count());
    std::vector<double> sorted = ticks;
    std::sort(sorted.begin(), sorted.end());
    const auto over = [&](double ms) {
        return std::count_if(ticks.begin(), ticks.end(), [&](double t) { return t > ms; });
    };
    std::printf(
        "ticks %zu in %.1f s: p50 %.2f ms, p99 %.2f ms, p99.9 %.2f ms, max %.2f ms; over 20 ms: %ld, "
        "over 50 ms: %ld\n",
        ticks.size(), wall, percentile(sorted, 50), percentile(sorted, 99), percentile(sorted, 99.9),
        sorted.empty() ? 0.0 : sorted.back(), long(over(20)), long(over(50)));
    // The longest ticks and when they ended (wall clock, to set beside the log's lines).
    std::vector<size_t> longest(ticks.size());
    for (size_t i = 0; i < longest.size(); ++i) longest[i] = i;
    const size_t shown = std::min<size_t>(8, longest.size());
    std::partial_sort(longest.begin(), longest.begin() + long(shown), longest.end(),
                      [&](size_t a, size_t b) { return ticks[a] > ticks[b]; });
    std::printf("longest ticks:");
    for (size_t k = 0; k < shown; ++k) {
        const size_t i = longest[k];
        const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(passes[i + 1] - start);
        std::printf(
            " %.1f ms at %s;", ticks[i],
            qPrintable(startedAt.addMSecs(int(since.count())).toString(QStringLiteral("HH:mm:ss.zzz"))));
    }
    std::printf("\n");
    std::printf("CPU by thread, share of one core:\n");
    std::vector<std::pair<double, std::string>> shares;
    double total = 0;
    for (const auto& [name, after] : cpuAfter) {
        const auto it = cpuBefore.find(name);
        const double used = after - (it == cpuBefore.end() ? 0.0 : it->second);
        total += used;
        if (used > 0) shares.emplace_back(used / wall, name);
    }
    std::sort(shares.rbegin(), shares.rend());
    for (const auto& [share, name] : shares)
        if (share >= 0.005) std::printf("  %-16s %5.1f %%\n", name.c_str(), share * 100);
    std::printf("  %-16s %5.1f %%\n", "(process)", total / wall * 100);
    if (net) {
        const auto it = std::find_if(shares.begin(), shares.end(),
                                     [](const auto& s) { return s.second == "SharePusher"; });
        if (o.floodMb > 0)
            std::printf("replies handled: %lld (the flood: %lld heartbeats)\n", net->repliesHandled(),
                        (qint64(o.floodMb) << 20) / 11);
        std::printf("picture push (SharePusher): %.1f %% of one core; client %s\n",
                    it == shares.end() ? 0.0 : it->first * 100, net->isConnected() ? "connected" : "gone");
    }
    if (o.hungCommand)
        std::printf(
            "hung command: %d calls of the USB disk search, %.1f s in them (blkid ended at its limit)\n",
            hungCalls, hungHeld);
    if (o.stubbornClient) {
        const auto [started, running] = stubbornClients();
        std::printf(
            "stubborn client: %d restarts (the longest call %.1f ms); %d clients started (TERM "
            "ignored), %d still running\n",
            restarts, restartMaxMs, started, running);
    }
    std::printf("load at the end %s\n", qPrintable(loadAverage()));

    if (client.state() != QProcess::NotRunning) {
        client.terminate();
        client.waitForFinished(5000);
    }
    w.window.reset();
    gpNet = nullptr;
    net.reset();
    return 0;
}
