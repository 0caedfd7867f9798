#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// What the command units share: building little-endian payloads, handing them to the packet layer and
// reporting a refusal.

class PacketWords {
public:
    PacketWords &Word(std::int32_t value);
    PacketWords &Long(std::uint32_t value);
    const std::vector<std::uint8_t> &Bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

// The DSP packet types the commands send.
enum CommandPacket : std::uint32_t {
    ModePacket = 2,
    RelayPacket = 4,
    BlockSizePacket = 5,
    GeneratorPacket = 6,
    MeterPacket = 7,
    MessageModePacket = 9,
    SyncMeterPacket = 17,
    SstSetupPacket = 18,
    SstEntriesPacket = 19,
    SstLevelsPacket = 20,
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

// Sends the block size and the SYNC words; refused unless n is 0 or 1024 to 32768 (32768 travels as
// the 16-bit word 0x8000).
bool SetAdcSizeSync(std::int32_t n, std::int16_t mode, std::int16_t edge, std::int16_t delay);
