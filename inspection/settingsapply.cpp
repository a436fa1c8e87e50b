// What a saved settings commit asks of the camera views: positioning models, the copy of regions
// between detection steps and the matching models, as the commit's changes call for.
#include <algorithm>
#include <iterator>
#include <cstring>

#include "app/globals.h"
#include "app/msgbox.h"
#include "app/parametermanager.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "inspection/cammerwidget.h"
#include "inspection/mainwindow.h"
#include "settings/camerapages.h"

namespace {

// Step `to` of the store becomes a copy of step `from`: regions, their parameters and the step flags.
void copyStep(CammerSingleton& s, int from, int to) {
    s.count[to] = s.count[from];
    std::memcpy(s.para1[to], s.para1[from], sizeof(s.para1[to]));
    std::memcpy(s.sens[to], s.sens[from], sizeof(s.sens[to]));
    std::memcpy(s.area[to], s.area[from], sizeof(s.area[to]));
    std::memcpy(s.func[to], s.func[from], sizeof(s.func[to]));
    std::memcpy(s.rect[to], s.rect[from], sizeof(s.rect[to]));
    std::memcpy(s.circle[to], s.circle[from], sizeof(s.circle[to]));
    std::copy(std::begin(s.polygon[from]), std::end(s.polygon[from]), s.polygon[to]);
    std::memcpy(s.shape[to], s.shape[from], sizeof(s.shape[to]));
    std::memcpy(s.flags[to], s.flags[from], sizeof(s.flags[to]));
}

// The copies the procedure in force needs when both steps of a mould use the same parameters:
// two-colour and turntable copy steps 0 and 1 into 2 and 3, the others step 0 into step 1.
void copyRegions(CammerViewData& data, int procedure) {
    const bool twoMoulds = procedure == kDetectTwoColour || procedure == kDetectTurntable;
    const int pairs[2][2] = {{0, twoMoulds ? 2 : 1}, {1, 3}};
    const int n = twoMoulds ? 2 : 1;
    for (int k = 0; k < n; ++k) {
        const int from = pairs[k][0];
        const int to = pairs[k][1];
        if (data.savedStore) {
            copyStep(*data.savedStore, from, to);
            for (int r = 0; r < kRoiCount; ++r) data.savedMasks[to][r] = data.savedMasks[from][r].clone();
        }
        if (data.workingStore) {
            copyStep(*data.workingStore, from, to);
            for (int r = 0; r < kRoiCount; ++r) data.workingMasks[to][r] = data.workingMasks[from][r].clone();
        }
    }
}

bool standardLike(int procedure) {
    return procedure == kDetectStandard || procedure == kDetectAutoParts ||
           procedure == kDetectStandardNoRecheck;
}

}  // namespace

void MainWindow::rebuildModels(const CameraCommit& c) {
    const WizardPara& p = *gpWPara;
    const int steps = std::min(gDNum, kMaxStep);
    // 1. Positioning models follow the cavity, the search margin and the positioning switch.
    const bool reshape = c.cavityChanged || c.marginChanged || c.positioningChanged;
    // 2. A change of same-parameters, product detection or cavity copies the regions between the steps
    //    when both steps of a mould use the same parameters, then every step is rebuilt.
    const bool regions = c.sameParamsChanged || c.productChanged || c.cavityChanged;
    const bool copy = regions && p.enabe_two_test != 0 &&
                      (p.detect_mode == kDetectTwoColour || p.detect_mode == kDetectTurntable ||
                       (standardLike(p.detect_mode) && p.enable_prod_detect != 0));
    const bool reshapeAgain = c.stepsRederived || (regions && !c.positioningChanged && !c.marginChanged);
    // 3. Otherwise the variation models follow the difference amplification.
    const bool retrain = c.stepsRederived || regions || c.amplifyChanged;
    if (!reshape && !copy && !reshapeAgain && !retrain) return;
    for (CammerWidget* v : cams) {
        if (!v->recong) continue;
        if (reshape)
            for (int d = 0; d < steps; ++d)
                if (stepOn(d)) v->recong->CreateShape(d);
        if (copy) {
            copyRegions(v->data, p.detect_mode);
            if (v->data.savedStore &&
                !v->data.savedStore->SaveDatatoFile(ParameterManager::getInstance()->paramQuery))
                showWarnBox(lanText(600).arg(QStringLiteral("PARAM.db")));
        }
        for (int d = 0; d < steps; ++d) {
            if (!stepOn(d)) continue;
            if (reshapeAgain) v->recong->CreateShape(d);
            if (retrain) v->recong->VarTrain(d);
        }
        v->update();
    }
}
