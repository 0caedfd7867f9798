#include "controls/FileUtil.h"

#include "controls/LibraryErrors.h"
#include "controls/Rxprgrss.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <fcntl.h>

#include <cerrno>
#include <climits>
#include <vector>

namespace {

constexpr qint64 kCopyBufferSize = 8192;

bool IsSeparator(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

QString Native(const QString &path) {
    return QString(path).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

// The part up to and including the last separator or ':'.
QString FolderPart(const QString &path) {
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (IsSeparator(path[i]) || path[i] == QLatin1Char(':'))
            return path.left(i + 1);
    return {};
}

// The progress control counts in int32; a longer file is counted in steps of several bytes.
struct ProgressScale {
    QObject *control;
    qint64 step = 1;

    ProgressScale(QObject *progressControl, qint64 total) : control(progressControl) {
        while (total / step > INT32_MAX)
            step *= 2;
        if (control) {
            SetProgressMax(control, static_cast<int32_t>(total / step));
            SetProgressMin(control, 0);
            SetProgressValue(control, 0);
        }
    }
    ~ProgressScale() {
        if (control)
            SetProgressValue(control, 0);
    }
    void Show(qint64 done) const {
        if (control)
            SetProgressValue(control, static_cast<int32_t>(done / step));
    }
};

// The read-only attribute: no write permission for the owner (whoever runs the program, root included).
bool ReadOnlyAttr(const QFileInfo &info) {
    return !(info.permissions() & QFileDevice::WriteOwner);
}

bool WildMatch(const QString &pattern, const QString &name) {
    return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern)).match(name).hasMatch();
}

} // namespace

QString NormalDir(const QString &path) {
    if (path.isEmpty())
        return path;
    const QChar last = path.back();
    if (last == QLatin1Char(':') || IsSeparator(last))
        return path;
    return path + QLatin1Char('/');
}

QString RemoveBackSlash(const QString &path) {
    if (path.size() <= 1 || !IsSeparator(path.back()))
        return path;
    if (path.size() == 3 && path[0].isLetter() && path[1] == QLatin1Char(':'))
        return path; // a drive root
    return path.left(path.size() - 1);
}

bool DirExists(const QString &name) {
    return !name.isEmpty() && QFileInfo(Native(name)).isDir();
}

void ForceDirectories(const QString &path) {
    if (path.isEmpty())
        return;
    QDir().mkpath(Native(RemoveBackSlash(path)));
}

bool ValidFileName(const QString &name) {
    static const QString forbidden = QStringLiteral("<>\"[]|");
    if (name.isEmpty())
        return false;
    for (const QChar c : name)
        if (forbidden.contains(c))
            return false;
    return true;
}

QString ShortToLongFileName(const QString &name) {
    const QFileInfo info(Native(name));
    return info.exists() ? info.fileName() : QString();
}

QString LongToShortFileName(const QString &name) {
    return ShortToLongFileName(name);
}

// Every component as the file system names it; a component that is not there contributes nothing.
QString ShortToLongPath(const QString &path) {
    QString copy = Native(path);
    QString result;
    qsizetype cut;
    while ((cut = copy.lastIndexOf(QLatin1Char('/'))) >= 0 && cut > 0) {
        result = QLatin1Char('/') + ShortToLongFileName(copy) + result;
        copy = copy.left(cut);
    }
    return copy + result;
}

QString LongToShortPath(const QString &path) {
    return ShortToLongPath(path);
}

QString GetTempDir() {
    return NormalDir(QDir::tempPath());
}

void CopyFile(const QString &source, const QString &destination, QObject *progress) {
    CopyFileEx(source, destination, false, false, progress);
}

void CopyFileEx(const QString &source, const QString &destination, bool overwriteReadOnly, bool, QObject *progress) {
    QString target = Native(destination);
    if (DirExists(target))
        target = NormalDir(target) + QFileInfo(Native(source)).fileName();

    QFile in(Native(source));
    if (!in.open(QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("Cannot open file %1").arg(source));
    const ProgressScale scale(progress, in.size());

    ForceDirectories(FolderPart(target));
    const QFileInfo existing(target);
    if (existing.exists() && ReadOnlyAttr(existing)) {
        if (!overwriteReadOnly)
            throw EFCreateError(QStringLiteral("Cannot create file %1").arg(target));
        QFile::setPermissions(target, existing.permissions() | QFileDevice::WriteOwner);
    }

    // Under the final name only once complete: a failed copy leaves no half file there.
    QSaveFile out(target);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        throw EFCreateError(QStringLiteral("Cannot create file %1").arg(target));
    std::vector<char> buffer(kCopyBufferSize);
    qint64 copied = 0;
    for (;;) {
        const qint64 count = in.read(buffer.data(), kCopyBufferSize);
        if (count < 0)
            throw EReadError(QStringLiteral("Stream read error"));
        copied += count;
        if (count > 0 && out.write(buffer.data(), count) != count)
            throw EWriteError(QStringLiteral("Stream write error"));
        scale.Show(copied);
        if (count < kCopyBufferSize)
            break;
    }
    if (!out.commit())
        throw EWriteError(QStringLiteral("Stream write error"));
    QFile copy(target);
    if (copy.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        copy.setFileTime(QFileInfo(in).lastModified(), QFileDevice::FileModificationTime);
}

bool MoveFile(const QString &source, const QString &destination) {
    const QString from = Native(source);
    const QString to = QFileInfo(Native(destination)).absoluteFilePath();
    if (!QFileInfo::exists(from))
        return false;
    if (QFile::rename(from, to))
        return true;
    QFile::setPermissions(from, QFile::permissions(from) | QFileDevice::WriteOwner);
    CopyFile(from, to);
    return QFile::remove(from);
}

bool MoveFileEx(const QString &source, const QString &destination, bool) {
    return MoveFile(source, destination);
}

int64_t GetFileSize(const QString &name) {
    const QFileInfo info(Native(name));
    if (!info.exists() || info.isDir())
        return -1;
    return info.size();
}

TDateTime FileDateTime(const QString &name) {
    const QFileInfo info(Native(name));
    if (!info.exists())
        return NullDate;
    return QDateTimeToDateTime(info.lastModified());
}

bool HasAttr(const QString &name, uint32_t attributes) {
    const QFileInfo info(Native(name));
    if (!info.exists())
        return false;
    uint32_t have = 0;
    if (ReadOnlyAttr(info))
        have |= faReadOnly;
    if (info.isHidden())
        have |= faHidden;
    if (info.isDir())
        have |= faDirectory;
    return (have & attributes) == attributes;
}

bool DeleteFiles(const QString &mask) {
    const QString native = Native(mask);
    const QString folder = FolderPart(native);
    const QString pattern = native.mid(folder.size());
    const QDir dir(QFileInfo(native).absolutePath());
    const QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                    QDir::NoDotAndDotDot, QDir::Name);
    bool result = false;
    bool first = true;
    for (const QFileInfo &entry : entries) {
        if (!WildMatch(pattern, entry.fileName()))
            continue;
        if (first) {
            result = true;
            first = false;
        }
        if (entry.fileName().startsWith(QLatin1Char('.')) || entry.isDir())
            continue;
        result = QFile::remove(entry.absoluteFilePath());
        if (!result)
            break;
    }
    return result;
}

bool DeleteFilesEx(const QStringList &masks) {
    for (const QString &mask : masks)
        if (!DeleteFiles(mask))
            return false;
    return true;
}

bool ClearDir(const QString &path, bool deleteDir) {
    const QString native = Native(path);
    if (!DirExists(native))
        return false;
    bool result = true;
    const QDir dir(native);
    for (const QFileInfo &entry :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (entry.fileName().startsWith(QLatin1Char('.')))
            continue;
        if (entry.isDir() && !entry.isSymLink()) {
            result = ClearDir(entry.absoluteFilePath(), deleteDir) && result;
            continue;
        }
        if (ReadOnlyAttr(entry))
            QFile::setPermissions(entry.absoluteFilePath(), entry.permissions() | QFileDevice::WriteOwner);
        result = QFile::remove(entry.absoluteFilePath()) && result;
    }
    const bool bareDrive = path.size() == 2 && path[1] == QLatin1Char(':');
    const bool root = QDir(native).isRoot();
    if (deleteDir && result && !bareDrive && !root)
        result = QDir().rmdir(native);
    return result;
}

namespace {

int RecordLock(int handle, int64_t offset, int64_t size, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = offset;
    lock.l_len = size;
    return fcntl(handle, F_SETLK, &lock) == 0 ? 0 : errno;
}

} // namespace

int FileLock(int handle, int64_t offset, int64_t size) {
    return RecordLock(handle, offset, size, F_WRLCK);
}

int FileUnlock(int handle, int64_t offset, int64_t size) {
    return RecordLock(handle, offset, size, F_UNLCK);
}

bool BrowseDirectory(QString &folder, const QString &dialogText, int, QWidget *parent) {
    const QString chosen = QFileDialog::getExistingDirectory(parent, dialogText, folder);
    if (chosen.isEmpty())
        return false;
    folder = RemoveBackSlash(chosen);
    return true;
}
