#include "kittext.h"

#include "app/globals.h"

// Defined here until the application frame's language table joins the build; then this definition
// and fillKitTexts() go, and kitText reads the same array.
QString gaLanStr[kLanIds * 3];

QString kitText(int id) {
    if (id < 0 || id >= kLanIds) return QString();
    const int lan = (gLan >= 0 && gLan <= 2) ? gLan : 0;
    return gaLanStr[id * 3 + lan];
}

void fillKitTexts() {
    struct Row {
        int id;
        const char* zh;
        const char* en;
        const char* tw;
    };
    static const Row rows[] = {
        {121, "确定", "Confirm", "確定"},
        {122, "是", "YES", "是"},
        {123, "否", "NO", "否"},
        {124, "取消", "Cancel", "取消"},
        {133, "系统正在初始化，\r\n请稍候..", "The system is initializing, \r\n please wait..",
         "系統正在初始化，\r\n請稍候.."},
        {157, "退格", "BS", "退格"},
        {370, "松开手进入触摸屏校正...", "Release hand into TS calibration", "鬆開手進入觸控式螢幕校正..."},
        {401, "修改时间", "Modify Time", "修改時間"},
        {431, "设备参数", "Device parameters", "設備參數"},
        {566, "确认提示", "Confirmation prompt", "確認提示"},
        {568, "警告!", "Warning!", "警告!"},
        {575, "系统日志", "system log", "系統日誌"},
        {576, "备忘录", "memorandum", "備忘錄"},
        {590, "退出设置", "Exit setup", "退出設置"},
    };
    for (const Row& r : rows) {
        QString* e = &gaLanStr[r.id * 3];
        if (e[0].isEmpty()) e[0] = QString::fromUtf8(r.zh);
        if (e[1].isEmpty()) e[1] = QString::fromUtf8(r.en);
        if (e[2].isEmpty()) e[2] = QString::fromUtf8(r.tw);
    }
}
