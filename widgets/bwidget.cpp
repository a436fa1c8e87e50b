#include "bwidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOption>

#include "blineedit.h"
#include "kiticons.h"

BWidget::BWidget(QWidget* parent) : QWidget(parent) {}

void BWidget::paintEvent(QPaintEvent*) {
    QStyleOption opt;
    opt.initFrom(this);
    QPainter p(this);
    style()->drawPrimitive(QStyle::PE_Widget, &opt, &p, this);
}

BOptionButton::BOptionButton(QWidget* parent) : QToolButton(parent) {
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setFixedSize(175, 112);
    setStyleSheet(
        "BOptionButton{background-color:#d3d3d3;icon-size:68px 68px;border-style:none;color:#656263;"
        "font-size:18px;padding:10px 0px 0px 0px;}BOptionButton:pressed{color:#ffffff;"
        "background-color:#656263;}");
}

BComboBox::BComboBox(QWidget* parent) : QComboBox(parent) {
    setView(new QListView(this));
}

QWidget* createVerticalSplitLine(QWidget* parent, QString colour) {
    auto* w = new QWidget(parent);
    w->setFixedWidth(1);
    w->setStyleSheet("background-color:" + colour);
    return w;
}

void PageControlBar::followTable(QTableView* table) {
    table_ = table;
    if (!table) return;
    connect(firstButton, &QPushButton::clicked, this, [this] { showPage(1); });
    connect(lastButton, &QPushButton::clicked, this, [this] { showPage(pageCount()); });
    connect(previousButton, &QPushButton::clicked, this, [this] { showPage(currentPage() - 1); });
    connect(nextButton, &QPushButton::clicked, this, [this] { showPage(currentPage() + 1); });
    QPushButton* numbered[4] = {pageButton1, pageButton2, pageButton3, pageButton4};
    for (int k = 0; k < 4; ++k)
        connect(numbered[k], &QPushButton::clicked, this, [this, k] { showPage(k + 1); });
    connect(table->verticalScrollBar(), &QScrollBar::valueChanged, this, &PageControlBar::updatePages);
    connect(table->verticalScrollBar(), &QScrollBar::rangeChanged, this, &PageControlBar::updatePages);
    if (QAbstractItemModel* model = table->model()) {
        connect(model, &QAbstractItemModel::rowsInserted, this, &PageControlBar::updatePages);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &PageControlBar::updatePages);
        connect(model, &QAbstractItemModel::modelReset, this, &PageControlBar::updatePages);
    }
    updatePages();
}

int PageControlBar::rowsPerPage() const {
    if (!table_ || !table_->model() || table_->model()->rowCount() == 0) return 1;
    const int rowHeight = table_->rowHeight(0);
    return rowHeight > 0 ? qMax(1, table_->viewport()->height() / rowHeight) : 1;
}

int PageControlBar::pageCount() const {
    const int rows = table_ && table_->model() ? table_->model()->rowCount() : 0;
    return (rows + rowsPerPage() - 1) / rowsPerPage();
}

int PageControlBar::currentPage() const {
    const int pages = pageCount();
    if (pages == 0) return 0;
    // The last page cannot come to the top when it is not full: at the end of the table, it is shown.
    const QScrollBar* bar = table_->verticalScrollBar();
    if (bar->maximum() > 0 && bar->value() == bar->maximum()) return pages;
    return qMin(pages, qMax(0, table_->rowAt(0)) / rowsPerPage() + 1);
}

void PageControlBar::showPage(int page) {
    const int pages = pageCount();
    if (pages == 0) return;
    page = qBound(1, page, pages);
    table_->scrollTo(table_->model()->index((page - 1) * rowsPerPage(), 0), QAbstractItemView::PositionAtTop);
    updatePages();
}

void PageControlBar::updatePages() {
    if (!table_) return;
    const int pages = pageCount();
    const int current = currentPage();
    QPushButton* numbered[4] = {pageButton1, pageButton2, pageButton3, pageButton4};
    for (int k = 0; k < 4; ++k) {
        numbered[k]->setVisible(k < pages);
        // Auto-exclusive buttons cannot all be unticked: tick the current page's, when it has one.
        if (k + 1 == current) numbered[k]->setChecked(true);
    }
}

QWidget* createHorizontalSplitLine(QWidget* parent, QString colour) {
    auto* w = new QWidget(parent);
    w->setFixedHeight(1);
    w->setStyleSheet("background-color:" + colour);
    return w;
}

PageControlBar::PageControlBar(QWidget* parent) : BWidget(parent) {
    auto iconButton = [this](const char* icon) {
        auto* b = new QPushButton(this);
        b->setIcon(QIcon(kitPixmap(QString::fromLatin1(icon))));
        return b;
    };
    firstButton = iconButton(":/img/icons/72.png");
    previousButton = iconButton(":/img/icons/68.png");
    pageButton1 = new QPushButton("1", this);
    pageButton2 = new QPushButton("2", this);
    pageButton3 = new QPushButton("3", this);
    pageButton4 = new QPushButton("4", this);
    nextButton = iconButton(":/img/icons/69.png");
    lastButton = iconButton(":/img/icons/73.png");

    const QList<QPushButton*> all = {firstButton, previousButton, pageButton1, pageButton2,
                                     pageButton3, pageButton4,    nextButton,  lastButton};
    for (QPushButton* b : all) {
        b->setFixedSize(60, 60);
        b->setIconSize(QSize(60, 60));
    }
    const QString pageSheet =
        "QPushButton{color:#625f60;font-size:22px;border-width:1px;border-style:solid;border-color:#625f60;"
        "background:#ffffff;border-radius:30px;}QPushButton:pressed{background-color:#656263;"
        "color:#ffffff;}QPushButton:checked{background-color:#656263;color:#ffffff;}";
    for (QPushButton* b : {pageButton1, pageButton2, pageButton3, pageButton4}) {
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setStyleSheet(pageSheet);
    }

    auto* pageEdit = new BLineEdit(this, tr("页码"), tr("请输入正数"), 0);
    pageEdit->setObjectName("pageEdit");
    pageEdit->setFixedWidth(80);
    pageEdit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pageEdit->setMinimumHeight(50);
    pageEdit->setStyleSheet("font-size:22px;color:#656263;");
    auto* unit = new QLabel(tr("页"), this);

    auto* row = new QHBoxLayout(this);
    row->setSpacing(20);
    row->setContentsMargins(5, 5, 5, 5);
    row->addStretch();
    row->addWidget(firstButton);
    row->addWidget(previousButton);
    row->addWidget(pageButton1);
    row->addWidget(pageButton2);
    row->addWidget(pageButton3);
    row->addWidget(pageButton4);
    row->addWidget(pageEdit);
    row->addWidget(unit);
    row->addWidget(nextButton);
    row->addWidget(lastButton);
    setFixedHeight(70);
    setStyleSheet(
        "PageControlBar{border-width:1px 1px 0px 0px;border-style:solid;border-color:#d6d6d6;}"
        "QLabel{font-size:22px;color:#656263;}QPushButton{border-radius:30px;border-style:none;}");
}
