#pragma once

#include <QString>

#include <cstdint>

struct ParamDescriptor;

// Configurations store a time series of a graph point by a source code that names the curve's parameter
// row: 100 to 110 the MTTS curve rows, 300 and 301 the level and weighted spectrum rows of the current
// signal kind's table, 302 to 305 the NOISE spectrum rows. Legacy binary configurations know only 100 to
// 108, 300 and 301.
struct TTimeSeriesSource {
    ParamDescriptor *Row = nullptr; // null: the code names no source
    int32_t GraphKind = -1;
};
TTimeSeriesSource TimeSeriesSourceOf(int32_t code, bool legacy);

// Binds the series of point `position` of the source's curve (nothing for a code without a source).
// Configuration loading runs with the settings lock held, so the binding is refused there unless the
// caller released the lock.
void BindSourceTimeSeries(const QString &caption, int32_t code, int32_t position, bool legacy);
