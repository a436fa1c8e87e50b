#pragma once
// Signal names of the machine IO: the machine functions that the multi-detection procedure lets the
// operator put on its inputs and outputs, the labels of the customisable terminals, and the rule that
// fills gaName (app/wizardpara.h) for a procedure.
//
// Every table holds three texts per row (Simplified Chinese, English, Traditional Chinese); the text
// in the current language is table[row * 3 + gLan].
#include <QString>

struct WizardPara;

constexpr int kInputFunctions = 16;   // InputFunction 0..15
constexpr int kOutputFunctions = 14;  // OutputFunction 0..13
constexpr int kCustomTerminals = 8;   // custom inputs and custom outputs 0..7

extern const char* const gInName[kInputFunctions * 3];
extern const char* const gOutName[kOutputFunctions * 3];
extern const char* const gCustomInputName[kCustomTerminals * 3];
extern const char* const gCustomOutputName[kCustomTerminals * 3];

// Texts of the tables in the current language (gLan). A row outside the table gives an empty text
// (and a log line): stored choices are indexes and are never trusted to be in range.
QString inputFunctionName(int function);
QString outputFunctionName(int function);
QString customInputLabel(int j);
QString customOutputLabel(int j);

// Fills gaName for the record's procedure (detect_mode) in the current language: entries 0 to 7 for
// the standard, two-colour, turntable and automatic-parts procedures, all 18 for multi-detection
// (from custom_input_func and custom_output_func). The other entries are emptied. Used as the
// parameter load's default naming and by the settings commit in the multi-detection procedure.
void FillDefaultSignalNames(const WizardPara& para);

// Installs FillDefaultSignalNames as the parameter load's default naming (app/paramhooks.h). Start-up
// calls it before the parameter record is loaded.
void installDefaultSignalNamer();
