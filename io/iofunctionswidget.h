#pragma once
// "IO function" page of the settings dialog: fifteen on/off options that shape how the outputs follow
// the inspection results, the input and output mirrors and the polarity of outputs 0 to 3. It works on
// the working copy gpWParaBak only: WizardParaInit loads the controls, accept stores them.
#include <cstdint>

#include "widgets/bwidget.h"

class CheckBox;
class IOSettingsDialog;
class QButtonGroup;
class QLabel;
class QRadioButton;

class IOFunctionsWidget : public BWidget {
    Q_OBJECT
public:
    static constexpr int kOptions = 15;
    static constexpr int kInitialStates = 4;  // outputs 0 to 3

    // `dialog` answers whether "Display factory param" is checked; without one the polarity rows
    // stay hidden.
    explicit IOFunctionsWidget(QWidget* parent = nullptr, IOSettingsDialog* dialog = nullptr);
    void setDialog(IOSettingsDialog* dialog) { m_dialog = dialog; }

    void WizardParaInit();
    void accept();

    // The controls, in grid order (row by row, left pair then right pair).
    CheckBox* options[kOptions] = {};
    QLabel* optionLabels[kOptions] = {};
    QButtonGroup* inputMirror = nullptr;              // ids 0 RSV, 1 Open, 2 Safety, 3 Back
    QButtonGroup* outputMirror = nullptr;             // ids 0 RSV, 1 Clmp, 2 Thim, 3 Alrm
    QButtonGroup* initialState[kInitialStates] = {};  // ids 0 Break, 1 Close
    QLabel* initialStateLabels[kInitialStates] = {};

protected:
    void showEvent(QShowEvent* event) override;

private:
    IOSettingsDialog* m_dialog = nullptr;
};

// Checks the button of `group` whose id is `id`; an id without a button leaves every button unchecked.
void checkGroupId(QButtonGroup* group, int id);
// Stores the checked button's id into *field. With no button checked (the stored value had no button)
// the field keeps its value: the page never writes a choice the operator did not make.
void storeCheckedId(const QButtonGroup* group, int32_t* field);
