#include "selective/SstScanLeakage.h"

#include "engine/EngineMath.h"
#include "engine/RandomSource.h"
#include "selective/SstItemMath.h"
#include "selective/SstPeak.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// The response of the smallest input range below 7.6563 kHz (dB), against its value -17.9532 dB above it.
constexpr float LowFrequencyKHz[] = {
    0.0195f, 0.0391f, 0.0586f, 0.0781f, 0.0977f, 0.1172f, 0.1367f, 0.1563f, 0.1758f, 0.1953f, 0.2148f,
    0.2344f, 0.2539f, 0.2734f, 0.293f,  0.3125f, 0.3516f, 0.4297f, 0.5078f, 0.5859f, 0.6641f, 0.7422f,
    0.8203f, 0.8984f, 0.9766f, 1.0547f, 1.1328f, 1.2109f, 1.5625f, 2.0703f, 2.5781f, 3.0859f, 3.5938f,
    4.1016f, 4.6094f, 5.1172f, 5.625f,  6.1328f, 6.6406f, 7.1484f, 7.6563f};
constexpr float LowFrequencyDb[] = {
    1.3638f,   0.0f,      -1.5096f,  -2.9675f,  -4.2863f,  -5.4708f,  -6.4983f,  -7.4208f,  -8.2428f,
    -8.9734f,  -9.6257f,  -10.2129f, -10.7561f, -11.2339f, -11.6781f, -12.082f,  -12.7855f, -13.8872f,
    -14.6805f, -15.2773f, -15.7383f, -16.0918f, -16.3736f, -16.5921f, -16.7713f, -16.9144f, -17.0422f,
    -17.1402f, -17.4538f, -17.6598f, -17.7653f, -17.8286f, -17.8652f, -17.8847f, -17.8984f, -17.9127f,
    -17.925f,  -17.9383f, -17.9405f, -17.9499f, -17.9532f};
static_assert(std::size(LowFrequencyKHz) == 41 && std::size(LowFrequencyDb) == 41);
constexpr float LowFrequencyReference = -17.9532f;
constexpr float LowFrequencyTop = 7.6563f;
constexpr int32_t ReachTwice = 2 * LeakageReach;

} // namespace

void TScanLeakage::Reset(int32_t n) {
    n_ = std::max(n, 0);
    const std::size_t size = std::size_t(n_);
    peak_.assign(size, 0);
    strongRight_.assign(size, 0);
    scale_.assign(size, 0);
    gain_.assign(size, 0);
    correction_.assign(size, 1);
    strong_.assign(size * LeakageReach, 0);
    other_.assign(size * LeakageReach, 0);
    pre_.assign(size, 0);
    out_.assign(size, 0);
    noise_.resize(size);
    TRandomSource &random = EngineRandom();
    for (float &r : noise_)
        r = float(random.Next15()) / 32767.0f;
    ChangedFirst = 0;
    ChangedLast = -1;
}

float TScanLeakage::Loss(int32_t l, int32_t distance, bool rightward) const {
    const std::vector<float> &rows = rightward == bool(strongRight_[std::size_t(l)]) ? strong_ : other_;
    return rows[std::size_t(l) * LeakageReach + std::size_t(distance - 1)] * scale_[std::size_t(l)];
}

// What the earlier peaks left of peak bin l when its turn comes: each took its share in turn.
float TScanLeakage::ScaleOf(const TLeakageInput &in, int32_t l) const {
    float v = in.Src[l];
    for (int32_t k = std::max(1, l - LeakageReach); k < l; ++k)
        if (peak_[std::size_t(k)])
            v -= Loss(k, l - k, true);
    return v;
}

// Recomputes what bin l holds as a peak; true when any of it changed.
bool TScanLeakage::UpdatePeak(const TLeakageInput &in, int32_t l, bool withShape) {
    const std::size_t i = std::size_t(l);
    const float *p = in.Src;
    const uint8_t isPeak = IsLocalPeak(p, l, n_) ? 1 : 0;
    bool changed = isPeak != peak_[i];
    peak_[i] = isPeak;
    if (!isPeak)
        return changed;
    if (withShape || changed) {
        const bool right = p[l + 1] > p[l - 1];
        strongRight_[i] = right ? 1 : 0;
        LeakageFractions((right ? p[l + 1] : p[l - 1]) / p[l], &strong_[i * LeakageReach], &other_[i * LeakageReach]);
        float correction = 1;
        if (in.LowFrequencyCorrection && in.Freq[l] <= LowFrequencyTop)
            correction = float(std::pow(
                10.0, 0.1 * (InterpolateTable(in.Freq[l], int32_t(std::size(LowFrequencyKHz)), LowFrequencyKHz,
                                              LowFrequencyDb) -
                             LowFrequencyReference)));
        correction_[i] = correction;
        changed = true;
    }
    const float oldScale = scale_[i];
    const float oldGain = gain_[i];
    scale_[i] = ScaleOf(in, l);
    float gain = 0;
    for (int32_t m = 0; m < LeakageReach; ++m) {
        if (l + m + 1 < n_)
            gain += Loss(l, m + 1, true);
        if (l - m - 1 >= 0)
            gain += Loss(l, m + 1, false);
    }
    gain_[i] = gain;
    return changed || scale_[i] != oldScale || gain != oldGain;
}

// The skirts of peak l: from the last bin its leakage touched on each side (on the right not beyond the
// highest bin measured), split at the midpoint where they reach the next peak's.
TScanLeakage::TReach TScanLeakage::Reach(const TLeakageInput &in, int32_t l) const {
    auto rawLeft = [](int32_t k) { return std::max(k - LeakageReach, 0); };
    auto rawRight = [&](int32_t k) { return std::min({k + LeakageReach, n_ - 1, in.Highest}); };
    TReach r{rawLeft(l), rawRight(l)};
    for (int32_t k = l - 1; k >= std::max(1, l - ReachTwice); --k)
        if (peak_[std::size_t(k)]) {
            if (rawRight(k) >= r.Left)
                r.Left = (k + l) / 2 + 1;
            break;
        }
    for (int32_t k = l + 1; k <= std::min(n_ - 3, l + ReachTwice); ++k)
        if (peak_[std::size_t(k)]) {
            if (r.Right >= rawLeft(k))
                r.Right = (l + k) / 2;
            break;
        }
    return r;
}

void TScanLeakage::Fill(const TLeakageInput &in, int32_t l) {
    const TReach r = Reach(in, l);
    const float h = in.Floor;
    auto fillBin = [&](int32_t j, float &t) {
        const std::size_t i = std::size_t(j);
        if (pre_[i] < h) {
            out_[i] = t / 2 + noise_[i] * t / 2;
        } else {
            out_[i] = pre_[i];
            t = pre_[i];
        }
    };
    if (r.Left < l) {
        float t = std::max(pre_[std::size_t(r.Left)], h);
        for (int32_t j = r.Left; j < l; ++j)
            fillBin(j, t);
    }
    if (r.Right > l) {
        float t = std::max(pre_[std::size_t(r.Right)], h);
        for (int32_t j = r.Right; j > l; --j)
            fillBin(j, t);
    }
    ChangedFirst = std::min(ChangedFirst, r.Left);
    ChangedLast = std::max(ChangedLast, r.Right);
}

void TScanLeakage::Rebuild(const TLeakageInput &in, int32_t preFirst, int32_t preLast, int32_t fillFirst,
                           int32_t fillLast) {
    // The peaks around the bins work on them in ascending order, each bin getting its shares in turn.
    const int32_t a = std::max(preFirst, 0);
    const int32_t b = std::min(preLast, n_ - 1);
    for (int32_t j = a; j <= b; ++j)
        pre_[std::size_t(j)] = in.Src[j];
    for (int32_t l = std::max(1, a - LeakageReach); l <= std::min(n_ - 3, b + LeakageReach); ++l) {
        if (!peak_[std::size_t(l)])
            continue;
        for (int32_t j = std::max(a, l - LeakageReach); j <= std::min(b, l + LeakageReach); ++j) {
            float &v = pre_[std::size_t(j)];
            if (j < l) {
                v -= Loss(l, l - j, false);
            } else if (j == l) {
                v = v + gain_[std::size_t(l)];
                v = v * correction_[std::size_t(l)];
            } else {
                v -= Loss(l, j - l, true);
            }
        }
    }
    const int32_t first = std::max(fillFirst - LeakageReach, 0);
    const int32_t last = std::min(fillLast + LeakageReach, n_ - 1);
    for (int32_t j = first; j <= last; ++j)
        out_[std::size_t(j)] = pre_[std::size_t(j)];
    ChangedFirst = first;
    ChangedLast = last;
    for (int32_t l = std::max(first - LeakageReach, 1); l <= std::min(last + LeakageReach, n_ - 3); ++l)
        if (peak_[std::size_t(l)])
            Fill(in, l);
}

void TScanLeakage::Full(const TLeakageInput &in) {
    if (in.Count != n_)
        Reset(in.Count);
    for (int32_t l = 1; l <= n_ - 3; ++l)
        UpdatePeak(in, l, true);
    Rebuild(in, 0, n_ - 1, 0, n_ - 1);
}

void TScanLeakage::Update(const TLeakageInput &in, int32_t bin, int32_t previousHighest) {
    if (in.Count != n_ || bin < 0 || bin >= n_) {
        Full(in);
        return;
    }
    const int32_t first = std::max(1, bin - 2);
    int32_t lastChanged = bin + 2;
    for (int32_t l = first; l <= n_ - 3; ++l) {
        if (l > bin + 2 && l > lastChanged + LeakageReach)
            break;
        if (UpdatePeak(in, l, l <= bin + 2))
            lastChanged = std::max(lastChanged, l);
    }
    int32_t fillFirst = first - ReachTwice;
    int32_t fillLast = lastChanged + ReachTwice;
    if (in.Highest != previousHighest) {
        fillFirst = std::min(fillFirst, std::min(previousHighest, in.Highest) - LeakageReach - ReachTwice);
        fillLast = std::max(fillLast, std::max(previousHighest, in.Highest) + ReachTwice);
    }
    Rebuild(in, std::min(first - LeakageReach, bin), lastChanged + LeakageReach, fillFirst, fillLast);
}

float ScanLeakageFloor() {
    const double n = SstAccumulationLength();
    const double g = n > 0 ? MirvakGainFactor * 2048.0 / n * 0.5 : 0;
    return float(std::sqrt(DeviceSettings->SampleRate * 0.000390625) * (g * g * 0.001));
}

void RemoveScanLeakage(const float *freq, const float *src, float *dst, int32_t n, int32_t highest) {
    TScanLeakage leakage;
    leakage.Reset(n);
    TLeakageInput in;
    in.Freq = freq;
    in.Src = src;
    in.Count = n;
    in.Highest = highest;
    in.Floor = ScanLeakageFloor();
    in.LowFrequencyCorrection = DeviceSettings->MaxLevelIndex == 3;
    leakage.Full(in);
    std::copy(leakage.Output().begin(), leakage.Output().end(), dst);
}
