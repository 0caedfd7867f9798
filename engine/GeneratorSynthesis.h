#pragma once

#include <cstdint>

inline constexpr int32_t SynthBufferLength = 10240;

// The generator's synthesis table.
extern int16_t SynthBuffer[SynthBufferLength];

// +1 when the generator's output stage is raised, -1 when lowered, 0 otherwise; sent with the
// generator commands.
extern int16_t GenRangeStep;

// Chooses the output stage for an amplitude code (code for amplitude volts, limit the largest code
// the stage takes), sets GenRangeStep and returns the code for that stage.
int32_t ChooseGenRangeStep(float code, float amplitude, float limit);

// The frequency nearest to f (kHz) whose whole number of periods fits a table of at most maxLen
// samples at fs kHz. Returns the table length (at least 1024) and gives the frequency it holds and the
// phase step of the 32-bit phase accumulator. A sample rate that is not a positive number gives a
// silent table of 1024 samples.
int16_t FitGeneratorFrequency(int16_t maxLen, float f, float fs, float &actualFrequency, uint32_t &phaseStep);

// Scales SynthBuffer by a Q14 gain; results beyond the int16 range saturate.
void ScaleWaveTable(int16_t gain);

int32_t SynthesisTableLength();

int32_t MulShift16(int16_t a, int16_t b, int32_t s);
