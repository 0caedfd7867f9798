#pragma once

#include <QVariant>

#include <cstdint>
#include <span>
#include <utility>

// Clamping and ordering helpers of the control library. The array functions take at least one element;
// among equal elements the first one is returned.

inline int32_t Max(int32_t a, int32_t b) {
    return a > b ? a : b;
}
inline int32_t Min(int32_t a, int32_t b) {
    return a < b ? a : b;
}
inline void SwapInt(int32_t &a, int32_t &b) {
    std::swap(a, b);
}
inline void SwapLong(int32_t &a, int32_t &b) {
    std::swap(a, b);
}
inline void SwapInt64(int64_t &a, int64_t &b) {
    std::swap(a, b);
}

int32_t MaxInteger(std::span<const int32_t> values);
int32_t MinInteger(std::span<const int32_t> values);
int64_t MaxInt64(std::span<const int64_t> values);
int64_t MinInt64(std::span<const int64_t> values);
long double MaxFloat(std::span<const long double> values);
long double MinFloat(std::span<const long double> values);
double MaxDateTime(std::span<const double> values);
double MinDateTime(std::span<const double> values);
// Compared as QVariant compares values of mixed types; the result is a copy of the chosen element.
QVariant MaxOf(std::span<const QVariant> values);
QVariant MinOf(std::span<const QVariant> values);
