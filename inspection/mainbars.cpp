#include "mainbars.h"

#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWindow>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/wizardpara.h"
#include "io/controlport.h"
#include "mainwindow.h"
#include "windowslots.h"
#include "widgets/indexbutton.h"
#include "widgets/kittext.h"

namespace {

struct IndexButtonDef {
    int textId;
    const char* slot;
};
const IndexButtonDef kIndexButtons[IndexButton::ButtonCount] = {
    {126, "SlotReturn()"},      {127, "SlotStartStop()"},  {215, nullptr},      {129, "SlotReTrain()"},
    {130, "SlotAdjustArea()"},  {562, "SlotAccount()"},    {111, "SlotHelp()"}, {516, "SlotMuliManualTrig()"},
    {132, "SlotManualTrig1()"}, {131, "SlotManualTrig0()"}};

QFont panelFont() {
    QFont f(QStringLiteral("wqy-microhei"));
    f.setPointSize(33);
    return f;
}

}  // namespace

const char* IndexButton::slotOf(Button b) {
    return b >= 0 && b < ButtonCount ? kIndexButtons[b].slot : nullptr;
}

int IndexButton::textIdOf(Button b) {
    return b >= 0 && b < ButtonCount ? kIndexButtons[b].textId : -1;
}

IndexButton::IndexButton(QWidget* window) : QWidget(window) {
    toggleZone_ = 110;
    logoFlag_ = false;
    for (const char* name : {"./images/logo2.bmp", "./images/logo2.png"}) {
        if (!QFile::exists(QString::fromLatin1(name))) continue;
        if (logoPixmap_.load(QString::fromLatin1(name))) {
            logo_ = new QLabel(this);
            logo_->setGeometry(0, 0, 230, 110);
            logo_->setScaledContents(true);
            logo_->setPixmap(logoPixmap_);
            logoFlag_ = true;
        }
        break;
    }

    const QFont font = panelFont();
    for (int i = 0; i < ButtonCount; ++i) {
        if (i == BtnMouldSnapshot) {
            stepCombo_ = new ComboBox(this);
            stepCombo_->hide();
            stepCombo_->setGeometry(140, 698, 100, 83);
            stepCombo_->setFont(font);
            stepCombo_->setItemHeight(73);
        }
        auto* b = new ColorButton(kitText(kIndexButtons[i].textId), this, 4);
        b->hide();
        b->setFont(font);
        if (kIndexButtons[i].slot) connectToWindowSlot(b, "clicked(bool)", window, kIndexButtons[i].slot);
        buttons_[i] = b;
    }
    // The only buttons this panel ever shows: the two snapshot buttons, at the foot of the panel.
    buttons_[BtnSnapshot]->setGeometry(5, 698, 130, 83);
    buttons_[BtnMouldSnapshot]->setGeometry(5, 790, 230, 83);
    buttons_[BtnProductSnapshot]->setGeometry(5, 882, 230, 83);

    setGeometry(gShowW - 240, 0, 240, gShowH);
    Reset();
}

void IndexButton::ShowHide(int) {
    const WizardPara* p = gpWPara;
    const bool snapshots = p && p->snap_shot == 1 && p->detect_mode != kDetectMulti;
    buttons_[BtnProductSnapshot]->setVisible(snapshots && p->enable_prod_detect == 1);
    buttons_[BtnMouldSnapshot]->setVisible(snapshots);
    // The panel lies over the right edge of the camera area and the settings pages: only what it
    // shows may take presses, everything else goes to what lies below.
    QRegion shown;
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!child->isHidden()) shown += child->geometry();
    setAttribute(Qt::WA_TransparentForMouseEvents, shown.isEmpty());
    if (shown.isEmpty())
        clearMask();
    else
        setMask(shown);
}

void IndexButton::Reset() {
    ShowHide(0);
    ResetComboChooseManualTrig();
}

void IndexButton::ResetComboChooseManualTrig() {
    stepCombo_->clear();
    if (!gpWPara) return;
    // Eight step names exist ("1st".."8th"); a count beyond them is not a step.
    const int count = qBound(0, gpWPara->multi_step_count, kMaxStep);
    for (int i = 0; i < count; ++i) stepCombo_->addItem(QStringLiteral("%1").arg(kitText(477 + i)));
}

int IndexButton::CurChooseTrig() const {
    return stepCombo_->count() == 0 ? -1 : stepCombo_->currentIndex();
}

bool IndexButton::inToggleZone(const QPoint& local) const {
    return rect().contains(local) && local.x() < toggleZone_;
}

void IndexButton::mousePressEvent(QMouseEvent* e) {
    // Reached only when the panel is its own window (the window's filter below does it otherwise).
    if (!watchedWindow_ && qRound(e->localPos().x()) < toggleZone_) ShowHide(0);
    QWidget::mousePressEvent(e);
}

void IndexButton::showEvent(QShowEvent* event) {
    QWidget* top = window();
    QWindow* handle = top != this ? top->windowHandle() : nullptr;
    if (handle != watchedWindow_) {
        if (watchedWindow_) watchedWindow_->removeEventFilter(this);
        if (handle) handle->installEventFilter(this);
        watchedWindow_ = handle;
    }
    QWidget::showEvent(event);
}

bool IndexButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedWindow_ && event->type() == QEvent::MouseButtonPress && isVisible()) {
        const auto* me = static_cast<QMouseEvent*>(event);
        if (inToggleZone(mapFrom(window(), me->windowPos().toPoint()))) ShowHide(0);
    }
    return false;  // the press goes on to whatever lies at its position
}

void IndexButton::paintEvent(QPaintEvent*) {}
