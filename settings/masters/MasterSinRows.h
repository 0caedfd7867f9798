#pragma once

#include <cstdint>

// The rows of the SIN parameter table that the masters read: the measured frequency, level and
// attenuation of the frame just evaluated.
inline constexpr int32_t SinFrequencyRow = 2;   // "Частота,кГц"
inline constexpr int32_t SinLevelRow = 3;       // "Сигнал,дБм0"
inline constexpr int32_t SinAttenuationRow = 6; // "Затухание,дБ"

float SinRowValue(int32_t row);
