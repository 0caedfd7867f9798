#pragma once

#include "platform/usb/UsbPort.h"
#include "sim/SimBootLoader.h"
#include "sim/SimDelayLine.h"
#include "sim/SimDspApplication.h"
#include "sim/SimI2cBridge.h"
#include "sim/SimLinkPeer.h"
#include "sim/SimWire.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// One device-list node of the simulated USB bus.
struct SimNode {
    std::string description;
    std::uint32_t location = 0;
    bool busy = false; // opened by another program
    std::string serial;
};

// Driver calls a test can make fail (they answer with an I/O error).
enum class SimCall {
    CreateDeviceList,
    GetDeviceList,
    OpenA,
    OpenB,
    ResetDevice,
    Purge,
    SetBitMode,
    SetBaudRate,
    SetDataCharacteristics,
    SetFlowControl,
    SetTimeouts,
    SetLatencyTimer,
    ModemLines,
    GetModemStatus,
    GetQueueStatus,
    GetStatus,
    ReadA,
    WriteA,
    ReadB,
    WriteB,
};

struct SimConfig {
    // The default bus: another converter, an instrument opened by another program, then ours.
    std::vector<SimNode> nodes{
        {"USB Serial Converter A", 0x1011, false, "CV0001A"}, {"USB Serial Converter B", 0x1012, false, "CV0001B"},
        {"Trova R-9_307 0001 A", 0x2011, true, "R9000001A"},  {"Trova R-9_307 0001 B", 0x2012, true, "R9000001B"},
        {"Trova R-9_307 0002 A", 0x3011, false, "R9000002A"}, {"Trova R-9_307 0002 B", 0x3012, false, "R9000002B"},
    };
    std::uint32_t instrumentLocation = 0x3011; // channel A; channel B is the next location
    bool batteryBeforePulse = true;            // high GPIO bit 3 before the start pulse
    bool batteryAfterPulse = true;             // and after it
    bool dsrRises = true;
    bool ctsRises = true;
    std::vector<std::uint8_t> bootReply{'3', 0x89};
    std::uint32_t readChunk = 0; // most bytes one read or queue status shows on channel B; 0: all
    // Channel A's replies arrive this many bytes per look (a read or a status call), the first piece
    // only after the first look; 0: whole replies at once.
    std::uint32_t replyPieceA = 0;
    SimWireFaults toInstrument;
    SimWireFaults toHost;
    std::uint32_t seed = 1;
    std::vector<SimCall> failing;
    // The DSP program once the boot loader has taken it.
    SimDspConfig dsp;
    SimDelayFaults toHostDelay; // held-back batches of the link's bytes to the host
    // The register channel: faults of the SPI-to-I2C bridge, how long one I2C transaction takes, and the
    // identification bytes (register 37 and 38) of the main board and the BC board.
    SimBridgeFaults bridge;
    std::uint32_t i2cMs = 1;
    std::uint8_t mainBoardIdent[2] = {0x62, 11};
    std::uint8_t bcBoardIdent[2] = {0x71, 5};
};

// What the program set on a channel, for tests to check.
struct SimChannelSettings {
    std::uint8_t bitMask = 0;
    std::uint8_t bitMode = 0;
    std::uint32_t baud = 0;
    std::uint8_t bits = 0, stopBits = 0, parity = 0;
    std::uint16_t flow = 0;
    std::uint8_t xon = 0, xoff = 0;
    std::uint32_t readTimeoutMs = 0, writeTimeoutMs = 0;
    std::uint8_t latencyMs = 0;
    bool dtr = false;
    bool rts = false;
};

// The simulated instrument below the port: channel A in MPSSE mode with the GPIO lines (the battery
// input on high bit 3, the DSP start pulse on low bit 7) and the register channel on the low GPIO byte
// (SPI clock, data out and data in on bits 0 to 2, the bridge's chip select on bit 3 and reset on bit 4,
// both active low, its INT on bit 5, BC bus select on bit 6) with the register chips behind it; channel B
// with the handshake lines, the boot loader and, once the DSP program started, the link peer. Every call
// takes one lock, so the link thread and the main thread may use the two channels at the same time.
//
// Channel B: the DSP runs from the end of a start pulse (low GPIO bit 7 high, then low) until RTS or DTR
// is lowered. While it runs, DSR follows DTR and CTS follows RTS (unless a fault keeps them low).
class SimInstrument {
public:
    using Clock = std::function<std::uint32_t()>;
    enum class Dsp { Off, Boot, Running };

    explicit SimInstrument(SimConfig config = SimConfig(), Clock clock = Clock());

    // Channel-level operations under the port; channel 0 is A, 1 is B.
    std::vector<UsbDeviceNode> Nodes();
    int Open(std::uint32_t location, int &channel);
    void Close(int channel);
    bool Fails(SimCall call);
    void Reset(int channel);
    void Purge(int channel, std::uint32_t mask);
    SimChannelSettings ChannelSettings(int channel);
    void UpdateSettings(int channel, const std::function<void(SimChannelSettings &)> &update);
    void SetModemLine(int channel, bool dtrLine, bool high);
    std::uint32_t ModemStatus(int channel);
    std::uint32_t Waiting(int channel);
    std::uint32_t Read(int channel, std::uint8_t *buffer, std::uint32_t count);
    void Write(int channel, const std::uint8_t *data, std::uint32_t size);

    // Test controls and observations; each takes the lock itself.
    Dsp DspState();
    SimBootLoader::State BootStage();
    std::vector<SimLoadedRecord> LoadedRecords();
    std::vector<std::uint8_t> ChannelAWritten(); // every byte written to channel A
    bool SendPacket(int type, const std::vector<std::uint8_t> &payload);
    std::optional<SimPacket> TakePacket();
    SimLinkCounters LinkCounters();
    void DropCts();
    void SetSilent(bool silent);
    // The DSP program and the instrument's end of the link, for a test to drive or observe under the lock.
    void WithApplication(const std::function<void(SimDspApplication &)> &action);
    void WithLink(const std::function<void(SimLinkPeer &)> &action);
    // The register channel.
    std::uint8_t ChipRegister(std::uint8_t address, std::uint8_t index);
    void SetChipRegister(std::uint8_t address, std::uint8_t index, std::uint8_t value);
    std::uint8_t BridgeRegister(std::uint8_t index);
    std::vector<SimI2cTransfer> I2cTransfers();
    void SetBridgeFaults(SimBridgeFaults faults);

private:
    bool Running() const { return dsp_ != Dsp::Off; }
    void Service();
    void RunMpsse();
    void ClockOut(const std::uint8_t *data, std::size_t bytes);
    static std::size_t MpsseLength(const std::uint8_t *cmd, std::size_t available);
    void Mpsse(const std::uint8_t *cmd);
    void SetLowGpio(std::uint8_t value);
    void LogRelayWrites(std::size_t from);

    SimConfig config_;
    Clock clock_;
    std::mutex mutex_;
    bool open_[2] = {false, false};
    SimChannelSettings settings_[2];
    std::uint32_t LookAtChannelA();
    std::deque<std::uint8_t> toHost_[2];
    std::uint32_t arrivedA_ = 0; // bytes of channel A's replies that have arrived (with replyPieceA)
    std::vector<std::uint8_t> writtenA_;
    std::vector<std::uint8_t> mpssePending_;
    std::uint8_t lowValue_ = 0, lowDirection_ = 0, highValue_ = 0, highDirection_ = 0;
    bool pulseHigh_ = false;
    bool pulsed_ = false;
    Dsp dsp_ = Dsp::Off;
    bool ctsDropped_ = false;
    bool silent_ = false;
    SimBootLoader boot_;
    SimLinkPeer peer_;
    SimWire wireIn_;
    SimWire wireOut_;
    SimDspApplication app_{config_.dsp, clock_};
    SimDelayLine delayOut_{config_.seed * 40503u + 7, config_.toHostDelay};
    SimRegisterChips chips_;
    SimI2cBridge bridge_;
};
