#include "startup.h"

#include <QApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QThread>
#include <QTranslator>
#include <glog/logging.h>

#include "app/lanstr.h"
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
        "QRadioButton{font-size:22px; color:#656263; spacing:30px;}"
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

QTranslator* installEnglishTranslation(QCoreApplication* app, int language) {
    const QString file = QStringLiteral("./Translator/trans_en_US.qm");
    if (language != 1 || !QFile::exists(file)) return nullptr;
    auto* translator = new QTranslator;
    if (!translator->load(file)) qWarning().noquote() << "translation not loaded:" << file;
    app->installTranslator(translator);
    return translator;
}

bool startBridgeFollowUp(CNT_Net* net, int cntNetOn) {
    if (cntNetOn == 0 || !net || !net->isStarted()) return false;
    net->CNT_FirstInit();
    CNT_Net::CNT_ReStart();
    LOG(INFO) << "(start init) 'NetClinet' will restart...";
    return true;
}

bool setApplicationFontFromResources() {
    const int id =
        QFontDatabase::addApplicationFont(QStringLiteral(":/font/fonts/SourceHanSansCN-Medium.ttf"));
    if (id == -1) return false;
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) return false;
    QApplication::setFont(QFont(families.first(), -1, 50));
    return true;
}

int runMonitor(int argc, char* argv[]) {
    MApplication app(argc, argv);
    Data_Init();
    installKitBoxes();  // showWarnBox/showChooseBox show the real boxes from here on
    BSplashScreen splash;
    splash.showFullScreen();
    QElapsedTimer shown;
    shown.start();
    while (shown.elapsed() < 1000) {
        app.processEvents();
        QThread::msleep(10);
    }
    QWidget placeholder;
    placeholder.setStyleSheet(applicationStyleSheet());
    placeholder.resize(1920, 1080);
    placeholder.show();
    splash.finish(&placeholder);
    return app.exec();
}
