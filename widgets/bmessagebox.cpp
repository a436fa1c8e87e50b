#include "bmessagebox.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "app/msgbox.h"
#include "bwidget.h"
#include "fittext.h"
#include "kithost.h"
#include "kiticons.h"
#include "kittext.h"

QString messageBoxSheet() {
    return QStringLiteral(
        "BMessageBox{border-width:1px;border-style:solid;border-color:#656263;background-color:#ffffff;}"
        "QLabel{font-size:30px;color:#656263;}QPushButton{background-color:#d3d3d3;border-style:none;"
        "color:#656263;font-size:22px;}QPushButton:pressed{color:#656263;background-color:#83636e;}");
}

namespace {

// Top-left corner of a w x h box centred on the display area, or on the screen while the display
// size is not known yet (a box of start-up, before the main window).
QPoint centredCorner(int w, int h) {
    if (gShowW > 0 && gShowH > 0) return QPoint(gShowW / 2 - w / 2, gShowH / 2 - h / 2);
    QRect screen(0, 0, 1920, 1080);
    if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->geometry();
    return QPoint(screen.x() + (screen.width() - w) / 2, screen.y() + (screen.height() - h) / 2);
}

// The height a box of width w needs for its content, at least `minimum`.
int neededHeight(QWidget* box, int w, int minimum) {
    QLayout* l = box->layout();
    if (!l) return minimum;
    box->ensurePolished();
    l->activate();
    const int h = l->hasHeightForWidth() ? l->totalHeightForWidth(w) : l->totalSizeHint().height();
    return qMax(minimum, h);
}

QLabel* makeTitle(QWidget* box, const QString& title, int width) {
    auto* l = new QLabel(title, box);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    l->setFixedWidth(width);
    fitCaption(l, title, width - 4, 30, true);
    return l;
}

QLabel* makeIcon(QWidget* box, const char* path, int size) {
    auto* l = new QLabel(box);
    l->setFixedSize(size, size);
    l->setAlignment(Qt::AlignCenter);
    if (path) {
        QPixmap pm = kitPixmap(QString::fromLatin1(path));
        if (!pm.isNull()) l->setPixmap(pm.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    return l;
}

// The common frame: title column | rule | (icon + message) over a stretch and the button row.
void buildFrame(QDialog* box, QLabel* title, QLabel* icon, QLabel* text, QLayout* buttonRow,
                int rightSpacing) {
    auto* left = new QVBoxLayout;
    left->setContentsMargins(0, 0, 0, 0);
    left->addSpacing(12);
    left->addWidget(title);
    left->addStretch();

    auto* textColumn = new QVBoxLayout;
    textColumn->setContentsMargins(0, 0, 0, 0);
    textColumn->addSpacing(12);
    textColumn->addWidget(text);
    textColumn->addStretch();
    auto* messageRow = new QHBoxLayout;
    messageRow->setContentsMargins(0, 0, 0, 0);
    messageRow->addWidget(icon, 0, Qt::AlignTop);
    messageRow->addLayout(textColumn, 1);

    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    if (rightSpacing >= 0) right->setSpacing(rightSpacing);
    right->addLayout(messageRow);
    right->addStretch();
    right->addLayout(buttonRow);

    auto* outer = new QHBoxLayout(box);
    outer->setContentsMargins(16, 16, 16, 16);
    outer->setSpacing(16);
    outer->addLayout(left);
    outer->addWidget(createVerticalSplitLine(box, "#656263"));
    outer->addLayout(right, 1);
}

// Wakes a dark screen for a box: backlight on and the screen-off delay restarted. Nothing before
// the main window and the parameter record exist.
void wakeForBox() {
    if (!gpWin || !gpWin->screenOff) return;
    kitBacklightOn();
    if (gpWin->screenOffTimer && kitHasRecord()) {
        const int s = kitHost().screenOffSeconds();
        if (s > 0) gpWin->screenOffTimer->start(s * 1000);
    }
}

bool isWide(QChar c) {
    return c.unicode() >= 0x2E80;  // CJK and full-width signs: a line may break between any two
}

}  // namespace

// The table's texts carry the line breaks of a narrower box; the box wraps them itself. A break stays
// where a sentence or a clause before a list ends; elsewhere the two lines join (with a blank between
// words, without one between Chinese characters), so that "是否保存系统\r\n参数？" reads on one line.
QString flowText(const QString& text) {
    static const QString kEnds = QStringLiteral("。！？!?：:");
    QString out;
    out.reserve(text.size());
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r?\n")));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = i == 0 ? lines[i] : lines[i].trimmed();
        if (i > 0) {
            const QString before = out.trimmed();
            if (before.isEmpty() || kEnds.contains(before.back())) {
                out = before + QLatin1Char('\n');
            } else {
                out = before;
                if (!line.isEmpty() && !(isWide(before.back()) || isWide(line.front())))
                    out += QLatin1Char(' ');
            }
        }
        out += line;
    }
    return out;
}

namespace {

QLabel* makeMessage(QWidget* box, const QString& text) {
    auto* l = new QLabel(flowText(text), box);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

}  // namespace

WarnBox::WarnBox(QString title, QWidget* parent)
    : QDialog(parent, Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint) {
    confirmButton = new QPushButton(kitText(121), this);
    confirmButton->setFixedSize(200, 72);
    confirmButton->setAutoDefault(false);
    connect(confirmButton, &QPushButton::clicked, this, &QDialog::accept);
    titleLabel = makeTitle(this, title, 120);
    textLabel = makeMessage(this, QString());
    QLabel* icon = makeIcon(this, ":/img/icons/56.png", 70);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch();
    buttons->addWidget(confirmButton);
    buttons->addStretch();
    buildFrame(this, titleLabel, icon, textLabel, buttons, 0);

    setStyleSheet(messageBoxSheet());
    setGeometry(QRect(centredCorner(680, 250), QSize(680, 250)));
}

void WarnBox::setText(const QString& text) {
    textLabel->setText(flowText(text));
}

void WarnBox::paintEvent(QPaintEvent*) {}

void WarnBox::showEvent(QShowEvent* event) {
    const int h = neededHeight(this, 680, 250);
    setGeometry(QRect(centredCorner(680, h), QSize(680, h)));
    wakeForBox();
    QDialog::showEvent(event);
}

void WarnBox::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
}

ChooseBox::ChooseBox(QString title, QWidget* parent)
    : QDialog(parent, Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint) {
    titleLabel = makeTitle(this, title, 120);
    textLabel = makeMessage(this, QString());
    QLabel* icon = makeIcon(this, ":/img/icons/56.png", 70);
    yesButton = new QPushButton(kitText(122), this);
    noButton = new QPushButton(kitText(123), this);
    for (QPushButton* b : {yesButton, noButton}) {
        b->setFixedHeight(72);
        b->setAutoDefault(false);
    }
    connect(yesButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(noButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(30, 30, 30, 30);
    buttons->setSpacing(30);
    buttons->addWidget(yesButton);
    buttons->addWidget(noButton);
    buildFrame(this, titleLabel, icon, textLabel, buttons, -1);

    setFixedSize(680, 310);
    setStyleSheet(messageBoxSheet());
    hide();
}

void ChooseBox::setText(const QString& text) {
    textLabel->setText(flowText(text));
}

void ChooseBox::paintEvent(QPaintEvent*) {}

void ChooseBox::showEvent(QShowEvent* event) {
    // A long question makes the box taller rather than cutting it off.
    const int h = neededHeight(this, width(), 310);
    if (h != height()) setFixedSize(width(), h);
    setGeometry(QRect(centredCorner(width(), height()), size()));
    QDialog::showEvent(event);
}

void ChooseBox::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
}

BMessageBox::BMessageBox(QString title, QString text, int buttons, BMessageBoxIcon icon, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint) {
    QLabel* titleLabel = makeTitle(this, title, 150);
    QLabel* iconLabel = makeIcon(this, (icon >= 1 && icon <= 4) ? ":/img/icons/warning.png" : nullptr, 48);
    QLabel* textLabel = makeMessage(this, text);

    struct Def {
        int bit;
        QString text;
        bool accepts;
    };
    const Def defs[] = {
        {BMB_Cancel, kitText(124), false}, {BMB_Confirm, kitText(121), true}, {BMB_No, kitText(123), false},
        {BMB_Yes, kitText(122), true},     {BMB_Close, tr("关闭"), false},
    };
    int count = 0;
    for (const Def& d : defs)
        if (buttons & d.bit) ++count;
    // The button row shares what is right of the title column and the rule.
    const int rowWidth = 680 - 2 * 16 - 150 - 1 - 2 * 16;
    const int buttonWidth = count ? (rowWidth - 6 * (count - 1)) / count : rowWidth;
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    for (const Def& d : defs) {
        if (!(buttons & d.bit)) continue;
        auto* b = new QPushButton(d.text, this);
        b->setFixedHeight(72);
        b->setAutoDefault(false);
        fitCaption(b, d.text, buttonWidth - 8, 22);
        if (d.accepts)
            connect(b, &QPushButton::pressed, this, &QDialog::accept);
        else
            connect(b, &QPushButton::pressed, this, &QDialog::reject);
        row->addWidget(b);
    }
    buildFrame(this, titleLabel, iconLabel, textLabel, row, -1);
    setStyleSheet(messageBoxSheet());
    const int h = neededHeight(this, 680, 250);
    setGeometry(QRect(centredCorner(680, h), QSize(680, h)));
}

namespace {

class KitBoxProvider : public BoxProvider {
public:
    void warn(const QString& text) override {
        WarnBox box(kitText(568));
        box.setText(text);
        box.exec();
    }
    bool choose(const QString& text) override {
        ChooseBox box(kitText(566));
        box.setText(text);
        return box.exec() == 1;
    }
};

}  // namespace

void installKitBoxes() {
    static KitBoxProvider provider;
    setBoxProvider(&provider);
}

WarnBox* showNoticeBox(const QString& text) {
    auto* box = new WarnBox(kitText(568));
    box->setText(text);
    box->show();
    return box;
}
