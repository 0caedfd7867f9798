#pragma once

#include "engine/EngineMath.h"

#include <cstdint>

// The model of the impedance meter: the generator drives the line through the source resistance k, the
// meter sees the line through the instrument's shunt (Rsh parallel to the leads' stray capacitance Cp)
// and the leads' series Rl and Ll. Model units: f in kHz, 2 pi f Cp is omega C in siemens and 2 pi f Ll
// omega L in Ohm (Cp = 1.5e-7 stands for 150 pF, Ll = 0.00015 for 0.15 uH).
inline constexpr float MirvakShuntResistance = 23000.0f;
extern float MirvakLeadsCapacitance; // Cp from the open-leads calibration
extern float MirvakLeadsInductance;  // Ll from the shorted-leads calibration
extern float MirvakLeadsResistance;  // Rl from the shorted-leads calibration

// The transfer ratio of a point from its level (dBm0) and phase (rad) at f kHz, with the delay and the
// phase corrections of the instrument's path.
TComplex MeasuredTransfer(float frequency, float level, float phase);

// R, X, |Z|, phase, mismatch, C and L of every point from its transfer ratio and the calibrations;
// in the line sub-modes also the open or shorted line's curve and, with both, the line step.
void ComputeImpedanceCurve(float Rm, float k, float Rsh, float Cp, float Rl, float Ll);

// The open-leads calibration factor of every point: the transfer ratio the shunt and Cp alone give, over
// the measured one.
void ComputeOpenCalibration(float k, float Rsh, float Cp);

// Mean of the values that are not NoValue; NoValue when there is none.
float MeanOfValid(const float *values, int32_t count);

// The capacitance at 1.02 kHz: of a single-point plan within 0.02 kHz of it, else interpolated between the
// first pair of points around it.
void MirvakCapacitance102();
// The DC resistance extrapolated from R over the first points (one point: its R; two: their straight line
// at 0 Hz; three or more: the first slope corrected by the change to the second); a value from -1 to 0
// Ohm shows 0, below -1 none.
void MirvakDcResistance();

// One point of the impedance sub-modes (3..8); acts when end is 1.
void ProcessMirvakImpedance(int32_t end);
