#pragma once
// The camera part of one camera view. CammerWidget (the view, built in inspection/) derives from
// CameraSlot: these are the first members of the view, filled and used by the camera layer. Every
// operation switches on gCameraID and does nothing for an inactive slot or an unhandled back-end.
//
// Frame hand-off: the grab side (CameraThread, or the Hikvision callback) copies each new frame into
// `frameBuffer` (gColorLen bytes: with colour processing 32-bit pixels B, G, R, 0; without it one grey
// byte per pixel) under pMutex[slot] and sets isImageFill[slot]. The inspection loop takes it with
// TakeFrame().
#include <QByteArray>
#include <QMutex>
#include <QString>
#include <opencv2/core.hpp>
#include <atomic>
#include <vector>

#include "app/zeropages.h"

#include "platform/camsdk/galaxy.h"
#include "platform/camsdk/hikvision.h"
#include "platform/camsdk/mindvision.h"
#include "platform/camsdk/ueye.h"

class CameraThread;
class QObject;
struct AVFormatContext;
struct AVDictionary;
struct AVCodecContext;
struct AVCodec;
struct AVFrame;
struct AVPacket;
struct AVFilterGraph;
struct AVFilterContext;

class CameraSlot {
public:
    explicit CameraSlot(int slot);
    virtual ~CameraSlot();
    CameraSlot(const CameraSlot&) = delete;
    CameraSlot& operator=(const CameraSlot&) = delete;

    // Allocates the frame buffer and the back-end's (gCameraID) processing, staging or Galaxy buffers
    // for the current gImageLen/gColorLen; the buffers another back-end would use stay empty.
    void AllocCameraBuffers();
    // Gives the buffers back (a slot that found no camera).
    void FreeCameraBuffers();
    // The four V4L2 filter texts from the slot's contrast, gamma and sharpness values.
    void SetFilterTexts(double contrast, double gamma, double sharp);
    QString FilterDescription() const;

    void CameraOpen();
    int CameraStart();
    void CameraStop();
    void CameraClose();
    bool isActive() const;

    // V4L2: builds the filter graph from the description; FFmpeg status (negative on failure).
    int init_filters(const char* description);
    // V4L2: rebuilds the graph from the current filter texts.
    int RebuildFilters();

    // Hikvision frame callback; `user` is the slot.
    static void ImageCallBack(unsigned char* data, _MV_FRAME_OUT_INFO_* info, void* user);

    // Consumer side of the hand-off: when a new frame waits, copies gColorLen bytes into `dst`, clears
    // isImageFill[slot] and returns true.
    bool TakeFrame(uchar* dst);

    // Image settings applied after a successful open: CameraChangeTrig(true), SetAdjustPlus(),
    // SetExposeTime(), SetContrast(), SetSharp(), SetGamma(). Without a parameter record only the V4L2
    // filter graph is built from the current filter texts, so that a bare slot delivers frames.
    virtual void ApplyCameraSettings();

    // Image settings (camerasettings.cpp). Each applies the slot's value of the record chosen by
    // settingsRecord() (camerahost.h) to the camera, mapped onto the back-end's feature range, and does
    // nothing for an inactive slot or without a record. SetExposeTime and SetAdjustPlus end with SetWB.
    void SetExposeTime();
    void SetAdjustPlus();  // gain
    void SetSharp();
    void SetContrast();
    void SetGamma();
    // One-shot white balance (MindVision, Hikvision), only with colour processing.
    void SetWB();
    // Trigger mode from the live record's external_trigger (MindVision, Hikvision); Galaxy cameras
    // always run free (with `restart` acquisition is stopped and started around the change).
    void CameraChangeTrig(bool restart);
    // Loads the camera's factory defaults (MindVision, Hikvision) or the default filters (V4L2) and
    // writes the resulting values into the working copy gpWParaBak. The trigger mode of the live
    // record, and Hikvision's sharpness and gamma processing, are applied again as at open.
    void RestoreDefaultSettings();
    // Steps the live exposure by 1 towards a mean grey level of 126-130 and applies it.
    void AutoChangeExposeTime(int brightness);
    // MindVision: lets the camera find its exposure (target brightness 120, up to 100 ms, anti-flicker);
    // StopAutoExposure switches it off again and reads what it found (exposure in ms, gain in record
    // steps).
    // Nothing (false) for other back-ends or an inactive slot.
    bool StartAutoExposure();
    bool StopAutoExposure(int* exposeMs, int* gain);
    // Serial number of the open camera as the binding stores it: uEye, MindVision and Hikvision GigE
    // cameras; empty for every other back-end, a Hikvision USB camera or an inactive slot.
    QByteArray ReadSerial();

    // Qt parent of the grab thread (the view); may be null.
    QObject* threadParent = nullptr;

    int slot;
    // Buffers (sizes fixed for the run).
    PictureBuffer frameBuffer;    // gColorLen: the hand-off buffer
    PictureBuffer procBuffer;     // Galaxy gImageLen: DxContrast output; MindVision 4 * gImageLen: ISP output
    PictureBuffer stagingBuffer;  // Hikvision 3 * gImageLen: the RGB conversion of a Bayer frame
    PictureBuffer galaxyBuffer;   // Galaxy gImageLen: GXGetImage target

    // Galaxy
    GxHandle gxHandle = nullptr;
    GxFrameData gxFrame = {};
    // uEye
    UeyeHandle ueyeHandle = 0;
    char* ueyeMemory = nullptr;
    int ueyeMemoryId = 0;
    int ueyeColorMode = 0;
    int ueyeBitsPerPixel = 0;
    // MindVision
    MindHandle mindHandle = 0;
    MindCapability mindCapability = {};
    MindFrameHead mindHead = {};
    uint8_t* mindRaw = nullptr;
    // Hikvision: the device record is copied at open, so a later enumeration cannot move it away.
    void* hikHandle = nullptr;
    MvDeviceInfo hikDevice = {};
    QString makerName;
    MvConvertParam hikConvert = {};
    // V4L2
    AVFormatContext* fmtCtx = nullptr;
    AVDictionary* options = nullptr;
    int videoStream = -1;
    AVCodecContext* codecCtx = nullptr;
    const AVCodec* decoder = nullptr;
    AVFrame* decodedFrame = nullptr;
    AVPacket* packet = nullptr;
    AVFilterGraph* filterGraph = nullptr;
    AVFilterContext* bufferSrc = nullptr;
    AVFilterContext* bufferSink = nullptr;
    QMutex graphLock;  // guards the filter graph; the frame lock is only taken to copy a frame
    QString filterContrast, filterGamma, filterSharp, filterExtra;

    std::atomic<bool> v4l2Abort{false};  // makes a blocked V4L2 read return
    AVFrame* filteredFrame = nullptr;
    std::vector<uchar> lastUeyeFrame;  // the last uEye image taken, to tell a new one

    CameraThread* grabThread = nullptr;

    // One pass of the grab loop for the current back-end; true when a frame was handed off.
    bool GrabOnce();

private:
    bool openGalaxy(const QByteArray& serial);
    bool openUeye(const QByteArray& serial);
    bool openMindVision(const QByteArray& serial);
    bool openHikvision(const QByteArray& serial);
    bool openV4L2();
    void applyMindFormat();  // resolution and image format of a MindVision camera, as at open
    uint32_t hikPixelFormat() const;
    void closeV4L2();
    bool grabV4L2();
    void handOff(const uchar* src, int bytesPerPixel);
    void freeFilterGraph();
};

// V4L2 picture filter texts from the record's values. Contrast and gamma count in hundredths, so that
// the record's defaults (100) give the camera's own picture (contrast 1.0, gamma 1.0); sharpness is the
// unsharp amount in twentieths (0: none). Each value is kept within its filter's range: a value the
// filter refuses would leave the view without a graph, so without frames, after every restart.
QString v4l2ContrastFilter(double v);  // "eq=contrast=%f:", -1000 to 1000
QString v4l2GammaFilter(double v);     // "gamma=%f,", 0.1 to 10
QString v4l2SharpFilter(double v);     // "unsharp=5:5:%f", -2 to 5
// The record's values that give the camera's own picture (restore defaults).
constexpr int kV4L2DefaultContrast = 100;
constexpr int kV4L2DefaultGamma = 100;
constexpr int kV4L2DefaultSharp = 0;

// The frame, centred on black in a gImageH x gImageW matrix: RGB with colour processing, else grey.
// A frame larger than the working size is clipped to its centre.
cv::Mat avframe_to_cvmat(AVFrame* frame);
