// Gallery pages of the access screens: the password dialog in its states, the login indicator and
// the index button panel of the main screen.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>
#include <cstring>

#include "app/globals.h"
#include "app/mainwindowbase.h"
#include "app/wizardpara.h"
#include "inspection/mainbars.h"
#include "records/accesslevel.h"
#include "records/iostatus.h"
#include "records/passwordbox.h"
#include "widgets/blineedit.h"
#include "widgets/kittext.h"

namespace {

void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

void savePixmap(const QPixmap& pm, const QString& out, const QString& name, int lan) {
    const QString path = QDir(out).filePath(QString("%1_%2.png").arg(name).arg(lan));
    if (!pm.save(path)) qWarning("cannot write %s", qPrintable(path));
}

}  // namespace

void accessGallery(const QString& out, int lan) {
    WizardPara para;
    para.is_psw_used = 1;
    para.snap_shot = 1;
    para.enable_prod_detect = 1;
    para.multi_step_count = 5;
    std::strcpy(para.password, "1234");
    WizardPara* const savedPara = gpWPara;
    gpWPara = &para;

    MainWindowBase win;
    win.setObjectName("win");
    win.setStyleSheet("MainWindowBase#win{background-color:#b0b0b0;}");
    win.setAttribute(Qt::WA_StyledBackground);
    win.setGeometry(0, 0, 1920, 1080);
    win.show();

    {
        PasswordBox box(kitText(569), &win);
        box.show();
        settle();
        savePixmap(box.grab(), out, "passwordbox", lan);
        box.passwordEdit()->setText("12");
        settle();
        savePixmap(box.grab(), out, "passwordbox_typed", lan);
        box.accept();  // wrong
        settle();
        savePixmap(box.grab(), out, "passwordbox_wrong", lan);
    }
    {
        IOStatusWidget status(&win);
        status.move(700, 1030);
        status.show();
        setAccessLevel(0);
        settle();
        savePixmap(status.grab(), out, "iostatus_unlogged", lan);
        setAccessLevel(1);
        settle();
        savePixmap(status.grab(), out, "iostatus_logged", lan);
        setAccessLevel(0);
    }
    {
        // The panel with a logo in ./images, as on the panel computer.
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir().mkpath(dir.filePath("images"));
        QPixmap(":/img/icons/0logo.png").save(dir.filePath("images/logo2.png"));
        QDir::setCurrent(dir.path());
        QWidget area(&win);
        area.setGeometry(0, 98, gShowW, gShowH);
        area.setAttribute(Qt::WA_StyledBackground);
        area.setStyleSheet("background-color:#303030;");
        auto* panel = new IndexButton(&area);
        area.show();
        panel->show();
        QDir::setCurrent(previous);
        settle();
        savePixmap(area.grab(QRect(gShowW - 240, 0, 240, gShowH)), out, "indexbutton", lan);
    }
    gpWPara = savedPara;
}
