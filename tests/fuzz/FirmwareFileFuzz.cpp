// Any bytes as the DSP program file: the reader takes the whole file when its size is allowed and
// nothing else, and the download walks its records over the link's raw channel, here a port that takes
// every write and gives the boot loader's good verdict after the end sequence. It must end with one of
// its status codes and never read past the text.
#include "link/FirmwareDownload.h"
#include "link/Sio9.h"
#include "platform/usb/UsbPort.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Channel B of an instrument whose boot loader takes every byte: after the two zero bytes that end a
// download it answers "3", 0x89 (the program started).
class LoaderPort final : public UsbPort {
public:
    int CreateDeviceList(std::uint32_t &count) override { return count = 0, UsbOk; }
    int GetDeviceList(std::vector<UsbDeviceNode> &nodes) override { return nodes.clear(), UsbOk; }
    int OpenByLocation(std::uint32_t, UsbHandle &) override { return UsbOk; }
    int ResetDevice(UsbHandle) override { return UsbOk; }
    int Purge(UsbHandle, std::uint32_t) override { return UsbOk; }
    int SetBitMode(UsbHandle, std::uint8_t, std::uint8_t) override { return UsbOk; }
    int SetBaudRate(UsbHandle, std::uint32_t) override { return UsbOk; }
    int SetDataCharacteristics(UsbHandle, std::uint8_t, std::uint8_t, std::uint8_t) override { return UsbOk; }
    int SetFlowControl(UsbHandle, std::uint16_t, std::uint8_t, std::uint8_t) override { return UsbOk; }
    int SetTimeouts(UsbHandle, std::uint32_t, std::uint32_t) override { return UsbOk; }
    int SetLatencyTimer(UsbHandle, std::uint8_t) override { return UsbOk; }
    int SetDtr(UsbHandle) override { return UsbOk; }
    int ClrDtr(UsbHandle) override { return UsbOk; }
    int SetRts(UsbHandle) override { return UsbOk; }
    int ClrRts(UsbHandle) override { return UsbOk; }
    int GetModemStatus(UsbHandle, std::uint32_t &status) override { return status = 0, UsbOk; }
    int GetQueueStatus(UsbHandle, std::uint32_t &rxBytes) override {
        rxBytes = std::uint32_t(reply_.size());
        return UsbOk;
    }
    int GetStatus(UsbHandle, std::uint32_t &rxBytes, std::uint32_t &txBytes, std::uint32_t &events) override {
        rxBytes = std::uint32_t(reply_.size());
        txBytes = events = 0;
        return UsbOk;
    }
    int Read(UsbHandle, std::uint8_t *buffer, std::uint32_t count, std::uint32_t &read) override {
        for (read = 0; read < count && !reply_.empty(); ++read) {
            buffer[read] = reply_.front();
            reply_.pop_front();
        }
        return UsbOk;
    }
    int Write(UsbHandle, const std::uint8_t *buffer, std::uint32_t count, std::uint32_t &written) override {
        written = count;
        if (count == 2 && buffer[0] == 0 && buffer[1] == 0)
            reply_ = {'3', 0x89};
        return UsbOk;
    }
    int Close(UsbHandle) override { return UsbOk; }

private:
    std::deque<std::uint8_t> reply_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static QTemporaryDir dir;
    static std::uint8_t buffer[FirmwareMaxSize];
    const QString name = dir.path() + QStringLiteral("/dsp.hex");
    {
        QFile file(name);
        Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        Check(file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
    }
    std::size_t read = 0;
    const int status = ReadFirmwareFile(name, buffer, read);
    const bool allowed = size >= FirmwareMinSize && size <= FirmwareMaxSize;
    Check(allowed ? status == FirmwareOk && read == size && std::memcmp(buffer, data, size) == 0
                  : status == FirmwareBadFile && read == 0);
    if (status != FirmwareOk)
        return 0;

    // The text alone, in a buffer of its own size, so that a read past it is caught.
    std::vector<std::uint8_t> text(buffer, buffer + read);
    LoaderPort port;
    TSio9 link(nullptr, &port);
    const int result = DownloadFirmware(link, text.data(), text.size());
    Check(result == FirmwareOk || result == FirmwareBadFile);
    return 0;
}
