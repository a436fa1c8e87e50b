#pragma once
// The view of one camera screen slot: its camera (CameraSlot), the frame buffers shared by the grab
// side, the inspection loop and the painting, the templates and ignore masks of every step, the saved
// and working region stores, the recogniser and the recent NG frames.
//
// A view whose camera did not open and whose slot is above 0 stops building right after the opening
// attempt (isBuilt() false) unless the main window completes it as a test view (CompleteAsTestView).
#include <QImage>
#include <QMutex>
#include <QPixmap>
#include <QPointer>
#include <QVector>
#include <QWidget>
#include <memory>
#include <vector>

#include "app/globals.h"
#include "camera/cameraslot.h"
#include "detect/cammerrecong.h"
#include "detect/cammerviewdata.h"

class QPushButton;
class QTimer;

class CammerWidget : public QWidget, public CameraSlot {
    Q_OBJECT
public:
    CammerWidget(int slot, QWidget* parent = nullptr);
    ~CammerWidget() override;

    // (Re)loads the ignore mask of every step 0..gDNum-1 from "./cammer<slot+1><step+1>/ignorepoint.bmp".
    void LoadIgnorePoint();
    // Writes the ignore mask of `step` to "./cammer<slot+1><step+1>/ignorepoint.bmp" (8-bit grey, 255 at
    // ignored pixels) through the checked writer, and names the file to the network client (kind 6).
    // False when it could not be written (the operator has been told).
    bool SaveIgnorePoint(int step);
    // Loads the templates of every step 0..gDNum-1; a missing master becomes the synthetic master.
    void LoadTemplates();
    // Bit 0: both template buttons shown; bit 1: the drawing bar shown (when the editor gave one).
    void ShowHideTool(int bits);

    // Builds what a view of an unopened camera skipped, so that it can run the cycle on test
    // pictures (no camera start).
    void CompleteAsTestView();
    bool isBuilt() const { return built_; }
    bool cameraOpened() const { return opened_; }

    // Copies the working buffer into the display buffer and schedules a repaint.
    void ShowWorkingImage();
    // Mean grey level of the working buffer (colour frames converted to grey first).
    int MeanBrightness() const;

    // Annotated pictures of the decision (k 0 NG, 1 OK): composes the picture of `step` into the
    // view's NG image slot k; stamps the alarm-clearing method onto the held picture and moves the
    // image state of the view and step on; saves the current frame of `step` as its master template.
    // The slots and the image state are those of cameraIndex(); a view the cycle does not use has none
    // and the first two calls do nothing.
    void SaveFailImage(int step, int k);
    void UpdateFailImage(int step, int k);
    void SaveReTrainImage(int step);
    // This view's index among the main window's used views (cams), -1 when it is not one of them.
    int cameraIndex() const;

    // Members shared with the main window, the editor, the recogniser and the bridge.
    CammerViewData data;  // working buffer (rawBuffer), aligned image, templates, masks, results
    std::unique_ptr<CammerRecong> recong;
    PictureBuffer displayBuffer;       // gColorLen bytes: the picture the view shows
    ZeroVector<uint32_t> paintPixels;  // gImageLen 32-bit pixels
    QImage paintImage;                 // RGB32 over paintPixels
    QMutex paintLock;                  // held while paintPixels are written: the bridge's push reads them
    // Counts the changes of paintPixels (under paintLock), so that the bridge's push converts a
    // picture only when it changed.
    quint64 paintSerial = 0;
    // Whoever writes the display buffer calls this: the next paint converts it into the paint pixels.
    // A paint with nothing new converts nothing (only the boxes that overlays changed are restored).
    void displayChanged() { ++displaySerial_; }

    std::vector<uchar> recentNG[kMaxStep][3];  // most recent NG frames per step
    int recentNGCount[kMaxStep] = {};
    int shownRecentNG = 0;
    bool learnPending[kMaxStep] = {};
    // The operator released this step's NG of the current mould in the alarm view ("Don't Detect" or
    // the picture added as a template): a re-check does not evaluate the camera again. The next cycle,
    // a manual snapshot and a re-check input clear it.
    bool skipFlag[kMaxStep] = {};
    int brightness = 0;
    QTimer* blinkTimer = nullptr;
    int blinkPhase = 0;
    int editPart = 0;  // polygon vertex being dragged in the region editor
    int moveMode = 0;
    int rangeState = 0;
    QPixmap cameraIcon;

    // Region editor state read by the painting.
    int editMode = 0;            // 1 while a new shape is being drawn
    ClustomRect pendingRect;     // rectangle being drawn (screen reference frame)
    Circle pendingRing;          // ring being drawn
    QVector<QPoint> polyPoints;  // polygon points placed so far
    QString editorRegionText;    // label of the selected region, shown on the template line
    // Where the last paint put the brightness text and at which pixel size it drew region labels
    // (view pixels; empty and 0 when none was drawn).
    QRect paintedBrightness;
    int paintedLabelPx = 0;
    QPushButton* prevTemplateButton = nullptr;
    QPushButton* nextTemplateButton = nullptr;
    QPointer<QWidget> drawingBar;  // drawing panel, put on the view by the region editor

    // This camera's strip on the title bar (state, shots, NG count) from the cycle's state; the views
    // report on painting, and the main window once a second for every view, shown or hidden.
    void updateTitleStrip();

public slots:
    void TimerShowAlarm();

signals:
    void templateLastRequested();
    void templateNextRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    // Handed to the region editor (roieditorhooks.h), then to the base widget; a double tap reaches
    // the base, which treats it as a press.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The three kinds of view painting: archived pictures, recent NG frames, and the live, result,
    // alarm and template views.
    void paintRecordPicture(QPainter& p);
    void paintRecentNG(QPainter& p);
    void paintView(QPainter& p);
    // The display buffer into the paint pixels (paintLock held): grey expanded to 32 bits, colour
    // copied; once per new picture, else only the boxes overlays wrote are restored.
    void fillPaintPixels();
    // Takes paintLock when it is free; when the push holds it, asks for another paint and returns
    // false (the paint then leaves the paint pixels as they are).
    bool takePaintPixels();
    // Notes a box of image pixels that an overlay wrote into the paint pixels (paintLock held).
    void markOverlaid(const QRect& box);
    quint64 displaySerial_ = 1;    // bumped at each write of the display buffer
    quint64 convertedSerial_ = 0;  // the display buffer the paint pixels were converted from
    QRect overlaid_[kRoiCount + 1];
    int overlaidCount_ = 0;
    bool paintPixelsForeign_ = false;  // the paint pixels hold something else (a composed picture)
    void buildAfterOpen();             // construction steps from the working buffer to the blink timer
    bool built_ = false;
    bool opened_ = false;
};

// Reads `file` as a template of gImageW x gImageH pixels into `out` (8UC1 with grey processing, 8UC4
// with colour). False (out untouched) when the file is missing, unreadable, of another size or of
// another depth.
bool loadTemplateImage(const QString& file, cv::Mat& out);
// Reads `file` as an ignore mask of gImageW x gImageH pixels into `out` (8UC1, any bit depth converted
// to grey). False (out untouched) when missing or of another size.
bool loadIgnoreMask(const QString& file, cv::Mat& out);
// The synthetic master: 255 inside the middle half [W/4, 3W/4] x [H/4, 3H/4], 0 elsewhere.
void makeSyntheticMaster(cv::Mat& out);
