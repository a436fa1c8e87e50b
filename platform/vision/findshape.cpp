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
constexpr int kMoves = 6;                // re-centrings of a refinement window that follow a coarse error
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

struct Candidate {
    double x, y;  // level coordinates of the model centre
    double phi;   // radians
    double score;
};

int dirBin(double dx, double dy) {
    double a = std::atan2(dy, dx) * (kBins / (2 * kPi));
    int b = static_cast<int>(std::floor(a + 0.5));
    return ((b % kBins) + kBins) % kBins;
}

struct Dir {
    float ux, uy, px, py;  // unit and peaked gradient direction of a pixel
};

// Work buffers of the search. They only grow, so after the first search of an image size no search
// allocates; one set per thread (every search of the monitor runs on the GUI thread), shared by all
// models, so that memory follows the largest search image, not the number of models.
struct Scratch {
    std::vector<float> hs, hd, pad;      // filter rows
    std::vector<float> gx, gy;           // gradients of the top level
    std::vector<Dir> dirs;               // direction fields of a window
    std::vector<uchar> done;             // which of them are computed
    std::vector<uchar> pyr[kMaxLevels];  // pyramid levels 1..
    std::vector<int> pyrRow;             // pyramid filter row
    std::vector<uint16_t> bits, rowOr, spread;
    std::vector<uchar> resp;          // response planes of the top level, one per direction bin
    std::vector<uchar> acc, best;     // per angle stripe
    std::vector<uint16_t> bestAngle;  // per angle stripe
    std::vector<Candidate> all, cands;
    std::vector<Feature> rot[3];
};

Scratch& scratch() {
    thread_local Scratch s;
    return s;
}

template <typename T>
T* grow(std::vector<T>& v, size_t n) {
    if (v.size() < n) v.resize(n);
    return v.data();
}

template <typename T>
cv::Mat header(std::vector<T>& storage, int rows, int cols, int type) {
    return cv::Mat(rows, cols, type, grow(storage, size_t(rows) * size_t(cols)));
}

// The combined kernels of a 5x5 Gaussian (sigma 1) and a 3x3 Sobel, taps -3..3: smoothing across the
// derivative (s) and derivative along it (d).
struct Kernels {
    float s[7];
    float d[7];
};

const Kernels& kernels() {
    static const Kernels k = [] {
        double g[9] = {};  // offsets -4..4, zero beyond +-2
        double sum = 0;
        for (int i = -2; i <= 2; ++i) sum += g[i + 4] = std::exp(-0.5 * i * i);
        for (double& v : g) v /= sum;
        Kernels out{};
        for (int o = -3; o <= 3; ++o) {
            out.s[o + 3] = static_cast<float>(g[o + 3] + 2 * g[o + 4] + g[o + 5]);
            out.d[o + 3] = static_cast<float>(g[o + 3] - g[o + 5]);
        }
        return out;
    }();
    return k;
}

// The vertical half of gradients() for one output row: a and b point at the first of the seven
// horizontally filtered rows (derivative and smoothing), consecutive rows W floats apart.
void verticalPass(const float* a, const float* b, int W, float* __restrict ox, float* __restrict oy) {
    const Kernels& k = kernels();
    const float s0 = k.s[3], s1 = k.s[4], s2 = k.s[5], s3 = k.s[6];
    const float d1 = k.d[4], d2 = k.d[5], d3 = k.d[6];
    const size_t w = size_t(W);
    const float *a0 = a, *a1 = a + w, *a2 = a + 2 * w, *a3 = a + 3 * w, *a4 = a + 4 * w, *a5 = a + 5 * w,
                *a6 = a + 6 * w;
    const float *b0 = b, *b1 = b + w, *b2 = b + 2 * w, *b4 = b + 4 * w, *b5 = b + 5 * w, *b6 = b + 6 * w;
    for (int x = 0; x < W; ++x) {
        ox[x] = s0 * a3[x] + s1 * (a2[x] + a4[x]) + s2 * (a1[x] + a5[x]) + s3 * (a0[x] + a6[x]);
        oy[x] = d1 * (b4[x] - b2[x]) + d2 * (b5[x] - b1[x]) + d3 * (b6[x] - b0[x]);
    }
}

// Smoothed gradients of img over the rectangle r (inside img), reflecting at img's own edges, into
// gx and gy (float, r's size). Used alike for the model and the search images.
void gradients(const cv::Mat& img, cv::Rect r, cv::Mat& gx, cv::Mat& gy, Scratch& s) {
    const Kernels& k = kernels();
    const int W = r.width, H = r.height, rows = H + 6;
    float* hs = grow(s.hs, size_t(rows) * size_t(W));
    float* hd = grow(s.hd, size_t(rows) * size_t(W));
    float* pad = grow(s.pad, size_t(W) + 6);
    const float s0 = k.s[3], s1 = k.s[4], s2 = k.s[5], s3 = k.s[6];
    const float d1 = k.d[4], d2 = k.d[5], d3 = k.d[6];
    const int x0 = r.x - 3;
    const int inFrom = std::max(0, -x0), inTo = std::min(W + 6, img.cols - x0);  // columns inside img
    for (int i = 0; i < rows; ++i) {
        const uchar* src = img.ptr<uchar>(cv::borderInterpolate(r.y - 3 + i, img.rows, cv::BORDER_REFLECT));
        for (int j = 0; j < inFrom; ++j)
            pad[j] = src[cv::borderInterpolate(x0 + j, img.cols, cv::BORDER_REFLECT)];
        for (int j = inFrom; j < inTo; ++j) pad[j] = src[x0 + j];
        for (int j = std::max(inTo, inFrom); j < W + 6; ++j)
            pad[j] = src[cv::borderInterpolate(x0 + j, img.cols, cv::BORDER_REFLECT)];
        float* os = hs + size_t(i) * size_t(W);
        float* od = hd + size_t(i) * size_t(W);
        for (int x = 0; x < W; ++x) {
            const float* p = pad + x;
            os[x] = s0 * p[3] + s1 * (p[2] + p[4]) + s2 * (p[1] + p[5]) + s3 * (p[0] + p[6]);
            od[x] = d1 * (p[4] - p[2]) + d2 * (p[5] - p[1]) + d3 * (p[6] - p[0]);
        }
    }
    for (int y = 0; y < H; ++y) {
        // Named row pointers (not an array, which the loop would reload) and restrict-qualified
        // outputs: the loop vectorises.
        const float* const a = hd + size_t(y) * size_t(W);
        const float* const b = hs + size_t(y) * size_t(W);
        verticalPass(a, b, W, gx.ptr<float>(y), gy.ptr<float>(y));
    }
}

// One pyramid level down: 5x5 binomial filter, every second pixel, (w + 1) / 2 by (h + 1) / 2.
void pyrDown(const cv::Mat& src, cv::Mat& dst, std::vector<int>& rowBuf) {
    const int W = src.cols, H = src.rows, dw = dst.cols, dh = dst.rows;
    int* row = grow(rowBuf, size_t(W) + 4);
    const int l1 = cv::borderInterpolate(-1, W, cv::BORDER_REFLECT_101) + 2;
    const int l2 = cv::borderInterpolate(-2, W, cv::BORDER_REFLECT_101) + 2;
    const int r1 = cv::borderInterpolate(W, W, cv::BORDER_REFLECT_101) + 2;
    const int r2 = cv::borderInterpolate(W + 1, W, cv::BORDER_REFLECT_101) + 2;
    for (int dy = 0; dy < dh; ++dy) {
        const uchar* p[5];
        for (int o = 0; o < 5; ++o)
            p[o] = src.ptr<uchar>(cv::borderInterpolate(2 * dy - 2 + o, H, cv::BORDER_REFLECT_101));
        for (int x = 0; x < W; ++x) row[x + 2] = p[0][x] + 4 * (p[1][x] + p[3][x]) + 6 * p[2][x] + p[4][x];
        row[1] = row[l1];
        row[0] = row[l2];
        row[W + 2] = row[r1];
        row[W + 3] = row[r2];
        uchar* o = dst.ptr<uchar>(dy);
        for (int dx = 0; dx < dw; ++dx) {
            const int* q = row + 2 * dx;
            o[dx] = static_cast<uchar>((q[0] + 4 * (q[1] + q[3]) + 6 * q[2] + q[4] + 128) >> 8);
        }
    }
}

// Gradient directions of a window of a level image, each computed when it is first read: a search
// reads a few thousand pixels of windows that may span a whole level. Per pixel the unit direction
// g / |g| (0 where the gradient is weak) and the peaked one, g / sqrt(|g|), which peaks on the
// middle of an edge (the unit field is flat across the edge's width). Lives in the scratch buffers.
class UnitField {
public:
    // Makes the field cover `want` (clipped to the image) on level l, keeping what is there when it
    // covers it already.
    void cover(const cv::Mat& image, int l, cv::Rect want, Scratch& s) {
        want &= cv::Rect(0, 0, image.cols, image.rows);
        if (level_ == l && (want & r_) == want) return;
        level_ = l;
        r_ = want;
        img_ = image;
        const size_t n = size_t(std::max(0, r_.area()));
        dirs_ = grow(s.dirs, n);
        blocksX_ = (r_.width + kBlock - 1) / kBlock;
        const size_t blocks = size_t(blocksX_) * size_t((r_.height + kBlock - 1) / kBlock);
        done_ = grow(s.done, std::max(n, blocks));
        std::fill(done_, done_ + blocks, uchar(0));
    }

    // Unit (peaked false) or peaked direction at level pixel (x, y); 0 outside the window.
    inline void at(int x, int y, bool peaked, float& u, float& v) {
        // Unsigned: one comparison per axis, and the block index by shifts.
        const unsigned wx = unsigned(x - r_.x), wy = unsigned(y - r_.y);
        if (wx >= unsigned(r_.width) || wy >= unsigned(r_.height)) {
            u = v = 0;
            return;
        }
        const size_t b = size_t(wy / kBlock) * size_t(blocksX_) + size_t(wx / kBlock);
        if (!done_[b]) {
            computeBlock(int(wx / kBlock * kBlock), int(wy / kBlock * kBlock));
            done_[b] = 1;
        }
        const Dir& d = dirs_[size_t(wy) * size_t(r_.width) + size_t(wx)];
        u = peaked ? d.px : d.ux;
        v = peaked ? d.py : d.uy;
    }

private:
    static constexpr int kBlock = 8;  // the field is computed in blocks of 8 x 8 pixels

    // The block of the window whose top left corner is (bx, by) (window coordinates): the same
    // smoothed gradients as gradients() and compute(), term for term, from rows filtered once.
    void computeBlock(int bx, int by) {
        const Kernels& k = kernels();
        const float s0 = k.s[3], s1 = k.s[4], s2 = k.s[5], s3 = k.s[6];
        const float d1 = k.d[4], d2 = k.d[5], d3 = k.d[6];
        const int bw = std::min(kBlock, r_.width - bx), bh = std::min(kBlock, r_.height - by);
        const int X0 = r_.x + bx, Y0 = r_.y + by, cols = img_.cols, rows = img_.rows;
        const bool inX = X0 >= 3 && X0 + bw + 3 <= cols;
        float hs[kBlock + 6][kBlock] = {}, hd[kBlock + 6][kBlock] = {};  // columns past a cut block: 0
        for (int i = 0; i < bh + 6; ++i) {
            const int Y = Y0 - 3 + i;
            const uchar* row =
                img_.ptr<uchar>(Y >= 0 && Y < rows ? Y : cv::borderInterpolate(Y, rows, cv::BORDER_REFLECT));
            float p[kBlock + 6];
            if (inX)
                for (int j = 0; j < bw + 6; ++j) p[j] = row[X0 - 3 + j];
            else
                for (int j = 0; j < bw + 6; ++j)
                    p[j] = row[cv::borderInterpolate(X0 - 3 + j, cols, cv::BORDER_REFLECT)];
            for (int x = 0; x < bw; ++x) {
                const float* q = p + x;
                hs[i][x] = s0 * q[3] + s1 * (q[2] + q[4]) + s2 * (q[1] + q[5]) + s3 * (q[0] + q[6]);
                hd[i][x] = d1 * (q[4] - q[2]) + d2 * (q[5] - q[1]) + d3 * (q[6] - q[0]);
            }
        }
        for (int y = 0; y < bh; ++y) {
            // Whole rows of 8 with no branch, so that the filters, square roots and divisions run
            // as vector instructions (which round exactly as the scalar ones).
            float gx[kBlock], gy[kBlock], d[4][kBlock];
            for (int x = 0; x < kBlock; ++x) {
                gx[x] = s0 * hd[y + 3][x] + s1 * (hd[y + 2][x] + hd[y + 4][x]) +
                        s2 * (hd[y + 1][x] + hd[y + 5][x]) + s3 * (hd[y][x] + hd[y + 6][x]);
                gy[x] = d1 * (hs[y + 4][x] - hs[y + 2][x]) + d2 * (hs[y + 5][x] - hs[y + 1][x]) +
                        d3 * (hs[y + 6][x] - hs[y][x]);
            }
            for (int x = 0; x < kBlock; ++x) {
                const float m2 = gx[x] * gx[x] + gy[x] * gy[x];
                const bool weak = m2 < kImageEdge * kImageEdge;
                const float m = std::sqrt(m2);
                const float ku = 1.f / m, kp = 1.f / std::sqrt(m);
                d[0][x] = weak ? 0.f : gx[x] * ku;
                d[1][x] = weak ? 0.f : gy[x] * ku;
                d[2][x] = weak ? 0.f : gx[x] * kp;
                d[3][x] = weak ? 0.f : gy[x] * kp;
            }
            Dir* out = dirs_ + size_t(by + y) * size_t(r_.width) + size_t(bx);
            for (int x = 0; x < bw; ++x) out[x] = {d[0][x], d[1][x], d[2][x], d[3][x]};
        }
    }

    int level_ = -1;  // pyramid level of the window; -1 none
    cv::Rect r_;      // in level coordinates
    cv::Mat img_;
    Dir* dirs_ = nullptr;
    uchar* done_ = nullptr;  // per block
    int blocksX_ = 0;
};

// Nearest sample.
inline void sampleAt(UnitField& f, float X, float Y, bool peaked, float& u, float& v) {
    f.at(cvRound(X), cvRound(Y), peaked, u, v);
}

// Bilinear sample.
inline void sampleLinear(UnitField& f, float X, float Y, bool peaked, float& u, float& v) {
    const int x0 = static_cast<int>(std::floor(X)), y0 = static_cast<int>(std::floor(Y));
    const float ax = X - x0, ay = Y - y0;
    float u00, v00, u01, v01, u10, v10, u11, v11;
    f.at(x0, y0, peaked, u00, v00);
    f.at(x0 + 1, y0, peaked, u01, v01);
    f.at(x0, y0 + 1, peaked, u10, v10);
    f.at(x0 + 1, y0 + 1, peaked, u11, v11);
    const float w00 = (1 - ax) * (1 - ay), w01 = ax * (1 - ay), w10 = (1 - ax) * ay, w11 = ax * ay;
    u = w00 * u00 + w01 * u01 + w10 * u10 + w11 * u11;
    v = w00 * v00 + w01 * v01 + w10 * v10 + w11 * v11;
}

// Edge points of a model level: strong, thinned (non-maximum along the gradient), inside the mask,
// spread over the outline and at most maxN of them.
std::vector<Feature> extractFeatures(const cv::Mat& img, const cv::Mat& mask, int maxN, float refX,
                                     float refY) {
    Scratch s;
    cv::Mat gx(img.size(), CV_32F), gy(img.size(), CV_32F);
    gradients(img, cv::Rect(0, 0, img.cols, img.rows), gx, gy, s);
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

void rotate(const Feature& f, double c, double s, Feature& out) {
    // Same sense as cv::getRotationMatrix2D: (x, y) -> (c x + s y, -s x + c y), y pointing down.
    out.x = static_cast<float>(c * f.x + s * f.y);
    out.y = static_cast<float>(-s * f.x + c * f.y);
    out.dx = static_cast<float>(c * f.dx + s * f.dy);
    out.dy = static_cast<float>(-s * f.dx + c * f.dy);
}

// The features turned by phi into out (sized to them; no allocation once it has grown).
void rotated(const std::vector<Feature>& feats, double phi, std::vector<Feature>& out) {
    const double c = std::cos(phi), s = std::sin(phi);
    out.resize(feats.size());
    for (size_t i = 0; i < feats.size(); ++i) rotate(feats[i], c, s, out[i]);
}

// Into (-pi, pi].
double wrapAngle(double phi) {
    phi = std::remainder(phi, 2 * kPi);
    return phi <= -kPi ? phi + 2 * kPi : phi;
}

}  // namespace

struct ShapeModelData {
    int cx = 0, cy = 0, range = 0, levels = 0, candidates = 4;
    int w = 0, h = 0;
    std::vector<Level> lv;                   // lv[0] full resolution
    std::vector<double> topAngles;           // radians
    std::vector<std::vector<QFeature>> top;  // per top angle
    int pad = 0;                             // largest rounded top offset + 1

    // A rotation the search may take: the whole turn wraps; a smaller range is searched a coarse
    // step beyond its ends, so that a part just at the end is measured, not clamped.
    double limit(double phi) const {
        if (range == 0) return 0.0;
        if (range >= 180) return wrapAngle(phi);
        const double lim = range * kPi / 180.0 + lv.back().angleStep;
        return std::clamp(phi, -lim, lim);
    }
};

namespace {

double scoreAt(UnitField& f, const std::vector<Feature>& rot, double px, double py, bool linear,
               bool peaked) {
    // rot holds rotated features: x, y offsets and dx, dy directions.
    double sum = 0;
    float u, v;
    for (const Feature& r : rot) {
        const float X = static_cast<float>(px + r.x), Y = static_cast<float>(py + r.y);
        if (linear)
            sampleLinear(f, X, Y, peaked, u, v);
        else
            sampleAt(f, X, Y, peaked, u, v);
        sum += r.dx * u + r.dy * v;
    }
    return rot.empty() ? 0.0 : sum / rot.size();
}

double unitScore(UnitField& f, const std::vector<Feature>& rot, double px, double py, bool linear) {
    return scoreAt(f, rot, px, py, linear, false);
}

double peakedScore(UnitField& f, const std::vector<Feature>& rot, double px, double py) {
    return scoreAt(f, rot, px, py, true, true);
}

// Response of each model direction bin to a set of image direction bits: 4 for the same bin, 3 for
// the next one, 1 two bins apart; indexed by the low and the high byte of the bits.
const std::array<std::array<uchar, 512>, kBins>& responseTable() {
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
    return lut;
}

// The angle stripes of the top-level search: for every position the best summed response over the
// stripe's angles and the index of that angle. Each stripe has its own accumulator and results.
class TopAngles : public cv::ParallelLoopBody {
public:
    const ShapeModelData* m = nullptr;
    const uchar* resp = nullptr;
    size_t plane = 0;  // bytes of one response plane
    int W = 0, H = 0, P = 0, stride = 0, stripes = 1, nAngles = 1;
    uchar* acc = nullptr;
    uchar* best = nullptr;
    uint16_t* bestAngle = nullptr;

    void operator()(const cv::Range& range) const override {
        // Everything the loops read is copied into locals first: the stores go through uchar*, which
        // may alias any member, so a bound read through `this` would be reloaded after every byte
        // and the loops would not vectorise.
        const int w = W, h = H, nA = nAngles, nS = stripes;
        const size_t n = size_t(w) * size_t(h), step = size_t(stride), pl = plane, p = size_t(P);
        const uchar* const r = resp;
        const std::vector<std::vector<QFeature>>& top = m->top;
        for (int st = range.start; st < range.end; ++st) {
            uchar* const ac = acc + size_t(st) * n;
            uchar* const b = best + size_t(st) * n;
            uint16_t* const ba = bestAngle + size_t(st) * n;
            std::fill(b, b + n, uchar(0));
            std::fill(ba, ba + n, uint16_t(0));
            for (int a = st * nA / nS; a < (st + 1) * nA / nS; ++a) {
                const std::vector<QFeature>& feats = top[size_t(a)];
                const size_t nf = feats.size();
                if (nf == 0) std::fill(ac, ac + n, uchar(0));
                for (size_t i = 0; i < nf; ++i) {
                    const QFeature q = feats[i];
                    const uchar* const src =
                        r + size_t(q.bin) * pl + (p + size_t(q.y)) * step + p + size_t(q.x);
                    addRows(ac, src, w, h, step, i == 0);
                }
                keepBest(ac, b, ba, n, static_cast<uint16_t>(a));
            }
        }
    }

private:
    // o = s (first) or o += s, row by row: h rows of w bytes, source rows `step` apart.
    static void addRows(uchar* __restrict o, const uchar* __restrict s, int w, int h, size_t step,
                        bool first) {
        for (int y = 0; y < h; ++y, o += w, s += step) {
            if (first)
                for (int x = 0; x < w; ++x) o[x] = s[x];
            else
                for (int x = 0; x < w; ++x) o[x] = static_cast<uchar>(o[x] + s[x]);
        }
    }

    // Where the sum ac beats the best so far: the sum and the angle index become the best.
    static void keepBest(const uchar* __restrict ac, uchar* __restrict b, uint16_t* __restrict ba, size_t n,
                         uint16_t a) {
        for (size_t i = 0; i < n; ++i) {
            const bool better = ac[i] > b[i];
            b[i] = better ? ac[i] : b[i];
            ba[i] = better ? a : ba[i];
        }
    }
};

// Where a later stripe's best sb beats best: its score and angle index win (ties keep the earlier).
void mergeBest(const uchar* __restrict sb, const uint16_t* __restrict sa, uchar* __restrict best,
               uint16_t* __restrict bestAngle, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const uchar s = sb[i], b = best[i];
        const uint16_t keep = static_cast<uint16_t>(-static_cast<int>(s > b));  // all ones: s wins
        best[i] = s > b ? s : b;
        bestAngle[i] = static_cast<uint16_t>((sa[i] & keep) | (bestAngle[i] & ~keep));
    }
}

// Quantised search of the top level: every position, every angle of the model. Leaves the best
// distinct candidates in s.cands.
void coarseSearch(const ShapeModelData& m, const cv::Mat& img, Scratch& s) {
    const int W = img.cols, H = img.rows, P = m.pad;
    const size_t n = size_t(W) * size_t(H);
    cv::Mat gx = header(s.gx, H, W, CV_32F), gy = header(s.gy, H, W, CV_32F);
    gradients(img, cv::Rect(0, 0, W, H), gx, gy, s);

    // Direction bit of each pixel, spread over its 3x3 neighbourhood.
    uint16_t* bits = grow(s.bits, n);
    uint16_t* rowOr = grow(s.rowOr, n);
    uint16_t* spread = grow(s.spread, n);
    const float t2 = kImageEdge * kImageEdge;
    for (int y = 0; y < H; ++y) {
        const float* a = gx.ptr<float>(y);
        const float* b = gy.ptr<float>(y);
        uint16_t* o = bits + size_t(y) * size_t(W);
        for (int x = 0; x < W; ++x)
            o[x] = a[x] * a[x] + b[x] * b[x] >= t2 ? static_cast<uint16_t>(1u << dirBin(a[x], b[x])) : 0;
    }
    for (int y = 0; y < H; ++y) {
        const uint16_t* b = bits + size_t(y) * size_t(W);
        uint16_t* o = rowOr + size_t(y) * size_t(W);
        // Ends apart, so that the middle has no branch and vectorises.
        if (W < 1) continue;
        o[0] = static_cast<uint16_t>(b[0] | (W > 1 ? b[1] : 0));
        for (int x = 1; x + 1 < W; ++x) o[x] = static_cast<uint16_t>(b[x] | b[x - 1] | b[x + 1]);
        if (W > 1) o[W - 1] = static_cast<uint16_t>(b[W - 1] | b[W - 2]);
    }
    for (int y = 0; y < H; ++y) {
        const uint16_t* c = rowOr + size_t(y) * size_t(W);
        const uint16_t* u = rowOr + size_t(std::max(0, y - 1)) * size_t(W);
        const uint16_t* d = rowOr + size_t(std::min(H - 1, y + 1)) * size_t(W);
        uint16_t* o = spread + size_t(y) * size_t(W);
        for (int x = 0; x < W; ++x) o[x] = static_cast<uint16_t>(c[x] | u[x] | d[x]);
    }

    // Response planes, padded by P on every side with zeros.
    const auto& lut = responseTable();
    const int stride = W + 2 * P;
    const size_t plane = size_t(stride) * size_t(H + 2 * P);
    uchar* resp = grow(s.resp, plane * kBins);
    std::fill(resp, resp + plane * kBins, uchar(0));
    for (int b = 0; b < kBins; ++b) {
        const uchar* lo = lut[size_t(b)].data();
        const uchar* hi = lo + 256;
        for (int y = 0; y < H; ++y) {
            const uint16_t* sp = spread + size_t(y) * size_t(W);
            uchar* o = resp + size_t(b) * plane + size_t(y + P) * size_t(stride) + size_t(P);
            for (int x = 0; x < W; ++x) o[x] = std::max(lo[sp[x] & 255], hi[sp[x] >> 8]);
        }
    }

    // Sum over the features of each angle; keep the best angle per position. The angles are split
    // into stripes that OpenCV's threads may share; ties go to the lowest angle index, as in order.
    TopAngles body;
    body.m = &m;
    body.resp = resp;
    body.plane = plane;
    body.W = W;
    body.H = H;
    body.P = P;
    body.stride = stride;
    body.nAngles = static_cast<int>(m.top.size());
    body.stripes = std::clamp(cv::getNumThreads(), 1, body.nAngles);
    body.acc = grow(s.acc, n * size_t(body.stripes));
    body.best = grow(s.best, n * size_t(body.stripes));
    body.bestAngle = grow(s.bestAngle, n * size_t(body.stripes));
    if (body.stripes == 1)
        body(cv::Range(0, 1));
    else
        cv::parallel_for_(cv::Range(0, body.stripes), body, body.stripes);
    uchar* best = body.best;
    uint16_t* bestAngle = body.bestAngle;
    for (int st = 1; st < body.stripes; ++st)
        mergeBest(body.best + size_t(st) * n, body.bestAngle + size_t(st) * n, best, bestAngle, n);

    // Local maxima above the coarse threshold, strongest first (ties in scan order), kept apart by
    // a quarter of the model radius.
    const double full = 4.0 * m.lv.back().feats.size();
    const int thr = static_cast<int>(std::ceil(kCoarseFraction * full));
    std::vector<Candidate>& all = s.all;
    all.clear();
    for (int y = 0; y < H; ++y) {
        const uchar* b = best + size_t(y) * size_t(W);
        for (int x = 0; x < W; ++x) {
            const int v = b[x];
            if (v < thr) continue;
            bool peak = true;
            for (int dy = -1; dy <= 1 && peak; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    if ((dx || dy) && xx >= 0 && yy >= 0 && xx < W && yy < H &&
                        best[size_t(yy) * size_t(W) + size_t(xx)] > v) {
                        peak = false;
                        break;
                    }
                }
            if (peak)
                all.push_back({double(x), double(y),
                               m.topAngles[bestAngle[size_t(y) * size_t(W) + size_t(x)]], v / full});
        }
    }
    std::sort(all.begin(), all.end(), [](const Candidate& p, const Candidate& q) {
        if (p.score != q.score) return p.score > q.score;
        return p.y != q.y ? p.y < q.y : p.x < q.x;
    });
    std::vector<Candidate>& kept = s.cands;
    kept.clear();
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
}

// Best score first; equal scores keep their order (insertion sort: few candidates, no allocation).
void sortByScore(std::vector<Candidate>& v) {
    for (size_t i = 1; i < v.size(); ++i) {
        const Candidate c = v[i];
        size_t j = i;
        for (; j > 0 && v[j - 1].score < c.score; --j) v[j] = v[j - 1];
        v[j] = c;
    }
}

// Window of the field that the refinement of a candidate at (x, y) reads on level l.
cv::Rect refineWindow(const Level& lv, double x, double y, int radius) {
    const int R = static_cast<int>(std::ceil(lv.radius)) + radius + 2;
    return cv::Rect(static_cast<int>(std::lround(x)) - R, static_cast<int>(std::lround(y)) - R, 2 * R + 1,
                    2 * R + 1);
}

// Best position (+-radius pixels) and angle (+-steps of this level's angle step) of a candidate on
// level l. While the best lies on the border of that window, the window moves there and the search
// goes on (up to kMoves times), so that a coarse error larger than the window is still corrected.
Candidate refine(const ShapeModelData& m, int l, const cv::Mat& img, Candidate c, int radius, int steps,
                 UnitField& f, Scratch& s) {
    const Level& lv = m.lv[size_t(l)];
    if (m.range == 0) steps = 0;
    std::vector<Feature>& rot = s.rot[0];
    Candidate best = c;
    best.score = -2;
    double cx = std::round(c.x), cy = std::round(c.y), cphi = c.phi;
    for (int move = 0; move <= kMoves; ++move) {
        f.cover(img, l, refineWindow(lv, cx, cy, radius), s);
        bool improved = false, onBorder = false;
        for (int k = -steps; k <= steps; ++k) {
            const double phi = m.limit(cphi + k * lv.angleStep);
            rotated(lv.feats, phi, rot);
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx) {
                    const double sc = unitScore(f, rot, cx + dx, cy + dy, false);
                    if (sc > best.score) {
                        best = {cx + dx, cy + dy, phi, sc};
                        improved = true;
                        onBorder = std::abs(dx) == radius || std::abs(dy) == radius ||
                                   (steps && std::abs(k) == steps);
                    }
                }
        }
        if (!improved || !onBorder) break;
        cx = best.x;
        cy = best.y;
        cphi = best.phi;
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
Candidate polish(const ShapeModelData& m, const cv::Mat& img, Candidate c, UnitField& f, Scratch& s) {
    const Level& lv = m.lv[0];
    std::vector<Feature>& rot = s.rot[0];
    std::vector<Feature>& lo = s.rot[1];
    std::vector<Feature>& hi = s.rot[2];
    for (int iter = 0; iter < 8; ++iter) {
        f.cover(img, 0, refineWindow(lv, c.x, c.y, 4), s);
        rotated(lv.feats, c.phi, rot);
        const double s0 = peakedScore(f, rot, c.x, c.y);
        const double sx = vertex(peakedScore(f, rot, c.x - 1, c.y), s0, peakedScore(f, rot, c.x + 1, c.y));
        const double sy = vertex(peakedScore(f, rot, c.x, c.y - 1), s0, peakedScore(f, rot, c.x, c.y + 1));
        c.x += sx;
        c.y += sy;
        double sa = 0;
        if (m.range > 0) {
            const double st = lv.angleStep;
            rotated(lv.feats, c.phi - st, lo);
            rotated(lv.feats, c.phi + st, hi);
            sa = vertex(peakedScore(f, lo, c.x, c.y), peakedScore(f, rot, c.x, c.y),
                        peakedScore(f, hi, c.x, c.y));
            c.phi = m.limit(c.phi + sa * st);
        }
        if (std::abs(sx) < 0.02 && std::abs(sy) < 0.02 && std::abs(sa) < 0.02) break;
    }
    f.cover(img, 0, refineWindow(lv, c.x, c.y, 1), s);
    rotated(lv.feats, c.phi, rot);
    c.score = unitScore(f, rot, c.x, c.y, true);
    return c;
}

// Drops candidates that have converged onto a better one (same place and angle).
void dropDuplicates(std::vector<Candidate>& v, double angleStep) {
    size_t n = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        bool dup = false;
        for (size_t j = 0; j < n && !dup; ++j)
            dup = std::abs(v[i].x - v[j].x) <= 1.0 && std::abs(v[i].y - v[j].y) <= 1.0 &&
                  std::abs(wrapAngle(v[i].phi - v[j].phi)) <= 1.5 * angleStep;
        if (!dup) v[n++] = v[i];
    }
    v.resize(n);
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
    std::vector<int> row;
    for (int l = 1; l < levels; ++l) {
        cv::Mat si((imgs.back().rows + 1) / 2, (imgs.back().cols + 1) / 2, CV_8U), sm;
        pyrDown(imgs.back(), si, row);
        cv::resize(masks.back(), sm, si.size(), 0, 0, cv::INTER_NEAREST);
        imgs.push_back(si);
        masks.push_back(sm);
    }
    for (; levels >= 1; --levels) {
        d->lv.clear();
        for (int l = 0; l < levels; ++l) {
            const float k = 1.f / static_cast<float>(1 << l);
            Level lv;
            lv.feats = extractFeatures(imgs[size_t(l)], masks[size_t(l)],
                                       l == levels - 1 ? kTopFeatures : kFineFeatures, refX * k, refY * k);
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
    std::vector<Feature> rot;
    for (double phi : d->topAngles) {
        std::vector<QFeature> q;
        rotated(top.feats, phi, rot);
        for (const Feature& f : rot) {
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

namespace {
// Sizes every buffer a search of a w x h image may need (windows are cut from the level images, so
// none is larger than the full-resolution image), so that the search itself never allocates.
void prepare(Scratch& s, int w, int h, int levels) {
    const size_t n = size_t(w) * size_t(h);
    grow(s.hs, size_t(h + 6) * size_t(w));
    grow(s.hd, size_t(h + 6) * size_t(w));
    grow(s.pad, size_t(w) + 6);
    grow(s.dirs, n);
    grow(s.done, n);
    grow(s.pyrRow, size_t(w) + 4);
    const int shift = std::max(0, levels - 1);
    s.all.reserve(size_t((w >> shift) + 1) * size_t((h >> shift) + 1));  // every top-level pixel a peak
    s.cands.reserve(32);
    for (auto& r : s.rot) r.reserve(kFineFeatures);
}
}  // namespace

bool FindShape::Locate(const cv::Mat& image, Result* out) const {
    if (!m_model || image.empty() || image.type() != CV_8UC1) return false;
    const ShapeModelData& m = *m_model;
    Scratch& s = scratch();
    prepare(s, image.cols, image.rows, m.levels);
    cv::Mat pyr[kMaxLevels];
    pyr[0] = image;
    for (int l = 1; l < m.levels; ++l) {
        const int w = (pyr[l - 1].cols + 1) / 2, h = (pyr[l - 1].rows + 1) / 2;
        if (w < 2 || h < 2) return false;
        pyr[l] = header(s.pyr[l], h, w, CV_8U);
        pyrDown(pyr[l - 1], pyr[l], s.pyrRow);
    }
    coarseSearch(m, pyr[m.levels - 1], s);
    std::vector<Candidate>& cands = s.cands;
    UnitField f;
    auto follow = [&](int l, int radius, int steps, size_t keep) {
        // One field for all candidates (only what they read is computed).
        cv::Rect all;
        for (const Candidate& c : cands) {
            const cv::Rect w = refineWindow(m.lv[size_t(l)], c.x, c.y, radius + 2) &
                               cv::Rect(0, 0, pyr[l].cols, pyr[l].rows);
            all = all.empty() ? w : (all | w);
        }
        f.cover(pyr[l], l, all, s);
        for (Candidate& c : cands) c = refine(m, l, pyr[l], c, radius, steps, f, s);
        sortByScore(cands);
        dropDuplicates(cands, m.lv[size_t(l)].angleStep);
        // Hopeless candidates go; the fine levels follow only the few best.
        while (!cands.empty() && (cands.size() > keep || cands.back().score < 0.6 * MinScore()))
            cands.pop_back();
    };
    for (int l = m.levels - 2; l >= 0 && !cands.empty(); --l) {
        for (Candidate& c : cands) {
            c.x *= 2;
            c.y *= 2;
        }
        const double ratio = m.lv[size_t(l) + 1].angleStep / m.lv[size_t(l)].angleStep;
        follow(l, l == m.levels - 2 ? 3 : 2, std::max(1, static_cast<int>(std::ceil(ratio - 1e-9))),
               l >= m.levels - 2 ? 4 : 3);
    }
    if (m.levels == 1 && !cands.empty()) follow(0, 1, 1, cands.size());
    if (cands.empty()) return false;
    const Candidate best = polish(m, pyr[0], cands.front(), f, s);
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

void FindShape::Prepare(int w, int h) const {
    if (!m_model || w < 1 || h < 1) return;
    // A search of a blank image goes through every step that sizes a buffer (it has no edges, so
    // no candidate, and the buffers the refinement reads are sized by prepare()).
    const cv::Mat blank = cv::Mat::zeros(h, w, CV_8UC1);
    Locate(blank, nullptr);
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
