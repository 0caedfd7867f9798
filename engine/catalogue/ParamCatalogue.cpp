#include "engine/catalogue/ParamCatalogue.h"

#include "engine/catalogue/ConnectionTypes.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/catalogue/TimeDiagramAxes.h"
#include "engine/catalogue/ValueQuantizer.h"

#include "chartlib/Chartlib.h"
#include "state/ProgramSettings.h"

#include <algorithm>
#include <iterator>

float *ParamResultSlots[ParamResultSlotCount];
ParamSettings *GraphParamSettings[GraphKindCount][8];
TEventNormPointers EventNormPointers;

namespace {

struct EventNormRow {
    int32_t SignalKind;
    int32_t Row;
    bool Upper; // the row counts values above its upper norm
};

// In EventNormIndex order.
constexpr EventNormRow EventNormRows[EventNormCount] = {
    {5, 4, false},  // NOISE "Таймер,с"
    {5, 5, true},   // NOISE "Макс.Шум,дБм0"
    {1, 17, false}, // SIN "Таймер,с"
    {1, 18, false}, // SIN "Мин.Сигн.,дБм0"
    {1, 21, true},  // SIN "Макс.Шум,дБм0"
    {1, 24, false}, // SIN "Мин.Сигн/шум,дБ"
    {3, 10, false}, // MTTS "Таймер,с"
    {3, 11, false}, // MTTS "Мин.Сигн/шум,дБ"
};

} // namespace

void InitEventNormPointers() {
    for (int32_t i = 0; i < EventNormCount; ++i) {
        const EventNormRow &where = EventNormRows[i];
        ParamSettings &settings = ParameterTableOf(where.SignalKind).Rows[where.Row].Settings;
        EventNormPointers.Apply[i] = where.Upper ? &settings.ApplyUpper : &settings.ApplyLower;
        EventNormPointers.Norm[i] = where.Upper ? &settings.UpperNorm : &settings.LowerNorm;
    }
}

void BuildParamCatalogue() {
    std::fill(std::begin(ParamResultSlots), std::end(ParamResultSlots), nullptr);
    std::fill(&GraphParamSettings[0][0], &GraphParamSettings[0][0] + GraphKindCount * 8, nullptr);

    MaskNameList.clear();
    InitConnectionTypeLists();
    InitValueQuantizers();
    InitTimeDiagramAxes();
    InitProgramSettings();
    SetPrecisionZeros(ProgramSettings.Precision);
    BuildSinTable();
    BuildSin2Table();
    BuildMttsTable();
    BuildPrbsTable();
    BuildNoiseTable();
    BuildMirvakTable();
    BuildSyncTable();
    InitEventNormPointers();
}
