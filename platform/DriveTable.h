#pragma once

#include <QString>

#include <vector>

// Drive letters of the navigator stand for mount points: the root file system is C:, the others follow
// in the order of the mount table, pseudo file systems (proc, sysfs, cgroups, devices, tmpfs and the like)
// left out. Letters are only a name: "C:\a\b" becomes a local path here, at the boundary, and nowhere else.
enum class DriveKind { Unknown, Removable, Fixed, Network, CdRom, RamDisk };

struct DriveEntry {
    QChar Letter;
    QString MountPoint; // without a trailing "/" except for "/"
    DriveKind Kind = DriveKind::Fixed;
    QString Label;       // the mount's device or share name
};

std::vector<DriveEntry> Drives();
// Tests give letters their own folders; an empty folder removes the letter. Set letters replace the
// mount table.
void SetTestDrive(QChar letter, const QString &folder, DriveKind kind = DriveKind::Fixed);

// "C:\a\b" → "/a/b"; an empty text for a path whose drive is not in the table.
QString LocalPathOf(const QString &drivePath);
