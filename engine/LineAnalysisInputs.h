#pragma once

#include <cstdint>

// What the line analysis shares with the multitone and impedance measurements and the DSL rate
// potential, which are built in another unit of the engine. Until they are here, this unit is their
// narrow stand-in: the arrays and stamped values they keep, the cable table, the instrument's path delay,
// and rate functions that answer NoValue (no rate is reported).

inline constexpr int32_t MaxCombLineResults = 256;

// The per-line results of the multitone measurement; the line analysis puts the line's response in
// Frequency and Attenuation, with EngineBuffers.CombLineCount points.
struct TResultArrays {
    float Frequency[MaxCombLineResults];     // kHz
    float Attenuation[MaxCombLineResults];   // dB
    float GroupDelay[MaxCombLineResults];    // us
    float SignalToNoise[MaxCombLineResults]; // dB
};
extern TResultArrays ResultArrays;

// The line's attenuation over frequency that the rate potentials read in measured mode.
inline constexpr int32_t MaxLineAfcPoints = 1024;
struct TLineAfc {
    int32_t Count = 0;
    float Frequencies[MaxLineAfcPoints] = {}; // kHz, ascending
    float Attenuation[MaxLineAfcPoints] = {}; // dB
};
extern TLineAfc LineAfc;

// Length (km, NoValue when none was found) and cable type 0 .. 5 of the line for the model mode.
extern float CableLengthKm;
extern int32_t CableModelIndex;

// A reference value with the TDateTime of the block it was measured in; Stamp 0 when never measured.
struct TStampedValue {
    float Value = 0;
    double Stamp = 0;
};
extern TStampedValue LastLoopResistance; // Ohm
extern TStampedValue LastCapacitance102; // nF at 1.02 kHz

// The cable types: wire diameter (mm) and nominal loop resistance (Ohm/km); all have 45 nF/km.
inline constexpr int32_t CableTypeCount = 6;
inline constexpr float NominalCapacitance = 45; // nF/km
struct TCableType {
    float Diameter;
    float LoopResistance;
};
extern const TCableType CableTypes[CableTypeCount];

// Attenuation of a cable type at f kHz, dB/km.
float CableAttenuation(int32_t type, float f);

// The DSL rate potentials (kbit/s, NoValue when there is none) in measured mode (1) or over the model
// line (0).
float AdslRatePotential(float psd, int32_t maskCount, const float *maskF, const float *maskDb, int32_t maxBits,
                        int32_t measured);
float ShdslRatePotential(float psd, int32_t bitsPerSymbol, int32_t measured);

// The delay of the instrument's signal path in samples, by the maximum frequency and, for the coaxial
// types 7, 8 and 9, its own column; 0 where the table has none.
float SignalPathDelay(float maxFrequency, int32_t connectionType);
