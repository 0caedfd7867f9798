// The settings window in demonstration mode: the user opens "Настройки прибора", switches the generator
// from SIN to MTTS and back, and the emulator and the engine follow.

#include "MainFixture.h"
#include "support/Screenshot.h"

#include "engine/EngineBuffers.h"
#include "link/Emulator.h"
#include "link/Library.h"
#include "platform/Clock.h"
#include "settings/SettingsWindowView.h"
#include "settings/window/Form_SetDev.h"
#include "shell/WindowRegistries.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPalette>
#include <QPushButton>
#include <QTabWidget>

#include <chrono>

namespace {

class SettingsDemoTest : public MainWindowTest {
protected:
    void SetUp() override {
        installed = WindowFactories;
        MainWindowTest::SetUp();
        WindowFactories.SetDev = installed.SetDev;
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        WindowFactories = installed;
    }

    // Pumps until `count` more blocks went through the main window's handler.
    void RunBlocks(int count) {
        const int until = blocks + count;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (blocks < until && std::chrono::steady_clock::now() < deadline)
            PumpMessages();
        ASSERT_GE(blocks, until);
    }

    TWindowFactories installed;
    int blocks = 0;
};

TEST_F(SettingsDemoTest, GeneratorChosenInTheSettingsWindowReachesTheEngine) {
    ASSERT_TRUE(installed.SetDev) << "the program registers no settings window";
    VirtualClock fast(200000, 0);
    FreeAnalysisBuffers();
    TMainForm &form = Start({QStringLiteral("/demo")});
    messages.clear();
    form.resize(1400, 900);
    form.show();
    form.Button_Start->click();
    ASSERT_TRUE(messages.empty());
    ASSERT_NE(Emulator, nullptr);
    const auto deliver = Emulator->OnAdcArray;
    Emulator->OnAdcArray = [&](TEmulator *sender, const int16_t *block, uint32_t n, uint32_t t) {
        deliver(sender, block, n, t);
        ++blocks;
    };

    QAction *item = form.findChild<QAction *>(QStringLiteral("N_Gen"));
    ASSERT_NE(item, nullptr);
    item->trigger();
    auto *window = qobject_cast<TForm_SetDev *>(Form_SetDev.data());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Настройки прибора"));
    EXPECT_EQ(window->PageControl1->currentWidget(), window->TabSheet_Gen);
    EXPECT_EQ(SettingsWindowView(), window);

    window->Button_SIN->click();
    RunBlocks(8);
    EXPECT_EQ(EmuGenMode, EmuGenSin);
    EXPECT_EQ(SignalKind, 1);
    EXPECT_EQ(DeviceSettings->Sin.State, 2) << "the next block marks the started generator as running";
    EXPECT_EQ(window->Button_SIN->palette().color(QPalette::Active, QPalette::ButtonText), QColor(50, 205, 50));

    window->Button_MTTS->click();
    EXPECT_EQ(DeviceSettings->Mtts.State, 1);
    EXPECT_EQ(DeviceSettings->Sin.State, 0);
    RunBlocks(8);
    EXPECT_EQ(EmuGenMode, EmuGenMtts);
    EXPECT_EQ(SignalKind, 3);
    EXPECT_EQ(DeviceSettings->Mtts.State, 2);
    form.MdiArea->tileSubWindows();
    SaveScreenshot(form, QStringLiteral("settings_demo_mtts"));

    window->Button_SIN->click();
    RunBlocks(8);
    EXPECT_EQ(EmuGenMode, EmuGenSin);
    EXPECT_EQ(SignalKind, 1);
    EXPECT_EQ(DeviceSettings->Mtts.State, 0);

    // Stop blocks every generator and the window shows it.
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    EXPECT_EQ(DeviceSettings->Sin.State, 0);
    EXPECT_NE(window->Button_SIN->palette().color(QPalette::Active, QPalette::ButtonText), QColor(50, 205, 50));
}

} // namespace
