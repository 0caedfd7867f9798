#include "engine/catalogue/ValueQuantizer.h"

#include "engine/catalogue/ParamDescriptor.h"

#include <algorithm>
#include <cmath>

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

double Clamped(const ValueQuantizer &q, double value) {
    return std::clamp(value, q.Min, q.Max);
}

uint32_t LinearCode(const ValueQuantizer &q, double value, uint32_t maxCode) {
    return RoundedCode(q.Steps * (Clamped(q, value) - q.Min) / (q.Max - q.Min), maxCode);
}

double LinearValue(const ValueQuantizer &q, uint32_t code) {
    return q.Min + code * (q.Max - q.Min) / q.Steps;
}

} // namespace

void InitValueQuantizers() {
    std::copy(std::begin(QuantizerPresets), std::end(QuantizerPresets), ValueQuantizers);
}

uint16_t QuantizeValue(const ValueQuantizer &q, double value) {
    return uint16_t(LinearCode(q, value, UINT16_MAX));
}

double DequantizeValue(const ValueQuantizer &q, uint16_t code) {
    return LinearValue(q, code);
}

uint8_t QuantizeValue8(const ValueQuantizer &q, double value) {
    return uint8_t(LinearCode(q, value, UINT8_MAX));
}

double DequantizeValue8(const ValueQuantizer &q, uint8_t code) {
    return LinearValue(q, code);
}

uint16_t QuantizeLog(const ValueQuantizer &q, double value) {
    return uint16_t(
        RoundedCode(q.Steps * std::log10(Clamped(q, value) / q.Min) / std::log10(q.Max / q.Min), UINT16_MAX));
}

double DequantizeLog(const ValueQuantizer &q, uint16_t code) {
    return q.Min * std::pow(10.0, std::log10(q.Max / q.Min) * code / q.Steps);
}

uint16_t QuantizeByDescriptor(const ParamDescriptor &row, double value) {
    const double min = row.MinValue;
    const double max = row.MaxValue;
    if (max == min)
        return 0;
    return uint16_t(RoundedCode((value - min) * row.CodeSteps / (max - min), UINT16_MAX));
}

void DequantizeByDescriptor(const ParamDescriptor &row, double &value, uint16_t code) {
    if (row.CodeSteps == 0)
        return;
    const double min = row.MinValue;
    const double max = row.MaxValue;
    value = min + code * (max - min) / row.CodeSteps;
}
