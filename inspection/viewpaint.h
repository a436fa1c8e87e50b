#pragma once
// Texts and rules of the camera view painting, kept apart from the painter so that they can be
// checked on their own.
#include <QColor>
#include <QPoint>
#include <QString>
#include <QVector>
#include <cstdint>

class CammerSingleton;

// The name of a detection step in the running procedure ("Prod", "Left mold", "3rd", ...).
QString stepLabel(int detectMode, int step);

// Colour and text of a view's status.
struct ViewStatus {
    QColor colour;
    QString text;
};
// Learning (RunState 2) cyan, stopped (3) red, otherwise green with the re-check count while a
// re-check is pending and the step has re-checks left, else the text of the step phase.
ViewStatus viewStatus(int runState, int stepPhase, bool recheckPending, int recheckCount, int recheckLeft);

// The label of region r of `step` with its value: "n: limit / value " with up to 10 regions in the
// step, "n: value" with more.
QString regionLabel(const CammerSingleton& store, int step, int r, int32_t value, bool perRegionDefect,
                    int globalAlarmArea);

// The ticked cavities of the step-1 check boxes (flag value 2) as texts with their x positions,
// commas included: cavities 1 and 3 give "1#" at 352, "," at 412, "3#" at 422.
QVector<QPair<int, QString>> mouldNumberTexts(const int32_t flags[8]);

// The countdown of the first step whose timer runs, "" when that step has 0.02 s or less left or
// no timer runs. Remaining delays in tenths of a second.
QString countdownText(const bool timerActive[], const int remainingTenths[], int steps);

// The pointer location with its pixel value: "x, y, grey" or "x, y, red, green, blue".
QString locationText(QPoint pixel, uint32_t value, bool colour);

// Integer square root (floor); 0 for values below 1.
int isqrtInt(int v);

// The smallest text a view draws, in pixels: texts of the reference frame scaled down on a tiled view
// are drawn at this size at least.
constexpr int kMinViewTextPx = 16;

// The pixel size at which a text of `px` pixels in the reference frame is drawn on a view whose
// reference frame is scaled by `scale` (the tile's share of the display area, times the zoom):
// px x scale, never below kMinViewTextPx.
int viewTextPx(int px, double scale);

// The left edge of a text `textWidth` wide that the layout puts at `preferredX` on a view `viewWidth`
// wide, moved left where it would reach the camera number badge in the top right corner
// (`badgeWidth` wide, 10 px from the edge; 0: no badge) or the view's edge: it ends 8 px before the
// badge (5 px before the edge), and never starts left of 5.
int beforeBadgeX(int preferredX, int textWidth, int viewWidth, int badgeWidth);
