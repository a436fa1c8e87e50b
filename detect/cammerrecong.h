#pragma once
// The recogniser of one camera view: owns the matching models of every step and region, trains them
// from the view's templates, aligns each fresh image onto the master template of the current step
// (positioning) and judges every region of a step (evaluation). Runs on the GUI thread.
#include <opencv2/core.hpp>
#include <vector>

#include "cammersingleton.h"
#include "cammerviewdata.h"
#include "platform/vision/visionmodels.h"

// Detection functions of a region (ROIFunc).
enum ROIFunc {
    kFuncDefect = 0,
    kFuncSpot = 1,
    kFuncIgnore = 2,
    kFuncPosition = 3,
    kFuncBlack = 4,
    kFuncWhite = 5,
    kFuncSimilarity = 6,
    kFuncWhiteCount = 7,
    kFuncDirection = 8,
};

// Codes of a region that cannot be evaluated ("REG RUN ERROR = slot, step, code").
enum RegionRunError { kErrNoMask = -1, kErrNoDetMask = -2, kErrNoBox = -3 };

// out = 255 where lo <= pixel <= hi, else 0 (8-bit, image's size).
void ThresholdFUNC(const cv::Mat& image, cv::Mat& out, int lo, int hi);

// The part of a region's image box (inclusive corners) that lies inside an image of `size` and inside
// its mask. False when nothing is left. maskPart (optional) becomes the matching view of the mask.
bool clipRegionBox(const QRect& imageRect, const cv::Mat& mask, cv::Size size, cv::Rect* box,
                   cv::Mat* maskPart);

class CammerRecong {
public:
    // Builds the positioning model and trains the models of every enabled step.
    CammerRecong(CammerSingleton* store, CammerViewData* view);
    ~CammerRecong() = default;
    CammerRecong(const CammerRecong&) = delete;
    CammerRecong& operator=(const CammerRecong&) = delete;

    // (Re)builds the positioning model of step d from its first position region (or the default box).
    void CreateShape(int d);
    // Aligns the raw image of the current detection step (gpWin->DetectStep) into the aligned buffer:
    // when positioned, only inside the region boxes of the step (view->completeAlignment() does the
    // rest), else a copy of the whole raw image.
    void ShapeMatch();
    // Rebuilds the inspection mask of step d and retrains its defect and similarity models.
    void VarTrain(int d);
    // Judges every region of step d on the aligned image (results in the view).
    void Run(int d);
    // Measures region r of step d of the working store on the template the editor shows.
    void RunTest(int d, int r);
    void AreaGen() {}

    CammerSingleton* store;
    CammerViewData* view;
    cv::Mat rawImage;             // header over view->rawBuffer (8-bit; 4 channels for colour cameras)
    cv::Mat alignedImage;         // header over view->alignedBuffer
    cv::Mat detMask[kStepCount];  // per step: 255 where inspected, 0 where ignored
    GrayMatch grayModels[kStepCount][kRoiCount];
    SURF surfModels[kStepCount][kRoiCount];
    FindShape shapeModels[kStepCount];
    int32_t modelCx[kStepCount] = {};
    int32_t modelCy[kStepCount] = {};
    cv::Rect searchRect[kStepCount];

private:
    // Header of `size` over work buffer i (0 region mask, 1 map, 2 opened map) of the evaluation.
    // The buffers only grow; training sizes them for the largest region, so Run takes no memory.
    cv::Mat regionWork(int i, cv::Size size);
    std::vector<uchar> regionBuffers[3];

    // Aligns only the boxes that Run reads of step d's regions (the whole-frame alignment is left
    // pending in the view, with a copy of the frame).
    void alignRegions(int d, bool rotate, cv::Point shift, cv::Point centre, double angle);
    std::vector<cv::Rect> regionBoxes, alignParts;  // reserved at construction

    // The 8-bit picture that regions are measured on: `image` itself, or its grey/hue conversion in
    // the view's conversion buffer for colour cameras.
    cv::Mat workingImage(const cv::Mat& image);
};
