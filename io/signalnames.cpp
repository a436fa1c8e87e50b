#include "signalnames.h"

#include <algorithm>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/wizardpara.h"

// clang-format off
const char* const gInName[kInputFunctions * 3] = {
    "开模到位", "Mol op",   "開模到位",
    "安全门关", "clo door", "安全門關",
    "安全门开", "op door",  "安全門開",
    "顶针退",   "Thim O",   "頂針退",
    "顶针进",   "Thim I",   "頂針進",
    "开模阀",   "Mol val",  "開模閥",
    "机械手",   "Manip",    "機械手",
    "复位键",   "Res but",  "復位鍵",
    "滑块退",   "Slid bac", "滑塊退",
    "机手上行", "Mac up",   "機手上行",
    "中子A进",  "Neu A I",  "中子A進",
    "中子A退",  "Neu A O",  "中子A退",
    "中子B进",  "Neu B I",  "中子B進",
    "中子B退",  "Neu B O",  "中子B退",
    "中子C进",  "Neu C I",  "中子C進",
    "中子C退",  "Neu C O",  "中子C退",
};

const char* const gOutName[kOutputFunctions * 3] = {
    "允许合模", "Al clam",   "允許合模",
    "允许顶针", "Al thim",   "允許頂針",
    "中子A进",  "Neu A I",   "中子A進",
    "中子A退",  "Neu A O",   "中子A退",
    "中子B进",  "Neu B I",   "中子B進",
    "中子B退",  "Neu B O",   "中子B退",
    "中子C进",  "Neu C I",   "中子C進",
    "中子C退",  "Neu C O",   "中子C退",
    "允许绞牙", "Al thread", "允許絞牙",
    "允许旋转", "Rot",       "允許旋轉",
    "允许左移", "L shift",   "允許左移",
    "允许右移", "R shift",   "允許右移",
    "允许移模", "Mov mol",   "允許移模",
    "机手动作", "Mac mov",   "機手動作",
};
// clang-format on

namespace {
int lanColumn() {
    return gLan >= 0 && gLan < kLanColumns ? gLan : 0;
}
QString lan(int id) {
    return gaLanStr[id * kLanColumns + lanColumn()];
}
QString tableText(const char* const* table, int rows, int row) {
    // A stored choice outside the list names nothing rather than reading past the table.
    if (row < 0 || row >= rows) return QString();
    return QString::fromUtf8(table[row * 3 + lanColumn()]);
}
}  // namespace

void DefaultSignalNames(const WizardPara& p) {
    for (QString& s : gaName) s.clear();
    if (p.detect_mode == kDetectMulti) {
        const int inputAt[8] = {0, 2, 3, 4, 5, 6, 7, 8};
        const int outputAt[8] = {9, 10, 12, 13, 14, 15, 16, 17};
        gaName[1] = lan(302);
        gaName[11] = lan(307);
        for (int j = 0; j < 8; ++j) {
            gaName[inputAt[j]] = tableText(gInName, kInputFunctions, p.custom_input_func[j]);
            gaName[outputAt[j]] = tableText(gOutName, kOutputFunctions, p.custom_output_func[j]);
        }
        return;
    }
    int ids[8] = {301, 302, 303, 304, 305, 306, 307, 304};  // standard, automatic parts, no re-check
    if (p.detect_mode == kDetectTwoColour) {
        const int two[8] = {301, 302, 376, 377, 305, 378, 307, 304};
        std::copy(two, two + 8, ids);
    } else if (p.detect_mode == kDetectTurntable) {
        const int turn[8] = {379, 380, 381, 382, 378, 306, 307, 304};
        std::copy(turn, turn + 8, ids);
    }
    for (int i = 0; i < 8; ++i) gaName[i] = lan(ids[i]);
}
