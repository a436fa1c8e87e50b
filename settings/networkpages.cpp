#include "networkpages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "settingshost.h"
#include "widgets/checkbox.h"

NetworkParamsWidget::NetworkParamsWidget(QWidget* parent) : BWidget(parent) {
    auto* grid = new QGridLayout(this);
    bridgeBox = new CheckBox(this);
    cardBox = new QComboBox(this);
    addressEdit = new QLineEdit(this);
    maskEdit = new QLineEdit(this);
    gatewayEdit = new QLineEdit(this);
    useCardBox = new CheckBox(this);
    testButton = new QPushButton(this);
    int row = 0;
    for (QWidget* w : {static_cast<QWidget*>(bridgeBox), static_cast<QWidget*>(cardBox),
                       static_cast<QWidget*>(addressEdit), static_cast<QWidget*>(maskEdit),
                       static_cast<QWidget*>(gatewayEdit), static_cast<QWidget*>(useCardBox),
                       static_cast<QWidget*>(testButton)})
        grid->addWidget(w, row++, 0);
}

OtherNetworksWidget::OtherNetworksWidget(QWidget* parent) : BWidget(parent) {}

void OtherNetworksWidget::SlotGetRemindList() {
    // Asked only while the bridge is on and its client is connected (the hook tests both).
    if (settingsHost().askRemindList) settingsHost().askRemindList();
}

DeviceParamsWidget::DeviceParamsWidget(QWidget* parent) : BWidget(parent) {}

void DeviceParamsWidget::SlotGetProductName() {
    if (settingsHost().askProductList) settingsHost().askProductList();
}

MemorandumWidget::MemorandumWidget(QWidget* parent) : BWidget(parent) {}
