#pragma once
// Pages of the "Camera Param" group of the settings dialog.
#include "widgets/bwidget.h"

class CheckBox;
class QPushButton;
class Slider;

class CameraParamsSubWidget : public BWidget {
    Q_OBJECT
public:
    explicit CameraParamsSubWidget(QWidget* parent = nullptr);
    void WizardParaInit() {}

    QPushButton* cameraButtons[4];
    QPushButton* restoreButton;  // restore the camera's defaults
    QPushButton* orderButton;    // camera-to-screen order
    Slider* exposureSlider;
    Slider* gainSlider;
};

class CameraParamsWidget : public BWidget {
    Q_OBJECT
public:
    explicit CameraParamsWidget(QWidget* parent = nullptr);
    void WizardParaInit() {}
    void accept() {}

    CameraParamsSubWidget* subWidget;
    Slider* sharpSlider;
    Slider* contrastSlider;
    Slider* gammaSlider;
};

class CameraFunctionsWidget : public BWidget {
    Q_OBJECT
public:
    explicit CameraFunctionsWidget(QWidget* parent = nullptr);
    void WizardParaInit() {}
    void accept() {}

    CheckBox* wdrBox;  // automatic shading
};
