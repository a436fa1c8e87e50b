#include "findshape.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kBins = 16;            // quantised edge directions over the whole turn (polarity counts)
constexpr int kTopFeatures = 63;     // 63 * 4 fits the 8-bit score accumulator
constexpr int kFineFeatures = 384;   // edge points kept on the lower levels
constexpr int kMinTopFeatures = 12;  // fewer on the top level: use one level less
constexpr int kMinFeatures = 16;     // fewer on the full resolution: the crop cannot be positioned
constexpr int kMaxLevels = 5;
constexpr int kMinTopSide = 20;          // smallest side of the model on the top level, pixels
constexpr float kModelEdge = 30.f;       // gradient magnitude of a model edge point (contrast about 10)
constexpr float kImageEdge = 16.f;       // weaker image gradients have no direction (contrast about 5)
constexpr double kCoarseFraction = 0.4;  // top-level acceptance, fraction of the full quantised score
constexpr double kPi = 3.14159265358979323846;

struct Feature {
    float x, y;    // offset from the model centre, pixels of the level
    float dx, dy;  // unit gradient direction
};

struct QFeature {
    int x, y;  // rounded offset on the top level
    int bin;
};

struct Level {
    std::vector<Feature> feats;
    double radius = 1;     // largest feature distance from the centre
    double angleStep = 0;  // radians
};

int dirBin(double dx, double dy) {
    double a = std::atan2(dy, dx) * (kBins / (2 * kPi));
    int b = static_cast<int>(std::floor(a + 0.5));
    return ((b % kBins) + kBins) % kBins;
}

// Smoothed gradients shared by model and image (5x5 Gaussian, sigma 1, then 3x3 Sobel).
void gradients(const cv::Mat& img, cv::Mat& gx, cv::Mat& gy) {
    cv::Mat b;
    cv::GaussianBlur(img, b, cv::Size(5, 5), 1.0, 1.0, cv::BORDER_REFLECT);
    cv::Sobel(b, gx, CV_32F, 1, 0, 3, 1.0, 0.0, cv::BORDER_REFLECT);
    cv::Sobel(b, gy, CV_32F, 0, 1, 3, 1.0, 0.0, cv::BORDER_REFLECT);
}

// Unit gradient directions of a window of a level image; 0 where the gradient is weak.
struct UnitField {
    cv::Rect r;  // in level coordinates
    cv::Mat ux, uy;

    // Fills this field and, when asked, a peaked one: g / sqrt(|g|) in place of g / |g|, which peaks
    // on the middle of an edge (the unit field is flat across the edge's width).
    void build(const cv::Mat& img, cv::Rect want, UnitField* peaked = nullptr) {
        const cv::Rect full(0, 0, img.cols, img.rows);
        const int m = 3;  // context for the filters
        cv::Rect ext(want.x - m, want.y - m, want.width + 2 * m, want.height + 2 * m);
        ext &= full;
        r = ext;
        if (peaked) peaked->r = ext;
        if (ext.empty()) return;
        cv::Mat gx, gy;
        gradients(img(ext), gx, gy);
        ux.create(ext.size(), CV_32F);
        uy.create(ext.size(), CV_32F);
        if (peaked) {
            peaked->ux.create(ext.size(), CV_32F);
            peaked->uy.create(ext.size(), CV_32F);
        }
        const float t2 = kImageEdge * kImageEdge;
        for (int y = 0; y < ext.height; ++y) {
            const float* a = gx.ptr<float>(y);
            const float* b = gy.ptr<float>(y);
            float* u = ux.ptr<float>(y);
            float* v = uy.ptr<float>(y);
            for (int x = 0; x < ext.width; ++x) {
                const float m2 = a[x] * a[x] + b[x] * b[x];
                const float k = m2 >= t2 ? 1.f / std::sqrt(m2) : 0.f;
                u[x] = a[x] * k;
                v[x] = b[x] * k;
            }
            if (!peaked) continue;
            float* pu = peaked->ux.ptr<float>(y);
            float* pv = peaked->uy.ptr<float>(y);
            for (int x = 0; x < ext.width; ++x) {
                const float m2 = a[x] * a[x] + b[x] * b[x];
                const float k = m2 >= t2 ? 1.f / std::sqrt(std::sqrt(m2)) : 0.f;
                pu[x] = a[x] * k;
                pv[x] = b[x] * k;
            }
        }
    }

    // Nearest sample.
    inline void at(float X, float Y, float& u, float& v) const {
        const int x = cvRound(X) - r.x;
        const int y = cvRound(Y) - r.y;
        if (x < 0 || y < 0 || x >= r.width || y >= r.height) {
            u = v = 0;
            return;
        }
        u = ux.at<float>(y, x);
        v = uy.at<float>(y, x);
    }

    // Bilinear sample.
    inline void atLinear(float X, float Y, float& u, float& v) const {
        const float fx = X - r.x, fy = Y - r.y;
        const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
        u = v = 0;
        if (x0 < 0 || y0 < 0 || x0 + 1 >= r.width || y0 + 1 >= r.height) {
            at(X, Y, u, v);
            return;
        }
        const float ax = fx - x0, ay = fy - y0;
        const float w00 = (1 - ax) * (1 - ay), w01 = ax * (1 - ay), w10 = (1 - ax) * ay, w11 = ax * ay;
        const float* u0 = ux.ptr<float>(y0) + x0;
        const float* u1 = ux.ptr<float>(y0 + 1) + x0;
        const float* v0 = uy.ptr<float>(y0) + x0;
        const float* v1 = uy.ptr<float>(y0 + 1) + x0;
        u = w00 * u0[0] + w01 * u0[1] + w10 * u1[0] + w11 * u1[1];
        v = w00 * v0[0] + w01 * v0[1] + w10 * v1[0] + w11 * v1[1];
    }
};

// Edge points of a model level: strong, thinned (non-maximum along the gradient), inside the mask,
// spread over the outline and at most maxN of them.
std::vector<Feature> extractFeatures(const cv::Mat& img, const cv::Mat& mask, int maxN, float refX,
                                     float refY) {
    cv::Mat gx, gy;
    gradients(img, gx, gy);
    cv::Mat mag;
    cv::magnitude(gx, gy, mag);
    cv::Mat inside;
    cv::erode(mask, inside, cv::Mat(), cv::Point(-1, -1), 1, cv::BORDER_CONSTANT, cv::Scalar(0));

    struct Cand {
        float m;
        int x, y;
    };
    std::vector<Cand> cands;
    for (int y = 1; y + 1 < img.rows; ++y) {
        const float* mr = mag.ptr<float>(y);
        const float* up = mag.ptr<float>(y - 1);
        const float* dn = mag.ptr<float>(y + 1);
        const float* a = gx.ptr<float>(y);
        const float* b = gy.ptr<float>(y);
        const uchar* in = inside.ptr<uchar>(y);
        for (int x = 1; x + 1 < img.cols; ++x) {
            const float m = mr[x];
            if (!in[x] || m < kModelEdge) continue;
            const float ax = std::abs(a[x]), ay = std::abs(b[x]);
            float n1, n2;
            if (ax > 2.414f * ay) {
                n1 = mr[x - 1];
                n2 = mr[x + 1];
            } else if (ay > 2.414f * ax) {
                n1 = up[x];
                n2 = dn[x];
            } else if ((a[x] > 0) == (b[x] > 0)) {
                n1 = up[x - 1];
                n2 = dn[x + 1];
            } else {
                n1 = up[x + 1];
                n2 = dn[x - 1];
            }
            if (m >= n1 && m > n2) cands.push_back({m, x, y});
        }
    }
    std::stable_sort(cands.begin(), cands.end(), [](const Cand& p, const Cand& q) { return p.m > q.m; });

    std::vector<Feature> out;
    int d = std::max(1, static_cast<int>(cands.size()) / std::max(1, maxN));
    for (;; ++d) {
        out.clear();
        cv::Mat blocked = cv::Mat::zeros(img.size(), CV_8U);
        for (const Cand& c : cands) {
            if (blocked.at<uchar>(c.y, c.x)) continue;
            const float k = 1.f / c.m;
            out.push_back({c.x - refX, c.y - refY, gx.at<float>(c.y, c.x) * k, gy.at<float>(c.y, c.x) * k});
            if (d > 1) cv::circle(blocked, cv::Point(c.x, c.y), d - 1, cv::Scalar(1), cv::FILLED);
        }
        if (static_cast<int>(out.size()) <= maxN) break;
    }
    return out;
}

void rotate(const Feature& f, double c, double s, float& x, float& y, float& dx, float& dy) {
    // Same sense as cv::getRotationMatrix2D: (x, y) -> (c x + s y, -s x + c y), y pointing down.
    x = static_cast<float>(c * f.x + s * f.y);
    y = static_cast<float>(-s * f.x + c * f.y);
    dx = static_cast<float>(c * f.dx + s * f.dy);
    dy = static_cast<float>(-s * f.dx + c * f.dy);
}

}  // namespace

struct ShapeModelData {
    int cx = 0, cy = 0, range = 0, levels = 0, candidates = 4;
    int w = 0, h = 0;
    std::vector<Level> lv;                   // lv[0] full resolution
    std::vector<double> topAngles;           // radians
    std::vector<std::vector<QFeature>> top;  // per top angle
    int pad = 0;                             // largest rounded top offset + 1
};

namespace {

struct Candidate {
    double x, y;  // level coordinates of the model centre
    double phi;   // radians
    double score;
};

double scoreAt(const UnitField& f, const std::vector<Feature>& rot, double px, double py, bool linear) {
    // rot holds rotated features: x, y offsets and dx, dy directions.
    double sum = 0;
    float u, v;
    for (const Feature& r : rot) {
        if (linear)
            f.atLinear(static_cast<float>(px + r.x), static_cast<float>(py + r.y), u, v);
        else
            f.at(static_cast<float>(px + r.x), static_cast<float>(py + r.y), u, v);
        sum += r.dx * u + r.dy * v;
    }
    return rot.empty() ? 0.0 : sum / rot.size();
}

std::vector<Feature> rotated(const std::vector<Feature>& feats, double phi) {
    const double c = std::cos(phi), s = std::sin(phi);
    std::vector<Feature> out(feats.size());
    for (size_t i = 0; i < feats.size(); ++i)
        rotate(feats[i], c, s, out[i].x, out[i].y, out[i].dx, out[i].dy);
    return out;
}

// Quantised search of the top level: every position, every angle of the model.
std::vector<Candidate> coarseSearch(const ShapeModelData& m, const cv::Mat& img) {
    const int W = img.cols, H = img.rows, P = m.pad;
    cv::Mat gx, gy;
    gradients(img, gx, gy);

    // Direction bit of each pixel, spread over its 3x3 neighbourhood.
    cv::Mat bits = cv::Mat::zeros(H, W, CV_16U);
    const float t2 = kImageEdge * kImageEdge;
    for (int y = 0; y < H; ++y) {
        const float* a = gx.ptr<float>(y);
        const float* b = gy.ptr<float>(y);
        uint16_t* o = bits.ptr<uint16_t>(y);
        for (int x = 0; x < W; ++x)
            if (a[x] * a[x] + b[x] * b[x] >= t2) o[x] = static_cast<uint16_t>(1u << dirBin(a[x], b[x]));
    }
    cv::Mat rowOr(H, W, CV_16U), spread(H, W, CV_16U);
    for (int y = 0; y < H; ++y) {
        const uint16_t* s = bits.ptr<uint16_t>(y);
        uint16_t* o = rowOr.ptr<uint16_t>(y);
        for (int x = 0; x < W; ++x)
            o[x] = static_cast<uint16_t>(s[x] | (x > 0 ? s[x - 1] : 0) | (x + 1 < W ? s[x + 1] : 0));
    }
    for (int y = 0; y < H; ++y) {
        const uint16_t* s = rowOr.ptr<uint16_t>(y);
        const uint16_t* u = rowOr.ptr<uint16_t>(std::max(0, y - 1));
        const uint16_t* d = rowOr.ptr<uint16_t>(std::min(H - 1, y + 1));
        uint16_t* o = spread.ptr<uint16_t>(y);
        for (int x = 0; x < W; ++x) o[x] = static_cast<uint16_t>(s[x] | u[x] | d[x]);
    }

    // Response of each model direction: 4 for the same bin, 3 for the next one, 1 two bins apart.
    static const std::array<std::array<uchar, 512>, kBins> lut = [] {
        std::array<std::array<uchar, 512>, kBins> t{};
        for (int b = 0; b < kBins; ++b)
            for (int half = 0; half < 2; ++half)
                for (int v = 0; v < 256; ++v) {
                    int best = 0;
                    for (int j = 0; j < 8; ++j) {
                        if (!(v & (1 << j))) continue;
                        int dist = std::abs(b - (j + 8 * half));
                        dist = std::min(dist, kBins - dist);
                        static const int sim[kBins / 2 + 1] = {4, 3, 1, 0, 0, 0, 0, 0, 0};
                        best = std::max(best, sim[dist]);
                    }
                    t[b][half * 256 + v] = static_cast<uchar>(best);
                }
        return t;
    }();
    std::vector<cv::Mat> resp(kBins);
    for (int b = 0; b < kBins; ++b) {
        resp[b] = cv::Mat::zeros(H + 2 * P, W + 2 * P, CV_8U);
        const uchar* lo = lut[b].data();
        const uchar* hi = lut[b].data() + 256;
        for (int y = 0; y < H; ++y) {
            const uint16_t* s = spread.ptr<uint16_t>(y);
            uchar* o = resp[b].ptr<uchar>(y + P) + P;
            for (int x = 0; x < W; ++x) o[x] = std::max(lo[s[x] & 255], hi[s[x] >> 8]);
        }
    }

    // Sum over the features of each angle; keep the best angle per position. The angles are split
    // into stripes that OpenCV's threads may share; ties go to the lowest angle index, as in order.
    const int nAngles = static_cast<int>(m.top.size());
    const int stripes = std::clamp(cv::getNumThreads(), 1, nAngles);
    std::vector<cv::Mat> bests(stripes), bestAngles(stripes);
    cv::parallel_for_(
        cv::Range(0, stripes),
        [&](const cv::Range& r) {
            cv::Mat acc(H, W, CV_8U);
            for (int st = r.start; st < r.end; ++st) {
                cv::Mat best = cv::Mat::zeros(H, W, CV_8U), bestAngle = cv::Mat::zeros(H, W, CV_16U);
                for (int a = st * nAngles / stripes; a < (st + 1) * nAngles / stripes; ++a) {
                    acc.setTo(0);
                    for (const QFeature& q : m.top[size_t(a)])
                        cv::add(acc, resp[size_t(q.bin)](cv::Rect(P + q.x, P + q.y, W, H)), acc);
                    for (int y = 0; y < H; ++y) {
                        const uchar* s = acc.ptr<uchar>(y);
                        uchar* b = best.ptr<uchar>(y);
                        uint16_t* ba = bestAngle.ptr<uint16_t>(y);
                        for (int x = 0; x < W; ++x)
                            if (s[x] > b[x]) {
                                b[x] = s[x];
                                ba[x] = static_cast<uint16_t>(a);
                            }
                    }
                }
                bests[size_t(st)] = best;
                bestAngles[size_t(st)] = bestAngle;
            }
        },
        stripes);
    cv::Mat best = bests[0], bestAngle = bestAngles[0];
    for (int st = 1; st < stripes; ++st)
        for (int y = 0; y < H; ++y) {
            const uchar* s = bests[size_t(st)].ptr<uchar>(y);
            const uint16_t* sa = bestAngles[size_t(st)].ptr<uint16_t>(y);
            uchar* b = best.ptr<uchar>(y);
            uint16_t* ba = bestAngle.ptr<uint16_t>(y);
            for (int x = 0; x < W; ++x)
                if (s[x] > b[x]) {
                    b[x] = s[x];
                    ba[x] = sa[x];
                }
        }

    // Local maxima above the coarse threshold, strongest first, kept apart by half the model radius.
    const double full = 4.0 * m.lv.back().feats.size();
    const int thr = static_cast<int>(std::ceil(kCoarseFraction * full));
    std::vector<Candidate> all;
    for (int y = 0; y < H; ++y) {
        const uchar* b = best.ptr<uchar>(y);
        for (int x = 0; x < W; ++x) {
            const int v = b[x];
            if (v < thr) continue;
            bool peak = true;
            for (int dy = -1; dy <= 1 && peak; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    if ((dx || dy) && xx >= 0 && yy >= 0 && xx < W && yy < H && best.at<uchar>(yy, xx) > v) {
                        peak = false;
                        break;
                    }
                }
            if (peak)
                all.push_back({double(x), double(y), m.topAngles[bestAngle.at<uint16_t>(y, x)], v / full});
        }
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const Candidate& p, const Candidate& q) { return p.score > q.score; });
    std::vector<Candidate> kept;
    const double minDist2 = std::pow(std::max(2.0, 0.25 * m.lv.back().radius), 2);
    for (const Candidate& c : all) {
        bool near = false;
        for (const Candidate& k : kept)
            if ((c.x - k.x) * (c.x - k.x) + (c.y - k.y) * (c.y - k.y) < minDist2) {
                near = true;
                break;
            }
        if (near) continue;
        kept.push_back(c);
        if (static_cast<int>(kept.size()) >= m.candidates) break;
    }
    return kept;
}

// Best position (+-radius pixels) and angle (+-the coarser level's step, in this level's steps)
// of a candidate on one level.
Candidate refine(const ShapeModelData& m, const Level& lv, const cv::Mat& img, Candidate c, int radius,
                 double coarserStep) {
    const int R = static_cast<int>(std::ceil(lv.radius)) + radius + 2;
    UnitField f;
    f.build(img, cv::Rect(static_cast<int>(std::lround(c.x)) - R, static_cast<int>(std::lround(c.y)) - R,
                          2 * R + 1, 2 * R + 1));
    std::vector<double> angles{c.phi};
    if (m.range > 0) {
        const int steps = std::max(1, static_cast<int>(std::ceil(coarserStep / lv.angleStep - 1e-9)));
        for (int k = 1; k <= steps; ++k) {
            angles.push_back(c.phi - k * lv.angleStep);
            angles.push_back(c.phi + k * lv.angleStep);
        }
    }
    Candidate best = c;
    best.score = -2;
    for (double phi : angles) {
        const std::vector<Feature> rot = rotated(lv.feats, phi);
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx) {
                const double s = scoreAt(f, rot, std::round(c.x) + dx, std::round(c.y) + dy, false);
                if (s > best.score) best = {std::round(c.x) + dx, std::round(c.y) + dy, phi, s};
            }
    }
    return best;
}

// Vertex of the parabola through (-1, a), (0, b), (1, c), limited to +-1.
double vertex(double a, double b, double c) {
    const double den = a - 2 * b + c;
    if (den >= -1e-12) return 0;
    return std::clamp(0.5 * (a - c) / den, -1.0, 1.0);
}

// Sub-pixel and sub-step refinement on the full resolution: parabola fits of the edge-peaked score
// in x, y and angle with bilinear sampling, then the acceptance score on the unit directions.
Candidate polish(const ShapeModelData& m, const cv::Mat& img, Candidate c) {
    const Level& lv = m.lv[0];
    const int R = static_cast<int>(std::ceil(lv.radius)) + 6;
    const cv::Rect win(static_cast<int>(std::lround(c.x)) - R, static_cast<int>(std::lround(c.y)) - R,
                       2 * R + 1, 2 * R + 1);
    UnitField peaked, unit;
    unit.build(img, win, &peaked);
    const double lim = m.range * kPi / 180.0;
    for (int iter = 0; iter < 4; ++iter) {
        const std::vector<Feature> rot = rotated(lv.feats, c.phi);
        const double s0 = scoreAt(peaked, rot, c.x, c.y, true);
        const double sx =
            vertex(scoreAt(peaked, rot, c.x - 1, c.y, true), s0, scoreAt(peaked, rot, c.x + 1, c.y, true));
        const double sy =
            vertex(scoreAt(peaked, rot, c.x, c.y - 1, true), s0, scoreAt(peaked, rot, c.x, c.y + 1, true));
        c.x += sx;
        c.y += sy;
        double sa = 0;
        if (m.range > 0) {
            const double st = lv.angleStep;
            sa = vertex(scoreAt(peaked, rotated(lv.feats, c.phi - st), c.x, c.y, true),
                        scoreAt(peaked, rotated(lv.feats, c.phi), c.x, c.y, true),
                        scoreAt(peaked, rotated(lv.feats, c.phi + st), c.x, c.y, true));
            c.phi = std::clamp(c.phi + sa * st, -lim, lim);
        }
        if (std::abs(sx) < 0.02 && std::abs(sy) < 0.02 && std::abs(sa) < 0.02) break;
    }
    c.score = scoreAt(unit, rotated(lv.feats, c.phi), c.x, c.y, true);
    return c;
}

}  // namespace

bool FindShape::CreateShape(const cv::Mat& image, double, int, int range, int cx, int cy, bool, int,
                            cv::Mat mask, int speed, int) {
    m_model.reset();
    if (image.empty() || image.type() != CV_8UC1) return false;
    if (!mask.empty() && (mask.type() != CV_8UC1 || mask.size() != image.size())) return false;
    auto d = std::make_shared<ShapeModelData>();
    d->cx = cx;
    d->cy = cy;
    d->w = image.cols;
    d->h = image.rows;
    d->range = (range >= 1 && range <= 180) ? range : 0;
    d->candidates = 4 + 2 * (10 - std::clamp(speed, 1, 10));
    cv::Mat m01;
    if (mask.empty())
        m01 = cv::Mat(image.size(), CV_8U, cv::Scalar(255));
    else
        cv::compare(mask, 0, m01, cv::CMP_NE);

    const int minSide = std::min(image.cols, image.rows);
    int levels = 1;
    while (levels < kMaxLevels && (minSide >> levels) >= kMinTopSide) ++levels;

    const float refX = static_cast<float>(image.cols / 2), refY = static_cast<float>(image.rows / 2);
    std::vector<cv::Mat> imgs{image}, masks{m01};
    for (int l = 1; l < levels; ++l) {
        cv::Mat si, sm;
        cv::pyrDown(imgs.back(), si);
        cv::resize(masks.back(), sm, si.size(), 0, 0, cv::INTER_NEAREST);
        imgs.push_back(si);
        masks.push_back(sm);
    }
    for (; levels >= 1; --levels) {
        d->lv.clear();
        for (int l = 0; l < levels; ++l) {
            const float k = 1.f / static_cast<float>(1 << l);
            Level lv;
            lv.feats = extractFeatures(imgs[l], masks[l], l == levels - 1 ? kTopFeatures : kFineFeatures,
                                       refX * k, refY * k);
            for (const Feature& f : lv.feats) lv.radius = std::max(lv.radius, double(std::hypot(f.x, f.y)));
            lv.angleStep = (l == levels - 1 ? 1.5 : 1.0) / lv.radius;
            d->lv.push_back(std::move(lv));
        }
        if (d->lv[0].feats.size() < size_t(kMinFeatures)) return false;
        if (levels == 1 || d->lv.back().feats.size() >= size_t(kMinTopFeatures)) break;
    }
    d->levels = levels;

    // Rotated, quantised copies of the top level.
    const Level& top = d->lv.back();
    if (d->range > 0) {
        const double lim = d->range * kPi / 180.0;
        const int n = std::max(1, static_cast<int>(std::ceil(lim / top.angleStep)));
        const int last = d->range == 180 ? n - 1 : n;  // -180 and +180 are the same turn
        for (int i = -n; i <= last; ++i) d->topAngles.push_back(lim * i / n);
    } else {
        d->topAngles.push_back(0.0);
    }
    for (double phi : d->topAngles) {
        std::vector<QFeature> q;
        for (const Feature& f : rotated(top.feats, phi)) {
            QFeature e{static_cast<int>(std::lround(f.x)), static_cast<int>(std::lround(f.y)),
                       dirBin(f.dx, f.dy)};
            d->pad = std::max({d->pad, std::abs(e.x) + 1, std::abs(e.y) + 1});
            q.push_back(e);
        }
        d->top.push_back(std::move(q));
    }
    m_model = d;
    return true;
}

bool FindShape::Locate(const cv::Mat& image, Result* out) const {
    if (!m_model || image.empty() || image.type() != CV_8UC1) return false;
    const ShapeModelData& m = *m_model;
    std::vector<cv::Mat> pyr{image};
    for (int l = 1; l < m.levels; ++l) {
        cv::Mat s;
        cv::pyrDown(pyr.back(), s);
        if (s.cols < 2 || s.rows < 2) return false;
        pyr.push_back(s);
    }
    std::vector<Candidate> cands = coarseSearch(m, pyr.back());
    for (int l = m.levels - 2; l >= 0 && !cands.empty(); --l) {
        for (Candidate& c : cands) {
            c.x *= 2;
            c.y *= 2;
            c = refine(m, m.lv[size_t(l)], pyr[size_t(l)], c, l == m.levels - 2 ? 3 : 2,
                       m.lv[size_t(l) + 1].angleStep);
        }
        std::stable_sort(cands.begin(), cands.end(),
                         [](const Candidate& p, const Candidate& q) { return p.score > q.score; });
        // Hopeless candidates go; the fine levels follow only the few best.
        const size_t keep = l >= m.levels - 2 ? 4 : 2;
        while (!cands.empty() && (cands.size() > keep || cands.back().score < 0.6 * MinScore()))
            cands.pop_back();
    }
    if (cands.empty()) return false;
    if (m.levels == 1) {
        for (Candidate& c : cands) c = refine(m, m.lv[0], pyr[0], c, 1, m.lv[0].angleStep);
        std::stable_sort(cands.begin(), cands.end(),
                         [](const Candidate& p, const Candidate& q) { return p.score > q.score; });
    }
    const Candidate best = polish(m, pyr[0], cands.front());
    if (best.score < MinScore()) return false;
    if (out) {
        out->x = best.x;
        out->y = best.y;
        out->rotation = best.phi * 180.0 / kPi;
        out->score = best.score;
    }
    return true;
}

bool FindShape::Find(const cv::Mat& image, int, int* x, int* y, double* a, double* angle) const {
    Result r;
    const bool found = Locate(image, &r);
    if (!found) {
        if (a) *a = 0;
        if (angle) *angle = 0;
        return false;
    }
    const int fx = static_cast<int>(std::lround(r.x)), fy = static_cast<int>(std::lround(r.y));
    if (x) *x = m_model->cx - fx;
    if (y) *y = m_model->cy - fy;
    if (a) *a = 100.0 * r.score;
    if (angle) *angle = m_model->range > 0 ? -r.rotation : 0.0;
    return true;
}

int FindShape::CentreX() const {
    return m_model ? m_model->cx : 0;
}
int FindShape::CentreY() const {
    return m_model ? m_model->cy : 0;
}
int FindShape::Range() const {
    return m_model ? m_model->range : 0;
}
int FindShape::Levels() const {
    return m_model ? m_model->levels : 0;
}
