#include "globals.h"

#include "savereport.h"

QMutex* pMutexIO = nullptr;
QMutex* pMutexSaveFail = nullptr;
QMutex* pMutex[kMaxCamera] = {};
bool isImageFill[kMaxCamera] = {};
int gfLED = -1;
int gLan = 0;
int gisRunWTD = 0;
int gShowW = 0;
int gShowH = 0;
WizardPara* gpWPara = nullptr;
WizardPara* gpWParaBak = nullptr;

void createFrameLocks() {
    if (!pMutexIO) pMutexIO = new QMutex;
    if (!pMutexSaveFail) pMutexSaveFail = new QMutex;
    for (int i = 0; i < kMaxCamera; ++i) {
        if (!pMutex[i]) pMutex[i] = new QMutex;
        isImageFill[i] = false;
    }
}

void resetAppGlobals() {
    createFrameLocks();
    gfLED = -1;
    gLan = 0;
    gisRunWTD = 0;
    gShowW = 0;
    gShowH = 0;
    gpWPara = nullptr;
    gpWParaBak = nullptr;
    resetSaveReports();
}
