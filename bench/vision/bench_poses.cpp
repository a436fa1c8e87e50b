// Positioning over random poses: how often the shape matcher finds the part, how often what it
// reports as found is off, and how often it misses. Not a Google Benchmark: it prints counts.
//
// Each pose: a 1920 x 1080 frame of mould clutter with the part (about 270 x 190 pixels, model box
// 300 x 300) anywhere at least 250 pixels from the edges, turned anywhere within the model's angle
// range (180, 45, 15 and 0 in turn), with noise (sigma 2-6), light changed by up to 20 % and an
// offset of up to 15 grey levels. The whole frame is searched. A found pose counts as right when the
// centre lies within 1 pixel and the angle within 0.5 degrees of the truth.
//
//   bench_poses [poses] [threads]      defaults 1000 and 4 (poses shared among threads)
#include <opencv2/core.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/vision/findshape.h"
#include "tests/vision/scenes.h"

namespace {
const cv::Size kFrame(1920, 1080);
const cv::Point2d kCentre(960, 540);
const double kScale = 135;
const cv::Rect kBox(810, 390, 300, 300);
const int kRanges[] = {180, 45, 15, 0};

struct Outcome {
    int pose = 0, range = 0;
    double x = 0, y = 0, phi = 0;  // truth: part centre and rotation
    bool found = false;
    double ex = 0, ey = 0, ea = 0;  // errors when found
    double score = 0, ms = 0;
};

double angleDiff(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d > 180) d -= 360;
    if (d < -180) d += 360;
    return d;
}
}  // namespace

int main(int argc, char** argv) {
    const int poses = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int threads = std::max(1, argc > 2 ? std::atoi(argv[2]) : 4);
    cv::setNumThreads(1);
    const cv::Mat master = scenes::scene(kFrame, kCentre, kScale, scenes::Pose());
    std::vector<FindShape> models;
    for (int range : kRanges) {
        FindShape fs;
        if (!fs.CreateShape(master(kBox).clone(), 0.0, 0, range, kBox.x + kBox.width / 2,
                            kBox.y + kBox.height / 2, false, 255,
                            cv::Mat(kBox.size(), CV_8U, cv::Scalar(255)), 10, 0)) {
            std::fprintf(stderr, "no model for range %d\n", range);
            return 1;
        }
        models.push_back(fs);
    }

    std::vector<Outcome> out(size_t(std::max(poses, 0)));
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i; (i = next++) < poses;) {
            cv::RNG rng(1000u + unsigned(i));
            Outcome& o = out[size_t(i)];
            o.pose = i;
            const size_t mi = size_t(i) % models.size();
            o.range = kRanges[mi];
            o.x = rng.uniform(250.0, kFrame.width - 250.0);
            o.y = rng.uniform(250.0, kFrame.height - 250.0);
            o.phi = o.range ? rng.uniform(-double(o.range), double(o.range)) : 0.0;
            scenes::Look look;
            look.noise = rng.uniform(2.0, 6.0);
            look.gain = rng.uniform(0.8, 1.2);
            look.offset = rng.uniform(-15.0, 15.0);
            look.seed = 7u + unsigned(i);
            const cv::Mat frame =
                scenes::scene(kFrame, kCentre, kScale, {o.x - kCentre.x, o.y - kCentre.y, o.phi}, look,
                              scenes::foreign(kFrame, 500u + unsigned(i)));
            FindShape::Result r;
            const auto t0 = std::chrono::steady_clock::now();
            o.found = models[mi].Locate(frame, &r);
            o.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            if (o.found) {
                o.ex = r.x - o.x;
                o.ey = r.y - o.y;
                o.ea = angleDiff(r.rotation, o.phi);
                o.score = r.score;
            }
        }
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(work);
    for (std::thread& t : pool) t.join();

    int right = 0, wrong = 0, missed = 0;
    double worstPos = 0, worstAngle = 0;
    std::vector<double> times, posErr, angErr;
    for (const Outcome& o : out) {
        times.push_back(o.ms);
        if (!o.found) {
            ++missed;
            std::printf("missed: pose %d range %d at (%.1f, %.1f) %.2f deg\n", o.pose, o.range, o.x, o.y,
                        o.phi);
            continue;
        }
        const double pe = std::hypot(o.ex, o.ey);
        posErr.push_back(pe);
        angErr.push_back(std::abs(o.ea));
        worstPos = std::max(worstPos, pe);
        if (o.range) worstAngle = std::max(worstAngle, std::abs(o.ea));
        if (pe <= 1.0 && std::abs(o.ea) <= 0.5) {
            ++right;
        } else {
            ++wrong;
            std::printf(
                "WRONG: pose %d range %d at (%.1f, %.1f) %.2f deg: off by (%.2f, %.2f) px, %.2f deg, "
                "score %.0f\n",
                o.pose, o.range, o.x, o.y, o.phi, o.ex, o.ey, o.ea, 100 * o.score);
        }
    }
    auto median = [](std::vector<double> v) {
        if (v.empty()) return 0.0;
        std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    std::printf("poses %d: found right %d, found wrong %d, missed %d\n", poses, right, wrong, missed);
    std::printf("found: median error %.3f px, %.3f deg; worst %.3f px, %.3f deg\n", median(posErr),
                median(angErr), worstPos, worstAngle);
    std::printf("search of the whole 1920x1080 frame, one thread each, %d at a time: median %.1f ms\n",
                threads, median(times));
    return wrong == 0 && missed * 1000 <= poses ? 0 : 1;
}
