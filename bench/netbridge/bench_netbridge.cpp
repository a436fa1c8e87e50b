// The network bridge on loopback with tools/netclient-sim in the same process:
//  - BM_AcknowledgedMessages: messages queued on the bridge until the simulated client acknowledged
//    every one; the rate is in the "msgs_per_s" counter.
//  - BM_ReplyFlood: 200,000 heartbeats of the client in one read, cut into replies; BM_AnswerInPieces:
//    an answer of about 1 MB arriving in 10-byte reads. Their yardstick, BM_ByteScan, counts the line
//    ends of the same bytes (one plain pass): quote the reader as a ratio to it.
//  - BM_SharePush: one 50 ms push of the shared-memory images (I420 conversion, time stamp, copy under
//    the lock) for N cameras of W x H at frame-rate index R (arguments N, W, H, R) with a client
//    attached and reading; every picture is new at every push. The push runs 20 times a second: 20 x
//    the time is the share of one core it takes. R 3 (20 per second) converts every picture at every
//    push; R 0 (5 per second, the default) every fourth push. Yardstick: BM_CopyPictures, one plain copy of the same pictures.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <cstring>
#include <memory>
#include <vector>

#include "app/globals.h"
#include "app/wizardpara.h"
#include "netbridge/cnt_net.h"
#include "netclientsim.h"

namespace {
struct Rig {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    WizardPara para;
    std::unique_ptr<CNT_Net> net;
    std::unique_ptr<NetClientSim> client;

    bool start(int shareMode) {
        if (!dir.isValid() || !QDir::setCurrent(dir.path())) return false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench");
            db.setDatabaseName("PARAM.db");
            if (!db.open()) return false;
            QSqlQuery q(db);
            q.exec("CREATE TABLE sysparam (name TEXT PRIMARY KEY, value TEXT)");
            q.exec("INSERT INTO sysparam VALUES ('CntNet', '1')");
            db.close();
        }
        QSqlDatabase::removeDatabase("bench");
        para.cnt_net_on = 1;
        para.video_share_mode = shareMode;
        qstrcpy(para.CntNet_UseName, "eth0");
        gpWPara = &para;
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        CNT_Net::setListenPort(port);
        CNT_Net::setShareKeyPath(dir.path());
        net = std::make_unique<CNT_Net>();
        gpNet = net.get();
        return net->isStarted();
    }
    bool connectClient(int frameReadMs = 200) {
        NetClientSim::Options o;
        o.port = CNT_Net::listenPort();
        o.keyDir = dir.path();
        o.logFile = dir.path() + "/client.log";
        o.frameReadMs = frameReadMs;
        client = std::make_unique<NetClientSim>(o);
        client->start();
        QElapsedTimer t;
        t.start();
        while (!net->isConnected() && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return net->isConnected();
    }
    ~Rig() {
        client.reset();
        gpNet = nullptr;
        net.reset();
        gpWPara = nullptr;
        QDir::setCurrent(previous);
    }
};

void BM_AcknowledgedMessages(benchmark::State& state) {
    Rig rig;
    if (!rig.start(0) || !rig.connectClient()) {
        state.SkipWithError("bridge or client did not start");
        return;
    }
    const int batch = int(state.range(0));
    qint64 total = 0;
    double seconds = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const qint64 before = rig.client->received(5);
        for (int i = 0; i < batch; ++i)
            rig.net->CNT_SendAlarmPic(QStringLiteral("/alarmimage/camera1/x%1.jpg").arg(i));
        while (!rig.net->pendingMessages().isEmpty() || rig.client->received(5) - before < batch) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (t.elapsed() > 60000) {
                state.SkipWithError("messages not acknowledged within 60 s");
                return;
            }
        }
        seconds += t.nsecsElapsed() / 1e9;
        total += batch;
    }
    state.counters["msgs_per_s"] = seconds > 0 ? total / seconds : 0;
}
BENCHMARK(BM_AcknowledgedMessages)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

QByteArray heartbeats(int n) {
    QByteArray flood;
    flood.reserve(n * 11);
    for (int i = 0; i < n; ++i) flood += "/heart/\r\n\r\n";
    return flood;
}

QByteArray largeAnswer() {
    QByteArray body = "{\"products\": [";
    for (int i = 0; body.size() < 1000000; ++i) body += "{\"name\": \"cap-" + QByteArray::number(i) + "\"},";
    body += "{}]}";
    return "A\r\nSessionId:14\r\n\r\n" + body + "/heart/\r\n\r\n";
}

void BM_ByteScan(benchmark::State& state) {
    const QByteArray bytes = state.range(0) == 0 ? heartbeats(200000) : largeAnswer();
    for (auto _ : state) {
        int lines = 0;
        for (const char *p = bytes.constData(), *end = p + bytes.size();
             (p = static_cast<const char*>(memchr(p, '\n', size_t(end - p)))) != nullptr; ++p)
            ++lines;
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ByteScan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReplyFlood(benchmark::State& state) {
    const QByteArray flood = heartbeats(200000);
    for (auto _ : state) {
        CNT_ReplyReader reader;
        reader.feed(flood);
        CNT_ReplyReader::Reply r;
        int n = 0;
        while (reader.next(&r)) ++n;
        if (n != 200000) state.SkipWithError("heartbeats lost");
    }
    state.SetBytesProcessed(state.iterations() * flood.size());
}
BENCHMARK(BM_ReplyFlood)->Unit(benchmark::kMillisecond);

void BM_AnswerInPieces(benchmark::State& state) {
    const QByteArray answer = largeAnswer();
    for (auto _ : state) {
        CNT_ReplyReader reader;
        CNT_ReplyReader::Reply r;
        int n = 0;
        for (int at = 0; at < answer.size(); at += 10) {
            reader.feed(QByteArray::fromRawData(answer.constData() + at, qMin(10, answer.size() - at)));
            while (reader.next(&r)) ++n;
        }
        if (n != 2) state.SkipWithError("the answer was not cut out");
    }
    state.SetBytesProcessed(state.iterations() * answer.size());
}
BENCHMARK(BM_AnswerInPieces)->Unit(benchmark::kMillisecond);

// A bridge with `cameras` shared 1920x1080 pictures (a pattern, so that the client reads real
// pixels) and a connected client that has been told the memory layout. False (the bench skipped)
// when any of it fails.
bool startSharing(Rig& rig, benchmark::State& state, int cameras, std::vector<std::vector<uint32_t>>& pixels,
                  int w = 1920, int h = 1080) {
    if (!rig.start(2)) {
        state.SkipWithError("bridge did not start");
        return false;
    }
    pixels.assign(size_t(cameras), std::vector<uint32_t>(size_t(w) * h));
    for (int c = 0; c < cameras; ++c) {
        for (size_t i = 0; i < pixels[size_t(c)].size(); ++i)
            pixels[size_t(c)][i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
        rig.net->CNT_AddUseMemory(c, w, h, pixels[size_t(c)].data());
    }
    if (!rig.connectClient(200)) {
        state.SkipWithError("client did not connect");
        return false;
    }
    QElapsedTimer t;
    t.start();
    while (!rig.net->memoryInfoSent() && t.elapsed() < 5000) QCoreApplication::processEvents();
    return true;
}

void BM_SharePush(benchmark::State& state) {
    Rig rig;
    const int cameras = int(state.range(0)), w = int(state.range(1)), h = int(state.range(2));
    rig.para.video_rate_index = int(state.range(3));
    std::vector<std::vector<uint32_t>> pixels;
    if (!startSharing(rig, state, cameras, pixels, w, h)) return;
    for (auto _ : state) {
        rig.net->pushFrames();
        state.PauseTiming();
        QCoreApplication::processEvents();  // the client reads between pushes, as it would
        state.ResumeTiming();
    }
    state.counters["cameras"] = cameras;
    state.counters["MB_per_push"] = cameras * (w * h * 3 / 2) / 1e6;
}
// Fixed iterations: the untimed reading between pushes does not count towards the benchmark's
// minimum time, so left to itself it would run for minutes.
BENCHMARK(BM_SharePush)
    ->Args({1, 1920, 1080, 3})
    ->Args({8, 1920, 1080, 3})
    ->Args({8, 1280, 1024, 3})
    ->Args({8, 1280, 1024, 0})
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Yardstick of the push: copying the same pictures once (cameras x W x H x 4 bytes).
void BM_CopyPictures(benchmark::State& state) {
    const int cameras = int(state.range(0)), w = int(state.range(1)), h = int(state.range(2));
    std::vector<std::vector<uint32_t>> pixels(size_t(cameras), std::vector<uint32_t>(size_t(w) * h, 7));
    std::vector<uint32_t> copy(size_t(w) * h);
    for (auto _ : state) {
        for (const auto& p : pixels) memcpy(copy.data(), p.data(), p.size() * 4);
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyPictures)->Args({8, 1920, 1080})->Args({8, 1280, 1024})->Unit(benchmark::kMillisecond);

// What the 50 ms timer costs the GUI thread (and the machine loop on it): waking the pusher thread.
// The pass itself (timed above) runs on that thread; each iteration waits for it untimed.
void BM_SharePushTimerTick(benchmark::State& state) {
    Rig rig;
    const int cameras = int(state.range(0));
    std::vector<std::vector<uint32_t>> pixels;
    if (!startSharing(rig, state, cameras, pixels)) return;
    for (auto _ : state) {
        rig.net->pushFramesInBackground();
        state.PauseTiming();
        rig.net->waitForPush();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["cameras"] = cameras;
}
// Each iteration waits untimed for the pass (tens of ms) while the timed wake-up is tens of us:
// a fixed count keeps the run to seconds instead of over ten minutes.
BENCHMARK(BM_SharePushTimerTick)->Arg(8)->Iterations(300)->Unit(benchmark::kMicrosecond)->UseRealTime();
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // the time stamp is painted with a font
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
