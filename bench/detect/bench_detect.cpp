// Whole-step judgement of one camera: positioning plus evaluation of a step with one position region
// and 49 regions of mixed functions, training of that step, polygon masks at start-up and saving a
// camera's regions. Single-threaded OpenCV.
#include <QApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <opencv2/imgproc.hpp>
#include <random>

#include "app/globals.h"
#include "app/imageglobals.h"
#include "app/mainwindowbase.h"
#include "app/wizardpara.h"
#include "detect/cammerrecong.h"
#include "detect/miscfunc.h"

namespace {
constexpr int kTemplates = 10;

cv::Mat partScene(int w, int h, unsigned seed) {
    cv::Mat img(h, w, CV_8UC1);
    for (int y = 0; y < h; ++y) {
        uchar* row = img.ptr<uchar>(y);
        for (int x = 0; x < w; ++x) row[x] = uchar(70 + (x + y) * 40 / (w + h));
    }
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> px(0, w - 1), py(0, h - 1), sz(20, std::min(w, h) / 8), grey(20, 235);
    for (int i = 0; i < 60; ++i) {
        const cv::Point c(px(rng), py(rng));
        const int s = sz(rng);
        if (i % 2)
            cv::rectangle(img, cv::Rect(c.x, c.y, s, s * 2 / 3), cv::Scalar(grey(rng)), cv::FILLED);
        else
            cv::circle(img, c, s / 2, cv::Scalar(grey(rng)), cv::FILLED);
    }
    cv::GaussianBlur(img, img, cv::Size(3, 3), 0);
    return img;
}

QRect screenRect(const cv::Rect& r) {
    return QRect(QPoint(int(std::lround(r.x * gShowAW)), int(std::lround(r.y * gShowAH))),
                 QPoint(int(std::lround((r.x + r.width) * gShowAW)) - 1,
                        int(std::lround((r.y + r.height) * gShowAH)) - 1));
}

struct Step {
    WizardPara para;
    std::unique_ptr<MainWindowBase> window;
    std::unique_ptr<CammerViewData> view;
    std::unique_ptr<CammerRecong> rec;
    cv::Mat frame;

    void addRect(int func, const cv::Rect& r, int p1, int sens, int area) {
        CammerSingleton& s = *view->savedStore;
        const int i = s.count[0]++;
        s.shape[0][i] = kShapeRect;
        s.rect[0][i].rect = screenRect(r);
        s.func[0][i] = func;
        s.para1[0][i] = p1;
        s.sens[0][i] = sens;
        s.area[0][i] = area;
        view->savedMasks[0][i] = s.updateRegion(0, i);
    }
    void addPolygon(int func, const cv::Rect& r, int p1, int sens, int area) {
        CammerSingleton& s = *view->savedStore;
        const int i = s.count[0]++;
        s.shape[0][i] = kShapePolygon;
        RePolygon& p = s.polygon[0][i];
        const int n = 64;
        p.count = n;
        for (int k = 0; k < n; ++k) {
            const double a = 2 * M_PI * k / n, rr = (k % 2) ? 1.0 : 0.85;
            const double x = r.x + r.width / 2.0 + rr * r.width / 2.0 * std::cos(a);
            const double y = r.y + r.height / 2.0 + rr * r.height / 2.0 * std::sin(a);
            p.pts[k] = QPoint(int(std::lround(x * gShowAW)), int(std::lround(y * gShowAH)));
        }
        s.func[0][i] = func;
        s.para1[0][i] = p1;
        s.sens[0][i] = sens;
        s.area[0][i] = area;
        view->savedMasks[0][i] = s.updateRegion(0, i);
    }

    Step(int w, int h, int angle) {
        gShowW = 1725;
        gShowH = 982;
        setImageGeometry(w, h, false);
        gTempNum = kTemplates;
        para.enable_correct = 0;
        para.match_angle = angle;
        para.location_adge = 60;
        para.minimum_size = 3;
        para.minimum_area = 100;
        para.min_spot = 3;
        para.enable_display_detail = 1;
        para.difference_multiplier = 2;
        para.cnt_net_on = 0;
        for (int d = 0; d < 8; ++d) para.step_enable[d] = 0;
        gpWPara = &para;
        window = std::make_unique<MainWindowBase>();
        window->DetectStep = 0;
        view = std::make_unique<CammerViewData>();
        view->allocate(0);
        const cv::Mat master = partScene(w, h, 11);
        std::mt19937 rng(5);
        for (int k = 0; k < kTemplates; ++k) {
            cv::Mat t = master.clone();
            cv::Mat noise(h, w, CV_8SC1);
            cv::randn(noise, 0, 2);
            cv::add(t, noise, t, cv::noArray(), CV_8U);
            t.copyTo(view->templates[0][size_t(k)]);
            view->templateLoaded[0][size_t(k)] = 1;
        }
        view->templateCount[0] = kTemplates;

        addRect(kFuncPosition, cv::Rect(w / 4, h / 4, w / 2, h / 2), 5, 10, 10);
        for (int i = 0; i < 30; ++i)
            addRect(kFuncDefect, cv::Rect(40 + (i % 10) * (w - 200) / 10, 40 + (i / 10) * 140, 120, 120), 3,
                    25, 100);
        addPolygon(kFuncDefect, cv::Rect(w / 2 - 500, h - 820, 1000, 800), 3, 25, 100);
        for (int i = 0; i < 5; ++i)
            addRect(kFuncSpot, cv::Rect(60 + i * 250, h - 220, 150, 150), 0x3200, 50, 5000);
        for (int i = 0; i < 5; ++i)
            addRect(kFuncBlack, cv::Rect(w - 260, 60 + i * 180, 160, 140), 0, 30, 500);
        for (int i = 0; i < 4; ++i)
            addRect(kFuncWhite, cv::Rect(w - 460, 60 + i * 180, 160, 140), 0, 230, 500);
        addRect(kFuncSimilarity, cv::Rect(w / 3, h / 3, 200, 200), 0, 60, 0);
        addRect(kFuncSimilarity, cv::Rect(w / 2, h / 3, 200, 200), 0, 60, 0);
        addRect(kFuncWhiteCount, cv::Rect(w / 3, h / 2, 300, 200), 3, 200, 100);
        addRect(kFuncDirection, cv::Rect(w / 2, h / 2, 300, 200), 0, 500, 20000);

        rec = std::make_unique<CammerRecong>(view->savedStore.get(), view.get());
        rec->CreateShape(0);
        rec->VarTrain(0);
        // The live frame: the part moved and, with rotation, turned a little; plus a defect.
        frame = master.clone();
        if (angle > 0)
            TransformImage(master, frame, cv::Point(6, -4), cv::Point(w / 2, h / 2), 2.0);
        else
            MoveImage(master, frame, 6, -4);
        cv::circle(frame, cv::Point(100, 100), 12, cv::Scalar(0), cv::FILLED);
        std::memcpy(view->rawBuffer.data(), frame.data, size_t(w) * size_t(h));
    }
    ~Step() { gpWPara = nullptr; }
};

// The same-run yardstick: milliseconds of one cv::matchTemplate (normed correlation) of a 400 x 300
// patch over a 1920 x 1080 frame, single-threaded, the best of three. Each benchmark that reports
// against it measures it right before its own loop, so that both figures see the same machine load;
// "x_yardstick" = yardstick time / the benchmark's time per iteration (higher is faster).
double yardstickMs() {
    static const cv::Mat frame = partScene(1920, 1080, 3);
    static const cv::Mat patch = frame(cv::Rect(760, 390, 400, 300)).clone();
    cv::Mat result;
    double best = 1e300;
    for (int i = 0; i < 3; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        cv::matchTemplate(frame, patch, result, cv::TM_CCOEFF_NORMED);
        best = std::min(
            best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

void reportAgainstYardstick(benchmark::State& state, double yardstick, double seconds) {
    state.counters["yardstick_ms"] = yardstick;
    if (state.iterations() > 0 && seconds > 0)
        state.counters["x_yardstick"] = yardstick / (1e3 * seconds / double(state.iterations()));
}

void ShapeMatchRun(benchmark::State& state) {
    Step step(int(state.range(0)), int(state.range(1)), int(state.range(2)));
    const double yardstick = yardstickMs();
    double seconds = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        step.rec->ShapeMatch();
        step.rec->Run(0);
        benchmark::DoNotOptimize(step.view->allOk);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    state.counters["regions"] = step.view->savedStore->count[0];
    state.counters["allOk"] = step.view->allOk;
    reportAgainstYardstick(state, yardstick, seconds);
}

// Positioning alone: the search and the alignment of the region boxes.
void ShapeMatch(benchmark::State& state) {
    Step step(int(state.range(0)), int(state.range(1)), int(state.range(2)));
    for (auto _ : state) {
        step.rec->ShapeMatch();
        benchmark::DoNotOptimize(step.view->alignedBuffer.data());
    }
    state.counters["positioned"] = step.view->alignment.pending;
}

// The whole-frame alignment that positioning did before it aligned only the region boxes (for
// comparison with ShapeMatchRun).
void AlignWholeFrame(benchmark::State& state) {
    Step step(int(state.range(0)), int(state.range(1)), int(state.range(2)));
    step.rec->ShapeMatch();
    const CammerViewData::PendingAlignment a = step.view->alignment;
    if (!a.pending) {
        state.SkipWithError("not positioned");
        return;
    }
    cv::Mat raw = step.view->rawImage(), aligned = step.view->alignedImage();
    for (auto _ : state) {
        if (a.rotate)
            TransformImage(raw, aligned, a.shift, a.centre, a.angle);
        else
            MoveImage(raw, aligned, a.shift.x, a.shift.y);
        benchmark::DoNotOptimize(aligned.data);
    }
}

// The positioning search alone (FindShape::Find on the search rectangle).
void Find(benchmark::State& state) {
    Step step(int(state.range(0)), int(state.range(1)), int(state.range(2)));
    const cv::Rect sr = step.rec->searchRect[0];
    int found = 0;
    for (auto _ : state) {
        cv::Mat search = step.frame(sr);
        int x = 0, y = 0;
        double a = 0, angle = 0;
        found += step.rec->shapeModels[0].Find(search, 0, &x, &y, &a, &angle) ? 1 : 0;
    }
    state.counters["found"] = double(found) / double(state.iterations());
    state.counters["searchW"] = sr.width;
    state.counters["searchH"] = sr.height;
}

void Run(benchmark::State& state) {
    Step step(int(state.range(0)), int(state.range(1)), 0);
    step.rec->ShapeMatch();
    for (auto _ : state) {
        step.rec->Run(0);
        benchmark::DoNotOptimize(step.view->allOk);
    }
}

void Train(benchmark::State& state) {
    Step step(int(state.range(0)), int(state.range(1)), int(state.range(2)));
    for (auto _ : state) {
        step.rec->CreateShape(0);
        step.rec->VarTrain(0);
    }
}

// 400 polygon regions of 2000 to 4000 vertices, as built when the stores are loaded at start-up.
void PolygonMasks(benchmark::State& state) {
    gShowW = 1725;
    gShowH = 982;
    setImageGeometry(2592, 1944, false);
    auto store = std::make_unique<CammerSingleton>(0);
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> jitter(0.7, 1.0);
    for (int d = 0; d < 8; ++d) {
        for (int r = 0; r < 50; ++r) {
            RePolygon& p = store->polygon[d][r];
            const int n = 2000 + (r * 40);
            const double cx = 200 + (r % 10) * 130, cy = 150 + (r / 10) * 160, rx = 120, ry = 100;
            p.count = n;
            for (int k = 0; k < n; ++k) {
                const double a = 2 * M_PI * k / n, f = jitter(rng);
                p.pts[k] = QPoint(int(cx + f * rx * std::cos(a)), int(cy + f * ry * std::sin(a)));
            }
            store->shape[d][r] = kShapePolygon;
        }
    }
    for (auto _ : state) {
        size_t pixels = 0;
        for (int d = 0; d < 8; ++d)
            for (int r = 0; r < 50; ++r) pixels += store->updateRegion(d, r).total();
        benchmark::DoNotOptimize(pixels);
    }
}

// Saving a camera's 400 rectangle regions (8 steps of 50) into PARAM.db, all rows existing.
void SaveStore(benchmark::State& state) {
    QTemporaryDir dir;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench");
        db.setDatabaseName(QDir(dir.path()).filePath("PARAM.db"));
        db.open();
        auto store = std::make_unique<CammerSingleton>(0);
        for (int d = 0; d < 8; ++d) {
            store->count[d] = 50;
            for (int r = 0; r < 50; ++r) store->setDefaultRegion(d, r);
        }
        store->LoadDatafromFile(QSqlQuery(db), nullptr);  // creates the step rows
        for (int d = 0; d < 8; ++d) {
            store->count[d] = 50;
            for (int r = 0; r < 50; ++r) store->setDefaultRegion(d, r);
        }
        for (auto _ : state) {
            store->para1[0][0]++;
            if (!store->SaveDatatoFile(QSqlQuery(db))) state.SkipWithError("save failed");
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("bench");
}
}  // namespace

BENCHMARK(ShapeMatchRun)
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, 15})
    ->Args({2592, 1944, 0})
    ->Args({2592, 1944, 15})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ShapeMatch)->Args({1920, 1080, 0})->Args({1920, 1080, 15})->Unit(benchmark::kMillisecond);
BENCHMARK(AlignWholeFrame)->Args({1920, 1080, 0})->Args({1920, 1080, 15})->Unit(benchmark::kMillisecond);
BENCHMARK(Find)
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, 15})
    ->Args({2592, 1944, 0})
    ->Args({2592, 1944, 15})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Run)->Args({1920, 1080})->Args({2592, 1944})->Unit(benchmark::kMillisecond);
BENCHMARK(Train)->Args({1920, 1080, 15})->Args({2592, 1944, 15})->Unit(benchmark::kMillisecond);
BENCHMARK(PolygonMasks)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveStore)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    cv::setNumThreads(0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
