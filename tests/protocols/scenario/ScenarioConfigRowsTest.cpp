#include "protocols/ScenarioConfigRows.h"

#include "ScenarioConfigFixture.h"

#include <cstring>

namespace {

using ScenarioConfigRows = ScenarioConfigFixture;

TEST_F(ScenarioConfigRows, BinaryConfigurationsOutsideTheProgramsVersionsAreRefused) {
    struct Case {
        const char *Version;
        bool Accepted;
    };
    for (const Case &c : {Case{"V3.50", false}, Case{"V6.11", true}, Case{"V6.12", false}}) {
        SCOPED_TRACE(c.Version);
        ClearScenario(*CurrentScenario);
        messages.clear();
        const qsizetype pooled = FileNameList.size();
        const QString path = WriteBinaryConfig(c.Version, CountingSettings());
        EXPECT_EQ(ReadConfigIntoRow(path, true, 0), c.Accepted);
        if (c.Accepted) {
            ASSERT_EQ(CurrentScenario->RowCount(), 1);
            const ScenarioRow &row = CurrentScenario->Rows[0];
            EXPECT_EQ(row.Duration, 66);
            EXPECT_EQ(row.ModeClass, 0);
            EXPECT_EQ(row.RemoteLink, 1);
            EXPECT_EQ(FileNameList.value(row.ConfigIndex), path);
            EXPECT_TRUE(messages.isEmpty());
        } else {
            EXPECT_EQ(CurrentScenario->RowCount(), 0);
            EXPECT_EQ(FileNameList.size(), pooled);
            ASSERT_EQ(messages.size(), 1);
            EXPECT_TRUE(messages[0].contains(QString::fromLatin1(c.Version))) << messages[0].toStdString();
        }
    }
}

TEST_F(ScenarioConfigRows, ADamagedBinaryConfigurationAddsNoRow) {
    QString path = WriteBinaryConfig("V6.11", CountingSettings());
    program.write(QStringLiteral("old.cfg"), program.read(QStringLiteral("old.cfg")).left(VersionTextSize + 100));
    EXPECT_FALSE(ReadConfigIntoRow(path, true, 0));
    EXPECT_EQ(CurrentScenario->RowCount(), 0);
    EXPECT_EQ(messages.size(), 1);
    // A batch run that loads a scenario naming it ends after the log line, as on a refused version.
    std::vector<int> codes;
    SetBatchMessageSink([&codes](const MessageRequest &request) {
        codes.push_back(request.batchCode);
        return int(IdOk);
    });
    EXPECT_FALSE(ReadConfigIntoRow(path, true, 0));
    SetBatchMessageSink({});
    EXPECT_EQ(codes, std::vector<int>{-5});
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(ScenarioConfigRows, AnIniConfigurationFillsTheRowAndChangesNothingLive) {
    const TDeviceSettings counting = CountingSettings();
    *DeviceSettings = counting;
    const QString path = program.path(QStringLiteral("counting.cfg"));
    ASSERT_TRUE(SaveConfiguration(path, false));
    *DeviceSettings = QuietSettings();
    const TDeviceSettings live = *DeviceSettings;

    ASSERT_TRUE(InsertConfigRow(*CurrentScenario, 0));
    ASSERT_TRUE(InsertConfigRow(*CurrentScenario, 1));
    ASSERT_TRUE(ReadConfigIntoRow(path, true, 1));
    ASSERT_EQ(CurrentScenario->RowCount(), 3);
    EXPECT_EQ(CurrentScenario->Rows[0].Duration, 0);
    EXPECT_EQ(CurrentScenario->Rows[2].Duration, 0);
    const ScenarioRow &row = CurrentScenario->Rows[1];
    EXPECT_EQ(row.Duration, 66);
    EXPECT_EQ(row.SinTimerNorm, 60.9f);
    EXPECT_EQ(row.NoiseTimerNorm, 30.0f);
    EXPECT_EQ(FileNameList.value(row.ConfigIndex), path);
    EXPECT_EQ(std::memcmp(&live, DeviceSettings, sizeof live), 0);
}

TEST_F(ScenarioConfigRows, ARefreshedRowKeepsItsPoolEntryWithTheReplacementsName) {
    const QString first = WriteBinaryConfig("V6.11", QuietSettings());
    ASSERT_TRUE(ReadConfigIntoRow(first, true, 0));
    const int16_t pooled = CurrentScenario->Rows[0].ConfigIndex;
    EXPECT_EQ(CurrentScenario->Rows[0].ModeClass, 255);

    const QString replacement = WriteIniConfig(MasterSettings(), QStringLiteral("master.cfg"));

    ASSERT_TRUE(ReadConfigIntoRow(replacement, false, 0));
    ASSERT_EQ(CurrentScenario->RowCount(), 1);
    EXPECT_EQ(CurrentScenario->Rows[0].ConfigIndex, pooled);
    EXPECT_EQ(FileNameList.value(pooled), replacement);
    EXPECT_EQ(CurrentScenario->Rows[0].Duration, 35);
    EXPECT_EQ(CurrentScenario->Rows[0].ModeClass, 1);
}

TEST_F(ScenarioConfigRows, WithoutTheScenarioTheLoadersScenarioModeFillsNothing) {
    const QString path = WriteBinaryConfig("V6.11", CountingSettings());
    EXPECT_TRUE(SnapshotServices().SetScenarioRowFromConfig);
    CloseCurrentScenario();
    EXPECT_FALSE(SnapshotServices().SetScenarioRowFromConfig);
    EXPECT_FALSE(ReadConfigIntoRow(path, true, 0));
    OpenCurrentScenario();
    EXPECT_EQ(CurrentScenario->RowCount(), 0);
}

} // namespace
