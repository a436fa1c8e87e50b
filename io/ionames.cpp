#include "ionames.h"

#include <QDebug>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/paramhooks.h"
#include "app/wizardpara.h"

// clang-format off
const char* const gInName[kInputFunctions * 3] = {
    "开模到位", "Mol op", "開模到位",
    "安全门关", "clo door", "安全門關",
    "安全门开", "op door", "安全門開",
    "顶针退", "Thim O", "頂針退",
    "顶针进", "Thim I", "頂針進",
    "开模阀", "Mol val", "開模閥",
    "机械手", "Manip", "機械手",
    "复位键", "Res but", "復位鍵",
    "滑块退", "Slid bac", "滑塊退",
    "机手上行", "Mac up", "機手上行",
    "中子A进", "Neu A I", "中子A進",
    "中子A退", "Neu A O", "中子A退",
    "中子B进", "Neu B I", "中子B進",
    "中子B退", "Neu B O", "中子B退",
    "中子C进", "Neu C I", "中子C進",
    "中子C退", "Neu C O", "中子C退",
};

const char* const gOutName[kOutputFunctions * 3] = {
    "允许合模", "Al clam", "允許合模",
    "允许顶针", "Al thim", "允許頂針",
    "中子A进", "Neu A I", "中子A進",
    "中子A退", "Neu A O", "中子A退",
    "中子B进", "Neu B I", "中子B進",
    "中子B退", "Neu B O", "中子B退",
    "中子C进", "Neu C I", "中子C進",
    "中子C退", "Neu C O", "中子C退",
    "允许绞牙", "Al thread", "允許絞牙",
    "允许旋转", "Rot", "允許旋轉",
    "允许左移", "L shift", "允許左移",
    "允许右移", "R shift", "允許右移",
    "允许移模", "Mov mol", "允許移模",
    "机手动作", "Mac mov", "機手動作",
};

// Custom input j is physical input TriginNo[j]; physical input 2 (the safety door) is never customised.
const char* const gCustomInputName[kCustomTerminals * 3] = {
    "输入 1", "Input 1", "输入 1",
    "输入 3", "Input 3", "输入 3",
    "输入 4", "Input 4", "输入 4",
    "输入 5", "Input 5", "输入 5",
    "输入 6", "Input 6", "输入 6",
    "输入 7", "Input 7", "输入 7",
    "输入 8", "Input 8", "输入 8",
    "输入 9", "Input 9", "输入 9",
};

// Custom output j is physical output 1, 2, 4 ... 9; physical output 3 (the alarm) is never customised.
const char* const gCustomOutputName[kCustomTerminals * 3] = {
    "输出 1", "Output 1", "输出 1",
    "输出 2", "Output 2", "输出 2",
    "输出 4", "Output 4", "输出 4",
    "输出 5", "Output 5", "输出 5",
    "输出 6", "Output 6", "输出 6",
    "输出 7", "Output 7", "输出 7",
    "输出 8", "Output 8", "输出 8",
    "输出 9", "Output 9", "输出 9",
};
// clang-format on

namespace {

int language() {
    return gLan >= 0 && gLan < 3 ? gLan : 0;
}

QString tableText(const char* const* table, int rows, int row, const char* what) {
    if (row < 0 || row >= rows) {
        qWarning("signal names: %s %d outside 0..%d, no name", what, row, rows - 1);
        return QString();
    }
    return QString::fromUtf8(table[row * 3 + language()]);
}

QString lan(int id) {
    return gaLanStr[id * kLanColumns + language()];
}

// Language ids of the fixed names.
enum : int {
    kOpen = 301,
    kSafety = 302,
    kBack = 303,
    kReserve = 304,
    kClamp = 305,
    kThimble = 306,
    kAlarm = 307,
    kLeftMould = 376,
    kRightMould = 377,
    kTransferMould = 378,
    kShiftLeft = 379,
    kResetKey = 380,
    kStartKey = 381,
    kShiftRight = 382,
};

}  // namespace

QString inputFunctionName(int function) {
    return tableText(gInName, kInputFunctions, function, "input function");
}

QString outputFunctionName(int function) {
    return tableText(gOutName, kOutputFunctions, function, "output function");
}

QString customInputLabel(int j) {
    return tableText(gCustomInputName, kCustomTerminals, j, "custom input");
}

QString customOutputLabel(int j) {
    return tableText(gCustomOutputName, kCustomTerminals, j, "custom output");
}

void FillDefaultSignalNames(const WizardPara& para) {
    for (QString& s : gaName) s.clear();
    auto fixed = [](int i0, int i1, int i2, int i3, int o0, int o1, int o2, int o3) {
        const int ids[8] = {i0, i1, i2, i3, o0, o1, o2, o3};
        for (int i = 0; i < 8; ++i) gaName[i] = lan(ids[i]);
    };
    switch (para.detect_mode) {
        case kDetectTwoColour:
            fixed(kOpen, kSafety, kLeftMould, kRightMould, kClamp, kTransferMould, kAlarm, kReserve);
            break;
        case kDetectTurntable:
            fixed(kShiftLeft, kResetKey, kStartKey, kShiftRight, kTransferMould, kThimble, kAlarm, kReserve);
            break;
        case kDetectMulti: {
            // Physical inputs 0..8: custom input j sits on input TriginNo[j] - 1, the door on input 1.
            // Physical outputs 0..8 (entries 9..17): custom output j on 0, 1, 3 ... 8, the alarm on 2.
            static const int kInEntry[kCustomTerminals] = {0, 2, 3, 4, 5, 6, 7, 8};
            static const int kOutEntry[kCustomTerminals] = {9, 10, 12, 13, 14, 15, 16, 17};
            gaName[1] = lan(kSafety);
            gaName[11] = lan(kAlarm);
            for (int j = 0; j < kCustomTerminals; ++j) {
                gaName[kInEntry[j]] = inputFunctionName(para.custom_input_func[j]);
                gaName[kOutEntry[j]] = outputFunctionName(para.custom_output_func[j]);
            }
            break;
        }
        default:  // standard, automatic parts, standard without cavity re-check (and anything unknown)
            fixed(kOpen, kSafety, kBack, kReserve, kClamp, kThimble, kAlarm, kReserve);
            break;
    }
}

void installDefaultSignalNamer() {
    setDefaultSignalNamer(&FillDefaultSignalNames);
}
