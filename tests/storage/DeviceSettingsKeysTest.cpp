#include "storage/DeviceSettingsKeys.h"

#include "platform/IniFile.h"
#include "state/DeviceSettings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <random>
#include <type_traits>

namespace {

// clang-format off
// Every field that a key carries, with the kind of random value that is valid for it. Frequencies and
// levels have at most three decimals, so that the rounding of the writer leaves them as they are.
#define KEYED_FIELDS(X)                                                                                                \
    X(MaxFrequency, Fixed(2048)) X(ConnectionType, Int(0, 12)) X(RefPresets, Int(-32768, 32767))                       \
    X(GenRef, Level()) X(GenImpedance, Int(50, 600)) X(GenLowImpedance, Int(0, 1))                                     \
    X(Sin.Level, Level()) X(Sin.F1, Freq()) X(Sin.State, Int(-1, 3))                                                   \
    X(Sin2.Level, Level()) X(Sin2.F1, Freq()) X(Sin2.F2, Freq()) X(Sin2.State, Int(-1, 3))                             \
    X(Mtts.Level, Level()) X(Mtts.F1, Freq()) X(Mtts.F2, Freq()) X(Mtts.Step, Freq()) X(Mtts.Count, Int(1, 500))       \
    X(Mtts.State, Int(-1, 3)) X(Rnd.Level, Level()) X(Rnd.State, Int(-1, 3)) X(Noise.Level, Level())                   \
    X(Noise.State, Int(-1, 3)) X(Block.State, Int(0, 1)) X(RemoteGenState[0], Int(0, 3))                               \
    X(RemoteGenState[1], Int(0, 3)) X(RemoteGenState[2], Int(0, 3)) X(RemoteGenState[3], Int(0, 3))                    \
    X(RemoteGenState[4], Int(0, 1)) X(RemoteNoiseState, Int(0, 3))                                                     \
    X(AdcSizeIndex, Int(0, 4)) X(SpectrumStepIndex, Int(1, 16)) X(BandF0, Freq()) X(BandF1, Freq())                    \
    X(MeterRef, Level()) X(MeterImpedance, Int(50, 20000)) X(MeterHighImpedance, Int(0, 1))                            \
    X(MaxLevelIndex, Int(0, 3)) X(AutoMaxLevel, Int(0, 1)) X(Lmin, Level()) X(MinSnr, Level()) X(AfcRef, Freq())       \
    X(GvpRef, Freq()) X(CableVelocity, Fixed(200.5)) X(AveragingInterval, Int(1, 3600))                                \
    X(EventMergeInterval, Fixed(0.25)) X(EventCounting, Int(0, 255)) X(Phasogram, Int(0, 1)) X(PhasogramRef, Freq())   \
    X(ControlLevel, Level()) X(ControlF1, Freq()) X(ControlFN, Freq()) X(ExchangeMode, Int(0, 3))                      \
    X(ConnectState, Int(0, 0)) X(SyncEdgeMode, Int(0, 3)) X(SyncDelay[0], Any()) X(SyncDelay[1], Any())                \
    X(SyncDelay[2], Any()) X(SyncDelay[3], Any()) X(SyncMonitoring, Int(0, 1)) X(SyncCountPulse, Int(0, 100000))       \
    X(SyncGenState, Int(0, 3))                                                                                         \
    MASTER_FIELDS(X, MasterF) MASTER_FIELDS(X, MasterL)                                                                \
    X(Mirvak.Flags, Int(0, 3)) X(Mirvak.SetCount, Int(0, 127)) X(Mirvak.RangeStart, Freq())                            \
    X(Mirvak.RangeN, Int(1, 340)) X(Mirvak.RangeStep, Freq()) X(Mirvak.SinOn, Int(0, 1)) X(Mirvak.SinLevel, Level())   \
    X(Mirvak.SubMode, Int(-1, 8)) X(Mirvak.Fc1, Fixed(10)) X(Mirvak.FcN, Fixed(900.5)) X(Mirvak.B, Freq())             \
    X(Mirvak.Options, Int(0, 255)) X(Mirvak.FcM, Freq()) X(Mirvak.FcG, Freq()) X(Mirvak.CableLength, Freq())           \
    X(Mirvak.AfcCalDb, Level()) X(Mirvak.LoadOhm, Fixed(75)) X(Mirvak.RunState, Int(0, 3))

#define MASTER_FIELDS(X, m)                                                                                            \
    X(m.Source, Int(0, 3)) X(m.SetCount, Int(0, 127)) X(m.RangeStart, Freq()) X(m.RangeN, Int(1, 1000))                \
    X(m.RangeStep, Freq()) X(m.SinOn, Int(0, 1)) X(m.RemoteSinOn, Int(0, 1)) X(m.SinValue, Level())                    \
    X(m.BandType, Int(0, 1)) X(m.BandF0, Freq()) X(m.BandF1, Freq()) X(m.AutoByTime, Int(0, 1))                        \
    X(m.Interval, Int(1, 600)) X(m.State, Int(0, 3))

// clang-format on
class RandomValues {
public:
    explicit RandomValues(unsigned seed) : engine_(seed) {}
    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }
    float Freq() { return float(Int(0, 2048000) / 1000.0); }
    float Level() { return float(Int(-80000, 20000) / 1000.0); }
    float Fixed(double value) { return float(value); }
    float Any() { return std::uniform_real_distribution<float>(-1e4f, 1e4f)(engine_); }
    void Bytes(void *data, std::size_t size) {
        auto *bytes = static_cast<unsigned char *>(data);
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<unsigned char>(Int(0, 255));
    }

private:
    std::mt19937 engine_;
};

void FillRows(RandomValues &random, SetEntry *rows, int count, bool levels) {
    for (int i = 0; i < count; ++i) {
        rows[i].Value = levels ? random.Level() : random.Freq();
        rows[i].Checked = uint8_t(random.Int(0, 1));
    }
}

class DeviceSettingsKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        live = DefaultDeviceSettings();
        DeviceSettings = &live;
    }
    void TearDown() override { DeviceSettings = previous; }

    QString FileName() const { return dir.path() + QStringLiteral("/c.cfg"); }

    // Writes a record's keys the way a save does: the saved record is the one in force.
    void Write(const TDeviceSettings &saved, const QString &version = QStringLiteral("V6.11")) {
        TDeviceSettings *before = DeviceSettings;
        TDeviceSettings record = saved;
        DeviceSettings = &record;
        TMemIniFile ini(FileName());
        ini.WriteString(QStringLiteral("Общие"), QStringLiteral("Версия"), version);
        WriteDeviceSettingsKeys(ini, record, {QStringLiteral("/r9/Masks/"), &fileNames});
        ini.UpdateFile();
        DeviceSettings = before;
    }
    void WriteText(const QByteArray &text) {
        QFile file(FileName());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    TDeviceSettings Read(QString *version = nullptr) {
        TDeviceSettings copy = live;
        TMemIniFile ini(FileName());
        const QString read = ReadDeviceSettingsKeys(ini, copy, {QStringLiteral("/r9/Masks/"), &fileNames});
        if (version)
            *version = read;
        return copy;
    }
    QByteArray FileBytes() const {
        QFile file(FileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    TDeviceSettings live;
    TDeviceSettings *previous = DeviceSettings;
    QStringList fileNames;
};

TEST_F(DeviceSettingsKeysTest, RandomRecordReadsBackIntoDifferentLiveValues) {
    for (unsigned seed = 1; seed <= 8; ++seed) {
        RandomValues random(seed);
        TDeviceSettings saved = DefaultDeviceSettings();
#define GENERATE(field, value) saved.field = std::remove_cvref_t<decltype(saved.field)>(random.value);
        KEYED_FIELDS(GENERATE)
        saved.WeightingIndex = 0;
        FillRows(random, saved.MasterF.Set, MasterSetCapacity, false);
        FillRows(random, saved.MasterL.Set, MasterSetCapacity, true);
        FillRows(random, saved.Mirvak.Set, MirvakSetCapacity, false);
        fileNames = {QStringLiteral("/r9/Masks/w/a.9wf")};
        Write(saved);

        // The live record differs everywhere, unkeyed and reserved bytes included; only what the reader
        // divides by or indexes with is sane.
        random.Bytes(&live, sizeof live);
        live.MaxFrequency = 1024;
        live.SampleRate = 2560;
        live.WeightingIndex = -1;
        fileNames = {QStringLiteral("old.9wf")};
        const TDeviceSettings read = Read();

        TDeviceSettings expected = live;
#define TAKE(field, value) expected.field = saved.field;
        KEYED_FIELDS(TAKE)
        std::memcpy(expected.MasterF.Set, saved.MasterF.Set, sizeof(SetEntry) * saved.MasterF.SetCount);
        std::memcpy(expected.MasterL.Set, saved.MasterL.Set, sizeof(SetEntry) * saved.MasterL.SetCount);
        std::memcpy(expected.Mirvak.Set, saved.Mirvak.Set, sizeof(SetEntry) * saved.Mirvak.SetCount);
        expected.WeightingIndex = 1; // appended after the live list's entry
        // Recomputed from what was read:
        expected.SampleRate = 2.5f * saved.MaxFrequency;
        expected.Sin.MinFreq = expected.SampleRate / 1024;
        expected.Sin2.MinFreq = expected.SampleRate / 256;
        expected.Mtts.MinFreq = expected.SampleRate / 512;
        expected.AdcSize = 2048 << saved.AdcSizeIndex;
        expected.SpectrumStep = expected.SampleRate / float(expected.AdcSize);
        expected.PresentationStep = float(saved.SpectrumStepIndex) * expected.SpectrumStep;
        expected.ControlStep = expected.SampleRate / 128;
        expected.ControlMinSpan = expected.SampleRate * 25 / 1024;
        if (saved.Mirvak.RunState > 0)
            expected.Mirvak.RunActive = 1;

        const auto *want = reinterpret_cast<const unsigned char *>(&expected);
        const auto *got = reinterpret_cast<const unsigned char *>(&read);
        for (std::size_t i = 0; i < sizeof(TDeviceSettings); ++i)
            ASSERT_EQ(got[i], want[i]) << "seed " << seed << ", byte " << i;
        EXPECT_EQ(fileNames, QStringList({QStringLiteral("old.9wf"), QStringLiteral("/r9/Masks/w/a.9wf")}));
    }
}

TEST_F(DeviceSettingsKeysTest, KeyTextsCarryTheirExactBytes) {
    TDeviceSettings saved = DefaultDeviceSettings();
    saved.MasterF.SetCount = 12;
    saved.WeightingIndex = -1;
    Write(saved);
    const QByteArray bytes = FileBytes();
    // "Строка набора №12 значение" with № as 0xB9, "дБмо" ending in the Cyrillic о, "дБм0" in the digit.
    EXPECT_TRUE(bytes.contains("\xD1\xF2\xF0\xEE\xEA\xE0\x20\xED\xE0\xE1\xEE\xF0\xE0\x20\xB9\x31\x32\x20\xE7\xED\xE0"
                               "\xF7\xE5\xED\xE8\xE5="));
    EXPECT_FALSE(bytes.contains("\xB9\x31\x33\x20")); // no row 13
    EXPECT_TRUE(bytes.contains("\xCE\xEF\xEE\xF0\xED\xFB\xE9\x20\xF3\xF0\xEE\xE2\xE5\xED\xFC\x2C\xE4\xC1\xEC\xEE="));
    EXPECT_TRUE(bytes.contains("\x53\x49\x4E\x32\x20\xF3\xF0\xEE\xE2\xE5\xED\xFC\x2C\xE4\xC1\xEC\x30="));
    EXPECT_TRUE(
        bytes.contains("\xCF\xE5\xF0\xE5\xED\xEE\xF1\x20\xF1\xEF\xE5\xEA\xF2\xF0\xE0\x3A\x20\x20typeShiftSpectr="));
    EXPECT_FALSE(bytes.contains("\xC2\xE7\xE2\xE5\xF8\xE8\xE2\xE0\xFE\xF9\xE0\xFF")); // no weighting key
}

TEST_F(DeviceSettingsKeysTest, MissingKeysTakeTheirDefaults) {
    live.MaxFrequency = 2048;
    live.SampleRate = 5120;
    live.Sin.F1 = 100.1234f;
    live.Sin.State = 2;
    live.Block.State = 0;
    live.ConnectState = 1;
    live.AfcRef = 5;
    live.GenRef = -3.25f;
    live.AutoMaxLevel = 1;
    live.MasterF.RangeStart = 50;
    live.MasterL.RangeStart = -20;
    WriteText("[\xCE\xE1\xF9\xE8\xE5 R9]\r\n\xCC\xE0\xEA\xF1\xE8\xEC\xE0\xEB\xFC\xED\xE0\xFF "
              "\xF7\xE0\xF1\xF2\xEE\xF2\xE0,\xEA\xC3\xF6=1024\r\n");
    QString version;
    const TDeviceSettings read = Read(&version);
    EXPECT_EQ(version, QStringLiteral("V6.00"));
    EXPECT_FLOAT_EQ(read.MaxFrequency, 1024);
    EXPECT_FLOAT_EQ(read.Sin.F1, 50.062f); // half the live 100.1234, to the three decimals of a live 2048 kHz
    EXPECT_FLOAT_EQ(read.MasterF.RangeStart, 25);
    EXPECT_FLOAT_EQ(read.MasterL.RangeStart, -20); // levels do not move with the band
    EXPECT_FLOAT_EQ(read.GenRef, -3.25f);
    EXPECT_EQ(read.Sin.State, 0);
    EXPECT_EQ(read.Block.State, 1);
    EXPECT_EQ(read.ConnectState, 0);
    EXPECT_EQ(read.AutoMaxLevel, 0);
    EXPECT_FLOAT_EQ(read.AfcRef, -1);
    EXPECT_FLOAT_EQ(read.PhasogramRef, 0.05f);
    EXPECT_FLOAT_EQ(read.BandF0, 5);    // live 5120 / 1024
    EXPECT_FLOAT_EQ(read.BandF1, 2048); // the live maximum
    EXPECT_FLOAT_EQ(read.SampleRate, 2560);
}

TEST_F(DeviceSettingsKeysTest, MaxLevelIndexFollowsTheFileVersion) {
    struct Case {
        const char *version;
        int stored;
        int loaded;
    };
    for (const Case &c :
         {Case{"V5.10", 2, 3}, Case{"V5.10", 3, 3}, Case{"V6.11", 2, 2}, Case{"V6.11", 7, 3}, Case{"V4.00", -4, 0}}) {
        TDeviceSettings saved = DefaultDeviceSettings();
        saved.MaxLevelIndex = int8_t(c.stored);
        Write(saved, QString::fromLatin1(c.version));
        QString version;
        EXPECT_EQ(Read(&version).MaxLevelIndex, c.loaded) << c.version << " " << c.stored;
        EXPECT_EQ(version, QString::fromLatin1(c.version));
    }
}

TEST_F(DeviceSettingsKeysTest, ReadingRepairsWhatTheFileGetsWrong) {
    TDeviceSettings saved = DefaultDeviceSettings();
    saved.Mirvak.Fc1 = 500;
    saved.Mirvak.FcN = 100;
    saved.AdcSizeIndex = 2;
    saved.AdcSize = 2048; // disagrees with the index; the index wins
    saved.MasterF.SetCount = 2;
    saved.MasterF.Set[0] = {10, 7};
    saved.MasterF.Set[1] = {20, 0};
    saved.MasterF.Set[2] = {30, 1};
    live.MasterF.Set[2] = {99, 0};
    Write(saved);
    TDeviceSettings read = Read();
    EXPECT_FLOAT_EQ(read.Mirvak.Fc1, 100);
    EXPECT_FLOAT_EQ(read.Mirvak.FcN, 500);
    EXPECT_EQ(read.AdcSize, 8192);
    EXPECT_EQ(read.MasterF.Set[0].Checked, 1); // any value but 0 is on
    EXPECT_FLOAT_EQ(read.MasterF.Set[2].Value, 99);

    // Out-of-range values that would index past a table or a buffer, and a zero band.
    struct Case {
        const char *section;
        const char *key;
        const char *value;
    };
    const auto field = [](const char *utf8) { return QString::fromUtf8(utf8); };
    for (const Case &c :
         {Case{"Общие R9", "Тип подключения", "40"}, Case{"Общие R9", "Тип подключения", "-3"},
          Case{"Измеритель", "Индекс размера вектора АЦП", "9"}, Case{"Общие R9", "Максимальная частота,кГц", "0"},
          Case{"Общие R9", "Максимальная частота,кГц", "nan"},
          Case{"Мастер частоты", "Количество строк в наборе", "-5"},
          Case{"Мирвак", "Количество строк в наборе", "300"}}) {
        Write(DefaultDeviceSettings());
        TMemIniFile ini(FileName());
        ini.WriteString(field(c.section), field(c.key), field(c.value));
        ini.UpdateFile();
        read = Read();
        EXPECT_GE(read.ConnectionType, 0) << c.key << c.value;
        EXPECT_LE(read.ConnectionType, 12) << c.key << c.value;
        EXPECT_GE(read.AdcSizeIndex, 0);
        EXPECT_LE(read.AdcSizeIndex, 4);
        EXPECT_EQ(read.AdcSize, SpectrumSizes[std::size_t(read.AdcSizeIndex)]);
        EXPECT_GT(read.MaxFrequency, 0);
        EXPECT_GE(read.MasterF.SetCount, 0);
        EXPECT_GE(read.Mirvak.SetCount, 0);
    }
}

TEST_F(DeviceSettingsKeysTest, AutoByTimeIsStoredOnWhileALinkedMasterRuns) {
    TDeviceSettings saved = DefaultDeviceSettings();
    saved.MasterF.AutoByTime = 0;
    saved.MasterF.State = 1;
    saved.MasterL.AutoByTime = 0;
    saved.MasterL.State = 1;
    saved.ConnectState = 1;
    Write(saved);
    EXPECT_EQ(Read().MasterF.AutoByTime, 1);
    saved.ConnectState = 0;
    Write(saved);
    EXPECT_EQ(Read().MasterL.AutoByTime, 0);
}

TEST_F(DeviceSettingsKeysTest, WeightingPathIsStoredRelativeToTheMaskFolder) {
    TDeviceSettings saved = DefaultDeviceSettings();
    saved.WeightingIndex = 1;
    fileNames = {QString(), QStringLiteral("/r9/Masks/w/a.9wf")};
    Write(saved);
    TMemIniFile ini(FileName());
    EXPECT_EQ(ini.ReadString(QStringLiteral("Измеритель"), QStringLiteral("Взвешивающая характеристика"), {}),
              QStringLiteral("w/a.9wf"));

    live.WeightingIndex = 0; // the live entry is replaced in place
    const TDeviceSettings read = Read();
    EXPECT_EQ(read.WeightingIndex, 0);
    EXPECT_EQ(fileNames[0], QStringLiteral("/r9/Masks/w/a.9wf"));
}

} // namespace
