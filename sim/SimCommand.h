#pragma once

#include "sim/SimLinkPeer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Not a packet type (those end at 511): a write of the BC board's relay register (chip 0x61, register 40)
// over the register channel, kept in the same order as the packets.
inline constexpr int SimRelayRegisterWrite = 1000;

// The shape of one packet type the program sends: the payload length in bytes lies in [min, max] and is
// a multiple of unit.
struct SimLayout {
    int type;
    const char *name;
    int min, max, unit;
};
// The layout of a packet type, or null for a type the program never sends.
const SimLayout *SimFindLayout(int type);
bool SimFitsLayout(const SimLayout &layout, std::size_t length);

struct SimField {
    std::string name;
    std::int64_t value;
};

// One command the instrument took, with the fields of its packet layout decoded in wire order.
struct SimCommand {
    int type = 0;
    std::string name;
    std::vector<SimField> fields;
    std::vector<std::uint8_t> payload;

    std::optional<std::int64_t> Find(std::string_view field) const;
    // The field's value; a name the command does not carry throws std::out_of_range, so that a test
    // asking for the wrong field fails instead of reading 0.
    std::int64_t Field(std::string_view field) const;
    // Short form for order checks: "relays", "2", "5(4096)", "6 sin", "18", ...
    std::string Label() const;
};

// Decodes a packet whose length fits its type's layout.
SimCommand SimDecodeCommand(const SimPacket &packet);
SimCommand SimRelayCommand(int value);
