#pragma once

#include <cstdint>

// The phasogram's state: the segment length, the step between segment starts and the samples per
// period of the reference frequency; Valid is 1 while the noise curves hold a running average.
struct TPhasogramState {
    int32_t Valid = 0;
    int32_t Segment = 1024;
    float Step = 0;
    int32_t Period = 0;
};
extern TPhasogramState PhasogramState;

// The NOISE rows: the noise in the band and the weighted noise.
void MeasureNoiseLevels();

// The phasogram: the noise level against the phase of the reference frequency, on short segments of the
// block aligned to that phase; leaves SampleVolts starting at phase zero.
void MeasureNoise();

// The number of phasogram points when no phasogram can be taken.
inline constexpr int32_t FewestPhasogramPoints = 2;

// Chooses the segment, step and period of the phasogram for the sample rate fs, block size n, band
// f0 .. f1 and reference fref (kHz) and sets the number of phasogram points; 2 (with the curves
// cleared) when no phasogram can be taken.
int32_t ChoosePhasogramSegment(float fs, int32_t n, float f0, float f1, float fref);

// The same choice without touching the engine's state: the segment and step (0 when the settings call for
// no phasogram), the period (0 when none fits the block) and the number of points (FewestPhasogramPoints
// when no phasogram can be taken). The graph window sizes its value table with it before any NOISE block.
struct TPhasogramPlan {
    int32_t Segment = 0;
    float Step = 0;
    int32_t Period = 0;
    int32_t Points = FewestPhasogramPoints;
};
TPhasogramPlan PlanPhasogram(float fs, int32_t n, float f0, float f1, float fref);

// Forgets the phasogram average: every point of the five curves holds NoValue.
void ClearNoiseCurves();

// A level in dBm0 as the RMS voltage across the meter (or, in connection types 3 and 8, the generator)
// impedance.
float VoltsFromLevel(float level);
