#include "selective/MirvakWork.h"

#include "engine/ResultSlots.h"
#include "engine/SstParam2.h"
#include "platform/NoValue.h"
#include "selective/SstSettingsSnapshot.h"
#include "state/DeviceSettings.h"

#include <algorithm>

TMirvakWorkArrays MirvakWorkArrays;
int32_t MirvakCalOpenValid = 0, MirvakCalShortValid = 0, MirvakCalLoadValid = 0, MirvakCalAfcValid = 0;
int32_t MirvakZOpenValid = 0, MirvakZShortValid = 0;
float MirvakSelectionFreq = NoValue;

namespace {

enum : int32_t { SubAfcCal = -1, SubAfc = 0, SubScan = 1, SubMonitor = 2, SubFirstZ = 3, SubLastZ = 8 };

void ClearFlags() {
    MirvakCalOpenValid = MirvakCalShortValid = MirvakCalLoadValid = MirvakCalAfcValid = 0;
    MirvakZOpenValid = MirvakZShortValid = 0;
}

// A calibration array keeps its values while its calibration is valid and fits the points; otherwise
// it starts again from its neutral value.
void Calibration(std::vector<float> &a, int32_t valid, std::size_t n, float neutral) {
    if (valid != 1 || a.size() != n)
        a.assign(n, neutral);
}

} // namespace

int32_t MirvakPlanPoints() {
    const MirvakBlock &m = DeviceSettings->Mirvak;
    if (m.Flags & 1)
        return std::clamp(int32_t(m.RangeN), 1, int32_t(MirvakSetCapacity));
    int32_t points = 0;
    const int32_t n = SetRowCount(m);
    for (int32_t i = 0; i < n; ++i) {
        if (!m.Set[i].Checked)
            continue;
        bool repeated = false;
        for (int32_t k = 0; k < i && !repeated; ++k)
            repeated = m.Set[k].Checked && m.Set[k].Value == m.Set[i].Value;
        points += repeated ? 0 : 1;
    }
    return points;
}

void FreeMirvakWork() {
    TMirvakWorkArrays &w = MirvakWorkArrays;
    for (std::vector<float> *a : {&w.BinFreq, &w.BinPower, &w.BinPhase, &w.BinLevel, &w.BinWeighted, &w.PointFreq,
                                  &w.Afc, &w.TransferRe, &w.TransferIm, &w.R, &w.X, &w.ZMod, &w.ZPhase, &w.MismatchA,
                                  &w.MismatchK, &w.C, &w.L, &w.LineAtt, &w.LinePhase, &w.LineVelocity, &w.LineZMod,
                                  &w.LineZPhase, &w.ScanLevelSource})
        *a = {};
    w.BinTime = {};
    w.ScanLeakage.Reset(0);
    w.BinCount = w.PointCount = w.PlanPoints = w.HighestBin = 0;
}

void ResetMirvakCalibration() {
    ClearFlags();
    FreeMirvakWork();
    TMirvakWorkArrays &w = MirvakWorkArrays;
    for (std::vector<float> *a : {&w.AfcCal, &w.CalOpenRe, &w.CalOpenIm, &w.CalLoadRe, &w.CalLoadIm, &w.ZOpenRe,
                                  &w.ZOpenIm, &w.ZShortRe, &w.ZShortIm})
        *a = {};
}

void ResetMirvakWork() {
    if (MirvakSettingsChanged() == 1)
        ClearFlags();
    FreeMirvakWork();
    TMirvakWorkArrays &w = MirvakWorkArrays;
    const int32_t sub = DeviceSettings->Mirvak.SubMode;
    if (const TSST_Param2 *holder = SstParam) {
        const std::size_t bins = std::size_t(std::max(holder->BinCount, 0));
        w.BinCount = int32_t(bins);
        w.BinFreq.resize(bins);
        const double step = holder->Divider > 0 ? holder->Resolution / holder->Divider : 0;
        for (std::size_t b = 0; b < bins && b < holder->Bins.size(); ++b)
            w.BinFreq[b] = float(step * holder->Bins[b]);
        w.BinPower.assign(bins, 0);
        w.BinPhase.assign(bins, 0);
        w.BinTime.assign(bins, 0);
        w.BinLevel.assign(bins, SelectiveGap);
        w.BinWeighted.assign(bins, SelectiveGap);
        w.PlanPoints = MirvakPlanPoints();
        if (sub == SubScan) {
            w.PointCount = w.BinCount;
            w.ScanLeakage.Reset(w.BinCount);
            w.ScanLevelSource.assign(bins, 0);
        } else if (sub == SubMonitor) {
            w.PointCount = 1;
        } else if (sub == SubAfcCal || sub == SubAfc || (sub >= SubFirstZ && sub <= SubLastZ)) {
            w.PointCount = w.PlanPoints;
        }
        const std::size_t points = std::size_t(std::max(w.PointCount, 0));
        for (std::vector<float> *a : {&w.PointFreq, &w.Afc, &w.TransferRe, &w.TransferIm, &w.R, &w.X, &w.ZMod,
                                      &w.ZPhase, &w.MismatchA, &w.MismatchK, &w.C, &w.L, &w.LineAtt, &w.LinePhase,
                                      &w.LineVelocity, &w.LineZMod, &w.LineZPhase})
            a->assign(points, NoValue);
        Calibration(w.AfcCal, MirvakCalAfcValid, points, 0);
        Calibration(w.CalOpenRe, MirvakCalOpenValid, points, 1);
        Calibration(w.CalOpenIm, MirvakCalOpenValid, points, 0);
        Calibration(w.CalLoadRe, MirvakCalLoadValid, points, 1);
        Calibration(w.CalLoadIm, MirvakCalLoadValid, points, 0);
        Calibration(w.ZOpenRe, MirvakZOpenValid, points, NoValue);
        Calibration(w.ZOpenIm, MirvakZOpenValid, points, NoValue);
        Calibration(w.ZShortRe, MirvakZShortValid, points, NoValue);
        Calibration(w.ZShortIm, MirvakZShortValid, points, NoValue);
    }
    for (int32_t slot = 0; slot < MirvakResultSlotCount; ++slot)
        SetResult(ResultSlot(SlotMirvakFrequency + slot), NoValue);
    w.HighestBin = 0;
    MirvakSelectionFreq = NoValue;
}
