#pragma once
// What the camera layer needs of the main window and the settings dialog above it. The main window
// installs the hooks and registers its camera views at start-up; tests install fakes. Unset hooks do
// nothing (settings are then read from the live record).
#include <QVector>
#include <functional>

class CameraSlot;
struct WizardPara;

struct CameraHost {
    // The settings dialog is shown: the views read the working copy gpWParaBak.
    std::function<bool()> settingsVisible;
    // The detachable camera sub-page window is shown: exposure and gain read the working copy too.
    std::function<bool()> cameraPageVisible;
    // Hides the shared warning box (gpWarnBox) before a restart reopens the cameras.
    std::function<void()> hideWarnBox;
    // Zeroes the main window's per-camera stall counters.
    std::function<void()> resetStallCounters;
    // Clears the overall OK flag (allOk) of view `index`: the view shows as failed.
    std::function<void(int index)> markViewFailed;
};

CameraHost& cameraHost();

// The camera views the camera layer walks ("each view below the view count"): the main window's
// views in its cycle order, numCamera of them. Registered once the camera count check has settled them.
void setCameraViews(const QVector<CameraSlot*>& views);
// Views below the view count: numCamera, never more than were registered.
int cameraViewCount();
// View `index` (0 <= index < cameraViewCount()), else null.
CameraSlot* cameraView(int index);

// The record a view reads its image settings from: the working copy while the settings dialog is
// shown (for exposure and gain, `exposureOrGain`, also while the camera sub-page window is shown),
// otherwise the live record. Null when neither record exists.
WizardPara* settingsRecord(bool exposureOrGain = false);
// The live record (trigger mode, capture speed); null before start-up.
WizardPara* liveRecord();

// Text of language id `id` in the current language.
QString cameraText(int id);
// One operation record through the main window (logged when there is none).
void cameraRecord(const QString& text);

// Back to no hooks and no views (tests).
void resetCameraHost();
