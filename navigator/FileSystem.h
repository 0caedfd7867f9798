#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TFileSystem;

// One row of a navigator listing: a caption and four sub-items (extension or "<DIR>", size, date
// "dd.mm.yy hh:mm", target path of a directory), the image (2 file, 3 directory, 4 "..") and the check.
struct NavigatorItem {
    QString Caption;
    int ImageIndex = 2;
    QStringList SubItems;
    bool Checked = false;

    bool IsDir() const { return !SubItems.isEmpty() && SubItems[0] == QLatin1String("<DIR>"); }
    // The entry's own name: caption, and "." + extension when there is one.
    QString Name() const;
};

// What a file system needs of the view it lists into: the rows, the progress event and the file system
// of a destination view. The navigator view (a window) implements it; tests use it bare.
class NavigatorListing {
public:
    virtual ~NavigatorListing() = default;

    std::vector<NavigatorItem> Items;
    // (Sender, Name, Pos): Pos 0 before a step on one file, 100 after it.
    std::function<void(NavigatorListing *sender, const QString &name, int pos)> OnProgress;

    TFileSystem *FileSystem() const { return fileSystem_; }
    void SetFileSystem(TFileSystem *fileSystem) { fileSystem_ = fileSystem; }
    void Progress(const QString &name, int pos);

private:
    TFileSystem *fileSystem_ = nullptr;
};

struct DiskSpaceInfo {
    std::int64_t TotalBytes = 0;
    std::int64_t UsedBytes = 0;
    std::int64_t FreeBytes = 0;
    std::int64_t TrashBytes = 0; // -1 when the file system cannot tell
};

// The list control a search appends its lines to.
using SearchResults = QStringList;

using ConvertProc = bool (*)(std::int32_t tag, const QString &source, const QString &destination, QStringList *list,
                             TFileSystem *destinationFs);

// Stops chains of file operations; set by a Cancel answer and by the instrument's server errors. The
// navigator clears it at the start of each user-level action.
extern bool CancelAll;

// The exchange file "tmp000" through which every copy between two file systems passes, and the folder of
// the text transfers' local files: a private temporary folder of this program instance, never the
// program folder, where an instrument file named like one of the program's own would replace it.
QString ExchangeFile();
QString TransferFolder();

// "R9:" for the instrument's paths, else the drive part: a letter and a colon, or "\\server\share".
QString DriveOfPath(const QString &path);

// The navigator's file system: paths are "X:\..." texts with "\" as separator; the root of a drive is
// "C:", the instrument's "R9:", the top of the network the empty text. The base gives every operation a
// harmless default, so an implementation overrides what its medium supports.
class TFileSystem {
public:
    explicit TFileSystem(NavigatorListing *view);
    virtual ~TFileSystem();
    TFileSystem(const TFileSystem &) = delete;
    TFileSystem &operator=(const TFileSystem &) = delete;

    QString CurrentPath() const { return FCurrentDir; }
    void SetCurrentPath(const QString &path);
    NavigatorListing *View() const { return FView; }
    bool Connected() const { return FConnected; }
    const QByteArray &TextBuffer() const { return FTextBuffer; }
    const DiskSpaceInfo &DiskSpace() const { return FDiskSpace; }

    virtual void ParentPath(const QString &path, QString &parent);
    virtual void SetListValid(bool valid) { FListValid = valid; }
    virtual void ReadDir(const QString &) {}
    virtual bool ListValid() { return FListValid; }
    virtual bool CreateDir(const QString &) { return true; }
    virtual bool Delete(const QString &, std::int32_t) { return true; }
    virtual void LoadText(const QString &, QStringList &) {}
    virtual void SaveText(const QString &, const QStringList &) {}
    virtual void CreateEmptyFile(const QString &) {}
    virtual void FetchFile(const QString &) {}
    virtual void StoreFile(const QString &) {}
    virtual bool CopyTo(const QString &, const QString &, NavigatorListing *, std::int32_t) { return true; }
    virtual bool Rename(const QString &, const QString &) { return true; }
    virtual void EmptyTrash() {}
    virtual void Abort() {}
    virtual bool Search(const QString &, const QString &, SearchResults &, bool) { return true; }
    virtual DiskSpaceInfo GetDiskSpace() { return FDiskSpace; }
    virtual void Restore(const QString &, bool) {}
    virtual bool ConvertTo(const QString &, const QString &, NavigatorListing *, std::int32_t, std::int32_t, ConvertProc,
                           QStringList *) {
        return true;
    }
    virtual std::int32_t TrashCount() { return -1; }

    // Whether the last transfer into this file system wrote its file: a declined overwrite or a failed
    // copy is not a file a move may delete its source for.
    bool LastStoreWritten() const { return FStoreWritten; }
    // Whether every file of the transfers since BeginTransfer was fetched and written.
    void BeginTransfer() { FTransferIncomplete = false; }
    bool TransferComplete() const { return !FTransferIncomplete; }

protected:
    struct Entry {
        QString Name;
        bool IsDir = false;
    };
    // The entries of a directory without "." and "..", for the tree walks; false when it cannot be read.
    virtual bool ListEntries(const QString &, std::vector<Entry> &) { return false; }
    // The copy and conversion of a file or a tree into the file system of destView, through the exchange
    // file: FetchFile here, StoreFile there. `proc` is null for a copy; `convert` says which it is.
    bool TransferTree(const QString &src, const QString &dst, NavigatorListing *destView, std::int32_t isDir,
                      bool convert, std::int32_t tag, ConvertProc proc, QStringList *list);
    // Whether a conversion reports the store's start too, or only its end.
    virtual bool ReportsConvertedStoreStart() const { return true; }
    // Set by FetchFile: the exchange file holds the source.
    bool FFetched = false;
    bool FTransferIncomplete = false;

    // The text of a file's bytes as LoadText gives it: zero bytes read as 0x80.
    void TakeText(const QByteArray &bytes, QStringList &target);

    QString FCurrentDir;
    bool FListValid = false;
    NavigatorListing *FView = nullptr;
    DiskSpaceInfo FDiskSpace;
    QByteArray FTextBuffer; // the last LoadText's bytes and a terminating zero
    bool FConnected = true;
    bool FStoreWritten = false;
};
