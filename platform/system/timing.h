#pragma once
// Timer periods and time-outs. Every call site names its period and gives the system's value:
//     timer->start(TimeMs("run.loop", 3));
// The program always gets the system's value; tests may shorten a period by name. Keys are
// "<subsystem>.<what>", e.g. "io.poll", "cycle.show".
int TimeMs(const char* key, int systemMs);

void setTimeOverride(const char* key, int ms);
void clearTimeOverrides();
