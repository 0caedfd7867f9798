#include "sim/SimDspApplication.h"

#include "sim/SimPacketBytes.h"

#include <algorithm>

namespace {

constexpr int FrameHeaderType = 4;
constexpr int SamplesType = 5;
constexpr int BlockSizeAckType = 6;
constexpr int PowerType = 7;
constexpr int SpeakerType = 13;
constexpr int SelectiveEndType = 14;
constexpr int FaultType = 511;
constexpr int MessageFirstType = 8;
constexpr int MessageNextType = 9;
constexpr int MessageInputErrorType = 10;
constexpr int MessageEndType = 11;
constexpr int MessageProgressType = 12;

constexpr std::uint32_t PowerIntervalMs = 1000;
constexpr std::size_t MaxKeptPackets = 65536;
constexpr std::size_t MaxRecordsPerFrame = 12; // 12-byte header and 20-byte records within 256 bytes
constexpr std::size_t MaxSelectiveRecordsPerFrame = 10; // and 24-byte selective records
constexpr std::uint32_t SelectiveFrameKind = 135;
constexpr int MaxSelectiveFramesWaiting = 8; // the selective program's output buffer
constexpr int MinBlockSize = 1024;
constexpr int MaxBlockSize = 32768;
constexpr int SamplesPerPacket = SimMaxPayload / 2;

std::uint32_t DspTime(std::uint32_t elapsedMs) {
    return std::uint32_t(std::uint64_t(elapsedMs) * 1024 / 1000);
}

} // namespace

SimDspApplication::SimDspApplication(SimDspConfig config, Clock clock)
    : config_(std::move(config)), clock_(std::move(clock)) {}

void SimDspApplication::Start(bool selectiveProgram) {
    selectiveProgram_ = selectiveProgram;
    selective_.Reset();
    startMs_ = clock_();
    checker_.Reset();
    outbox_.clear();
    received_.clear();
    meterGroups_.clear();
    watchKind_ = 0;
    watchSamples_ = 0;
    framePartsWaiting_ = 0;
    identified_ = false;
    nextPowerMs_ = PowerIntervalMs;
    powerFlags_ = config_.powerFlags;
    syncCount_ = config_.syncCount;
    breakDue_ = silent_ = halted_ = shutDown_ = false;
    messageReplies_.clear();
    sampleRate_ = config_.sampleRate;
    rateSinceMs_ = 0;
    rateSinceSample_ = 0;
    signal_.SetSine(config_.sineAmplitude, config_.sineFrequency, config_.sampleRate);
    SetBlockSize(config_.blockSize);
}

std::uint64_t SimDspApplication::SamplesBy(std::uint32_t elapsedMs) const {
    if (!(sampleRate_ > 0))
        return rateSinceSample_;
    return rateSinceSample_ + std::uint64_t(double(elapsedMs - rateSinceMs_) * sampleRate_ / 1000);
}

std::uint32_t SimDspApplication::SampleTime(std::uint64_t sample) const {
    if (!(sampleRate_ > 0))
        return DspTime(rateSinceMs_);
    return std::uint32_t(double(rateSinceMs_) * 1024 / 1000 + double(sample - rateSinceSample_) * 1024 / sampleRate_);
}

// The ADC restarts its count at the new rate; a block under way is lost.
void SimDspApplication::SetSampleRate(double hz) {
    const std::uint32_t elapsed = Elapsed();
    rateSinceSample_ = SamplesBy(elapsed);
    rateSinceMs_ = elapsed;
    sampleRate_ = hz;
    nextFrameSample_ = rateSinceSample_;
}

void SimDspApplication::SetBlockSize(int samples) {
    blockSize_ = std::clamp(samples, 0, MaxBlockSize);
    nextFrameSample_ = SamplesBy(Elapsed());
}

void SimDspApplication::SetPower(std::int16_t flags, std::uint16_t syncCount) {
    powerFlags_ = flags;
    syncCount_ = syncCount;
}

bool SimDspApplication::SendMeterRecords(std::int16_t kind, std::vector<SimMeterRecord> records) {
    if (records.empty() || records.size() > MaxRecordsPerFrame)
        return false;
    meterGroups_.push_back(MeterGroup{kind, std::move(records)});
    return true;
}

// Kind 0 (or no merge count) switches the watch off; a new setting starts its intervals afresh.
void SimDspApplication::SetMeterWatch(std::int16_t kind, std::int64_t mergeCount) {
    watchKind_ = kind;
    watchSamples_ = kind != 0 && mergeCount > 0 ? std::uint64_t(mergeCount) * 1024 : 0;
    nextWatchSample_ = SamplesBy(Elapsed()) + watchSamples_;
    watchInterval_ = 0;
}

// Intervals that ended while the link was not serviced are reported together, at most one header's worth.
void SimDspApplication::ProduceMeterRecords(std::uint32_t elapsed) {
    if (watchSamples_ == 0 || !meterEvents_)
        return;
    std::vector<SimMeterRecord> records;
    const std::uint64_t available = SamplesBy(elapsed);
    while (nextWatchSample_ <= available && records.size() < MaxRecordsPerFrame) {
        SimMeterRecord record = meterEvents_(watchKind_, watchInterval_++);
        record.Tcomm = SampleTime(nextWatchSample_);
        records.push_back(record);
        nextWatchSample_ += watchSamples_;
    }
    if (nextWatchSample_ <= available)
        nextWatchSample_ = available + watchSamples_ - (available - nextWatchSample_) % watchSamples_;
    if (!records.empty())
        meterGroups_.push_back(MeterGroup{watchKind_, std::move(records)});
}

// Frames of kind 135 without samples: header {Tadc; Nadc 0; 135; record count; 0}, then records {uint32
// dP; uint32 T; Re and Im in three 16-bit words each, least significant first; int16 OVR; int16 end}.
void SimDspApplication::ProduceSelective(std::uint32_t elapsed) {
    if (framePartsWaiting_ > MaxSelectiveFramesWaiting) {
        selective_.Hold(SamplesBy(elapsed));
        return;
    }
    const std::vector<int> &mode = checker_.Commands().ModeWords();
    const int code = mode.size() > 7 ? mode[7] : 1;
    const double generatorOhms = code == 0 ? 75 : code == 3 ? 120 : code == 4 ? 135 : code == 6 ? 600 : 100;
    SimWaveform base = checker_.Commands().Waveform();
    base.echoes = config_.lineEchoes;
    const std::vector<SimSstItem> items = selective_.Produce(SamplesBy(elapsed), base, generatorOhms, sampleRate_,
                                                             [this](std::uint64_t sample) { return SampleTime(sample); });
    for (std::size_t at = 0; at < items.size(); at += MaxSelectiveRecordsPerFrame) {
        const std::size_t count = std::min(MaxSelectiveRecordsPerFrame, items.size() - at);
        std::vector<std::uint8_t> header;
        SimAppendLe(header, DspTime(elapsed), 4);
        SimAppendLe(header, 0, 2);
        SimAppendLe(header, SelectiveFrameKind, 2);
        SimAppendLe(header, std::uint32_t(count), 2);
        SimAppendLe(header, 0, 2);
        for (std::size_t i = at; i < at + count; ++i) {
            const SimSstItem &item = items[i];
            SimAppendLe(header, item.dP, 4);
            SimAppendLe(header, item.T, 4);
            for (std::int64_t sum : {item.Re, item.Im})
                for (int word = 0; word < 3; ++word)
                    SimAppendLe(header, std::uint32_t(std::uint64_t(sum) >> (16 * word)), 2);
            SimAppendLe(header, std::uint16_t(item.OVR), 2);
            SimAppendLe(header, std::uint16_t(item.SstEnd), 2);
        }
        Queue(FrameHeaderType, std::move(header));
    }
}

void SimDspApplication::StartSpeaker(std::int16_t brkIn) {
    std::vector<std::uint8_t> payload;
    SimAppendLe(payload, std::uint16_t(brkIn), 2);
    Queue(SpeakerType, std::move(payload));
}

void SimDspApplication::ReportFault(std::int16_t err, std::int16_t v) {
    std::vector<std::uint8_t> payload;
    SimAppendLe(payload, std::uint16_t(err), 2);
    SimAppendLe(payload, std::uint16_t(v), 2);
    Queue(FaultType, std::move(payload));
    halted_ = true;
}

std::optional<SimPacket> SimDspApplication::TakeReceived(SimLinkPeer &link) {
    if (!config_.enabled)
        return link.Take();
    if (received_.empty())
        return std::nullopt;
    SimPacket packet = std::move(received_.front());
    received_.pop_front();
    return packet;
}

bool SimDspApplication::IsFramePart(int type) const {
    return type == FrameHeaderType || type == SamplesType;
}

void SimDspApplication::Queue(int type, std::vector<std::uint8_t> payload) {
    if (IsFramePart(type))
        ++framePartsWaiting_;
    outbox_.push_back(SimPacket{type, std::move(payload)});
}

void SimDspApplication::Handle(const SimPacket &packet) {
    const bool wellFormed = checker_.Check(packet);
    received_.push_back(packet);
    if (received_.size() > MaxKeptPackets)
        received_.pop_front();
    if (wellFormed && !shutDown_)
        Act(checker_.Log().back());
}

void SimDspApplication::Act(const SimCommand &command) {
    const SimCommandState &state = checker_.Commands();
    switch (command.type) {
    case 2:
        if (state.SampleRate() > 0 && state.SampleRate() != sampleRate_)
            SetSampleRate(state.SampleRate());
        break;
    case 5: {
        const int samples = int(command.Field("n"));
        if (samples == 0) {
            SetBlockSize(0);
            Queue(BlockSizeAckType, {});
        } else if (samples >= MinBlockSize && samples <= MaxBlockSize) {
            SetBlockSize(samples);
        }
        break;
    }
    case 6: {
        SimWaveform waveform = state.Waveform();
        waveform.echoes = config_.lineEchoes;
        signal_.SetWaveform(std::move(waveform));
        break;
    }
    case 7:
        SetMeterWatch(std::int16_t(command.Field("kind")), command.Field("setting"));
        break;
    case 8:
        messageReplies_.clear();
        break;
    case 18:
    case 19:
    case 20:
        // A stop (run kind 0) ends the selective run: the end report follows the frames already under way.
        // The selective program reports a set-up with nothing to measure the same way.
        if (selectiveProgram_ ? selective_.Take(command, SamplesBy(Elapsed()), sampleRate_)
                              : command.type == 18 && command.Field("p3") == 0)
            Queue(SelectiveEndType, {});
        break;
    case 11:
        if (state.Message().complete) {
            if (carrier_)
                carrier_(state.Message());
            else
                ScheduleMessageReplies(Elapsed());
        }
        break;
    case 13:
        shutDown_ = true;
        break;
    default:
        break;
    }
}

// Progress {N, counter in the high byte, words sent} step by step over the line, then the end
// {0, counter in the high byte and the receipt code in the low byte, success}.
void SimDspApplication::ScheduleMessageReplies(std::uint32_t elapsed) {
    const SimMessageReplies &r = config_.messages;
    const SimMessage &m = checker_.Commands().Message();
    const std::uint32_t counter = std::uint32_t(m.counter) << 8;
    messageReplies_.clear();
    const int steps = std::max(0, r.progressSteps);
    for (int k = 1; k <= steps; ++k) {
        std::vector<std::uint8_t> progress;
        SimAppendLe(progress, std::uint32_t(m.totalWords), 2);
        SimAppendLe(progress, counter, 2);
        SimAppendLe(progress, std::uint32_t(m.totalWords * k / steps), 2);
        messageReplies_.push_back(Reply{elapsed + r.stepMs * std::uint32_t(k), {MessageProgressType, progress}});
    }
    if (!r.answer)
        return;
    std::vector<std::uint8_t> end;
    SimAppendLe(end, 0, 2);
    SimAppendLe(end, counter | std::uint32_t(m.id), 2);
    SimAppendLe(end, std::uint16_t(r.success), 2);
    messageReplies_.push_back(Reply{elapsed + r.stepMs * std::uint32_t(steps + 1), {MessageEndType, end}});
}

void SimDspApplication::DeliverMessage(int id, const std::vector<std::uint8_t> &body) {
    constexpr std::size_t HeaderWords = 10;
    std::vector<std::uint8_t> all;
    SimAppendLe(all, std::uint32_t(HeaderWords + body.size() / 2), 2);
    SimAppendLe(all, std::uint32_t(id & 0xFF), 2);
    all.resize(HeaderWords * 2, 0);
    all.insert(all.end(), body.begin(), body.end() - std::ptrdiff_t(body.size() % 2));
    for (std::size_t at = 0; at < all.size(); at += SimMaxPayload) {
        const std::size_t n = std::min<std::size_t>(SimMaxPayload, all.size() - at);
        Queue(at == 0 ? MessageFirstType : MessageNextType,
              std::vector<std::uint8_t>(all.begin() + std::ptrdiff_t(at), all.begin() + std::ptrdiff_t(at + n)));
    }
}

void SimDspApplication::ReportMessageInputError() {
    Queue(MessageInputErrorType, std::vector<std::uint8_t>(6, 0));
}

void SimDspApplication::ReportMessageEnd(int counter, int id, std::int16_t success) {
    std::vector<std::uint8_t> end;
    SimAppendLe(end, 0, 2);
    SimAppendLe(end, std::uint32_t(counter) << 8 | std::uint32_t(id & 0xFF), 2);
    SimAppendLe(end, std::uint16_t(success), 2);
    Queue(MessageEndType, std::move(end));
}

void SimDspApplication::Service(SimLinkPeer &link) {
    if (!config_.enabled)
        return;
    while (std::optional<SimPacket> packet = link.Take())
        Handle(*packet);
    Produce(Elapsed());
    if (silent_)
        return;
    if (breakDue_) {
        breakDue_ = false;
        link.QueueBreak();
    }
    while (!outbox_.empty() && link.CanQueue()) {
        const SimPacket &packet = outbox_.front();
        link.Queue(packet.type, packet.payload);
        if (IsFramePart(packet.type))
            --framePartsWaiting_;
        outbox_.pop_front();
    }
}

void SimDspApplication::Produce(std::uint32_t elapsed) {
    const bool working = !silent_ && !halted_ && !shutDown_;
    if (working && !identified_ && elapsed >= config_.bootMs) {
        identified_ = true;
        for (SimPacket &packet : SimIdentificationPackets(config_.identity))
            Queue(packet.type, std::move(packet.payload));
    }
    // One packet for the newest second passed: seconds missed while hung or unserviced are not made up for.
    if (elapsed >= nextPowerMs_) {
        const std::uint32_t second = elapsed / PowerIntervalMs * PowerIntervalMs;
        nextPowerMs_ = second + PowerIntervalMs;
        if (working) {
            std::vector<std::uint8_t> payload;
            SimAppendLe(payload, DspTime(second), 4);
            SimAppendLe(payload, std::uint16_t(powerFlags_), 2);
            SimAppendLe(payload, syncCount_, 2);
            Queue(PowerType, std::move(payload));
        }
    }
    while (!messageReplies_.empty() && std::int32_t(elapsed - messageReplies_.front().dueMs) >= 0) {
        if (working)
            Queue(messageReplies_.front().packet.type, std::move(messageReplies_.front().packet.payload));
        messageReplies_.pop_front();
    }
    if (working && identified_)
        ProduceMeterRecords(elapsed);
    if (working && identified_ && selectiveProgram_)
        ProduceSelective(elapsed);
    ProduceFrame(elapsed, working && identified_);
}

void SimDspApplication::ProduceFrame(std::uint32_t elapsed, bool send) {
    if (blockSize_ == 0) {
        if (send && !meterGroups_.empty())
            QueueFrame(DspTime(elapsed), 0, 0);
        return;
    }
    const std::uint64_t size = std::uint64_t(blockSize_);
    const std::uint64_t available = SamplesBy(elapsed);
    if (available < nextFrameSample_ + size)
        return;
    // Only the newest complete block can go; older ones, and this one while the link still carries the
    // last frame, are lost.
    const std::uint64_t newest = nextFrameSample_ + ((available - nextFrameSample_) / size - 1) * size;
    nextFrameSample_ = newest + size;
    if (send && framePartsWaiting_ == 0)
        QueueFrame(SampleTime(newest), newest, blockSize_);
}

// Header {uint32 Tadc; uint16 Nadc; int16 FLGcomm; int16 record count; int16 reserved; records}, then the
// samples in packets of 128.
void SimDspApplication::QueueFrame(std::uint32_t Tadc, std::uint64_t firstSample, int samples) {
    MeterGroup group{0, {}};
    if (!meterGroups_.empty()) {
        group = std::move(meterGroups_.front());
        meterGroups_.pop_front();
    }
    std::vector<std::uint8_t> header;
    SimAppendLe(header, Tadc, 4);
    SimAppendLe(header, std::uint16_t(samples), 2);
    SimAppendLe(header, std::uint16_t(group.kind), 2);
    SimAppendLe(header, std::uint16_t(group.records.size()), 2);
    SimAppendLe(header, 0, 2);
    for (const SimMeterRecord &record : group.records) {
        SimAppendLe(header, record.Tcomm, 4);
        SimAppendLe(header, std::uint32_t(record.SGNcomm), 4);
        SimAppendLe(header, std::uint32_t(record.NSEcomm), 4);
        SimAppendLe(header, std::uint32_t(record.SNRcomm), 4);
        SimAppendLe(header, std::uint16_t(record.FRQcomm), 2);
        SimAppendLe(header, std::uint16_t(record.OVRcomm), 2);
    }
    Queue(FrameHeaderType, std::move(header));

    std::int16_t block[SamplesPerPacket];
    for (int at = 0; at < samples; at += SamplesPerPacket) {
        const int count = std::min(SamplesPerPacket, samples - at);
        signal_.Fill(block, std::size_t(count), firstSample + std::uint64_t(at));
        std::vector<std::uint8_t> payload;
        for (int i = 0; i < count; ++i)
            SimAppendLe(payload, std::uint16_t(block[i]), 2);
        Queue(SamplesType, std::move(payload));
    }
}
