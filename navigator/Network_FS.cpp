#include "navigator/Network_FS.h"

#include "navigator/NavMask.h"
#include "navigator/NavMessages.h"
#include "platform/Clock.h"

#include <QTemporaryFile>

TNetwork_FS::TNetwork_FS(NavigatorListing *view, NetworkBrowser *browser) : TWin_FS(view), browser_(browser) {
    provider_ = browser_ ? browser_->ProviderName() : QString();
    if (provider_.isEmpty())
        NavError("Не могу определить провайдера сети!");
}

void TNetwork_FS::ParentPath(const QString &, QString &parent) {
    parent.clear();
    QString found;
    if (!browser_ || !browser_->Parent(current_, found))
        return;
    parent = found == provider_ ? QString() : found;
}

void TNetwork_FS::Unavailable(const QString &path) {
    SetListValid(false);
    NavError("Устройство по " + path + " недоступно!");
    FConnected = false;
}

bool TNetwork_FS::ListShare(const QString &path) {
    std::vector<NetworkBrowser::Entry> entries;
    if (!browser_->ListFolder(path, entries))
        return false;
    NavigatorItem up{"..", 4, {"<DIR>", QString(), QString(), path.left(path.lastIndexOf('\\'))}};
    FView->Items.push_back(up);
    for (const NetworkBrowser::Entry &entry : entries) {
        NavigatorItem item;
        if (entry.IsDir) {
            item = {entry.Name, 3, {"<DIR>", QString(), ListingTime(entry.Modified), path + "\\" + entry.Name}};
        } else {
            QString caption, ext;
            ListingColumns(entry.Name, caption, ext);
            item = {caption, 2, {ext, QString::number(entry.Size), ListingTime(entry.Modified), QString()}};
        }
        FView->Items.push_back(item);
    }
    return true;
}

void TNetwork_FS::ReadDir(const QString &path) {
    current_ = path;
    QString parent;
    ParentPath(path, parent);
    FView->Items.clear();
    if (parent.startsWith("\\\\")) {
        if (!browser_ || !ListShare(path)) {
            Unavailable(path);
            return;
        }
        FConnected = true;
        SetListValid(true);
        SetCurrentPath(path);
        return;
    }
    PumpMessages();
    QStringList children;
    if (!browser_ || !browser_->Enumerate(path, children)) {
        Unavailable(path);
        return;
    }
    if (!path.isEmpty())
        FView->Items.push_back({"..", 4, {"<DIR>", QString(), QString(), parent}});
    for (const QString &remote : children) {
        QString caption = remote;
        if (caption.startsWith("\\\\"))
            caption.remove(0, 2);
        FView->Items.push_back({caption, 3, {"<DIR>", QString(), QString(), remote}});
    }
    SetListValid(true);
    SetCurrentPath(path);
}

bool TNetwork_FS::CreateDir(const QString &path) { return browser_ && browser_->MakeDir(path); }

bool TNetwork_FS::ListEntries(const QString &dir, std::vector<TFileSystem::Entry> &entries) {
    std::vector<NetworkBrowser::Entry> found;
    if (!browser_ || !browser_->ListFolder(dir, found))
        return false;
    for (const NetworkBrowser::Entry &entry : found)
        entries.push_back({entry.Name, entry.IsDir});
    return true;
}

bool TNetwork_FS::EntryExists(const QString &path) { return browser_ && browser_->Exists(path); }

bool TNetwork_FS::RemoveEntry(const QString &path, bool isDir) { return browser_ && browser_->Remove(path, isDir); }

bool TNetwork_FS::RenameEntry(const QString &from, const QString &to) { return browser_ && browser_->Rename(from, to); }

bool TNetwork_FS::CopyToLocal(const QString &path, const QString &local) {
    return browser_ && browser_->Download(path, local);
}

bool TNetwork_FS::CopyFromLocal(const QString &local, const QString &path) {
    return browser_ && browser_->Upload(local, path);
}

// Only a share has a disk ("\\server\share" and below); the levels above it and a share that cannot
// tell give zeros, as a local drive that cannot be asked does.
DiskSpaceInfo TNetwork_FS::GetDiskSpace() {
    qint64 total = 0;
    qint64 free = 0;
    const bool inShare = CurrentPath().startsWith("\\\\") && CurrentPath().count('\\') >= 3;
    if (!inShare || !browser_ || !browser_->DiskSpace(CurrentPath(), total, free))
        total = free = 0;
    FDiskSpace.TotalBytes = total;
    FDiskSpace.FreeBytes = free;
    FDiskSpace.TrashBytes = -1;
    FDiskSpace.UsedBytes = total - free;
    return FDiskSpace;
}

// Texts pass through a file of the private folder, as every transfer does.
bool TNetwork_FS::ReadBytes(const QString &path, QByteArray &bytes) {
    QTemporaryFile local(TransferFolder() + "shareXXXXXX");
    if (!local.open() || !CopyToLocal(path, local.fileName()))
        return false;
    QFile file(local.fileName());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

bool TNetwork_FS::WriteBytes(const QString &path, const QByteArray &bytes) {
    QTemporaryFile local(TransferFolder() + "shareXXXXXX");
    if (!local.open() || local.write(bytes) != bytes.size() || !local.flush())
        return false;
    return CopyFromLocal(local.fileName(), path);
}
