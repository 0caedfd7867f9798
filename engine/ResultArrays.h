#pragma once

#include "engine/EngineBuffers.h"

#include <cstdint>

// Per comb line i (i < CombLineCount) the graph data of the multitone, group-delay and impedance
// measurements; the line analysis of the PRBS measurement reuses Frequency and Attenuation for its
// response. Every entry without a value holds NoValue, from program start on.
struct TResultArrays {
    float Phase[MaxCombLines];               // rad, averaged line phase
    float Frequency[MaxCombLines];           // kHz
    float Attenuation[MaxCombLines];         // dB
    float GroupDelay[MaxCombLines];          // us
    float SignalToNoise[MaxCombLines];       // dB
    float BitLoading[MaxCombLines];          // bits
    float ImpedanceModulus[MaxCombLines];    // Ohm
    float Resistance[MaxCombLines];          // Ohm
    float Reactance[MaxCombLines];           // Ohm
    float ImpedancePhase[MaxCombLines];      // degrees
    float Capacitance[MaxCombLines];         // nF
    float MismatchCoefficient[MaxCombLines]; // %
    float MismatchAttenuation[MaxCombLines]; // dB
};
extern TResultArrays ResultArrays;

// Puts every entry back to NoValue.
void ClearResultArrays();

// The per-line array that graph kind 5 to 15 (or 20, the PRBS line response) draws over Frequency;
// null for any other kind.
const float *LineResultValues(int32_t graphKind);

// How many entries of the arrays belong to the current comb (0 .. MaxCombLines).
int32_t LineResultCount();
