#include "productionpages.h"

#include "settingshost.h"

DeviceParamsWidget::DeviceParamsWidget(QWidget* parent) : BWidget(parent) {}

void DeviceParamsWidget::SlotGetProductName() {
    if (settingsHost().askProductList) settingsHost().askProductList();
}

MemorandumWidget::MemorandumWidget(QWidget* parent) : BWidget(parent) {}
