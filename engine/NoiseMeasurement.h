#pragma once

// The NOISE rows: the noise in the band and the weighted noise.
void MeasureNoiseLevels();

// The phasogram: the noise level against the phase of the reference frequency, on short segments of the
// block aligned to that phase; leaves SampleVolts starting at phase zero.
void MeasureNoise();
