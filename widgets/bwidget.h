#pragma once
// Base widgets the screens are assembled from.
#include <QComboBox>
#include <QTableView>
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
    // Makes the bar page `table`: first, previous, next and last move it by a page of whole rows,
    // a numbered button shows its page (only the pages there are get one) and is ticked while that
    // page lies at the top. Follows the table's rows and scrolling from then on.
    void followTable(QTableView* table);
    // Rows a page of the followed table holds (at least 1), and the pages its rows fill.
    int rowsPerPage() const;
    int pageCount() const;
    // The page shown (1 on), 0 without rows.
    int currentPage() const;

    QPushButton* firstButton;
    QPushButton* previousButton;
    QPushButton* pageButton1;
    QPushButton* pageButton2;
    QPushButton* pageButton3;
    QPushButton* pageButton4;
    QPushButton* nextButton;
    QPushButton* lastButton;

private:
    void showPage(int page);
    void updatePages();

    QTableView* table_ = nullptr;
};
