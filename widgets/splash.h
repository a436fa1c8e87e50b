#pragma once
// The start-up splash and its content (also the About page of the settings dialog).
#include <QSplashScreen>
#include <QWidget>

class SplashWidget : public QWidget {
    Q_OBJECT
public:
    explicit SplashWidget(int width, QWidget* parent = nullptr);
};

// Full screen (1920 x 1080) with a SplashWidget of width 800.
class BSplashScreen : public QSplashScreen {
    Q_OBJECT
public:
    explicit BSplashScreen(QWidget* parent = nullptr);
};
