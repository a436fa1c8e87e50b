#include "paramkeys.h"

#include <cstring>

#include "wizardpara.h"

namespace {

ParaSlot at(size_t offset, int index = 0) {
    return {ParaSlot::Field, offset + size_t(index) * sizeof(int32_t)};
}
#define F(f) at(offsetof(WizardPara, f))
#define E(f, i) at(offsetof(WizardPara, f), i)

// Elements first..last of an array field, in order.
void range(std::vector<ParaSlot>& v, size_t offset, int first, int last) {
    for (int i = first; i <= last; ++i) v.push_back(at(offset, i));
}
#define R(f, a, b) range(s, offsetof(WizardPara, f), a, b)

const ParaSlot kLan{ParaSlot::Language, 0};
const ParaSlot kReserve{ParaSlot::Reserve, 0};
const ParaSlot kMode{ParaSlot::Mode, 0};

std::vector<ParaIntKey> buildLoadOrder() {
    std::vector<ParaIntKey> keys;
    std::vector<ParaSlot> s;
    auto add = [&](const char* name, bool created = false) {
        keys.push_back({name, s, created});
        s.clear();
    };
    R(trig_in_delay, 0, 7);
    add("trigInDelay");
    R(expose_time, 0, 3);
    add("exposeTime");
    R(adjust_plus, 0, 3);
    add("adjustPlus");
    s = {kMode,
         F(cavity_pos),
         F(auto_exposure),
         F(auto_shading),
         F(save_ok_record),
         F(enable_black_area),
         F(enable_white_area),
         F(enable_similarity)};
    add("numFailDetect");
    R(gamma, 0, 7);
    add("numAllDetect");
    s = {F(is_psw_used)};
    add("isPswUsed");
    s = {F(semi_auto),         F(enable_prod_detect),  F(enabe_two_test), F(enable_correct),
         F(enable_stop_mold),  F(enable_screen_alert), F(pre_cut),        F(front_auto_check_time),
         F(ok_record_max_num), F(auto_region)};
    add("system1");
    s = {F(mold_cutoff),
         F(max_mold_num),
         F(min_spot),
         F(ng_max_num),
         F(thimble_pulse),
         F(mold_pulse),
         F(enable_stop_not_alarm),
         F(is_cut_ontime),
         F(enable_cutoff_ontime),
         F(enable_pass_protect),
         F(temp_add_protect),
         F(ignore_point_protect),
         kLan,
         F(enable_mold_backup),
         F(location_adge),
         F(screen_off_time),
         F(capture_speed),
         F(input_timeout_len)};
    add("system2");
    s = {F(enable_output_thimble_pulse), F(enable_disarm_before_open), F(difference_multiplier),
         F(enable_defect_detect),        F(enable_spot_detect),        F(enable_ignore_area),
         F(enable_manual_edit),          F(enable_display_detail),     F(auto_cancel_timelen),
         F(enable_one_not_mold),         F(enable_trigger_safety)};
    add("system3");
    s = {F(template_auto_update)};
    R(local_addr, 0, 3);
    R(mask, 0, 3);
    R(gateway, 0, 3);
    s.push_back(F(minimum_size));
    s.push_back(F(minimum_area));
    add("system4");
    R(sharp, 0, 3);
    add("sharp");
    R(contrast, 0, 3);
    add("contrast");
    s = {E(expose_time, 4),
         E(expose_time, 5),
         E(adjust_plus, 4),
         E(adjust_plus, 5),
         E(sharp, 4),
         E(sharp, 5),
         E(contrast, 4),
         E(contrast, 5),
         F(ok_ng_pulse),
         F(match_angle),
         F(cut_thimble_on_prod_alarm),
         F(external_trigger)};
    add("system5");
    s = {E(expose_time, 6),   E(expose_time, 7), E(adjust_plus, 6),   E(adjust_plus, 7),
         E(sharp, 6),         E(sharp, 7),       E(contrast, 6),      E(contrast, 7),
         F(shake_erase_time), F(stored_value_a), F(temp_alarm_clamp), F(stop_detect_protect)};
    add("system6");
    s = {F(serial_port),        F(enable_color_camera), F(enable_gray_channel), F(snap_shot),
         E(output_inverted, 0), E(output_inverted, 1),  E(output_inverted, 2),  F(prohibit_optimize),
         E(output_inverted, 3), F(factory_param),       F(template_is_ng),      F(io_stored_only),
         F(show_roi_live),      F(show_cavity_no)};
    R(output_inverted, 4, 8);
    s.push_back(F(enable_white_num));
    add("system7", true);
    s = {F(multi_step_count)};
    R(multi_trig_choice, 0, 7);
    R(multi_cut_mode, 0, 7);
    s.push_back(F(is_cut_ontime_thimble));
    s.push_back(F(log_to_file));
    s.push_back(F(enable_direction));
    add("system8", true);
    R(multi_trig_row, 0, 7);
    s.push_back(F(cut_clamp_on_mold_alarm));
    s.push_back(F(detect_any_order));
    s.push_back(F(re_check_delay));
    s.push_back(F(cavity_trigger_recheck));
    for (int i = 13; i <= 20; ++i) s.push_back(kReserve);
    add("system9", true);
    R(custom_input_func, 0, 7);
    R(custom_output_func, 0, 7);
    s.push_back(F(cavity_ng_clamp));
    for (int i = 18; i <= 20; ++i) s.push_back(kReserve);
    add("system10", true);
    R(temp_limit_min, 0, 7);
    R(temp_limit_max, 0, 7);
    for (int i = 17; i <= 20; ++i) s.push_back(kReserve);
    add("system11", true);
    s = {F(cnt_net_on), F(video_share_mode), F(video_rate_index), F(ng_video_on),
         F(sms_on),     F(cavity_count),     F(product_count),    F(product_serial)};
    add("CntNet");
    return keys;
}

const std::vector<ParaIntKey>& loadOrder() {
    static const std::vector<ParaIntKey> keys = buildLoadOrder();
    return keys;
}

std::vector<ParaIntKey> buildSaveOrder() {
    const std::vector<ParaIntKey>& load = loadOrder();
    static const char* const order[] = {
        "trigInDelay", "exposeTime", "sharp",   "contrast", "adjustPlus", "numFailDetect", "numAllDetect",
        "isPswUsed",   "system1",    "system2", "system3",  "system4",    "system5",       "system6",
        "system7",     "system8",    "system9", "system10", "system11",   "CntNet"};
    std::vector<ParaIntKey> keys;
    for (const char* name : order)
        for (const ParaIntKey& k : load)
            if (std::strcmp(k.name, name) == 0) keys.push_back(k);
    return keys;
}

#undef F
#undef E
#undef R
}  // namespace

const std::vector<ParaIntKey>& paraIntKeys(ParaKeyOrder order) {
    if (order == ParaKeyOrder::Load) return loadOrder();
    static const std::vector<ParaIntKey> save = buildSaveOrder();
    return save;
}

const std::vector<ParaTextKey>& paraTextKeys() {
    static const std::vector<ParaTextKey> keys = {
        {"password", offsetof(WizardPara, password)},
        {"CntNet_UseName", offsetof(WizardPara, CntNet_UseName)},
        {"CntNet_MsgTechName", offsetof(WizardPara, CntNet_MsgTechName)},
        {"CntNet_MsgTechNum", offsetof(WizardPara, CntNet_MsgTechNum)},
        {"CntNet_ProName", offsetof(WizardPara, CntNet_ProName)},
        {"CntNet_Operator", offsetof(WizardPara, CntNet_Operator)},
    };
    return keys;
}

const ParaIntKey* findParaKey(const QString& name) {
    for (const ParaIntKey& k : paraIntKeys(ParaKeyOrder::Load))
        if (name == QLatin1String(k.name)) return &k;
    return nullptr;
}
