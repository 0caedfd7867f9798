#include "MainFixture.h"
#include "SimulatedInstrument.h"

#include "engine/EngineBuffers.h"
#include "engine/ResultArrays.h"
#include "engine/ResultSlots.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "link/Dspio9.h"
#include "link/Ft_spi.h"
#include "link/InstrumentIdent.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/usb/UsbPort.h"
#include "shell/StatusBar2.h"
#include "sim/SimDspApplication.h"
#include "sim/UsbPortSim.h"
#include "state/SettingsLoadState.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

class SimulatedInstrumentTest : public MainWindowTest {};

// Notes the signal kind of every block the link hands over.
void WatchKinds(std::vector<int32_t> &kinds) {
    const auto deliver = DspIo->OnAdcArray;
    DspIo->OnAdcArray = [&kinds, deliver](TDspIo9 *sender, const int16_t *samples, uint32_t n, uint32_t t) {
        deliver(sender, samples, n, t);
        kinds.push_back(SignalKind);
    };
}

// Start against the simulated instrument: the identification arrives, the configuration goes out as
// commands the instrument accepts, the blocks of the generator's signal reach the engine, and Stop says
// goodbye and leaves no link objects.
TEST_F(SimulatedInstrumentTest, StartMeasuresAndStopEndsTheConnection) {
    SimInstrument &sim = Instrument();
    dir.write(QStringLiteral("r9_307.i00"), ":0400100012345678D8\r\n:00000001FF\r\n");
    TMainForm &form = Start();
    messages.clear();
    DeviceSettings->Block.State = 0;
    DeviceSettings->Sin.State = 1;
    form.StatusBar2->SetPanelText(0, QStringLiteral("R-9"));
    form.Button_Start->click();
    ASSERT_TRUE(messages.empty()) << messages[0].text.toStdString();
    ASSERT_NE(DspIo, nullptr);
    ASSERT_NE(FtSpi, nullptr);
    EXPECT_FALSE(form.Button_Start->isEnabled());
    EXPECT_TRUE(MeasurementRunning);

    ASSERT_TRUE(WaitFor([] { return InstrumentIdent.DspFirmwareVersion == 1044; }, 30));
    EXPECT_TRUE(form.Timer_PowerStatus->isActive());

    std::vector<int32_t> kinds;
    WatchKinds(kinds);
    ASSERT_TRUE(WaitFor([&] { return kinds.size() >= 8; }, 60)) << kinds.size() << " blocks";
    EXPECT_EQ(kinds.back(), 1);
    EXPECT_NE(form.Panel_Time->text(), QStringLiteral("00:00:00"));

    sim.WithApplication([](SimDspApplication &app) {
        EXPECT_TRUE(app.Violations().empty());
        const SimCommandState &state = app.Checker().Commands();
        EXPECT_EQ(state.Generator().kind, 1); // the sine
        EXPECT_EQ(state.BlockSize(), 2048);
        EXPECT_FALSE(state.ModeWords().empty());
    });

    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    EXPECT_EQ(DspIo, nullptr);
    EXPECT_EQ(FtSpi, nullptr);
    EXPECT_TRUE(form.Button_Start->isEnabled());
    EXPECT_FALSE(form.Button_Break->isEnabled());
    EXPECT_FALSE(MeasurementRunning);
    // The generators were blocked before the goodbye.
    sim.WithApplication([](SimDspApplication &app) {
        EXPECT_EQ(app.Checker().Commands().Generator().kind, 0);
        EXPECT_TRUE(app.ShutDown());
        EXPECT_TRUE(app.Violations().empty());
    });
    EXPECT_TRUE(messages.empty());
}

// Random-event counting from Start to the rows: the program switches the instrument's watch on for the
// running SIN tone, the simulated instrument reports each merge interval, every other one below the
// minimum-signal norm, and the SIN rows count the events and their share of time.
TEST_F(SimulatedInstrumentTest, MeterFramesCountRandomEventsOfTheRunningKind) {
    SimInstrument &sim = Instrument();
    dir.write(QStringLiteral("r9_307.i00"), ":0400100012345678D8\r\n:00000001FF\r\n");
    sim.WithApplication([](SimDspApplication &app) {
        // Power 0 is the floor of -160 dBm0: an event; the largest power is held at the block's level.
        app.SetMeterEvents([](std::int16_t, std::uint32_t interval) {
            SimMeterRecord record;
            record.SGNcomm = interval % 2 ? 0x40000000 : 0;
            record.NSEcomm = 1;
            record.SNRcomm = 1;
            return record;
        });
    });
    TMainForm &form = Start();
    messages.clear();
    TDeviceSettings &s = *DeviceSettings;
    s.Block.State = 0;
    s.Sin.State = 1;
    s.Sin.F1 = 40; // bin 64 of the watch's 1024-point grid at 640 kHz
    s.EventMergeInterval = 0.2f;
    *EventNormPointers.Apply[EventSinMinSignal] = 1;
    *EventNormPointers.Norm[EventSinMinSignal] = -100;
    form.StatusBar2->SetPanelText(0, QStringLiteral("R-9"));
    form.Button_Start->click();
    ASSERT_TRUE(messages.empty()) << messages[0].text.toStdString();
    ASSERT_TRUE(WaitFor([] { return SignalKind == 1 && ResultValue(SlotSinFrequency) != NoValue; }, 60));

    s.EventCounting = 1;
    s.Mode |= 0x400;
    SendCommand();
    const ParameterTable sinRows = ParameterTableOf(1);
    const float &timer = sinRows.Rows[17].Result.Value;
    const float &events = sinRows.Rows[19].Result.Value;
    const float &percent = sinRows.Rows[20].Result.Value;
    ASSERT_EQ(timer, 0) << "the start resets the rows";
    ASSERT_TRUE(WaitFor([&] { return events >= 3; }, 60)) << events;
    EXPECT_GT(timer, 0.8f);
    EXPECT_GT(percent, 25);
    EXPECT_LT(percent, 75);
    EXPECT_NE(sinRows.Rows[18].Result.Value, NoValue);

    sim.WithApplication([](SimDspApplication &app) {
        EXPECT_TRUE(app.Violations().empty());
        bool watched = false;
        for (const SimCommand &command : app.Checker().Log())
            if (command.type == 7 && command.Field("kind") == 1) {
                watched = true;
                EXPECT_EQ(command.Field("setting"), 125); // 0.2 s in blocks of 1024 samples at 640 kHz
                EXPECT_EQ(command.Field("w3"), 126);      // the tone's positions around bin 64
                EXPECT_EQ(command.Field("w4"), 130);
            }
        EXPECT_TRUE(watched);
        app.SetMeterEvents({});
    });
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    EXPECT_TRUE(messages.empty());
}

// The own multitone on a line to measure, looped back by the simulated instrument on an ideal flat path:
// the comb is measured below the real link code, with a flat response and, since every line starts at
// its harmonic's phase, a flat group delay.
TEST_F(SimulatedInstrumentTest, MultitoneIsMeasuredFlat) {
    Instrument();
    dir.write(QStringLiteral("r9_307.i00"), ":0400100012345678D8\r\n:00000001FF\r\n");
    TMainForm &form = Start();
    messages.clear();
    TDeviceSettings &d = *DeviceSettings;
    d.Block.State = 0;
    d.ConnectionType = 2;
    d.AfcRef = 0;
    d.GvpRef = 0;
    d.Mtts.State = 1;
    d.Mtts.Step = d.SampleRate / 256;
    d.Mtts.F1 = d.Mtts.Step;
    d.Mtts.Count = static_cast<int32_t>(d.BandF1 / d.Mtts.Step);
    d.Mtts.Level = -10;
    form.StatusBar2->SetPanelText(0, QStringLiteral("R-9"));
    form.Button_Start->click();
    ASSERT_TRUE(messages.empty()) << messages[0].text.toStdString();
    ASSERT_TRUE(WaitFor([] { return InstrumentIdent.DspFirmwareVersion == 1044; }, 30));

    std::vector<int32_t> kinds;
    WatchKinds(kinds);
    ASSERT_TRUE(WaitFor([&] { return kinds.size() >= 6; }, 60)) << kinds.size() << " blocks";
    EXPECT_EQ(kinds.back(), 3);
    const int32_t lines = LineResultCount();
    EXPECT_GT(lines, 10);
    int32_t delays = 0;
    for (int32_t i = 0; i < lines; ++i) {
        EXPECT_NEAR(ResultArrays.Attenuation[i], 0, 0.1) << i;
        if (ResultArrays.GroupDelay[i] != NoValue) {
            ++delays;
            EXPECT_NEAR(ResultArrays.GroupDelay[i], 0, 0.05) << i;
        }
    }
    EXPECT_GT(delays, lines - 3);
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
}

} // namespace
