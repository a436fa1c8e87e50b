#pragma once
// Composition of the annotated NG and OK pictures of a camera view, the stamp of the alarm-clearing
// method, and the master-template bitmap. Plain data in, pictures out: the view gathers its regions
// (image pixels) and texts, these functions draw.
#include <QImage>
#include <QPolygon>
#include <QRect>
#include <QString>
#include <QVector>
#include <functional>

class QPainter;

// An alarm box of a region in image pixels; drawn from (left, top) to (right - 1, bottom - 1).
struct FailAlarmBox {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct FailRegionDraw {
    enum class Shape { None, Polygon, Rect, Custom };
    bool ok = true;
    QVector<FailAlarmBox> alarmBoxes;  // drawn only when the region is NG
    Shape shape = Shape::None;
    QPolygon polygon;  // Polygon: image vertices; the label hangs at the first one
    QRect rect;        // Rect: image rectangle; the label hangs at its top-left corner
    // Custom (rings): draws with the current pen in image pixels; `anchor` is the top-left corner of
    // its image bounding box.
    std::function<void(QPainter&)> drawCustom;
    QPoint anchor;
    QString limitText;  // failLimitText(...)
    QString valueText;  // the region value
};

struct FailComposition {
    bool okMark = false;  // "OK" in green, else "NG" in red
    QString title;        // e.g. "Safety door trigger detection", or empty
    QVector<FailRegionDraw> regions;
};

// The limit text of a region label by detection function (0 Defect, 1 Spot, 6 Similarity ...).
QString failLimitText(int roiFunc, bool perRegionDefect, int globalDefectArea, int sensitivity, int area);

// The annotated picture: the aligned frame (8-bit grey or 32-bit colour) as RGB32 with the mark,
// title, every region outline and alarm box and a label per region. *firstNgIndex (optional) gets
// the number (from 1) of the first NG region, 0 when every region is OK.
QImage composeFailImage(const QImage& aligned, const FailComposition& c, int* firstNgIndex = nullptr);

// Stamp of the alarm-clearing method by ImageState: prefix and text language ids (-1 none) and
// the next state (unchanged for states outside 4..8).
struct FailStamp {
    int prefixId = -1;
    int textId = -1;
    int nextState = 0;
};
FailStamp failStampFor(int imageState);
// Draws "<prefix><text>" in red at (55, 80) onto a picture.
void drawFailStamp(QImage& picture, const QString& text);
// UpdateFailImage: stamps slot k of camera and step (under the slot lock) and returns the next
// ImageState of that camera and step.
int stampFailImage(int camera, int step, int k, int imageState);

// Writes a master template: 8-bit indexed with a 256-grey palette (grey, `data` w*h bytes) or 32-bit
// (colour, `data` w*h*4 bytes in RGB32 layout), through a temporary file. False when not written;
// then nobody may be told the path.
bool saveTemplateBitmap(const QString& path, const unsigned char* data, int width, int height, bool grey);
