#include "DemoFixture.h"

#include "engine/EngineBuffers.h"
#include "engine/ResultSlots.h"
#include "engine/catalogue/ParameterTable.h"
#include "link/Emulator.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/NoValue.h"

#include <QToolButton>

#include <chrono>

namespace {

class DemoEventsTest : public DemoWindowTest {
protected:
    // Random-event counting switched on for the running kind, as the parameter window does it.
    static void SwitchEventCounting() {
        DeviceSettings->EventCounting = 1;
        DeviceSettings->Mode |= 0x400;
        SendCommand();
    }
};

// The emulator has no watch of its own and sends no meter frames: starting the analysis resets the SIN
// event rows, which then show nothing counted rather than made-up events, and a tone off the watch's grid
// switches the meter frames off again.
TEST_F(DemoEventsTest, StartingTheAnalysisResetsTheRowsAndNothingIsCounted) {
    VirtualClock fast(200000, 0);
    FreeAnalysisBuffers();
    TMainForm &form = Start({QStringLiteral("/demo")});
    messages.clear();
    TDeviceSettings &s = *DeviceSettings;
    s.Block.State = 0;
    s.Sin.State = 1;
    s.Sin.F1 = 40; // bin 64 of the watch's 1024-point grid at 640 kHz
    s.Mode |= 0x08;
    form.Button_Start->click();
    ASSERT_TRUE(messages.empty());
    ASSERT_NE(Emulator, nullptr);
    const auto deliver = Emulator->OnAdcArray;
    Emulator->OnAdcArray = [&](TEmulator *sender, const int16_t *block, uint32_t n, uint32_t t) {
        deliver(sender, block, n, t);
        ++blocks;
    };
    RunBlocks(10);
    ASSERT_EQ(SignalKind, 1);

    SwitchEventCounting();
    EXPECT_EQ(MeterFramesOn, 1);
    const ParameterTable sinRows = ParameterTableOf(1);
    RunBlocks(10);
    EXPECT_EQ(sinRows.Rows[17].Result.Value, 0); // timer
    EXPECT_EQ(sinRows.Rows[18].Result.Value, NoValue);
    EXPECT_EQ(sinRows.Rows[19].Result.Value, 0);
    EXPECT_EQ(sinRows.Rows[20].Result.Value, 0);

    s.Sin.F1 = 40.3f; // about half a bin off the grid
    s.Mode |= 0x08;
    SendCommand();
    RunBlocks(10);
    SwitchEventCounting();
    EXPECT_EQ(MeterFramesOn, 0);
    EXPECT_EQ(sinRows.Rows[17].Result.Value, NoValue);
    EXPECT_EQ(sinRows.Rows[19].Result.Value, NoValue);
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    EXPECT_TRUE(messages.empty());
}

} // namespace
