// Draws the program's shared pixmaps (button, slider, dialog and page backgrounds, move and user
// icons) as PNG files. Run it after changing a drawing and commit the files it writes:
//     make_artwork <resources/icons> <resources/images>
// Plain shapes and gradients only (no text), in the panel's dark-blue theme, sized so that the
// widgets that stretch them stay sharp on a 1920x1080 screen.
#include <QDir>
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
    const QString path = dir + QLatin1Char('/') + QLatin1String(name);
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
    for (int d = 0; d < 4; ++d)
        ok &= save(images, moves[d], 64, 64, [d](QPainter& p, int w, int h) { drawMove(p, w, h, d); });
    const char* users[3][2] = {{"CheckedAdmin.png", "Admin.png"},
                               {"CheckedOperator.png", "Operator.png"},
                               {"CheckedLimitUser.png", "LimitUser.png"}};
    for (int k = 0; k < 3; ++k) {
        ok &=
            save(images, users[k][0], 64, 64, [k](QPainter& p, int w, int h) { drawUser(p, w, h, k, true); });
        ok &= save(images, users[k][1], 64, 64,
                   [k](QPainter& p, int w, int h) { drawUser(p, w, h, k, false); });
    }
    return ok ? 0 : 1;
}
