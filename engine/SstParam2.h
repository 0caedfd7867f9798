#pragma once

#include "engine/SstResultItem.h"

#include <cstdint>
#include <vector>

// The holder between the selective mode's result items and their processing: the spectrum bins the
// plan covers, the items of the current measuring point in fixed slots, put into a fixed order when the
// point's group is finished, and the bin of the group's frequency. Main thread only.
class TSST_Param2 {
public:
    TSST_Param2() = default;
    ~TSST_Param2() { Clear(); }
    TSST_Param2(const TSST_Param2 &) = delete;
    TSST_Param2 &operator=(const TSST_Param2 &) = delete;

    void Clear();
    // Rebuilds the bins and the slots for the sub-mode and plan of the settings.
    void BuildBins();
    // Index in Bins of a frequency (kHz): its exact bin, 0 at or below the first bin, the last index at
    // or above the last, -1 between two bins, on an empty list or on bins that are not ascending.
    int32_t FindBin(float frequency) const;
    // Stores an item in the next slot while a run is active; false only for an item without a frequency.
    bool StoreItem(const TSstResultItem &item);
    // Orders the slots of a finished group and finds its bin.
    void FinishGroup(int32_t sstNotScan);

    std::vector<int32_t> Bins; // ascending bin numbers; BinCount entries
    std::vector<double> ReSlots;
    std::vector<double> ImSlots;
    std::vector<uint32_t> FreqSlots;
    int32_t SlotCount = 0;
    int32_t BinCount = 0;
    int32_t LastSlot = -1;  // -1 until a group has been finished, then SlotCount - 1
    int32_t WriteSlot = -1; // slot of the last stored item of the current group
    int32_t Divider = 1;    // bins count in steps of Resolution / Divider
    int32_t CurrentBin = -1;
    double Resolution = 0; // kHz
    // Items of a group that brought more than SlotCount items before its closing item: dropped.
    int32_t DroppedItems = 0;

private:
    bool binsAscending_ = false; // found once per BuildBins: a scan item looks its bin up 16,428 times
    void BuildScanBins();
    void BuildPlanBins(int32_t subMode);
    void AllocateSlots();
    double SlotFrequency(int32_t slot) const;
};

// Stores the item and, when it closes a group (or stands alone in the one-slot sub-modes), finishes it.
void AddSstResult(TSST_Param2 *holder, const TSstResultItem &item);

// The holder of the selective run: created by the run preparation, deleted at the measurement stop;
// null while it does not exist.
extern TSST_Param2 *SstParam;
void DeleteSstParam();
