#pragma once

#include "engine/EngineBuffers.h"

#include <cstdint>

// The model of the instrument's own input (shunt Rp, Cp) and of the test leads (series Rs, Ls), with
// per-line corrections of the divider, that the self-calibration adjusts. Frequencies are in kHz and
// w = 6.2832 f in krad/s, so Cp = 3e-8 stands for 30 pF and Ls = 0.00027 for 0.27 uH.
struct TImpedanceModel {
    float MagnitudeCorrection[MaxCombLines] = {};
    float PhaseCorrection[MaxCombLines] = {};
    float Rp = 23000;
    float Cp = 3e-8f;
    float Rs = 0.5f;
    float Ls = 0.00027f;
    int32_t OpenSteps = 0;
    int32_t LoadSteps = 0;
    int32_t ShortSteps = 0;
    bool Calibrated = false;
    bool OpenSeen = false;  // every measured line of the block looked like open lead ends
    bool ShortSeen = false; // ... like shorted lead ends
};
extern TImpedanceModel ImpedanceModel;

// A value with the time stamp (NowStamp) of the block it was measured in; kept for the line analysis.
struct TStampedValue {
    float Value = NoValue;
    double Stamp = 0;
};
extern TStampedValue LastLoopResistance; // Ohm
extern TStampedValue LastCapacitance102; // nF

// The instrument's phase calibration word of the impedance path (balanced, or coaxial for connection
// type 8) at the maximum frequency's FFT size code.
int16_t PhaseCalibrationWord(int32_t connectionType, float maxFrequency);

// The load's impedance per comb line while the own generator sends the multitone on the measured pair
// (connection types 3 and 8), with the loop resistance and the capacitance at 1.02 kHz, and the
// self-calibration steps driven by ImpedanceCalState. Runs after MeasureGroupDelay.
void MeasureImpedance();
