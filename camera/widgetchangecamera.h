#pragma once
// The camera reorder dialog: one row per open camera ("Camera %1 switches to:" and a list of the slots
// "NO.%1"), and a confirm button. Confirming refuses a slot chosen twice, otherwise stores the new
// bindings (SaveSN(0)) and asks for the settings dialog's shutdown (shutDownRequested), so that the
// next start shows every camera in its chosen slot.
//
// Built once, hidden and without parent, by the main window's initialisation after the camera views
// are registered (camerahost.h): it shows numCamera rows (four in test mode). Shown by the settings
// dialog's camera sub-page.
#include <QWidget>

class ComboBox;
class ColorButton;
class MainWindowBase;

class WidgetChangeCamera : public QWidget {
    Q_OBJECT
public:
    explicit WidgetChangeCamera(MainWindowBase* window);

    // gCamNO[camera] := slot (camera 0-7; other values are ignored).
    void SetCameraNO(int camera, int slot);

    int rowCount() const { return m_count; }
    ComboBox* combo(int camera) const { return camera >= 0 && camera < m_count ? m_combo[camera] : nullptr; }
    ColorButton* confirmButton() const { return m_ok; }

public slots:
    void SetCameraNO0(int slot) { SetCameraNO(0, slot); }
    void SetCameraNO1(int slot) { SetCameraNO(1, slot); }
    void SetCameraNO2(int slot) { SetCameraNO(2, slot); }
    void SetCameraNO3(int slot) { SetCameraNO(3, slot); }
    void SetCameraNO4(int slot) { SetCameraNO(4, slot); }
    void SetCameraNO5(int slot) { SetCameraNO(5, slot); }
    void SetCameraNO6(int slot) { SetCameraNO(6, slot); }
    void SetCameraNO7(int slot) { SetCameraNO(7, slot); }
    // Checks the choices and stores them (see above).
    void SlotOK();

signals:
    // The bindings were stored: the settings dialog's SlotShutDown takes over (commit, record, restart).
    void shutDownRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MainWindowBase* m_window;
    int m_count = 0;
    ComboBox* m_combo[8] = {};
    ColorButton* m_ok = nullptr;
};
