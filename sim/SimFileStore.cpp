#include "sim/SimFileStore.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {

constexpr std::int32_t CodeOk = 0;
constexpr std::int32_t CodeCancelled = 101;
constexpr std::int32_t CodeBadPath = 102;
constexpr std::int32_t CodeDirExists = 108;
constexpr std::int32_t CodeNotFound = 107;
constexpr std::int32_t CodeFileNotFound = 106;
constexpr std::int32_t CodeExists = 110;
constexpr std::int32_t CodeNotEmpty = 118;
constexpr std::int32_t CodeSearchDone = 127;
constexpr std::int32_t AttrDirectory = 0x10;
constexpr std::int32_t AttrArchive = 0x20;
constexpr std::int32_t AttrTrash = 0x8000;

void PutInt(std::vector<std::uint8_t> &body, std::int32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        body.push_back(std::uint8_t(std::uint32_t(value) >> shift));
}

std::int32_t IntAt(const std::vector<std::uint8_t> &body, std::size_t offset) {
    if (body.size() < offset + 4)
        return 0;
    return std::int32_t(body[offset] | body[offset + 1] << 8 | body[offset + 2] << 16 | std::uint32_t(body[offset + 3]) << 24);
}

// The packed DOS form: bits 31-25 year - 1980, 24-21 month, 20-16 day, 15-11 hours, 10-5 minutes,
// 4-0 seconds / 2.
std::int32_t DosDateTime(const QDateTime &when) {
    const QDate d = when.date();
    const QTime t = when.time();
    const int year = std::max(0, d.year() - 1980);
    return std::int32_t(std::uint32_t(year) << 25 | std::uint32_t(d.month()) << 21 | std::uint32_t(d.day()) << 16 |
                        std::uint32_t(t.hour()) << 11 | std::uint32_t(t.minute()) << 5 | std::uint32_t(t.second() / 2));
}

// Server texts are the system's code page; the disk's names here stay within Latin-1 and Cyrillic.
QString FromServerText(const QByteArray &text) {
    return QString::fromLatin1(text);
}

} // namespace

SimFileStore::SimFileStore(const QString &rootFolder, const QString &trashFolder) : root_(rootFolder), trash_(trashFolder) {
    QDir().mkpath(root_);
    QDir().mkpath(trash_);
}

void SimFileStore::Reply(int type, std::vector<std::uint8_t> body) {
    outbox_.push_back(SimPacket{type, std::move(body)});
}

void SimFileStore::Result(int type, std::int32_t code) {
    std::vector<std::uint8_t> body;
    PutInt(body, code);
    Reply(type, std::move(body));
}

void SimFileStore::Take(const SimPacket &packet) {
    packetLog_.emplace_back(packet.type, int(packet.payload.size()));
    switch (packet.type) {
    case 2: // cancel of the running transfer
        ++cancels_;
        if (writing_) {
            writing_ = false;
            Result(8, CodeCancelled);
        } else {
            // A read still in the outbox stops where it is.
            bool reading = false;
            for (auto it = outbox_.begin(); it != outbox_.end();) {
                if (it->type == 5) {
                    reading = true;
                    it = outbox_.erase(it);
                } else if (it->type == 6) {
                    reading = true;
                    it = outbox_.erase(it);
                } else {
                    ++it;
                }
            }
            if (reading)
                Result(6, CodeCancelled);
        }
        return;
    case 4:
        findMask_ = 0;
        writeSize_ = IntAt(packet.payload, 8);
        requestTypes_.push_back(4);
        return;
    case 6:
        WriteData(packet);
        return;
    case 18:
        findMask_ = IntAt(packet.payload, 0);
        requestTypes_.push_back(18);
        return;
    case 20:
    case 21:
    case 22:
    case 23:
        requestTypes_.push_back(packet.type);
        if (packet.type == 20)
            EmptyTrash();
        else if (packet.type == 21) {
            std::vector<std::uint8_t> body;
            PutInt(body, CodeOk);
            PutInt(body, std::int32_t(trashEntries_.size()));
            Reply(24, std::move(body));
        } else if (packet.type == 22)
            DiskSpace();
        else
            goodbye_ = true;
        return;
    default:
        break;
    }
    QByteArray &text = texts_[packet.type];
    text.append(reinterpret_cast<const char *>(packet.payload.data()), qsizetype(packet.payload.size()));
    const qsizetype end = text.indexOf('\0');
    if (end < 0)
        return;
    const QByteArray whole = text.left(end);
    texts_.erase(packet.type);
    requestTypes_.push_back(packet.type);
    Request(packet.type, whole);
}

void SimFileStore::Request(int type, const QByteArray &text) {
    switch (type) {
    case 3:
        return StartRead(text);
    case 5:
        return StartWrite(text);
    case 7: {
        const QString local = Local(text);
        return Result(9, !local.isEmpty() && QFileInfo(local).isFile() ? CodeOk : CodeFileNotFound);
    }
    case 8:
        return Delete(text, false);
    case 9:
        return Restore(text, false);
    case 10:
        renameOld_ = text;
        return;
    case 11:
        return Rename(renameOld_, text);
    case 13: {
        const QString local = Local(text);
        if (local.isEmpty())
            return Result(14, CodeBadPath);
        if (QFileInfo::exists(local))
            return Result(14, CodeDirExists);
        return Result(14, QDir().mkdir(local) ? CodeOk : CodeBadPath);
    }
    case 14:
        return Delete(text, true);
    case 15:
        return Restore(text, true);
    case 19:
        return Find(text);
    default:
        return;
    }
}

QString SimFileStore::Local(const QByteArray &path, QString *relative) const {
    const QString text = FromServerText(path);
    if (!text.startsWith("R9:", Qt::CaseInsensitive))
        return QString();
    QString rest = text.mid(3);
    rest.replace('\\', '/');
    QStringList parts;
    for (const QString &part : rest.split('/', Qt::SkipEmptyParts)) {
        if (part == "." || part == "..")
            return QString();
        parts << part;
    }
    if (relative)
        *relative = parts.join('/');
    return parts.isEmpty() ? root_ : root_ + "/" + parts.join('/');
}

void SimFileStore::FindEntry(const QString &name, std::int32_t attr, std::int32_t dateTime, std::int32_t size) {
    std::vector<std::uint8_t> body;
    PutInt(body, attr);
    PutInt(body, dateTime);
    PutInt(body, size);
    const QByteArray bytes = name.toLatin1().left(107);
    body.insert(body.end(), bytes.begin(), bytes.end());
    body.push_back(0);
    Reply(20, std::move(body));
}

void SimFileStore::Find(const QByteArray &pattern) {
    // The pattern is the directory with "\*.*" behind it.
    const qsizetype cut = pattern.lastIndexOf('\\');
    const QByteArray directory = cut < 0 ? pattern : pattern.left(cut);
    QString relative;
    const QString local = Local(directory, &relative);
    if (local.isEmpty() || !QFileInfo(local).isDir())
        return Result(21, CodeNotFound);
    const QDir dir(local);
    const std::int32_t stamp = DosDateTime(QFileInfo(local).lastModified());
    if (!relative.isEmpty()) {
        FindEntry(".", AttrDirectory, stamp, 0);
        FindEntry("..", AttrDirectory, stamp, 0);
    }
    const bool trashSearch = findMask_ & AttrTrash;
    for (const QFileInfo &info : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name)) {
        if (trashSearch && !info.isDir())
            continue;
        FindEntry(info.fileName(), info.isDir() ? AttrDirectory : AttrArchive, DosDateTime(info.lastModified()),
                  info.isDir() ? 0 : std::int32_t(info.size()));
    }
    if (trashSearch) {
        for (const TrashEntry &entry : trashEntries_) {
            const qsizetype slash = entry.original.lastIndexOf('/');
            const QString parent = slash < 0 ? QString() : entry.original.left(slash);
            if (parent != relative)
                continue;
            const QFileInfo info(entry.stored);
            FindEntry(entry.original.mid(slash + 1), AttrTrash | (entry.directory ? AttrDirectory : AttrArchive),
                      DosDateTime(info.lastModified()), entry.directory ? 0 : std::int32_t(info.size()));
        }
    }
    Result(21, CodeSearchDone);
}

void SimFileStore::StartRead(const QByteArray &path) {
    const QString local = Local(path);
    QFile file(local);
    if (local.isEmpty() || !QFileInfo(local).isFile() || !file.open(QIODevice::ReadOnly))
        return Result(6, CodeFileNotFound);
    const QByteArray data = file.readAll();
    Result(4, std::int32_t(data.size()));
    for (qsizetype offset = 0; offset < data.size(); offset += 256) {
        const QByteArray piece = data.mid(offset, 256);
        Reply(5, std::vector<std::uint8_t>(piece.begin(), piece.end()));
    }
    Result(6, CodeOk);
}

void SimFileStore::StartWrite(const QByteArray &path) {
    const QString local = Local(path);
    if (local.isEmpty() || QFileInfo(local).isDir())
        return Result(8, CodeBadPath);
    writePath_ = path;
    writeData_.clear();
    writing_ = true;
    Reply(7);
    if (writeSize_ <= 0)
        WriteData(SimPacket{6, {}});
}

void SimFileStore::WriteData(const SimPacket &packet) {
    if (!writing_)
        return;
    writeData_.append(reinterpret_cast<const char *>(packet.payload.data()), qsizetype(packet.payload.size()));
    if (writeData_.size() < writeSize_)
        return;
    writing_ = false;
    QFile file(Local(writePath_));
    const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(writeData_) == writeData_.size();
    Result(8, ok ? CodeOk : CodeBadPath);
}

void SimFileStore::Delete(const QByteArray &path, bool directory) {
    const int reply = directory ? 15 : 10;
    QString relative;
    const QString local = Local(path, &relative);
    const QFileInfo info(local);
    if (local.isEmpty() || relative.isEmpty() || !info.exists() || info.isDir() != directory)
        return Result(reply, directory ? CodeNotFound : CodeFileNotFound);
    if (directory && !QDir(local).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        return Result(reply, CodeNotEmpty);
    const QString stored = trash_ + "/" + QString::number(++trashSerial_);
    if (!QDir().rename(local, stored))
        return Result(reply, CodeBadPath);
    trashEntries_.push_back(TrashEntry{relative, stored, directory});
    Result(reply, CodeOk);
}

void SimFileStore::Restore(const QByteArray &path, bool directory) {
    const int reply = directory ? 16 : 11;
    QString relative;
    const QString local = Local(path, &relative);
    for (auto it = trashEntries_.begin(); it != trashEntries_.end(); ++it) {
        if (it->original != relative || it->directory != directory)
            continue;
        if (QFileInfo::exists(local))
            return Result(reply, CodeExists);
        const bool ok = QDir().rename(it->stored, local);
        if (ok)
            trashEntries_.erase(it);
        return Result(reply, ok ? CodeOk : CodeBadPath);
    }
    Result(reply, directory ? CodeNotFound : CodeFileNotFound);
}

void SimFileStore::Rename(const QByteArray &oldPath, const QByteArray &newPath) {
    const QString from = Local(oldPath);
    const QString to = Local(newPath);
    if (from.isEmpty() || to.isEmpty() || !QFileInfo::exists(from))
        return Result(12, CodeNotFound);
    if (QFileInfo::exists(to))
        return Result(12, CodeExists);
    Result(12, QDir().rename(from, to) ? CodeOk : CodeBadPath);
}

void SimFileStore::EmptyTrash() {
    const std::int32_t count = std::int32_t(trashEntries_.size());
    std::int32_t done = 0;
    for (const TrashEntry &entry : trashEntries_) {
        if (entry.directory)
            QDir(entry.stored).removeRecursively();
        else
            QFile::remove(entry.stored);
        std::vector<std::uint8_t> body;
        PutInt(body, count);
        PutInt(body, ++done);
        Reply(22, std::move(body));
    }
    trashEntries_.clear();
    std::vector<std::uint8_t> body;
    PutInt(body, CodeOk);
    PutInt(body, count);
    Reply(23, std::move(body));
}

void SimFileStore::DiskSpace() {
    // Each file takes whole sectors.
    const auto sectors = [](const QString &folder) {
        std::int64_t count = 0;
        QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            files.next();
            count += (files.fileInfo().size() + SectorSize - 1) / SectorSize;
        }
        return std::int32_t(count);
    };
    const std::int32_t data = sectors(root_);
    const std::int32_t trash = sectors(trash_);
    std::vector<std::uint8_t> body;
    PutInt(body, CodeOk);
    PutInt(body, DiskSectors);
    PutInt(body, data);
    PutInt(body, DiskSectors - data - trash);
    PutInt(body, trash);
    Reply(25, std::move(body));
}
