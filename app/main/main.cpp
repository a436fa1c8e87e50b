#include <QApplication>
#include <QLabel>
#include <QTextCodec>

#include "app/globals.h"
#include "platform/system/profile.h"

int main(int argc, char* argv[]) {
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    QApplication app(argc, argv);
    qInfo("monitor starting, profile %s", profileName(currentProfile()));
    createFrameLocks();
    QLabel placeholder(QStringLiteral("monitor"));
    placeholder.resize(1920, 1080);
    placeholder.show();
    return app.exec();
}
