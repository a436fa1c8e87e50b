#include "choosecalinumwidget.h"

#include <QLayout>
#include <QPainter>
#include <QPushButton>

#include "app/lanstr.h"
#include "indexbutton.h"
#include "kiticons.h"

namespace {
// Takes w out of whichever layout below `layout` holds it (the box places it
// itself).
bool removeFromLayout(QLayout* layout, QWidget* w) {
    if (!layout) return false;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == w) {
            delete layout->takeAt(i);
            return true;
        }
        if (removeFromLayout(item->layout(), w)) return true;
    }
    return false;
}
}  // namespace

ChooseCaliNumWidget::ChooseCaliNumWidget(QWidget* parent) : ChooseBox(QString(), parent) {
    pointCombo = new ComboBox(this);
    pointCombo->setObjectName(QStringLiteral("pointCombo"));
    pointCombo->setGeometry(width() / 2 + 100, height() / 4 - 30, 200, 80);
    pointCombo->addItems({QStringLiteral(" 4 "), QStringLiteral(" 9 "), QStringLiteral(" 25 ")});
    QFont f(QStringLiteral("wqy-microhei"));
    f.setPixelSize(33);
    pointCombo->setFont(f);
    pointCombo->setItemHeight(80);
    for (QPushButton* b : {yesButton, noButton}) {
        removeFromLayout(layout(), b);
        b->setFixedSize(220, 100);
    }
    // The buttons sit across the (empty) title column: its rule would run through "yes".
    for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (w->maximumWidth() == 1 && w->styleSheet().startsWith(QLatin1String("background-color:")))
            w->hide();
    // Readable on the dark background picture, and short enough to stay above the buttons.
    textLabel->setStyleSheet(QStringLiteral("QLabel{color:white;font-size:22px;}"));
    placeButtons();
}

int ChooseCaliNumWidget::pointCount() const {
    const int n = pointCombo->currentText().trimmed().toInt();
    return n > 0 ? n : 4;
}

void ChooseCaliNumWidget::placeButtons() {
    const int y = 2 * (height() / 3) - 50;
    yesButton->setGeometry(width() / 3 - 160, y, 220, 100);
    noButton->setGeometry(2 * (width() / 3) - 60, y, 220, 100);
}

void ChooseCaliNumWidget::showEvent(QShowEvent* event) {
    ChooseBox::showEvent(event);
    // The question wraps left of the point-count combo instead of running under it.
    if (QLayout* l = layout()) l->activate();
    const int overlap = textLabel->geometry().right() - (pointCombo->x() - 10);
    if (overlap > 0) textLabel->setContentsMargins(0, 0, overlap, 0);
    placeButtons();
    pointCombo->raise();
}

void ChooseCaliNumWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap bg = gpPixmapBG ? *gpPixmapBG : kitPixmap(QStringLiteral(":/img/icons/3-1.png"));
    p.drawPixmap(rect(), bg);
    p.setPen(QPen(Qt::white, 5));
    p.drawRect(QRect(QPoint(0, 0), QPoint(width() - 2, height() - 2)));
    placeButtons();
}
