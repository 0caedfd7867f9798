#pragma once

#include "platform/usb/UsbPort.h"
#include "sim/SimFrameCodec.h"
#include "sim/UsbPortSim.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// A port between the link and the simulated instrument that records what the program writes to the data
// channel and can take whole frames of the instrument out of the stream before the program sees them.
class FilterPort final : public UsbPort {
public:
    explicit FilterPort(UsbPortSim &inner) : inner_(inner) {}

    // Called for every complete frame the instrument sends; true drops it.
    void DropFromInstrument(std::function<bool(const SimFrame &)> drop);
    std::vector<std::uint8_t> WrittenB();
    std::vector<std::uint32_t> OpenedLocations();

    int CreateDeviceList(std::uint32_t &count) override { return inner_.CreateDeviceList(count); }
    int GetDeviceList(std::vector<UsbDeviceNode> &nodes) override { return inner_.GetDeviceList(nodes); }
    int OpenByLocation(std::uint32_t location, UsbHandle &handle) override;
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
    int GetQueueStatus(UsbHandle handle, std::uint32_t &rxBytes) override;
    int GetStatus(UsbHandle handle, std::uint32_t &rxBytes, std::uint32_t &txBytes,
                  std::uint32_t &eventStatus) override {
        return inner_.GetStatus(handle, rxBytes, txBytes, eventStatus);
    }
    int Read(UsbHandle handle, std::uint8_t *buffer, std::uint32_t count, std::uint32_t &read) override;
    int Write(UsbHandle handle, const std::uint8_t *buffer, std::uint32_t count, std::uint32_t &written) override;
    int Close(UsbHandle handle) override { return inner_.Close(handle); }

private:
    int Pull(UsbHandle handle);

    UsbPortSim &inner_;
    std::mutex mutex_;
    UsbHandle handleB_ = 0;
    std::vector<std::uint32_t> opened_;
    std::vector<std::uint8_t> writtenB_;
    std::function<bool(const SimFrame &)> drop_;
    SimFrameDecoder decoder_;
    std::vector<std::uint8_t> frame_;
    bool inFrame_ = false;
    std::deque<std::uint8_t> released_;
};

// The simulated instrument with a filter port in front of it, running on the process's tick source.
struct SimRig {
    explicit SimRig(SimConfig config = SimConfig());
    std::shared_ptr<SimInstrument> Instrument;
    UsbPortSim Sim;
    FilterPort Port;
};

// A temporary folder holding a firmware file.
struct FirmwareFolder {
    explicit FirmwareFolder(const QByteArray &text = SmallProgram());
    QString Write(const QString &name, const QByteArray &text) const;
    QString Path() const { return file; }
    static QByteArray SmallProgram();
    QTemporaryDir dir;
    QString file;
};

// Runs step until it answers true or `seconds` of real time passed; the main thread's events are handled
// between steps.
bool WaitUntil(const std::function<bool()> &step, double seconds = 10);
