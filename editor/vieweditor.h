#pragma once
// Region editing on one camera view: the touch and mouse state machine that draws, selects, moves,
// resizes, copies and deletes the regions of the editor step in the view's working store, and the
// region parameter panel shown beside the selected region. The view paints what this state says
// (pending shapes, polygon points, the selection); the controller (DrawROIWidget) arms the tools.
//
// Coordinates: presses arrive in widget pixels and are turned into display pixels (the gShowW x gShowH
// reference frame of the regions' screen geometry) through the main window's zoom and pan.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QPoint>
#include <QRect>
#include <QVector>

#include "alarmoption.h"
#include "detect/cammersingleton.h"

class CammerWidget;
class MainWindow;
class DrawROIWidget;
class QMouseEvent;
class QLabel;
class Slider;
class ColorButton;
class ComboBox;
class CheckBox;
struct WizardPara;

// Edit modes of a view.
enum EditMode { kEditIdle = 0, kEditDrawing = 1, kEditMoving = 2, kEditResizing = 3, kEditArmed = 5 };

constexpr int kPolygonKeep = kMaxPolygonPoints - 1;  // a polygon keeps at most 8095 points
constexpr int kPolyMoveIntervalMs = 30;              // polygon drags are followed at most this often

// Region defaults.
struct RegionDefaults {
    int func;
    int para1;  // -1: kept
    int sens;   // -1: kept
    int area;   // -1: kept
};
// Whether function type `func` (0..8) is switched on in the parameter record.
bool functionEnabled(const WizardPara& p, int func);
// The function and values a step's first new region gets (its shape decides whether direction
// recognition may be chosen). Defect unless a later type is switched on; with Defect switched off,
// the first switched-on type of the remaining ones.
RegionDefaults firstRegionDefaults(const WizardPara& p, bool rectOrRing);
// The values the function button writes when it changes a region to `func`.
RegionDefaults functionDefaults(int func);
// The next switched-on function type after `current` (one pass over the nine types); `current`
// itself when no other is switched on.
int nextEnabledFunction(const WizardPara& p, int current);
// Copies the regions of the steps that share them, in the saved store and masks (standard-like
// procedures: 1 := 0; two-colour and turntable: 3 := 1, then 2 := 0; multi-detection: nothing).
void copySharedSteps(CammerSingleton& store, cv::Mat (&masks)[kStepCount][kRoiCount], int detectMode);

class ViewEditor : public QObject {
    Q_OBJECT
public:
    ViewEditor(CammerWidget* view, MainWindow* window, DrawROIWidget* controller);
    // Removes the panels from the view.
    ~ViewEditor() override;

    CammerWidget* view() const { return v_; }
    // The drawing panel under the view (shown with the view's tools).
    roiOperation* drawingPanel() const { return drawingPanel_; }

    // The state machine (template source only; other sources only pan or set the arrow cursor).
    void mousePress(QMouseEvent* event);
    void mouseMove(QMouseEvent* event);
    void mouseRelease(QMouseEvent* event);

    // Widget position -> display position under the zoom and pan of the displayed camera.
    QPoint toDisplay(QPoint widgetPos) const;
    // The pointer readout in image pixels and the pixel value there.
    void MUpdateXYV(int x, int y);

    void DeselectROI();
    bool GetSelectedRect();
    bool PtInRegion(QPoint p);
    bool PtInRect(QPoint p);
    bool PtInRectMove(QPoint p);
    void SavePolygon();
    void SlotCopyArea(QPoint p);
    // Removes region `index` of the editor step; the ignore points inside its image box are cleared
    // in the pending ignore changes, written with the next save.
    void DeleteROI(int index);
    // Removes every region of the editor step and marks its whole ignore mask for clearing.
    void DeleteAllROI();
    void BackMask();
    void RestorMask();

    // Parameter panel.
    void ShowHideROIPara();
    void ShowHideCheckBox(bool show);
    void SetCheckBoxState(int step);
    void CopyPara();

    // Ignore-mask changes made by deletions since the last save: boxes to clear, or the whole mask.
    void applyPendingIgnore();
    void dropPendingIgnore();
    bool hasPendingIgnore() const;

    // State (read by the tests and the painting through the view).
    int step() const;
    int lastSelected = -1;
    int handle = -1;
    QPoint dragStart;
    QPoint pendingFirst;
    bool pendingShown = false;
    bool polyDragging = false;
    bool pressed = false;
    QPoint touchPoint;
    bool greyHigh = false;  // the grey switch shows the high byte of a Spot region
    ulong lastPolyMove = 0;
    bool panning = false;
    QPoint panLast;

    // Panel widgets (children of the view, hidden until a region is selected).
    Slider* firstSlider = nullptr;
    Slider* sensSlider = nullptr;
    Slider* areaSlider = nullptr;
    QLabel* funcLabel = nullptr;
    ColorButton* funcButton = nullptr;
    ColorButton* greyButton = nullptr;
    ComboBox* outBox = nullptr;
    ColorButton* nextButton = nullptr;
    ColorButton* partButton = nullptr;
    ColorButton* sizeButtons[4] = {};
    ColorButton* moveButtons[4] = {};
    ColorButton* moveModeButton = nullptr;
    CheckBox* cavityBoxes[8] = {};

public slots:
    void SlotNextROI();
    void SlotMove(int dx, int dy);
    void SlotMoveT() { SlotMove(0, -1); }
    void SlotMoveB() { SlotMove(0, 1); }
    void SlotMoveL() { SlotMove(-1, 0); }
    void SlotMoveR() { SlotMove(1, 0); }
    void SlotMinWH(int v);
    void SlotSensitivity(int v);
    void SlotArea(int v);
    void SlotOutN(int i);
    void SlotChangeParaSow();
    void SlotChangeFunc();
    void SlotChangeObject();
    void SlotSize(int button);
    void SlotAdd10() { SlotSize(0); }
    void SlotAdd1() { SlotSize(1); }
    void SlotSub1() { SlotSize(2); }
    void SlotSub10() { SlotSize(3); }
    void SlotMoveAll();
    void SlotClickCheckBox(int k);

private:
    CammerSingleton* store() const;
    bool editable() const;  // a valid store and step
    // Recomputes the image geometry and mask of region r of the editor step.
    void updateRegion(int r);
    void setNewRegionDefaults(int r, bool rectOrRing);
    // Region r is moved by (dx, dy) display pixels; false when a polygon vertex would leave the area.
    bool shiftRegion(int r, int dx, int dy);
    void setShapeSelected(int r, bool selected);
    bool shapeSelected(int r) const;
    bool shapeContains(int r, QPoint p) const;
    bool shapeHandle(int r, QPoint p, int* h) const;
    void retest();
    void buildPanel();
    void placePanel(bool allParams);
    int partCount() const;

    QList<QPointer<QWidget>> panelWidgets_;
    QPointer<roiOperation> drawingPanel_;
    CammerWidget* v_;
    MainWindow* w_;
    DrawROIWidget* c_;
    QVector<QRect> pendingIgnoreClear_[kStepCount];
    bool pendingIgnoreAll_[kStepCount] = {};
};
