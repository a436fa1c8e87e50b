#include "optionbar.h"

#include <QGridLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/msgbox.h"
#include "mainwindow.h"
#include "windowslots.h"

QString startStopButtonStyle(bool detecting) {
    return QStringLiteral(
               "BOptionButton{background-color:%1;icon-size:68px 68px;border-style:none;color:#ffffff;"
               "font-size:18px;padding:10px 0px 0px 0px;}")
        .arg(detecting ? QStringLiteral("#4ab74c") : QStringLiteral("#ee2329"));
}

FinetuningDialog::FinetuningDialog(QWidget* window) : BWidget(nullptr) {
    const struct {
        QPushButton** button;
        const char* icon;
        bool repeat;
    } defs[] = {{&upButton, ":/img/icons/MoveUp.png", true},
                {&rightButton, ":/img/icons/MoveRight.png", true},
                {&downButton, ":/img/icons/MoveDown.png", true},
                {&leftButton, ":/img/icons/MoveLeft.png", true},
                {&fitButton, ":/img/icons/ZoomAll.png", false}};
    for (const auto& d : defs) {
        auto* b = new QPushButton(this);
        b->setFixedSize(55, 55);
        b->setIcon(QIcon(QString::fromLatin1(d.icon)));
        b->setIconSize(QSize(50, 50));
        b->setAutoRepeat(d.repeat);
        *d.button = b;
    }
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(5);
    grid->setVerticalSpacing(0);
    grid->addWidget(upButton, 0, 1, Qt::AlignCenter);
    grid->addWidget(leftButton, 1, 0, Qt::AlignLeft);
    grid->addWidget(fitButton, 1, 1, Qt::AlignCenter);
    grid->addWidget(rightButton, 1, 2, Qt::AlignRight);
    grid->addWidget(downButton, 2, 1, Qt::AlignCenter);

    connectToWindowSlot(fitButton, "pressed()", window, "MRecovery()");
    connectToWindowSlot(upButton, "pressed()", window, "SlotMoveT()");
    connectToWindowSlot(downButton, "pressed()", window, "SlotMoveB()");
    connectToWindowSlot(leftButton, "pressed()", window, "SlotMoveL()");
    connectToWindowSlot(rightButton, "pressed()", window, "SlotMoveR()");

    setFixedSize(165, 165);
    setWindowOpacity(1.0);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setStyleSheet(
        QStringLiteral("QPushButton{border-style:none;background:transparent;}QPushButton:pressed{background-"
                       "color:#FFC107;}"));
}

void FinetuningDialog::paintEvent(QPaintEvent*) {}

OptionBar::OptionBar(QWidget* window) : BWidget(window), window_(window) {
    fineTuningPad = new FinetuningDialog(window);
    const struct {
        const char* icon;
        int textId;
    } defs[ButtonCount] = {{":/img/icons/split.png", 126},   {":/img/icons/stop.png", 127},
                           {":/img/icons/setting.png", 582}, {":/img/icons/sampling.png", 129},
                           {":/img/icons/38.png", 130},      {":/img/icons/39.png", 541},
                           {":/img/icons/40.png", 131},      {":/img/icons/39a.png", 132}};
    auto* box = new QVBoxLayout(this);
    box->setSpacing(10);
    box->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < ButtonCount; ++i) {
        auto* b = new BOptionButton(this);
        b->setIcon(QIcon(QString::fromLatin1(defs[i].icon)));
        b->setText(lanText(defs[i].textId));
        buttons_[i] = b;
        box->addWidget(b);
    }
    buttons_[Statistics]->hide();
    box->addStretch();
    for (BOptionButton* b : buttons_) b->setCheckable(true);
    for (int i = 0; i < ButtonCount; ++i) {
        if (i == ProductSnapshot)
            connectToWindowSlot(buttons_[i], "clicked()", window, "SlotManualTrig0()");
        else
            connect(buttons_[i], &QAbstractButton::toggled, this, &OptionBar::btnsToggledSlot);
    }
    // The pad's buttons also act on release (the pad acts on press): a tap moves twice.
    connectToWindowSlot(fineTuningPad->fitButton, "clicked(bool)", window, "MRecovery()");
    connectToWindowSlot(fineTuningPad->upButton, "clicked(bool)", window, "SlotMoveT()");
    connectToWindowSlot(fineTuningPad->downButton, "clicked(bool)", window, "SlotMoveB()");
    connectToWindowSlot(fineTuningPad->leftButton, "clicked(bool)", window, "SlotMoveL()");
    connectToWindowSlot(fineTuningPad->rightButton, "clicked(bool)", window, "SlotMoveR()");
    buttons_[StartStop]->setStyleSheet(startStopButtonStyle(true));
}

void OptionBar::btnsToggledSlot(bool checked) {
    auto* mw = dynamic_cast<MainWindow*>(window_);
    if (mw && mw->pageStack && mw->pageStack->currentIndex() == 1) {
        showWarnBox(lanText(591));
        return;
    }
    static const BTN_TYPE types[ButtonCount] = {BTN_MULTI_SCREEN, BTN_START_STOP, BTN_SETTINGS,
                                                BTN_RESAMPLE,     BTN_AREA,       BTN_STATISTICS,
                                                BTN_NONE,         BTN_MOULD_SNAPSHOT};
    for (int i = 0; i < ButtonCount; ++i) {
        if (sender() != buttons_[i] || types[i] == BTN_NONE) continue;
        currentType_ = types[i];
        emit btnsToggled(types[i], checked);
        return;
    }
}

void OptionBar::SetTLast() {
    BOptionButton* b = buttons_[Settings];
    b->setCheckable(false);
    b->setChecked(false);
    b->setCheckable(true);
    currentType_ = 0;
}


OptionBar::~OptionBar() {
    // The pad lives on the enlarged view once shown; until then it has no parent.
    if (fineTuningPad && !fineTuningPad->parent()) delete fineTuningPad;
}
