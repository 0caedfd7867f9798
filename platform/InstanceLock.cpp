#include "platform/InstanceLock.h"

#include "platform/ProgramDir.h"

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QString RuntimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::tempPath();
    return folder;
}

} // namespace

TInstanceLock::~TInstanceLock() {
    Release();
}

QString TInstanceLock::LockFilePath(int n, const QString &programDir) {
    // The folder goes in as a hash: copies of the program in different folders count separately, and
    // the name stays short whatever the folder's length.
    const QByteArray hash =
        QCryptographicHash::hash(QDir::cleanPath(programDir).toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return RuntimeFolder() + QStringLiteral("/WinR9_Map%1-%2.lock").arg(n).arg(QString::fromLatin1(hash));
}

TInstanceLock::Result TInstanceLock::Acquire(int maxCopies) {
    Release();
    bool anyOpened = false;
    for (int n = 1; n <= maxCopies; ++n) {
        const QByteArray path = QFile::encodeName(LockFilePath(n, ProgramDir()));
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            continue;
        anyOpened = true;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            number_ = n;
            return Taken;
        }
        ::close(fd);
    }
    return anyOpened ? AllTaken : Failed;
}

void TInstanceLock::Release() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    number_ = 0;
}
