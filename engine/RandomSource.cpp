#include "engine/RandomSource.h"

namespace {

TSeededRandom ProgramRandom;
TRandomSource *CurrentRandom = &ProgramRandom;

} // namespace

void TRandomSource::Next15s(int32_t *values, int32_t count) {
    for (int32_t k = 0; k < count; ++k)
        values[k] = Next15();
}

int32_t TSeededRandom::Next31() {
    return Step();
}

// Four steps of the generator at once: x(k + 4) = A4·x(k) + C4, so that four independent chains of
// multiplications run side by side instead of one; the values and their order are those of Step.
void TSeededRandom::Next15s(int32_t *values, int32_t count) {
    constexpr uint64_t A4 = Multiplier * Multiplier * Multiplier * Multiplier;
    constexpr uint64_t C4 = Increment * (Multiplier * Multiplier * Multiplier + Multiplier * Multiplier + Multiplier + 1);
    int32_t k = 0;
    if (count >= 4) {
        uint64_t x[4];
        x[0] = State * Multiplier + Increment;
        for (int lane = 1; lane < 4; ++lane)
            x[lane] = x[lane - 1] * Multiplier + Increment;
        for (;; k += 4) {
            for (int lane = 0; lane < 4; ++lane)
                values[k + lane] = static_cast<int32_t>(x[lane] >> 33) >> 16;
            if (k + 8 > count)
                break;
            for (uint64_t &lane : x)
                lane = lane * A4 + C4;
        }
        State = x[3];
        k += 4;
    }
    for (; k < count; ++k)
        values[k] = Step() >> 16;
}

TRandomSource &EngineRandom() {
    return *CurrentRandom;
}

void SetEngineRandom(TRandomSource *source) {
    CurrentRandom = source ? source : &ProgramRandom;
}

void SeedEngineRandom(uint64_t seed) {
    ProgramRandom.Seed(seed);
}

int32_t RandomBelow(int32_t n) {
    return n > 0 ? EngineRandom().Next31() % n : 0;
}
