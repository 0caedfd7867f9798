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
};

// The network file system: its own listing and parent path; every other operation is the local file
// system's.
class TNetwork_FS : public TWin_FS {
public:
    // The browser is not owned; null means no network support: every listing reports the device missing.
    TNetwork_FS(NavigatorListing *view, NetworkBrowser *browser);

    void ParentPath(const QString &path, QString &parent) override;
    void ReadDir(const QString &path) override;

private:
    void Unavailable(const QString &path);
    bool ListShare(const QString &path);

    NetworkBrowser *browser_;
    QString provider_;
    QString current_; // the resource last listed
};
