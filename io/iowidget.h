#pragma once
// The multi-detection IO page ("Multiple detection IO Settings"): the number of detections of one
// moulding cycle (2 to 8) and up to eight rows, each one trigger input with the detections it starts
// and what the row's detections cut. A pop-up of the settings dialog, opened by the IO parameters
// page's "Custom IO" button. "Confirm" writes the working copy gpWParaBak; the procedure uses it from
// the next start.
//
// Row r offers the logical inputs from the previous row's choice on (row 0 from 0), so the rows start
// their detections in input order; detections are shared out so that earlier rows start earlier
// detections (the tick rule of SlotClickCheckBox).
#include <QWidget>

class CheckBox;
class ColorButton;
class ComboBox;
class IOSettingsDialog;
class IOWidget;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;

constexpr int kMultiRows = 8;
constexpr int kMultiDetections = 8;

// One row: a trigger input, one box per detection, the row's cut mode.
class IOCheckComBO : public QWidget {
    Q_OBJECT
public:
    IOCheckComBO(IOWidget* owner, QString label, int n);

    // Offers logical inputs first .. count - 1 (keeping the choice where it can), shows boxes
    // 0 .. count - 1.
    void SetIONum(int count, int first);
    // The previous row's choice moved: offer inputs from `first` on, keep the choice when it is still
    // offered, and pass the change on (changeTrigin).
    void updateTriginCombo(int first);
    // Trigger items and boxes take the names of their machine functions.
    void resetName();
    // enable: box k can be ticked (yellow text); disable: box k is unticked, then made unticking-proof
    // (grey text).
    void setCheckdisable(int k, bool enable);
    void setCheckdisables(bool enable);
    bool getCheckComboStatus(int k) const;
    void setCheckComboStatus(int k, bool on);
    void Slotclick(int k, int state);

    int choice() const { return m_choice; }
    void setChoice(int choice) { m_choice = choice; }
    int first() const { return m_first; }

    QLabel* label = nullptr;
    ComboBox* triggerBox = nullptr;
    ComboBox* cutBox = nullptr;
    CheckBox* boxes[kMultiDetections] = {};

signals:
    void clickeCheckBox(int row, int detection, int state);
    void changeTrigin(int row, int choice);

public slots:
    void Slotclick0(int state) { Slotclick(0, state); }
    void Slotclick1(int state) { Slotclick(1, state); }
    void Slotclick2(int state) { Slotclick(2, state); }
    void Slotclick3(int state) { Slotclick(3, state); }
    void Slotclick4(int state) { Slotclick(4, state); }
    void Slotclick5(int state) { Slotclick(5, state); }
    void Slotclick6(int state) { Slotclick(6, state); }
    void Slotclick7(int state) { Slotclick(7, state); }
    void SlotChangeTrigin(int index);
    void SlotChangeCutMode(int mode);

private:
    void fillTriggerItems();

    IOWidget* m_owner;
    QHBoxLayout* m_layout = nullptr;
    int m_row = 0;
    int m_choice = 0;
    int m_first = 0;
    int m_count = kMultiDetections;

    friend class IOWidget;
};

class IOWidget : public QWidget {
    Q_OBJECT
public:
    explicit IOWidget(IOSettingsDialog* dialog);

    void ResetOutput();
    void ResetIOName();
    void initIOWidget();
    // A neighbour-based variant of the tick rule that nothing uses.
    void ChangeCheckStatus(int row, int detection, int state);

    int count() const { return m_count; }
    int detectionRow(int k) const { return k >= 0 && k < kMultiDetections ? m_detectRow[k] : -1; }
    int cutMode(int row) const { return row >= 0 && row < kMultiRows ? m_cutMode[row] : 0; }
    int inputFunction(int j) const;
    int outputFunction(int j) const;
    void setInputFunction(int j, int function);
    void setOutputFunction(int j, int function);

    ComboBox* countBox = nullptr;
    ColorButton* resetButton = nullptr;
    ColorButton* confirmButton = nullptr;
    IOCheckComBO* rows[kMultiRows] = {};

public slots:
    void reset();
    void SlotChangeDetectNum(int index);
    void SlotClickCheckBox(int row, int k, int state);
    void CheckStatus(int row, int k);
    void SlotChangeTrigin(int row, int choice);
    void accept();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Disables (state != 0) or enables (0) the boxes that a tick of detection k in row R rules out.
    void applyTick(int R, int k, bool disable);

    IOSettingsDialog* m_dialog;
    QVBoxLayout* m_layout = nullptr;
    int m_count = kMultiDetections;
    int m_detectRow[kMultiDetections];
    int m_cutMode[kMultiRows];
    int m_inFunc[kMultiRows];
    int m_outFunc[kMultiRows];

    friend class IOCheckComBO;
};
