#include "iostatus.h"

#include <QPainter>

#include "accesslevel.h"
#include "app/globals.h"
#include "app/lanstr.h"

IOStatusWidget::IOStatusWidget(QWidget* parent) : QWidget(parent) {
    resize(200, 50);
    // Any change of the level (login, logout timer, settings) repaints at once.
    connect(accessNotifier(), &AccessNotifier::levelChanged, this, [this] { update(); });
}

QString IOStatusWidget::statusText() const {
    if (!passwordsInUse()) return QString();
    return gaLanStr[(accessLevel() != kAccessNone ? 308 : 156) * kLanColumns + gLan];
}

void IOStatusWidget::mousePressEvent(QMouseEvent*) {
    setAccessLevel(kAccessNone);
    update();
}

void IOStatusWidget::paintEvent(QPaintEvent*) {
    const QString text = statusText();
    if (text.isEmpty()) return;
    QPainter p(this);
    p.setPen(accessLevel() != kAccessNone ? Qt::green : Qt::red);
    QFont f(QStringLiteral("wqy-microhei"));
    f.setPointSize(35);
    // Longer texts of some languages get a smaller size rather than being cut at the edge.
    for (int px = QFontInfo(f).pixelSize(); px > 12 && QFontMetrics(f).horizontalAdvance(text) > width();
         --px)
        f.setPixelSize(px - 1);
    p.setFont(f);
    p.drawText(0, 40, text);
}
