// Images published to the network client through System V shared memory: one segment and one lock
// per source (camera number, or 0 for the screen), announced by message kind 9 and filled every
// 50 ms with the latest image as planar YUV 4:2:0 (I420: Y, then U, then V).
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cjson/cJSON.h>
#include <glog/logging.h>
#include <opencv2/imgproc.hpp>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include "app/mainwindowbase.h"
#include "app/globals.h"
#include "app/imageglobals.h"
#include "app/wizardpara.h"
#include "cnt_net.h"
#include "cnt_sharepusher.h"
#include "platform/system/sysclock.h"
#include "platform/system/syspath.h"
#include "platform/system/timing.h"

namespace {
QString g_keyPath;
constexpr int kStampRows = 100;
// OpenCV converts a picture of fewer pixels than this on the calling thread.
constexpr int kSlabPixels = 320 * 240 - 1;

int slabRows(int width) {
    return std::max(2, (kSlabPixels / std::max(width, 1)) & ~1);
}
// The bridges that hold segments, released when the process ends without destroying them (the
// program's exit path does not delete the bridge).
QList<CNT_Net*>& holders() {
    static QList<CNT_Net*> list;
    return list;
}
void releaseAtExit() {
    for (CNT_Net* net : holders()) net->CNT_FreeShareMemory();
}

constexpr unsigned kIpcMode = 0660;  // owner and group: the client runs as the same user

// A segment of `size` bytes for the key, for the owner and the group only. A stale smaller one left by
// an earlier run, or one of another owner, is made again; one of ours with a wider mode is narrowed.
int segmentFor(key_t key, int size) {
    int id = shmget(key, size_t(size), IPC_CREAT | kIpcMode);
    if (id < 0 && errno == EINVAL) {
        const int stale = shmget(key, 0, 0);
        if (stale >= 0) {
            LOG(WARNING) << "CNT: shared memory " << stale << " too small; made again";
            shmctl(stale, IPC_RMID, nullptr);
        }
        id = shmget(key, size_t(size), IPC_CREAT | kIpcMode);
    }
    struct shmid_ds ds;
    if (id >= 0 && shmctl(id, IPC_STAT, &ds) == 0) {
        if (ds.shm_perm.uid != geteuid()) {
            LOG(WARNING) << "CNT: shared memory " << id << " of another owner; made again";
            shmctl(id, IPC_RMID, nullptr);
            id = shmget(key, size_t(size), IPC_CREAT | IPC_EXCL | kIpcMode);
        } else if ((ds.shm_perm.mode & 0777) != kIpcMode) {
            ds.shm_perm.mode = (ds.shm_perm.mode & ~0777u) | kIpcMode;
            shmctl(id, IPC_SET, &ds);
        }
    }
    return id;
}

// The segment is still the one made for the key: not removed (a removed segment stays while attached,
// marked for destruction and without its key), not replaced.
bool segmentIntact(const VideoShareInfo& e) {
    struct shmid_ds ds;
    if (shmctl(e.shmid, IPC_STAT, &ds) != 0) return false;
    return (ds.shm_perm.mode & SHM_DEST) == 0 && ds.shm_perm.__key == e.shmKey;
}

// Attaches segment e->shmid; on failure the entry has no segment.
void attachSegment(VideoShareInfo* e) {
    if (e->shmid < 0) return;
    void* addr = shmat(e->shmid, nullptr, 0);
    if (addr == reinterpret_cast<void*>(-1))
        e->shmid = -1;
    else
        e->addr = addr;
}
}  // namespace

void CNT_Net::setShareKeyPath(const QString& path) {
    g_keyPath = path;
}

QString CNT_Net::shareKeyPath() {
    return g_keyPath.isEmpty() ? SysPath(QStringLiteral("/tmp")) : g_keyPath;
}

int CNT_Net::fpsOfIndex(int index) {
    return 5 * (qBound(0, index, 4) + 1);  // 0..4 give 5, 10, 15, 20, 25
}

void CNT_Net::CNT_AddUseMemory(int source, int width, int height, void* pixels, QMutex* pixelsLock,
                               const quint64* pixelsSerial) {
    // I420 halves both sizes for U and V: the image is published at even sizes.
    const int stride = width * 4;
    width &= ~1;
    height &= ~1;
    if (source < 0 || source >= kMaxCamera || width <= 0 || height <= 0) return;
    const QString dir = shareKeyPath();
    QDir().mkpath(dir);
    const QByteArray path = QFile::encodeName(dir);
    auto* e = new VideoShareInfo;
    e->source = source;
    e->width = width;
    e->height = height;
    e->size = width * height * 3 / 2;
    e->stride = stride;
    const key_t shmKey = ftok(path.constData(), 1000 + source);
    const key_t semKey = ftok(path.constData(), 2000 + source);
    e->shmKey = shmKey;
    e->shmid = shmKey == -1 ? -1 : segmentFor(shmKey, e->size);
    attachSegment(e);
    e->sem = CNT_Semaphore(semKey);
    e->semid = semKey == -1 ? -1 : e->sem.create_sem(1);
    if (e->shmid < 0 || e->semid < 0)
        LOG(ERROR) << "CNT: shared memory of source " << source << " not available (" << strerror(errno)
                   << ")";
    e->fps = fpsOfIndex(gpWPara ? gpWPara->video_rate_index : 0);
    e->everyPasses = std::max(1, 1000 / e->fps / std::max(1, TimeMs("net.sharePush", 50)));
    e->i420.resize(e->size);
    e->slab.resize(width * slabRows(width) * 3 / 2);
    const int stampRows = qMin(kStampRows, height);
    e->stamp = QImage(width, stampRows, QImage::Format_RGB32);
    e->stampSource.resize(width * stampRows * 4);
    e->stampLayer = QImage(width, stampRows, QImage::Format_ARGB32_Premultiplied);
    QMutexLocker share(&shareLock_);
    if (VideoShareInfo* old = share_.value(source)) {
        if (old->addr) shmdt(old->addr);
        delete old;
    }
    share_.insert(source, e);
    framePixels_.remove(source);
    if (pixels && e->shmid >= 0) {
        framePixels_.insert(source, SharedPixels{pixels, pixelsLock, pixelsSerial});
        // The copy taken under the pixels' lock: sized here, once for the largest picture.
        if (pixelCopy_.size() < e->stride * e->height) pixelCopy_.resize(e->stride * e->height);
    }
    share.unlock();

    if (!memoryInfo_) {
        memoryInfo_ = cJSON_CreateObject();
        cJSON_AddItemToObject(memoryInfo_, "memoryinfo", cJSON_CreateArray());
    }
    cJSON* info = cJSON_CreateObject();
    cJSON_AddNumberToObject(info, "shmid", e->shmid);
    cJSON_AddNumberToObject(info, "semid", e->semid);
    cJSON_AddNumberToObject(info, "cameraid", source);
    cJSON_AddNumberToObject(info, "size", e->size);
    cJSON_AddNumberToObject(info, "width", width);
    cJSON_AddNumberToObject(info, "height", height);
    cJSON_AddNumberToObject(info, "fps", e->fps);
    cJSON_AddItemToArray(cJSON_GetObjectItemCaseSensitive(memoryInfo_, "memoryinfo"), info);
    shareMemory_ = true;
    if (!holders().contains(this)) {
        static const bool registered = std::atexit(releaseAtExit) == 0;
        Q_UNUSED(registered);
        holders().append(this);
    }
}

void CNT_Net::forgetPixels(int source) {
    QMutexLocker share(&shareLock_);
    framePixels_.remove(source);
}

QByteArray CNT_Net::memoryInfoText() const {
    if (!memoryInfo_) return QByteArray();
    char* text = cJSON_Print(memoryInfo_);
    QByteArray out(text ? text : "");
    cJSON_free(text);
    return out;
}

void CNT_Net::CNT_FirstInit() {
    if (!started_ || !gpWPara) return;
    if (gpWPara->video_share_mode == 1) CNT_AddUseMemory(0, gShowW, gShowH, nullptr);
    if (!share_.isEmpty() && !timerNames_.values().contains(QStringLiteral("send_timer"))) {
        const int id = startTimer(TimeMs("net.sharePush", 50), Qt::CoarseTimer);
        timerNames_.insert(id, QStringLiteral("send_timer"));
    }
    // A client that came while the views were being built is told now.
    if (alive_ && gpWPara->video_share_mode != 0) CNT_SendMemoryInfo();
}

void CNT_Net::toI420(VideoShareInfo* e, const uchar* pixels, int stride, int rows, int dstRow) {
    const size_t w = size_t(e->width), h = size_t(e->height), cw = w / 2, ch = h / 2;
    uchar* y = reinterpret_cast<uchar*>(e->i420.data());
    uchar* u = y + w * h;
    uchar* v = u + cw * ch;
    uchar* slab = reinterpret_cast<uchar*>(e->slab.data());
    const int step = slabRows(e->width);
    for (int r = 0; r < rows; r += step) {
        const int n = std::min(step, rows - r);  // even: the sizes are even
        const cv::Mat src(n, e->width, CV_8UC4, const_cast<uchar*>(pixels) + size_t(r) * size_t(stride),
                          size_t(stride));
        cv::Mat dst(n * 3 / 2, e->width, CV_8UC1, slab);
        cv::cvtColor(src, dst, cv::COLOR_BGRA2YUV_I420);
        // The slab's planes over the matching rows of the frame's planes.
        const size_t top = size_t(dstRow + r), half = size_t(n) / 2;
        memcpy(y + top * w, slab, size_t(n) * w);
        memcpy(u + top / 2 * cw, slab + size_t(n) * w, half * cw);
        memcpy(v + top / 2 * cw, slab + size_t(n) * w + half * cw, half * cw);
    }
}

void CNT_Net::drawStamp(VideoShareInfo* e, const QString& text) {
    e->stampLayer.fill(Qt::transparent);
    e->stampRect = QRect();
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;  // no fonts
    QPainter p(&e->stampLayer);
    QFont font(QStringLiteral("wqy-microhei"));
    font.setPointSize(50);
    p.setFont(font);
    p.setPen(Qt::green);
    QRect drawn;
    p.drawText(QRect(0, 0, e->width - 1, e->stampLayer.height() - 1), Qt::AlignRight | Qt::AlignVCenter, text,
               &drawn);
    e->stampRect = drawn & e->stampLayer.rect();
}

void CNT_Net::stampTime(VideoShareInfo* e) {
    // The time goes into the bottom rows of the published image only; the view's picture stays as
    // it is.
    const int rows = e->stamp.height();
    const size_t rowBytes = size_t(e->width) * 4;
    for (int y = 0; y < rows; ++y)
        memcpy(e->stamp.scanLine(y), e->stampSource.constData() + size_t(y) * rowBytes, rowBytes);
    if (!e->stampRect.isEmpty()) {
        QPainter p(&e->stamp);
        p.drawImage(e->stampRect.topLeft(), e->stampLayer, e->stampRect);
    }
    toI420(e, e->stamp.constBits(), e->stamp.bytesPerLine(), rows, e->height - rows);
}

bool CNT_Net::CNT_UpdateMemory(int source, const void* pixels, int stride) {
    QMutexLocker share(&shareLock_);
    VideoShareInfo* e = share_.value(source);
    if (!alive_ || !memoryInfoSent_ || !e || e->shmid < 0 || e->semid < 0 || !e->addr) return false;
    bool fresh = true;
    if (!pixels) {
        // A view's painted picture: copied while its owner cannot write it (it paints on the GUI
        // thread), converted after; not at all when it did not change since the last push.
        const SharedPixels shared = framePixels_.value(source);
        const size_t bytes = size_t(e->stride) * size_t(e->height);
        if (!shared.pixels || size_t(pixelCopy_.size()) < bytes) return false;
        if (shared.lock) shared.lock->lock();
        if (shared.serial && e->converted && *shared.serial == e->convertedSerial) {
            fresh = false;
        } else {
            memcpy(pixelCopy_.data(), shared.pixels, bytes);
            if (shared.serial) e->convertedSerial = *shared.serial;
        }
        if (shared.lock) shared.lock->unlock();
        pixels = pixelCopy_.constData();
        stride = e->stride;
    }
    if (stride <= 0) stride = e->stride;
    const bool stamped = gpWPara && gpWPara->video_share_mode == 2;
    const int stampRows = stamped ? e->stamp.height() : 0;
    if (fresh) {
        // Each row converted once: the rows under the time stamp from the stamped copy below.
        const uchar* px = static_cast<const uchar*>(pixels);
        toI420(e, px, stride, e->height - stampRows, 0);
        const size_t rowBytes = size_t(e->width) * 4;
        for (int y = 0; y < stampRows; ++y)
            memcpy(e->stampSource.data() + size_t(y) * rowBytes,
                   px + size_t(e->height - stampRows + y) * size_t(stride), rowBytes);
        e->converted = true;
        e->published = false;
    }
    if (stamped) {
        const QString text = SysClock::now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss "));
        const bool newText = text != e->stampText;
        if (newText) {
            drawStamp(e, text);
            e->stampText = text;
        }
        if (newText || fresh) {
            stampTime(e);
            e->published = false;
        }
    }
    // A lock raised above 1 by another process would let the client copy while this copies: reset
    // here, at the push that finds it.
    if (e->sem.value() > 1) {
        LOG(WARNING) << "CNT: lock of shared memory " << source << " raised by another process; reset";
        e->sem.retInitPV();
    }
    if (e->published) return true;  // the segment holds this picture already
    // A client that hangs holding the lock costs this frame, never the machine loop.
    if (!e->sem.P_sem(TimeMs("net.shareLock", 20))) return false;
    memcpy(e->addr, e->i420.constData(), size_t(e->size));
    e->sem.V_sem();
    e->published = true;
    return true;
}

void CNT_Net::reviveShares() {
    bool remade = false;
    {
        QMutexLocker share(&shareLock_);
        for (VideoShareInfo* e : qAsConst(share_)) {
            const bool segmentOk = e->shmid < 0 || segmentIntact(*e);
            const bool lockOk = e->semid < 0 || e->sem.intact();
            if (segmentOk && lockOk) continue;
            LOG(WARNING) << "CNT: shared memory of source " << e->source
                         << " removed or replaced; made again";
            if (!segmentOk) {
                if (e->addr) shmdt(e->addr);
                e->addr = nullptr;
                e->shmid = segmentFor(e->shmKey, e->size);
                attachSegment(e);
            }
            if (!lockOk) e->semid = e->sem.create_sem(1);
            // Every description of the source names the new ids.
            const cJSON* item = nullptr;
            cJSON_ArrayForEach(item, cJSON_GetObjectItemCaseSensitive(memoryInfo_, "memoryinfo")) {
                const cJSON* camera = cJSON_GetObjectItemCaseSensitive(item, "cameraid");
                if (!cJSON_IsNumber(camera) || camera->valueint != e->source) continue;
                cJSON_SetNumberValue(cJSON_GetObjectItemCaseSensitive(item, "shmid"), e->shmid);
                cJSON_SetNumberValue(cJSON_GetObjectItemCaseSensitive(item, "semid"), e->semid);
            }
            remade = true;
        }
    }
    if (!remade || !memoryInfoSent_) return;
    // The client attached the old ids: it is told the new ones before the next copy.
    memoryInfoSent_ = false;
    if (alive_ && gpWPara && gpWPara->video_share_mode != 0) CNT_SendMemoryInfo();
}

void CNT_Net::pushFrames() {
    const WizardPara* p = gpWPara;
    if (!p || p->video_share_mode == 0 || !p->cnt_net_on || !alive_) return;
    if (qstrncmp(p->CntNet_UseName, "null", kParaTextLen) == 0) return;
    reviveShares();
    if (p->video_share_mode == 2) {
        pushCameraPictures();
        return;
    }
    if (p->video_share_mode == 1 && gpWin) {
        VideoShareInfo* e = share_.value(0);
        if (!e || !memoryInfoSent_) return;
        // The whole main window, at the size the client was told.
        QImage shot = gpWin->grab().toImage();
        if (shot.size() != QSize(e->width, e->height)) shot = shot.scaled(e->width, e->height);
        if (shot.format() != QImage::Format_RGB32 && shot.format() != QImage::Format_ARGB32)
            shot = shot.convertToFormat(QImage::Format_RGB32);
        CNT_UpdateMemory(0, shot.constBits(), shot.bytesPerLine());
    }
}

void CNT_Net::pushCameraPictures() {
    QList<int> sources;
    {
        QMutexLocker share(&shareLock_);
        ++pushPass_;
        for (auto it = share_.cbegin(); it != share_.cend(); ++it) {
            // Each picture at the frame rate the client was told (to the push's 50 ms grain), not
            // faster: a conversion the client never reads is a waste of a core.
            VideoShareInfo* e = it.value();
            if (e->pushPass && pushPass_ - e->pushPass < quint64(e->everyPasses)) continue;
            e->pushPass = pushPass_;
            sources << it.key();
        }
    }
    for (int source : qAsConst(sources)) CNT_UpdateMemory(source);
}

void CNT_Net::pushFramesInBackground() {
    const WizardPara* p = gpWPara;
    if (!p || p->video_share_mode == 0 || !p->cnt_net_on || !alive_) return;
    if (qstrncmp(p->CntNet_UseName, "null", kParaTextLen) == 0) return;
    if (p->video_share_mode != 2) {
        pushFrames();  // the screen can only be grabbed here
        return;
    }
    reviveShares();  // here, on the GUI thread, which owns the announcement
    if (!pusher_) pusher_ = std::make_unique<CNT_SharePusher>([this] { pushCameraPictures(); });
    pusher_->request();
}

void CNT_Net::waitForPush() {
    if (pusher_) pusher_->waitIdle();
}

void CNT_Net::CNT_FreeShareMemory() {
    QMutexLocker share(&shareLock_);
    for (VideoShareInfo* e : qAsConst(share_)) {
        if (e->addr) shmdt(e->addr);
        if (e->shmid >= 0) shmctl(e->shmid, IPC_RMID, nullptr);
        e->sem.remove();
        delete e;
    }
    share_.clear();
    framePixels_.clear();
    holders().removeAll(this);
}
