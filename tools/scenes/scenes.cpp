// Camera scenes for the simulated cameras: a moulded part in the open mould, and the faults the
// monitor must catch. Writes one folder per scene, each holding one BMP:
//   good/        the part in the cavity
//   short_shot/  the part with a corner not filled
//   flash/       the part with a thin fin of extra material at its edge
//   spot/        the part with a dark spot
//   empty/       the cavity after ejection
//   part_left/   the cavity with a part left in it
// Usage: scenes [--size WxH] [--seed N] OUTDIR
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace {
struct Geometry {
    cv::Rect cavity;  // the recess in the mould
    cv::Rect part;    // the moulded part inside it
};

Geometry geometryFor(cv::Size s) {
    Geometry g;
    g.cavity = cv::Rect(s.width / 4, s.height / 4, s.width / 2, s.height / 2);
    g.part = cv::Rect(g.cavity.x + g.cavity.width / 10, g.cavity.y + g.cavity.height / 10,
                      g.cavity.width * 8 / 10, g.cavity.height * 8 / 10);
    return g;
}

// Brushed steel with a darker cavity, ejector pins and a little sensor noise.
cv::Mat mould(cv::Size s, const Geometry& g, cv::RNG& rng) {
    cv::Mat img(s, CV_8UC3);
    for (int y = 0; y < s.height; ++y) {
        const int streak = 150 + int(10 * std::sin(y * 0.15)) + (y * 20) / s.height;
        for (int x = 0; x < s.width; ++x)
            img.at<cv::Vec3b>(y, x) = cv::Vec3b(uchar(streak), uchar(streak), uchar(streak + 5));
    }
    cv::rectangle(img, g.cavity, cv::Scalar(95, 95, 100), cv::FILLED);
    cv::rectangle(img, g.cavity, cv::Scalar(60, 60, 65), std::max(2, s.width / 300));
    const int r = std::max(3, s.width / 80);
    for (int i = 1; i <= 3; ++i)
        cv::circle(img, cv::Point(g.cavity.x + g.cavity.width * i / 4, g.cavity.y + g.cavity.height / 2), r,
                   cv::Scalar(180, 180, 185), cv::FILLED);
    cv::Mat noise(s, CV_8UC3);
    rng.fill(noise, cv::RNG::NORMAL, 0, 3);
    img += noise;
    return img;
}

// A blue plastic part with a rib and a round boss.
void drawPart(cv::Mat& img, const cv::Rect& p) {
    const cv::Scalar body(170, 90, 30), rib(140, 70, 20), boss(200, 120, 50);
    const int radius = std::max(4, p.width / 12);
    cv::rectangle(img, cv::Rect(p.x + radius, p.y, p.width - 2 * radius, p.height), body, cv::FILLED);
    cv::rectangle(img, cv::Rect(p.x, p.y + radius, p.width, p.height - 2 * radius), body, cv::FILLED);
    for (int cx : {p.x + radius, p.x + p.width - radius})
        for (int cy : {p.y + radius, p.y + p.height - radius})
            cv::circle(img, cv::Point(cx, cy), radius, body, cv::FILLED);
    cv::rectangle(
        img, cv::Rect(p.x + p.width / 8, p.y + p.height / 2 - p.height / 30, p.width * 3 / 4, p.height / 15),
        rib, cv::FILLED);
    cv::circle(img, cv::Point(p.x + p.width * 3 / 4, p.y + p.height / 4), p.height / 8, boss, cv::FILLED);
}

bool save(const std::string& dir, const std::string& name, const cv::Mat& img) {
    const std::string folder = dir + "/" + name;
    mkdir(folder.c_str(), 0755);
    const std::string path = folder + "/" + name + ".bmp";
    if (!cv::imwrite(path, img)) {
        std::fprintf(stderr, "scenes: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    cv::Size size(1280, 1024);
    unsigned seed = 1;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--size") && i + 1 < argc) {
            int w = 0, h = 0;
            if (std::sscanf(argv[++i], "%dx%d", &w, &h) != 2 || w < 64 || h < 64) {
                std::fprintf(stderr, "scenes: bad size %s\n", argv[i]);
                return 2;
            }
            size = cv::Size(w, h);
        } else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc) {
            seed = unsigned(std::strtoul(argv[++i], nullptr, 10));
        } else if (argv[i][0] != '-') {
            out = argv[i];
        } else {
            out.clear();
            break;
        }
    }
    if (out.empty()) {
        std::fprintf(stderr, "usage: scenes [--size WxH] [--seed N] OUTDIR\n");
        return 2;
    }
    mkdir(out.c_str(), 0755);
    const Geometry g = geometryFor(size);
    cv::RNG rng(seed);
    bool ok = true;

    cv::Mat img = mould(size, g, rng);
    drawPart(img, g.part);
    ok &= save(out, "good", img);

    img = mould(size, g, rng);
    drawPart(img, g.part);
    // short shot: the far corner never filled, the cavity floor shows through
    const cv::Point corner(g.part.x + g.part.width, g.part.y + g.part.height);
    std::vector<cv::Point> gap = {corner, cv::Point(corner.x - g.part.width / 3, corner.y),
                                  cv::Point(corner.x, corner.y - g.part.height / 3)};
    cv::fillConvexPoly(img, gap, cv::Scalar(95, 95, 100));
    ok &= save(out, "short_shot", img);

    img = mould(size, g, rng);
    drawPart(img, g.part);
    // flash: a thin fin along the top edge, beyond the part into the parting line
    cv::rectangle(img,
                  cv::Rect(g.part.x + g.part.width / 4, g.part.y - g.part.height / 12, g.part.width / 3,
                           g.part.height / 12 + 1),
                  cv::Scalar(185, 120, 70), cv::FILLED);
    ok &= save(out, "flash", img);

    img = mould(size, g, rng);
    drawPart(img, g.part);
    cv::circle(img, cv::Point(g.part.x + g.part.width / 3, g.part.y + g.part.height * 2 / 3),
               std::max(3, g.part.width / 40), cv::Scalar(25, 25, 25), cv::FILLED);
    ok &= save(out, "spot", img);

    img = mould(size, g, rng);
    ok &= save(out, "empty", img);

    img = mould(size, g, rng);
    // a part left behind, stuck askew in the cavity
    cv::Mat part = cv::Mat::zeros(size, CV_8UC3);
    drawPart(part, g.part);
    const cv::Mat rot = cv::getRotationMatrix2D(
        cv::Point2f(float(g.part.x + g.part.width / 2), float(g.part.y + g.part.height / 2)), 12.0, 0.9);
    cv::Mat moved;
    cv::warpAffine(part, moved, rot, size, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0, 0, 0));
    cv::Mat mask;
    cv::cvtColor(moved, mask, cv::COLOR_BGR2GRAY);
    moved.copyTo(img, mask > 0);
    ok &= save(out, "part_left", img);

    return ok ? 0 : 1;
}
