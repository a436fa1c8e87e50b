#pragma once
// Grey-level deviation model of one defect region.
//
// The model learns, pixel by pixel, the range of grey levels that good parts show inside the
// region, and marks the pixels of a live crop that leave that range.
//
// Life of a model (all calls on one thread; images are single-channel 8-bit):
//   Create(w, h, mask, 0)  starts an empty model for a w x h region. mask is w x h, 8-bit, non-zero
//                          where the pixel counts. An empty mask means every pixel counts. Create
//                          on a model that already holds samples starts it over.
//   AddTemp(crop)          adds one good w x h sample (a template crop of the region).
//   Train(sens, mult, 100, 150)
//                          builds the model from the samples added so far; the model is valid from
//                          here on (it needs at least one sample).
//   Match(crop, result)    compares a live w x h crop with the model.
//   Clear()                empties the model (invalid again, samples and mask dropped).
//
// What is learnt, per pixel p:
//   m(p)          the mean grey level of p over the samples.
//   lo(p), hi(p)  the smallest and largest of m over the 3x3 neighbourhood of p, over 5x5 where m
//                 has an edge (3x3 Sobel gradient, |gx| + |gy| >= edgeLow). The neighbourhood
//                 absorbs the residue of one or two pixels that positioning leaves on the outline
//                 of the part.
//   s(p)          the standard deviation of the samples around p (0 with one sample), pooled over
//                 the 3x3 neighbourhood of p.
//   T(p)          = sens + mult * s(p), the grey tolerance.
// A pixel p deviates when mask(p) != 0 and  I(p) > hi(p) + T(p)  or  I(p) < lo(p) - T(p).
//
// Parameters of Train:
//   sens  0..255: grey tolerance in grey levels added on both sides of the learnt range. A larger
//         value makes the region less sensitive; 0 marks every pixel outside the learnt range.
//         Values outside 0..255 are clamped.
//   mult  0..4: difference multiplier: how many standard deviations of the sample-to-sample
//         variation widen the tolerance; 0 uses the grey tolerance alone. Clamped to 0..8.
//   edgeLow, edgeHigh: edge threshold of the mean sample (the callers pass 100 and 150: edgeLow is
//         the threshold, limited to 1..edgeHigh); edgeHigh <= 0 switches the wider edge
//         neighbourhood off.
//
// Match output: result becomes a w x h 8-bit image, 255 exactly at the deviating pixels and 0
// everywhere else, in particular 0 outside the mask (callers measure the map without masking it
// again). The return value is the number of deviating pixels, or -1 when the model is not valid or
// the crop is not a w x h 8-bit single-channel image; then result is all 0 (without a created model
// result keeps its size and is zeroed). A result of the right size and type is written in place.
#include <opencv2/core.hpp>

class GrayMatch {
public:
    GrayMatch() = default;

    bool IsValid() const { return m_valid; }
    void Clear();

    // false (and an empty model) when w or h is below 1 or mask is neither empty nor w x h 8-bit.
    bool Create(int w, int h, const cv::Mat& mask, int mode = 0);
    // false when no model was created or the sample is not w x h single-channel 8-bit.
    bool AddTemp(const cv::Mat& sample);
    // false when no sample was added; the model then stays invalid.
    bool Train(int sensitivity, int multiplier, int edgeLow = 100, int edgeHigh = 150);
    int Match(const cv::Mat& image, cv::Mat& result) const;

    int Width() const { return m_w; }
    int Height() const { return m_h; }
    int SampleCount() const { return m_count; }
    // The learnt acceptance band (valid models only): a pixel inside the mask passes when
    // lower(p) <= I(p) <= upper(p). Meant for tests and diagnostics.
    const cv::Mat& Lower() const { return m_lower; }
    const cv::Mat& Upper() const { return m_upper; }

private:
    bool m_valid = false;
    int m_w = 0;
    int m_h = 0;
    int m_mode = 0;
    int m_count = 0;
    cv::Mat m_mask;          // 8U, 0 or 255
    cv::Mat m_sum, m_sumSq;  // 32S accumulators
    cv::Mat m_lower, m_upper;
};
