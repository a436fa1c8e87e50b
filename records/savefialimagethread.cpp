#include "savefialimagethread.h"

#include <QMutexLocker>

#include "platform/system/timing.h"

FailImageSlot gFailImage[kMaxCamera][kMaxStep];
SaveFialImageThread* gpSaveFialImageThread = nullptr;

void allocateFailImages(int cameras, int imageLen) {
    QMutexLocker lock(pMutexSaveFail);
    for (int c = 0; c < kMaxCamera; ++c) {
        for (int s = 0; s < kMaxStep; ++s) {
            FailImageSlot& slot = gFailImage[c][s];
            for (int k = 0; k < 2; ++k) {
                if (c < cameras && imageLen > 0)
                    slot.image[k].assign(size_t(imageLen) * 4, 0);
                else
                    slot.image[k].clear();
                slot.pending[k] = false;
            }
        }
    }
}

SaveFialImageThread::SaveFialImageThread(QObject* parent) : QThread(parent) {}

SaveFialImageThread::~SaveFialImageThread() {
    stopForTest();
}

void SaveFialImageThread::stopForTest() {
    stop_ = true;
    wait();
}

void SaveFialImageThread::run() {
    const int poll = TimeMs("saver.poll", 100);
    while (!stop_) {
        {
            QMutexLocker lock(pMutexSaveFail);
            for (int c = 0; c < kMaxCamera; ++c)
                for (int s = 0; s < kMaxStep; ++s)
                    if (gFailImage[c][s].pending[0] || gFailImage[c][s].pending[1])
                        savePending(c, s, gFailImage[c][s]);
        }
        msleep(static_cast<unsigned long>(poll));
    }
}

int SaveFialImageThread::savePending(int, int, FailImageSlot&) {
    // The archive writer replaces this; until then a pending picture stays pending.
    return 0;
}
