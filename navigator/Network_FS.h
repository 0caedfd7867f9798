#pragma once

#include "navigator/Win_FS.h"

#include <QDateTime>
#include <QStringList>

#include <memory>
#include <vector>

// The network as levels: the provider's top, its groups, their servers ("\\server"), the servers' shares
// ("\\server\share") and the folders inside a share. A backend stands behind it (the SMB client); tests
// give a fake. Servers that send no browse lists leave the upper levels empty.
class NetworkBrowser {
public:
    struct Entry {
        QString Name;
        bool IsDir = false;
        qint64 Size = 0;
        QDateTime Modified;
    };

    virtual ~NetworkBrowser() = default;
    virtual QString ProviderName() = 0;
    // The resource one level up; false when it cannot be told.
    virtual bool Parent(const QString &remote, QString &parent) = 0;
    // The resources one level down of the top (empty text), a group or a server.
    virtual bool Enumerate(const QString &remote, QStringList &children) = 0;
    // The entries of a share or a folder inside one.
    virtual bool ListFolder(const QString &path, std::vector<Entry> &entries) = 0;

    // Operations on one entry inside a share, false when they fail; a browser without them refuses.
    virtual bool Exists(const QString &) { return false; }
    virtual bool MakeDir(const QString &) { return false; }
    virtual bool Remove(const QString &, bool /*isDir*/) { return false; }
    virtual bool Rename(const QString &, const QString &) { return false; }
    // A file of a share into a local file and back, each replacing its target.
    virtual bool Download(const QString &, const QString &) { return false; }
    virtual bool Upload(const QString &, const QString &) { return false; }
    // The size and the free bytes of the disk behind a share.
    virtual bool DiskSpace(const QString &, qint64 & /*total*/, qint64 & /*free*/) { return false; }
};

// The network file system: its own listing and parent path; inside a share the local file system's
// operations, whose primitives on single entries go to the browser (the shares are never mounted).
class TNetwork_FS : public TWin_FS {
public:
    // The browser is not owned; null means no network support: every listing reports the device missing.
    TNetwork_FS(NavigatorListing *view, NetworkBrowser *browser);

    void ParentPath(const QString &path, QString &parent) override;
    void ReadDir(const QString &path) override;
    bool CreateDir(const QString &path) override;
    DiskSpaceInfo GetDiskSpace() override;

protected:
    bool ListEntries(const QString &dir, std::vector<TFileSystem::Entry> &entries) override;
    bool EntryExists(const QString &path) override;
    bool RemoveEntry(const QString &path, bool isDir) override;
    bool RenameEntry(const QString &from, const QString &to) override;
    bool CopyToLocal(const QString &path, const QString &local) override;
    bool CopyFromLocal(const QString &local, const QString &path) override;
    bool ReadBytes(const QString &path, QByteArray &bytes) override;
    bool WriteBytes(const QString &path, const QByteArray &bytes) override;

private:
    void Unavailable(const QString &path);
    bool ListShare(const QString &path);

    NetworkBrowser *browser_;
    QString provider_;
    QString current_; // the resource last listed
};
