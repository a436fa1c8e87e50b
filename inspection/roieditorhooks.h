#pragma once
// What the inspection cycle asks of the region and alarm editor (DrawROIWidget). The editor sits
// above the main window and installs itself with MainWindow::setRoiEditor; without an editor the
// calls are skipped.
class RoiEditorHooks {
public:
    virtual ~RoiEditorHooks() = default;
    // Enters editing (alarm view or region editing); the argument is ignored.
    virtual void Reset(bool fromButton) = 0;
    // Leaves editing: views deselected, the editor hidden.
    virtual void Restart() = 0;
    // Re-detects the current step from the alarm view.
    virtual void SlotReCheck() = 0;
};
