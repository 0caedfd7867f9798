#include "engine/SstParam2.h"
#include "state/MirvakGrid.h"

#include "platform/NoValue.h"
#include "state/DeviceSettings.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int8_t AfcMode = 0;
constexpr int8_t ScanMode = 1;
constexpr int8_t MonitoringMode = 2;

// A sample rate of 1024 kHz, so that an item's frequency code is f x 2^22.
class SstParam2 : public ::testing::Test {
protected:
    void SetUp() override {
        Settings = DefaultDeviceSettings();
        Settings.SampleRate = 1024;
        Settings.Mirvak.RunState = 2;
        Settings.Mirvak.Options = 0;
        Settings.Mirvak.FcM = 0;
        DeviceSettings = &Settings;
        quantum_ = MirvakQuantum;
        MirvakQuantum = 1;
    }
    void TearDown() override {
        MirvakQuantum = quantum_;
        DeviceSettings = nullptr;
    }

    void SetPlan(int8_t subMode, uint8_t itemsPerPoint, std::vector<float> frequencies) {
        MirvakBlock &m = Settings.Mirvak;
        m.SubMode = subMode;
        m.DeviceSubMode = itemsPerPoint;
        m.Flags = 0;
        m.SetCount = int8_t(frequencies.size());
        for (std::size_t i = 0; i < frequencies.size(); ++i)
            m.Set[i] = {frequencies[i], uint8_t(i % 2)};
    }
    void SetRange(int8_t subMode, float f1, int32_t n, float df) {
        MirvakBlock &m = Settings.Mirvak;
        m.SubMode = subMode;
        m.DeviceSubMode = 5;
        m.Flags = 1;
        m.RangeStart = f1;
        m.RangeN = n;
        m.RangeStep = df;
    }
    static TSstResultItem Item(double re, float kHz, int32_t closes) {
        return {re, -re, uint32_t(double(kHz) * 4194304.0), closes};
    }
    // The Re of every slot, which the tests set to the item's number.
    std::vector<double> SlotOrder() const { return holder.ReSlots; }

    TDeviceSettings Settings{};
    TSST_Param2 holder;
    double quantum_ = 0;
};

TEST_F(SstParam2, PlanBinsAreTriplesAroundEachFrequency) {
    struct Case {
        const char *name;
        std::vector<float> bins;
        std::vector<int32_t> expected;
    };
    // Monitoring counts bins in whole quanta, so these frequencies are bin numbers.
    const Case cases[] = {
        {"mean spacing below 10: no bin above", {9, 2, 5}, {1, 2, 2, 4, 5, 5, 8, 9, 9}},
        {"a frequency on the last bin written starts its triple there",
         {100, 101, 130},
         {99, 100, 100, 101, 102, 129, 130, 131, 132}},
        {"a repeated frequency keeps one triple", {50, 50, 80}, {49, 50, 51, 79, 80, 81, 82, 83, 84}},
        {"no frequencies: no bins", {}, {}},
    };
    for (const Case &c : cases) {
        SetPlan(MonitoringMode, 5, c.bins);
        holder.BuildBins();
        EXPECT_EQ(holder.Bins, c.expected) << c.name;
        EXPECT_EQ(holder.BinCount, int32_t(c.expected.size())) << c.name;
        EXPECT_EQ(holder.Divider, 1) << c.name;
    }
}

TEST_F(SstParam2, RangePlansKeepTheirOrderAndAfcHalvesTheQuantum) {
    SetRange(AfcMode, 5, 3, 2.5f); // bins of 0.5: 10, 15, 20
    holder.BuildBins();
    EXPECT_EQ(holder.Divider, 2);
    EXPECT_EQ(holder.Bins, (std::vector<int32_t>{9, 10, 10, 14, 15, 15, 19, 20, 20}));
    SetRange(MonitoringMode, 20, 3, -5);
    holder.BuildBins();
    EXPECT_EQ(holder.Bins, (std::vector<int32_t>{19, 20, 20, 14, 15, 15, 9, 10, 10}));
}

TEST_F(SstParam2, AScanCoversItsBandWithSixteenBinsBelowAndSeventeenAbove) {
    MirvakBlock &m = Settings.Mirvak;
    m.SubMode = ScanMode;
    m.DeviceSubMode = 1;
    m.Fc1 = 10;
    m.FcN = 20;
    m.B = 0.1f;
    holder.BuildBins();
    ASSERT_EQ(holder.BinCount, 134);
    EXPECT_EQ(holder.Bins.front(), 84);
    EXPECT_EQ(holder.Bins.back(), 84 + 133);
    EXPECT_FLOAT_EQ(float(holder.Resolution), 0.1f);
    m.B = 0; // a damaged band gives no bins rather than a division by zero
    holder.BuildBins();
    EXPECT_EQ(holder.BinCount, 0);
    EXPECT_EQ(holder.FindBin(15), -1);
}

TEST_F(SstParam2, FindBinOnBelowAboveAndBetweenBins) {
    SetPlan(MonitoringMode, 5, {2, 5, 9}); // 1, 2, 2, 4, 5, 5, 8, 9, 9
    holder.BuildBins();
    const std::pair<float, int32_t> cases[] = {{0.2f, 0}, {1, 0},  {20, 8}, {9, 8},    {4, 3}, {3, -1},
                                               {6, -1},   {7, -1}, {8, 6},  {5.2f, 4}, {2, 1}};
    for (const auto &[frequency, index] : cases) {
        const int32_t found = holder.FindBin(frequency);
        if (index == 4 || index == 1) // a repeated bin: either of its places
            EXPECT_EQ(holder.Bins[std::size_t(found)], holder.Bins[std::size_t(index)]) << frequency;
        else
            EXPECT_EQ(found, index) << frequency;
    }
}

TEST_F(SstParam2, FindBinRefusesAnEmptyOrUnorderedList) {
    EXPECT_EQ(holder.FindBin(10), -1);
    SetRange(MonitoringMode, 20, 3, -5);
    holder.BuildBins();
    for (float f : {1.f, 12.f, 15.f, 30.f})
        EXPECT_EQ(holder.FindBin(f), -1) << f;
}

TEST_F(SstParam2, AfcGroupsArePutInOrderOnTheirClosingItem) {
    SetPlan(AfcMode, 3, {10, 20, 30}); // bins of 0.5 kHz: 19, 20, 21, 39, 40, 41, 59, 60, 61
    for (bool inverse : {false, true}) {
        Settings.Mirvak.Options = inverse ? 1 : 3; // direct shift (bit 1) is no inverse shift
        Settings.Mirvak.FcM = 100;
        holder.Clear();
        holder.BuildBins();
        AddSstResult(&holder, Item(1, 20, 0));
        AddSstResult(&holder, Item(2, 21, 0));
        EXPECT_EQ(holder.LastSlot, -1);
        AddSstResult(&holder, Item(3, 22, 1));
        EXPECT_EQ(SlotOrder(), (inverse ? std::vector<double>{3, 1, 2} : std::vector<double>{2, 1, 3}));
        EXPECT_EQ(holder.ImSlots[1], -1); // the three arrays move together
        EXPECT_EQ(holder.FreqSlots[1], 20u * 4194304u);
        EXPECT_EQ(holder.CurrentBin, 4); // the bin of the first item's 20 kHz
        EXPECT_EQ(holder.LastSlot, 2);
        EXPECT_EQ(holder.WriteSlot, -1);
    }
}

TEST_F(SstParam2, MonitoringGroupsFollowTheShiftDirection) {
    SetPlan(MonitoringMode, 5, {10, 20, 30});
    for (bool inverse : {false, true}) {
        Settings.Mirvak.Options = inverse ? 1 : 0;
        Settings.Mirvak.FcM = 50;
        holder.BuildBins();
        for (int i = 1; i <= 5; ++i)
            AddSstResult(&holder, Item(i, 10, i == 5 ? 1 : 0));
        EXPECT_EQ(SlotOrder(), (inverse ? std::vector<double>{4, 5, 1, 3, 2} : std::vector<double>{2, 3, 1, 5, 4}));
        ASSERT_GE(holder.CurrentBin, 0);
        EXPECT_EQ(holder.Bins[std::size_t(holder.CurrentBin)], 10);
    }
}

TEST_F(SstParam2, ItemsBeyondTheSlotsAreDroppedAndCounted) {
    SetPlan(AfcMode, 3, {10});
    holder.BuildBins();
    for (int i = 1; i <= 5; ++i)
        AddSstResult(&holder, Item(i, 10, 0));
    EXPECT_EQ(SlotOrder(), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(holder.DroppedItems, 2);
    AddSstResult(&holder, Item(6, 10, 1)); // the closing item is dropped too, but closes the group
    EXPECT_EQ(holder.DroppedItems, 3);
    EXPECT_EQ(SlotOrder(), (std::vector<double>{2, 1, 3}));

    SetPlan(AfcMode, 0, {10}); // no slots: nothing stored, nothing finished
    holder.BuildBins();
    AddSstResult(&holder, Item(1, 10, 1));
    EXPECT_TRUE(holder.ReSlots.empty());
    EXPECT_EQ(holder.LastSlot, 2); // kept from the earlier group
}

TEST_F(SstParam2, ItemsWithoutFrequencyOrOutsideARunAreNotStored) {
    SetPlan(ScanMode, 1, {});
    Settings.Mirvak.Fc1 = 10;
    Settings.Mirvak.FcN = 20;
    Settings.Mirvak.B = 1;
    holder.BuildBins();
    EXPECT_EQ(holder.ReSlots, std::vector<double>{NoValue});
    AddSstResult(&holder, Item(1, 0, 1));
    EXPECT_EQ(holder.LastSlot, -1);
    AddSstResult(&holder, Item(2, 12, 0)); // a scan finishes every item
    EXPECT_EQ(SlotOrder(), std::vector<double>{2});
    EXPECT_EQ(holder.Bins[std::size_t(holder.CurrentBin)], 12);
    Settings.Mirvak.RunState = 0;
    AddSstResult(&holder, Item(3, 15, 1));
    EXPECT_EQ(SlotOrder(), std::vector<double>{2});
    EXPECT_EQ(holder.Bins[std::size_t(holder.CurrentBin)], 12);
}

} // namespace
