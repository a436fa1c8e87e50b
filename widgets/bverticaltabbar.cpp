#include "bverticaltabbar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "fittext.h"
#include "kittext.h"

BVerticalTabBar::BVerticalTabBar(QWidget* parent) : BWidget(parent) {
    auto* scroll = new QScrollArea(this);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setStyleSheet("QScrollBar:vertical {width:40px;}");
    scroll->setFixedWidth(355);

    tabColumn = new QWidget(scroll);
    tabColumn->setFixedWidth(353);
    tabColumnLayout = new QVBoxLayout;
    tabColumnLayout->addStretch();
    tabColumnLayout->setSpacing(0);
    tabColumnLayout->setContentsMargins(0, 0, 0, 0);
    tabColumn->setLayout(tabColumnLayout);
    scroll->setWidget(tabColumn);

    titleLabel = new QLabel(this);
    titleLabel->setAlignment(Qt::AlignCenter);
    titleLabel->setFixedHeight(80);

    pageStack = new QStackedLayout;

    exitButton = new QPushButton(kitText(590), this);
    exitButton->setFixedSize(200, 80);

    auto* titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(0, 0, 0, 0);
    titleRow->setSpacing(0);
    titleRow->addWidget(titleLabel);
    titleRow->addWidget(exitButton);
    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    right->addLayout(titleRow);
    right->addLayout(pageStack);
    auto* main = new QHBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(scroll);
    main->addLayout(right);

    exitButton->setStyleSheet("background-color:#f4f4f4;border-color:#d3d3d3;color:#656263;font-size:22px;");
    titleLabel->setStyleSheet(
        "font-size:22px;color:#656263;background-color:#f4f4f4;border-width:0px 1px 1px 0px;"
        "border-style:solid;border-color:#d3d3d3;");
    tabColumn->setStyleSheet(
        "QPushButton{background-color:#ffffff;border-width:1px 0px 1px 0px;border-style:solid;"
        "border-color:#d3d3d3;color:#656263;font-size:22px;text-align:left;}"
        "QPushButton:checked{background-color:#656263;color:#ffffff;}");
    setStyleSheet(
        "BVerticalTabBar{background-color:#ffffff;border-width:0px 1px 0px 0px;border-style:solid;"
        "border-color:#d3d3d3;}");

    connect(exitButton, &QPushButton::pressed, this, &BVerticalTabBar::systemExit);
}

BVerticalTabBar::~BVerticalTabBar() = default;

void BVerticalTabBar::addWidgetGroup(QPixmap& icon, QVector<QString> titles, QVector<QWidget*> pages) {
    if (titles.size() != pages.size() || titles.isEmpty()) return;
    const bool first = tabButtons.isEmpty();
    for (int k = 0; k < titles.size(); ++k) {
        auto* b = new QPushButton(titles[k], tabColumn);
        tabColumnLayout->insertWidget(groupCount + tabButtons.size(), b);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        connect(b, &QPushButton::pressed, this, &BVerticalTabBar::tabBtnPressed);
        b->setFixedHeight(80);
        if (k == 0) {
            // The artwork is white, drawn for the dark selected tab; on a white tab it is drawn in the
            // captions' grey.
            auto* iconLabel = new QLabel(b);
            const QPixmap light = icon.scaledToWidth(kIconWidth, Qt::SmoothTransformation);
            const QPixmap dark = tinted(light, QColor(0x65, 0x62, 0x63));
            iconLabel->setPixmap(dark);
            iconLabel->setFixedWidth(kIconWidth);
            // The tab's own style (the caption's padding) would reach the icon too.
            iconLabel->setStyleSheet(QStringLiteral("padding:0px;border-width:0px;"));
            connect(b, &QPushButton::toggled, iconLabel,
                    [iconLabel, light, dark](bool on) { iconLabel->setPixmap(on ? light : dark); });
            auto* row = new QHBoxLayout(b);
            row->setContentsMargins(kIconLeft, 0, 0, 0);
            row->setSpacing(0);
            row->addWidget(iconLabel);
            row->addStretch();
        }
        tabButtons.append(b);
        pages[k]->setParent(this);
        pageStack->addWidget(pages[k]);
    }
    tabTitles += titles;
    tabPages += pages;
    alignCaptions();
    tabColumnLayout->insertSpacing(groupCount + tabButtons.size(), 30);
    ++groupCount;
    tabColumn->adjustSize();
    if (first) {
        tabButtons[0]->setChecked(true);
        titleLabel->setText(tabTitles[0]);
        pageStack->setCurrentIndex(0);
    }
}

QPixmap BVerticalTabBar::tinted(const QPixmap& artwork, const QColor& colour) {
    QPixmap out = artwork;
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(out.rect(), colour);
    return out;
}

void BVerticalTabBar::alignCaptions() {
    // Every caption starts at one inset, so that the column reads as one: 130 pixels in when all fit
    // from there before the scroll bar, further left for the widest (never over a group's icon); a
    // caption that still does not fit is drawn smaller.
    QFont font = QApplication::font();
    font.setPixelSize(kCaptionPx);
    const QFontMetrics fm(font);
    const int room = tabColumn->width() - kScrollBarRoom;
    int widest = 0;
    for (const QString& t : qAsConst(tabTitles)) widest = qMax(widest, fm.horizontalAdvance(t));
    captionInset = qBound(kIconLeft + kIconWidth + kIconGap, room - widest, kDefaultInset);
    for (int i = 0; i < tabButtons.size(); ++i) {
        QPushButton* b = tabButtons[i];
        // A group's first tab keeps its top border, the others share the one above them.
        const bool groupHead = b->findChild<QLabel*>() != nullptr;
        b->setStyleSheet(QString("%1padding:0px 0px 0px %2px;")
                             .arg(groupHead ? QString() : QStringLiteral("border-width:0px 0px 1px 0px;"))
                             .arg(captionInset));
        fitCaption(b, tabTitles[i], room - captionInset, kCaptionPx);
    }
}

void BVerticalTabBar::tabBtnPressed() {
    auto* b = qobject_cast<QPushButton*>(sender());
    const int i = tabButtons.indexOf(b);
    if (!b || i < 0) return;
    // The page changes on the press: the highlight goes with it, even when the finger then slides off
    // the tab (a click would only check it on a release inside).
    b->setChecked(true);
    titleLabel->setText(tabTitles[i]);
    if (tabTitles[i] == kitText(575)) emit recordshow();
    if (tabTitles[i] == kitText(576)) emit Memorandum();
    if (tabTitles[i] == kitText(431)) emit DeviPara();
    pageStack->setCurrentIndex(i);
}

void BVerticalTabBar::systemExit() {
    emit Exitsetup();
}
