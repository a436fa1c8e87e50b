// Speed of the matching models on camera-sized frames, one thread by default
// (VISION_BENCH_THREADS=n lets OpenCV use n threads), with cv::matchTemplate as the baseline.
// The default allocator is used, as in the monitor.
#include <benchmark/benchmark.h>

#include <opencv2/imgproc.hpp>

#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>
#include <tuple>

#include "platform/vision/findshape.h"
#include "platform/vision/graymatch.h"
#include "platform/vision/surf.h"
#include "tests/vision/scenes.h"

namespace {

struct ShapeCase {
    cv::Mat frame;
    cv::Rect box;
    FindShape model;
};

// Frame w x h with the part near the middle, shifted and turned; model box mw x mh from the master.
const ShapeCase& shapeCase(int w, int h, int mw, int mh, int range) {
    static std::map<std::tuple<int, int, int, int, int>, ShapeCase> cache;
    const auto key = std::make_tuple(w, h, mw, mh, range);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    ShapeCase c;
    const cv::Size size(w, h);
    const cv::Point2d centre(w / 2, h / 2);
    const double scale = 0.45 * mw;
    c.box = cv::Rect(w / 2 - mw / 2, h / 2 - mh / 2, mw, mh);
    const cv::Mat master = scenes::scene(size, centre, scale, scenes::Pose());
    scenes::Look look;
    look.noise = 3;
    c.frame = scenes::scene(size, centre, scale, {37, -21, range > 0 ? 6.0 : 0.0}, look);
    c.model.CreateShape(master(c.box).clone(), 0.0, 0, range, c.box.x + mw / 2, c.box.y + mh / 2, false, 255,
                        cv::Mat(c.box.size(), CV_8U, cv::Scalar(255)), 10, 0);
    return cache.emplace(key, std::move(c)).first->second;
}

void BM_FindShape(benchmark::State& state) {
    const ShapeCase& c = shapeCase(int(state.range(0)), int(state.range(1)), int(state.range(2)),
                                   int(state.range(3)), int(state.range(4)));
    cv::Mat search = c.frame.clone();  // the whole frame is the search area
    int x = 0, y = 0;
    double a = 0, angle = 0;
    bool found = false;
    for (auto _ : state) {
        found = c.model.Find(search, 0, &x, &y, &a, &angle);
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = found;
    state.counters["dx"] = x;
    state.counters["dy"] = y;
    state.counters["angle"] = angle;
    state.counters["levels"] = c.model.Levels();
}

// The first search after training, as on the first positioned frame after start-up or relearning:
// each iteration trains a fresh model on a fresh thread (whose search buffers are still empty) and
// times only the search; prepared=1 readies the model for the search size after training, as the
// detection engine does.
void BM_FindShapeFirst(benchmark::State& state) {
    const ShapeCase& c =
        shapeCase(int(state.range(0)), int(state.range(1)), int(state.range(2)), int(state.range(3)), 10);
    const cv::Mat master = c.frame.clone();
    const bool prepared = state.range(4) != 0;
    bool found = false;
    for (auto _ : state) {
        double seconds = 0;
        std::thread t([&] {
            FindShape model;
            model.CreateShape(master(c.box).clone(), 0.0, 0, 10, c.box.x + c.box.width / 2,
                              c.box.y + c.box.height / 2, false, 255,
                              cv::Mat(c.box.size(), CV_8U, cv::Scalar(255)), 10, 0);
            if (prepared) model.Prepare(c.frame.cols, c.frame.rows);
            int x = 0, y = 0;
            double a = 0, angle = 0;
            const auto t0 = std::chrono::steady_clock::now();
            found = model.Find(c.frame, 0, &x, &y, &a, &angle);
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        });
        t.join();
        state.SetIterationTime(seconds);
    }
    state.counters["found"] = found;
}

void BM_MatchTemplateBaseline(benchmark::State& state) {
    const ShapeCase& c =
        shapeCase(int(state.range(0)), int(state.range(1)), int(state.range(2)), int(state.range(3)), 0);
    const cv::Mat tmpl = c.frame(c.box).clone();
    cv::Mat result;
    for (auto _ : state) {
        cv::matchTemplate(c.frame, tmpl, result, cv::TM_CCOEFF_NORMED);
        benchmark::DoNotOptimize(result.data);
    }
}

void shapeArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "mw", "mh", "range"});
    for (const auto& f : {std::make_pair(1920, 1080), std::make_pair(2592, 1944)})
        for (const auto& m : {std::make_pair(300, 300), std::make_pair(400, 300)})
            for (int range : {0, 10, 30, 180}) b->Args({f.first, f.second, m.first, m.second, range});
    b->Unit(benchmark::kMillisecond);
}

void baselineArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "mw", "mh"});
    for (const auto& f : {std::make_pair(1920, 1080), std::make_pair(2592, 1944)})
        for (const auto& m : {std::make_pair(300, 300), std::make_pair(400, 300)})
            b->Args({f.first, f.second, m.first, m.second});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_FindShape)->Apply(shapeArgs);
BENCHMARK(BM_MatchTemplateBaseline)->Apply(baselineArgs);
BENCHMARK(BM_FindShapeFirst)
    ->ArgNames({"w", "h", "mw", "mh", "prepared"})
    ->ArgsProduct({{2592}, {1944}, {400}, {300}, {0, 1}})
    ->UseManualTime()
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);

std::vector<cv::Mat> regionSamples(cv::Size size, int n) {
    const cv::Mat clean = scenes::patch(size, 5);
    std::vector<cv::Mat> out;
    for (int i = 0; i < n; ++i) {
        cv::Mat s = clean.clone();
        scenes::Look look;
        look.noise = 3;
        look.seed = 50 + unsigned(i);
        scenes::applyLook(s, look);
        out.push_back(s);
    }
    return out;
}

void BM_GrayMatchTrain(benchmark::State& state) {
    const cv::Size size(int(state.range(0)), int(state.range(1)));
    const std::vector<cv::Mat> samples = regionSamples(size, 10);
    const cv::Mat mask(size, CV_8U, cv::Scalar(255));
    for (auto _ : state) {
        GrayMatch gm;
        gm.Create(size.width, size.height, mask, 0);
        for (const cv::Mat& s : samples) gm.AddTemp(s);
        gm.Train(25, 1, 100, 150);
        benchmark::DoNotOptimize(gm.IsValid());
    }
    state.SetLabel("10 templates");
}

void BM_GrayMatchMatch(benchmark::State& state) {
    const cv::Size size(int(state.range(0)), int(state.range(1)));
    const std::vector<cv::Mat> samples = regionSamples(size, 11);
    GrayMatch gm;
    gm.Create(size.width, size.height, cv::Mat(size, CV_8U, cv::Scalar(255)), 0);
    for (int i = 0; i < 10; ++i) gm.AddTemp(samples[size_t(i)]);
    gm.Train(25, 1, 100, 150);
    cv::Mat result = cv::Mat::zeros(size, CV_8U);
    int n = 0;
    for (auto _ : state) {
        n = gm.Match(samples[10], result);
        benchmark::DoNotOptimize(n);
    }
    state.counters["deviating"] = n;
}

void BM_SurfScore(benchmark::State& state) {
    const cv::Size size(int(state.range(0)), int(state.range(1)));
    const int templates = int(state.range(2));
    const std::vector<cv::Mat> samples = regionSamples(size, templates + 1);
    SURF s;
    s.Create(size.width, size.height, cv::Mat(size, CV_8U, cv::Scalar(255)));
    for (int i = 0; i < templates; ++i) s.AddTemp(samples[size_t(i)].clone(), 1, 50, 80);
    s.Train(0, 0, 0, 0);
    cv::Mat img = samples[size_t(templates)].clone(), result = cv::Mat::zeros(size, CV_8U);
    float score = 0;
    for (auto _ : state) {
        score = s.Match(img, result);
        benchmark::DoNotOptimize(score);
    }
    state.counters["score"] = score;
}

BENCHMARK(BM_GrayMatchTrain)->Args({120, 120})->Args({1000, 800})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GrayMatchMatch)->Args({120, 120})->Args({1000, 800})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SurfScore)->Args({200, 200, 1})->Args({200, 200, 10})->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    const char* t = std::getenv("VISION_BENCH_THREADS");
    cv::setNumThreads(t ? std::atoi(t) : 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
