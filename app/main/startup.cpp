#include "startup.h"

#include <QApplication>
#include <QDir>
#include <QTextCodec>
#include <QTimer>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QThread>
#include <QTranslator>
#include <algorithm>
#include <glog/logging.h>
#include <opencv2/core.hpp>

#include "app/globals.h"
#include "app/glogsetup.h"
#include "app/lanstr.h"
#include "app/parametermanager.h"
#include "app/stopsignals.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "camera/cameraip.h"
#include "editor/drawroiwidget.h"
#include "inspection/mainwindow.h"
#include "io/ionames.h"
#include "io/ledcontrol.h"
#include "platform/system/commandrunner.h"
#include "platform/system/processexit.h"
#include "platform/system/profile.h"
#include "platform/system/syspath.h"
#include "settings/timerroundmanage.h"
#include "widgets/kithost.h"
#include "netbridge/cnt_net.h"
#include "widgets/bmessagebox.h"
#include "widgets/mapplication.h"
#include "widgets/splash.h"

QString applicationStyleSheet() {
    return QStringLiteral(
        "QLabel{font-size:18px; color:white;}"
        "MainWindow{background-color:#ffffff;}"
        "BLineEdit{background-color:#f5f5f5; border-width:1px; border-style:solid; border-color:#696667; "
        "color:#173889; font-size:32px;}"
        "QPushButton{background-color:#ffffff; border-width:1px; border-style:solid; border-color:#696667; "
        "color:#173889; font-size:22px;}"
        "QPushButton:pressed{background-color:#656263; color:#ffffff;}"
        "QScrollBar:vertical{background:#00FFFFFF; width:6px; min-height:40px; padding:0px;}"
        "QScrollBar::handle:vertical{background:#BDBDBD; border-radius:3px;}"
        "QScrollBar::handle:vertical:hover{background:#EDEDED;}"
        "QScrollBar::add-line:vertical{background:None;}"
        "QScrollBar::sub-line:vertical{background:None;}"
        "QSlider{height:38px;}"
        "QSlider::groove{border-radius:5px; height:10px; background:#d3d3d3;}"
        "QSlider::handle{width: 60px; height: 60px; margin-top: -20px; margin-left: -10px; margin-bottom: "
        "-20px; margin-right: -10px; image:url(:/img/icons/圆1.png);}"
        "QSlider::add-page{border-radius:5px; height:10px; background:#d3d3d3;}"
        "QSlider::sub-page{border-radius:5px; height:10px; background:#273d88;}"
        "QCheckBox::indicator{width:95px; height:50px;}"
        "QCheckBox::indicator:unchecked{image:url(:/img/icons/54.png);}"
        "QCheckBox::indicator:checked{image:url(:/img/icons/55.png);}"
        "QRadioButton{font-size:22px; color:#656263; spacing:10px;}"
        "QRadioButton::indicator{width:50px; height:50px;}"
        "QRadioButton::indicator::unchecked{image: url(:/img/icons/71.png);}"
        "QRadioButton::indicator::checked{image: url(:/img/icons/70.png);}"
        "QComboBox{border: 1px solid #656263; padding: 1px 32px 1px 32px; font-size: 22px; color: #5f6268; "
        "height: 50px; background-color:#f5f5f5;}"
        "QComboBox::drop-down{subcontrol-origin: padding; subcontrol-position: top right; width: 50px; "
        "border-style:none;}"
        "QComboBox::down-arrow{width: 50px; image: url(:/img/icons/2a.png);}"
        "QComboBox QAbstractItemView{border: 1px solid #656263; font-size: 22px; color: #5f6268; "
        "selection-background-color: #656263;}"
        "QComboBox QAbstractItemView::item{height:50px;}");
}

QTranslator* installTranslation(QCoreApplication* app, int language) {
    // English, or Traditional Chinese; the labels' source texts are Simplified Chinese.
    const QString file = language == 1   ? QStringLiteral("./Translator/trans_en_US.qm")
                         : language == 2 ? QStringLiteral("./Translator/trans_zh_TW.qm")
                                         : QString();
    if (file.isEmpty() || !QFile::exists(file)) return nullptr;
    auto* translator = new QTranslator;
    if (!translator->load(file)) qWarning().noquote() << "translation not loaded:" << file;
    app->installTranslator(translator);
    return translator;
}

bool startBridgeFollowUp(CNT_Net* net, int cntNetOn) {
    if (cntNetOn != 0 && net && !net->isStarted() && !net->listenError().isEmpty() && gpWin) {
        // Switched on but not listening (the port is taken): the operator's record says so.
        gpWin->InsertRecord(lanText(730).arg(CNT_Net::listenPort()).arg(net->listenError()));
        return false;
    }
    if (cntNetOn == 0 || !net || !net->isStarted()) return false;
    net->CNT_FirstInit();
    CNT_Net::CNT_ReStart();
    LOG(INFO) << "(start init) 'NetClinet' will restart...";
    return true;
}

QString setApplicationFont(const QString& shippedFile) {
    const int id = QFontDatabase::addApplicationFont(shippedFile);
    const QStringList families = id == -1 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
    if (!families.isEmpty()) {
        QApplication::setFont(QFont(families.first(), -1, 50));
        return families.first();
    }
    // The same design from the system fonts, in the weight of the shipped file.
    const QString family = QStringLiteral("Noto Sans CJK SC");
    if (!QFontDatabase().families().contains(family)) {
        qWarning().noquote() << "no application font: neither" << shippedFile << "nor" << family;
        return QString();
    }
    QApplication::setFont(QFont(family, -1, QFont::Medium));
    return family;
}

void installKitHooks() {
    KitHost& host = kitHost();
    host.cameraBackend = [] { return gCameraID; };
    host.backlightOn = [] { LCDOnOff(1); };
    host.screenOffSeconds = [] { return gpWPara ? gpWPara->screen_off_time : 0; };
    host.logoutSeconds = [] { return gpWPara ? gpWPara->auto_cancel_timelen : 0; };
}

namespace {
// The end of a stop signal and of a recorded reboot alike: outputs, pictures, counters and databases
// put in order by the main window (when it exists yet), then the exit action.
void stopInOrderAndExit(int status) {
    if (gpWin) gpWin->StopInOrder();
    Exit(status);
}

// SIGTERM or SIGINT, at any moment of the program's life: while the main window is being built (a
// start-up question open) as well as later, from whatever event loop runs, a box's included. The
// stop is recorded where the records are open; the outputs stay as they stand. No pause before the
// end: a service manager waiting for the program gets it at once.
void stopOnSignal(int sig) {
    const QString name = sig == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM");
    qWarning().noquote() << name << "received: stopping in order";
    if (gpWin) {
        gpWin->InsertRecord(lanText(603).arg(name));
        gpWin->StopInOrder();
    }
    gisRunWTD = 0;
    ProcessExit(0);
}
}  // namespace

int limitVisionThreads() {
    const int threads = std::clamp(QThread::idealThreadCount() / 2, 1, 4);
    cv::setNumThreads(threads);
    return threads;
}

int runMonitor(int argc, char* argv[], const std::function<void()>& whenRunning) {
    // 1-2. Locale codec and application object.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    MApplication app(argc, argv);
    limitVisionThreads();
    // 3. LED device (absent: -1, the LED helpers then only keep the state).
    gfLED = ::open(SysPathC("/dev/led").constData(), O_RDWR | O_CLOEXEC);
    // 4-5. Log directory and glog.
    QDir logDir(QStringLiteral("./cnt_net/cnt_log_app/"));
    if (!logDir.exists()) QDir().mkpath(logDir.path());
    gGlog = new GLog(std::string("./cnt_net/cnt_log_app/"), argv, &app);
    // SIGTERM and SIGINT stop the program in order (glog keeps the other failure signals), from the
    // first event loop on: one that arrives before it waits for it.
    if (!installStopSignals()) qWarning("SIGTERM and SIGINT cannot be caught: they end the program at once");
    armStopSignals(&stopOnSignal);
    // In the simulated profile a reboot or power-off is recorded, not carried out; the program then
    // ends as it would on the panel, once the code that asked has returned: stopped in order, with a
    // status that tells scripts/run whether to start it again.
    if (isSimulated()) {
        setMachineCommandHook([](MachineCommand c) {
            QMetaObject::invokeMethod(
                qApp,
                [c] {
                    static bool ending = false;
                    if (ending) return;
                    ending = true;
                    const bool reboot = c == MachineCommand::Reboot;
                    qWarning("%s recorded in the simulated profile: stopping in order",
                             reboot ? "reboot" : "power-off");
                    stopInOrderAndExit(reboot ? kExitSimulatedReboot : kExitSimulatedPowerOff);
                },
                Qt::QueuedConnection);
        });
    }
    // 6. Periodic USB copy.
    if (!TimerRoundManage::__instance) TimerRoundManage::__instance = new TimerRoundManage;
    TimerRoundManage::__instance->init();
    // 7. Frame and IO locks.
    createFrameLocks();
    for (bool& fill : isImageFill) fill = false;
    // 8. Language table and pixmaps; from here on the boxes are the real ones.
    Data_Init();
    installKitBoxes();
    // 9. Parameter database and records (the load names the IO signals).
    installDefaultSignalNamer();
    ParameterManager* pm = ParameterManager::getInstance();
    pm->init();
    gpWPara = pm->livePara;
    gpWParaBak = pm->bakPara;
    installKitHooks();
    // GigE address repair before camera detection (the simulated profile sees no interfaces).
    installGigeRepair();
    // 10. Translation of the fixed labels (English, Traditional Chinese).
    std::unique_ptr<QTranslator> translator(installTranslation(&app, gLan));
    // 11. Network bridge.
    gpNet = new CNT_Net;
    // 12. Main window: cameras, IO, records, timers and the first pass of the loop.
    auto* window = new MainWindow;
    gpWin = window;
    installDrawROIWidget(window);
    // 13. Bridge follow-up.
    startBridgeFollowUp(gpNet, gpWPara ? gpWPara->cnt_net_on : 0);
    // 14. Splash for at least one second.
    BSplashScreen splash;
    splash.showFullScreen();
    QElapsedTimer shown;
    shown.start();
    while (shown.elapsed() <= 999) {
        app.processEvents(QEventLoop::AllEvents);
        QThread::msleep(5);
    }
    // 15-16. Font and style sheet.
    setApplicationFont();
    app.setStyleSheet(applicationStyleSheet());
    // 17. Full screen, splash closed by the window, event loop.
    window->showFullScreen();
    splash.finish(window);
    if (whenRunning) QTimer::singleShot(0, &app, whenRunning);
    const int status = app.exec();
    setMachineCommandHook(nullptr);
    // 18.
    return status;
}
