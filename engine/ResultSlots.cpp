#include "engine/ResultSlots.h"

#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"

void SetResult(ResultSlot slot, float value) {
    if (float *row = ParamResultSlots[slot])
        *row = value;
}

float ResultValue(ResultSlot slot) {
    const float *row = ParamResultSlots[slot];
    return row ? *row : NoValue;
}

bool ResultAnalysed(ResultSlot slot) {
    const float *value = ParamResultSlots[slot];
    if (!value)
        return false;
    for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int32_t i = 0; i < table.RowCount; ++i)
            if (&table.Rows[i].Result.Value == value)
                return table.Rows[i].Settings.Analyse != 0;
    }
    return false;
}
