#pragma once
// The temperature alarm flag and the temperature channels of the IO board.
#include <QVector>

// True while a temperature channel is outside its limits. Set by the statistics window's refresh;
// read by the cycle decision and the camera views. GUI thread only; false at start.
extern bool gisTempAlarm;

constexpr int kTempChannels = 8;

// Channels 1 to 8 in degrees Celsius: the IO board's analogue values 0 to 7, whose 32 bits are
// floating-point numbers. The poll thread writes them without a lock; a value read while it changes
// is simply the older or the newer one.
QVector<float> boardTemperatures();
