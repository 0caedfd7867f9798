#pragma once

#include "platform/usb/UsbPort.h"

// A port that passes every call on to another port; a port that changes some calls on the way (pacing,
// recording, filtering) derives from it and overrides only those.
class UsbPortRelay : public UsbPort {
public:
    explicit UsbPortRelay(UsbPort &inner) : inner_(inner) {}

    int CreateDeviceList(std::uint32_t &count) override { return inner_.CreateDeviceList(count); }
    int GetDeviceList(std::vector<UsbDeviceNode> &nodes) override { return inner_.GetDeviceList(nodes); }
    int OpenByLocation(std::uint32_t location, UsbHandle &handle) override {
        return inner_.OpenByLocation(location, handle);
    }
    int ResetDevice(UsbHandle handle) override { return inner_.ResetDevice(handle); }
    int Purge(UsbHandle handle, std::uint32_t mask) override { return inner_.Purge(handle, mask); }
    int SetBitMode(UsbHandle handle, std::uint8_t mask, std::uint8_t mode) override {
        return inner_.SetBitMode(handle, mask, mode);
    }
    int SetBaudRate(UsbHandle handle, std::uint32_t baud) override { return inner_.SetBaudRate(handle, baud); }
    int SetDataCharacteristics(UsbHandle handle, std::uint8_t bits, std::uint8_t stopBits,
                               std::uint8_t parity) override {
        return inner_.SetDataCharacteristics(handle, bits, stopBits, parity);
    }
    int SetFlowControl(UsbHandle handle, std::uint16_t mode, std::uint8_t xon, std::uint8_t xoff) override {
        return inner_.SetFlowControl(handle, mode, xon, xoff);
    }
    int SetTimeouts(UsbHandle handle, std::uint32_t readMs, std::uint32_t writeMs) override {
        return inner_.SetTimeouts(handle, readMs, writeMs);
    }
    int SetLatencyTimer(UsbHandle handle, std::uint8_t ms) override { return inner_.SetLatencyTimer(handle, ms); }
    int SetDtr(UsbHandle handle) override { return inner_.SetDtr(handle); }
    int ClrDtr(UsbHandle handle) override { return inner_.ClrDtr(handle); }
    int SetRts(UsbHandle handle) override { return inner_.SetRts(handle); }
    int ClrRts(UsbHandle handle) override { return inner_.ClrRts(handle); }
    int GetModemStatus(UsbHandle handle, std::uint32_t &status) override {
        return inner_.GetModemStatus(handle, status);
    }
    int GetQueueStatus(UsbHandle handle, std::uint32_t &rxBytes) override {
        return inner_.GetQueueStatus(handle, rxBytes);
    }
    int GetStatus(UsbHandle handle, std::uint32_t &rxBytes, std::uint32_t &txBytes,
                  std::uint32_t &eventStatus) override {
        return inner_.GetStatus(handle, rxBytes, txBytes, eventStatus);
    }
    int Read(UsbHandle handle, std::uint8_t *buffer, std::uint32_t count, std::uint32_t &read) override {
        return inner_.Read(handle, buffer, count, read);
    }
    int Write(UsbHandle handle, const std::uint8_t *buffer, std::uint32_t count, std::uint32_t &written) override {
        return inner_.Write(handle, buffer, count, written);
    }
    int Close(UsbHandle handle) override { return inner_.Close(handle); }

protected:
    UsbPort &Inner() { return inner_; }

private:
    UsbPort &inner_;
};
