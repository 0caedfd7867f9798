#include "engine/GeneratorSourceResistance.h"

#include "engine/EngineMath.h"
#include "platform/NoValue.h"

#include <iterator>

namespace {

// Per nominal impedance: the resistance at sample rates up to 320 kHz, and the factors on the nominal
// value at 640, 1280, 2560, 5120 and 10240 kHz; other sample rates keep the nominal value.
struct TSourceRow {
    int32_t Impedance;
    float LowRate;
    float Factors[5];
};

constexpr TSourceRow SourceRows[] = {
    {75, 76.949387f, {1.0245903f, 1.0259918f, 1.0259918f, 1.0273973f, 1.0273973f}},
    {100, 101.01009f, {1.010101f, 1.010101f, 1.0094212f, 1.0087425f, 1.0087425f}},
    {120, 120.72434f, {1.0060362f, 1.0060362f, 1.0053619f, 1.0046885f, 1.0067114f}},
    {135, 135.81488f, {1.0060362f, 1.0060362f, 1.0053619f, 1.0046885f, 1.0060362f}},
    {600, 603.01508f, {1.0050251f, 1.0050251f, 1.0050251f, 1.0050251f, 1.0050251f}},
};
constexpr int32_t FactorRates[] = {640, 1280, 2560, 5120, 10240};
constexpr int32_t HighImpedance = 600;
constexpr int32_t HighImpedanceFlatFrom = 2560; // kHz: the 600 Ohm factor holds for every rate from here

} // namespace

float GeneratorSourceResistance(float genImpedance, float sampleRate) {
    const int32_t impedance = NearestInt(genImpedance);
    const int32_t fs = NearestInt(sampleRate);
    for (const TSourceRow &row : SourceRows) {
        if (row.Impedance != impedance)
            continue;
        const float nominal = static_cast<float>(row.Impedance);
        if (fs <= 320)
            return row.LowRate;
        if (impedance == HighImpedance && fs >= HighImpedanceFlatFrom)
            return nominal * row.Factors[2];
        for (int32_t k = 0; k < static_cast<int32_t>(std::size(FactorRates)); ++k)
            if (fs == FactorRates[k])
                return nominal * row.Factors[k];
        return nominal;
    }
    return NoValue;
}
