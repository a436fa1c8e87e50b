#pragma once
// The program version, shown on the splash screen, at the head of every new log file and in the
// start message of the main window.
constexpr const char kMonitorVersion[] = "26.0.1.2";
