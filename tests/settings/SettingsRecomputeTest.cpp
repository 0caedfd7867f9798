#include "settings/SettingsRecompute.h"

#include "engine/MasterParam.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "platform/NoValue.h"
#include "settings/SettingsHost.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"

#include <gtest/gtest.h>

namespace {

class SettingsRecompute : public ::testing::Test {
protected:
    void SetUp() override {
        BuildParamCatalogue();
        for (int kind = 1; kind <= 7; ++kind) {
            const ParameterTable table = ParameterTableOf(kind);
            for (int32_t i = 0; i < table.RowCount; ++i)
                table.RemoteResults[i] = {12.5f, 1.5f, ParamFailed, {}};
        }
        RecordChangeMask = 0;
    }
    void TearDown() override {
        delete FreqMasterParam;
        FreqMasterParam = nullptr;
        RecordingOn = false;
        PlaybackOn = false;
    }
};

} // namespace

// A change of settings makes the peer's results of the generator kinds "not measured", restarts the
// masters' averaging and tells the recorder.
TEST_F(SettingsRecompute, PeerResultsGoAndTheRecorderHears) {
    FreqMasterParam = new TMaster_Param;
    FreqMasterParam->SetCurrent(10, -3);
    ASSERT_TRUE(FreqMasterParam->AddCurrentPoint(0, false, 10));
    FreqMasterParam->SetCurrent(10, -4);
    ASSERT_FALSE(FreqMasterParam->AddCurrentPoint(0, false, 10)); // averaged into the point
    FreqMasterParam->SetCurrent(10, -5);
    RecordingOn = true;
    RecomputeAfterSettings(1);
    for (int kind = 1; kind <= 5; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int32_t i = 0; i < table.RowCount; ++i) {
            EXPECT_EQ(table.RemoteResults[i].Value, NoValue) << kind << ' ' << i;
            EXPECT_EQ(table.RemoteResults[i].Margin, NoValue) << kind << ' ' << i;
            EXPECT_EQ(table.RemoteResults[i].Verdict, ParamPassed) << kind << ' ' << i;
        }
    }
    EXPECT_EQ(ParameterTableOf(6).RemoteResults[0].Value, 12.5f) << "the selective results are not the generator's";
    EXPECT_EQ(FreqMasterParam->CurrentX, NoValue) << "the pending point was dropped";
    EXPECT_EQ(RecordChangeMask, 0x08 | 0x10 | 0x01);
}

// During playback the recorded peer results stay.
TEST_F(SettingsRecompute, PlaybackKeepsThePeersResults) {
    PlaybackOn = true;
    RecomputeAfterSettings(0);
    EXPECT_EQ(ParameterTableOf(1).RemoteResults[3].Value, 12.5f);
    EXPECT_EQ(RecordChangeMask, 0);
}

// An open result table of the peer shows the peer's results again whenever they change, here when a
// change of settings has made them "not measured".
TEST_F(SettingsRecompute, AnOpenPeerResultTableFollows) {
    int refreshed = 0;
    SettingsHost().RefreshRemoteResultTable = [&refreshed] { ++refreshed; };
    RecomputeAfterSettings(1);
    EXPECT_EQ(refreshed, 1);
    RefreshRemoteResults();
    EXPECT_EQ(refreshed, 2);
    SettingsHost().RefreshRemoteResultTable = {};
}
