#pragma once
// The column of large buttons at the right of the main screen (index 0 of the bar stack) and the
// fine-tuning pad that pans and fits the enlarged camera view.
#include <QPointer>

#include "widgets/bwidget.h"

class QPushButton;

// A small translucent cross of arrow buttons with a fit button in the middle.
class FinetuningDialog : public BWidget {
    Q_OBJECT
public:
    // `window` receives the pad's actions (MRecovery, SlotMoveT/B/L/R) when it has them.
    explicit FinetuningDialog(QWidget* window = nullptr);

    QPushButton* upButton = nullptr;
    QPushButton* rightButton = nullptr;
    QPushButton* downButton = nullptr;
    QPushButton* leftButton = nullptr;
    QPushButton* fitButton = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class OptionBar : public BWidget {
    Q_OBJECT
public:
    enum BTN_TYPE {
        BTN_NONE = 0,
        BTN_MULTI_SCREEN = 1,
        BTN_START_STOP = 2,
        BTN_SETTINGS = 3,
        BTN_RESAMPLE = 4,
        BTN_AREA = 5,
        BTN_STATISTICS = 6,
        BTN_MOULD_SNAPSHOT = 7,
    };
    Q_ENUM(BTN_TYPE)

    // In creation order, top to bottom.
    enum Button {
        MultiScreen = 0,
        StartStop,
        Settings,
        Resample,
        Area,
        Statistics,
        ProductSnapshot,
        MouldSnapshot,
        ButtonCount
    };

    // `window` is the main window: the product snapshot button and the pad's buttons call its slots.
    explicit OptionBar(QWidget* window = nullptr);
    ~OptionBar() override;

    // Unchecks the settings button without a signal and forgets the current button.
    void SetTLast();
    BOptionButton* button(Button b) const { return buttons_[b]; }
    int currentType() const { return currentType_; }

    // The fine-tuning pad (no parent; the main window places it on the displayed view).
    QPointer<FinetuningDialog> fineTuningPad;

public slots:
    void btnsToggledSlot(bool checked);
    void CalibrationPos() {}

signals:
    void btnsToggled(OptionBar::BTN_TYPE type, bool checked);

private:
    BOptionButton* buttons_[ButtonCount] = {};
    int currentType_ = 0;
    QWidget* window_ = nullptr;
};

// The style of the start/stop button: green while detecting, red while stopped.
QString startStopButtonStyle(bool detecting);
