#pragma once
// Shape-based positioning model of one detection step: finds the learnt part in a search image,
// shifted and (when asked) rotated, from the orientation of its grey-level edges.
//
// Method: the model keeps, for each level of an image pyramid, a scattered set of edge points of
// the model crop (inside the mask) with their gradient direction, relative to the model centre.
// Find searches the top pyramid level exhaustively over every position and every angle step of
// the range, scoring quantised edge orientations, keeps the best distinct candidates, follows
// them down the pyramid with the exact gradient directions, and refines the winner on the full
// resolution to a fraction of a pixel and of a degree. The exhaustive angle search is shared among
// OpenCV's worker threads (cv::setNumThreads); the result does not depend on their number.
//
// Score: the mean, over the model's edge points, of cos(angle between the model direction and the
// image gradient direction at the transformed point); points that land on weak gradients or
// outside the image count 0. 1 is a perfect match; edge polarity counts (a reversed contrast
// scores negative). The score is insensitive to gain and offset changes of the image and degrades
// gracefully with occlusion (an occluded fraction f lowers it by about f). A part is found when
// the score reaches MinScore() (0.5).
//
// Calls (one thread; single-channel 8-bit images):
//
//   CreateShape(model, 0.0, 0, range, cx, cy, false, 255, mask, speed, 0)
//     model   the model crop (the positioning box cut from the master template), w x h.
//     range   rotation range in degrees: 1..180 searches rotations in [-range, +range]
//             (180: the whole turn); any other value searches translation only.
//     cx, cy  the model centre in the master template's image pixels, i.e. box.x + w/2 and
//             box.y + h/2 (integer division). The model centre inside the crop is (w/2, h/2).
//     mask    w x h, non-zero where the crop belongs to the part; empty: the whole crop.
//     speed   1..10 (clamped; the editor's default 10): fewer coarse candidates are followed as
//             speed grows (4 at 10, 22 at 1). Lower speeds are more robust in cluttered scenes.
//     The other arguments are accepted and ignored.
//     Returns false, leaving the model empty (not valid), when the crop is empty or not 8-bit
//     single-channel, or has too few edges to be positioned (fewer than 16 edge points: a blank,
//     nearly blank or tiny crop).
//
//   Find(search, 0, &x, &y, &a, &angle)
//     search  the search image: the search rectangle cut from the live image. Any size; the part
//             may reach partly beyond its edges.
//     Returns true when the part was found. Then, with (fx, fy) the position of the model centre
//     found in the search image's coordinates (rounded to whole pixels) and phi the part's rotation
//     relative to the model in degrees, counter-clockwise positive (the sense of
//     cv::getRotationMatrix2D on the image):
//         *x = cx - fx,   *y = cy - fy,   *angle = -phi (the correction), 0 without a range,
//         *a = the match score on 0..100.
//     The caller aligns the live image with dx = *x - search.x, dy = *y - search.y (moves the image
//     by (dx, dy), which brings the found centre onto (cx, cy)) and then rotates it by *angle about
//     (cx, cy). On false, *x and *y are left as they were, *a and *angle become 0.
//     Any null output pointer is skipped.
//
// Objects are cheap to copy; copies share the (immutable) learnt model.
#include <opencv2/core.hpp>
#include <memory>

struct ShapeModelData;

class FindShape {
public:
    FindShape() = default;

    bool IsValid() const { return m_model != nullptr; }
    void Clear() { m_model.reset(); }

    bool CreateShape(const cv::Mat& image, double, int, int range, int cx, int cy, bool, int, cv::Mat mask,
                     int speed, int);
    bool Find(const cv::Mat& image, int, int* x, int* y, double* a, double* angle) const;

    // Readies the calling thread for searches of w x h images with this model: sizes and touches
    // the search buffers, builds the lookup tables and starts OpenCV's worker threads, all of
    // which the first search would otherwise do (most of a second on a 5-megapixel image). Call
    // it on the searching thread after CreateShape when the search size is known. No effect on
    // any result.
    void Prepare(int w, int h) const;

    // Same search with the result in the search image's coordinates (for tests and tools):
    // centre of the found model and rotation phi of the part (degrees, counter-clockwise positive),
    // score 0..1. Returns false when not found.
    struct Result {
        double x = 0, y = 0;
        double rotation = 0;
        double score = 0;
    };
    bool Locate(const cv::Mat& image, Result* out) const;

    static double MinScore() { return 0.5; }
    int CentreX() const;
    int CentreY() const;
    int Range() const;
    int Levels() const;

private:
    std::shared_ptr<const ShapeModelData> m_model;
};
