#pragma once

#include <array>
#include <cstdint>

// One register chip on the instrument's I2C bus: byte registers behind a register pointer that an I2C
// write sets with its first byte and that every byte written or read advances. A register pointer at or
// past the chip's register count is refused (no acknowledge on that byte).
class SimRegisterChip {
public:
    static constexpr std::size_t RegisterCount = 128;

    explicit SimRegisterChip(std::uint8_t address) : address_(address) {}

    std::uint8_t Address() const { return address_; }

    // An I2C write of `size` bytes; false when a byte was not acknowledged (the bytes before it stay written).
    bool Write(const std::uint8_t *data, std::size_t size);
    // An I2C read of `count` bytes from the register pointer on; past the last register the chip sends 0xFF.
    void Read(std::uint8_t *out, std::size_t count);

    std::uint8_t Register(std::uint8_t index) const { return index < RegisterCount ? registers_[index] : 0xFF; }
    void SetRegister(std::uint8_t index, std::uint8_t value);
    void SetWord(std::uint8_t index, std::uint16_t value); // low byte first

private:
    std::uint8_t address_;
    std::array<std::uint8_t, RegisterCount> registers_{};
    std::size_t pointer_ = 0;
};

// The instrument's I2C bus: the main board's chip 0x5D, always there, and the BC board's chip 0x61, which
// answers only while the BC bus is selected (low GPIO bit 6 of channel A).
class SimRegisterChips {
public:
    static constexpr std::uint8_t MainBoard = 0x5D;
    static constexpr std::uint8_t BcBoard = 0x61;

    // Chips holding a healthy instrument's values: identifiers 6 and 7, supplies in their ranges, the
    // battery charged, running from the external supply, and the line drivers cool.
    SimRegisterChips();

    void SelectBc(bool selected) { bcSelected_ = selected; }
    bool BcSelected() const { return bcSelected_; }

    // The chip that acknowledges `address` now, or null.
    SimRegisterChip *Find(std::uint8_t address);
    // The chip at `address` whether or not it is reachable, or null when there is none.
    SimRegisterChip *Chip(std::uint8_t address);

private:
    SimRegisterChip main_{MainBoard};
    SimRegisterChip bc_{BcBoard};
    bool bcSelected_ = false;
};
