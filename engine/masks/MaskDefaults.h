#pragma once

#include <cstdint>

// The admissible x range of a mask slot's curve: slot 0 (oscillogram, us) 0.1..200000; slots 3 and 4
// (reflectograms, m) 1..1000000; slot 21 (level master, dBm0) -100..120; the other slots (kHz)
// 0.001..10000. A slot out of range leaves both outputs as they are.
void GetParamDefaultRange(double &minimum, double &maximum, int32_t slot);

// The value range, code steps and wire width of the catalogue row that carries the slot's curve, in the
// tables of the signal kinds that show the slot (slot 0, the oscillogram, only NOISE's row carries); 0, 0,
// 0 and 4 when no row carries it.
void FindParamDescriptor(double &yMinimum, double &yMaximum, int32_t &codeSteps, uint8_t &wireBytes, int32_t slot);
