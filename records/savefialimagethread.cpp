#include "savefialimagethread.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QBuffer>
#include <QImageWriter>
#include <QMutexLocker>
#include <cstring>

#include "app/savereport.h"
#include "app/zeropages.h"
#include "platform/system/sysclock.h"
#include "platform/system/timing.h"

unsigned char* gpFailImage[kFailSlots];
unsigned char gisSaveFail[kFailSlots];
int gFailIndex[kMaxCamera * kMaxStep];
int gFailImageW = 0;
int gFailImageH = 0;
SaveFialImageThread* gpSaveFialImageThread = nullptr;

namespace {
size_t slotBytes() {
    return size_t(gFailImageW) * size_t(gFailImageH) * 4;
}
bool validSlot(int camera, int step, int k) {
    return camera >= 0 && camera < kMaxCamera && step >= 0 && step < kMaxStep && (k == 0 || k == 1);
}
}  // namespace

void resetFailImageGlobals() {
    QMutexLocker lock(pMutexSaveFail);
    for (int i = 0; i < kFailSlots; ++i) {
        zeroPagesFree(gpFailImage[i], slotBytes());
        gpFailImage[i] = nullptr;
        gisSaveFail[i] = 0;
    }
    for (int& v : gFailIndex) v = 0;
    gFailImageW = gFailImageH = 0;
}

void allocateFailImages(int cameras, int width, int height, int steps) {
    resetFailImageGlobals();
    QMutexLocker lock(pMutexSaveFail);
    gFailImageW = qMax(0, width);
    gFailImageH = qMax(0, height);
    if (slotBytes() == 0) return;
    for (int c = 0; c < qMin(cameras, kMaxCamera); ++c)
        for (int d = 0; d < qBound(0, steps, kMaxStep); ++d)
            for (int k = 0; k < 2; ++k) {
                const int i = failSlot(c, d, k);
                // Zero pages: a slot takes memory once a picture is stored in it.
                gpFailImage[i] = static_cast<unsigned char*>(zeroPagesAlloc(slotBytes()));
            }
}

bool storeFailImage(int camera, int step, int k, const QImage& picture, int firstNgIndex) {
    if (!validSlot(camera, step, k)) return false;
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    QMutexLocker lock(pMutexSaveFail);
    unsigned char* dst = gpFailImage[failSlot(camera, step, k)];
    if (!dst || img.width() != gFailImageW || img.height() != gFailImageH) return false;
    for (int y = 0; y < gFailImageH; ++y)
        std::memcpy(dst + size_t(y) * size_t(gFailImageW) * 4, img.constScanLine(y), size_t(gFailImageW) * 4);
    int& index = gFailIndex[camera * kMaxStep + step];
    if (index == 0 && firstNgIndex > 0) index = firstNgIndex;
    return true;
}

QImage failImageCopy(int camera, int step, int k) {
    if (!validSlot(camera, step, k)) return QImage();
    QMutexLocker lock(pMutexSaveFail);
    const unsigned char* src = gpFailImage[failSlot(camera, step, k)];
    if (!src) return QImage();
    return QImage(src, gFailImageW, gFailImageH, gFailImageW * 4, QImage::Format_RGB32).copy();
}

void markFailImagePending(int camera, int step, int k) {
    if (!validSlot(camera, step, k)) return;
    QMutexLocker lock(pMutexSaveFail);
    if (gpFailImage[failSlot(camera, step, k)]) gisSaveFail[failSlot(camera, step, k)] = 1;
}

SaveFialImageThread::SaveFialImageThread(const FailImageArchive& archive, QObject* parent)
    : QThread(parent), archive_(archive) {
    encoded_.reserve(256 * 1024);  // reserved: emptying it between pictures keeps the memory
}

SaveFialImageThread::~SaveFialImageThread() {
    stopForTest();
}

void SaveFialImageThread::stopForTest() {
    stop_ = true;
    wait();
}

int SaveFialImageThread::finish() {
    stopForTest();
    sleep_ = [](int) {};
    stop_ = false;
    const int written = savePass();
    stop_ = true;
    return written;
}

QString SaveFialImageThread::folder(const QString& root, int camera, int step, bool ng) {
    return QStringLiteral("%1/camera%2/detect%3/%4")
        .arg(root)
        .arg(camera + 1)
        .arg(step + 1)
        .arg(ng ? QStringLiteral("NG") : QStringLiteral("OK"));
}

void SaveFialImageThread::pause(int ms) {
    if (sleep_)
        sleep_(ms);
    else
        msleep(static_cast<unsigned long>(ms));
}

void SaveFialImageThread::run() {
    const int poll = TimeMs("saver.poll", 100);
    while (!stop_) {
        savePass();
        pause(poll);
    }
}

int SaveFialImageThread::savePass() {
    int written = 0;
    for (int c = 0; c < qMin(archive_.cameras, kMaxCamera) && !stop_; ++c) {
        for (int d = 0; d < qMin(archive_.steps, kMaxStep); ++d) {
            bool pending[2];
            int failIndex;
            {
                QMutexLocker lock(pMutexSaveFail);
                pending[0] = gisSaveFail[failSlot(c, d, 0)] != 0;
                pending[1] = gisSaveFail[failSlot(c, d, 1)] != 0;
                failIndex = gFailIndex[c * kMaxStep + d];
            }
            for (int k = 0; k < 2; ++k) {
                bool taken = false;
                {
                    QMutexLocker lock(pMutexSaveFail);
                    const int i = failSlot(c, d, k);
                    if (gisSaveFail[i]) {
                        gisSaveFail[i] = 0;
                        if (gpFailImage[i]) {
                            image_.assign(gpFailImage[i], gpFailImage[i] + slotBytes());
                            taken = true;
                        }
                    }
                }
                if (!taken) continue;
                // The OK picture of a pair goes with its NG picture.
                const bool ngFolder = k == 0 || pending[0];
                const int slot = archive_.cameraSlots[c] >= 0 && archive_.cameraSlots[c] < kMaxCamera
                                     ? archive_.cameraSlots[c]
                                     : c;
                const QString dir = folder(archive_.root, slot, d, ngFolder);
                if (writePicture(dir, ngFolder ? archive_.limitNG : archive_.limitOK, failIndex)) ++written;
                // Pause so that the OK picture of a pair is named at least one second later.
                pause(k == 0 && pending[1] ? TimeMs("saver.pair", 1000) : TimeMs("saver.after", 200));
            }
            if (pending[0]) {
                QMutexLocker lock(pMutexSaveFail);
                gFailIndex[c * kMaxStep + d] = 0;
            }
        }
    }
    return written;
}

bool SaveFialImageThread::writePicture(const QString& dirPath, int limit, int failIndex) {
    if (limit <= 0) return false;  // no pictures of this kind are kept
    QDir dir(dirPath);
    if (!dir.exists() && !QDir().mkpath(dirPath)) {
        // Told like a picture that cannot be written (one box per kind, a record), not a log line only.
        reportSaveFailure(SavedFile::Pictures, dirPath, QStringLiteral("the folder cannot be made"));
        return false;
    }
    // Keep limit - 1 pictures, newest first, to make room for the new one.
    const QFileInfoList old = dir.entryInfoList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Time);
    for (int i = limit - 1; i < old.size(); ++i)
        if (!QFile::remove(old.at(i).absoluteFilePath()))
            qWarning().noquote() << "old picture cannot be deleted:" << old.at(i).absoluteFilePath();

    QString name = SysClock::now().toString(QStringLiteral("yyyy-MM-dd_hh.mm.ss"));
    if (failIndex > 0) name = QString::number(failIndex) + QLatin1Char('_') + name;
    QString path = dir.absoluteFilePath(name + QStringLiteral(".jpg"));
    // Two pictures in the same second keep both.
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.absoluteFilePath(name + QLatin1Char('-') + QString::number(n) + QStringLiteral(".jpg"));

    // Encoded whole in memory first: only a complete JPEG reaches the disk, through a checked write.
    const QImage img(image_.data(), gFailImageW, gFailImageH, gFailImageW * 4, QImage::Format_RGB32);
    if (img.isNull()) return false;
    encoded_.resize(0);
    QBuffer buffer(&encoded_);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    if (!writer.write(img)) {
        qWarning().noquote() << "picture not encoded:" << writer.errorString();
        return false;
    }
    buffer.close();
    if (!saveFileReported(SavedFile::Pictures, path, encoded_)) return false;
    if (sink_) {
        QString rel = path;
        const QString cwd = QDir::currentPath();
        if (rel.startsWith(cwd)) rel = QLatin1Char('.') + rel.mid(cwd.size());
        sink_(path, rel);
    }
    return true;
}
