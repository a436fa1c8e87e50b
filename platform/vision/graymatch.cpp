#include "graymatch.h"

void GrayMatch::Clear() {
    *this = GrayMatch();
}
bool GrayMatch::Create(int, int, const cv::Mat&, int) {
    return false;
}
bool GrayMatch::AddTemp(const cv::Mat&) {
    return false;
}
bool GrayMatch::Train(int, int, int, int) {
    return false;
}
int GrayMatch::Match(const cv::Mat&, cv::Mat& result) const {
    result = cv::Mat::zeros(m_h, m_w, CV_8U);
    return -1;
}
