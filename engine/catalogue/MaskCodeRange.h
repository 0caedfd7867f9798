#pragma once

#include <cstdint>

// The coding ranges of a mask by its MaskSlot (0..43), for masks that travel to the peer or come from a
// configuration without ranges of their own.

inline constexpr int32_t MaskSlotCount = 44;

// The default X range of the slot's masks; a slot outside 0..43 leaves xMin and xMax as they were.
void GetParamDefaultRange(double &xMin, double &xMax, int32_t slot);

// The Y coding of the slot's masks: the value range, code steps and coded size of the parameter row
// that carries the slot, looked for only in the table of the signal kind that owns the slot. A slot that
// no row carries gives 0, 0, 0 and 4 (the value travels as a float).
void FindParamDescriptor(double &min, double &max, int32_t &steps, uint8_t &size, int32_t slot);
