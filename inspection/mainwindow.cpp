#include "mainwindow.h"

#include "app/version.h"

#include <QApplication>
#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRegExp>
#include <QSqlError>
#include <QScreen>
#include <QSqlQuery>
#include <QStackedLayout>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <limits>
#include <sys/time.h>

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
}

#include "app/imageglobals.h"
#include "app/lanstr.h"
#include "app/logmanager.h"
#include "app/msgbox.h"
#include "app/parametermanager.h"
#include "app/paramhooks.h"
#include "app/wizardpara.h"
#include "camera/camerabinding.h"
#include "camera/camerahost.h"
#include "camera/widgetchangecamera.h"
#include "camera/cameraglobals.h"
#include "camera/cameraloss.h"
#include "camera/checkcamera.h"
#include "cammerwidget.h"
#include "detect/detecthooks.h"
#include "imagecontainer.h"
#include "io/controlport.h"
#include "io/iolink.h"
#include "io/customionamewidget.h"
#include "io/ionames.h"
#include "io/ledcontrol.h"
#include "netbridge/cnt_net.h"
#include "platform/system/commandrunner.h"
#include "platform/system/sysclock.h"
#include "platform/system/timing.h"
#include "camera/camerasettings.h"
#include "records/accesslevel.h"
#include "records/counters.h"
#include "records/iostatus.h"
#include "records/passwordbox.h"
#include "settings/helpwidget.h"
#include "settings/productionpages.h"
#include "settings/settingshost.h"
#include "widgets/numberinput.h"
#include "records/recorddb.h"
#include "records/resstatisticsparam.h"
#include "records/savefialimagethread.h"
#include "settings/camerapages.h"
#include "settings/systemsettingwidget.h"
#include "widgets/bmessagebox.h"

WarnBox* gpWarnBox = nullptr;
ChooseBox* gpChooseBox = nullptr;
int gSource = -1;
int gRunCount = 0;
QString gTempTime;
int gPicNumNG = 0;
int gPicNumOK = 0;

QString lanText(int id) {
    if (id < 0 || id >= kLanIdCount) return QString();
    return gaLanStr[id * kLanColumns + (gLan >= 0 && gLan < kLanColumns ? gLan : 0)];
}

uint32_t cycleStampNow() {
    const qint64 ms = SysClock::now().toMSecsSinceEpoch();
    // Unsigned: the tenths since the epoch do not fit 32 bits; differences wrap correctly.
    return static_cast<uint32_t>(static_cast<uint64_t>(ms) / 100u);
}

bool loadTestPicture(const QString& file, PictureBuffer& buffer) {
    QImage img;
    if (!QFile::exists(file) || !img.load(file)) return false;
    if (img.width() != gImageW || img.height() != gImageH || gImageLen <= 0) return false;
    if (buffer.size() < size_t(gColorLen)) return false;
    // Whatever the picture's depth, it is converted to the frame format before it is copied.
    img = img.convertToFormat(gisColor ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    const size_t rowBytes = size_t(gImageW) * (gisColor ? 4 : 1);
    for (int y = 0; y < gImageH; ++y)
        memcpy(buffer.data() + rowBytes * size_t(y), img.constScanLine(y), rowBytes);
    return true;
}

namespace {
WizardPara& para() {
    static WizardPara fallback;
    return gpWPara ? *gpWPara : fallback;
}
bool twoColourOrTurntable() {
    return para().detect_mode == kDetectTwoColour || para().detect_mode == kDetectTurntable;
}
int modeNow() {
    return para().detect_mode;
}

// Clears the camera bindings in memory and in SN.db; the stored camera count goes with them.
void clearCameraBindings() {
    SaveSN(1);
    if (gpWPara) gpWPara->serial_count = 0;
}
}  // namespace

MainWindow::MainWindow(QWidget* parent) : MainWindowBase(parent) {
    recheckDelay = 0;
    gpWin = this;
    Monitor_Init();

    titleBar = new TitleBar(this);
    regiOption = new RegiOption(this);
    pageStack = new QStackedWidget(this);
    barStack = new QStackedLayout;
    barStack->setContentsMargins(0, 0, 0, 0);
    barStack->addWidget(optionBar);
    barStack->addWidget(regiOption);
    barStack->addWidget(new QWidget(this));  // the alarm page's bar comes with the editor
    pageStack->addWidget(imageContainer);
    pageStack->addWidget(settingWidget);

    auto* barBox = new QHBoxLayout;
    barBox->setContentsMargins(10, 10, 10, 10);
    barBox->addLayout(barStack);
    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(pageStack, 1);
    body->addLayout(barBox);
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    top->addWidget(titleBar);
    top->addLayout(body, 1);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedSize(1920, 1080);

    connect(optionBar, &OptionBar::btnsToggled, this, &MainWindow::OptBtnsToggledSlot);
    connect(regiOption, &RegiOption::btnsToggled, this, &MainWindow::RegionBtnsToggledSlot);
    for (CammerWidget* v : views) {
        connect(v, &CammerWidget::templateLastRequested, regiOption, &RegiOption::SlotTempLast);
        connect(v, &CammerWidget::templateNextRequested, regiOption, &RegiOption::SlotTempNext);
    }
    // The login indicator below the camera views belongs to the camera page only.
    connect(pageStack, &QStackedWidget::currentChanged, this, [this](int index) {
        if (ioStatus) ioStatus->setVisible(index == 0);
    });
    ioStatus = new IOStatusWidget(this);
    ioStatus->setGeometry(700, 1030, 200, 50);
    ioStatus->setVisible(pageStack->currentIndex() == 0);
    ioStatus->raise();
    // The snapshot panel lies over the right edge of the camera area.
    indexButton->show();
    indexButton->raise();
    ChangeCammer();
}

MainWindow::~MainWindow() {
    stopForTest();
    setRoiStoreLookup(nullptr);
    setCycleTimeSource(nullptr);
    resetSettingsHost();
    resetCameraPagesHost();
    // The camera layer's hooks into this window and its views go with it (a window made later, as
    // after a restart in one process, must never reach this one through them).
    {
        CameraHost& host = cameraHost();
        host.settingsVisible = nullptr;
        host.resetStallCounters = nullptr;
        host.markViewFailed = nullptr;
        setCameraViews({});
    }
    // The keypads and the password dialog are children of the window and go with it.
    if (gpNumPad && gpNumPad->parent() == this) gpNumPad = nullptr;
    if (gpNumCharPad && gpNumCharPad->parent() == this) gpNumCharPad = nullptr;
    if (gpPasswordBox && gpPasswordBox->parent() == this) gpPasswordBox = nullptr;
}

void MainWindow::stopForTest() {
    for (QTimer* t : findChildren<QTimer*>()) t->stop();
    if (gpSaveFialImageThread) {
        gpSaveFialImageThread->stopForTest();
        delete gpSaveFialImageThread;
        gpSaveFialImageThread = nullptr;
    }
    if (gpControlIO) {
        delete gpControlIO;
        gpControlIO = nullptr;
    }
    for (CammerWidget* v : views)
        if (v) v->CameraClose();
}

void MainWindow::Monitor_Init() {
    WizardPara& p = para();
    // 1. FFmpeg devices and network layer for the V4L2 cameras; the window's geometry.
    avdevice_register_all();
    avformat_network_init();
    setWindowFlags(windowFlags() | Qt::CustomizeWindowHint);
    if (QScreen* screen = QApplication::primaryScreen()) setFixedSize(screen->geometry().size());
    gShowH = 982;
    gShowW = 1725;

    // 2. Cycle state; the watchdog flag is up while the monitor runs.
    gisRunWTD = 1;
    DetectStep = 0;
    forcedStep = -1;
    multiStep = 0;
    zoomX = zoomY = 1.0f;
    RunState = 1;
    DisplayState = 0;
    StepPhase = 3;
    AccessLevel = 0;
    recheckPending = 0;
    noInputWarned = 0;
    screenOff = 0;
    memset(StepArmedMask, 0, sizeof(StepArmedMask));

    // 3. Logout, screen-off and input confirmation timers.
    logoutTimer = new QTimer(this);
    connect(logoutTimer, &QTimer::timeout, this, &MainWindow::TimerLogout);
    screenOffTimer = new QTimer(this);
    connect(screenOffTimer, &QTimer::timeout, this, &MainWindow::TimerLCD);
    void (MainWindow::*confirmSlots[8])() = {&MainWindow::TimerCheckInput0, &MainWindow::TimerCheckInput1,
                                             &MainWindow::TimerCheckInput2, &MainWindow::TimerCheckInput3,
                                             &MainWindow::TimerCheckInput4, &MainWindow::TimerCheckInput5,
                                             &MainWindow::TimerCheckInput6, &MainWindow::TimerCheckInput7};
    for (int k = 0; k < 8; ++k) {
        checkInputTimer[k] = new QTimer(this);
        connect(checkInputTimer[k], &QTimer::timeout, this, confirmSlots[k]);
    }

    // 4. The long-lived warning box.
    gpWarnBox = new WarnBox(lanText(568));

    // 5. Operation records: "./RECORD", the record date of "time.txt" and RECORD.db. A missing,
    // damaged or table-less database is moved aside and made afresh on the spot; the operator hears
    // of it, and start-up goes on (a reboot would not mend what a restore could not).
    const RecordDb::OpenResult recordOpen = records.start();
    recordDbOpen = recordOpen != RecordDb::OpenResult::Failed;
    if (recordOpen != RecordDb::OpenResult::Opened) showWarnBox(lanText(135));
    installRecordHooks();

    // 6. Log manager.
    if (!LogManager::__instance) LogManager::__instance = new LogManager;
    qInfo().noquote() << "application start VERSION:" << kMonitorVersion << "on"
                      << SysClock::now().toString(QStringLiteral("yyyy.MM.dd hh:mm:ss.zzz"));
    if (recordOpen == RecordDb::OpenResult::Repaired)
        qWarning() << "record database was missing its table or damaged: made afresh";
    else if (recordOpen == RecordDb::OpenResult::Failed)
        qWarning() << "record database cannot be made: records are dropped until it can";

    // 7. Values of the live record.
    if (p.detect_mode == kDetectMulti) {
        DetectStep = gDNum - 1;
        multiStep = gDNum - 1;
    } else {
        DetectStep = p.enable_prod_detect == 1 ? 0 : 1;
    }
    gTempNum = p.max_mold_num;
    gPicNumNG = p.ng_max_num;
    gPicNumOK = p.ok_record_max_num;
    gisCOM = p.serial_port;
    gisGrayHue = p.enable_gray_channel;
    gisColor = p.enable_color_camera;
    gisCut = p.prohibit_optimize ? 0 : 1;  // 1 - the switch, for any stored value
    MouldSide = gLoadMouldSide;

    // 8. Question box and the two keypads (no parent until the end of the start-up).
    gpChooseBox = new ChooseBox(lanText(588));
    currentEdit = nullptr;
    gpNumPad = new NumberInput;
    gpNumCharPad = new NumCharInput;

    // 9. IO board: clamping cut until the cycle allows closing.
    gpControlIO = new ControlPort;
    gpControlIO->IOSetOut(kOutClampingCut, 1);
    gpControlIO->IOFlashOut();

    // 10. Camera back-end, image geometry and the camera feature names.
    CheckCameraID();
    setImageGeometry(gImageW, gImageH, gisColor != 0);
    initParamIndex();

    // 11.
    gpWarnBox->hide();
    gpWarnBox->setText(lanText(133));
    greyTable.resize(256);
    for (int i = 0; i < 256; ++i) greyTable[i] = qRgb(i, i, i);
    numCamera = 0;
    memset(stallCount, 0, sizeof(stallCount));

    // 12. Option bar, settings dialog, image container with the eight views.
    optionBar = new OptionBar(this);
    settingWidget = new SystemSettingWidget(this);
    imageContainer = new ImageContainer(views, this);
    cams.clear();
    for (CammerWidget* v : views)
        if (v->cameraOpened() && v->isBuilt()) cams.append(v);
    numCamera = cams.size();

    // 13. Camera count check.
    if (gCameraID != kCameraNone && numCamera > 0) {
        if (p.serial_count > 0 && p.serial_count != gFindCamera && showChooseBox(lanText(360))) {
            clearCameraBindings();
            FLushAll();
            RunCommand(QStringLiteral("reboot"));
        }
    } else {
        // No camera: four test views. A back-end found with no camera opened left views 1 to 3
        // unbuilt; they are completed here so that the cycle never meets an unbuilt view.
        gCameraID = kCameraNone;
        cams.clear();
        for (int i = 0; i < 4; ++i) {
            views[i]->CompleteAsTestView();
            cams.append(views[i]);
        }
        numCamera = 4;
        if (showChooseBox(lanText(134))) clearCameraBindings();
    }
    displayedCamera = numCamera == 1 ? 0 : numCamera;
    registerCameraViews();

    // 14-15. Index panel, zoom and the password box (after the numeric keypad it listens to).
    indexButton = new IndexButton(this);
    // Camera reorder dialog: a window of its own; confirming it ends in the settings dialog's shutdown.
    widgetChangeCamera = new WidgetChangeCamera(this);
    widgetChangeCamera->setParent(this, widgetChangeCamera->windowFlags());
    widgetChangeCamera->hide();
    if (settingWidget->metaObject()->indexOfSlot("SlotShutDown()") >= 0)
        connect(widgetChangeCamera, SIGNAL(shutDownRequested()), settingWidget, SLOT(SlotShutDown()));
    customIONameWidget = new CustomIONameWidget(this, settingWidget->ioWidget, settingWidget);
    customIONameWidget->init();
    customIONameWidget->hide();
    hardwareWidget = new HardwareConfigurationWidget(this);
    hardwareWidget->hide();
    connect(hardwareWidget, &HardwareConfigurationWidget::confirmed, settingWidget, &QWidget::show);
    installSettingsHost();
    createGlobalPasswordBox();
    zoomOffX = zoomOffY = 0;
    zoomScale = 1.0;
    const struct {
        QPushButton** button;
        const char* icon;
        int x;
        void (MainWindow::*action)();
    } zoomButtons[] = {
        {&zoomInButton, ":/img/icons/ZoomIn.png", gShowW - 60, &MainWindow::MEnlargeScale},
        {&zoomOutButton, ":/img/icons/ZoomOut.png", gShowW - 155, &MainWindow::MReductionScale}};
    for (const auto& z : zoomButtons) {
        auto* b = new QPushButton(this);
        b->setFixedSize(55, 55);
        b->setIcon(QIcon(QString::fromLatin1(z.icon)));
        b->setIconSize(QSize(50, 50));
        b->setAttribute(Qt::WA_TranslucentBackground);
        b->setWindowFlags(b->windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        b->setStyleSheet(QStringLiteral(
            "QPushButton{border-style:none;background:transparent;}QPushButton:pressed{background-"
            "color:#FFC107;}"));
        b->setAutoRepeat(true);
        b->move(z.x, gShowH - 140);
        b->hide();
        connect(b, &QPushButton::clicked, this, z.action);
        *z.button = b;
    }
    zoomInButton->setAutoRepeatDelay(300);
    zoomInButton->setAutoRepeatInterval(50);
    optionBar->fineTuningPad->move(gShowW - 165, gShowH - 300);
    scaleTimer = new QTimer(this);
    connect(scaleTimer, &QTimer::timeout, this, &MainWindow::MTimerScale);

    // 16. Per camera and step: state and folders.
    makeFolders();

    // 17. Loop, no-input and step timers.
    runTimer = new QTimer(this);
    runTimer->setSingleShot(true);
    connect(runTimer, &QTimer::timeout, this, &MainWindow::Run);
    inCheckTimer = new QTimer(this);
    connect(inCheckTimer, &QTimer::timeout, this, &MainWindow::InCheck);
    void (MainWindow::*upSlots[8])() = {&MainWindow::TimerUp0, &MainWindow::TimerUp1, &MainWindow::TimerUp2,
                                        &MainWindow::TimerUp3, &MainWindow::TimerUp4, &MainWindow::TimerUp5,
                                        &MainWindow::TimerUp6, &MainWindow::TimerUp7};
    for (int s = 0; s < kMaxStep; ++s) {
        timerUp[s] = new QTimer(this);
        connect(timerUp[s], &QTimer::timeout, this, upSlots[s]);
    }

    // 18-19. NG image slots and the saver.
    allocateFailImages(numCamera, gImageW, gImageH, gDNum);  // the steps of the procedure only
    for (int c = 0; c < kMaxCamera; ++c) frameCount[c] = prevFrameCount[c] = fps[c] = 0;
    FailImageArchive archive{QStringLiteral("./alarmimage"), numCamera, gDNum, gPicNumNG, gPicNumOK};
    for (int c = 0; c < cams.size() && c < kMaxCamera; ++c) archive.cameraSlots[c] = cams[c]->slot;
    gpSaveFialImageThread = new SaveFialImageThread(archive);
    // Runs on the saver's thread, after a picture was written completely.
    gpSaveFialImageThread->setPictureSink([](const QString& absolutePath, const QString& relativePath) {
        if (!CNT_ClientReady()) return;
        gpNet->CNT_SendAlarmPic(absolutePath);
        gpNet->CNT_SendStatistics(relativePath);
    });
    gpSaveFialImageThread->start(QThread::InheritPriority);

    // 20. Result display and output pulse timers.
    showTimer = new QTimer(this);
    connect(showTimer, &QTimer::timeout, this, &MainWindow::TimerShow);
    outTimerOutNG = new QTimer(this);
    connect(outTimerOutNG, &QTimer::timeout, this, &MainWindow::OutTimerOutNG);
    outTimerOutNG1 = new QTimer(this);
    outTimerOutNG1->setSingleShot(true);
    connect(outTimerOutNG1, &QTimer::timeout, this, &MainWindow::OutTimerOutNG1);
    outTimerNotAllowClose = new QTimer(this);
    connect(outTimerNotAllowClose, &QTimer::timeout, this, &MainWindow::OutTimerNotAllowClose);
    outTimerNotAllowThimble = new QTimer(this);
    connect(outTimerNotAllowThimble, &QTimer::timeout, this, &MainWindow::OutTimerNotAllowThimble);

    // 21-22. Record folder and record date (made and read with the database), the date-change timer
    // and its first check; the counters.
    recordDir = QDir(QString::fromLatin1(RecordStore::kArchiveDir));
    // The statistics archive is made at every start, whether or not statistics are kept.
    if (!QDir().mkpath(QString::fromLatin1(ResStatisticsParam::kArchiveDir)))
        qWarning() << "cannot create ./ResStatistics";
    checkDateTimer = new QTimer(this);
    connect(checkDateTimer, &QTimer::timeout, this, &MainWindow::SlotCheckDate);
    SlotCheckDate();
    if (!CountRead()) qInfo() << "no counter file yet: counters start from 0";
    countersRead = true;

    // 23. Start detecting; the clamping cut at fixed time keeps output 0 on.
    startWithClampPulse();

    // 24-25.
    manualStart = 0;
    memset(ngOutputFlags, 0, sizeof(ngOutputFlags));
    manualStepRequest = gDNum;
    gpWarnBox->hide();
    runTimer->start(TimeMs("run.first", 5));
    checkDateTimer->start(TimeMs("record.checkDate", 60000));

    // 26.
    InsertRecord(lanText(150).arg(numCamera));

    // 27.
    fpsTimer = new QTimer(this);
    connect(fpsTimer, &QTimer::timeout, this, &MainWindow::SlotFPS);
    fpsTimer->start(TimeMs("camera.fps", 1000));
    reCheckTimer = new QTimer(this);
    connect(reCheckTimer, &QTimer::timeout, this, &MainWindow::ReCheck);

    // 28.
    if (gCameraID == kCameraMindVision) InsertRecord(cameraSdkVersionText());

    // 29.
    cycleTime = 0;
    cycleStamp = cycleStampNow();

    // 31.
    if (p.screen_off_time > 0) screenOffTimer->start(p.screen_off_time * 1000);

    CameraSetSpeed();

    // 32.
    gpWarnBox->setParent(this, gpWarnBox->windowFlags());
    gpNumPad->setParent(this, gpNumPad->windowFlags());
    gpNumCharPad->setParent(this, gpNumCharPad->windowFlags());
    if (gpPasswordBox) gpPasswordBox->setParent(this, gpPasswordBox->windowFlags());
    gpChooseBox->setParent(this,
                           gpChooseBox->windowFlags() | Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint);
    simulatedInput = -1;
    carriedInput = -1;
}

void MainWindow::makeFolders() {
    for (int c = 0; c < numCamera && c < kMaxCamera; ++c) {
        // Every folder of a camera is named by its slot (the number on its badge).
        const int cam = cams[c]->slot + 1;
        for (int d = 0; d < kMaxStep; ++d) {
            ImageState[c][d] = 0;
            stepOk[d] = 0;
            const QString ng =
                QStringLiteral("%1//camera%2//detect%3//NG").arg("./alarmimage").arg(cam).arg(d + 1);
            const QString ok =
                QStringLiteral("%1//camera%2//detect%3//OK").arg("./alarmimage").arg(cam).arg(d + 1);
            const QString tmpl = QStringLiteral("./cammer%1%2").arg(cam).arg(d + 1);
            const QString raw = QStringLiteral("%1//cammer%2%3").arg("./originalimage").arg(cam).arg(d + 1);
            for (const QString& dir : {ng, ok, tmpl, raw})
                if (!QDir().mkpath(dir)) qWarning().noquote() << "cannot create" << dir;
            ngDir[c][d] = QDir(ng);
            okDir[c][d] = QDir(ok);
        }
    }
}

void MainWindow::InsertRecord(QString text) {
    // The store runs the date check first, tells the bridge, then writes the row.
    if (records.insertRecord(text, AccessLevel)) qInfo().noquote() << "record:" << text;
}

void MainWindow::FLushAll() {
    if (ParameterManager* pm = ParameterManager::getInstance()) pm->releaseDB();
    records.flush();
    QThread::msleep(static_cast<unsigned long>(TimeMs("record.flushPause", 500)));
}

void MainWindow::StopInOrder() {
    // No new cycle, no timer acting on the outputs. The outputs stay as they stand: a clamping cut or
    // an alarm output that is on keeps the machine from closing the mould after the program has gone.
    for (QTimer* t : findChildren<QTimer*>()) t->stop();
    if (gpControlIO) {
        // The word the last pass built reaches the board before polling ends; a board that is lost
        // or has never answered has nobody to confirm it.
        if (IOLinkLost() || gOutputEcho.load() < 0)
            gpControlIO->IOFlashOut();
        else if (!gpControlIO->applyOutputsAndWait(TimeMs("exit.outputs", 1000)))
            qWarning("stop: the IO board did not confirm the outputs");
        gpControlIO->stopPolling();
    }
    if (gpSaveFialImageThread) gpSaveFialImageThread->finish();
    // Counters not read yet (a stop during the start-up) are not written over.
    if (countersRead && !CountWrite()) qWarning("stop: the counters could not be written");
    for (CammerWidget* v : views)
        if (v) v->CameraClose();
    FLushAll();
    qInfo("stopped in order");
}

void MainWindow::installRecordHooks() {
    // Operation records go to the network client whenever the bridge is up, client or not.
    records.setBridgeSink([](const QDateTime& time, const QString& label, const QString& text) {
        if (CNT_BridgeUp()) gpNet->CNT_SendRecord(time, label, text);
    });
    // Region results of a cycle, gathered for the one-result message of the decision.
    setRoiRecordSink([](const RoiRecord& r) {
        param_roi p;
        p.camera = r.camera;
        p.detect = r.detect;
        p.roi = r.roi;
        p.type = r.func;
        p.value = r.value;
        p.min = r.minLimit;
        p.max = r.maxLimit;
        p.ok = r.ok;
        g_listParamROI.append(p);
    });
    setRoiParamNotifier([](int camera, int step) {
        if (CNT_ClientReady()) gpNet->CNT_SendROIParam(camera, step);
    });
    // The regions of a camera as the client gets them: the saved store of the view showing it.
    setRoiStoreLookup([this](int camera) -> const CammerSingleton* {
        for (CammerWidget* v : cams)
            if (v && v->data.savedStore && v->data.savedStore->camera == camera)
                return v->data.savedStore.get();
        return nullptr;
    });
    setCycleTimeSource([this] { return int(cycleTime); });
    setParamSendHook(
        {[] { return gpNet && gpNet->isStarted() && gpNet->isConnected(); }, [] { gpNet->CNT_SendParam(); }});
    // The parameter record was loaded before the window existed: names that had to come from the
    // defaults are filled now.
    installDefaultSignalNamer();
    if (gpWPara && (gpWPara->detect_mode == kDetectMulti || !QFile::exists(QStringLiteral("name.txt"))))
        applyDefaultSignalNames(*gpWPara);
}

int MainWindow::lastStep() const {
    return modeNow() == kDetectMulti ? gDNum - 1 : 1;
}

bool MainWindow::stepOn(int d) const {
    return d >= 0 && d < kMaxStep && para().step_enable[d] != 0;
}

int MainWindow::stepOutput(int s) const {
    const int n = (s == gDNum - 1) ? OutputNo[7] : OutputNo[qBound(0, s, 7)];
    return n - 1;
}

void MainWindow::updateCycleStamp() {
    const uint32_t now = cycleStampNow();
    cycleTime = now - cycleStamp;
    cycleStamp = now;
}

// ---------------------------------------------------------------------------------------------------
// Polling loop

void MainWindow::Run() {
    WizardPara& p = para();
    ControlPort* io = gpControlIO;
    ++gRunCount;
    ++passCount;
    if (gRunCount == 1) qInfo().noquote() << "first poll of the inspection loop";
    if (passCount == 50)
        for (CammerWidget* v : cams) v->SetWB();  // one-shot white balance (colour cameras only)

    if (gisLost) {
        passCount = 0;
        if (io) {
            io->IOSetOut(kOutClampingCut, 1);
            io->IOFlashOut();
        }
        ::CameraRestart();
        inCheckTimer->stop();
        runTimer->start(TimeMs("run.lost", 3000));
        return;
    }

    watchIOLink();

    // Frame intake: lock, test, copy and clear under the camera's lock (TakeFrame).
    for (int i = 0; i < kMaxCamera; ++i) freshFrame[i] = false;
    for (int i = 0; i < numCamera; ++i) {
        CammerWidget* v = cams[i];
        if (!v->TakeFrame(v->data.rawBuffer.data())) continue;
        v->brightness = v->MeanBrightness();
        if (p.external_trigger && DisplayState != 2) cameraTrigBits |= 1 << i;
        ++frameCount[i];
        freshFrame[i] = true;
    }

    if (stopAfterAlarm && DisplayState != 2) takeDeferredStop();

    if (io) {
        if (DisplayState == 2) {
            alarmInputs();
        } else if (recheckPending) {
            recheckPass();
        } else {
            if (p.enable_trigger_safety && RunState != 3) safetyDoorTrigger();
            if (RunState == 3)
                stoppedInputs();
            else
                cycleLogic();
        }
    }

    // Flush.
    for (int i = 0; i < numCamera; ++i)
        if (freshFrame[i] && (gSource == 1 || gSource == -1)) cams[i]->ShowWorkingImage();
    if (io) io->IOFlashOut();
    if (titleBar) titleBar->updateIO();
    runTimer->start(TimeMs("run.loop", 3));
}

void MainWindow::watchIOLink() {
    const bool lost = gpControlIO && IOLinkLost();
    if (lost != ioLinkAlarm) {
        ioLinkAlarm = lost;
        if (titleBar) titleBar->setIOLinkAlarm(lost);
    } else if (!linkRecords.waiting()) {
        return;
    }
    // The title bar shows every change; the records get at most one of each kind a minute.
    int unrecorded = 0;
    if (!linkRecords.update(lost, &unrecorded)) return;
    const QString text = lanText(lost ? 601 : 602);
    InsertRecord(unrecorded > 0 ? lanText(762).arg(text, QString::number(unrecorded)) : text);
}

void MainWindow::alarmInputs() {
    WizardPara& p = para();
    ControlPort* io = gpControlIO;
    io->IOInTrigger(0);  // consumed only
    const int e1 = io->IOInTrigger(1);
    const int e2 = io->IOInTrigger(2);
    const int e3 = io->IOInTrigger(3);
    const int l0 = io->IOState(0, 0);
    const int l3 = io->IOState(0, 3);
    const bool recheck = e1 || simulatedInput == 1 ||
                         (DetectStep > 0 && p.semi_auto && (e2 || simulatedInput == 2)) ||
                         (p.cavity_trigger_recheck && e3);
    if (recheck) {
        simulatedInput = -1;
        for (CammerWidget* v : cams)
            for (bool& r : v->skipFlag) r = false;
        if (modeNow() == kDetectTurntable) {
            if (l0 && !l3)
                MouldSide = 1;
            else if (l3 && !l0)
                MouldSide = 0;
        }
        AlarmRecheck();
    }
    inCheckTimer->stop();
}

void MainWindow::recheckPass() {
    const int s = twoColourOrTurntable() ? (DetectStep & 1) : DetectStep;
    if (s >= 0 && s < kMaxStep && RecheckLeft[s] > 0 && !reCheckTimer->isActive()) {
        --RecheckLeft[s];
        if (recheckDelay != 0) {
            reCheckTimer->setSingleShot(false);
            reCheckTimer->start(recheckDelay * TimeMs("recheck.unit", 100));
        } else {
            ReCheck();
        }
    }
    inCheckTimer->stop();
}

void MainWindow::safetyDoorTrigger() {
    if (!(gpControlIO->IOInTrigger(kInSafetyDoor) || simulatedInput == 1)) return;
    simulatedInput = -1;
    const bool pairs = twoColourOrTurntable();
    for (int c = 0; c < numCamera; ++c) {
        cams[c]->skipFlag[1] = false;
        ImageState[c][1] = 1;
        if (pairs) {
            cams[c]->skipFlag[3] = false;
            ImageState[c][3] = 1;
        }
    }
    // The door asks for the last step now, however much of its delay was still to run.
    const int last = lastStep();
    if (last >= 0 && last < kMaxStep) {
        timerUp[last]->stop();
        remainingDelay[last] = 0;
    }
    safeDoorTrigger = 1;
    TimerUp(last);
    safeDoorTrigger = 0;
}

void MainWindow::stoppedInputs() {
    WizardPara& p = para();
    for (int k = 0; k <= 3; ++k) {
        if (!gpControlIO->IOInTrigger(k) || modeNow() != kDetectTwoColour) continue;
        if (k == 2 && p.cavity_pos != 1) MouldSide = 1;
        if (k == 3) {
            if (p.cavity_pos != 0) MouldSide = 0;
            break;
        }
    }
    inCheckTimer->stop();
}

void MainWindow::cycleLogic() {
    WizardPara& p = para();
    ControlPort* io = gpControlIO;
    const bool multi = modeNow() == kDetectMulti;
    bool stepRunning = false;
    for (int s = 0; s < gDNum && s < kMaxStep; ++s) stepRunning = stepRunning || timerUp[s]->isActive();
    if (stepRunning) simulatedInput = -1;

    // Manual snapshot request.
    if (manualStepRequest != gDNum) {
        const int m = manualStepRequest;
        manualStepRequest = gDNum;
        DetectMethod = -(m + 1);
        bool run = twoColourOrTurntable() ? (stepOn(m) || stepOn(m + 2)) : stepOn(m);
        if (multi) run = run && (m == multiStep || multiStep == gDNum - 1) && !stepRunning;
        if (run && m >= 0 && m < kMaxStep) {
            updateCycleStamp();
            manualStart = 1;
            if (m == 0) memset(ngOutputFlags, 0, sizeof(ngOutputFlags));
            RecheckLeft[0] = RecheckLeft[1] = 0;
            remainingDelay[m] = 0;
            TimerUp(m);
            if (DisplayState == 2) {
                if (multi) {
                    io->IOSetOut(stepOutput(multiStep), 1);
                } else if (!p.ok_ng_pulse) {
                    io->IOSetOut(kOutClampingCut, 1);
                    if (m == 0 && !p.enable_cutoff_ontime && !p.enable_stop_not_alarm)
                        io->IOSetOut(kOutEjectorCut, 1);
                }
                io->IOFlashOut();
                return;
            }
        }
    }
    if (stepRunning) return;

    // Camera-trigger mode: every camera delivered since the last start.
    if (p.external_trigger) {
        const int all = (1 << numCamera) - 1;
        if ((cameraTrigBits & all) == all) {
            cameraTrigBits = 0;
            simulatedInput = 0;
        }
    }

    for (int k = 0; k < 8; ++k) {
        bool counts = false;
        if (io->IOInTrigger(k)) {
            checkInputTimer[k]->stop();
            const int confirm = p.shake_erase_time;
            if (confirm > 0)
                checkInputTimer[k]->start(confirm * TimeMs("input.confirmUnit", 100));
            else
                counts = true;
        }
        if (inputConfirmed[k] || carriedInput == k || simulatedInput == k) counts = true;
        if (!counts) continue;
        inputConfirmed[k] = 0;
        simulatedInput = -1;
        DetectMethod = k + 1;
        if (!countingInput(k)) break;
    }
}

bool MainWindow::countingInput(int k) {
    WizardPara& p = para();
    ControlPort* io = gpControlIO;
    const int mode = modeNow();
    const bool multi = mode == kDetectMulti;
    const bool pairs = twoColourOrTurntable();
    const int last = gDNum - 1;

    if (multi && last >= 0) {
        const bool lastArmed = StepArmedMask[last] != 0;
        if (carriedInput < 0 && (k != 0 || lastArmed)) {
            int next = -1;
            for (int s = multiStep + 1; s < kMaxStep; ++s)
                if (p.step_input[s] != -1) {
                    next = s;
                    break;
                }
            if (next >= 0 && next < gDNum && next != 0 && p.step_input[next] != k) return false;
        }
    }

    bool start = false;
    switch (mode) {
        case kDetectTurntable:
            start = (k == 0 && p.cavity_pos != 1) || (k == 3 && p.cavity_pos != 0);
            break;
        case kDetectMulti:
            start = k == 0 && carriedInput < 0 && last >= 0 && StepArmedMask[last] == 0;
            break;
        default:
            start = k == 0 || (k == 2 && p.detect_any_order);
            break;
    }
    if (start) {
        cycleStart(k);
    } else if (StepArmedMask[1] != 0 || p.detect_any_order) {
        if (mode == kDetectTwoColour) {
            if (k == 2 && p.cavity_pos != 1) {
                MouldSide = 1;
                armCavityStep();
            } else if (k == 3 && p.cavity_pos != 0) {
                MouldSide = 0;
                armCavityStep();
            }
        } else if (k == 2 && (mode == kDetectTurntable || (mode != kDetectMulti && p.semi_auto))) {
            armCavityStep();
        }
    }

    // Step scheduler.
    if (multi) {
        if (last < 0 || StepArmedMask[last] == 0 || k > gDNum) {
            carriedInput = -1;
            return true;
        }
        auto row = [&](int s) { return s >= 0 && s < kMaxStep ? p.multi_trig_row_run[s] : -1; };
        int next = 0;
        for (int s = multiStep + 1; s < gDNum && s < kMaxStep; ++s)
            if (row(s) != -1) {
                next = s;
                break;
            }
        if (row(next) != row(multiStep) || (k == 0 && multiStep == last)) {
            // A step uses the cut mode of its IO-table row.
            const int r = row(next);
            const int cut = (r >= 0 && r < kMaxStep) ? p.multi_cut_mode[r] : 2;
            for (int s = next; s < gDNum && s < kMaxStep; ++s) {
                if (row(s) == -1) continue;
                if (cut == 2 || (cut == 1 && row(s) != r)) continue;
                if (s == 0 && !p.enable_prod_detect) continue;
                io->IOSetOut(stepOutput(s), 1);
            }
            multiStep = next;
        }
    } else if (StepArmedMask[1] == 0) {
        carriedInput = -1;
        return true;
    }

    const int n = pairs ? 2 : gDNum;
    for (int s = 0; s < n && s < kMaxStep; ++s) {
        const int phys = pairs ? (MouldSide == 0 ? s + 2 : s) : s;
        if (!stepOn(phys) || timerUp[s]->isActive()) continue;
        const int trig = p.step_input[phys];
        bool go = false;
        switch (mode) {
            case kDetectTwoColour:
                go = trig == k || (trig == 255 && (k == 2 || k == 3));
                break;
            case kDetectTurntable:
                go = trig == k || (trig == 255 && (k == 0 || k == 3));
                break;
            case kDetectMulti:
                go = trig == k && StepArmedMask[s] != 0;
                break;
            default:
                if (forcedStep == s) {
                    forcedStep = -1;
                    lastDelay = 0;
                    go = true;
                } else {
                    go = trig == k;
                }
                break;
        }
        if (!go) continue;
        if (multi) multiStep = s;
        int delay = p.trig_in_delay[phys];
        if (!pairs && !multi && s > 0 && !p.semi_auto && p.enable_prod_detect) delay += lastDelay;
        lastDelay = delay;
        if (delay > 0) {
            remainingDelay[s] = delay;
            timerUp[s]->start(TimeMs("step.tick", 100));
            StepPhase = 1;
        } else {
            for (bool& f : freshFrame) f = false;
            remainingDelay[s] = 0;
            TimerUp(s);
            // The scan ends here; an input the decision carried over to the next step stays.
            if (RunState == 3 || multi) return false;
        }
        if (multi) break;
    }
    carriedInput = -1;
    update();
    return true;
}

void MainWindow::cycleStart(int k) {
    WizardPara& p = para();
    ControlPort* io = gpControlIO;
    const int mode = modeNow();
    const bool multi = mode == kDetectMulti;
    updateCycleStamp();
    if (noInputWarned) {
        noInputWarned = 0;
        if (gpWarnBox) gpWarnBox->hide();
    } else if (p.input_timeout_len > 0) {
        // Up to 100000000 s are stored: the length saturates at the longest a timer takes (24 days).
        inCheckTimer->start(int(qMin<qint64>(qint64(p.input_timeout_len) * TimeMs("input.timeoutUnit", 1000),
                                             std::numeric_limits<int>::max())));
    }
    memset(StepArmedMask, 0, sizeof(StepArmedMask));
    if (multi) {
        memset(RecheckLeft, 0, sizeof(RecheckLeft));
    } else {
        RecheckLeft[0] = 0;
        // A cavity NG that only pulses is never re-checked: it is counted and pictured at once.
        RecheckLeft[1] = (p.ok_ng_pulse || p.cavity_ng_clamp) ? 0 : p.front_auto_check_time;
    }
    memset(ngOutputFlags, 0, sizeof(ngOutputFlags));
    gisSafeDoorOpen = false;
    recheckDelay = p.re_check_delay;
    for (int c = 0; c < numCamera; ++c) {
        for (int d = 0; d < gDNum && d < kMaxStep; ++d) {
            if (stepOn(d)) StepArmedMask[multi ? d : (d & 1)] |= 1 << c;
            cams[c]->skipFlag[d] = false;
            ImageState[c][d] = 1;
            stepOk[d] = 1;
        }
        allCountPending[c] = 1;
        failCountPending[c] = 1;
    }
    if (!p.ok_ng_pulse && !multi) {
        bool P = true;
        bool Q = true;
        if (mode == kDetectStandard) {
            P = k == 0 || !p.detect_any_order;
            Q = k == 2 || !p.detect_any_order;
        }
        if (p.pre_cut == 0 && mode != kDetectStandardNoRecheck && !p.cut_clamp_on_mold_alarm && Q &&
            !p.cavity_ng_clamp)
            io->IOSetOut(kOutClampingCut, 1);
        if (StepArmedMask[0] != 0) {
            if (p.enable_stop_not_alarm || p.cut_thimble_on_prod_alarm) {
                for (int o : {1, 4, 5, 6, 7}) io->IOSetOut(o, 0);
            } else if (!p.enable_cutoff_ontime && P) {
                io->IOSetOut(kOutEjectorCut, 1);
            }
        }
        io->IOFlashOut();
    }
    if (mode == kDetectTurntable) MouldSide = k == 0 ? 1 : 0;
}

void MainWindow::armCavityStep() {
    WizardPara& p = para();
    const bool pairs = twoColourOrTurntable();
    StepArmedMask[1] = 0;
    for (int c = 0; c < numCamera; ++c)
        if (stepOn(1) || (pairs && stepOn(3))) StepArmedMask[1] |= 1 << c;
    for (CammerWidget* v : cams)
        for (bool& r : v->skipFlag) r = false;
    if (!p.ok_ng_pulse && p.pre_cut == 0 && !p.cut_clamp_on_mold_alarm && !p.enable_stop_not_alarm)
        gpControlIO->IOSetOut(kOutClampingCut, 1);
    gpControlIO->IOFlashOut();
}

void MainWindow::CheckInput(int k) {
    if (k < 0 || k >= 8) return;
    inputConfirmed[k] = gpControlIO && gpControlIO->IOState(0, k) ? 1 : 0;
}

void MainWindow::confirmTimeout(int k) {
    checkInputTimer[k]->stop();
    CheckInput(k);
}

void MainWindow::InCheck() {
    if (gpControlIO) {
        gpControlIO->IOSetOut(kOutClampingCut, 1);
        gpControlIO->IOFlashOut();
    }
    inCheckTimer->stop();
    const QString text = lanText(335);
    InsertRecord(text);
    // Marked before showing, and shown without a modal loop: the loop keeps running, and the next cycle
    // start hides the box instead of arming another warning.
    noInputWarned = 1;
    if (gpWarnBox) {
        gpWarnBox->setText(text);
        gpWarnBox->confirmButton->show();
        gpWarnBox->show();
        gpWarnBox->raise();
    }
}

void MainWindow::SlotManualTrig(int step) {
    if (step == 0 && !para().enable_prod_detect) {
        showWarnBox(lanText(145));
        return;
    }
    manualStepRequest = step;
    for (CammerWidget* v : cams)
        for (bool& r : v->skipFlag) r = false;
    if (gCameraID == kCameraNone && numCamera > 0) {
        const int shown = displayedCamera >= numCamera ? 0 : displayedCamera;
        CammerWidget* v = cams[shown];
        loadTestPicture(QStringLiteral("cammer15/template%1.bmp").arg(testPictureIndex), v->data.rawBuffer);
        testPictureIndex = testPictureIndex >= 4 ? 0 : testPictureIndex + 1;
    }
}

void MainWindow::SlotMuliManualTrig() {
    if (indexButton) SlotManualTrig(indexButton->CurChooseTrig());
}

void MainWindow::SlotCheckDate() {
    records.checkDate();
}
void MainWindow::SlotFPS() {
    // LED 5: steady while detection is stopped, blinking once a second while it runs.
    fpsLedPhase = RunState == 3 ? 1 : !fpsLedPhase;
    LEDOnOff(5, fpsLedPhase);
    const bool triggered = para().external_trigger != 0;  // triggered cameras may be idle for long
    for (int i = 0; i < kMaxCamera; ++i) {
        const int frames = frameCount[i];
        fps[i] = frames - prevFrameCount[i];
        prevFrameCount[i] = frames;
        if (i >= numCamera) continue;
        // A hidden view does not paint: its strip on the title bar is kept current from here.
        if (views[i]) views[i]->updateTitleStrip();
        if (triggered) continue;
        if (fps[i] != 0) {
            stallCount[i] = 0;
        } else if (++stallCount[i] > 5) {
            stallCount[i] = 0;
            CameraCheck(i);
        }
    }
}
void MainWindow::TimerLogout() {
    accessLogout();
}
void MainWindow::TimerLCD() {
    screenOffTimer->stop();
    LCDOnOff(0);  // backlight off; the next press wakes the screen
    screenOff = 1;
}
void MainWindow::installSettingsHost() {
    SettingsHost& host = settingsHost();
    host.showImagePage = [this] {
        if (pageStack && imageContainer) pageStack->setCurrentWidget(imageContainer);
    };
    host.showHideViewTools = [this](int mode) { MShowHide(mode); };
    host.repaintViews = [this] {
        for (CammerWidget* v : cams) v->update();
    };
    host.showCustomIONames = [this] {
        if (customIONameWidget) customIONameWidget->show();
    };
    host.showHardwareConfiguration = [this] {
        if (hardwareWidget) hardwareWidget->show();
    };
    host.setMouldSide = [this](int side) { MouldSide = side; };
    host.restartScreenOffTimer = [this](int seconds) { screenOffTimer->start(seconds * 1000); };
    host.refreshIndexPanel = [this] {
        if (indexButton) indexButton->ShowHide(3);
    };
    host.rawImageSaving = [this] { return rawImageSaving != 0; };
    host.setRawImageSaving = [this](bool on) { rawImageSaving = on ? 1 : 0; };
    host.askProductList = [] {
        if (CNT_ClientReady()) gpNet->CNT_SendGetProduct();
    };
    host.askRemindList = [] {
        if (CNT_ClientReady()) gpNet->CNT_SendGetRemindList();
    };
    // The client's answers go to the pages that asked.
    if (gpNet && settingWidget) {
        connect(gpNet, &CNT_Net::productListReceived, settingWidget->deviceParams,
                &DeviceParamsWidget::cnt_reset_product, Qt::UniqueConnection);
        connect(gpNet, &CNT_Net::remindListReceived, settingWidget->memorandum,
                &MemorandumWidget::cnt_reset_remind, Qt::UniqueConnection);
    }
    CameraPagesHost& pages = cameraPagesHost();
    pages.showCamera = [this](int camera) {
        displayedCamera = camera;
        ChangeCammer();
    };
    pages.cameraPramsAdjust = [this](bool enter) { cameraPramsAdjust(enter); };
    pages.showCameraOrder = [this] {
        setcontentLayout();
        if (widgetChangeCamera) {
            widgetChangeCamera->show();
            widgetChangeCamera->raise();
        }
    };
    pages.rebuildModels = [this](const CameraCommit& c) { rebuildModels(c); };
}

void MainWindow::registerCameraViews() {
    QVector<CameraSlot*> used;
    for (CammerWidget* v : cams) used.append(v);
    setCameraViews(used);
    CameraHost& host = cameraHost();
    host.settingsVisible = [this] { return settingsShown(); };
    host.hideWarnBox = [] {
        if (gpWarnBox) gpWarnBox->hide();
    };
    host.resetStallCounters = [this] { memset(stallCount, 0, sizeof(stallCount)); };
    host.markViewFailed = [this](int index) {
        if (CammerWidget* v = camView(index)) v->data.allOk = false;
    };
}

void resetInspectionGlobals() {
    gpWarnBox = nullptr;
    gpChooseBox = nullptr;
    gSource = -1;
    gRunCount = 0;
    gPicNumNG = gPicNumOK = 0;
    gTempTime.clear();
    gFromTrain = gisReTrain = gisReShape = 0;
    gisLost = false;
}
