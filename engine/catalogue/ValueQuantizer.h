#pragma once

#include <cstdint>

struct ParamDescriptor;

// Carries a setting to the peer analyser as a small integer code. Step is handed along with the
// descriptor (the spin step of the edit that uses it); no code computation reads it.
struct ValueQuantizer {
    double Min;
    double Max;
    int32_t Steps;
    double Step;
};

inline constexpr int32_t ValueQuantizerCount = 16;

// 0 control level (8-bit code), 1 generator reference, 2 generator impedance, 3 meter reference,
// 4 meter impedance, 5 Lmin, 6 minimum signal-to-noise, 7 cable velocity, 8 merge interval,
// 9..13 generator levels of SIN, SIN2, RND, NOISE and MTTS, 14 weighting frequency (logarithmic code),
// 15 weighting value.
extern ValueQuantizer ValueQuantizers[ValueQuantizerCount];
void InitValueQuantizers();

// Linear codes: the value is clamped to [Min, Max] first; a code is rounded to the nearest step.
// A value that is not a number codes as 0.
uint16_t QuantizeValue(const ValueQuantizer &q, double value);
double DequantizeValue(const ValueQuantizer &q, uint16_t code);
uint8_t QuantizeValue8(const ValueQuantizer &q, double value);
double DequantizeValue8(const ValueQuantizer &q, uint8_t code);

// Logarithmic code over [Min, Max] (Min > 0) in Steps steps.
uint16_t QuantizeLog(const ValueQuantizer &q, double value);
double DequantizeLog(const ValueQuantizer &q, uint16_t code);

// A row's norm coded over MinValue..MaxValue in CodeSteps steps without clamping to the row's range;
// codes beyond the 16 bits saturate at 0 and 65535 instead of wrapping round.
uint16_t QuantizeByDescriptor(const ParamDescriptor &row, double value);
// Leaves value as it was for a row without code steps.
void DequantizeByDescriptor(const ParamDescriptor &row, double &value, uint16_t code);
