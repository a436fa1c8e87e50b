#pragma once
// A program directory with factory parameters, an empty record database and a chosen set of
// simulated cameras, in which a MainWindow can be built; everything is reset on destruction.
#include <QMutexLocker>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <memory>

#include "app/globals.h"
#include "app/imageglobals.h"
#include "app/lanstr.h"
#include "app/logmanager.h"
#include "app/parametermanager.h"
#include "app/wizardpara.h"
#include "camera/cameraglobals.h"
#include "inspection/cammerwidget.h"
#include "inspection/mainwindow.h"
#include "io/controlport.h"
#include "io/iolink.h"
#include "platform/camsdk/simbus.h"
#include "programdir.h"
#include "records/recorddb.h"
#include "scriptedprompter.h"

inline void noSleep(int) {}

inline void resetMonitorWorld() {
    resetInspectionGlobals();
    resetIOGlobals();
    resetCameraGlobals();
    resetImageGlobals();
    resetParamGlobals();
    resetAppGlobals();
    RecordDb::close();
    simcam::Bus::instance().reset();
    setCameraSleeper(&noSleep);
}

struct MonitorWorld {
    ProgramDir dir;
    ScriptedPrompter prompter;
    std::unique_ptr<MainWindow> window;
    bool withBoard = false;  // a simulated IO board answers on the serial port (CycleWorld)

    // `cameras` simulated mono cameras of 64 x 48 pixels (or `width` x `height`). recordDb: whether
    // RECORD.db exists.
    explicit MonitorWorld(int cameras, bool recordDb = true, int width = 64, int height = 48) {
        resetMonitorWorld();
        if (gaLanStr[150 * kLanColumns].isEmpty()) loadLanguageTable();
        dir.installFactoryFiles(true);
        RecordDb::createTemplate(QStringLiteral("RECORDNULL.db"));
        if (recordDb) RecordDb::createTemplate(QStringLiteral("RECORD.db"));
        for (int i = 0; i < cameras; ++i) {
            simcam::CameraSpec s;
            s.vendor = simcam::Vendor::Hikvision;
            s.serial = QByteArray("SIMCAM000") + QByteArray::number(i + 1);
            s.width = width;
            s.height = height;
            s.color = false;
            s.fps = 50;
            s.gige = false;
            simcam::Bus::instance().addCamera(s);
        }
        ParameterManager::getInstance()->init();
    }
    ~MonitorWorld() {
        window.reset();
        LogManager::resetForTest();
        qInstallMessageHandler(nullptr);
        resetMonitorWorld();
    }
    WizardPara& p() { return *gpWPara; }
    // Re-derives the step switches and trigger inputs after a change of the procedure fields.
    void derive() { gDNum = gpWPara->DeriveProcedure(&gLoadMouldSide); }
    MainWindow* build() {
        window = std::make_unique<MainWindow>();
        window->runTimer->stop();
        // Without a board (the inputs are set and the outputs read as words) the poll thread idles, so
        // that its link watch never takes the board as lost while a test runs. A test of the lost
        // board sets the flag itself.
        if (!withBoard) {
            gIOID = 0;
            setIOLinkLost(false);
        }
        return window.get();
    }
    // One pass of the loop, without letting its timer fire.
    void pass() {
        window->Run();
        window->runTimer->stop();
    }
    static void setInputs(int word) {
        QMutexLocker lock(pMutexIO);
        gDataIn = word;
    }
    static int out(int n) { return gpControlIO->IOState(1, n); }
    QStringList records() const {
        QStringList texts;
        QSqlQuery q(QSqlDatabase::database(RecordDb::kConnection));
        q.exec(QStringLiteral("select remarks from RECORD"));
        while (q.next()) texts << q.value(0).toString();
        return texts;
    }
};
