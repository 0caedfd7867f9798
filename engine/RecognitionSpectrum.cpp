#include "engine/RecognitionSpectrum.h"

#include "engine/EngineBuffers.h"
#include "engine/Fft.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr int32_t WindowTableLength = 513;

const std::array<int16_t, WindowTableLength> &WindowTable() {
    static const std::array<int16_t, WindowTableLength> table = [] {
        std::array<int16_t, WindowTableLength> t{};
        for (int32_t k = 0; k < WindowTableLength; ++k)
            t[k] = static_cast<int16_t>(std::trunc(-32768.0 * std::cos(std::numbers::pi * k / 1024)));
        return t;
    }();
    return table;
}

} // namespace

int16_t FixedWindowTable(int32_t k) {
    return WindowTable().at(k);
}

int32_t FixedHannWindow(int32_t *data, int32_t n) {
    const auto &t = WindowTable();
    n = std::min(n, RecognitionLength);
    if (n < 4)
        return 0;
    int32_t stride = 1;
    while (n * stride < RecognitionLength)
        stride *= 2;
    const int32_t q = n / 4;
    int32_t i = n - 1;
    // Four quarters from the top down: rising, falling and rising again through the table, with the
    // cosine's sign chosen so that the result is 1 - cos over the whole block.
    const auto quarter = [&](int32_t firstIndex, int32_t direction, int32_t sign) {
        int32_t j = firstIndex;
        for (int32_t k = 0; k < q; ++k, --i, j += direction * stride) {
            const int32_t w = 32768 + sign * t[j];
            data[i] = MulShift(data[i], w, 15);
        }
    };
    quarter(0, +1, +1);
    quarter(512, -1, -1);
    quarter(0, +1, -1);
    quarter(512, -1, +1);
    return 4 * q;
}

void FixedRecognitionSpectrum(int32_t n) {
    TEngineBuffers &b = EngineBuffers;
    n = std::min(n, RecognitionLength);
    if (n < 4)
        return;
    int32_t mean = 0;
    if (b.OverloadFlag != 1) {
        int64_t sum = 0;
        for (int32_t i = 0; i < n; ++i)
            sum += b.AdcSampleBuffer[i];
        mean = static_cast<int32_t>(sum / n);
    }
    int32_t *work = b.RecognitionWork + 1;
    for (int32_t i = 0; i < n; ++i)
        work[i] = -(b.AdcSampleBuffer[i] - mean);
    FixedHannWindow(work, n);
    FixedRealFft(work, n / 2, 1);
    const float scale = b.SampleGain * RecognitionLength / n * 0.5f;
    for (int32_t i = 0; i < n; ++i)
        b.ComplexSpectrum[i] = static_cast<float>(work[i]) * scale;
}
