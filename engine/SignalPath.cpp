#include "engine/SignalPath.h"

#include "engine/EngineMath.h"

#include <array>
#include <cstdlib>
#include <iterator>

namespace {

constexpr int32_t ListedMaxFrequencies[] = {4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096};
constexpr int32_t ListedCount = std::size(ListedMaxFrequencies);
constexpr int32_t FirstCoaxialListed = 5; // 128 kHz

constexpr float BalancedDelay[ListedCount] = {127.572197f, 158.146301f, 219.293594f, 341.587219f,
                                              586.173706f, 51.3452f,    51.9999f,    52.0807f,
                                              52.0304f,    45.0398f,    38.3308f};
// The coaxial path differs from the balanced one from 128 kHz on; below it the balanced delays serve
// the coaxial types too, for want of their own.
constexpr float CoaxialDelay[] = {51.3112f, 51.9443f, 52.0507f, 51.9695f, 44.9748f, 38.2221f};

bool Coaxial(int32_t connectionType) {
    return connectionType == 7 || connectionType == 8 || connectionType == 9;
}

// The listed maximum frequency nearest to M on a logarithmic scale (a ratio), so that a maximum
// frequency the table does not list takes the path of its nearest neighbour.
int32_t ListedIndex(int32_t maxFrequency) {
    int32_t best = 0;
    for (int32_t i = 1; i < ListedCount; ++i) {
        const int32_t f = ListedMaxFrequencies[i];
        // maxFrequency lies nearer to f than to the one below it when maxFrequency² > f · f/2.
        if (static_cast<int64_t>(maxFrequency) * maxFrequency * 2 > static_cast<int64_t>(f) * f)
            best = i;
    }
    return best;
}

// The phase corrections are known only by their end rows at the lowest and the highest maximum
// frequency: each table runs linearly from its first to its last frequency, and its two end values
// run linearly over the index of the maximum frequency between those of the two known tables. Below
// 128 kHz the tables start at 0.005 M, from 128 kHz on at 0.0048828 M; all end at 0.996 M.
constexpr float LowTableStart = 0.005f;
constexpr float HighTableStart = 0.0048828125f;
constexpr float TableEnd = 0.996f;
constexpr float FirstRowAtLowest = 0.1585f, LastRowAtLowest = -0.0025f;
constexpr float FirstRowAtHighest = 0.0f, LastRowAtHighest = -0.2282f;

constexpr std::array<uint8_t, 64> InvertedHarmonicBits = {
    33,  39,  138, 132, 34,  194, 206, 117, 184, 3,   161, 43,  173, 145, 208, 123, 242, 78,  85,  127, 114, 22,
    219, 36,  133, 2,   113, 53,  107, 250, 81,  192, 17,  113, 69,  100, 234, 195, 192, 249, 186, 177, 85,  99,
    29,  239, 17,  72,  72,  230, 102, 201, 242, 107, 12,  243, 28,  173, 15,  10,  122, 0,   192, 15};

} // namespace

float SignalPathDelay(int32_t maxFrequency, int32_t connectionType) {
    const int32_t i = ListedIndex(maxFrequency);
    return Coaxial(connectionType) && i >= FirstCoaxialListed ? CoaxialDelay[i - FirstCoaxialListed] : BalancedDelay[i];
}

float PhaseCorrection(int32_t maxFrequency, int32_t connectionType, float f) {
    const int32_t i = ListedIndex(maxFrequency);
    if (Coaxial(connectionType) && i >= FirstCoaxialListed)
        return 0;
    const float m = static_cast<float>(ListedMaxFrequencies[i]);
    const float w = static_cast<float>(i) / (ListedCount - 1);
    const float xs[2] = {(i < FirstCoaxialListed ? LowTableStart : HighTableStart) * m, TableEnd * m};
    const float ys[2] = {FirstRowAtLowest + (FirstRowAtHighest - FirstRowAtLowest) * w,
                         LastRowAtLowest + (LastRowAtHighest - LastRowAtLowest) * w};
    return InterpolateTable(f, 2, xs, ys);
}

bool MttsLineInverted(int32_t n) {
    if (n < 0 || n >= 8 * static_cast<int32_t>(InvertedHarmonicBits.size()))
        return false;
    return (InvertedHarmonicBits[n / 8] >> (7 - n % 8)) & 1;
}

float MttsLinePhase(int32_t n) {
    return MttsLineInverted(n) ? 3.1415927f : 0.0f;
}
