#pragma once
// A program directory with the factory parameters loaded as gpWPara/gpWParaBak, a scripted box
// responder, a main window that keeps its records, and the settings host hooks counted.
#include <QSqlQuery>
#include <QStringList>
#include <QtTest>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/mainwindowbase.h"
#include "app/parametermanager.h"
#include "app/wizardpara.h"
#include "platform/system/commandrunner.h"
#include "platform/system/processexit.h"
#include "platform/system/timing.h"
#include "programdir.h"
#include "scriptedprompter.h"
#include "settings/settingshost.h"

inline QString lan(int id) {
    return gaLanStr[id * kLanColumns + gLan];
}

class RecordingWindow : public MainWindowBase {
public:
    QStringList records;
    QStringList events;  // "flush", "exit <status>", "page 0", ... in order
    void InsertRecord(QString text) override { records << text; }
    void FLushAll() override { events << QStringLiteral("flush"); }
};

struct SettingsRig {
    ProgramDir dir;
    ScriptedPrompter prompter;
    RecordingWindow window;
    int repaints = 0;
    int viewToolCalls = 0;

    SettingsRig() {
        for (const char* key : {"wtd.stop", "settings.calibration", "settings.timeReboot"})
            setTimeOverride(key, 0);
        const bool installed = dir.installFactoryFiles(true);
        if (!installed) qWarning("factory files missing");
        ParameterManager::getInstance()->init();
        gpWPara->enable_defect_detect = 1;  // a record the commit accepts
        *gpWParaBak = *gpWPara;
        SettingsHost& h = settingsHost();
        h.showImagePage = [this] { window.events << QStringLiteral("page 0"); };
        h.showHideViewTools = [this](int) { ++viewToolCalls; };
        h.repaintViews = [this] { ++repaints; };
        h.showCustomIONames = [this] { window.events << QStringLiteral("custom io names"); };
        setProcessExitHook([this](int status) { window.events << QStringLiteral("exit %1").arg(status); });
    }
    ~SettingsRig() {
        setProcessExitHook(nullptr);
        resetSettingsHost();
        ParameterManager::destroyInstance();
        gpWPara = gpWParaBak = nullptr;
    }
    // The commands run so far, without the clock and binding look-ups nobody asked for.
    QStringList commands() const { return dir.commands(); }
    // The stored text of one sysparam row.
    QString stored(const QString& key) const {
        QSqlQuery q(ParameterManager::getInstance()->paramQuery);
        q.prepare(QStringLiteral("SELECT value FROM sysparam WHERE name = ?"));
        q.addBindValue(key);
        return q.exec() && q.next() ? q.value(0).toString() : QString();
    }
    // Every detection function of the working copy switched off (the commit refuses such a record).
    static void switchOffDetectionFunctions(WizardPara& p) {
        p.enable_defect_detect = p.enable_spot_detect = p.enable_black_area = p.enable_white_area = 0;
        p.enable_white_num = p.enable_direction = p.enable_similarity = 0;
    }
};
