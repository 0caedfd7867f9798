#include "link/FirmwareDownload.h"

#include "link/Sio9.h"
#include "platform/Clock.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr std::uint32_t ReplyWaitMs = 500;
constexpr std::uint8_t Preamble[] = {0x08, 0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80};

int HexDigit(std::uint8_t c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The download over one firmware text: a read position and the link's raw channel.
class Download {
public:
    Download(TSio9 &link, const std::uint8_t *text, std::size_t size) : link_(link), pos_(text), left_(size) {}

    int Run() {
        for (std::uint8_t byte : Preamble)
            Send(byte);
        if (!link_.FlushRaw())
            return FirmwareWriteFailed;
        std::uint16_t segment = 0;
        for (;;) {
            int count = 0, address = 0, type = 0;
            if (!RecordStart() || !Hex(2, count) || !Hex(4, address) || !Hex(2, type))
                return FirmwareBadFile;
            if (type == 2) {
                int skipped = 0;
                if (!Hex(2, skipped))
                    return FirmwareBadFile;
                segment = std::uint16_t(address);
            } else if (type == 0) {
                const int status = DataRecord(count, segment, std::uint16_t(address));
                if (status != FirmwareOk)
                    return status;
            } else if (type == 1) {
                int checksum = 0;
                if (!Hex(2, checksum))
                    return FirmwareBadFile;
                return End();
            } else {
                return FirmwareBadFile;
            }
        }
    }

private:
    bool Next(std::uint8_t &byte) {
        if (left_ == 0)
            return false;
        byte = *pos_++;
        --left_;
        return true;
    }

    // Skips line ends up to the record's ':'.
    bool RecordStart() {
        std::uint8_t byte = 0;
        do {
            if (!Next(byte))
                return false;
        } while (byte == '\r' || byte == '\n');
        return byte == ':';
    }

    bool Hex(int digits, int &value) {
        value = 0;
        for (int i = 0; i < digits; ++i) {
            std::uint8_t c = 0;
            if (!Next(c) || HexDigit(c) < 0)
                return false;
            value = value << 4 | HexDigit(c);
        }
        return true;
    }

    void Send(std::uint8_t byte) { link_.PutRawByte(ReverseBits(byte)); }

    void SendWord(std::uint16_t word) {
        Send(std::uint8_t(word >> 8));
        Send(std::uint8_t(word));
    }

    int DataRecord(int count, std::uint16_t segment, std::uint16_t address) {
        if (count == 0)
            return FirmwareBadFile;
        SendWord(std::uint16_t(count / 2));
        SendWord(segment);
        SendWord(address);
        for (int i = 0; i < count; ++i) {
            int byte = 0;
            if (!Hex(2, byte))
                return FirmwareBadFile;
            Send(std::uint8_t(byte));
        }
        if (!link_.FlushRaw())
            return FirmwareWriteFailed;
        int checksum = 0;
        if (!Hex(2, checksum))
            return FirmwareBadFile;
        while (link_.ReadRawByte() >= 0) {
        }
        return FirmwareOk;
    }

    // The next reply byte within the reply window that started at `start`, or -1.
    int Reply(std::uint32_t start) {
        for (;;) {
            const int byte = link_.ReadRawByte();
            if (byte >= 0 || TicksSince(start) >= ReplyWaitMs)
                return byte;
            Sleep(1);
        }
    }

    int End() {
        Send(0);
        Send(0);
        if (!link_.FlushRaw())
            return FirmwareWriteFailed;
        const std::uint32_t start = GetTickCount();
        const int first = Reply(start);
        if (first < 0)
            return FirmwareNoReply;
        if (first == '1' || first == '2' || first == '4')
            return FirmwareIncompatible;
        if (first != '3')
            return FirmwareWrongReply;
        const int second = Reply(start);
        if (second == 0x89)
            return FirmwareOk;
        return second == 0x88 ? FirmwareSupplyLow : FirmwareWrongReply;
    }

    TSio9 &link_;
    const std::uint8_t *pos_;
    std::size_t left_;
};

} // namespace

std::uint8_t ReverseBits(std::uint8_t byte) {
    std::uint8_t reversed = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (byte & (1 << bit))
            reversed |= std::uint8_t(0x80 >> bit);
    return reversed;
}

int ReadFirmwareFile(const QString &fileName, std::uint8_t *buffer, std::size_t &size) {
    size = 0;
    if (fileName.isEmpty())
        return FirmwareNoFile;
    // Checked before opening: opening a pipe would wait for a writer, and a folder is no program file.
    const QFileInfo info(fileName);
    if (!info.exists())
        return FirmwareNoFile;
    if (!info.isFile())
        return FirmwareBadFile;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return FirmwareNoFile;
    if (file.isSequential())
        return FirmwareBadFile;
    const qint64 fileSize = file.size();
    if (fileSize < qint64(FirmwareMinSize) || fileSize > qint64(FirmwareMaxSize))
        return FirmwareBadFile;
    if (file.read(reinterpret_cast<char *>(buffer), fileSize) != fileSize)
        return FirmwareReadFailed;
    size = std::size_t(fileSize);
    return FirmwareOk;
}

int DownloadFirmware(TSio9 &link, const std::uint8_t *text, std::size_t size) {
    return Download(link, text, size).Run();
}
