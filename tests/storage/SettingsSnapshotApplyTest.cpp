#include "storage/SettingsSnapshotApply.h"

#include "SnapshotTestState.h"
#include "state/ProgramSettings.h"
#include "storage/GeneratorRestart.h"
#include "storage/SettingsSnapshot.h"
#include "support/QuietSettings.h"

#include <QBuffer>

#include <string>

namespace {

class SnapshotApply : public SnapshotTestState {
protected:
    void SetUp() override {
        SnapshotTestState::SetUp();
        savedServices_ = SnapshotServices();
        savedRestart_ = GeneratorRestartServices();
        savedUseRecorded_ = ProgramSettings.UseRecordedSettings;
        SnapshotServices() = {};
        SnapshotServices().MaskDir = [] { return SnapshotMaskFolder; };
        SnapshotServices().ResetGraphsAndMasks = [this] { calls_ += "masks;"; };
        SnapshotServices().SetScenarioRowFromConfig = [this](const TDeviceSettings &s, float noise4, float mtts10,
                                                             float sin17) {
            scenarioMaxFrequency_ = s.MaxFrequency;
            calls_ += "scenario " + std::to_string(int(noise4)) + " " + std::to_string(int(mtts10)) + " " + std::to_string(int(sin17)) + ";";
        };
        GeneratorRestartServices() = {};
        auto &r = GeneratorRestartServices();
        const auto note = [this](const char *what) { return [this, what] { calls_ += std::string(what) + ";"; }; };
        r.StartMasterFreq = note("masterF");
        r.StartMasterLev = note("masterL");
        r.StartMirvak = note("mirvak");
        r.StartSync = note("sync");
        r.StartSin = note("sin");
        r.StartSin2 = note("sin2");
        r.StartRnd = note("rnd");
        r.StartMtts = note("mtts");
        r.StartNoise = note("noise");
        r.BlockGenerator = note("block");
        r.MarkLocalGenButton = [this](int kind) { calls_ += "local " + std::to_string(kind) + ";"; };
        r.MarkRemoteGenButton = [this](int kind) { calls_ += "remote " + std::to_string(kind) + ";"; };
        r.SendRemoteMessage = [this](const std::vector<uint8_t> &codes) { message_ = codes; };
        // No link object: SendCommand issues nothing, and the pending mask stays readable.
        ConnectionKind = 1;
        *DeviceSettings = QuietSettings();
    }
    void TearDown() override {
        ProgramSettings.UseRecordedSettings = savedUseRecorded_;
        GeneratorRestartServices() = savedRestart_;
        SnapshotServices() = savedServices_;
        SnapshotTestState::TearDown();
    }

    // A snapshot of the current live state.
    QByteArray Snapshot() {
        QByteArray out;
        QBuffer stream(&out);
        stream.open(QIODevice::WriteOnly);
        EXPECT_GT(WriteSettingsSnapshot(stream, *DeviceSettings), 0);
        return out;
    }

    bool Apply(QByteArray bytes, SnapshotMode mode) {
        QBuffer stream(&bytes);
        stream.open(QIODevice::ReadOnly);
        return ApplySettingsSnapshot(stream, mode, "V6.11");
    }

    std::string calls_;
    std::vector<uint8_t> message_;
    float scenarioMaxFrequency_ = 0;

private:
    TSnapshotServices savedServices_;
    TGeneratorRestartServices savedRestart_;
    int16_t savedUseRecorded_ = 0;
};

TEST_F(SnapshotApply, AConfigurationComesBackWithTheRunningProgramsIndexes) {
    TDeviceSettings &s = *DeviceSettings;
    s.Sin2.State = 2;
    s.BandF0 = 0.3f;
    s.BandF1 = 3.4f;
    s.PeerConnectState = 1;
    s.WeightingIndex = -1;
    const float x[] = {0.3f, 3.4f}, y[] = {1, 2};
    SetWeightingCurve(2, x, y);
    FileNameList = {QStringLiteral("/old/w.9wf")};
    s.WeightingIndex = 0;
    MaskNameList = {QStringLiteral("a.9pf;")};
    ParamDescriptor &textRow = ParamTableNoise[8];
    textRow.TextNorms = 1;
    textRow.Settings.LowerMaskName = 0;
    textRow.Settings.UpperMaskName = -1;
    textRow.Settings.LowerNorm = -42;
    ParamTableSin[5].Settings.TimeDiagram = 1;
    ParamTableSync[3].Settings.TimeDiagram = 1;
    auto mask = std::make_unique<TMASK>();
    mask->Points = {{1, 2}};
    mask->Names = {QStringLiteral("m.9nf")};
    MaskArray[7][1] = std::move(mask);
    const TDeviceSettings written = s;
    const QByteArray snapshot = Snapshot();

    // A different live state: other settings, other indexes, other view switches.
    s = QuietSettings();
    s.WeightingIndex = 2;
    FileNameList = {QStringLiteral("p"), QStringLiteral("q"), QStringLiteral("r")};
    MaskNameList = {QStringLiteral("z"), QStringLiteral("y")};
    textRow.Settings.LowerMaskName = 1;
    textRow.Settings.UpperMaskName = -1;
    textRow.Settings.LowerNorm = 0;
    ParamTableSin[5].Settings.TimeDiagram = 0;
    ParamTableSync[3].Settings.TimeDiagram = 0;
    SetWeightingCurve(0, nullptr, nullptr);
    MaskArray[7][1].reset();

    ASSERT_TRUE(Apply(snapshot, SnapshotMode::Configuration));
    EXPECT_EQ(s.Sin2.F1, written.Sin2.F1);
    EXPECT_EQ(s.BandF1, 3.4f);
    EXPECT_EQ(s.PeerConnectState, 0);
    EXPECT_EQ(s.WeightingIndex, 2);
    EXPECT_EQ(FileNameList.at(2), SnapshotMaskFolder + QStringLiteral("w.9wf"));
    EXPECT_EQ(WeightingCurve.Count, 2);
    EXPECT_EQ(textRow.Settings.LowerMaskName, 1);
    EXPECT_EQ(textRow.Settings.LowerNorm, -42);
    EXPECT_EQ(MaskNameList.at(1), SnapshotMaskFolder + QStringLiteral("a.9pf;"));
    EXPECT_EQ(MaskNameList.at(0), QStringLiteral("z"));
    EXPECT_EQ(ParamTableSin[5].Settings.TimeDiagram, 1);  // taken from the file
    EXPECT_EQ(ParamTableSync[3].Settings.TimeDiagram, 0); // the selective and SYNC tables keep theirs
    ASSERT_TRUE(PendingMaskArray[7][1]);
    EXPECT_EQ(PendingMaskArray[7][1]->Paths.at(0), SnapshotMaskFolder + QStringLiteral("m.9nf"));
    // The stored generator restarted and everything issued at once.
    EXPECT_EQ(calls_, "masks;sin2;");
    EXPECT_EQ(s.Mode & 0x901, 0x901);
}

TEST_F(SnapshotApply, AWeightingSnapshotWithoutPointsEmptiesTheName) {
    FileNameList = {QStringLiteral("/m/w.9wf")};
    DeviceSettings->WeightingIndex = 0;
    ApplyWeightingTable(0, nullptr, nullptr, QString());
    EXPECT_EQ(FileNameList.at(0), QString());
    EXPECT_EQ(DeviceSettings->WeightingIndex, 0);
    EXPECT_EQ(WeightingCurve.Count, 0);
}

TEST_F(SnapshotApply, PlaybackKeepsTheLiveMeterViewUnlessRecordedSettingsAreUsed) {
    for (const int16_t useRecorded : {0, 1}) {
        *DeviceSettings = QuietSettings();
        DeviceSettings->CableVelocity = 150;
        DeviceSettings->BandF0 = 1;
        ParamTableSin[3].Settings.LowerNorm = -7;
        const QByteArray snapshot = Snapshot();
        DeviceSettings->CableVelocity = 200;
        DeviceSettings->BandF0 = 2;
        ParamTableSin[3].Settings.LowerNorm = 0;
        ProgramSettings.UseRecordedSettings = useRecorded;
        ASSERT_TRUE(Apply(snapshot, SnapshotMode::Playback));
        EXPECT_EQ(DeviceSettings->CableVelocity, useRecorded ? 150 : 200);
        EXPECT_EQ(DeviceSettings->BandF0, 1); // the recorded band edges always
        EXPECT_EQ(ParamTableSin[3].Settings.LowerNorm, useRecorded ? -7 : 0);
    }
}

TEST_F(SnapshotApply, AScenarioRowOnlyHandsTheRecordOn) {
    ParamTableNoise[4].Settings.LowerNorm = 4;
    ParamTableMtts[10].Settings.LowerNorm = 10;
    ParamTableSin[17].Settings.LowerNorm = 17;
    DeviceSettings->MaxFrequency = 512;
    const QByteArray snapshot = Snapshot();
    *DeviceSettings = QuietSettings();
    ParamTableSin[17].Settings.LowerNorm = 0;
    ASSERT_TRUE(Apply(snapshot, SnapshotMode::ScenarioRow));
    EXPECT_EQ(calls_, "scenario 4 10 17;");
    EXPECT_EQ(scenarioMaxFrequency_, 512);
    EXPECT_EQ(DeviceSettings->MaxFrequency, 1024);
    EXPECT_EQ(ParamTableSin[17].Settings.LowerNorm, 0);
}

TEST_F(SnapshotApply, ADamagedRecordIsBroughtIntoRange) {
    TDeviceSettings s = QuietSettings();
    s.ConnectionType = 40;
    s.AdcSizeIndex = 9;
    s.MaxFrequency = -1;
    s.MaxLevelIndex = 9;
    BringSettingsIntoRange(s);
    EXPECT_EQ(s.ConnectionType, 12);
    EXPECT_EQ(s.AdcSize, SpectrumSizes[std::size_t(s.AdcSizeIndex)]);
    EXPECT_GT(s.MaxFrequency, 0);
    EXPECT_EQ(s.MaxLevelIndex, 3);
    const TDeviceSettings valid = DefaultDeviceSettings();
    TDeviceSettings same = valid;
    BringSettingsIntoRange(same);
    EXPECT_EQ(std::memcmp(&same, &valid, sizeof valid), 0);
}

// The first stored run or generator is started locally; the order is the restart's.
struct LocalRestart {
    const char *Stored;
    const char *Started;
};

class LocalRestarts : public SnapshotApply, public ::testing::WithParamInterface<LocalRestart> {};

TEST_P(LocalRestarts, StartTheFirstStoredRun) {
    TDeviceSettings &s = *DeviceSettings;
    const std::string stored = GetParam().Stored;
    s.MasterL.State = stored.find("masterL") != std::string::npos;
    s.Mirvak.RunState = stored.find("mirvak") != std::string::npos;
    s.Mtts.State = stored.find("mtts") != std::string::npos;
    s.Rnd.State = stored.find("rnd") != std::string::npos;
    s.Noise.State = stored.find("noise") != std::string::npos;
    s.RemoteGenState[0] = 2;
    s.ConnectState = 0;
    RestartGeneratorsAfterLoad();
    EXPECT_EQ(calls_, std::string(GetParam().Started) + ";");
    EXPECT_EQ(s.RemoteGenState[0], 0);
    EXPECT_EQ(s.Mode & 0x901, 0x901);
}

INSTANTIATE_TEST_SUITE_P(Order, LocalRestarts,
                         ::testing::Values(LocalRestart{"", "block"}, LocalRestart{"noise", "noise"},
                                           LocalRestart{"mtts noise", "mtts"}, LocalRestart{"mtts rnd", "rnd"},
                                           LocalRestart{"rnd mirvak", "mirvak"}, LocalRestart{"mirvak masterL", "masterL"}));

TEST_F(SnapshotApply, UnderALinkBothEndsRestartByOneMessage) {
    TDeviceSettings &s = *DeviceSettings;
    s.ConnectState = 2;
    s.Rnd.State = 2;
    s.Mtts.State = 2;
    s.RemoteGenState[2] = 3; // the peer's MTTS
    s.RemoteNoiseState = 2;
    RestartGeneratorsAfterLoad();
    EXPECT_EQ(message_, (std::vector<uint8_t>{255, 15, 23, 26, 27, 21, 12, 20, 3}));
    EXPECT_EQ(s.RemoteGenState[2], 1);
    EXPECT_EQ(s.ConnectState, 1);
    EXPECT_EQ(calls_, "local 4;remote 3;");
    EXPECT_EQ(s.Mode & 0x100, 0); // the local commands follow the peer's receipt
}

} // namespace
