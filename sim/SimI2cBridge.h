#pragma once

#include "sim/SimRegisterChips.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

// A status the bridge reports instead of a transaction's own. With `reads` 0 the transaction ends with
// `status`; otherwise the status register answers `status` that many times before the transaction's own
// (a bus that stays busy for a while).
struct SimForcedStatus {
    std::uint8_t status = 0;
    std::uint32_t reads = 0;
};

struct SimBridgeFaults {
    bool stuckInt = false;                // INT never falls
    std::deque<SimForcedStatus> statuses; // taken one per I2C transaction, in order
    int rxCountSkew = 0;                  // added to the byte count of register 6 (clamped to 0..255)
};

// One I2C transaction as the bridge carried it out, for tests to check.
struct SimI2cTransfer {
    std::uint8_t address = 0;
    bool read = false;
    std::vector<std::uint8_t> bytes; // written, or read from the chip
    std::uint8_t status = 0;         // the transaction's own status, before any forced one
};

// The SPI-to-I2C bridge on channel A. While selected (chip select low, reset released) it takes SPI
// bits MSB first; the first byte of a selection is the command, and the command runs when the selection
// ends:
//   0x20 reg value        write an internal register
//   0x21 reg dummy        read an internal register: the value comes out from the fourth byte on
//   0x00 n addr*2 bytes   I2C write of n bytes
//   0x01 n addr*2+1       I2C read of n bytes into the buffer
//   0x06 dummy            the buffer comes out from the third byte on
// Internal registers: 2 I2C clock, 3 I2C time-out, 4 status (high nibble 0xF, low nibble 0 done,
// 1 address not acknowledged, 2 data not acknowledged, 3 busy), 6 bytes in the buffer. INT goes high
// when an I2C transaction starts and low when it has finished, `i2cMs` later.
class SimI2cBridge {
public:
    using Clock = std::function<std::uint32_t()>;
    static constexpr std::size_t BufferSize = 96;

    SimI2cBridge(SimRegisterChips &bus, Clock clock) : bus_(bus), clock_(std::move(clock)) {}

    void SetFaults(SimBridgeFaults faults) { faults_ = std::move(faults); }
    void SetI2cMs(std::uint32_t ms) { i2cMs_ = ms; }

    // The reset line (active low) and chip select (active low) as the GPIO lines drive them.
    void SetLines(bool reset, bool chipSelect);
    // Clocks `bits` bits (1 to 8): the top `bits` bits of `mosi` go in; the bits coming out are returned
    // in the low bits, first one highest. A bridge that is not selected leaves its output high.
    std::uint8_t Shift(std::uint8_t mosi, int bits);
    // The INT line: false (low) once an I2C transaction has finished.
    bool IntHigh();

    std::uint8_t InternalRegister(std::uint8_t index) const { return registers_[index & 0x0F]; }
    const std::vector<SimI2cTransfer> &Transfers() const { return transfers_; }

private:
    void Reset();
    void EndSelection();
    void StartI2c(std::uint8_t addressByte, std::uint8_t count, const std::uint8_t *data, bool read);
    void Settle();
    std::uint8_t OutputAt(std::size_t position);
    std::uint8_t ReadRegister(std::uint8_t index);

    SimRegisterChips &bus_;
    Clock clock_;
    SimBridgeFaults faults_;
    std::uint32_t i2cMs_ = 1;

    bool inReset_ = true;
    bool selected_ = false;
    std::vector<std::uint8_t> received_; // bytes of the current selection
    std::uint8_t inByte_ = 0, outByte_ = 0;
    int bitCount_ = 0;

    std::uint8_t registers_[16] = {};
    std::uint8_t buffer_[BufferSize] = {};
    std::uint8_t bufferCount_ = 0;
    bool running_ = false; // an I2C transaction has not finished yet
    std::uint32_t started_ = 0;
    bool intHigh_ = true;
    std::uint8_t result_ = 0;
    SimForcedStatus forced_;
    std::vector<SimI2cTransfer> transfers_;
};
