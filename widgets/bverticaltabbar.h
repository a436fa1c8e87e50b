#pragma once
// The settings dialog's frame: a scrolling column of tab buttons in groups on the left, a title line
// with an exit button above a stack of pages on the right. Tabs switch on press.
#include <QColor>
#include <QPixmap>
#include <QVector>

#include "bwidget.h"

class QLabel;
class QPushButton;
class QStackedLayout;
class QVBoxLayout;

class BVerticalTabBar : public BWidget {
    Q_OBJECT
public:
    // Captions start kDefaultInset pixels in when they all fit from there; kIconGap at least
    // separates an icon from a caption; kScrollBarRoom is the column's scroll bar and a margin.
    static constexpr int kDefaultInset = 130;
    static constexpr int kIconGap = 16;
    static constexpr int kScrollBarRoom = 50;
    static constexpr int kCaptionPx = 22;

    explicit BVerticalTabBar(QWidget* parent = nullptr);
    ~BVerticalTabBar() override;

    // Appends one group: titles[k] names pages[k]; the icon is drawn on the group's first button.
    // Lists of different lengths, or empty ones, add nothing.
    void addWidgetGroup(QPixmap& icon, QVector<QString> titles, QVector<QWidget*> pages);

signals:
    void Save_changes();
    void recordshow();
    void Memorandum();
    void DeviPara();
    void Exitsetup();

private slots:
    void tabBtnPressed();
    void systemExit();

private:
    // Gives every tab the caption inset (and a caption that would not fit a smaller size).
    void alignCaptions();

public:
    QStackedLayout* pageStack;
    QVector<QString> tabTitles;
    QVector<QPushButton*> tabButtons;
    QVector<QWidget*> tabPages;
    int groupCount = 0;
    QWidget* tabColumn;
    QLabel* titleLabel;
    QPushButton* exitButton;
    QVBoxLayout* tabColumnLayout;
    // Where every tab's caption starts, in pixels from the tab's left edge.
    int captionInset = kDefaultInset;
    // The group icon's place on its tab: kIconWidth pixels wide, kIconLeft in.
    static constexpr int kIconLeft = 50;
    static constexpr int kIconWidth = 46;
    // White artwork drawn in `colour`, its shape (alpha) kept.
    static QPixmap tinted(const QPixmap& artwork, const QColor& colour);
};
