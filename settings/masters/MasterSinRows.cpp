#include "settings/masters/MasterSinRows.h"

#include "engine/catalogue/ParameterTable.h"

float SinRowValue(int32_t row) {
    return ParamTableSin[row].Result.Value;
}
