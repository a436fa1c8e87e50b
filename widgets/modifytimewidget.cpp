#include "modifytimewidget.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/globals.h"
#include "bmessagebox.h"
#include "bwidget.h"
#include "editdatetime.h"
#include "fittext.h"
#include "kittext.h"

ModifyTimeWidget::ModifyTimeWidget(QString title, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint) {
    titleLabel = new QLabel(title, this);
    titleLabel->setAlignment(Qt::AlignCenter);
    titleLabel->setFixedHeight(35);
    auto* titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(5, 5, 5, 5);
    titleRow->addWidget(titleLabel);
    titleRow->addStretch();

    dateTimeEdit = new EditDateTime(QString(), this);

    okButton = new QPushButton(kitText(121), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    cancelButton = new QPushButton(kitText(124), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton* b : {okButton, cancelButton}) {
        b->setFixedSize(250, 72);
        b->setAutoDefault(false);
        fitCaption(b, b->text(), 240, 22);
    }
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->setContentsMargins(10, 10, 10, 10);
    buttonRow->setSpacing(16);
    buttonRow->addWidget(okButton);
    buttonRow->addWidget(cancelButton);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(0);
    column->addLayout(titleRow);
    column->addWidget(createHorizontalSplitLine(this, QStringLiteral("#656263")));
    column->addWidget(dateTimeEdit, 1, Qt::AlignCenter);
    column->addLayout(buttonRow);

    setStyleSheet(messageBoxSheet());
    int cx = gShowW / 2, cy = gShowH / 2;
    if (gShowW <= 0 || gShowH <= 0) {
        // Built before the display area is known: centre on the screen.
        QRect screen(0, 0, 1920, 1080);
        if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->geometry();
        cx = screen.center().x();
        cy = screen.center().y();
    }
    // 680 x 400, or wider where the editor needs it (it is 680 wide itself, the frame adds 16 a
    // side), so that nothing is cut; centred either way.
    const QSize size = QSize(680, 400).expandedTo(column->minimumSize());
    setGeometry(QRect(QPoint(cx - size.width() / 2, cy - size.height() / 2), size));
}

void ModifyTimeWidget::paintEvent(QPaintEvent*) {}
