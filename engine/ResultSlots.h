#pragma once

#include <cstdint>

// The entries of ParamResultSlots that the engine writes, named after their rows.
enum ResultSlot : int32_t {
    SlotSinFrequency = 0,
    SlotSinLevel = 1,
    SlotSinMeanLevel = 2,
    SlotSinLevelDeviation = 3,
    SlotSinAttenuation = 4,
    SlotSinNoise = 5,
    SlotSinSnr = 6,
    SlotSinWeightedNoise = 7,
    SlotSinWeightedSnr = 8,
    SlotSinA2 = 19,
    SlotSinK2 = 20,
    SlotSinA3 = 21,
    SlotSinK3 = 22,
    SlotSinA23 = 23,
    SlotSinK23 = 24,
    SlotSin2Frequency1 = 25,
    SlotSin2Frequency2 = 26,
    SlotSin2FrequencyShift = 27,
    SlotSin2Level1 = 28,
    SlotSin2Level2 = 29,
    SlotSin2Level = 30,
    SlotSin2Noise = 31,
    SlotSin2Snr = 32,
    SlotSin2A3 = 33,
    SlotSin2K3 = 34,
    SlotSin2A21 = 35,
    SlotMttsLevel = 36,
    SlotMttsNoise = 37,
    SlotMttsSnr = 38,
    SlotMttsRate = 39,
    SlotMttsMaxAttenuation = 40,
    SlotMttsMaxAttenuationFrequency = 41,
    SlotMttsLoopResistance = 44,
    SlotMttsCapacitance102 = 48,
    SlotMttsAttenuation300 = 49,
    SlotMttsCableLength = 50,
    SlotMttsFirstDslRate = 51, // ten pairs of rate and percentage up to slot 70
    SlotPrbsLevel = 71,
    SlotPrbsReflections = 72,
    SlotPrbsSnr = 73,
    SlotPrbsOpenEndDelay = 74,
    SlotPrbsAttenuation300 = 75,
    SlotPrbsLineLength = 76,
    SlotPrbsWireDiameter = 77,
    SlotPrbsAttenuationPerKm = 78,
    SlotPrbsAttenuationDeviation = 79,
    SlotPrbsCapacitancePerKm = 80,
    SlotPrbsCapacitanceDeviation = 81,
    SlotPrbsResistancePerKm = 82,
    SlotPrbsResistanceDeviation = 83,
    SlotPrbsFirstRate = 84, // then the percentage, and so on for the ten DSL pairs up to slot 103
    SlotNoiseLevel = 104,
    SlotNoiseWeighted = 105,
    SlotMirvakFrequency = 110, // the twelve selective rows up to slot 121
    SlotMirvakLevel = 111,
    SlotMirvakAttenuation = 112,
    SlotMirvakNoise = 113,
    SlotMirvakWeightedNoise = 114,
    SlotMirvakSnr = 115,
    SlotMirvakWeightedSnr = 116,
    SlotMirvakResistance = 117,
    SlotMirvakCapacitance102 = 118,
    SlotMirvakCapacitanceFrequency = 119,
    SlotMirvakCapacitancePerKm = 120,
    SlotMirvakResistancePerKm = 121,
    SlotSyncEvents = 122,
    SlotSyncDuration = 123, // written by the instrument's SYNC result, in microseconds
    SlotSyncTimer = 124,
    SlotSyncFrequency = 125,
    SlotSyncLevel = 126,
    SlotSyncNoise = 127,
    SlotSyncSnr = 128,
};

inline constexpr int32_t MirvakResultSlotCount = 12;

// Writes a result into its row; nothing when the catalogue has not published the slot.
void SetResult(ResultSlot slot, float value);
// The value of a row as the engine last wrote it; NoValue when the slot is not published.
float ResultValue(ResultSlot slot);
// Whether the user has the row of a slot analysed; false when the slot is not published.
bool ResultAnalysed(ResultSlot slot);
