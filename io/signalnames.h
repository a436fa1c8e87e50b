#pragma once
// The machine functions that can be given to the custom inputs and outputs of the multi-detection
// procedure, and the default signal names of every procedure (gaName when "name.txt" is absent).
struct WizardPara;

constexpr int kInputFunctions = 16;
constexpr int kOutputFunctions = 14;

// Three texts per row: Simplified Chinese, English, Traditional Chinese; row * 3 + gLan.
extern const char* const gInName[kInputFunctions * 3];
extern const char* const gOutName[kOutputFunctions * 3];

// Fills gaName for the record's procedure in the current language: entries 0-7 (inputs 0-3, outputs
// 0-3), or all 18 in the multi-detection procedure (physical inputs 0-8, outputs 0-8). The signal
// namer of the parameter record (setDefaultSignalNamer).
void DefaultSignalNames(const WizardPara& para);
