// Region evaluation: Run judges every region of a step, RunTest measures one region for the editor.
#include <QDebug>
#include <algorithm>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "app/globals.h"
#include "app/imageglobals.h"
#include "app/mainwindowbase.h"
#include "app/wizardpara.h"
#include "cammerrecong.h"
#include "detecthooks.h"
#include "recongutil.h"

using recong::para;

namespace {
using Contours = std::vector<std::vector<cv::Point>>;

// Grey limits and kernel of the threshold functions (spot, black, white, white count).
void thresholdLimits(const CammerSingleton& s, int d, int r, int* lo, int* hi) {
    switch (s.func[d][r]) {
        case kFuncSpot: {
            const int a = s.para1[d][r] & 0xFF, b = (s.para1[d][r] >> 8) & 0xFF;
            *lo = std::min(a, b);
            *hi = std::max(a, b);
            break;
        }
        case kFuncBlack:
            *lo = 0;
            *hi = s.sens[d][r] & 0xFF;
            break;
        default:  // white area, white count
            *lo = s.sens[d][r] & 0xFF;
            *hi = 255;
            break;
    }
}

// The map of a threshold function: pixels within the limits inside the region mask, closed for the
// white count. Returns the kernel of the opening that follows.
int thresholdMap(const CammerSingleton& s, int d, int r, const cv::Mat& image, const cv::Mat& regionMask,
                 cv::Mat& map) {
    int lo = 0, hi = 255;
    thresholdLimits(s, d, r, &lo, &hi);
    ThresholdFUNC(image, map, lo, hi);
    cv::bitwise_and(map, regionMask, map);
    int k = para().min_spot;
    if (s.func[d][r] == kFuncWhiteCount) {
        k = std::max(s.para1[d][r], 1);
        cv::morphologyEx(map, map, cv::MORPH_CLOSE, recong::ellipse(k));
    }
    return k;
}

// Blobs of a direction region whose area lies strictly between the two limits, and which of them
// count: those whose uncovered part of the bounding box lies on the chosen side of its middle.
struct DirectionBlob {
    std::vector<cv::Point> contour;
    cv::Rect bounds;
    bool counted;
};

std::vector<DirectionBlob> directionBlobs(const CammerSingleton& s, int d, int r, const cv::Mat& image) {
    const int lo = std::min(s.sens[d][r], s.area[d][r]);
    const int hi = std::max(s.sens[d][r], s.area[d][r]);
    const int side = s.para1[d][r];
    cv::Mat bin;
    cv::threshold(image, bin, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    Contours contours;
    cv::findContours(bin, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    std::vector<DirectionBlob> blobs;
    for (auto& c : contours) {
        const double a = cv::contourArea(c);
        if (!(lo < a && a < hi)) continue;
        const cv::Rect br = cv::boundingRect(c);
        cv::Mat uncovered = cv::Mat::zeros(br.size(), CV_8UC1);
        cv::drawContours(uncovered, Contours{c}, 0, cv::Scalar(255), cv::FILLED, cv::LINE_8, cv::noArray(),
                         INT_MAX, -br.tl());
        cv::bitwise_not(uncovered, uncovered);
        const cv::Moments m = cv::moments(uncovered);
        if (m.m00 == 0) continue;
        const int cx = int(std::lround(m.m10 / m.m00));
        const int half = br.width / 2;
        const bool counted = (side == 0 && cx > half) || (side == 1 && cx < half);
        blobs.push_back({std::move(c), br, counted});
    }
    return blobs;
}

void addBox(RoiBoxes& boxes, const cv::Rect& r, const cv::Point& origin) {
    if (boxes.count >= kMaxRoiBoxes) return;
    int32_t* b = boxes.box[boxes.count++];
    b[0] = r.x + origin.x;
    b[1] = r.y + origin.y;
    b[2] = r.x + origin.x + r.width;
    b[3] = r.y + origin.y + r.height;
}

void record(QString text) {
    if (gpWin)
        gpWin->InsertRecord(text);
    else
        qWarning().noquote() << text;
}
}  // namespace

void CammerRecong::Run(int d) {
    if (d < 0 || d >= kStepCount) return;
    const WizardPara& p = para();
    const int count = std::clamp(int(store->count[d]), 0, kRoiCount);
    view->allOk = true;
    for (int r = 0; r < count; ++r) view->roiOk[d][r] = 1;

    // Positioning aligned the region boxes of its own step only.
    if (view->alignment.pending && view->alignment.step != d) view->completeAlignment();
    const cv::Mat work = workingImage(alignedImage);
    const cv::Size imageSize(gImageW, gImageH);
    cv::Mat& alarm = view->alarmImage;
    if (alarm.size() != imageSize || alarm.type() != CV_8UC1)
        alarm = cv::Mat::zeros(imageSize, CV_8UC1);
    else if (alarm.data != view->alarmMarkedData)  // replaced since: its marks are unknown
        alarm.setTo(0);
    else if (!view->alarmMarked.empty())
        alarm(view->alarmMarked & cv::Rect(0, 0, alarm.cols, alarm.rows)).setTo(0);
    view->alarmMarked = cv::Rect();
    view->alarmMarkedData = alarm.data;
    const bool collect = gpWin && gpWin->DetectMethod != 0 && p.cnt_net_on;

    for (int r = 0; r < count; ++r) {
        const int f = store->func[d][r];
        int32_t& value = view->roiValue[d][r];
        RoiBoxes& boxes = view->roiBoxes[d][r];
        if (f == kFuncIgnore || f == kFuncPosition) {
            value = 0;
            boxes.count = 0;
            continue;
        }
        const cv::Mat& saved = view->savedMasks[d][r];
        cv::Rect box;
        cv::Mat maskPart;
        int code = 0;
        if (saved.empty())
            code = kErrNoMask;
        else if (detMask[d].empty())
            code = kErrNoDetMask;
        else if (work.empty() || !clipRegionBox(store->imageRect(d, r), saved, imageSize, &box, &maskPart))
            code = kErrNoBox;
        if (code) {
            view->allOk = false;
            value = 0;
            boxes.count = 0;
            record(QStringLiteral("REG RUN ERROR = %1, %2, %3").arg(view->slot).arg(d).arg(code));
            continue;
        }
        const cv::Mat regionImage = work(box);
        cv::Mat regionAlarm = view->alarmImage(box);
        cv::Mat map = regionWork(1, box.size());
        // Cleared only where nothing below writes every pixel of it.
        const bool mapWritten = (f == kFuncDefect && grayModels[d][r].IsValid()) || f == kFuncSpot ||
                                f == kFuncBlack || f == kFuncWhite || f == kFuncWhiteCount;
        if (!mapWritten) map.setTo(0);

        RoiRecord rec;
        rec.camera = view->slot;
        rec.detect = d;
        rec.roi = r;
        rec.func = f;
        bool ng = false;
        boxes.count = 0;
        value = 0;
        if (f == kFuncDirection) {
            cv::Mat& marked = map;
            for (const DirectionBlob& b : directionBlobs(*store, d, r, regionImage)) {
                if (!b.counted) continue;
                cv::drawContours(marked, Contours{b.contour}, 0, cv::Scalar(255), cv::FILLED);
                ++value;
                addBox(boxes, b.bounds, box.tl());  // the list keeps 99; the value counts them all
            }
            if (value > 0) {  // else nothing was marked
                cv::bitwise_or(regionAlarm, marked, regionAlarm);
                view->alarmMarked |= box;
            }
            ng = value >= 1;
            rec.minLimit = std::min(store->sens[d][r], store->area[d][r]);
            rec.maxLimit = std::max(store->sens[d][r], store->area[d][r]);
        } else {
            int k = 1;
            int score = 0;
            switch (f) {
                case kFuncDefect:
                    k = p.enable_display_detail ? store->para1[d][r] : p.minimum_size;
                    if (grayModels[d][r].IsValid()) grayModels[d][r].Match(regionImage, map);
                    break;
                case kFuncSimilarity:
                    if (surfModels[d][r].IsValid()) {
                        // The model scores a crop of its own (opened is not in use yet).
                        cv::Mat copy = regionWork(2, box.size());
                        regionImage.copyTo(copy);
                        score = int(surfModels[d][r].Match(copy, map));
                    }
                    break;
                case kFuncSpot:
                case kFuncBlack:
                case kFuncWhite:
                case kFuncWhiteCount: {
                    cv::Mat regionMask = regionWork(0, box.size());
                    cv::bitwise_and(detMask[d](box), maskPart, regionMask);
                    k = thresholdMap(*store, d, r, regionImage, regionMask, map);
                    break;
                }
                default:
                    break;
            }
            cv::Mat opened = regionWork(2, box.size());
            cv::morphologyEx(map, opened, cv::MORPH_OPEN, recong::ellipse(k));
            Contours contours;
            cv::findContours(opened, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);  // reads it only
            // Overlapping regions keep earlier marks; without a contour nothing is marked.
            if (!contours.empty()) {
                cv::bitwise_or(regionAlarm, opened, regionAlarm);
                view->alarmMarked |= box;
            }
            for (const auto& c : contours) {
                value = int32_t(value + cv::contourArea(c));
                addBox(boxes, cv::boundingRect(c), box.tl());
            }
            const int sens = store->sens[d][r], area = store->area[d][r];
            switch (f) {
                case kFuncDefect: {
                    const int limit = p.enable_display_detail ? area : p.minimum_area;
                    ng = p.template_is_ng ? value < limit : value > limit;
                    rec.maxLimit = area;
                    break;
                }
                case kFuncSpot:
                    ng = value < sens || value > area;
                    rec.minLimit = sens;
                    rec.maxLimit = area;
                    break;
                case kFuncWhiteCount:
                    value = int32_t(contours.size());
                    ng = value > area;
                    rec.maxLimit = area;
                    break;
                case kFuncSimilarity:
                    value = score;
                    ng = score < sens;
                    rec.minLimit = sens;
                    rec.maxLimit = -1;
                    break;
                default:  // black and white area
                    ng = value > area;
                    rec.maxLimit = area;
                    break;
            }
        }
        if (ng) {
            view->roiOk[d][r] = 0;
            view->allOk = false;
            rec.ok = 0;
        } else {
            rec.ok = view->allOk ? 1 : 0;
        }
        rec.value = value;
        if (collect) emitRoiRecord(rec);
    }
}

void CammerRecong::RunTest(int d, int r) {
    if (d < 0 || d >= kStepCount || r < 0 || r >= kRoiCount) return;
    CammerSingleton& s = *view->workingStore;
    const cv::Size imageSize(gImageW, gImageH);
    cv::Mat picture;
    if (gisColor) {
        picture = view->convImage();
    } else if (view->shownTemplate >= 0 && size_t(view->shownTemplate) < view->templates[d].size()) {
        picture = view->templates[d][size_t(view->shownTemplate)];
    }
    // The re-test has buffers of its own: the evaluation's results (an alarm's marks) stay.
    if (view->testImage.size() != imageSize || view->testImage.type() != CV_8UC1)
        view->testImage = cv::Mat::zeros(imageSize, CV_8UC1);
    else
        view->testImage.setTo(0);
    view->testValue[d][r] = 0;
    auto repaint = [this] {
        if (view->repaint) view->repaint();
    };

    if (r >= s.count[d]) return;
    const int f = s.func[d][r];
    if (f == kFuncDefect || f == kFuncIgnore || f == kFuncPosition || f == kFuncSimilarity) {
        repaint();
        return;
    }
    const cv::Mat& mask = view->workingMasks[d][r];
    cv::Rect box;
    cv::Mat maskPart;
    if (mask.empty() || picture.type() != CV_8UC1 || picture.size() != imageSize ||
        !clipRegionBox(s.imageRect(d, r), mask, imageSize, &box, &maskPart))
        return;
    const cv::Mat regionImage = picture(box);
    cv::Mat regionAlarm = view->testImage(box);
    cv::Mat regionMask = maskPart;
    if (detMask[d].size() == imageSize) cv::bitwise_and(detMask[d](box), maskPart, regionMask);
    cv::Mat test = cv::Mat::zeros(box.size(), CV_8UC1);
    int32_t value = 0;
    if (f == kFuncDirection) {
        for (const DirectionBlob& b : directionBlobs(s, d, r, regionImage)) {
            cv::drawContours(test, Contours{b.contour}, 0, cv::Scalar(255), cv::FILLED);
            if (!b.counted) continue;
            cv::rectangle(test, b.bounds, cv::Scalar(255), 1);
            ++value;
        }
    } else if (f == kFuncSpot || f == kFuncBlack || f == kFuncWhite || f == kFuncWhiteCount) {
        cv::Mat map;
        const int k = thresholdMap(s, d, r, regionImage, regionMask, map);
        cv::morphologyEx(map, test, cv::MORPH_OPEN, recong::ellipse(k));
        Contours contours;
        cv::findContours(test, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
        if (f == kFuncWhiteCount) {
            value = int32_t(contours.size());
        } else {
            for (const auto& c : contours) value = int32_t(value + cv::contourArea(c));
        }
    } else {
        return;  // no geometry-based measurement for other codes
    }
    test.copyTo(regionAlarm);
    view->testValue[d][r] = value;
    view->testShown = true;
    repaint();
}
