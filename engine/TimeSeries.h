#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

struct ParamDescriptor;

// One stored moment of a time series: a TDateTime (days) and the value, NoValue for a gap.
struct TimePoint {
    double Time;
    double Value;
};
static_assert(sizeof(TimePoint) == 16);

// The value history of one parameter row or one point of a graph curve. A parameter row's series samples
// the row's result through ValuePtr (the tables are static, so the pointer stays valid); a graph point's
// series names its curve and point and reads it anew at every frame, because curve holders are
// reallocated and deleted under it.
struct TimeSeries {
    std::deque<TimePoint> Points;
    float *ValuePtr = nullptr;         // the row's result value; null for a graph point
    uint8_t *AnalyseFlagPtr = nullptr; // the row's Analyse setting
    uint8_t *DiagramFlagPtr = nullptr; // the row's TimeDiagram setting; Analyse again for a graph point
    int32_t UnitCode = 0;              // the time diagram that draws it (the row's unit group)
    QString Caption;                   // at most CaptionLength characters, line feeds kept
    int32_t Colour = 0;                // 0x00BBGGRR
    int16_t RefCount = 0;
    int16_t HasNewPoints = 0;
    int16_t ParamId = -1;    // below 100 a numeric row, 100 and above a curve row, -1 a row without identity
    int16_t Active = 1;      // bound to a row of the current kind's table: only active series take points
    int16_t PointIndex = -1; // -1 for a parameter row; else the point of the curve
    int16_t GraphKind = -1;  // the graph kind of a graph point's curve

    int32_t Count() const { return int32_t(Points.size()); }
    // Analyse and TimeDiagram both on behind the two flag pointers.
    bool Sampling() const;
};

inline constexpr int32_t TimeSeriesSlotCount = 30;
inline constexpr int32_t TimeSeriesCaptionLength = 199;
// Once a series holds more points than this and they span more than DTIME_SIGNAL, the oldest goes.
inline constexpr int32_t TimeSeriesKeptPoints = 500;
inline constexpr double OneTenthSecond = 1.1574074074074074e-6; // days
inline constexpr double DefaultTimeSpan = 1.0 / 48;             // 30 minutes

// The slot number names a series everywhere; an empty slot is free.
extern std::array<std::unique_ptr<TimeSeries>, TimeSeriesSlotCount> TimeSeriesSlots;
// Days kept in every series and shown by default in every time diagram: DefaultTimeSpan, and one day while
// the playback window exists (it sets and resets the span).
extern double DTIME_SIGNAL;

// Set by the clear command of a time diagram: the next frame empties the series of that unit instead of
// appending to them.
struct TTimeSeriesClearRequest {
    uint8_t Flag = 0;
    int32_t UnitCode = -1;
};
extern TTimeSeriesClearRequest TimeSeriesClearRequest;

// What the time series need of the windows above the engine, registered by the time diagrams when the
// program starts. Empty members: no window is shown or told, and a graph point has no value.
struct TTimeSeriesViews {
    // A new or re-bound series: the open time diagram of its unit adds its line and comes up, or the
    // diagram of that unit opens (and adds the lines of all series of its unit).
    std::function<void(int32_t unitCode, int32_t slot)> ShowSeries;
    // The series goes: the open diagram of its unit removes its line.
    std::function<void(int32_t unitCode, int32_t slot)> RemoveSeries;
    // The value of a point of a graph curve now, NoValue when the curve or the point does not exist or
    // the present signal kind does not produce the curve.
    std::function<float(int32_t graphKind, int32_t pointIndex)> CurvePointValue;
    // Selective results that arrived while a binding held the settings lock are processed.
    std::function<void()> ReplaySstResults;
};
TTimeSeriesViews &TimeSeriesViews();

// Binds (or, with releaseIfOff, releases) the series of a parameter row after its Analyse or TimeDiagram
// setting changed: the parameter window and configuration loading call it. Nothing while the settings
// lock is held.
void BindRowTimeSeries(ParamDescriptor *row, bool releaseIfOff);
// Binds a point of the curve of graph kind graphKind, the curve of the row `row`, to a time diagram
// (the value table's Ctrl-click). With graphKind -1 the series of the row's ParamId is meant.
// releaseIfFound releases an existing series instead.
void BindParamTimeSeries(const QString &caption, int32_t graphKind, int32_t pointIndex, ParamDescriptor *row,
                         bool releaseIfFound);
// Drops one binding; the last frees the series and its line.
void ReleaseTimeSeries(int32_t slot);
// Frees every series (program close, end of a playback).
void ReleaseAllTimeSeries();
// Frees every series of a graph point (their curves change length with the block size).
void ReleaseCurvePointTimeSeries();

// The value a series samples now: the row's value, or the curve point's.
float SampledValue(const TimeSeries &series);
// One frame's point of one series from frame source 1 signal block, 2 meter frame, 3 selective result,
// 4 SYNC measurement.
void AppendTimeSeries(TimeSeries &series, int32_t source);
// Gap compression, then one more point (no filter, no run compression, no trimming): the sampled value,
// or a gap when `gap` is set or the series is not sampling.
void AppendTimeSeriesPoint(TimeSeries &series, bool gap = false);
// After every judged frame: empties the series of a requested unit, appends to every active series,
// and ends the clear request.
void AppendFrameToTimeSeries(int32_t source);

// Binds every series to the rows of another kind's table by parameter identity.
void RebindTimeSeries(ParamDescriptor *table, int32_t count);
// Every series gets a gap point (the signal was lost).
void GapAllTimeSeries();
