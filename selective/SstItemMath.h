#pragma once

#include <cstdint>

// The meter's full-scale gain of the latest selective item, 10^(MeterScaleLevel / 20).
extern float MirvakGainFactor;

// The instrument's accumulation length of a selective sum, round(SampleRate / B): the one the set-up
// command sent, else computed from the settings; 0 when the band is not positive.
double SstAccumulationLength();

// The power of one selective item (in-phase and quadrature sums) at f kHz, through the meter's passband
// calibration; also leaves the level and frequency in element 0 of the engine's spectrum arrays.
float SstItemPower(float re, float im, float frequency);

// The weight of a new item of a bin in its smoothed power, dt / (dt + 0.45 T) with dt the seconds since
// the bin's last update and T the averaging interval; 1 for the first update, for T <= 0 and for dt <= 0.
// Stamps the bin with the current time.
float MirvakAveragingWeight(int32_t bin);
