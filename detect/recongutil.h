#pragma once
// Internal helpers shared by positioning, training and evaluation.
#include <opencv2/core.hpp>

struct WizardPara;

namespace recong {
// The live parameter record, or the factory values when none is loaded (tests of lower layers).
const WizardPara& para();
// 8-bit grey or hue picture of a 32-bit colour image (gisGrayHue: grey, else hue) into `out`.
void colourToWorking(const cv::Mat& colour, cv::Mat& out);
// An elliptic k x k element, k at least 1 (made once per size; the common sizes are kept).
cv::Mat ellipse(int k);
}  // namespace recong
