#pragma once
// The main window: owner of the camera views, the bars and dialogs, every timer of the inspection
// cycle and the cycle state. Its constructor brings the monitor up (Monitor_Init); the polling loop
// Run() drives the machine cycle from then on. Everything here runs on the GUI thread.
#include <QDir>
#include <QSqlDatabase>
#include <QVector>
#include <QPoint>
#include <QRgb>
#include <QString>
#include <cstdint>

#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "app/zeropages.h"
#include "io/linkrecords.h"
#include "mainbars.h"
#include "records/recordstore.h"
#include "roieditorhooks.h"

class QStackedLayout;
class QStackedWidget;
class QTimer;
class QPushButton;
class QMouseEvent;
class CammerWidget;
class ImageContainer;
class SystemSettingWidget;
class IOStatusWidget;
class WidgetChangeCamera;
class CustomIONameWidget;
class HardwareConfigurationWidget;
struct CameraCommit;
class WarnBox;
class ChooseBox;

class MainWindow : public MainWindowBase {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    void InsertRecord(QString text) override;
    void FLushAll() override;
    void StopInOrder() override;

    // Tests only: stops the loop and every timer, the IO poll thread, the image saver and the cameras,
    // so that the process can end cleanly.
    void stopForTest();

    // View i (0 <= i < numCamera) of the cycle: the i-th view whose camera opened (or test view).
    CammerWidget* camView(int i) const { return i >= 0 && i < cams.size() ? cams[i] : nullptr; }
    int lastStep() const;

    // Cycle state (see the main window's start-up for the initial values).
    int StepPhase = 3;
    int shownStep = 0;
    int displayedCamera = 0;  // a view index, or numCamera for all views tiled
    int manualStepRequest = 0;
    int simulatedInput = -1;
    int carriedInput = -1;
    int forcedStep = -1;
    int multiStep = 0;
    int StepArmedMask[kMaxStep] = {};
    int RecheckLeft[kMaxStep] = {};
    int recheckPending = 0;
    int learningEndAsking = 0;          // learning is done and the password box of its end is due or open
    int recheckDelay = 0;               // 100 ms
    int remainingDelay[kMaxStep] = {};  // tenths of a second left before the step runs
    int stepOk[kMaxStep] = {};
    int ImageState[kMaxCamera][kMaxStep] = {};
    uint8_t allCountPending[kMaxCamera] = {};
    uint8_t failCountPending[kMaxCamera] = {};
    uint8_t ngOutputFlags[4] = {};
    uint8_t inputConfirmed[8] = {};
    uint8_t noInputWarned = 0;
    uint8_t manualStart = 0;
    int safeDoorTrigger = 0;
    // The operator confirmed "stop detection" while an alarm was shown: the alarm keeps its outputs
    // until it is dealt with, and detection stops when it ends (takeDeferredStop). Meanwhile, when
    // stopping keeps the clamping cut, the cut is held on the board through the alarm's release.
    uint8_t stopAfterAlarm = 0;
    uint8_t lastNG = 0;
    uint32_t cycleTime = 0;   // tenths of a second between the last two cycle starts
    uint32_t cycleStamp = 0;  // tenths of a second since the epoch, truncated to 32 bits
    qint64 alarmStart = 0;
    int frameCount[kMaxCamera] = {};
    int prevFrameCount[kMaxCamera] = {};
    int fps[kMaxCamera] = {};
    int stallCount[kMaxCamera] = {};
    uint8_t rawImageSaving = 0;
    // Layout: the tile's share of the display area (tile size / gShowW, gShowH).
    float zoomX = 1.0f, zoomY = 1.0f;
    // Zoom and pan of the displayed camera: scale 1 to 32, offsets in screen pixels, the anchor that
    // stays in place while zooming (set by the views), and the tool mode (0 hidden, 1 zoom-in button,
    // 2 zoom-in, zoom-out and the fine-tuning pad).
    double zoomScale = 1.0;
    double zoomOffX = 0, zoomOffY = 0;
    QPoint zoomAnchor;
    int zoomToolMode = 0;
    QPushButton* zoomInButton = nullptr;
    QPushButton* zoomOutButton = nullptr;

    // Region editor state the views paint from.
    int editorStep = 0;         // the step whose regions and templates are edited
    int copyMode = 0;           // the next press on a view copies the selected region
    int drawingTool = 1;        // ROIShape of the shape being drawn: 1 rectangle, 2 polygon, 4 ring
    QPoint pointerPixel;        // pointer location in image pixels
    uint32_t pointerValue = 0;  // pixel value there: grey, or 0x00RRGGBB

    // Loop state kept across passes.
    int passCount = 0;
    int cameraTrigBits = 0;
    int lastDelay = 0;
    bool freshFrame[kMaxCamera] = {};
    int testPictureIndex = 0;
    bool ioLinkAlarm = false;  // the IO board's link is shown as lost
    LinkRecordLimiter linkRecords;

    CammerWidget* views[kMaxCamera] = {};  // by screen slot
    QVector<CammerWidget*> cams;           // the views the cycle uses, numCamera of them

    QStackedWidget* pageStack = nullptr;
    QStackedLayout* barStack = nullptr;
    TitleBar* titleBar = nullptr;
    OptionBar* optionBar = nullptr;
    RegiOption* regiOption = nullptr;
    IndexButton* indexButton = nullptr;
    ImageContainer* imageContainer = nullptr;
    SystemSettingWidget* settingWidget = nullptr;
    IOStatusWidget* ioStatus = nullptr;                     // login indicator, shown on page 0 only
    WidgetChangeCamera* widgetChangeCamera = nullptr;       // camera reorder dialog (hidden)
    CustomIONameWidget* customIONameWidget = nullptr;       // custom IO names dialog (hidden)
    HardwareConfigurationWidget* hardwareWidget = nullptr;  // "conf.txt" and the camera count (hidden)

    QDir ngDir[kMaxCamera][kMaxStep];
    QDir okDir[kMaxCamera][kMaxStep];
    QVector<QRgb> greyTable;

    // Records
    // The operation record of the day (RECORD.db, its rotation into ./RECORD and "time.txt").
    RecordStore records;
    QDir recordDir;
    bool recordDbOpen = false;  // RECORD.db could be opened or made at start-up
    bool countersRead = false;  // the start-up read the counters: a stop may write them back
    // Hands records, region results, region parameters, the parameter record and saved pictures to
    // the network bridge, and names the signals; installed once at start-up.
    void installRecordHooks();

    QTimer* runTimer = nullptr;
    QTimer* timerUp[kMaxStep] = {};
    QTimer* checkInputTimer[8] = {};
    QTimer* inCheckTimer = nullptr;
    QTimer* showTimer = nullptr;
    QTimer* reCheckTimer = nullptr;
    QTimer* outTimerOutNG = nullptr;
    QTimer* outTimerOutNG1 = nullptr;
    QTimer* outTimerNotAllowClose = nullptr;
    QTimer* outTimerNotAllowThimble = nullptr;
    QTimer* checkDateTimer = nullptr;
    QTimer* fpsTimer = nullptr;
    QTimer* scaleTimer = nullptr;

    // Decision and alarm (cycle.cpp).
    // Evaluates camera view `camera` for scheduled step `step`: positioning, every region, the
    // immediate NG outputs and the counters; or, while learning, captures the step's template.
    void RunAlgorithm(int camera, int step);
    // Turns the results of the current step into outputs, the screen state, records and pictures.
    void CheckNG();
    // Clears the results of the current cycle.
    void ResetRun();
    // Stops the step timers and a pending re-check; the monitor stops detecting (RunState 3).
    void SetStopDetect();
    // End of template learning: region editing takes over when the password check passes, otherwise
    // back to detection.
    void CheckArea(bool fromButton);
    // The end of learning from inside the polling pass: CheckArea at once when it needs no password
    // box; otherwise the box is asked once the pass is over, the loop polling on meanwhile, and the
    // decision of the learning cycle waits for the answer.
    void checkAreaAfterPass();
    // The answer of the learning end's password check: region editing (true) or detection.
    void endLearning(bool editRegions);
    // The region and alarm editor above this layer installs itself here (may stay null).
    void setRoiEditor(RoiEditorHooks* editor) { drawROIWidget = editor; }
    // The editor puts its alarm bar at index 2 of the bar stack (an empty page until then); the bar
    // put there before goes.
    void setAlarmBar(QWidget* bar);
    RoiEditorHooks* drawROIWidget = nullptr;
    // Repaints the step countdown area of every used view.
    void updateCountdown();
    // Multi-detection: the input that also starts the step after the multi step, or -1.
    int nextCarriedInput() const;
    static constexpr int kRawArchiveLimit = 200;  // raw frames kept below "./originalimage"

public slots:
    void Run();
    void CheckInput(int k);
    void TimerCheckInput0() { confirmTimeout(0); }
    void TimerCheckInput1() { confirmTimeout(1); }
    void TimerCheckInput2() { confirmTimeout(2); }
    void TimerCheckInput3() { confirmTimeout(3); }
    void TimerCheckInput4() { confirmTimeout(4); }
    void TimerCheckInput5() { confirmTimeout(5); }
    void TimerCheckInput6() { confirmTimeout(6); }
    void TimerCheckInput7() { confirmTimeout(7); }
    void InCheck();
    void SlotManualTrig(int step);
    void SlotManualTrig0() { SlotManualTrig(0); }
    void SlotManualTrig1() { SlotManualTrig(1); }
    void SlotMuliManualTrig();

    // One tick of a step timer: pre-close, countdown, then the step's detection.
    virtual void TimerUp(int step);
    void TimerUp0() { TimerUp(0); }
    void TimerUp1() { TimerUp(1); }
    void TimerUp2() { TimerUp(2); }
    void TimerUp3() { TimerUp(3); }
    void TimerUp4() { TimerUp(4); }
    void TimerUp5() { TimerUp(5); }
    void TimerUp6() { TimerUp(6); }
    void TimerUp7() { TimerUp(7); }

    // Decision and alarm: the re-check timer, the end of the result display and the output pulse
    // timers (cycle.cpp).
    virtual void ReCheck();
    virtual void TimerShow();
    virtual void StartDetect();
    virtual void OutTimerOutNG();
    virtual void OutTimerOutNG1();
    virtual void OutTimerNotAllowClose();
    virtual void OutTimerNotAllowThimble();
    virtual void SlotCheckDate();
    virtual void SlotFPS();
    virtual void TimerLogout();
    virtual void TimerLCD();
    virtual void MTimerScale();
    virtual void AlarmRecheck();  // the alarm view's re-check (safety door, ejector back, reserve input)

    // Operator commands (start and stop, relearning, region editing); each is refused silently while
    // a conflicting page or dialog is shown or the password check fails.
    void SlotStartStop();
    void SlotReTrain();
    void SlotAdjustArea();
    // "Account management" on the index panel: the operator logs in through the password box.
    void SlotAccount();
    // Stops detection with the stop outputs.
    void StopDetect();
    // The stop confirmed during an alarm takes effect once the alarm has ended: stopped with the stop
    // outputs, recorded and told to the network client now.
    void takeDeferredStop();
    // The manual start or stop for the network client (with the bridge connected).
    void sendManualStop();
    // The region editor returns after template learning: back to detection.
    void BackTrain();
    void SlotReturn();
    void SlotHelp() {}

    // Lays the views out: the displayed camera alone, or every used view tiled.
    void ChangeCammer();
    void OptBtnsToggledSlot(OptionBar::BTN_TYPE type, bool checked);
    void RegionBtnsToggledSlot(RegiOption::BTN_TYPE type, bool checked);
    void SlotChangeSource(int source);
    // The camera parameter page: entering shows the camera page unsplit, leaving restores it.
    void cameraPramsAdjust(bool enter);
    void setcontentLayout();

    // Zoom and pan of the displayed camera.
    void MShowHide(int mode);
    void MHideAll();
    void MScale(int step);
    void MEnlargeScale();
    void MReductionScale();
    void MRecovery();
    void SlotMove(int dx, int dy);
    void SlotMoveT() { panStep(0, -1); }
    void SlotMoveB() { panStep(0, 1); }
    void SlotMoveL() { panStep(-1, 0); }
    void SlotMoveR() { panStep(1, 0); }

public:
    // What is on screen, as the commands check it.
    bool settingsShown() const;
    bool optionBarShown() const;
    bool regionBarShown() const;
    bool alarmBarShown() const;
    bool dialogsShown() const;  // camera reorder or custom IO names dialog
    // The output of multi-detection step s (the last step has its own).
    int stepOutput(int s) const;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Monitor_Init();
    void panStep(int dx, int dy);
    // Detection started by the operator or at start-up: StartDetect, and output 0 stays on when the
    // clamping is cut at a fixed time after a good mould.
    void startWithClampPulse();
    // Title bar and start/stop button while detecting (green) or stopped by the operator (red).
    void showDetecting(bool detecting);
    int savedPage = 0;
    bool savedSplit = false;
    void confirmTimeout(int k);
    void updateCycleStamp();
    bool stepOn(int d) const;
    // The IO board's link as the poll thread sees it: alarm on screen and a record at each change.
    void watchIOLink();
    void alarmInputs();
    void recheckPass();
    void safetyDoorTrigger();
    void stoppedInputs();
    void cycleLogic();
    bool countingInput(int k);  // false: the input scan ends
    void cycleStart(int k);
    void armCavityStep();
    void makeFolders();
    // Hands the used views and the window's camera hooks to the camera layer.
    void registerCameraViews();
    // Hands the settings dialog what it needs of the main window (page stack, views, dialogs).
    void installSettingsHost();
    // A saved settings commit: positioning models, region copies between steps and matching models of
    // every view in use, for its switched-on steps, as the commit's changes call for.
    void rebuildModels(const CameraCommit& commit);
    int fpsLedPhase = 0;
};

extern WarnBox* gpWarnBox;
extern ChooseBox* gpChooseBox;
extern int gSource;    // picture source of the region and alarm views: -1 none, 0 template, 1 live ...
extern int gRunCount;  // passes of the polling loop since start

extern QString gTempTime;  // file time of the template shown in the region editor
extern int gPicNumNG;      // NG pictures kept per camera and step
extern int gPicNumOK;      // OK pictures kept per camera and step
// Back to the state before start-up, for tests in one binary (the window must be gone).
void resetInspectionGlobals();

// "yyyy-MM-dd hh:mm:ss"-style record time and a language-table text in the current language.
QString lanText(int id);
// Tenths of a second since the epoch, truncated to 32 bits.
uint32_t cycleStampNow();
// Reads a test picture of gImageW x gImageH pixels, converted to the frame format (grey, or 32-bit
// B, G, R, 0 with colour processing). False when missing or of another size.
bool loadTestPicture(const QString& file, PictureBuffer& buffer);

// Decision and alarm flags shared with the region editor and the template learning.
extern int gFromTrain;  // region editing took over from template learning: the decision waits
extern int gisReTrain;  // rebuild every matching model when the result display ends
extern int gisReShape;  // rebuild the cavity step's models when the result display ends

class QFileInfo;
// Appends every regular file below `path`, recursing into subfolders (unsorted).
void FoundAllFile(QList<QFileInfo>& list, const QString& path);
// Sorts by last modification time, oldest first; equal times keep their order.
void SortFileByTime(QList<QFileInfo>& list);
