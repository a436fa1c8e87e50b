#include "paramhooks.h"

#include <QDebug>

#include "globals.h"
#include "wizardpara.h"

namespace {
ParamSendHook g_send;
SignalNamer g_namer;
}  // namespace

void setParamSendHook(ParamSendHook hook) {
    g_send = std::move(hook);
}

bool sendParamIfConnected() {
    if (!gpWPara || gpWPara->cnt_net_on == 0) return false;
    if (!g_send.ready || !g_send.send || !g_send.ready()) return false;
    g_send.send();
    return true;
}

void setDefaultSignalNamer(SignalNamer namer) {
    g_namer = std::move(namer);
}

bool applyDefaultSignalNames(const WizardPara& para) {
    for (QString& s : gaName) s.clear();
    if (!g_namer) {
        qWarning("signal names: no default naming installed, names left empty");
        return false;
    }
    g_namer(para);
    return true;
}

void resetParamHooks() {
    g_send = ParamSendHook();
    g_namer = SignalNamer();
}
