#include "kiticons.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

namespace {

const QColor kInk(0x65, 0x62, 0x63);

QPixmap canvas(int w, int h) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

// Arrow heads for the pager: count heads pointing left or right, optionally with a bar at the end.
QPixmap pagerIcon(bool right, int heads, bool bar) {
    QPixmap pm = canvas(60, 60);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QRectF(2, 2, 56, 56));
    p.setBrush(Qt::white);
    const qreal w = 12, h = 24, cy = 30;
    qreal total = heads * w + (bar ? 5 : 0);
    qreal x0 = 30 - total / 2;
    QTransform flip;
    if (!right) flip = QTransform(-1, 0, 0, 1, 60, 0);
    p.setTransform(flip);
    for (int i = 0; i < heads; ++i) {
        qreal x = x0 + i * w;
        QPolygonF tri;
        tri << QPointF(x, cy - h / 2) << QPointF(x + w, cy) << QPointF(x, cy + h / 2);
        p.drawPolygon(tri);
    }
    if (bar) p.drawRect(QRectF(x0 + heads * w + 1, cy - h / 2, 4, h));
    return pm;
}

QPixmap closeIcon() {
    QPixmap pm = canvas(64, 64);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 4));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(4, 4, 56, 56));
    p.setPen(QPen(kInk, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(22, 22), QPointF(42, 42));
    p.drawLine(QPointF(42, 22), QPointF(22, 42));
    return pm;
}

// A warning triangle with an exclamation mark.
QPixmap warningIcon(int size, QColor fill) {
    QPixmap pm = canvas(size, size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath tri;
    tri.moveTo(s / 2, s * 0.06);
    tri.lineTo(s * 0.96, s * 0.9);
    tri.lineTo(s * 0.04, s * 0.9);
    tri.closeSubpath();
    p.setPen(QPen(fill.darker(130), s / 24, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(tri);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(s * 0.45, s * 0.32, s * 0.1, s * 0.34), s * 0.04, s * 0.04);
    p.drawEllipse(QRectF(s * 0.44, s * 0.7, s * 0.12, s * 0.12));
    return pm;
}

// The product logo: a stylised mould with a lens looking into it, and a check mark.
QPixmap logoIcon() {
    QPixmap pm = canvas(800, 300);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2b, 0x41, 0x8a));
    p.drawRoundedRect(QRectF(40, 50, 200, 200), 30, 30);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(80, 90, 120, 120));
    p.setBrush(QColor(0x2b, 0x41, 0x8a));
    p.drawEllipse(QRectF(110, 120, 60, 60));
    p.setPen(QPen(QColor(0x3c, 0xb0, 0x4a), 18, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF() << QPointF(175, 200) << QPointF(205, 230) << QPointF(260, 160));
    QFont f;
    f.setPixelSize(120);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kInk);
    p.drawText(QRectF(290, 50, 500, 200), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("PMX"));
    return pm;
}

// Plain stand-ins for the shared button, value box and slider images.
QPixmap plate(int w, int h, QColor top, QColor bottom, QColor frame, qreal radius) {
    QPixmap pm = canvas(w, h);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(frame.isValid() ? QPen(frame, 2) : QPen(Qt::NoPen));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1, 1, w - 2, h - 2), radius, radius);
    return pm;
}

QPixmap draw(const QString& name) {
    if (name == "close.png") return closeIcon();
    if (name == "72.png") return pagerIcon(false, 2, true);
    if (name == "68.png") return pagerIcon(false, 1, false);
    if (name == "69.png") return pagerIcon(true, 1, false);
    if (name == "73.png") return pagerIcon(true, 2, true);
    if (name == "56.png") return warningIcon(140, QColor(0xf0, 0xa0, 0x20));
    if (name == "warning.png") return warningIcon(96, QColor(0xe7, 0x4c, 0x3c));
    if (name == "0logo.png") return logoIcon();
    if (name == "buttonu.png")
        return plate(240, 72, QColor(0x35, 0x7d, 0xb8), QColor(0x1b, 0x4c, 0x7a), QColor(0x6f, 0xa8, 0xd6),
                     10);
    if (name == "buttond.png")
        return plate(240, 72, QColor(0x0e, 0x2c, 0x48), QColor(0x1a, 0x4a, 0x72), QColor(0x3c, 0xb0, 0xe0),
                     10);
    if (name == "edit.png")
        return plate(160, 60, QColor(0xe6, 0xec, 0xf2), Qt::white, QColor(0x7f, 0x9a, 0xb4), 6);
    if (name == "sliderd.png")
        return plate(400, 40, QColor(0x05, 0x0e, 0x1a), QColor(0x16, 0x2c, 0x44), QColor(0x2a, 0x3a, 0x4a),
                     8);
    if (name == "slideru.png")
        return plate(400, 20, QColor(0x5c, 0xd6, 0xff), QColor(0x12, 0x8c, 0xc8), QColor(), 4);
    if (name == "slidert.png")
        return plate(20, 60, Qt::white, QColor(0xc4, 0xce, 0xd8), QColor(0x5a, 0x6a, 0x7a), 4);
    return QPixmap();
}

}  // namespace

QPixmap kitPixmap(const QString& resourcePath) {
    QPixmap pm;
    const QString key = QStringLiteral("kit:") + resourcePath;
    if (QPixmapCache::find(key, &pm)) return pm;
    if (!pm.load(resourcePath)) pm = draw(QFileInfo(resourcePath).fileName());
    QPixmapCache::insert(key, pm);
    return pm;
}
