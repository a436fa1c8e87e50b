// Per-frame image helpers at working sizes: the grab side's 24 -> 32-bit conversion, the recogniser's
// grey and hue conversions, and the positioning transform.
#include <benchmark/benchmark.h>

#include <vector>

#include "detect/miscfunc.h"

namespace {
void sizeArgs(benchmark::internal::Benchmark* b) {
    b->Args({1280, 1024})->Args({1600, 1200})->Args({2592, 1944});
}

void BM_RGB2RGBA(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    std::vector<uchar> in(size_t(w) * h * 3, 77), out(size_t(w) * h * 4);
    for (auto _ : state) {
        RGB2RGBA(out.data(), in.data(), w, h);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * w * h * 4);
}
BENCHMARK(BM_RGB2RGBA)->Apply(sizeArgs);

void BM_RGBA2Gray(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    std::vector<int> in(size_t(w) * h, 0x00406080);
    std::vector<uchar> out(size_t(w) * h);
    for (auto _ : state) {
        RGBA2Gray(out.data(), in.data(), w, h);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_RGBA2Gray)->Apply(sizeArgs);

void BM_RGBA2Hue(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    std::vector<int> in(size_t(w) * h);
    for (size_t i = 0; i < in.size(); ++i) in[i] = int(i * 2654435761u) & 0xFFFFFF;
    std::vector<uchar> out(size_t(w) * h);
    for (auto _ : state) {
        RGBA2Hue(out.data(), in.data(), w, h);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_RGBA2Hue)->Apply(sizeArgs);

void BM_TransformImage(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    cv::Mat src(h, w, CV_8UC1);
    cv::randu(src, 0, 256);
    cv::Mat dst;
    for (auto _ : state) {
        TransformImage(src, dst, cv::Point(12, -7), cv::Point(w / 2, h / 2), 1.5);
        benchmark::DoNotOptimize(dst.data);
    }
}
BENCHMARK(BM_TransformImage)->Apply(sizeArgs)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
