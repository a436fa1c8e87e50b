// The parameter record on its own: defaults, whole-record copy and comparison, the load rules and the
// derivation of the running procedure.
#include <QtTest>
#include <climits>

#include "app/globals.h"
#include "app/paramkeys.h"
#include "app/wizardpara.h"

namespace {
int32_t& field(WizardPara& p, const char* name, int index = 0) {
    const ParaFieldInfo* f = findParaField(name);
    if (!f) qFatal("no field %s", name);
    return *paraInt(p, *f, index);
}
}  // namespace

class TestWizardPara : public QObject {
    Q_OBJECT
private slots:
    void init() { resetParamGlobals(); }

    void constructorDefaults_data();
    void constructorDefaults();
    void fieldTableCoversTheRecord();
    void storedPositionsAreDistinct();
    void storedLayout_data();
    void storedLayout();
    void copyThenCompare_data();
    void copyThenCompare();
    void detectionFunctionRule_data();
    void detectionFunctionRule();
    void loadRules_data();
    void loadRules();
    void standardProcedures_data();
    void standardProcedures();
    void twoColourAndTurntable_data();
    void twoColourAndTurntable();
    void multiDetection_data();
    void multiDetection();
};

void TestWizardPara::constructorDefaults_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("expected");
    QTest::newRow("re_check_delay") << "re_check_delay" << 0 << 10;
    QTest::newRow("step_enable[0]") << "step_enable" << 0 << 0;
    QTest::newRow("step_enable[1]") << "step_enable" << 1 << 1;
    QTest::newRow("video_share_mode") << "video_share_mode" << 0 << 1;
    QTest::newRow("video_rate_index") << "video_rate_index" << 0 << 3;
    QTest::newRow("product_serial") << "product_serial" << 0 << 10000;
    QTest::newRow("cavity_count") << "cavity_count" << 0 << 6;
    QTest::newRow("product_count") << "product_count" << 0 << 1;
    QTest::newRow("multi_step_count") << "multi_step_count" << 0 << 2;
    QTest::newRow("para_group_index") << "para_group_index" << 0 << 0;
    QTest::newRow("contrast[7]") << "contrast" << 7 << 0;
    QTest::newRow("cnt_net_on") << "cnt_net_on" << 0 << 0;
    QTest::newRow("enable_correct") << "enable_correct" << 0 << 0;
}

void TestWizardPara::constructorDefaults() {
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(int, expected);
    WizardPara p;
    QCOMPARE(field(p, name.toLatin1().constData(), index), expected);
    QCOMPARE(p.password[0], '\0');
    QCOMPARE(p.CntNet_Operator[99], '\0');
}

void TestWizardPara::fieldTableCoversTheRecord() {
    int n = 0;
    const ParaFieldInfo* f = paraFields(&n);
    size_t bytes = 0, lastEnd = 0;
    for (int i = 0; i < n; ++i) {
        const size_t size = f[i].text ? size_t(kParaTextLen) : sizeof(int32_t) * size_t(f[i].count);
        QVERIFY2(f[i].offset >= lastEnd, f[i].name);  // declaration order, no overlap
        lastEnd = f[i].offset + size;
        bytes += size;
    }
    // Everything but the reserved slots (1 + 10 + 1 + 1 + 8 + 8 ints).
    QCOMPARE(bytes + 29 * sizeof(int32_t), sizeof(WizardPara));
    QCOMPARE(lastEnd, sizeof(WizardPara));
}

void TestWizardPara::storedPositionsAreDistinct() {
    // No two stored positions name the same field element (reserve_value and the language excepted).
    QSet<size_t> seen;
    int count = 0;
    for (const ParaIntKey& key : paraIntKeys(ParaKeyOrder::Load))
        for (const ParaSlot& s : key.values) {
            ++count;
            if (s.kind != ParaSlot::Field) continue;
            QVERIFY2(!seen.contains(s.offset), key.name);
            seen.insert(s.offset);
        }
    QCOMPARE(count, 227);
    QCOMPARE(paraIntKeys(ParaKeyOrder::Load).size(), size_t(20));
    QCOMPARE(paraIntKeys(ParaKeyOrder::Save).size(), size_t(20));
    QCOMPARE(paraTextKeys().size(), size_t(6));
}

void TestWizardPara::storedLayout_data() {
    // The value of each key, position by position: "f[a-b]" elements a to b, "f[i]" one element, "f" a
    // plain field, "gLan" the language, "f*n" the field n times.
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("layout");
    QTest::newRow("trigInDelay") << "trigInDelay"
                                 << "trig_in_delay[0-7]";
    QTest::newRow("exposeTime") << "exposeTime"
                                << "expose_time[0-3]";
    QTest::newRow("adjustPlus") << "adjustPlus"
                                << "adjust_plus[0-3]";
    QTest::newRow("numFailDetect") << "numFailDetect"
                                   << "detect_mode_next cavity_pos auto_exposure auto_shading save_ok_record "
                                      "enable_black_area enable_white_area enable_similarity";
    QTest::newRow("numAllDetect") << "numAllDetect"
                                  << "gamma[0-7]";
    QTest::newRow("isPswUsed") << "isPswUsed"
                               << "is_psw_used";
    QTest::newRow("system1")
        << "system1"
        << "semi_auto enable_prod_detect enabe_two_test enable_correct enable_stop_mold "
           "enable_screen_alert pre_cut front_auto_check_time ok_record_max_num auto_region";
    QTest::newRow("system2")
        << "system2"
        << "mold_cutoff max_mold_num min_spot ng_max_num thimble_pulse mold_pulse "
           "enable_stop_not_alarm is_cut_ontime enable_cutoff_ontime enable_pass_protect "
           "temp_add_protect ignore_point_protect gLan enable_mold_backup location_adge "
           "screen_off_time capture_speed input_timeout_len";
    QTest::newRow("system3")
        << "system3"
        << "enable_output_thimble_pulse enable_disarm_before_open difference_multiplier "
           "enable_defect_detect enable_spot_detect enable_ignore_area enable_manual_edit "
           "enable_display_detail auto_cancel_timelen enable_one_not_mold enable_trigger_safety";
    QTest::newRow("system4") << "system4"
                             << "template_auto_update local_addr[0-3] mask[0-3] gateway[0-3] minimum_size "
                                "minimum_area";
    QTest::newRow("sharp") << "sharp"
                           << "sharp[0-3]";
    QTest::newRow("contrast") << "contrast"
                              << "contrast[0-3]";
    QTest::newRow("system5")
        << "system5"
        << "expose_time[4-5] adjust_plus[4-5] sharp[4-5] contrast[4-5] ok_ng_pulse match_angle "
           "cut_thimble_on_prod_alarm external_trigger";
    QTest::newRow("system6") << "system6"
                             << "expose_time[6-7] adjust_plus[6-7] sharp[6-7] contrast[6-7] shake_erase_time "
                                "stored_value_a temp_alarm_clamp stop_detect_protect";
    QTest::newRow("system7")
        << "system7"
        << "serial_port enable_color_camera enable_gray_channel snap_shot output_inverted[0-2] "
           "prohibit_optimize output_inverted[3] factory_param template_is_ng io_stored_only "
           "show_roi_live show_cavity_no output_inverted[4-8] enable_white_num";
    QTest::newRow("system8")
        << "system8"
        << "multi_step_count multi_trig_choice[0-7] multi_cut_mode[0-7] is_cut_ontime_thimble "
           "log_to_file enable_direction";
    QTest::newRow("system9") << "system9"
                             << "multi_trig_row[0-7] cut_clamp_on_mold_alarm detect_any_order re_check_delay "
                                "cavity_trigger_recheck reserve_value*8";
    QTest::newRow("system10")
        << "system10"
        << "custom_input_func[0-7] custom_output_func[0-7] cavity_ng_clamp reserve_value*3";
    QTest::newRow("system11") << "system11"
                              << "temp_limit_min[0-7] temp_limit_max[0-7] reserve_value*4";
    QTest::newRow("CntNet") << "CntNet"
                            << "cnt_net_on video_share_mode video_rate_index ng_video_on sms_on cavity_count "
                               "product_count product_serial";
}

void TestWizardPara::storedLayout() {
    QFETCH(QString, key);
    QFETCH(QString, layout);
    // Every integer element gets a value of its own.
    WizardPara p;
    int n = 0;
    const ParaFieldInfo* f = paraFields(&n);
    int v = 1000;
    for (int i = 0; i < n; ++i)
        if (!f[i].text)
            for (int e = 0; e < f[i].count; ++e) *paraInt(p, f[i], e) = v++;
    const int lan = 7;
    QStringList expected;
    static const QRegularExpression item(QStringLiteral("^(\\w+)(?:\\[(\\d)(?:-(\\d))?\\])?(?:\\*(\\d))?$"));
    for (const QString& tok : layout.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = item.match(tok);
        QVERIFY2(m.hasMatch(), qPrintable(tok));
        const QString name = m.captured(1);
        const int first = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
        const int last = m.captured(3).isEmpty() ? first : m.captured(3).toInt();
        const int times = m.captured(4).isEmpty() ? 1 : m.captured(4).toInt();
        for (int t = 0; t < times; ++t)
            for (int e = first; e <= last; ++e)
                expected << QString::number(
                    name == QLatin1String("gLan") ? lan : field(p, name.toLatin1().constData(), e));
    }
    const ParaIntKey* k = findParaKey(key);
    QVERIFY(k);
    QCOMPARE(formatParaKey(*k, p, lan), expected.join(QLatin1Char(' ')));
    // Loading the text back into a fresh record gives the same text.
    WizardPara back;
    loadParaKey(*k, expected.join(QLatin1Char(' ')), back);
    back.detect_mode_next = back.detect_mode;  // loaded into the one, saved from the other
    QCOMPARE(formatParaKey(*k, back, gLan), expected.join(QLatin1Char(' ')));
    gLan = 0;
}

void TestWizardPara::copyThenCompare_data() {
    QTest::addColumn<int>("offset");
    QTest::newRow("first byte") << 0;
    QTest::newRow("reserved slot") << int(offsetof(WizardPara, reserved_b) + 7);
    QTest::newRow("text after its NUL") << int(offsetof(WizardPara, password) + 50);
    QTest::newRow("last text byte") << int(offsetof(WizardPara, CntNet_Operator) + 99);
    QTest::newRow("last byte") << int(sizeof(WizardPara) - 1);
}

void TestWizardPara::copyThenCompare() {
    QFETCH(int, offset);
    WizardPara live;
    live.expose_time[3] = 1234;
    qstrcpy(live.password, "secret");
    live.password[60] = 'x';  // bytes after the NUL travel with the copy
    WizardPara work;
    QVERIFY(work != live);
    work = live;
    QVERIFY(work == live);
    reinterpret_cast<unsigned char*>(&work)[offset] ^= 0x01;
    QVERIFY(work != live);
}

void TestWizardPara::detectionFunctionRule_data() {
    QTest::addColumn<int>("setField");  // index into the list below, -1 none
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("expectedDefect");
    QTest::newRow("all off, direction on") << -1 << 1 << 1;
    QTest::newRow("all off, direction off") << -1 << 0 << 0;
    QTest::newRow("spot on, direction on") << 0 << 1 << 0;
    QTest::newRow("black area on") << 1 << 1 << 0;
    QTest::newRow("white area on") << 2 << 1 << 0;
    QTest::newRow("similarity on") << 3 << 1 << 0;
    QTest::newRow("white number on") << 4 << 1 << 0;
}

void TestWizardPara::detectionFunctionRule() {
    QFETCH(int, setField);
    QFETCH(int, direction);
    QFETCH(int, expectedDefect);
    static const char* const names[] = {"enable_spot_detect", "enable_black_area", "enable_white_area",
                                        "enable_similarity", "enable_white_num"};
    WizardPara p;
    if (setField >= 0) field(p, names[setField]) = 1;
    p.enable_direction = direction;
    p.ApplyLoadRules();
    QCOMPARE(p.enable_defect_detect, expectedDefect);
}

void TestWizardPara::loadRules_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("expected");
    QTest::newRow("exposure negative") << "expose_time" << 0 << -5 << 30;
    QTest::newRow("exposure 10000 kept") << "expose_time" << 7 << 10000 << 10000;
    QTest::newRow("gain above") << "adjust_plus" << 5 << 10001 << 32;
    QTest::newRow("sharp above") << "sharp" << 6 << 20000 << 0;
    QTest::newRow("contrast 0") << "contrast" << 0 << 0 << 100;
    QTest::newRow("contrast 1 kept") << "contrast" << 1 << 1 << 1;
    QTest::newRow("gamma negative") << "gamma" << 4 << -1 << 100;
    QTest::newRow("correction -1 kept") << "enable_correct" << 0 << -1 << -1;
    QTest::newRow("correction 0 kept") << "enable_correct" << 0 << 0 << 0;
    QTest::newRow("correction 2") << "enable_correct" << 0 << 2 << -1;
    QTest::newRow("screen off 5") << "screen_off_time" << 0 << 5 << 600;
    QTest::newRow("screen off 0") << "screen_off_time" << 0 << 0 << 0;
    QTest::newRow("screen off 10") << "screen_off_time" << 0 << 10 << 10;
    QTest::newRow("screen off 9999") << "screen_off_time" << 0 << 9999 << 9999;
    QTest::newRow("screen off 10000") << "screen_off_time" << 0 << 10000 << 600;
    QTest::newRow("procedure 7") << "detect_mode" << 0 << 7 << 0;
    QTest::newRow("procedure 5 kept") << "detect_mode" << 0 << 5 << 5;
    QTest::newRow("multi steps 9") << "multi_step_count" << 0 << 9 << 2;
    QTest::newRow("multi steps 1") << "multi_step_count" << 0 << 1 << 2;
    QTest::newRow("multi steps 8") << "multi_step_count" << 0 << 8 << 8;
    QTest::newRow("offset 0") << "location_adge" << 0 << 0 << 8000;
    QTest::newRow("min spot 101") << "min_spot" << 0 << 101 << 3;
    QTest::newRow("minimum area 0") << "minimum_area" << 0 << 0 << 100;
    QTest::newRow("templates 0") << "max_mold_num" << 0 << 0 << 10;
    QTest::newRow("speed 101") << "capture_speed" << 0 << 101 << 12;
    QTest::newRow("input timeout") << "input_timeout_len" << 0 << 100000001 << 60;
    QTest::newRow("angle 181") << "match_angle" << 0 << 181 << 0;
    QTest::newRow("amplify 5") << "difference_multiplier" << 0 << 5 << 0;
    QTest::newRow("port 101") << "serial_port" << 0 << 101 << 0;
    QTest::newRow("reserve") << "reserve_value" << 0 << -3 << 0;
    QTest::newRow("input function 15 kept") << "custom_input_func" << 3 << 15 << 15;
    QTest::newRow("input function 16") << "custom_input_func" << 3 << 16 << 0;
    QTest::newRow("input function negative") << "custom_input_func" << 0 << -1 << 0;
    QTest::newRow("output function 13 kept") << "custom_output_func" << 7 << 13 << 13;
    QTest::newRow("output function 14") << "custom_output_func" << 7 << 14 << 0;
    // Absurd values of what the cycle multiplies into timer lengths or subtracts from 1.
    QTest::newRow("delay negative") << "trig_in_delay" << 2 << -7 << 0;
    QTest::newRow("delay INT_MAX") << "trig_in_delay" << 7 << INT_MAX << 0;
    QTest::newRow("delay 10000 kept") << "trig_in_delay" << 0 << 10000 << 10000;
    QTest::newRow("confirmation INT_MAX") << "shake_erase_time" << 0 << INT_MAX << 0;
    QTest::newRow("confirmation INT_MIN") << "shake_erase_time" << 0 << INT_MIN << 0;
    QTest::newRow("confirmation 100 kept") << "shake_erase_time" << 0 << 100 << 100;
    QTest::newRow("re-check delay INT_MIN") << "re_check_delay" << 0 << INT_MIN << 10;
    QTest::newRow("re-check delay 0 kept") << "re_check_delay" << 0 << 0 << 0;
    QTest::newRow("no optimisation INT_MIN") << "prohibit_optimize" << 0 << INT_MIN << 1;
    QTest::newRow("no optimisation -1") << "prohibit_optimize" << 0 << -1 << 1;
    QTest::newRow("no optimisation 0 kept") << "prohibit_optimize" << 0 << 0 << 0;
    QTest::newRow("input timeout INT_MIN") << "input_timeout_len" << 0 << INT_MIN << 60;
}

void TestWizardPara::loadRules() {
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(int, stored);
    QFETCH(int, expected);
    WizardPara p;
    for (int i = 0; i < 8; ++i) p.contrast[i] = p.gamma[i] = 100;
    field(p, name.toLatin1().constData(), index) = stored;
    p.ApplyLoadRules();
    QCOMPARE(field(p, name.toLatin1().constData(), index), expected);
    if (name == QLatin1String("detect_mode")) QCOMPARE(p.detect_mode_next, expected);
}

void TestWizardPara::standardProcedures_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("semiAuto");
    QTest::addColumn<int>("prod");
    QTest::addColumn<int>("stopNotAlarm");
    QTest::addColumn<int>("input1");
    QTest::addColumn<int>("polarity");  // outputs 4-7
    QTest::addColumn<int>("recheck");   // front_auto_check_time after
    QTest::newRow("standard") << 0 << 0 << 1 << 0 << 0 << 1 << 5;
    QTest::newRow("standard semi-auto") << 0 << 1 << 0 << 1 << 2 << 0 << 5;
    QTest::newRow("automatic parts") << 3 << 0 << 1 << 1 << 0 << 0 << 5;
    QTest::newRow("automatic parts semi-auto") << 3 << 1 << 1 << 0 << 2 << 1 << 5;
    QTest::newRow("no cavity re-check") << 5 << 0 << 1 << 0 << 0 << 1 << 0;
    QTest::newRow("no cavity re-check semi-auto") << 5 << 1 << 0 << 0 << 2 << 1 << 0;
}

void TestWizardPara::standardProcedures() {
    QFETCH(int, mode);
    QFETCH(int, semiAuto);
    QFETCH(int, prod);
    QFETCH(int, stopNotAlarm);
    QFETCH(int, input1);
    QFETCH(int, polarity);
    QFETCH(int, recheck);
    WizardPara p;
    p.detect_mode = mode;
    p.semi_auto = semiAuto;
    p.enable_prod_detect = prod;
    p.enable_stop_not_alarm = stopNotAlarm;
    p.front_auto_check_time = 5;
    p.step_enable[3] = 1;  // left over from another procedure
    int side = 7;
    QCOMPARE(p.DeriveProcedure(&side), 2);
    QCOMPARE(side, 7);
    QCOMPARE(p.step_count_run, 4);
    QCOMPARE(p.step_enable[0], prod);
    QCOMPARE(p.step_enable[1], 1);
    QCOMPARE(p.step_enable[3], 0);
    QCOMPARE(p.step_input[0], 0);
    QCOMPARE(p.step_input[1], input1);
    for (int o = 4; o < 8; ++o) QCOMPARE(p.output_inverted[o], polarity);
    QCOMPARE(p.output_inverted[8], 0);
    QCOMPARE(p.front_auto_check_time, recheck);
}

void TestWizardPara::twoColourAndTurntable_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("cavity");
    QTest::addColumn<int>("prod");
    QTest::addColumn<int>("semiAuto");
    QTest::addColumn<QString>("enable");  // steps 0-3
    QTest::addColumn<int>("side");        // 9: unchanged
    QTest::addColumn<int>("input0");
    QTest::addColumn<int>("input1");
    QTest::addColumn<int>("cavityAfter");
    QTest::newRow("two-colour left") << 1 << 0 << 1 << 0 << "1100" << 1 << 0 << 2 << 0;
    QTest::newRow("two-colour left no prod") << 1 << 0 << 0 << 1 << "0100" << 1 << 0 << 2 << 0;
    QTest::newRow("two-colour right") << 1 << 1 << 1 << 0 << "0011" << 0 << 0 << 3 << 1;
    QTest::newRow("two-colour right no prod") << 1 << 1 << 0 << 0 << "0001" << 0 << 0 << 3 << 1;
    QTest::newRow("two-colour all") << 1 << 2 << 1 << 1 << "1111" << 9 << 0 << 255 << 2;
    QTest::newRow("two-colour 3 is all") << 1 << 3 << 0 << 0 << "0101" << 9 << 0 << 255 << 3;
    QTest::newRow("two-colour 7 is left") << 1 << 7 << 1 << 0 << "1100" << 1 << 0 << 2 << 0;
    QTest::newRow("turntable left") << 2 << 0 << 1 << 0 << "1100" << 1 << 0 << 0 << 0;
    QTest::newRow("turntable left semi-auto") << 2 << 0 << 1 << 1 << "1100" << 1 << 0 << 2 << 0;
    QTest::newRow("turntable right") << 2 << 1 << 1 << 0 << "0011" << 0 << 3 << 3 << 1;
    QTest::newRow("turntable right semi-auto") << 2 << 1 << 0 << 1 << "0001" << 0 << 3 << 2 << 1;
    QTest::newRow("turntable all") << 2 << 2 << 1 << 0 << "1111" << 9 << 255 << 255 << 2;
    QTest::newRow("turntable all semi-auto") << 2 << 2 << 0 << 1 << "0101" << 9 << 255 << 2 << 2;
    QTest::newRow("turntable negative is left") << 2 << -1 << 1 << 0 << "1100" << 1 << 0 << 0 << 0;
}

void TestWizardPara::twoColourAndTurntable() {
    QFETCH(int, mode);
    QFETCH(int, cavity);
    QFETCH(int, prod);
    QFETCH(int, semiAuto);
    QFETCH(QString, enable);
    QFETCH(int, side);
    QFETCH(int, input0);
    QFETCH(int, input1);
    QFETCH(int, cavityAfter);
    WizardPara p;
    p.detect_mode = mode;
    p.cavity_pos = cavity;
    p.enable_prod_detect = prod;
    p.semi_auto = semiAuto;
    p.step_enable[5] = 1;
    int mould = 9;
    QCOMPARE(p.DeriveProcedure(&mould), 4);
    QCOMPARE(p.step_count_run, 4);
    for (int s = 0; s < 4; ++s) QCOMPARE(p.step_enable[s], enable.at(s) == QLatin1Char('1') ? 1 : 0);
    QCOMPARE(p.step_enable[5], 0);
    QCOMPARE(mould, side);
    QCOMPARE(p.step_input[0], input0);
    QCOMPARE(p.step_input[1], input1);
    QCOMPARE(p.cavity_pos, cavityAfter);
    for (int o = 4; o < 8; ++o) QCOMPARE(p.output_inverted[o], 0);  // only the standard procedures set them
}

void TestWizardPara::multiDetection_data() {
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("prod");
    QTest::addColumn<QList<int>>("rows");     // multi_trig_row
    QTest::addColumn<QList<int>>("choices");  // multi_trig_choice
    QTest::addColumn<QList<int>>("enable");
    QTest::addColumn<QList<int>>("input");
    const QList<int> choices = {0, 1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("two steps") << 2 << 1 << QList<int>{0, 1, 0, 0, 0, 0, 0, 0} << choices
                               << QList<int>{1, 1, 0, 0, 0, 0, 0, 0}
                               << QList<int>{0, 2, -1, -1, -1, -1, -1, -1};
    QTest::newRow("no trigger row") << 3 << 1 << QList<int>{7, -1, 2, 0, 0, 0, 0, 0} << choices
                                    << QList<int>{1, 0, 1, 0, 0, 0, 0, 0}
                                    << QList<int>{8, -1, 3, -1, -1, -1, -1, -1};
    QTest::newRow("step 0 without product detection")
        << 2 << 0 << QList<int>{0, 1, 0, 0, 0, 0, 0, 0} << choices << QList<int>{0, 1, 0, 0, 0, 0, 0, 0}
        << QList<int>{-1, 2, -1, -1, -1, -1, -1, -1};
    QTest::newRow("row out of range")
        << 2 << 1 << QList<int>{8, -2, 0, 0, 0, 0, 0, 0} << choices << QList<int>{0, 0, 0, 0, 0, 0, 0, 0}
        << QList<int>{-1, -1, -1, -1, -1, -1, -1, -1};
    QTest::newRow("choice out of range")
        << 2 << 1 << QList<int>{0, 1, 0, 0, 0, 0, 0, 0} << QList<int>{8, -1, 0, 0, 0, 0, 0, 0}
        << QList<int>{0, 0, 0, 0, 0, 0, 0, 0} << QList<int>{-1, -1, -1, -1, -1, -1, -1, -1};
    QTest::newRow("eight steps") << 8 << 1 << QList<int>{7, 6, 5, 4, 3, 2, 1, 0} << choices
                                 << QList<int>{1, 1, 1, 1, 1, 1, 1, 1} << QList<int>{8, 7, 6, 5, 4, 3, 2, 0};
}

void TestWizardPara::multiDetection() {
    QFETCH(int, steps);
    QFETCH(int, prod);
    QFETCH(QList<int>, rows);
    QFETCH(QList<int>, choices);
    QFETCH(QList<int>, enable);
    QFETCH(QList<int>, input);
    WizardPara p;
    p.detect_mode = kDetectMulti;
    p.multi_step_count = steps;
    p.enable_prod_detect = prod;
    for (int i = 0; i < 8; ++i) {
        p.multi_trig_row[i] = rows[i];
        p.multi_trig_choice[i] = choices[i];
        p.step_enable[i] = 1;
    }
    int mould = 9;
    QCOMPARE(p.DeriveProcedure(&mould), steps);
    QCOMPARE(mould, 9);
    QCOMPARE(p.step_count_run, steps);
    for (int s = 0; s < 8; ++s) {
        QCOMPARE(p.step_enable[s], enable[s]);
        QCOMPARE(p.step_input[s], input[s]);
        if (s < steps) QCOMPARE(p.multi_trig_row_run[s], rows[s]);
    }
}

QTEST_GUILESS_MAIN(TestWizardPara)
#include "tst_wizardpara.moc"
