#pragma once
// The network page of the settings dialog's network group.
#include "widgets/bwidget.h"

class CheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class NetworkParamsWidget : public BWidget {
    Q_OBJECT
public:
    explicit NetworkParamsWidget(QWidget* parent = nullptr);
    void WizardParaInit() {}
    void accept() {}

    CheckBox* bridgeBox;  // network bridge switch
    QComboBox* cardBox;   // network card selector
    QLineEdit* addressEdit;
    QLineEdit* maskEdit;
    QLineEdit* gatewayEdit;
    CheckBox* useCardBox;     // the card the network client uses
    QPushButton* testButton;  // connectivity test
};
