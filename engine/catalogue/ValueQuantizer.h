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

// Every coder below gives a defined code for any input: the value is clamped to the range before it is
// coded, a value that is not a number codes as 0, and a degenerate range (no steps, max equal to min, a
// logarithmic range that does not lie above 0) codes everything as 0 and decodes every code as min.

// trunc(scaled + 0.5) as a 16-bit code, saturating at 0 and 65535.
uint16_t RoundToCode16(double scaled);

// Linear codes: code = trunc(steps x (v - min) / (max - min) + 0.5), v clamped to [min, max];
// value = min + code x (max - min) / steps, the code read as unsigned.
uint16_t QuantizeValue(double min, double max, int32_t steps, double value);
double DequantizeValue(double min, double max, int32_t steps, uint16_t code);
uint8_t QuantizeValue8(double min, double max, int32_t steps, double value);
double DequantizeValue8(double min, double max, int32_t steps, uint8_t code);
uint16_t QuantizeValue(const ValueQuantizer &q, double value);
double DequantizeValue(const ValueQuantizer &q, uint16_t code);
uint8_t QuantizeValue8(const ValueQuantizer &q, double value);
double DequantizeValue8(const ValueQuantizer &q, uint8_t code);

// The remote-link records name the 16-bit linear code by its width.
inline uint16_t QuantizeLinear16(double min, double max, int32_t steps, double value) {
    return QuantizeValue(min, max, steps, value);
}
inline double DequantizeLinear16(double min, double max, int32_t steps, uint16_t code) {
    return DequantizeValue(min, max, steps, code);
}

// Leaves in `value` the nearest value that the descriptor's code represents and returns that code, so
// that both analysers of a pair hold the same number.
uint16_t SnapValue(const ValueQuantizer &q, double &value);
uint8_t SnapValue8(const ValueQuantizer &q, double &value);

// Logarithmic code: code = trunc(steps x log10(v / min) / log10(max / min) + 0.5), v clamped to
// [min, max]; value = min x 10^(log10(max / min) x code / steps).
uint16_t QuantizeLog(double min, double max, int32_t steps, double value);
double DequantizeLog(double min, double max, int32_t steps, uint16_t code);
uint16_t QuantizeLog65535(double min, double max, double value);
double DequantizeLog65535(double min, double max, uint16_t code);
uint16_t QuantizeLog(const ValueQuantizer &q, double value);
double DequantizeLog(const ValueQuantizer &q, uint16_t code);

// A row's norm coded over MinValue..MaxValue in CodeSteps steps, clamped to the row's range like every
// other code.
uint16_t QuantizeByDescriptor(const ParamDescriptor &row, double value);
// Leaves value as it was for a row without code steps.
void DequantizeByDescriptor(const ParamDescriptor &row, double &value, uint16_t code);
