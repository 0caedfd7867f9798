#pragma once

#include <cstdint>

// The recognition works on this many samples, whatever the block size.
inline constexpr int32_t RecognitionLength = 2048;

// The fixed-point Hann window with peak 2, x·(1 - cos(2 pi (i + 1)/n)), applied in place to the
// first n (at most 2048) samples. Returns the number of samples windowed.
int32_t FixedHannWindow(int32_t *data, int32_t n);

// Integer spectrum of the first n (at most 2048) codes of AdcSampleBuffer into ComplexSpectrum, on the
// same scale as HannSpectrum. A clipped block keeps its mean.
void FixedRecognitionSpectrum(int32_t n);

// The window table: trunc(-32768·cos(pi k/1024)), k = 0 .. 512.
int16_t FixedWindowTable(int32_t k);
