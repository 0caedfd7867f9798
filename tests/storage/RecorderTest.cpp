#include "RecordingFixture.h"

#include "engine/ResultSlots.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/evaluation/DispatchTargets.h"
#include "engine/evaluation/ResultDispatcher.h"
#include "link/connection/ConnectionServices.h"
#include "platform/NoValue.h"
#include "storage/SettingsSnapshot.h"
#include "storage/recording/AstRecord.h"
#include "storage/recording/RecordingWindows.h"

#include <QBuffer>
#include <QFile>

#include <array>

namespace {

template <typename T> void Put(QByteArray &out, T value) {
    out.append(reinterpret_cast<const char *>(&value), sizeof value);
}

template <typename T> T At(const QByteArray &bytes, qsizetype offset) {
    T value;
    std::memcpy(&value, bytes.constData() + offset, sizeof value);
    return value;
}

// The result rows a test gives values to: the slots point at these floats while it runs.
class RecorderTest : public RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            saved[i] = ParamResultSlots[slotsUsed[i]];
            ParamResultSlots[slotsUsed[i]] = &rows[i];
            rows[i] = 100.0f + float(i);
        }
    }
    void TearDown() override {
        for (std::size_t i = 0; i < rows.size(); ++i)
            ParamResultSlots[slotsUsed[i]] = saved[i];
        RecordingTest::TearDown();
    }

    int32_t SnapshotSize() const {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        return WriteSettingsSnapshot(buffer, *DeviceSettings);
    }

    static constexpr std::array<int32_t, 9> slotsUsed = {12, 13, 14, 15, 16, 17, 18, SlotSyncDuration, SlotSyncEvents};
    std::array<float, 9> rows{};
    std::array<float *, 9> saved{};
};

// The first step of a recording writes the ".set" header and every stream but ".snc", whatever changed,
// and one index record pointing at them; every record has the layout that playback reads.
TEST_F(RecorderTest, TheFirstStepWritesEveryStreamButSyncInItsLayout) {
    for (int i = 0; i < EepromImageLength; ++i)
        EepromImage[i] = uint8_t(i * 13);
    InstrumentIdent.SerialNumber = 4321;
    MeterFrameStore = {1, 11, -22, 33, 44};
    SstResultItem = {1.5, -2.5, 0x12345678u, 1};
    RecordingServices().LevelMasterStepLevel = [] { return -12.5f; };
    RecordingServices().LastRemoteResultsBlock = [] { return QByteArray(41, '\x07'); };
    RecordingOn = true;
    RecordChangeMask = 0x01 | 0x10;
    BlockStep(45000.25, 3);

    const QByteArray set = File(".set");
    const QByteArray version = RecordingVersionField();
    EXPECT_EQ(set.left(20), QByteArray("V6.11").append(15, '\0'));
    EXPECT_EQ(version, set.left(20));
    EXPECT_EQ(set.mid(20, 2048), QByteArray(reinterpret_cast<const char *>(EepromImage), 2048));
    const int32_t snapshot = SnapshotSize();
    ASSERT_EQ(set.size(), 2068 + snapshot + 76 + 1 + 4) << "no MTTS adjustment outside types 3 and 8";
    const qsizetype tail = 2068 + snapshot;
    EXPECT_EQ(At<int16_t>(set, tail + 40), 4321) << "the identification follows the snapshot";
    EXPECT_EQ(uint8_t(set[tail + 76]), 0x10) << "the settings-changed byte";
    EXPECT_EQ(At<float>(set, tail + 77), -12.5f);

    QByteArray adc(reinterpret_cast<const char *>(EngineBuffers.AdcSampleBuffer), 2048 * 2);
    EXPECT_EQ(File(".adc"), adc);
    QByteArray rnd;
    Put<int16_t>(rnd, 1);
    Put<int32_t>(rnd, 11);
    Put<int32_t>(rnd, -22);
    Put<int32_t>(rnd, 33);
    Put<int16_t>(rnd, 44);
    for (int i = 0; i < 7; ++i)
        Put<float>(rnd, 100.0f + float(i));
    EXPECT_EQ(File(".rnd"), rnd) << "a SIN frame with its seven event values: 44 bytes";
    QByteArray sst;
    Put<double>(sst, 1.5);
    Put<double>(sst, -2.5);
    Put<uint32_t>(sst, 0x12345678u);
    Put<int32_t>(sst, 1);
    EXPECT_EQ(File(".sst"), sst);
    QByteArray rem;
    Put<int32_t>(rem, 41);
    rem.append(41, '\x07');
    EXPECT_EQ(File(".rem"), rem);
    EXPECT_EQ(File(".ast"), QByteArray(40, '\0')) << "an empty selective state: six values, N = 0, four flags";
    EXPECT_TRUE(File(".snc").isEmpty());

    const std::vector<IndexRecord> index = IndexRecords();
    ASSERT_EQ(File(".idx").size(), 36);
    EXPECT_EQ(index[0].Time, 45000.25);
    const int32_t expected[] = {0, 0, 2068, 0, 0, 0, 0};
    for (int i = 0; i < RecordStreamCount; ++i)
        EXPECT_EQ(index[0].Offsets[i], expected[i]) << "stream " << i;
    EXPECT_EQ(RecordChangeMask, 0);
}

// Streams not written in a step keep pointing at their last record; a step with nothing raised writes
// nothing; a SYNC result is written when raised.
TEST_F(RecorderTest, AnIndexRecordRepeatsTheOffsetsOfUnchangedStreams) {
    RecordingOn = true;
    BlockStep(1.0, 1);
    const int32_t setSize = int32_t(File(".set").size()) - 2068;
    BlockStep(2.0, 2);
    RecordTick();
    NowStamp = 3.0;
    RecordChangeMask |= 0x80 | 0x01;
    RecordTick();
    const std::vector<IndexRecord> index = IndexRecords();
    ASSERT_EQ(index.size(), 3u) << "the step with nothing raised wrote no index record";
    EXPECT_EQ(index[1].Time, 2.0);
    EXPECT_EQ(index[1].Offsets[StreamAdc], 4096);
    EXPECT_EQ(index[1].Offsets[StreamSet], 2068);
    EXPECT_EQ(index[2].Offsets[StreamAdc], 4096);
    EXPECT_EQ(index[2].Offsets[StreamSet], 2068 + setSize);
    EXPECT_EQ(index[2].Offsets[StreamSnc], 0);
    for (int stream : {StreamRnd, StreamRem, StreamSst, StreamAst})
        EXPECT_EQ(index[2].Offsets[stream], 0);
    QByteArray snc;
    Put<float>(snc, rows[7]);
    Put<float>(snc, rows[8]);
    EXPECT_EQ(File(".snc"), snc);
}

// After a change of block size a step that writes no samples still points at the last block written,
// not at a position computed from the new size.
TEST_F(RecorderTest, TheSampleOffsetFollowsTheFileAcrossABlockSizeChange) {
    RecordingOn = true;
    BlockStep(1.0, 1);
    DeviceSettings->AdcSize = 4096;
    BlockStep(2.0, 2);
    RecordChangeMask |= 0x01;
    RecordTick();
    const std::vector<IndexRecord> index = IndexRecords();
    ASSERT_EQ(index.size(), 3u);
    EXPECT_EQ(index[1].Offsets[StreamAdc], 4096);
    EXPECT_EQ(index[2].Offsets[StreamAdc], 4096);
    EXPECT_EQ(File(".adc").size(), 4096 + 8192);
}

// The MTTS level adjustment rides on settings records of connection types 3 and 8 while the MTTS runs.
TEST_F(RecorderTest, SettingsRecordsOfImpedanceTypesCarryTheMttsAdjustment) {
    DeviceSettings->ConnectionType = 3;
    DeviceSettings->Mtts.State = 2;
    QByteArray state(MttsAdjustStateSize, '\x5a');
    RecordingServices().MttsAdjustState = [state] { return state; };
    RecordingOn = true;
    BlockStep(1.0, 1);
    const QByteArray set = File(".set");
    EXPECT_EQ(set.right(MttsAdjustStateSize), state);
    EXPECT_EQ(set.size(), 2068 + SnapshotSize() + 81 + MttsAdjustStateSize);
}

// Change bits raised while recording is off are not kept for a later recording, and nothing is created.
TEST_F(RecorderTest, NothingIsWrittenWhileRecordingIsOff) {
    BlockStep(1.0, 1);
    EXPECT_FALSE(RecordFilesOpen());
    EXPECT_FALSE(QFile::exists(dir.path(QStringLiteral("Data/R9_WriteData1.idx"))));
    EXPECT_EQ(RecordChangeMask, 0);
    Stopping = true;
    RecordingOn = true;
    BlockStep(2.0, 1);
    EXPECT_FALSE(RecordFilesOpen()) << "a measurement being ended records nothing";
}

// A file that cannot be created ends the recording with the message instead of writing into nothing.
TEST_F(RecorderTest, AFileThatCannotBeCreatedStopsTheRecording) {
    ASSERT_TRUE(QDir(dir.path(QStringLiteral("Data"))).mkpath(QStringLiteral("R9_WriteData1.rem")));
    RecordingOn = true;
    BlockStep(1.0, 1);
    EXPECT_FALSE(RecordFilesOpen());
    EXPECT_FALSE(RecordingOn);
    EXPECT_EQ(toggles, 1) << "the switch was turned off, so its button follows";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Не могу открыть файл"))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("R9_WriteData1.rem")));
}

// A step that would take a file past what 32-bit offsets address stops the recording; the index keeps
// the complete steps before it.
TEST_F(RecorderTest, TheRecordingStopsBeforeAFilePassesTwoGigabytes) {
    RecordingOn = true;
    BlockStep(1.0, 1);
    {
        QFile adc(dir.path(QStringLiteral("Data/R9_WriteData1.adc")));
        ASSERT_TRUE(adc.open(QIODevice::ReadWrite));
        ASSERT_TRUE(adc.resize(MaxStreamFileSize - 100)); // sparse: takes no disk
    }
    BlockStep(2.0, 2);
    EXPECT_FALSE(RecordingOn);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("2 ГБ")));
    EXPECT_EQ(IndexRecords().size(), 1u);
    EXPECT_EQ(QFileInfo(dir.path(QStringLiteral("Data/R9_WriteData1.adc"))).size(), MaxStreamFileSize - 100);
    RecordingOn = true;
    BlockStep(3.0, 3);
    EXPECT_FALSE(RecordingOn) << "a failed recording takes nothing more";
    EXPECT_EQ(IndexRecords().size(), 1u);
}

// Switching recording off and on continues the same files; the first step after it writes a settings
// record and the raised streams only.
TEST_F(RecorderTest, SwitchingOnAgainContinuesTheSameRecording) {
    RecordingOn = true;
    BlockStep(1.0, 1);
    RecordingServices().ToggleRecording();
    BlockStep(2.0, 2);
    RecordingServices().ToggleRecording();
    BlockStep(3.0, 3);
    const std::vector<IndexRecord> index = IndexRecords();
    ASSERT_EQ(index.size(), 2u);
    EXPECT_EQ(index[1].Time, 3.0);
    EXPECT_EQ(index[1].Offsets[StreamAdc], 4096);
    EXPECT_GT(index[1].Offsets[StreamSet], 2068);
    EXPECT_EQ(index[1].Offsets[StreamRnd], 0);
}

struct WindowCase {
    const char *name;
    double time;
    std::optional<bool> want;
};

// One enabled window from 10.0 to 10.5 and a disabled one over everything: on between start and end,
// both included.
TEST(RecordingWindows, RecordingIsOnBetweenStartAndEndInclusive) {
    TProgramSettings settings{};
    settings.RecordingWindows[3].Enabled = 1;
    settings.RecordingWindows[3].Start = 10.0;
    settings.RecordingWindows[3].End = 10.5;
    settings.RecordingWindows[5].Enabled = 0;
    settings.RecordingWindows[5].Start = 0;
    settings.RecordingWindows[5].End = 100;
    const WindowCase cases[] = {
        {"before", 9.999, false}, {"at the start", 10.0, true}, {"inside", 10.2, true},
        {"at the end", 10.5, true}, {"after", 10.5001, false},
    };
    for (const WindowCase &c : cases)
        EXPECT_EQ(RecordingWindowsWant(settings, c.time), c.want) << c.name;
    settings.RecordingWindows[3].Enabled = 0;
    EXPECT_EQ(RecordingWindowsWant(settings, 10.2), std::nullopt) << "no enabled window: the switch decides";
}

// Inside a window every step switches recording on through the switch and so writes a settings record;
// outside it recording goes off and the user's switch is overruled.
TEST_F(RecorderTest, EveryStepInsideAWindowWritesASettingsRecord) {
    ProgramSettings.RecordingWindows[0].Enabled = 1;
    ProgramSettings.RecordingWindows[0].Start = 2.0;
    ProgramSettings.RecordingWindows[0].End = 3.0;
    RecordingOn = true;
    BlockStep(1.0, 1);
    EXPECT_FALSE(RecordingOn);
    EXPECT_FALSE(RecordFilesOpen());
    BlockStep(2.0, 2);
    BlockStep(2.5, 3);
    BlockStep(3.0, 4);
    BlockStep(3.5, 5);
    EXPECT_FALSE(RecordingOn);
    const std::vector<IndexRecord> index = IndexRecords();
    ASSERT_EQ(index.size(), 3u);
    EXPECT_LT(index[0].Offsets[StreamSet], index[1].Offsets[StreamSet]);
    EXPECT_LT(index[1].Offsets[StreamSet], index[2].Offsets[StreamSet]);
    EXPECT_EQ(index[2].Time, 3.0);
}

// The selective work state in the layout of each program version: fewer arrays and flags before V6.05
// and V6.03, bin arrays at the bin count from V6.10 on and at the point count before.
TEST(AstRecord, TheLayoutFollowsTheRecordingsVersion) {
    TAstRecord record;
    for (int i = 0; i < 6; ++i)
        record.CalibrationValid[i] = i + 1;
    record.WorkValues[1] = 77;
    record.PointArrayA = {1, 2};
    record.PointArrayB = {3, 4};
    record.BinArray1 = {5, 6, 7};
    record.BinArray2 = {8, 9, 10};
    record.BinArray3 = {11, 12, 13};
    record.PointArrays.assign(12, {0.5f, 0.25f});
    const QByteArray bytes = EncodeAstRecord(record);
    ASSERT_EQ(bytes.size(), 24 + 16 + 12 + 12 + 24 + 12 * 8 + 16);
    TAstRecord read;
    ASSERT_TRUE(DecodeAstRecord(bytes.constData(), bytes.size(), "V6.11", 3, read));
    EXPECT_EQ(read.BinArray3, record.BinArray3);
    EXPECT_EQ(read.PointArrays, record.PointArrays);
    EXPECT_EQ(read.CalibrationValid[5], 6);
    EXPECT_EQ(read.WorkValues[1], 77);

    // An older recording: V6.03 has three point arrays and flags 3 and 4; its bin arrays have N entries.
    QByteArray old;
    for (int32_t v : {1, 2, 0, 0, 0, 2})
        Put(old, v);
    for (int i = 0; i < 4 * 2; ++i) // A, B and two bin arrays of N floats
        Put(old, float(i));
    for (int i = 0; i < 2; ++i)
        Put(old, double(i));
    for (int i = 0; i < 3 * 2; ++i)
        Put(old, float(i));
    Put<int32_t>(old, 3);
    Put<int32_t>(old, 4);
    ASSERT_TRUE(DecodeAstRecord(old.constData(), old.size(), "V6.03", 99, read));
    EXPECT_EQ(read.PointArrays.size(), 3u);
    EXPECT_EQ(read.BinArray3.size(), 2u);
    EXPECT_EQ(read.CalibrationValid[3], 4);
    EXPECT_FALSE(DecodeAstRecord(old.constData(), old.size(), "V6.05", 99, read)) << "V6.05 needs more bytes";
    EXPECT_TRUE(DecodeAstRecord(old.constData(), old.size() - 8, "V6.02", 99, read)) << "V6.02: no flags 3..6";
    EXPECT_EQ(read.PointArrays.size(), 0u);
    // A count larger than the bytes left is refused, not read.
    QByteArray huge = old.left(20);
    Put<int32_t>(huge, 0x7fffffff);
    EXPECT_FALSE(DecodeAstRecord(huge.constData(), huge.size(), "V6.11", 3, read));
}

} // namespace

namespace {

// Once the recorder is registered, a settling block that the evaluation dispatches during a recording
// raises the sample stream's bit beside those already raised, and the next step of the registered tick
// writes that block to ".adc" with an index record pointing at it; without a recording nothing is raised.
TEST_F(RecorderTest, TheDispatchsChangeBitsReachTheMask) {
    RegisterRecorder();
    const int32_t kind = SignalKind;
    SignalKind = 0;
    RecordChangeMask = 0;
    RecordingOn = false;
    ResultDispatcher(1);
    EXPECT_EQ(RecordChangeMask, 0);

    RecordingOn = true;
    BlockStep(1.0, 1);
    NowStamp = 2.0;
    FillBlock(2);
    RecordChangeMask = 0x01;
    ResultDispatcher(1);
    EXPECT_EQ(RecordChangeMask, 0x01 | 0x02);
    ConnectionServices().RecordTick();
    const std::vector<IndexRecord> index = IndexRecords();
    ASSERT_EQ(index.size(), 2u);
    EXPECT_EQ(index[1].Time, 2.0);
    EXPECT_EQ(index[1].Offsets[StreamAdc], 4096);
    EXPECT_EQ(File(".adc").size(), 2 * 4096);
    SignalKind = kind;
    DispatchTargets().RecordChange = {};
    ConnectionServices().RecordTick = {};
}

} // namespace
