#pragma once

#include <cstdint>
#include <functional>
#include <optional>

// The arrays of one curve as a graph window reads them; 32-bit floats, the no-value sentinel where a
// point has no value.
struct TCurveArrays {
    const float *X = nullptr;
    const float *Y = nullptr;
    int32_t Count = 0;
};

// The echoes of the PRBS measurement: eight entries, the sentinel where there is no echo.
inline constexpr int32_t ReflectionRowCount = 8;
struct TReflectionRows {
    const float *Delay = nullptr;    // us
    const float *Distance = nullptr; // m
    const float *Percent = nullptr;
    const float *Level = nullptr; // dB
};

// The curves that live in holders of other subsystems: the selective results and the PRBS echo table.
// Each owner registers its provider; an empty provider, or one that answers nullopt, means the holder
// does not exist now.
struct TGraphSources {
    // Kinds 21 to 36: the level results (21, 22) or the response array of the kind on its frequency axis.
    std::function<std::optional<TCurveArrays>(int kind)> Selective;
    // Index of the selective bin of a frequency (kHz): 0 at or below the first, the last at or above
    // the last, -1 between two bins.
    std::function<int32_t(float frequency)> SelectiveFindBin;
    std::function<std::optional<TReflectionRows>()> Reflections;
};
extern TGraphSources GraphSources;

// The curve of a graph kind, or nullopt when its holder does not exist (kinds 18, 19, 21 to 36, and
// the kinds whose arrays are not there yet). Kind 0 takes the SYNC oscillogram while a SYNC run is on,
// except for the export, which always takes the plain oscillogram.
std::optional<TCurveArrays> GraphCurve(int kind, bool forExport = false);

// Whether the current signal kind produces the graph kind with its parameter row analysed.
bool KindVisible(int kind);
