#pragma once
// The production page (device tab) and the reminder page (memorandum tab) of the settings dialog.
#include "widgets/bwidget.h"

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
