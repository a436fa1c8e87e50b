#include "camerapages.h"

#include <QGridLayout>
#include <QPushButton>

#include "widgets/checkbox.h"
#include "widgets/slider.h"

CameraParamsSubWidget::CameraParamsSubWidget(QWidget* parent) : BWidget(parent) {
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < 4; ++i) {
        cameraButtons[i] = new QPushButton(QString::number(i + 1), this);
        cameraButtons[i]->setCheckable(true);
        grid->addWidget(cameraButtons[i], 0, i);
    }
    restoreButton = new QPushButton(tr("恢复默认"), this);
    orderButton = new QPushButton(this);
    exposureSlider = new Slider(0, 100, 1, 0, this);
    gainSlider = new Slider(0, 100, 1, 0, this);
    grid->addWidget(exposureSlider, 1, 0, 1, 4);
    grid->addWidget(gainSlider, 2, 0, 1, 4);
    grid->addWidget(restoreButton, 3, 0);
    grid->addWidget(orderButton, 3, 1);
}

CameraParamsWidget::CameraParamsWidget(QWidget* parent) : BWidget(parent) {
    auto* grid = new QGridLayout(this);
    subWidget = new CameraParamsSubWidget(this);
    sharpSlider = new Slider(0, 100, 1, 0, this);
    contrastSlider = new Slider(0, 100, 1, 0, this);
    gammaSlider = new Slider(0, 100, 1, 0, this);
    grid->addWidget(subWidget, 0, 0);
    grid->addWidget(sharpSlider, 1, 0);
    grid->addWidget(contrastSlider, 2, 0);
    grid->addWidget(gammaSlider, 3, 0);
}

CameraFunctionsWidget::CameraFunctionsWidget(QWidget* parent) : BWidget(parent) {
    wdrBox = new CheckBox(this);
}
