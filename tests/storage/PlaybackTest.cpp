#include "RecordingFixture.h"

#include "engine/SstResultItem.h"
#include "engine/catalogue/ParameterTable.h"
#include "storage/playback/Tr9_playdata.h"

#include <QFile>

#include <limits>
#include <vector>

namespace {

constexpr double Second = 1.0 / 86400;
constexpr double Start = 46000.5;

// A recording of demo-like steps in the Data folder, and the blocks it holds in the order recorded.
class PlaybackTest : public RecordingTest {
protected:
    QString Base() const { return dir.path(QStringLiteral("Data/R9_WriteData1")); }

    // `count` block steps one second apart; the blocks are kept in `blocks`.
    void Record(int count) {
        RecordingOn = true;
        for (int i = 0; i < count; ++i) {
            BlockStep(Start + i * Second, int16_t(i + 1));
            blocks.emplace_back(EngineBuffers.AdcSampleBuffer, EngineBuffers.AdcSampleBuffer + 2048);
        }
    }

    std::vector<int16_t> Samples() const {
        return {EngineBuffers.AdcSampleBuffer, EngineBuffers.AdcSampleBuffer + DeviceSettings->AdcSize};
    }

    // Ends the recording and opens it for playback.
    std::unique_ptr<TR9_PlayData> Play() {
        CloseRecordFiles();
        PlaybackOn = true;
        std::unique_ptr<TR9_PlayData> play = TR9_PlayData::Open(Base());
        EXPECT_NE(play, nullptr);
        return play;
    }

    void AppendToIndex(const QByteArray &bytes) {
        CloseRecordFiles();
        QFile index(Base() + QStringLiteral(".idx"));
        ASSERT_TRUE(index.open(QIODevice::Append));
        index.write(bytes);
    }

    std::vector<std::vector<int16_t>> blocks;
};

// Every index record brings back its time and its block, in the recorded order; a record whose block
// did not change reads nothing; after the last record the next step starts again from the first.
TEST_F(PlaybackTest, TheRecordedBlocksComeBackInOrderWithTheirTimes) {
    Record(3);
    // A fourth step with a settings record only: its index record repeats the third block's offset.
    RecordingOn = true;
    NowStamp = Start + 3 * Second;
    RecordChangeMask |= 0x01;
    RecordTick();
    FillBlock(999);

    std::unique_ptr<TR9_PlayData> play = Play();
    ASSERT_TRUE(play);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(play->Step());
        EXPECT_DOUBLE_EQ(NowStamp, Start + i * Second) << "record " << i;
        EXPECT_EQ(Samples(), blocks[std::size_t(i)]) << "record " << i;
        EXPECT_EQ(play->Position(), 36 * (i + 1));
    }
    FillBlock(555);
    const std::vector<int16_t> scribbled = Samples();
    ASSERT_TRUE(play->Step());
    EXPECT_DOUBLE_EQ(NowStamp, Start + 3 * Second);
    EXPECT_EQ(Samples(), scribbled) << "an unchanged block is not read again";

    ASSERT_TRUE(play->Step());
    EXPECT_EQ(play->Position(), 36) << "the recording loops";
    EXPECT_DOUBLE_EQ(NowStamp, Start);
    EXPECT_EQ(Samples(), blocks[0]);
    EXPECT_TRUE(messages.empty());
}

// "Стоп через 10 с" pauses at the first record at least 9.5 s after the clock started; the clock starts
// again when asked; "Непрерывно" never pauses.
TEST_F(PlaybackTest, StopAfterTenSecondsPausesAtTheFirstRecordPastNineAndAHalf) {
    Record(25);
    ProgramSettings.PlaybackPauseIndex = 1;
    std::unique_ptr<TR9_PlayData> play = Play();
    ASSERT_TRUE(play);
    int steps = 0;
    do {
        ASSERT_TRUE(play->Step());
        ++steps;
    } while (!play->Paused && steps < 30);
    EXPECT_EQ(steps, 11) << "records at 0..10 s: the pause comes with the one at 10 s";
    play->RestartClock = true;
    ASSERT_TRUE(play->Step());
    EXPECT_FALSE(play->Paused);

    ProgramSettings.PlaybackPauseIndex = 0;
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(play->Step());
        ASSERT_FALSE(play->Paused) << "step " << i;
    }
}

// An offset past the end of its file ends playback with a clear message; a partial record at the end of
// the index is where the recording ends.
TEST_F(PlaybackTest, ADamagedIndexEndsPlaybackClearly) {
    Record(2);
    AppendToIndex(QByteArray(20, '\x01'));
    std::unique_ptr<TR9_PlayData> play = Play();
    ASSERT_TRUE(play);
    ASSERT_TRUE(play->Step());
    ASSERT_TRUE(play->Step());
    ASSERT_TRUE(play->Step());
    EXPECT_EQ(play->Position(), 36) << "the partial record is skipped: back to the first";
    EXPECT_TRUE(messages.empty());
    play.reset();

    IndexRecord bad{};
    bad.Time = Start + 5 * Second;
    bad.Offsets[StreamSet] = 2068;
    bad.Offsets[StreamAdc] = 1 << 30;
    CloseRecordFiles();
    QFile index(Base() + QStringLiteral(".idx"));
    ASSERT_TRUE(index.open(QIODevice::ReadWrite));
    ASSERT_TRUE(index.resize(36));
    index.seek(36);
    index.write(reinterpret_cast<const char *>(&bad), sizeof bad);
    index.close();
    play = Play();
    ASSERT_TRUE(play->Step());
    EXPECT_FALSE(play->Step());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("повреждён"))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral(".adc")));
    EXPECT_TRUE(play->Step()) << "the next step starts again from the first record";
    EXPECT_DOUBLE_EQ(NowStamp, Start);
}

// An index record whose time is no number or whose offset lies before the start of its file is damage
// too: playback stops with the message that names the index and the record, and starts again from the
// first record.
TEST_F(PlaybackTest, AnIndexRecordWithANegativeOffsetOrNoTimeIsDamage) {
    const struct {
        const char *what;
        double time;
        int32_t stream;
        int32_t offset;
    } cases[] = {
        {"a time that is no number", std::numeric_limits<double>::quiet_NaN(), StreamAdc, 0},
        {"an infinite time", std::numeric_limits<double>::infinity(), StreamAdc, 0},
        {"a negative block offset", Start + 5 * Second, StreamAdc, -4096},
        {"a negative offset of an optional stream", Start + 5 * Second, StreamSnc, -1},
    };
    Record(2);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        IndexRecord bad{};
        CloseRecordFiles();
        QFile index(Base() + QStringLiteral(".idx"));
        ASSERT_TRUE(index.open(QIODevice::ReadWrite));
        ASSERT_EQ(index.read(reinterpret_cast<char *>(&bad), sizeof bad), qint64(sizeof bad));
        bad.Time = c.time;
        bad.Offsets[c.stream] = c.offset;
        ASSERT_TRUE(index.seek(36));
        index.write(reinterpret_cast<const char *>(&bad), sizeof bad);
        index.close();
        messages.clear();
        std::unique_ptr<TR9_PlayData> play = Play();
        ASSERT_TRUE(play);
        ASSERT_TRUE(play->Step());
        EXPECT_FALSE(play->Step());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].contains(QStringLiteral("Файл результатов повреждён: ") + Base() +
                                         QStringLiteral(".idx, смещение 36")))
            << messages[0].toStdString();
        EXPECT_TRUE(play->Step()) << "the next step starts again from the first record";
        EXPECT_DOUBLE_EQ(NowStamp, Start);
        EXPECT_EQ(Samples(), blocks[0]);
    }
}

// Of the eight files, ".rem", ".sst", ".ast" and ".snc" may be missing; the other four may not.
TEST_F(PlaybackTest, OnlyFourFilesAreNeeded) {
    Record(2);
    CloseRecordFiles();
    for (const char *extension : {".rem", ".sst", ".ast", ".snc"})
        ASSERT_TRUE(QFile::remove(Base() + QLatin1String(extension)));
    std::unique_ptr<TR9_PlayData> play = Play();
    ASSERT_TRUE(play);
    ASSERT_TRUE(play->Step());
    EXPECT_EQ(Samples(), blocks[0]);
    play.reset();
    ASSERT_TRUE(QFile::remove(Base() + QStringLiteral(".adc")));
    EXPECT_EQ(TR9_PlayData::Open(Base()), nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("Не могу открыть файл")));
}

// The peer's results block comes back into the remote copy of its kind's table; a block of the selective
// or SYNC kind plays on, keeps the peer's last kind and copies no rows.
TEST_F(PlaybackTest, ThePeersResultsComeBackIntoTheirTable) {
    QByteArray block(29, '\0');
    block[8] = 1;
    ParamResult row{-33.5f, 1.5f, 2, {}};
    block.append(reinterpret_cast<const char *>(&row), sizeof row);
    RecordingServices().LastRemoteResultsBlock = [&block] { return block; };
    int shown = 0;
    PlaybackServices().ShowRemoteResults = [&shown] { ++shown; };
    Record(1);
    RemoteParamResultsSin[0] = {};
    std::unique_ptr<TR9_PlayData> play = Play();
    ASSERT_TRUE(play->Step());
    EXPECT_EQ(RemoteParamResultsSin[0].Value, -33.5f);
    EXPECT_EQ(RemoteParamResultsSin[0].Verdict, 2);
    EXPECT_EQ(RemoteSignalKind, 1);
    EXPECT_EQ(shown, 1);
    play.reset();

    for (const char kind : {6, 7}) {
        block[8] = kind;
        CloseRecordFiles();
        Record(2);
        RemoteParamResultsSin[0] = {};
        RemoteParamResultsMirvak[0] = {};
        shown = 0;
        play = Play();
        ASSERT_TRUE(play->Step()) << "kind " << int(kind);
        ASSERT_TRUE(play->Step()) << "kind " << int(kind);
        EXPECT_EQ(play->Position(), 72) << "playback went on past the block of kind " << int(kind);
        EXPECT_EQ(RemoteSignalKind, 1);
        EXPECT_EQ(RemoteParamResultsSin[0].Value, 0.0f) << "no rows copied";
        EXPECT_EQ(RemoteParamResultsMirvak[0].Value, 0.0f) << "no rows copied";
        EXPECT_EQ(shown, 1);
        EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
        play.reset();
    }
}

// With the SYNC run on, the steps before its first result point at the start of a still empty ".snc":
// nothing is read there, and that is no damage.
TEST_F(PlaybackTest, StepsBeforeTheFirstSyncResultPlay) {
    DeviceSettings->SyncGenState = 2;
    Record(3);
    std::unique_ptr<TR9_PlayData> play = Play();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(play->Step()) << "record " << i;
    EXPECT_EQ(play->Position(), 3 * 36);
    EXPECT_EQ(Samples(), blocks[2]);
    EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
}

// In a three-item sub-mode the selective items are handed over only as a complete group that its newest
// item closes.
TEST_F(PlaybackTest, SelectiveItemsAreHandedOverAsCompleteGroups) {
    DeviceSettings->Mirvak.RunState = 2;
    DeviceSettings->Mirvak.DeviceSubMode = 3;
    RecordingOn = true;
    const int closes[] = {0, 0, 1, 0, 1, 0, 1};
    for (int i = 0; i < 7; ++i) {
        SstResultItem = {double(i), 0, 100u + uint32_t(i), closes[i]};
        NowStamp = Start + i * Second;
        RecordChangeMask |= 0x20;
        RecordTick();
    }
    std::vector<uint32_t> handed;
    PlaybackServices().MoveCursorsToSstFrequency = [&handed] { handed.push_back(SstResultItem.FreqCode); };
    std::unique_ptr<TR9_PlayData> play = Play();
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(play->Step());
    EXPECT_EQ(handed, (std::vector<uint32_t>{102, 106})) << "groups 100..102 and 104..106; 103 was dropped";
}

} // namespace

namespace {

// The tail of a settings record: the recorded identification under this program's own version and
// build date, the level master's step level with the recorded time, and the MTTS level adjustment of
// connection type 3 with the MTTS on.
TEST_F(PlaybackTest, TheSettingsRecordsTailComesBack) {
    DeviceSettings->ConnectionType = 3;
    DeviceSettings->Mtts.State = 2;
    DeviceSettings->MasterL.State = 2;
    const TInstrumentIdent ownIdent = InstrumentIdent;
    InstrumentIdent.SerialNumber = 4321;
    const QByteArray state(MttsAdjustStateSize, '\x33');
    RecordingServices().MttsAdjustState = [state] { return state; };
    RecordingServices().LevelMasterStepLevel = [] { return -7.5f; };
    Record(2);
    RecordingServices() = {};
    InstrumentIdent.SerialNumber = 0;
    InstrumentIdent.ProgramVersion = 612;
    QByteArray restored;
    std::vector<std::pair<float, double>> steps;
    int levelRuns = 0;
    RecordingServices().RestoreMttsAdjustState = [&restored](const QByteArray &bytes) { restored = bytes; };
    RecordingServices().RestoreLevelMasterStep = [&steps](float level, double time) { steps.push_back({level, time}); };
    RecordingServices().ResetMasterLevRun = [&levelRuns] { ++levelRuns; };
    std::unique_ptr<TR9_PlayData> play = Play();
    ASSERT_TRUE(play->Step());
    ASSERT_TRUE(play->Step());
    EXPECT_EQ(InstrumentIdent.SerialNumber, 4321);
    EXPECT_EQ(InstrumentIdent.ProgramVersion, 612) << "the program keeps its own version word";
    EXPECT_EQ(restored, state);
    ASSERT_EQ(steps.size(), 1u) << "the settings record was read once";
    EXPECT_EQ(steps[0].first, -7.5f);
    EXPECT_DOUBLE_EQ(steps[0].second, Start);
    EXPECT_EQ(levelRuns, 1);
    InstrumentIdent = ownIdent;
}

} // namespace
