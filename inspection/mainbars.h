#pragma once
// The bars of the main screen. Each exists with what the main window needs of it now; their buttons,
// lists and pictures are filled in by the screens that own them.
#include <QWidget>

class QComboBox;
class QLabel;

// The strip above the camera views: program name, time and the IO indicators.
class TitleBar : public QWidget {
    Q_OBJECT
public:
    explicit TitleBar(QWidget* parent = nullptr);
    // Reads the input and output levels of the IO board and repaints the indicators when they changed.
    void updateIO();
    int inputBits() const { return inBits_; }
    int outputBits() const { return outBits_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int inBits_ = -1;
    int outBits_ = -1;
};

// Right-hand bar of the live screen (index 0 of the bar stack).
class OptionBar : public QWidget {
    Q_OBJECT
public:
    enum BTN_TYPE { BTN_START_STOP = 0, BTN_REGION, BTN_ALARM, BTN_TEMPLATE, BTN_SETTINGS, BTN_RECORD };
    Q_ENUM(BTN_TYPE)
    explicit OptionBar(QWidget* parent = nullptr);
    // The fine-tuning pad, placed by the main window.
    QWidget* fineTuningPad = nullptr;
signals:
    void btnsToggled(OptionBar::BTN_TYPE type, bool checked);
};

// Region bar (index 1 of the bar stack).
class RegiOption : public QWidget {
    Q_OBJECT
public:
    enum BTN_TYPE { BTN_RETURN = 0 };
    Q_ENUM(BTN_TYPE)
    explicit RegiOption(QWidget* parent = nullptr);
public slots:
    void SlotTempLast();
    void SlotTempNext();
signals:
    void btnsToggled(RegiOption::BTN_TYPE type, bool checked);
};

// Alarm bar (index 2 of the bar stack).
class AlarmOption : public QWidget {
    Q_OBJECT
public:
    enum BTN_TYPE { BTN_RETURN = 0 };
    Q_ENUM(BTN_TYPE)
    explicit AlarmOption(QWidget* parent = nullptr);
signals:
    void btnsToggled(AlarmOption::BTN_TYPE type, bool checked);
    void AlarmChangeSource(int source);
};

// The 240-pixel strip at the right of the camera area: logo, snapshot buttons and the step chooser.
class IndexButton : public QWidget {
    Q_OBJECT
public:
    explicit IndexButton(QWidget* parent = nullptr);
    // Fills the step chooser with "1st".."Nth" for the multi-detection step count (empty otherwise).
    void ResetComboChooseManualTrig();
    // The step chosen for a manual multi-detection snapshot; -1 when the chooser is empty.
    int CurChooseTrig() const;

private:
    QComboBox* stepCombo_ = nullptr;
    QLabel* logo_ = nullptr;
};
