#include "graymatch.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
constexpr int kMaxSamples = 10000;
bool isSample(const cv::Mat& m, int w, int h) {
    return m.type() == CV_8UC1 && m.cols == w && m.rows == h;
}
}  // namespace

void GrayMatch::Clear() {
    *this = GrayMatch();
}

bool GrayMatch::Create(int w, int h, const cv::Mat& mask, int mode) {
    Clear();
    if (w < 1 || h < 1) return false;
    if (!mask.empty() && !isSample(mask, w, h)) return false;
    m_w = w;
    m_h = h;
    m_mode = mode;
    if (mask.empty())
        m_mask = cv::Mat(h, w, CV_8U, cv::Scalar(255));
    else
        cv::compare(mask, 0, m_mask, cv::CMP_NE);
    m_sum = cv::Mat::zeros(h, w, CV_32S);
    m_sumSq = cv::Mat::zeros(h, w, CV_32S);
    return true;
}

bool GrayMatch::AddTemp(const cv::Mat& sample) {
    if (m_w < 1 || !isSample(sample, m_w, m_h)) return false;
    if (m_count >= kMaxSamples) return false;  // keeps the 32-bit sums exact
    for (int y = 0; y < m_h; ++y) {
        const uchar* in = sample.ptr<uchar>(y);
        int32_t* s = m_sum.ptr<int32_t>(y);
        int32_t* q = m_sumSq.ptr<int32_t>(y);
        for (int x = 0; x < m_w; ++x) {
            const int32_t v = in[x];
            s[x] += v;
            q[x] += v * v;
        }
    }
    ++m_count;
    return true;
}

bool GrayMatch::Train(int sensitivity, int multiplier, int edgeLow, int edgeHigh) {
    m_valid = false;
    if (m_count < 1) return false;
    const float sens = static_cast<float>(std::clamp(sensitivity, 0, 255));
    const float mult = static_cast<float>(std::clamp(multiplier, 0, 8));

    // Mean sample and per-pixel variance.
    cv::Mat mean8(m_h, m_w, CV_8U), var(m_h, m_w, CV_32F);
    const float inv = 1.f / static_cast<float>(m_count);
    for (int y = 0; y < m_h; ++y) {
        const int32_t* s = m_sum.ptr<int32_t>(y);
        const int32_t* q = m_sumSq.ptr<int32_t>(y);
        uchar* m8 = mean8.ptr<uchar>(y);
        float* v = var.ptr<float>(y);
        for (int x = 0; x < m_w; ++x) {
            const float mu = static_cast<float>(s[x]) * inv;
            m8[x] = static_cast<uchar>(mu + 0.5f);
            v[x] = std::max(0.f, static_cast<float>(q[x]) * inv - mu * mu);
        }
    }

    // Spatial tolerance: the mean sample's range over the 3x3 neighbourhood, over 5x5 on its edges.
    cv::Mat lo, hi;
    const cv::Mat k3 = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3));
    cv::erode(mean8, lo, k3, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
    cv::dilate(mean8, hi, k3, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
    if (edgeHigh > 0 && m_w >= 3 && m_h >= 3) {
        cv::Mat gx, gy, edges;
        cv::Sobel(mean8, gx, CV_16S, 1, 0, 3, 1, 0, cv::BORDER_REPLICATE);
        cv::Sobel(mean8, gy, CV_16S, 0, 1, 3, 1, 0, cv::BORDER_REPLICATE);
        cv::Mat l1 = cv::abs(gx) + cv::abs(gy);
        cv::compare(l1, std::clamp(edgeLow, 1, edgeHigh), edges, cv::CMP_GE);
        cv::Mat lo5, hi5;
        const cv::Mat k5 = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(5, 5));
        cv::erode(mean8, lo5, k5, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
        cv::dilate(mean8, hi5, k5, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
        lo5.copyTo(lo, edges);
        hi5.copyTo(hi, edges);
    }

    // The spread pooled over the 3x3 neighbourhood: a steadier estimate from few samples.
    cv::Mat pooled;
    cv::blur(var, pooled, cv::Size(3, 3), cv::Point(-1, -1), cv::BORDER_REPLICATE);

    // Integer band: ceil(lo - T) .. floor(hi + T); a pixel exactly at lo - T or hi + T passes.
    m_lower.create(m_h, m_w, CV_8U);
    m_upper.create(m_h, m_w, CV_8U);
    for (int y = 0; y < m_h; ++y) {
        const uchar* l = lo.ptr<uchar>(y);
        const uchar* u = hi.ptr<uchar>(y);
        const float* p = pooled.ptr<float>(y);
        uchar* lower = m_lower.ptr<uchar>(y);
        uchar* upper = m_upper.ptr<uchar>(y);
        for (int x = 0; x < m_w; ++x) {
            const float t = sens + mult * std::sqrt(p[x]);
            lower[x] = static_cast<uchar>(std::clamp(std::ceil(l[x] - t), 0.f, 255.f));
            upper[x] = static_cast<uchar>(std::clamp(std::floor(u[x] + t), 0.f, 255.f));
        }
    }
    m_valid = true;
    return true;
}

int GrayMatch::Match(const cv::Mat& image, cv::Mat& result) const {
    if (m_w < 1) {  // no model: the caller's map stays as it is, zeroed
        if (!result.empty()) result.setTo(0);
        return -1;
    }
    result.create(m_h, m_w, CV_8U);
    if (!m_valid || !isSample(image, m_w, m_h)) {
        result.setTo(0);
        return -1;
    }
    int count = 0;
    for (int y = 0; y < m_h; ++y) {
        const uchar* in = image.ptr<uchar>(y);
        const uchar* lo = m_lower.ptr<uchar>(y);
        const uchar* hi = m_upper.ptr<uchar>(y);
        const uchar* mk = m_mask.ptr<uchar>(y);
        uchar* out = result.ptr<uchar>(y);
        const int w = m_w;
        int n = 0;
        for (int x = 0; x < w; ++x) {  // without branches or conditional loads, so that it vectorises
            const uchar outside = static_cast<uchar>(-int((in[x] < lo[x]) | (in[x] > hi[x])));
            const uchar d = static_cast<uchar>(outside & mk[x]);
            out[x] = d;
            n += d & 1;
        }
        count += n;
    }
    return count;
}
