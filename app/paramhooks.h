#pragma once
// Calls from the parameter record up to parts that sit above the application frame. Each upper part
// installs its hook at start-up; with none installed the call does nothing.
#include <functional>

struct WizardPara;

// Network bridge: after every record save the live settings go to the network client when the
// bridge is switched on (cnt_net_on of the live record), started and its client connected.
struct ParamSendHook {
    std::function<bool()> ready;  // bridge started and client connected
    std::function<void()> send;   // CNT_Net::CNT_SendParam
};
void setParamSendHook(ParamSendHook hook);
// Sends when the live record has cnt_net_on set and the hook reports itself ready. True when sent.
bool sendParamIfConnected();

// Default signal names (used when "name.txt" is absent, and always in the multi-detection procedure):
// fills gaName for the record's procedure in the current language. Installed by the IO part.
using SignalNamer = std::function<void(const WizardPara&)>;
void setDefaultSignalNamer(SignalNamer namer);
// Fills gaName through the installed namer; false (and gaName left empty) when none is installed.
bool applyDefaultSignalNames(const WizardPara& para);

void resetParamHooks();
