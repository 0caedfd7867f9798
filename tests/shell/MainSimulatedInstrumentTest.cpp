#include "MainFixture.h"

#include "engine/EngineBuffers.h"
#include "engine/ResultArrays.h"
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

// The program's process port is the simulated instrument (this program links the simulator whole).
SimInstrument &Instrument() {
    setenv("R9_USB_BACKEND", "sim", 1);
    return dynamic_cast<UsbPortSim &>(ProcessUsbPort()).Instrument();
}

bool WaitFor(const std::function<bool()> &done, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents();
    }
    return true;
}

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
