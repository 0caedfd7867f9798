#pragma once

#include "navigator/FileSystem.h"
#include "navigator/Srvio.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// The instrument's flash disk "R9:" through its file server on a COM port. Every operation runs in the
// main thread: it issues a request, raises its pending flag and processes events until the reply's
// handler clears the flag or the connection closes.
class TLCD_FS : public TFileSystem {
public:
    static constexpr std::int32_t MinServerVersion = 822;
    static constexpr std::int32_t FindAllAttributes = 55;
    static constexpr std::int32_t FindTrashAttributes = 0x8010;

    // A null port makes the file service use a serial port of its own; ok tells whether it connected.
    TLCD_FS(NavigatorListing *view, int port, bool &ok, SerialPort *serialPort = nullptr);
    ~TLCD_FS() override;

    int Open();
    void Close();
    bool Connected();
    // Until the server identified itself with a version of 822 or more; false when the connection
    // closed first.
    bool WaitIdentified();
    bool IdentificationPending() const { return identPending_; }
    static QString ErrText(std::int32_t code, const QString &path);
    static QString OpenStatusText(int status);

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
    void Abort() override;
    bool Search(const QString &dir, const QString &mask, SearchResults &results, bool inTrash) override;
    DiskSpaceInfo GetDiskSpace() override;
    void Restore(const QString &path, bool isDir) override;
    bool ConvertTo(const QString &src, const QString &dst, NavigatorListing *destView, std::int32_t tag,
                   std::int32_t isDir, ConvertProc proc, QStringList *list) override;
    std::int32_t TrashCount() override;

    TSrvIo *Service() const { return srv_.get(); }

protected:
    bool ListEntries(const QString &dir, std::vector<Entry> &entries) override;

private:
    struct FoundEntry {
        QString Name;
        std::int32_t Attr = 0;
        std::int32_t DateTime = 0;
        std::int32_t Size = 0;
    };
    enum Pending { PFind, PRename, PCreateDir, PRemoveDir, PDeleteFile, PWrFile, PRdFile, PEmptyTrash, PDiskSpace,
                   PRestoreDir, PRestoreFile, PCheckFile, PTrashFileCnt, PendingCount };

    void SetHandlers();
    void Wait(Pending flag, bool hourglass = true);
    void Box(std::int32_t code, const QString &path);
    void ServerFailed(std::int32_t code);
    void ResultHandler(TSrvIo::ResultEvent &event, Pending flag, bool cancelOnError);
    void OnFindEntry(const QByteArray &name, std::int32_t attr, std::int32_t dateTime, std::int32_t size);
    // Lists a directory into the entry list (list mode 0).
    bool Gather(const QString &dir, std::int32_t attrMask);
    // Sends a local file as `path`; the caller's texts for the failures.
    void SendLocal(const QString &local, const QString &path, bool withPending);
    // A local file opened for reading; -1 after "Не открыт" when it cannot be.
    int OpenLocal(const QString &local);
    void SendOpened(int fd, const QString &local, const QString &path, bool withPending);
    void Progress(std::uint32_t n, std::uint32_t i);

    int port_;
    SerialPort *serialPort_;
    int listMode_ = 1;
    std::int32_t checkResult_ = 0;
    std::unique_ptr<TSrvIo> srv_;
    bool pending_[PendingCount] = {};
    QString listingDir_;
    std::vector<FoundEntry> entries_;
    std::int32_t trashCount_ = 0;
    std::int32_t foundCount_ = 0;
    QString operationPath_;
    bool identPending_ = true;
};
