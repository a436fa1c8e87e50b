#pragma once
// The parameter record: every operator setting of the monitor in one plain record of 32-bit integers and
// six 100-byte texts. It holds no pointers and no padding, so it is copied with a byte copy and compared
// with a byte comparison (the bytes after a text's NUL take part in both). Two instances exist: the live
// record gpWPara and the settings dialog's working copy gpWParaBak (app/globals.h).
//
// Storage in PARAM.db (table sysparam) and SN.db: wizardpara.cpp; the connections: parametermanager.h.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

class QSqlQuery;

constexpr int kParaTextLen = 100;  // size of each text field, NUL included
constexpr int kSerialLen = 100;    // size of one camera binding text, NUL included
constexpr int kSignalNames = 18;   // entries of gaName

// Characters of one signal name taken from "name.txt".
constexpr int kSignalNameMax = 64;

// Execution procedure (DetectMode).
enum DetectModeValue {
    kDetectStandard = 0,
    kDetectTwoColour = 1,
    kDetectTurntable = 2,
    kDetectAutoParts = 3,
    kDetectMulti = 4,
    kDetectStandardNoRecheck = 5,
};

struct WizardPara {
    WizardPara();
    ~WizardPara() = default;
    WizardPara(const WizardPara&) = default;
    WizardPara& operator=(const WizardPara&) = default;

    // Whole-record byte comparison: true when nothing differs, text bytes after the NUL included.
    bool operator==(const WizardPara& o) const { return std::memcmp(this, &o, sizeof(WizardPara)) == 0; }
    bool operator!=(const WizardPara& o) const { return !(*this == o); }

    // Storage. Load reads the record from PARAM.db with the load rules, derives the running procedure
    // (sets gDNum) and fills gaName. Save writes every key in one transaction and returns false when any
    // statement failed (the database then keeps its previous content).
    // A failed save is told to the operator (app/savereport.h) unless `report` is false: then the caller
    // tells it, in its own box and record.
    void LoadDatafromFile(QSqlQuery query);
    bool SaveDatatoFile(QSqlQuery query, bool report = true);
    // The save without the network bridge: every key in one transaction, `lan` as the stored language.
    bool WriteRows(QSqlQuery query, int lan) const;
    // Inserts the row `key` with value "0" when it is missing. False when the database fails.
    bool SaveChkDBItem(QSqlQuery query, const QString& key);
    // Writes para_group_index to "sysadd.txt" followed by a line feed. False when it cannot be written.
    bool SaveAddFile();
    // Reads the camera bindings of SN.db into gSerialNB and counts them into serial_count.
    void LoadSN(QSqlQuery query);

    // The load rules on their own (steps 4 to 6 of the load: per-camera clamps, range rules, detection
    // function rule, index clamps). gLan is corrected too.
    void ApplyLoadRules();
    // Derives step_count_run, step_enable, step_input and multi_trig_row_run (and the procedure's
    // output polarities) from detect_mode. Returns the step count of the procedure (the value of gDNum);
    // *mouldSide becomes 1 (left) or 0 (right) in the two-colour and turntable procedures with one mould
    // selected and is left unchanged otherwise. Used by the load and by the settings commit.
    int DeriveProcedure(int* mouldSide);

    // Fields, in declaration order. Per-camera and per-step arrays have 8 elements.
    int32_t expose_time[8];
    int32_t adjust_plus[8];
    int32_t sharp[8];
    int32_t contrast[8];
    int32_t gamma[8];
    int32_t trig_in_delay[8];  // tenths of a second
    int32_t reserved_a;
    int32_t step_input[8];  // derived
    int32_t reserved_b[10];
    int32_t input_inverted[9];
    int32_t output_inverted[9];
    int32_t semi_auto;
    int32_t step_enable[8];  // derived
    int32_t enabe_two_test;
    int32_t enable_stop_mold;
    int32_t enable_correct;  // 0 on, -1 off
    int32_t mold_cutoff;
    int32_t is_psw_used;
    int32_t enable_screen_alert;
    int32_t template_auto_update;
    int32_t enable_prod_detect;
    int32_t re_check_delay;
    int32_t serial_count;  // set by LoadSN
    int32_t max_mold_num;
    int32_t ng_max_num;
    int32_t ok_record_max_num;
    int32_t screen_off_time;
    int32_t capture_speed;
    int32_t difference_multiplier;
    int32_t auto_cancel_timelen;
    int32_t front_mold_timelen;
    int32_t front_auto_check_time;
    int32_t thimble_pulse;
    int32_t mold_pulse;
    int32_t input_timeout_len;
    int32_t shake_erase_time;
    int32_t minimum_size;
    int32_t minimum_area;
    int32_t enable_cutoff_ontime;
    int32_t enable_stop_not_alarm;
    int32_t cavity_ng_clamp;
    int32_t enable_output_thimble_pulse;
    int32_t is_cut_ontime;
    int32_t is_cut_ontime_thimble;
    int32_t ok_ng_pulse;
    int32_t cut_thimble_on_prod_alarm;
    int32_t cut_clamp_on_mold_alarm;
    int32_t detect_any_order;
    int32_t cavity_trigger_recheck;
    int32_t enable_pass_protect;
    int32_t temp_add_protect;
    int32_t ignore_point_protect;
    int32_t stop_detect_protect;
    int32_t enable_disarm_before_open;
    int32_t enable_defect_detect;
    int32_t enable_spot_detect;
    int32_t enable_ignore_area;
    int32_t enable_manual_edit;
    int32_t enable_display_detail;
    int32_t enable_trigger_safety;
    int32_t enable_one_not_mold;
    int32_t auto_region;
    int32_t stored_value_a;
    int32_t enable_mold_backup;
    int32_t location_adge;
    int32_t template_is_ng;
    int32_t show_roi_live;
    int32_t show_cavity_no;
    int32_t log_to_file;
    int32_t temp_alarm_clamp;
    int32_t serial_port;
    int32_t enable_color_camera;
    int32_t enable_gray_channel;
    int32_t prohibit_optimize;
    int32_t min_spot;
    int32_t snap_shot;
    int32_t factory_param;
    int32_t detect_mode;       // the procedure running now (DetectModeValue)
    int32_t detect_mode_next;  // the procedure stored for the next start
    int32_t cavity_pos;        // 0 left mould, 1 right mould, 2 (or 3) all moulds
    int32_t pre_cut;
    int32_t auto_exposure;
    int32_t auto_shading;
    int32_t save_ok_record;
    int32_t enable_black_area;
    int32_t enable_white_area;
    int32_t enable_white_num;
    int32_t enable_direction;
    int32_t enable_similarity;
    int32_t match_angle;
    int32_t reserve_value;
    char password[kParaTextLen];
    int32_t enable_network;
    int32_t local_addr[4];
    int32_t mask[4];
    int32_t gateway[4];
    int32_t cnt_net_on;
    char CntNet_UseName[kParaTextLen];
    int32_t video_share_mode;
    int32_t video_rate_index;
    int32_t ng_video_on;
    int32_t sms_on;
    char CntNet_MsgTechName[kParaTextLen];
    char CntNet_MsgTechNum[kParaTextLen];
    char CntNet_ProName[kParaTextLen];
    int32_t product_serial;
    int32_t cavity_count;
    int32_t product_count;
    char CntNet_Operator[kParaTextLen];
    int32_t io_stored_only;
    int32_t multi_step_count;
    int32_t multi_trig_row[8];
    int32_t multi_trig_choice[8];
    int32_t multi_cut_mode[8];
    int32_t multi_trig_row_run[8];  // derived
    int32_t reserved_c;
    int32_t custom_input_func[8];   // InputFunction, 0-15
    int32_t custom_output_func[8];  // OutputFunction, 0-13
    int32_t step_count_run;         // derived
    int32_t reserved_d;
    int32_t external_trigger;
    int32_t temp_limit_min[8];
    int32_t reserved_e[8];
    int32_t temp_limit_max[8];
    int32_t reserved_f[8];
    int32_t para_group_index;
};

static_assert(std::is_trivially_copyable<WizardPara>::value, "WizardPara is copied bytewise");
static_assert(std::is_standard_layout<WizardPara>::value, "WizardPara is compared bytewise");
static_assert(kParaTextLen % 4 == 0, "text fields keep the integers aligned");
static_assert(offsetof(WizardPara, para_group_index) + sizeof(int32_t) == sizeof(WizardPara),
              "WizardPara has no padding");

// One entry per field of the record, in declaration order (reserved slots left out): the field's name,
// its byte offset, its element count and whether it is a text. The storage, the change record and the
// network bridge's JSON walk this table instead of keeping lists of their own.
struct ParaFieldInfo {
    const char* name;
    size_t offset;
    int count;  // elements of an int array (1 for a plain int); 1 for a text
    bool text;
};
const ParaFieldInfo* paraFields(int* count);
const ParaFieldInfo* findParaField(const char* name);
inline int32_t* paraInt(WizardPara& p, const ParaFieldInfo& f, int i = 0) {
    return reinterpret_cast<int32_t*>(reinterpret_cast<char*>(&p) + f.offset) + i;
}
inline const int32_t* paraInt(const WizardPara& p, const ParaFieldInfo& f, int i = 0) {
    return reinterpret_cast<const int32_t*>(reinterpret_cast<const char*>(&p) + f.offset) + i;
}

// Step count of the running procedure (2, 4 or multi_step_count), set by the parameter load.
extern int gDNum;
// Camera bindings: serial number of the camera shown in each screen slot ("0" for none), from SN.db.
extern char gSerialNB[8][kSerialLen];
// The slot chosen for each open camera (camera-reorder dialog); written back by SaveSN.
extern int gCamNO[8];
// Multi-detection trigger choices to physical inputs (1-based): choice j starts on input TriginNo[j].
extern const int TriginNo[8];
// Signal names of the running procedure: 0-3 inputs, 4-7 outputs (multi-detection: 0-8 inputs 0-8,
// 9-17 outputs 0-8). Filled by the load from "name.txt" or by the default naming.
extern QString gaName[kSignalNames];
// Current mould handed over by the load to the main window (two-colour and turntable procedures):
// 1 left mould, 0 right mould; 0 when the load hands nothing over.
extern int gLoadMouldSide;

// Back to the state before start-up, for tests in one binary: the globals above, the parameter
// manager (connections closed, records freed, gpWPara/gpWParaBak cleared) and the installed hooks.
void resetParamGlobals();
