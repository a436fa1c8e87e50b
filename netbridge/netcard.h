#pragma once
// The computer's network cards as the bridge knows them: interface to address, netmask and gateway,
// interface to MAC address, and the host name (the device identity in every message to the client).
#include <QMap>
#include <QString>
#include <QStringList>

struct NetCard {
    QMap<QString, QStringList> cards;  // interface -> {address, netmask, gateway}
    QMap<QString, QString> macs;       // interface -> MAC text
    QString hostName;
};
