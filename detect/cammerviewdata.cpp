#include "cammerviewdata.h"

#include <algorithm>

#include "app/imageglobals.h"
#include "app/wizardpara.h"
#include "miscfunc.h"

void CammerViewData::allocate(int s) {
    slot = s;
    alignment.pending = false;
    sizeZeroed(rawBuffer, size_t(std::max(gColorLen, 0)));
    sizeZeroed(alignedBuffer, size_t(std::max(gColorLen, 0)));
    sizeZeroed(convBuffer, size_t(std::max(gImageLen, 0)));
    alarmImage = cv::Mat::zeros(gImageH, gImageW, CV_8UC1);
    testImage = cv::Mat::zeros(gImageH, gImageW, CV_8UC1);
    const int used = std::clamp(gDNum, 0, kStepCount);
    for (int d = 0; d < kStepCount; ++d) {
        if (d < used)
            ignoreImages[d] = cv::Mat::zeros(gImageH, gImageW, CV_8UC1);
        else
            ignoreImages[d].release();
        templates[d].assign(size_t(std::max(gTempNum, 0)), cv::Mat());
        templateLoaded[d].assign(size_t(std::max(gTempNum, 0)), 0);
        templateCount[d] = 0;
    }
    if (!savedStore) savedStore = std::make_unique<CammerSingleton>(slot);
    if (!workingStore) workingStore = std::make_unique<CammerSingleton>(slot);
}

const cv::Mat& CammerViewData::templateImage(int d, int k) const {
    static const cv::Mat none;
    if (d < 0 || d >= kStepCount || k < 0 || size_t(k) >= templates[d].size()) return none;
    return templates[d][size_t(k)];
}

cv::Mat& CammerViewData::templateSlot(int d, int k) {
    static cv::Mat outside;
    if (d < 0 || d >= kStepCount || k < 0 || size_t(k) >= templates[d].size()) {
        outside.release();
        return outside;
    }
    cv::Mat& t = templates[d][size_t(k)];
    const int type = gisColor ? CV_8UC4 : CV_8UC1;
    if (t.rows != gImageH || t.cols != gImageW || t.type() != type)
        t = cv::Mat::zeros(gImageH, gImageW, type);
    return t;
}

void CammerViewData::releaseTemplate(int d, int k) {
    if (d < 0 || d >= kStepCount || k < 0 || size_t(k) >= templates[d].size()) return;
    templates[d][size_t(k)].release();
    if (size_t(k) < templateLoaded[d].size()) templateLoaded[d][size_t(k)] = 0;
}

static cv::Mat header(PictureBuffer& buffer) {
    const int channels = gisColor ? 4 : 1;
    if (buffer.size() < size_t(gImageLen) * size_t(channels) || gImageLen <= 0) return cv::Mat();
    return cv::Mat(gImageH, gImageW, CV_8UC(channels), buffer.data());
}

cv::Mat CammerViewData::rawImage() {
    return header(rawBuffer);
}
cv::Mat CammerViewData::alignedImage() {
    return header(alignedBuffer);
}
cv::Mat CammerViewData::convImage() {
    if (convBuffer.size() < size_t(gImageLen) || gImageLen <= 0) return cv::Mat();
    return cv::Mat(gImageH, gImageW, CV_8UC1, convBuffer.data());
}

void CammerViewData::completeAlignment() {
    if (!alignment.pending) return;
    alignment.pending = false;
    cv::Mat aligned = alignedImage();
    if (aligned.type() != CV_8UC1 || judgedBuffer.size() < size_t(gImageLen)) return;
    const cv::Mat judged(gImageH, gImageW, CV_8UC1, judgedBuffer.data());
    if (alignment.rotate)
        TransformImage(judged, aligned, alignment.shift, alignment.centre, alignment.angle);
    else
        MoveImage(judged, aligned, alignment.shift.x, alignment.shift.y);
}
