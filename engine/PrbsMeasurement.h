#pragma once

#include <cstdint>

// The reflectogram arrays of EngineBuffers, in the order the measurement keeps them: the averaged
// correlation (V), the distance axis (m), the curve in percent of the direct pulse and the level curve.
enum ReflectogramIndex : int32_t { ReflectogramAverage, ReflectogramDistance, ReflectogramPercent, ReflectogramLevel };

// Echoes found in the last PRBS block, in the order found: the step of the peak (-1 when none) and the
// steps from the peak to the ends of its flanks. Echo 0 is the direct pulse.
inline constexpr int32_t EchoSearchCount = 9;
struct TEchoPeaks {
    int16_t Position[EchoSearchCount];
    int16_t Left[EchoSearchCount];
    int16_t Right[EchoSearchCount];
};
extern TEchoPeaks EchoPeaks;

// The echo table of the graph windows: per echo its delay (us), distance (m), amplitude in percent of
// the direct pulse and level (dB, direct pulse at 70), both negative for an echo of opposite sign;
// NoValue in all four where there is no echo.
inline constexpr int32_t TableEchoCount = 8;
struct TReflectionTable {
    float Delay[TableEchoCount];
    float Distance[TableEchoCount];
    float Percent[TableEchoCount];
    float Level[TableEchoCount];
};
extern TReflectionTable ReflectionTable;

// The self-adapting model of the direct pulse's exponential tail, carried from block to block.
struct TPrbsTailModel {
    float Tau = 0;       // decay constant, steps
    float Amplitude = 0; // tail at the peak, V
    float RatioAverage = 0;
    float AmplitudeErrorAverage = 0;
    float TauGain = 0;
    float AmplitudeGain = 0;
    int16_t PassCounter = 0;
};
extern TPrbsTailModel PrbsTailModel;

// Sets the reflectogram curves and the echo table to "not measured".
void ClearReflectograms();

// The reflectometer on a PRBS block: the averaged reflectogram, its echoes and the PRBS rows, then the
// line analysis of the open end.
void MeasurePrbs();
