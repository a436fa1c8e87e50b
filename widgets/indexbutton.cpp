#include "indexbutton.h"

#include <QEvent>
#include <QFontMetrics>
#include <QListView>
#include <QPainter>

#include "app/globals.h"
#include "app/lanstr.h"
#include "kiticons.h"
#include "platform/system/timing.h"

namespace {

// The shared button image loaded at start, or the kit's own while it is missing.
QPixmap buttonImage(bool down) {
    const QPixmap* shared = gpPixmapButton[down ? 1 : 0];
    if (shared && !shared->isNull()) return *shared;
    return kitPixmap(down ? ":/img/icons/buttond.png" : ":/img/icons/buttonu.png");
}

// Smallest caption size the buttons shrink to where a long caption would be cut at the edges.
constexpr int kMinCaptionPx = 12;

}  // namespace

ColorButton::ColorButton(const QString& text, QWidget* parent, int type)
    : QPushButton(text, parent), m_type(type) {
    setFocusPolicy(Qt::NoFocus);
}

ColorButton::ColorButton(QPixmap image, QWidget* parent)
    : QPushButton(QString(), parent), m_type(3), m_hasImage(true), m_image(std::move(image)) {
    setFocusPolicy(Qt::NoFocus);
}

void ColorButton::setPixmap(QPixmap image) {
    m_image = std::move(image);
    update();
}

void ColorButton::SetRepeat() {
    setAutoRepeat(true);
    setAutoRepeatDelay(TimeMs("kit.repeatDelay", 300));
    setAutoRepeatInterval(TimeMs("kit.repeatInterval", 50));
}

int ColorButton::textPixelSize(int type) {
    if (type == 3) return gLan == 0 ? 27 : 22;
    return 24;
}

int ColorButton::captionPixelSize(const QString& text, int width, int type) {
    // A caption wider than the button (English function keys at 80 px) is set smaller rather than
    // cut at the button's edges.
    QFont f(QStringLiteral("wqy-microhei"));
    int px = textPixelSize(type);
    const QStringList lines = text.split('\n');
    for (;; --px) {
        f.setPixelSize(px);
        const QFontMetrics fm(f);
        int widest = 0;
        for (const QString& line : lines) widest = qMax(widest, fm.horizontalAdvance(line));
        if (widest <= width - 4 || px <= kMinCaptionPx) return px;
    }
}

void ColorButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_hasImage) {
        p.drawPixmap(rect(), m_image);
        return;
    }
    p.drawPixmap(rect(), buttonImage(isDown()));

    QFont f(QStringLiteral("wqy-microhei"));
    f.setPixelSize(captionPixelSize(text(), width(), m_type));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(QPoint(0, 0), QPoint(width() - 1, height() - 1)), Qt::AlignCenter, text());
}

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent), m_list(new QListView(this)) {
    setFocusPolicy(Qt::NoFocus);
    setView(m_list);
    installEventFilter(this);
}

void ComboBox::setItemHeight(int h) {
    setStyleSheet(QString("QComboBox QAbstractItemView::item{height:%1px;}").arg(h) +
                  "QComboBox::tab-bar{border-width:0px;}");
}

void ComboBox::setItemWidth(int w) {
    m_list->setFixedWidth(w);
}

bool ComboBox::eventFilter(QObject* obj, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) emit clicked();
    return QObject::eventFilter(obj, event);
}
