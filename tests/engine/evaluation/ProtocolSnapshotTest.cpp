#include "engine/evaluation/ProtocolSnapshot.h"
#include "engine/evaluation/ResultDispatcher.h"

#include "EvaluationFixture.h"
#include "engine/PrbsMeasurement.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "platform/Clock.h"
#include "state/MainGlobals.h"

#include <cmath>
#include <cstring>
#include <optional>

namespace {

// Reads the little-endian buffers at byte offsets, independently of the writer.
struct Reader {
    const std::vector<uint8_t> &Bytes;
    std::size_t At = 0;

    template <typename T> T Get() {
        EXPECT_LE(At + sizeof(T), Bytes.size());
        T value{};
        if (At + sizeof(T) <= Bytes.size())
            std::memcpy(&value, Bytes.data() + At, sizeof(T));
        At += sizeof(T);
        return value;
    }
    std::vector<float> Floats(int32_t n) {
        std::vector<float> values;
        for (int32_t i = 0; i < n; ++i)
            values.push_back(Get<float>());
        return values;
    }
};

// One curve record as the protocol reads it back.
struct CurveRecord {
    int16_t GraphKind = -1;
    int32_t Count = 0;
    std::vector<std::vector<float>> Arrays;
    std::vector<uint8_t> Verdicts;
    bool HasVerdicts = false;
};

std::vector<CurveRecord> ReadCurves(const std::vector<uint8_t> &bytes) {
    std::vector<CurveRecord> records;
    Reader r{bytes};
    while (r.At < bytes.size()) {
        CurveRecord c;
        c.GraphKind = r.Get<int16_t>();
        c.Count = r.Get<int32_t>();
        if (c.Count > 0) {
            const int32_t arrays = r.Get<int32_t>();
            for (int32_t a = 0; a < arrays; ++a)
                c.Arrays.push_back(r.Floats(c.Count));
            c.HasVerdicts = r.Get<uint8_t>() == 1;
            for (int32_t i = 0; c.HasVerdicts && i < c.Count; ++i)
                c.Verdicts.push_back(r.Get<uint8_t>());
        }
        records.push_back(std::move(c));
    }
    return records;
}

int32_t RowOfGraphKind(const ParameterTable &table, int32_t graphKind) {
    for (int32_t i = 0; i < table.RowCount; ++i)
        if (table.Rows[i].GraphKind == graphKind)
            return i;
    return -1;
}

class ProtocolSnapshotTest : public EvaluationTest {
protected:
    void SetUp() override {
        EvaluationTest::SetUp();
        LocalProtocolSnapshot = TProtocolSnapshot();
        savedMinStep = SpectrumTableMinStep;
        ProtocolSnapshotServices() = TProtocolSnapshotServices();
        ProtocolSnapshotServices().AddAutoProtocolEntry = [this](TProtocolSnapshot &s) {
            Entries.push_back(s.Results.size());
        };
    }
    void TearDown() override {
        ProtocolSnapshotServices() = TProtocolSnapshotServices();
        LocalProtocolSnapshot = TProtocolSnapshot();
        RemoteProtocolSnapshot = TProtocolSnapshot();
        SpectrumTableMinStep = savedMinStep;
        EvaluationTest::TearDown();
    }

    // Marks only the given rows of a table for the protocol.
    static void ProtocolRowsOnly(const ParameterTable &table, std::initializer_list<int32_t> rows) {
        for (int32_t i = 0; i < table.RowCount; ++i)
            table.Rows[i].Settings.Protocol = 0;
        for (int32_t row : rows) {
            table.Rows[row].Settings.Analyse = 1;
            table.Rows[row].Settings.Protocol = 1;
        }
    }

    std::vector<std::size_t> Entries; // result-buffer size of every entry handed to the protocol
    int32_t savedMinStep = 8;
};

TEST_F(ProtocolSnapshotTest, ResultBufferHoldsTheConditionsAndEveryRowByteForByte) {
    NowStamp = 1.0; // 00 00 00 00 00 00 F0 3F
    Settings.ConnectionType = 0x0102;
    Settings.GenImpedance = 600;
    Settings.GenLowImpedance = 1;
    Settings.MeterImpedance = 150;
    Settings.MeterHighImpedance = 1;
    Settings.MaxLevelIndex = 4;
    Settings.BandF0 = 0.5f; // 00 00 00 3F
    Settings.BandF1 = 4.0f; // 00 00 80 40
    Settings.AdcSizeIndex = 3;
    Settings.SpectrumStepIndex = 0x0108;
    Settings.Sin.State = 0;
    Settings.Sin2.State = 0;
    Settings.Mtts.State = 2; // generator code 3
    const auto code = [](int32_t q, double x) {
        const ValueQuantizer &v = ValueQuantizers[q];
        return int(std::trunc(v.Steps * (std::clamp(x, v.Min, v.Max) - v.Min) / (v.Max - v.Min) + 0.5));
    };
    for (const auto &[kind, size] : {std::pair{1, 413u}, std::pair{3, 641u}}) {
        SCOPED_TRACE(kind);
        const ParameterTable table = ParameterTableOf(kind);
        for (int32_t i = 0; i < table.RowCount; ++i)
            table.Rows[i].Result = ParamResult{float(i) + 0.25f, -float(i), uint8_t(i % 2 ? 1 : 255), {}};
        ASSERT_TRUE(SaveKindProtocol(kind));
        const std::vector<uint8_t> &b = LocalProtocolSnapshot.Results;
        ASSERT_EQ(b.size(), size);
        const std::vector<uint8_t> header = {0,
                                             0,
                                             0,
                                             0,
                                             0,
                                             0,
                                             0xF0,
                                             0x3F,
                                             uint8_t(kind),
                                             0x02,
                                             3,
                                             uint8_t(code(2, 600)),
                                             uint8_t(code(2, 600) >> 8),
                                             1,
                                             uint8_t(code(4, 150)),
                                             uint8_t(code(4, 150) >> 8),
                                             1,
                                             4,
                                             0,
                                             0,
                                             0,
                                             0x3F,
                                             0,
                                             0,
                                             0x80,
                                             0x40,
                                             3,
                                             0x08,
                                             uint8_t(table.RowCount)};
        EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + SnapshotHeaderSize), header);
        for (int32_t i = 0; i < table.RowCount; ++i) {
            Reader r{b, std::size_t(SnapshotHeaderSize + SnapshotRowSize * i)};
            EXPECT_EQ(r.Get<float>(), float(i) + 0.25f);
            EXPECT_EQ(r.Get<float>(), -float(i));
            EXPECT_EQ(r.Get<uint8_t>(), i % 2 ? 1 : 255);
            EXPECT_EQ(r.Get<uint8_t>() | r.Get<uint8_t>() | r.Get<uint8_t>(), 0);
        }
        EXPECT_EQ(LocalProtocolSnapshot.HasData, 1);
    }
}

TEST_F(ProtocolSnapshotTest, ASettlingOrUnknownKindLeavesTheSnapshotUntouched) {
    ASSERT_TRUE(SaveKindProtocol(1));
    const std::vector<uint8_t> before = LocalProtocolSnapshot.Results;
    for (int32_t kind : {0, 8, -1}) {
        NowStamp += 1;
        EXPECT_FALSE(SaveKindProtocol(kind));
        EXPECT_EQ(LocalProtocolSnapshot.Results, before);
        EXPECT_EQ(LocalProtocolSnapshot.HasData, 1);
    }
}

TEST_F(ProtocolSnapshotTest, EchoTablesTakeThreeArraysAndTheMaskedPointsTheirVerdicts) {
    const ParameterTable prbs = ParameterTableOf(4);
    const int32_t levels = RowOfGraphKind(prbs, 3);
    const int32_t percents = RowOfGraphKind(prbs, 4);
    ASSERT_GE(levels, 0);
    ASSERT_GE(percents, 0);
    ProtocolRowsOnly(prbs, {levels, percents});
    for (int32_t i = 0; i < TableEchoCount; ++i) {
        ReflectionTable.Delay[i] = float(i);
        ReflectionTable.Distance[i] = 100.0f * float(i);
        ReflectionTable.Level[i] = -float(i);
        ReflectionTable.Percent[i] = 10.0f + float(i);
    }
    // The level reflectogram's mask slot judges its points; the verdicts of the echo table are the
    // first entries of that slot's array.
    const int32_t slot = prbs.Rows[levels].MaskSlot;
    ASSERT_GE(slot, 0);
    InstallMask(slot, MaskUpperSide, {{0, 0}, {1000, 0}});
    for (int32_t i = 0; i < TableEchoCount; ++i)
        PointVerdicts[slot][i] = i == 2 ? 0 : i == 5 ? 255 : 1;
    prbs.Rows[levels].Settings.ApplyUpper = 1;
    prbs.Rows[percents].Settings.ApplyUpper = 0;
    prbs.Rows[percents].Settings.ApplyLower = 0;

    ASSERT_TRUE(SaveKindProtocol(4));
    const std::vector<CurveRecord> records = ReadCurves(LocalProtocolSnapshot.Curves);
    ASSERT_EQ(records.size(), 2u);
    const std::vector<float> delays(ReflectionTable.Delay, ReflectionTable.Delay + TableEchoCount);
    const std::vector<float> distances(ReflectionTable.Distance, ReflectionTable.Distance + TableEchoCount);
    EXPECT_EQ(records[0].GraphKind, 3);
    EXPECT_EQ(records[0].Arrays, (std::vector<std::vector<float>>{delays, distances, {0, -1, -2, -3, -4, -5, -6, -7}}));
    EXPECT_EQ(records[0].Verdicts, (std::vector<uint8_t>{1, 1, 0, 1, 1, 255, 1, 1}));
    EXPECT_EQ(records[1].GraphKind, 4);
    EXPECT_EQ(records[1].Arrays[2], (std::vector<float>{10, 11, 12, 13, 14, 15, 16, 17}));
    EXPECT_FALSE(records[1].HasVerdicts);
    // 2 + 4 + 4 + 3 x 32 + 1 + 8 bytes, then 2 + 4 + 4 + 3 x 32 + 1.
    EXPECT_EQ(LocalProtocolSnapshot.Curves.size(), 115u + 107u);
}

TEST_F(ProtocolSnapshotTest, OscillogramAndLongSpectrumFileNoPointsButTheirPictures) {
    const ParameterTable sin = ParameterTableOf(1);
    const int32_t oscillogram = RowOfGraphKind(sin, 0);
    const int32_t spectrum = RowOfGraphKind(sin, 1);
    ASSERT_GE(oscillogram, 0);
    ASSERT_GE(spectrum, 0);
    ProtocolRowsOnly(sin, {oscillogram, spectrum});
    EngineBuffers.DisplayPointCount = 5;
    for (int32_t i = 0; i < 5; ++i) {
        EngineBuffers.FrequencyAxis[i] = float(i);
        EngineBuffers.PowerSpectrum[i] = -10.0f * float(i);
    }
    std::vector<int32_t> asked;
    ProtocolSnapshotServices().GraphPicture = [&](int32_t kind) {
        asked.push_back(kind);
        auto picture = std::make_unique<TSnapshotPicture>();
        picture->Width = kind + 1;
        return picture;
    };
    // Records follow the rows of the table.
    const int16_t first = int16_t(std::min(oscillogram, spectrum) == spectrum ? 1 : 0);
    const auto byKind = [&](const std::vector<CurveRecord> &records, int16_t kind) {
        EXPECT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].GraphKind, first);
        for (const CurveRecord &r : records)
            if (r.GraphKind == kind)
                return r;
        return CurveRecord{};
    };
    SpectrumTableMinStep = 8;
    Settings.SpectrumStepIndex = 4;
    ASSERT_TRUE(SaveKindProtocol(1));
    std::vector<CurveRecord> records = ReadCurves(LocalProtocolSnapshot.Curves);
    EXPECT_EQ(byKind(records, 0).Count, 0);
    EXPECT_EQ(byKind(records, 1).Count, 0);
    EXPECT_EQ(LocalProtocolSnapshot.Curves.size(), 12u);
    EXPECT_EQ(asked, (std::vector<int32_t>{first, 1 - first}));
    ASSERT_TRUE(LocalProtocolSnapshot.Pictures[0] && LocalProtocolSnapshot.Pictures[1]);
    EXPECT_EQ(LocalProtocolSnapshot.Pictures[1]->Width, 2);

    // A short enough step files the spectrum from its second display point; a closed window gives no
    // picture, and the picture of the snapshot before does not stay.
    Settings.SpectrumStepIndex = 8;
    ProtocolSnapshotServices().GraphPicture = [](int32_t) { return std::unique_ptr<TSnapshotPicture>(); };
    ASSERT_TRUE(SaveKindProtocol(1));
    records = ReadCurves(LocalProtocolSnapshot.Curves);
    const CurveRecord spectrumRecord = byKind(records, 1);
    ASSERT_EQ(spectrumRecord.Count, 4);
    EXPECT_EQ(spectrumRecord.Arrays, (std::vector<std::vector<float>>{{1, 2, 3, 4}, {-10, -20, -30, -40}}));
    EXPECT_FALSE(spectrumRecord.HasVerdicts);
    EXPECT_FALSE(LocalProtocolSnapshot.Pictures[0]);
    EXPECT_FALSE(LocalProtocolSnapshot.Pictures[1]);
}

TEST_F(ProtocolSnapshotTest, KeepLeavesTheSnapshotWhileAClearingResetEmptiesIt) {
    ProtocolSnapshotServices().GraphPicture = [](int32_t) { return std::make_unique<TSnapshotPicture>(); };
    const ParameterTable sin = ParameterTableOf(1);
    ProtocolRowsOnly(sin, {RowOfGraphKind(sin, 0)});
    ASSERT_TRUE(SaveKindProtocol(1));
    LocalProtocolSnapshot.MasterDone = 1;
    const std::vector<uint8_t> results = LocalProtocolSnapshot.Results;
    const std::vector<uint8_t> curves = LocalProtocolSnapshot.Curves;

    ResetProtocolSnapshot(LocalProtocolSnapshot, 1);
    EXPECT_EQ(LocalProtocolSnapshot.HasData, 1);
    EXPECT_EQ(LocalProtocolSnapshot.Results, results);
    EXPECT_EQ(LocalProtocolSnapshot.Curves, curves);
    EXPECT_TRUE(LocalProtocolSnapshot.Pictures[0]);
    EXPECT_EQ(LocalProtocolSnapshot.MasterDone, 1);

    // Keeping what was never taken leaves the snapshot empty rather than marking it as taken.
    ResetProtocolSnapshot(RemoteProtocolSnapshot, 1);
    EXPECT_EQ(RemoteProtocolSnapshot.HasData, 0);

    ResetProtocolSnapshot(LocalProtocolSnapshot, 0);
    EXPECT_EQ(LocalProtocolSnapshot.HasData, 0);
    EXPECT_TRUE(LocalProtocolSnapshot.Results.empty());
    EXPECT_TRUE(LocalProtocolSnapshot.Curves.empty());
    EXPECT_FALSE(LocalProtocolSnapshot.Pictures[0]);
    EXPECT_EQ(LocalProtocolSnapshot.MasterDone, 0);
}

TEST_F(ProtocolSnapshotTest, IntervalFollowsAveragingOrTheScenarioRow) {
    struct Case {
        const char *name;
        std::optional<TScenarioTiming> scenario;
        uint8_t eventCounting;
        int32_t signalKind;
        int32_t expected;
    };
    // Averaging 10 s, SIN timer norm 20 s, MTTS timer norm 7.9 s, an overhead of 3 s a configuration.
    const Case cases[] = {
        {"no scenario", std::nullopt, 1, 1, 10},
        {"frequency master row", TScenarioTiming{1, 3}, 1, 1, 5},
        {"level master row", TScenarioTiming{2, 3}, 0, 1, 5},
        {"plain row without counting", TScenarioTiming{-1, 3}, 0, 1, 10},
        {"plain row counting, SIN timer longer", TScenarioTiming{-1, 3}, 1, 1, 21},
        {"random-event row, MTTS timer shorter", TScenarioTiming{0, 3}, 1, 3, 11},
        {"random-event row, a kind without timer", TScenarioTiming{0, 3}, 1, 4, 11},
    };
    Settings.AveragingInterval = 10;
    *EventNormPointers.Norm[EventSinTimer] = 20;
    *EventNormPointers.Norm[EventMttsTimer] = 7.9f;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ProtocolSnapshotServices().ScenarioTiming = [&c] { return c.scenario; };
        Settings.EventCounting = c.eventCounting;
        SignalKind = c.signalKind;
        ResetProtocolSnapshot(LocalProtocolSnapshot, 0);
        EXPECT_EQ(LocalProtocolSnapshot.IntervalSeconds, c.expected);
    }
}

TEST_F(ProtocolSnapshotTest, NextSnapshotIsDueOneIntervalAfterTheTickThatTookIt) {
    VirtualClock clock(1000);
    Settings.AveragingInterval = 5;
    ResetProtocolSnapshot(LocalProtocolSnapshot, 0);
    ResultDispatcher(1);
    EXPECT_TRUE(Entries.empty());
    clock.Advance(4999);
    ResultDispatcher(1);
    EXPECT_TRUE(Entries.empty());
    // A gap of frames: the tick runs 3 s late and the series moves with it.
    clock.Advance(3001);
    ResultDispatcher(1);
    EXPECT_EQ(Entries, std::vector<std::size_t>{413});
    clock.Advance(4999);
    ResultDispatcher(1);
    EXPECT_EQ(Entries.size(), 1u);
    clock.Advance(1);
    ResultDispatcher(1);
    EXPECT_EQ(Entries.size(), 2u);
}

TEST_F(ProtocolSnapshotTest, ShortIntervalsAndASettlingKindFileNothing) {
    VirtualClock clock(1000);
    Settings.AveragingInterval = 4;
    ResetProtocolSnapshot(LocalProtocolSnapshot, 0);
    clock.Advance(60000);
    ResultDispatcher(1);
    EXPECT_FALSE(LocalProtocolSnapshot.HasData);

    Settings.AveragingInterval = 5;
    ResetProtocolSnapshot(LocalProtocolSnapshot, 0);
    clock.Advance(5000);
    SignalKind = 0;
    ResultDispatcher(1);
    AutoProtocolTick();
    EXPECT_FALSE(LocalProtocolSnapshot.HasData);
    EXPECT_TRUE(Entries.empty());
}

// The tick count wraps: as a signed 32-bit number after 24.8 days, as an unsigned one after 49.7. Neither
// may make a snapshot due before its interval has passed, nor keep it from coming when it has.
TEST_F(ProtocolSnapshotTest, TheTickCountWrapNeitherHastensNorStallsTheSnapshots) {
    for (uint32_t start : {0x7FFFF000u, 0xFFFFF000u}) {
        SCOPED_TRACE(start);
        VirtualClock clock(start);
        Entries.clear();
        Settings.AveragingInterval = 10;
        ResetProtocolSnapshot(LocalProtocolSnapshot, 0);
        for (int second = 1; second <= 30; ++second) {
            clock.Advance(1000);
            ResultDispatcher(1);
            EXPECT_EQ(Entries.size(), std::size_t(second / 10)) << second;
        }
    }
}

} // namespace
