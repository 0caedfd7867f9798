#include "engine/masks/MaskDefaults.h"

#include "engine/catalogue/GraphKindTable.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/masks/MaskSlot.h"

void FindParamDescriptor(double &yMinimum, double &yMaximum, int32_t &codeSteps, uint8_t &wireBytes, int32_t slot) {
    yMinimum = yMaximum = 0;
    codeSteps = 0;
    wireBytes = 4;
    for (int32_t signalKind = 1; signalKind <= 7; ++signalKind) {
        bool shown = false;
        for (int32_t kind = 0; kind < GraphKindCount && !shown; ++kind)
            shown = MaskSlotOf(signalKind, kind) == slot;
        if (!shown)
            continue;
        const ParameterTable rows = ParameterTableOf(signalKind);
        for (int32_t i = 0; i < rows.RowCount; ++i)
            if (rows.Rows[i].MaskSlot == slot) {
                yMinimum = rows.Rows[i].MinValue;
                yMaximum = rows.Rows[i].MaxValue;
                codeSteps = rows.Rows[i].CodeSteps;
                wireBytes = rows.Rows[i].WireBytes;
                return;
            }
    }
}
