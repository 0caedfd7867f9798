#include "selective/MirvakRecording.h"

#include "engine/SstParam2.h"
#include "link/Library.h"
#include "selective/MirvakImpedance.h"
#include "selective/MirvakRun.h"
#include "selective/MirvakWork.h"
#include "selective/SstResultProcessing.h"
#include "selective/SstScanLeakage.h"
#include "state/DeviceSettings.h"
#include "state/MirvakGrid.h"
#include "storage/recording/RecordingServices.h"

#include <algorithm>
#include <bit>

namespace {

// The point arrays of the record after A and B, in their order.
std::vector<float> *StoredPointArrays(TMirvakWorkArrays &w, std::size_t i) {
    std::vector<float> *arrays[] = {&w.AfcCal,    &w.TransferRe, &w.TransferIm, &w.CalOpenRe,
                                    &w.CalOpenIm, &w.CalLoadRe,  &w.CalLoadIm,  &w.ZOpenRe,
                                    &w.ZOpenIm,   &w.ZShortRe,   &w.ZShortIm};
    return i < std::size(arrays) ? arrays[i] : nullptr;
}
constexpr std::size_t PointPhaseArray = 11;

int32_t *CalibrationFlag(int32_t i) {
    int32_t *flags[] = {&MirvakCalOpenValid, &MirvakCalShortValid, &MirvakCalLoadValid,
                        &MirvakCalAfcValid,  &MirvakZOpenValid,    &MirvakZShortValid};
    return flags[i];
}

// Exactly n values of `from`, zeros where it is shorter.
template <typename T> std::vector<T> Take(const std::vector<T> &from, std::size_t n) {
    std::vector<T> out(from.begin(), from.begin() + std::ptrdiff_t(std::min(n, from.size())));
    out.resize(n, T(0));
    return out;
}

// Copies the record's values into an array of the work state, as far as both reach.
template <typename T> void Restore(std::vector<T> &to, const std::vector<T> &from) {
    std::copy_n(from.begin(), std::min(from.size(), to.size()), to.begin());
}

// The measured bins in ascending order, at most `limit`: the bins the curves' points come from.
template <typename F> void ForMeasuredBins(const TMirvakWorkArrays &w, std::size_t limit, F &&f) {
    std::size_t c = 0;
    const std::size_t bins = std::min(std::size_t(std::max(w.BinCount, 0)), w.BinLevel.size());
    for (std::size_t b = 0; b < bins && c < limit; ++b)
        if (w.BinLevel[b] != SelectiveGap)
            f(b, c++);
}

// False when the record's bin arrays are not those of the holder's bins.
bool RestoreBins(const TAstRecord &record) {
    TMirvakWorkArrays &w = MirvakWorkArrays;
    const std::size_t bins = std::size_t(std::max(w.BinCount, 0));
    if (record.BinArray1.size() != bins || w.BinPower.size() != bins || w.BinPhase.size() != bins)
        return false;
    w.BinPower = record.BinArray1;
    w.BinLevel = record.BinArray2;
    w.BinTime = record.BinArray3;
    const int32_t sub = DeviceSettings->Mirvak.SubMode;
    if (sub == 1) {
        // A scan's highest bin is the highest one an item has reached, and its leakage removal starts
        // again from the restored powers.
        w.HighestBin = 0;
        for (std::size_t b = 0; b < bins; ++b)
            if (w.BinTime[b] != 0)
                w.HighestBin = int32_t(b);
        TLeakageInput in;
        in.Freq = w.BinFreq.data();
        in.Src = w.BinPower.data();
        in.Count = w.BinCount;
        in.Highest = w.HighestBin;
        in.Floor = ScanLeakageFloor();
        in.LowFrequencyCorrection = DeviceSettings->MaxLevelIndex == 3;
        w.ScanLeakage.Full(in);
        w.ScanLevelSource = w.ScanLeakage.Output();
    }
    if (sub == 1 || sub == 2)
        for (std::size_t b = 0; b < bins; ++b)
            if (w.BinLevel[b] != SelectiveGap)
                SetWeightedBinLevel(int32_t(b));
    return true;
}

} // namespace

TAstRecord MirvakAstRecord() {
    TMirvakWorkArrays &w = MirvakWorkArrays;
    TAstRecord record;
    for (int32_t i = 0; i < 6; ++i)
        record.CalibrationValid[i] = *CalibrationFlag(i);
    record.WorkValues[0] = std::bit_cast<int32_t>(MirvakLeadsCapacitance);
    record.WorkValues[1] = std::bit_cast<int32_t>(MirvakLeadsInductance);
    record.WorkValues[2] = std::bit_cast<int32_t>(MirvakLeadsResistance);
    const std::size_t n = w.PointFreq.size();
    if (n == 0)
        return record;
    const std::size_t bins = std::size_t(std::max(w.BinCount, 0));
    record.PointArrayA = Take(w.PointFreq, n);
    record.PointArrayB = Take(w.Afc, n);
    record.BinArray1 = Take(w.BinPower, bins);
    record.BinArray2 = Take(w.BinLevel, bins);
    record.BinArray3 = Take(w.BinTime, bins);
    record.PointArrays.resize(AstPointArrayCount);
    for (std::size_t i = 0; i < PointPhaseArray; ++i)
        record.PointArrays[i] = Take(*StoredPointArrays(w, i), n);
    std::vector<float> &phases = record.PointArrays[PointPhaseArray];
    phases.assign(n, 0);
    ForMeasuredBins(w, n, [&](std::size_t b, std::size_t c) { phases[c] = b < w.BinPhase.size() ? w.BinPhase[b] : 0; });
    return record;
}

int32_t MirvakAstBinCount() {
    return MirvakWorkArrays.BinCount;
}

void RestartMirvakReplay() {
    ResetMirvakCalibration();
    // No set-up command goes out in playback: the sums are scaled by the recorded band, computed as the
    // set-up computes it.
    MirvakPointsPerBand = 0;
    ResetMirvakResults();
}

bool MirvakReplayPlanChanged() {
    if (!SstParam)
        return true;
    SetMirvakGrid(DeviceSettings->SampleRate);
    TSST_Param2 recorded;
    recorded.BuildBins();
    const TSST_Param2 &h = *SstParam;
    return recorded.Bins != h.Bins || recorded.SlotCount != h.SlotCount || recorded.Divider != h.Divider ||
           recorded.Resolution != h.Resolution;
}

void RestoreMirvakWork(const TAstRecord &record) {
    for (int32_t i = 0; i < 6; ++i)
        *CalibrationFlag(i) = record.CalibrationValid[i];
    if (MirvakCalOpenValid == 1)
        MirvakLeadsCapacitance = std::bit_cast<float>(record.WorkValues[0]);
    if (MirvakCalShortValid == 1) {
        MirvakLeadsInductance = std::bit_cast<float>(record.WorkValues[1]);
        MirvakLeadsResistance = std::bit_cast<float>(record.WorkValues[2]);
    }
    TMirvakWorkArrays &w = MirvakWorkArrays;
    const int32_t n = record.PointCount();
    if (n == 0)
        return;
    const bool bins = RestoreBins(record);
    if (n != int32_t(w.PointFreq.size()))
        return;
    Restore(w.PointFreq, record.PointArrayA);
    Restore(w.Afc, record.PointArrayB);
    for (std::size_t i = 0; i < PointPhaseArray && i < record.PointArrays.size(); ++i)
        Restore(*StoredPointArrays(w, i), record.PointArrays[i]);
    // The phases belong to the measured bins of the record, so only with its bin levels.
    if (bins && record.PointArrays.size() > PointPhaseArray) {
        const std::vector<float> &phases = record.PointArrays[PointPhaseArray];
        ForMeasuredBins(w, phases.size(), [&](std::size_t b, std::size_t c) { w.BinPhase[b] = phases[c]; });
    }
}

void RegisterMirvakRecording() {
    TRecordingServices &services = RecordingServices();
    services.SelectiveWorkState = MirvakAstRecord;
    services.SelectiveBinCount = MirvakAstBinCount;
    services.RestartSelectiveReplay = RestartMirvakReplay;
    services.SelectivePlanChanged = MirvakReplayPlanChanged;
    services.RestoreSelectiveWorkState = RestoreMirvakWork;
}
