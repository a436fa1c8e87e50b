#include "cameraloss.h"

std::atomic<bool> gisLost{false};
