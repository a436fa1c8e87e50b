#pragma once
// What the lower layers (application frame, widget kit, cameras, detection, IO) use of the main window.
// The real MainWindow derives from this class; gpWin points at it from the start of its constructor.
#include <QString>
#include <QWidget>

class QTimer;

class MainWindowBase : public QWidget {
    Q_OBJECT
public:
    explicit MainWindowBase(QWidget* parent = nullptr);
    ~MainWindowBase() override;

    // One operation record (time, access level, text). Default: logged only.
    virtual void InsertRecord(QString text);
    // Closes the parameter and record databases before a reboot.
    virtual void FLushAll();
    // The orderly stop before the process ends (exit action, SIGTERM, SIGINT): no new cycle, the
    // outputs left on the board as they stand (a clamping cut or an alarm stays on), pending pictures
    // and the counters written, cameras and worker threads stopped, databases closed. Also safe while
    // the window is still being built. Default: FLushAll.
    virtual void StopInOrder();

    QTimer* logoutTimer = nullptr;     // access level back to 0 when it runs out
    QTimer* screenOffTimer = nullptr;  // backlight off when it runs out
    int screenOff = 0;                 // 1 while the LCD backlight is off
    QWidget* currentEdit = nullptr;    // the field the keypads write into
    int RunState = 3;                  // 1 detecting, 2 learning templates, 3 stopped
    int DisplayState = 0;              // 0 live, 1 result, 2 alarm, 3 editor or viewer
    int DetectStep = 0;
    int DetectMethod = 0;
    int AccessLevel = 0;
    int MouldSide = 0;  // two-colour and turntable: 1 left mould, 0 right mould
};

extern MainWindowBase* gpWin;
