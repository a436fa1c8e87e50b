#include "wizardpara.h"

#include "parametermanager.h"
#include "paramhooks.h"

int gDNum = 2;
char gSerialNB[8][kSerialLen] = {};
int gCamNO[8] = {0, 1, 2, 3, 4, 5, 6, 7};
const int TriginNo[8] = {1, 3, 4, 5, 6, 7, 8, 9};
QString gaName[kSignalNames];
int gLoadMouldSide = 0;

WizardPara::WizardPara() {
    std::memset(static_cast<void*>(this), 0, sizeof(WizardPara));
    re_check_delay = 10;
    step_enable[1] = 1;
    video_share_mode = 1;
    video_rate_index = 3;
    product_serial = 10000;
    cavity_count = 6;
    product_count = 1;
    multi_step_count = 2;
    para_group_index = 0;
}

namespace {
#define ONE(f) \
    { #f, offsetof(WizardPara, f), 1, false }
#define ARR(f) \
    { #f, offsetof(WizardPara, f), int(sizeof(WizardPara::f) / sizeof(int32_t)), false }
#define TEXT(f) \
    { #f, offsetof(WizardPara, f), 1, true }
const ParaFieldInfo kFields[] = {
    ARR(expose_time),
    ARR(adjust_plus),
    ARR(sharp),
    ARR(contrast),
    ARR(gamma),
    ARR(trig_in_delay),
    ARR(step_input),
    ARR(input_inverted),
    ARR(output_inverted),
    ONE(semi_auto),
    ARR(step_enable),
    ONE(enabe_two_test),
    ONE(enable_stop_mold),
    ONE(enable_correct),
    ONE(mold_cutoff),
    ONE(is_psw_used),
    ONE(enable_screen_alert),
    ONE(template_auto_update),
    ONE(enable_prod_detect),
    ONE(re_check_delay),
    ONE(serial_count),
    ONE(max_mold_num),
    ONE(ng_max_num),
    ONE(ok_record_max_num),
    ONE(screen_off_time),
    ONE(capture_speed),
    ONE(difference_multiplier),
    ONE(auto_cancel_timelen),
    ONE(front_mold_timelen),
    ONE(front_auto_check_time),
    ONE(thimble_pulse),
    ONE(mold_pulse),
    ONE(input_timeout_len),
    ONE(shake_erase_time),
    ONE(minimum_size),
    ONE(minimum_area),
    ONE(enable_cutoff_ontime),
    ONE(enable_stop_not_alarm),
    ONE(cavity_ng_clamp),
    ONE(enable_output_thimble_pulse),
    ONE(is_cut_ontime),
    ONE(is_cut_ontime_thimble),
    ONE(ok_ng_pulse),
    ONE(cut_thimble_on_prod_alarm),
    ONE(cut_clamp_on_mold_alarm),
    ONE(detect_any_order),
    ONE(cavity_trigger_recheck),
    ONE(enable_pass_protect),
    ONE(temp_add_protect),
    ONE(ignore_point_protect),
    ONE(stop_detect_protect),
    ONE(enable_disarm_before_open),
    ONE(enable_defect_detect),
    ONE(enable_spot_detect),
    ONE(enable_ignore_area),
    ONE(enable_manual_edit),
    ONE(enable_display_detail),
    ONE(enable_trigger_safety),
    ONE(enable_one_not_mold),
    ONE(auto_region),
    ONE(stored_value_a),
    ONE(enable_mold_backup),
    ONE(location_adge),
    ONE(template_is_ng),
    ONE(show_roi_live),
    ONE(show_cavity_no),
    ONE(log_to_file),
    ONE(temp_alarm_clamp),
    ONE(serial_port),
    ONE(enable_color_camera),
    ONE(enable_gray_channel),
    ONE(prohibit_optimize),
    ONE(min_spot),
    ONE(snap_shot),
    ONE(factory_param),
    ONE(detect_mode),
    ONE(detect_mode_next),
    ONE(cavity_pos),
    ONE(pre_cut),
    ONE(auto_exposure),
    ONE(auto_shading),
    ONE(save_ok_record),
    ONE(enable_black_area),
    ONE(enable_white_area),
    ONE(enable_white_num),
    ONE(enable_direction),
    ONE(enable_similarity),
    ONE(match_angle),
    ONE(reserve_value),
    TEXT(password),
    ONE(enable_network),
    ARR(local_addr),
    ARR(mask),
    ARR(gateway),
    ONE(cnt_net_on),
    TEXT(CntNet_UseName),
    ONE(video_share_mode),
    ONE(video_rate_index),
    ONE(ng_video_on),
    ONE(sms_on),
    TEXT(CntNet_MsgTechName),
    TEXT(CntNet_MsgTechNum),
    TEXT(CntNet_ProName),
    ONE(product_serial),
    ONE(cavity_count),
    ONE(product_count),
    TEXT(CntNet_Operator),
    ONE(io_stored_only),
    ONE(multi_step_count),
    ARR(multi_trig_row),
    ARR(multi_trig_choice),
    ARR(multi_cut_mode),
    ARR(multi_trig_row_run),
    ARR(custom_input_func),
    ARR(custom_output_func),
    ONE(step_count_run),
    ONE(external_trigger),
    ARR(temp_limit_min),
    ARR(temp_limit_max),
    ONE(para_group_index),
};
#undef ONE
#undef ARR
#undef TEXT
}  // namespace

const ParaFieldInfo* paraFields(int* count) {
    if (count) *count = int(sizeof(kFields) / sizeof(kFields[0]));
    return kFields;
}

const ParaFieldInfo* findParaField(const char* name) {
    for (const ParaFieldInfo& f : kFields)
        if (std::strcmp(f.name, name) == 0) return &f;
    return nullptr;
}

void resetParamGlobals() {
    ParameterManager::destroyInstance();
    resetParamHooks();
    gDNum = 2;
    std::memset(gSerialNB, 0, sizeof(gSerialNB));
    for (int i = 0; i < 8; ++i) gCamNO[i] = i;
    for (QString& s : gaName) s.clear();
    gLoadMouldSide = 0;
}
