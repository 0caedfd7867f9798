#pragma once

#include <cstddef>
#include <span>

// One key of the instrument sections: where its value lives in the settings record, how it is written
// and what a missing key reads as.
struct DeviceSettingsKey {
    enum class Width { I8, U8, I16, I32, F32, HighByte, LowByte, Text };
    enum class Rounding { None, Frequency, ThreeDecimals };
    enum class Missing {
        Current,       // the value in force
        CurrentScaled, // the value in force times the ratio of the new to the old maximum frequency
        Constant,
        LowestBin,    // the live sample rate / 1024
        MaxFrequency, // the live maximum frequency
        WrittenOnly,  // never read
    };
    // What follows the key: a recomputation on reading, or a special rule of writing.
    enum class After {
        Nothing,
        MaxFrequency,
        AdcSizeIndex,
        SpectrumStepIndex,
        MaxLevelIndex,
        Weighting,
        ControlFN,
        MasterRows, // the key is the preset list's row count; the rows follow (value rounding and default
        MirvakRows, // are the entry's)
        AutoByTime, // written as 1 while a link is requested and this master runs
        MirvakFcN,
        MirvakRunState,
    };

    const char16_t *Section;
    const char16_t *Key;
    std::size_t Offset;
    Width FieldWidth;
    Rounding Round;
    Missing Default;
    double Constant;
    After Step;
};

std::span<const DeviceSettingsKey> DeviceSettingsKeyTable();
