#pragma once
// The region and alarm view controller: enters and leaves the two editing pages (the region bar and
// the alarm bar), arms the drawing tools of the displayed camera view, deletes regions, switches the
// alarm page between live pictures and the template, and saves region edits with a change record.
// Each used camera view has a ViewEditor that runs the view's touch and mouse editing.
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "alarmoption.h"
#include "app/globals.h"
#include "inspection/roieditorhooks.h"
#include "vieweditor.h"

class MainWindow;
class CammerWidget;
class CammerSingleton;
struct WizardPara;

// The editor step a visit of the editing pages opens on (alarm page: the inspection step itself).
// `camera` is the displayed camera among `cameras` used views.
int chooseEditorStep(const WizardPara& p, int detectStep, bool alarmPage, int camera, int cameras, int steps);

// The operation record texts for the changes from `saved` to `working` of camera `cameraNo` (1-based)
// in step `step` (one text per added, deleted or changed region; none for a change of function type
// alone, of output numbers or of cavity flags). *position is set when a Position region is involved.
QStringList regionChangeRecords(const CammerSingleton& saved, const CammerSingleton& working, int cameraNo,
                                int step, int detectMode, bool* position);
// Whether the stores differ in what is saved: counts, flags, output numbers, and each region's
// parameters and geometry. Selection marks and drag scratch values do not count.
bool regionsDiffer(const CammerSingleton& a, const CammerSingleton& b);

constexpr int kAlarmEndedText = 621;  // "The alarm has already ended, the operation was not carried out!"
constexpr int kNothingToIgnoreText = 622;  // "There are no alarm points to ignore, nothing was changed!"

class DrawROIWidget : public QWidget, public RoiEditorHooks {
    Q_OBJECT
public:
    explicit DrawROIWidget(MainWindow* window);
    ~DrawROIWidget() override;

    // Enters editing: working stores := saved stores, the editor step chosen, the alarm bar with live
    // pictures in the alarm state, otherwise the region bar with the template.
    void Reset(bool fromButton) override;
    // Leaves editing: live display, the controller hidden, every view deselected and repainted.
    void Restart() override;
    // Re-detects the current step of the alarm: outputs set for the step's evaluation, every camera
    // that was not skipped evaluated again and the step decided anew. In the alarm view of one camera
    // the view moves on to the next camera that is still NG.
    void SlotReCheck() override;
    // From the polling pass: at once, or after the pass when the save question must be asked first.
    void ReCheckFromLoop() override;
    // Whether a re-check from the loop waits for the operator's answer.
    bool reCheckWaiting() const { return recheckWaiting_ || recheckRunning_; }
    // Whether any camera has region edits (or deletions of ignored points) not saved yet.
    bool hasUnsavedEdits() const;
    // Deletes every template but the master of every camera and step, files included; the matching
    // models are rebuilt after the next result display.
    void SlotTempDeleteAll() override;
    // Adds the shown picture (the judged frame in the alarm view, else the recent NG picture shown)
    // as a template of the camera and step, after the guards, the password and a confirmation.
    void SlotAddTemp() override;
    // Deletes the template shown with the template source (never the master), file included, and
    // shows the next one.
    void SlotTempDeleteCur() override;
    // Shows the next valid template of the editor step.
    void SlotTempNext();
    // gTempTime := the file time of template `slot` of camera and step.
    void GetTempTIme(int camera, int step, int slot);
    // Leaves the region page: views back to template 0 and without tools; the edits are saved; outside
    // the alarm state editing ends, and editing entered from template learning hands back to detection.
    void SlotReturn() override;
    // Alarm page: live pictures -> the template with the drawing tools, template -> live pictures with
    // the NG views blinking.
    void SlotAutoChange() override;
    // Alarm page, "Don't Detect": after the access check (when switched on) and, with the door release
    // switch on, only once the safety door has opened. All cameras shown: the mould is accepted for
    // every camera and the alarm decided anew. One camera: it is not evaluated again for this mould
    // and the others are re-checked. Each writes its record.
    void SlotNoCheckCur() override;
    // Alarm page, on the displayed NG camera: the defect pixels inside the alarm boxes of its NG
    // regions (those measuring at most kMaxIgnoreValue) become ignored points of the step; the mask
    // is written and the step retrained. Record, and the mask's path to the network client.
    void SlotIgnoreAlarmPoint() override;
    // Alarm page, on the displayed NG camera: every ignored point of the step is cleared, written
    // and the step retrained.
    void SlotDeleteIgnorePoint() override;

    void viewMousePress(CammerWidget* view, QMouseEvent* event) override;
    void viewMouseMove(CammerWidget* view, QMouseEvent* event) override;
    void viewMouseRelease(CammerWidget* view, QMouseEvent* event) override;
    void viewDeselect(CammerWidget* view) override;
    void viewCavityBoxes(CammerWidget* view, int mode) override;

    // Asks once whether to save changed regions, records each change, stores and retrains.
    void SlotSaveData();
    // The region bar's step list for `count` multi-detection steps.
    void ChangeDetectNum(int count);
    void setSource(int) {}

    // The editor of a view (null for a view the cycle does not use).
    ViewEditor* editorOf(const CammerWidget* view) const;
    // The editor of the displayed camera, when editing is allowed on it (a single camera shown and
    // the template source).
    ViewEditor* currentEditor() const;

    // The alarm page's bar, made with the controller and put in the main window's bar stack.
    AlarmOption* alarmOption = nullptr;

    int freeHand = 0;               // the polygon tool draws free hand
    bool retrain[kMaxCamera] = {};  // the camera's matching models are retrained at the next save
    int resetCount = 0;
    int restartCount = 0;

public slots:
    // The alarm bar's buttons.
    void AlarmtnsToggledSlot(AlarmOption::BTN_TYPE type, bool checked);
    void SlotDrawRect();
    void SlotDrawCircle();
    void SlotDrawPloygn();
    void SlotDrawHand();
    void SlotCopyArea();
    void SlotDeleteROI();
    void SlotDeleteAllROI();

private:
    void armTool(int tool, bool hand);
    // The single camera shown on the alarm page (null while all are shown).
    CammerWidget* alarmCamera() const;
    // After a question of the alarm page: true, with the operator told, when the alarm of `step` (and
    // of `camera`, when given) is over and the answer is not carried out.
    bool alarmGone(int step, const CammerWidget* camera) const;
    MainWindow* window_;
    std::vector<QPointer<ViewEditor>> editors_;
    bool recheckWaiting_ = false;  // a re-check from the loop is queued or asking
    bool recheckRunning_ = false;  // a re-check is under way (its save question may be open)
    bool regionPageOpen_ = false;  // the region page is open (not the alarm page)
    bool carryEdits_ =
        false;  // unsaved edits interrupted by an alarm, kept until the save question is answered
};

// Creates the controller and installs it in the main window.
DrawROIWidget* installDrawROIWidget(MainWindow* window);
