#pragma once
// Base widgets the screens are assembled from.
#include <QComboBox>
#include <QToolButton>
#include <QWidget>

class QPushButton;

// A QWidget that draws its style sheet's background, border and radius.
class BWidget : public QWidget {
    Q_OBJECT
public:
    explicit BWidget(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The large icon-over-text button of the option bars (175 x 112).
class BOptionButton : public QToolButton {
    Q_OBJECT
public:
    explicit BOptionButton(QWidget* parent = nullptr);
};

// A combo box whose pop-up list is a list view (so item style rules apply).
class BComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit BComboBox(QWidget* parent = nullptr);
};

// One-pixel coloured rules; the caller adds them to a layout.
QWidget* createVerticalSplitLine(QWidget* parent, QString colour);
QWidget* createHorizontalSplitLine(QWidget* parent, QString colour);

// The pager strip under the log and memorandum tables. Connects nothing: owners use the buttons.
class PageControlBar : public BWidget {
    Q_OBJECT
public:
    explicit PageControlBar(QWidget* parent = nullptr);

    QPushButton* firstButton;
    QPushButton* previousButton;
    QPushButton* pageButton1;
    QPushButton* pageButton2;
    QPushButton* pageButton3;
    QPushButton* pageButton4;
    QPushButton* nextButton;
    QPushButton* lastButton;
};
