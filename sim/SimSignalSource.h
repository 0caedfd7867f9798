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

// A reflection on the line: the sequence comes back delayed by this many samples, a little smoothed, its
// correlation peak scaled by gain (negative for an echo of opposite sign, such as from a short circuit).
struct SimEcho {
    int delay = 0;
    double gain = 0;
};

// What reaches the ADC: tones, the pseudo-random sequence with the line's echoes of it, and noise, summed.
struct SimWaveform {
    std::vector<SimTone> tones;
    // ADC codes of one chip of the x^10 + x^7 + 1 sequence (1023 chips of two samples each): +amplitude
    // for a 1, -amplitude for a 0.
    double prbsAmplitude = 0;
    std::vector<SimEcho> echoes;
    // ADC codes per unit of the noise variable: the sum of four uniform 15-bit draws less 65534, shifted
    // right by 2 (-16384 to 16383, bell-shaped).
    double noiseScale = 0;
};

// The signal at the instrument's ADC: an endless sample stream, addressed by sample number so that
// blocks the DSP drops cost nothing to skip. Samples are the sum of the parts, rounded half away from
// zero and clipped to the int16 range; nothing is silence.
class SimSignalSource {
public:
    void SetWaveform(SimWaveform waveform) { waveform_ = std::move(waveform); }
    void SetTones(std::vector<SimTone> tones) {
        waveform_ = SimWaveform{};
        waveform_.tones = std::move(tones);
    }
    void SetSine(double amplitude, double frequencyHz, double sampleRateHz);

    void Fill(std::int16_t *out, std::size_t count, std::uint64_t firstSample) const;

    // Chip `chip` of the sequence from the register with every stage 1: true for a 1.
    static bool PrbsChip(std::uint64_t chip);
    // The noise variable at a sample; the same sample always draws the same value.
    static int NoiseValue(std::uint64_t sample);

private:
    SimWaveform waveform_;
};
