// Latency of the IO link over a pseudo-terminal with the simulated board, at the program's own poll
// period (5 ms): an input edge set on the board until IOInTrigger sees it, and IOFlashOut until the
// board applied the output word. Each iteration is one sample; median and worst go into the counters.
#include <benchmark/benchmark.h>

#include <QMutexLocker>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "app/globals.h"
#include "io/controlport.h"
#include "io/iolink.h"
#include "ioboardsim.h"
#include "platform/system/syspath.h"

namespace {
using Clock = std::chrono::steady_clock;

struct Rig {
    QTemporaryDir dir;
    IoBoardSim board;
    ControlPort* port = nullptr;

    bool start() {
        if (!dir.isValid()) return false;
        setSysRoot(dir.path() + "/sysroot");
        createFrameLocks();
        gisCOM = 0;
        if (!board.start(comDeviceName(0))) return false;
        port = new ControlPort;
        return board.waitForCommand(2, 0, 5000);
    }
    ~Rig() {
        delete port;
        board.stop();
        resetIOGlobals();
        setSysRoot(QString());
    }
};

void report(benchmark::State& state, std::vector<double>& ms) {
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["worst_ms"] = ms.back();
    state.counters["samples"] = double(ms.size());
}

int dataIn() {
    QMutexLocker lock(pMutexIO);
    return gDataIn;
}

void BM_InputEdgeToTrigger(benchmark::State& state) {
    Rig rig;
    if (!rig.start()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    std::vector<double> ms;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        rig.board.setInput(0, true);
        // The inspection loop asks every 3 ms; here we ask as fast as a poll could answer.
        while (!rig.port->IOInTrigger(0)) std::this_thread::sleep_for(std::chrono::microseconds(200));
        const double d = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        state.SetIterationTime(d / 1000.0);
        ms.push_back(d);
        rig.board.setInput(0, false);
        while (dataIn() & 1) std::this_thread::sleep_for(std::chrono::microseconds(200));
        rig.port->IOInTrigger(0);
    }
    report(state, ms);
}

void BM_FlashOutToBoard(benchmark::State& state) {
    Rig rig;
    if (!rig.start()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    std::vector<double> ms;
    int on = 0;
    for (auto _ : state) {
        on ^= 1;
        rig.port->IOSetOut(1, on);
        const int word = on ? 0x002 : 0x000;
        const auto t0 = Clock::now();
        rig.port->IOFlashOut();
        while (rig.board.outputs() != word) std::this_thread::sleep_for(std::chrono::microseconds(100));
        const double d = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        state.SetIterationTime(d / 1000.0);
        ms.push_back(d);
    }
    report(state, ms);
}
}  // namespace

BENCHMARK(BM_InputEdgeToTrigger)->UseManualTime()->Iterations(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlashOutToBoard)->UseManualTime()->Iterations(300)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
