#include "engine/catalogue/ValueQuantizer.h"

#include "engine/catalogue/ParamDescriptor.h"

#include <algorithm>
#include <cmath>
#include <iterator>

ValueQuantizer ValueQuantizers[ValueQuantizerCount];

namespace {

// clang-format off
constexpr ValueQuantizer QuantizerPresets[ValueQuantizerCount] = {
    {-40, 20, 240, 0.25},
    {-60, 40, 20000, 0.1},
    {30, 1500, 29400, 0.1},
    {-60, 40, 20000, 0.1},
    {30, 1500, 29400, 0.1},
    {-140, 80, 220, 1},
    {-10, 80, 90, 1},
    {0, 300, 30000, 0.01},
    {0.1, 10, 99, 0.1},
    {-160, 100, 52000, 0.1},
    {-160, 100, 52000, 0.1},
    {-160, 100, 52000, 0.1},
    {-160, 100, 52000, 0.1},
    {-160, 100, 52000, 0.1},
    {0.001, 10000, 65535, 0},
    {-40, 280, 64000, 0},
};
// clang-format on

// trunc(scaled + 0.5) as an unsigned code of at most maxCode; NaN gives 0 and anything beyond the
// code's width saturates, since converting such a double to an integer is undefined.
uint32_t RoundedCode(double scaled, uint32_t maxCode) {
    const double rounded = std::trunc(scaled + 0.5);
    if (!(rounded > 0))
        return 0;
    if (rounded >= double(maxCode))
        return maxCode;
    return uint32_t(rounded);
}

bool LinearRangeUsable(double min, double max, int32_t steps) {
    return steps > 0 && max != min;
}

// The clamp is written out rather than taken from std::clamp, which is undefined for max below min.
double ClampedTo(double value, double min, double max) {
    if (value > max)
        value = max;
    if (value < min)
        value = min;
    return value;
}

uint32_t LinearCode(double min, double max, int32_t steps, double value, uint32_t maxCode) {
    if (!LinearRangeUsable(min, max, steps))
        return 0;
    return RoundedCode(steps * (ClampedTo(value, min, max) - min) / (max - min), maxCode);
}

double LinearValue(double min, double max, int32_t steps, uint32_t code) {
    if (!LinearRangeUsable(min, max, steps))
        return min;
    return min + code * (max - min) / steps;
}

// The logarithm needs a range above 0 with two different ends.
bool LogRangeUsable(double min, double max, int32_t steps) {
    return steps > 0 && min > 0 && max > min;
}

} // namespace

void InitValueQuantizers() {
    std::copy(std::begin(QuantizerPresets), std::end(QuantizerPresets), ValueQuantizers);
}

uint16_t RoundToCode16(double scaled) {
    return uint16_t(RoundedCode(scaled, UINT16_MAX));
}

uint16_t QuantizeValue(double min, double max, int32_t steps, double value) {
    return uint16_t(LinearCode(min, max, steps, value, UINT16_MAX));
}

double DequantizeValue(double min, double max, int32_t steps, uint16_t code) {
    return LinearValue(min, max, steps, code);
}

uint8_t QuantizeValue8(double min, double max, int32_t steps, double value) {
    return uint8_t(LinearCode(min, max, steps, value, UINT8_MAX));
}

double DequantizeValue8(double min, double max, int32_t steps, uint8_t code) {
    return LinearValue(min, max, steps, code);
}

uint16_t QuantizeValue(const ValueQuantizer &q, double value) {
    return QuantizeValue(q.Min, q.Max, q.Steps, value);
}

double DequantizeValue(const ValueQuantizer &q, uint16_t code) {
    return DequantizeValue(q.Min, q.Max, q.Steps, code);
}

uint8_t QuantizeValue8(const ValueQuantizer &q, double value) {
    return QuantizeValue8(q.Min, q.Max, q.Steps, value);
}

double DequantizeValue8(const ValueQuantizer &q, uint8_t code) {
    return DequantizeValue8(q.Min, q.Max, q.Steps, code);
}

uint16_t SnapValue(const ValueQuantizer &q, double &value) {
    const uint16_t code = QuantizeValue(q, value);
    value = DequantizeValue(q, code);
    return code;
}

uint8_t SnapValue8(const ValueQuantizer &q, double &value) {
    const uint8_t code = QuantizeValue8(q, value);
    value = DequantizeValue8(q, code);
    return code;
}

uint16_t QuantizeLog(double min, double max, int32_t steps, double value) {
    if (!LogRangeUsable(min, max, steps))
        return 0;
    return RoundToCode16(steps * std::log10(ClampedTo(value, min, max) / min) / std::log10(max / min));
}

double DequantizeLog(double min, double max, int32_t steps, uint16_t code) {
    if (!LogRangeUsable(min, max, steps))
        return min;
    return min * std::pow(10.0, std::log10(max / min) * code / steps);
}

uint16_t QuantizeLog65535(double min, double max, double value) {
    return QuantizeLog(min, max, UINT16_MAX, value);
}

double DequantizeLog65535(double min, double max, uint16_t code) {
    return DequantizeLog(min, max, UINT16_MAX, code);
}

uint16_t QuantizeLog(const ValueQuantizer &q, double value) {
    return QuantizeLog(q.Min, q.Max, q.Steps, value);
}

double DequantizeLog(const ValueQuantizer &q, uint16_t code) {
    return DequantizeLog(q.Min, q.Max, q.Steps, code);
}

uint16_t QuantizeByDescriptor(const ParamDescriptor &row, double value) {
    return QuantizeValue(row.MinValue, row.MaxValue, row.CodeSteps, value);
}

void DequantizeByDescriptor(const ParamDescriptor &row, double &value, uint16_t code) {
    if (row.CodeSteps == 0)
        return;
    value = DequantizeValue(row.MinValue, row.MaxValue, row.CodeSteps, code);
}
