#include "settings/MeterSettings.h"

#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "platform/NoValue.h"
#include "settings/InterlockTargets.h"
#include "settings/SettingsFixture.h"
#include "state/FileNameList.h"

#include <cstring>
#include <limits>

namespace {

using MeterSettings = SettingsTest;

TEST_F(MeterSettings, AveragingTextsReadAsMinutesAndSeconds) {
    const struct {
        const char *text;
        int seconds;
    } cases[] = {{"07:30", 450}, {"59:59", 3599}, {"99:99", 6039}, {"00:00", 0},
                 {" 7: 3", 423}, {"1x:2y", 62},   {"ab:cd", 0},    {"", 0}};
    for (const auto &c : cases)
        EXPECT_EQ(ParseMinSec(QString::fromUtf8(c.text)), c.seconds) << c.text;
}

TEST_F(MeterSettings, VelocityTextsAreNumbersOrQuotientsWithinOneToThreeHundred) {
    const struct {
        const char *text;
        const char *shown;
        bool ok;
    } cases[] = {{"150", "150.00", true},  {"3,5", "3.50", true},   {"300/2", "150.00", true},
                 {"/2", "1.00", true},     {"600/", "300.00", true}, {"abc", "150.00", false},
                 {"1/0", "150.00", false}, {"0", "1.00", true},     {"2,5/0,5", "5.00", true}};
    for (const auto &c : cases) {
        const TVelocityEntry v = ParseCableVelocity(QString::fromUtf8(c.text));
        EXPECT_EQ(VelocityText(v.Value), QString::fromUtf8(c.shown)) << c.text;
        EXPECT_EQ(v.Ok, c.ok) << c.text;
    }
}

TEST_F(MeterSettings, LeavingTheCentreOrWidthMovesTheEdgesWithinTheRange) {
    // 1024 kHz: frequencies round to three decimals; spectrum step 0.625 kHz.
    const struct {
        TBandEntry in;
        bool centre;
        TBandEntry out;
    } cases[] = {
        // Fc - B/2 below the step: F0 at the step, F1 = F0 + B, and Fc moves up.
        {{0, 0, 1, 4}, true, {0.625, 4.625, 2.625, 4}},
        // F1 is held at the maximum frequency; the width shrinks.
        {{0, 0, 1020, 10}, true, {1015, 1024, 1019.5, 9}},
        // A width beyond the range is cut to M - s first.
        {{0, 0, 512, 2000}, true, {0.625, 1024, 512.313, 1023.375}},
        // Leaving an edge only recomputes the centre and width.
        {{10, 30, 0, 0}, false, {10, 30, 20, 20}},
    };
    for (const auto &c : cases) {
        const TBandEntry b = ChangeBand(c.in, c.centre, 0.625, 1024);
        EXPECT_DOUBLE_EQ(b.F0, c.out.F0) << c.in.Fc << " " << c.in.B;
        EXPECT_DOUBLE_EQ(b.F1, c.out.F1) << c.in.Fc << " " << c.in.B;
        EXPECT_DOUBLE_EQ(b.Fc, c.out.Fc) << c.in.Fc << " " << c.in.B;
        EXPECT_DOUBLE_EQ(b.B, c.out.B) << c.in.Fc << " " << c.in.B;
    }
}

TEST_F(MeterSettings, TheMeasuredLevelIsTheKindsSignalRow) {
    BuildParamCatalogue();
    EXPECT_EQ(MeasuredSignalLevel(0), NoValue);
    EXPECT_EQ(MeasuredSignalLevel(8), NoValue);
    for (int kind = 1; kind <= 7; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        // The row read must be the level row: "Сигнал,дБм0", for the noise "Шум,дБм0".
        int row = -1;
        const char *caption = kind == 5 ? "Шум,дБм0" : "Сигнал,дБм0";
        for (int i = 0; i < table.RowCount && row < 0; ++i)
            if (std::strncmp(table.Rows[i].Caption, caption, std::strlen(caption)) == 0)
                row = i;
        ASSERT_GE(row, 0) << kind;
        const float saved = table.Rows[row].Result.Value;
        table.Rows[row].Result.Value = -12.5f - kind;
        EXPECT_EQ(MeasuredSignalLevel(kind), -12.5f - kind) << kind;
        table.Rows[row].Result.Value = saved;
    }
}

class Weighting : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        FileNameList = {QStringLiteral("mask.9sf")};
        settings.WeightingIndex = -1;
        InterlockTargets().ClearWeightedGraph = [this] { ++graphClears; };
    }
    void TearDown() override {
        SetWeightingCurve(0, nullptr, nullptr);
        FileNameList.clear();
        InterlockTargets() = {};
        SettingsTest::TearDown();
    }
    int graphClears = 0;
};

TEST_F(Weighting, TheFirstApplyAppendsLaterOnesOverwriteAndAnEmptyOneEmptiesTheEntry) {
    ApplyWeighting(settings, {3, 1}, {-1, 0}, QStringLiteral("/m/a.9wf"));
    EXPECT_EQ(settings.WeightingIndex, 1);
    EXPECT_EQ(FileNameList, (QStringList{QStringLiteral("mask.9sf"), QStringLiteral("/m/a.9wf")}));
    EXPECT_EQ(WeightingCurve.Count, 2);
    EXPECT_EQ(WeightingCurve.Frequencies[0], 3.0f); // the file's order

    ApplyWeighting(settings, {1}, {2}, QStringLiteral("/m/b.9wf"));
    EXPECT_EQ(settings.WeightingIndex, 1);
    EXPECT_EQ(FileNameList.size(), 2);
    EXPECT_EQ(FileNameList[1], QStringLiteral("/m/b.9wf"));
    EXPECT_EQ(WeightingPathOf(settings), QStringLiteral("/m/b.9wf"));

    ApplyWeighting(settings, {}, {}, QStringLiteral("/m/b.9wf"));
    EXPECT_EQ(settings.WeightingIndex, 1);
    EXPECT_EQ(FileNameList.size(), 2);
    EXPECT_EQ(FileNameList[1], QString());
    EXPECT_EQ(WeightingCurve.Count, 0);
    EXPECT_EQ(graphClears, 1);

    // Points again: the kept index takes the path.
    ApplyWeighting(settings, {1}, {2}, QStringLiteral("/m/c.9wf"));
    EXPECT_EQ(FileNameList.size(), 2);
    EXPECT_EQ(FileNameList[1], QStringLiteral("/m/c.9wf"));
}

TEST_F(Weighting, AnIndexBeyondTheListIsNotWrittenThrough) {
    settings.WeightingIndex = 7; // from a record of another run
    ClearWeightingName(settings);
    EXPECT_EQ(FileNameList.size(), 1);
    EXPECT_EQ(WeightingPathOf(settings), QString());
    ApplyWeighting(settings, {1}, {2}, QStringLiteral("/m/a.9wf"));
    EXPECT_EQ(settings.WeightingIndex, 1);
    EXPECT_EQ(FileNameList[1], QStringLiteral("/m/a.9wf"));
}

TEST_F(MeterSettings, MaximumLevelChoicesFollowImpedanceInputAndReference) {
    // Expected values from Python: trunc(10 log10(k / (Z / 1000)) - reference - 3 + 0.5) + 40, 20, 0, -20.
    const struct {
        double Z;
        int type;
        double reference;
        std::array<int16_t, 4> choices;
    } cases[] = {{600, 5, 0, {44, 24, 4, -16}},   {75, 7, 0, {47, 27, 7, -13}},
                 {600, 12, 10, {35, 15, -5, -25}}, {135, 3, -3.5, {54, 34, 14, -6}}};
    for (const auto &c : cases) {
        const auto choices = MaxLevelChoices(c.Z, c.type, c.reference);
        ASSERT_TRUE(choices) << c.Z;
        EXPECT_EQ(*choices, c.choices) << c.Z << " " << c.type;
    }
    EXPECT_FALSE(MaxLevelChoices(9.9, 5, 0));
    EXPECT_FALSE(MaxLevelChoices(600, 5, std::numeric_limits<double>::quiet_NaN()));
}

TEST_F(MeterSettings, RestartNamesThePeersAndTheLocalRunningGenerator) {
    EXPECT_EQ(RestartCodes(settings), (std::array<uint8_t, 4>{14, 4, 24, 25}));
    settings.Rnd.State = 2;
    settings.Mtts.State = 1;
    settings.RemoteGenState[2] = 2; // the peer's MTTS
    EXPECT_EQ(RestartCodes(settings), (std::array<uint8_t, 4>{12, 3, 24, 25}));
    settings.Sin.State = 1;
    settings.RemoteNoiseState = 1;
    settings.RemoteGenState[2] = 0;
    EXPECT_EQ(RestartCodes(settings), (std::array<uint8_t, 4>{17, 0, 24, 25}));
    settings.Sin.State = -1; // a failed start is not running
    settings.Rnd.State = 0;
    EXPECT_EQ(RestartCodes(settings)[1], 2);
}

} // namespace
