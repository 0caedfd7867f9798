#pragma once

#include "platform/usb/UsbPort.h"
#include "sim/SimFrameCodec.h"
#include "sim/UsbPortRelay.h"
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
// channel and can take whole frames out of the stream either way.
class FilterPort final : public UsbPortRelay {
public:
    explicit FilterPort(UsbPortSim &inner) : UsbPortRelay(inner) {}

    // Called for every complete frame the instrument sends; true drops it.
    void DropFromInstrument(std::function<bool(const SimFrame &)> drop);
    // Called for every frame the program writes once its link runs (one frame per write); true drops it.
    void DropToInstrument(std::function<bool(const SimFrame &)> drop);
    std::vector<std::uint8_t> WrittenB();
    std::vector<std::uint32_t> OpenedLocations();

    int OpenByLocation(std::uint32_t location, UsbHandle &handle) override;
    int GetQueueStatus(UsbHandle handle, std::uint32_t &rxBytes) override;
    int Read(UsbHandle handle, std::uint8_t *buffer, std::uint32_t count, std::uint32_t &read) override;
    int Write(UsbHandle handle, const std::uint8_t *buffer, std::uint32_t count, std::uint32_t &written) override;

private:
    int Pull(UsbHandle handle);

    std::mutex mutex_;
    UsbHandle handleB_ = 0;
    std::vector<std::uint32_t> opened_;
    std::vector<std::uint8_t> writtenB_;
    std::function<bool(const SimFrame &)> drop_;
    std::function<bool(const SimFrame &)> dropOut_;
    SimFrameDecoder decoder_;
    SimFrameDecoder outDecoder_;
    std::vector<std::uint8_t> frame_;
    bool inFrame_ = false;
    std::deque<std::uint8_t> released_;
};

// The simulated instrument on the process's tick source.
std::shared_ptr<SimInstrument> InstrumentOnTicks(SimConfig config = SimConfig());

struct SimPortHolder {
    explicit SimPortHolder(std::shared_ptr<SimInstrument> instrument) : sim(std::move(instrument)) {}
    UsbPortSim sim;
};

// The simulated instrument's port with every write recorded call by call, and a hook that runs before a
// write reaches the instrument (a caller arriving in the middle of a transaction).
class TappedPort final : private SimPortHolder, public UsbPortRelay {
public:
    explicit TappedPort(std::shared_ptr<SimInstrument> instrument)
        : SimPortHolder(std::move(instrument)), UsbPortRelay(sim) {}

    std::vector<std::vector<std::uint8_t>> writes;
    std::function<void()> beforeWrite;

    int Write(UsbHandle handle, const std::uint8_t *buffer, std::uint32_t count, std::uint32_t &written) override {
        if (beforeWrite)
            beforeWrite();
        writes.emplace_back(buffer, buffer + count);
        return UsbPortRelay::Write(handle, buffer, count, written);
    }
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
