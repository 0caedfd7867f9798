#pragma once

#include "sim/SimLinkPeer.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <deque>
#include <map>
#include <utility>
#include <vector>

// The instrument's file server at packet level, over a folder of the PC that stands for the flash disk
// "R9:\". It takes the client's request packets (texts in pieces up to their NUL, the write header, file
// data, cancels) and answers with the reply packets in its outbox: search entries with "." and ".." below
// the root and the end code 127, file data in 256-byte packets, results, a trash with restore and
// emptying, and disk figures in 512-byte sectors. Deleted entries go to the trash and keep their place
// there until restored or emptied.
class SimFileStore {
public:
    static constexpr int SectorSize = 512;
    static constexpr std::int32_t DiskSectors = 65536;

    explicit SimFileStore(const QString &rootFolder, const QString &trashFolder);

    void Take(const SimPacket &packet);
    std::deque<SimPacket> &Outbox() { return outbox_; }

    // What the store saw, for the tests.
    std::vector<int> RequestTypes() const { return requestTypes_; }
    // Every packet taken: its type and payload length.
    std::vector<std::pair<int, int>> PacketLog() const { return packetLog_; }
    int Cancels() const { return cancels_; }
    bool GoodbyeSeen() const { return goodbye_; }

private:
    struct TrashEntry {
        QString original; // relative to the root, '/'-separated
        QString stored;   // path in the trash folder
        bool directory = false;
    };

    void Request(int type, const QByteArray &text);
    void Reply(int type, std::vector<std::uint8_t> body = {});
    void Result(int type, std::int32_t code);
    // The local path of an "R9:\..." text, or an empty text for a path outside the disk.
    QString Local(const QByteArray &path, QString *relative = nullptr) const;
    void Find(const QByteArray &pattern);
    void FindEntry(const QString &name, std::int32_t attr, std::int32_t dateTime, std::int32_t size);
    void StartRead(const QByteArray &path);
    void StartWrite(const QByteArray &path);
    void WriteData(const SimPacket &packet);
    void Delete(const QByteArray &path, bool directory);
    void Restore(const QByteArray &path, bool directory);
    void Rename(const QByteArray &oldPath, const QByteArray &newPath);
    void EmptyTrash();
    void DiskSpace();

    QString root_;
    QString trash_;
    std::deque<SimPacket> outbox_;
    std::map<int, QByteArray> texts_; // text pieces gathered per request type
    std::vector<TrashEntry> trashEntries_;
    int trashSerial_ = 0;
    std::int32_t findMask_ = 0;
    QByteArray renameOld_;
    QByteArray writePath_;
    std::int32_t writeSize_ = 0;
    QByteArray writeData_;
    bool writing_ = false;
    std::vector<int> requestTypes_;
    std::vector<std::pair<int, int>> packetLog_;
    int cancels_ = 0;
    bool goodbye_ = false;
};
