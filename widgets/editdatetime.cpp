#include "editdatetime.h"

#include <QDateEdit>
#include <QDebug>
#include <QGridLayout>
#include <QRegularExpression>
#include <QTimeEdit>

#include "platform/system/commandrunner.h"
#include "platform/system/sysclock.h"

namespace {
constexpr int kButtonSize = 60;

void styleEditor(QDateTimeEdit* e) {
    QFont f(QStringLiteral("wenquanyi"));
    f.setPixelSize(35);
    e->setFont(f);
    e->setFixedSize(330, 160);
    e->setAlignment(Qt::AlignCenter);
}
}  // namespace

QDate EditDateTime::earliestDate() {
    return QDate(1970, 1, 1);
}
QDate EditDateTime::latestDate() {
    return QDate(2099, 12, 31);
}

EditDateTime::EditDateTime(const QString& title, QWidget* parent) : QWidget(parent) {
    Q_UNUSED(title);
    setFixedHeight(80);
    const QDateTime now = SysClock::now();
    workingDateTime = now;

    dateEdit = new QDateEdit(this);
    dateEdit->setDisplayFormat(QStringLiteral("yyyy - MM - dd"));
    // The clock cannot be set outside these dates; the editor offers no others.
    dateEdit->setDateRange(earliestDate(), latestDate());
    styleEditor(dateEdit);
    dateEdit->setStyleSheet(
        QStringLiteral("QDateEdit::up-button{subcontrol-origin:border;subcontrol-position:left top;image: "
                       "url(:/img/icons/left.png);width: %1px;height: %1px;}QDateEdit::down-button "
                       "{subcontrol-origin:border;subcontrol-position:left bottom;image: "
                       "url(:/img/icons/right.png);width: %1px;height: %1px;}")
            .arg(kButtonSize));

    timeEdit = new QTimeEdit(this);
    timeEdit->setDisplayFormat(QStringLiteral("HH : mm : ss"));
    styleEditor(timeEdit);
    timeEdit->setStyleSheet(
        QStringLiteral("QTimeEdit::up-button{subcontrol-origin:border;subcontrol-position:right top;image: "
                       "url(:/img/icons/left.png);width: %1px;height: %1px;}QTimeEdit::down-button "
                       "{subcontrol-origin:border;subcontrol-position:right bottom;image: "
                       "url(:/img/icons/right.png);width: %1px;height: %1px;}")
            .arg(kButtonSize));

    dateEdit->setDate(now.date());
    timeEdit->setTime(now.time());

    auto* grid = new QGridLayout(this);
    grid->addWidget(dateEdit, 0, 1);
    grid->addWidget(timeEdit, 0, 2);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(10);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    setStyleSheet(QStringLiteral("background-color:#f5f5f5;"));
}

void EditDateTime::ShowDateTime() {
    const QDateTime now = SysClock::now();
    dateEdit->setDate(now.date());
    timeEdit->setTime(now.time());
}

bool EditDateTime::setSysDateTime() {
    workingDateTime = QDateTime(dateEdit->date(), timeEdit->time());
    return setSystemClock(workingDateTime);
}

bool EditDateTime::setSystemClock(const QDateTime& t) {
    if (!t.isValid() || t.date() < earliestDate() || t.date() > latestDate()) {
        qWarning().noquote() << "clock not set: no valid date and time" << t.toString(Qt::ISODate);
        return false;
    }
    const QString text = t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    // Only this exact form ever reaches the shell.
    static const QRegularExpression form(QStringLiteral("\\A\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\z"));
    if (!form.match(text).hasMatch()) {
        qWarning().noquote() << "clock not set: unexpected time text" << text;
        return false;
    }
    qInfo().noquote() << "setting the clock to" << text;
    // The results are not looked at: the hardware clock is written even when "date" failed.
    RunCommand(QStringLiteral("date -s ") + shellQuote(text));
    RunCommand(QStringLiteral("hwclock --systohc"), kSlowCommandLimitMs);
    return true;
}
