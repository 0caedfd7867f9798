#include "storage/ConfigOptions.h"
#include "storage/ConfigOptionsSources.h"

#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "platform/Cp1251.h"
#include "platform/IniFile.h"
#include "state/DeviceSettings.h"
#include "state/ProgramSettings.h"
#include "state/SettingsLoadState.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <random>

namespace {

class ConfigOptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        InitProgramSettings();
        SetPrecisionZeros(ProgramSettings.Precision);
        BuildParamCatalogue();
        settings = DefaultDeviceSettings();
        settings.ConnectionType = 2;
        DeviceSettings = &settings;
        SettingsLoadState = 1;
        ReleaseAllTimeSeries();
        TimeSeriesViews() = {};
        SignalKind = 0;
    }
    void TearDown() override {
        ReleaseAllTimeSeries();
        InitProgramSettings();
        SetPrecisionZeros(ProgramSettings.Precision);
        DeviceSettings = nullptr;
        SignalKind = 0;
    }
    QString File(const char *name) const { return dir.path() + QLatin1Char('/') + QLatin1String(name); }
    QByteArray Bytes(const QString &file) const {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void Write(const QString &file, const QString &text) const {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(ToCp1251(text));
    }
    // A graph-point series in a slot, as the value table's Ctrl-click binds it.
    static void PointSeries(int32_t slot, int16_t paramId, int16_t point, const QString &caption) {
        auto series = std::make_unique<TimeSeries>();
        series->ParamId = paramId;
        series->PointIndex = point;
        series->GraphKind = 5;
        series->UnitCode = 1;
        series->Colour = 0x123456;
        series->Caption = caption;
        series->RefCount = 1;
        TimeSeriesSlots[std::size_t(slot)] = std::move(series);
    }

    QTemporaryDir dir;
    TDeviceSettings settings{};
};

TEST_F(ConfigOptionsTest, RecordingOptionsRoundTripAndThePlaybackSwitchIsWrittenButNotRead) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> days(37000.0, 47000.0);
    TProgramSettings written = ProgramSettings;
    for (RecordingWindow &window : written.RecordingWindows) {
        window.Enabled = int16_t(random() % 2);
        window.Start = days(random);
        window.End = days(random);
    }
    written.Precision = 4;
    written.AutoWindowChange = 1;
    written.AutoProtocol = 1;
    written.UseRecordedSettings = 0;
    written.PlaybackPauseIndex = 3;
    ProgramSettings = written;
    {
        TMemIniFile ini(File("a.cfg"));
        WriteRecordingOptions(ini);
        ini.UpdateFile();
    }
    InitProgramSettings();
    ProgramSettings.UseRecordedSettings = 1;
    TMemIniFile ini(File("a.cfg"));
    ReadRecordingOptions(ini);
    for (int n = 0; n < RecordingWindowCount; ++n) {
        EXPECT_EQ(ProgramSettings.RecordingWindows[n].Enabled, written.RecordingWindows[n].Enabled) << n;
        EXPECT_EQ(ProgramSettings.RecordingWindows[n].Start, written.RecordingWindows[n].Start) << n;
        EXPECT_EQ(ProgramSettings.RecordingWindows[n].End, written.RecordingWindows[n].End) << n;
    }
    EXPECT_EQ(ProgramSettings.Precision, 4);
    EXPECT_EQ(PrecisionZeros, QStringLiteral("0000"));
    EXPECT_EQ(ProgramSettings.AutoWindowChange, 1);
    EXPECT_EQ(ProgramSettings.AutoProtocol, 1);
    EXPECT_EQ(ProgramSettings.PlaybackPauseIndex, 3);
    EXPECT_EQ(ProgramSettings.UseRecordedSettings, 1) << "the playback switch is never read";

    // The keys as the other program writes them: "№" is byte 0xB9, two blanks in "Конец  записи", all ten
    // windows whether enabled or not.
    const QByteArray bytes = Bytes(File("a.cfg"));
    EXPECT_TRUE(bytes.contains("\xB9"
                               "10 \xCA\xEE\xED\xE5\xF6  \xE7\xE0\xEF\xE8\xF1\xE8="));
    EXPECT_TRUE(bytes.contains("\xB9"
                               "1 \xE2\xEA\xEB="));
    EXPECT_TRUE(bytes.contains(ToCp1251(QStringLiteral("[Воспроизведение результатов измерений из файла]"))));
    EXPECT_TRUE(bytes.contains(ToCp1251(QStringLiteral("Использовать настройки из файла=0"))));
}

TEST_F(ConfigOptionsTest, MissingKeysKeepTheValuesInForceAndADamagedPrecisionIsBounded) {
    ProgramSettings.RecordingWindows[2].Start = 40000.5;
    ProgramSettings.AutoProtocol = 1;
    Write(File("b.cfg"), QStringLiteral("[Сохранение результатов в файле данных]\r\n№3 вкл=1\r\n"
                                        "[Дополнительно]\r\nТочность представления числа=30000\r\n"));
    const TProgramSettings before = ProgramSettings;
    TMemIniFile ini(File("b.cfg"));
    ReadRecordingOptions(ini);
    EXPECT_EQ(ProgramSettings.RecordingWindows[2].Enabled, 1);
    TProgramSettings expected = before;
    expected.RecordingWindows[2].Enabled = 1;
    expected.Precision = 10;
    EXPECT_EQ(std::memcmp(&ProgramSettings, &expected, sizeof expected), 0);
    EXPECT_EQ(PrecisionZeros, QString(10, QLatin1Char('0')));
}

TEST_F(ConfigOptionsTest, OnlyGraphPointSeriesAreWrittenNumberedWithoutGapsOnOneLineEach) {
    PointSeries(4, 100, 7, QStringLiteral("АЧХ,дБ\n 12.5 кГц"));
    PointSeries(9, 300, 2, QStringLiteral("Спектр"));
    PointSeries(6, 2, -1, QStringLiteral("Сигнал,дБм0\n")); // a parameter row's series
    {
        TMemIniFile ini(File("c.cfg"));
        WriteTimeSeriesKeys(ini);
        ini.UpdateFile();
    }
    TMemIniFile ini(File("c.cfg"));
    const QString section = QStringLiteral("Временные диаграммы");
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("Всего графиков"), -1), 2);
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("№1 Title"), {}), QStringLiteral("АЧХ,дБ 12.5 кГц"));
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("№1 Index"), 0), 100);
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("№1 Pos"), 0), 7);
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("№1 FormIndex"), 0), 1);
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("№1 Color"), 0), 0x123456);
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("№2 Index"), 0), 300);
    EXPECT_FALSE(ini.ValueExists(section, QStringLiteral("№3 Index")));
}

TEST_F(ConfigOptionsTest, TheSourceCodesNameTheCurveRowsOfTheCatalogue) {
    // Each code is the ParamId of its curve row; the MTTS codes 100 + i take the result curve of graph kind
    // 5 + i, the NOISE codes the phasogram curves.
    const std::pair<int32_t, int32_t> curves[] = {{100, 5},  {101, 6},  {102, 7},  {103, 8},  {104, 9},
                                                  {105, 10}, {106, 11}, {107, 12}, {108, 13}, {109, 14},
                                                  {110, 15}, {302, 16}, {303, 17}, {304, 37}, {305, 38}};
    for (const auto &[code, graphKind] : curves) {
        const TTimeSeriesSource source = TimeSeriesSourceOf(code, false);
        ASSERT_NE(source.Row, nullptr) << code;
        EXPECT_EQ(source.Row->ParamId, code);
        EXPECT_EQ(source.GraphKind, graphKind) << code;
    }
    for (int32_t kind = 0; kind <= 7; ++kind) {
        SignalKind = kind;
        for (int32_t code : {300, 301}) {
            const TTimeSeriesSource source = TimeSeriesSourceOf(code, true);
            ASSERT_NE(source.Row, nullptr) << kind << ' ' << code;
            EXPECT_EQ(source.Row->ParamId, code) << kind;
            EXPECT_EQ(source.GraphKind, code - 299);
        }
    }
    EXPECT_EQ(TimeSeriesSourceOf(109, true).Row, nullptr) << "legacy files know 100 to 108 only";
    EXPECT_EQ(TimeSeriesSourceOf(2, false).Row, nullptr);
    EXPECT_EQ(TimeSeriesSourceOf(99, false).Row, nullptr);
}

TEST_F(ConfigOptionsTest, ReadingBindsTheSourcesOnlyWhenTheSettingsLockIsFree) {
    Write(File("d.cfg"), QStringLiteral("[Временные диаграммы]\r\n№1 FormIndex=1\r\n№1 Title=АЧХ 5\r\n№1 Color=0\r\n"
                                        "№1 Index=100\r\n№1 Pos=5\r\n№2 Index=7\r\n№2 Pos=1\r\nВсего графиков=2\r\n"));
    TimeSeriesSourceOf(100, false).Row->Settings.Analyse = 1;
    TMemIniFile ini(File("d.cfg"));
    SettingsLoadState = 2; // as during a configuration load
    ReadTimeSeriesKeys(ini);
    for (const auto &series : TimeSeriesSlots)
        EXPECT_FALSE(series);
    SettingsLoadState = 1;
    ReadTimeSeriesKeys(ini);
    int bound = 0;
    for (const auto &series : TimeSeriesSlots)
        if (series) {
            ++bound;
            EXPECT_EQ(series->ParamId, 100);
            EXPECT_EQ(series->PointIndex, 5);
            EXPECT_EQ(series->GraphKind, 5);
            EXPECT_EQ(series->RefCount, 1);
            EXPECT_EQ(series->Caption, QStringLiteral("АЧХ 5"));
        }
    EXPECT_EQ(bound, 1) << "an entry whose index names no source is skipped";
}

} // namespace
