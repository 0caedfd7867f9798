#pragma once

#include "engine/RandomSource.h"
#include "link/Library.h"

#include <array>
#include <cstdint>

// The test signals of demonstration mode. A block is synthesised from a copy of the settings that the
// main thread took, so the worker never reads the live settings record or writes the generator's
// output-stage step; the waveform tables go to the engine's SynthBuffer, which only the emulator uses.

using TFreqCorrTable = std::array<int16_t, FreqCorrTableLength>;

// What one block needs of the settings. Frequencies in kHz.
struct TEmulatorSettings {
    int32_t GenMode = 0;
    int32_t AdcSize = 0;
    float SampleRate = 0;
    float GenImpedance = 0;
    float F1 = 0;           // SIN frequency, or the first tone of SIN2 and MTTS
    float F2 = 0;           // second SIN2 tone
    float HarmonicStep = 0; // MTTS tone spacing
    int16_t ToneCount = 0;  // SIN2 and MTTS
    int16_t Code = 0;       // generator amplitude code of the waveform's level, Q14
    TFreqCorrTable FreqCorr{};
    int16_t *Block = nullptr;
};

// State the synthesis keeps from block to block: its own random generator (the engine's belongs to the
// main thread) and the slowly wandering noise level of the SIN blocks.
struct TEmulatorState {
    TSeededRandom Random;
    int32_t NoiseCountdown = 0;
    float NoiseTarget = 0;
    float NoiseLevel = 0;
};

// Reads the settings record and EmuGenMode: call it in the main thread. For a waveform it also sets
// GenRangeStep with the amplitude code and recomputes the uncalibrated frequency-correction table, as
// the generator commands would.
TEmulatorSettings TakeEmulatorSettings(int16_t *block);

// Builds one block into settings.Block and returns its sample count (AdcSize, limited to the engine's
// largest block); 0 when there is no block buffer. Modes without a waveform leave the block as it was.
int32_t BuildEmulatorBlock(TEmulatorState &state, const TEmulatorSettings &settings);

// Entry i = round(32767 sin(pi i / 512)), i = 0 .. 256.
const std::array<int16_t, 257> &QuarterSine();

// One table of count samples of a sine with a 32-bit phase step, at the amplitude the correction
// table gives for that frequency.
void SynthSine(const TFreqCorrTable &fc, uint32_t step, int32_t count);

// One period (1024 samples) of tones at bins first, first + step, ...; tones that would reach bin 512
// are left out, a step below 1 gives the first tone alone, and a first bin outside 0 .. 511 or no tones
// gives silence.
void SynthMultiTone(const TFreqCorrTable &fc, int32_t first, int32_t step, int32_t count);

// The 1023 chips of the x^10 + x^7 + 1 sequence, two samples each (2046 samples).
void SynthPrbsTable(const TFreqCorrTable &fc);

// Amplitude of the line noise added to the test signals, for 10^-p W into the generator impedance.
float LineNoiseAmplitude(float impedance, int p);

// x truncated toward zero and held to the int16 range; NaN gives 0.
int16_t SaturateToInt16(double x);
