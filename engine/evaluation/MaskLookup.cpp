#include "engine/evaluation/MaskLookup.h"

#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/masks/MaskArray.h"

TMASK *GetActiveMask(int32_t slot, int32_t which) {
    TMASK *mask = SlotMask(slot, which);
    return mask && mask->Count() > 0 && mask->Active ? mask : nullptr;
}

ParamDescriptor *FindParamByMaskSlot(int32_t slot) {
    constexpr int32_t Sin2Kind = 2;
    if (slot < 0 || SignalKind == Sin2Kind)
        return nullptr;
    const ParameterTable table = ParameterTableOf(SignalKind);
    for (int32_t i = 0; i < table.RowCount; ++i)
        if (table.Rows[i].MaskSlot == slot)
            return &table.Rows[i];
    return nullptr;
}
