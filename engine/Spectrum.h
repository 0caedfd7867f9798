#pragma once

#include "engine/Calibration.h"

#include <cstdint>

// Float spectrum of the first n samples of SampleVolts into ComplexSpectrum, Hann-windowed, scaled
// by 2048/n so that every block size gives the same level; the window-weighted mean is removed unless
// the block is clipped.
void HannSpectrum(int32_t n, bool clipped);

// The meter's frequency-response row for the current connection, maximum frequency and input range,
// refitted to the sample rate; and its gain at the normalised frequency x = f / SampleRate.
TCalibrationRow MeterCalibrationRow();
float CalibrationGain(const TCalibrationRow &row, float x);

// Applies the meter's frequency response from the calibration image to ComplexSpectrum, zeroes the DC
// and Nyquist terms, and fills FrequencyAxis and PowerSpectrum for bins 0 .. n/2 - 1.
void CalibrateSpectrum(int32_t n);

// Turns PowerSpectrum into the displayed levels in dBm0, one point per presentation step, with the
// weighted levels and the frequency axis; every other point holds NoValue. Returns DisplayPointCount.
int32_t PublishSpectrum(int32_t n);

// The attenuation of the weighting characteristic at f kHz as a power factor; WeightingCurve must have
// points.
float WeightingFactor(float f);
