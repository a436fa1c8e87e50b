#include "othernetworks.h"

#include "settingshost.h"

OtherNetworksWidget::OtherNetworksWidget(QWidget* parent) : BWidget(parent) {}

void OtherNetworksWidget::SlotGetRemindList() {
    // Asked only while the bridge is on and its client is connected (the hook tests both).
    if (settingsHost().askRemindList) settingsHost().askRemindList();
}
