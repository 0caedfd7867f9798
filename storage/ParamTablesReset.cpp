#include "storage/ParamTablesReset.h"

#include "engine/catalogue/ParameterTable.h"

void ResetParamTables() {
    for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int32_t row = 0; row < table.RowCount; ++row)
            table.Rows[row].Result = ParamResult{NoValue, NoValue, ParamNotJudged, {}};
    }
}
