#include "MainFixture.h"
#include "SimulatedInstrument.h"

#include "engine/EngineBuffers.h"
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
    const auto deliver = DspIo->OnAdcArray;
    DspIo->OnAdcArray = [&](TDspIo9 *sender, const int16_t *samples, uint32_t n, uint32_t t) {
        deliver(sender, samples, n, t);
        kinds.push_back(SignalKind);
    };
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

} // namespace
