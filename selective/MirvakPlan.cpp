#include "selective/MirvakPlan.h"

#include "selective/MirvakRun.h"

#include "engine/SstParam2.h"
#include "link/Library.h"
#include "link/LibraryPackets.h"
#include "settings/GeneratorCommands.h"
#include "state/DeviceSettings.h"
#include "state/MirvakGrid.h"

#include <algorithm>
#include <cmath>

int32_t MirvakToneIndex = -1;
float MirvakToneFreq = 0;

namespace {

constexpr double PlanBandMargin = 16.0; // scan ends are widened by this many bands

// A stored range count from a damaged file could address past the plan words.
int RangeCount(const MirvakBlock &m) {
    return std::clamp(int(m.RangeN), 1, MirvakSetCapacity);
}

bool Reverse(const MirvakBlock &m) {
    return m.Flags & 2;
}

bool RangePlan(const MirvakBlock &m) {
    return m.Flags & 1;
}

std::uint32_t PlanWord(double frequency) {
    return PhaseStepOf(frequency, DeviceSettings->SampleRate);
}

} // namespace

double SnapMirvakFreq(double v) {
    if (!(MirvakQuantum > 0))
        return v;
    return std::trunc(v / MirvakQuantum + 0.5) * MirvakQuantum;
}

int MirvakPlanIndexCount(const MirvakBlock &m) {
    return RangePlan(m) ? RangeCount(m) : SetRowCount(m);
}

bool MirvakPlanPointAt(const MirvakBlock &m, int index, double &frequency) {
    const int count = MirvakPlanIndexCount(m);
    if (index < 0 || index >= count)
        return false;
    const int at = Reverse(m) ? count - 1 - index : index;
    if (RangePlan(m)) {
        frequency = at * double(m.RangeStep) + double(m.RangeStart);
        return true;
    }
    if (!m.Set[at].Checked)
        return false;
    frequency = m.Set[at].Value;
    return true;
}

bool MirvakFirstPlanFreq(const MirvakBlock &m, double &frequency) {
    const int count = MirvakPlanIndexCount(m);
    for (int k = 0; k < count; ++k)
        if (MirvakPlanPointAt(m, k, frequency)) {
            frequency = SnapMirvakFreq(frequency);
            return true;
        }
    return false;
}

double LimitMirvakScanEnd(double fc1, double fcN, double band) {
    if (!(band > 0))
        return fcN;
    if (std::trunc((fcN - fc1) / band + 0.5) + 1 >= MirvakMaxScanPoints)
        fcN = fc1 + (MirvakMaxScanPoints - 1) * band;
    return std::round(std::trunc(fcN / band + 0.5) * band * 1000.0) / 1000.0;
}

void BuildMirvakPlan() {
    const TDeviceSettings &s = *DeviceSettings;
    const MirvakBlock &m = s.Mirvak;
    int count = 0;
    if (m.SubMode == MirvakSubModeScan) {
        const std::uint32_t top = PlanWord(s.MaxFrequency);
        const std::uint32_t low = PlanWord(MirvakLowestFreq);
        const double first = std::max(double(m.Fc1) - PlanBandMargin * m.B, MirvakLowestFreq);
        const double last = std::min(double(m.FcN) + PlanBandMargin * m.B, double(s.MaxFrequency));
        for (double f : {first, last})
            MirvakPlanSteps[count++] = std::clamp(PlanWord(f), low, top);
    } else if (m.SubMode >= -1 && m.SubMode <= 8) {
        const int indexes = MirvakPlanIndexCount(m);
        double f = 0;
        for (int k = 0; k < indexes; ++k)
            if (MirvakPlanPointAt(m, k, f))
                MirvakPlanSteps[count++] = PlanWord(f);
    }
    MirvakPlanCount = count;
    MirvakPlanHooks().PlanBuiltNow();
}

void SetMirvakDeviceMode() {
    MirvakBlock &m = DeviceSettings->Mirvak;
    if (m.SubMode == 0 || m.SubMode == -1)
        m.DeviceSubMode = 3;
    else if (m.SubMode == 2)
        m.DeviceSubMode = 5;
    else if (m.SubMode == 1 || (m.SubMode >= 3 && m.SubMode <= 8))
        m.DeviceSubMode = 1;
}

void PrepareMirvakHolder() {
    SetMirvakGrid(DeviceSettings->SampleRate);
    if (!SstParam)
        SstParam = new TSST_Param2;
    SstParam->Clear();
    SstParam->BuildBins();
    MirvakPlanHooks().Call(MirvakPlanHooks().DiscardSstItems);
    ResetMirvakGraphs();
}

bool StartMirvakTone() {
    MirvakToneFreq = 0;
    MirvakToneIndex = -1;
    TDeviceSettings &s = *DeviceSettings;
    const MirvakBlock &m = s.Mirvak;
    if (!m.SinOn)
        return false;
    const int count = MirvakPlanIndexCount(m);
    double f = 0;
    for (int index = 0; index < count; ++index) {
        if (!MirvakPlanPointAt(m, index, f))
            continue;
        MirvakToneIndex = index;
        MirvakToneFreq = float(f);
        s.Sin.F1 = float(f);
        s.Sin.Level = m.SinLevel;
        s.Mode |= 0x1101;
        StartSin();
        return true;
    }
    return false;
}
