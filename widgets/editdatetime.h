#pragma once
// The date and time editor of the time dialog. It sets the system clock and the hardware clock
// from what the operator chose ("date -s" and "hwclock --systohc" through the command runner).
#include <QDateTime>
#include <QWidget>

class QDateEdit;
class QTimeEdit;

class EditDateTime : public QWidget {
    Q_OBJECT
public:
    // The title is not displayed.
    explicit EditDateTime(const QString& title, QWidget* parent = nullptr);

    // Loads the current date and time into the two editors.
    void ShowDateTime();
    // Sets the system clock, then the hardware clock, from the two editors. False, with nothing
    // run, when the chosen date and time cannot be set (see setSystemClock).
    bool setSysDateTime();

    // The clock commands for `t`: "date -s 'yyyy-MM-dd hh:mm:ss'" then "hwclock --systohc".
    // Refuses (runs nothing, false) an invalid date-time or one outside the editors' range.
    static bool setSystemClock(const QDateTime& t);
    static QDate earliestDate();
    static QDate latestDate();

    QDateEdit* dateEdit;
    QTimeEdit* timeEdit;
    QDateTime workingDateTime;
};
