#include "systemsettingwidget.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSqlTableModel>
#include <QStackedLayout>

#include "advancedpages.h"
#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "app/msgbox.h"
#include "app/parametermanager.h"
#include "app/wizardpara.h"
#include "camera/camerasettings.h"
#include "camera/cameraglobals.h"
#include "camera/cameraslot.h"
#include "camera/camerahost.h"
#include "camerapages.h"
#include "io/ionames.h"
#include "settingscommit.h"
#include "helpwidget.h"
#include "io/iofunctionswidget.h"
#include "io/ioparamswidget.h"
#include "io/iowidget.h"
#include "netbridge/cnt_net.h"
#include "networkpages.h"
#include "othernetworks.h"
#include "platform/system/sysclock.h"
#include "productionpages.h"
#include "records/recordstore.h"
#include "records/statisticswidget.h"
#include "settingshost.h"
#include "settingstext.h"
#include "systempages.h"
#include "usbdisk.h"
#include "widgets/modifytimewidget.h"
#include "widgets/checkbox.h"
#include "widgets/splash.h"

SystemSettingWidget::SystemSettingWidget(QWidget* parent) : BVerticalTabBar(parent) {
    systemParams = new SystemParamsWidget(this);
    systemFunctions = new SystemFunctionsWidget(this);
    deviceParams = new DeviceParamsWidget(this);
    cameraParams = new CameraParamsWidget(this);
    cameraParamsSub = cameraParams->subWidget;
    cameraFunctions = new CameraFunctionsWidget(this);
    networkParams = new NetworkParamsWidget(this);
    otherNetworks = new OtherNetworksWidget(this);
    systemLog = new SystemLogWidget(this);
    memorandum = new MemorandumWidget(this);
    ioParams = new IOParamsWidget(this, this);
    ioFunctions = new IOFunctionsWidget(this, this);
    advanceParam = new AdvanceparamWidget(this);
    advanceFunc = new AdvanceFuncWidget(this);
    aboutPage = new SplashWidget(600, this);
    help = new HelpWidget(this);

    // The tab texts are taken once, in the language of the start: a language change reboots.
    const struct {
        const char* icon;
        QVector<int> texts;
        QVector<QWidget*> pages;
    } groups[] = {
        {":/img/icons/setting.png", {215, 572, 431}, {systemParams, systemFunctions, deviceParams}},
        {":/img/icons/3c.png", {128, 573}, {cameraParams, cameraFunctions}},
        {":/img/icons/49.png", {262, 574}, {networkParams, otherNetworks}},
        {":/img/icons/50.png", {575, 576}, {systemLog, memorandum}},
        {":/img/icons/51.png", {577, 578}, {ioParams, ioFunctions}},
        {":/img/icons/52.png", {205, 581}, {advanceParam, advanceFunc}},
        {":/img/icons/53.png", {579, 580}, {aboutPage, help}},
    };
    for (const auto& g : groups) {
        QPixmap icon(QString::fromLatin1(g.icon));
        QVector<QString> titles;
        for (int id : g.texts) titles << setText(id);
        addWidgetGroup(icon, titles, g.pages);
    }

    connect(this, &BVerticalTabBar::Save_changes, this, [] {});
    connect(this, &BVerticalTabBar::recordshow, this, &SystemSettingWidget::SlotToRecord);
    connect(this, &BVerticalTabBar::Memorandum, otherNetworks, &OtherNetworksWidget::SlotGetRemindList);
    connect(this, &BVerticalTabBar::DeviPara, deviceParams, &DeviceParamsWidget::SlotGetProductName);
    connect(this, &BVerticalTabBar::Exitsetup, this, [this] {
        // A refused value keeps the dialog open, on the page of that value, with every edit.
        if (accept() == CommitResult::Refused) return;
        if (settingsHost().showImagePage) settingsHost().showImagePage();
    });

    sysparaInit();
    BtnConnect();
    // The statistics window finds its USB disk the same way as the export.
    setUsbDiskFinder(&FindAU);
}

void SystemSettingWidget::sysparaInit() {
    timeWidget = new ModifyTimeWidget(setText(401), this);
    timeWidget->hide();
    // The record viewer opens its day databases through the connection "dbList" itself.
    ioWidget = new IOWidget(this);
    ioWidget->setParent(this, ioWidget->windowFlags());
    ioWidget->hide();
    groupDir = QDir(QStringLiteral("./paraGroup"));
    if (!groupDir.exists() && !QDir().mkpath(groupDir.path()))
        qWarning("settings: cannot create %s", qPrintable(groupDir.path()));
    ParaGroupUpdateList();
}

void SystemSettingWidget::BtnConnect() {
    connect(advanceFunc->updateButton, SIGNAL(clicked(bool)), this, SLOT(SlotUpdateApp()));
    connect(systemFunctions->resetCountButton, SIGNAL(clicked()), this, SLOT(ResetTotal()));
    connect(systemFunctions->shutDownButton, SIGNAL(clicked()), this, SLOT(SlotShutDown()));
    connect(ioParams->procedureGroup, SIGNAL(buttonClicked(int)), this, SLOT(SlotChangeSysFun(int)));
    connect(ioParams->customIOButton, SIGNAL(clicked()), this, SLOT(SlotShowIOWidget()));
    connect(ioParams->ioNameButton, SIGNAL(clicked()), this, SLOT(SlotShowCustomIONameWidget()));
    connect(advanceFunc->exportButton, SIGNAL(clicked()), this, SLOT(SlotExportData()));
    connect(advanceFunc->factoryButton, SIGNAL(clicked()), this, SLOT(SlotRestoreFactorySet()));
    connect(advanceParam->groupBackupButton, SIGNAL(clicked()), this, SLOT(SlotParaGroupBackup()));
    connect(advanceParam->groupBox, SIGNAL(currentIndexChanged(int)), this, SLOT(SlotParaGroupChange(int)));
    connect(advanceParam->groupRestoreButton, SIGNAL(clicked()), this, SLOT(SlotParaGroupRestore()));
    connect(advanceParam->groupDeleteButton, SIGNAL(clicked()), this, SLOT(SlotParaGroupDelete()));
    connect(systemFunctions->changePwdButton, SIGNAL(clicked()), this, SLOT(ChangePwd()));
    connect(advanceFunc->hardwareButton, SIGNAL(clicked()), this,
            SLOT(SlotShowHardwareConfigurationWidget()));
    connect(advanceFunc->exitButton, SIGNAL(clicked()), this, SLOT(SlotExit()));
    connect(advanceFunc->modifyTimeButton, SIGNAL(clicked(bool)), this, SLOT(SlotModifyTime()));
    connect(advanceFunc->calibrateButton, SIGNAL(clicked(bool)), this, SLOT(SlotCalibration()));
    connect(systemLog->dayList, SIGNAL(itemClicked(QListWidgetItem*)), this,
            SLOT(UpdateRecord(QListWidgetItem*)));
    connect(this, SIGNAL(pListWClick()), systemLog, SLOT(modelChange()));
    connectCameraPages();
    connectNetworkPage();
}

bool SystemSettingWidget::factoryParamShown() const {
    // The box as it stands, committed or not.
    return advanceFunc->switches[AdvanceFuncWidget::kFactoryParam]->isChecked();
}

void SystemSettingWidget::ResetReCheck1Text(const QString& text) {
    systemParams->reCheck1Label->setText(text);
}

void SystemSettingWidget::changeWidget(int index) {
    pageStack->setCurrentIndex(index);
}

void SystemSettingWidget::showPage(QWidget* page) {
    const int i = tabPages.indexOf(page);
    if (i < 0) return;
    titleLabel->setText(tabTitles[i]);
    pageStack->setCurrentIndex(i);
}

void SystemSettingWidget::mousePressEvent(QMouseEvent* event) {
    BVerticalTabBar::mousePressEvent(event);
}

void SystemSettingWidget::showEvent(QShowEvent* event) {
    WizardParaInit();
    if (settingsHost().showHideViewTools) settingsHost().showHideViewTools(0);
    BVerticalTabBar::showEvent(event);
}

void SystemSettingWidget::WizardParaInit() {
    outSet = 0;
    systemParams->WizardParaInit();
    systemFunctions->WizardParaInit();
    deviceParams->WizardParaInit();
    cameraParams->WizardParaInit();
    cameraParamsSub->WizardParaInit();
    cameraFunctions->WizardParaInit();
    networkParams->WizardParaInit();
    InitCntNetWidget();
    otherNetworks->WizardParaInit();
    if (gpWParaBak) {  // the IO pages read the working copy without testing it
        ioParams->WizardParaInit();
        ioFunctions->WizardParaInit();
    }
    advanceParam->WizardParaInit();
    advanceFunc->WizardParaInit();
    DoChangePage();
}

SystemSettingWidget::CommitResult SystemSettingWidget::accept() {
    if (!gpWPara || !gpWParaBak) return CommitResult::Unchanged;
    // Committed while hidden (the camera reorder's shutdown): the pages and the working copy hold
    // nothing the operator edited, so both start from the live record instead of stale widgets.
    if (!isVisible()) {
        *gpWParaBak = *gpWPara;
        if (gpNet) gpNet->editCard = gpNet->liveCard;
        WizardParaInit();
    }
    return commitEdits();
}

SystemSettingWidget::CommitResult SystemSettingWidget::commitEdits() {
    if (!gpWPara || !gpWParaBak) return CommitResult::Unchanged;
    if (gpWin && gpWin->AccessLevel == 2) gpWin->AccessLevel = gpWPara->is_psw_used == 1 ? 1 : 0;
    systemParams->accept();
    systemFunctions->accept();
    deviceParams->accept();
    cameraParams->accept();
    cameraFunctions->accept();
    networkParams->accept();
    otherNetworks->accept();
    ioParams->accept();
    ioFunctions->accept();
    advanceParam->accept();
    advanceFunc->accept();

    const WizardPara& w = *gpWParaBak;
    if (!w.enable_defect_detect && !w.enable_spot_detect && !w.enable_black_area && !w.enable_white_area &&
        !w.enable_white_num && !w.enable_direction && !w.enable_similarity) {
        showWarnBox(setText(232));
        showPage(cameraFunctions);  // where the functions are switched on
        return CommitResult::Refused;
    }
    if (!checkNetEdits()) return CommitResult::Refused;
    // Updated server settings restart the network client, whatever is answered below.
    if (gpNet && gpNet->serverSettingsChanged) {
        CNT_Net::CNT_ReStart();
        gpNet->serverSettingsChanged = false;
    }
    // The device number belongs to the bridge: with the bridge off it is not changed.
    if (gpNet && !w.cnt_net_on) gpNet->editCard.hostName = gpNet->liveCard.hostName;
    const bool netSame = !gpNet || (gpNet->editCard.cards == gpNet->liveCard.cards &&
                                    gpNet->editCard.hostName == gpNet->liveCard.hostName);
    SettingsHost& host = settingsHost();
    auto repaint = [&host] {
        if (host.repaintViews) host.repaintViews();
    };
    // "Save all as test images" is no parameter: it acts unless the operator declines the commit.
    auto applyRawImages = [this, &host] {
        if (host.setRawImageSaving)
            host.setRawImageSaving(advanceFunc->switches[AdvanceFuncWidget::kRawImages]->value());
    };
    if (*gpWParaBak == *gpWPara && netSame) {
        applyRawImages();
        const bool retry = m_unsaved;  // a save that failed before is tried again
        if (retry) {
            m_unsaved = !saveLive();
            if (m_unsaved) {
                const QString text = setText(600).arg(QStringLiteral("PARAM.db"));
                if (gpWin) gpWin->InsertRecord(text);
                showWarnBox(text);
            }
        }
        repaint();
        return retry ? CommitResult::Saved : CommitResult::Unchanged;
    }
    if (!showChooseBox(setText(234))) {
        restoreCameraValues();  // the working copy back to the live record, the cameras too
        if (gpNet) gpNet->editCard = gpNet->liveCard;
        repaint();
        return CommitResult::Declined;
    }
    const WizardPara before = *gpWPara;
    const QString record = ChangeRecordText(before, *gpWParaBak);
    int mouldSide = -1;
    const ProcedureTakeOver procedure = TakeOverProcedure(*gpWParaBak, gDNum, &mouldSide);
    const bool multi = procedure == ProcedureTakeOver::Now && gpWParaBak->detect_mode == kDetectMulti;
    const bool procedureDeferred = procedure == ProcedureTakeOver::NextStart &&
                                   (gpWParaBak->detect_mode_next != before.detect_mode_next ||
                                    gpWParaBak->multi_step_count != before.multi_step_count);
    CameraCommit cameraCommit = cameraCommitBegin();
    cameraCommit.stepsRederived = multi;
    const int netChanges = SaveNetParam();
    *gpWPara = *gpWParaBak;
    m_unsaved = !saveLive();
    applyRawImages();
    const WizardPara& after = *gpWPara;

    if (mouldSide >= 0 && host.setMouldSide) host.setMouldSide(mouldSide);
    if (multi) FillDefaultSignalNames(after);
    if (after.screen_off_time > 0 && host.restartScreenOffTimer)
        host.restartScreenOffTimer(after.screen_off_time);
    const QString netFailed = installNetwork(netChanges);
    applyCameraCommit(cameraCommit);  // trigger mode, capture speed, models and region copies

    // One record of the commit and, whatever failed to be written, one box naming every such file.
    QStringList unsaved;
    if (m_unsaved) unsaved << QStringLiteral("PARAM.db");
    if (!netFailed.isEmpty()) unsaved << netFailed;
    if (gpWin)
        gpWin->InsertRecord(record + (m_unsaved ? setText(661) : QString()) +
                            (netFailed.isEmpty() ? QString() : setText(670).arg(netFailed)));
    if (!unsaved.isEmpty()) showWarnBox(setText(600).arg(unsaved.join(QStringLiteral("\r\n"))));

    if (after.max_mold_num != before.max_mold_num || after.ng_max_num != before.ng_max_num ||
        after.ok_record_max_num != before.ok_record_max_num)
        showWarnBox(setText(276));
    if (after.serial_port != before.serial_port || after.enable_color_camera != before.enable_color_camera ||
        after.enable_gray_channel != before.enable_gray_channel ||
        after.prohibit_optimize != before.prohibit_optimize)
        showWarnBox(setText(309));
    if (procedureDeferred) showWarnBox(setText(662));
    if ((after.snap_shot != before.snap_shot || after.enable_prod_detect != before.enable_prod_detect) &&
        host.refreshIndexPanel)
        host.refreshIndexPanel();
    repaint();
    return CommitResult::Saved;
}

void SystemSettingWidget::SlotToRecord() {
    systemLog->dayList->clear();
    systemLog->dayList->addItems(recordDayList(SysClock::now().date()));
    systemLog->dayList->setCurrentRow(0);
    UpdateRecord(systemLog->dayList->item(0));
}

void SystemSettingWidget::UpdateRecord(QListWidgetItem* item) {
    systemLog->recordTable->setModel(nullptr);
    delete recordModel;
    recordModel = nullptr;
    if (item) {
        recordModel = openRecordDay(systemLog->dayList->row(item), item->text(), this);
        if (recordModel) showRecordModel(systemLog->recordTable, recordModel);
    }
    emit pListWClick();
}

void SystemSettingWidget::SlotChangeSysFun(int procedure) {
    ioParams->showProcedureControls(procedure);
}

void SystemSettingWidget::SlotShowIOWidget() {
    ioWidget->show();
}

void SystemSettingWidget::SlotShowCustomIONameWidget() {
    hide();
    if (settingsHost().showCustomIONames) settingsHost().showCustomIONames();
}

void SystemSettingWidget::SlotShowHardwareConfigurationWidget() {
    hide();
    if (settingsHost().showHardwareConfiguration) settingsHost().showHardwareConfiguration();
}
