#pragma once
// The "help" tab of the settings dialog and the hardware configuration dialog: two read-only viewers
// of files installed beside the program ("./help/", "./help-en/" or "./help-tw/", and "conf.txt").
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

    // "./help/" in Simplified Chinese, "./help-tw/" in Traditional Chinese, "./help-en/" in English.
    static QString pageFolder();
    // Lists the first 50 readable PNG files of the folder by name; none: the camera picture as the
    // only page. A page is decoded when it is shown, and only the page shown is kept.
    void loadPages();
    int pageCount() const { return files.isEmpty() ? 1 : files.size(); }
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
    // Page `index` (0..pageCount()-1) decoded; null when its file cannot be read any more.
    const QPixmap& page(int index);

    QString folder;
    QStringList files;
    QPixmap shown;
    int shownIndex = -1;
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
