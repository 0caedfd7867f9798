#include "EngineTestSettings.h"

#include "engine/BlockProcessing.h"
#include "engine/SpectrumAveraging.h"
#include "engine/catalogue/ParamCatalogue.h"

#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>

namespace {
bool CountAllocations = false;
int AllocationCount = 0;
} // namespace

// Counts the heap allocations of this test program while CountAllocations is set.
void *operator new(std::size_t size) {
    if (CountAllocations)
        ++AllocationCount;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}

namespace {

class NoAllocation : public EngineTest {};

// Every kind of block, at the smallest and the largest block size, after one block of each has
// built the engine's tables.
TEST_F(NoAllocation, BlocksAllocateNothing) {
    BuildParamCatalogue();
    Settings.AveragingInterval = 10;
    Settings.Lmin = -60;
    Settings.MinSnr = 5;
    for (int32_t n : {2048, 32768}) {
        Settings.AdcSize = n;
        Settings.SpectrumStep = 2560.0f / n;
        Settings.PresentationStep = 2560.0f / n;
        const double tones[][2] = {{100, 0}, {100, 140}, {100, 105}, {0, 0}};
        for (int pass = 0; pass < 2; ++pass) {
            CountAllocations = pass == 1;
            for (const auto &t : tones) {
                for (int32_t i = 0; i < n; ++i) {
                    const double x = (i * 7919 % 61) - 30 +
                                     (t[0] > 0 ? 8000 * std::cos(2 * std::numbers::pi * t[0] * n / 2048 * i / n) : 0) +
                                     (t[1] > 0 ? 8000 * std::cos(2 * std::numbers::pi * t[1] * n / 2048 * i / n) : 0);
                    EngineBuffers.AdcSampleBuffer[i] = static_cast<int16_t>(std::lround(x));
                }
                for (int block = 0; block < 3; ++block) {
                    NowStamp += 0.05 / 86400;
                    ProcessBlock();
                }
            }
            CountAllocations = false;
        }
        EXPECT_EQ(AllocationCount, 0) << "block size " << n;
    }
}

} // namespace
