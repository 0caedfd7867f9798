#include "DemoFixture.h"
#include "support/SaveDialogAnswers.h"
#include "support/Screenshot.h"

#include "chart/Chart.h"
#include "chart/ChartSeries.h"
#include "chart/ChartlibChart.h"
#include "engine/EngineBuffers.h"
#include "engine/MasterParam.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/masks/MaskArray.h"
#include "platform/NoValue.h"
#include "settings/SettingsRecompute.h"
#include "settings/masters/MasterLev.h"
#include "settings/remote/RemoteMessageCodec.h"
#include "shell/DataCommandServices.h"
#include "shell/FileChoice.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "storage/playback/Play_form.h"
#include "storage/playback/Tr9_playdata.h"
#include "storage/recording/RecordingFormat.h"
#include "views/Fgraph.h"

#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QToolButton>

#include <chrono>
#include <cstring>
#include <vector>

namespace {

// The y values of a graph window's curve.
// In playback a window draws once per screen refresh and fills its curve for that drawing; a picture of it
// shows the curve of the current step.
std::vector<double> PlayedCurve(TForm_Graphic &window) {
    window.Chart1->Bitmap();
    std::vector<double> values;
    const TChartSeries &series = *window.Series();
    for (int i = 0; i < series.Count(); ++i)
        if (!series.IsNull(i))
            values.push_back(series.YValue(i));
    return values;
}

// The demonstration road recorded with the recording switch, saved at Stop and played back through the
// playback bar, with the program's own graph windows.
class PlaybackDemoTest : public DemoWindowTest {
protected:
    void SetUp() override {
        DemoWindowTest::SetUp();
        WindowFactories.Graph = installed.Graph;
        SetChartDialogs({AnswerSaveDialogs(saveRequests, saveAnswers), {}, {}});
        SetFileChoiceHandler([this](const TFileChoice &) { return openAnswer; });
    }
    void TearDown() override {
        if (PlayForm)
            delete PlayForm.data();
        SetFileChoiceHandler({});
        SetChartDialogs({});
        PlaybackOn = false;
        DemoWindowTest::TearDown();
    }

    TForm_Graphic *OpenGraph(TMainForm &form, int kind) {
        form.CurrentIndex = kind;
        return qobject_cast<TForm_Graphic *>(form.ShowGraphWindow());
    }

    std::vector<IndexRecord> IndexOf(const QString &path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        std::vector<IndexRecord> records(std::size_t(bytes.size()) / sizeof(IndexRecord));
        std::memcpy(records.data(), bytes.constData(), records.size() * sizeof(IndexRecord));
        return records;
    }

    std::vector<TSaveDialogRequest> saveRequests;
    std::vector<QString> saveAnswers;
    QString openAnswer;
};

TEST_F(PlaybackDemoTest, ADemoRecordingPlaysBackWithItsGraphsMoving) {
    TMainForm &form = StartSinDemo();
    ASSERT_NE(GraphParamSettings[0][1], nullptr);
    GraphParamSettings[0][1]->Analyse = 1;
    form.Button_Start->click();
    ASSERT_NE(Emulator, nullptr);
    CountBlocks();
    TForm_Graphic *oscillogram = OpenGraph(form, 0);
    ASSERT_NE(oscillogram, nullptr);
    form.Button_SaveData->click();
    ASSERT_TRUE(RecordingOn);
    RunBlocks(12);

    // Stop offers the recording for saving.
    const QString saved = dir.path(QStringLiteral("Data/demo.idx"));
    saveAnswers = {saved};
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    ASSERT_EQ(saveRequests.size(), 1u);
    const std::vector<IndexRecord> index = IndexOf(saved);
    ASSERT_GE(index.size(), 12u);
    QFile adc(dir.path(QStringLiteral("Data/demo.adc")));
    ASSERT_TRUE(adc.open(QIODevice::ReadOnly));
    const QByteArray blocks = adc.readAll();
    EXPECT_EQ(blocks.size() % (2 * DeviceSettings->AdcSize), 0);
    for (std::size_t i = 1; i < index.size(); ++i)
        ASSERT_GT(index[i].Time, index[i - 1].Time) << "the steps carry the blocks' times";

    // Просмотр: the bar opens on the saved recording and plays it.
    openAnswer = saved;
    form.Button_PlayData->click();
    auto *bar = qobject_cast<TPlayForm *>(PlayForm.data());
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(PlaybackOn);
    EXPECT_FALSE(form.Button_Start->isEnabled());
    bar->Button_Start->click();
    ASSERT_NE(bar->PlayData(), nullptr);

    // Each step shows the recorded block in the oscillogram: the curves of successive steps differ, and
    // the engine holds exactly the block the index record points at.
    std::vector<std::vector<double>> curves;
    int64_t seen = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (curves.size() < index.size() && std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents();
        if (!bar->PlayData() || bar->PlayData()->Position() == seen)
            continue;
        seen = bar->PlayData()->Position();
        const std::size_t k = std::size_t(seen / 36 - 1);
        ASSERT_LT(k, index.size());
        EXPECT_DOUBLE_EQ(NowStamp, index[k].Time) << "record " << k;
        const int32_t n = DeviceSettings->AdcSize;
        EXPECT_EQ(std::memcmp(EngineBuffers.AdcSampleBuffer, blocks.constData() + index[k].Offsets[StreamAdc],
                              std::size_t(n) * 2),
                  0)
            << "record " << k;
        curves.push_back(PlayedCurve(*oscillogram));
        if (curves.size() == 3)
            SaveScreenshot(form, QStringLiteral("playback_main"));
    }
    ASSERT_GE(curves.size(), 4u);
    int moved = 0;
    for (std::size_t i = 1; i < curves.size(); ++i)
        moved += curves[i] != curves[i - 1] ? 1 : 0;
    EXPECT_GE(moved, int(curves.size()) - 2) << "the oscillogram follows the recorded blocks";
    EXPECT_FALSE(curves.back().empty());
    EXPECT_EQ(bar->Play_Bar->maximum(), int(index.size() * 36));
    EXPECT_FALSE(bar->DatePanel->text().isEmpty());
    EXPECT_TRUE(bar->Playing());
    EXPECT_TRUE(bar->Button_Start->isChecked());
    SaveScreenshot(*bar, QStringLiteral("playback_bar"));

    // Pause stops the steps; closing the bar after the question ends playback.
    bar->Button_Stop->click();
    const int64_t paused = bar->PlayData()->Position();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    EXPECT_EQ(bar->PlayData()->Position(), paused);
    messages.clear();
    form.Button_PlayData->click();
    EXPECT_FALSE(PlaybackOn);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text, QStringLiteral("Вы хотите завершить сеанс работы?"));
    EXPECT_TRUE(form.Button_Start->isEnabled());
}

// A level-master run recorded in demonstration mode and played back: the run begins anew with the
// recording, every step's level returns with its settings record and starts that step's time there, and
// the characteristic is built again at the recorded levels.
TEST_F(PlaybackDemoTest, ARecordedLevelMasterRunPlaysBackStepByStep) {
    TMainForm &form = Start({QStringLiteral("/demo")});
    messages.clear();
    form.resize(1600, 1000);
    form.show();
    MasterBlock &m = DeviceSettings->MasterL;
    const std::vector<float> levels = {-20, -12, -6};
    for (std::size_t i = 0; i < levels.size(); ++i)
        m.Set[i] = {levels[i], 1};
    m.SetCount = int8_t(levels.size());
    m.Source = 0;
    m.SinOn = 1;
    m.SinValue = 5;
    m.BandType = 0;
    m.AutoByTime = 0;
    form.Button_Start->click();
    ASSERT_TRUE(messages.empty());
    ASSERT_NE(Emulator, nullptr);
    CountBlocks();
    form.Button_SaveData->click();
    ASSERT_TRUE(RecordingOn);
    StartMasterLev();
    for (std::size_t step = 0; step < levels.size(); ++step) {
        for (int i = 0; i < 60 && LevelMasterParam && LevelMasterParam->ArrayCount <= int(step); ++i)
            RunBlocks(1);
        ASSERT_NE(LevelMasterParam, nullptr);
        ASSERT_EQ(LevelMasterParam->ArrayCount, int(step) + 1) << "step " << step;
        RunBlocks(6); // frames enough for playback to recognise the tone again
        MasterLevStep(nullptr);
    }
    EXPECT_EQ(m.State, 0) << "the meter walked past the last level";
    RunBlocks(2);
    const std::vector<T_fXY> live = LevelMasterParam->Points;

    const QString saved = dir.path(QStringLiteral("Data/levels.idx"));
    saveAnswers = {saved};
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    EXPECT_EQ(LevelMasterParam, nullptr);
    const std::vector<IndexRecord> index = IndexOf(saved);
    ASSERT_GE(index.size(), 6u);

    openAnswer = saved;
    form.Button_PlayData->click();
    auto *bar = qobject_cast<TPlayForm *>(PlayForm.data());
    ASSERT_NE(bar, nullptr);
    // Paused at once, the recording is stepped record by record.
    bar->Button_Start->click();
    bar->Button_Stop->click();
    TR9_PlayData *play = bar->PlayData();
    ASSERT_NE(play, nullptr);
    std::vector<float> played;
    while (play->Position() < play->IndexSize()) {
        ASSERT_TRUE(play->Step());
        if (m.State < 2 || !LevelMasterParam)
            continue;
        const float level = MasterLevRun.MeterValue;
        if (played.empty() || played.back() != level) {
            played.push_back(level);
            EXPECT_DOUBLE_EQ(LevelMasterParam->StepTime, NowStamp) << "the step starts at its record";
        }
    }
    EXPECT_EQ(play->Position(), int64_t(index.size()) * 36);
    EXPECT_EQ(played, levels);
    ASSERT_NE(LevelMasterParam, nullptr);
    ASSERT_EQ(LevelMasterParam->Points.size(), live.size());
    for (std::size_t i = 0; i < live.size(); ++i) {
        EXPECT_EQ(LevelMasterParam->Points[i].x, live[i].x);
        EXPECT_NEAR(LevelMasterParam->Points[i].y, live[i].y, 0.05) << "the same frames, measured again";
    }
}

// The peer's results that arrived during a recording come back in playback: the recorder writes the
// block the link kept, and playback fills the peer's result table from it.
TEST_F(PlaybackDemoTest, ThePeersResultsOfARecordingShowInPlayback) {
    TMainForm &form = StartSinDemo();
    form.Button_Start->click();
    ASSERT_NE(Emulator, nullptr);
    CountBlocks();
    form.Button_SaveData->click();
    ASSERT_TRUE(RecordingOn);
    RunBlocks(3);

    // A results record of a SIN measurement with three rows, as the peer sends it.
    std::vector<uint8_t> message = {0, 0, 31, 1};
    std::vector<uint8_t> block(29, 0);
    block[8] = 1;
    for (float value : {11.5f, -3.25f, 40.0f}) {
        uint8_t row[12] = {};
        std::memcpy(row, &value, sizeof value);
        block.insert(block.end(), row, row + 12);
    }
    message.insert(message.end(), block.begin(), block.end());
    ParseRemoteMessage(message.data(), int32_t(message.size()));
    const ParameterTable sin = ParameterTableOf(1);
    ASSERT_EQ(sin.RemoteResults[2].Value, 40.0f);
    RunBlocks(3);

    const QString saved = dir.path(QStringLiteral("Data/peer.idx"));
    saveAnswers = {saved};
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    InvalidateParamResults();
    ASSERT_EQ(sin.RemoteResults[2].Value, NoValue);

    openAnswer = saved;
    form.Button_PlayData->click();
    auto *bar = qobject_cast<TPlayForm *>(PlayForm.data());
    ASSERT_NE(bar, nullptr);
    bar->Button_Start->click();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (sin.RemoteResults[2].Value != 40.0f && std::chrono::steady_clock::now() < deadline)
        QApplication::processEvents();
    EXPECT_EQ(sin.RemoteResults[0].Value, 11.5f);
    EXPECT_EQ(sin.RemoteResults[1].Value, -3.25f);
    EXPECT_EQ(sin.RemoteResults[2].Value, 40.0f);
    EXPECT_EQ(RemoteSignalKind, 1);
    bar->Button_Stop->click();
}

// Closing playback forgets what the recording brought: its masks and its weighting do not judge the
// next live measurement.
TEST_F(PlaybackDemoTest, ClosingPlaybackDropsTheRecordingsMasksAndWeighting) {
    TMainForm &form = StartSinDemo();
    form.Button_Start->click();
    ASSERT_NE(Emulator, nullptr);
    CountBlocks();
    form.Button_SaveData->click();
    RunBlocks(3);
    const QString saved = dir.path(QStringLiteral("Data/masks.idx"));
    saveAnswers = {saved};
    EXPECT_TRUE(form.StopMeasurement(QString(), false));

    openAnswer = saved;
    form.Button_PlayData->click();
    auto *bar = qobject_cast<TPlayForm *>(PlayForm.data());
    ASSERT_NE(bar, nullptr);
    bar->Button_Start->click();
    bar->Button_Stop->click();
    ASSERT_TRUE(bar->PlayData()->Step());
    // What a recorded settings record sets up.
    auto mask = std::make_unique<TMASK>();
    mask->Points = {{1.0, 3.0}, {2.0, 3.0}};
    mask->Active = 1;
    MaskArray[1][MaskUpperSide] = std::move(mask);
    const float x[] = {1, 2}, y[] = {0, 3};
    ASSERT_TRUE(SetWeightingCurve(2, x, y));

    form.Button_PlayData->click();
    EXPECT_FALSE(PlaybackOn);
    EXPECT_EQ(MaskArray[1][MaskUpperSide], nullptr);
    EXPECT_EQ(WeightingCurve.Count, 0);
}

} // namespace
