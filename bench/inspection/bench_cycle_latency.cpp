// Input edge to output change, on the simulated IO board, for an OK machine cycle: two grey cameras at
// 1920 x 1080, 50 regions per camera in each of the two steps, step delays 0, the whole monitor
// in-process (loop, IO thread, image saver) with the production timer periods.
//
// The clamping and the ejector cut are re-armed after each cycle by the timed cuts ("Cut the clamping
// at fixed time after mold ok", "Cut the ejector at fixed time after Prod ok", 100 ms each), so every
// cycle has a visible release on the board: the ejector cut (output 1) after the product step, the
// clamping cut (output 0) after the cavity step. Both are measured from the moment the board's input
// 0 goes high to the moment the board applies the output word, in the board's own thread.
//
// Variants: regions with threshold functions only (black area, white area, white count, spot), and
// regions with the grey-matching defect function trained on a template of the scene.
//     bench_cycle_latency [--benchmark_filter=...]      (not run by CI)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "cycleworld.h"

namespace {
using Clock = std::chrono::steady_clock;

constexpr int kW = 1920;
constexpr int kH = 1080;

// 50 regions in a 10 x 5 grid over the frame, for one step, in 320 x 240 units (scaled by the world).
QList<cycle::Region> grid(int step, bool defect) {
    QList<cycle::Region> r;
    const int funcs[4] = {kFuncBlack, kFuncWhite, kFuncWhiteCount, kFuncSpot};
    for (int i = 0; i < 50; ++i) {
        const QRect cell(2 + (i % 10) * 31, 2 + (i / 10) * 47, 28, 42);
        if (defect) {
            r << cycle::Region{step, kFuncDefect, 5, 25, 100, cell};
            continue;
        }
        switch (funcs[i % 4]) {
            case kFuncBlack:
                r << cycle::Region{step, kFuncBlack, 0, 50, 100, cell};
                break;
            case kFuncWhite:
                r << cycle::Region{step, kFuncWhite, 0, 200, 100, cell};
                break;
            case kFuncWhiteCount:
                r << cycle::Region{step, kFuncWhiteCount, 1, 200, 0, cell};
                break;
            default:
                r << cycle::Region{step, kFuncSpot, 0x3200, 0, 5000, cell};  // no dark pixel is OK
                break;
        }
    }
    return r;
}

// A little texture, so that the grey models have something to compare.
cycle::Scene scene() {
    cycle::Scene s;
    for (int i = 0; i < 40; ++i) s << cycle::Patch{QRect(8 + (i % 8) * 38, 12 + (i / 8) * 45, 12, 12), 100};
    return s;
}

bool writeTemplate(const QString& path, const QImage& grey) {
    QImage indexed = grey.convertToFormat(QImage::Format_Indexed8, [] {
        QVector<QRgb> t(256);
        for (int i = 0; i < 256; ++i) t[i] = qRgb(i, i, i);
        return t;
    }());
    return QDir().mkpath(QFileInfo(path).path()) && indexed.save(path, "BMP");
}

// Runs the event loop until `done` or the time-out; false on time-out.
bool spin(const std::function<bool()>& done, int timeoutMs) {
    if (done()) return true;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done()) loop.quit();
    });
    check.start(1);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

void report(benchmark::State& state, const char* name, std::vector<double> ms) {
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    state.counters[std::string(name) + "_median_ms"] = ms[ms.size() / 2];
    state.counters[std::string(name) + "_worst_ms"] = ms.back();
}

void BM_EdgeToRelease(benchmark::State& state) {
    const bool defect = state.range(0) != 0;
    CycleWorld w(2, kW, kH);
    clearTimeOverrides();  // the production periods
    WizardPara& p = w.p();
    p.is_cut_ontime = 1;          // clamping cut again 100 ms after a cavity OK
    p.is_cut_ontime_thimble = 1;  // ejector cut again 100 ms after a product OK
    p.mold_pulse = 1;
    p.thimble_pulse = 1;
    for (int& d : p.trig_in_delay) d = 0;
    w.derive();
    const QImage frame = cycle::render(scene(), kW, kH);
    for (int c = 0; c < 2; ++c) {
        if (!w.writeRegions(c, grid(0, defect) + grid(1, defect))) return state.SkipWithError("regions");
        for (int d = 0; d < 2; ++d)
            if (defect &&
                !writeTemplate(QStringLiteral("cammer%1%2/template0.bmp").arg(c + 1).arg(d + 1), frame))
                return state.SkipWithError("template");
    }
    std::atomic<qint64> inNs{0}, ejectorNs{0}, clampNs{0};
    w.board.setOutputListener([&](const IoBoardSim::OutputChange& c) {
        const qint64 now = Clock::now().time_since_epoch().count();
        if ((c.from & 2) && !(c.to & 2)) ejectorNs = now;
        if ((c.from & 1) && !(c.to & 1)) clampNs = now;
    });
    if (!w.start()) return state.SkipWithError("no pseudo-terminal");
    if (!w.showAll(scene())) return state.SkipWithError("no frames");
    for (int c = 0; c < 2 && defect; ++c)
        for (int d = 0; d < 2; ++d)
            if (!w.window->cams[c]->recong->grayModels[d][0].IsValid())
                return state.SkipWithError("the grey models were not trained on the template");
    // One cycle to arm the timed cuts.
    const auto armed = [&] { return (w.board.outputs() & 3) == 3; };
    w.board.setInput(0, true);
    spin([] { return false; }, 600);
    w.board.setInput(0, false);
    if (!spin(armed, 5000)) return state.SkipWithError("the timed cuts did not come back on");

    std::vector<double> ejector, clamp;
    const int failsBefore = gFailNum[0] + gFailNum[1];
    for (auto _ : state) {
        spin([] { return false; }, 60);  // input 0 low long enough to give a new edge
        ejectorNs = clampNs = 0;
        inNs = Clock::now().time_since_epoch().count();
        w.board.setInput(0, true);
        if (!spin([&] { return ejectorNs != 0 && clampNs != 0; }, 10000)) {
            const std::string why =
                QStringLiteral("no release on the board (RunState %1, DisplayState %2, NG %3, outputs 0x%4)")
                    .arg(w.window->RunState)
                    .arg(w.window->DisplayState)
                    .arg(gFailNum[0] + gFailNum[1] - failsBefore)
                    .arg(w.board.outputs(), 0, 16)
                    .toStdString();
            state.SkipWithError(why.c_str());
            break;
        }
        const double e = double(ejectorNs - inNs) / 1e6, k = double(clampNs - inNs) / 1e6;
        state.SetIterationTime(k / 1000.0);
        ejector.push_back(e);
        clamp.push_back(k);
        w.board.setInput(0, false);
        if (!spin(armed, 5000)) {
            state.SkipWithError("the timed cuts did not come back on");
            break;
        }
    }
    if (gFailNum[0] + gFailNum[1] != failsBefore) state.SkipWithError("a cycle was NG");
    report(state, "ejector", ejector);
    report(state, "clamp", clamp);
    state.counters["cores"] = double(std::thread::hardware_concurrency());
}
}  // namespace

BENCHMARK(BM_EdgeToRelease)
    ->ArgName("defect")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(60)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
