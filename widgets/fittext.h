#pragma once
// Keeps captions whole on fixed-size labels and keys in every language: where a caption would be
// cut at its style's font size, the widget gets a smaller one (never below a legible minimum).
#include <QString>

class QWidget;

// The largest pixel size from maxPx down to minPx at which `text` fits `width` on one line, or,
// with `wrap`, at which each of its words fits. minPx when nothing larger fits.
int fittingPixelSize(const QString& text, int width, int maxPx, int minPx, bool wrap);

// Gives w a font size that fits its caption `text` into `width` (appended to w's own style sheet)
// when the style's size `maxPx` would not.
void fitCaption(QWidget* w, const QString& text, int width, int maxPx, bool wrap = false);
