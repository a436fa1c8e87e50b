#include "surf.h"

void SURF::Clear() {
    *this = SURF();
}
bool SURF::Create(int, int, const cv::Mat&) {
    return false;
}
bool SURF::AddTemp(const cv::Mat&, int, int, int) {
    return false;
}
bool SURF::Train(int, int, int, int) {
    return false;
}
float SURF::Match(cv::Mat&, cv::Mat& result) const {
    result = cv::Mat::zeros(m_h, m_w, CV_8U);
    return 0.f;
}
float SURF::Score(const cv::Mat&) const {
    return 0.f;
}
float SURF::score(const cv::Mat&, int*, cv::Point*) const {
    return 0.f;
}
