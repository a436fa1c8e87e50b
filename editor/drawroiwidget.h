#pragma once
// The region and alarm view controller: region editing on the camera views and the alarm view.
// For now what the inspection cycle calls: entering the alarm view, leaving editing and the re-check
// of the alarm view.
#include <QWidget>

#include "inspection/roieditorhooks.h"

class MainWindow;

class DrawROIWidget : public QWidget, public RoiEditorHooks {
    Q_OBJECT
public:
    explicit DrawROIWidget(MainWindow* window);

    // Enters editing: the alarm bar in the alarm state, the region bar otherwise.
    void Reset(bool fromButton) override;
    // Leaves editing: live display, the controller hidden, every view repainted.
    void Restart() override;
    // Re-detects the current step of the alarm: outputs set for the step's evaluation, every camera
    // that was not skipped evaluated again and the step decided anew. In the alarm view of one camera
    // the view moves on to the next camera that is still NG.
    void SlotReCheck() override;
    // Deletes every template but the master of every camera and step, files included; the matching
    // models are rebuilt after the next result display.
    void SlotTempDeleteAll() override;
    // Leaves the region page: views back to template 0 and without tools; outside the alarm state
    // editing ends, and editing entered from template learning hands back to detection.
    void SlotReturn() override;
    // Stores region edits made in the views; there are none to store while region editing is not
    // offered.
    void SlotSaveData() {}

    int resetCount = 0;
    int restartCount = 0;

private:
    MainWindow* window_;
};

// Creates the controller and installs it in the main window.
DrawROIWidget* installDrawROIWidget(MainWindow* window);
