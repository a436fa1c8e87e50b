#include <QtTest>

#include "platform/system/commandrunner.h"
#include "programdir.h"
#include "settings/usbdisk.h"

class TestUsbDisk : public QObject {
    Q_OBJECT
private slots:
    void partitionFromBlkid_data();
    void partitionFromBlkid();
    void findAU_data();
    void findAU();
};

void TestUsbDisk::partitionFromBlkid_data() {
    QTest::addColumn<QString>("blkid");
    QTest::addColumn<QString>("partition");
    const QString sys = "/dev/sda2: UUID=\"1\" TYPE=\"ext4\"\n";
    QTest::newRow("usb beside system") << sys + "/dev/sdb1: TYPE=\"vfat\"\n"
                                       << "/dev/sdb1";
    QTest::newRow("vfat on the system disk") << sys + "/dev/sda1: TYPE=\"vfat\"\n"
                                             << "";
    QTest::newRow("system disk second") << sys + "/dev/sda1: TYPE=\"vfat\"\n/dev/sdc1: TYPE=\"ntfs\"\n"
                                        << "/dev/sdc1";
    QTest::newRow("usb before ext4") << "/dev/sdb1: TYPE=\"vfat\"\n" + sys << "";
    QTest::newRow("exfat") << sys + "/dev/sdb1: TYPE=\"exfat\"\n"
                           << "/dev/sdb1";
    QTest::newRow("mmc system") << "/dev/mmcblk0p2: TYPE=\"ext4\"\n/dev/mmcblk0p1: TYPE=\"vfat\"\n"
                                   "/dev/sda1: TYPE=\"vfat\"\n"
                                << "/dev/sda1";
    QTest::newRow("other types") << sys + "/dev/sdb1: TYPE=\"swap\"\n"
                                 << "";
    QTest::newRow("nothing") << ""
                             << "";
    QTest::newRow("not a device name") << sys + "/dev/sdb1;reboot: TYPE=\"vfat\"\n"
                                       << "";
}

void TestUsbDisk::partitionFromBlkid() {
    QFETCH(QString, blkid);
    QFETCH(QString, partition);
    QCOMPARE(usbPartitionFromBlkid(blkid), partition);
}

// The mount table is the same before and after the mount here (the runner only records "mount"):
// its lines on "/mnt" say how often the mount point is cleared, and whether the partition shows.
void TestUsbDisk::findAU_data() {
    QTest::addColumn<QByteArray>("mounts");  // empty: no /proc/mounts at all
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QString>("result");
    const QByteArray root = "/dev/sda2 / ext4 rw 0 0\n";
    const QByteArray usb = "/dev/sdb1 /mnt vfat rw 0 0\n";
    QTest::newRow("mounted") << root + usb << QStringList({"blkid", "umount /mnt", "mount /dev/sdb1 /mnt"})
                             << "/mnt";
    QTest::newRow("mounted twice") << root + "/dev/sdc1 /mnt vfat rw 0 0\n" + usb
                                   << QStringList(
                                          {"blkid", "umount /mnt", "umount /mnt", "mount /dev/sdb1 /mnt"})
                                   << "/mnt";
    QTest::newRow("mount did not show") << root << QStringList({"blkid", "mount /dev/sdb1 /mnt"}) << "";
    QTest::newRow("near names only") << root + "/dev/sdc1 /mnt/x vfat rw 0 0\n/dev/sdb1 /mnt2 vfat rw 0 0\n"
                                     << QStringList({"blkid", "mount /dev/sdb1 /mnt"}) << "";
    QTest::newRow("no mount table") << QByteArray() << QStringList{"blkid"} << "";
}

void TestUsbDisk::findAU() {
    QFETCH(QByteArray, mounts);
    QFETCH(QStringList, commands);
    QFETCH(QString, result);
    ProgramDir dir;
    // blkid's text ends at the first zero byte.
    CommandRunner::instance().queueResult("blkid", 0,
                                          QByteArray("/dev/sda2: TYPE=\"ext4\"\n/dev/sdb1: TYPE=\"vfat\"\n") +
                                              '\0' + "/dev/sdz9: TYPE=\"vfat\"");
    if (!mounts.isEmpty()) QVERIFY(dir.writeFile("sysroot/proc/mounts", mounts));
    QCOMPARE(FindAU(), result);
    QCOMPARE(dir.commands(), commands);
}

QTEST_GUILESS_MAIN(TestUsbDisk)
#include "tst_usbdisk.moc"
