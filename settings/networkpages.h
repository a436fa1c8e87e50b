#pragma once
// The network page of the settings dialog's network group.
#include "widgets/bwidget.h"

class BComboBox;
class BLineEdit;
class CheckBox;
class QButtonGroup;
class QLabel;
class QPushButton;

// The network page: the computer's network cards (address, netmask and gateway of each wired card;
// a wireless card's live values only shown), the device number (the host name), the card the network
// client uses, the bridge switch, video sharing, and the IO board's COM port. The settings dialog
// drives the card part (SystemSettingWidget::InitCntNetWidget and the Slot... it wires).
class NetworkParamsWidget : public BWidget {
    Q_OBJECT
public:
    explicit NetworkParamsWidget(QWidget* parent = nullptr);
    // The bridge switch, the COM port, the device number and the video choices from the working
    // copy and the edited card record (the cards themselves: InitCntNetWidget).
    void WizardParaInit();
    // Back into the working copy and the edited card record's host name.
    void accept();

    BComboBox* cardBox;  // network card selector
    BComboBox* comBox;   // COM1 to COM4
    QLabel* macLabel;
    BLineEdit* addressEdit;
    BLineEdit* hostEdit;  // device number: the host name
    BLineEdit* maskEdit;
    CheckBox* useCardBox;  // the card the network client uses
    BLineEdit* gatewayEdit;
    CheckBox* bridgeBox;  // network bridge switch
    QPushButton* testButton;
    QLabel* resultLabel;          // the connection check's result
    QButtonGroup* videoGroup;     // 0 no video, 1 screen image, 2 camera images
    QButtonGroup* rateGroup;      // 5, 10, 15, 20, 25 frames per second
    bool useCardPressed = false;  // a press on the use-card box waits for its state change
};
