#include "platform/DriveTable.h"

#include <QFile>
#include <QMap>
#include <QMutex>
#include <QSet>

namespace {

QMutex TestLock;
QMap<QChar, DriveEntry> &TestDrives() {
    static QMap<QChar, DriveEntry> drives;
    return drives;
}

const QSet<QString> &PseudoFileSystems() {
    static const QSet<QString> types{
        "proc",     "sysfs",    "devtmpfs", "devpts",  "tmpfs",   "cgroup",     "cgroup2",  "pstore",
        "bpf",      "tracefs",  "debugfs",  "securityfs", "mqueue", "hugetlbfs", "configfs", "fusectl",
        "autofs",   "binfmt_misc", "overlay", "nsfs",  "efivarfs", "rpc_pipefs", "squashfs", "ramfs",
        "fuse.gvfsd-fuse", "fuse.portal", "selinuxfs", "nfsd",
    };
    return types;
}

DriveKind KindOf(const QString &type, const QString &mountPoint) {
    if (type == "nfs" || type == "nfs4" || type == "cifs" || type == "smb3" || type.startsWith("fuse.sshfs"))
        return DriveKind::Network;
    if (type == "iso9660" || type == "udf")
        return DriveKind::CdRom;
    if (mountPoint.startsWith("/media/") || mountPoint.startsWith("/run/media/"))
        return DriveKind::Removable;
    return DriveKind::Fixed;
}

// /proc/mounts escapes blanks and other bytes as \ooo.
QString Unescape(const QByteArray &field) {
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QString::fromLocal8Bit(out);
}

} // namespace

std::vector<DriveEntry> Drives() {
    {
        QMutexLocker lock(&TestLock);
        if (!TestDrives().isEmpty())
            return std::vector<DriveEntry>(TestDrives().begin(), TestDrives().end());
    }
    std::vector<DriveEntry> drives;
    QFile mounts("/proc/self/mounts");
    if (!mounts.open(QIODevice::ReadOnly))
        return drives;
    QSet<QString> seen;
    std::vector<DriveEntry> others;
    while (!mounts.atEnd()) {
        const QList<QByteArray> fields = mounts.readLine().simplified().split(' ');
        if (fields.size() < 3)
            continue;
        const QString type = QString::fromLatin1(fields[2]);
        const QString mountPoint = Unescape(fields[1]);
        if (PseudoFileSystems().contains(type) || mountPoint.startsWith("/proc") || mountPoint.startsWith("/sys") ||
            mountPoint.startsWith("/dev") || mountPoint.startsWith("/run/user") || seen.contains(mountPoint))
            continue;
        seen.insert(mountPoint);
        DriveEntry entry{QChar(), mountPoint, KindOf(type, mountPoint), Unescape(fields[0])};
        if (mountPoint == "/")
            drives.insert(drives.begin(), entry);
        else
            others.push_back(entry);
    }
    drives.insert(drives.end(), others.begin(), others.end());
    char letter = 'C';
    std::vector<DriveEntry> lettered;
    for (DriveEntry &entry : drives) {
        if (letter > 'Z')
            break;
        entry.Letter = QChar(letter++);
        lettered.push_back(entry);
    }
    return lettered;
}

void SetTestDrive(QChar letter, const QString &folder, DriveKind kind) {
    QMutexLocker lock(&TestLock);
    const QChar upper = letter.toUpper();
    if (folder.isEmpty())
        TestDrives().remove(upper);
    else
        TestDrives().insert(upper, DriveEntry{upper, folder, kind, folder});
}

QString LocalPathOf(const QString &drivePath) {
    if (drivePath.size() < 2 || drivePath[1] != ':')
        return QString();
    const QChar letter = drivePath[0].toUpper();
    for (const DriveEntry &drive : Drives()) {
        if (drive.Letter != letter)
            continue;
        QString rest = drivePath.mid(2);
        rest.replace('\\', '/');
        while (rest.startsWith('/'))
            rest.remove(0, 1);
        if (rest.isEmpty())
            return drive.MountPoint;
        return drive.MountPoint == "/" ? "/" + rest : drive.MountPoint + "/" + rest;
    }
    return QString();
}
