#pragma once
// Similarity model of one region: how much a live crop looks like the region's good samples.
//
// Life of a model (one thread; single-channel 8-bit images):
//   Create(w, h, mask)            starts an empty model for a w x h region; mask w x h, non-zero
//                                 where pixels count (empty: every pixel counts).
//   AddTemp(sample, 1, 50, sens)  adds one good w x h sample. The third argument is the grey
//                                 difference above which a pixel is marked in the map of Match
//                                 (1..255, default 50); the second and the fourth (the region's
//                                 minimum score) are kept but do not change the score.
//   Train(0, 0, 0, 0)             prepares the samples; valid from here on (needs one sample).
//   Match(crop, result)           scores a live crop.
//
// Score (return value of Match), 0..100:
//   For each sample t and the crop i, both smoothed with a 5x5 Gaussian (sigma 1) so that camera
//   noise does not count as structure, over the pixels of the mask, with the means mu, variances
//   var and covariance cov of the two:
//       L  = (2 mu_i mu_t + C1) / (mu_i^2 + mu_t^2 + C1)          brightness agreement
//       CS = (2 cov + C2) / (var_i + var_t + C2)                   contrast and structure agreement
//       score = 100 * max(0, L * CS),    C1 = 160, C2 = 200 (grey levels squared)
//   This is a structural-similarity measure taken over the whole region. Regions of 16 x 16 pixels
//   and more are compared on their inner part shifted by up to 2 pixels in x and y (positioning
//   residue); the best sample and shift count.
//   - A crop identical to a sample scores exactly 100.
//   - A mild lighting change (mean brightness within about +-20 % and contrast x0.8 .. x1.2) keeps
//     the score of a good crop above 90.
//   - A different pattern, a blank crop in place of a textured one, or a textured crop in place of
//     a flat one scores low (typically below 40). Small changes lower the score in proportion to
//     their share of the region's contrast energy; small defects are the grey model's task.
//   Untrained model or a crop of the wrong size or type: 0.
//
// Map: result becomes a w x h 8-bit image, 255 where, inside the mask, the crop differs from the
// best sample (at the best shift, after removing the mean brightness difference) by more than the
// difference threshold, 0 elsewhere.
#include <opencv2/core.hpp>
#include <vector>

class SURF {
public:
    SURF() = default;

    bool IsValid() const { return m_valid; }
    void Clear();

    bool Create(int w, int h, const cv::Mat& mask);
    bool AddTemp(const cv::Mat& sample, int mode = 1, int diffThreshold = 50, int minScore = 0);
    bool Train(int = 0, int = 0, int = 0, int = 0);
    float Match(const cv::Mat& image, cv::Mat& result) const;
    // Score only, no map.
    float Score(const cv::Mat& image) const;

    int Width() const { return m_w; }
    int Height() const { return m_h; }
    int SampleCount() const { return static_cast<int>(m_samples.size()); }

private:
    struct Sample {
        cv::Mat img;     // w x h 8U
        cv::Mat smooth;  // the same smoothed
        // statistics of the inner part (border m_border) under the mask
        double sum = 0, sumSq = 0;
    };

    float score(const cv::Mat& image, int* bestSample, cv::Point* bestShift) const;

    bool m_valid = false;
    int m_w = 0;
    int m_h = 0;
    int m_border = 0;
    int m_diffThreshold = 50;
    int m_minScore = 0;
    cv::Mat m_mask;      // 8U 0/1
    double m_count = 0;  // pixels of the inner mask
    std::vector<Sample> m_samples;
};
