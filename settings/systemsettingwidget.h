#pragma once
// The settings dialog: page 1 of the main window's page stack. Its pages are added by the settings
// screens; each page loads from gpWParaBak when the dialog is shown.
#include <QWidget>

class SystemSettingWidget : public QWidget {
    Q_OBJECT
public:
    explicit SystemSettingWidget(QWidget* parent = nullptr);

signals:
    // The operator left the dialog (back to the camera views).
    void Exitsetup();
};
