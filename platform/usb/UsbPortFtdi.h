#pragma once

#include "platform/usb/FtdiDeviceNodes.h"
#include "platform/usb/UsbPort.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

struct ftdi_context;

// The real instrument through libftdi1. One libftdi1 context per open channel. A context is not
// thread-safe: every call on one handle, Close included, must come from one thread at a time (the link
// thread owns channel B while the link runs; the main thread owns channel A). The handle table itself is
// guarded, so different handles may be used from different threads.
//
// What libftdi1 lacks is made good here: per-channel device-list nodes (FtdiDeviceNodes), a receive
// queue size (our own buffer in front of the chip's), the transmit queue (empty when the chip's
// transmitter-empty line-status bit is set, else 1) and time-outs (the context's USB time-outs; a read
// time-out of 0 returns what is waiting).
class UsbPortFtdi final : public UsbPort {
public:
    UsbPortFtdi();
    ~UsbPortFtdi() override;
    UsbPortFtdi(const UsbPortFtdi &) = delete;
    UsbPortFtdi &operator=(const UsbPortFtdi &) = delete;

    int CreateDeviceList(std::uint32_t &count) override;
    int GetDeviceList(std::vector<UsbDeviceNode> &nodes) override;
    int OpenByLocation(std::uint32_t location, UsbHandle &handle) override;
    int ResetDevice(UsbHandle handle) override;
    int Purge(UsbHandle handle, std::uint32_t mask) override;
    int SetBitMode(UsbHandle handle, std::uint8_t mask, std::uint8_t mode) override;
    int SetBaudRate(UsbHandle handle, std::uint32_t baud) override;
    int SetDataCharacteristics(UsbHandle handle, std::uint8_t bits, std::uint8_t stopBits,
                               std::uint8_t parity) override;
    int SetFlowControl(UsbHandle handle, std::uint16_t mode, std::uint8_t xon, std::uint8_t xoff) override;
    int SetTimeouts(UsbHandle handle, std::uint32_t readMs, std::uint32_t writeMs) override;
    int SetLatencyTimer(UsbHandle handle, std::uint8_t ms) override;
    int SetDtr(UsbHandle handle) override;
    int ClrDtr(UsbHandle handle) override;
    int SetRts(UsbHandle handle) override;
    int ClrRts(UsbHandle handle) override;
    int GetModemStatus(UsbHandle handle, std::uint32_t &status) override;
    int GetQueueStatus(UsbHandle handle, std::uint32_t &rxBytes) override;
    int GetStatus(UsbHandle handle, std::uint32_t &rxBytes, std::uint32_t &txBytes,
                  std::uint32_t &eventStatus) override;
    int Read(UsbHandle handle, std::uint8_t *buffer, std::uint32_t count, std::uint32_t &read) override;
    int Write(UsbHandle handle, const std::uint8_t *buffer, std::uint32_t count, std::uint32_t &written) override;
    int Close(UsbHandle handle) override;

private:
    struct Channel;
    struct ListedDevice {
        FtdiDeviceInfo info;
        std::uint32_t location = 0; // of its first channel
    };

    Channel *Find(UsbHandle handle);
    int Fill(Channel &channel);
    bool OpenHere(std::uint32_t location);

    std::mutex mutex_;
    std::map<UsbHandle, std::unique_ptr<Channel>> channels_;
    std::vector<ListedDevice> listed_;
    bool listTaken_ = false;
    UsbHandle nextHandle_ = 1;
};
