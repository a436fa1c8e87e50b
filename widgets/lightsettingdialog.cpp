#include "lightsettingdialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

lightsettingdialog::lightsettingdialog(QWidget* parent) : QDialog(parent) {
    auto* body = new QWidget(this);
    body->setFixedSize(600, 400);

    auto* titleBar = new QWidget(this);
    titleBar->setFixedHeight(100);
    titleBar->setStyleSheet(
        QStringLiteral("color:white;background-color:#1E1E1E;font-size:20px;border:0px;"));

    titleLabel = new QLabel(titleBar);
    titleLabel->setFixedSize(600, 100);
    titleLabel->setText(tr("网络设置"));
    titleLabel->setStyleSheet(QStringLiteral("color:white;font-size:28px;"));

    okButton = new QPushButton(tr("确定"), titleBar);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setFixedSize(120, 60);
    okButton->setStyleSheet(
        QStringLiteral("outline:0px;border:0px;font-size:20px;color:white;background-color:#8BC34A;"));
    connect(okButton, &QPushButton::pressed, this, &QDialog::accept);

    cancelButton = new QPushButton(tr("取消"), titleBar);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setFixedSize(120, 60);
    cancelButton->setStyleSheet(
        QStringLiteral("outline:0px;border:0px;font-size:20px;color:white;background-color:#E91E63;"));
    connect(cancelButton, &QPushButton::pressed, this, &QDialog::reject);

    auto* barRow = new QHBoxLayout(titleBar);
    barRow->addWidget(titleLabel);
    barRow->addStretch();
    barRow->addWidget(cancelButton);
    barRow->addWidget(okButton);
    barRow->setSpacing(30);
    barRow->setContentsMargins(0, 0, 0, 0);

    auto* column = new QVBoxLayout(body);
    column->addWidget(titleBar);
    column->addStretch();

    setStyleSheet(
        QStringLiteral("background-color:rgb(57,60,69);border-style: outset;background-color:none;"
                       "QDialog{color:none;border:1px solid rgb(255, 255, 255);}"
                       "lishtsettingBase{background:#CCCCCC;border: none;border-radius: 15px;height: 30px;}"
                       "QPushButton:pressed{background-color:#FFC107;}QLabel{color:white;}"
                       "QLineEdit:!focus{border: 1px solid #959595;background:transparent;color:white;}"
                       "QLineEdit:focus{background:white;color:black;}"));
    setWindowFlags(Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
}

void lightsettingdialog::setText(const QString& text) {
    titleLabel->setText(text);
}
