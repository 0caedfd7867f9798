#pragma once

#include "link/DspPackets.h"

#include <QString>

#include <cstdint>

// What the command units share: handing payloads to the packet layer and reporting a refusal.

// The DSP packet types the commands send themselves; the packet layer builds the others.
enum CommandPacket : std::uint32_t {
    ModePacket = 2,
    GeneratorPacket = 6,
    MeterPacket = 7,
    MessageModePacket = 9,
    SyncMeterPacket = 17,
};

// The BC board's relay register (chip 0x61); bit 1 switches the generator's attenuator in.
inline constexpr int RelayRegister = 40;
inline constexpr int AttenuatorBit = 0x02;
// How long a relay takes to settle after a register write.
inline constexpr std::uint32_t RegisterSettleMs = 100;

// Connection types whose generator output runs through the BC board.
bool BcGeneratorPath(std::int32_t type);

// No instrument: the emulator stands in for it.
bool DemoMode();
bool SendWords(const PacketWords &words, std::uint32_t type);
// Shows the plain message box of a refused command; always false, so that a command can return it.
bool CommandRefused(const QString &text);
QString NotIssued(const char *name);
// The failure text of the block-size and SYNC commands, which carry the pending mask.
QString NotIssuedWithMode(const char *what);

// x + 0.5 truncated toward zero, as the instrument's codes are rounded.
std::int64_t RoundCode(double x);
// A frequency as the 32-bit phase step of the generator's accumulator (wrapping past the sample rate).
std::uint32_t PhaseStepOf(double frequency, double sampleRate);
