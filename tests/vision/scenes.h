#pragma once
// Synthetic scenes for the matching models: a moulded part over a mould background, posed,
// lit, blurred, noised and occluded on demand. Deterministic for a given seed.
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <vector>

namespace scenes {

struct Pose {
    double tx = 0, ty = 0;  // shift of the part centre, pixels
    double phi = 0;         // rotation, degrees, counter-clockwise positive (cv::getRotationMatrix2D)
};

struct Look {
    double gain = 1.0, offset = 0.0;
    double blur = 0.0;   // Gaussian sigma, 0: none
    double noise = 0.0;  // Gaussian noise sigma
    cv::Rect occluder;   // filled with occluderGrey, in scene pixels
    int occluderGrey = 40;
    unsigned seed = 1;
};

// Smooth mould background with a faint ramp.
inline cv::Mat background(cv::Size size) {
    cv::Mat bg(size, CV_8U);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            bg.at<uchar>(y, x) =
                cv::saturate_cast<uchar>(70 + 25.0 * x / size.width + 10.0 * y / size.height);
    return bg;
}

// The part drawn around centre c with scale s (about 2s x 1.4s pixels): grey layer and coverage.
inline void drawPart(cv::Size size, cv::Point2d c, double s, cv::Mat& part, cv::Mat& alpha) {
    part = cv::Mat::zeros(size, CV_8U);
    alpha = cv::Mat::zeros(size, CV_8U);
    auto P = [&](double x, double y) { return cv::Point(cvRound(c.x + x * s), cvRound(c.y + y * s)); };
    const std::vector<cv::Point> body{P(-1.0, -0.6), P(0.55, -0.7), P(1.0, -0.15),
                                      P(0.8, 0.65),  P(-0.2, 0.7),  P(-0.9, 0.35)};
    const std::vector<std::vector<cv::Point>> polys{body};
    cv::fillPoly(part, polys, cv::Scalar(175), cv::LINE_AA);
    cv::fillPoly(alpha, polys, cv::Scalar(255), cv::LINE_AA);
    cv::circle(part, P(-0.45, -0.1), cvRound(0.22 * s), cv::Scalar(60), cv::FILLED, cv::LINE_AA);
    cv::rectangle(part, P(0.25, -0.45), P(0.7, -0.25), cv::Scalar(225), cv::FILLED, cv::LINE_AA);
    cv::line(part, P(0.1, 0.15), P(0.65, 0.45), cv::Scalar(95), std::max(1, cvRound(0.05 * s)), cv::LINE_AA);
    cv::line(part, P(-0.7, 0.3), P(-0.1, 0.5), cv::Scalar(120), std::max(1, cvRound(0.04 * s)), cv::LINE_AA);
    const std::vector<std::vector<cv::Point>> tri{{P(0.05, -0.5), P(0.2, -0.1), P(-0.1, -0.2)}};
    cv::fillPoly(part, tri, cv::Scalar(240), cv::LINE_AA);
}

// A different object for the foreign-scene cases: rings and bars of another layout.
inline cv::Mat foreign(cv::Size size, unsigned seed) {
    cv::Mat img = background(size);
    cv::RNG rng(seed);
    for (int i = 0; i < 12; ++i) {
        const cv::Point p(rng.uniform(0, size.width), rng.uniform(0, size.height));
        if (i % 2)
            cv::circle(img, p, rng.uniform(5, 30), cv::Scalar(rng.uniform(120, 230)), rng.uniform(2, 6));
        else
            cv::rectangle(img, p, p + cv::Point(rng.uniform(4, 12), rng.uniform(20, 60)),
                          cv::Scalar(rng.uniform(0, 60)), cv::FILLED);
    }
    return img;
}

// A fixed feature of the mould (a bright insert) that stays put when the part moves.
inline void addMouldFeature(cv::Mat& img, cv::Rect where) {
    cv::rectangle(img, where, cv::Scalar(210), cv::FILLED);
    cv::rectangle(img, where, cv::Scalar(30), 2);
}

inline void applyLook(cv::Mat& img, const Look& look) {
    if (look.occluder.area() > 0)
        cv::rectangle(img, look.occluder, cv::Scalar(look.occluderGrey), cv::FILLED);
    if (look.blur > 0) cv::GaussianBlur(img, img, cv::Size(), look.blur);
    cv::Mat f;
    img.convertTo(f, CV_32F, look.gain, look.offset);
    if (look.noise > 0) {
        cv::Mat n(img.size(), CV_32F);
        cv::RNG rng(look.seed);
        rng.fill(n, cv::RNG::NORMAL, 0.0, look.noise);
        f += n;
    }
    f.convertTo(img, CV_8U);
}

// The scene: background with the part at centre c moved by pose, then the look applied.
inline cv::Mat scene(cv::Size size, cv::Point2d c, double s, const Pose& pose, const Look& look = Look(),
                     const cv::Mat& ground = cv::Mat()) {
    cv::Mat part, alpha;
    drawPart(size, c, s, part, alpha);
    cv::Mat m = cv::getRotationMatrix2D(c, pose.phi, 1.0);
    m.at<double>(0, 2) += pose.tx;
    m.at<double>(1, 2) += pose.ty;
    cv::Mat wp, wa;
    cv::warpAffine(part, wp, m, size, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
    cv::warpAffine(alpha, wa, m, size, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
    cv::Mat bg = ground.empty() ? background(size) : ground, out(size, CV_8U);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) {
            const double a = wa.at<uchar>(y, x) / 255.0;
            out.at<uchar>(y, x) =
                cv::saturate_cast<uchar>(bg.at<uchar>(y, x) * (1 - a) + wp.at<uchar>(y, x) * a);
        }
    applyLook(out, look);
    return out;
}

// Textured grey patch for the region models: smooth shading with a few features.
inline cv::Mat patch(cv::Size size, unsigned seed) {
    cv::Mat img = background(size);
    cv::RNG rng(seed);
    for (int i = 0; i < 6; ++i) {
        const cv::Point p(rng.uniform(0, size.width), rng.uniform(0, size.height));
        cv::circle(img, p, rng.uniform(3, std::max(4, size.width / 5)), cv::Scalar(rng.uniform(30, 230)),
                   cv::FILLED, cv::LINE_AA);
    }
    return img;
}

}  // namespace scenes
