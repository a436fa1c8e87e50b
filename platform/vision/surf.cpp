#include "surf.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
constexpr double kC1 = 160.0;
constexpr double kC2 = 200.0;
constexpr int kMaxShift = 2;
constexpr int kMinShiftSide = 16;

bool isSample(const cv::Mat& m, int w, int h) {
    return m.type() == CV_8UC1 && m.cols == w && m.rows == h;
}

struct Sums {
    int64_t si = 0, sii = 0, sit = 0;
};

// Sums over the inner rectangle (border b) under the 0/1 mask, the image window shifted by (dx, dy).
Sums innerSums(const cv::Mat& image, const cv::Mat& tmpl, const cv::Mat& mask01, int b, int dx, int dy) {
    Sums s;
    const int w = tmpl.cols - 2 * b;
    for (int y = b; y < tmpl.rows - b; ++y) {
        const uchar* in = image.ptr<uchar>(y + dy) + b + dx;
        const uchar* t = tmpl.ptr<uchar>(y) + b;
        const uchar* m = mask01.ptr<uchar>(y) + b;
        int32_t si = 0, sii = 0, sit = 0;
        for (int x = 0; x < w; ++x) {
            const int32_t a = in[x] * m[x];
            si += a;
            sii += a * a;
            sit += a * t[x];
        }
        s.si += si;
        s.sii += sii;
        s.sit += sit;
    }
    return s;
}

// Camera noise is not structure: statistics are taken on lightly smoothed images.
cv::Mat smoothed(const cv::Mat& img) {
    cv::Mat out;
    cv::GaussianBlur(img, out, cv::Size(5, 5), 1.0, 1.0, cv::BORDER_REFLECT);
    return out;
}

double similarity(const Sums& s, double tSum, double tSumSq, double n) {
    const double mi = s.si / n, mt = tSum / n;
    const double vi = std::max(0.0, s.sii / n - mi * mi);
    const double vt = std::max(0.0, tSumSq / n - mt * mt);
    const double cov = s.sit / n - mi * mt;
    const double l = (2 * mi * mt + kC1) / (mi * mi + mt * mt + kC1);
    const double cs = (2 * cov + kC2) / (vi + vt + kC2);
    const double v = 100.0 * std::max(0.0, l * cs);
    // Identical crops give exactly 100; keep rounding noise from truncating 100 to 99.
    return std::min(100.0, std::round(v * 1e4) / 1e4);
}
}  // namespace

void SURF::Clear() {
    *this = SURF();
}

bool SURF::Create(int w, int h, const cv::Mat& mask) {
    Clear();
    if (w < 1 || h < 1) return false;
    if (!mask.empty() && !isSample(mask, w, h)) return false;
    m_w = w;
    m_h = h;
    if (mask.empty())
        m_mask = cv::Mat(h, w, CV_8U, cv::Scalar(1));
    else {
        cv::compare(mask, 0, m_mask, cv::CMP_NE);
        m_mask &= 1;
    }
    m_border = (w >= kMinShiftSide && h >= kMinShiftSide) ? kMaxShift : 0;
    auto innerCount = [&] {
        return cv::countNonZero(m_mask(cv::Rect(m_border, m_border, w - 2 * m_border, h - 2 * m_border)));
    };
    m_count = innerCount();
    if (m_count == 0 && m_border > 0) {
        m_border = 0;
        m_count = innerCount();
    }
    return true;
}

bool SURF::AddTemp(const cv::Mat& sample, int, int diffThreshold, int minScore) {
    if (m_w < 1 || !isSample(sample, m_w, m_h)) return false;
    Sample s;
    s.img = sample.clone();
    s.smooth = smoothed(sample);
    const Sums sums = innerSums(s.smooth, s.smooth, m_mask, m_border, 0, 0);
    s.sum = static_cast<double>(sums.si);
    s.sumSq = static_cast<double>(sums.sii);
    m_samples.push_back(s);
    m_diffThreshold = std::clamp(diffThreshold, 1, 255);
    m_minScore = minScore;
    return true;
}

bool SURF::Train(int, int, int, int) {
    m_valid = !m_samples.empty();
    return m_valid;
}

float SURF::score(const cv::Mat& image, int* bestSample, cv::Point* bestShift) const {
    *bestSample = -1;
    *bestShift = cv::Point(0, 0);
    if (!m_valid || !isSample(image, m_w, m_h)) return 0.f;
    if (m_count == 0) {
        *bestSample = 0;
        return 100.f;  // nothing of the region is inspected
    }
    const double n = m_count;
    const cv::Mat smooth = smoothed(image);
    double best = -1;
    for (size_t k = 0; k < m_samples.size(); ++k) {
        const Sample& s = m_samples[k];
        const double v = similarity(innerSums(smooth, s.smooth, m_mask, m_border, 0, 0), s.sum, s.sumSq, n);
        if (v > best) {
            best = v;
            *bestSample = static_cast<int>(k);
        }
    }
    // Positioning residue: climb to the best shift of the best sample within +-border.
    if (m_border > 0 && best < 100.0) {
        const Sample& s = m_samples[*bestSample];
        cv::Point at(0, 0);
        for (bool moved = true; moved;) {
            moved = false;
            cv::Point next = at;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const cv::Point p(at.x + dx, at.y + dy);
                    if ((dx == 0 && dy == 0) || std::abs(p.x) > m_border || std::abs(p.y) > m_border)
                        continue;
                    const double v = similarity(innerSums(smooth, s.smooth, m_mask, m_border, p.x, p.y),
                                                s.sum, s.sumSq, n);
                    if (v > best) {
                        best = v;
                        next = p;
                        moved = true;
                    }
                }
            at = next;
        }
        *bestShift = at;
    }
    return static_cast<float>(best);
}

float SURF::Score(const cv::Mat& image) const {
    int k;
    cv::Point shift;
    return score(image, &k, &shift);
}

float SURF::Match(const cv::Mat& image, cv::Mat& result) const {
    if (m_w < 1) {  // no model: the caller's map stays as it is, zeroed
        if (!result.empty()) result.setTo(0);
        return 0.f;
    }
    result.create(m_h, m_w, CV_8U);
    result.setTo(0);
    int k;
    cv::Point shift;
    const float v = score(image, &k, &shift);
    if (k < 0) return v;
    const cv::Mat& t = m_samples[k].img;
    // Remove the mean brightness difference over the mask before marking.
    const double n = std::max(1, cv::countNonZero(m_mask));
    const double off = (cv::sum(image.mul(m_mask))[0] - cv::sum(t.mul(m_mask))[0]) / n;
    const int ioff = static_cast<int>(std::lround(off));
    for (int y = 0; y < m_h; ++y) {
        const uchar* in = image.ptr<uchar>(y);
        const uchar* m = m_mask.ptr<uchar>(y);
        uchar* out = result.ptr<uchar>(y);
        const int ty = (y - shift.y >= 0 && y - shift.y < m_h) ? y - shift.y : y;
        const uchar* tr = t.ptr<uchar>(ty);
        for (int x = 0; x < m_w; ++x) {
            if (!m[x]) continue;
            const int tx = (x - shift.x >= 0 && x - shift.x < m_w) ? x - shift.x : x;
            if (std::abs(in[x] - tr[tx] - ioff) > m_diffThreshold) out[x] = 255;
        }
    }
    return v;
}
