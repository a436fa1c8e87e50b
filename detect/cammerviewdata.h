#pragma once
// The data of one camera view that the detection engine works on: frame buffers, templates, masks
// and the result state. The camera view owns one and paints from it; tests fill one directly, with no
// camera and no widget.
#include <QRect>
#include <cstdint>
#include <functional>
#include <memory>
#include <opencv2/core.hpp>
#include <vector>

#include "app/zeropages.h"
#include "cammersingleton.h"

constexpr int kMaxRoiBoxes = 99;

// The NG boxes of one region: a count and up to 99 boxes x1, y1, x2, y2 in image pixels.
struct RoiBoxes {
    int32_t count = 0;
    int32_t box[kMaxRoiBoxes][4] = {};
};

struct CammerViewData {
    CammerViewData() = default;
    CammerViewData(const CammerViewData&) = delete;
    CammerViewData& operator=(const CammerViewData&) = delete;

    // Sizes the buffers and the alarm image from gImageW, gImageH and gColorLen, all zero, and the
    // ignore images of the steps the procedure uses (gDNum); gives every step gTempNum template
    // slots that hold no image yet; creates the two region stores for `slot` when they do not exist
    // yet. Memory follows what is used: a template slot takes a frame only when a template is put
    // in it, a step beyond the procedure's takes none.
    void allocate(int slot);

    // Template k of step d: an empty image when the slot holds none.
    const cv::Mat& templateImage(int d, int k) const;
    // Template k of step d to be written: a zero frame of the template type (8UC4 for colour, else
    // 8UC1) when the slot held none; an unusable reference when d or k lies outside the slots.
    cv::Mat& templateSlot(int d, int k);
    // Gives back the frame of template k of step d and marks the slot as not loaded.
    void releaseTemplate(int d, int k);

    // 8-bit header over a buffer of gImageH x gImageW pixels (grey or, for 32-bit buffers, 4 channels).
    cv::Mat rawImage();
    cv::Mat alignedImage();
    cv::Mat convImage();

    int slot = 0;  // camera index 0-7; names the table "cammer<slot>"

    PictureBuffer rawBuffer;      // last frame taken from the camera, gColorLen bytes
    PictureBuffer alignedBuffer;  // the positioned frame, gColorLen bytes
    PictureBuffer convBuffer;     // grey or hue conversion of a colour image, gImageLen bytes

    // A positioned frame is aligned only inside the boxes that the regions of its step read (that is
    // all the evaluation needs). The rest is aligned when the whole picture is wanted, from a copy of
    // the frame that was judged, so that the picture shows that frame even after newer ones came in.
    struct PendingAlignment {
        bool pending = false;  // the aligned image is whole when false
        int step = -1;         // the step whose region boxes are aligned
        bool rotate = false;   // TransformImage; else MoveImage
        cv::Point shift, centre;
        double angle = 0;
    };
    PendingAlignment alignment;
    PictureBuffer judgedBuffer;  // the frame of a pending alignment, gImageLen bytes once used
    // Makes the aligned image whole (nothing to do when it is). Call before reading it outside the
    // region boxes of the step, e.g. to compose a picture of the frame.
    void completeAlignment();

    std::unique_ptr<CammerSingleton> savedStore;    // used by the inspection
    std::unique_ptr<CammerSingleton> workingStore;  // edited by the region editor until saved
    cv::Mat savedMasks[kStepCount][kRoiCount];      // 8-bit mask of each saved region
    cv::Mat workingMasks[kStepCount][kRoiCount];    // 8-bit mask of each edited region

    cv::Mat ignoreImages[kStepCount];             // per step, image-sized, 255 at ignored points
    std::vector<cv::Mat> templates[kStepCount];   // per step gTempNum slots, 0 the master; empty: none
    std::vector<int> templateLoaded[kStepCount];  // per step and slot: 1 when that template was read
    int templateCount[kStepCount] = {};           // templates loaded per step
    int shownTemplate = 0;                        // template index the region editor shows

    // Result state of the recogniser.
    int32_t roiValue[kStepCount][kRoiCount] = {};
    RoiBoxes roiBoxes[kStepCount][kRoiCount];
    uint8_t roiOk[kStepCount][kRoiCount] = {};
    bool allOk = true;
    cv::Mat alarmImage;  // 8-bit, image-sized: the marks of the last evaluation
    // Where the last evaluation marked alarmImage (0 elsewhere), valid while alarmImage.data is
    // alarmMarkedData: the next evaluation clears only this rectangle.
    cv::Rect alarmMarked;
    const uchar* alarmMarkedData = nullptr;

    // The editor's re-test of one region (RunTest) on the template, kept apart from the evaluation's
    // results: moving a slider on the alarm page never changes the alarm's values, boxes or marks.
    int32_t testValue[kStepCount][kRoiCount] = {};
    cv::Mat testImage;  // 8-bit, image-sized: the marks of the last re-test
    bool testShown = false;

    int selectedRoi = -1;
    int meanGray = 0;

    // Schedules a repaint of the view (the widget installs it); may be empty.
    std::function<void()> repaint;
};
