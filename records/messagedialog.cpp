#include "messagedialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char* kGreen = "outline:0px;border:none;font-size:32px;color:white;background-color:#8BC34A;";
}

MessageDialog::MessageDialog(const QString& title, const QString& text, int flags, QWidget* parent)
    : QDialog(parent) {
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedSize(500, 400);
    setStyleSheet(QStringLiteral("background-color:gray;"));

    auto* bar = new QWidget(this);
    bar->setFixedSize(500, 60);
    bar->setStyleSheet(QStringLiteral("color:white;background-color:rgb(80,80,80);font-size:32px"));
    auto* titleLabel = new QLabel(title, bar);
    titleLabel->setFixedHeight(60);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(8, 0, 8, 0);
    barLayout->addWidget(titleLabel);
    barLayout->addStretch();

    auto addButton = [&](const char* label, const char* style) {
        auto* b = new QPushButton(tr(label), bar);
        b->setFixedSize(100, 50);
        b->setStyleSheet(QString::fromLatin1(style));
        barLayout->addWidget(b);
        return b;
    };
    if (flags & Ok) connect(addButton("确定", kGreen), &QPushButton::clicked, this, &QDialog::close);
    if (flags & No)
        connect(
            addButton("否", "outline:0px;border:none;font-size:32px;color:white;background-color:#E91E63;"),
            &QPushButton::clicked, this, &QDialog::reject);
    if (flags & Cancel)
        connect(addButton("取消", "font-size:32px;color:white;background-color:#9C27B0;"),
                &QPushButton::clicked, this, &QDialog::close);
    if (flags & Yes) connect(addButton("是", kGreen), &QPushButton::clicked, this, &QDialog::accept);

    auto* message = new QLabel(text, this);
    message->setObjectName(QStringLiteral("message"));
    message->setWordWrap(true);
    message->setMargin(10);
    message->setStyleSheet(QStringLiteral("font-size:28px;color:white;"));
    message->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(message, 1);
}

void MessageDialog::resetMessage(const QString& text) {
    if (auto* label = findChild<QLabel*>(QStringLiteral("message"))) {
        label->setText(text);
        label->repaint();
    }
}
