#include "engine/SstParam2.h"

#include "engine/EngineMath.h"
#include "platform/NoValue.h"
#include "state/DeviceSettings.h"
#include "state/MirvakGrid.h"

#include <algorithm>
#include <cmath>
#include <iterator>

TSST_Param2 *SstParam = nullptr;

namespace {

enum MirvakSubModeCode : int32_t { SubModeAfcCalibration = -1, SubModeAfc = 0, SubModeScan = 1, SubModeMonitoring = 2 };
constexpr int32_t FirstImpedanceSubMode = 3;
constexpr int32_t LastImpedanceSubMode = 8;

// A scan covers 16 bins below its start and 17 above its end.
constexpr int32_t ScanBinsBelow = 16;
constexpr int32_t ScanExtraBins = 34;
// A plan whose mean spacing is this many bins or more gets a triple that reaches one bin above each
// measuring frequency.
constexpr int32_t WideSpacingBins = 10;
// Bounds that damaged settings cannot push the bin arithmetic or the allocation beyond.
constexpr int32_t MaxScanBins = 1 << 22;
constexpr int32_t BinNumberLimit = 1 << 30;

// How a finished group's slots are put in order: the new slot i takes the old slot Order[i].
struct TSlotOrder {
    int32_t FirstSubMode;
    int32_t LastSubMode;
    bool ClosingItemOnly; // the group ends only with an item that closes it
    int32_t FrequencySlot;
    int32_t Size;
    int8_t Order[5];
    int8_t InverseOrder[5]; // with the meter's spectrum shift inverted
};

constexpr TSlotOrder SlotOrders[] = {
    {SubModeAfcCalibration, SubModeAfc, true, 1, 3, {1, 0, 2}, {2, 0, 1}},
    {SubModeMonitoring, SubModeMonitoring, true, 2, 5, {1, 2, 0, 4, 3}, {3, 4, 0, 2, 1}},
    {SubModeScan, SubModeScan, false, 0, 1, {0}, {0}},
    {FirstImpedanceSubMode, LastImpedanceSubMode, false, 0, 1, {0}, {0}},
};

const TSlotOrder *SlotOrderOf(int32_t subMode) {
    for (const TSlotOrder &order : SlotOrders)
        if (subMode >= order.FirstSubMode && subMode <= order.LastSubMode)
            return &order;
    return nullptr;
}

int32_t BinNumber(double frequency, double quantum) {
    return std::clamp(NearestInt(frequency / quantum), -BinNumberLimit, BinNumberLimit);
}

// Three bins per measuring frequency (one below, the frequency's own and, for a widely spaced plan, one
// above); a frequency already in the last triple adds nothing, one on the last bin written starts its
// triple there. The places left at the end continue upwards one bin at a time.
std::vector<int32_t> PlanTriples(const std::vector<int32_t> &entries) {
    const std::size_t n = entries.size();
    std::vector<int32_t> bins(3 * n);
    const int32_t w = (entries.back() - entries.front()) / int32_t(n) >= WideSpacingBins ? 1 : 0;
    std::size_t at = 0;
    auto write = [&](int32_t v) {
        bins[at++] = v - 1;
        bins[at++] = v;
        bins[at++] = v + w;
    };
    write(entries.front());
    for (std::size_t i = 1; i < n; ++i) {
        const int32_t v = entries[i];
        if (v == bins[at - 2])
            continue;
        if (v == bins[at - 1])
            --at;
        write(v);
    }
    for (; at < bins.size(); ++at)
        bins[at] = bins[at - 1] + 1;
    return bins;
}

} // namespace

void TSST_Param2::Clear() {
    Bins = {};
    ReSlots = {};
    ImSlots = {};
    FreqSlots = {};
    SlotCount = 0;
    BinCount = 0;
    binsAscending_ = false;
    LastSlot = WriteSlot = CurrentBin = -1;
}

void TSST_Param2::BuildBins() {
    const MirvakBlock &m = DeviceSettings->Mirvak;
    Bins = {};
    SlotCount = m.DeviceSubMode;
    if (m.SubMode == SubModeScan)
        BuildScanBins();
    else
        BuildPlanBins(m.SubMode);
    BinCount = int32_t(Bins.size());
    binsAscending_ = std::is_sorted(Bins.begin(), Bins.end());
    AllocateSlots();
    WriteSlot = -1;
    CurrentBin = -1;
}

void TSST_Param2::BuildScanBins() {
    const MirvakBlock &m = DeviceSettings->Mirvak;
    Divider = 1;
    Resolution = m.B;
    if (!(Resolution > 0))
        return;
    const int32_t count =
        std::min(NearestInt(std::fabs(double(m.FcN) - double(m.Fc1)) / Resolution), MaxScanBins) + ScanExtraBins;
    const int32_t first = std::max(0, BinNumber(m.Fc1, Resolution) - ScanBinsBelow);
    Bins.resize(std::size_t(count));
    for (int32_t i = 0; i < count; ++i)
        Bins[std::size_t(i)] = first + i;
}

void TSST_Param2::BuildPlanBins(int32_t subMode) {
    const bool listed = subMode == SubModeAfcCalibration || subMode == SubModeAfc || subMode == SubModeMonitoring ||
                        (subMode >= FirstImpedanceSubMode && subMode <= LastImpedanceSubMode);
    if (!listed)
        return;
    const MirvakBlock &m = DeviceSettings->Mirvak;
    Divider = subMode == SubModeMonitoring ? 1 : 2;
    // The bins of every plan except a scan count in the selective grid.
    Resolution = MirvakQuantum;
    const double q = Resolution / Divider;
    if (!(q > 0))
        return;
    std::vector<int32_t> entries;
    if (m.Flags & 1) {
        const int32_t n = std::min(int32_t(m.RangeN), int32_t(MirvakSetCapacity));
        for (int32_t i = 0; i < n; ++i)
            entries.push_back(BinNumber(double(m.RangeStart) + i * double(m.RangeStep), q));
    } else {
        const int n = SetRowCount(m);
        for (int i = 0; i < n; ++i)
            entries.push_back(BinNumber(m.Set[i].Value, q));
        std::sort(entries.begin(), entries.end());
    }
    if (!entries.empty())
        Bins = PlanTriples(entries);
}

void TSST_Param2::AllocateSlots() {
    ReSlots = {};
    ImSlots = {};
    FreqSlots = {};
    if (SlotCount <= 0)
        return;
    ReSlots.assign(std::size_t(SlotCount), NoValue);
    ImSlots.assign(std::size_t(SlotCount), NoValue);
    FreqSlots.assign(std::size_t(SlotCount), 0);
}

int32_t TSST_Param2::FindBin(float frequency) const {
    if (BinCount <= 0 || BinCount != int32_t(Bins.size()) || Divider <= 0 || !(Resolution > 0) ||
        !binsAscending_)
        return -1;
    const int32_t k = NearestInt(frequency / (Resolution / Divider));
    int32_t lo = 0;
    int32_t hi = BinCount - 1;
    if (k <= Bins[0])
        return 0;
    if (k >= Bins[std::size_t(hi)])
        return hi;
    // Bins[lo] < k < Bins[hi] holds throughout, and the span shrinks on every step until it is one bin.
    while (true) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (Bins[std::size_t(lo)] <= k && k <= Bins[std::size_t(mid)])
            hi = mid;
        else
            lo = mid;
        if (Bins[std::size_t(lo)] == k)
            return lo;
        if (Bins[std::size_t(hi)] == k)
            return hi;
        if (hi == lo + 1)
            return -1;
    }
}

bool TSST_Param2::StoreItem(const TSstResultItem &item) {
    if (item.FreqCode == 0)
        return false;
    if (DeviceSettings->Mirvak.RunState <= 0)
        return true;
    if (WriteSlot + 1 >= int32_t(ReSlots.size())) {
        ++DroppedItems;
        return true;
    }
    const std::size_t slot = std::size_t(++WriteSlot);
    ReSlots[slot] = item.Re;
    ImSlots[slot] = item.Im;
    FreqSlots[slot] = item.FreqCode;
    return true;
}

double TSST_Param2::SlotFrequency(int32_t slot) const {
    return FreqSlots[std::size_t(slot)] / 4294967296.0 * DeviceSettings->SampleRate;
}

void TSST_Param2::FinishGroup(int32_t sstNotScan) {
    const MirvakBlock &m = DeviceSettings->Mirvak;
    const TSlotOrder *order = SlotOrderOf(m.SubMode);
    if (!order || (order->ClosingItemOnly && sstNotScan != 1))
        return;
    // Slots that do not match the sub-mode (a plan built for another one) cannot be put in its order.
    if (int32_t(ReSlots.size()) != order->Size)
        return;
    const bool inverseShift = (m.Options & MirvakMeterShift) && m.FcM > 0 && !(m.Options & MirvakMeterShiftDirect);
    const int8_t *from = inverseShift ? order->InverseOrder : order->Order;
    double re[std::size(order->Order)];
    double im[std::size(order->Order)];
    uint32_t freq[std::size(order->Order)];
    std::copy(ReSlots.begin(), ReSlots.end(), re);
    std::copy(ImSlots.begin(), ImSlots.end(), im);
    std::copy(FreqSlots.begin(), FreqSlots.end(), freq);
    for (int32_t i = 0; i < order->Size; ++i) {
        ReSlots[std::size_t(i)] = re[from[i]];
        ImSlots[std::size_t(i)] = im[from[i]];
        FreqSlots[std::size_t(i)] = freq[from[i]];
    }
    CurrentBin = FindBin(float(SlotFrequency(order->FrequencySlot)));
    WriteSlot = -1;
    LastSlot = SlotCount - 1;
}

void AddSstResult(TSST_Param2 *holder, const TSstResultItem &item) {
    if (holder && holder->StoreItem(item))
        holder->FinishGroup(item.SstNotScan);
}

void DeleteSstParam() {
    delete SstParam;
    SstParam = nullptr;
}
