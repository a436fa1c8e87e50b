#include "roishape.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "app/globals.h"
#include "app/imageglobals.h"

namespace {
constexpr int kHandleTol = 20;
constexpr int kPolyMargin = 20;

int clampTol(int tol) {
    return std::clamp(tol, 3, 50);
}

int roundToInt(float v) {
    return int(std::lround(v));
}

int64_t floorDiv(int64_t a, int64_t b) {  // b > 0
    int64_t q = a / b;
    if ((a % b != 0) && (a < 0)) --q;
    return q;
}
int64_t ceilDiv(int64_t a, int64_t b) {
    return -floorDiv(-a, b);
}
}  // namespace

bool PointAround(QPoint a, QPoint b, int tol) {
    tol = clampTol(tol);
    return std::abs(a.x() - b.x()) < tol && std::abs(a.y() - b.y()) < tol;
}

bool LineAround(int a, int b, int tol) {
    return std::abs(b - a) < clampTol(tol);
}

bool LineAround(int a, int b, int c, int lo, int hi, int tol) {
    return LineAround(a, b, tol) && lo <= c && c <= hi;
}

void CheckInRange(int* v, int horizontal) {
    const int size = horizontal ? gShowW : gShowH;
    if (*v <= 2) *v = 3;
    if (*v >= size - 2) *v = size - 3;
}

void CheckInRange(QRect* r, bool move) {
    int x1 = r->left(), y1 = r->top(), x2 = r->right(), y2 = r->bottom();
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (move) {
        if (x1 <= 2) {
            x2 += 3 - x1;
            x1 = 3;
        }
        if (y1 <= 2) {
            y2 += 3 - y1;
            y1 = 3;
        }
        if (x2 >= gShowW - 2) {
            x1 -= x2 - (gShowW - 3);
            x2 = gShowW - 3;
        }
        if (y2 >= gShowH - 2) {
            y1 -= y2 - (gShowH - 3);
            y2 = gShowH - 3;
        }
    } else {
        CheckInRange(&x1, 1);
        CheckInRange(&x2, 1);
        CheckInRange(&y1, 0);
        CheckInRange(&y2, 0);
    }
    r->setCoords(x1, y1, x2, y2);
}

// ---------------------------------------------------------------- rectangle

ClustomRect::ClustomRect() {
    std::memset(static_cast<void*>(this), 0, sizeof(*this));
    rect = QRect();
    imgRect = QRect();
}

void ClustomRect::Draw(QPainter& painter) const {
    QPen pen = painter.pen();
    pen.setWidth(3);
    if (selected) pen.setColor(Qt::magenta);
    painter.setPen(pen);
    painter.drawRect(rect);
}

bool ClustomRect::PtInCtrl(QPoint p, int* handle) const {
    *handle = -1;
    if (!selected) return false;
    const int x1 = rect.left(), y1 = rect.top(), x2 = rect.right(), y2 = rect.bottom();
    if (PointAround(QPoint(x1, y1), p, kHandleTol)) {
        *handle = 0;
    } else if (PointAround(QPoint(x2, y1), p, kHandleTol)) {
        *handle = 2;
    } else if (PointAround(QPoint(x1, y2), p, kHandleTol)) {
        *handle = 5;
    } else if (PointAround(QPoint(x2, y2), p, kHandleTol)) {
        *handle = 7;
    } else {
        const int tolX = (x2 - x1 + 1) / 4;
        const int tolY = (y2 - y1 + 1) / 4;
        if (LineAround(p.x(), x1, p.y(), y1, y2, tolX)) {
            *handle = 3;
        } else if (LineAround(p.x(), x2, p.y(), y1, y2, tolX)) {
            *handle = 4;
        } else if (LineAround(p.y(), y1, p.x(), x1, x2, tolY)) {
            *handle = 1;
        } else if (LineAround(p.y(), y2, p.x(), x1, x2, tolY)) {
            *handle = 6;
        }
    }
    return *handle >= 0;
}

bool ClustomRect::Contains(QPoint p) const {
    return rect.adjusted(-kHandleTol, -kHandleTol, kHandleTol, kHandleTol).contains(p);
}

void ClustomRect::Resize(int handle, QPoint from, QPoint to) {
    const int sx = to.x() - from.x();
    const int sy = to.y() - from.y();
    const bool moveX1 = handle == 0 || handle == 3 || handle == 5;
    const bool moveX2 = handle == 2 || handle == 4 || handle == 7;
    const bool moveY1 = handle == 0 || handle == 1 || handle == 2;
    const bool moveY2 = handle == 5 || handle == 6 || handle == 7;
    if (moveX1) rect.setLeft(rect.left() + sx);
    if (moveX2) rect.setRight(rect.right() + sx);
    if (moveY1) rect.setTop(rect.top() + sy);
    if (moveY2) rect.setBottom(rect.bottom() + sy);
    if (moveX1 || moveX2) dx = sx;
    if (moveY1 || moveY2) dy = sy;
}

void ClustomRect::setImageRect() {
    const int x = roundToInt(rect.left() / gShowAW);
    const int y = roundToInt(rect.top() / gShowAH);
    const int w = roundToInt((rect.right() - rect.left() + 1) / gShowAW);
    const int h = roundToInt((rect.bottom() - rect.top() + 1) / gShowAH);
    imgRect.setCoords(x, y, x + w - 1, y + h - 1);
}

cv::Mat ClustomRect::UpdateMask() const {
    const int w = imgRect.right() - imgRect.left() + 1;
    const int h = imgRect.bottom() - imgRect.top() + 1;
    if (w <= 0 || h <= 0) return cv::Mat();
    return cv::Mat(h, w, CV_8UC1, cv::Scalar(255));
}

// ---------------------------------------------------------------- ring

Circle::Circle() {
    std::memset(static_cast<void*>(this), 0, sizeof(*this));
    rect = QRect();
    imgRect = QRect();
    UpdateAll();
}

void Circle::Draw(QPainter& painter) const {
    QPen pen = painter.pen();
    pen.setWidth(3);
    if (selected) pen.setColor(Qt::magenta);
    painter.setPen(pen);
    painter.drawEllipse(rect);
    pen.setColor(Qt::yellow);
    painter.setPen(pen);
    painter.drawEllipse(QRect(QPoint(cx - rIn, cy - rIn), QPoint(cx + rIn - 1, cy + rIn - 1)));
}

bool Circle::PtInCtrl(QPoint p, int* handle) const {
    *handle = -1;
    if (!selected) return false;
    const int64_t ddx = p.x() - cx, ddy = p.y() - cy;
    const int64_t d2 = ddx * ddx + ddy * ddy;
    const int64_t lo = int64_t(r - kHandleTol), hi = int64_t(r + kHandleTol);
    if (d2 < lo * lo || d2 > hi * hi) return false;
    if (std::abs(p.x() - cx) < kHandleTol) {
        *handle = p.y() > cy ? 1 : 6;
    } else if (std::abs(p.y() - cy) < kHandleTol) {
        *handle = p.x() < cx ? 3 : 4;
    } else if (p.x() < cx) {
        *handle = p.y() > cy ? 0 : 5;
    } else {
        *handle = p.y() > cy ? 2 : 7;
    }
    return true;
}

bool Circle::Contains(QPoint p) const {
    return rect.adjusted(-kHandleTol, -kHandleTol, kHandleTol, kHandleTol).contains(p);
}

void Circle::Resize(int, QPoint, QPoint to) {
    const float ddx = float(to.x() - cx), ddy = float(to.y() - cy);
    r = int(std::sqrt(ddx * ddx + ddy * ddy));
    UpdateRect();
}

void Circle::UpdateRect() {
    rIn = std::clamp(rIn, 0, std::max(r, 0));
    r = std::min(r, cx);
    r = std::min(r, cy);
    // The ring stays on the display on the right and at the bottom as well.
    if (gShowW > 0) r = std::min(r, gShowW - cx);
    if (gShowH > 0) r = std::min(r, gShowH - cy);
    r = std::max(r, 0);
    rIn = std::min(rIn, r);
    rect.setCoords(cx - r, cy - r, cx + r - 1, cy + r - 1);
}

void Circle::UpdateAll() {
    const int w = (rect.right() - rect.left() + 1) / 2;
    const int h = (rect.bottom() - rect.top() + 1) / 2;
    r = std::min(w, h);
    cx = rect.left() + r;
    cy = rect.top() + r;
    UpdateRect();
}

void Circle::setImageRect() {
    imgR = roundToInt((r / gShowAW + r / gShowAH) * 0.5f);
    imgRIn = roundToInt((rIn / gShowAW + rIn / gShowAH) * 0.5f);
    imgCx = int(cx / gShowAW);
    imgCy = int(cy / gShowAH);
    imgR = std::min(imgR, imgCx);
    imgR = std::min(imgR, imgCy);
    // A ring that fits the display may map past the image when the aspect ratios differ.
    if (gImageW > 0) imgR = std::min(imgR, gImageW - imgCx);
    if (gImageH > 0) imgR = std::min(imgR, gImageH - imgCy);
    imgR = std::max(imgR, 0);
    imgRIn = std::clamp(imgRIn, 0, imgR);
    imgRect.setCoords(imgCx - imgR, imgCy - imgR, imgCx + imgR - 1, imgCy + imgR - 1);
}

cv::Mat Circle::UpdateMask() const {
    const int size = 2 * imgR;
    if (size <= 0) return cv::Mat();
    cv::Mat mask(size, size, CV_8UC1);
    const int64_t outer = int64_t(imgR) * imgR;
    const int64_t inner = int64_t(imgRIn) * imgRIn;
    for (int i = 0; i < size; ++i) {
        uchar* row = mask.ptr<uchar>(i);
        const int64_t di = i - imgR;
        for (int j = 0; j < size; ++j) {
            const int64_t dj = j - imgR;
            const int64_t d2 = di * di + dj * dj;
            row[j] = (inner <= d2 && d2 < outer) ? 255 : 0;
        }
    }
    return mask;
}

// ---------------------------------------------------------------- polygon

const QPoint* PolygonPoints::first(int n) const {
    n = std::clamp(n, 0, kMaxPolygonPoints);
    if (points_.size() < size_t(n)) points_.resize(size_t(n));
    return points_.data();
}

bool PolygonPoints::operator==(const PolygonPoints& o) const {
    const int n = int(std::max(points_.size(), o.points_.size()));
    for (int i = 0; i < n; ++i)
        if ((*this)[i] != o[i]) return false;
    return true;
}

RePolygon::RePolygon() = default;

RePolygon::RePolygon(int n, const QPoint* points) {
    count = std::clamp(n, 0, kMaxPolygonPoints);
    for (int i = count - 1; i >= 0; --i) pts[i] = points[i];  // the last first: one allocation
}

bool RePolygon::operator==(const RePolygon& o) const {
    return count == o.count && rect == o.rect && imgRect == o.imgRect && selected == o.selected &&
           dx == o.dx && dy == o.dy && spareRect == o.spareRect && pts == o.pts && imgPts == o.imgPts;
}

void RePolygon::Draw(QPainter& painter) const {
    QPen pen = painter.pen();
    pen.setWidth(3);
    if (selected) pen.setColor(Qt::magenta);
    painter.setPen(pen);
    if (count > 0) painter.drawPolygon(pts.first(count), count, Qt::OddEvenFill);
}

bool RePolygon::PtInCtrl(QPoint p, int* handle) const {
    *handle = -1;
    if (!selected) return false;
    for (int i = 0; i < count; ++i) {
        if (PointAround(pts[i], p, kHandleTol)) {
            *handle = i;
            return true;
        }
    }
    return false;
}

bool RePolygon::Contains(QPoint& p) const {
    if (rect.right() - rect.left() < 79 || rect.bottom() - rect.top() < 79) return rect.contains(p);
    if (count < 1) return false;
    std::vector<cv::Point> contour(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) contour[size_t(i)] = cv::Point(pts[i].x(), pts[i].y());
    return cv::pointPolygonTest(contour, cv::Point2f(float(p.x()), float(p.y())), false) > 0;
}

void RePolygon::Resize(int index, QPoint from, QPoint to, float ratioX, float ratioY) {
    dx = to.x() - from.x();
    dy = to.y() - from.y();
    if (index < 0 || index >= count) return;
    const QPoint moved = pts[index] + QPoint(dx, dy);
    if (moved.x() <= 2 || moved.x() >= gShowW - 2 || moved.y() <= 2 || moved.y() >= gShowH - 2) return;
    pts[index] = moved;
    imgPts[index] = QPoint(roundToInt(moved.x() / ratioX), roundToInt(moved.y() / ratioY));
}

void RePolygon::setImageRect() {
    for (int i = 0; i < count; ++i)
        imgPts[i] = QPoint(roundToInt(pts[i].x() / gShowAW), roundToInt(pts[i].y() / gShowAH));
    BoundingRect();
}

void RePolygon::BoundingRect() {
    if (count < 2) {
        const QPoint s = pts[0], i = imgPts[0];
        imgRect.setCoords(i.x(), i.y(), i.x() - 1, i.y() - 1);
        rect.setCoords(s.x() - kPolyMargin, s.y() - kPolyMargin, s.x() - 1, s.y() - 1);
        return;
    }
    int ix1 = imgPts[0].x(), iy1 = imgPts[0].y(), ix2 = ix1, iy2 = iy1;
    int sx1 = pts[0].x(), sy1 = pts[0].y(), sx2 = sx1, sy2 = sy1;
    for (int i = 1; i < count; ++i) {
        ix1 = std::min(ix1, imgPts[i].x());
        ix2 = std::max(ix2, imgPts[i].x());
        iy1 = std::min(iy1, imgPts[i].y());
        iy2 = std::max(iy2, imgPts[i].y());
        sx1 = std::min(sx1, pts[i].x());
        sx2 = std::max(sx2, pts[i].x());
        sy1 = std::min(sy1, pts[i].y());
        sy2 = std::max(sy2, pts[i].y());
    }
    imgRect.setCoords(ix1, iy1, ix2 - 1, iy2 - 1);
    rect.setCoords(sx1 - kPolyMargin, sy1 - kPolyMargin, sx2 - 1, sy2 - 1);
}

cv::Mat RePolygon::UpdateMask() const {
    return PolygonMask(imgPts.first(count), count, imgRect);
}

cv::Mat PolygonMask(const QPoint* pts, int n, const QRect& box) {
    const int w = box.right() - box.left() + 1;
    const int h = box.bottom() - box.top() + 1;
    if (w <= 0 || h <= 0) return cv::Mat();
    cv::Mat mask = cv::Mat::zeros(h, w, CV_8UC1);
    if (n < 3) return mask;

    // A pixel is inside when a ray to its right crosses the outline an odd number of times, an edge
    // counting on the rows ylo <= y < yhi (the lower end included, the upper excluded), and the
    // pixel lies on no edge. Crossings are compared exactly as fractions num/den (den > 0).
    struct Edge {
        int64_t xlo, ylo, xhi, yhi;
    };
    std::vector<Edge> edges;
    edges.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const QPoint a = pts[i == 0 ? n - 1 : i - 1], b = pts[i];
        if (a.y() == b.y()) continue;
        if (a.y() < b.y())
            edges.push_back({a.x(), a.y(), b.x(), b.y()});
        else
            edges.push_back({b.x(), b.y(), a.x(), a.y()});
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.ylo < b.ylo; });

    struct Crossing {
        int64_t num, den;
    };
    std::vector<const Edge*> active;
    std::vector<Crossing> xs;
    size_t next = 0;
    const int x1 = box.left(), x2 = box.right();
    for (int y = box.top(); y <= box.bottom(); ++y) {
        while (next < edges.size() && edges[next].ylo <= y) active.push_back(&edges[next++]);
        active.erase(std::remove_if(active.begin(), active.end(), [y](const Edge* e) { return e->yhi <= y; }),
                     active.end());
        if (active.empty()) continue;
        xs.clear();
        for (const Edge* e : active) {
            const int64_t den = e->yhi - e->ylo;
            xs.push_back({e->xlo * den + (y - e->ylo) * (e->xhi - e->xlo), den});
        }
        std::sort(xs.begin(), xs.end(),
                  [](const Crossing& a, const Crossing& b) { return a.num * b.den < b.num * a.den; });
        uchar* row = mask.ptr<uchar>(y - box.top());
        for (size_t k = 0; k + 1 < xs.size(); k += 2) {
            const int64_t from = std::max<int64_t>(floorDiv(xs[k].num, xs[k].den) + 1, x1);
            const int64_t to = std::min<int64_t>(ceilDiv(xs[k + 1].num, xs[k + 1].den) - 1, x2);
            for (int64_t x = from; x <= to; ++x) row[x - x1] = 255;
        }
    }
    // Points on the outline are outside: the vertices and the horizontal edges (the crossing points
    // of the other edges were already left out above).
    for (int i = 0; i < n; ++i) {
        const QPoint a = pts[i == 0 ? n - 1 : i - 1], b = pts[i];
        const int y = b.y();
        if (y < box.top() || y > box.bottom()) continue;
        int from = b.x(), to = b.x();
        if (a.y() == b.y()) {
            from = std::min(a.x(), b.x());
            to = std::max(a.x(), b.x());
        }
        from = std::max(from, x1);
        to = std::min(to, x2);
        uchar* row = mask.ptr<uchar>(y - box.top());
        for (int x = from; x <= to; ++x) row[x - x1] = 0;
    }
    return mask;
}
