#pragma once
// The pieces of the settings commit that need no widget: the text of the change record, the taking
// over of an edited execution procedure, and what a commit must rebuild afterwards. The dialog's
// accept() (systemsettingwidget.cpp) puts them in order.
#include <QString>

struct WizardPara;

// "Modify the system parameters" followed by one entry per changed field that the record names, in
// the record's order, in the current language. The password itself never appears.
QString ChangeRecordText(const WizardPara& live, const WizardPara& work);

// How an edited execution procedure was taken over by a commit.
enum class ProcedureTakeOver {
    Now,        // in force at once, step switches and trigger inputs derived for it
    NextStart,  // stored only: it needs another step count (or enters or leaves multi-detection)
};

// Takes the edited procedure of `work` (detect_mode_next) over against the procedure in force
// (work.detect_mode, equal to the live one) when that can be done without a restart: the derived step
// switches and trigger inputs are rewritten, *mouldSide is set as the load sets it. A procedure that
// needs a step count other than `steps` (the step count in force, gDNum) would leave steps running
// without their templates and regions: it is only stored, for the next start.
ProcedureTakeOver TakeOverProcedure(WizardPara& work, int steps, int* mouldSide);
