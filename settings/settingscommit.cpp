#include "settingscommit.h"

#include <cstring>
#include <iterator>

#include "app/wizardpara.h"
#include "settingstext.h"

namespace {

enum class Format {
    Delay,     // ", The time delay for detection %1is changed from %2 to %3"
    Recheck,   // ", The automatic redetecting times for detection %1 is changed from %2 to %3"
    Value,     // ", %1 is changed from %2 to %3"
    Switch,    // ", %1 is changed to " active / deactive
    Position,  // as Switch, but 0 is "active" (positioning: 0 on, -1 off)
    Clamp,     // ", %1 is changed to " "Prohibit to clamp" / "Allow to clamp"
};

struct RecordRow {
    Format format;
    int label;
    int (*get)(const WizardPara&);
};

#define FIELD(expr) [](const WizardPara& p) { return int(p.expr); }

// The fields the change record names, in its order; the cameras and the password come after row 10.
const RecordRow kRowsBeforeCameras[] = {
    {Format::Delay, 263, FIELD(trig_in_delay[0])},
    {Format::Delay, 264, FIELD(trig_in_delay[1])},
    {Format::Recheck, 264, FIELD(front_auto_check_time)},
    {Format::Value, 22, FIELD(minimum_size)},
    {Format::Value, 24, FIELD(minimum_area)},
    {Format::Switch, 174, FIELD(semi_auto)},
    {Format::Switch, 175, FIELD(enable_prod_detect)},
    {Format::Position, 176, FIELD(enable_correct)},
    {Format::Switch, 177, FIELD(enabe_two_test)},
    {Format::Switch, 400, FIELD(template_auto_update)},
};

const RecordRow kRowsAfterCameras[] = {
    {Format::Value, 244, FIELD(capture_speed)},
    {Format::Switch, 270, FIELD(enable_color_camera)},
    {Format::Switch, 271, FIELD(enable_gray_channel)},
    {Format::Switch, 387, FIELD(auto_exposure)},
    {Format::Switch, 388, FIELD(auto_shading)},
    {Format::Switch, 337, FIELD(prohibit_optimize)},
    {Format::Switch, 519, FIELD(external_trigger)},
    {Format::Switch, 196, FIELD(enable_defect_detect)},
    {Format::Switch, 197, FIELD(enable_spot_detect)},
    {Format::Switch, 198, FIELD(enable_ignore_area)},
    {Format::Switch, 199, FIELD(enable_manual_edit)},
    {Format::Switch, 200, FIELD(enable_display_detail)},
    {Format::Switch, 390, FIELD(enable_black_area)},
    {Format::Switch, 391, FIELD(enable_white_area)},
    {Format::Switch, 520, FIELD(enable_white_num)},
    {Format::Switch, 397, FIELD(enable_similarity)},
    {Format::Value, 269, FIELD(serial_port)},
    {Format::Value, 336, FIELD(input_timeout_len)},
    {Format::Value, 166, FIELD(pre_cut)},
    {Format::Value, 168, FIELD(thimble_pulse)},
    {Format::Value, 169, FIELD(mold_pulse)},
    {Format::Value, 203, FIELD(enable_output_thimble_pulse)},
    {Format::Value, 334, FIELD(enable_mold_backup)},
    {Format::Value, 273, FIELD(output_inverted[0])},
    {Format::Value, 274, FIELD(output_inverted[1])},
    {Format::Value, 275, FIELD(output_inverted[2])},
    {Format::Value, 281, FIELD(output_inverted[3])},
    {Format::Value, 585, FIELD(cavity_pos)},
    {Format::Switch, 178, FIELD(mold_cutoff)},
    {Format::Clamp, 179, FIELD(enable_stop_mold)},
    {Format::Switch, 192, FIELD(enable_cutoff_ontime)},
    {Format::Switch, 190, FIELD(enable_stop_not_alarm)},
    {Format::Switch, 597, FIELD(cavity_ng_clamp)},
    {Format::Switch, 193, FIELD(is_cut_ontime)},
    {Format::Switch, 195, FIELD(enable_disarm_before_open)},
    {Format::Switch, 265, FIELD(enable_trigger_safety)},
    {Format::Switch, 202, FIELD(ok_ng_pulse)},
    {Format::Value, 185, FIELD(max_mold_num)},
    {Format::Value, 186, FIELD(ng_max_num)},
    {Format::Value, 187, FIELD(ok_record_max_num)},
    {Format::Value, 188, FIELD(difference_multiplier)},
    {Format::Value, 189, FIELD(auto_cancel_timelen)},
    {Format::Value, 213, FIELD(location_adge)},
    {Format::Value, 243, FIELD(screen_off_time)},
    {Format::Value, 181, FIELD(min_spot)},
    {Format::Value, 403, FIELD(match_angle)},
    {Format::Switch, 194, FIELD(enable_pass_protect)},
    {Format::Switch, 341, FIELD(temp_add_protect)},
    {Format::Switch, 342, FIELD(ignore_point_protect)},
    {Format::Switch, 191, FIELD(auto_region)},
    {Format::Switch, 389, FIELD(save_ok_record)},
    {Format::Switch, 256, FIELD(enable_screen_alert)},
    {Format::Switch, 170, FIELD(is_psw_used)},
};

#undef FIELD

QString entry(const RecordRow& row, int before, int after) {
    const QString label = setText(row.label);
    switch (row.format) {
        case Format::Delay:
            return setText(236).arg(label).arg(before).arg(after);
        case Format::Recheck:
            return setText(239).arg(label).arg(before).arg(after);
        case Format::Value:
            return setText(245).arg(label).arg(before).arg(after);
        case Format::Switch:
            return setText(240).arg(label) + setText(after != 0 ? 250 : 251);
        case Format::Position:
            return setText(240).arg(label) + setText(after == 0 ? 250 : 251);
        case Format::Clamp:
            return setText(240).arg(label) + setText(after != 0 ? 252 : 253);
    }
    return QString();
}

void appendRows(QString& text, const RecordRow* rows, int n, const WizardPara& live, const WizardPara& work) {
    for (int i = 0; i < n; ++i) {
        const int before = rows[i].get(live);
        const int after = rows[i].get(work);
        if (before != after) text += entry(rows[i], before, after);
    }
}

}  // namespace

QString ChangeRecordText(const WizardPara& live, const WizardPara& work) {
    QString text = setText(235);
    appendRows(text, kRowsBeforeCameras, int(std::size(kRowsBeforeCameras)), live, work);
    const struct {
        int format;
        const int32_t (WizardPara::*values)[8];
    } cameraRows[] = {{237, &WizardPara::expose_time},
                      {238, &WizardPara::adjust_plus},
                      {246, &WizardPara::sharp},
                      {247, &WizardPara::contrast},
                      {365, &WizardPara::gamma}};
    for (int n = 0; n < 8; ++n)
        for (const auto& r : cameraRows) {
            const int before = (live.*r.values)[n];
            const int after = (work.*r.values)[n];
            if (before != after) text += setText(r.format).arg(n + 1).arg(before).arg(after);
        }
    appendRows(text, kRowsAfterCameras, int(std::size(kRowsAfterCameras)), live, work);
    if (std::memcmp(live.password, work.password, sizeof(live.password)) != 0) text += setText(249);
    return text;
}

namespace {
// Derives the step fields of `work` for `procedure` when that procedure runs with `steps` steps.
bool deriveFor(WizardPara& work, int procedure, int steps, int* mouldSide) {
    WizardPara trial = work;
    trial.detect_mode = procedure;
    int side = mouldSide ? *mouldSide : 0;
    if (trial.DeriveProcedure(&side) != steps) return false;
    work = trial;
    if (mouldSide) *mouldSide = side;
    return true;
}
}  // namespace

ProcedureTakeOver TakeOverProcedure(WizardPara& work, int steps, int* mouldSide) {
    const int next = work.detect_mode_next;
    const int now = work.detect_mode;
    const bool known = next >= kDetectStandard && next <= kDetectStandardNoRecheck;
    const bool crossesMulti = (next == kDetectMulti) != (now == kDetectMulti);
    if (known && !crossesMulti && deriveFor(work, next, steps, mouldSide)) return ProcedureTakeOver::Now;
    // The procedure in force stays; its step switches still follow the edited switches (product
    // detection, semi-automatic, cavity position). Multi-detection keeps its running tables.
    if (now != kDetectMulti) deriveFor(work, now, steps, mouldSide);
    return ProcedureTakeOver::NextStart;
}
