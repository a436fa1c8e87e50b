#pragma once
// The settings dialog: page 1 of the main window's page stack. Seven groups of pages on a vertical
// tab bar; every page loads from the working copy gpWParaBak each time the dialog is shown and writes
// back on the commit (accept). It also carries the maintenance actions (export, update, factory
// reset, calibration, shutdown, exit, clock, password, counters).
#include <QDir>
#include <QStringList>
#include <memory>

#include "io/iosettingsdialog.h"
#include "widgets/bverticaltabbar.h"

class AdvanceFuncWidget;
class AdvanceparamWidget;
class CameraFunctionsWidget;
class CameraParamsSubWidget;
class CameraParamsWidget;
class DeviceParamsWidget;
class HelpWidget;
class IOFunctionsWidget;
class IOParamsWidget;
class IOWidget;
class InterfaceSource;
class MemorandumWidget;
class ModifyTimeWidget;
class NetworkParamsWidget;
class OtherNetworksWidget;
class QListWidgetItem;
class QSqlTableModel;
class QTimer;
class SplashWidget;
class SystemFunctionsWidget;
class SystemLogWidget;
class SystemParamsWidget;

class SystemSettingWidget : public BVerticalTabBar, public IOSettingsDialog {
    Q_OBJECT
public:
    explicit SystemSettingWidget(QWidget* parent = nullptr);

    // Pages, in tab order.
    SystemParamsWidget* systemParams = nullptr;
    SystemFunctionsWidget* systemFunctions = nullptr;
    DeviceParamsWidget* deviceParams = nullptr;
    CameraParamsWidget* cameraParams = nullptr;
    CameraParamsSubWidget* cameraParamsSub = nullptr;  // inside cameraParams
    CameraFunctionsWidget* cameraFunctions = nullptr;
    NetworkParamsWidget* networkParams = nullptr;
    OtherNetworksWidget* otherNetworks = nullptr;
    SystemLogWidget* systemLog = nullptr;
    MemorandumWidget* memorandum = nullptr;
    IOParamsWidget* ioParams = nullptr;
    IOFunctionsWidget* ioFunctions = nullptr;
    AdvanceparamWidget* advanceParam = nullptr;
    AdvanceFuncWidget* advanceFunc = nullptr;
    SplashWidget* aboutPage = nullptr;
    HelpWidget* help = nullptr;

    IOWidget* ioWidget = nullptr;            // the multi-detection IO page, a window of its own
    ModifyTimeWidget* timeWidget = nullptr;  // "Modify Time"
    QSqlTableModel* recordModel = nullptr;   // the record day shown, owned here; one at a time
    QDir groupDir;                           // "./paraGroup"

    // What the IO pages ask of the dialog.
    bool factoryParamShown() const override;
    void ResetReCheck1Text(const QString& text) override;
    void DoChangePage() override {}
    // Shows one of the dialog's pages with its title, as its tab would.
    void showPage(QWidget* page);
    void changeWidget(int index) override;
    void showDialog() override { show(); }

    // Loads every page from gpWParaBak.
    void WizardParaInit();
    // The commit: every page writes back into gpWParaBak, then the working copy is compared with the
    // live record and, after a question, made live and saved. Refused: a value may not be taken (told
    // in a box naming it, every edit kept, the dialog on the page of that value); Declined: the operator
    // answered no, the edits are dropped; Unchanged: nothing to save; Saved: the live record was written
    // (a failure told in one box and one record).
    enum class CommitResult { Refused, Declined, Unchanged, Saved };
    CommitResult accept();
    // The commit of what the pages hold, shown or not (the camera panel may be detached).
    CommitResult commitEdits();
    // Network page (networkslots.cpp): fills the card selector from the edited card record.
    void InitCntNetWidget();
    // Stages the network files for a confirmed commit and returns what changed (NetChange bits);
    // the staged files are kept in stagedNetFiles, a file that could not be written in netStageFailed.
    int SaveNetParam();
    QStringList stagedNetFiles;
    QString netStageFailed;
    // The connection check's result text, shown on the network page.
    QString checkResult;
    // Where the wireless card's live address is read (the simulated profile has no interfaces).
    std::shared_ptr<InterfaceSource> interfaces;

    // Refills the group list of the advanced-parameters page with the folders of "./paraGroup".
    void ParaGroupUpdateList();

public slots:
    // Record viewer: the day list (today first), and the records of the chosen day.
    void SlotToRecord();
    void UpdateRecord(QListWidgetItem* item);

    // Shows the IO-page controls of execution procedure `procedure`.
    void SlotChangeSysFun(int procedure);
    void SlotShowIOWidget();
    void SlotShowCustomIONameWidget();
    void SlotShowHardwareConfigurationWidget();
    // Parameter groups: save the committed settings under the typed name, restore the chosen group
    // and restart, delete the chosen group; the list's choice names the group in the name field.
    void SlotParaGroupBackup();
    void SlotParaGroupRestore();
    void SlotParaGroupDelete();
    void SlotParaGroupChange(int index);

    // Maintenance actions.
    void SlotExportData();
    void SlotUpdateApp();
    void SlotRestoreFactorySet();
    void SlotCalibration();
    void SlotShutDown();
    void SlotExit();
    void SlotModifyTime();
    void ChangePwd();
    void ResetTotal();

    // Network page (networkslots.cpp): card selection, the three edits of the selected card, the
    // card the network client uses (a press, then the state change), the bridge switch and the
    // connection check.
    void SlotCmbCard(int index);
    void SlotIpTimelyModify(const QString& text);
    void SlotMaskTimelyModify(const QString& text);
    void SlotWayTimelyModify(const QString& text);
    void SlotCntClick();
    void SlotCntName(int state);
    void SlotCBoxIsUseCntNet(int state);
    void SlotCheckPing();

    // Camera pages (camerapages.cpp): the image values of camera outSet + 1 go into gpWParaBak and to
    // the camera at once; automatic exposure and shading re-apply the exposure of every view.
    void SetExposeTime(int v);
    void SetAdjust(int v);
    void SetSharp(int v);
    void SetContrast(int v);
    void SetGamma(int v);
    void SetAutoExp(int state);
    void SetAutoWDR(int state);
    void SlotChangeCamera();
    void SlotRestoreDefaultSettings();
    void SlotChangeShowMode();
    void SlotAutoExposeTime();
    void SlotAutoExposeTimeTimeout();
    void SlotTuneCamera();

signals:
    // A day's records were shown.
    void pListWClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

    // The modal steps, replaceable in tests: the update file chosen on the USB disk (empty when
    // cancelled) and the time dialog (true when accepted).
    virtual QString chooseUpdateFile();
    virtual bool runTimeDialog();

private:
    void sysparaInit();
    void BtnConnect();
    // Camera pages (camerapages.cpp).
    void connectCameraPages();
    // Network page (networkslots.cpp).
    void connectNetworkPage();
    void storeCardValue(int column, const QString& text);
    void setCheckResult(const QString& text);
    // The commit's network steps: false (after a warning) when an edit may not be written.
    bool checkNetEdits();
    // After a confirmed commit: installs what SaveNetParam staged and restarts the client when
    // anything changed, then the edited card record becomes the live one. Returns the file that could
    // not be staged or installed (the commit tells it), empty when all were.
    QString installNetwork(int mask);
    void reloadCameraSliders(bool withSpeed);
    bool cameraShowMode = false;
    QTimer* autoExposeTimer = nullptr;
    // Save live: the live record into PARAM.db; false (logged) when it could not be written.
    bool saveLive();
    // Before a restart or stop: saves the live record unless `commit` just did; a failure gets one box
    // and one record.
    void saveLiveUnlessCommitted(CommitResult commit);
    void insertRecord(int textId);
    // The name check of the group slots (warnings 282, 663; 664 for "default" when `replacing`).
    bool checkGroupName(const QString& name, bool replacing);
    // The active group's position, in both records and in "sysadd.txt".
    void setActiveGroup(int index);
    // The live record differs from PARAM.db: its last save failed. The next commit saves again.
    bool m_unsaved = false;
    void flushAll();
    // Asks until a USB disk is mounted on "/mnt"; false when the operator gives up.
    bool mountUsbDisk();
};

// A parameter group name: 1 to 32 of A-Z, a-z, 0-9, "_" and "-".
bool validGroupName(const QString& name);

// The name a chosen update file is staged under ("newupdate.tar.gz", "newupdate.tar.xz",
// "newupdate.rar"), from the endings in that order, case-sensitive; empty for anything else.
QString stagedUpdateName(const QString& fileName);
