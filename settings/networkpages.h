#pragma once
// Pages of the network, device and memorandum tabs of the settings dialog.
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

class OtherNetworksWidget : public BWidget {
    Q_OBJECT
public:
    explicit OtherNetworksWidget(QWidget* parent = nullptr);
    void WizardParaInit() {}
    void accept() {}

public slots:
    // The memorandum tab was pressed: asks the network client for its reminder list.
    void SlotGetRemindList();
};

class DeviceParamsWidget : public BWidget {
    Q_OBJECT
public:
    explicit DeviceParamsWidget(QWidget* parent = nullptr);
    void WizardParaInit() {}
    void accept() {}

public slots:
    // The device tab was pressed: asks the network client for its product list.
    void SlotGetProductName();
};

class MemorandumWidget : public BWidget {
    Q_OBJECT
public:
    explicit MemorandumWidget(QWidget* parent = nullptr);
};
