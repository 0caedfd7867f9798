#include "link/Library.h"

#include "link/Dspio9.h"
#include "link/LibraryPackets.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <array>
#include <cmath>

std::int32_t MirvakPlanCount = 0;
std::uint32_t MirvakPlanSteps[MirvakPlanCapacity] = {};
std::int16_t MirvakPlanLevels[MirvakPlanCapacity] = {};
std::int32_t MirvakPointsPerBand = 0;

namespace {

// Indexed by the first j with 2^(j + 2) x 2.5 + 1 > SampleRate; the last value holds beyond the table.
constexpr std::array<int, 11> AfcSettleSamples = {12, 12, 12, 12, 12, 12, 13, 10, 9, 9, 9};
constexpr int AfcSettleBeyond = 12;
constexpr std::array<int, 11> ImpedanceRepeats = {120, 60, 30, 17, 9, 5, 3, 2, 2, 2, 2};
constexpr int ImpedanceRepeatsBeyond = 2;

// A spectrum shift: its phase step and sign, used only when its option bit is set and its frequency is
// positive.
struct Shift {
    std::int16_t sign = 1;
    std::uint32_t phase = 0;
};

Shift ShiftOf(int onBit, int directBit, float frequency) {
    const std::int32_t options = DeviceSettings->Mirvak.Options;
    if (!(options & onBit) || !(frequency > 0))
        return {};
    return {std::int16_t(options & directBit ? 1 : -1), PhaseStepOf(frequency, DeviceSettings->SampleRate)};
}

int FirstRateIndex() {
    const float fs = DeviceSettings->SampleRate;
    for (int j = 0; j <= 10; ++j)
        if (std::ldexp(1.0, j + 2) * 2.5 + 1 > fs)
            return j;
    return -1;
}

bool Refused() {
    return CommandRefused(NotIssued("R9_setSST"));
}

} // namespace

bool R9_setSST() {
    if (DemoMode()) {
        EmuGenMode = EmuGenSelective;
        return true;
    }
    if (!DspIo)
        return true;
    const MirvakBlock m = DeviceSettings->Mirvak;
    if (m.RunActive == 0)
        return DspIo->SetSst(SstSetup(), nullptr, nullptr) || Refused();

    const double fs = DeviceSettings->SampleRate;
    const double points = m.B > 0 ? fs / m.B : 0;
    MirvakPointsPerBand = std::int32_t(std::clamp<std::int64_t>(RoundCode(points), 0, INT32_MAX));
    const std::int32_t n = MirvakPointsPerBand;
    if (n == 0)
        return true;
    const std::uint32_t unit = std::uint32_t(4294967296.0 / n);
    const Shift meter = ShiftOf(0x01, 0x02, m.FcM);
    const Shift generator = ShiftOf(0x40, 0x80, m.FcG);

    SstSetup s;
    s.first = unit;
    s.second = n;
    const int sub = m.SubMode;
    const std::int16_t runKind = m.Options & MirvakContinuous ? 2 : 1;
    if (sub == 0 || sub == 1 || sub == 2 || sub == 3 || sub == 7 || sub == 8)
        s.p3 = runKind;
    else if (sub == -1 || (sub >= 4 && sub <= 6))
        s.p3 = 1;
    if (sub >= -1 && sub <= 8)
        s.p4 = sub <= 0 ? 0 : sub == 1 ? 2 : sub == 2 ? 3 : 1;
    const int j = FirstRateIndex();
    if (sub == 0 || sub == -1) {
        const int v = j >= 0 ? AfcSettleSamples[j] : AfcSettleBeyond;
        const double p7 = n < 1024 ? std::ceil(v * 1024.0 / fs) : std::ceil((v + 1) / double(m.B));
        s.p7 = std::int16_t(std::clamp(p7, 0.0, 32767.0));
    } else if (sub >= 3 && sub <= 8) {
        s.p6 = std::int16_t(j >= 0 ? ImpedanceRepeats[j] : ImpedanceRepeatsBeyond);
    }

    const int count = std::clamp(MirvakPlanCount, 0, MirvakPlanCapacity);
    for (int i = 0; i < count; ++i)
        MirvakPlanLevels[i] = CalcDacCode(m.SinLevel, MirvakPlanSteps[i]);
    s.p5 = PrepareOutputRange();
    s.p8 = 1500;
    s.p9 = 300;
    s.p10 = 1000;
    s.count = count;
    s.p12 = meter.sign;
    s.p13 = meter.phase;
    if (!DspIo->SetSst(s, MirvakPlanSteps, MirvakPlanLevels))
        return Refused();

    if ((sub == 0 || sub == -1) && m.SinOn) {
        SstSetup g;
        g.p3 = 4;
        g.p4 = s.p4;
        g.p5 = s.p5;
        g.p12 = generator.sign;
        g.p13 = generator.phase;
        if (!DspIo->SetSst(g, nullptr, nullptr))
            return Refused();
    }
    return true;
}
