#include "views/GraphSources.h"

#include "engine/MasterParam.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "state/DeviceSettings.h"

#include <gtest/gtest.h>

namespace {

// The master characteristics (kinds 18 and 19) are drawn from their point lists while those exist.
class GraphMasterCurve : public ::testing::Test {
protected:
    void SetUp() override {
        saved = *DeviceSettings;
        DeviceSettings->SpectrumStep = 1;
        BuildParamCatalogue();
    }
    void TearDown() override {
        FreqMasterParam = LevelMasterParam = nullptr;
        *DeviceSettings = saved;
        BuildParamCatalogue();
    }

    TDeviceSettings saved{};
};

TEST_F(GraphMasterCurve, KindsEighteenAndNineteenReadTheMastersLists) {
    for (int kind : {18, 19}) {
        SCOPED_TRACE(kind);
        TMaster_Param *&holder = kind == 18 ? FreqMasterParam : LevelMasterParam;
        ASSERT_NE(GraphParamSettings[kind][1], nullptr);
        GraphParamSettings[kind][1]->Analyse = 1;
        EXPECT_FALSE(GraphCurve(kind).has_value());
        EXPECT_FALSE(KindVisible(kind));

        TMaster_Param master;
        for (float x : {10.f, 20.f}) {
            master.SetCurrent(x, -x);
            master.AddCurrentPoint(-1, true, 0);
        }
        holder = &master;
        const auto curve = GraphCurve(kind);
        ASSERT_TRUE(curve.has_value());
        EXPECT_EQ(curve->Count, 2);
        EXPECT_EQ(curve->X, master.XValues());
        EXPECT_EQ(curve->Y[1], -20);
        EXPECT_TRUE(KindVisible(kind));
        GraphParamSettings[kind][1]->Analyse = 0;
        EXPECT_FALSE(KindVisible(kind));
        holder = nullptr;
    }
}

} // namespace
