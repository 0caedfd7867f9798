#pragma once

#include <cstdint>

// The engine's random numbers: one generator gives 31-bit values and, from their top bits, the 15-bit
// values 0 .. 32767 that the spectrum floor expects (the C library's rand() has a wider range on
// Linux). Tests seed it, or put their own source in its place, to make results reproducible.
class TRandomSource {
public:
    virtual ~TRandomSource() = default;
    virtual int32_t Next31() = 0; // 0 .. 2^31 - 1
    int32_t Next15() { return Next31() >> 16; }
    // count values of Next15 in a row: the spectrum floor draws a few dozen per peak.
    virtual void Next15s(int32_t *values, int32_t count);
};

// A 64-bit linear congruential generator; the same seed gives the same sequence on every machine.
class TSeededRandom final : public TRandomSource {
public:
    explicit TSeededRandom(uint64_t seed = 1) : State(seed) {}
    void Seed(uint64_t seed) { State = seed; }
    int32_t Next31() override;
    void Next15s(int32_t *values, int32_t count) override;

private:
    static constexpr uint64_t Multiplier = 6364136223846793005ULL;
    static constexpr uint64_t Increment = 1442695040888963407ULL;
    int32_t Step() {
        State = State * Multiplier + Increment;
        return static_cast<int32_t>(State >> 33);
    }

    uint64_t State;
};

// The source the engine draws from: the program's own seeded generator unless a test set another.
TRandomSource &EngineRandom();
// nullptr puts the program's own generator back.
void SetEngineRandom(TRandomSource *source);
void SeedEngineRandom(uint64_t seed);

// A 31-bit random value modulo n; 0 when n <= 0.
int32_t RandomBelow(int32_t n);
