#pragma once
// SIGTERM and SIGINT end the program in order: the signal handler only writes the signal number into
// a pipe, and the GUI thread's event loop reads it and runs the stop that was installed (the same
// path as the exit action). SIGSEGV and SIGABRT stay with the crash handler (LogManager), the other
// failure signals with glog's. A second SIGTERM or SIGINT while the first is handled ends the process
// at once (the default action).
#include <functional>

// Takes SIGTERM and SIGINT over (from glog's failure handler): call once glog is set up. A signal that
// arrives before armStopSignals waits in the pipe. False when the pipe cannot be made.
bool installStopSignals();
// Runs `stop(signal)` on the calling (GUI) thread for the first signal, from whichever event loop
// runs then (the main one, a modal box's, a start-up question's); needs the application object.
void armStopSignals(std::function<void(int signal)> stop);
// Tests: the default actions back, the pipe closed.
void removeStopSignals();
