// Parameter groups: named snapshots of the parameter database and the template folders under
// "./paraGroup". Everything is copied and removed with QDir and QFile, never through a shell; a group is
// built under a hidden name and renamed when complete, and a restore checks the group and copies it
// aside before anything of the running set-up is replaced.
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>

#include "advancedpages.h"
#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "app/msgbox.h"
#include "app/parametermanager.h"
#include "app/wizardpara.h"
#include "platform/system/commandrunner.h"
#include "platform/system/fileops.h"
#include "settingstext.h"
#include "systemsettingwidget.h"
#include "widgets/blineedit.h"
#include "widgets/numberinput.h"

namespace {

constexpr char kDefaultGroup[] = "default";
constexpr char kParamDb[] = "PARAM.db";

// The template folders of the running set-up: "cammer<c><d>", cameras 1 to 8, steps 1 to `steps`.
QStringList templateFolders(int steps) {
    QStringList names;
    for (int c = 1; c <= 8; ++c)
        for (int d = 1; d <= steps; ++d) names << QStringLiteral("cammer%1%2").arg(c).arg(d);
    return names;
}

bool removePath(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return true;
    if (info.isDir() && !info.isSymLink()) return QDir(path).removeRecursively();
    return QFile::remove(path);
}

}  // namespace

bool validGroupName(const QString& name) {
    static const QRegularExpression allowed(QStringLiteral("\\A[A-Za-z0-9_-]{1,32}\\z"));
    return allowed.match(name).hasMatch();
}

bool SystemSettingWidget::checkGroupName(const QString& name, bool replacing) {
    if (name.isEmpty()) {
        showWarnBox(setText(282));
        return false;
    }
    if (!validGroupName(name)) {
        showWarnBox(setText(663));
        return false;
    }
    if (replacing && name == QLatin1String(kDefaultGroup)) {
        showWarnBox(setText(664));
        return false;
    }
    return true;
}

void SystemSettingWidget::ParaGroupUpdateList() {
    QComboBox* box = advanceParam->groupBox;
    const bool blocked = box->blockSignals(true);
    box->clear();
    // A group set aside by a backup that never finished (a power cut between its two renames) is put
    // back under its name; what is left of a staged group goes.
    const QStringList hidden =
        groupDir.entryList({QStringLiteral(".*.old"), QStringLiteral(".*.new")}, QDir::Dirs | QDir::Hidden);
    for (const QString& h : hidden) {
        const QString name = h.mid(1, h.size() - 5);
        if (h.endsWith(QLatin1String(".old")) && validGroupName(name) && !groupDir.exists(name))
            groupDir.rename(h, name);
        else
            removePath(groupDir.filePath(h));
    }
    const QStringList names = groupDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (int i = 0; i < names.size(); ++i) box->addItem(names[i], i);
    box->blockSignals(blocked);
}

void SystemSettingWidget::SlotParaGroupChange(int index) {
    advanceParam->groupNameEdit->setText(advanceParam->groupBox->itemText(index));
}

void SystemSettingWidget::setActiveGroup(int index) {
    if (gpWPara) gpWPara->para_group_index = index;
    if (gpWParaBak) gpWParaBak->para_group_index = index;  // not an edit of the operator's
    if (gpWPara && !gpWPara->SaveAddFile()) qWarning("parameter groups: sysadd.txt could not be written");
}

void SystemSettingWidget::SlotParaGroupBackup() {
    const QString name = advanceParam->groupNameEdit->text();
    if (gpNumCharPad) gpNumCharPad->HideUpdate();
    if (!checkGroupName(name, true)) return;
    if (!showChooseBox(setText(283))) return;
    accept();  // the group holds the settings as committed, whatever the operator answered there
    QComboBox* box = advanceParam->groupBox;
    const bool exists = box->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0 ||
                        QFileInfo(groupDir.filePath(name)).exists();
    if (exists && !showChooseBox(setText(284))) return;

    // Built aside under a hidden name (not listed), then put in place of the old group.
    const QString staging = groupDir.filePath(QStringLiteral(".%1.new").arg(name));
    bool ok = removePath(staging) && QDir().mkpath(staging);
    for (const QString& folder : templateFolders(gDNum)) {
        if (!ok) break;
        if (QFileInfo(folder).isDir()) ok = copyPathRecursively(folder, staging + QLatin1Char('/') + folder);
    }
    if (ok) ok = copyPathRecursively(QLatin1String(kParamDb), staging + QLatin1Char('/') + kParamDb);
    // The old group of that name is renamed aside and stays whole until the new one is in place.
    if (ok) ok = replaceTree(staging, groupDir.filePath(name));
    if (!ok) {
        removePath(staging);
        showWarnBox(setText(666));
        return;
    }
    ParaGroupUpdateList();
    const int index = box->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    box->setCurrentIndex(index);
    setActiveGroup(index);
}

void SystemSettingWidget::SlotParaGroupRestore() {
    QComboBox* box = advanceParam->groupBox;
    if (box->count() == 0 || box->currentIndex() < 0) return;
    const QString name = box->currentText();
    if (!checkGroupName(name, false)) return;
    if (!showChooseBox(setText(285))) return;
    const QDir group(groupDir.filePath(name));
    if (!QFileInfo(group.filePath(QLatin1String(kParamDb))).isFile()) {
        showWarnBox(setText(665).arg(name));
        return;
    }

    // 1. Everything of the group copied beside its place; nothing running is touched yet.
    const QStringList entries = group.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QStringList placed;
    bool ok = true;
    for (const QString& e : entries) {
        const QString aside = e + QStringLiteral(".restore");
        ok = removePath(aside) && copyPathRecursively(group.filePath(e), aside);
        if (!ok) break;
        placed << e;
    }
    if (!ok) {
        for (const QString& e : placed) removePath(e + QStringLiteral(".restore"));
        removePath(entries.value(placed.size()) + QStringLiteral(".restore"));
        showWarnBox(setText(667).arg(name));
        return;
    }

    // 2. The databases let go, the template folders of the set-up removed, the copies put in place.
    setActiveGroup(box->currentIndex());
    ParameterManager::getInstance()->releaseDB();
    for (const QString& folder : templateFolders(gDNum)) removePath(folder);
    for (const QString& e : entries) {
        if (!removePath(e) || !QDir().rename(e + QStringLiteral(".restore"), e)) {
            ok = false;
            qWarning("parameter groups: %s could not be put in place", qPrintable(e));
        }
    }
    const QString record = setText(286).arg(name) + (ok ? QString() : setText(669));
    if (gpWin) gpWin->InsertRecord(record);
    if (!ok) showWarnBox(record);
    flushAll();
    RunCommand(QStringLiteral("reboot"));
}

void SystemSettingWidget::SlotParaGroupDelete() {
    QComboBox* box = advanceParam->groupBox;
    const int position = box->currentIndex();
    if (box->count() == 0 || position < 0) return;
    const QString name = box->currentText();
    if (!checkGroupName(name, true)) return;
    if (!showChooseBox(setText(287))) return;
    if (!QDir(groupDir.filePath(name)).removeRecursively()) {
        showWarnBox(setText(668).arg(name));
        ParaGroupUpdateList();  // what is left of it stays listed
        return;
    }
    box->removeItem(position);
    // The active group keeps its name: an earlier group gone moves it up; itself gone leaves none.
    const int active = gpWPara ? gpWPara->para_group_index : -1;
    if (position < active)
        setActiveGroup(active - 1);
    else if (position == active)
        setActiveGroup(-1);
}
