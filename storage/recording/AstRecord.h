#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

// The selective mode's work state as one ".ast" record stores it. What the values mean belongs to the
// selective mode, which fills and restores it through the recording services; the recorder and playback
// only carry it. Recordings of older program versions carry fewer arrays and flags.
struct TAstRecord {
    int32_t CalibrationValid[6] = {};
    int32_t WorkValues[3] = {};
    std::vector<float> PointArrayA; // N values, N the record's point count
    std::vector<float> PointArrayB;
    std::vector<float> BinArray1; // M values, M the bin count of the work arrays
    std::vector<float> BinArray2;
    std::vector<double> BinArray3;
    std::vector<std::vector<float>> PointArrays; // twelve arrays of N values (three before V6.05, none before V6.03)

    int32_t PointCount() const { return int32_t(PointArrayA.size()); }
};

inline constexpr int32_t AstPointArrayCount = 12;
// Where a record's point count N stands: after its first two calibration flags and the three work values.
inline constexpr int32_t AstPointCountOffset = 2 * sizeof(int32_t) + sizeof(TAstRecord::WorkValues);

// The record as this program writes it; the bin arrays are written at the size they have.
QByteArray EncodeAstRecord(const TAstRecord &record);

// Reads a record of a recording of `version` (its version text) from `size` bytes at `data`. Recordings
// from V6.10 on carry the bin arrays at the work arrays' bin count `binCount`, older ones at the point
// count. False, with `record` unspecified, when the bytes end before the record does or a count is
// negative or larger than the bytes could hold.
bool DecodeAstRecord(const char *data, int64_t size, const QByteArray &version, int32_t binCount, TAstRecord &record);
