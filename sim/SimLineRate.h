#pragma once

#include <cstdint>
#include <deque>
#include <vector>

// One direction of a serial line at its baud rate: bytes handed in leave one after the other, each taking
// the time of its start, data, parity and stop bits; a line that was idle does not send faster to make up
// for it. Times are in microseconds of any steady clock.
class SimLineRate {
public:
    SimLineRate(std::uint32_t baud = 921600, std::uint32_t bitsPerByte = 10) { Set(baud, bitsPerByte); }

    void Set(std::uint32_t baud, std::uint32_t bitsPerByte);
    void Push(std::uint64_t nowUs, const std::uint8_t *data, std::size_t size);
    // Moves every byte that has arrived by `nowUs` to `out`.
    void Release(std::uint64_t nowUs, std::vector<std::uint8_t> &out);
    std::size_t Pending() const { return bytes_.size(); }
    void Clear();

private:
    struct Byte {
        double dueUs;
        std::uint8_t value;
    };
    double byteUs_ = 0;
    double freeAtUs_ = 0; // the line is busy until then
    std::deque<Byte> bytes_;
};
