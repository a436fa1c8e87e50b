#include "networkpages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

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
