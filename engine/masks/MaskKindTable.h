#pragma once

#include <array>

// A kind of mask file the mask editor writes: the units of its columns, its entry in the kind list and
// the file dialogs, its file pattern, the hint of the kind list and the admissible ranges (inclusive).
struct TMaskKind {
    const char *XUnit;
    const char *YUnit;
    const char *Title;
    const char *Pattern; // "*." + extension
    const char *Description;
    float XMin, XMax;
    float YMin, YMax;
};

inline constexpr int MaskKindCount = 21;
inline constexpr int WeightingMaskKind = 17; // the weighting characteristic, *.9wf
extern const std::array<TMaskKind, MaskKindCount> MaskKindTable;
