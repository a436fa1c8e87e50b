#pragma once
// Keeps captions whole on fixed-size labels and keys in every language: where a caption would be
// cut at its style's font size, the widget gets a smaller one (never below a legible minimum).
#include <QLabel>
#include <QString>

class QWidget;

// The largest pixel size from maxPx down to minPx at which `text` fits `width` on one line, or,
// with `wrap`, at which each of its words fits. minPx when nothing larger fits.
int fittingPixelSize(const QString& text, int width, int maxPx, int minPx, bool wrap);

// Gives w a font size that fits its caption `text` into `width` (appended to w's own style sheet)
// when the style's size `maxPx` would not.
void fitCaption(QWidget* w, const QString& text, int width, int maxPx, bool wrap = false);

// A one-line label that keeps its whole text within the width its layout gives it: where the text
// would be cut at `maxPx`, the font shrinks, down to the legible minimum of 16 px. The label takes
// the width it is given (its text does not widen it), so a bar's layout stays as it was built.
class FitLabel : public QLabel {
    Q_OBJECT
public:
    FitLabel(const QString& text, int maxPx, QWidget* parent = nullptr);
    // Replaces QLabel::setText for this label: sets the text and fits it.
    void setText(const QString& text);
    int pixelSize() const { return px_; }  // the size the text is drawn at now

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refit();
    int maxPx_;
    int px_ = 0;
};
