#include "othernetworks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVBoxLayout>

#include "app/globals.h"
#include "app/msgbox.h"
#include "app/paratext.h"
#include "app/wizardpara.h"
#include "netbridge/cnt_net.h"
#include "platform/system/fileops.h"
#include "platform/system/syspath.h"
#include "settingshost.h"
#include "sliderrows.h"
#include "settingstext.h"
#include "widgets/blineedit.h"
#include "widgets/checkbox.h"
#include "widgets/fittext.h"

namespace {

const char* const kPageStyle =
    "QLabel{font-size:22px;color:#656263;}QPushButton {font-size:22px;color:#656263;}";
const char* const kStagedWifi = "./cnt_net/wlanpwd.conf";
const char* const kInstalledWifi = "/etc/wpa_supplicant/wlanpwd.conf";
const char* const kServerDb = "./cnt_net/sysconf.db";
// A connection of its own: the client's database is never reached through a connection that another
// part of the program might have opened on something else.
const char* const kServerConnection = "otherNetworksSysconf";

// The four rows of the client's settings table, in the order they are read and updated.
const char* const kServerKeys[4] = {"serverip_info", "serverip_file", "serverport_info", "serverport_file"};

bool isHex64(const QString& s) {
    static const QRegularExpression hex(QStringLiteral("\\A[0-9A-Fa-f]{64}\\z"));
    return hex.match(s).hasMatch();
}

// Opens the client's database on the page's own connection; false (logged) when it cannot.
bool openServerDb(QSqlDatabase* db) {
    *db = QSqlDatabase::contains(kServerConnection) ? QSqlDatabase::database(kServerConnection, false)
                                                    : QSqlDatabase::addDatabase("QSQLITE", kServerConnection);
    db->setDatabaseName(kServerDb);
    if (db->open()) return true;
    qWarning("Error: Failed to connect database.%s", qPrintable(db->lastError().text()));
    return false;
}

QLabel* rowLabel(int textId, QWidget* parent) {
    auto* label = new QLabel(setText(textId), parent);
    label->setMinimumWidth(130);
    return label;
}

BLineEdit* rowEdit(QWidget* parent, const QString& title, KeyboardType type) {
    auto* edit = new BLineEdit(parent, title, QString(), type);
    edit->setFixedWidth(300);
    return edit;
}

QPushButton* rowButton(int textId, QWidget* parent) {
    auto* button = new QPushButton(setText(textId), parent);
    button->setFixedSize(200, 50);
    // A caption too long for the button at the page's 22 pixels gets a smaller font.
    fitCaption(button, button->text(), 200 - 16, 22);
    return button;
}

QHBoxLayout* row(QVBoxLayout* column, std::initializer_list<QWidget*> widgets) {
    auto* line = new QHBoxLayout;
    line->setSpacing(40);
    for (QWidget* w : widgets) line->addWidget(w);
    line->addStretch();
    column->addLayout(line);
    return line;
}

// Texts that go out in the bridge's key=value messages may not hold "&" or "=": an entry that does
// is refused with a warning and the field keeps its text.
void guardKeyValueEntry(BLineEdit* edit, QString* lastGood) {
    // (lastGood: the field's text as loaded or last accepted.)
    QObject::connect(edit, &BLineEdit::entryAccepted, edit, [edit, lastGood](const QString& text) {
        if (CNT_Net::keyValueTextOk(text)) {
            *lastGood = text;
            return;
        }
        edit->setText(*lastGood);
        showWarnBox(setText(755));
    });
}

}  // namespace

QByteArray wifiBlock(const QString& name, const QString& password) {
    const QByteArray psk = isHex64(password) ? password.toLatin1() : '"' + password.toUtf8() + '"';
    return "network={\r\n\tssid=\"" + name.toUtf8() + "\"\r\n\tpsk=" + psk + "\r\n\tproto=RSN\r\n}\r\n";
}

WifiCredentials readWifiBlock(const QByteArray& text) {
    static const QRegularExpression ssid(QStringLiteral("^.*ssid=\"(.*)\".*$"));
    static const QRegularExpression psk(QStringLiteral("^.*psk=\"(.*)\".*$"));
    static const QRegularExpression rawPsk(QStringLiteral("^\\s*psk=([0-9A-Fa-f]{64})\\s*$"));
    WifiCredentials found;
    for (const QString& line : QString::fromUtf8(text).split(QLatin1Char('\n'))) {
        const QString l = line.endsWith(QLatin1Char('\r')) ? line.chopped(1) : line;
        QRegularExpressionMatch m = ssid.match(l);
        if (m.hasMatch()) found.name = m.captured(1);
        // "ssid=" lines never count as a password line ("psk" is not inside "ssid").
        m = psk.match(l);
        if (m.hasMatch()) found.password = m.captured(1);
        m = rawPsk.match(l);
        if (m.hasMatch()) found.password = m.captured(1);
    }
    return found;
}

bool validWifiName(const QString& name) {
    const QByteArray bytes = name.toUtf8();
    if (bytes.isEmpty() || bytes.size() > 32) return false;
    for (const QChar c : name)
        if (c == QLatin1Char('"') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return false;
    return true;
}

bool validWifiPassword(const QString& password) {
    if (isHex64(password)) return true;
    if (password.size() < 8 || password.size() > 63) return false;
    for (const QChar c : password)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E || c == QLatin1Char('"') || c == QLatin1Char('\\'))
            return false;
    return true;
}

bool validServerAddress(const QString& address) {
    static const QRegularExpression quad(
        QStringLiteral("\\A(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\z"));
    const QRegularExpressionMatch m = quad.match(address);
    if (!m.hasMatch()) return false;
    for (int i = 1; i <= 4; ++i)
        if (m.captured(i).toInt() > 255) return false;
    return true;
}

bool validServerPort(const QString& port) {
    static const QRegularExpression digits(QStringLiteral("\\A\\d{1,5}\\z"));
    if (!digits.match(port).hasMatch()) return false;
    const int n = port.toInt();
    return n >= 1 && n <= 65535;
}

OtherNetworksWidget::OtherNetworksWidget(QWidget* parent) : BWidget(parent) {
    setStyleSheet(kPageStyle);
    smsBox = new CheckBox(this);
    techNameEdit = rowEdit(this, setText(427), 1);
    techPhoneEdit = rowEdit(this, setText(428), 0);
    ngVideoBox = new CheckBox(this);
    wifiNameEdit = rowEdit(this, setText(445), 1);
    // A WPA passphrase has letters and signs: typed on the full keyboard, shown masked.
    wifiPasswordEdit = rowEdit(this, setText(446), 1);
    wifiPasswordEdit->setEchoMode(QLineEdit::Password);
    wifiButton = rowButton(444, this);
    infoServerEdit = rowEdit(this, QStringLiteral("192.168.3.1"), 0);
    infoPortEdit = rowEdit(this, QStringLiteral("8000"), 0);
    fileServerEdit = rowEdit(this, QStringLiteral("192.168.3.1"), 0);
    filePortEdit = rowEdit(this, QStringLiteral("8000"), 0);
    serverButton = rowButton(453, this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(100, 50, 0, 50);
    column->setSpacing(30);
    row(column, {rowLabel(429, this), smsBox});
    row(column, {rowLabel(427, this), techNameEdit, rowLabel(428, this), techPhoneEdit});
    row(column, {rowLabel(430, this), ngVideoBox});
    row(column, {rowLabel(445, this), wifiNameEdit, rowLabel(446, this), wifiPasswordEdit, wifiButton});
    row(column, {rowLabel(450, this), infoServerEdit, rowLabel(452, this), infoPortEdit});
    row(column, {rowLabel(451, this), fileServerEdit, rowLabel(452, this), filePortEdit, serverButton});
    column->addStretch();

    guardKeyValueEntry(techNameEdit, &techNameShown);
    guardKeyValueEntry(techPhoneEdit, &techPhoneShown);
    connect(wifiButton, SIGNAL(clicked(bool)), this, SLOT(SlotUpdateWifi()));
    connect(serverButton, SIGNAL(clicked(bool)), this, SLOT(SlotUpdateServer()));
}

void OtherNetworksWidget::WizardParaInit() {
    if (!gpWParaBak) return;
    const WizardPara& p = *gpWParaBak;
    smsBox->setValue(p.sms_on);
    techNameShown = paraText(p.CntNet_MsgTechName);
    techPhoneShown = paraText(p.CntNet_MsgTechNum);
    techNameEdit->setText(techNameShown);
    techPhoneEdit->setText(techPhoneShown);
    ngVideoBox->setValue(p.ng_video_on);
}

void OtherNetworksWidget::accept() {
    if (!gpWParaBak) return;
    WizardPara& p = *gpWParaBak;
    p.sms_on = storedSwitch(smsBox->value() != 0, p.sms_on);
    setParaText(p.CntNet_MsgTechName, techNameEdit->text());
    setParaText(p.CntNet_MsgTechNum, techPhoneEdit->text());
    p.ng_video_on = storedSwitch(ngVideoBox->value() != 0, p.ng_video_on);
}

void OtherNetworksWidget::showEvent(QShowEvent* event) {
    SlotWifi();
    SlotServer();
    BWidget::showEvent(event);
}

void OtherNetworksWidget::SlotWifi() {
    QFile f(SysPath(kInstalledWifi));
    if (!f.open(QIODevice::ReadOnly)) return;
    const WifiCredentials c = readWifiBlock(f.readAll());
    if (!c.name.isEmpty()) wifiNameEdit->setText(c.name);
    if (!c.password.isEmpty()) wifiPasswordEdit->setText(c.password);
}

void OtherNetworksWidget::SlotUpdateWifi() {
    const QString name = wifiNameEdit->text();
    const QString password = wifiPasswordEdit->text();
    if (!validWifiName(name)) return showWarnBox(setText(750));
    if (!validWifiPassword(password)) return showWarnBox(setText(751));
    if (!showChooseBox(setText(448))) return;
    // Staged beside the program, then installed by a temporary file and a rename: the supplicant
    // never reads half a file, and a full disk keeps the old one. The block holds the passphrase: both
    // copies are for their owner only, whatever the mode of the file they replace.
    const QByteArray block = wifiBlock(name, password);
    const QString installed = SysPath(kInstalledWifi);
    for (const QString& path : {QString::fromLatin1(kStagedWifi), installed}) {
        QString error;
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            error = QStringLiteral("cannot create the folder");
        if (error.isEmpty() &&
            writeFileAtomically(path, block, &error, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            continue;
        qWarning("Wi-Fi settings not written to %s: %s", qPrintable(path), qPrintable(error));
        return showWarnBox(setText(600).arg(path));
    }
}

void OtherNetworksWidget::SlotServer() {
    if (!QFileInfo::exists(kServerDb)) return;
    {
        QSqlDatabase db;
        if (openServerDb(&db)) {
            BLineEdit* edits[4] = {infoServerEdit, fileServerEdit, infoPortEdit, filePortEdit};
            QSqlQuery q(db);
            q.prepare(QStringLiteral("select 值 from info_sysconf where 信息名称=?"));
            for (int i = 0; i < 4; ++i) {
                q.addBindValue(QString::fromLatin1(kServerKeys[i]));
                if (q.exec() && q.next()) edits[i]->setText(q.value(0).toString());
            }
        }
        db.close();
    }
}

void OtherNetworksWidget::SlotUpdateServer() {
    const QString values[4] = {infoServerEdit->text(), fileServerEdit->text(), infoPortEdit->text(),
                               filePortEdit->text()};
    if (!validServerAddress(values[0]) || !validServerAddress(values[1])) return showWarnBox(setText(752));
    if (!validServerPort(values[2]) || !validServerPort(values[3])) return showWarnBox(setText(753));
    if (!showChooseBox(setText(454))) return;
    if (!QFileInfo::exists(kServerDb)) return showWarnBox(setText(754).arg(QString::fromLatin1(kServerDb)));
    // The client reads its settings when it starts: the next commit restarts it (also when the
    // database could not be written, so that the client and the rows agree again).
    if (gpNet) gpNet->serverSettingsChanged = true;
    QString error;
    {
        QSqlDatabase db;
        if (openServerDb(&db) && db.transaction()) {
            QSqlQuery update(db);
            update.prepare(QStringLiteral("update info_sysconf set 值=? where 信息名称=?"));
            // Only rows that exist are updated: the client owns the table and its rows.
            for (int i = 0; i < 4 && error.isEmpty(); ++i) {
                update.addBindValue(values[i]);
                update.addBindValue(QString::fromLatin1(kServerKeys[i]));
                if (!update.exec()) error = update.lastError().text();
            }
            if (error.isEmpty() && !db.commit()) error = db.lastError().text();
            if (!error.isEmpty()) db.rollback();
        } else {
            error = db.lastError().text();
        }
        db.close();
    }
    if (!error.isEmpty()) {
        qWarning("server settings not written: %s", qPrintable(error));
        showWarnBox(setText(754).arg(error));
    }
}

void OtherNetworksWidget::SlotGetRemindList() {
    // Asked only while the bridge is on and its client is connected (the hook tests both).
    if (settingsHost().askRemindList) settingsHost().askRemindList();
}
