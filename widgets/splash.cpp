#include "splash.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/version.h"
#include "kiticons.h"

SplashWidget::SplashWidget(int width, QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(100, 100, 100, 100);
    column->setSpacing(15);
    column->addStretch();
    auto* logo = new QLabel(this);
    logo->setPixmap(kitPixmap(":/img/icons/0logo.png").scaledToWidth(width, Qt::SmoothTransformation));
    logo->setAlignment(Qt::AlignCenter);
    column->addWidget(logo, 0, Qt::AlignHCenter);
    column->addStretch();
    for (const QString& t :
         {tr("模内监控器"), QStringLiteral("PMX-210"), QString::fromLatin1(kMonitorVersion)}) {
        auto* l = new QLabel(t, this);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        column->addWidget(l);
    }
    setStyleSheet("QLabel{font-size:22px;color:#656263;}");
}

BSplashScreen::BSplashScreen(QWidget* parent)
    : QSplashScreen(parent ? parent->screen() : nullptr, QPixmap()) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new SplashWidget(800, this));
    setFixedSize(1920, 1080);
}
