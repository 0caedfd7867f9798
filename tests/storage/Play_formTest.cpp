#include "RecordingFixture.h"

#include "controls/Radiogroup_border.h"
#include "storage/playback/Play_form.h"
#include "storage/playback/Tr9_playdata.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>
#include <QToolButton>

namespace {

constexpr double BarSecond = 1.0 / 86400;

// The playback bar on a recording of twelve steps one second apart, with nothing above it.
class PlayFormTest : public RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        RecordingOn = true;
        for (int i = 0; i < 12; ++i)
            BlockStep(46000.5 + i * BarSecond, int16_t(i + 1));
        CloseRecordFiles();
        PlaybackServices().PlaybackClosed = [this] { ++closedCalls; };
        PlaybackOn = true;
        bar = new TPlayForm(QStringLiteral("rec.idx"), dir.path(QStringLiteral("Data/R9_WriteData1")), nullptr);
        bar->show();
    }
    void TearDown() override {
        delete bar.data();
        RecordingTest::TearDown();
    }

    void Pump(int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    QPointer<TPlayForm> bar;
    int closedCalls = 0;
};

// Step held down takes one step per 100 ms and none once released; a step needs a playback started.
TEST_F(PlayFormTest, StepHeldDownStepsEveryHundredMilliseconds) {
    emit bar->Button_Step->pressed();
    EXPECT_FALSE(bar->Playing()) << "no playback yet: Step does nothing";
    bar->Button_StartClick();
    bar->Button_StopClick();
    ASSERT_NE(bar->PlayData(), nullptr);
    const int64_t before = bar->PlayData()->Position();
    emit bar->Button_Step->pressed();
    Pump(350);
    emit bar->Button_Step->released();
    const int64_t steps = (bar->PlayData()->Position() - before) / 36;
    EXPECT_GE(steps, 2);
    EXPECT_LE(steps, 4);
    const int64_t after = bar->PlayData()->Position();
    Pump(250);
    EXPECT_EQ(bar->PlayData()->Position(), after);
}

// A click shorter than the repeat interval still shows exactly one frame.
TEST_F(PlayFormTest, AShortClickOnStepShowsOneFrame) {
    bar->Button_StartClick();
    bar->Button_StopClick();
    ASSERT_NE(bar->PlayData(), nullptr);
    for (int click = 1; click <= 3; ++click) {
        const int64_t before = bar->PlayData()->Position();
        bar->Button_Step->click();
        Pump(150);
        EXPECT_EQ(bar->PlayData()->Position() - before, 36) << "click " << click;
    }
    EXPECT_TRUE(bar->Button_Stop->isChecked());
    EXPECT_FALSE(bar->Button_Start->isChecked());
}

// The stop-after choice pauses the bar: Start up, Pause down, no more steps.
TEST_F(PlayFormTest, TheStopAfterChoicePausesTheBar) {
    bar->Button1Click();
    EXPECT_TRUE(bar->RG1->isVisible());
    EXPECT_EQ(bar->Button1->text(), QStringLiteral("<<"));
    bar->RG1->Button(1)->click();
    EXPECT_EQ(ProgramSettings.PlaybackPauseIndex, 1);
    EXPECT_EQ(bar->Label1->text(), QStringLiteral("Стоп через 10 с"));
    ProgramSettings.PlaybackPauseIndex = 1;
    bar->Button_StartClick();
    Pump(300);
    EXPECT_FALSE(bar->Playing());
    EXPECT_TRUE(bar->Button_Stop->isChecked());
    EXPECT_FALSE(bar->Button_Start->isChecked());
    EXPECT_EQ(bar->PlayData()->Position(), 36 * 11) << "paused at the record 10 s after the first";
    EXPECT_EQ(bar->TimePanel->text(), DateTimeToQDateTime(46000.5 + 10 * BarSecond).toString(QStringLiteral("hh:mm:ss")));
}

// Closing asks first: No keeps the bar and its playing; Yes ends playback once.
TEST_F(PlayFormTest, ClosingAsksAndNoKeepsPlaying) {
    bar->Button_StartClick();
    SetMessageBoxHandler([this](const MessageRequest &request) {
        messages.push_back(request.text);
        return int(IdNo);
    });
    EXPECT_FALSE(bar->close());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QStringLiteral("Вы хотите завершить сеанс работы?"));
    EXPECT_TRUE(bar->Playing());
    EXPECT_EQ(closedCalls, 0);
    SetMessageBoxHandler([](const MessageRequest &) { return int(IdYes); });
    EXPECT_TRUE(bar->close());
    EXPECT_FALSE(PlaybackOn);
    EXPECT_EQ(closedCalls, 1);
    EXPECT_EQ(DeviceSettings->Block.State, 2);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(bar.isNull()) << "the bar frees itself";
}

// Switching the recorded settings on applies the current settings record again at the next step.
TEST_F(PlayFormTest, UsingTheRecordedSettingsReappliesTheSettingsRecord) {
    bar->Button_StartClick();
    bar->Button_StopClick();
    bar->PlayData()->Step();
    const float recorded = DeviceSettings->Noise.Level;
    DeviceSettings->Noise.Level = recorded + 5;
    bar->PlayData()->Step();
    EXPECT_EQ(DeviceSettings->Noise.Level, recorded + 5) << "an unchanged settings record is not read again";
    ProgramSettings.UseRecordedSettings = 0;
    bar->Button_ParamClick();
    EXPECT_EQ(ProgramSettings.UseRecordedSettings, 1);
    EXPECT_TRUE(bar->Button_Param->isChecked());
    bar->PlayData()->Step();
    EXPECT_EQ(DeviceSettings->Noise.Level, recorded);
}

} // namespace
