#pragma once
// The NG and OK image slots and the thread that writes them to the picture archive. The inspection
// fills a slot under pMutexSaveFail and marks it pending; the thread polls every 100 ms.
#include <QThread>
#include <atomic>
#include <vector>

#include "app/globals.h"

// One slot per camera and detection step: the NG picture and the OK picture of a pair.
struct FailImageSlot {
    std::vector<unsigned char> image[2];  // [0] NG, [1] OK; gImageLen * 4 bytes each
    bool pending[2] = {false, false};
};
extern FailImageSlot gFailImage[kMaxCamera][kMaxStep];

// Sizes the slots of the first `cameras` cameras (gImageLen * 4 bytes each) and clears their flags.
void allocateFailImages(int cameras, int imageLen);

class SaveFialImageThread : public QThread {
    Q_OBJECT
public:
    explicit SaveFialImageThread(QObject* parent = nullptr);
    ~SaveFialImageThread() override;
    // Tests only: ends the poll loop and waits for the thread.
    void stopForTest();

protected:
    void run() override;
    // Writes the pending pictures of one slot (called with pMutexSaveFail held). Returns the number
    // written.
    virtual int savePending(int camera, int step, FailImageSlot& slot);

private:
    std::atomic<bool> stop_{false};
};

extern SaveFialImageThread* gpSaveFialImageThread;
