// Draws the program's pixmaps and icons (button, slider, dialog and page backgrounds, move and user
// icons, toolbar, status and style-sheet icons) as PNG files, and the resource list icons.qrc beside
// the icons directory. Run it after changing a drawing and commit the files it writes:
//     make_artwork <resources/icons> <resources/images>
// Plain shapes and gradients only (no text), in the panel's dark-blue theme, sized so that the
// widgets that stretch them stay sharp on a 1920x1080 screen.
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr qreal kPi = 3.14159265358979323846;
const QColor kNavyTop(0x12, 0x2a, 0x45);
const QColor kNavyBottom(0x07, 0x14, 0x24);
const QColor kAccent(0x1e, 0xb4, 0xe6);  // cyan accent
const QColor kFrame(0x3c, 0x78, 0xa8);

bool save(const QString& dir, const char* name, int w, int h,
          const std::function<void(QPainter&, int, int)>& draw) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p, w, h);
    }
    const QString path = dir + QLatin1Char('/') + QString::fromUtf8(name);
    if (!img.save(path, "PNG", 9)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

void verticalGradient(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom, qreal radius) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
}

// A page background: dark gradient, a thin accent band at the top.
void drawPage(QPainter& p, int w, int h) {
    p.setPen(Qt::NoPen);
    verticalGradient(p, QRectF(0, 0, w, h), kNavyTop, kNavyBottom, 0);
    p.setBrush(kAccent);
    p.drawRect(QRectF(0, 0, w, 3));
}

// A dialog background: lighter gradient in a framed rounded panel.
void drawDialog(QPainter& p, int w, int h) {
    p.setPen(QPen(kFrame, 3));
    verticalGradient(p, QRectF(1.5, 1.5, w - 3, h - 3), QColor(0x1c, 0x3a, 0x5c), QColor(0x0c, 0x1d, 0x33),
                     10);
}

void drawButton(QPainter& p, int w, int h, bool pressed) {
    const QRectF r(1.5, 1.5, w - 3, h - 3);
    p.setPen(QPen(pressed ? kAccent : QColor(0x6f, 0xa8, 0xd6), 2));
    if (pressed)
        verticalGradient(p, r, QColor(0x0e, 0x2c, 0x48), QColor(0x1a, 0x4a, 0x72), 10);
    else
        verticalGradient(p, r, QColor(0x35, 0x7d, 0xb8), QColor(0x1b, 0x4c, 0x7a), 10);
    if (!pressed) {  // top highlight
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 40));
        p.drawRoundedRect(QRectF(5, 4, w - 10, h * 0.4), 7, 7);
    }
}

// An arrow on a round key; dir 0 up, 1 down, 2 left, 3 right.
void drawMove(QPainter& p, int w, int h, int dir) {
    p.setPen(QPen(kFrame, 3));
    verticalGradient(p, QRectF(2, 2, w - 4, h - 4), QColor(0x2a, 0x66, 0x99), QColor(0x13, 0x38, 0x5c),
                     w / 5.0);
    QPainterPath arrow;
    arrow.moveTo(0, -22);
    arrow.lineTo(18, 0);
    arrow.lineTo(7, 0);
    arrow.lineTo(7, 20);
    arrow.lineTo(-7, 20);
    arrow.lineTo(-7, 0);
    arrow.lineTo(-18, 0);
    arrow.closeSubpath();
    static const int angle[] = {0, 180, 270, 90};
    p.translate(w / 2.0, h / 2.0);
    p.rotate(angle[dir]);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(arrow);
}

void drawOrigin(QPainter& p, int w, int h) {
    p.setPen(QPen(kFrame, 3));
    verticalGradient(p, QRectF(2, 2, w - 4, h - 4), QColor(0x2a, 0x66, 0x99), QColor(0x13, 0x38, 0x5c),
                     w / 5.0);
    p.translate(w / 2.0, h / 2.0);
    p.setPen(QPen(Qt::white, 4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, 0), 16, 16);
    p.drawLine(QPointF(-24, 0), QPointF(-8, 0));
    p.drawLine(QPointF(8, 0), QPointF(24, 0));
    p.drawLine(QPointF(0, -24), QPointF(0, -8));
    p.drawLine(QPointF(0, 8), QPointF(0, 24));
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(0, 0), 4, 4);
}

void drawZoomIn(QPainter& p, int w, int h) {
    Q_UNUSED(h);
    const qreal s = w / 64.0;
    p.scale(s, s);
    p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(QColor(0x1e, 0xb4, 0xe6, 60));
    p.drawEllipse(QPointF(26, 26), 17, 17);
    p.drawLine(QPointF(39, 39), QPointF(57, 57));
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18, 26), QPointF(34, 26));
    p.drawLine(QPointF(26, 18), QPointF(26, 34));
}

void drawLamp(QPainter& p, int w, int h, const QColor& c) {
    QRadialGradient g(QPointF(w * 0.4, h * 0.35), w * 0.55);
    g.setColorAt(0, c.lighter(170));
    g.setColorAt(1, c.darker(130));
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 2));
    p.setBrush(g);
    p.drawEllipse(QRectF(3, 3, w - 6, h - 6));
}

// A user icon: head and shoulders, with a badge: 0 administrator (star), 1 operator (gear),
// 2 limited user (padlock). A checked icon sits on a lit disc and carries a tick.
void drawUser(QPainter& p, int w, int h, int kind, bool checked) {
    const qreal s = w / 64.0;
    p.scale(s, s);
    Q_UNUSED(h);
    p.setPen(Qt::NoPen);
    p.setBrush(checked ? kAccent : QColor(0x3a, 0x4a, 0x5c));
    p.drawEllipse(QRectF(2, 2, 60, 60));
    const QColor figure = checked ? QColor(Qt::white) : QColor(0xb8, 0xc4, 0xd0);
    p.setBrush(figure);
    p.drawEllipse(QPointF(28, 22), 10, 10);
    QPainterPath body;
    body.moveTo(10, 52);
    body.cubicTo(10, 36, 46, 36, 46, 52);
    body.closeSubpath();
    p.drawPath(body);
    // badge at the lower right
    p.setBrush(QColor(0x10, 0x22, 0x36));
    p.drawEllipse(QPointF(48, 46), 12, 12);
    p.setBrush(kind == 0 ? QColor(0xf5, 0xc5, 0x18) : figure);
    if (kind == 0) {
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const qreal r = (i % 2) ? 3.6 : 9.0;
            const qreal a = -kPi / 2 + i * kPi / 5;
            const QPointF pt(48 + r * std::cos(a), 46 + r * std::sin(a));
            if (i == 0)
                star.moveTo(pt);
            else
                star.lineTo(pt);
        }
        star.closeSubpath();
        p.drawPath(star);
    } else if (kind == 1) {
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(48, 46);
            p.rotate(i * 45);
            p.drawRect(QRectF(-2, -9, 4, 5));
            p.restore();
        }
        p.drawEllipse(QPointF(48, 46), 6, 6);
        p.setBrush(QColor(0x10, 0x22, 0x36));
        p.drawEllipse(QPointF(48, 46), 2.5, 2.5);
    } else {
        p.drawRoundedRect(QRectF(42, 45, 12, 9), 1.5, 1.5);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(figure, 2.2));
        p.drawArc(QRectF(44, 38, 8, 12), 0, 180 * 16);
    }
    if (checked) {
        p.setPen(QPen(QColor(0x3c, 0xdc, 0x6e), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(5, 12), QPointF(11, 18), QPointF(21, 6)}));
    }
}

// ---- Toolbar and status icons, drawn on a 64-unit grid scaled to the file's size ----------------

const QColor kInk(0x1f, 0x5f, 0xa8);  // glyphs on the light buttons of the screens
const QColor kRed(0xe5, 0x39, 0x35);
const QColor kGreen(0x43, 0xa0, 0x47);
const QColor kAmber(0xf5, 0xa6, 0x23);

using Glyph = std::function<void(QPainter&)>;

bool icon(const QString& dir, const char* name, int w, int h, const Glyph& g) {
    return save(dir, name, w, h, [&g](QPainter& p, int pw, int ph) {
        p.scale(pw / 64.0, ph / 64.0);
        g(p);
    });
}

QPen ink(const QColor& c, qreal width) {
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void strokeOnly(QPainter& p, const QColor& c, qreal width) {
    p.setPen(ink(c, width));
    p.setBrush(Qt::NoBrush);
}

void fillOnly(QPainter& p, const QColor& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
}

void cameraGlyph(QPainter& p, const QColor& c, const QRectF& r) {
    // body, lens and viewfinder bump inside r
    strokeOnly(p, c, r.width() / 14);
    const QRectF body(r.left(), r.top() + r.height() * 0.25, r.width(), r.height() * 0.65);
    p.drawRoundedRect(body, r.width() * 0.08, r.width() * 0.08);
    p.drawEllipse(body.center(), body.height() * 0.3, body.height() * 0.3);
    fillOnly(p, c);
    p.drawRect(
        QRectF(r.left() + r.width() * 0.3, r.top() + r.height() * 0.1, r.width() * 0.3, r.height() * 0.15));
}

void digit(QPainter& p, const QColor& c, const QRectF& r, const QString& text) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(int(r.height()));
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, text);
}

void chevron(QPainter& p, const QColor& c, qreal width, const QPointF& tip, qreal size, int dir) {
    // dir 0 up, 1 down, 2 left, 3 right
    strokeOnly(p, c, width);
    QPolygonF v;
    switch (dir) {
        case 0:
            v << QPointF(tip.x() - size, tip.y() + size) << tip << QPointF(tip.x() + size, tip.y() + size);
            break;
        case 1:
            v << QPointF(tip.x() - size, tip.y() - size) << tip << QPointF(tip.x() + size, tip.y() - size);
            break;
        case 2:
            v << QPointF(tip.x() + size, tip.y() - size) << tip << QPointF(tip.x() + size, tip.y() + size);
            break;
        default:
            v << QPointF(tip.x() - size, tip.y() - size) << tip << QPointF(tip.x() - size, tip.y() + size);
            break;
    }
    p.drawPolyline(v);
}

void trash(QPainter& p, const QColor& c, const QRectF& r) {
    strokeOnly(p, c, r.width() / 9);
    p.drawLine(QPointF(r.left(), r.top() + r.height() * 0.18),
               QPointF(r.right(), r.top() + r.height() * 0.18));
    p.drawLine(QPointF(r.center().x() - r.width() * 0.15, r.top()),
               QPointF(r.center().x() + r.width() * 0.15, r.top()));
    QPolygonF can;
    can << QPointF(r.left() + r.width() * 0.12, r.top() + r.height() * 0.3)
        << QPointF(r.left() + r.width() * 0.2, r.bottom()) << QPointF(r.right() - r.width() * 0.2, r.bottom())
        << QPointF(r.right() - r.width() * 0.12, r.top() + r.height() * 0.3);
    p.drawPolyline(can);
}

void picture(QPainter& p, const QColor& c, const QRectF& r) {
    strokeOnly(p, c, 4);
    p.drawRoundedRect(r, 4, 4);
    fillOnly(p, c);
    QPolygonF hill;
    hill << QPointF(r.left() + 4, r.bottom() - 4)
         << QPointF(r.left() + r.width() * 0.38, r.top() + r.height() * 0.45)
         << QPointF(r.left() + r.width() * 0.6, r.bottom() - r.height() * 0.3)
         << QPointF(r.left() + r.width() * 0.72, r.top() + r.height() * 0.55)
         << QPointF(r.right() - 4, r.bottom() - 4);
    p.drawPolygon(hill);
    p.drawEllipse(QPointF(r.right() - r.width() * 0.25, r.top() + r.height() * 0.28), r.height() * 0.1,
                  r.height() * 0.1);
}

void circularArrow(QPainter& p, const QColor& c, const QPointF& centre, qreal radius, qreal width) {
    strokeOnly(p, c, width);
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    p.drawArc(box, 60 * 16, 270 * 16);
    fillOnly(p, c);
    const QPointF end(centre.x() + radius * std::cos(60 * kPi / 180),
                      centre.y() - radius * std::sin(60 * kPi / 180));
    QPolygonF head;
    head << QPointF(end.x() + width * 1.6, end.y() - width * 0.4)
         << QPointF(end.x() - width * 0.9, end.y() - width * 1.9)
         << QPointF(end.x() - width * 0.2, end.y() + width * 1.5);
    p.drawPolygon(head);
}

// IO indicator: a lamp, round for inputs and square for outputs, lit when active; dots give the index.
void ioLamp(QPainter& p, bool output, bool active, int index) {
    const QColor lit = output ? kAmber : kGreen;
    QRadialGradient g(QPointF(26, 22), 40);
    g.setColorAt(0, active ? lit.lighter(150) : QColor(0x9a, 0xa4, 0xae));
    g.setColorAt(1, active ? lit.darker(120) : QColor(0x5a, 0x62, 0x6a));
    p.setPen(QPen(QColor(0x20, 0x28, 0x30), 2.5));
    p.setBrush(g);
    if (output)
        p.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);
    else
        p.drawEllipse(QRectF(4, 4, 56, 56));
    fillOnly(p, QColor(255, 255, 255, active ? 235 : 170));
    const qreal spacing = 11;
    const qreal x0 = 32 - spacing * index / 2.0;
    for (int i = 0; i <= index; ++i) p.drawEllipse(QPointF(x0 + spacing * i, 32), 4, 4);
}

bool drawIcons(const QString& d) {
    bool ok = true;
    // Style sheet images: combo arrow, slider handle, check box switch, radio buttons, date editor arrows.
    ok &= icon(d, "2a.png", 50, 50,
               [](QPainter& p) { chevron(p, QColor(0x5f, 0x62, 0x68), 6, QPointF(32, 42), 14, 1); });
    ok &= icon(d, "圆1.png", 60, 60, [](QPainter& p) {
        p.setPen(QPen(QColor(0x27, 0x3d, 0x88), 5));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(32, 32), 22, 22);
        fillOnly(p, QColor(0x27, 0x3d, 0x88));
        p.drawEllipse(QPointF(32, 32), 7, 7);
    });
    ok &= save(d, "54.png", 95, 50, [](QPainter& p, int, int) {  // switch off
        p.setPen(QPen(QColor(0xa0, 0xa4, 0xa8), 2));
        p.setBrush(QColor(0xd3, 0xd3, 0xd3));
        p.drawRoundedRect(QRectF(3, 5, 89, 40), 20, 20);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(25, 25), 17, 17);
    });
    ok &= save(d, "55.png", 95, 50, [](QPainter& p, int, int) {  // switch on
        p.setPen(QPen(QColor(0x1d, 0x2e, 0x6a), 2));
        p.setBrush(QColor(0x27, 0x3d, 0x88));
        p.drawRoundedRect(QRectF(3, 5, 89, 40), 20, 20);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(70, 25), 17, 17);
        p.setPen(ink(Qt::white, 4));
        p.drawPolyline(QPolygonF({QPointF(18, 25), QPointF(25, 32), QPointF(37, 18)}));
    });
    ok &= icon(d, "71.png", 50, 50, [](QPainter& p) {  // radio off
        p.setPen(QPen(QColor(0x65, 0x62, 0x63), 4));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(32, 32), 24, 24);
    });
    ok &= icon(d, "70.png", 50, 50, [](QPainter& p) {  // radio on
        p.setPen(QPen(QColor(0x27, 0x3d, 0x88), 4));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(32, 32), 24, 24);
        fillOnly(p, QColor(0x27, 0x3d, 0x88));
        p.drawEllipse(QPointF(32, 32), 13, 13);
    });
    ok &= icon(d, "left.png", 32, 32, [](QPainter& p) { chevron(p, kInk, 8, QPointF(32, 18), 16, 0); });
    ok &= icon(d, "right.png", 32, 32, [](QPainter& p) { chevron(p, kInk, 8, QPointF(32, 46), 16, 1); });

    // Boxes and dialogs.
    ok &= icon(d, "close.png", 48, 48, [](QPainter& p) {
        strokeOnly(p, QColor(0x65, 0x62, 0x63), 7);
        p.drawLine(QPointF(16, 16), QPointF(48, 48));
        p.drawLine(QPointF(48, 16), QPointF(16, 48));
    });
    const auto warnTriangle = [](QPainter& p) {
        p.setPen(ink(QColor(0x8a, 0x5a, 0x00), 3));
        p.setBrush(kAmber);
        p.drawPolygon(QPolygonF({QPointF(32, 5), QPointF(60, 56), QPointF(4, 56)}));
        fillOnly(p, QColor(0x30, 0x20, 0x00));
        p.drawRoundedRect(QRectF(28.5, 20, 7, 22), 3, 3);
        p.drawEllipse(QPointF(32, 49), 4, 4);
    };
    ok &= icon(d, "warning.png", 64, 64, warnTriangle);
    ok &= icon(d, "warning2.png", 32, 32, warnTriangle);
    ok &= icon(d, "56.png", 70, 70, [](QPainter& p) {  // the warning box's mark
        fillOnly(p, kAmber);
        p.drawEllipse(QPointF(32, 32), 29, 29);
        fillOnly(p, Qt::white);
        p.drawRoundedRect(QRectF(28, 13, 8, 27), 4, 4);
        p.drawEllipse(QPointF(32, 49), 5, 5);
    });
    ok &= icon(d, "15.png", 32, 32, [](QPainter& p) {  // information
        fillOnly(p, QColor(0x29, 0xb6, 0xf6));
        p.drawEllipse(QPointF(32, 32), 29, 29);
        fillOnly(p, Qt::white);
        p.drawEllipse(QPointF(32, 17), 5.5, 5.5);
        p.drawRoundedRect(QRectF(27, 27, 10, 25), 4, 4);
    });
    ok &= icon(d, "password.png", 64, 64, [](QPainter& p) {  // padlock
        strokeOnly(p, kInk, 7);
        p.drawArc(QRectF(18, 6, 28, 34), 0, 180 * 16);
        p.drawLine(QPointF(18, 23), QPointF(18, 30));
        p.drawLine(QPointF(46, 23), QPointF(46, 30));
        fillOnly(p, kInk);
        p.drawRoundedRect(QRectF(10, 28, 44, 32), 6, 6);
        fillOnly(p, Qt::white);
        p.drawEllipse(QPointF(32, 42), 5, 5);
        p.drawRect(QRectF(30, 42, 4, 10));
    });

    // Title bar status icons (16 x 16 on the dark bar).
    ok &= icon(d, "costTime.png", 32, 32, [](QPainter& p) {
        strokeOnly(p, Qt::white, 6);
        p.drawEllipse(QPointF(32, 32), 26, 26);
        p.drawPolyline(QPolygonF({QPointF(32, 14), QPointF(32, 32), QPointF(45, 40)}));
    });
    ok &= icon(d, "location.png", 32, 32, [](QPainter& p) {
        fillOnly(p, QColor(0x29, 0xb6, 0xf6));
        QPainterPath pin;
        pin.moveTo(32, 62);
        pin.cubicTo(10, 36, 8, 28, 8, 24);
        pin.arcTo(QRectF(8, 0, 48, 48), 180, -180);
        pin.cubicTo(56, 28, 54, 36, 32, 62);
        p.drawPath(pin);
        fillOnly(p, Qt::white);
        p.drawEllipse(QPointF(32, 24), 9, 9);
    });
    ok &= icon(d, "17a.png", 32, 32, [](QPainter& p) {  // NG
        fillOnly(p, kRed);
        p.drawEllipse(QPointF(32, 32), 29, 29);
        strokeOnly(p, Qt::white, 8);
        p.drawLine(QPointF(20, 20), QPointF(44, 44));
        p.drawLine(QPointF(44, 20), QPointF(20, 44));
    });
    ok &= icon(d, "layer.png", 32, 32, [](QPainter& p) {  // count
        p.setPen(ink(Qt::white, 4));
        for (int i = 2; i >= 0; --i) {
            p.setBrush(i == 0 ? QColor(0x29, 0xb6, 0xf6) : QColor(0x29, 0xb6, 0xf6).darker(130 + 30 * i));
            p.drawPolygon(QPolygonF({QPointF(32, 10 + 12 * i), QPointF(60, 24 + 12 * i),
                                     QPointF(32, 38 + 12 * i), QPointF(4, 24 + 12 * i)}));
        }
    });

    // IO indicators: inputs 0 to 3 active/inactive (18 to 25), outputs 0 to 3 (26 to 33).
    for (int index = 0; index < 4; ++index) {
        for (int out = 0; out < 2; ++out) {
            for (int active = 1; active >= 0; --active) {
                if (!out && index == 0) continue;  // 18.png and 19.png are drawn with the global pixmaps
                const int number = 2 * index + (out ? 26 : 18) + (active ? 0 : 1);
                const QByteArray name = QByteArray::number(number) + ".png";
                ok &= icon(d, name.constData(), 48, 48,
                           [=](QPainter& p) { ioLamp(p, out != 0, active != 0, index); });
            }
        }
    }

    // Cameras.
    ok &= icon(d, "camera.png", 48, 48, [](QPainter& p) { cameraGlyph(p, Qt::white, QRectF(6, 6, 52, 52)); });
    ok &= icon(d, "48.png", 64, 64, [](QPainter& p) { cameraGlyph(p, kInk, QRectF(6, 6, 52, 52)); });
    for (int i = 1; i <= 8; ++i) {
        const QByteArray name = "camNum" + QByteArray::number(i) + ".png";
        ok &= icon(d, name.constData(), 48, 48, [i](QPainter& p) {
            fillOnly(p, QColor(0x1e, 0x88, 0xe5));
            p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
            digit(p, Qt::white, QRectF(2, 6, 60, 50), QString::number(i));
        });
    }
    for (int i = 0; i < 4; ++i) {  // camera selector buttons 1 to 4
        const QByteArray name = QByteArray::number(60 + 2 * i) + ".png";
        ok &= icon(d, name.constData(), 58, 58, [i](QPainter& p) {
            p.setPen(QPen(kInk, 3));
            p.setBrush(Qt::white);
            p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
            cameraGlyph(p, kInk, QRectF(8, 6, 32, 32));
            digit(p, kInk, QRectF(30, 30, 30, 30), QString::number(i + 1));
        });
    }

    // Main screen option bar.
    ok &= icon(d, "split.png", 68, 68, [](QPainter& p) {
        p.setPen(QPen(Qt::white, 3));
        p.setBrush(QColor(255, 255, 255, 60));
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 2; ++c) p.drawRoundedRect(QRectF(6 + 27 * c, 6 + 27 * r, 25, 25), 3, 3);
    });
    ok &= icon(d, "stop.png", 68, 68, [](QPainter& p) {
        fillOnly(p, Qt::white);
        p.drawRoundedRect(QRectF(14, 14, 36, 36), 5, 5);
    });
    ok &= icon(d, "5.png", 68, 68, [](QPainter& p) {  // start / re-detect
        fillOnly(p, Qt::white);
        p.drawPolygon(QPolygonF({QPointF(18, 10), QPointF(54, 32), QPointF(18, 54)}));
    });
    ok &= icon(d, "setting.png", 68, 68, [](QPainter& p) {
        fillOnly(p, Qt::white);
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(32, 32);
            p.rotate(i * 45);
            p.drawRoundedRect(QRectF(-5, -29, 10, 14), 2, 2);
            p.restore();
        }
        p.drawEllipse(QPointF(32, 32), 19, 19);
        fillOnly(p, QColor(0x1f, 0x5f, 0xa8));
        p.drawEllipse(QPointF(32, 32), 8, 8);
    });
    ok &= icon(d, "sampling.png", 68, 68, [](QPainter& p) {
        cameraGlyph(p, Qt::white, QRectF(4, 2, 40, 40));
        circularArrow(p, Qt::white, QPointF(44, 46), 13, 4.5);
    });
    ok &= icon(d, "38.png", 68, 68, [](QPainter& p) {  // region settings
        QPen dash(Qt::white, 4, Qt::DashLine);
        p.setPen(dash);
        p.setBrush(QColor(255, 255, 255, 40));
        p.drawRect(QRectF(8, 12, 48, 40));
        fillOnly(p, Qt::white);
        for (const QPointF& c : {QPointF(8, 12), QPointF(56, 12), QPointF(8, 52), QPointF(56, 52)})
            p.drawRect(QRectF(c.x() - 5, c.y() - 5, 10, 10));
    });
    ok &= icon(d, "39.png", 68, 68, [](QPainter& p) {  // statistics
        fillOnly(p, Qt::white);
        p.drawRect(QRectF(8, 34, 10, 22));
        p.drawRect(QRectF(23, 20, 10, 36));
        p.drawRect(QRectF(38, 28, 10, 28));
        p.drawRect(QRectF(6, 57, 52, 3));
    });
    ok &= icon(d, "40.png", 68, 68, [](QPainter& p) {  // product snapshot
        cameraGlyph(p, Qt::white, QRectF(4, 2, 40, 40));
        fillOnly(p, kAmber);
        p.drawRoundedRect(QRectF(38, 38, 22, 22), 4, 4);
    });
    ok &= icon(d, "39a.png", 68, 68, [](QPainter& p) {  // mould snapshot
        cameraGlyph(p, Qt::white, QRectF(4, 2, 40, 40));
        strokeOnly(p, kAmber, 4);
        p.drawRect(QRectF(36, 38, 24, 22));
        p.drawRect(QRectF(43, 45, 10, 8));
    });

    // Alarm and region bars.
    ok &= icon(d, "110.png", 125, 68, [](QPainter& p) {  // live <-> template
        p.scale(68.0 / 125.0, 1);                        // equal units across and down: 117 wide, 64 high
        picture(p, Qt::white, QRectF(6, 12, 44, 40));
        picture(p, Qt::white, QRectF(68, 12, 44, 40));
        fillOnly(p, kAmber);
        p.drawPolygon(QPolygonF({QPointF(53, 24), QPointF(65, 24), QPointF(59, 16)}));
        p.drawPolygon(QPolygonF({QPointF(53, 40), QPointF(65, 40), QPointF(59, 48)}));
    });
    ok &= icon(d, "43.png", 68, 68, [](QPainter& p) {  // don't detect
        strokeOnly(p, Qt::white, 5);
        QPainterPath eye;
        eye.moveTo(4, 32);
        eye.quadTo(32, 6, 60, 32);
        eye.quadTo(32, 58, 4, 32);
        p.drawPath(eye);
        p.drawEllipse(QPointF(32, 32), 8, 8);
        strokeOnly(p, kRed, 6);
        p.drawLine(QPointF(10, 54), QPointF(54, 10));
    });
    ok &= icon(d, "44.png", 68, 68, [](QPainter& p) {  // add as template
        picture(p, Qt::white, QRectF(4, 8, 42, 36));
        fillOnly(p, kGreen);
        p.drawEllipse(QPointF(46, 46), 15, 15);
        strokeOnly(p, Qt::white, 5);
        p.drawLine(QPointF(46, 37), QPointF(46, 55));
        p.drawLine(QPointF(37, 46), QPointF(55, 46));
    });
    const auto target = [](QPainter& p, const QColor& c) {
        strokeOnly(p, c, 4);
        p.drawEllipse(QPointF(28, 30), 18, 18);
        p.drawLine(QPointF(28, 4), QPointF(28, 18));
        p.drawLine(QPointF(28, 42), QPointF(28, 56));
        p.drawLine(QPointF(2, 30), QPointF(16, 30));
        p.drawLine(QPointF(40, 30), QPointF(54, 30));
    };
    ok &= icon(d, "45.png", 68, 68, [target](QPainter& p) {  // ignore alarm point
        target(p, Qt::white);
        strokeOnly(p, kAmber, 6);
        p.drawLine(QPointF(40, 60), QPointF(60, 40));
    });
    ok &= icon(d, "46.png", 68, 68, [target](QPainter& p) {  // delete ignored points
        target(p, Qt::white);
        trash(p, kRed, QRectF(40, 38, 22, 24));
    });
    ok &= icon(d, "104.png", 48, 48, [](QPainter& p) { picture(p, kInk, QRectF(6, 10, 52, 44)); });
    ok &= icon(d, "105.png", 48, 48, [](QPainter& p) {  // detection step
        fillOnly(p, kInk);
        for (int i = 0; i < 3; ++i) {
            p.drawEllipse(QPointF(12, 14 + 18 * i), 5, 5);
            p.drawRoundedRect(QRectF(22, 10 + 18 * i, 36, 8), 3, 3);
        }
    });
    // Camera entries of the editor bars' camera lists: cameras 1 to 4 under the list's numbers
    // 59, 61, 63, 65; cameras 5 to 8 under their own names (67 to 73 are other icons).
    for (int i = 1; i <= 8; ++i) {
        const QByteArray name =
            i <= 4 ? QByteArray::number(2 * i + 57) + ".png" : "camList" + QByteArray::number(i) + ".png";
        ok &= icon(d, name.constData(), 48, 48, [i](QPainter& p) {
            cameraGlyph(p, kInk, QRectF(4, 2, 40, 40));
            fillOnly(p, kInk);
            p.drawRoundedRect(QRectF(34, 32, 28, 30), 6, 6);
            digit(p, Qt::white, QRectF(34, 34, 28, 26), QString::number(i));
        });
    }
    ok &= icon(d, "106.png", 68, 68, [](QPainter& p) {  // template stack
        p.setPen(QPen(Qt::white, 3));
        p.setBrush(QColor(255, 255, 255, 50));
        p.drawRoundedRect(QRectF(16, 6, 40, 32), 3, 3);
        p.drawRoundedRect(QRectF(10, 14, 40, 32), 3, 3);
        picture(p, Qt::white, QRectF(4, 22, 40, 34));
    });
    ok &= icon(d, "107.png", 60, 60, [](QPainter& p) { chevron(p, Qt::white, 9, QPointF(18, 32), 18, 2); });
    ok &= icon(d, "108.png", 60, 60, [](QPainter& p) { chevron(p, Qt::white, 9, QPointF(46, 32), 18, 3); });

    // Region drawing tools.
    ok &= icon(d, "99.png", 60, 60, [](QPainter& p) {
        strokeOnly(p, kInk, 5);
        p.drawRect(QRectF(8, 14, 48, 36));
    });
    ok &= icon(d, "98.png", 60, 60, [](QPainter& p) {
        strokeOnly(p, kInk, 5);
        p.drawEllipse(QPointF(32, 32), 25, 25);
        p.drawEllipse(QPointF(32, 32), 11, 11);
    });
    ok &= icon(d, "97.png", 60, 60, [](QPainter& p) {
        strokeOnly(p, kInk, 5);
        const QPolygonF poly(
            {QPointF(10, 20), QPointF(34, 6), QPointF(56, 24), QPointF(48, 56), QPointF(16, 50)});
        p.drawPolygon(poly);
        fillOnly(p, kInk);
        for (const QPointF& v : poly) p.drawEllipse(v, 5, 5);
    });
    ok &= icon(d, "96.png", 60, 60, [](QPainter& p) {  // free hand
        strokeOnly(p, kInk, 5);
        QPainterPath path;
        path.moveTo(8, 40);
        path.cubicTo(12, 8, 30, 52, 36, 24);
        path.cubicTo(40, 6, 58, 20, 52, 40);
        path.cubicTo(46, 58, 20, 60, 8, 40);
        p.drawPath(path);
    });
    ok &= icon(d, "100.png", 60, 60, [](QPainter& p) {  // copy
        p.setPen(ink(kInk, 5));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(22, 6, 34, 38), 4, 4);
        p.drawRoundedRect(QRectF(8, 20, 34, 38), 4, 4);
    });
    ok &= icon(d, "101.png", 60, 60, [](QPainter& p) { trash(p, kRed, QRectF(14, 8, 36, 50)); });
    ok &= icon(d, "102.png", 60, 60, [](QPainter& p) {  // delete all
        trash(p, kRed, QRectF(6, 8, 30, 50));
        trash(p, kRed, QRectF(30, 8, 30, 50));
    });

    // Settings dialog tab groups.
    ok &= icon(d, "3c.png", 64, 64, [](QPainter& p) { cameraGlyph(p, Qt::white, QRectF(6, 6, 52, 52)); });
    ok &= icon(d, "49.png", 64, 64, [](QPainter& p) {  // network
        strokeOnly(p, Qt::white, 4);
        p.drawRect(QRectF(24, 4, 16, 14));
        p.drawRect(QRectF(4, 46, 16, 14));
        p.drawRect(QRectF(44, 46, 16, 14));
        p.drawLine(QPointF(32, 18), QPointF(32, 32));
        p.drawPolyline(QPolygonF({QPointF(12, 46), QPointF(12, 32), QPointF(52, 32), QPointF(52, 46)}));
    });
    ok &= icon(d, "50.png", 64, 64, [](QPainter& p) {  // log and memo
        strokeOnly(p, Qt::white, 4);
        p.drawRoundedRect(QRectF(10, 4, 44, 56), 4, 4);
        for (int i = 0; i < 4; ++i) p.drawLine(QPointF(18, 16 + 11 * i), QPointF(46, 16 + 11 * i));
    });
    ok &= icon(d, "51.png", 64, 64, [](QPainter& p) {  // IO
        strokeOnly(p, Qt::white, 4);
        p.drawRoundedRect(QRectF(14, 14, 36, 36), 4, 4);
        for (int i = 0; i < 3; ++i) {
            const qreal y = 22 + 10 * i;
            p.drawLine(QPointF(4, y), QPointF(14, y));
            p.drawLine(QPointF(50, y), QPointF(60, y));
        }
    });
    ok &= icon(d, "52.png", 64, 64, [](QPainter& p) {  // advanced: sliders
        strokeOnly(p, Qt::white, 4);
        for (int i = 0; i < 3; ++i) p.drawLine(QPointF(8, 14 + 18 * i), QPointF(56, 14 + 18 * i));
        fillOnly(p, Qt::white);
        p.drawEllipse(QPointF(20, 14), 7, 7);
        p.drawEllipse(QPointF(42, 32), 7, 7);
        p.drawEllipse(QPointF(28, 50), 7, 7);
    });
    ok &= icon(d, "53.png", 64, 64, [](QPainter& p) {  // about and help
        strokeOnly(p, Qt::white, 5);
        p.drawEllipse(QPointF(32, 32), 27, 27);
        QPainterPath q;
        q.moveTo(23, 24);
        q.cubicTo(23, 12, 41, 12, 41, 24);
        q.cubicTo(41, 31, 32, 31, 32, 39);
        p.drawPath(q);
        fillOnly(p, Qt::white);
        p.drawEllipse(QPointF(32, 48), 3.5, 3.5);
    });

    // Camera page.
    ok &= icon(d, "4a.png", 100, 36, [](QPainter& p) {
        p.scale(36.0 / 100.0, 1);  // undo the wide stretch: the chevron keeps its shape
        chevron(p, QColor(0x9e, 0x9e, 0x9e), 5, QPointF(32 * 100.0 / 36.0, 22), 14, 0);
    });
    ok &= icon(d, "57-1.png", 26, 26,
               [](QPainter& p) { circularArrow(p, QColor(0x65, 0x62, 0x63), QPointF(32, 32), 22, 7); });
    ok &= icon(d, "57.png", 26, 26, [](QPainter& p) {  // order
        fillOnly(p, QColor(0x65, 0x62, 0x63));
        p.drawPolygon(QPolygonF({QPointF(18, 4), QPointF(32, 24), QPointF(4, 24)}));
        p.drawRect(QRectF(14, 24, 8, 34));
        p.drawPolygon(QPolygonF({QPointF(46, 60), QPointF(60, 40), QPointF(32, 40)}));
        p.drawRect(QRectF(42, 6, 8, 34));
    });
    ok &= icon(d, "58.png", 60, 60, [](QPainter& p) {  // detach: window with an outward arrow
        strokeOnly(p, kInk, 5);
        p.drawPolyline(
            QPolygonF({QPointF(30, 10), QPointF(8, 10), QPointF(8, 56), QPointF(54, 56), QPointF(54, 34)}));
        p.drawLine(QPointF(28, 36), QPointF(56, 8));
        p.drawPolyline(QPolygonF({QPointF(38, 8), QPointF(56, 8), QPointF(56, 26)}));
    });
    ok &= icon(d, "67.png", 60, 60, [](QPainter& p) {  // attach: window with an inward arrow
        strokeOnly(p, kInk, 5);
        p.drawPolyline(
            QPolygonF({QPointF(30, 10), QPointF(8, 10), QPointF(8, 56), QPointF(54, 56), QPointF(54, 34)}));
        p.drawLine(QPointF(28, 36), QPointF(56, 8));
        p.drawPolyline(QPolygonF({QPointF(28, 18), QPointF(28, 36), QPointF(46, 36)}));
    });

    // Page bar.
    ok &= icon(d, "68.png", 48, 48, [](QPainter& p) { chevron(p, kInk, 7, QPointF(22, 32), 14, 2); });
    ok &= icon(d, "69.png", 48, 48, [](QPainter& p) { chevron(p, kInk, 7, QPointF(42, 32), 14, 3); });
    ok &= icon(d, "72.png", 48, 48, [](QPainter& p) {
        chevron(p, kInk, 7, QPointF(26, 32), 14, 2);
        p.drawLine(QPointF(16, 18), QPointF(16, 46));
    });
    ok &= icon(d, "73.png", 48, 48, [](QPainter& p) {
        chevron(p, kInk, 7, QPointF(38, 32), 14, 3);
        p.drawLine(QPointF(48, 18), QPointF(48, 46));
    });

    // Zoom controls.
    ok &= icon(d, "ZoomOut.png", 64, 64, [](QPainter& p) {
        p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(QColor(0x1e, 0xb4, 0xe6, 60));
        p.drawEllipse(QPointF(26, 26), 17, 17);
        p.drawLine(QPointF(39, 39), QPointF(57, 57));
        p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(18, 26), QPointF(34, 26));
    });
    ok &= icon(d, "ZoomAll.png", 64, 64, [](QPainter& p) {  // fit to view
        strokeOnly(p, Qt::white, 5);
        for (int i = 0; i < 4; ++i) {
            p.save();
            p.translate(32, 32);
            p.rotate(90 * i);
            p.drawPolyline(QPolygonF({QPointF(-26, -10), QPointF(-26, -26), QPointF(-10, -26)}));
            p.restore();
        }
        p.drawRect(QRectF(20, 20, 24, 24));
    });
    ok &= save(d, "6.png", 40, 192, [](QPainter& p, int w, int h) {  // zoom track
        p.setPen(QPen(kFrame, 2));
        verticalGradient(p, QRectF(w / 2.0 - 8, 4, 16, h - 8), QColor(0x16, 0x2c, 0x44),
                         QColor(0x05, 0x0e, 0x1a), 8);
        fillOnly(p, kAccent);
        p.drawRect(QRectF(w / 2.0 - 1, 12, 2, h - 24));
    });
    ok &= save(d, "7.png", 86, 86, [](QPainter& p, int w, int h) {  // zoom knob
        QRadialGradient g(QPointF(w * 0.4, h * 0.35), w * 0.6);
        g.setColorAt(0, Qt::white);
        g.setColorAt(1, QColor(0xb0, 0xbc, 0xc8));
        p.setPen(QPen(QColor(0x5a, 0x6a, 0x7a), 3));
        p.setBrush(g);
        p.drawEllipse(QRectF(4, 4, w - 8, h - 8));
        strokeOnly(p, QColor(0x5a, 0x6a, 0x7a), 3);
        for (int i = -1; i <= 1; ++i)
            p.drawLine(QPointF(w / 2.0 - 16, h / 2.0 + 8 * i), QPointF(w / 2.0 + 16, h / 2.0 + 8 * i));
    });

    // Splash logo: a lens looking into an open mould.
    ok &= save(d, "0logo.png", 600, 240, [](QPainter& p, int, int) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x27, 0x3d, 0x88));
        p.drawRoundedRect(QRectF(40, 40, 150, 160), 14, 14);  // mould half
        p.drawRoundedRect(QRectF(410, 40, 150, 160), 14, 14);
        p.setBrush(QColor(0x1e, 0xb4, 0xe6));
        p.drawRect(QRectF(190, 96, 30, 48));  // cavities
        p.drawRect(QRectF(380, 96, 30, 48));
        QRadialGradient g(QPointF(290, 110), 80);
        g.setColorAt(0, QColor(0x9f, 0xe8, 0xff));
        g.setColorAt(0.5, QColor(0x1e, 0x88, 0xe5));
        g.setColorAt(1, QColor(0x0d, 0x2a, 0x5c));
        p.setPen(QPen(QColor(0x27, 0x3d, 0x88), 10));
        p.setBrush(g);
        p.drawEllipse(QPointF(300, 120), 70, 70);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawEllipse(QPointF(278, 96), 14, 14);
    });
    return ok;
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_artwork <icons dir> <images dir>\n");
        return 2;
    }
    const QString icons = QString::fromLocal8Bit(argv[1]);
    const QString images = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(icons);
    QDir().mkpath(images);
    bool ok = true;
    // Compiled into the program (":/img/icons/").
    ok &= save(icons, "2.png", 640, 360, drawPage);
    ok &= save(icons, "3-1.png", 480, 320, drawDialog);
    ok &= save(icons, "buttonu.png", 240, 72, [](QPainter& p, int w, int h) { drawButton(p, w, h, false); });
    ok &= save(icons, "buttond.png", 240, 72, [](QPainter& p, int w, int h) { drawButton(p, w, h, true); });
    ok &= save(icons, "sliderd.png", 400, 40, [](QPainter& p, int w, int h) {  // track
        p.setPen(QPen(kFrame, 2));
        verticalGradient(p, QRectF(1, 1, w - 2, h - 2), QColor(0x05, 0x0e, 0x1a), QColor(0x16, 0x2c, 0x44),
                         8);
    });
    ok &= save(icons, "slideru.png", 400, 20, [](QPainter& p, int w, int h) {  // fill
        p.setPen(Qt::NoPen);
        verticalGradient(p, QRectF(0, 0, w, h), QColor(0x5c, 0xd6, 0xff), QColor(0x12, 0x8c, 0xc8), 4);
    });
    ok &= save(icons, "slidert.png", 20, 60, [](QPainter& p, int w, int h) {  // handle
        p.setPen(QPen(QColor(0x5a, 0x6a, 0x7a), 2));
        verticalGradient(p, QRectF(1, 1, w - 2, h - 2), QColor(0xff, 0xff, 0xff), QColor(0xc4, 0xce, 0xd8),
                         4);
    });
    ok &= save(icons, "19.png", 48, 48,
               [](QPainter& p, int w, int h) { drawLamp(p, w, h, QColor(0x60, 0x68, 0x70)); });
    ok &= save(icons, "18.png", 48, 48,
               [](QPainter& p, int w, int h) { drawLamp(p, w, h, QColor(0x20, 0xc0, 0x50)); });
    ok &= save(icons, "ZoomIn.png", 64, 64, drawZoomIn);
    // Icons of the screens, bars and style sheet.
    ok &= drawIcons(icons);
    // Read from the program directory ("./images/").
    ok &= save(images, "title.png", 960, 60, [](QPainter& p, int w, int h) {
        p.setPen(Qt::NoPen);
        verticalGradient(p, QRectF(0, 0, w, h), QColor(0x1d, 0x45, 0x6e), QColor(0x0b, 0x1e, 0x34), 0);
        p.setBrush(kAccent);
        p.drawRect(QRectF(0, h - 3, w, 3));
    });
    ok &= save(images, "line.png", 960, 4, [](QPainter& p, int w, int h) {
        QLinearGradient g(0, 0, w, 0);
        g.setColorAt(0, QColor(0x1e, 0xb4, 0xe6, 0));
        g.setColorAt(0.5, kAccent);
        g.setColorAt(1, QColor(0x1e, 0xb4, 0xe6, 0));
        p.fillRect(QRect(0, 0, w, h), g);
    });
    ok &= save(images, "edit.png", 160, 60, [](QPainter& p, int w, int h) {
        p.setPen(QPen(QColor(0x7f, 0x9a, 0xb4), 2));
        verticalGradient(p, QRectF(1, 1, w - 2, h - 2), QColor(0xe6, 0xec, 0xf2), QColor(0xff, 0xff, 0xff),
                         6);
    });
    ok &= save(images, "Origin.png", 64, 64, drawOrigin);
    const char* moves[] = {"MoveUp.png", "MoveDown.png", "MoveLeft.png", "MoveRight.png"};
    for (int d = 0; d < 4; ++d) {
        ok &= save(images, moves[d], 64, 64, [d](QPainter& p, int w, int h) { drawMove(p, w, h, d); });
        // The fine-tuning pad's arrows are compiled in.
        ok &= save(icons, moves[d], 64, 64, [d](QPainter& p, int w, int h) { drawMove(p, w, h, d); });
    }
    const char* users[3][2] = {{"CheckedAdmin.png", "Admin.png"},
                               {"CheckedOperator.png", "Operator.png"},
                               {"CheckedLimitUser.png", "LimitUser.png"}};
    for (int k = 0; k < 3; ++k) {
        ok &=
            save(images, users[k][0], 64, 64, [k](QPainter& p, int w, int h) { drawUser(p, w, h, k, true); });
        ok &= save(images, users[k][1], 64, 64,
                   [k](QPainter& p, int w, int h) { drawUser(p, w, h, k, false); });
    }
    // The resource list of the compiled-in icons: every PNG of the icons directory.
    QFile qrc(icons + QStringLiteral("/../icons.qrc"));
    if (qrc.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        QByteArray text = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/img\">\n";
        for (const QString& f :
             QDir(icons).entryList(QStringList{QStringLiteral("*.png")}, QDir::Files, QDir::Name))
            text += "    <file>icons/" + f.toUtf8() + "</file>\n";
        text += "</qresource>\n</RCC>\n";
        ok &= qrc.write(text) == text.size();
    } else {
        ok = false;
    }
    return ok ? 0 : 1;
}
