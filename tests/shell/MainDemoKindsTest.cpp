// Demonstration mode with the PRBS and NOISE generators and a SYNC run: each block goes from the emulator
// through the main window's handler into the engine, is recognised, and its table rows carry values.
#include "DemoFixture.h"

#include "engine/EngineBuffers.h"
#include "engine/PrbsMeasurement.h"
#include "engine/catalogue/ParameterTable.h"
#include "link/Emulator.h"
#include "link/Library.h"
#include "platform/Clock.h"
#include "platform/NoValue.h"
#include "views/Fgraph.h"

#include <QToolButton>

#include <chrono>
#include <cstdio>
#include <set>
#include <string>

namespace {

class DemoKindsTest : public DemoWindowTest {
protected:
    // Starts the demo with the generator bit given, runs blocks until count went through the handler and
    // returns the captions of the rows of the table of kind that carry a value (printed for a look).
    std::set<std::string> Run(void (*configure)(), int32_t kind, bool oscillogramOpen = false) {
        VirtualClock fast(200000, 0);
        FreeAnalysisBuffers();
        TMainForm &form = Start({QStringLiteral("/demo")});
        messages.clear();
        DeviceSettings->Block.State = 0;
        configure();
        form.Button_Start->click();
        EXPECT_TRUE(messages.empty());
        if (!Emulator)
            return {};
        std::unique_ptr<TForm_Graphic> oscillogram;
        if (oscillogramOpen)
            oscillogram = std::make_unique<TForm_Graphic>(0);
        blocks = 0;
        CountBlocks();
        RunBlocks(12);
        EXPECT_EQ(SignalKind, kind);
        std::set<std::string> valued;
        const ParameterTable table = ParameterTableOf(kind);
        for (int32_t i = 2; i < table.RowCount; ++i) {
            const ParamDescriptor &row = table.Rows[i];
            if (row.GraphKind >= 0 || row.Result.Value == NoValue)
                continue;
            std::string caption = row.Caption;
            caption.pop_back();
            std::printf("kind %d row %d %s = %g\n", kind, i, caption.c_str(), row.Result.Value);
            valued.insert(caption);
        }
        oscillogram.reset();
        EXPECT_TRUE(form.StopMeasurement(QString(), false));
        return valued;
    }
};

TEST_F(DemoKindsTest, PrbsIsRecognisedWithItsReflections) {
    const auto rows = Run(
        [] {
            DeviceSettings->Rnd.State = 1;
            DeviceSettings->Mode |= 0x40;
        },
        4);
    for (const char *caption : {"Сигнал,дБм0", "Отражения,дБм0", "Сигн/отражения,дБ"})
        EXPECT_TRUE(rows.count(caption)) << caption;
    // The emulator's line reflects the sequence: the echo table holds the direct pulse and echoes.
    EXPECT_NE(ReflectionTable.Delay[0], NoValue);
    EXPECT_NE(ReflectionTable.Delay[1], NoValue);
    EXPECT_NE(EngineBuffers.Reflectograms[ReflectogramLevel][100], NoValue);
}

TEST_F(DemoKindsTest, NoiseIsRecognisedWithItsLevel) {
    const auto rows = Run(
        [] {
            DeviceSettings->Noise.State = 1;
            DeviceSettings->Mode |= 0x80;
        },
        5);
    EXPECT_TRUE(rows.count("Шум,дБм0"));
    EXPECT_FALSE(rows.count("Взв.шум,дБм0")); // no weighting characteristic is loaded
}

TEST_F(DemoKindsTest, SyncCountsEventsAndMeasuresTheFragmentWhileTheOscillogramIsOpen) {
    const auto rows = Run(
        [] {
            DeviceSettings->Sin.State = 1;
            DeviceSettings->Mode |= 0x08;
            DeviceSettings->SyncGenState = 1;
        },
        7, true);
    // The emulator's SYNC run ends after its event: one count, no time between two events.
    for (const char *caption : {"SYNC_Сигнал,событий", "Частота,кГц", "Сигнал,дБм0", "Сигн/шум,дБ"})
        EXPECT_TRUE(rows.count(caption)) << caption;
    EXPECT_NEAR(DeviceSettings->Sin.F1, ParamTableSync[7].Result.Value, DeviceSettings->SpectrumStep);
}

} // namespace
