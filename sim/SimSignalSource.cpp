#include "sim/SimSignalSource.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr int PrbsLength = 1023;
constexpr int SamplesPerChip = 2;

// The sequence of a ten-stage register r1..r10 that starts with every stage 1 and shifts in r7 XOR r10.
const std::array<bool, PrbsLength> &PrbsTable() {
    static const std::array<bool, PrbsLength> table = [] {
        std::array<bool, PrbsLength> chips{};
        unsigned stages = 0x3FF; // bit k holds r(k + 1)
        for (bool &chip : chips) {
            const bool b = ((stages >> 6) ^ (stages >> 9)) & 1;
            stages = ((stages << 1) | unsigned(b)) & 0x3FF;
            chip = b;
        }
        return chips;
    }();
    return table;
}

std::uint64_t SplitMix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

} // namespace

void SimSignalSource::SetSine(double amplitude, double frequencyHz, double sampleRateHz) {
    std::vector<SimTone> tones;
    if (sampleRateHz > 0)
        tones.push_back(SimTone{amplitude, frequencyHz / sampleRateHz, 0});
    SetTones(std::move(tones));
}

bool SimSignalSource::PrbsChip(std::uint64_t chip) {
    return PrbsTable()[chip % PrbsLength];
}

int SimSignalSource::NoiseValue(std::uint64_t sample) {
    const std::uint64_t bits = SplitMix(sample);
    int sum = 0;
    for (int draw = 0; draw < 4; ++draw)
        sum += int((bits >> (16 * draw)) & 0x7FFF);
    return (sum - 65534) >> 2;
}

void SimSignalSource::Fill(std::int16_t *out, std::size_t count, std::uint64_t firstSample) const {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t k = firstSample + i;
        double value = 0;
        // The whole cycles are dropped before the sine so that late samples keep their precision.
        for (const SimTone &tone : waveform_.tones)
            value += tone.amplitude *
                     std::sin(2 * std::numbers::pi * std::fmod(tone.cyclesPerSample * double(k) + tone.phase, 1.0));
        if (waveform_.prbsAmplitude != 0) {
            value += PrbsChip(k / SamplesPerChip) ? waveform_.prbsAmplitude : -waveform_.prbsAmplitude;
            // The line smooths what it reflects: three samples weighted 1, 2, 1, scaled so that the echo's
            // correlation peak is gain times the direct one. Delays reach back a whole number of sequence
            // periods further, so that no index goes below 0.
            for (const SimEcho &echo : waveform_.echoes) {
                const std::uint64_t back = k + std::uint64_t(PrbsLength * SamplesPerChip) * 64 - std::uint64_t(echo.delay);
                const auto chip = [&](std::uint64_t j) { return PrbsChip(j / SamplesPerChip) ? 1.0 : -1.0; };
                value += echo.gain * waveform_.prbsAmplitude * (chip(back - 1) + 2 * chip(back) + chip(back + 1)) / 3;
            }
        }
        if (waveform_.noiseScale != 0)
            value += waveform_.noiseScale * NoiseValue(k);
        out[i] = std::isfinite(value) ? std::int16_t(std::clamp(std::round(value), -32768.0, 32767.0)) : 0;
    }
}
