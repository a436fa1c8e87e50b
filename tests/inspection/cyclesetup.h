#pragma once
// Small set-ups of the cycle tests: every switch of the decision off, and a region that fails or
// passes on any frame.
#include "detect/cammerrecong.h"
#include "monitorworld.h"
#include "records/counters.h"

// Every switch the decision reads, off; one camera step pair with no delay.
inline void quietParams(WizardPara& p) {
    p.detect_mode = kDetectStandard;
    p.enable_prod_detect = 1;
    p.semi_auto = 0;
    p.enable_correct = -1;  // positioning off
    p.pre_cut = 0;
    p.ok_ng_pulse = 0;
    p.enable_stop_not_alarm = 0;
    p.enable_cutoff_ontime = 0;
    p.cavity_ng_clamp = 0;
    p.cut_clamp_on_mold_alarm = 0;
    p.cut_thimble_on_prod_alarm = 0;
    p.detect_any_order = 0;
    p.mold_cutoff = 0;
    p.is_cut_ontime = 0;
    p.is_cut_ontime_thimble = 0;
    p.thimble_pulse = 0;
    p.mold_pulse = 0;
    p.front_auto_check_time = 0;
    p.re_check_delay = 0;
    p.shake_erase_time = 0;
    p.input_timeout_len = 0;
    p.enable_trigger_safety = 0;
    p.template_auto_update = 0;
    p.cnt_net_on = 0;
    p.ng_max_num = 5;
    p.ok_record_max_num = 5;
    p.save_ok_record = 0;
    p.screen_off_time = 0;
    for (int s = 0; s < 8; ++s) p.trig_in_delay[s] = 0;
    for (int o = 0; o < 9; ++o) p.output_inverted[o] = 0;
}

// A black-area region over the middle of the picture of `step`: with the upper grey limit 255 every
// pixel counts, so it fails on any frame (ng) or, with an area limit no region reaches, passes.
inline int addRegion(CammerWidget* v, int step, bool ng, int outN = 0) {
    CammerSingleton& s = *v->data.savedStore;
    const int r = s.count[step]++;
    s.shape[step][r] = kShapeRect;
    s.rect[step][r].rect = QRect(QPoint(400, 300), QPoint(1300, 700));
    s.func[step][r] = kFuncBlack;
    s.para1[step][r] = 0;
    s.sens[step][r] = 255;
    s.area[step][r] = ng ? 10 : 100000000;
    s.outN[r] = outN;
    v->data.savedMasks[step][r] = s.updateRegion(step, r);
    *v->data.workingStore = s;
    v->recong->VarTrain(step);
    return r;
}
