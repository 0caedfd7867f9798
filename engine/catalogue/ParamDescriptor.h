#pragma once

#include "platform/NoValue.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

// Verdicts combine by bitwise AND, so a summary that starts at ParamNotJudged stays there when
// nothing was judged.
inline constexpr uint8_t ParamFailed = 0;
inline constexpr uint8_t ParamPassed = 1;
inline constexpr uint8_t ParamNotJudged = 3;

// The user's settings of one parameter row. Stored byte for byte in the binary settings snapshots of
// configurations and recordings, so the layout is a file format: every field sits at its natural
// alignment and the gaps are explicit, zeroed members, which gives the same bytes as a packed record
// while the engine may still point at single fields (EventNormPointers, GraphParamSettings).
struct ParamSettings {
    uint8_t Analyse;
    uint8_t Protocol;
    uint8_t ApplyLower;
    uint8_t ApplyUpper;
    float LowerNorm;
    float UpperNorm;
    uint8_t ComputeMargin;
    uint8_t Reserved1[3];
    float Factor; // kept and stored; nothing reads it
    uint8_t TimeDiagram;
    uint8_t TextWindow;
    int16_t LowerMaskName; // index into MaskNameList, -1 none
    int16_t UpperMaskName;
    uint8_t Reserved2[2];
    float YScaleMin;
    float YScaleMax;
    int32_t Colour; // 0x00BBGGRR
};

static_assert(sizeof(ParamSettings) == 40);
static_assert(std::is_standard_layout_v<ParamSettings> && std::is_trivially_copyable_v<ParamSettings>);
static_assert(offsetof(ParamSettings, Analyse) == 0);
static_assert(offsetof(ParamSettings, Protocol) == 1);
static_assert(offsetof(ParamSettings, ApplyLower) == 2);
static_assert(offsetof(ParamSettings, ApplyUpper) == 3);
static_assert(offsetof(ParamSettings, LowerNorm) == 4);
static_assert(offsetof(ParamSettings, UpperNorm) == 8);
static_assert(offsetof(ParamSettings, ComputeMargin) == 12);
static_assert(offsetof(ParamSettings, Factor) == 16);
static_assert(offsetof(ParamSettings, TimeDiagram) == 20);
static_assert(offsetof(ParamSettings, TextWindow) == 21);
static_assert(offsetof(ParamSettings, LowerMaskName) == 22);
static_assert(offsetof(ParamSettings, UpperMaskName) == 24);
static_assert(offsetof(ParamSettings, YScaleMin) == 28);
static_assert(offsetof(ParamSettings, YScaleMax) == 32);
static_assert(offsetof(ParamSettings, Colour) == 36);

// The last result of one row; copied byte for byte into remote-link result messages and protocol
// snapshots, so the layout is a wire format.
struct ParamResult {
    float Value;  // NoValue when nothing was measured
    float Margin; // NoValue when there is none
    uint8_t Verdict;
    uint8_t Reserved[3];
};

static_assert(sizeof(ParamResult) == 12);
static_assert(std::is_standard_layout_v<ParamResult> && std::is_trivially_copyable_v<ParamResult>);
static_assert(offsetof(ParamResult, Value) == 0);
static_assert(offsetof(ParamResult, Margin) == 4);
static_assert(offsetof(ParamResult, Verdict) == 8);

// One row of a ParameterTable: the fixed description of a measured parameter, the user's settings for
// it and its last result. Texts are static UTF-8 and end with a line feed where the row has them.
struct ParamDescriptor {
    const char *Caption; // "name,unit" + line feed
    const char *Hint;    // lines separated by line feeds
    float MinValue;      // lower end of the code range and of the graph's Y axis
    float MaxValue;      // upper end
    float Increment;     // Y increment and smallest Y zoom step of the graph window
    float ScaleMin;      // lowest value the norm editor offers
    float ScaleMax;      // highest value the norm editor offers
    int32_t CodeSteps;   // code steps between MinValue and MaxValue when coded in 16 bits
    uint8_t WireBytes;   // 2: 16-bit code, 4: the float itself, 0: no numeric value
    uint8_t TextNorms;   // 1: a curve whose norms are mask templates
    uint8_t ProtocolAllowed;
    uint8_t TimeDiagramAllowed;
    uint8_t TextWindowAllowed;
    uint8_t LowerNormAllowed;
    uint8_t UpperNormAllowed;
    uint8_t MarginAllowed;
    int8_t MaskSlot;      // 0..43, -1 none
    const char *FileMask; // "*.9sf" + line feed, or a lone line feed
    int8_t GraphKind;     // 0..38, -1 for a number
    int16_t ParamId;      // same quantity, same id across tables; -1 none
    int8_t UnitGroup;     // time-diagram window of the parameter, -1 none

    ParamSettings Settings;
    ParamResult Result;
};
