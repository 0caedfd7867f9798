// The resets of storage/ reach the open graph windows through what the program registers at start.

#include "../views/GraphWindowFixture.h"

#include "engine/masks/MaskArray.h"
#include "shell/WindowRegistries.h"
#include "storage/SettingsResets.h"

namespace {

std::unique_ptr<TMASK> ActiveMask(double y) {
    auto mask = std::make_unique<TMASK>();
    mask->Points = {{0.0, y}, {1000.0, y}};
    mask->Active = 1;
    return mask;
}

class ProgramResets : public GraphWindow {
protected:
    void TearDown() override {
        GraphWindows[1] = nullptr;
        FreeAllMasks();
        GraphWindow::TearDown();
    }
};

TEST_F(ProgramResets, OpenGraphWindowsFollowTheMasksThatCameIntoUse) {
    const TSettingsResetViews &views = SettingsResetViews();
    ASSERT_TRUE(views.RefreshParamWindows && views.ResetGraphMaskBindings && views.RebindGraphMasks)
        << "the program registers its windows with the resets";
    SignalKind = 1;
    TForm_Graphic &w = Open(1);
    GraphWindows[1] = &w;
    const int32_t slot = w.MaskSlot();
    ASSERT_GE(slot, 0);
    MaskArray[slot][MaskUpperSide] = ActiveMask(-10);
    w.RebindMasks(2);
    ASSERT_EQ(w.BoundMask(0), MaskArray[slot][MaskUpperSide].get());

    // A configuration's mask comes into use: the window lets go of the old one and binds the new.
    PendingMaskArray[slot][MaskUpperSide] = ActiveMask(-20);
    TMASK *loaded = PendingMaskArray[slot][MaskUpperSide].get();
    ResetGraphsAndMasks();
    EXPECT_EQ(w.BoundMask(0), nullptr);
    w.RebindMasks(2);
    EXPECT_EQ(w.BoundMask(0), loaded);

    // After all results are reset the window shows no mask.
    ResetAllResults();
    EXPECT_EQ(MaskArray[slot][MaskUpperSide], nullptr);
    EXPECT_EQ(w.BoundMask(0), nullptr);
}

} // namespace
