#pragma once

// The single-tone measurement on the averaged spectrum with the leakage gathered into the peaks:
// frequency, level, mean and deviation of the level, attenuation, noise and weighted noise with their
// signal-to-noise ratios, and the 2nd and 3rd harmonics, into the SIN rows.
void MeasureSin();

// The two-tone measurement: both frequencies and levels, the total level, noise, signal-to-noise, the
// third-order product 2·f1 - f2 and the frequency shift of the channel, into the SIN2 rows.
void MeasureSin2();
