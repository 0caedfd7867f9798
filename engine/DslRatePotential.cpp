#include "engine/DslRatePotential.h"

#include "engine/EngineBuffers.h"
#include "engine/EngineMath.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>
#include <iterator>

TLineAfc LineAfc;
float CableLengthKm = NoValue;
int32_t CableModelIndex = 2;

const float CableDiameterMm[CableTypeCount] = {0.32f, 0.4f, 0.5f, 0.64f, 0.9f, 1.2f};
const float CableLoopResistance[CableTypeCount] = {432, 278, 180, 110, 56.8f, 31.6f};

namespace {

// clang-format off
constexpr float TwistedPairF[] = {0.8f, 3, 5, 10, 20, 50, 100, 150, 200, 250, 300, 400, 500, 600, 700, 800, 900,
                                  1000, 1200, 1500, 2000, 2500, 10000};
constexpr float Cable0Db[] = {1.92f, 3.66f, 4.7f, 6.49f, 8.77f, 12.4f, 14.8f, 15.9f, 16.6f, 16.9f, 17.6f, 18.7f, 20.1f,
                              21.2f, 22.5f, 23.6f, 24.8f, 26.3f, 28, 32, 37.5f, 45.3f, 162.3f};
constexpr float Cable1Db[] = {1.54f, 2.92f, 3.73f, 5.12f, 6.81f, 9.12f, 10.3f, 11.1f, 11.6f, 12.2f, 12.9f, 14.2f, 15.6f,
                              16.9f, 18.2f, 19.4f, 20.3f, 21.7f, 23.6f, 25.4f, 30, 33.4f, 84.4f};
constexpr float Cable2Db[] = {1.23f, 2.33f, 2.94f, 3.98f, 5.15f, 6.48f, 7.17f, 7.82f, 8.56f, 9.21f, 9.9f, 11.2f, 12.4f,
                              13.4f, 14.6f, 15.8f, 16.4f, 17.2f, 19, 21.3f, 24.1f, 27.4f, 76.9f};
constexpr float Cable3F[] = {0.3f, 0.8f, 3, 5, 10, 20, 50, 100, 150, 200, 250, 300, 400, 500, 600, 700, 800, 900, 1000,
                             1220, 1500, 2000, 10000};
constexpr float Cable3Db[] = {0.61f, 0.95f, 1.76f, 2.22f, 2.89f, 3.53f, 4.1f, 4.69f, 5.33f, 5.95f, 6.66f, 7.23f, 8.39f,
                              9.37f, 10.1f, 10.85f, 11.58f, 12.37f, 12.91f, 14.23f, 15.72f, 18.25f, 58.7f};
constexpr float ThickF[] = {0.8f, 6, 10, 20, 30, 40, 60, 76, 120, 250, 350, 550, 700, 1000, 2000, 10000};
constexpr float Cable4Db[] = {0.6f, 1.4f, 1.6f, 2, 2.2f, 2.4f, 2.7f, 2.9f, 3.4f, 4.6f, 5.4f, 6.8f, 7.7f, 9.1f, 12.9f, 43.3f};
constexpr float Cable5Db[] = {0.5f, 1, 1.1f, 1.5f, 1.7f, 1.9f, 2.3f, 2.5f, 3.1f, 4.1f, 4.7f, 5.8f, 6.5f, 7.8f, 10.9f, 35.7f};
// clang-format on

struct TCableTable {
    const float *F;
    const float *Db;
    int32_t Count;
};

constexpr TCableTable CableTables[CableTypeCount] = {
    {TwistedPairF, Cable0Db, std::size(TwistedPairF)}, {TwistedPairF, Cable1Db, std::size(TwistedPairF)},
    {TwistedPairF, Cable2Db, std::size(TwistedPairF)}, {Cable3F, Cable3Db, std::size(Cable3F)},
    {ThickF, Cable4Db, std::size(ThickF)},             {ThickF, Cable5Db, std::size(ThickF)},
};

// The model noise: background noise and the coupling loss of a neighbouring system's signal.
constexpr float BackgroundF[] = {10, 300, 400, 533.3f, 711, 1500, 10000};
constexpr float BackgroundDb[] = {-60, -60, -65, -70, -75, -75, -75};
constexpr float CouplingF[] = {150, 300, 1000};
constexpr float CouplingDb[] = {54, 48, 38};

float BackgroundNoise(float f) {
    return InterpolateTable(f, std::size(BackgroundF), BackgroundF, BackgroundDb);
}

float CouplingLoss(float f) {
    return InterpolateTable(f, std::size(CouplingF), CouplingF, CouplingDb);
}

constexpr float TonesPerKHz = 0.2318840579f;
// The margin every tone and symbol must keep: 10 dB of coding gap and 6 dB of noise margin.
constexpr float RequiredMargin = 10 + 6;

// A curve of at least two ascending points that reaches from lowest to highest.
bool Covers(int32_t count, const float *f, float lowest, float highest) {
    return count >= 2 && f[1] > f[0] && f[0] <= lowest && f[count - 1] >= highest;
}

// The attenuation of the line at f: measured or by the cable model.
float LineAttenuation(float f, bool measured) {
    if (measured)
        return InterpolateTable(f, LineAfc.Count, LineAfc.Frequencies, LineAfc.Attenuation);
    const float perKm = CableAttenuation(CableModelIndex, f);
    return perKm == NoValue ? NoValue : perKm * CableLengthKm;
}

float NoiseReferenceLevel(float f) {
    const TNoiseReference &r = EngineBuffers.NoiseReference;
    return InterpolateTable(f, r.Count, r.Frequencies, r.Levels);
}

// The noise reference's level per band of the given width (kHz) at the generator's impedance.
float NoiseOffset(float bandwidth) {
    const TNoiseReference &r = EngineBuffers.NoiseReference;
    return ImpedanceLevelCorrection(r.Impedance, DeviceSettings->GenImpedance) +
           10 * std::log10(bandwidth / (r.Frequencies[1] - r.Frequencies[0]));
}

float MaskAt(float f, int32_t count, const float *maskF, const float *maskDb) {
    return InterpolateTable(f, count, maskF, maskDb);
}

} // namespace

float CableAttenuation(int32_t type, float f) {
    if (type < 0 || type >= CableTypeCount)
        return NoValue;
    const TCableTable &t = CableTables[type];
    return InterpolateTable(f, t.Count, t.F, t.Db);
}

float PowerSumDb(float a, float b) {
    return static_cast<float>(10 * std::log10(std::pow(10.0, a / 10.0) + std::pow(10.0, b / 10.0)));
}

float ImpedanceLevelCorrection(float r1, float r2) {
    if (!(r1 > 0) || !(r2 > 0))
        return 0;
    const double e = (static_cast<double>(r1) + r2) / 2;
    return static_cast<float>(10 * std::log10((r1 + e) * (r1 + e) * r2 / ((r2 + e) * (r2 + e) * r1)));
}

float AdslRatePotential(float psd, int32_t maskCount, const float *maskF, const float *maskDb, int32_t maxBits,
                        bool measured) {
    if (maskCount < 1)
        return NoValue;
    const float first = maskF[0];
    const float last = maskF[maskCount - 1];
    float noiseOffset = 0;
    float c = 0;
    float d = 0;
    if (measured) {
        const TLineAfc &afc = LineAfc;
        const TNoiseReference &noise = EngineBuffers.NoiseReference;
        const bool afcCovers = afc.Count >= 2 && afc.Frequencies[1] > afc.Frequencies[0] &&
                               first >= 1.5f * afc.Frequencies[0] - 0.5f * afc.Frequencies[1] &&
                               afc.Frequencies[afc.Count - 1] >= last;
        if (!afcCovers || !Covers(noise.Count, noise.Frequencies, first, last))
            return NoValue;
        noiseOffset = NoiseOffset(DmtToneSpacing);
    } else {
        if (CableLengthKm == NoValue)
            return NoValue;
        c = 10 * std::log10(0.1f * DmtToneSpacing);
        d = 10 * std::log10(2.0f);
    }

    const int32_t tones = static_cast<int32_t>(std::trunc((last - first) * TonesPerKHz + 0.5f));
    // The power norm of the mask is kept a whole number after every addition, as the modems do.
    double norm = 0;
    for (int32_t j = 0; j < tones; ++j)
        norm = std::trunc(norm + std::pow(10.0, MaskAt(first + j * DmtToneSpacing, maskCount, maskF, maskDb) / 10.0));
    if (!(norm > 0))
        return NoValue;
    const float G = static_cast<float>(10 * std::log10(norm));

    int32_t sum = 0;
    for (int32_t j = 0; j < tones; ++j) {
        const float f = first + j * DmtToneSpacing;
        const float a = LineAttenuation(f, measured);
        if (a == NoValue)
            return NoValue;
        const float received = MaskAt(f, maskCount, maskF, maskDb) + psd - G - a;
        float noise;
        if (measured) {
            const float level = NoiseReferenceLevel(f);
            if (level == NoValue)
                return NoValue;
            noise = level + noiseOffset;
        } else {
            noise = PowerSumDb(c + BackgroundNoise(f), d + received - CouplingLoss(f));
        }
        const int32_t bits =
            static_cast<int32_t>(std::max(0.0f, std::trunc((received - noise - RequiredMargin) / 3 + 0.5f)));
        sum += std::min(bits, maxBits);
    }
    return std::trunc(sum * 4.0f / 32 + 0.5f) * 32;
}

float ShdslRatePotential(float psd, int32_t bitsPerSymbol, bool measured) {
    const bool fourBits = bitsPerSymbol == 4;
    const int32_t lowest = fourBits ? 1280 : 192;
    const int32_t highest = fourBits ? 5696 : 3840;
    const float attenuationLimit = fourBits ? 57 : 60;
    const float gap = 10 * std::log10(std::pow(2.0f, static_cast<float>(bitsPerSymbol)) - 1);
    float c = 0;
    float d = 0;
    if (!measured) {
        if (CableLengthKm == NoValue)
            return NoValue;
        d = 10 * std::log10(2.0f);
    }
    const TLineAfc &afc = LineAfc;
    const TNoiseReference &noiseReference = EngineBuffers.NoiseReference;
    for (int32_t rate = lowest; rate <= highest; rate += 64) {
        const float fN = (rate + 8) * 0.5f / bitsPerSymbol;
        const float psdN = psd - 10 * std::log10(fN / 10);
        float noiseOffset = 0;
        if (measured) {
            if (!Covers(afc.Count, afc.Frequencies, fN, fN) ||
                !Covers(noiseReference.Count, noiseReference.Frequencies, fN, fN))
                return NoValue;
            noiseOffset = NoiseOffset(10);
        }
        bool fails = false;
        for (float f = 10; f < fN + 5 && !fails; f += 10) {
            const float a = LineAttenuation(f, measured);
            if (a == NoValue)
                return NoValue;
            if (a > attenuationLimit) {
                fails = true;
                break;
            }
            const float received = psdN - a;
            float noise;
            if (measured) {
                const float level = NoiseReferenceLevel(f);
                if (level == NoValue)
                    return NoValue;
                noise = level + noiseOffset;
            } else {
                noise = PowerSumDb(c + BackgroundNoise(f), d + psdN - CouplingLoss(f));
            }
            fails = received - noise - RequiredMargin < gap;
        }
        if (fails) {
            const int32_t passed = rate - 64;
            return passed < lowest ? 0.0f : static_cast<float>(passed);
        }
    }
    return static_cast<float>(highest);
}

namespace {

// The transmit masks (kHz -> relative dB).
constexpr float AdslF[] = {138, 1104};
constexpr float AdslDb[] = {0, 0};
constexpr float Adsl2PlusF[] = {138, 1104, 1622, 2208};
constexpr float Adsl2PlusDb[] = {0, 0, -10, -11.3f};
constexpr float Adsl4F[] = {138, 1104, 1622, 2208, 4416};
constexpr float Adsl4Db[] = {0, 0, -10, -11.3f, -11.3f};
constexpr float UpstreamF[] = {25.875f, 138};
constexpr float UpstreamDb[] = {0, 0};

struct TDslCall {
    float Power; // dBm
    int32_t MaskCount;
    const float *MaskF;
    const float *MaskDb;
    int32_t MaxBits;       // per tone (ADSL) or per symbol (SHDSL, MaskCount 0)
};

// In the order of the rows. ADSL downstream takes 9 bits per tone, not 8, as the instrument always has.
constexpr TDslCall DslCalls[] = {
    {20.4f, 2, AdslF, AdslDb, 9},        {20.4f, 2, AdslF, AdslDb, 12},         {20.4f, 4, Adsl2PlusF, Adsl2PlusDb, 12},
    {12.5f, 2, UpstreamF, UpstreamDb, 6}, {12.5f, 2, UpstreamF, UpstreamDb, 9}, {12.5f, 2, UpstreamF, UpstreamDb, 9},
    {13.5f, 0, nullptr, nullptr, 3},      {13.5f, 0, nullptr, nullptr, 4},       {20.4f, 5, Adsl4F, Adsl4Db, 12},
    {12.5f, 2, UpstreamF, UpstreamDb, 9},
};

float RatePotential(const TDslCall &call, bool measured) {
    if (call.MaskCount == 0)
        return ShdslRatePotential(call.Power, call.MaxBits, measured);
    return AdslRatePotential(call.Power, call.MaskCount, call.MaskF, call.MaskDb, call.MaxBits, measured);
}

} // namespace

void MeasureDslRates(ResultSlot firstRateSlot) {
    for (int32_t i = 0; i < static_cast<int32_t>(std::size(DslCalls)); ++i) {
        const auto rateSlot = static_cast<ResultSlot>(firstRateSlot + 2 * i);
        const auto percentSlot = static_cast<ResultSlot>(rateSlot + 1);
        const bool percentAnalysed = ResultAnalysed(percentSlot);
        if (!percentAnalysed && !ResultAnalysed(rateSlot))
            continue;
        const float rate = RatePotential(DslCalls[i], true);
        SetResult(rateSlot, rate);
        if (!percentAnalysed)
            continue;
        const float model = RatePotential(DslCalls[i], false);
        SetResult(percentSlot, model != NoValue && model > 0 && rate != NoValue ? rate / model * 100 : NoValue);
    }
}
