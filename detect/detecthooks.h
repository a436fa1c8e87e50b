#pragma once
// Calls from the detection engine to the layers above it, installed at start-up (network bridge,
// main window). Without an installed hook nothing happens.
#include <cstdint>
#include <functional>

// The record of one evaluated region for the network client (param_roi).
struct RoiRecord {
    int32_t camera = 0;
    int32_t detect = 0;  // detection step
    int32_t roi = 0;     // region index
    int32_t func = 0;    // detection function
    int32_t value = 0;
    int32_t minLimit = 0;  // 0 when there is none
    int32_t maxLimit = 0;  // -1 when there is none
    int32_t ok = 0;        // 0 NG, else the view's overall flag after this region
};

// Receives every region record that Run collects for the bridge (appends it to g_listParamROI).
void setRoiRecordSink(std::function<void(const RoiRecord&)> sink);
// Told after a region store was saved, once per step; the installer sends the step's regions when
// the bridge is started and connected (CNT_Net::CNT_SendROIParam).
void setRoiParamNotifier(std::function<void(int camera, int step)> notify);

void emitRoiRecord(const RoiRecord& record);
void notifyRoiParam(int camera, int step);
bool hasRoiRecordSink();
// Drops both hooks (tests).
void resetDetectHooks();
