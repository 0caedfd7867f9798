#include "engine/catalogue/ParamDslRows.h"

namespace {

struct DslPair {
    const char *RateCaption;
    const char *PercentCaption;
    float RateNorm; // kbit/s
};

constexpr DslPair DslPairs[DslPairCount] = {
    {"ADSL_dn,кбит/с\n", "ADSL_dn,%\n", 6000},     {"ADSL2_dn,кбит/с\n", "ADSL2_dn,%\n", 6000},
    {"ADSL2p_dn,кбит/с\n", "ADSL2p_dn,%\n", 6000}, {"ADSL_up,кбит/с\n", "ADSL_up,%\n", 600},
    {"ADSL2_up,кбит/с\n", "ADSL2_up,%\n", 600},    {"ADSL2p_up,кбит/с\n", "ADSL2p_up,%\n", 600},
    {"SHDSL,кбит/с\n", "SHDSL,%\n", 2048},         {"SHDSL.bis,кбит/с\n", "SHDSL.bis,%\n", 2048},
    {"ADSL4_dn,кбит/с\n", "ADSL4_dn,%\n", 6000},   {"ADSL4_up,кбит/с\n", "ADSL4_up,%\n", 600},
};

} // namespace

void AddDslRows(ParamTableBuilder &builder, const DslTableRows &rows) {
    for (int32_t i = 0; i < DslPairCount; ++i) {
        const DslPair &pair = DslPairs[i];
        const DslPairOfTable &own = rows.Pairs[i];
        // clang-format off
        builder.Add({pair.RateCaption, own.RateSlot, own.RateId, 10, 0, 120000, 0.1f, 0, 100000, 100000, 4,
                     rows.RateAllowed, -1, -1, NoFileMask, DefaultSwitches("-P---"), pair.RateNorm, pair.RateNorm,
                     0.5f, 0, 40000, own.RateColour, own.RateHint});
        builder.Add({pair.PercentCaption, own.PercentSlot, -1, -1, 0, 500, 1, 0, 500, 50000, 2,
                     SwitchesAllowed("-P-WL--"), -1, -1, NoFileMask, DefaultSwitches("-PL--"), 100, 100, 1, 100, 200,
                     Blue, own.PercentHint});
        // clang-format on
    }
}
