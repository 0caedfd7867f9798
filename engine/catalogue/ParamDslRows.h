#pragma once

#include "engine/catalogue/ParamTableBuilder.h"

#include <cstdint>

// The MTTS and PRBS tables end with the same ten pairs of DSL rate rows (a rate in kbit/s, then the
// rate as a percentage of its norm); the two tables differ only in what follows.
inline constexpr int32_t DslPairCount = 10;

struct DslPairOfTable {
    int16_t RateSlot;
    int16_t PercentSlot;
    int16_t RateId;
    int32_t RateColour;
    const char *RateHint;
    const char *PercentHint;
};

struct DslTableRows {
    uint8_t RateAllowed;
    DslPairOfTable Pairs[DslPairCount];
};

void AddDslRows(ParamTableBuilder &builder, const DslTableRows &rows);
