#include "navigator/Srvio.h"

#include "platform/Clock.h"
#include "platform/Cp1251.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace {

constexpr std::uint8_t GreetingBytes[] = {0x01, 0x10, 0x02, 0x20, 0x04, 0x40, 0x08, 0x80};

// wParam and lParam carry 32-bit values both ways.
std::uintptr_t AsW(std::int64_t value) {
    return std::uintptr_t(std::uint32_t(value));
}
std::int32_t FromW(std::uintptr_t value) {
    return std::int32_t(std::uint32_t(value));
}

} // namespace

TSrvIo::TSrvIo(QObject *owner, SerialPort *port) : TSio(owner, port) {}

TSrvIo::~TSrvIo() {
    Close();
}

int TSrvIo::Handshake() {
    while (ReadRawByte() >= 0) {
    }
    for (std::uint8_t byte : GreetingBytes)
        PutRawByte(byte);
    if (!WriteRaw())
        return SrvGreetWriteFailed;
    const std::uint32_t start = GetTickCount();
    const auto nextByte = [&] {
        for (;;) {
            const int byte = ReadRawByte();
            if (byte >= 0 || TicksSince(start) >= GreetingWaitMs)
                return byte;
            Pause();
        }
    };
    const int first = nextByte();
    if (first < 0)
        return SrvGreetNoAnswer;
    if (first == '1' || first == '2' || first == '4')
        return SrvGreetBadVersion;
    if (first != '3')
        return SrvGreetWrongAnswer;
    const int second = nextByte();
    if (second == 0x89)
        return SioOk;
    return second == 0x88 ? SrvGreetUnknown : SrvGreetWrongAnswer;
}

void TSrvIo::StopServiceThread() {
    connected_.store(0);
    ServiceThread.reset();
}

int TSrvIo::Open(int port, bool trace) {
    StopServiceThread();
    dbgHeld_.store(0);
    dirHeld_.store(0);
    findHeld_.store(0);
    busy_.store(0);
    winError_.store(0);
    localFile_.store(-1);
    N_.store(0);
    i_.store(0);
    chunkFill_ = dirLength_ = 0;
    const int status = TSio::Open(port, trace);
    if (status != SioOk) {
        ClosePort();
        return status;
    }
    connected_.store(1);
    ServiceThread = std::make_unique<TIoThread>(&TSrvIo::ServiceThreadProc, this);
    return SioOk;
}

void TSrvIo::Close() {
    connected_.store(0);
    if (WaitCanSend() && SendEmpty(SrvGoodbye)) {
        // The server drops CTS when it has taken the goodbye; a port without the line cannot show that,
        // so there the goodbye's acknowledgement ends the wait.
        const bool lines = HasModemLines();
        const std::uint32_t start = GetTickCount();
        while (IsRunning() && TicksSince(start) < GoodbyeWaitMs) {
            if (lines ? !CtsOn() : FreeSlots() == LinkScheduler::RingSlots - 1)
                break;
            Pause();
        }
    }
    TSio::Close();
    StopServiceThread();
}

std::int32_t TSrvIo::LocalError() const {
    return std::int32_t(errno) | LocalErrorBit;
}

void TSrvIo::StartRequest(int localFile, bool keepSize) {
    winError_.store(0);
    if (!keepSize)
        N_.store(0);
    i_.store(0);
    chunkFill_ = 0;
    dirLength_ = 0;
    abort_.store(0);
    localFile_.store(localFile);
}

void TSrvIo::QueueText(std::uint32_t type, const QByteArray &text) {
    const qsizetype total = text.size() + 1; // with the NUL, which QByteArray keeps behind its data
    for (qsizetype offset = 0; offset < total; offset += LinkMaxPayload)
        SendPacket(text.constData() + offset, std::uint32_t(std::min<qsizetype>(LinkMaxPayload, total - offset)), type);
}

bool TSrvIo::TextRequest(std::uint32_t type, const QString &path, int localFile) {
    const QByteArray text = ToCp1251(path);
    if (busy_.load() || !TextFits(text) || FreeSlots() < Pieces(text))
        return false;
    StartRequest(localFile);
    busy_.store(1);
    QueueText(type, text);
    return true;
}

// SendPacket counts payload bytes, so an empty packet is checked for room first; the service thread and
// the main thread never queue at the same time, so the room is still there.
bool TSrvIo::SendEmpty(std::uint32_t type) {
    if (!CanSend())
        return false;
    SendPacket(nullptr, 0, type);
    return true;
}

bool TSrvIo::EmptyRequest(std::uint32_t type) {
    if (busy_.load() || !CanSend())
        return false;
    StartRequest(-1);
    busy_.store(1);
    return SendEmpty(type);
}

bool TSrvIo::RdFile(const QString &path, int localFile) {
    return TextRequest(SrvRdFile, path, localFile);
}

bool TSrvIo::WrFile(const QString &path, int localFile, std::int32_t attr, std::int32_t dateTime) {
    const QByteArray text = ToCp1251(path);
    if (busy_.load() || !TextFits(text) || !CanSend())
        return false;
    StartRequest(localFile);
    const off_t size = ::lseek(localFile, 0, SEEK_END);
    if (size < 0 || ::lseek(localFile, 0, SEEK_SET) != 0) {
        winError_.store(LocalError());
        N_.store(size < 0 ? 0 : std::uint32_t(size));
        busy_.store(1);
        PostEvent(WmSrvWrFile, N_.load(), 0);
        return true;
    }
    N_.store(std::uint32_t(size));
    const FileHeader header{attr, dateTime, std::int32_t(size)};
    busy_.store(1);
    SendPacket(&header, sizeof header, SrvWrHeader);
    if (!WaitFreeSlots(Pieces(text))) {
        busy_.store(0);
        return false;
    }
    QueueText(SrvWrPath, text);
    return true;
}

bool TSrvIo::CheckFile(const QString &path) {
    return TextRequest(SrvCheckFile, path, -1);
}

bool TSrvIo::DeleteFile(const QString &path) {
    return TextRequest(SrvDeleteFile, path, -1);
}

bool TSrvIo::RestoreFile(const QString &path) {
    return TextRequest(SrvRestoreFile, path, -1);
}

bool TSrvIo::CreateDir(const QString &path) {
    return TextRequest(SrvCreateDir, path, -1);
}

bool TSrvIo::RemoveDir(const QString &path) {
    return TextRequest(SrvRemoveDir, path, -1);
}

bool TSrvIo::RestoreDir(const QString &path) {
    return TextRequest(SrvRestoreDir, path, -1);
}

// Both texts are checked before the first goes out, and the second waits for its slots, so a long
// rename never stops with only its first half sent while the link runs.
bool TSrvIo::Rename(const QString &oldPath, const QString &newPath) {
    const QByteArray newText = ToCp1251(newPath);
    if (!TextFits(newText) || !TextRequest(SrvRenameOld, oldPath, -1))
        return false;
    if (!WaitFreeSlots(Pieces(newText))) {
        busy_.store(0);
        return false;
    }
    QueueText(SrvRenameNew, newText);
    return true;
}

bool TSrvIo::Find(const QString &searchPath, std::int32_t attrMask) {
    const QByteArray text = ToCp1251(searchPath);
    if (busy_.load() || !TextFits(text) || FreeSlots() < 1 + Pieces(text))
        return false;
    StartRequest(-1);
    busy_.store(1);
    SendPacket(&attrMask, sizeof attrMask, SrvFindMask);
    QueueText(SrvFindPath, text);
    return true;
}

bool TSrvIo::EmptyTrash() {
    return EmptyRequest(SrvEmptyTrash);
}

bool TSrvIo::TrashFileCnt() {
    return EmptyRequest(SrvTrashFileCnt);
}

bool TSrvIo::DiskSpace() {
    return EmptyRequest(SrvDiskSpace);
}

void TSrvIo::Abort() {
    if (busy_.load())
        abort_.store(1);
}

void TSrvIo::ServiceThreadProc(void *self) {
    static_cast<TSrvIo *>(self)->ServiceLoop();
}

std::uint32_t TSrvIo::ReadReply() {
    return ReadPacket(reply_);
}

template <typename Record> Record TSrvIo::ReadRecord() {
    const std::uint32_t size = ReadReply();
    return ReplyRecord<Record>(reply_, size);
}

void TSrvIo::PostResult(std::uint32_t msg) {
    armError_.store(ReadRecord<ResultReply>().ArmError);
    PostEvent(msg, 0, 0);
}

void TSrvIo::ServiceLoop() {
    // Replies that carry only a result, and the message each posts.
    static constexpr std::uint32_t ResultMessages[] = {
        WmSrvCheckFile, WmSrvDeleteFile, WmSrvRestoreFile, WmSrvRename,
        WmSrvCheckDir,  WmSrvCreateDir,  WmSrvRemoveDir,   WmSrvRestoreDir,
    };
    while (connected_.load()) {
        const int type = PeekPacket();
        switch (type) {
        case 0:
            if (DisconnectSilence.load() > DisconnectAfterMs) {
                PostEvent(WmSioDisconnect, 2, 0);
                return;
            }
            if (TimeoutSilence.load() > TimeoutAfterMs) {
                PostEvent(WmSrvTimeout, 0, 0);
                TimeoutSilence.store(0);
            }
            Sleep(IdleSleepMs);
            DisconnectSilence.fetch_add(IdleSleepMs);
            TimeoutSilence.fetch_add(IdleSleepMs);
            break;
        case ReplyDebug:
            if (dbgHeld_.load()) {
                Sleep(IdleSleepMs);
                break;
            }
            {
                const std::uint32_t size = ReadPacket(debug_);
                dbgHeld_.store(1);
                PostEvent(WmSrvDbgVect, size, 0);
            }
            break;
        case ReplyIdent:
            vsrv_ = ReadRecord<ResultReply>().ArmError;
            PostEvent(WmSrvIdent, AsW(vsrv_), 0);
            break;
        case ReplyReadSize:
            N_.store(std::uint32_t(ReadRecord<ResultReply>().ArmError));
            PostEvent(WmSrvRdProgress, N_.load(), std::intptr_t(i_.load()));
            break;
        case ReplyReadData:
            ReadData();
            break;
        case ReplyReadEnd:
            ReadEnd();
            break;
        case ReplyWriteReady:
            WriteData();
            break;
        case ReplyWriteEnd:
            armError_.store(ReadRecord<ResultReply>().ArmError);
            PostEvent(WmSrvWrFile, N_.load(), std::intptr_t(i_.load()));
            break;
        case ReplyDirPiece:
        case ReplyDirEnd:
            if (dirHeld_.load()) {
                Sleep(IdleSleepMs);
                break;
            }
            if (type == ReplyDirEnd) {
                armError_.store(ReadRecord<ResultReply>().ArmError);
                dirHeld_.store(1);
                PostEvent(WmSrvGetCurrentDir, dirLength_, 0);
                break;
            }
            {
                // Pieces beyond the directory buffer are dropped; one byte stays for the NUL.
                const std::uint32_t size = ReadReply();
                const std::uint32_t room = std::uint32_t(DirTextSize - 1) - dirLength_;
                const std::uint32_t take = std::min(size, room);
                std::memcpy(dirText_ + dirLength_, reply_, take);
                dirLength_ += take;
                dirText_[dirLength_] = 0;
            }
            break;
        case ReplySetDir:
            PostResult(WmSrvSetCurrentDir);
            break;
        case ReplyFind:
            if (findHeld_.load()) {
                Sleep(IdleSleepMs);
                break;
            }
            {
                const std::uint32_t size = ReadReply();
                findRecord_ = ParseFindRecord(reply_, size);
                findHeld_.store(1);
                PostEvent(WmSrvFind, 0, 0);
            }
            break;
        case ReplyFindEnd:
            PostResult(WmSrvFindEnd);
            break;
        case ReplyTrashProgress:
            trashProgress_ = ReadRecord<PairReply>();
            PostEvent(WmSrvEmptyTrashProgress, AsW(trashProgress_.First), trashProgress_.Second);
            break;
        case ReplyTrashEnd:
            trashEnd_ = ReadRecord<PairReply>();
            armError_.store(trashEnd_.First);
            PostEvent(WmSrvEmptyTrash, AsW(trashEnd_.Second), trashEnd_.First);
            break;
        case ReplyTrashCount:
            trashCount_ = ReadRecord<PairReply>();
            armError_.store(trashCount_.First);
            PostEvent(WmSrvTrashFileCnt, AsW(trashCount_.Second), trashCount_.First);
            break;
        case ReplyDiskSpace:
            diskSpace_ = ReadRecord<DiskSpaceReply>();
            armError_.store(diskSpace_.ArmError);
            PostEvent(WmSrvDiskSpace, 0, 0);
            break;
        default:
            if (type >= ReplyCheckFile && type <= ReplyRestoreDir) {
                PostResult(ResultMessages[type - ReplyCheckFile]);
                break;
            }
            SkipPacket();
            break;
        }
    }
}

// Writes the gathered block to the local file; a short write records the system's error and cancels.
bool TSrvIo::WriteLocal() {
    const int file = localFile_.load();
    const ssize_t written = file >= 0 ? ::write(file, transfer_, chunkFill_) : -1;
    if (written == ssize_t(chunkFill_)) {
        i_.fetch_add(chunkFill_);
        return true;
    }
    winError_.store(written < 0 ? LocalError() : (ENOSPC | LocalErrorBit));
    return false;
}

// Sends the cancel as soon as a slot is free, unless the server's end reply is already waiting.
void TSrvIo::CancelUntil(int endType) {
    while (connected_.load() && PeekPacket() != endType) {
        if (SendEmpty(SrvCancel))
            break;
        Sleep(IdleSleepMs);
    }
    abort_.store(0);
}

void TSrvIo::ReadData() {
    chunkFill_ += ReadPacket(transfer_ + chunkFill_);
    if (chunkFill_ >= BlockSize) {
        if (winError_.load() == 0 && !WriteLocal())
            abort_.store(1);
        chunkFill_ = 0;
        PostEvent(WmSrvRdProgress, N_.load(), std::intptr_t(i_.load()));
    }
    if (abort_.load())
        CancelUntil(ReplyReadEnd);
}

void TSrvIo::ReadEnd() {
    armError_.store(ReadRecord<ResultReply>().ArmError);
    if (chunkFill_ && winError_.load() == 0)
        WriteLocal();
    chunkFill_ = 0;
    PostEvent(WmSrvRdFile, N_.load(), std::intptr_t(i_.load()));
}

void TSrvIo::WriteData() {
    SkipPacket();
    PostEvent(WmSrvWrProgress, N_.load(), std::intptr_t(i_.load()));
    const int file = localFile_.load();
    while (connected_.load() && i_.load() < N_.load()) {
        if (abort_.load() || PeekPacket() == ReplyWriteEnd)
            break;
        const std::uint32_t want = std::min(N_.load() - i_.load(), BlockSize);
        const ssize_t got = ::read(file, transfer_, want);
        if (got != ssize_t(want)) {
            winError_.store(got < 0 ? LocalError() : (EIO | LocalErrorBit));
            abort_.store(1);
            break;
        }
        std::uint32_t queued = 0;
        while (queued < want && connected_.load()) {
            const std::uint32_t piece = std::min<std::uint32_t>(want - queued, LinkMaxPayload);
            if (SendPacket(transfer_ + queued, piece, SrvWrData))
                queued += piece;
            else
                Sleep(IdleSleepMs);
        }
        i_.fetch_add(queued);
        PostEvent(WmSrvWrProgress, N_.load(), std::intptr_t(i_.load()));
    }
    if (abort_.load() && IsRunning())
        CancelUntil(ReplyWriteEnd);
    DisconnectSilence.store(0);
    TimeoutSilence.store(0);
}

void TSrvIo::WndProc(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!connected_.load())
        return TSio::WndProc(msg, wParam, lParam);
    const auto result = [&](const ResultEvent &event) {
        busy_.store(0);
        if (event)
            event(this, armError_.load());
    };
    const auto transfer = [&](const TransferEvent &event) {
        busy_.store(0);
        if (event)
            event(this, std::uint32_t(wParam), std::uint32_t(lParam), winError_.load(), armError_.load());
    };
    const auto progress = [&](const ProgressEvent &event) {
        if (event)
            event(this, std::uint32_t(wParam), std::uint32_t(lParam));
    };
    switch (msg) {
    case WmSioDisconnect:
        // The link has stopped; the handler may destroy this object only after it returns (deleteLater).
        connected_.store(0);
        TSio::Close();
        ServiceThread.reset();
        if (OnDisconnect)
            OnDisconnect(this, std::int16_t(wParam), std::int16_t(lParam));
        return;
    case WmSrvTimeout:
        if (OnSrvTimeout)
            OnSrvTimeout(this);
        return;
    case WmSrvDbgVect:
        if (OnDbgVect)
            OnDbgVect(this, debug_, int(wParam));
        dbgHeld_.store(0);
        return;
    case WmSrvIdent:
        if (OnIdent)
            OnIdent(this, FromW(wParam));
        return;
    case WmSrvRdFile:
        return transfer(OnRdFile);
    case WmSrvRdProgress:
        return progress(OnRdProgress);
    case WmSrvWrFile:
        return transfer(OnWrFile);
    case WmSrvWrProgress:
        return progress(OnWrProgress);
    case WmSrvCheckFile:
        return result(OnCheckFile);
    case WmSrvDeleteFile:
        return result(OnDeleteFile);
    case WmSrvRestoreFile:
        return result(OnRestoreFile);
    case WmSrvRename:
        return result(OnRename);
    case WmSrvCheckDir:
        return result(OnCheckDir);
    case WmSrvCreateDir:
        return result(OnCreateDir);
    case WmSrvRemoveDir:
        return result(OnRemoveDir);
    case WmSrvRestoreDir:
        return result(OnRestoreDir);
    case WmSrvGetCurrentDir:
        busy_.store(0);
        if (OnGetCurrentDir)
            OnGetCurrentDir(this, QByteArray(dirText_, qsizetype(std::min<std::uintptr_t>(wParam, DirTextSize - 1))),
                            armError_.load());
        dirHeld_.store(0);
        return;
    case WmSrvSetCurrentDir:
        return result(OnSetCurrentDir);
    case WmSrvFind:
        if (OnFind)
            OnFind(this, QByteArray(findRecord_.Name), findRecord_.Attr, findRecord_.DateTime, findRecord_.Size);
        findHeld_.store(0);
        return;
    case WmSrvFindEnd:
        return result(OnFindEnd);
    case WmSrvEmptyTrash:
        busy_.store(0);
        if (OnEmptyTrash)
            OnEmptyTrash(this, FromW(wParam), std::int32_t(lParam));
        return;
    case WmSrvEmptyTrashProgress:
        return progress(OnEmptyTrashProgress);
    case WmSrvTrashFileCnt:
        busy_.store(0);
        if (OnTrashFileCnt)
            OnTrashFileCnt(this, FromW(wParam), std::int32_t(lParam));
        return;
    case WmSrvDiskSpace:
        busy_.store(0);
        if (OnDiskSpace)
            OnDiskSpace(this, diskSpace_.DiskSectCnt, diskSpace_.DataSectCnt, diskSpace_.FreeSectCnt,
                        diskSpace_.TrashSectCnt, diskSpace_.ArmError);
        return;
    default:
        return TSio::WndProc(msg, wParam, lParam);
    }
}
