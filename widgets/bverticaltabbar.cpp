#include "bverticaltabbar.h"

#include <QHBoxLayout>
#include <QLabel>
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
        "border-color:#d3d3d3;color:#656263;font-size:22px;text-align:left;padding:0px 0px 0px 130px;}"
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
            auto* iconLabel = new QLabel(b);
            iconLabel->setPixmap(icon.scaledToWidth(46, Qt::SmoothTransformation));
            auto* row = new QHBoxLayout(b);
            row->addSpacing(45);
            row->addWidget(iconLabel);
            row->addStretch();
        } else {
            b->setStyleSheet("border-width:0px 0px 1px 0px;");
        }
        // The caption starts 130 pixels in and must end before the column's scroll bar (40 pixels): a
        // longer one starts further left (not over the group's icon), and shrinks only if that is
        // not enough.
        QFont font = b->font();
        font.setPixelSize(22);
        const int room = tabColumn->width() - 40 - 10;
        const int needed = QFontMetrics(font).horizontalAdvance(titles[k]);
        if (130 + needed > room) {
            const int padding = qMax(k == 0 ? 100 : 30, room - needed);
            b->setStyleSheet(b->styleSheet() + QString("padding:0px 0px 0px %1px;").arg(padding));
            fitCaption(b, titles[k], room - padding, 22);
        }
        tabButtons.append(b);
        pages[k]->setParent(this);
        pageStack->addWidget(pages[k]);
    }
    tabTitles += titles;
    tabPages += pages;
    tabColumnLayout->insertSpacing(groupCount + tabButtons.size(), 30);
    ++groupCount;
    tabColumn->adjustSize();
    if (first) {
        tabButtons[0]->setChecked(true);
        titleLabel->setText(tabTitles[0]);
        pageStack->setCurrentIndex(0);
    }
}

void BVerticalTabBar::tabBtnPressed() {
    auto* b = qobject_cast<QPushButton*>(sender());
    const int i = tabButtons.indexOf(b);
    if (!b || i < 0) return;
    titleLabel->setText(tabTitles[i]);
    if (tabTitles[i] == kitText(575)) emit recordshow();
    if (tabTitles[i] == kitText(576)) emit Memorandum();
    if (tabTitles[i] == kitText(431)) emit DeviPara();
    pageStack->setCurrentIndex(i);
}

void BVerticalTabBar::systemExit() {
    emit Exitsetup();
}
