#include "cammerrecong.h"

#include <QDebug>
#include <algorithm>
#include <cstring>
#include <opencv2/imgproc.hpp>

#include "app/globals.h"
#include "app/imageglobals.h"
#include "app/mainwindowbase.h"
#include "app/wizardpara.h"
#include "miscfunc.h"
#include "recongutil.h"

namespace recong {
const WizardPara& para() {
    static const WizardPara factory;
    return gpWPara ? *gpWPara : factory;
}

void colourToWorking(const cv::Mat& colour, cv::Mat& out) {
    out.create(colour.rows, colour.cols, CV_8UC1);
    cv::Mat src = colour.isContinuous() ? colour : colour.clone();
    int* in = reinterpret_cast<int*>(src.data);
    if (gisGrayHue)
        RGBA2Gray(out.data, in, colour.cols, colour.rows);
    else
        RGBA2Hue(out.data, in, colour.cols, colour.rows);
}

cv::Mat ellipse(int k) {
    k = std::max(k, 1);
    static cv::Mat kept[64];  // GUI thread only
    if (k >= 64) return cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(k, k));
    if (kept[k].empty()) kept[k] = cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(k, k));
    return kept[k];
}
}  // namespace recong

using recong::para;

void ThresholdFUNC(const cv::Mat& image, cv::Mat& out, int lo, int hi) {
    // Equal to the AND of threshold(~image, 255 - lo, INV) and threshold(image, hi, INV), in one pass.
    cv::inRange(image, cv::Scalar(lo), cv::Scalar(hi), out);
}

bool clipRegionBox(const QRect& r, const cv::Mat& mask, cv::Size size, cv::Rect* box, cv::Mat* maskPart) {
    const cv::Rect full(r.left(), r.top(), r.right() - r.left() + 1, r.bottom() - r.top() + 1);
    if (full.width < 1 || full.height < 1) return false;
    cv::Rect clip = full & cv::Rect(0, 0, size.width, size.height);
    if (!mask.empty()) clip &= cv::Rect(full.x, full.y, mask.cols, mask.rows);
    if (clip.width < 1 || clip.height < 1) return false;
    *box = clip;
    if (maskPart) *maskPart = mask.empty() ? cv::Mat() : mask(clip - full.tl());
    return true;
}

CammerRecong::CammerRecong(CammerSingleton* s, CammerViewData* v) : store(s), view(v) {
    regionBoxes.reserve(kRoiCount);
    alignParts.reserve(size_t(2 * kRoiCount * kRoiCount));
    rawImage = view->rawImage();
    alignedImage = view->alignedImage();
    for (int d = 0; d < kStepCount; ++d) {
        if (!para().step_enable[d]) continue;
        CreateShape(d);
        VarTrain(d);
    }
}

cv::Mat CammerRecong::regionWork(int i, cv::Size size) {
    std::vector<uchar>& buf = regionBuffers[i];
    const size_t n = size_t(std::max(size.area(), 0));
    if (buf.size() < n) buf.resize(n);
    return n ? cv::Mat(size, CV_8UC1, buf.data()) : cv::Mat();
}

cv::Mat CammerRecong::workingImage(const cv::Mat& image) {
    if (image.type() == CV_8UC1) return image;
    cv::Mat out = view->convImage();
    if (out.empty() || out.size() != image.size()) return cv::Mat();
    recong::colourToWorking(image, out);
    return out;
}

void CammerRecong::CreateShape(int d) {
    const WizardPara& p = para();
    if (d < 0 || d >= kStepCount || p.enable_correct == -1 || gisColor) return;
    const cv::Size imageSize(gImageW, gImageH);
    if (view->templates[d].empty()) return;
    const cv::Mat& master = view->templates[d][0];
    if (master.type() != CV_8UC1 || master.size() != imageSize) {
        qWarning() << "positioning: no 8-bit master template for step" << d;
        return;
    }
    cv::Rect box;
    cv::Mat mask;
    int speed = 5;
    bool found = false;
    for (int r = 0; r < std::min<int>(store->count[d], kRoiCount); ++r) {
        if (store->func[d][r] != kFuncPosition) continue;
        cv::Mat part;
        if (!view->savedMasks[d][r].empty() &&
            clipRegionBox(store->imageRect(d, r), view->savedMasks[d][r], imageSize, &box, &part)) {
            mask = part.clone();
            speed = store->para1[d][r];
            found = true;
        }
        break;  // only the first position region counts
    }
    if (!found) {
        box = cv::Rect(gImageW / 4, gImageH / 4, 3 * gImageW / 4, 3 * gImageH / 4) &
              cv::Rect(0, 0, gImageW, gImageH);
        mask = cv::Mat(box.size(), CV_8UC1, cv::Scalar(255));
        speed = 5;
    }
    modelCx[d] = box.x + box.width / 2;
    modelCy[d] = box.y + box.height / 2;
    const int range = (p.match_angle >= 1 && p.match_angle <= 180) ? p.match_angle : p.enable_correct;
    shapeModels[d].CreateShape(master(box), 0.0, 0, range, modelCx[d], modelCy[d], false, 255, mask.clone(),
                               speed, 0);
    const int m = p.location_adge;
    searchRect[d] = cv::Rect(box.x - m, box.y - m, box.width + 2 * m, box.height + 2 * m) &
                    cv::Rect(0, 0, gImageW, gImageH);
    if (searchRect[d].empty()) {
        searchRect[d] = cv::Rect();
        return;
    }
    // Here, not on the first positioned frame, the search buffers are sized for this search.
    shapeModels[d].Prepare(searchRect[d].width, searchRect[d].height);
}

void CammerRecong::ShapeMatch() {
    const WizardPara& p = para();
    const int d = std::clamp(gpWin ? gpWin->DetectStep : 0, 0, kStepCount - 1);
    const size_t len =
        std::min({size_t(std::max(gColorLen, 0)), view->rawBuffer.size(), view->alignedBuffer.size()});
    if (p.enable_correct != -1 && shapeModels[d].IsValid() && !gisColor && !searchRect[d].empty() &&
        rawImage.type() == CV_8UC1 && !alignedImage.empty()) {
        // The search rectangle is read in place: the matcher never writes its image.
        cv::Mat search = rawImage(searchRect[d]);
        int x = 0, y = 0;
        double a = 0, angle = 0;
        if (shapeModels[d].Find(search, 0, &x, &y, &a, &angle)) {
            const int dx = x - searchRect[d].x, dy = y - searchRect[d].y;
            alignRegions(d, p.match_angle >= 1 && p.match_angle <= 180, cv::Point(dx, dy),
                         cv::Point(modelCx[d], modelCy[d]), angle);
            return;
        }
    }
    view->alignment.pending = false;
    if (len > 0) std::memcpy(view->alignedBuffer.data(), view->rawBuffer.data(), len);
}

namespace {
// The union of `boxes` as disjoint rectangles: the box edges cut it into horizontal bands; in each
// band the boxes that cross it give column intervals, merged where they overlap or touch. No memory
// is taken (out is reserved for the most a step's regions can give).
void disjointParts(const std::vector<cv::Rect>& boxes, std::vector<cv::Rect>& out) {
    out.clear();
    int ys[2 * kRoiCount];
    std::pair<int, int> cols[kRoiCount];
    const int n = std::min<int>(int(boxes.size()), kRoiCount);
    for (int i = 0; i < n; ++i) {
        ys[2 * i] = boxes[size_t(i)].y;
        ys[2 * i + 1] = boxes[size_t(i)].y + boxes[size_t(i)].height;
    }
    std::sort(ys, ys + 2 * n);
    const int edges = int(std::unique(ys, ys + 2 * n) - ys);
    for (int e = 0; e + 1 < edges; ++e) {
        const int y0 = ys[e], y1 = ys[e + 1];
        int k = 0;
        for (int i = 0; i < n; ++i) {
            const cv::Rect& b = boxes[size_t(i)];
            if (b.y <= y0 && b.y + b.height >= y1) cols[k++] = {b.x, b.x + b.width};
        }
        std::sort(cols, cols + k);
        for (int i = 0; i < k;) {
            const int from = cols[i].first;
            int to = cols[i].second;
            for (++i; i < k && cols[i].first <= to; ++i) to = std::max(to, cols[i].second);
            out.emplace_back(from, y0, to - from, y1 - y0);
        }
    }
}
}  // namespace

void CammerRecong::alignRegions(int d, bool rotate, cv::Point shift, cv::Point centre, double angle) {
    const cv::Size imageSize(gImageW, gImageH);
    regionBoxes.clear();
    const int count = std::clamp(int(store->count[d]), 0, kRoiCount);
    for (int r = 0; r < count; ++r) {
        const int f = store->func[d][r];
        cv::Rect box;
        if (f == kFuncIgnore || f == kFuncPosition || view->savedMasks[d][r].empty() ||
            !clipRegionBox(store->imageRect(d, r), view->savedMasks[d][r], imageSize, &box, nullptr))
            continue;
        regionBoxes.push_back(box);
    }
    disjointParts(regionBoxes, alignParts);
    for (const cv::Rect& part : alignParts) {
        if (rotate)
            TransformImagePart(rawImage, alignedImage, shift, centre, angle, part);
        else
            MoveImagePart(rawImage, alignedImage, shift.x, shift.y, part);
    }
    // The rest waits for completeAlignment(), from the frame as it is now.
    const size_t len = size_t(std::max(gImageLen, 0));
    if (view->judgedBuffer.size() < len) sizeZeroed(view->judgedBuffer, len);
    std::memcpy(view->judgedBuffer.data(), rawImage.data, len);
    view->alignment = {true, d, rotate, shift, centre, angle};
}

void CammerRecong::VarTrain(int d) {
    if (d < 0 || d >= kStepCount) return;
    const WizardPara& p = para();
    for (int r = 0; r < kRoiCount; ++r) {
        if (grayModels[d][r].IsValid()) grayModels[d][r].Clear();
        if (surfModels[d][r].IsValid()) surfModels[d][r].Clear();
    }
    const cv::Size imageSize(gImageW, gImageH);
    const cv::Mat& ignore = view->ignoreImages[d];
    if (ignore.type() == CV_8UC1 && ignore.size() == imageSize)
        detMask[d] = ignore.clone();
    else
        detMask[d] = cv::Mat::zeros(imageSize, CV_8UC1);
    const int count = std::clamp(int(store->count[d]), 0, kRoiCount);
    // Ignore areas add to the operator's ignore points; they never clear one.
    for (int r = 0; r < count; ++r) {
        if (store->func[d][r] != kFuncIgnore || view->savedMasks[d][r].empty()) continue;
        cv::Rect box;
        cv::Mat part;
        if (!clipRegionBox(store->imageRect(d, r), view->savedMasks[d][r], imageSize, &box, &part)) continue;
        detMask[d](box).setTo(255, part);
    }
    cv::bitwise_not(detMask[d], detMask[d]);

    // The evaluation's work images are sized here for the step's largest region.
    size_t largest = 0;
    for (int r = 0; r < count; ++r) {
        cv::Rect box;
        if (clipRegionBox(store->imageRect(d, r), view->savedMasks[d][r], imageSize, &box, nullptr))
            largest = std::max(largest, size_t(box.area()));
    }
    for (std::vector<uchar>& buf : regionBuffers)
        if (buf.size() < largest) buf.resize(largest);

    // Colour templates are converted once for all regions.
    std::vector<cv::Mat> samples(view->templates[d].size());
    auto sample = [&](int k) -> const cv::Mat& {
        cv::Mat& s = samples[size_t(k)];
        if (s.empty()) {
            const cv::Mat& t = view->templates[d][size_t(k)];
            if (t.type() == CV_8UC4)
                recong::colourToWorking(t, s);
            else
                s = t;
        }
        return s;
    };
    const int slotCount = std::min<int>(gTempNum, int(view->templates[d].size()));
    for (int r = 0; r < count; ++r) {
        const int f = store->func[d][r];
        if (f != kFuncDefect && f != kFuncSimilarity) continue;
        cv::Rect box;
        cv::Mat part;
        if (view->savedMasks[d][r].empty() ||
            !clipRegionBox(store->imageRect(d, r), view->savedMasks[d][r], imageSize, &box, &part))
            continue;
        cv::Mat modelMask;
        cv::bitwise_and(detMask[d](box), part, modelMask);
        if (f == kFuncSimilarity)
            surfModels[d][r].Create(box.width, box.height, modelMask);
        else
            grayModels[d][r].Create(box.width, box.height, modelMask, 0);
        int added = 0;
        for (int k = 0; k < slotCount && added < view->templateCount[d]; ++k) {
            if (size_t(k) >= view->templateLoaded[d].size() || !view->templateLoaded[d][size_t(k)]) continue;
            const cv::Mat& t = sample(k);
            if (t.size() != imageSize) continue;
            if (f == kFuncSimilarity)
                surfModels[d][r].AddTemp(t(box).clone(), 1, 50, store->sens[d][r]);
            else
                grayModels[d][r].AddTemp(t(box));
            ++added;
        }
        if (f == kFuncSimilarity)
            surfModels[d][r].Train(0, 0, 0, 0);
        else
            grayModels[d][r].Train(store->sens[d][r], p.difference_multiplier, 100, 150);
    }
}
