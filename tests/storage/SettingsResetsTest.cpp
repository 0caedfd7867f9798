#include "storage/SettingsResets.h"

#include "engine/EngineBuffers.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/PointVerdicts.h"
#include "engine/masks/MaskArray.h"
#include "support/QuietSettings.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<TMASK> MaskWith(double y, uint8_t active) {
    auto mask = std::make_unique<TMASK>();
    mask->Points = {{1.0, y}, {2.0, y}};
    mask->Active = active;
    return mask;
}

// The windows the resets call, as a log of their names.
class SettingsResets : public ::testing::Test {
protected:
    void SetUp() override {
        BuildParamCatalogue();
        FreeAllMasks();
        FreeAllPointVerdicts();
        settings = QuietSettings();
        saved = DeviceSettings;
        DeviceSettings = &settings;
        TSettingsResetViews &views = SettingsResetViews();
        views.RefreshParamWindows = [this] { calls.push_back("params"); };
        views.ResetGraphMaskBindings = [this] { calls.push_back("forget"); };
        views.RebindGraphMasks = [this] { calls.push_back("rebind"); };
        views.ClearWeightingName = [this] { calls.push_back("weighting"); };
        views.RefreshMeterPage = [this] { calls.push_back("meter"); };
    }
    void TearDown() override {
        SettingsResetViews() = {};
        FreeAllMasks();
        FreeAllPointVerdicts();
        SetWeightingCurve(0, nullptr, nullptr);
        DeviceSettings = saved;
    }

    TDeviceSettings settings{};
    TDeviceSettings *saved = nullptr;
    std::vector<std::string> calls;
};

// The waiting masks take the places of those in force with their own active flags; a slot without a
// waiting mask ends with none, and only slots with a mask keep a verdict array.
TEST_F(SettingsResets, WaitingMasksReplaceThoseInForce) {
    MaskArray[1][MaskUpperSide] = MaskWith(5, 1);
    MaskArray[1][MaskLowerSide] = MaskWith(-5, 1);
    PendingMaskArray[1][MaskUpperSide] = MaskWith(7, 0);
    MaskArray[3][MaskUpperSide] = MaskWith(9, 1);
    PendingMaskArray[5][MaskLowerSide] = MaskWith(-1, 1);
    for (int32_t slot : {1, 3, 5})
        AllocPointVerdicts(slot);
    ASSERT_EQ(PointVerdicts[5], nullptr);

    ResetGraphsAndMasks();
    EXPECT_EQ(calls, (std::vector<std::string>{"forget"}));
    ASSERT_NE(MaskArray[1][MaskUpperSide], nullptr);
    EXPECT_EQ(MaskArray[1][MaskUpperSide]->Points[0].y, 7);
    EXPECT_EQ(MaskArray[1][MaskUpperSide]->Active, 0);
    EXPECT_EQ(MaskArray[1][MaskLowerSide], nullptr);
    EXPECT_EQ(MaskArray[3][MaskUpperSide], nullptr);
    ASSERT_NE(MaskArray[5][MaskLowerSide], nullptr);
    EXPECT_EQ(MaskArray[5][MaskLowerSide]->Active, 1);
    for (int32_t slot = 0; slot < MaskSlotCount; ++slot)
        for (int32_t side : {MaskUpperSide, MaskLowerSide})
            EXPECT_EQ(PendingMaskArray[slot][side], nullptr);
    EXPECT_NE(PointVerdicts[1], nullptr);
    EXPECT_EQ(PointVerdicts[3], nullptr);
    EXPECT_NE(PointVerdicts[5], nullptr);
}

// Only rows judged by mask files lose their template names; the indexes stay, and indexes outside the
// list (a damaged configuration) are passed over.
TEST_F(SettingsResets, MaskFileNamesOfMaskRowsAreEmptied) {
    ParamDescriptor rows[3] = {ParamTableSin[2], ParamTableSin[2], ParamTableSin[2]};
    rows[0].TextNorms = 1;
    rows[1].TextNorms = 0;
    rows[2].TextNorms = 1;
    MaskNameList = {QStringLiteral("a.9sf;"), QStringLiteral("b.9sf;"), QStringLiteral("c.9sf;")};
    rows[0].Settings.LowerMaskName = 0;
    rows[0].Settings.UpperMaskName = -1;
    rows[1].Settings.LowerMaskName = 1;
    rows[1].Settings.UpperMaskName = -1;
    rows[2].Settings.LowerMaskName = 40;
    rows[2].Settings.UpperMaskName = 2;
    ClearMaskFileNames(rows, 3);
    EXPECT_EQ(MaskNameList, (QStringList{QString(), QStringLiteral("b.9sf;"), QString()}));
    EXPECT_EQ(rows[0].Settings.LowerMaskName, 0);
    EXPECT_EQ(rows[2].Settings.UpperMaskName, 2);
    ClearMaskFileNames(nullptr, 3);
}

// The peer's parameter settings bring the received masks into use only while the peer controls this
// analyser; the tables refresh and the results are recomputed either way.
TEST_F(SettingsResets, PeerParameterSettings) {
    PendingMaskArray[2][MaskUpperSide] = MaskWith(1, 1);
    ApplyRemoteParamSettings();
    EXPECT_EQ(calls, (std::vector<std::string>{"params"}));
    EXPECT_EQ(settings.Mode, 0x100);
    EXPECT_EQ(MaskArray[2][MaskUpperSide], nullptr);

    calls.clear();
    settings.PeerConnectState = 1;
    ApplyRemoteParamSettings();
    EXPECT_EQ(calls, (std::vector<std::string>{"params", "forget"}));
    EXPECT_NE(MaskArray[2][MaskUpperSide], nullptr);
}

// Everything goes: the generator tables' mask files, every mask, the weighting characteristic and its
// name; the windows follow.
TEST_F(SettingsResets, ResetAllResultsLeavesNoMaskAndNoWeighting) {
    ParamDescriptor *maskRow = nullptr;
    for (int32_t i = 0; i < ParamTableRowCounts[3] && !maskRow; ++i)
        if (ParamTableMtts[i].TextNorms)
            maskRow = &ParamTableMtts[i];
    ASSERT_NE(maskRow, nullptr);
    MaskNameList = {QStringLiteral("x.9af;")};
    maskRow->Settings.UpperMaskName = 0;
    settings.PeerConnectState = 1;
    MaskArray[4][MaskUpperSide] = MaskWith(3, 1);
    PendingMaskArray[6][MaskLowerSide] = MaskWith(2, 1);
    const float x[] = {1, 2}, y[] = {0, 3};
    ASSERT_TRUE(SetWeightingCurve(2, x, y));

    ResetAllResults();
    EXPECT_EQ(MaskNameList, (QStringList{QString()}));
    for (int32_t slot = 0; slot < MaskSlotCount; ++slot)
        for (int32_t side : {MaskUpperSide, MaskLowerSide}) {
            EXPECT_EQ(MaskArray[slot][side], nullptr) << slot;
            EXPECT_EQ(PendingMaskArray[slot][side], nullptr) << slot;
        }
    EXPECT_EQ(WeightingCurve.Count, 0);
    EXPECT_EQ(settings.Mode, 0x100);
    EXPECT_EQ(calls, (std::vector<std::string>{"params", "forget", "forget", "rebind", "weighting", "meter"}));
}

} // namespace
