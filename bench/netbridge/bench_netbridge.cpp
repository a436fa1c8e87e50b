// The network bridge on loopback with tools/netclient-sim in the same process:
//  - BM_AcknowledgedMessages: messages queued on the bridge until the simulated client acknowledged
//    every one; the rate is in the "msgs_per_s" counter.
//  - BM_SharePush: one 50 ms push of the shared-memory images (I420 conversion, time stamp, copy under
//    the lock) for N cameras of 1920 x 1080 with a client attached and reading.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
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

// A bridge with `cameras` shared 1920x1080 pictures (a pattern, so that the client reads real
// pixels) and a connected client that has been told the memory layout. False (the bench skipped)
// when any of it fails.
bool startSharing(Rig& rig, benchmark::State& state, int cameras,
                  std::vector<std::vector<uint32_t>>& pixels) {
    const int w = 1920, h = 1080;
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
    const int cameras = int(state.range(0));
    std::vector<std::vector<uint32_t>> pixels;
    if (!startSharing(rig, state, cameras, pixels)) return;
    for (auto _ : state) {
        rig.net->pushFrames();
        state.PauseTiming();
        QCoreApplication::processEvents();  // the client reads between pushes, as it would
        state.ResumeTiming();
    }
    state.counters["cameras"] = cameras;
    state.counters["MB_per_push"] = cameras * (1920 * 1080 * 3 / 2) / 1e6;
}
// Fixed iterations: the untimed reading between pushes does not count towards the benchmark's
// minimum time, so left to itself it would run for minutes.
BENCHMARK(BM_SharePush)->Arg(1)->Arg(8)->Iterations(30)->Unit(benchmark::kMillisecond)->UseRealTime();

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
