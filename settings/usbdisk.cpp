#include "usbdisk.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include "platform/system/commandrunner.h"
#include "platform/system/syspath.h"

namespace {

const char kMountPoint[] = "/mnt";

// The lines of "/proc/mounts"; false when it cannot be read.
bool readMounts(QStringList* lines) {
    QFile f(SysPath(QStringLiteral("/proc/mounts")));
    if (!f.open(QIODevice::ReadOnly)) return false;
    *lines = QString::fromLocal8Bit(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return true;
}

// Device and mount point of one "/proc/mounts" line.
bool mountedOn(const QString& line, const QString& mountPoint, QString* device = nullptr) {
    const QStringList f = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (f.size() < 2 || f[1] != mountPoint) return false;
    if (device) *device = f[0];
    return true;
}

}  // namespace

QString usbPartitionFromBlkid(const QString& blkidOutput) {
    QString systemDisk;
    QStringList candidates;
    for (const QString& line : blkidOutput.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString dev = line.section(QLatin1Char(':'), 0, 0).trimmed();
        if (line.contains(QLatin1String("TYPE=\"ext4\""))) {
            // The system disk: the partition's device without its partition digits.
            systemDisk = dev;
            while (!systemDisk.isEmpty() && systemDisk.back().isDigit()) systemDisk.chop(1);
        } else if (line.contains(QLatin1String("TYPE=\"vfat\"")) ||
                   line.contains(QLatin1String("TYPE=\"ntfs\"")) ||
                   line.contains(QLatin1String("TYPE=\"exfat\""))) {
            if (!systemDisk.isEmpty() && !dev.contains(systemDisk)) candidates << dev;
        }
    }
    if (candidates.isEmpty()) return QString();
    // The device path goes into a shell command: only a plain device name is taken.
    static const QRegularExpression plainDevice(QStringLiteral("\\A/dev/[A-Za-z0-9._/-]+\\z"));
    const QString dev = candidates.first();
    return plainDevice.match(dev).hasMatch() ? dev : QString();
}

QString FindAU() {
    QByteArray raw = RunCommandCapture(QStringLiteral("blkid"), kSlowCommandLimitMs).output;
    const int zero = raw.indexOf('\0');
    if (zero >= 0) raw.truncate(zero);
    const QString dev = usbPartitionFromBlkid(QString::fromLocal8Bit(raw));
    if (dev.isEmpty()) return QString();

    const QString mnt = QString::fromLatin1(kMountPoint);
    QStringList mounts;
    if (!readMounts(&mounts)) return QString();
    // Whatever is stacked on the mount point comes off first.
    for (const QString& line : mounts)
        if (mountedOn(line, mnt)) RunCommand(QStringLiteral("umount %1").arg(mnt), kSlowCommandLimitMs);
    RunCommand(QStringLiteral("mount %1 %2").arg(dev, mnt), kSlowCommandLimitMs);
    if (!readMounts(&mounts)) return QString();
    for (const QString& line : mounts) {
        QString mountedDev;
        if (mountedOn(line, mnt, &mountedDev) && mountedDev == dev) return mnt;
    }
    return QString();
}
