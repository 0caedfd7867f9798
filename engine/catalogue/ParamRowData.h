#pragma once

#include <cstddef>
#include <cstdint>

// One row of a parameter table as the table files write it: the column order of the catalogue's own
// row listing, so that a row reads as one line of data.
struct ParamRowData {
    const char *Caption; // ends with a line feed
    int16_t ResultSlot;  // ParamResultSlots entry, NoSlot when the engine does not write the row
    int16_t ParamId;
    int8_t UnitGroup;
    float MinValue;
    float MaxValue;
    float Increment;
    float ScaleMin;
    float ScaleMax;
    int32_t CodeSteps;
    uint8_t WireBytes;
    uint8_t Allowed; // SwitchesAllowed()
    int8_t MaskSlot;
    int8_t GraphKind;
    const char *FileMask; // ends with a line feed; NoFileMask when there are no templates
    uint8_t Defaults;     // DefaultSwitches()
    float LowerNorm;
    float UpperNorm;
    float Factor;
    float YScaleMin;
    float YScaleMax;
    int32_t Colour;
    const char *Hint;
    uint8_t TextWindow = 0; // initial value window switch
};

inline constexpr int16_t NoSlot = -1;
inline constexpr const char *NoFileMask = "\n";

// Windows colour values 0x00BBGGRR.
inline constexpr int32_t Red = 0x0000FF;
inline constexpr int32_t Blue = 0xFF0000;
inline constexpr int32_t Green = 0x008000;
inline constexpr int32_t Lime = 0x00FF00;
inline constexpr int32_t Teal = 0x808000;
inline constexpr int32_t Olive = 0x008080;
inline constexpr int32_t Purple = 0x800080;
inline constexpr int32_t Black = 0x000000;

// A switch set written as letters in fixed positions, "-" for an unset switch; bit i is position i.
// A letter out of place stops the build.
template <std::size_t N> consteval uint8_t LetterSwitches(const char (&text)[N], const char (&letters)[N]) {
    uint8_t mask = 0;
    for (std::size_t i = 0; i + 1 < N; ++i) {
        if (text[i] == letters[i])
            mask |= uint8_t(1u << i);
        else if (text[i] != '-')
            throw "switch letter out of place";
    }
    return mask;
}

// TextNorms, ProtocolAllowed, TimeDiagramAllowed, TextWindowAllowed, LowerNormAllowed,
// UpperNormAllowed, MarginAllowed.
enum AllowedBit : uint8_t { AllowT = 1, AllowP = 2, AllowD = 4, AllowW = 8, AllowL = 16, AllowU = 32, AllowM = 64 };
consteval uint8_t SwitchesAllowed(const char (&text)[8]) {
    return LetterSwitches(text, "TPDWLUM");
}

// Analyse, Protocol, ApplyLower, ApplyUpper, ComputeMargin.
enum DefaultBit : uint8_t { DefaultA = 1, DefaultP = 2, DefaultL = 4, DefaultU = 8, DefaultM = 16 };
consteval uint8_t DefaultSwitches(const char (&text)[6]) {
    return LetterSwitches(text, "APLUM");
}
