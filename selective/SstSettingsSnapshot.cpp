#include "selective/SstSettingsSnapshot.h"

#include "selective/MirvakWork.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cstring>

namespace {

struct TMirvakSnapshot {
    float SampleRate = 0;
    float GenRef = 0;
    float SinLevel = 0;
    float GenImpedance = 0;
    uint8_t Flags = 0;
    float AfcCalDb = 0;
    float LoadOhm = 0;
    int32_t SetCount = 0;
    SetEntry Set[MirvakSetCapacity] = {};
    int32_t RangeN = 0;
    float RangeStart = 0;
    float RangeStep = 0;
    float B = 0;
    int32_t MaxLevelIndex = 0;
};
TMirvakSnapshot MirvakSnapshot;

bool PlanDiffers(const MirvakBlock &m) {
    const TMirvakSnapshot &z = MirvakSnapshot;
    if (m.Flags & 1)
        return m.RangeN != z.RangeN || m.RangeStart != z.RangeStart || m.RangeStep != z.RangeStep;
    const int32_t n = SetRowCount(m);
    if (n != z.SetCount)
        return true;
    for (int32_t i = 0; i < n; ++i)
        if (m.Set[i].Value != z.Set[i].Value || m.Set[i].Checked != z.Set[i].Checked)
            return true;
    return false;
}

} // namespace

void SnapshotMirvakSettings() {
    const TDeviceSettings &s = *DeviceSettings;
    const MirvakBlock &m = s.Mirvak;
    TMirvakSnapshot &z = MirvakSnapshot;
    z.SampleRate = s.SampleRate;
    z.GenRef = s.GenRef;
    z.SinLevel = m.SinLevel;
    z.GenImpedance = s.GenImpedance;
    z.Flags = m.Flags;
    z.AfcCalDb = m.AfcCalDb;
    z.LoadOhm = m.LoadOhm;
    z.SetCount = SetRowCount(m);
    std::copy_n(m.Set, z.SetCount, z.Set);
    z.RangeN = m.RangeN;
    z.RangeStart = m.RangeStart;
    z.RangeStep = m.RangeStep;
    z.B = m.B;
    z.MaxLevelIndex = s.MaxLevelIndex;
}

int32_t MirvakSettingsChanged() {
    const TDeviceSettings &s = *DeviceSettings;
    const MirvakBlock &m = s.Mirvak;
    const TMirvakSnapshot &z = MirvakSnapshot;
    if (s.SampleRate != z.SampleRate || s.GenRef != z.GenRef || m.SinLevel != z.SinLevel ||
        s.GenImpedance != z.GenImpedance || m.Flags != z.Flags || PlanDiffers(m) || m.B != z.B ||
        int32_t(s.MaxLevelIndex) != z.MaxLevelIndex)
        return 1;
    if (m.AfcCalDb != z.AfcCalDb)
        return 2;
    if (m.LoadOhm != z.LoadOhm)
        return 5;
    if (m.RunState >= 3)
        return 0;
    struct TRepeat {
        int32_t SubMode;
        const int32_t *Flag;
        int32_t Code;
    };
    const TRepeat repeats[] = {{4, &MirvakCalOpenValid, 3}, {5, &MirvakCalShortValid, 4}, {6, &MirvakCalLoadValid, 5},
                               {7, &MirvakZOpenValid, 6},   {8, &MirvakZShortValid, 7},   {-1, &MirvakCalAfcValid, 2}};
    for (const TRepeat &r : repeats)
        if (m.SubMode == r.SubMode && *r.Flag == 1)
            return r.Code;
    return 0;
}
