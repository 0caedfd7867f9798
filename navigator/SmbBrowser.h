#pragma once

#include "navigator/Network_FS.h"

#include <QByteArray>
#include <QHash>

struct _SMBCCTX; // libsmbclient's context, kept out of every includer

// The navigator's network path ("\\server\share\folder", a group "WORKGROUP", the top "") as the SMB
// client's URL ("smb://server/share/folder"), each component percent-encoded so that a name holding
// "@", ":" or "%" stays a name. Paths change form here only; the navigator keeps its own texts.
QByteArray SmbUrl(const QString &remote);

// The network browser over libsmbclient. Servers that send no browse lists leave the top empty; a server
// named by the user ("\\server") still lists its shares, and a share its folders. Every call blocks the
// main thread for at most the time-out per request.
class SmbBrowser : public NetworkBrowser {
public:
    struct Options {
        int TimeoutMs = 5000;
        quint16 Port = 0;   // 0: the client's own order (445, then 139)
        QString ConfigFile; // read after the system's smb.conf; empty: the system's alone
    };

    SmbBrowser() : SmbBrowser(Options{}) {}
    explicit SmbBrowser(const Options &options);
    ~SmbBrowser() override;
    SmbBrowser(const SmbBrowser &) = delete;
    SmbBrowser &operator=(const SmbBrowser &) = delete;

    // Empty when the client could not be set up, which the network file system reports.
    QString ProviderName() override;
    bool Parent(const QString &remote, QString &parent) override;
    bool Enumerate(const QString &remote, QStringList &children) override;
    bool ListFolder(const QString &path, std::vector<Entry> &entries) override;
    bool Exists(const QString &path) override;
    bool MakeDir(const QString &path) override;
    bool Remove(const QString &path, bool isDir) override;
    bool Rename(const QString &from, const QString &to) override;
    bool Download(const QString &path, const QString &local) override;
    bool Upload(const QString &local, const QString &path) override;
    bool DiskSpace(const QString &path, qint64 &total, qint64 &free) override;

private:
    _SMBCCTX *ctx_ = nullptr;
    QHash<QString, QString> groupOf_; // a server's group, as the group's listing gave it
};
