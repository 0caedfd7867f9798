#include "navigator/SmbBrowser.h"

#include <QFile>
#include <QUrl>

#include <utility>

#include <fcntl.h>
#include <libsmbclient.h>
#include <sys/stat.h>

namespace {

const QString SmbProvider = QStringLiteral("SMB");

// The client asks for credentials through this; the prefilled defaults (the login name, no password,
// guest as the fallback) are what the navigator connects with.
void KeepDefaultCredentials(const char *, const char *, char *, int, char *, int, char *, int) {}

bool IsServer(const QString &remote) { return remote.startsWith("\\\\") && remote.count('\\') == 2; }

// An open directory of the client that closes itself.
class SmbDir {
public:
    SmbDir(SMBCCTX *ctx, const QString &remote)
        : ctx_(ctx), dir_(ctx ? smbc_getFunctionOpendir(ctx)(ctx, SmbUrl(remote).constData()) : nullptr) {}
    ~SmbDir() {
        if (dir_)
            smbc_getFunctionClosedir(ctx_)(ctx_, dir_);
    }
    SmbDir(const SmbDir &) = delete;
    SmbDir &operator=(const SmbDir &) = delete;

    bool IsOpen() const { return dir_ != nullptr; }
    const smbc_dirent *Next() { return smbc_getFunctionReaddir(ctx_)(ctx_, dir_); }
    const libsmb_file_info *NextWithStat(struct stat &st) {
        return smbc_getFunctionReaddirPlus2(ctx_)(ctx_, dir_, &st);
    }

private:
    SMBCCTX *ctx_;
    SMBCFILE *dir_;
};

// An open file of the client; closing tells whether the last written bytes reached the server.
class SmbFile {
public:
    SmbFile(SMBCCTX *ctx, const QString &path, int flags)
        : ctx_(ctx), file_(smbc_getFunctionOpen(ctx)(ctx, SmbUrl(path).constData(), flags, 0644)) {}
    ~SmbFile() { Close(); }
    SmbFile(const SmbFile &) = delete;
    SmbFile &operator=(const SmbFile &) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    ssize_t Read(char *buffer, size_t size) { return smbc_getFunctionRead(ctx_)(ctx_, file_, buffer, size); }
    bool WriteAll(const char *data, qint64 size) {
        while (size > 0) {
            const ssize_t written = smbc_getFunctionWrite(ctx_)(ctx_, file_, data, size_t(size));
            if (written <= 0)
                return false;
            data += written;
            size -= written;
        }
        return true;
    }
    bool Close() {
        SMBCFILE *file = std::exchange(file_, nullptr);
        return file && smbc_getFunctionClose(ctx_)(ctx_, file) == 0;
    }

private:
    SMBCCTX *ctx_;
    SMBCFILE *file_;
};

constexpr qint64 CopyBlock = 64 * 1024;

} // namespace

QByteArray SmbUrl(const QString &remote) {
    QString rest = remote;
    if (rest.startsWith("\\\\"))
        rest.remove(0, 2);
    QByteArrayList parts;
    for (const QString &part : rest.split('\\', Qt::SkipEmptyParts))
        parts << QUrl::toPercentEncoding(part);
    return "smb://" + parts.join('/');
}

SmbBrowser::SmbBrowser(const Options &options) {
    SMBCCTX *ctx = smbc_new_context();
    if (!ctx)
        return;
    smbc_setDebug(ctx, 0);
    smbc_setTimeout(ctx, options.TimeoutMs);
    smbc_setFunctionAuthData(ctx, KeepDefaultCredentials);
    if (options.Port)
        smbc_setPort(ctx, options.Port);
    if (!smbc_init_context(ctx)) {
        smbc_free_context(ctx, 1);
        return;
    }
    if (!options.ConfigFile.isEmpty() && smbc_setConfiguration(ctx, options.ConfigFile.toLocal8Bit().constData()) != 0) {
        smbc_free_context(ctx, 1);
        return;
    }
    ctx_ = ctx;
}

SmbBrowser::~SmbBrowser() {
    if (ctx_)
        smbc_free_context(ctx_, 1);
}

QString SmbBrowser::ProviderName() { return ctx_ ? SmbProvider : QString(); }

bool SmbBrowser::Parent(const QString &remote, QString &parent) {
    if (remote.isEmpty())
        return false;
    if (!remote.startsWith("\\\\"))
        parent = SmbProvider;
    else if (IsServer(remote))
        parent = groupOf_.value(remote, SmbProvider);
    else
        parent = remote.left(remote.lastIndexOf('\\'));
    return true;
}

bool SmbBrowser::Enumerate(const QString &remote, QStringList &children) {
    children.clear();
    SmbDir dir(ctx_, remote);
    if (!dir.IsOpen())
        return ctx_ && remote.isEmpty(); // no browse list: an empty top, where a server can be typed
    while (const smbc_dirent *entry = dir.Next()) {
        const QString name = QString::fromUtf8(entry->name);
        switch (entry->smbc_type) {
        case SMBC_WORKGROUP:
            children << name;
            break;
        case SMBC_SERVER:
            children << "\\\\" + name;
            groupOf_.insert("\\\\" + name, remote);
            break;
        case SMBC_FILE_SHARE:
            // Hidden and administrative shares end in "$"; the network's own listings leave them out.
            if (!name.endsWith('$'))
                children << remote + "\\" + name;
            break;
        default:
            break;
        }
    }
    return true;
}

bool SmbBrowser::ListFolder(const QString &path, std::vector<Entry> &entries) {
    entries.clear();
    SmbDir dir(ctx_, path);
    if (!dir.IsOpen())
        return false;
    struct stat st {};
    while (const libsmb_file_info *info = dir.NextWithStat(st)) {
        const QString name = QString::fromUtf8(info->name);
        if (name == "." || name == "..")
            continue;
        entries.push_back({name, S_ISDIR(st.st_mode), qint64(st.st_size), QDateTime::fromSecsSinceEpoch(st.st_mtime)});
    }
    return true;
}

bool SmbBrowser::Exists(const QString &path) {
    struct stat st {};
    return ctx_ && smbc_getFunctionStat(ctx_)(ctx_, SmbUrl(path).constData(), &st) == 0;
}

bool SmbBrowser::MakeDir(const QString &path) {
    return ctx_ && smbc_getFunctionMkdir(ctx_)(ctx_, SmbUrl(path).constData(), 0755) == 0;
}

bool SmbBrowser::Remove(const QString &path, bool isDir) {
    if (!ctx_)
        return false;
    const QByteArray url = SmbUrl(path);
    return (isDir ? smbc_getFunctionRmdir(ctx_)(ctx_, url.constData())
                  : smbc_getFunctionUnlink(ctx_)(ctx_, url.constData())) == 0;
}

bool SmbBrowser::Rename(const QString &from, const QString &to) {
    return ctx_ && smbc_getFunctionRename(ctx_)(ctx_, SmbUrl(from).constData(), ctx_, SmbUrl(to).constData()) == 0;
}

// A failed copy leaves no partial file behind that could pass for the whole one.
bool SmbBrowser::Download(const QString &path, const QString &local) {
    if (!ctx_)
        return false;
    SmbFile remote(ctx_, path, O_RDONLY);
    QFile file(local);
    if (!remote.IsOpen() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray buffer(CopyBlock, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = remote.Read(buffer.data(), size_t(buffer.size()));
        if (got == 0 && file.flush())
            return true;
        if (got <= 0 || file.write(buffer.constData(), got) != got) {
            file.remove();
            return false;
        }
    }
}

bool SmbBrowser::Upload(const QString &local, const QString &path) {
    QFile file(local);
    if (!ctx_ || !file.open(QIODevice::ReadOnly))
        return false;
    SmbFile remote(ctx_, path, O_WRONLY | O_CREAT | O_TRUNC);
    if (!remote.IsOpen())
        return false;
    bool ok = true;
    while (ok && !file.atEnd()) {
        const QByteArray block = file.read(CopyBlock);
        ok = file.error() == QFileDevice::NoError && remote.WriteAll(block.constData(), block.size());
    }
    if (remote.Close() && ok)
        return true;
    Remove(path, false);
    return false;
}

bool SmbBrowser::DiskSpace(const QString &path, qint64 &total, qint64 &free) {
    struct statvfs st {};
    QByteArray url = SmbUrl(path); // the client takes the URL as writable text
    if (!ctx_ || smbc_getFunctionStatVFS(ctx_)(ctx_, url.data(), &st) != 0)
        return false;
    const qint64 unit = qint64(st.f_frsize ? st.f_frsize : st.f_bsize);
    total = qint64(st.f_blocks) * unit;
    free = qint64(st.f_bavail) * unit;
    return true;
}
