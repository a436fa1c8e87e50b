#pragma once
// "IO parameters" page of the settings dialog: the execution procedure (stored for the next start),
// five timing sliders, the cavity position and, in the multi-detection procedure, the polarity of
// outputs 4 to 8 and the entries to the multi-detection IO page and the custom IO names dialog. It
// works on the working copy gpWParaBak only: WizardParaInit loads the controls without emitting, accept
// stores them. A slider stores its value only once the operator moved it: a stored value outside its
// range is shown at the nearer end and kept as it is.
#include "widgets/bwidget.h"

class BlineLabel;
class IOSettingsDialog;
class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

class IOParamsWidget : public BWidget {
    Q_OBJECT
public:
    static constexpr int kSliders = 5;
    static constexpr int kMultiOutputs = 5;  // outputs 4 to 8

    // The multi-detection controls exist only when the live record's procedure is multi-detection
    // at this moment (the page is built once, at start-up).
    explicit IOParamsWidget(QWidget* parent = nullptr, IOSettingsDialog* dialog = nullptr);
    void setDialog(IOSettingsDialog* dialog) { m_dialog = dialog; }

    void WizardParaInit();
    void accept();
    // The visibility of the cavity row and the two multi-detection buttons for procedure `id` (the
    // settings dialog's procedure slot; the page also runs it when a procedure button is clicked).
    void showProcedureControls(int id);

    // Slider order: I-Time, Ejector P, Clamp P, Pre-Cut, Shake erase time.
    enum Slider { kInputTimeout = 0, kEjectorPulse, kClampPulse, kPreCut, kShakeErase };

    QButtonGroup* procedureGroup = nullptr;  // ids 0 Standard .. 4 multi-Det
    QSlider* sliders[kSliders] = {};
    BlineLabel* valueLabels[kSliders] = {};
    QLabel* cavityLabel = nullptr;
    QButtonGroup* cavityGroup = nullptr;  // ids 0 left, 1 right, 2 all moulds
    QPushButton* customIOButton = nullptr;
    QPushButton* ioNameButton = nullptr;
    QLabel* initialStateLabel = nullptr;               // multi-detection only
    QComboBox* initialStateBoxes[kMultiOutputs] = {};  // multi-detection only, 0 Break, 1 Close

public slots:
    // Rewrites the shown value of the slider that sent valueChanged(int).
    void slotQSliderValue(int);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showValue(int slider);

    IOSettingsDialog* m_dialog = nullptr;
    bool m_multi = false;
    bool m_moved[kSliders] = {};  // slider moved since the page was loaded
};
