#pragma once
// A camera view's data with its region store and parameters, for recogniser tests: no camera, no widget.
#include <QStringList>
#include <cstring>
#include <memory>
#include <opencv2/imgproc.hpp>

#include "app/globals.h"
#include "app/imageglobals.h"
#include "app/mainwindowbase.h"
#include "app/wizardpara.h"
#include "detect/cammerrecong.h"
#include "detect/detecthooks.h"

class RecordingWindow : public MainWindowBase {
public:
    void InsertRecord(QString text) override { records << text; }
    QStringList records;
};

struct RecongRig {
    static constexpr int W = 320;
    static constexpr int H = 240;

    // Allocates once (a view holds two large stores); reset() gives a clean view for each test.
    explicit RecongRig(int templates = 5, int slot = 0) {
        gShowW = W;  // screen and image pixels are the same
        gShowH = H;
        setImageGeometry(W, H, false);
        gTempNum = templates;
        view = std::make_unique<CammerViewData>();
        view->allocate(slot);
        store = view->savedStore.get();
        reset();
    }
    void reset() {
        gShowW = W;
        gShowH = H;
        setImageGeometry(W, H, false);
        const int slot = view->slot;
        store->~CammerSingleton();
        new (store) CammerSingleton(slot);
        view->workingStore->~CammerSingleton();
        new (view->workingStore.get()) CammerSingleton(slot);
        for (int d = 0; d < 8; ++d) {
            for (int r = 0; r < kRoiCount; ++r) {
                view->savedMasks[d][r].release();
                view->workingMasks[d][r].release();
                view->roiValue[d][r] = 0;
                view->roiOk[d][r] = 0;
                view->roiBoxes[d][r].count = 0;
            }
            view->ignoreImages[d].setTo(0);
            for (cv::Mat& t : view->templates[d]) t.setTo(0);
            std::fill(view->templateLoaded[d].begin(), view->templateLoaded[d].end(), 0);
            view->templateCount[d] = 0;
        }
        view->allOk = true;
        view->testShown = false;
        view->shownTemplate = 0;
        view->selectedRoi = 0;
        view->repaint = nullptr;
        para = WizardPara();
        para.enable_correct = -1;
        para.minimum_size = 1;
        para.minimum_area = 100;
        para.min_spot = 1;
        para.enable_display_detail = 1;
        para.template_is_ng = 0;
        para.difference_multiplier = 0;
        para.cnt_net_on = 0;
        para.match_angle = 0;
        para.location_adge = 40;
        for (int d = 0; d < 8; ++d) para.step_enable[d] = 0;
        gpWPara = &para;
        window.DetectStep = 0;
        window.DetectMethod = 1;
        window.records.clear();
        resetDetectHooks();
    }
    ~RecongRig() {
        gpWPara = nullptr;
        resetDetectHooks();
    }

    // Adds a rectangle region (inclusive corners) to step d of the saved store; returns its index.
    int addRect(int d, int func, QRect r, int p1, int sens, int area) {
        const int i = store->count[d]++;
        store->shape[d][i] = kShapeRect;
        store->rect[d][i].rect = r;
        setParams(d, i, func, p1, sens, area);
        view->savedMasks[d][i] = store->updateRegion(d, i);
        return i;
    }
    int addRing(int d, int func, QPoint c, int rIn, int rOut) {
        const int i = store->count[d]++;
        store->shape[d][i] = kShapeRing;
        Circle& ring = store->circle[d][i];
        ring.cx = c.x();
        ring.cy = c.y();
        ring.r = rOut;
        ring.rIn = rIn;
        ring.UpdateRect();
        setParams(d, i, func, 5, 25, 100);
        view->savedMasks[d][i] = store->updateRegion(d, i);
        return i;
    }
    void setParams(int d, int i, int func, int p1, int sens, int area) {
        store->func[d][i] = func;
        store->para1[d][i] = p1;
        store->sens[d][i] = sens;
        store->area[d][i] = area;
    }
    void setTemplate(int d, int k, const cv::Mat& img) {
        img.copyTo(view->templates[d][size_t(k)]);
        if (!view->templateLoaded[d][size_t(k)]) ++view->templateCount[d];
        view->templateLoaded[d][size_t(k)] = 1;
    }
    // The frame as grabbed (raw) and, with positioning off, aligned.
    void setFrame(const cv::Mat& img) {
        std::memcpy(view->rawBuffer.data(), img.data, size_t(W * H));
        std::memcpy(view->alignedBuffer.data(), img.data, size_t(W * H));
    }
    std::unique_ptr<CammerRecong> recogniser() { return std::make_unique<CammerRecong>(store, view.get()); }

    WizardPara para;
    RecordingWindow window;
    std::unique_ptr<CammerViewData> view;
    CammerSingleton* store = nullptr;
};

inline cv::Mat flatImage(int grey) {
    return cv::Mat(RecongRig::H, RecongRig::W, CV_8UC1, cv::Scalar(grey));
}
