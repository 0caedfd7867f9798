#pragma once

#include "navigator/Sio.h"
#include "navigator/SrvRecords.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

// Messages of the file service to its hidden window (the disconnect, WM_APP+70, is the link's).
enum SrvMessage : std::uint32_t {
    WmSrvTimeout = WM_APP + 71,
    WmSrvDbgVect = WM_APP + 72,
    WmSrvIdent = WM_APP + 73,
    WmSrvRdFile = WM_APP + 74,
    WmSrvRdProgress = WM_APP + 75,
    WmSrvWrFile = WM_APP + 76,
    WmSrvWrProgress = WM_APP + 77,
    WmSrvCheckFile = WM_APP + 78,
    WmSrvDeleteFile = WM_APP + 79,
    WmSrvRestoreFile = WM_APP + 80,
    WmSrvRename = WM_APP + 81,
    WmSrvCheckDir = WM_APP + 82,
    WmSrvCreateDir = WM_APP + 83,
    WmSrvRemoveDir = WM_APP + 84,
    WmSrvRestoreDir = WM_APP + 85,
    WmSrvGetCurrentDir = WM_APP + 86,
    WmSrvSetCurrentDir = WM_APP + 87,
    WmSrvFind = WM_APP + 88,
    WmSrvFindEnd = WM_APP + 89,
    WmSrvEmptyTrash = WM_APP + 90,
    WmSrvEmptyTrashProgress = WM_APP + 91,
    WmSrvTrashFileCnt = WM_APP + 92,
    WmSrvDiskSpace = WM_APP + 93,
};

// Packet types the client sends.
enum SrvRequest : std::uint32_t {
    SrvCancel = 2,
    SrvRdFile = 3,
    SrvWrHeader = 4,
    SrvWrPath = 5,
    SrvWrData = 6,
    SrvCheckFile = 7,
    SrvDeleteFile = 8,
    SrvRestoreFile = 9,
    SrvRenameOld = 10,
    SrvRenameNew = 11,
    SrvCreateDir = 13,
    SrvRemoveDir = 14,
    SrvRestoreDir = 15,
    SrvFindMask = 18,
    SrvFindPath = 19,
    SrvEmptyTrash = 20,
    SrvTrashFileCnt = 21,
    SrvDiskSpace = 22,
    SrvGoodbye = 23,
};

// Packet types the server sends.
enum SrvReply : int {
    ReplyDebug = 1,
    ReplyIdent = 2,
    ReplyReadSize = 4,
    ReplyReadData = 5,
    ReplyReadEnd = 6,
    ReplyWriteReady = 7,
    ReplyWriteEnd = 8,
    ReplyCheckFile = 9,
    ReplyRestoreDir = 16,
    ReplyDirPiece = 17,
    ReplyDirEnd = 18,
    ReplySetDir = 19,
    ReplyFind = 20,
    ReplyFindEnd = 21,
    ReplyTrashProgress = 22,
    ReplyTrashEnd = 23,
    ReplyTrashCount = 24,
    ReplyDiskSpace = 25,
};

// Open codes of the greeting, after the link's 1 to 5.
enum SrvStatus : int {
    SrvGreetWriteFailed = 6,
    SrvGreetUnknown = 8,
    SrvGreetBadVersion = 9,
    SrvGreetWrongAnswer = 10,
    SrvGreetNoAnswer = 11,
};

// The client of the instrument's file server over the COM-port link: the greeting, one request at a time
// with its reply events, and a service thread that consumes the received packets, moves file data between
// the link and the caller's local file, and posts the events that the main thread raises.
class TSrvIo : public TSio {
public:
    static constexpr std::size_t MaxTextLength = 1023;
    static constexpr std::uint32_t BlockSize = 1024;
    static constexpr std::int32_t LocalErrorBit = 0x20000000;

    using SenderEvent = std::function<void(TSrvIo *sender)>;
    using DisconnectEvent = std::function<void(TSrvIo *sender, std::int16_t err, std::int16_t v)>;
    using DataEvent = std::function<void(TSrvIo *sender, const std::uint8_t *data, int size)>;
    using IdentEvent = std::function<void(TSrvIo *sender, std::int32_t vsrv)>;
    using TransferEvent = std::function<void(TSrvIo *sender, std::uint32_t armSize, std::uint32_t size,
                                             std::int32_t winError, std::int32_t armError)>;
    using ProgressEvent = std::function<void(TSrvIo *sender, std::uint32_t n, std::uint32_t i)>;
    using ResultEvent = std::function<void(TSrvIo *sender, std::int32_t armError)>;
    using DirEvent = std::function<void(TSrvIo *sender, const QByteArray &dir, std::int32_t armError)>;
    using FindEvent = std::function<void(TSrvIo *sender, const QByteArray &name, std::int32_t attr,
                                         std::int32_t dateTime, std::int32_t size)>;
    using ValueEvent = std::function<void(TSrvIo *sender, std::int32_t value, std::int32_t armError)>;
    using DiskSpaceEvent = std::function<void(TSrvIo *sender, std::int32_t disk, std::int32_t data,
                                              std::int32_t free, std::int32_t trash, std::int32_t armError)>;

    explicit TSrvIo(QObject *owner = nullptr, SerialPort *port = nullptr);
    ~TSrvIo() override;

    // 0, the link's codes 1 to 5, or the greeting's 6, 8, 9, 10, 11.
    int Open(int port, bool trace);
    // Says goodbye (packet 23), waits at most 3000 ms for the server to drop CTS where the port has the
    // line (else until the goodbye was acknowledged), and closes.
    void Close();
    bool Connected() const { return connected_.load() != 0; }
    bool Busy() const { return busy_.load() != 0; }

    // Requests: false when busy, when the texts do not fit the free transmit slots or a text is empty or
    // longer than 1023 bytes; on success busy is set until the reply's end event.
    bool RdFile(const QString &path, int localFile);
    bool WrFile(const QString &path, int localFile, std::int32_t attr, std::int32_t dateTime);
    bool CheckFile(const QString &path);
    bool DeleteFile(const QString &path);
    bool RestoreFile(const QString &path);
    bool Rename(const QString &oldPath, const QString &newPath);
    bool CreateDir(const QString &path);
    bool RemoveDir(const QString &path);
    bool RestoreDir(const QString &path);
    bool Find(const QString &searchPath, std::int32_t attrMask);
    bool EmptyTrash();
    bool TrashFileCnt();
    bool DiskSpace();
    // Cancels the running transfer at the service thread's next step.
    void Abort();

    std::int32_t ArmError() const { return armError_.load(); }
    std::int32_t WinError() const { return winError_.load(); }

    DisconnectEvent OnDisconnect;
    SenderEvent OnSrvTimeout;
    DataEvent OnDbgVect;
    IdentEvent OnIdent;
    TransferEvent OnRdFile;
    ProgressEvent OnRdProgress;
    TransferEvent OnWrFile;
    ProgressEvent OnWrProgress;
    ResultEvent OnCheckFile, OnDeleteFile, OnRestoreFile, OnRename, OnCheckDir, OnCreateDir, OnRemoveDir,
        OnRestoreDir;
    DirEvent OnGetCurrentDir;
    ResultEvent OnSetCurrentDir;
    FindEvent OnFind;
    ResultEvent OnFindEnd;
    ValueEvent OnEmptyTrash;
    ProgressEvent OnEmptyTrashProgress;
    ValueEvent OnTrashFileCnt;
    DiskSpaceEvent OnDiskSpace;

protected:
    int Handshake() override;
    void WndProc(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;

private:
    static constexpr std::int32_t DisconnectAfterMs = 30000;
    static constexpr std::int32_t TimeoutAfterMs = 5000;
    static constexpr std::uint32_t GreetingWaitMs = 500;
    static constexpr std::uint32_t GoodbyeWaitMs = 3000;
    static constexpr std::size_t DirTextSize = 2048;

    // Every request starts from a clean transfer state.
    void StartRequest(int localFile, bool keepSize = false);
    static int Pieces(const QByteArray &text) { return int(text.size()) / int(LinkMaxPayload) + 1; }
    static bool TextFits(const QByteArray &text) { return !text.isEmpty() && std::size_t(text.size()) <= MaxTextLength; }
    // Queues the text with its NUL as packets of one type; the caller made sure the slots are free.
    void QueueText(std::uint32_t type, const QByteArray &text);
    bool TextRequest(std::uint32_t type, const QString &path, int localFile);
    bool SendEmpty(std::uint32_t type);
    bool EmptyRequest(std::uint32_t type);
    void StopServiceThread();
    std::int32_t LocalError() const;

    static void ServiceThreadProc(void *self);
    void ServiceLoop();
    // Reads the waiting packet into the reply buffer; its length.
    std::uint32_t ReadReply();
    template <typename Record> Record ReadRecord();
    void PostResult(std::uint32_t msg);
    void ReadData();
    void ReadEnd();
    void WriteData();
    bool WriteLocal();
    void CancelUntil(int endType);

    std::unique_ptr<TIoThread> ServiceThread;
    std::atomic<std::uint8_t> connected_{0};
    std::atomic<std::uint8_t> busy_{0};
    std::atomic<std::uint8_t> abort_{0};
    std::atomic<std::uint8_t> dbgHeld_{0}, dirHeld_{0}, findHeld_{0};
    std::atomic<std::int32_t> armError_{0};
    std::atomic<std::int32_t> winError_{0};
    std::atomic<int> localFile_{-1};
    std::atomic<std::uint32_t> N_{0};
    std::atomic<std::uint32_t> i_{0};
    std::uint32_t chunkFill_ = 0;
    std::uint32_t dirLength_ = 0;

    std::int32_t vsrv_ = 0;
    PairReply trashProgress_{};
    PairReply trashEnd_{};
    PairReply trashCount_{};
    DiskSpaceReply diskSpace_{};

    std::uint8_t reply_[LinkMaxPayload] = {};
    std::uint8_t transfer_[BlockSize + LinkMaxPayload] = {};
    char dirText_[DirTextSize] = {};
    FindRecord findRecord_{};
    std::uint8_t debug_[LinkMaxPayload] = {};
};
