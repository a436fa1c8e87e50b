#include "tempalarm.h"

#include <cstring>

#include "io/iolink.h"

bool gisTempAlarm = false;

QVector<float> boardTemperatures() {
    QVector<float> out(kTempChannels);
    for (int k = 0; k < kTempChannels; ++k) {
        const int raw = gFTemp[k];
        static_assert(sizeof(float) == sizeof(int), "analogue values are 32 bits");
        std::memcpy(&out[k], &raw, sizeof(float));
    }
    return out;
}
