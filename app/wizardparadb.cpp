// Storage of the parameter record in table sysparam of PARAM.db, the camera bindings of SN.db and the
// small files beside them ("sysadd.txt", "name.txt").
#include <QDebug>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QRegularExpression>
#include <QStringList>
#include <QVariant>
#include <vector>

#include "globals.h"
#include "paramhooks.h"
#include "paramkeys.h"
#include "savereport.h"
#include "wizardpara.h"

namespace {

const char* const kSysAddFile = "sysadd.txt";
const char* const kNameFile = "name.txt";

int32_t* slotField(WizardPara& p, const ParaSlot& s) {
    return reinterpret_cast<int32_t*>(reinterpret_cast<char*>(&p) + s.offset);
}

// Puts one loaded integer where the slot says.
void storeSlot(WizardPara& p, const ParaSlot& s, int32_t v) {
    switch (s.kind) {
        case ParaSlot::Field:
            *slotField(p, s) = v;
            break;
        case ParaSlot::Language:
            gLan = v;
            break;
        case ParaSlot::Reserve:
            p.reserve_value = v;
            break;
        case ParaSlot::Mode:
            p.detect_mode = v;
            break;
    }
}

int32_t savedSlot(const WizardPara& p, const ParaSlot& s, int lan) {
    switch (s.kind) {
        case ParaSlot::Field:
            return *reinterpret_cast<const int32_t*>(reinterpret_cast<const char*>(&p) + s.offset);
        case ParaSlot::Language:
            return lan;
        case ParaSlot::Reserve:
            return p.reserve_value;
        case ParaSlot::Mode:
            return p.detect_mode_next;
    }
    return 0;
}

// Reads whitespace-separated decimal integers; reading stops at the first token that is not one, and
// every value missing at the end reads as 0.
std::vector<int32_t> parseInts(const QString& text, int count) {
    std::vector<int32_t> out(size_t(count), 0);
    const QStringList tok = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (int i = 0; i < count && i < tok.size(); ++i) {
        bool ok = false;
        const int v = tok[i].toInt(&ok);
        if (!ok) break;
        out[size_t(i)] = v;
    }
    return out;
}

enum class Row { Found, Missing, Error };

// Reads the value of one row of sysparam.
Row selectValue(QSqlQuery& q, const QString& key, QString* value) {
    q.prepare(QStringLiteral("select value from sysparam where name=?"));
    q.addBindValue(key);
    if (!q.exec()) {
        qWarning().noquote() << "parameters: reading" << key << "failed:" << q.lastError().text();
        return Row::Error;
    }
    if (!q.next()) return Row::Missing;
    *value = q.value(0).toString();
    q.finish();
    return Row::Found;
}

bool insertRow(QSqlQuery& q, const QString& key, const QString& value) {
    q.prepare(QStringLiteral("insert into sysparam (name, value) values (?, ?)"));
    q.addBindValue(key);
    q.addBindValue(value);
    if (q.exec()) return true;
    qWarning().noquote() << "parameters: inserting" << key << "failed:" << q.lastError().text();
    return false;
}

// Writes one key: updates its rows, or inserts the row when there is none.
bool writeRow(QSqlQuery& q, const QString& key, const QString& value) {
    q.prepare(QStringLiteral("update sysparam set value=? where name=?"));
    q.addBindValue(value);
    q.addBindValue(key);
    if (!q.exec()) {
        qWarning().noquote() << "parameters: writing" << key << "failed:" << q.lastError().text();
        return false;
    }
    if (q.numRowsAffected() > 0) return true;
    return insertRow(q, key, value);
}

QString textOf(const char* field) {
    return QString::fromUtf8(field, int(qstrnlen(field, kParaTextLen)));
}

// Copies a text into a 100-byte field when it fits with its NUL; false (field unchanged) otherwise.
bool copyText(char* field, const QByteArray& bytes) {
    if (bytes.size() >= kParaTextLen) return false;
    std::memset(field, 0, kParaTextLen);
    std::memcpy(field, bytes.constData(), size_t(bytes.size()));
    return true;
}

// "sysadd.txt": the active parameter-group index; created as "0" (no line feed) when missing.
void loadGroupIndex(WizardPara& p) {
    p.para_group_index = 0;
    QFile f(QString::fromLatin1(kSysAddFile));
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray text = f.readAll().trimmed();
        bool ok = false;
        const int v = text.split(' ').value(0).toInt(&ok);
        if (ok) p.para_group_index = v;
        return;
    }
    saveFileReported(SavedFile::GroupIndex, QString::fromLatin1(kSysAddFile),
                     QByteArray::number(p.para_group_index));
}

// "name.txt": up to 8 lines, the signal names of inputs 0-3 and outputs 0-3. It describes the four-input
// layout only, so the multi-detection procedure always takes the default names.
void loadSignalNames(const WizardPara& p) {
    QFile f(QString::fromLatin1(kNameFile));
    if (p.detect_mode != kDetectMulti && f.open(QIODevice::ReadOnly)) {
        for (QString& s : gaName) s.clear();
        for (int i = 0; i < 8; ++i) {
            if (f.atEnd()) break;
            // A name is at most kSignalNameMax characters; the rest of a longer line is skipped, so
            // the following names stay on their own lines and an endless line is never held whole.
            QByteArray line = f.readLine(kSignalNameMax * 4 + 2);
            if (!line.endsWith('\n')) {
                while (!f.atEnd() && !f.readLine(4096).endsWith('\n')) {
                }
            }
            while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
            gaName[i] = QString::fromUtf8(line).left(kSignalNameMax);
        }
        return;
    }
    applyDefaultSignalNames(p);
}

template <typename T>
void correct(T& field, bool bad, T fallback, const char* name) {
    if (!bad) return;
    qInfo("parameters: %s %d out of range, set to %d", name, int(field), int(fallback));
    field = fallback;
}

uint32_t u(int32_t v) {
    return uint32_t(v);
}

}  // namespace

QString formatParaKey(const ParaIntKey& key, const WizardPara& p, int lan) {
    QStringList parts;
    parts.reserve(int(key.values.size()));
    for (const ParaSlot& s : key.values) parts << QString::number(savedSlot(p, s, lan));
    return parts.join(QLatin1Char(' '));
}

void loadParaKey(const ParaIntKey& key, const QString& value, WizardPara& p) {
    const std::vector<int32_t> v = parseInts(value, int(key.values.size()));
    for (size_t i = 0; i < key.values.size(); ++i) storeSlot(p, key.values[i], v[i]);
}

void WizardPara::ApplyLoadRules() {
    for (int i = 0; i < 8; ++i) {
        correct(expose_time[i], u(expose_time[i]) > 10000, 30, "expose_time");
        correct(adjust_plus[i], u(adjust_plus[i]) > 10000, 32, "adjust_plus");
        correct(sharp[i], u(sharp[i]) > 10000, 0, "sharp");
        correct(contrast[i], u(contrast[i]) - 1 > 9999, 100, "contrast");
        correct(gamma[i], u(gamma[i]) - 1 > 9999, 100, "gamma");
    }
    correct(multi_step_count, u(multi_step_count) - 2 > 6, 2, "multi_step_count");
    correct(detect_mode, u(detect_mode) > 5, 0, "detect_mode");
    detect_mode_next = detect_mode;
    correct(pre_cut, u(pre_cut) > 10000, 0, "pre_cut");
    correct(front_auto_check_time, u(front_auto_check_time) > 10000, 0, "front_auto_check_time");
    correct(minimum_size, u(minimum_size) - 1 > 99, 3, "minimum_size");
    correct(minimum_area, u(minimum_area) - 1 > 99999, 100, "minimum_area");
    correct(max_mold_num, u(max_mold_num) - 1 > 99, 10, "max_mold_num");
    correct(ng_max_num, u(ng_max_num) > 10000, 0, "ng_max_num");
    correct(ok_record_max_num, u(ok_record_max_num) > 10000, 0, "ok_record_max_num");
    correct(thimble_pulse, u(thimble_pulse) > 10000, 0, "thimble_pulse");
    correct(mold_pulse, u(mold_pulse) > 10000, 0, "mold_pulse");
    correct(enable_correct, enable_correct != 0 && enable_correct != -1, -1, "enable_correct");
    correct(match_angle, u(match_angle) > 180, 0, "match_angle");
    correct(auto_cancel_timelen, u(auto_cancel_timelen) > 10000, 0, "auto_cancel_timelen");
    correct(difference_multiplier, u(difference_multiplier) > 4, 0, "difference_multiplier");
    correct(location_adge, u(location_adge) - 1 > 7999, 8000, "location_adge");
    correct(screen_off_time, screen_off_time != 0 && u(screen_off_time) - 10 > 9989, 600, "screen_off_time");
    correct(capture_speed, u(capture_speed) > 100, 12, "capture_speed");
    correct(input_timeout_len, u(input_timeout_len) > 100000000, 60, "input_timeout_len");
    correct(serial_port, u(serial_port) > 100, 0, "serial_port");
    correct(min_spot, u(min_spot) - 1 > 99, 3, "min_spot");
    correct(reserve_value, u(reserve_value) > 100000000, 0, "reserve_value");
    // Values the cycle multiplies into timer lengths or sums (tenths of a second; the pages offer at
    // most 1000 s), and a switch the start-up subtracts from 1: out of range they would overflow.
    for (int i = 0; i < 8; ++i) correct(trig_in_delay[i], u(trig_in_delay[i]) > 10000, 0, "trig_in_delay");
    correct(re_check_delay, u(re_check_delay) > 10000, 10, "re_check_delay");
    correct(shake_erase_time, u(shake_erase_time) > 10000, 0, "shake_erase_time");
    correct(prohibit_optimize, u(prohibit_optimize) > 1, 1, "prohibit_optimize");
    // The multi-detection function choices index the name tables (16 inputs, 14 outputs).
    for (int j = 0; j < 8; ++j) {
        correct(custom_input_func[j], u(custom_input_func[j]) > 15, 0, "custom_input_func");
        correct(custom_output_func[j], u(custom_output_func[j]) > 13, 0, "custom_output_func");
    }
    if (!enable_defect_detect && !enable_spot_detect && !enable_black_area && !enable_white_area &&
        !enable_similarity && !enable_white_num && enable_direction)
        enable_defect_detect = 1;
}

int WizardPara::DeriveProcedure(int* mouldSide) {
    switch (detect_mode) {
        case kDetectTwoColour:
        case kDetectTurntable: {
            step_count_run = 4;
            if (u(cavity_pos) > 3) cavity_pos = 0;
            const int prod = enable_prod_detect ? 1 : 0;
            const bool turntable = detect_mode == kDetectTurntable;
            const int back = semi_auto ? 2 : -1;  // -1: the mould's own input
            auto enable = [this](int a, int b, int c, int d) {
                const int v[8] = {a, b, c, d, 0, 0, 0, 0};
                std::memcpy(step_enable, v, sizeof(step_enable));
            };
            if (cavity_pos == 0) {
                enable(prod, 1, 0, 0);
                if (mouldSide) *mouldSide = 1;
                step_input[0] = 0;
                step_input[1] = turntable ? (back < 0 ? 0 : back) : 2;
            } else if (cavity_pos == 1) {
                enable(0, 0, prod, 1);
                if (mouldSide) *mouldSide = 0;
                step_input[0] = turntable ? 3 : 0;
                step_input[1] = turntable ? (back < 0 ? 3 : back) : 3;
            } else {
                enable(prod, 1, prod, 1);
                step_input[0] = turntable ? 255 : 0;
                step_input[1] = turntable ? (back < 0 ? 255 : back) : 255;
            }
            return 4;
        }
        case kDetectMulti: {
            step_count_run = multi_step_count;
            for (int s = 0; s < 8; ++s) {
                bool active = false;
                int input = -1;
                if (s < multi_step_count) {
                    const int r = multi_trig_row[s];
                    multi_trig_row_run[s] = r;
                    if (r != -1 && !(s == 0 && enable_prod_detect == 0) && u(r) < 8 &&
                        u(multi_trig_choice[r]) < 8) {
                        active = true;
                        input = TriginNo[multi_trig_choice[r]] - 1;
                    }
                }
                step_enable[s] = active ? 1 : 0;
                step_input[s] = input;
            }
            return multi_step_count;
        }
        default:  // standard, automatic parts, standard without cavity re-check
            step_count_run = 4;
            step_enable[0] = enable_prod_detect;
            step_enable[1] = 1;
            for (int s = 2; s < 8; ++s) step_enable[s] = 0;
            step_input[0] = 0;
            step_input[1] = semi_auto ? 2 : 0;
            for (int o = 4; o < 8; ++o) output_inverted[o] = enable_stop_not_alarm == 0 ? 1 : 0;
            if (detect_mode == kDetectStandardNoRecheck) front_auto_check_time = 0;
            return 2;
    }
}

void WizardPara::LoadDatafromFile(QSqlQuery query) {
    loadGroupIndex(*this);

    QStringList missing;
    for (const ParaIntKey& key : paraIntKeys(ParaKeyOrder::Load)) {
        QString value;
        if (selectValue(query, key.name, &value) == Row::Found)
            loadParaKey(key, value, *this);
        else
            missing << key.name;
    }
    for (const ParaTextKey& key : paraTextKeys()) {
        QString value;
        if (selectValue(query, key.name, &value) != Row::Found) {
            missing << key.name;
            continue;
        }
        if (!copyText(reinterpret_cast<char*>(this) + key.offset, value.toUtf8()))
            qWarning().noquote() << "parameters:" << key.name << "longer than 99 bytes, not taken";
    }
    if (!missing.isEmpty())
        qWarning().noquote() << "parameters: rows missing from sysparam:" << missing.join(QLatin1Char(' '));

    // Rows system7 to system11 came later than the others: a database without them gets them now, with
    // the record's values (the alarm output starting inverted), and this run uses the same values.
    query.exec(QStringLiteral("begin"));
    for (const ParaIntKey& key : paraIntKeys(ParaKeyOrder::Load)) {
        if (!key.createdAtLoad || !missing.contains(key.name)) continue;
        if (std::strcmp(key.name, "system7") == 0) output_inverted[2] = 1;
        insertRow(query, key.name, formatParaKey(key, *this, gLan));
    }
    if (!query.exec(QStringLiteral("commit"))) query.exec(QStringLiteral("rollback"));

    ApplyLoadRules();
    if (u(gLan) > 2) {
        qInfo("parameters: language %d out of range, set to 0", gLan);
        gLan = 0;
    }
    gDNum = DeriveProcedure(&gLoadMouldSide);
    loadSignalNames(*this);
}

bool WizardPara::SaveDatatoFile(QSqlQuery query, bool report) {
    const bool ok = WriteRows(query, gLan);
    if (ok)
        reportSaveOk(SavedFile::Parameters);
    else if (report)
        reportSaveFailure(SavedFile::Parameters, QStringLiteral("PARAM.db"), query.lastError().text());
    else
        qWarning().noquote() << "parameters: PARAM.db not saved:" << query.lastError().text();
    sendParamIfConnected();
    return ok;
}

bool WizardPara::WriteRows(QSqlQuery query, int lan) const {
    bool ok = query.exec(QStringLiteral("begin"));
    if (!ok) qWarning().noquote() << "parameters: cannot start the save:" << query.lastError().text();
    for (const ParaIntKey& key : paraIntKeys(ParaKeyOrder::Save)) {
        if (!ok) break;
        ok = writeRow(query, key.name, formatParaKey(key, *this, lan));
    }
    for (const ParaTextKey& key : paraTextKeys()) {
        if (!ok) break;
        ok = writeRow(query, key.name, textOf(reinterpret_cast<const char*>(this) + key.offset));
    }
    if (ok) {
        ok = query.exec(QStringLiteral("commit"));
        if (!ok) qWarning().noquote() << "parameters: saving failed:" << query.lastError().text();
    }
    if (!ok) {
        query.exec(QStringLiteral("rollback"));
        qWarning("parameters: the record was not saved");
    }
    return ok;
}

bool WizardPara::SaveChkDBItem(QSqlQuery query, const QString& key) {
    QString value;
    const Row row = selectValue(query, key, &value);
    if (row != Row::Missing) return row == Row::Found;
    return insertRow(query, key, QStringLiteral("0"));
}

bool WizardPara::SaveAddFile() {
    return saveFileReported(SavedFile::GroupIndex, QString::fromLatin1(kSysAddFile),
                            QByteArray::number(para_group_index) + '\n');
}

void WizardPara::LoadSN(QSqlQuery query) {
    serial_count = 0;
    query.exec(QStringLiteral("begin"));
    for (int i = 0; i < 8; ++i) {
        const QString key = QStringLiteral("serialNB%1").arg(i);
        QString value;
        const Row row = selectValue(query, key, &value);
        if (row == Row::Found) {
            const QByteArray sn = value.toLatin1();
            if (sn.size() >= 9 && sn.size() <= 99) {
                ++serial_count;
                std::memset(gSerialNB[i], 0, kSerialLen);
                std::memcpy(gSerialNB[i], sn.constData(), size_t(sn.size()));
            }
        } else {
            std::memset(gSerialNB[i], 0, kSerialLen);
            gSerialNB[i][0] = '0';
            if (row == Row::Missing) insertRow(query, key, QStringLiteral("0"));
        }
    }
    if (!query.exec(QStringLiteral("commit"))) query.exec(QStringLiteral("rollback"));
}
