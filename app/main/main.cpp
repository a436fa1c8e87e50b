#include <QElapsedTimer>
#include <QLabel>
#include <QTextCodec>
#include <QThread>

#include "app/globals.h"
#include "platform/system/profile.h"
#include "widgets/bmessagebox.h"
#include "widgets/kittext.h"
#include "widgets/mapplication.h"
#include "widgets/splash.h"

int main(int argc, char* argv[]) {
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    MApplication app(argc, argv);
    qInfo("monitor starting, profile %s", profileName(currentProfile()));
    createFrameLocks();
    fillKitTexts();
    installKitBoxes();  // showWarnBox/showChooseBox show the real boxes from here on

    BSplashScreen splash;
    splash.showFullScreen();
    QElapsedTimer shown;
    shown.start();
    while (shown.elapsed() < 1000) {
        app.processEvents();
        QThread::msleep(10);
    }
    QLabel placeholder(QStringLiteral("monitor"));
    placeholder.resize(1920, 1080);
    placeholder.showFullScreen();
    splash.finish(&placeholder);
    return app.exec();
}
