#pragma once

#include <cstdint>

// What the instrument's own signal path does to a received line, by the maximum frequency M (kHz,
// rounded to an integer) and the connection type.

// The delay of the path in samples of the sample rate.
float SignalPathDelay(int32_t maxFrequency, int32_t connectionType);

// The phase (rad) the path adds at f kHz beyond its delay.
float PhaseCorrection(int32_t maxFrequency, int32_t connectionType, float f);

// 1 when the multitone generator starts harmonic n (0 .. 511) at half a turn, else 0; 0 outside.
bool MttsLineInverted(int32_t n);
// The start phase of harmonic n of the multitone: 0 or pi.
float MttsLinePhase(int32_t n);
