#pragma once

#include <cstdint>

// The value range, code steps and wire width of the catalogue row that carries the slot's curve, in the
// tables of the signal kinds that show the slot (slot 0, the oscillogram, only NOISE's row carries); 0, 0,
// 0 and 4 when no row carries it.
void FindParamDescriptor(double &yMinimum, double &yMaximum, int32_t &codeSteps, uint8_t &wireBytes, int32_t slot);
