#pragma once

#include <cstdint>
#include <deque>
#include <random>
#include <vector>

// Rate per batch of bytes (0 to 1) and how long a held batch waits.
struct SimDelayFaults {
    double rate = 0;
    std::uint32_t ms = 0;
};

// The instrument's bytes on their way to the host. Each batch handed in is held back with a seeded
// chance: a held batch, and everything behind it, arrives `ms` later. The order never changes.
class SimDelayLine {
public:
    SimDelayLine(std::uint32_t seed, SimDelayFaults faults) : random_(seed), faults_(faults) {}

    void Clear() { batches_.clear(); }

    void Push(std::uint32_t now, const std::vector<std::uint8_t> &bytes);
    // Moves every batch due by `now` to `out`.
    void Release(std::uint32_t now, std::deque<std::uint8_t> &out);

    std::uint32_t Delayed() const { return delayed_; }

private:
    struct Batch {
        std::uint32_t due;
        std::vector<std::uint8_t> bytes;
    };

    std::mt19937 random_;
    SimDelayFaults faults_;
    std::deque<Batch> batches_;
    std::uint32_t delayed_ = 0;
};
