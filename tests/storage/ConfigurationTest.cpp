#include "storage/Configuration.h"
#include "storage/ConfigOptions.h"
#include "storage/GeneratorStateChoice.h"

#include "ConfigFixture.h"
#include "support/TempProgramDir.h"

#include "chartlib/Chartlib.h"
#include "link/connection/ConnectionServices.h"
#include "platform/Clock.h"
#include "platform/Cp1251.h"
#include "platform/IniFile.h"
#include "state/MainGlobals.h"
#include "state/ProgramSettings.h"

#include <cstring>

namespace {

// Every service of the load recorded in call order, with the settings state each one saw.
class ConfigurationTest : public ConfigFixture {
protected:
    void SetUp() override {
        ConfigFixture::SetUp();
        RestartDebugLog();
        TConfigurationServices &s = ConfigurationServices();
        TSnapshotServices &common = SnapshotServices();
        const auto record = [this](const char *name) {
            return [this, name] { calls.push_back(QString::fromLatin1(name)); };
        };
        s.ClosePointValueWindows = record("ClosePointValueWindows");
        common.RefreshSettingsStatus = record("RefreshSettingsStatus");
        common.ApplyBlockSize = [this](int changed) {
            calls.push_back(QStringLiteral("ApplyBlockSize %1").arg(changed));
            RecomputeBlockSizeFields(*DeviceSettings);
        };
        s.StopMasterFreq = [this] {
            calls.push_back(QStringLiteral("StopMasterFreq"));
            DeviceSettings->MasterF.State = 0;
        };
        s.StopMasterLev = record("StopMasterLev");
        s.ResetMirvakResults = record("ResetMirvakResults");
        common.RefreshAllPages = [this] {
            calls.push_back(QStringLiteral("RefreshAllPages"));
            statesSeen.push_back(SettingsLoadState);
        };
        common.RefreshParamTables = record("RefreshParamTables");
        common.ResetGraphsAndMasks = record("ResetGraphsAndMasks");
        s.RefreshGraphWindows = record("RefreshGraphWindows");
        s.SetMainCaption = [this](const QString &name) { captions.push_back(name); };
        ConnectionServices().RecomputeAfterSettings = [this](int) { calls.push_back(QStringLiteral("Recompute")); };
    }
    void TearDown() override {
        ConnectionServices().RecomputeAfterSettings = {};
        PlaybackOn = false;
        ConfigFixture::TearDown();
    }

    static QByteArray Bytes(const TDeviceSettings &s) { return {reinterpret_cast<const char *>(&s), sizeof s}; }
    // The offsets where two records differ, so that a failure names the fields.
    static std::vector<std::size_t> Differences(const TDeviceSettings &a, const TDeviceSettings &b) {
        const QByteArray x = Bytes(a), y = Bytes(b);
        std::vector<std::size_t> at;
        for (qsizetype i = 0; i < x.size(); ++i)
            if (x[i] != y[i])
                at.push_back(std::size_t(i));
        return at;
    }

    QByteArray LegacyFile(const char *version) {
        QByteArray bytes(version);
        bytes.resize(20, '\0');
        bytes.append(QByteArray(12226, '\x55'));
        return bytes;
    }

    TempProgramDir program;
    std::vector<QString> calls, captions;
    std::vector<int16_t> statesSeen;
};

TEST_F(ConfigurationTest, ASavedConfigurationBringsTheLiveStateBack) {
    live.AdcSizeIndex = 3;
    live.SpectrumStepIndex = 2;
    RecomputeBlockSizeFields(live);
    live.Sin.F1 = 12.5f;
    live.Sin.State = 2;
    live.Block.State = 0;
    live.MeterRef = -3.5f;
    live.ConnectionType = 8;
    live.MeterImpedance = 75;
    live.AveragingInterval = 20;
    live.MasterF.Interval = 7;
    ParamTableSin[2].Settings.Analyse = 0;
    ParamTableSin[2].Settings.LowerNorm = -33.25f;
    ParamTableMtts[5].Settings.Colour = 0x123456;
    // The program options travel with the configuration too.
    const TProgramSettings options = ProgramSettings;
    ProgramSettings.RecordingWindows[1] = {1, {}, 46000.25, 46000.5};
    ProgramSettings.Precision = 4;
    const QString file = ConfigName(QStringLiteral("конфигурация.cfg"));
    ASSERT_TRUE(SaveConfiguration(file, false));
    EXPECT_EQ(captions, std::vector<QString>{file});

    TDeviceSettings saved = live;
    saved.Sin.State = 1; // a running generator is stored as switched on
    const ParamSettings sinRow = ParamTableSin[2].Settings, mttsRow = ParamTableMtts[5].Settings;

    live.AdcSizeIndex = 1;
    RecomputeBlockSizeFields(live);
    live.Sin.F1 = 1;
    live.Sin.State = 0;
    live.Block.State = 1;
    live.MeterRef = 0;
    live.ConnectionType = 2;
    live.MeterImpedance = 600;
    live.AveragingInterval = 3;
    live.MasterF.Interval = 99;
    ParamTableSin[2].Settings.Analyse = 1;
    ParamTableSin[2].Settings.LowerNorm = 0;
    ParamTableMtts[5].Settings.Colour = 0;
    ProgramSettings.RecordingWindows[1] = {};
    ProgramSettings.Precision = 2;
    calls.clear();

    ASSERT_TRUE(LoadConfiguration(file));
    EXPECT_EQ(ProgramSettings.RecordingWindows[1].Enabled, 1);
    EXPECT_DOUBLE_EQ(ProgramSettings.RecordingWindows[1].Start, 46000.25);
    EXPECT_DOUBLE_EQ(ProgramSettings.RecordingWindows[1].End, 46000.5);
    EXPECT_EQ(ProgramSettings.Precision, 4);
    ProgramSettings = options;
    SetProgramPrecision(options.Precision);
    // The whole configuration waits for one command issue, whose recompute the engine follows.
    saved.Mode = 0x801 | 0x101;
    saved.WeightingIndex = live.WeightingIndex; // an index of this run, not of the file
    saved.RemoteGenState[4] = 1;                // the peer's generator blocked: no peer generator was on
    // Recomputed from the maximum frequency read.
    saved.Sin.MinFreq = saved.SampleRate / 1024;
    saved.Sin2.MinFreq = saved.SampleRate / 256;
    saved.Mtts.MinFreq = 2 * saved.SampleRate / 1024;
    RecomputeControlToneFields(saved);
    EXPECT_EQ(Differences(live, saved), std::vector<std::size_t>{});
    EXPECT_EQ(std::memcmp(&ParamTableSin[2].Settings, &sinRow, sizeof sinRow), 0);
    EXPECT_EQ(ParamTableMtts[5].Settings.Colour, mttsRow.Colour);
    EXPECT_EQ(SettingsLoadState, 1);
    EXPECT_EQ(captions.back(), file);
    // The new block size reaches the engine's steps, and everything that follows the settings is told.
    const std::vector<QString> expected = {"ClosePointValueWindows", "RefreshSettingsStatus", "StopMasterFreq",
                                           "StopMasterLev",          "ResetMirvakResults",    "ApplyBlockSize 0",
                                           "RefreshAllPages",        "RefreshParamTables",    "ResetGraphsAndMasks",
                                           "RefreshGraphWindows"};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(statesSeen, std::vector<int16_t>{2});
}

TEST_F(ConfigurationTest, LoadingDuringPlaybackTakesOnlyTheMeterSettings) {
    live.SpectrumStepIndex = 4;
    live.AveragingInterval = 30;
    live.CableVelocity = 150;
    live.Sin.F1 = 3;
    ParamTableSin[2].Settings.LowerNorm = -12.5f;
    const QString file = ConfigName();
    ASSERT_TRUE(SaveConfiguration(file, false));
    const TDeviceSettings saved = live;

    live.SpectrumStepIndex = 1;
    live.AveragingInterval = 5;
    live.CableVelocity = 200;
    live.Sin.F1 = 9;
    live.MeterRef = 4;
    ParamTableSin[2].Settings.LowerNorm = 0;
    TDeviceSettings expected = live;
    expected.SpectrumStepIndex = saved.SpectrumStepIndex;
    expected.PresentationStep = saved.PresentationStep;
    expected.AveragingInterval = saved.AveragingInterval;
    expected.CableVelocity = saved.CableVelocity;
    PlaybackOn = true;
    calls.clear();
    ASSERT_TRUE(LoadConfiguration(file));
    expected.WeightingIndex = live.WeightingIndex;
    RecomputeBlockSizeFields(expected);
    EXPECT_EQ(Differences(live, expected), std::vector<std::size_t>{});
    EXPECT_EQ(live.WeightingIndex, 0) << "the weighting file of the configuration is the one in force";
    EXPECT_EQ(ParamTableSin[2].Settings.LowerNorm, -12.5f) << "the tables are replaced";
    const std::vector<QString> want = {"ClosePointValueWindows", "RefreshSettingsStatus", "ApplyBlockSize 1",
                                       "RefreshParamTables",     "ResetGraphsAndMasks",   "Recompute",
                                       "RefreshGraphWindows"};
    EXPECT_EQ(calls, want);
}

TEST_F(ConfigurationTest, AMissingFileIsReportedAndLeavesTheLoadStateAlone) {
    const QString file = ConfigName(QStringLiteral("нет.cfg"));
    SettingsLoadState = 0;
    EXPECT_FALSE(LoadConfiguration(file));
    EXPECT_EQ(boxes, std::vector<QString>{QStringLiteral("Не могу открыть файл ") + file});
    // A batch run logs it and ends: it must not go on as if the configuration were loaded.
    std::vector<QString> lines;
    std::vector<int> codes;
    SetBatchMessageSink([&lines, &codes](const MessageRequest &request) {
        lines.push_back(request.text);
        codes.push_back(request.batchCode);
        return int(IdOk);
    });
    EXPECT_FALSE(LoadConfiguration(file));
    SetBatchMessageSink({});
    EXPECT_EQ(lines, std::vector<QString>{QStringLiteral("Файл '") + file + QStringLiteral("' не найден!")});
    EXPECT_EQ(codes, std::vector<int>{-5});
    EXPECT_EQ(SettingsLoadState, 0);
    EXPECT_TRUE(calls.empty());
}

// A clock whose every pump runs a handler, as the message queue of a load's wait would.
class PumpHandlerClock final : public VirtualClock {
public:
    std::function<void()> Handler;
    void AfterPump() override {
        VirtualClock::AfterPump();
        if (Handler)
            Handler();
    }
};

TEST_F(ConfigurationTest, ALoadStartedDuringALoadIsRefusedAndTheOuterOneEndsIdle) {
    const QString file = ConfigName();
    ASSERT_TRUE(SaveConfiguration(file, false));
    std::vector<bool> nested;
    PumpHandlerClock clock;
    // A scenario step sets the state idle at every step; its load of the next row meets the running one.
    clock.Handler = [&] {
        SettingsLoadState = 1;
        nested.push_back(LoadConfiguration(file));
    };
    ConfigurationServices().ClosePointValueWindows = [&] { nested.push_back(LoadConfiguration(file)); };
    SettingsLoadState = 0;
    EXPECT_TRUE(LoadConfiguration(file));
    EXPECT_EQ(nested, (std::vector<bool>{false, false}));
    EXPECT_EQ(statesSeen, std::vector<int16_t>{2}) << "the nested loads did not set the state idle";
    EXPECT_EQ(SettingsLoadState, 1);
    const QString log = FromCp1251(program.read(QStringLiteral("debug.txt")));
    EXPECT_EQ(log.count(QStringLiteral("another one is being loaded")), 2) << log.toStdString();
    clock.Handler = {};
    EXPECT_TRUE(LoadConfiguration(file)) << "the guard is released";
}

TEST_F(ConfigurationTest, ALegacyFileOutsideTheVersionsIsRefusedUntouched) {
    std::vector<int> codes;
    for (const char *version : {"V3.04", "V3.99", "V6.12", "V7.00"}) {
        SCOPED_TRACE(version);
        boxes.clear();
        const QString file = WriteFile(ConfigName(QStringLiteral("old.cfg")), LegacyFile(version));
        const QByteArray before = Bytes(live);
        EXPECT_FALSE(LoadConfiguration(file));
        EXPECT_EQ(Bytes(live), before);
        EXPECT_EQ(SettingsLoadState, 1);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], QStringLiteral("Версия файла конфигурации:\n") + file + QStringLiteral(":   [") +
                                QLatin1String(version) +
                                QStringLiteral("]\nне совпадает с версией программы R9:   [V6.11]\n\nДля конвертации "
                                               "файла конфигурации\nнеобходимо использовать программу R-9 версии "
                                               "[3.xx]\nДля этого загрузите конфигурацию в программе R-9 версии "
                                               "[3.хх]\nи сохраните еще раз под тем же именем."));
    }
    SetBatchMessageSink([&codes](const MessageRequest &request) {
        codes.push_back(request.batchCode);
        return int(IdOk);
    });
    EXPECT_FALSE(LoadConfiguration(WriteFile(ConfigName(QStringLiteral("old.cfg")), LegacyFile("V7.00"))));
    EXPECT_EQ(codes, std::vector<int>{-5});
    SetBatchMessageSink({});
    // The versions the program reads pass the gate: what follows is the snapshot reader's.
    for (const char *version : {"V4.00", "V6.11"}) {
        boxes.clear();
        LoadConfiguration(WriteFile(ConfigName(QStringLiteral("old.cfg")), LegacyFile(version)));
        for (const QString &box : boxes)
            EXPECT_FALSE(box.startsWith(QStringLiteral("Версия файла конфигурации"))) << version;
        EXPECT_EQ(SettingsLoadState, 1);
    }
}

// The generator state a save stores: each later run overrides what came before.
TEST_F(ConfigurationTest, ASaveStoresOneSwitchedOnStatePerSide) {
    const struct {
        int32_t sin, masterF, masterFSinOn, sync, remoteRnd, masterL;
        int32_t local, remote;
    } cases[] = {
        {2, 0, 0, 0, 0, 0, 0, 5},  {2, 1, 1, 0, 0, 0, 6, 6}, {2, 1, 0, 0, 2, 0, 7, 7},
        {2, 1, 1, 2, 0, 0, 12, 6}, {0, 0, 0, 0, 1, 0, 5, 2}, {0, 0, 0, 0, 0, 3, 9, 9},
    };
    const QString file = ConfigName();
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.local << " " << c.remote);
        live = DefaultDeviceSettings();
        live.Block.State = 0;
        live.Sin.State = c.sin;
        live.MasterF.State = c.masterF;
        live.MasterF.SinOn = uint8_t(c.masterFSinOn);
        live.MasterF.RemoteSinOn = uint8_t(c.masterFSinOn);
        live.MasterL.State = c.masterL;
        live.MasterL.SinOn = 0;
        live.MasterL.RemoteSinOn = 0;
        live.SyncGenState = c.sync;
        live.RemoteGenState[3] = c.remoteRnd;
        const TDeviceSettings before = live;
        ASSERT_TRUE(SaveConfiguration(file, false));
        EXPECT_EQ(StateCfgLocal, c.local);
        EXPECT_EQ(StateCfgRemote, c.remote);
        EXPECT_EQ(Bytes(live), Bytes(before)) << "a save never changes the live settings";
        TMemIniFile ini(file);
        for (const auto &[section, key] : std::vector<std::pair<QString, QString>>{{"Генератор", "SIN GenStart"},
                                                                                   {"Генератор", "Блокировка GenStart"},
                                                                                   {"Генератор", "уд.RND GenStart"},
                                                                                   {"Мастер частоты", "GenStart"},
                                                                                   {"Мастер уровня", "GenStart"},
                                                                                   {"SYNC", "GenStart"}}) {
            const int state = ini.ReadInteger(section, key, -9);
            EXPECT_TRUE(state == 0 || state == 1) << key.toStdString() << " " << state;
        }
    }
    // The choice dialog's answer is what the file stores.
    ConfigurationServices().AskGeneratorStates = [] { StateCfgLocal = 3; };
    ASSERT_TRUE(SaveConfiguration(file, true));
    TMemIniFile ini(file);
    EXPECT_EQ(ini.ReadInteger("Генератор", "МЧС GenStart", 0), 1);
    EXPECT_EQ(ini.ReadInteger("Генератор", "Блокировка GenStart", 1), 0);
    EXPECT_EQ(ini.ReadString("Общие", "Версия", {}), "V6.11");
}

// A save writes the whole configuration anew: nothing of the old file is left, neither the section of a
// window closed since nor a key the save no longer writes, nor the bytes of a legacy file.
TEST_F(ConfigurationTest, ASaveReplacesTheOldFileWhole) {
    const QString file = WriteFile(
        ConfigName(), ToCp1251(QStringLiteral("[Общие R9]\r\nТип подключения=1\r\nСтарый ключ=7\r\n[Окно]\r\nVisible=1\r\n")));
    ASSERT_TRUE(SaveConfiguration(file, false));
    TMemIniFile ini(file);
    EXPECT_FALSE(ini.SectionExists("Окно"));
    EXPECT_FALSE(ini.ValueExists("Общие R9", "Старый ключ"));
    EXPECT_EQ(ini.ReadInteger("Общие R9", "Тип подключения", -1), live.ConnectionType);

    const QString legacy = WriteFile(ConfigName(QStringLiteral("old.cfg")), LegacyFile("V6.11") + "\n[x]\ny=1\n");
    ASSERT_TRUE(SaveConfiguration(legacy, false));
    const QByteArray written = ReadFile(legacy);
    EXPECT_TRUE(written.startsWith(ToCp1251(QStringLiteral("[Общие]"))));
    EXPECT_FALSE(written.contains(QByteArrayView("V6.11\0", 6)));
    EXPECT_FALSE(written.contains("[x]"));
}

TEST_F(ConfigurationTest, ASaveThatCannotBeWrittenIsReportedAndChangesNothing) {
    const QString file = ConfigName(QStringLiteral("missing/folder/c.cfg"));
    const QByteArray before = Bytes(live);
    EXPECT_FALSE(SaveConfiguration(file, false));
    EXPECT_EQ(boxes, std::vector<QString>{QStringLiteral("Не могу открыть файл ") + file});
    EXPECT_EQ(Bytes(live), before);
    EXPECT_FALSE(QFileInfo::exists(file));
}

} // namespace
