#pragma once

#include <cstdint>
#include <random>
#include <vector>

// Rates per byte of the faults one direction of the wire adds; each is a probability 0 to 1.
struct SimWireFaults {
    double corrupt = 0; // the byte arrives with one bit flipped
    double drop = 0;
    double duplicate = 0;
};

// One direction of the data channel with seeded, repeatable faults: the same seed and the same bytes
// give the same damage.
class SimWire {
public:
    explicit SimWire(std::uint32_t seed = 1) : random_(seed) {}

    void SetFaults(const SimWireFaults &faults) { faults_ = faults; }
    void Seed(std::uint32_t seed) { random_.seed(seed); }

    void Pass(const std::uint8_t *data, std::size_t size, std::vector<std::uint8_t> &out);

    std::uint32_t Corrupted() const { return corrupted_; }
    std::uint32_t Dropped() const { return dropped_; }
    std::uint32_t Duplicated() const { return duplicated_; }

private:
    bool Happens(double rate);

    SimWireFaults faults_;
    std::mt19937 random_;
    std::uint32_t corrupted_ = 0;
    std::uint32_t dropped_ = 0;
    std::uint32_t duplicated_ = 0;
};
