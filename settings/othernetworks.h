#pragma once
// The other-network page of the settings dialog's network group: the alarm SMS and NG-video
// switches and the technician's contact (parameter record, through WizardParaInit/accept), and two
// things that belong to the computer and the network client, written at once by their own buttons:
// the Wi-Fi credentials file and the server addresses in the client's database "./cnt_net/sysconf.db".
#include <QByteArray>
#include <QString>

#include "widgets/bwidget.h"

class BLineEdit;
class CheckBox;
class QPushButton;

// The Wi-Fi block for the system's supplicant: five CRLF lines, UTF-8. A passphrase of 64 hex digits
// is the raw key and is written without quotes. Call only with credentials that pass the checks below.
QByteArray wifiBlock(const QString& name, const QString& password);
// The name and password of a block as read back; a line "…ssid="…"…" takes everything from the first
// quote after "ssid=" to the last quote of the line, a later line overrides an earlier one. Empty when
// not found.
struct WifiCredentials {
    QString name;
    QString password;
};
WifiCredentials readWifiBlock(const QByteArray& text);
// A network name of 1 to 32 UTF-8 bytes without '"', '\' or control characters.
bool validWifiName(const QString& name);
// A passphrase of 8 to 63 printable ASCII characters without '"' or '\', or 64 hex digits.
bool validWifiPassword(const QString& password);
// A dotted IPv4 address: four decimal parts, each 0 to 255.
bool validServerAddress(const QString& address);
// A port number 1 to 65535, digits only.
bool validServerPort(const QString& port);

class OtherNetworksWidget : public BWidget {
    Q_OBJECT
public:
    explicit OtherNetworksWidget(QWidget* parent = nullptr);
    void WizardParaInit();
    void accept();

    CheckBox* smsBox;
    BLineEdit* techNameEdit;
    BLineEdit* techPhoneEdit;
    CheckBox* ngVideoBox;
    BLineEdit* wifiNameEdit;
    BLineEdit* wifiPasswordEdit;
    QPushButton* wifiButton;
    BLineEdit* infoServerEdit;
    BLineEdit* infoPortEdit;
    BLineEdit* fileServerEdit;
    BLineEdit* filePortEdit;
    QPushButton* serverButton;

public slots:
    // Read the installed Wi-Fi block and the client's server rows into the edits.
    void SlotWifi();
    void SlotServer();
    // After a question, check and write them (the Wi-Fi block staged in "./cnt_net" and installed
    // under "/etc/wpa_supplicant"; the existing server rows updated, and the bridge told so that the
    // next commit restarts its client).
    void SlotUpdateWifi();
    void SlotUpdateServer();
    // The memorandum tab was pressed: asks the network client for its reminder list.
    void SlotGetRemindList();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString techNameShown, techPhoneShown;  // as loaded or last accepted
};
