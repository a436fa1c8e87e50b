#pragma once
// The settings dialog: page 1 of the main window's page stack. Its pages are added by the settings
// screens; each page loads from gpWParaBak when the dialog is shown.
#include <QWidget>

#include "io/iosettingsdialog.h"

class QListWidget;
class QListWidgetItem;
class QSqlTableModel;
class QTableView;
class IOWidget;

class SystemSettingWidget : public QWidget, public IOSettingsDialog {
    Q_OBJECT
public:
    explicit SystemSettingWidget(QWidget* parent = nullptr);

    // The multi-detection IO page (a window of its own, owned here) and what it asks of the dialog.
    IOWidget* ioWidget = nullptr;
    bool factoryParamShown() const override;
    void ResetReCheck1Text(const QString& text) override { reCheck1Text = text; }
    void DoChangePage() override {}
    void changeWidget(int index) override { currentPage = index; }
    void showDialog() override { show(); }
    QString reCheck1Text;
    int currentPage = 0;

    // Operation-log page: the day list (today first, then the archived days, newest first) and the
    // read-only table of the chosen day.
    QWidget* recordPage = nullptr;
    QListWidget* recordDays = nullptr;
    QTableView* recordTable = nullptr;
    QSqlTableModel* recordModel = nullptr;  // the model shown, owned here; one at a time

public slots:
    // Fills the day list and shows today's records (the log tab was pressed).
    void SlotToRecord();
    // Shows the records of the chosen day; row 0 is today's RECORD.db.
    void UpdateRecord(QListWidgetItem* item);

signals:
    // The operator left the dialog (back to the camera views).
    void Exitsetup();
    // A day's records were shown.
    void pListWClick();
};
