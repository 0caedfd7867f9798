#include "settings/SettingsInterlocks.h"

#include "platform/MessageService.h"
#include "settings/InterlockTargets.h"
#include "settings/SettingsFixture.h"

#include <QStringList>

namespace {

class SettingsInterlocks : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages << request.text;
            captions << request.caption;
            return int(IdOk);
        });
        InterlockTargets().ShowMaxFrequency = [this](float F) { shownFrequencies.push_back(F); };
        InterlockTargets().ResetGraphXRanges = [this] { ++xRangeResets; };
    }
    void TearDown() override {
        SetMessageBoxHandler({});
        InterlockTargets() = {};
        SettingsTest::TearDown();
    }
    void ChangeType(int from, int to) {
        PreviousConnectionType = from;
        settings.ConnectionType = int16_t(to);
        ApplyConnectionTypeRules();
    }

    QStringList messages, captions;
    std::vector<float> shownFrequencies;
    int xRangeResets = 0;
};

TEST_F(SettingsInterlocks, LeavingAForcingTypeReleasesTheFlagAndLetsTheImpedanceSnap) {
    settings.GenLowImpedance = 1;
    settings.GenImpedance = 75;
    ChangeType(10, 1);
    EXPECT_EQ(settings.GenLowImpedance, 0);
    EXPECT_EQ(settings.GenImpedance, 100.0f);
    EXPECT_EQ(PreviousConnectionType, 1);
}

TEST_F(SettingsInterlocks, AFlagTheUserSetSurvivesAChangeBetweenFreeTypes) {
    settings.GenLowImpedance = 1;
    settings.GenImpedance = 150;
    ChangeType(5, 6);
    EXPECT_EQ(settings.GenLowImpedance, 1);
    EXPECT_EQ(settings.GenImpedance, 150.0f);
    settings.MeterHighImpedance = 1;
    settings.MeterImpedance = 300;
    settings.GenImpedance = 130;
    ChangeType(2, 5);
    EXPECT_EQ(settings.MeterImpedance, 300.0f);
    EXPECT_EQ(settings.GenImpedance, 130.0f); // still free: the low-ohm flag stays
}

TEST_F(SettingsInterlocks, TypeThreeGivesTheMeterTheGeneratorImpedanceUnlessThisSideSetUpALink) {
    settings.GenImpedance = 130;
    settings.MeterImpedance = 600;
    ChangeType(5, 3);
    EXPECT_EQ(settings.GenImpedance, 135.0f);
    EXPECT_EQ(settings.MeterImpedance, 135.0f);
    EXPECT_EQ(settings.MeterHighImpedance, 1);
    EXPECT_EQ(settings.GenLowImpedance, 0);

    settings.MeterImpedance = 600;
    settings.ConnectState = 2;
    settings.PeerConnectState = 0;
    ChangeType(5, 3);
    EXPECT_EQ(settings.MeterImpedance, 600.0f);
    // Controlled by the peer the meter follows the generator again.
    settings.PeerConnectState = 1;
    ChangeType(5, 3);
    EXPECT_EQ(settings.MeterImpedance, 135.0f);
}

TEST_F(SettingsInterlocks, EachTypeSetsItsFlagsAndImpedances) {
    const struct {
        int type;
        float gen, meter;
        int genLow, meterHigh;
    } cases[] = {
        // From type 5 with both flags clear, 130 Ohm generator and 600 Ohm meter.
        {0, 130, 600, 0, 0},  {1, 135, 600, 0, 0},  {2, 130, 600, 0, 0},  {4, 124, 124, 1, 1},
        {5, 135, 600, 0, 0},  {6, 75, 600, 0, 0},   {7, 130, 75, 0, 0},   {8, 75, 75, 0, 1},
        {9, 75, 75, 0, 0},    {10, 75, 75, 1, 1},   {11, 135, 75, 0, 0},  {12, 75, 600, 0, 0},
    };
    for (const auto &c : cases) {
        settings.GenImpedance = 130;
        settings.MeterImpedance = 600;
        settings.GenLowImpedance = 0;
        settings.MeterHighImpedance = 0;
        ChangeType(5, c.type);
        EXPECT_EQ(settings.GenImpedance, c.gen) << c.type;
        EXPECT_EQ(settings.MeterImpedance, c.meter) << c.type;
        EXPECT_EQ(settings.GenLowImpedance, c.genLow) << c.type;
        EXPECT_EQ(settings.MeterHighImpedance, c.meterHigh) << c.type;
    }
}

TEST_F(SettingsInterlocks, OnlyTypesZeroAndSevenKeepThePhasogram) {
    for (int type = 0; type <= 12; ++type) {
        settings.Phasogram = 1;
        ChangeType(7, type);
        EXPECT_EQ(settings.Phasogram, type == 0 || type == 7 ? 1 : 0) << type;
    }
}

TEST_F(SettingsInterlocks, HighMaximumFrequencyIsRefusedForAnUnmatchedConnectedImpedance) {
    settings.ConnectionType = 5;
    settings.GenImpedance = 150;
    settings.MeterImpedance = 135;
    EXPECT_FALSE(CheckMaxFrequencyChange(2048));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("Невозможна установка максимальной частоты более 1024 кГц\nпри значениях "
                                          "импедансов генератора или измерителя выше 135 Ом\nв согласованном режиме."
                                          "\nНеобходимо изменить:\n        Импеданс генератора [150 Ом]"));
    EXPECT_EQ(captions[0], QStringLiteral("Внимание!"));
    EXPECT_EQ(shownFrequencies, std::vector<float>{1024});

    settings.MeterImpedance = 600;
    settings.GenImpedance = 150.3f; // shown as the value typed, not its double expansion
    EXPECT_FALSE(CheckMaxFrequencyChange(4096));
    EXPECT_TRUE(messages[1].endsWith(QStringLiteral("[150.3 Ом]\n        Импеданс измерителя [600 Ом]")))
        << messages[1].toStdString();
    settings.GenImpedance = 150;

    messages.clear();
    settings.ConnectionType = 2; // the generator is not on the line
    settings.MeterImpedance = 135;
    EXPECT_TRUE(CheckMaxFrequencyChange(2048));
    settings.ConnectionType = 5;
    settings.GenLowImpedance = 1;
    EXPECT_TRUE(CheckMaxFrequencyChange(2048));
    settings.GenLowImpedance = 0;
    settings.MeterImpedance = 1500;
    EXPECT_TRUE(CheckMaxFrequencyChange(1024));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SettingsInterlocks, LowMaximumFrequencyIsRefusedWithTheLargestSpectrumSize) {
    settings.MaxFrequency = 128;
    settings.SampleRate = 320;
    settings.AdcSizeIndex = 4;
    EXPECT_FALSE(CheckMaxFrequencyChange(64));
    ASSERT_EQ(messages.size(), 1);
    // 320 kHz / 32768 = 0.009765625 kHz
    EXPECT_EQ(messages[0], QStringLiteral("Невозможно изменение максимальной частоты с 128 кГц на 64 кГц\nпри "
                                          "значении разрешения спектра равном 0.009765625 кГц\nУвеличьте значение "
                                          "разрешения спектра."));
    EXPECT_EQ(shownFrequencies, std::vector<float>{128});
    EXPECT_TRUE(CheckMaxFrequencyChange(80));
    settings.AdcSizeIndex = 3;
    EXPECT_TRUE(CheckMaxFrequencyChange(64));
}

TEST_F(SettingsInterlocks, CoaxialTypesStartTheBandAtThreeHundredHertz) {
    settings.MaxFrequency = 4;
    settings.SampleRate = 10;
    settings.ConnectionType = 6;
    ResetMeterBand();
    EXPECT_FLOAT_EQ(settings.BandF0, 0.3f);
    EXPECT_FLOAT_EQ(settings.BandF1, 4);
    settings.ConnectionType = 5;
    ResetMeterBand();
    EXPECT_FLOAT_EQ(settings.BandF0, 10.0f / 1024);
    EXPECT_FLOAT_EQ(LimitLowFrequency(0.1f), 0.1f);
    settings.ConnectionType = 7;
    EXPECT_FLOAT_EQ(LimitLowFrequency(0.1f), 0.3f);
    EXPECT_FLOAT_EQ(LimitLowFrequency(0.5f), 0.5f);
}

TEST_F(SettingsInterlocks, WithTheMttsOnOneSocketTheBandFollowsTheMultitone) {
    settings.BandF0 = 1;
    settings.BandF1 = 1024;
    settings.Mtts.F1 = 10;
    settings.Mtts.F2 = 500;
    const struct {
        int type, state;
        bool follows;
    } cases[] = {{3, 1, true}, {4, 2, true}, {5, 1, false}, {3, 0, false}, {8, 1, false}};
    for (const auto &c : cases) {
        settings.BandF0 = 1;
        settings.BandF1 = 1024;
        settings.ConnectionType = int16_t(c.type);
        settings.Mtts.State = c.state;
        xRangeResets = 0;
        UpdateBandForMtts();
        EXPECT_EQ(settings.BandF0, c.follows ? 10.0f : 1.0f) << c.type << " " << c.state;
        EXPECT_EQ(settings.BandF1, c.follows ? 500.0f : 1024.0f) << c.type << " " << c.state;
        EXPECT_EQ(xRangeResets, c.follows ? 1 : 0) << c.type << " " << c.state;
    }
}

} // namespace
