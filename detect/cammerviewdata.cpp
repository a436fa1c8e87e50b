#include "cammerviewdata.h"

#include "app/imageglobals.h"

void CammerViewData::allocate(int s) {
    slot = s;
    rawBuffer.assign(size_t(gColorLen), 0);
    alignedBuffer.assign(size_t(gColorLen), 0);
    convBuffer.assign(size_t(gImageLen), 0);
    alarmImage = cv::Mat::zeros(gImageH, gImageW, CV_8UC1);
    const int type = gisColor ? CV_8UC4 : CV_8UC1;
    for (int d = 0; d < kStepCount; ++d) {
        ignoreImages[d] = cv::Mat::zeros(gImageH, gImageW, CV_8UC1);
        templates[d].assign(size_t(std::max(gTempNum, 0)), cv::Mat());
        for (cv::Mat& t : templates[d]) t = cv::Mat::zeros(gImageH, gImageW, type);
        templateLoaded[d].assign(size_t(std::max(gTempNum, 0)), 0);
        templateCount[d] = 0;
    }
    if (!savedStore) savedStore = std::make_unique<CammerSingleton>(slot);
    if (!workingStore) workingStore = std::make_unique<CammerSingleton>(slot);
}

static cv::Mat header(std::vector<uchar>& buffer) {
    const int channels = gisColor ? 4 : 1;
    if (buffer.size() < size_t(gImageLen) * size_t(channels) || gImageLen <= 0) return cv::Mat();
    return cv::Mat(gImageH, gImageW, CV_8UC(channels), buffer.data());
}

cv::Mat CammerViewData::rawImage() { return header(rawBuffer); }
cv::Mat CammerViewData::alignedImage() { return header(alignedBuffer); }
cv::Mat CammerViewData::convImage() {
    if (convBuffer.size() < size_t(gImageLen) || gImageLen <= 0) return cv::Mat();
    return cv::Mat(gImageH, gImageW, CV_8UC1, convBuffer.data());
}
