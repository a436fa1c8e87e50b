#include "detecthooks.h"

namespace {
std::function<void(const RoiRecord&)>& recordSink() {
    static std::function<void(const RoiRecord&)> sink;
    return sink;
}
std::function<void(int, int)>& paramNotifier() {
    static std::function<void(int, int)> notify;
    return notify;
}
}  // namespace

void setRoiRecordSink(std::function<void(const RoiRecord&)> sink) { recordSink() = std::move(sink); }
void setRoiParamNotifier(std::function<void(int, int)> notify) { paramNotifier() = std::move(notify); }

void emitRoiRecord(const RoiRecord& record) {
    if (recordSink()) recordSink()(record);
}

void notifyRoiParam(int camera, int step) {
    if (paramNotifier()) paramNotifier()(camera, step);
}

bool hasRoiRecordSink() { return bool(recordSink()); }

void resetDetectHooks() {
    recordSink() = nullptr;
    paramNotifier() = nullptr;
}
