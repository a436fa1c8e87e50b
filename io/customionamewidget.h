#pragma once
// The custom IO names dialog of the multi-detection procedure: which machine function sits on each
// of the eight customisable inputs and outputs. A frameless child panel of the main window, built
// hidden at start-up; the IO parameters page's "IO name" button shows it in place of the settings
// dialog, and "Confirm" (the only way out) stores the choices into the working copy and returns to
// the settings dialog.
#include <QWidget>

class ColorButton;
class ComboBox;
class IOSettingsDialog;
class IOWidget;
class QGridLayout;
class QLabel;

class CustomIONameWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBoxes = 16;  // 0-7 custom inputs, 8-15 custom outputs

    // `window` is the main window (the parent), `ioPage` the settings dialog's multi-detection IO
    // page and `dialog` the settings dialog. Ends shown, as built; the caller hides it after init().
    CustomIONameWidget(QWidget* window, IOWidget* ioPage, IOSettingsDialog* dialog);

    // Each box selects the IO page's current function of its terminal.
    void init();

    ComboBox* boxes[kBoxes] = {};
    QLabel* labels[kBoxes] = {};
    ColorButton* confirmButton = nullptr;

public slots:
    void accept();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    IOSettingsDialog* m_dialog;
    IOWidget* m_ioPage;
    QGridLayout* m_grid = nullptr;
};
