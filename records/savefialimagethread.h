#pragma once
// The NG and OK image slots shared by the inspection (GUI thread) and the saver thread, and the saver
// SaveFialImageThread that writes them as JPEG pictures under "./alarmimage".
//
// Slot index camera * 16 + step * 2 + k (k 0 NG picture, 1 OK picture); every access under
// pMutexSaveFail. The producer composes a picture (composeFailImage), stores it (storeFailImage),
// and the decision marks it pending (markFailImagePending); the saver takes the buffer, clears the
// flag and writes the file outside the lock.
#include <QImage>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <vector>

#include "app/globals.h"

constexpr int kFailSlots = kMaxCamera * kMaxStep * 2;

extern unsigned char* gpFailImage[kFailSlots];  // gFailImageW * gFailImageH 32-bit RGB pixels each
extern unsigned char gisSaveFail[kFailSlots];   // 1: the slot waits to be written
extern int gFailIndex[kMaxCamera * kMaxStep];   // first NG region + 1 of the next NG picture; 0 none
extern int gFailImageW;
extern int gFailImageH;

inline int failSlot(int camera, int step, int k) {
    return camera * 16 + step * 2 + k;
}

// Allocates the slots of the first `cameras` cameras and their first `steps` detection steps for
// pictures of width x height and clears every flag and index (start-up, before the saver starts).
// Other slots stay null: a picture for them is not stored.
void allocateFailImages(int cameras, int width, int height, int steps = kMaxStep);
// Frees the slots and clears the flags (tests).
void resetFailImageGlobals();

// Copies a composed picture (converted to RGB32, must be gFailImageW x gFailImageH) into slot k of
// camera and step; the first NG region number is kept when the step has none yet. The pending flag
// is not touched. False when the slot is not allocated or the size differs.
bool storeFailImage(int camera, int step, int k, const QImage& picture, int firstNgIndex = 0);
// A copy of slot k of camera and step (null image when not allocated).
QImage failImageCopy(int camera, int step, int k);
// Hands slot k of camera and step to the saver.
void markFailImagePending(int camera, int step, int k);

// What the saver writes where. Set before the thread starts.
struct FailImageArchive {
    QString root = QStringLiteral("./alarmimage");
    int cameras = 0;  // numCamera
    int steps = 0;    // gDNum
    int limitNG = 0;  // gPicNumNG: pictures kept per NG folder
    int limitOK = 0;  // gPicNumOK: pictures kept per OK folder
    // The slot (badge number - 1) of each camera in use, by its place among them: the folders are
    // named by the slot. Unset entries name the camera by its place.
    int cameraSlots[kMaxCamera] = {0, 1, 2, 3, 4, 5, 6, 7};
};

class SaveFialImageThread : public QThread {
    Q_OBJECT
public:
    // Told the absolute and the "."-relative path of every picture after it was written completely.
    using PictureSink = std::function<void(const QString& absolutePath, const QString& relativePath)>;
    using Sleeper = std::function<void(int ms)>;

    explicit SaveFialImageThread(const FailImageArchive& archive, QObject* parent = nullptr);
    ~SaveFialImageThread() override;

    void setPictureSink(PictureSink sink) { sink_ = std::move(sink); }
    // Replaces the pauses (tests: no real waiting; may advance the clock).
    void setSleeper(Sleeper sleeper) { sleep_ = std::move(sleeper); }

    // One pass over every camera and step; returns the number of pictures written.
    int savePass();
    // Ends the loop after the current pass and waits (tests and orderly exit).
    void stopForTest();
    // The orderly stop: ends the loop, then writes what is still pending without pauses, on the
    // calling thread. Returns the number of pictures written.
    int finish();

    static QString folder(const QString& root, int camera, int step, bool ng);

protected:
    void run() override;

private:
    bool writePicture(const QString& dir, int limit, int failIndex);
    void pause(int ms);

    FailImageArchive archive_;
    PictureSink sink_;
    Sleeper sleep_;
    std::vector<unsigned char> image_;
    QByteArray encoded_;  // the JPEG of the picture being written (capacity kept between pictures)
    std::atomic<bool> stop_{false};
};

extern SaveFialImageThread* gpSaveFialImageThread;
