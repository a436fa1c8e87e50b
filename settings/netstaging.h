#pragma once
// The system's network files as the settings commit writes them: the checks of what the operator
// typed, the staged copies in "./cnt_net/" (ls_interfaces, ls_hostname, ls_hosts) and their
// installation over "/etc/network/interfaces", "/etc/hostname" and "/etc/hosts". No widget here.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "netbridge/netcard.h"

struct WizardPara;

// What changed, as SaveNetParam returns it.
enum NetChange {
    kNetCards = 1,      // the card map: ls_interfaces staged
    kNetBridge = 2,     // the bridge switch
    kNetHostName = 4,   // the host name: ls_hostname and ls_hosts staged
    kNetBridgeSet = 8,  // bridge on: its card, video mode, frame rate or NG-video switch
    kNetServers = 16,   // bridge on: the server settings were updated
};

// A dotted IPv4 address: four decimal parts 0-255, no leading zeros, nothing else.
bool validIPv4(const QString& text);
// A netmask: a dotted address whose bits are ones then zeros, at least one one.
bool validNetmask(const QString& text);
// A host name: dot-separated labels of letters, digits and "-" (not first or last), 1-63 each,
// at most 253 in all.
bool validHostName(const QString& text);
// An interface name the files may carry: [A-Za-z0-9_.:-]{1,15}.
bool validInterfaceName(const QString& name);
// The cards the interfaces file configures: not "lo", no "wlan" in the name.
bool wiredCard(const QString& name);

// The first value the staging would write and must refuse: *what is the field ("eth0" and the
// column 0 address, 1 netmask, 2 gateway; column -1 the host name), *value the text. Only what this
// commit stages is checked: the cards when the card map changed, the host name when it changed and
// the bridge is on. False when everything is fit to be written.
struct NetProblem {
    QString card;     // empty for the host name
    int column = -1;  // 0 address, 1 netmask, 2 gateway; -1 host name
    QString value;
};
bool findNetProblem(const NetCard& live, const NetCard& edit, bool bridgeOn, NetProblem* problem);

// The staged texts.
QByteArray interfacesText(const QMap<QString, QStringList>& cards);
// The hosts file with the host-name lines of `oldName` replaced by those of `newName`; every other
// line is kept, and "127.0.0.1 localhost" is always there.
QByteArray hostsText(const QByteArray& oldHosts, const QString& oldName, const QString& newName);

struct NetStaging {
    int mask = 0;
    QStringList staged;  // the staged files written by this staging ("./cnt_net/ls_...")
    QString failed;      // the first file that could not be written, empty when all were
};
// Stages the network files into "./cnt_net/" and returns what changed. With the bridge switched off
// in `work`, the edited host name goes back to the live one and no host file is staged.
NetStaging stageNetFiles(NetCard& edit, const NetCard& live, const WizardPara& work, const WizardPara& before,
                         bool serversChanged);

// Installs exactly the files of `staged` over their system files, each through a temporary file
// and a rename, and merges the cards of `edit` into the MAC register "./cnt_net/registermac.txt".
// False with the file in *failed when one could not be written; the files before it are installed.
bool installNetFiles(const QStringList& staged, const NetCard& edit, QString* failed);
