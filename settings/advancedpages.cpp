#include "advancedpages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "settingstext.h"

AdvanceparamWidget::AdvanceparamWidget(QWidget* parent) : BWidget(parent) {
    auto* grid = new QGridLayout(this);
    groupBox = new QComboBox(this);
    groupNameEdit = new QLineEdit(this);
    groupBackupButton = new QPushButton(this);
    groupRestoreButton = new QPushButton(this);
    groupDeleteButton = new QPushButton(this);
    grid->addWidget(groupBox, 0, 0);
    grid->addWidget(groupNameEdit, 0, 1);
    grid->addWidget(groupBackupButton, 1, 0);
    grid->addWidget(groupRestoreButton, 1, 1);
    grid->addWidget(groupDeleteButton, 1, 2);
}

AdvanceFuncWidget::AdvanceFuncWidget(QWidget* parent) : BWidget(parent) {
    auto* grid = new QGridLayout(this);
    updateButton = new QPushButton(setText(325), this);
    exportButton = new QPushButton(setText(326), this);
    factoryButton = new QPushButton(setText(551), this);
    modifyTimeButton = new QPushButton(setText(401), this);
    calibrateButton = new QPushButton(setText(458), this);
    hardwareButton = new QPushButton(this);
    exitButton = new QPushButton(setText(210), this);
    int k = 0;
    for (QPushButton* b : {updateButton, exportButton, factoryButton, modifyTimeButton, calibrateButton,
                           hardwareButton, exitButton}) {
        grid->addWidget(b, k / 3, k % 3);
        ++k;
    }
    // Nothing offers these two on the panel.
    hardwareButton->hide();
    exitButton->hide();
}
