#include "SelectiveFixture.h"

#include "link/SelectiveRig.h"

#include "support/TempProgramDir.h"

#include "engine/RandomEventAnalysis.h"
#include "engine/ResultSlots.h"
#include "engine/SstResultItem.h"
#include "engine/evaluation/DispatchTargets.h"
#include "link/Library.h"
#include "link/connection/ConnectionServices.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/MessageService.h"
#include "platform/NoValue.h"
#include "selective/MirvakImpedance.h"
#include "selective/MirvakRecording.h"
#include "selective/MirvakRun.h"
#include "selective/SstResultProcessing.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"
#include "storage/RecordTick.h"
#include "storage/playback/PlaybackServices.h"
#include "storage/playback/Tr9_playdata.h"
#include "storage/recording/RecordStreams.h"
#include "storage/recording/RecordingServices.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

template <typename T> void Put(QByteArray &out, T value) {
    out.append(reinterpret_cast<const char *>(&value), sizeof value);
}
template <typename T> void PutAll(QByteArray &out, std::initializer_list<T> values) {
    for (T v : values)
        Put(out, v);
}

constexpr double Second = 1.0 / 86400;

// What playback must give back: the result holder and the work record as the live run left them.
struct TSelectiveState {
    std::vector<int32_t> Bins;
    std::vector<double> Re, Im;
    std::vector<uint32_t> Freq;
    int32_t LastSlot, WriteSlot, CurrentBin;
    std::vector<float> BinPower, BinLevel, BinWeighted, PointFreq, Afc, AfcCal;
    std::vector<double> BinTime;
    int32_t PointCount, HighestBin, AfcValid;
    float Frequency, Level, Noise;
    std::vector<float> R, ZMod, BinPhase;

    static TSelectiveState Now() {
        const TSST_Param2 &h = *SstParam;
        const TMirvakWorkArrays &w = MirvakWorkArrays;
        return {h.Bins,
                h.ReSlots,
                h.ImSlots,
                h.FreqSlots,
                h.LastSlot,
                h.WriteSlot,
                h.CurrentBin,
                w.BinPower,
                w.BinLevel,
                w.BinWeighted,
                w.PointFreq,
                w.Afc,
                w.AfcCal,
                w.BinTime,
                w.PointCount,
                w.HighestBin,
                MirvakCalAfcValid,
                ResultValue(SlotMirvakFrequency),
                ResultValue(SlotMirvakLevel),
                ResultValue(SlotMirvakNoise),
                w.R,
                w.ZMod,
                w.BinPhase};
    }
    bool operator==(const TSelectiveState &) const = default;
};

// A selective run recorded through the live chain (the item as the main window builds it, the engine's
// SST frame step, the recorder's tick) and played back from its files.
class MirvakRecordingTest : public SelectiveTest {
protected:
    void SetUp() override {
        SelectiveTest::SetUp();
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Data")));
        InstanceNumber = 1;
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages.push_back(request.text);
            return int(IdYes);
        });
        RecordingServices() = {};
        PlaybackServices() = {};
        RegisterRecorder();
        RegisterMirvakRecording();
        MirvakResultProcessing = ProcessMirvakResult;
        CloseRecordFiles();
        Stopping = false;
        RecordingOn = true;
        RecordChangeMask = 0;
        settings.Lmin = -150;
    }
    void TearDown() override {
        CloseRecordFiles();
        RecordingServices() = {};
        PlaybackServices() = {};
        ConnectionServices().RecordTick = {};
        DispatchTargets().RecordChange = {};
        MirvakResultProcessing = {};
        SetMessageBoxHandler({});
        RecordingOn = false;
        PlaybackOn = false;
        SelectiveTest::TearDown();
    }

    // An AFC sub-mode (0, or -1 its calibration) over a preset plan, its curve relative to its least
    // attenuated point.
    void AfcSettings(int subMode, std::initializer_list<float> plan) {
        settings.ConnectionType = 2;
        settings.AfcRef = 0;
        settings.Mirvak.SubMode = int8_t(subMode);
        settings.Mirvak.DeviceSubMode = 3;
        PresetList(plan);
    }

    // A run starts: the results reset (which raises the work state for the recorder).
    void StartRun() {
        SeedEngineRandom(3);
        ResetMirvakResults();
    }

    // One item as the main window hands it on: type 0 an item, 1 the end of a scan, 2 the end of a pass.
    void Item(double re, double im, double kHz, bool stamped, int type = 0) {
        ItemOfCode(re, im, kHz > 0 ? FreqCode(kHz) : 0u, stamped, type);
    }
    void ItemOfCode(double re, double im, uint32_t code, bool stamped, int type) {
        now += 0.01 * Second;
        NowStamp = now;
        SstResultItem = {re, im, code, stamped && settings.Mirvak.SubMode != 1 ? 1 : 0};
        if (type != 0) {
            SstResultItem.SstNotScan = 1;
            RecordChangeMask |= 0x40;
        }
        ProcessSstResult();
    }

    // Every bin of the scan once, a tone at 12 kHz over a low floor, then the end of the sweep.
    void Sweep(double toneAmplitude, int type) {
        const std::vector<int32_t> bins = SstParam->Bins;
        for (int32_t bin : bins) {
            const double f = bin * double(settings.Mirvak.B);
            Item(std::fabs(f - 12) < 0.01 ? toneAmplitude : 10, 3, f, true);
        }
        Item(0, 0, 0, true, type);
    }

    // An AFC pass over the three plan points: three items each, the last one stamped; amplitudes per point.
    void AfcPass(std::initializer_list<double> amplitudes) {
        double f = 10;
        for (double a : amplitudes) {
            for (int i = 0; i < 3; ++i)
                Item(a, -a / 2, f, i == 2);
            f += 10;
        }
        Item(0, 0, 0, true, 2);
    }

    // The recording ends, the live state is forgotten and the recording is played back to its last record.
    void PlayBack() {
        CloseRecordFiles();
        RecordingOn = false;
        ResetMirvakCalibration();
        DeleteSstParam();
        for (int32_t slot = 0; slot < MirvakResultSlotCount; ++slot)
            SetResult(ResultSlot(SlotMirvakFrequency + slot), NoValue);
        SeedEngineRandom(3);
        PlaybackOn = true;
        play = TR9_PlayData::Open(Base());
        ASSERT_NE(play, nullptr);
        const int64_t records = play->IndexSize() / int64_t(sizeof(IndexRecord));
        for (int64_t i = 0; i < records; ++i)
            ASSERT_TRUE(play->Step()) << "record " << i;
        ASSERT_NE(SstParam, nullptr);
    }

    QString Base() const { return dir.path(QStringLiteral("Data/R9_WriteData1")); }
    QString FileName(const char *extension) const { return Base() + QLatin1String(extension); }

    TempProgramDir dir;
    std::vector<QString> messages;
    std::unique_ptr<TR9_PlayData> play;
    double now = 46000.25;
};

// Recording is switched on after the first sweep of a scan: its first work state carries what that sweep
// left in the bins, on which the recorded second sweep averages.
TEST_F(MirvakRecordingTest, AScanRecordedFromItsSecondSweepComesBackAsTheLiveRunLeftIt) {
    settings.Mirvak.SubMode = 1;
    settings.Mirvak.B = 0.1f;
    settings.Mirvak.Fc1 = 10;
    settings.Mirvak.FcN = 14;
    settings.AveragingInterval = 2; // the bins' averaging depends on the recorded times
    RecordingOn = false;
    StartRun();
    Sweep(1e4, 1);
    RecordingOn = true;
    Sweep(3e4, 2);
    const TSelectiveState live = TSelectiveState::Now();
    ASSERT_GT(live.HighestBin, 40);
    ASSERT_NE(live.Frequency, NoValue);
    PlayBack();
    const TSelectiveState replayed = TSelectiveState::Now();
    EXPECT_EQ(replayed.Bins, live.Bins);
    EXPECT_EQ(replayed.Re, live.Re);
    EXPECT_EQ(replayed.CurrentBin, live.CurrentBin);
    EXPECT_EQ(replayed.BinPower, live.BinPower);
    EXPECT_EQ(replayed.BinTime, live.BinTime);
    EXPECT_EQ(replayed.BinLevel, live.BinLevel);
    EXPECT_EQ(replayed.HighestBin, live.HighestBin);
    EXPECT_EQ(replayed.Frequency, live.Frequency);
    EXPECT_EQ(replayed.Level, live.Level);
    EXPECT_EQ(replayed.Noise, live.Noise);
    EXPECT_EQ(replayed.BinWeighted, live.BinWeighted);
    EXPECT_EQ(replayed.PointFreq, live.PointFreq);
    EXPECT_EQ(replayed.LastSlot, live.LastSlot);
    EXPECT_EQ(replayed.WriteSlot, live.WriteSlot);
    EXPECT_EQ(replayed.Freq, live.Freq);
    EXPECT_EQ(replayed.Im, live.Im);
    EXPECT_TRUE(replayed == live);
    // At its end the recording plays again from the start and ends in the same state.
    const int64_t records = play->IndexSize() / int64_t(sizeof(IndexRecord));
    for (int64_t i = 0; i < records; ++i)
        ASSERT_TRUE(play->Step());
    EXPECT_TRUE(TSelectiveState::Now() == live);
    EXPECT_TRUE(messages.empty());
}

// The items of one pass of the simulated instrument's selective program over the plan, with the
// generator on (in a scan, the sine at 10 kHz).
std::vector<SstEvent> SimulatedPass(int subMode, const std::vector<double> &plan) {
    SelectiveRig rig;
    EXPECT_EQ(rig.status, 0);
    if (rig.status != 0)
        return {};
    if (subMode == 1) {
        rig.settings.Sin.F1 = 10;
        rig.settings.Sin.Level = -10;
        EXPECT_TRUE(G9_setSinSst());
    }
    MirvakBlock &m = rig.settings.Mirvak;
    m.RunActive = 1;
    m.B = 0.1f;
    m.SubMode = int8_t(subMode);
    m.SinOn = 1;
    m.SinLevel = -10;
    m.Options = 0;
    rig.SetPlan(plan);
    EXPECT_TRUE(R9_setSST());
    EXPECT_TRUE(rig.WaitForEnd(2));
    return rig.events;
}

// Passes of the simulated instrument in a scan, an AFC, a level monitoring and an impedance sub-mode,
// recorded and played back.
TEST_F(MirvakRecordingTest, SimulatedPassesComeBackAsTheLiveRunLeftThem) {
    struct Case {
        int subMode, deviceSubMode;
        std::vector<double> plan;
        int16_t connectionType;
    };
    const Case cases[] = {{1, 1, {9, 11}, 2}, {0, 3, {10, 20, 30}, 2}, {2, 5, {10, 20}, 2}, {3, 1, {10, 20, 30}, 3}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.subMode);
        const std::vector<SstEvent> items = SimulatedPass(c.subMode, c.plan);
        ASSERT_GT(items.size(), c.plan.size());
        DeviceSettings = &settings;
        settings.ConnectionType = c.connectionType;
        settings.Mirvak.SubMode = int8_t(c.subMode);
        settings.Mirvak.DeviceSubMode = int8_t(c.deviceSubMode);
        settings.Mirvak.B = 0.1f;
        settings.Mirvak.Fc1 = float(c.plan.front());
        settings.Mirvak.FcN = float(c.plan.back());
        std::vector<float> plan(c.plan.begin(), c.plan.end());
        for (std::size_t i = 0; i < plan.size(); ++i)
            settings.Mirvak.Set[i] = {plan[i], 1};
        settings.Mirvak.SetCount = int8_t(plan.size());
        settings.Mirvak.Flags = 0;
        RecordingOn = true;
        StartRun();
        for (const SstEvent &e : items)
            ItemOfCode(e.Re, e.Im, e.dP, e.T != 0, e.SstEnd);
        const TSelectiveState live = TSelectiveState::Now();
        ASSERT_NE(live.Frequency, NoValue);
        PlayBack();
        EXPECT_TRUE(TSelectiveState::Now() == live);
        EXPECT_EQ(MirvakWorkArrays.BinLevel, live.BinLevel);
        if (c.subMode == 3)
            EXPECT_NE(live.ZMod[0], NoValue) << "the impedance curve was measured";
        EXPECT_TRUE(messages.empty());
        play.reset();
        PlaybackOn = false;
        ResetMirvakCalibration();
    }
}

// An AFC calibration pass, then an AFC run on it: playback restarts the selective work when the sub-mode
// changes, and the calibration the live run used comes back with the work state.
TEST_F(MirvakRecordingTest, AnAfcRunOnItsCalibrationComesBackAsTheLiveRunLeftIt) {
    settings.Mirvak.AfcCalDb = 6;
    AfcSettings(-1, {10, 20, 30});
    StartRun();
    AfcPass({1000, 100, 10});
    ASSERT_EQ(MirvakCalAfcValid, 1);
    settings.Mirvak.SubMode = 0;
    RecordChangeMask |= 0x01; // the start of the run writes the changed settings
    StartRun();
    AfcPass({1000, 800, 10});
    AfcPass({900, 700, 20});
    const TSelectiveState live = TSelectiveState::Now();
    ASSERT_EQ(live.PointCount, 3);
    // Every item is one 24-byte record as the main window built it; the first one opened the recording.
    QByteArray first;
    Put(first, 1000.0);
    Put(first, -500.0);
    Put(first, FreqCode(10));
    Put<int32_t>(first, 0);
    const QByteArray sst = dir.read(QStringLiteral("Data/R9_WriteData1.sst"));
    EXPECT_EQ(sst.size(), 3 * 10 * 24);
    EXPECT_EQ(sst.left(24), first);
    ASSERT_NE(live.Afc[1], NoValue);
    PlayBack();
    const TSelectiveState replayed = TSelectiveState::Now();
    EXPECT_EQ(replayed.AfcValid, 1);
    EXPECT_EQ(replayed.AfcCal, live.AfcCal);
    EXPECT_EQ(replayed.Afc, live.Afc);
    EXPECT_EQ(replayed.Freq, live.Freq);
    EXPECT_TRUE(replayed == live);
    EXPECT_TRUE(messages.empty());
}

// A new run whose plan has as many points as the last one's: playback builds the holder's bins for it.
TEST_F(MirvakRecordingTest, ANewPlanOfTheSameSizeGetsItsOwnBinsInPlayback) {
    AfcSettings(0, {10, 20, 30});
    StartRun();
    AfcPass({1000, 100, 10});
    PresetList({12, 22, 32});
    RecordChangeMask |= 0x01;
    StartRun();
    // The first item of the new run is recorded with its settings; the pass goes over the new plan.
    double f = 12;
    for (double a : {500.0, 50.0, 5.0}) {
        for (int i = 0; i < 3; ++i)
            Item(a, 0, f, i == 2);
        f += 10;
    }
    Item(0, 0, 0, true, 2);
    const TSelectiveState live = TSelectiveState::Now();
    PlayBack();
    const TSelectiveState replayed = TSelectiveState::Now();
    EXPECT_EQ(replayed.Bins, live.Bins);
    EXPECT_EQ(replayed.CurrentBin, live.CurrentBin);
    EXPECT_EQ(replayed.PointFreq, (std::vector<float>{12, 22, 32}));
    EXPECT_TRUE(replayed == live);
}

// The ".ast" record of an AFC run over two plan points (six bins, two of them measured), byte for byte in
// the layout this program writes; and the same state in the layouts of older recordings, whose missing
// arrays and flags leave the state as it was.
class MirvakAstLayout : public SelectiveTest {
protected:
    void SetUp() override {
        SelectiveTest::SetUp();
        settings.Mirvak.SubMode = 0;
        settings.Mirvak.DeviceSubMode = 3;
        PresetList({10, 20});
        Holder();
    }
    // Every stored array gets values of its own: array k, entry j holds 100 k + j + 0.5.
    static float Value(int k, int j) { return float(100 * k + j) + 0.5f; }
    static std::vector<std::vector<float> *> Stored(TMirvakWorkArrays &w) {
        return {&w.AfcCal,    &w.TransferRe, &w.TransferIm, &w.CalOpenRe, &w.CalOpenIm, &w.CalLoadRe,
                &w.CalLoadIm, &w.ZOpenRe,    &w.ZOpenIm,    &w.ZShortRe,  &w.ZShortIm};
    }
    void FillState() {
        TMirvakWorkArrays &w = MirvakWorkArrays;
        ASSERT_EQ(w.BinCount, 6);
        ASSERT_EQ(w.PointCount, 2);
        for (int b = 0; b < 6; ++b) {
            w.BinPower[std::size_t(b)] = float(b + 1);
            w.BinLevel[std::size_t(b)] = b == 1 || b == 4 ? -10.0f - float(b) : SelectiveGap;
            w.BinTime[std::size_t(b)] = 0.25 * b;
            w.BinPhase[std::size_t(b)] = 0.125f * float(b);
        }
        w.PointFreq = {10, 20};
        w.Afc = {0, 3.5f};
        int k = 0;
        for (std::vector<float> *a : Stored(w)) {
            *a = {Value(k, 0), Value(k, 1)};
            ++k;
        }
        MirvakCalOpenValid = 1;
        MirvakCalShortValid = 1;
        MirvakCalLoadValid = 0;
        MirvakCalAfcValid = 1;
        MirvakZOpenValid = 0;
        MirvakZShortValid = 1;
        MirvakLeadsCapacitance = 1.5e-7f;
        MirvakLeadsInductance = 2e-4f;
        MirvakLeadsResistance = 0.5f;
    }
    // The record of FillState in a version's layout: bin arrays of `binEntries`, `arrays` of the twelve
    // point arrays, `flags` of the flags 3 to 6.
    static QByteArray Golden(int binEntries, int arrays, int flags) {
        QByteArray out;
        PutAll<int32_t>(out, {1, 1});
        PutAll<float>(out, {1.5e-7f, 2e-4f, 0.5f}); // the leads' values, as the bits of three int32
        Put<int32_t>(out, 2);
        PutAll<float>(out, {10, 20, 0, 3.5f});
        for (int b = 0; b < binEntries; ++b)
            Put(out, float(b + 1));
        for (int b = 0; b < binEntries; ++b)
            Put(out, b == 1 || b == 4 ? -10.0f - float(b) : SelectiveGap);
        for (int b = 0; b < binEntries; ++b)
            Put(out, 0.25 * b);
        for (int k = 0; k < std::min(arrays, 11); ++k)
            PutAll<float>(out, {Value(k, 0), Value(k, 1)});
        if (arrays == 12)
            PutAll<float>(out, {0.125f, 0.5f}); // the phases of the measured bins 1 and 4
        const int32_t later[] = {0, 1, 0, 1};
        for (int i = 0; i < flags; ++i)
            Put(out, later[i]);
        return out;
    }
};

TEST_F(MirvakAstLayout, TheRecordHoldsTheWorkStateInItsOrder) {
    FillState();
    EXPECT_EQ(EncodeAstRecord(MirvakAstRecord()), Golden(6, 12, 4));
    EXPECT_EQ(MirvakAstBinCount(), 6);
}

TEST_F(MirvakAstLayout, EachVersionsLayoutRestoresWhatItCarries) {
    struct Case {
        const char *version;
        int binEntries, arrays, flags;
        bool bins;       // the bin arrays fit the work arrays
        int pointArrays; // the stored point arrays restored
        bool phases;
    };
    // Before V6.10 the bin arrays have N entries, which are not the six bins of this plan: they stay.
    const Case cases[] = {
        {"V6.11", 6, 12, 4, true, 11, true}, {"V6.10", 6, 12, 4, true, 11, true}, {"V6.05", 2, 12, 4, false, 11, true},
        {"V6.03", 2, 3, 2, false, 3, false}, {"V6.02", 2, 0, 0, false, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.version);
        const QByteArray bytes = Golden(c.binEntries, c.arrays, c.flags);
        TAstRecord record;
        ASSERT_TRUE(DecodeAstRecord(bytes.constData(), bytes.size(), c.version, 6, record));
        ResetMirvakCalibration();
        Holder();
        RestoreMirvakWork(record);
        const TMirvakWorkArrays &w = MirvakWorkArrays;
        EXPECT_EQ(MirvakCalOpenValid, 1);
        EXPECT_EQ(MirvakCalAfcValid, c.flags >= 2 ? 1 : 0);
        EXPECT_EQ(MirvakZShortValid, c.flags >= 4 ? 1 : 0);
        EXPECT_FLOAT_EQ(MirvakLeadsCapacitance, 1.5e-7f);
        EXPECT_EQ(w.PointFreq, (std::vector<float>{10, 20}));
        EXPECT_EQ(w.Afc, (std::vector<float>{0, 3.5f}));
        EXPECT_EQ(w.BinPower[4], c.bins ? 5.0f : 0.0f);
        EXPECT_EQ(w.BinLevel[4], c.bins ? -14.0f : SelectiveGap);
        EXPECT_EQ(w.BinTime[5], c.bins ? 1.25 : 0.0);
        EXPECT_EQ(w.BinPhase[4], c.bins && c.phases ? 0.5f : 0.0f) << "phases go to the measured bins";
        TMirvakWorkArrays &m = MirvakWorkArrays;
        const std::vector<std::vector<float> *> stored = Stored(m);
        for (int k = 0; k < int(stored.size()); ++k)
            EXPECT_EQ((*stored[std::size_t(k)])[1] == Value(k, 1), k < c.pointArrays) << "array " << k;
    }
}

// A damaged ".ast" or ".sst" (a count beyond the file, a record cut short) ends playback with a message
// that names the file, and nothing is read from past its end.
TEST_F(MirvakRecordingTest, DamagedSelectiveRecordsEndPlaybackWithAMessage) {
    settings.Mirvak.SubMode = 1;
    settings.Mirvak.B = 0.1f;
    settings.Mirvak.Fc1 = 10;
    settings.Mirvak.FcN = 11;
    StartRun();
    Sweep(1e4, 2);
    CloseRecordFiles();
    RecordingOn = false;
    const QByteArray ast = dir.read(QStringLiteral("Data/R9_WriteData1.ast"));
    const QByteArray sst = dir.read(QStringLiteral("Data/R9_WriteData1.sst"));
    ASSERT_EQ(sst.size() % 24, 0);
    QByteArray huge = ast;
    const int32_t beyond = 0x7fffffff;
    std::memcpy(huge.data() + 20, &beyond, sizeof beyond);
    QByteArray negative = ast;
    const int32_t minus = -5;
    std::memcpy(negative.data() + 20, &minus, sizeof minus);
    struct Case {
        const char *extension;
        QByteArray bytes;
    };
    const Case cases[] = {
        {".ast", huge},
        {".ast", negative},
        {".ast", ast.left(ast.size() / 2)},
        {".sst", sst.left(sst.size() - 30)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.extension) + " of " + std::to_string(c.bytes.size()) + " bytes");
        const QByteArray original = c.extension == std::string(".ast") ? ast : sst;
        dir.write(QStringLiteral("Data/R9_WriteData1") + QLatin1String(c.extension), c.bytes);
        messages.clear();
        PlaybackOn = true;
        std::unique_ptr<TR9_PlayData> replay = TR9_PlayData::Open(Base());
        ASSERT_NE(replay, nullptr);
        bool ended = false;
        const int64_t records = replay->IndexSize() / int64_t(sizeof(IndexRecord));
        for (int64_t i = 0; i < records && !ended; ++i)
            ended = !replay->Step();
        EXPECT_TRUE(ended);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].contains(QLatin1String(c.extension))) << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains(QStringLiteral("повреждён")));
        dir.write(QStringLiteral("Data/R9_WriteData1") + QLatin1String(c.extension), original);
    }
}

} // namespace
