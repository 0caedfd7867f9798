#pragma once

#include "engine/catalogue/ParamRowData.h"
#include "engine/catalogue/ParameterTable.h"

#include <cstdint>
#include <span>

// Sets the rows of one table in order: description, settings and the no-value result in the row and
// in its remote copy, and publishes the row's result slot and graph settings pointer.
class ParamTableBuilder {
public:
    explicit ParamTableBuilder(int32_t signalKind);

    void Add(const ParamRowData &data);
    void Add(std::span<const ParamRowData> rows);

    // Rows offered so far; rows beyond the table's length are counted but not stored.
    int32_t RowsOffered() const { return NextRow; }

private:
    int32_t SignalKind;
    ParameterTable Table;
    int32_t NextRow = 0;
};
