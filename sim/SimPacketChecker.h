#pragma once

#include "sim/SimCommand.h"
#include "sim/SimCommandState.h"
#include "sim/SimLinkPeer.h"

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

struct SimPacketViolation {
    std::size_t index = 0; // of the packet among those checked since the last reset, from 0
    int type = 0;
    std::string what;
};

// Checks every packet the program sends to the DSP against the packet layouts: the known types, their
// lengths, the ranges of their fields and their relations, and the order of multi-packet items (a message
// header and its body, a selective-mode set-up with its levels and entries, nothing after the disconnect
// packet). Violations are collected for tests to assert empty; the well-formed commands are kept in the
// order taken, decoded, together with the writes of the BC board's relay register.
class SimPacketChecker {
public:
    void Reset();
    // False when the packet does not fit its type's layout (it is then neither decoded nor logged); a
    // packet that fits is logged even when a field is out of range.
    bool Check(const SimPacket &packet);
    // A write of the BC board's relay register, which travels over the register channel.
    void TakeRelayWrite(int value);
    const std::vector<SimPacketViolation> &Violations() const { return violations_; }
    // At most the newest 65536 commands are kept.
    const std::deque<SimCommand> &Log() const { return log_; }
    // The instrument's settings as the well-formed commands so far left them.
    const SimCommandState &Commands() const { return commands_; }

private:
    struct FieldCheck {
        int type;
        void (SimPacketChecker::*fields)(const SimCommand &command);
    };
    static const FieldCheck FieldChecks[];

    void Flag(std::string what);
    void Keep(const SimCommand &command);
    void MessageBody(const SimCommand &command);
    void SelectiveLevels(const SimCommand &command);
    void SelectiveEntries(const SimCommand &command);
    void Mode(const SimCommand &command);
    void Relay(const SimCommand &command);
    void BlockSize(const SimCommand &command);
    void Generator(const SimCommand &command);
    void Meter(const SimCommand &command);
    void MessageMode(const SimCommand &command);
    void MessageHeader(const SimCommand &command);
    void SyncMeter(const SimCommand &command);
    void SelectiveSetup(const SimCommand &command);

    std::vector<SimPacketViolation> violations_;
    SimCommandState commands_;
    std::deque<SimCommand> log_;
    std::size_t index_ = 0;
    int type_ = 0;
    bool disconnected_ = false;
    int messageWordsDue_ = 0;
    int sstCount_ = 0;
    int sstLevelsDue_ = 0;
    int sstEntriesDue_ = 0;
};
