#pragma once

#include "engine/catalogue/ParamDescriptor.h"

#include <cstdint>

// The engine writes every measured value through these pointers (slot k -> Result.Value of one row).
inline constexpr int32_t ParamResultSlotCount = 129;
extern float *ParamResultSlots[ParamResultSlotCount];

// For every curve row, its settings by [graph kind][signal kind]; null where the kind has no such curve.
inline constexpr int32_t GraphKindCount = 39;
extern ParamSettings *GraphParamSettings[GraphKindCount][8];

// The random-event rows whose switches and norms steer the meter's event counting and the automatic
// protocol interval: Apply[i] is the ApplyLower or ApplyUpper switch and Norm[i] the matching norm.
enum EventNormIndex : int32_t {
    EventNoiseTimer,
    EventNoiseMaxNoise,
    EventSinTimer,
    EventSinMinSignal,
    EventSinMaxNoise,
    EventSinMinSnr,
    EventMttsTimer,
    EventMttsMinSnr,
    EventNormCount
};

struct TEventNormPointers {
    uint8_t *Apply[EventNormCount];
    float *Norm[EventNormCount];
};
extern TEventNormPointers EventNormPointers;

// Fills every table and its remote copy from the catalogue's data, the quantizers, the connection-type
// lists and the time-diagram presets, and publishes the pointers above. Called once at start, before
// the engine runs; calling it again puts everything back to its start state.
void BuildParamCatalogue();

// The table builders, in the order BuildParamCatalogue runs them. Each returns how many rows its data
// holds, which must be the row count of its table.
int32_t BuildSinTable();
int32_t BuildSin2Table();
int32_t BuildMttsTable();
int32_t BuildPrbsTable();
int32_t BuildNoiseTable();
int32_t BuildMirvakTable();
int32_t BuildSyncTable();
void InitEventNormPointers();
