// The PRBS reflectometer against the simulated instrument, below the program's unchanged link code: the
// simulated line reflects the sequence with an echo of opposite sign, and the echo table finds it.
#include "MainFixture.h"
#include "SimulatedInstrument.h"

#include "engine/EngineBuffers.h"
#include "engine/PrbsMeasurement.h"
#include "link/Dspio9.h"
#include "link/InstrumentIdent.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/NoValue.h"
#include "platform/usb/UsbPort.h"
#include "shell/StatusBar2.h"
#include "sim/SimDspApplication.h"
#include "sim/UsbPortSim.h"

#include <QCoreApplication>
#include <QToolButton>

#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

class SimulatedPrbsTest : public MainWindowTest {};

TEST_F(SimulatedPrbsTest, EchoOfTheSimulatedLineEntersTheEchoTable) {
    SimInstrument &sim = Instrument();
    dir.write(QStringLiteral("r9_307.i00"), ":0400100012345678D8\r\n:00000001FF\r\n");
    TMainForm &form = Start();
    messages.clear();
    DeviceSettings->Block.State = 0;
    DeviceSettings->Rnd.State = 1;
    DeviceSettings->BandF1 = DeviceSettings->MaxFrequency;
    form.StatusBar2->SetPanelText(0, QStringLiteral("R-9"));
    form.Button_Start->click();
    ASSERT_TRUE(messages.empty()) << messages[0].text.toStdString();
    ASSERT_TRUE(WaitFor([] { return InstrumentIdent.DspFirmwareVersion == 1044; }, 30));
    // The line reflects from here on; the generator is sent again so that the instrument takes it.
    sim.WithApplication([](SimDspApplication &app) { app.SetLineEchoes({{200, -0.2}}); });
    DeviceSettings->Mode |= 0x40;
    SendCommand();

    int blocks = 0;
    std::vector<int32_t> kinds;
    const auto deliver = DspIo->OnAdcArray;
    DspIo->OnAdcArray = [&](TDspIo9 *sender, const int16_t *samples, uint32_t n, uint32_t t) {
        deliver(sender, samples, n, t);
        kinds.push_back(SignalKind);
        if (SignalKind == 4)
            ++blocks;
    };
    ASSERT_TRUE(WaitFor([&] { return blocks >= 3; }, 60)) << blocks << " PRBS blocks, last kind " << (kinds.empty() ? -1 : kinds.back()) << " of "
                                                   << kinds.size() << " "
                                                   << (messages.empty() ? "" : messages[0].text.toStdString());
    // The echo 200 samples behind the direct pulse: a fifth of it, of opposite sign.
    EXPECT_EQ(EchoPeaks.Position[1] - EchoPeaks.Position[0], 200);
    EXPECT_NEAR(ReflectionTable.Percent[1], -20, 1);
    EXPECT_LT(ReflectionTable.Level[1], 0);
    // The delay runs to the foot of each pulse, and the smoothed echo's foot lies a little earlier: within
    // one step.
    const double step = 1000.0 / DeviceSettings->SampleRate;
    EXPECT_NEAR(ReflectionTable.Delay[1], 200 * step, step);
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
}

} // namespace
