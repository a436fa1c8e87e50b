#include "findshape.h"

struct ShapeModelData {
    int cx = 0, cy = 0, range = 0, levels = 0;
};

bool FindShape::CreateShape(const cv::Mat&, double, int, int, int, int, bool, int, cv::Mat, int, int) {
    m_model.reset();
    return false;
}

bool FindShape::Find(cv::Mat&, int, int*, int*, double* a, double* angle) const {
    if (a) *a = 0;
    if (angle) *angle = 0;
    return false;
}

bool FindShape::Locate(const cv::Mat&, Result*) const {
    return false;
}
int FindShape::CentreX() const {
    return m_model ? m_model->cx : 0;
}
int FindShape::CentreY() const {
    return m_model ? m_model->cy : 0;
}
int FindShape::Range() const {
    return m_model ? m_model->range : 0;
}
int FindShape::Levels() const {
    return m_model ? m_model->levels : 0;
}
