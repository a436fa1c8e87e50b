#include "alarmoption.h"

#include <QIcon>
#include <QPushButton>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "camera/cameraglobals.h"
#include "drawroiwidget.h"
#include "inspection/mainwindow.h"
#include "regioption.h"

AlarmOption::AlarmOption(QWidget* parent) : BWidget(parent) {
    setFixedWidth(175);
    const struct {
        int textId;
        const char* icon;
    } defs[6] = {{212, ":/img/icons/110.png"}, {47, ":/img/icons/43.png"}, {61, ":/img/icons/5.png"},
                 {48, ":/img/icons/44.png"},   {54, ":/img/icons/45.png"}, {56, ":/img/icons/46.png"}};
    for (int i = 0; i < 6; ++i) {
        auto* b = new BOptionButton(this);
        b->setCheckable(true);
        b->setIcon(QIcon(QString::fromLatin1(defs[i].icon)));
        b->setText(lanText(defs[i].textId));
        buttons_[i] = b;
    }
    buttons_[BTN_LIVE_TEMP - 1]->setIconSize(QSize(125, 68));
    sourceList_ = new BComboBox(this);
    cameraList_ = new BComboBox(this);
    for (BComboBox* l : {sourceList_, cameraList_}) styleEditorList(l);
    fillSourceList(sourceList_);
    fillCameraList(cameraList_, numCamera);

    auto* box = new QVBoxLayout(this);
    box->setSpacing(10);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(buttons_[BTN_LIVE_TEMP - 1]);
    box->addWidget(sourceList_);
    box->addWidget(cameraList_);
    box->addWidget(buttons_[BTN_NO_CHECK - 1]);
    box->addWidget(buttons_[BTN_ADD_TEMP - 1]);
    box->addWidget(buttons_[BTN_IGNORE_POINT - 1]);
    box->addWidget(buttons_[BTN_DELETE_IGNORED - 1]);
    box->addWidget(buttons_[BTN_RECHECK - 1]);
    box->addStretch();
    buttons_[BTN_RECHECK - 1]->setStyleSheet(QStringLiteral(
        "BOptionButton{background-color:#4ab74c;icon-size:68px "
        "68px;border-style:none;color:#656263;font-size:18px;"
        "padding:10px 0px 0px 0px;}BOptionButton:pressed{color:#ffffff;background-color:#656263;}"));
    setStyleSheet(QStringLiteral(
        "BOptionButton{background-color:#4ab74c;icon-size:68px "
        "68px;border-style:none;color:#656263;font-size:18px;"
        "padding:10px 0px 0px 0px;}BOptionButton:checked{color:#ffffff;background-color:#ee2329;}QComboBox { "
        "combobox-popup: 0;border: 1px solid gray;border-radius: "
        "0px;font-size:18px;background-color:#d3d3d3;padding: "
        "1px 1px 1px 1px;min-width: 6em; }QComboBox::drop-down {subcontrol-origin: "
        "padding;subcontrol-position: "
        "right;width: 12px;height: 30px; border:none;}QComboBox QAbstractItemView::item{height:100px;}"));

    for (BOptionButton* b : buttons_)
        connect(b, &QAbstractButton::toggled, this, &AlarmOption::btnsToggledSlot);
    connect(cameraList_, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &AlarmOption::ChangeCameraSlot);
    connect(sourceList_, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &AlarmOption::ChangeSourceSlot);
}

void AlarmOption::btnsToggledSlot(bool checked) {
    for (int i = 0; i < 6; ++i)
        if (sender() == buttons_[i]) emit btnsToggled(BTN_TYPE(i + 1), checked);
}

void AlarmOption::ChangeCameraSlot(int camera) {
    auto* w = dynamic_cast<MainWindow*>(gpWin);
    if (!w || camera < 0) return;
    w->displayedCamera = qMin(camera, numCamera);
    w->ChangeCammer();
}

void AlarmOption::ChangeSourceSlot(int source) {
    emit AlarmChangeSource(source);
}

void AlarmOption::CheckSource(int source) {
    if (sourceList_->currentIndex() != source)
        sourceList_->setCurrentIndex(source);
    else
        ChangeSourceSlot(source);
}

void AlarmOption::SetCamera(int camera) {
    cameraList_->setCurrentIndex(camera);
}

void AlarmOption::showEvent(QShowEvent* event) {
    sourceList_->setCurrentIndex(1);
    if (auto* w = dynamic_cast<MainWindow*>(gpWin)) {
        if (cameraList_->currentIndex() != w->displayedCamera)
            cameraList_->setCurrentIndex(w->displayedCamera);
        else
            ChangeCameraSlot(w->displayedCamera);
    }
    BWidget::showEvent(event);
}

const char* roiOperation::slotOf(int i) {
    static const char* const kSlots[7] = {"SlotDrawRect", "SlotDrawCircle", "SlotDrawPloygn",  "SlotDrawHand",
                                          "SlotCopyArea", "SlotDeleteROI",  "SlotDeleteAllROI"};
    return i >= 0 && i < 7 ? kSlots[i] : nullptr;
}

roiOperation::roiOperation(QWidget* parent, DrawROIWidget* editor) : BWidget(parent), editor_(editor) {
    const char* icons[7] = {"99", "98", "97", "96", "100", "101", "102"};
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    for (int i = 0; i < 7; ++i) {
        auto* b = new QPushButton(this);
        b->setFixedSize(60, 60);
        b->setIcon(QIcon(QStringLiteral(":/img/icons/%1.png").arg(QLatin1String(icons[i]))));
        b->setIconSize(QSize(60, 60));
        b->setAutoRepeat(true);
        buttons_[i] = b;
        row->addWidget(b);
    }
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedSize(800, 200);
    setAttribute(Qt::WA_TranslucentBackground);
    setStyleSheet(
        QStringLiteral("QPushButton{border-style:none;background:transparent;}QPushButton:pressed{background-"
                       "color:#FFC107;}"));
    Btnconnect();
}

void roiOperation::Btnconnect() {
    using Slot = void (DrawROIWidget::*)();
    static const Slot kCalls[7] = {&DrawROIWidget::SlotDrawRect,    &DrawROIWidget::SlotDrawCircle,
                                   &DrawROIWidget::SlotDrawPloygn,  &DrawROIWidget::SlotDrawHand,
                                   &DrawROIWidget::SlotCopyArea,    &DrawROIWidget::SlotDeleteROI,
                                   &DrawROIWidget::SlotDeleteAllROI};
    if (!editor_) return;
    for (int i = 0; i < 7; ++i) {
        QPushButton* b = buttons_[i];
        if (!asksOnce(i)) {
            connect(b, &QPushButton::pressed, editor_, kCalls[i]);
            continue;
        }
        // A held button repeats its pressed() signal; a deletion asks once per touch. The press itself
        // (seen here before the button handles it) arms the button; the first pressed() uses it up.
        b->installEventFilter(this);
        connect(b, &QPushButton::pressed, this, [this, i] {
            if (!armed_[i]) return;
            armed_[i] = false;
            (editor_->*kCalls[i])();
        });
    }
}

bool roiOperation::asksOnce(int i) {
    return i == 5 || i == 6;  // delete the selected region, delete all regions
}

bool roiOperation::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick ||
        event->type() == QEvent::TouchBegin) {
        for (int i = 0; i < 7; ++i)
            if (watched == buttons_[i]) armed_[i] = true;
    }
    return BWidget::eventFilter(watched, event);
}
