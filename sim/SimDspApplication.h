#pragma once

#include "sim/SimIdentification.h"
#include "sim/SimLinkPeer.h"
#include "sim/SimPacketChecker.h"
#include "sim/SimSignalSource.h"
#include "sim/SimSstRun.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

// How the instrument answers a message the program hands it for the analyser at the line's other end.
// The exchange between the two instruments is theirs alone: the simulated one reports its progress over
// the line and then the end, with the message identifier as the receipt code.
struct SimMessageReplies {
    bool answer = true;        // false: the end is never reported
    std::int16_t success = 1;  // the end's success word; 0: the peer did not take the message
    int progressSteps = 4;     // progress reports before the end
    std::uint32_t stepMs = 20; // line time of one step
};

// Carries a message the program handed its instrument to the analyser at the line's other end; while one
// is set, the instrument leaves the reports of the transmission to it.
using SimMessageCarrier = std::function<void(const SimMessage &message)>;

struct SimDspConfig {
    // Off, the DSP program only carries the link: it sends nothing of its own and the program's packets
    // wait in the link's ring until a test takes them.
    bool enabled = true;
    std::uint32_t bootMs = 10; // from the accepted download to the identification
    SimIdentity identity;
    std::int16_t powerFlags = 0x05; // external supply and battery present
    std::uint16_t syncCount = 0;
    double sampleRate = 25600;    // Hz until a mode packet chooses one; the ADC runs from the start of the DSP program
    int blockSize = 0;            // samples per frame; 0: no frames until the program sets a block size
    double sineAmplitude = 10000; // ADC codes
    double sineFrequency = 1000;  // Hz; the sine stands until the first generator packet
    SimMessageReplies messages;
    // The line's reflections of the pseudo-random sequence: none on the ideal flat path.
    std::vector<SimEcho> lineEchoes;
    // The selective program's line.
    SimSstConfig selective;
};

// One record of a meter frame (20 bytes on the wire).
struct SimMeterRecord {
    std::uint32_t Tcomm = 0;
    std::int32_t SGNcomm = 0;
    std::int32_t NSEcomm = 0;
    std::int32_t SNRcomm = 0;
    std::int16_t FRQcomm = 0;
    std::int16_t OVRcomm = 0;
};

// What the instrument's watch of the received signal reports for one merge interval of the watched kind
// (1 SIN, 2 NOISE, 3 MTTS), numbered from 0 since the watch was switched on; the record's time is set
// by the instrument.
using SimMeterEvents = std::function<SimMeterRecord(std::int16_t kind, std::uint32_t interval)>;

// The DSP program at packet level, above the instrument's end of the link. From its start it sends the
// identification (after bootMs), a power-status packet every second, and while a block size is set one
// frame of samples per block from the signal source; it takes every packet the program sends, checks it,
// keeps it for tests and acts on the mode's sample rate (2), the block size (5), the generator (6), the
// message to the other analyser (10, 11, and its abort 8), the selective stop (18 with run kind 0,
// answered by the end packet 14) and the disconnect (13). The selective program also measures the
// selective set-ups (18, 20, 19: SimSstRun) and sends their items in frames of kind 135. Times are in 1/1024 s
// since the start, as the instrument counts them.
//
// When the link cannot take a frame before the next block is complete, that block is lost, as the
// instrument's ADC does not wait; packets of other kinds queue up in order.
class SimDspApplication {
public:
    using Clock = std::function<std::uint32_t()>;

    SimDspApplication(SimDspConfig config, Clock clock);

    // The boot loader accepted the program: the selective one (SimSstProgram) or the ordinary one.
    void Start(bool selectiveProgram = false);
    // Takes what arrived, sends what is due, hands waiting packets to the link as far as it has room.
    void Service(SimLinkPeer &link);
    // The program said goodbye (packet 13): the DSP stops and drops its handshake lines.
    bool ShutDown() const { return shutDown_; }

    // Packets the program sent, oldest first; the oldest are dropped beyond 65536 kept.
    std::optional<SimPacket> TakeReceived(SimLinkPeer &link);
    const std::vector<SimPacketViolation> &Violations() const { return checker_.Violations(); }
    // The commands taken, in order, and what they set.
    const SimPacketChecker &Checker() const { return checker_; }
    // A write of the BC board's relay register, kept in order with the packets.
    void TakeRelayWrite(int value) { checker_.TakeRelayWrite(value); }
    void SetMessageReplies(SimMessageReplies replies) { config_.messages = replies; }
    void SetMessageCarrier(SimMessageCarrier carrier) { carrier_ = std::move(carrier); }
    // A message from the analyser at the other end arrives: the header {words in all, identifier, eight
    // zero words} and the body, in packets 8 and 9 of at most 256 bytes.
    void DeliverMessage(int id, const std::vector<std::uint8_t> &body);
    // The other end did not receive a message whole (packet 10).
    void ReportMessageInputError();
    // The end of this instrument's transmission {0, counter x 256 + identifier, success} (packet 11).
    void ReportMessageEnd(int counter, int id, std::int16_t success);
    // Takes effect with the next generator packet.
    void SetLineEchoes(std::vector<SimEcho> echoes) { config_.lineEchoes = std::move(echoes); }

    SimSignalSource &Signal() { return signal_; }
    bool SelectiveProgram() const { return selectiveProgram_; }
    // The selective program's measurement, for a test to look at the windows it measured.
    const SimSstRun &Selective() const { return selective_; }
    void SetBlockSize(int samples);
    void SetPower(std::int16_t flags, std::uint16_t syncCount);
    // Records ride in the next frame's header, or in a frame of their own while no block size is set; at
    // most 12 fit in one header.
    bool SendMeterRecords(std::int16_t kind, std::vector<SimMeterRecord> records);
    // While the program has the watch on (packet 7 with a kind and a merge count), one record per merge
    // interval of merge count x 1024 samples, from this source; none without a source.
    void SetMeterEvents(SimMeterEvents events) { meterEvents_ = std::move(events); }
    void SendBreak() { breakDue_ = true; }
    void StartSpeaker(std::int16_t brkIn);
    // The fault report (type 511) ends the DSP program's work: nothing is produced after it.
    void ReportFault(std::int16_t err, std::int16_t v);
    // A hung DSP program: nothing is sent, packets due meanwhile are not made up for; the link still
    // acknowledges.
    void SetSilent(bool silent) { silent_ = silent; }

private:
    std::uint32_t Elapsed() const { return std::uint32_t(clock_() - startMs_); }
    std::uint64_t SamplesBy(std::uint32_t elapsedMs) const;
    std::uint32_t SampleTime(std::uint64_t sample) const;
    void Handle(const SimPacket &packet);
    void Act(const SimCommand &command);
    void SetSampleRate(double hz);
    void ScheduleMessageReplies(std::uint32_t elapsed);
    void Produce(std::uint32_t elapsed);
    void ProduceFrame(std::uint32_t elapsed, bool send);
    void ProduceMeterRecords(std::uint32_t elapsed);
    void ProduceSelective(std::uint32_t elapsed);
    void SetMeterWatch(std::int16_t kind, std::int64_t mergeCount);
    void QueueFrame(std::uint32_t Tadc, std::uint64_t firstSample, int samples);
    void Queue(int type, std::vector<std::uint8_t> payload);
    bool IsFramePart(int type) const;

    struct MeterGroup {
        std::int16_t kind;
        std::vector<SimMeterRecord> records;
    };

    SimDspConfig config_;
    Clock clock_;
    SimSignalSource signal_;
    SimPacketChecker checker_;
    SimSstRun selective_{config_.selective};
    bool selectiveProgram_ = false;
    std::uint32_t startMs_ = 0;
    std::deque<SimPacket> outbox_;
    std::deque<SimPacket> received_;
    std::deque<MeterGroup> meterGroups_;
    SimMeterEvents meterEvents_;
    std::int16_t watchKind_ = 0;
    std::uint64_t watchSamples_ = 0; // samples per merge interval; 0 while the watch is off
    std::uint64_t nextWatchSample_ = 0;
    std::uint32_t watchInterval_ = 0;
    int framePartsWaiting_ = 0;
    bool identified_ = false;
    std::uint32_t nextPowerMs_ = 0;
    std::int16_t powerFlags_ = 0;
    std::uint16_t syncCount_ = 0;
    int blockSize_ = 0;
    std::uint64_t nextFrameSample_ = 0;
    // The ADC counts samples at sampleRate_ from sample rateSinceSample_, taken at rateSinceMs_.
    double sampleRate_ = 0;
    std::uint32_t rateSinceMs_ = 0;
    std::uint64_t rateSinceSample_ = 0;
    struct Reply {
        std::uint32_t dueMs;
        SimPacket packet;
    };
    SimMessageCarrier carrier_;
    std::deque<Reply> messageReplies_;
    bool breakDue_ = false;
    bool silent_ = false;
    bool halted_ = false;
    bool shutDown_ = false;
};
