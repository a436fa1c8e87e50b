#pragma once
// The region and alarm view controller: region editing on the camera views and the alarm view.
// For now only what the inspection cycle calls: entering the alarm view and leaving editing.
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
    // Re-detects the current step from the alarm view (comes with the alarm handling).
    void SlotReCheck() override {}

    int resetCount = 0;
    int restartCount = 0;

private:
    MainWindow* window_;
};

// Creates the controller and installs it in the main window.
DrawROIWidget* installDrawROIWidget(MainWindow* window);
