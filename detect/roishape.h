#pragma once
// The region shapes: rectangle (ClustomRect), ring (Circle) and polygon (RePolygon).
//
// Each shape keeps its geometry twice: in screen pixels of the camera display area (gShowW x gShowH),
// where the operator draws and drags it, and in pixels of the working image (gImageW x gImageH), where
// the recogniser crops and masks. The shapes are values inside the region store, copied and compared
// whole: the rectangle and the ring byte by byte, so their constructors zero the whole object (padding
// included) first; the polygon member by member.
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <opencv2/core.hpp>
#include <vector>

class QPainter;

constexpr int kMaxPolygonPoints = 8096;

// Shape kinds of a region (ROIShape); any other value is a region without geometry.
enum ROIShape { kShapeRect = 1, kShapePolygon = 2, kShapeRing = 4 };

// True when both coordinates of a and b differ by less than tol (tol clamped to 3-50).
bool PointAround(QPoint a, QPoint b, int tol);
// True when |b - a| < tol (tol clamped to 3-50).
bool LineAround(int a, int b, int tol);
// The same, and lo <= c <= hi.
bool LineAround(int a, int b, int c, int lo, int hi, int tol);
// Clamps one screen coordinate against gShowW (horizontal != 0) or gShowH: 2 or less becomes 3,
// size-2 or more becomes size-3.
void CheckInRange(int* v, int horizontal);
// Orders the corners, then either moves the rectangle back inside the display (move) or clamps each
// coordinate on its own.
void CheckInRange(QRect* r, bool move);

class ClustomRect {
public:
    ClustomRect();

    void Draw(QPainter& painter) const;
    bool IsSelected() const { return selected; }
    void SetSelected(bool s) { selected = s; }
    // Handle under p: 0 1 2 across the top, 3 and 4 at the sides, 5 6 7 across the bottom.
    bool PtInCtrl(QPoint p, int* handle) const;
    // p inside the screen rectangle grown by 20 pixels on each side.
    bool Contains(QPoint p) const;
    void Resize(int handle, QPoint from, QPoint to);
    void setImageRect();
    cv::Mat UpdateMask() const;
    void GetRectExt(QRect& out) const { out = rect; }

    QRect rect;     // screen rectangle
    QRect imgRect;  // image rectangle
    bool selected;
    int32_t dx;
    int32_t dy;
};

// A ring: the area between an inner and an outer circle.
class Circle {
public:
    Circle();

    void Draw(QPainter& painter) const;
    bool IsSelected() const { return selected; }
    void SetSelected(bool s) { selected = s; }
    // Handles on the band around the outer circle; numbered like the rectangle's, mirrored top to
    // bottom (0 1 2 below the centre).
    bool PtInCtrl(QPoint p, int* handle) const;
    bool Contains(QPoint p) const;
    // The outer radius becomes the distance from the centre to `to`.
    void Resize(int handle, QPoint from, QPoint to);
    // Limits the radii so that the ring stays on the display, and derives rect.
    void UpdateRect();
    // Centre and radius from rect, then UpdateRect.
    void UpdateAll();
    void setImageRect();
    cv::Mat UpdateMask() const;
    void GetRectExt(QRect& out) const { out = rect; }

    QRect rect;     // screen bounding square of the outer circle
    QRect imgRect;  // image bounding square of the outer circle
    int32_t cx, cy, r, rIn;
    int32_t imgCx, imgCy, imgR, imgRIn;
    bool selected;
};

// The vertices of a polygon, indexed like an array of kMaxPolygonPoints points that all start at
// (0, 0), holding memory only up to the last vertex written (a store has 400 polygons, nearly all of
// them unused). Reading past it gives (0, 0); an index outside 0..kMaxPolygonPoints-1 reads (0, 0)
// and writes nowhere. Not for concurrent use.
class PolygonPoints {
public:
    QPoint& operator[](int i) {
        static QPoint outside;
        if (i < 0 || i >= kMaxPolygonPoints) return outside = QPoint();
        if (size_t(i) >= points_.size()) points_.resize(size_t(i) + 1);
        return points_[size_t(i)];
    }
    QPoint operator[](int i) const {
        return i >= 0 && size_t(i) < points_.size() ? points_[size_t(i)] : QPoint();
    }
    // The first n vertices (n clamped to 0..kMaxPolygonPoints) as one array, for drawing and masks.
    const QPoint* first(int n) const;
    // Equal as the arrays they stand for: every index reads the same point.
    bool operator==(const PolygonPoints& o) const;
    bool operator!=(const PolygonPoints& o) const { return !(*this == o); }

private:
    mutable std::vector<QPoint> points_;  // grown with (0, 0) points by first()
};

class RePolygon {
public:
    RePolygon();
    RePolygon(int n, const QPoint* points);
    bool operator==(const RePolygon& o) const;
    bool operator!=(const RePolygon& o) const { return !(*this == o); }

    void Draw(QPainter& painter) const;
    bool IsSelected() const { return selected; }
    void SetSelected(bool s) { selected = s; }
    // The handle is the index of the first vertex within 20 pixels of p.
    bool PtInCtrl(QPoint p, int* handle) const;
    bool Contains(QPoint& p) const;
    // Moves vertex `index` by the drag step unless it would reach the display's margin.
    void Resize(int index, QPoint from, QPoint to, float ratioX, float ratioY);
    void setImageRect();
    void BoundingRect();
    cv::Mat UpdateMask() const;

    int32_t count = 0;
    PolygonPoints pts;     // screen vertices
    PolygonPoints imgPts;  // image vertices
    QRect rect;            // screen bounds, 20-pixel margin left and top
    QRect imgRect;         // image bounds
    bool selected = false;
    int32_t dx = 0;
    int32_t dy = 0;
    QRect spareRect;
};

// 8-bit mask of a polygon over `box` (inclusive corners): 255 where cv::pointPolygonTest of the
// pixel against the vertices is positive (strictly inside; the outline stays 0). Scanline filling,
// equal pixel for pixel to the per-pixel test.
cv::Mat PolygonMask(const QPoint* pts, int n, const QRect& box);
