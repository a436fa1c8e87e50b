#include "netstaging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstring>

#include "app/wizardpara.h"
#include "platform/system/fileops.h"
#include "platform/system/syspath.h"

namespace {

const QString kInterfaces = QStringLiteral("./cnt_net/ls_interfaces");
const QString kHostName = QStringLiteral("./cnt_net/ls_hostname");
const QString kHosts = QStringLiteral("./cnt_net/ls_hosts");
const QString kRegister = QStringLiteral("./cnt_net/registermac.txt");

// Where each staged file goes.
QString systemFileOf(const QString& staged) {
    if (staged == kInterfaces) return QStringLiteral("/etc/network/interfaces");
    if (staged == kHostName) return QStringLiteral("/etc/hostname");
    if (staged == kHosts) return QStringLiteral("/etc/hosts");
    return QString();
}

// The value of a dotted address, false when it is not one.
bool parseIPv4(const QString& text, quint32* value) {
    static const QRegularExpression re(QStringLiteral(
        "\\A(0|[1-9][0-9]{0,2})\\.(0|[1-9][0-9]{0,2})\\.(0|[1-9][0-9]{0,2})\\.(0|[1-9][0-9]{0,2})\\z"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch()) return false;
    quint32 v = 0;
    for (int i = 1; i <= 4; ++i) {
        const uint part = m.captured(i).toUInt();
        if (part > 255) return false;
        v = (v << 8) | part;
    }
    *value = v;
    return true;
}

bool writeStaged(const QString& path, const QByteArray& data, NetStaging* s) {
    QString error;
    if (!QDir().mkpath(QFileInfo(path).path()) || !writeFileAtomically(path, data, &error)) {
        qWarning("network staging: cannot write %s: %s", qPrintable(path), qPrintable(error));
        if (s->failed.isEmpty()) s->failed = path;
        return false;
    }
    s->staged << path;
    return true;
}

// The names of one hosts line (before any comment) and its comment, split at blanks.
struct HostsLine {
    QList<QByteArray> fields;
    QByteArray comment;  // from "#" on, empty when none
};

HostsLine splitHostsLine(const QByteArray& line) {
    HostsLine h;
    const int hash = line.indexOf('#');
    const QByteArray body = hash >= 0 ? line.left(hash) : line;
    if (hash >= 0) h.comment = line.mid(hash);
    h.fields = body.simplified().split(' ');
    if (h.fields.size() == 1 && h.fields[0].isEmpty()) h.fields.clear();
    return h;
}

bool loopbackAddress(const QByteArray& a) {
    return a == "127.0.0.1" || a == "127.0.1.1";
}

}  // namespace

bool validIPv4(const QString& text) {
    quint32 v;
    return parseIPv4(text, &v);
}

bool validNetmask(const QString& text) {
    quint32 v = 0;
    if (!parseIPv4(text, &v) || v == 0) return false;
    const quint32 inverted = ~v;
    return (inverted & (inverted + 1)) == 0;  // ones then zeros
}

bool validHostName(const QString& text) {
    if (text.isEmpty() || text.size() > 253) return false;
    // The whole text at once: "\z" is its very end ("$" would let a final line feed through).
    static const QRegularExpression name(
        QStringLiteral("\\A[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?(\\.[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-"
                       "Za-z0-9])?)*\\z"));
    return name.match(text).hasMatch();
}

bool validInterfaceName(const QString& name) {
    static const QRegularExpression re(QStringLiteral("\\A[A-Za-z0-9_.:-]{1,15}\\z"));
    return re.match(name).hasMatch();
}

bool wiredCard(const QString& name) {
    return name != QLatin1String("lo") && !name.contains(QLatin1String("wlan"));
}

bool findNetProblem(const NetCard& live, const NetCard& edit, bool bridgeOn, NetProblem* problem) {
    if (edit.cards != live.cards) {
        for (auto it = edit.cards.cbegin(); it != edit.cards.cend(); ++it) {
            if (!wiredCard(it.key()) || !validInterfaceName(it.key()) || it.value().size() != 3) continue;
            for (int c = 0; c < 3; ++c) {
                const QString& v = it.value()[c];
                if (c == 1 ? validNetmask(v) : validIPv4(v)) continue;
                *problem = {it.key(), c, v};
                return true;
            }
        }
    }
    if (bridgeOn && edit.hostName != live.hostName && !validHostName(edit.hostName)) {
        *problem = {QString(), -1, edit.hostName};
        return true;
    }
    return false;
}

QByteArray interfacesText(const QMap<QString, QStringList>& cards) {
    QByteArray t("auto lo\niface lo inet loopback\r\n\r\n");
    for (auto it = cards.cbegin(); it != cards.cend(); ++it) {
        const QString& name = it.key();
        if (!wiredCard(name)) continue;
        // Names and values come from the system too; a card the file could not carry safely (a line
        // feed in its name or an address) is left out.
        const QStringList& v = it.value();
        if (!validInterfaceName(name) || v.size() != 3 || !validIPv4(v[0]) || !validNetmask(v[1]) ||
            !validIPv4(v[2])) {
            qWarning("network staging: card %s left out of the interfaces file", qPrintable(name));
            continue;
        }
        const QByteArray n = name.toLatin1();
        t += "auto " + n + "\niface " + n + " inet static\n";
        t += "address " + it.value()[0].toLatin1() + "\n";
        t += "netmask " + it.value()[1].toLatin1() + "\n";
        t += "gateway " + it.value()[2].toLatin1() + "\n\n";
    }
    return t;
}

QByteArray hostsText(const QByteArray& oldHosts, const QString& oldName, const QString& newName) {
    const QByteArray oldN = oldName.toLatin1(), newN = newName.toLatin1();
    QList<QByteArray> kept;
    bool localhost = false;
    QList<QByteArray> lines = oldHosts.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();  // the final line end
    for (const QByteArray& line : lines) {
        HostsLine h = splitHostsLine(line);
        if (h.fields.size() >= 2 && loopbackAddress(h.fields[0])) {
            // The host-name lines: the names of this computer go, the rest of the line stays.
            QList<QByteArray> names = h.fields.mid(1);
            const int before = names.size();
            names.removeAll(oldN);
            names.removeAll(newN);
            if (names.size() != before) {
                if (names.isEmpty() && h.comment.isEmpty()) continue;
                QByteArray rebuilt = h.fields[0];
                if (!names.isEmpty()) rebuilt += '\t' + names.join(' ');
                if (!h.comment.isEmpty()) rebuilt += (names.isEmpty() ? "\t" : " ") + h.comment;
                kept << rebuilt;
                h.fields = QList<QByteArray>{h.fields[0]} + names;
            } else {
                kept << line;
            }
            if (h.fields[0] == "127.0.0.1" && h.fields.mid(1).contains("localhost")) localhost = true;
            continue;
        }
        kept << line;
    }
    // Blank lines the previous rewrite put below its host lines would pile up.
    while (!kept.isEmpty() && kept.first().trimmed().isEmpty()) kept.removeFirst();
    QByteArray t = "127.0.1.1\t" + newN + "\n127.0.0.1\t" + newN + "\n";
    if (!localhost) t += "127.0.0.1\tlocalhost\n";
    t += "\n";
    for (const QByteArray& l : kept) t += l + '\n';
    return t;
}

NetStaging stageNetFiles(NetCard& edit, const NetCard& live, const WizardPara& work, const WizardPara& before,
                         bool serversChanged) {
    NetStaging s;
    if (edit.cards != live.cards) {
        writeStaged(kInterfaces, interfacesText(edit.cards), &s);
        s.mask |= kNetCards;
    }
    if (work.cnt_net_on != before.cnt_net_on) s.mask |= kNetBridge;
    if (work.cnt_net_on == 0) {
        // The device number belongs to the bridge: switched off, the host name stays as it is, and
        // so do the host files.
        edit.hostName = live.hostName;
        return s;
    }
    if (edit.hostName != live.hostName) {
        writeStaged(kHostName, edit.hostName.toLatin1(), &s);
        QFile hosts(SysPath(QStringLiteral("/etc/hosts")));
        QByteArray old;
        if (hosts.open(QIODevice::ReadOnly)) old = hosts.readAll();
        writeStaged(kHosts, hostsText(old, live.hostName, edit.hostName), &s);
        s.mask |= kNetHostName;
    }
    if (std::strncmp(work.CntNet_UseName, before.CntNet_UseName, sizeof(work.CntNet_UseName)) != 0 ||
        work.video_share_mode != before.video_share_mode ||
        work.video_rate_index != before.video_rate_index || work.ng_video_on != before.ng_video_on)
        s.mask |= kNetBridgeSet;
    if (serversChanged) s.mask |= kNetServers;
    return s;
}

bool installNetFiles(const QStringList& staged, const NetCard& edit, QString* failed) {
    for (const QString& file : staged) {
        const QString target = systemFileOf(file);
        if (target.isEmpty()) continue;
        QFile in(file);
        QByteArray data;
        bool ok = in.open(QIODevice::ReadOnly);
        if (ok) data = in.readAll();
        const QString path = SysPath(target);
        QString error;
        ok = ok && QDir().mkpath(QFileInfo(path).path()) && writeFileAtomically(path, data, &error);
        if (!ok) {
            qWarning("network install: cannot write %s: %s", qPrintable(path), qPrintable(error));
            if (failed) *failed = target;
            return false;
        }
    }

    // The MAC register: one line per card ever committed, "MAC=address;netmask;gateway".
    QMap<QString, QByteArray> entries;
    QFile reg(kRegister);
    if (reg.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : reg.readAll().split('\n')) {
            const QList<QByteArray> parts = line.split('=');
            if (parts.size() == 2) entries.insert(QString::fromUtf8(parts[0]), parts[1] + '\n');
        }
        reg.close();
    }
    for (auto it = edit.cards.cbegin(); it != edit.cards.cend(); ++it) {
        if (!validInterfaceName(it.key()) || it.value().size() != 3) continue;
        QFile f(SysPath(QStringLiteral("/sys/class/net/%1/address").arg(it.key())));
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QString mac = QString::fromUtf8(f.readAll()).remove(QLatin1Char('\n'));
        entries.insert(mac, it.value().join(QLatin1Char(';')).toUtf8() + '\n');
    }
    if (entries.isEmpty()) return true;
    QByteArray text;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) text += it.key().toUtf8() + '=' + it.value();
    QString error;
    if (!writeFileAtomically(kRegister, text, &error)) {
        qWarning("network install: cannot write %s: %s", qPrintable(kRegister), qPrintable(error));
        if (failed) *failed = kRegister;
        return false;
    }
    return true;
}
