#include "titlebar.h"

#include <QApplication>
#include <QDateTime>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/lanstr.h"
#include "io/controlport.h"
#include "mainwindow.h"
#include "widgets/fittext.h"

namespace {
QLabel* iconLabel(const QString& path, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setFixedSize(16, 16);
    l->setPixmap(QPixmap(path).scaledToWidth(16, Qt::SmoothTransformation));
    return l;
}
}  // namespace

CameraInfo::CameraInfo(int slot, QWidget* parent) : QWidget(parent) {
    messageIcon = new QLabel(this);
    messageIcon->setFixedSize(16, 16);
    messageIconPath = QStringLiteral(":/img/icons/15.png");
    messageIcon->setPixmap(QPixmap(messageIconPath).scaledToWidth(16, Qt::SmoothTransformation));
    // The application's label size; a long status shrinks to fit the strip.
    message = new FitLabel(lanText(596).arg(slot + 1), 18, this);
    // The counts keep room for six digits and no more, so that the message has the rest of the strip.
    QFont countFont = QApplication::font();
    countFont.setPixelSize(18);
    const int countWidth = QFontMetrics(countFont).horizontalAdvance(QStringLiteral("000000")) + 4;
    ngNum = new QLabel(QStringLiteral("0"), this);
    ngNum->setMinimumWidth(countWidth);
    layerNum = new QLabel(QStringLiteral("0"), this);
    layerNum->setMinimumWidth(countWidth);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);  // an icon beside its text; the longest status of a strip needs the rest
    row->addWidget(messageIcon);
    row->addWidget(message, 1);
    // The message is fitted to its own width: the gap keeps its last letter off the NG icon.
    row->addSpacing(kMessageGap - 4);
    ngIcon = iconLabel(QStringLiteral(":/img/icons/17a.png"), this);
    row->addWidget(ngIcon, 0, Qt::AlignRight);
    row->addWidget(ngNum, 0, Qt::AlignRight);
    row->addWidget(iconLabel(QStringLiteral(":/img/icons/layer.png"), this), 0, Qt::AlignRight);
    row->addWidget(layerNum, 0, Qt::AlignRight);
}

void CameraInfo::setMessage(QString text, MessageType icon) {
    const QString path = icon == MessageNormal ? QStringLiteral(":/img/icons/15.png")
                                               : QStringLiteral(":/img/icons/warning2.png");
    // Views report on every paint; the icon is only reloaded when it changes.
    if (path != messageIconPath) {
        messageIconPath = path;
        messageIcon->setPixmap(QPixmap(path).scaledToWidth(16, Qt::SmoothTransformation));
    }
    if (message->text() != text) message->setText(text);
}

void CameraInfo::setNGNum(QString text) {
    if (ngNum->text() != text) ngNum->setText(text);
}

void CameraInfo::setLayerNum(QString text) {
    if (layerNum->text() != text) layerNum->setText(text);
}

TitleBar::TitleBar(QWidget* parent) : BWidget(parent) {
    for (int i = 0; i < kStrips; ++i) strips_[i] = new CameraInfo(i, this);
    for (int i = 0; i < 8; ++i) {
        io_[i] = new QLabel(this);
        io_[i]->setFixedSize(38, 38);
        promptSwitching_State(i / 4, i % 4, 0);
    }
    QLabel* rateIcon = iconLabel(QStringLiteral(":/img/icons/costTime.png"), this);
    QLabel* locationIcon = iconLabel(QStringLiteral(":/img/icons/location.png"), this);
    frameRate_ = new QLabel(QStringLiteral("0.0s"), this);
    frameRate_->setMinimumWidth(60);
    location_ = new QLabel(QStringLiteral("311,432,0"), this);
    date_ = new QLabel(QStringLiteral("0000-00-00"), this);
    // As wide as the clock's text will be (with seconds): the strips beside it keep their room.
    clock_ = new QLabel(QStringLiteral("00:00:00"), this);

    clockTimer_ = new QTimer(this);
    clockTimer_->setInterval(1000);
    connect(clockTimer_, &QTimer::timeout, this, &TitleBar::tick);
    clockTimer_->start();

    auto column = [this](CameraInfo* a, CameraInfo* b) {
        auto* c = new QVBoxLayout;
        c->setContentsMargins(0, 0, 0, 0);
        c->addWidget(a);
        c->addWidget(b);
        return c;
    };
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(20, 20, 20, 20);
    row->addLayout(column(strips_[0], strips_[2]), 1);
    row->addSpacing(30);
    row->addWidget(createVerticalSplitLine(this, QStringLiteral("#ffffff")));
    row->addSpacing(30);
    row->addLayout(column(strips_[1], strips_[3]), 1);
    row->addSpacing(30);
    row->addWidget(createVerticalSplitLine(this, QStringLiteral("#ffffff")));
    row->addSpacing(30);
    // The IO icons, or in their place the alarm of a board that does not answer.
    ioStack_ = new QStackedWidget(this);
    auto* ioPanel = new QWidget(ioStack_);
    auto* ioRow = new QHBoxLayout(ioPanel);
    ioRow->setContentsMargins(0, 0, 0, 0);
    ioRow->setSpacing(16);
    for (QLabel* l : io_) {
        l->setParent(ioPanel);
        ioRow->addWidget(l);
    }
    linkAlarm_ = new QLabel(ioStack_);
    linkAlarm_->setAlignment(Qt::AlignCenter);
    linkAlarm_->setStyleSheet(
        QStringLiteral("QLabel{background-color:#ee2329;color:#ffffff;font-size:18px;font-weight:bold;}"));
    ioStack_->addWidget(ioPanel);
    ioStack_->addWidget(linkAlarm_);
    row->addWidget(ioStack_);
    row->addSpacing(30);
    row->addWidget(createVerticalSplitLine(this, QStringLiteral("#ffffff")));
    row->addSpacing(30);
    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    auto* upper = new QHBoxLayout;
    upper->addWidget(rateIcon);
    upper->addWidget(frameRate_);
    upper->addSpacing(10);
    upper->addWidget(date_);
    upper->addWidget(clock_);
    auto* lower = new QHBoxLayout;
    lower->addWidget(locationIcon);
    lower->addWidget(location_);
    right->addLayout(upper);
    right->addLayout(lower);
    row->addLayout(right);

    setFixedHeight(98);
    setStyleSheet(QStringLiteral("TitleBar{background-color:#1f3f8d;}"));
}

void TitleBar::tick() {
    const QDateTime now = QDateTime::currentDateTime();
    date_->setText(now.toString(QStringLiteral("yyyy-MM-dd")));
    clock_->setText(now.toString(QStringLiteral("HH:mm:ss")));
}

void TitleBar::setCameraInfo(int slot, CameraInfo::DATA_TYPE type, QString text, MessageType icon) {
    switch (type) {
        case CameraInfo::Message:
        case CameraInfo::LayerNum:
        case CameraInfo::NGNum: {
            CameraInfo* s = strip(slot);
            if (!s) return;  // cameras 5 to 8 have no strip
            if (type == CameraInfo::Message)
                s->setMessage(text, icon);
            else if (type == CameraInfo::LayerNum)
                s->setLayerNum(text);
            else
                s->setNGNum(text);
            return;
        }
        default:
            if (frameRate_->text() != text) frameRate_->setText(text);
    }
}

void TitleBar::setIOLinkAlarm(bool lost) {
    if (lost) linkAlarm_->setText(lanText(601));
    ioStack_->setCurrentIndex(lost ? 1 : 0);
}

bool TitleBar::ioLinkAlarmShown() const {
    return ioStack_->currentIndex() == 1;
}

void TitleBar::setLocation(QString text) {
    if (location_->text() != text) location_->setText(text);
}

void TitleBar::updateIO() {
    if (!gpControlIO) return;
    for (int i = 0; i < 4; ++i) promptSwitching_State(0, i, gpControlIO->IOState(0, i));
    for (int i = 0; i < 4; ++i) promptSwitching_State(1, i, gpControlIO->IOState(1, i));
}

int TitleBar::ioIcon(int kind, int index) const {
    const int k = kind ? 4 + index : index;
    return index >= 0 && index < 4 ? ioIcon_[k] : 0;
}

void TitleBar::promptSwitching_State(int kind, int index, int state) {
    if (index < 0 || index >= 4) return;
    const int k = kind ? 4 + index : index;
    const int icon = 2 * index + (kind ? 26 : 18) + (state ? 0 : 1);
    // Called on every pass of the polling loop: only a change reloads the picture.
    if (icon == ioIcon_[k]) return;
    ioIcon_[k] = icon;
    io_[k]->setPixmap(QPixmap(QStringLiteral(":/img/icons/%1.png").arg(icon))
                          .scaled(38, 38, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    update();
}
