// libFuzzer target for the network bridge's state files (netbridge/cnt_statistics.h): the manual-stop
// record and the production statistics as read back at the bridge's start. The input's first byte
// chooses the file; the rest is its text. Checked under UBSan: no crash or undefined behaviour while
// loading, counting alarms into the loaded tree and writing the message body again, and every number
// taken is within its field's range.
#include <cstdint>
#include <cstdlib>

#include "app/globals.h"
#include "netbridge/cnt_statistics.h"

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}

void manualStop(const QByteArray& text) {
    CNT_Path_ManualStop m;
    bool complete = false;
    if (!m.load(text, &complete)) return;
    check(m.utc >= 0 && m.utc <= qint64(kCntMaxUtc));
    check(m.stop_check_timelen >= 0 && m.stop_check_timelen <= kCntMaxStopMinutes);
    m.document("host", 1);
}

void statistics(const QByteArray& text) {
    CNT_Path_Statistics s;
    bool complete = false;
    if (!s.load(text, &complete)) return;
    check(s.start_utc >= 0 && s.start_utc <= qint64(kCntMaxUtc));
    check(s.total_stop_alarm_timelen >= 0 && s.total_stop_alarm_timelen <= qint64(kCntMaxUtc));
    for (auto cam = s.cameras.begin(); cam != s.cameras.end(); ++cam) {
        for (auto det = cam->detects.begin(); det != cam->detects.end(); ++det) {
            check(det.key() >= 0 && det.key() < kMaxStep);
            for (auto a = det->alarms.begin(); a != det->alarms.end(); ++a) {
                check(a.key() >= 0 && a.key() < kCntMaxAlarmArea);
                check(a->alarm_result >= 0 && a->alarm_result <= kCntMaxCount);
            }
        }
    }
    // What the running bridge does with a loaded tree: counts alarms into it and sends it.
    const QList<int> cameras = s.cameras.keys();
    for (int c : cameras) {
        const QList<int> steps = s.cameras.value(c).detects.keys();
        for (int d : steps) {
            const QList<int> areas = s.cameras.value(c).detects.value(d).alarms.keys();
            for (int a : areas) s.addAlarm(c, d, a);
        }
    }
    s.total_stop_alarm_timelen += 1000;
    s.document("host", 1, 0, "null");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 65536) return 0;
    const QByteArray text(reinterpret_cast<const char*>(data + 1), int(size - 1));
    if (data[0] & 1)
        statistics(text);
    else
        manualStop(text);
    return 0;
}
