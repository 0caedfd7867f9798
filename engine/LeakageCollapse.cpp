#include "engine/LeakageCollapse.h"

#include "engine/EngineBuffers.h"
#include "engine/EngineMath.h"
#include "engine/RandomSource.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr int32_t Offsets = 32;   // tone offsets d = j/62 from the peak, j = 0 .. 31
constexpr int32_t Distances = 42; // neighbours drained on each side of a peak

// Per offset: the neighbour power ratio, and per distance k the power of bin k + 1 on the side the
// tone leans to (Near, k + 1 - d away) and on the other side (Far, k + 1 + d away), relative to the peak.
// Near and Far are held offset by offset, so that one peak's interpolation runs over contiguous rows.
struct TLeakageTables {
    std::array<float, Offsets> Ratio;
    std::array<std::array<float, Distances>, Offsets> Near;
    std::array<std::array<float, Distances>, Offsets> Far;
};

// Magnitude response of the Hann window d bins from a tone.
double HannResponse(double d) {
    d = std::fabs(d);
    if (d == 0)
        return 1;
    if (d == 1)
        return 0.5;
    if (d == std::floor(d))
        return 0;
    return std::fabs(std::sin(std::numbers::pi * d) / (std::numbers::pi * d)) / std::fabs(1 - d * d);
}

const TLeakageTables &LeakageTables() {
    static const TLeakageTables tables = [] {
        TLeakageTables t{};
        for (int32_t j = 0; j < Offsets; ++j) {
            const double d = j / 62.0;
            const double centre = HannResponse(d);
            const auto relative = [&](double distance) {
                const double r = HannResponse(distance) / centre;
                return static_cast<float>(r * r);
            };
            t.Ratio[j] = relative(1 - d);
            for (int32_t k = 0; k < Distances; ++k) {
                t.Near[j][k] = relative(k + 1 - d);
                t.Far[j][k] = relative(k + 1 + d);
            }
        }
        return t;
    }();
    return tables;
}

// The first k with xs[k] >= x in the strictly ascending Ratio table, as FindTableSegment finds it, by
// halving instead of walking: a peak's ratio lies in (0, 1], so every peak of a noisy block searches.
TTableSegment RatioSegment(float x, const std::array<float, Offsets> &xs) {
    if (!(x > xs[0]))
        return {0, 0, 0}; // also a ratio that is not a number
    if (x > xs[Offsets - 1])
        return {Offsets - 1, Offsets - 1, 0};
    // xs[i - 1] < x <= xs[i] with 0 < i < Offsets: the largest i - 1 whose entry lies below x.
    int32_t below = 0;
    for (int32_t step = Offsets / 2; step > 0; step /= 2)
        if (xs[below + step] < x)
            below += step;
    const int32_t i = below + 1;
    const float d = xs[i] - xs[i - 1];
    return {i - 1, i, d > 0 ? (x - xs[i - 1]) / d : 0.5f};
}

// Row `rows` interpolated at the segment for distances 0 .. count - 1, times the peak: the leakage
// each neighbour holds. The tables hold no NoValue, so the plain interpolation is the table's value.
void LeakAt(const TTableSegment &segment, const std::array<std::array<float, Distances>, Offsets> &rows,
            float peak, int32_t count, float *leak) {
    const float *low = rows[segment.Lower].data();
    const float *high = rows[segment.Upper].data();
    const float position = segment.Position;
    for (int32_t k = 0; k < count; ++k)
        leak[k] = (segment.Lower == segment.Upper ? low[k] : low[k] + (high[k] - low[k]) * position) * peak;
}

// Bin i of A is a peak whose two neighbours on each side fall away from it.
bool PeakAt(const float *A, int32_t i, int32_t h) {
    if (!(A[i] > A[i + 1] && A[i] > A[i - 1]))
        return false;
    return i + 2 >= h || (A[i + 1] > A[i + 2] && (i - 2 < 0 || A[i - 1] > A[i - 2]));
}

// The bins 1 .. h - 3 of A that are peaks, ascending, into peaks; returns their count. Worked out
// for every bin without a branch, since whether a bin of noise is a peak cannot be predicted.
int32_t FindPeaks(const float *A, int32_t h, int32_t *peaks) {
    int32_t count = 0;
    if (h >= 4 && PeakAt(A, 1, h))
        peaks[count++] = 1;
    // From bin 2 on both outer neighbours exist, and below h - 2 so does the right one's neighbour.
    for (int32_t i = 2; i <= h - 3; ++i) {
        peaks[count] = i;
        count += (A[i] > A[i + 1]) & (A[i] > A[i - 1]) & (A[i + 1] > A[i + 2]) & (A[i - 1] > A[i - 2]);
    }
    return count;
}

float FloorFactor(int32_t random15) {
    const float y = 0.316f + 0.684f * static_cast<float>(random15) / 32767.0f;
    return y * y * y * y;
}

// Takes leak[k] (at most down to floors[k]) out of bin k of bins, count bins; leak[k] becomes what
// was taken.
void Drain(float *bins, const float *floors, float *leak, int32_t count) {
    for (int32_t k = 0; k < count; ++k) {
        const float room = bins[k] - floors[k];
        leak[k] = room < leak[k] ? room : leak[k];
        bins[k] -= leak[k];
    }
}

// The same for the bins below a peak, nearest first: bin k lies at below[-k].
void DrainDown(float *below, const float *floors, float *leak, int32_t count) {
    for (int32_t k = 0; k < count; ++k) {
        const float room = below[-k] - floors[k];
        leak[k] = room < leak[k] ? room : leak[k];
        below[-k] -= leak[k];
    }
}

// Response of input range 3 below 7.66 kHz, dB, relative to its flat part (-17.9532 dB).
constexpr std::array<float, 41> LowRangeFrequency = {
    0.0195f, 0.0391f, 0.0586f, 0.0781f, 0.0977f, 0.1172f, 0.1367f, 0.1563f, 0.1758f, 0.1953f, 0.2148f,
    0.2344f, 0.2539f, 0.2734f, 0.293f,  0.3125f, 0.3516f, 0.4297f, 0.5078f, 0.5859f, 0.6641f, 0.7422f,
    0.8203f, 0.8984f, 0.9766f, 1.0547f, 1.1328f, 1.2109f, 1.5625f, 2.0703f, 2.5781f, 3.0859f, 3.5938f,
    4.1016f, 4.6094f, 5.1172f, 5.625f,  6.1328f, 6.6406f, 7.1484f, 7.6563f};
constexpr std::array<float, 41> LowRangeDb = {
    1.3638f,   0,         -1.5096f,  -2.9675f,  -4.2863f,  -5.4708f,  -6.4983f,  -7.4208f,  -8.2428f,
    -8.9734f,  -9.6257f,  -10.2129f, -10.7561f, -11.2339f, -11.6781f, -12.082f,  -12.7855f, -13.8872f,
    -14.6805f, -15.2773f, -15.7383f, -16.0918f, -16.3736f, -16.5921f, -16.7713f, -16.9144f, -17.0422f,
    -17.1402f, -17.4538f, -17.6598f, -17.7653f, -17.8286f, -17.8652f, -17.8847f, -17.8984f, -17.9127f,
    -17.925f,  -17.9383f, -17.9405f, -17.9499f, -17.9532f};
constexpr float LowRangeTop = 7.6563f;
constexpr float LowRangeFlat = 17.9532f;
constexpr int32_t LowestInputRange = 3;

} // namespace

bool IsLocalPeak(int32_t i, int32_t h) {
    return PeakAt(EngineBuffers.AveragedPower, i, h);
}

float RandomFloorFactor() {
    return FloorFactor(EngineRandom().Next15());
}

int32_t CollapseLeakage(int32_t n) {
    TEngineBuffers &b = EngineBuffers;
    const TDeviceSettings &s = *DeviceSettings;
    const TLeakageTables &tables = LeakageTables();
    float *P = b.PowerSpectrum;
    const float *A = b.AveragedPower;
    const int32_t h = std::min(n, MaxBlockSize) / 2;
    const float perBin = b.SampleGain * 1024.0f / s.AdcSize;
    const float floor = 10000.0f * perBin * perBin * std::sqrt(s.SampleRate * 0.000390625f);
    const bool lowRange = s.MaxLevelIndex == LowestInputRange;
    TRandomSource &random = EngineRandom();

    // One peak's neighbours: the right side's Distances bins, then the left side's, in the order
    // the floor's random values are drawn. What each gives up is worked out bin by bin first; only
    // its sum, in that order, has to wait for the one before.
    std::array<float, 2 * Distances> leak;
    std::array<float, 2 * Distances> floors;
    std::array<int32_t, 2 * Distances> draws;
    static std::array<int32_t, MaxBlockSize / 2> peaks;
    const int32_t peakCount = FindPeaks(A, h, peaks.data());
    for (int32_t p = 0; p < peakCount; ++p) {
        const int32_t i = peaks[p];
        const bool leansRight = A[i + 1] > A[i - 1];
        const float ratio = (leansRight ? A[i + 1] : A[i - 1]) / A[i];
        const TTableSegment segment = RatioSegment(ratio, tables.Ratio);
        const float peak = P[i];
        const int32_t right = std::min(Distances, h - 1 - i);
        const int32_t left = std::min(Distances, i);
        const int32_t drained = right + left;
        LeakAt(segment, leansRight ? tables.Near : tables.Far, peak, right, leak.data());
        LeakAt(segment, leansRight ? tables.Far : tables.Near, peak, left, leak.data() + right);
        random.Next15s(draws.data(), drained);
        for (int32_t k = 0; k < drained; ++k)
            floors[k] = floor * FloorFactor(draws[k]);
        Drain(P + i + 1, floors.data(), leak.data(), right);
        DrainDown(P + i - 1, floors.data() + right, leak.data() + right, left);
        float sum = 0;
        for (int32_t k = 0; k < drained; ++k)
            sum += leak[k];
        P[i] += sum;
        if (P[i] < 0)
            P[i] = 0;
        if (lowRange && b.FrequencyAxis[i] <= LowRangeTop) {
            const float dB = InterpolateTable(b.FrequencyAxis[i], LowRangeFrequency.size(), LowRangeFrequency.data(),
                                              LowRangeDb.data());
            P[i] *= std::pow(10.0f, 0.1f * (dB + LowRangeFlat));
        }
        P[i] = std::max(P[i], floors[drained - 1]);
    }
    return h - 2;
}
