#pragma once
// What the inspection cycle and the main window's bars ask of the region and alarm editor
// (DrawROIWidget). The editor sits above the main window and installs itself with
// MainWindow::setRoiEditor; without an editor the calls are skipped. Every command of the bars is
// the editor's to carry out, so an editor must offer each of them.
class CammerWidget;
class QMouseEvent;

class RoiEditorHooks {
public:
    virtual ~RoiEditorHooks() = default;
    // Enters editing (alarm view or region editing); the argument is ignored.
    virtual void Reset(bool fromButton) = 0;
    // Leaves editing: views deselected, the editor hidden.
    virtual void Restart() = 0;
    // Re-detects the current step from the alarm view.
    virtual void SlotReCheck() = 0;
    // The re-check input edge, from inside the polling pass. Nothing modal may run there: when the
    // operator must first be asked (unsaved region edits), the re-check runs after the pass and the
    // loop polls on while the question is open; edges meanwhile start no second re-check.
    virtual void ReCheckFromLoop() { SlotReCheck(); }

    // Templates: delete all but the masters, delete the shown one, add the shown picture.
    virtual void SlotTempDeleteAll() = 0;
    virtual void SlotTempDeleteCur() = 0;
    virtual void SlotAddTemp() = 0;
    // Ends region editing.
    virtual void SlotReturn() = 0;
    // Switches the alarm view between live image and template.
    virtual void SlotAutoChange() = 0;
    // Alarm view: skip the mould, ignore the alarm's pixels, clear the ignored pixels.
    virtual void SlotNoCheckCur() = 0;
    virtual void SlotIgnoreAlarmPoint() = 0;
    virtual void SlotDeleteIgnorePoint() = 0;

    // A camera view hands its mouse events (touches arrive as synthesised mouse events) to the editor,
    // whose state machine decides what they do; the view keeps painting.
    virtual void viewMousePress(CammerWidget* view, QMouseEvent* event) {
        (void)view;
        (void)event;
    }
    virtual void viewMouseMove(CammerWidget* view, QMouseEvent* event) {
        (void)view;
        (void)event;
    }
    virtual void viewMouseRelease(CammerWidget* view, QMouseEvent* event) {
        (void)view;
        (void)event;
    }
    // Clears the view's region selection and drawing state and hides its parameter panel.
    virtual void viewDeselect(CammerWidget* view) { (void)view; }
    // The view's eight cavity boxes: 0 hidden, 1 filled from step 1's flags and shown, 2 refilled only.
    virtual void viewCavityBoxes(CammerWidget* view, int mode) {
        (void)view;
        (void)mode;
    }
};
