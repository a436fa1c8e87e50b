#pragma once
#include <QList>
#include <cstdint>

// One evaluated region of one inspection step, gathered per cycle for the network client.
struct param_roi {
    int32_t camera = 0;
    int32_t detect = 0;  // detection step
    int32_t roi = 0;     // region index
    int32_t type = 0;    // detection function
    int32_t value = 0;
    int32_t min = 0;  // lower limit
    int32_t max = 0;  // upper limit
    int32_t ok = 0;   // 1 OK, 0 NG
};

extern QList<param_roi> g_listParamROI;
