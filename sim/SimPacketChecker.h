#pragma once

#include "sim/SimCommandState.h"
#include "sim/SimLinkPeer.h"

#include <cstddef>
#include <string>
#include <vector>

struct SimPacketViolation {
    std::size_t index = 0; // of the packet among those checked since the last reset, from 0
    int type = 0;
    std::string what;
};

// Checks every packet the program sends to the DSP against the packet layouts: the known types, their
// lengths, the ranges of their fields, and the order of multi-packet items (a message header and its
// body, a selective-mode set-up with its levels and entries, nothing after the disconnect packet).
// Violations are collected for tests to assert empty.
class SimPacketChecker {
public:
    void Reset();
    void Check(const SimPacket &packet);
    const std::vector<SimPacketViolation> &Violations() const { return violations_; }
    // The instrument's settings as the well-formed command packets so far left them.
    const SimCommandState &Commands() const { return commands_; }

private:
    using Payload = std::vector<std::uint8_t>;

    // Shape of one packet type: the payload length in bytes lies in [min, max] and is a multiple of unit.
    struct Layout {
        int type;
        const char *name;
        int min, max, unit;
        void (SimPacketChecker::*fields)(const Payload &payload);
    };
    static const Layout Layouts[];

    void Flag(std::string what);
    void MessageBody(const Payload &payload);
    void SelectiveLevels(const Payload &payload);
    void SelectiveEntries(const Payload &payload);
    void Mode(const Payload &payload);
    void Relay(const Payload &payload);
    void BlockSize(const Payload &payload);
    void Generator(const Payload &payload);
    void Meter(const Payload &payload);
    void MessageMode(const Payload &payload);
    void MessageHeader(const Payload &payload);
    void SyncMeter(const Payload &payload);
    void SelectiveSetup(const Payload &payload);

    std::vector<SimPacketViolation> violations_;
    SimCommandState commands_;
    std::size_t index_ = 0;
    int type_ = 0;
    bool disconnected_ = false;
    int messageWordsDue_ = 0;
    int sstCount_ = 0;
    int sstLevelsDue_ = 0;
    int sstEntriesDue_ = 0;
};
