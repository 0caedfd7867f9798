#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One sinusoidal component; frequency and phase in cycles, so that a tone set from a frequency and a
// sample rate and one set from a generator's phase step per sample look alike.
struct SimTone {
    double amplitude = 0; // ADC codes
    double cyclesPerSample = 0;
    double phase = 0; // cycles at sample 0
};

// The signal at the instrument's ADC: an endless sample stream, addressed by sample number so that
// blocks the DSP drops cost nothing to skip. Samples are the sum of the tones, rounded half away from
// zero and clipped to the int16 range; no tones is silence.
class SimSignalSource {
public:
    void SetTones(std::vector<SimTone> tones) { tones_ = std::move(tones); }
    void SetSine(double amplitude, double frequencyHz, double sampleRateHz);

    void Fill(std::int16_t *out, std::size_t count, std::uint64_t firstSample) const;

private:
    std::vector<SimTone> tones_;
};
