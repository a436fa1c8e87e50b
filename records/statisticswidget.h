#pragma once
// The statistics window: OK and NG counts of the morning and night shift of today or an archived day
// (from the store gpResStatisticsParam and "./ResStatistics"), an hourly bar chart per shift, the day's
// totals, NG frequency and planned output; a second tab shows the eight temperature channels of the
// IO board with their limits. It refreshes once a second, also while hidden, and each refresh sets
// gisTempAlarm.
#include <QList>
#include <QString>
#include <QWidget>
#include <functional>

#include "resstatisticsparam.h"

class Edit;
class EditTempBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTimer;

// A bar chart of two series (OK green, NG red) over fixed x values.
class Histogram : public QWidget {
    Q_OBJECT
public:
    Histogram(QWidget* parent, const QList<int>& xValues);

    // Replaces both series, each padded with zeros (or cut) to the number of x values.
    void modifyDataAxisY(const QList<int>& series1, const QList<int>& series2);
    void clcMaxY();

    const QList<int>& xValues() const { return m_x; }
    const QList<int>& series1() const { return m_y1; }
    const QList<int>& series2() const { return m_y2; }
    int maxY() const { return m_maxY; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<int> fitted(const QList<int>& values) const;

    QList<int> m_x;
    QList<int> m_y1;
    QList<int> m_y2;
    int m_maxY = 0;
};

// Eight range boxes, channel 1 to 8: the value in tenths of a degree and the limits of the
// parameter record (system11 values k + 1 and k + 9).
class TemperatureStatisticsWidget : public QWidget {
    Q_OBJECT
public:
    explicit TemperatureStatisticsWidget(QWidget* parent = nullptr);

    // Box k shows values[k] degrees, in tenths (rounded to the nearest tenth).
    void updateTemp(const QVector<float>& values);
    // True when any channel lies below its lower or above its upper limit (a limit itself is inside).
    bool judgeTemperature() const;
    EditTempBox* box(int k) const { return m_boxes[k]; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    EditTempBox* m_boxes[8];
};

// Writes the export of a day: its name, then per hour slot "hh<TAB>OK<TAB>NG", the day's totals and the
// plan, from what the store shows. Checked whole-file write: false (nothing left at `path`) on failure.
bool writeStatisticsExport(const QString& path, const QString& day, const ResStatisticsParam* store);

class StatisticsWidget : public QWidget, public ResStatisticsView {
    Q_OBJECT
public:
    explicit StatisticsWidget(QWidget* parent = nullptr);
    ~StatisticsWidget() override;

    void updateList();
    void updateData() override;
    bool isToday() override;

    // The main window's last cycle time in tenths of a second (none installed: 0).
    static void setCycleTimeSource(std::function<unsigned()> source);

    Histogram* morningChart() const { return m_morning; }
    Histogram* nightChart() const { return m_night; }
    TemperatureStatisticsWidget* temperatures() const { return m_temp; }
    QListWidget* dayList() const { return m_dayList; }
    Edit* planEdit() const { return m_planEdit; }
    QTabWidget* tabs() const { return m_tabs; }
    // Morning OK, morning NG, night OK, night NG, day total, day NG, NG frequency.
    QStringList valueTexts() const;
    QString cycleText() const;

public slots:
    void slotConfirm();
    void updateRecord(QListWidgetItem* item);
    void slotTimeout();
    void slotPlanChange(QString text);
    void SlotExportData();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool writeExportFile(const QString& path) const;

    Histogram* m_morning = nullptr;
    Histogram* m_night = nullptr;
    Edit* m_planEdit = nullptr;
    QLabel* m_values[7] = {};
    QListWidget* m_dayList = nullptr;
    QLabel* m_dateTime = nullptr;
    QLabel* m_cycle = nullptr;
    QTabWidget* m_tabs = nullptr;
    TemperatureStatisticsWidget* m_temp = nullptr;
    QTimer* m_timer = nullptr;
};

// The USB disk search of the settings layer (FindAU: mounts a USB partition on "/mnt" and returns
// "/mnt", or an empty text), installed by that layer. Unset, no disk is ever found.
using UsbDiskFinder = QString (*)();
void setUsbDiskFinder(UsbDiskFinder finder);
