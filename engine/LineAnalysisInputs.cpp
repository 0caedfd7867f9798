#include "engine/LineAnalysisInputs.h"

#include "engine/EngineMath.h"
#include "platform/NoValue.h"

#include <array>

TResultArrays ResultArrays;
TLineAfc LineAfc;
float CableLengthKm = NoValue;
int32_t CableModelIndex = 2;
TStampedValue LastLoopResistance;
TStampedValue LastCapacitance102;

const TCableType CableTypes[CableTypeCount] = {{0.32f, 432}, {0.4f, 278}, {0.5f, 180},
                                               {0.64f, 110}, {0.9f, 56.8f}, {1.2f, 31.6f}};

namespace {

struct TCableCurve {
    int32_t Count;
    const float *F;
    const float *Db;
};

constexpr float FineF[] = {0.8f, 3,   5,   10,  20,  50,  100,  150,  200,  250,  300,  400,
                           500,  600, 700, 800, 900, 1000, 1200, 1500, 2000, 2500, 10000};
constexpr float MidF[] = {0.3f, 0.8f, 3,   5,   10,  20,  50,  100,  150,  200,  250,  300,
                          400,  500,  600, 700, 800, 900, 1000, 1220, 1500, 2000, 10000};
constexpr float ThickF[] = {0.8f, 6, 10, 20, 30, 40, 60, 76, 120, 250, 350, 550, 700, 1000, 2000, 10000};
constexpr float Type0[] = {1.92f, 3.66f, 4.7f, 6.49f, 8.77f, 12.4f, 14.8f, 15.9f, 16.6f, 16.9f, 17.6f, 18.7f,
                           20.1f, 21.2f, 22.5f, 23.6f, 24.8f, 26.3f, 28,    32,    37.5f, 45.3f, 162.3f};
constexpr float Type1[] = {1.54f, 2.92f, 3.73f, 5.12f, 6.81f, 9.12f, 10.3f, 11.1f, 11.6f, 12.2f, 12.9f, 14.2f,
                           15.6f, 16.9f, 18.2f, 19.4f, 20.3f, 21.7f, 23.6f, 25.4f, 30,    33.4f, 84.4f};
constexpr float Type2[] = {1.23f, 2.33f, 2.94f, 3.98f, 5.15f, 6.48f, 7.17f, 7.82f, 8.56f, 9.21f, 9.9f, 11.2f,
                           12.4f, 13.4f, 14.6f, 15.8f, 16.4f, 17.2f, 19,    21.3f, 24.1f, 27.4f, 76.9f};
constexpr float Type3[] = {0.61f, 0.95f, 1.76f, 2.22f, 2.89f,  3.53f,  4.1f,   4.69f,  5.33f, 5.95f, 6.66f, 7.23f,
                           8.39f, 9.37f, 10.1f, 10.85f, 11.58f, 12.37f, 12.91f, 14.23f, 15.72f, 18.25f, 58.7f};
constexpr float Type4[] = {0.6f, 1.4f, 1.6f, 2, 2.2f, 2.4f, 2.7f, 2.9f, 3.4f, 4.6f, 5.4f, 6.8f, 7.7f, 9.1f, 12.9f, 43.3f};
constexpr float Type5[] = {0.5f, 1, 1.1f, 1.5f, 1.7f, 1.9f, 2.3f, 2.5f, 3.1f, 4.1f, 4.7f, 5.8f, 6.5f, 7.8f, 10.9f, 35.7f};

constexpr TCableCurve CableCurves[CableTypeCount] = {
    {23, FineF, Type0}, {23, FineF, Type1}, {23, FineF, Type2}, {23, MidF, Type3}, {16, ThickF, Type4}, {16, ThickF, Type5}};

constexpr std::array<int32_t, 11> DelayFrequencies = {4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096};
constexpr std::array<float, 11> BalancedDelay = {127.572197f, 158.146301f, 219.293594f, 341.587219f,
                                                 586.173706f, 51.3452f,    51.9999f,    52.0807f,
                                                 52.0304f,    45.0398f,    38.3308f};
constexpr std::array<float, 11> CoaxialDelay = {0, 0, 0, 0, 0, 51.3112f, 51.9443f, 52.0507f, 51.9695f, 44.9748f, 38.2221f};

} // namespace

float CableAttenuation(int32_t type, float f) {
    if (type < 0 || type >= CableTypeCount)
        return NoValue;
    const TCableCurve &c = CableCurves[type];
    return InterpolateTable(f, c.Count, c.F, c.Db);
}

// Stand-in: the rate potentials are computed elsewhere; until then no rate is reported.
float AdslRatePotential(float, int32_t, const float *, const float *, int32_t, int32_t) {
    return NoValue;
}

float ShdslRatePotential(float, int32_t, int32_t) {
    return NoValue;
}

float SignalPathDelay(float maxFrequency, int32_t connectionType) {
    const bool coaxial = connectionType >= 7 && connectionType <= 9;
    const int32_t m = NearestInt(maxFrequency);
    for (size_t i = 0; i < DelayFrequencies.size(); ++i)
        if (DelayFrequencies[i] == m)
            return coaxial ? CoaxialDelay[i] : BalancedDelay[i];
    return 0;
}
