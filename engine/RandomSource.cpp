#include "engine/RandomSource.h"

namespace {

TSeededRandom ProgramRandom;
TRandomSource *CurrentRandom = &ProgramRandom;

} // namespace

int32_t TSeededRandom::Next31() {
    State = State * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int32_t>(State >> 33);
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
