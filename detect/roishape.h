#pragma once
// The region shapes: rectangle (ClustomRect), ring (Circle) and polygon (RePolygon).
//
// Each shape keeps its geometry twice: in screen pixels of the camera display area (gShowW x gShowH),
// where the operator draws and drags it, and in pixels of the working image (gImageW x gImageH), where
// the recogniser crops and masks. The shapes are plain values inside the region store, copied and
// compared byte by byte, so every constructor zeroes the whole object (padding included) first.
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <opencv2/core.hpp>

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

class RePolygon {
public:
    RePolygon();
    RePolygon(int n, const QPoint* points);

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

    int32_t count;
    QPoint pts[kMaxPolygonPoints];     // screen vertices
    QPoint imgPts[kMaxPolygonPoints];  // image vertices
    QRect rect;                        // screen bounds, 20-pixel margin left and top
    QRect imgRect;                     // image bounds
    bool selected;
    int32_t dx;
    int32_t dy;
    QRect spareRect;
};

// 8-bit mask of a polygon over `box` (inclusive corners): 255 where cv::pointPolygonTest of the
// pixel against the vertices is positive (strictly inside; the outline stays 0). Scanline filling,
// equal pixel for pixel to the per-pixel test.
cv::Mat PolygonMask(const QPoint* pts, int n, const QRect& box);
