#include "fittext.h"

#include <QApplication>
#include <QFontMetrics>
#include <QRegularExpression>
#include <QWidget>

namespace {
constexpr int kMinLegiblePx = 16;
}

int fittingPixelSize(const QString& text, int width, int maxPx, int minPx, bool wrap) {
    const QStringList parts = wrap ? text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts)
                                   : text.split(QRegularExpression("[\r\n]+"));
    QFont font = QApplication::font();
    for (int px = maxPx; px > minPx; --px) {
        font.setPixelSize(px);
        const QFontMetrics fm(font);
        bool fits = true;
        for (const QString& p : parts)
            if (fm.horizontalAdvance(p.trimmed()) > width) fits = false;
        if (fits) return px;
    }
    return minPx;
}

void fitCaption(QWidget* w, const QString& text, int width, int maxPx, bool wrap) {
    const int px = fittingPixelSize(text, width, maxPx, kMinLegiblePx, wrap);
    if (px < maxPx) w->setStyleSheet(w->styleSheet() + QString("font-size:%1px;").arg(px));
}

FitLabel::FitLabel(const QString& text, int maxPx, QWidget* parent) : QLabel(text, parent), maxPx_(maxPx) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setMinimumWidth(0);
    refit();
}

void FitLabel::setText(const QString& text) {
    if (text == QLabel::text()) return;
    QLabel::setText(text);
    refit();
}

void FitLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    refit();
}

void FitLabel::refit() {
    const int w = contentsRect().width();
    const int px = w > 0 ? fittingPixelSize(text(), w, maxPx_, kMinLegiblePx, false) : maxPx_;
    if (px == px_) return;
    px_ = px;
    setStyleSheet(QString("font-size:%1px;").arg(px));
}
