// The maintenance actions of the settings dialog. Every operating-system step goes through the command
// runner; a step whose failure would lose data or leave the panel in a wrong state is checked.
#include <QFileDialog>
#include <QFont>
#include <QRegularExpression>
#include <QThread>
#include <cstring>

#include "advancedpages.h"
#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "app/msgbox.h"
#include "app/parametermanager.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "camera/cameraloss.h"
#include "io/ledcontrol.h"
#include "platform/system/commandrunner.h"
#include "platform/system/sysclock.h"
#include "platform/system/syspath.h"
#include "platform/system/timing.h"
#include "records/counters.h"
#include "settingstext.h"
#include "systempages.h"
#include "systemsettingwidget.h"
#include "usbdisk.h"
#include "widgets/blineedit.h"
#include "widgets/editdatetime.h"
#include "widgets/modifytimewidget.h"
#include "widgets/numberinput.h"

namespace {

constexpr int kPasswordMax = 32;

void pause(const char* key, int ms) {
    QThread::msleep(static_cast<unsigned long>(TimeMs(key, ms)));
}

// A path for a shell command: kept as it is when it is plain, quoted otherwise.
QString shellPath(const QString& path) {
    static const QRegularExpression plain(QStringLiteral("\\A[A-Za-z0-9._/+-]+\\z"));
    return plain.match(path).hasMatch() ? path : shellQuote(path);
}

}  // namespace

QString stagedUpdateName(const QString& fileName) {
    if (fileName.contains(QLatin1String(".tar.gz"))) return QStringLiteral("newupdate.tar.gz");
    if (fileName.contains(QLatin1String(".tar.xz"))) return QStringLiteral("newupdate.tar.xz");
    if (fileName.contains(QLatin1String(".rar"))) return QStringLiteral("newupdate.rar");
    return QString();
}

bool SystemSettingWidget::saveLive() {
    if (!gpWPara) return false;
    // Told by the caller: one box and one record per failure.
    if (gpWPara->SaveDatatoFile(ParameterManager::getInstance()->paramQuery, false)) return true;
    qWarning("settings: the live parameters could not be saved");
    return false;
}

void SystemSettingWidget::saveLiveUnlessCommitted(CommitResult commit) {
    if (commit == CommitResult::Saved) return;  // the commit wrote it and told any failure
    if (saveLive()) return;
    const QString text = setText(600).arg(QStringLiteral("PARAM.db"));
    if (gpWin) gpWin->InsertRecord(text);
    showWarnBox(text);
}

void SystemSettingWidget::insertRecord(int textId) {
    if (gpWin) gpWin->InsertRecord(setText(textId));
}

void SystemSettingWidget::flushAll() {
    if (gpWin) gpWin->FLushAll();
}

bool SystemSettingWidget::mountUsbDisk() {
    while (FindAU().isEmpty())
        if (!showChooseBox(setText(320))) return false;
    return true;
}

void SystemSettingWidget::SlotExportData() {
    if (!showChooseBox(setText(324))) return;
    if (!mountUsbDisk()) return;
    const QString folder = SysClock::now().toString(QStringLiteral("yyyy-MM-dd_hh.mm.ss"));
    bool ok = RunCommand(QStringLiteral("mkdir /mnt//%1").arg(folder), kSlowCommandLimitMs) == 0;
    // The program directory, named from inside it as on the panel ("../bin-AOI").
    const QString programDir = QStringLiteral("../") + QDir::current().dirName();
    if (ok)
        ok = RunCommand(QStringLiteral("cp -rf %1 /mnt/%2/").arg(shellPath(programDir), folder),
                        kLongCommandLimitMs) == 0;
    // The raw camera images are removed here only once they are safely on the disk.
    if (ok) {
        for (int c = 1; c <= numCamera; ++c)
            for (int d = 1; d <= gDNum; ++d)
                RunCommand(QStringLiteral("rm -rf %1//*")
                               .arg(QStringLiteral("%1//cammer%2%3")
                                        .arg(QStringLiteral("./originalimage"))
                                        .arg(c)
                                        .arg(d)),
                           kSlowCommandLimitMs);
    }
    RunCommand(QStringLiteral("umount /mnt"), kSlowCommandLimitMs);
    showWarnBox(ok ? setText(147) : tr("数据导出失败"));
}

QString SystemSettingWidget::chooseUpdateFile() {
    QFileDialog dialog(this, tr("选择投影数据文件目录"));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setViewMode(QFileDialog::List);
    dialog.resize(gShowW - 50, gShowH - 100);
    dialog.setNameFilter(QStringLiteral("*.[r,t]ar*"));
    dialog.setDirectory(SysPath(QStringLiteral("/mnt")));
    QFont font(QStringLiteral("wqy-microhei"));
    font.setPixelSize(gShowW < 801 ? 20 : 30);
    dialog.setFont(font);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
}

void SystemSettingWidget::SlotUpdateApp() {
    if (watchdogStopping()) return;  // a stop path is under way
    if (!mountUsbDisk()) return;
    const QString path = chooseUpdateFile();
    if (path.size() <= 2) return;
    if (!showChooseBox(setText(323))) return;
    const QString fileName = path.split(QLatin1Char('/'), Qt::SkipEmptyParts)
                                 .value(path.split(QLatin1Char('/'), Qt::SkipEmptyParts).size() - 1);
    const QString staged = stagedUpdateName(fileName);
    if (staged.isEmpty()) {  // not a package: nothing is staged and the program goes on
        qWarning("update: %s is not an update package", qPrintable(fileName));
        return;
    }
    // The copy, the flush and the reboot follow the watchdog's pause.
    StopWTD(this, [this, copy = QStringLiteral("cp -rf %1 ./%2").arg(shellPath(path), staged)] {
        if (RunCommand(copy, kLongCommandLimitMs) != 0) {
            gisRunWTD = 1;  // the program goes on, and so does its watchdog
            showWarnBox(tr("程序更新失败"));
            return;
        }
        flushAll();
        RunCommand(QStringLiteral("sync"), kSlowCommandLimitMs);
        RunCommand(QStringLiteral("reboot"));
    });
}

void SystemSettingWidget::SlotRestoreFactorySet() {
    if (!showChooseBox(setText(551) + QStringLiteral("?"))) return;
    // Staged as the next update of this program directory.
    if (RunCommand(QStringLiteral("cp -f paraGroup/default/20clearsh.tar.gz ./newupdate.tar.gz"),
                   kSlowCommandLimitMs) != 0) {
        showWarnBox(tr("程序更新失败"));
        return;
    }
    RunCommand(QStringLiteral("sync"), kSlowCommandLimitMs);
    RunCommand(QStringLiteral("reboot"));
}

void SystemSettingWidget::SlotCalibration() {
    if (!showChooseBox(setText(459))) return;
    RunCommand(QStringLiteral("./tsc"), kLongCommandLimitMs);
    pause("settings.calibration", 500);
    flushAll();
    RunCommand(QStringLiteral("reboot"));
}

void SystemSettingWidget::SlotShutDown() {
    if (watchdogStopping()) return;  // a stop path is under way
    if (!showChooseBox(setText(291))) return;
    saveLiveUnlessCommitted(accept());
    insertRecord(292);
    StopWTD(this, [this] {
        flushAll();
        RunCommand(showChooseBox(setText(293)) ? QStringLiteral("reboot") : QStringLiteral("init 0"));
    });
}

void SystemSettingWidget::SlotExit() {
    if (watchdogStopping()) return;  // a stop path is under way
    if (!showChooseBox(setText(294))) return;
    insertRecord(295);
    saveLiveUnlessCommitted(accept());
    showWarnBox(setText(296));
    // Outputs left as they stand, pictures and counters written, databases closed: as for SIGTERM.
    if (gpWin) gpWin->StopInOrder();
    Exit(0);
}

bool SystemSettingWidget::runTimeDialog() {
    timeWidget->dateTimeEdit->ShowDateTime();
    return timeWidget->exec() == QDialog::Accepted;
}

void SystemSettingWidget::SlotModifyTime() {
    if (watchdogStopping()) return;  // a stop path is under way
    if (!runTimeDialog()) return;
    if (!showChooseBox(setText(402))) return;
    // A date the clock refuses changes nothing and restarts nothing.
    if (!timeWidget->dateTimeEdit->setSysDateTime()) {
        showWarnBox(tr("时间设置失败"));
        return;
    }
    saveLiveUnlessCommitted(accept());
    insertRecord(401);
    StopWTD(this, [this] {
        flushAll();
        pause("settings.timeReboot", 1000);
        RunCommand(QStringLiteral("reboot"));
    });
}

void SystemSettingWidget::ChangePwd() {
    const QString first = systemFunctions->newPwdEdit->text();
    const QString second = systemFunctions->confirmPwdEdit->text();
    if (gpNumPad) gpNumPad->HideUpdate();
    if (first.isEmpty() || second.isEmpty()) {
        showWarnBox(setText(278));
        return;
    }
    if (first != second) {
        showWarnBox(setText(280));
        return;
    }
    if (gpWParaBak) {
        const QByteArray bytes = first.toLatin1().left(kPasswordMax);
        std::memset(gpWParaBak->password, 0, sizeof(gpWParaBak->password));
        std::memcpy(gpWParaBak->password, bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    showWarnBox(setText(279));
    systemFunctions->newPwdEdit->clear();
    systemFunctions->confirmPwdEdit->clear();
}

void SystemSettingWidget::ResetTotal() {
    for (int i = 0; i < kMaxCamera; ++i) gAllNum[i] = gFailNum[i] = 0;
    gLost = 0;  // the camera-loss count is a production counter too
    insertRecord(255);
    if (!CountWrite()) qWarning("settings: the cleared counters could not be written");
}
