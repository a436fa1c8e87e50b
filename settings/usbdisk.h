#pragma once
// The USB disk used for export and updates, mounted on "/mnt".
#include <QString>

// Finds a USB partition (vfat, ntfs or exfat, not on the system disk that holds the ext4 partition),
// unmounts whatever is on "/mnt", mounts the partition there and returns "/mnt" when "/proc/mounts"
// then shows it mounted; otherwise an empty text. The caller unmounts. Every command goes through
// the command runner.
QString FindAU();

// The partition FindAU would mount, from the text blkid printed; empty when there is none.
QString usbPartitionFromBlkid(const QString& blkidOutput);
