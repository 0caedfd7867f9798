#include "settings/MeterSettings.h"

#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParameterTable.h"
#include "platform/NoValue.h"
#include "platform/NumberFormat.h"
#include "settings/InterlockTargets.h"
#include "state/DeviceSettings.h"
#include "state/FileNameList.h"
#include "storage/SettingsSnapshotApply.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr float MinVelocity = 1;
constexpr float MaxVelocity = 300;
constexpr float FallbackVelocity = 150;

int LeadingNumber(QStringView field) {
    int i = 0;
    while (i < field.size() && field[i] == QLatin1Char(' '))
        ++i;
    int value = 0;
    for (; i < field.size() && field[i].isDigit(); ++i)
        value = value * 10 + field[i].digitValue();
    return value;
}

std::optional<double> VelocityNumber(const QString &text) {
    return ParseDouble(CommaToDecimalSeparator(text));
}

// The level row of each signal kind 1..7 (SIN, SIN2, MTTS, PRBS, NOISE, selective, SYNC).
constexpr int LevelRows[8] = {-1, 3, 7, 2, 2, 2, 5, 8};

} // namespace

int ParseMinSec(const QString &text) {
    return LeadingNumber(QStringView(text).mid(0, 2)) * 60 + LeadingNumber(QStringView(text).mid(3, 2));
}

TVelocityEntry ParseCableVelocity(const QString &text) {
    std::optional<double> value;
    const qsizetype p = text.indexOf(QLatin1Char('/'));
    if (p < 0) {
        value = VelocityNumber(text);
    } else {
        const QString numerator = p == 0 ? QStringLiteral("1") : text.left(p);
        const QString denominator = p == text.size() - 1 ? QStringLiteral("1") : text.mid(p + 1);
        const auto n = VelocityNumber(numerator);
        const auto d = VelocityNumber(denominator);
        if (n && d && *d != 0)
            value = *n / *d;
    }
    const bool ok = value && std::isfinite(*value);
    const float v = ok ? float(*value) : FallbackVelocity;
    return {std::clamp(std::isfinite(v) ? v : MaxVelocity, MinVelocity, MaxVelocity), ok};
}

QString VelocityText(float velocity) {
    return DoubleToText(velocity, 2);
}

TBandEntry ChangeBand(TBandEntry b, bool centreEdited, double s, double M) {
    s = RoundFrequency(s);
    M = RoundFrequency(M);
    if (centreEdited) {
        b.Fc = std::min(std::max(b.Fc, s), M);
        b.B = std::min(b.B, M - s);
        b.F0 = std::max(b.Fc - RoundFrequency(b.B * 0.5), s);
        b.F1 = std::min(b.F0 + b.B, M);
        b.F0 = RoundFrequency(b.F0);
        b.F1 = RoundFrequency(b.F1);
    }
    b.Fc = RoundFrequency((b.F1 + b.F0) * 0.5);
    b.B = RoundFrequency(b.F1 - b.F0);
    return b;
}

float MeasuredSignalLevel(int signalKind) {
    if (signalKind < 1 || signalKind > 7)
        return NoValue;
    const ParameterTable table = ParameterTableOf(signalKind);
    const int row = LevelRows[signalKind];
    return row < table.RowCount ? table.Rows[row].Result.Value : NoValue;
}

void ApplyWeighting(TDeviceSettings &settings, const std::vector<float> &x, const std::vector<float> &y,
                    const QString &path) {
    const int32_t count = int32_t(std::min(x.size(), y.size()));
    ApplyWeightingTable(settings, count, x.data(), y.data(), path);
    if (WeightingCurve.Count <= 0 && InterlockTargets().ClearWeightedGraph)
        InterlockTargets().ClearWeightedGraph();
}

void ClearWeightingName(const TDeviceSettings &settings) {
    const int index = settings.WeightingIndex;
    if (index >= 0 && index < FileNameList.size())
        FileNameList[index].clear();
    if (InterlockTargets().ClearWeightedGraph)
        InterlockTargets().ClearWeightedGraph();
}

QString WeightingPathOf(const TDeviceSettings &settings) {
    const int index = settings.WeightingIndex;
    return index >= 0 && index < FileNameList.size() ? FileNameList[index] : QString();
}

std::optional<std::array<int16_t, 4>> MaxLevelChoices(double impedance, int connectionType, double reference) {
    if (!(impedance >= 10))
        return std::nullopt;
    // The squared full-scale voltage of the meter's input: the coaxial input has a smaller range.
    const double k = connectionType >= 6 && connectionType != 12 ? 0.7354687182992734 : 3.023807019090782;
    const double e = std::trunc(10 * std::log10(k / (impedance * 0.001)) - reference - 3 + 0.5);
    if (!std::isfinite(e))
        return std::nullopt;
    const auto level = [e](double offset) { return int16_t(std::clamp(e + offset, -32768.0, 32767.0)); };
    return std::array<int16_t, 4>{level(40), level(20), level(0), level(-20)};
}

std::array<uint8_t, 4> RestartCodes(const TDeviceSettings &s) {
    // Local program steps: SIN 0, SIN2 1, RND 3, MTTS 2, NOISE 7, block 4.
    uint8_t local = 4;
    if (s.Sin.State > 0)
        local = 0;
    else if (s.Sin2.State > 0)
        local = 1;
    else if (s.Rnd.State > 0)
        local = 3;
    else if (s.Mtts.State > 0)
        local = 2;
    else if (s.Noise.State > 0)
        local = 7;
    // The peer's records: Sin_R 10, Sin2_R 11, Rnd_R 13, MTTS_R 12, Noise_R 17, Mute_R 14.
    uint8_t remote = 14;
    if (s.RemoteGenState[0] > 0)
        remote = 10;
    else if (s.RemoteGenState[1] > 0)
        remote = 11;
    else if (s.RemoteGenState[3] > 0)
        remote = 13;
    else if (s.RemoteGenState[2] > 0)
        remote = 12;
    else if (s.RemoteNoiseState > 0)
        remote = 17;
    return {remote, local, 24, 25};
}
