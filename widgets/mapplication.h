#pragma once
// The application object: sees every press and release before any widget does. A touch wakes a
// dark screen (and is swallowed), every press restarts the logout and screen-off delays, and while
// no camera back-end is in use a 5-second hold arms the touch-screen calibration, which runs when
// the finger is lifted and then reboots.
#include <QApplication>

class QTimer;

class MApplication : public QApplication {
    Q_OBJECT
public:
    MApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    QTimer* holdTimer;
    bool calibrationArmed = false;

public slots:
    void holdTimeout();

private:
    void onPress();
    bool wakeSwallows();
    void onRelease();
};
