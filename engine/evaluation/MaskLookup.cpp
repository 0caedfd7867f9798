#include "engine/evaluation/MaskLookup.h"

#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParameterTable.h"

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
