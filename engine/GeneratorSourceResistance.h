#pragma once

// The effective source resistance (Ohm) of the generator at its nominal impedance (75, 100, 120, 135 or
// 600 Ohm) and the sample rate (kHz); NoValue for any other impedance.
float GeneratorSourceResistance(float genImpedance, float sampleRate);
