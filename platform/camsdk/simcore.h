#pragma once
// Inside of the simulated camera bus, shared by its vendor front-ends. Not for the camera layer.
#include <QHash>
#include <QImage>
#include <QSet>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "hikvision.h"
#include "simbus.h"

namespace simcam {

// One frame to render: everything taken from the camera under the bus lock, so that the pixels can
// be made without holding it.
struct FrameJob {
    int id = 0;
    uint32_t counter = 0;
    bool color = false;
    bool staticScene = false;
    QImage file;
    int w = 0, h = 0;
    int bytesPerPixel = 1;
    bool bayer = false;
    uint32_t format = 0;
};

struct Cam {
    int id = 0;
    CameraSpec spec;
    bool defaultTrigger = false;  // the trigger mode its default settings load (as configured)
    int order = 0;
    bool present = true;
    bool stalled = false;
    bool open = false;
    bool streaming = false;
    int pulses = 0;
    uint32_t counter = 0;
    int outW = 0, outH = 0;  // delivered frame size
    uint32_t format = 0;     // MindVision ISP output / Hikvision pixel format
    std::map<QByteArray, double> features;
    QSet<QByteArray> failedRanges;
    std::chrono::steady_clock::time_point nextFrame{};
    std::vector<QImage> files;
    size_t fileIndex = 0;
    // uEye image memory (owned by the bus)
    std::vector<char> ueyeMem;
    bool ueyeFrameEvent = false;  // the frame event is enabled
    uint32_t ueyeFramesWritten = 0, ueyeFramesTold = 0;
    // MindVision raw frame
    std::vector<uint8_t> raw;
    bool rawLent = false;
    // Hikvision
    MvDeviceInfo hikInfo{};
    MvImageCallback callback = nullptr;
    void* user = nullptr;
    std::thread worker;
    bool workerRun = false;
    bool stopReturned = true;  // set once StopGrabbing returned: a later callback is a misuse
};

class Core {
public:
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::unique_ptr<Cam>> cams;
    std::map<uintptr_t, Cam*> handles;  // open handles of Galaxy, MindVision and Hikvision
    std::map<uint32_t, Cam*> ueyeHandles;
    uintptr_t nextHandle = 0x100;
    QStringList log;
    QStringList misuse;
    std::map<QByteArray, std::pair<int, int>> inject;  // function -> (status, times)
    std::vector<std::unique_ptr<MvDeviceInfo>> hikRecords;
    // Image files decoded once (RGB888) by canonical path: demonstration folders name a few scenes
    // under many frame names, and cameras may share a folder.
    QHash<QString, QImage> decodedFiles;

    // All of these expect `m` to be held.
    void call(const QString& text) { log.append(text); }
    bool injected(const char* function, int* status);
    std::vector<Cam*> enumerate(Vendor v);
    Cam* find(const QByteArray& serial);
    Cam* byHandle(uintptr_t h, const char* function);
    uintptr_t addHandle(Cam* c);
    void dropHandle(uintptr_t h);
    // Waits (releasing the lock) until the camera's next frame is due; false on time-out.
    bool waitFrame(std::unique_lock<std::mutex>& lk, Cam* c, int timeoutMs);
    // Takes the camera's next frame (advances its counter): 1 grey or 3 RGB bytes per pixel, or a
    // Bayer RG mosaic.
    FrameJob prepare(Cam* c, int w, int h, int bytesPerPixel, bool bayer);
    // Makes the pixels of a frame; needs no lock. dst holds w * h * (bayer ? 1 : bytesPerPixel) bytes.
    static void render(const FrameJob& job, uint8_t* dst);
    // A streaming thread: `prepare` runs under the lock, rendering and `deliver` without it.
    void startWorker(Cam* c, std::function<FrameJob(Cam*)> prepareFrame,
                     std::function<void(Cam*, const FrameJob&, std::vector<uint8_t>&)> deliver);
    void stopWorker(std::unique_lock<std::mutex>& lk, Cam* c);
    QString label(Cam* c) const { return c ? QString::fromLatin1(c->spec.serial) : QStringLiteral("?"); }
};

Core& core();
QString hex(long long v);

}  // namespace simcam
