#pragma once

#include "platform/usb/UsbPort.h"
#include "sim/SimInstrument.h"
#include "sim/SimLineJoin.h"

#include <map>
#include <memory>
#include <mutex>

// The port interface over the simulated instrument. Reads never wait: the instrument answers at once.
// A call that the instrument's configuration makes fail answers with an I/O error (an open with
// "device not opened").
class UsbPortSim final : public UsbPort {
public:
    explicit UsbPortSim(std::shared_ptr<SimInstrument> instrument = std::make_shared<SimInstrument>());

    SimInstrument &Instrument() { return *instrument_; }

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
    // 0 and the channel of an open handle whose call does not fail by configuration, else the status.
    int Check(UsbHandle handle, SimCall call, int &channel);
    int Check(UsbHandle handle, SimCall forA, SimCall forB, int &channel);
    int Settings(UsbHandle handle, SimCall call, const std::function<void(SimChannelSettings &)> &update);
    int ModemLine(UsbHandle handle, bool dtrLine, bool high);

    std::shared_ptr<SimInstrument> instrument_;
    // The measured line to the peer's program, when R9_SIM_LINE names one.
    std::unique_ptr<SimLineJoin> line_;
    std::mutex mutex_;
    std::map<UsbHandle, int> channels_;
    std::vector<UsbDeviceNode> snapshot_;
    bool listTaken_ = false;
    UsbHandle nextHandle_ = 0x51;
};
