#include "areagen.h"

#include <algorithm>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "app/imageglobals.h"
#include "app/wizardpara.h"
#include "cammerviewdata.h"
#include "recongutil.h"

namespace {
constexpr int kDefaultSens = 25;

cv::Mat masterTemplate(const CammerViewData& view, int step) {
    if (view.templates[step].empty()) return cv::Mat();
    const cv::Mat& t = view.templates[step][0];
    if (t.type() == CV_8UC1) return t;
    if (t.type() != CV_8UC4) return cv::Mat();
    cv::Mat out;
    recong::colourToWorking(t, out);
    return out;
}

cv::Mat element(int shape, int k) {
    return cv::getStructuringElement(shape, cv::Size(k, k));
}
}  // namespace

bool AutogenerationRegion(CammerViewData* view, int step, int* drawingTool) {
    if (!view || !view->workingStore || step < 0 || step >= kStepCount) return false;
    const cv::Mat a = masterTemplate(*view, 0), b = masterTemplate(*view, 1);
    if (a.empty() || b.empty() || a.size() != b.size()) return false;

    // diff keeps the differences truncated at 50; it is also what the sensitivity is measured on.
    cv::Mat diff;
    cv::absdiff(a, b, diff);
    cv::threshold(diff, diff, 50, 255, cv::THRESH_TRUNC);
    cv::Mat m;
    cv::morphologyEx(diff, m, cv::MORPH_OPEN, element(cv::MORPH_RECT, 3));
    cv::morphologyEx(m, m, cv::MORPH_CLOSE, element(cv::MORPH_ELLIPSE, 30));
    cv::morphologyEx(m, m, cv::MORPH_OPEN, element(cv::MORPH_ELLIPSE, 30));
    cv::dilate(m, m, element(cv::MORPH_ELLIPSE, 50));
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(m, contours, cv::RETR_TREE, cv::CHAIN_APPROX_SIMPLE);
    if (contours.empty()) return false;

    std::vector<cv::Point> all, hull, approx;
    for (const auto& c : contours) all.insert(all.end(), c.begin(), c.end());
    cv::convexHull(all, hull, false, true);
    cv::approxPolyDP(hull, approx, 10.0, true);
    const int n = std::min<int>(int(approx.size()), kMaxPolygonPoints);
    if (n < 1) return false;

    CammerSingleton& s = *view->workingStore;
    const WizardPara& p = recong::para();
    RePolygon& poly = s.polygon[step][0];
    poly = RePolygon();
    poly.count = n;
    for (int i = 0; i < n; ++i) {
        int x = int(std::lround(approx[size_t(i)].x * gShowAW));
        int y = int(std::lround(approx[size_t(i)].y * gShowAH));
        // The same limits as a region read from the table, so the saved region loads unchanged.
        CheckInRange(&x, 1);
        CheckInRange(&y, 0);
        poly.pts[i] = QPoint(x, y);
    }
    poly.setImageRect();
    view->workingMasks[step][0] = poly.UpdateMask();
    poly.selected = true;
    s.shape[step][0] = kShapePolygon;
    s.func[step][0] = 0;
    s.para1[step][0] = p.minimum_size;
    s.area[step][0] = p.minimum_area;
    const cv::Rect br = cv::boundingRect(std::vector<cv::Point>(approx.begin(), approx.begin() + n)) &
                        cv::Rect(0, 0, diff.cols, diff.rows);
    const cv::Mat part = diff(br);
    const int64_t mean = int64_t(cv::mean(part)[0]);
    const int64_t nonZero = cv::countNonZero(part);
    s.sens[step][0] = nonZero > 0 ? int(0.2 * double(mean * br.width * br.height / nonZero)) : kDefaultSens;
    s.count[step] = 1;
    if (drawingTool) *drawingTool = 0;
    view->selectedRoi = -1;
    if (view->repaint) view->repaint();
    return true;
}
