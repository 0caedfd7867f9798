#include "state/DeviceSettings.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>
#include "support/Fixtures.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ImageOf(const TDeviceSettings &settings) {
    Bytes image(sizeof(TDeviceSettings));
    std::memcpy(image.data(), &settings, sizeof(TDeviceSettings));
    return image;
}

template <typename T> Bytes BytesOf(T value) {
    Bytes bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}

// Offsets where two images differ, for a readable failure.
std::string FirstDifferences(const Bytes &actual, const Bytes &expected) {
    std::string text;
    int shown = 0;
    for (size_t i = 0; i < actual.size() && i < expected.size() && shown < 12; ++i) {
        if (actual[i] != expected[i]) {
            text +=
                " @" + std::to_string(i) + ": " + std::to_string(actual[i]) + " want " + std::to_string(expected[i]);
            ++shown;
        }
    }
    return text;
}

TEST(DeviceSettingsImage, DefaultMatchesTheGoldenImageByteForByte) {
    QFile file(FixturePath(QStringLiteral("state/DeviceSettingsDefault.bin")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray golden = file.readAll();
    ASSERT_EQ(golden.size(), 12226);
    const Bytes expected(golden.begin(), golden.end());

    const Bytes defaults = ImageOf(DefaultDeviceSettings());
    EXPECT_EQ(defaults, expected) << FirstDifferences(defaults, expected);

    // The program's record starts as the same image; the default stays a separate constant so that
    // the record can be reset from it.
    ASSERT_NE(DeviceSettings, nullptr);
    EXPECT_NE(static_cast<const void *>(DeviceSettings), static_cast<const void *>(&DefaultDeviceSettings()));
    const Bytes record = ImageOf(*DeviceSettings);
    EXPECT_EQ(record, expected) << FirstDifferences(record, expected);
}

TEST(DeviceSettingsImage, FreshRecordHoldsTheStartValues) {
    const TDeviceSettings &s = DefaultDeviceSettings();
    EXPECT_EQ(s.SampleRate, 640.0f);
    EXPECT_EQ(s.MaxFrequency, 256.0f);
    EXPECT_EQ(s.ConnectionType, 3);
    EXPECT_EQ(s.Block.State, 2);
    EXPECT_EQ(s.RemoteGenState[4], 2);
    EXPECT_EQ(s.WeightingIndex, -1);
    EXPECT_EQ(s.AfcRef, -1.0f);
    EXPECT_EQ(s.AdcSize, 2048);
    // Derived fields wait for the first sample-rate and block-size recomputation.
    for (float derived : {s.Sin.MinFreq, s.Sin2.MinFreq, s.Mtts.MinFreq, s.ControlStep, s.ControlMinSpan,
                          s.SpectrumStep, s.PresentationStep})
        EXPECT_EQ(derived, 0.0f);
    EXPECT_EQ(s.SyncMinInterval, 0);
}

// A field as the program reads it, with the documented offset it must come from.
struct FieldAt {
    std::string name;
    size_t offset;
    std::function<Bytes(const TDeviceSettings &)> read;
};

#define FIELD(member, offset)                                                                                          \
    FieldAt {                                                                                                          \
#member, offset, [](const TDeviceSettings &s) { return BytesOf(s.member); }                                    \
    }

std::vector<FieldAt> TopLevelFields() {
    std::vector<FieldAt> fields = {
        FIELD(SampleRate, 0),
        FIELD(MaxFrequency, 4),
        FIELD(Mode, 8),
        FIELD(ConnectionType, 12),
        FIELD(RefPresets, 14),
        FIELD(GenRef, 20),
        FIELD(GenImpedance, 24),
        FIELD(GenLowImpedance, 28),
        FIELD(RemoteNoiseState, 217),
        FIELD(AdcSize, 221),
        FIELD(AdcSizeIndex, 225),
        FIELD(SpectrumStep, 229),
        FIELD(SpectrumStepIndex, 233),
        FIELD(PresentationStep, 237),
        FIELD(BandF0, 241),
        FIELD(BandF1, 245),
        FIELD(MeterRef, 249),
        FIELD(MaxLevelIndex, 253),
        FIELD(Lmin, 254),
        FIELD(MinSnr, 258),
        FIELD(WeightingIndex, 262),
        FIELD(AfcRef, 264),
        FIELD(GvpRef, 268),
        FIELD(MeterImpedance, 272),
        FIELD(MeterHighImpedance, 276),
        FIELD(CableVelocity, 277),
        FIELD(AveragingInterval, 281),
        FIELD(EventMergeInterval, 285),
        FIELD(EventCounting, 289),
        FIELD(Phasogram, 290),
        FIELD(PhasogramRef, 291),
        FIELD(AutoMaxLevel, 295),
        FIELD(ControlLevel, 296),
        FIELD(ControlF1, 300),
        FIELD(ControlFN, 304),
        FIELD(ControlStep, 308),
        FIELD(ExchangeMode, 312),
        FIELD(ConnectState, 314),
        FIELD(PeerConnectState, 318),
        FIELD(ControlMinSpan, 322),
        FIELD(SyncEdgeMode, 12192),
        FIELD(SyncMinInterval, 12209),
        FIELD(SyncGenState, 12213),
        FIELD(SyncMonitoring, 12217),
        FIELD(SyncCountPulse, 12218),
        FIELD(SyncPulseCount, 12222),
        FIELD(RemoteGenState[0], 169),
        FIELD(RemoteGenState[1], 173),
        FIELD(RemoteGenState[2], 177),
        FIELD(RemoteGenState[3], 181),
        FIELD(RemoteGenState[4], 185),
        FIELD(SyncDelay[0], 12193),
        FIELD(SyncDelay[1], 12197),
        FIELD(SyncDelay[2], 12201),
        FIELD(SyncDelay[3], 12205),
    };

    const struct {
        const char *name;
        size_t base;
        GenBlock (*get)(const TDeviceSettings &);
    } gens[] = {
        {"Sin", 29, [](const TDeviceSettings &s) { return s.Sin; }},
        {"Sin2", 57, [](const TDeviceSettings &s) { return s.Sin2; }},
        {"Mtts", 85, [](const TDeviceSettings &s) { return s.Mtts; }},
        {"Rnd", 113, [](const TDeviceSettings &s) { return s.Rnd; }},
        {"Block", 141, [](const TDeviceSettings &s) { return s.Block; }},
        {"Noise", 189, [](const TDeviceSettings &s) { return s.Noise; }},
    };
    const struct {
        const char *name;
        size_t offset;
        Bytes (*read)(const GenBlock &);
    } genFields[] = {
        {"Level", 0, [](const GenBlock &g) { return BytesOf(g.Level); }},
        {"F1", 4, [](const GenBlock &g) { return BytesOf(g.F1); }},
        {"F2", 8, [](const GenBlock &g) { return BytesOf(g.F2); }},
        {"MinFreq", 12, [](const GenBlock &g) { return BytesOf(g.MinFreq); }},
        {"Step", 16, [](const GenBlock &g) { return BytesOf(g.Step); }},
        {"Count", 20, [](const GenBlock &g) { return BytesOf(g.Count); }},
        {"State", 24, [](const GenBlock &g) { return BytesOf(g.State); }},
    };
    for (const auto &gen : gens)
        for (const auto &field : genFields)
            fields.push_back({std::string(gen.name) + "." + field.name, gen.base + field.offset,
                              [get = gen.get, read = field.read](const TDeviceSettings &s) { return read(get(s)); }});
    return fields;
}

// Master fields at the absolute offsets, MasterF at 346 and MasterL at 5384.
std::vector<FieldAt> MasterFields() {
    const struct {
        const char *name;
        size_t base;
        MasterBlock (*get)(const TDeviceSettings &);
    } masters[] = {
        {"MasterF", 346, [](const TDeviceSettings &s) { return s.MasterF; }},
        {"MasterL", 5384, [](const TDeviceSettings &s) { return s.MasterL; }},
    };
    const struct {
        const char *name;
        size_t offset;
        Bytes (*read)(const MasterBlock &);
    } masterFields[] = {
        {"Source", 0, [](const MasterBlock &m) { return BytesOf(m.Source); }},
        {"SetCount", 5001, [](const MasterBlock &m) { return BytesOf(m.SetCount); }},
        {"RangeStart", 5002, [](const MasterBlock &m) { return BytesOf(m.RangeStart); }},
        {"RangeN", 5006, [](const MasterBlock &m) { return BytesOf(m.RangeN); }},
        {"RangeStep", 5010, [](const MasterBlock &m) { return BytesOf(m.RangeStep); }},
        {"SinOn", 5014, [](const MasterBlock &m) { return BytesOf(m.SinOn); }},
        {"RemoteSinOn", 5015, [](const MasterBlock &m) { return BytesOf(m.RemoteSinOn); }},
        {"SinValue", 5016, [](const MasterBlock &m) { return BytesOf(m.SinValue); }},
        {"BandType", 5020, [](const MasterBlock &m) { return BytesOf(m.BandType); }},
        {"BandF0", 5021, [](const MasterBlock &m) { return BytesOf(m.BandF0); }},
        {"BandF1", 5025, [](const MasterBlock &m) { return BytesOf(m.BandF1); }},
        {"AutoByTime", 5029, [](const MasterBlock &m) { return BytesOf(m.AutoByTime); }},
        {"Interval", 5030, [](const MasterBlock &m) { return BytesOf(m.Interval); }},
        {"State", 5034, [](const MasterBlock &m) { return BytesOf(m.State); }},
    };
    std::vector<FieldAt> fields;
    for (const auto &master : masters) {
        const std::string prefix = std::string(master.name) + ".";
        for (const auto &field : masterFields)
            fields.push_back(
                {prefix + field.name, master.base + field.offset,
                 [get = master.get, read = field.read](const TDeviceSettings &s) { return read(get(s)); }});
        for (int k = 0; k < 1000; ++k) {
            const std::string entry = prefix + "Set[" + std::to_string(k) + "]";
            fields.push_back(
                {entry + ".Value", master.base + 1 + 5 * k,
                 [get = master.get, k](const TDeviceSettings &s) { return BytesOf(get(s).Set[k].Value); }});
            fields.push_back(
                {entry + ".Checked", master.base + 1 + 5 * k + 4,
                 [get = master.get, k](const TDeviceSettings &s) { return BytesOf(get(s).Set[k].Checked); }});
        }
    }
    return fields;
}

std::vector<FieldAt> MirvakFields() {
    std::vector<FieldAt> fields = {
        FIELD(Mirvak.Flags, 10422),     FIELD(Mirvak.SetCount, 12123),      FIELD(Mirvak.RangeStart, 12124),
        FIELD(Mirvak.RangeN, 12128),    FIELD(Mirvak.RangeStep, 12132),     FIELD(Mirvak.SinOn, 12136),
        FIELD(Mirvak.SinLevel, 12137),  FIELD(Mirvak.FirstFreq, 12141),     FIELD(Mirvak.SubMode, 12145),
        FIELD(Mirvak.B, 12150),         FIELD(Mirvak.FcM, 12154),           FIELD(Mirvak.Fc1, 12158),
        FIELD(Mirvak.FcN, 12162),       FIELD(Mirvak.Options, 12166),       FIELD(Mirvak.RunState, 12170),
        FIELD(Mirvak.RunActive, 12174), FIELD(Mirvak.DeviceSubMode, 12175), FIELD(Mirvak.AfcCalDb, 12176),
        FIELD(Mirvak.LoadOhm, 12180),   FIELD(Mirvak.FcG, 12184),           FIELD(Mirvak.CableLength, 12188),
    };
    for (int k = 0; k < MirvakSetCapacity; ++k) {
        const std::string entry = "Mirvak.Set[" + std::to_string(k) + "]";
        fields.push_back({entry + ".Value", size_t(10423 + 5 * k),
                          [k](const TDeviceSettings &s) { return BytesOf(s.Mirvak.Set[k].Value); }});
        fields.push_back({entry + ".Checked", size_t(10423 + 5 * k + 4),
                          [k](const TDeviceSettings &s) { return BytesOf(s.Mirvak.Set[k].Checked); }});
    }
    return fields;
}

TEST(DeviceSettingsImage, RandomImageSurvivesACopyAndEveryFieldReadsAtItsOffset) {
    std::mt19937 random(20240517);
    Bytes image(12226);
    for (uint8_t &b : image)
        b = uint8_t(random());

    TDeviceSettings record;
    std::memcpy(&record, image.data(), image.size());
    EXPECT_EQ(ImageOf(record), image);

    std::vector<FieldAt> fields = TopLevelFields();
    for (std::vector<FieldAt> more : {MasterFields(), MirvakFields()})
        fields.insert(fields.end(), more.begin(), more.end());

    std::vector<int> claimed(image.size(), 0);
    for (const FieldAt &field : fields) {
        const Bytes value = field.read(record);
        ASSERT_LE(field.offset + value.size(), image.size()) << field.name;
        const Bytes stored(image.begin() + field.offset, image.begin() + field.offset + value.size());
        EXPECT_EQ(value, stored) << field.name << " at " << field.offset;
        for (size_t i = 0; i < value.size(); ++i)
            ++claimed[field.offset + i];
    }

    // Every byte belongs to exactly one field, except the reserved ones, which belong to none.
    auto reserved = [](size_t i) { return (i >= 16 && i < 20) || (i >= 326 && i < 346) || (i >= 12146 && i < 12150); };
    for (size_t i = 0; i < image.size(); ++i)
        EXPECT_EQ(claimed[i], reserved(i) ? 0 : 1) << "byte " << i;
}

} // namespace
