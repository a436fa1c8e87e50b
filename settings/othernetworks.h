#pragma once
// The other-network page of the settings dialog's network group.
#include "widgets/bwidget.h"

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
