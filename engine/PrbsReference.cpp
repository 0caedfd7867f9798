#include "engine/PrbsReference.h"

#include "engine/EngineBuffers.h"

#include <array>
#include <new>

namespace {
constexpr int ChipCount = PrbsReferenceLength / 2;
}

bool BuildPrbsReference() {
    std::array<int8_t, PrbsReferenceLength> samples{};
    std::array<uint8_t, 11> stage{}; // stage[1..10]
    stage.fill(1);
    for (int chip = 0; chip < ChipCount; ++chip) {
        const uint8_t feedback = stage[7] ^ stage[10];
        for (int i = 10; i >= 2; --i)
            stage[i] = stage[i - 1];
        stage[1] = feedback;
        samples[2 * chip] = samples[2 * chip + 1] = feedback ? 1 : -1;
    }

    TEngineBuffers &b = EngineBuffers;
    delete[] b.PrbsPositiveIndexes;
    delete[] b.PrbsNegativeIndexes;
    b.PrbsPositiveIndexes = new (std::nothrow) int16_t[PrbsReferenceLength];
    b.PrbsNegativeIndexes = new (std::nothrow) int16_t[PrbsReferenceLength];
    b.PrbsPositiveCount = b.PrbsNegativeCount = 0;
    if (!b.PrbsPositiveIndexes || !b.PrbsNegativeIndexes)
        return false;
    for (int i = 0; i < PrbsReferenceLength; ++i) {
        const int difference = samples[i] - samples[(i + ChipCount) % PrbsReferenceLength];
        if (difference > 0)
            b.PrbsPositiveIndexes[b.PrbsPositiveCount++] = static_cast<int16_t>(i);
        else if (difference < 0)
            b.PrbsNegativeIndexes[b.PrbsNegativeCount++] = static_cast<int16_t>(i);
    }
    return true;
}
