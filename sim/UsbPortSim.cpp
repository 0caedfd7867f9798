#include "sim/UsbPortSim.h"

#include <cstdlib>

namespace {

std::unique_ptr<UsbPort> CreateSimUsbPort() {
    return std::make_unique<UsbPortSim>();
}

[[maybe_unused]] const bool Registered = RegisterUsbBackend("sim", CreateSimUsbPort);

} // namespace

UsbPortSim::UsbPortSim(std::shared_ptr<SimInstrument> instrument) : instrument_(std::move(instrument)) {
    const char *line = std::getenv(SimLineVariable);
    if (line && *line)
        line_ = std::make_unique<SimLineJoin>(instrument_, line);
}

int UsbPortSim::Check(UsbHandle handle, SimCall forA, SimCall forB, int &channel) {
    {
        std::lock_guard lock(mutex_);
        const auto it = channels_.find(handle);
        if (it == channels_.end())
            return UsbInvalidHandle;
        channel = it->second;
    }
    return instrument_->Fails(channel == 0 ? forA : forB) ? UsbIoError : UsbOk;
}

int UsbPortSim::Check(UsbHandle handle, SimCall call, int &channel) {
    return Check(handle, call, call, channel);
}

int UsbPortSim::CreateDeviceList(std::uint32_t &count) {
    count = 0;
    if (instrument_->Fails(SimCall::CreateDeviceList))
        return UsbIoError;
    std::vector<UsbDeviceNode> nodes = instrument_->Nodes();
    std::lock_guard lock(mutex_);
    snapshot_ = std::move(nodes);
    listTaken_ = true;
    count = std::uint32_t(snapshot_.size());
    return UsbOk;
}

int UsbPortSim::GetDeviceList(std::vector<UsbDeviceNode> &nodes) {
    if (instrument_->Fails(SimCall::GetDeviceList))
        return UsbIoError;
    std::lock_guard lock(mutex_);
    if (!listTaken_) {
        snapshot_ = instrument_->Nodes();
        listTaken_ = true;
    }
    nodes = snapshot_;
    return UsbOk;
}

int UsbPortSim::OpenByLocation(std::uint32_t location, UsbHandle &handle) {
    handle = 0;
    int channel = -1;
    if (const int status = instrument_->Open(location, channel); status != UsbOk)
        return status;
    if (instrument_->Fails(channel == 0 ? SimCall::OpenA : SimCall::OpenB)) {
        instrument_->Close(channel);
        return UsbDeviceNotOpened;
    }
    std::lock_guard lock(mutex_);
    handle = nextHandle_++;
    channels_[handle] = channel;
    return UsbOk;
}

int UsbPortSim::ResetDevice(UsbHandle handle) {
    int channel = 0;
    const int status = Check(handle, SimCall::ResetDevice, channel);
    if (status == UsbOk)
        instrument_->Reset(channel);
    return status;
}

int UsbPortSim::Purge(UsbHandle handle, std::uint32_t mask) {
    int channel = 0;
    const int status = Check(handle, SimCall::Purge, channel);
    if (status == UsbOk)
        instrument_->Purge(channel, mask);
    return status;
}

int UsbPortSim::Settings(UsbHandle handle, SimCall call, const std::function<void(SimChannelSettings &)> &update) {
    int channel = 0;
    const int status = Check(handle, call, channel);
    if (status == UsbOk)
        instrument_->UpdateSettings(channel, update);
    return status;
}

int UsbPortSim::SetBitMode(UsbHandle handle, std::uint8_t mask, std::uint8_t mode) {
    return Settings(handle, SimCall::SetBitMode, [&](SimChannelSettings &s) {
        s.bitMask = mask;
        s.bitMode = mode;
    });
}

int UsbPortSim::SetBaudRate(UsbHandle handle, std::uint32_t baud) {
    if (baud == 0)
        return UsbInvalidBaudRate;
    return Settings(handle, SimCall::SetBaudRate, [&](SimChannelSettings &s) { s.baud = baud; });
}

int UsbPortSim::SetDataCharacteristics(UsbHandle handle, std::uint8_t bits, std::uint8_t stopBits,
                                       std::uint8_t parity) {
    if ((bits != 7 && bits != 8) || stopBits > 2 || parity > 4)
        return UsbInvalidParameter;
    return Settings(handle, SimCall::SetDataCharacteristics, [&](SimChannelSettings &s) {
        s.bits = bits;
        s.stopBits = stopBits;
        s.parity = parity;
    });
}

int UsbPortSim::SetFlowControl(UsbHandle handle, std::uint16_t mode, std::uint8_t xon, std::uint8_t xoff) {
    return Settings(handle, SimCall::SetFlowControl, [&](SimChannelSettings &s) {
        s.flow = mode;
        s.xon = xon;
        s.xoff = xoff;
    });
}

int UsbPortSim::SetTimeouts(UsbHandle handle, std::uint32_t readMs, std::uint32_t writeMs) {
    return Settings(handle, SimCall::SetTimeouts, [&](SimChannelSettings &s) {
        s.readTimeoutMs = readMs;
        s.writeTimeoutMs = writeMs;
    });
}

int UsbPortSim::SetLatencyTimer(UsbHandle handle, std::uint8_t ms) {
    if (ms == 0)
        return UsbInvalidParameter;
    return Settings(handle, SimCall::SetLatencyTimer, [&](SimChannelSettings &s) { s.latencyMs = ms; });
}

int UsbPortSim::ModemLine(UsbHandle handle, bool dtrLine, bool high) {
    int channel = 0;
    const int status = Check(handle, SimCall::ModemLines, channel);
    if (status == UsbOk)
        instrument_->SetModemLine(channel, dtrLine, high);
    return status;
}

int UsbPortSim::SetDtr(UsbHandle handle) {
    return ModemLine(handle, true, true);
}
int UsbPortSim::ClrDtr(UsbHandle handle) {
    return ModemLine(handle, true, false);
}
int UsbPortSim::SetRts(UsbHandle handle) {
    return ModemLine(handle, false, true);
}
int UsbPortSim::ClrRts(UsbHandle handle) {
    return ModemLine(handle, false, false);
}

int UsbPortSim::GetModemStatus(UsbHandle handle, std::uint32_t &status) {
    int channel = 0;
    const int result = Check(handle, SimCall::GetModemStatus, channel);
    if (result == UsbOk)
        status = instrument_->ModemStatus(channel);
    return result;
}

int UsbPortSim::GetQueueStatus(UsbHandle handle, std::uint32_t &rxBytes) {
    int channel = 0;
    const int result = Check(handle, SimCall::GetQueueStatus, channel);
    if (result == UsbOk)
        rxBytes = instrument_->Waiting(channel);
    return result;
}

int UsbPortSim::GetStatus(UsbHandle handle, std::uint32_t &rxBytes, std::uint32_t &txBytes,
                          std::uint32_t &eventStatus) {
    int channel = 0;
    const int result = Check(handle, SimCall::GetStatus, channel);
    if (result == UsbOk) {
        rxBytes = instrument_->Waiting(channel);
        txBytes = 0;
        eventStatus = 0;
    }
    return result;
}

int UsbPortSim::Read(UsbHandle handle, std::uint8_t *buffer, std::uint32_t count, std::uint32_t &read) {
    read = 0;
    int channel = 0;
    const int result = Check(handle, SimCall::ReadA, SimCall::ReadB, channel);
    if (result == UsbOk)
        read = instrument_->Read(channel, buffer, count);
    return result;
}

int UsbPortSim::Write(UsbHandle handle, const std::uint8_t *buffer, std::uint32_t count, std::uint32_t &written) {
    written = 0;
    int channel = 0;
    const int result = Check(handle, SimCall::WriteA, SimCall::WriteB, channel);
    if (result == UsbOk) {
        instrument_->Write(channel, buffer, count);
        written = count;
    }
    return result;
}

int UsbPortSim::Close(UsbHandle handle) {
    int channel = 0;
    {
        std::lock_guard lock(mutex_);
        const auto it = channels_.find(handle);
        if (it == channels_.end())
            return UsbInvalidHandle;
        channel = it->second;
        channels_.erase(it);
    }
    instrument_->Close(channel);
    return UsbOk;
}
