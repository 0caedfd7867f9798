#pragma once

#include "navigator/FileSystem.h"

// The PC's own drives: "X:\..." paths reach the local file system through the drive table of platform/.
class TWin_FS : public TFileSystem {
public:
    using TFileSystem::TFileSystem;

    void ParentPath(const QString &path, QString &parent) override;
    void ReadDir(const QString &path) override;
    bool CreateDir(const QString &path) override;
    bool Delete(const QString &path, std::int32_t isDir) override;
    void LoadText(const QString &path, QStringList &target) override;
    void SaveText(const QString &path, const QStringList &source) override;
    void CreateEmptyFile(const QString &path) override;
    void FetchFile(const QString &path) override;
    void StoreFile(const QString &path) override;
    bool CopyTo(const QString &src, const QString &dst, NavigatorListing *destView, std::int32_t isDir) override;
    bool Rename(const QString &oldPath, const QString &newPath) override;
    void EmptyTrash() override;
    bool Search(const QString &dir, const QString &mask, SearchResults &results, bool inTrash) override;
    DiskSpaceInfo GetDiskSpace() override;
    bool ConvertTo(const QString &src, const QString &dst, NavigatorListing *destView, std::int32_t tag,
                   std::int32_t isDir, ConvertProc proc, QStringList *list) override;
    std::int32_t TrashCount() override;

protected:
    bool ListEntries(const QString &dir, std::vector<Entry> &entries) override;
    bool ReportsConvertedStoreStart() const override { return false; }
    // Adds the listing's rows of one local folder; false when it cannot be read.
    bool ListInto(const QString &path);
    // The primitives on one entry, by its navigator path, that the operations above are built of; the
    // network file system puts its shares' own in their place. False when the medium refuses.
    virtual bool EntryExists(const QString &path);
    virtual bool RemoveEntry(const QString &path, bool isDir);
    virtual bool RenameEntry(const QString &from, const QString &to);
    virtual bool CopyToLocal(const QString &path, const QString &local);
    virtual bool CopyFromLocal(const QString &local, const QString &path);
    // A whole file's bytes; the write replaces the file.
    virtual bool ReadBytes(const QString &path, QByteArray &bytes);
    virtual bool WriteBytes(const QString &path, const QByteArray &bytes);
};

// The listing's date column: "dd.mm.yy hh:mm", times before 01.01.1985 shown as that moment.
QString ListingTime(const QDateTime &modified);
// The overwrite question of a store; the answer (IdYes, IdNo or IdCancel).
int AskOverwrite(const QString &path);
