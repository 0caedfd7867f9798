#include "engine/ResultSlots.h"

#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"

void SetResult(ResultSlot slot, float value) {
    if (float *row = ParamResultSlots[slot])
        *row = value;
}

float ResultValue(ResultSlot slot) {
    const float *row = ParamResultSlots[slot];
    return row ? *row : NoValue;
}
