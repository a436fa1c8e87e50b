#pragma once
// Operator access levels. The level lives in the main window (gpWin->AccessLevel): 0 not logged in,
// 1 primary (the user password), 2 advanced (the service code). It rises only through the password
// dialog and falls back to 0 by the logout timer, a press on the status indicator or a wrong password.
// With passwords switched off every protected action is allowed (level 2).
//
// Passwords are never logged and are compared without an early exit.
#include <QDate>
#include <QObject>
#include <QString>
#include <functional>

struct WizardPara;
class PasswordBox;

enum AccessLevelValue { kAccessNone = 0, kAccessPrimary = 1, kAccessAdvanced = 2 };

// "Unlogged", "Primary" or "Advanced" in the current language (level outside 0..2: "Unlogged").
QString accessLevelLabel(int level);

// The live record has passwords switched on (is_psw_used 1). False without a record.
bool passwordsInUse();

// The main window's level (0 while there is no main window).
int accessLevel();
// Writes the main window's level and tells accessNotifier() when it changed.
void setAccessLevel(int level);

// Emits levelChanged whenever setAccessLevel changes the level, so indicators repaint at once.
class AccessNotifier : public QObject {
    Q_OBJECT
signals:
    void levelChanged(int level);
};
AccessNotifier* accessNotifier();

// The ten-digit service code of a day: the 64-bit FNV-1a hash of the date written "yyyyMMdd",
// modulo 10^10, as ten digits with leading zeros. It changes at midnight (the program's clock).
QString serviceCode(const QDate& date);

// True when both texts are the same; the time taken does not depend on where they differ.
bool sameSecret(const QByteArray& a, const QByteArray& b);

// The level an entry grants against the record's user password and today's service code:
// the service code gives 2, the user password 1, anything else 0.
int levelForEntry(const QString& entry, const WizardPara& para, const QDate& today);

// MainWindow::CheckPassword: the level a protected action may use. 2 when passwords are not in use;
// the current level when it is not 0; otherwise the level after the modal password dialog
// (0 when it was cancelled).
int accessCheckPassword();

// Opening the settings: a level 2 is first lowered to 1 (passwords in use) or 0 (not in use), then
// accessCheckPassword() decides. Returns its answer (0: the settings stay closed).
int accessCheckForSettings();

// MainWindow::TimerLogout: stops the logout timer and drops the level to 0.
void accessLogout();

// Who runs the password dialog for accessCheckPassword. The default shows it modally (exec());
// tests install a runner that types into the dialog and presses its buttons. The runner returns
// QDialog::Accepted or Rejected. An empty function restores the default.
using PasswordDialogRunner = std::function<int(PasswordBox& box)>;
void setPasswordDialogRunner(PasswordDialogRunner runner);

// Tests: level 0 and the default runner.
void resetAccessGlobals();
