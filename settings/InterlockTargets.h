#pragma once

#include <cstdint>
#include <functional>

// What the interlocks ask of the main window and the graph windows, which sit above this folder. The
// main window registers the entries at start; an empty entry does nothing.
struct TInterlockTargets {
    // Status-bar panel 1 shows this maximum frequency again (after a refused change).
    std::function<void(float maxFrequency)> ShowMaxFrequency;
    // Every open graph window takes the default X range of its kind (after the band followed the MTTS).
    std::function<void()> ResetGraphXRanges;
    // The graph window of the weighted levels (kind 2) drops its curve (the weighting was removed).
    std::function<void()> ClearWeightedGraph;
};

TInterlockTargets &InterlockTargets();
