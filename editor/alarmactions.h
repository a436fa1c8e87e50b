#pragma once
// What the alarm page does to a camera's ignore mask: the defect pixels of an alarm become ignored
// points, which the next retraining cuts out of the detection mask.
#include <opencv2/core.hpp>

#include "detect/cammerviewdata.h"

// A region whose measured value is above this cannot have its alarm points ignored.
constexpr int kMaxIgnoreValue = 2000;

// Sets to 255 in `ignore` every pixel that is non-zero in `alarm` inside one of the boxes. A box is
// (left, top, right + 1, bottom + 1): right and bottom are exclusive. Boxes are clamped to the image
// and at most kMaxRoiBoxes are read, so nothing outside either picture is read or written. Both
// pictures must be 8-bit of the same size; otherwise nothing happens. Returns the number of pixels
// newly ignored.
int ignoreBoxedAlarmPixels(const RoiBoxes& boxes, const cv::Mat& alarm, cv::Mat& ignore);
