#include "graymatch.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace {
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
    m_sum = cv::Mat::zeros(h, w, CV_64F);
    m_sumSq = cv::Mat::zeros(h, w, CV_64F);
    return true;
}

bool GrayMatch::AddTemp(const cv::Mat& sample) {
    if (m_w < 1 || !isSample(sample, m_w, m_h)) return false;
    cv::accumulate(sample, m_sum);
    cv::accumulateSquare(sample, m_sumSq);
    ++m_count;
    return true;
}

bool GrayMatch::Train(int sensitivity, int multiplier, int edgeLow, int edgeHigh) {
    m_valid = false;
    if (m_count < 1) return false;
    const double sens = std::clamp(sensitivity, 0, 255);
    const double mult = std::clamp(multiplier, 0, 8);

    // Per-pixel standard deviation of the samples.
    cv::Mat mean = m_sum / m_count;
    cv::Mat var = m_sumSq / m_count - mean.mul(mean);
    cv::max(var, 0.0, var);

    // Spatial tolerance: the mean sample's range over the 3x3 neighbourhood, over 5x5 on its edges.
    cv::Mat mean8;
    mean.convertTo(mean8, CV_8U);
    cv::Mat lo, hi;
    const cv::Mat k3 = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3));
    cv::erode(mean8, lo, k3, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
    cv::dilate(mean8, hi, k3, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
    // The spread pooled over the 3x3 neighbourhood: a steadier estimate from few samples.
    cv::Mat pooled, sdWide;
    cv::blur(var, pooled, cv::Size(3, 3), cv::Point(-1, -1), cv::BORDER_REPLICATE);
    cv::sqrt(pooled, sdWide);
    if (edgeHigh > 0 && m_w >= 3 && m_h >= 3) {
        cv::Mat edges;
        cv::Canny(mean8, edges, std::max(0, edgeLow), edgeHigh);
        cv::dilate(edges, edges, k3);
        cv::Mat lo5, hi5;
        const cv::Mat k5 = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(5, 5));
        cv::erode(mean8, lo5, k5, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
        cv::dilate(mean8, hi5, k5, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
        lo5.copyTo(lo, edges);
        hi5.copyTo(hi, edges);
    }

    // Tolerance band; saturating conversion keeps it inside 0..255.
    cv::Mat tol = sens + mult * sdWide;
    cv::Mat lo64, hi64;
    lo.convertTo(lo64, CV_64F);
    hi.convertTo(hi64, CV_64F);
    cv::Mat lower64 = lo64 - tol;
    cv::Mat upper64 = hi64 + tol;
    // Integer band: ceil(lo - T) .. floor(hi + T); a pixel exactly at lo - T or hi + T passes.
    lower64.convertTo(m_lower, CV_8U, 1.0, 0.4999);
    upper64.convertTo(m_upper, CV_8U, 1.0, -0.4999);
    m_valid = true;
    return true;
}

int GrayMatch::Match(const cv::Mat& image, cv::Mat& result) const {
    if (m_w < 1) {
        result.release();
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
        int n = 0;
        for (int x = 0; x < m_w; ++x) {
            const uchar d = static_cast<uchar>(((in[x] < lo[x]) | (in[x] > hi[x])) ? mk[x] : 0);
            out[x] = d;
            n += d & 1;
        }
        count += n;
    }
    return count;
}
