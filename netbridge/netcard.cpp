// The computer's network cards, read from "/etc/network/interfaces", "/proc/net/dev" and
// "/sys/class/net/<card>/address" (through the system root of the profile).
#include <QFile>
#include <QHostInfo>
#include <QRegularExpression>

#include "cnt_net.h"
#include "platform/system/profile.h"
#include "platform/system/syspath.h"

namespace {
const QStringList kDefaultCard = {QStringLiteral("192.168.0.5"), QStringLiteral("255.255.255.0"),
                                  QStringLiteral("192.168.0.1")};

QString readText(const QString& path, bool* ok) {
    QFile f(SysPath(path));
    *ok = f.open(QIODevice::ReadOnly);
    if (!*ok) return QString();
    QByteArray data = f.readAll();
    const int nul = data.indexOf('\0');
    if (nul >= 0) data.truncate(nul);
    return QString::fromUtf8(data);
}
}  // namespace

QMap<QString, QStringList> CNT_Net::getNewNetCardInfo() {
    QMap<QString, QStringList> cards;
    bool ok = false;
    const QString text = readText(QStringLiteral("/etc/network/interfaces"), &ok);
    if (!ok || text.isEmpty()) return cards;
    for (const QString& block : text.split(QStringLiteral("\n\n"), Qt::KeepEmptyParts)) {
        const QStringList lines = block.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
        bool card = false;
        for (const QString& l : lines) {
            if (l.contains(QLatin1String("auto")) && !l.contains(QLatin1String("lo")) &&
                !l.contains(QLatin1Char('#'))) {
                card = true;
                break;
            }
        }
        if (!card) continue;
        QString name;
        QStringList values = kDefaultCard;
        for (const QString& l : lines) {
            if (l.contains(QLatin1String("auto")))
                name = l.mid(5);
            else if (l.contains(QLatin1String("address")))
                values[0] = l.mid(8);
            else if (l.contains(QLatin1String("netmask")))
                values[1] = l.mid(8);
            else if (l.contains(QLatin1String("gateway")))
                values[2] = l.mid(8);
        }
        cards.insert(name, values);
    }
    const QString dev = readText(QStringLiteral("/proc/net/dev"), &ok);
    QStringList present, wireless;
    // Split at any blank or line end: a long name starts its line without a blank, and must not
    // take the line feed before it.
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString& part : dev.split(blanks, Qt::SkipEmptyParts)) {
        const int colon = part.indexOf(QLatin1Char(':'));
        if (colon < 0) continue;
        const QString name = part.left(colon);
        present << name;
        if (name.contains(QLatin1String("wlan"))) wireless << name;
    }
    for (const QString& w : wireless) cards.insert(w, kDefaultCard);
    for (const QString& name : cards.keys()) {
        if (!present.removeOne(name)) cards.remove(name);
    }
    for (const QString& name : present) {
        if (!name.contains(QLatin1String("lo")) && !name.contains(QLatin1String("wlan")))
            cards.insert(name, kDefaultCard);
    }
    return cards;
}

QMap<QString, QString> CNT_Net::getNetMac() {
    QMap<QString, QString> macs;
    bool ok = false;
    const QString dev = readText(QStringLiteral("/proc/net/dev"), &ok);
    if (!ok) return macs;
    for (QString line : dev.split(QLatin1Char('\n'))) {
        line.remove(QLatin1Char(' '));
        const int colon = line.indexOf(QLatin1Char(':'));
        if (line.contains(QLatin1String("lo")) || colon < 0) continue;
        const QString name = line.left(colon);
        const QString mac = readText(QStringLiteral("/sys/class/net/%1/address").arg(name), &ok);
        if (ok) macs.insert(name, QString(mac).remove(QLatin1Char('\n')));
    }
    return macs;
}

QString CNT_Net::getNetHostName() {
    // The simulated computer's name is the one a commit installed under the system root, so that a
    // device number changed on the network page is still there after a restart.
    if (isSimulated()) {
        bool ok = false;
        const QString name = readText(QStringLiteral("/etc/hostname"), &ok).trimmed();
        if (ok && !name.isEmpty()) return name;
    }
    return QHostInfo::localHostName();
}
