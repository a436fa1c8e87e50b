#pragma once
// The "help" tab of the settings dialog and the hardware configuration dialog: two read-only viewers
// of files installed beside the program ("./help/" or "./help-en/", and "conf.txt").
#include <QPixmap>
#include <QVector>
#include <QWidget>

#include "widgets/bwidget.h"

class QLabel;
class QPushButton;

// The help page shown (shared with screens that open the help at a given page).
extern int gHelpC;

class HelpWidget : public BWidget {
    Q_OBJECT
public:
    static constexpr int kMaxPages = 50;
    static constexpr int kAlarmPage = 4;  // the fifth image: clearing an alarm

    explicit HelpWidget(QWidget* parent = nullptr);

    // "./help/" in Simplified Chinese, "./help-en/" otherwise.
    static QString pageFolder();
    // Reads the first 50 PNG files of the folder by name; none: the camera picture as the only page.
    void loadPages();
    int pageCount() const { return pages.size(); }
    const QStringList& pageFiles() const { return files; }

    QPushButton* lastButton;    // 339 "pre step"
    QPushButton* nextButton;    // 340 "next step"
    QPushButton* alarmButton;   // 146 "Alarm"
    QPushButton* returnButton;  // 58 "Return"

public slots:
    void SlotNext();
    void SlotLast();
    // The alarm help page; with fewer pages held, the last one.
    void SlotAlarm();
    // Back to the first page (the tab stays; the panel has no window to close here).
    void SlotReturn();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVector<QPixmap> pages;
    QStringList files;
};

class HardwareConfigurationWidget : public QWidget {
    Q_OBJECT
public:
    explicit HardwareConfigurationWidget(QWidget* parent = nullptr);

    struct Entry {
        QString key;
        QString value;
    };
    // The lines of "conf.txt": TAB-separated key and value, "_" shown as a blank, empty lines skipped.
    static QVector<Entry> readConf(const QString& path);

    QVector<QLabel*> keyLabels;
    QVector<QLabel*> valueLabels;
    QLabel* countLabel = nullptr;  // the value of the row "Count": the cameras found
    QPushButton* confirmButton;

signals:
    // Confirm pressed: the window is hidden, the settings dialog comes back.
    void confirmed();

public slots:
    void slotConfirm();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
};
