#include "accesslevel.h"

#include <QDialog>
#include <QTimer>
#include <cstring>

#include "app/globals.h"
#include "app/lanstr.h"
#include "app/mainwindowbase.h"
#include "app/wizardpara.h"
#include "passwordbox.h"
#include "platform/system/sysclock.h"

namespace {

PasswordDialogRunner g_runner;

int runDialog(PasswordBox& box) {
    if (g_runner) return g_runner(box);
    return box.exec();
}

QString lan(int id) {
    return gaLanStr[id * kLanColumns + gLan];
}

}  // namespace

QString accessLevelLabel(int level) {
    switch (level) {
        case kAccessPrimary:
            return lan(155);
        case kAccessAdvanced:
            return lan(154);
        default:
            return lan(156);
    }
}

bool passwordsInUse() {
    return gpWPara && gpWPara->is_psw_used == 1;
}

int accessLevel() {
    return gpWin ? gpWin->AccessLevel : kAccessNone;
}

void setAccessLevel(int level) {
    if (!gpWin) return;
    if (gpWin->AccessLevel == level) return;
    gpWin->AccessLevel = level;
    emit accessNotifier()->levelChanged(level);
}

AccessNotifier* accessNotifier() {
    // Never destroyed: it outlives every widget connected to it.
    static AccessNotifier* notifier = new AccessNotifier;
    return notifier;
}

QString serviceCode(const QDate& date) {
    const QByteArray text = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
    quint64 h = 14695981039346656037ull;
    for (char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return QStringLiteral("%1").arg(h % 10000000000ull, 10, 10, QLatin1Char('0'));
}

bool sameSecret(const QByteArray& a, const QByteArray& b) {
    // Every byte of the longer text is visited whatever matched before.
    const int n = qMax(a.size(), b.size());
    unsigned diff = static_cast<unsigned>(a.size() ^ b.size());
    for (int i = 0; i < n; ++i) {
        const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
        diff |= static_cast<unsigned>(x ^ y);
    }
    return diff == 0;
}

int levelForEntry(const QString& entry, const WizardPara& para, const QDate& today) {
    const QByteArray typed = entry.toUtf8();
    // Both comparisons always run, so the time does not tell which one matched.
    const bool service = sameSecret(typed, serviceCode(today).toLatin1());
    const QByteArray user(para.password, int(qstrnlen(para.password, sizeof(para.password))));
    const bool primary = sameSecret(typed, user);
    if (service) return kAccessAdvanced;
    if (primary) return kAccessPrimary;
    return kAccessNone;
}

int accessCheckPassword() {
    if (!passwordsInUse()) return kAccessAdvanced;
    if (!gpWin) return kAccessNone;
    if (gpWin->AccessLevel != kAccessNone) return gpWin->AccessLevel;
    PasswordBox box(lan(569), gpWin);
    if (runDialog(box) != QDialog::Accepted) return kAccessNone;
    return gpWin->AccessLevel;
}

int accessCheckForSettings() {
    if (accessLevel() == kAccessAdvanced) setAccessLevel(passwordsInUse() ? kAccessPrimary : kAccessNone);
    return accessCheckPassword();
}

void accessLogout() {
    if (!gpWin) return;
    if (gpWin->logoutTimer) gpWin->logoutTimer->stop();
    setAccessLevel(kAccessNone);
}

void setPasswordDialogRunner(PasswordDialogRunner runner) {
    g_runner = std::move(runner);
}

void resetAccessGlobals() {
    g_runner = nullptr;
    if (gpWin) gpWin->AccessLevel = kAccessNone;
}
