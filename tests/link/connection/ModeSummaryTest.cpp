#include "ConnectionFixture.h"

#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/MeterRange.h"
#include "engine/SignalKindChange.h"
#include "state/RecordChangeMask.h"

namespace {

// The summaries in demonstration mode without a running emulator: nothing but the settings matter.
class ModeSummaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings = QuietSettings();
        settings.GenImpedance = 600;
        settings.Sin = {-10, 16.5f, 0, 0, 0, 0, 0};
        settings.Sin2 = {-3, 40, 80, 0, 0, 2, 0};
        settings.Mtts = {-20, 8, 400, 0, 4, 100, 0};
        settings.Rnd.Level = 0;
        settings.Noise.Level = -45;
        settings.MeterImpedance = 5; // below 10 Ohm the range levels stay as the test sets them
        settings.MeterHighImpedance = 1;
        settings.MaxLevelIndex = 2;
        settings.BandF0 = 0.3f;
        settings.BandF1 = 1024;
        settings.AveragingInterval = 65;
        DeviceSettings = &settings;
        ConnectionKind = 0;
        RecordingOn = false;
        SetPrecisionZeros(2);
        for (int i = 0; i < MeterRangeCount; ++i)
            RangeMaxLevels[i] = std::int16_t(35 - 20 * i);
        SignalKind = 1;
        LastSignalKind = 1;
        SetConnectionView(&view);
    }
    void TearDown() override {
        SetConnectionView(nullptr);
        DeviceSettings = saved;
        LastSignalKind = std::int32_t(NoValue);
        SignalKind = 0;
        RecordingOn = false;
    }
    TDeviceSettings *saved = DeviceSettings;
    TDeviceSettings settings;
    FakeView view;
    RegisteredServices services;
};

struct CaptionCase {
    const char *name;
    std::int32_t mask;
    QString caption;
};

TEST_F(ModeSummaryTest, GeneratorCaptionOfTheLastRaisedGenerator) {
    const QString base = QStringLiteral("600.00 Ом");
    const CaptionCase cases[] = {
        {"block", 0x0004, base},
        {"sine", 0x0008, base + QStringLiteral("\\SIN\\-10.00 дБм0\\16.5 кГц")},
        {"block and sine: the sine wins", 0x000C, base + QStringLiteral("\\SIN\\-10.00 дБм0\\16.5 кГц")},
        {"two tones", 0x0010, base + QStringLiteral("\\SIN2\\-3.00 дБм0\\40+80 кГц")},
        {"multitone", 0x0020, base + QStringLiteral("\\МЧС\\-20.00 дБм0\\8-400 кГц")},
        {"pseudo-random", 0x0040, base + QStringLiteral("\\ПСС\\0.00 дБм0")},
        {"noise over the sine", 0x0088, base + QStringLiteral("\\ШУМ\\-45.00 дБм0")},
    };
    for (const CaptionCase &c : cases) {
        view = FakeView();
        RefreshModeState(true, c.mask);
        EXPECT_EQ(view.generatorCaption, c.caption) << c.name;
    }
    settings.GenLowImpedance = 1;
    RefreshModeState(true, 0x0004);
    EXPECT_EQ(view.generatorCaption, QStringLiteral("600.00 Ом (низ.)"));
}

// The mode command stands for every generator that is on.
TEST_F(ModeSummaryTest, ModeBitShowsTheGeneratorThatIsOn) {
    settings.Mtts.State = 2;
    RefreshModeState(true, 0x0001);
    EXPECT_EQ(view.generatorCaption, QStringLiteral("600.00 Ом\\МЧС\\-20.00 дБм0\\8-400 кГц"));
    EXPECT_EQ(view.generatorImage, 1);
}

TEST_F(ModeSummaryTest, NothingPendingLeavesTheGeneratorCaption) {
    RefreshModeState(true, 0);
    EXPECT_EQ(view.generatorUpdates, 0);
    // A meter bit alone builds no generator caption.
    RefreshModeState(true, 0x0400);
    EXPECT_EQ(view.generatorUpdates, 0);
    RefreshModeState(false, 0x0008);
    EXPECT_EQ(view.generatorUpdates, 0);
}

TEST_F(ModeSummaryTest, GeneratorImageFromLocalAndLinkedPeerStates) {
    struct ImageCase {
        const char *name;
        std::int32_t local, remote, remoteNoise, link;
        int image;
    };
    const ImageCase cases[] = {
        {"nothing on", 0, 0, 0, 0, 0},
        {"local on", 2, 0, 0, 0, 1},
        {"peer on without a link", 0, 2, 0, 0, 0},
        {"peer on with a link", 0, 2, 0, 1, 2},
        {"peer noise with a link", 0, 0, 1, 1, 2},
        {"both", 1, 2, 0, 1, 3},
    };
    for (const ImageCase &c : cases) {
        settings.Rnd.State = c.local;
        settings.RemoteGenState[1] = c.remote;
        settings.RemoteNoiseState = c.remoteNoise;
        settings.ConnectState = c.link;
        RefreshModeState(true, 0x0004);
        EXPECT_EQ(view.generatorImage, c.image) << c.name;
    }
    // The peer's generator block does not count as a generator.
    settings.Rnd.State = 0;
    settings.RemoteGenState[1] = 0;
    settings.RemoteNoiseState = 0;
    settings.RemoteGenState[4] = 2;
    RefreshModeState(true, 0x0004);
    EXPECT_EQ(view.generatorImage, 0);
}

TEST_F(ModeSummaryTest, MeterCaptionOnModeChangeOrNewKind) {
    RefreshModeState(false, 0);
    EXPECT_EQ(view.meterUpdates, 0);

    RefreshModeState(false, 0x0001);
    EXPECT_EQ(view.meterCaption, QStringLiteral("5.00 Ом (выс.)\\SIN\\-5.00 дБм0\\0.3-1024 кГц\\01:05"));

    SignalKind = 5;
    settings.MeterHighImpedance = 0;
    RefreshModeState(false, 0);
    EXPECT_EQ(view.meterCaption, QStringLiteral("5.00 Ом\\ШУМ\\-5.00 дБм0\\0.3-1024 кГц\\01:05"));

    const std::pair<std::int32_t, QString> kinds[] = {{0, QStringLiteral("Нет данных!")}, {2, QStringLiteral("SIN2")},
                                                      {3, QStringLiteral("МЧС")},         {4, QStringLiteral("ПСС")},
                                                      {6, QStringLiteral("Мирвак")},      {7, QStringLiteral("SYNC")},
                                                      {8, QStringLiteral("Нет данных!")}};
    for (const auto &[kind, name] : kinds) {
        SignalKind = kind;
        RefreshModeState(false, 0x0001);
        EXPECT_EQ(view.meterCaption.section('\\', 1, 1), name) << kind;
    }
}

// A damaged settings image may hold any input range index: the caption reads a range that exists.
TEST_F(ModeSummaryTest, MeterRangeIndexOutsideTheTable) {
    settings.MaxLevelIndex = 100;
    RefreshModeState(false, 0x0001);
    EXPECT_EQ(view.meterCaption.section('\\', 2, 2), QStringLiteral("-25.00 дБм0"));
    settings.MaxLevelIndex = -7;
    RefreshModeState(false, 0x0001);
    EXPECT_EQ(view.meterCaption.section('\\', 2, 2), QStringLiteral("35.00 дБм0"));
}

TEST_F(ModeSummaryTest, SummariesLeaveThePendingBits) {
    settings.Mode = 0x0D0D;
    RefreshModeState(true);
    EXPECT_EQ(settings.Mode, 0x0D0D);
    EXPECT_FALSE(view.generatorCaption.isEmpty());
}

TEST_F(ModeSummaryTest, AdvanceGenStatesMovesSwitchedOnToRunning) {
    settings.Sin.State = 1;
    settings.Rnd.State = 2; // the sine took over from it
    settings.MasterF.State = 1;
    settings.MasterL.State = 2;
    settings.Mirvak.RunState = 1;
    settings.SyncGenState = 1;
    RecordingOn = true;
    RecordChangeMask = 0;
    AdvanceGenStates();
    EXPECT_EQ(settings.Sin.State, 2);
    EXPECT_EQ(settings.Rnd.State, 0);
    EXPECT_EQ(settings.MasterF.State, 2);
    EXPECT_EQ(settings.MasterL.State, 2);
    EXPECT_EQ(settings.Mirvak.RunState, 2);
    EXPECT_EQ(settings.SyncGenState, 2);
    EXPECT_EQ(RecordChangeMask, 0x01);

    RecordChangeMask = 0;
    AdvanceGenStates();
    EXPECT_EQ(RecordChangeMask, 0);
}

// Without a meter the summaries also advance the generators; with one, the next block does.
TEST_F(ModeSummaryTest, RefreshAdvancesOnlyWithoutMeter) {
    for (auto [type, advanced] :
         {std::pair{0, true}, std::pair{1, true}, std::pair{2, false}, std::pair{6, true}, std::pair{7, false}}) {
        settings.ConnectionType = std::int16_t(type);
        settings.Noise.State = 1;
        RefreshModeState(false, 0);
        EXPECT_EQ(settings.Noise.State, advanced ? 2 : 1) << type;
    }
}

} // namespace
