#include "sim/SimInstrument.h"

#include "sim/SimSstProgram.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr std::uint8_t LowStartPulse = 0x80;
constexpr std::uint8_t LowChipSelect = 0x08;
constexpr std::uint8_t LowBridgeReset = 0x10;
constexpr std::uint8_t LowBridgeInt = 0x20;
constexpr std::uint8_t LowMiso = 0x04; // SPI data in idles high between clocked bytes
constexpr std::uint8_t LowBcSelect = 0x40;
constexpr std::uint8_t HighBattery = 0x08;
constexpr std::uint8_t RelayRegister = 40;
constexpr std::uint32_t LineStatusEmpty = 0x6000;
// MPSSE answer to a command byte it does not know: 0xFA followed by that byte.
constexpr std::uint8_t BadCommand = 0xFA;

std::uint32_t SteadyMilliseconds() {
    return std::uint32_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

} // namespace

SimInstrument::SimInstrument(SimConfig config, Clock clock)
    : config_(std::move(config)), clock_(clock ? std::move(clock) : Clock(SteadyMilliseconds)), peer_(clock_),
      wireIn_(config_.seed), wireOut_(config_.seed * 2654435761u + 1), bridge_(chips_, clock_) {
    boot_.SetReply(config_.bootReply);
    wireIn_.SetFaults(config_.toInstrument);
    wireOut_.SetFaults(config_.toHost);
    bridge_.SetFaults(config_.bridge);
    bridge_.SetI2cMs(config_.i2cMs);
    for (std::uint8_t i = 0; i < 2; ++i) {
        chips_.Chip(SimRegisterChips::MainBoard)->SetRegister(std::uint8_t(37 + i), config_.mainBoardIdent[i]);
        chips_.Chip(SimRegisterChips::BcBoard)->SetRegister(std::uint8_t(37 + i), config_.bcBoardIdent[i]);
    }
}

std::vector<UsbDeviceNode> SimInstrument::Nodes() {
    std::lock_guard lock(mutex_);
    std::vector<UsbDeviceNode> nodes;
    for (const SimNode &node : config_.nodes) {
        UsbDeviceNode out;
        const std::uint32_t offset = node.location - config_.instrumentLocation;
        const bool openHere = offset < 2 && open_[offset];
        out.flags = (node.busy || openHere) ? UsbNodeOpened : 0;
        out.type = 6;
        out.id = 0x04036010;
        out.location = node.location;
        out.serial = node.serial;
        out.description = node.description;
        nodes.push_back(std::move(out));
    }
    return nodes;
}

bool SimInstrument::Fails(SimCall call) {
    std::lock_guard lock(mutex_);
    return std::find(config_.failing.begin(), config_.failing.end(), call) != config_.failing.end();
}

int SimInstrument::Open(std::uint32_t location, int &channel) {
    std::lock_guard lock(mutex_);
    const std::uint32_t offset = location - config_.instrumentLocation;
    const bool listed = std::any_of(config_.nodes.begin(), config_.nodes.end(),
                                    [&](const SimNode &node) { return node.location == location; });
    if (!listed)
        return UsbDeviceNotFound;
    // Decoys and busy nodes cannot be opened here; only the instrument's two channels can, once each.
    if (offset >= 2 || open_[offset])
        return UsbDeviceNotOpened;
    for (const SimNode &node : config_.nodes)
        if (node.location == location && node.busy)
            return UsbDeviceNotOpened;
    channel = int(offset);
    open_[channel] = true;
    settings_[channel] = SimChannelSettings();
    toHost_[channel].clear();
    if (channel == 0) {
        mpssePending_.clear();
        writtenA_.clear();
    }
    return UsbOk;
}

void SimInstrument::Close(int channel) {
    std::lock_guard lock(mutex_);
    open_[channel] = false;
    toHost_[channel].clear();
}

void SimInstrument::Reset(int channel) {
    std::lock_guard lock(mutex_);
    toHost_[channel].clear();
    if (channel == 0) {
        mpssePending_.clear();
        settings_[0].bitMode = UsbBitModeReset;
    }
}

void SimInstrument::Purge(int channel, std::uint32_t mask) {
    std::lock_guard lock(mutex_);
    if (mask & UsbPurgeRx)
        toHost_[channel].clear();
    if ((mask & UsbPurgeTx) && channel == 0)
        mpssePending_.clear();
}

SimChannelSettings SimInstrument::ChannelSettings(int channel) {
    std::lock_guard lock(mutex_);
    return settings_[channel];
}

void SimInstrument::UpdateSettings(int channel, const std::function<void(SimChannelSettings &)> &update) {
    std::lock_guard lock(mutex_);
    update(settings_[channel]);
}

void SimInstrument::SetModemLine(int channel, bool dtrLine, bool high) {
    std::lock_guard lock(mutex_);
    (dtrLine ? settings_[channel].dtr : settings_[channel].rts) = high;
    // Lowering either line holds the DSP in reset until the next start pulse.
    if (channel == 1 && !high)
        dsp_ = Dsp::Off;
}

std::uint32_t SimInstrument::ModemStatus(int channel) {
    std::lock_guard lock(mutex_);
    if (channel == 0)
        return LineStatusEmpty;
    const SimChannelSettings &b = settings_[1];
    std::uint32_t status = LineStatusEmpty;
    if (Running() && b.dtr && config_.dsrRises)
        status |= UsbModemDsr;
    if (Running() && b.rts && config_.ctsRises && !ctsDropped_)
        status |= UsbModemCts;
    return status;
}

void SimInstrument::Service() {
    if (dsp_ != Dsp::Running || silent_)
        return;
    app_.Service(peer_);
    std::vector<std::uint8_t> frames;
    while (peer_.Transmit(frames)) {
    }
    std::vector<std::uint8_t> arrived;
    wireOut_.Pass(frames.data(), frames.size(), arrived);
    delayOut_.Push(clock_(), arrived);
    delayOut_.Release(clock_(), toHost_[1]);
    // After the program's goodbye has been acknowledged the DSP stops and its handshake lines drop.
    if (app_.ShutDown())
        dsp_ = Dsp::Off;
}

std::uint32_t SimInstrument::Waiting(int channel) {
    std::lock_guard lock(mutex_);
    if (channel == 1)
        Service();
    const std::uint32_t waiting = std::uint32_t(toHost_[channel].size());
    if (channel == 0)
        return LookAtChannelA();
    return config_.readChunk ? std::min(waiting, config_.readChunk) : waiting;
}

// What the host sees of channel A's replies now; the next piece arrives after this look.
std::uint32_t SimInstrument::LookAtChannelA() {
    const std::uint32_t waiting = std::uint32_t(toHost_[0].size());
    if (config_.replyPieceA == 0)
        return waiting;
    const std::uint32_t seen = std::min(arrivedA_, waiting);
    arrivedA_ = std::min(seen + config_.replyPieceA, waiting);
    return seen;
}

std::uint32_t SimInstrument::Read(int channel, std::uint8_t *buffer, std::uint32_t count) {
    std::lock_guard lock(mutex_);
    std::uint32_t available = std::uint32_t(toHost_[channel].size());
    if (channel == 1) {
        Service();
        available = std::uint32_t(toHost_[1].size());
        if (config_.readChunk)
            count = std::min(count, config_.readChunk);
    } else {
        available = LookAtChannelA();
    }
    std::deque<std::uint8_t> &queue = toHost_[channel];
    const std::uint32_t take = std::min(count, available);
    std::copy_n(queue.begin(), take, buffer);
    queue.erase(queue.begin(), queue.begin() + take);
    if (channel == 0)
        arrivedA_ -= std::min(arrivedA_, take);
    return take;
}

void SimInstrument::Write(int channel, const std::uint8_t *data, std::uint32_t size) {
    std::lock_guard lock(mutex_);
    if (channel == 0) {
        writtenA_.insert(writtenA_.end(), data, data + size);
        if (settings_[0].bitMode == UsbBitModeMpsse) {
            mpssePending_.insert(mpssePending_.end(), data, data + size);
            const std::size_t before = bridge_.Transfers().size();
            RunMpsse();
            LogRelayWrites(before);
        }
        return;
    }
    if (dsp_ == Dsp::Boot) {
        std::vector<std::uint8_t> reply;
        boot_.Receive(data, size, reply);
        toHost_[1].insert(toHost_[1].end(), reply.begin(), reply.end());
        if (boot_.Started()) {
            dsp_ = Dsp::Running;
            peer_.Reset();
            delayOut_.Clear();
            app_.Start(SimIsSstProgram(boot_.Records()));
        }
    } else if (dsp_ == Dsp::Running) {
        std::vector<std::uint8_t> arrived;
        wireIn_.Pass(data, size, arrived);
        peer_.Receive(arrived.data(), arrived.size());
        Service();
    }
}

// Writes of the BC board's relay register join the DSP's command log, so that tests see the relays in
// order with the packets.
void SimInstrument::LogRelayWrites(std::size_t from) {
    const std::vector<SimI2cTransfer> &transfers = bridge_.Transfers();
    for (std::size_t i = from; i < transfers.size(); ++i) {
        const SimI2cTransfer &t = transfers[i];
        if (t.address == SimRegisterChips::BcBoard && !t.read && t.status == 0 && t.bytes.size() >= 2 &&
            t.bytes[0] == RelayRegister)
            app_.TakeRelayWrite(t.bytes[1]);
    }
}

void SimInstrument::SetLowGpio(std::uint8_t value) {
    const bool wasHigh = lowValue_ & LowStartPulse;
    const bool isHigh = value & LowStartPulse;
    if (!wasHigh && isHigh)
        pulseHigh_ = true;
    if (wasHigh && !isHigh && pulseHigh_) {
        pulseHigh_ = false;
        pulsed_ = true;
        dsp_ = Dsp::Boot;
        boot_.Reset();
        toHost_[1].clear();
    }
    lowValue_ = value;
    bridge_.SetLines(!(value & LowBridgeReset), !(value & LowChipSelect));
    chips_.SelectBc(value & LowBcSelect);
}

// Bytes the MPSSE command at `cmd` occupies, or 0 while it has not arrived whole.
std::size_t SimInstrument::MpsseLength(const std::uint8_t *cmd, std::size_t available) {
    std::size_t length = 1;
    switch (cmd[0]) {
    case 0x80:
    case 0x82:
    case 0x86:
    case 0x20:
    case 0x24:
    case 0x12:
    case 0x13:
        length = 3;
        break;
    case 0x22:
    case 0x26:
        length = 2;
        break;
    case 0x10:
    case 0x11:
        if (available < 3)
            return 0;
        length = 3 + std::size_t(cmd[1] | cmd[2] << 8) + 1;
        break;
    default:
        break;
    }
    return available >= length ? length : 0;
}

void SimInstrument::ClockOut(const std::uint8_t *data, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i)
        bridge_.Shift(data[i], 8);
}

// The GPIO commands and the clocking commands, which reach the bridge on the SPI lines (data in reads
// high while the bridge is not selected). An unknown command byte gets the converter's bad-command answer.
void SimInstrument::Mpsse(const std::uint8_t *cmd) {
    std::deque<std::uint8_t> &reply = toHost_[0];
    switch (cmd[0]) {
    case 0x80:
        lowDirection_ = cmd[2];
        SetLowGpio(cmd[1]);
        break;
    case 0x82:
        highValue_ = cmd[1];
        highDirection_ = cmd[2];
        break;
    case 0x81: {
        const std::uint8_t inputs = LowMiso | (bridge_.IntHigh() ? LowBridgeInt : 0);
        reply.push_back(std::uint8_t((lowValue_ & lowDirection_) | (inputs & ~lowDirection_)));
        break;
    }
    case 0x83: {
        const bool battery = pulsed_ ? config_.batteryAfterPulse : config_.batteryBeforePulse;
        reply.push_back(std::uint8_t((highValue_ & highDirection_) | (battery ? HighBattery : 0)));
        break;
    }
    case 0x20:
    case 0x24:
        for (std::size_t n = std::size_t(cmd[1] | cmd[2] << 8) + 1; n > 0; --n)
            reply.push_back(bridge_.Shift(0xFF, 8));
        break;
    case 0x22:
    case 0x26:
        reply.push_back(bridge_.Shift(0xFF, (cmd[1] & 7) + 1));
        break;
    case 0x10:
    case 0x11:
        ClockOut(cmd + 3, std::size_t(cmd[1] | cmd[2] << 8) + 1);
        break;
    case 0x12:
    case 0x13:
        bridge_.Shift(cmd[2], (cmd[1] & 7) + 1);
        break;
    case 0x84:
    case 0x85:
    case 0x86:
    case 0x87:
    case 0x8A:
    case 0x8B:
    case 0x8C:
    case 0x8D:
    case 0x97:
        break;
    default:
        reply.push_back(BadCommand);
        reply.push_back(cmd[0]);
        break;
    }
}

void SimInstrument::RunMpsse() {
    std::size_t at = 0;
    while (at < mpssePending_.size()) {
        const std::size_t length = MpsseLength(mpssePending_.data() + at, mpssePending_.size() - at);
        if (length == 0)
            break;
        Mpsse(mpssePending_.data() + at);
        at += length;
    }
    mpssePending_.erase(mpssePending_.begin(), mpssePending_.begin() + std::ptrdiff_t(at));
}

SimInstrument::Dsp SimInstrument::DspState() {
    std::lock_guard lock(mutex_);
    return dsp_;
}

SimBootLoader::State SimInstrument::BootStage() {
    std::lock_guard lock(mutex_);
    return boot_.Stage();
}

std::vector<SimLoadedRecord> SimInstrument::LoadedRecords() {
    std::lock_guard lock(mutex_);
    return boot_.Records();
}

std::vector<std::uint8_t> SimInstrument::ChannelAWritten() {
    std::lock_guard lock(mutex_);
    return writtenA_;
}

bool SimInstrument::SendPacket(int type, const std::vector<std::uint8_t> &payload) {
    std::lock_guard lock(mutex_);
    return dsp_ == Dsp::Running && peer_.Queue(type, payload);
}

std::optional<SimPacket> SimInstrument::TakePacket() {
    std::lock_guard lock(mutex_);
    return app_.TakeReceived(peer_);
}

SimLinkCounters SimInstrument::LinkCounters() {
    std::lock_guard lock(mutex_);
    return peer_.Counters();
}

void SimInstrument::DropCts() {
    std::lock_guard lock(mutex_);
    ctsDropped_ = true;
}

void SimInstrument::SetSilent(bool silent) {
    std::lock_guard lock(mutex_);
    silent_ = silent;
}

std::uint8_t SimInstrument::ChipRegister(std::uint8_t address, std::uint8_t index) {
    std::lock_guard lock(mutex_);
    const SimRegisterChip *chip = chips_.Chip(address);
    return chip ? chip->Register(index) : 0xFF;
}

void SimInstrument::SetChipRegister(std::uint8_t address, std::uint8_t index, std::uint8_t value) {
    std::lock_guard lock(mutex_);
    if (SimRegisterChip *chip = chips_.Chip(address))
        chip->SetRegister(index, value);
}

std::uint8_t SimInstrument::BridgeRegister(std::uint8_t index) {
    std::lock_guard lock(mutex_);
    return bridge_.InternalRegister(index);
}

std::vector<SimI2cTransfer> SimInstrument::I2cTransfers() {
    std::lock_guard lock(mutex_);
    return bridge_.Transfers();
}

void SimInstrument::SetBridgeFaults(SimBridgeFaults faults) {
    std::lock_guard lock(mutex_);
    bridge_.SetFaults(std::move(faults));
}

void SimInstrument::WithApplication(const std::function<void(SimDspApplication &)> &action) {
    std::lock_guard lock(mutex_);
    action(app_);
}

void SimInstrument::WithLink(const std::function<void(SimLinkPeer &)> &action) {
    std::lock_guard lock(mutex_);
    action(peer_);
}
