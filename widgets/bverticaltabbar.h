#pragma once
// The settings dialog's frame: a scrolling column of tab buttons in groups on the left, a title line
// with an exit button above a stack of pages on the right. Tabs switch on press.
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
};
