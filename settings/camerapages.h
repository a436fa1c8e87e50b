#pragma once
// Pages of the "Camera Param" group of the settings dialog:
// - CameraFunctionsWidget: fifteen switches of the camera and the detection algorithms;
// - CameraParamsWidget: clarity, gamma, truth and capture speed, with CameraParamsSubWidget on top;
// - CameraParamsSubWidget: the camera chooser, exposure and gain, restore defaults, camera order, and a
//   toggle that detaches it as a small panel over the live picture.
// Each page loads from the working copy gpWParaBak when the dialog is shown (WizardParaInit) and
// writes back at the commit (accept). The image values and automatic shading go to the camera at once
// through the dialog's camera slots (SystemSettingWidget::SetExposeTime ..., defined in
// camerapages.cpp); the rest acts at the commit.
#include <QSize>
#include <functional>

#include "widgets/bwidget.h"

class BlineLabel;
class CheckBox;
class QButtonGroup;
class QGridLayout;
class QLabel;
class QPushButton;
class QSlider;
class QVBoxLayout;
class SystemSettingWidget;
struct CameraCommit;

// What the camera pages need of the main window. The main window installs the hooks when it creates
// the settings dialog; tests install fakes. An unset hook does nothing.
struct CameraPagesHost {
    std::function<void(int camera)> showCamera;         // shows camera `camera` alone (ChangeCammer)
    std::function<void(bool enter)> cameraPramsAdjust;  // image page without split view, and back
    std::function<void()> showCameraOrder;              // image page, then the camera order dialog
    // Rebuilds the matching models and region copies the commit's changes call for (see CameraCommit).
    std::function<void(const CameraCommit& commit)> rebuildModels;
};
CameraPagesHost& cameraPagesHost();
void resetCameraPagesHost();

// Number of camera buttons on the sub-page; the pages show cameras 1 to 4.
constexpr int kCameraPageButtons = 4;

class CameraParamsSubWidget : public BWidget {
    Q_OBJECT
public:
    explicit CameraParamsSubWidget(QWidget* parent = nullptr);
    // Exposure and gain of camera outSet from gpWParaBak.
    void WizardParaInit();
    // Shows or hides the divider and the previous and next buttons (shown while detached).
    void displayIndependent(bool on);
    bool detached() const { return m_detached; }

    QSlider* exposureSlider;
    QSlider* gainSlider;
    QPushButton* cameraButtons[kCameraPageButtons];
    BlineLabel* exposureValue;
    BlineLabel* gainValue;
    QPushButton* orderButton;    // camera-to-screen order
    QPushButton* restoreButton;  // restore the camera's defaults
    QButtonGroup* cameraGroup;   // ids 0-3
    QLabel* titleLabel;
    QWidget* splitLine;
    QPushButton* viewButton;  // detach / re-attach
    QPushButton* previousButton;
    QPushButton* nextButton;

public slots:
    void viewBtnToggled(bool on);

signals:
    void sliderValue(int value);  // a slider of the sub-page moved (the page shows the value)

protected:
    void showEvent(QShowEvent* event) override;

private:
    void stepCamera(int delta);

    QVBoxLayout* m_layout;
    QWidget* m_parent = nullptr;
    QSize m_size{-1, -1};
    bool m_detached = false;
};

class CameraParamsWidget : public BWidget {
    Q_OBJECT
public:
    explicit CameraParamsWidget(QWidget* parent = nullptr);
    // Clarity, gamma and truth of camera outSet, and the capture speed, from gpWParaBak.
    void WizardParaInit();
    // Shows the capture speed without storing it (clamped to the slider's range when out of it).
    void loadSpeed(int value);
    // Stores the capture speed when the operator moved its slider since it was loaded (the image
    // values are stored as they move).
    void accept();

    // Whether the factory controls show: the current state of the "Display factory param" box,
    // installed by the dialog. Unset: shown.
    std::function<bool()> factoryShown;

    CameraParamsSubWidget* subWidget;
    QSlider* sharpSlider;        // "Clarity" 0-100
    QSlider* gammaSlider;        // "Gamma" 0-250
    QSlider* contrastSlider;     // "Truth" 1-200
    QSlider* speedSlider;        // "Speed" 0-32
    BlineLabel* valueLabels[4];  // sharp, gamma, contrast, speed

public slots:
    // Writes the moved slider's value into its value label.
    void slotQSliderValue(int value);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QList<QWidget*> m_factoryControls;
    bool speedMoved_ = false;  // the speed slider changed since it was loaded
};

class CameraFunctionsWidget : public BWidget {
    Q_OBJECT
public:
    explicit CameraFunctionsWidget(QWidget* parent = nullptr);
    void WizardParaInit();
    // Stores the fifteen boxes; "Display all the parameters" is ticked first when the spot, white-area,
    // black-area, white-number or direction function is on.
    void accept();

    std::function<bool()> factoryShown;  // as on CameraParamsWidget

    static constexpr int kBoxes = 15;
    CheckBox* boxes[kBoxes];
    QLabel* labels[kBoxes];
    CheckBox* wdrBox;  // "Automatic shading", applied at once
    // The box of a language id of the page (388, 270, ...), else null.
    CheckBox* box(int textId) const;

protected:
    void showEvent(QShowEvent* event) override;
};

// The camera half of the settings commit. Begin before the working copy goes live (it notes what
// changed), apply after: trigger mode on every view when it changed, the capture speed when it changed,
// then the matching models and region copies through the host.
struct CameraCommit {
    bool triggerChanged = false;
    bool speedChanged = false;
    bool positioningChanged = false;  // positioning switch or rotation range
    bool cavityChanged = false;
    bool marginChanged = false;
    bool sameParamsChanged = false;
    bool productChanged = false;
    bool amplifyChanged = false;
    bool stepsRederived = false;  // multi-detection set-up taken over: every step reshaped and retrained
};
CameraCommit cameraCommitBegin();
void applyCameraCommit(const CameraCommit& commit);
// The "No" answer of the commit: the working copy becomes the live record again and every camera
// value the operator moved (exposure, gain, clarity, truth, gamma of the eight cameras) goes back to
// its live value in the camera.
void restoreCameraValues();
