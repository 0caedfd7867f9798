#pragma once

#include <cstdint>

// The line's parameters from its input impedance with the far end open (Zхх) and shorted (Zкз), over the
// points of the work record and the cable length of the settings.

// The cable length in km, at least 1 m.
float MirvakCableKm();

// At point j: attenuation a (dB/km) and phase b (rad/km) coefficients from atanh(sqrt(Zкз / Zхх)), and
// the characteristic impedance sqrt(Zкз Zхх) as modulus and phase (degrees).
void LineStep(int32_t j);

// Capacitance per km from the open line's reactance at the first of 1, 2, 4, 8 ... kHz within the
// capacitive part of the curve; sets the measuring frequency and the capacitance result.
void LineCapacitanceFromOpen();
// Resistance per km of one wire from the shorted line, when the first point is at most 0.3 kHz.
void LineResistanceFromShort();
// Unwraps the phase coefficient over the points and derives the propagation velocity (m/us).
void LineVelocityFromPhase();
