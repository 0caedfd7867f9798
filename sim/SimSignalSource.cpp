#include "sim/SimSignalSource.h"

#include <algorithm>
#include <cmath>
#include <numbers>

void SimSignalSource::SetSine(double amplitude, double frequencyHz, double sampleRateHz) {
    tones_.clear();
    if (sampleRateHz > 0)
        tones_.push_back(SimTone{amplitude, frequencyHz / sampleRateHz, 0});
}

void SimSignalSource::Fill(std::int16_t *out, std::size_t count, std::uint64_t firstSample) const {
    for (std::size_t i = 0; i < count; ++i) {
        const double k = double(firstSample + i);
        double value = 0;
        // The whole cycles are dropped before the sine so that late samples keep their precision.
        for (const SimTone &tone : tones_)
            value +=
                tone.amplitude * std::sin(2 * std::numbers::pi * std::fmod(tone.cyclesPerSample * k + tone.phase, 1.0));
        out[i] = std::isfinite(value) ? std::int16_t(std::clamp(std::round(value), -32768.0, 32767.0)) : 0;
    }
}
