#pragma once

#include "engine/ResultSlots.h"

#include <cstdint>

inline constexpr int32_t LineAfcCapacity = 1024;
inline constexpr int32_t CableTypeCount = 6;
inline constexpr float DmtToneSpacing = 4.3125f; // kHz between two DMT tones

// The line's attenuation over frequency that the rate potentials read in measured mode; written by
// the multitone measurement and by the line analysis of the reflectogram.
struct TLineAfc {
    int32_t Count = 0;
    float Frequencies[LineAfcCapacity] = {}; // kHz, ascending
    float Attenuation[LineAfcCapacity] = {}; // dB
};
extern TLineAfc LineAfc;

// The line length (km, NoValue when none was found) and cable type 0..5 of the model mode.
extern float CableLengthKm;
extern int32_t CableModelIndex;

// Nominal data of the six cable types.
extern const float CableDiameterMm[CableTypeCount];
extern const float CableLoopResistance[CableTypeCount]; // Ohm/km
inline constexpr float CableCapacitanceNfPerKm = 45;

// Attenuation of a cable type in dB/km at f kHz; NoValue for a type outside 0..5.
float CableAttenuation(int32_t type, float f);

// 10 log10(10^(a/10) + 10^(b/10)).
float PowerSumDb(float a, float b);

// The level change (dB) of a noise measured across r1 Ohm when seen across r2; 0 unless both are > 0.
float ImpedanceLevelCorrection(float r1, float r2);

// The bit rate (kbit/s) an ADSL system reaches with a transmit power of psd dBm under the transmit mask
// (maskCount points maskF kHz -> maskDb dB) and at most maxBits per tone: over LineAfc and
// NoiseReference (measured) or over the cable model of CableModelIndex and CableLengthKm with the model
// noise. NoValue when the inputs do not cover the mask or there is no length.
float AdslRatePotential(float psd, int32_t maskCount, const float *maskF, const float *maskDb, int32_t maxBits,
                        bool measured);

// The SHDSL rate (kbit/s) at 3 or 4 bits per symbol, on the 64 kbit/s grid, 0 when even the lowest
// rate fails; NoValue when the inputs do not cover a Nyquist frequency that is tried or there is no
// length.
float ShdslRatePotential(float psd, int32_t bitsPerSymbol, bool measured);

// The ten pairs of DSL rows (rate, percentage of the model rate) whose result slots follow each other
// from firstRateSlot; a pair is computed only when one of its rows is analysed, the model rate only
// when the percentage row is. The rows of a pair not computed keep what they hold.
void MeasureDslRates(ResultSlot firstRateSlot);
